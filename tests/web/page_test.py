#!/usr/bin/python3
"""The web page in a real browser against the native programs.

Serves the built site (build/web) with Python's static file server, opens it in
Debian's Chromium in headless mode through chromium-driver, and stops the server once
the page has loaded: everything after that must work offline. Then it feeds scenes
through the file input, in both modes, and checks every result against the native
programs run on the same file under the same bare name:

- the state (done or failed) against Meshlift's exit code, the console lines byte for
  byte, the document link's name and the document's bytes, fetched from its object
  URL (and one of them clicked and downloaded);
- the picture on the canvas, pixel for pixel, and the report lines against
  meshlift-preview on Meshlift's document, without and with the fit choice (and the
  picture's PNG link once);
- a non-ASE file and an empty file, which give the program's lines and small document;
- a file that vanished after it was chosen: the program's "Error opening file" line
  and no document;
- a folder dropped on the page, and the zip of its documents, downloaded, entry by
  entry.

Usage: page_test.py --site build/web --meshlift build/debug/Meshlift
                    --preview build/debug/meshlift-preview [--screenshot doc/web-page.png]
Needs chromium, chromium-driver and python3-selenium (Debian packages).
"""

import argparse
import base64
import glob
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import time
import zipfile
import zlib

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.by import By
from selenium.webdriver.support.ui import Select

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
sys.path.insert(0, os.path.join(ROOT, "tests"))
from same_pixels import png_rgb, rgb_of_rgba  # noqa: E402  (the tests folder, above)
CHROMIUM_FLAGS = ["--headless", "--no-sandbox", "--disable-gpu", "--disable-quic",
                  "--no-first-run", "--disable-background-networking",
                  "--disable-component-update", "--disable-sync"]

failures = []
checks = 0


def check(condition, what):
    global checks
    checks += 1
    if not condition:
        failures.append(what)
        print("FAILED:", what, flush=True)


def run(command, cwd):
    done = subprocess.run(command, cwd=cwd, capture_output=True, timeout=300)
    return done.returncode, done.stdout


def document_name(name):
    dot = name.rfind(".")
    return (name[:dot] if dot > 0 else name) + ".xml"


class Native:
    """Meshlift and meshlift-preview on one scene, as a user runs them in its folder."""

    def __init__(self, meshlift, preview, work):
        self.meshlift, self.preview, self.work = meshlift, preview, work

    def convert(self, scene, mode):
        folder = os.path.join(self.work, "native", mode, os.path.basename(os.path.dirname(scene)))
        os.makedirs(folder, exist_ok=True)
        document = os.path.join(folder, document_name(os.path.basename(scene)))
        if os.path.exists(document):
            os.remove(document)
        code, console = run([self.meshlift, os.path.basename(scene), document, mode],
                            os.path.dirname(scene))
        return code, console, document if os.path.exists(document) else None

    def draw(self, document, fit):
        picture = document[:-4] + (".fit.png" if fit else ".png")
        code, lines = run([self.preview, os.path.basename(document), picture] +
                          (["--fit"] if fit else []), os.path.dirname(document))
        return code, lines, picture if code == 0 else None


class Page:
    def __init__(self, site, downloads, offline=True):
        self.server = subprocess.Popen(
            [sys.executable, "-m", "http.server", "--bind", "127.0.0.1", "0"], cwd=site,
            stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        line = self.server.stdout.readline()  # "Serving HTTP on 127.0.0.1 port N ..."
        port = int(line.split(" port ")[1].split()[0])
        options = webdriver.ChromeOptions()
        options.binary_location = "/usr/bin/chromium"
        self.profile = tempfile.mkdtemp(prefix="meshlift-chromium-")
        for flag in CHROMIUM_FLAGS + ["--user-data-dir=" + self.profile]:
            options.add_argument(flag)
        options.add_experimental_option("prefs", {"download.default_directory": downloads,
                                                  "download.prompt_for_download": False})
        options.set_capability("goog:loggingPrefs", {"browser": "ALL"})
        self.driver = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)
        self.driver.get(f"http://127.0.0.1:{port}/index.html")
        self.driver.execute_script(
            "window.violations = [];"
            "document.addEventListener('securitypolicyviolation',"
            " (e) => violations.push(e.violatedDirective + ' ' + e.blockedURI));")
        self.wait("return document.documentElement.dataset.ready === 'yes'", 60)
        # From here on the page has what it needs: no request may reach a server.
        if offline:
            self.stop_server()

    def stop_server(self):
        self.server.terminate()
        self.server.wait()

    def close(self):
        self.driver.quit()
        if self.server.poll() is None:
            self.stop_server()
        shutil.rmtree(self.profile, ignore_errors=True)

    def wait(self, script, seconds):
        deadline = time.monotonic() + seconds
        while not self.driver.execute_script(script):
            if time.monotonic() > deadline:
                raise TimeoutError(script)
            time.sleep(0.05)

    def choose(self, paths, mode):
        Select(self.driver.find_element(By.ID, "mode")).select_by_value(mode)
        # Emptied first: choosing the files chosen last would be no change.
        self.driver.execute_script("document.getElementById('scenes').value = ''")
        self.driver.find_element(By.ID, "scenes").send_keys("\n".join(paths))
        self.wait_finished(len(paths))

    def drop(self, paths):
        """Drops files and folders on the page, as from a file manager."""
        for kind in ("dragEnter", "dragOver", "drop"):
            self.driver.execute_cdp_cmd("Input.dispatchDragEvent", {
                "type": kind, "x": 200, "y": 200,
                "data": {"items": [], "files": paths, "dragOperationsMask": 1}})

    def wait_finished(self, count):
        self.wait("const r = document.querySelectorAll('.result');"
                  f"return r.length === {count} && [...r].every("
                  "(e) => e.dataset.state === 'done' || e.dataset.state === 'failed')", 600)

    def set_fit(self, fit):
        box = self.driver.find_element(By.ID, "fit")
        if box.is_selected() != fit:
            box.click()
        want = "yes" if fit else "no"
        self.wait("return [...document.querySelectorAll('.result canvas:not([hidden])')]"
                  f".every((c) => c.dataset.fit === '{want}')", 600)

    def results(self, documents=True):
        """Every result's state, console, document name and bytes, report."""
        return self.driver.execute_async_script("""
            const done = arguments[arguments.length - 1];
            const encode = async (blob) => {
                const bytes = new Uint8Array(await blob.arrayBuffer());
                let text = "";
                for (let i = 0; i < bytes.length; i += 32768)
                    text += String.fromCharCode(...bytes.subarray(i, i + 32768));
                return btoa(text);
            };
            Promise.all([...document.querySelectorAll('.result')].map(async (r) => {
                const link = r.querySelector('a.document');
                return {
                    scene: r.dataset.scene, state: r.dataset.state,
                    console: r.querySelector('.console').textContent,
                    report: r.querySelector('.report').textContent,
                    download: link ? link.download : null,
                    document: link && arguments[0]
                        ? await encode(await (await fetch(link.href)).blob()) : null,
                };
            })).then(done, (error) => done(String(error)));
        """, documents)

    def pixels(self, scene):
        """The canvas of one result as RGBA bytes, with its size."""
        found = self.driver.execute_script("""
            const canvas = [...document.querySelectorAll('.result')]
                .find((r) => r.dataset.scene === arguments[0]).querySelector('canvas');
            if (canvas.hidden) return null;
            const image = canvas.getContext('2d').getImageData(0, 0, canvas.width, canvas.height);
            let text = "";
            for (let i = 0; i < image.data.length; i += 32768)
                text += String.fromCharCode(...image.data.subarray(i, i + 32768));
            return [canvas.width, canvas.height, btoa(text)];
        """, scene)
        return None if found is None else (found[0], found[1], base64.b64decode(found[2]))


def compare_pictures(page, native, results, documents, fit):
    for result in results:
        document = documents.get(result["scene"])
        if document is None:
            continue
        code, lines, picture = native.draw(document, fit)
        what = f"{result['scene']} picture{' --fit' if fit else ''}"
        check(result["report"].encode() == lines, f"{what}: report {result['report']!r} != {lines!r}")
        drawn = page.pixels(result["scene"])
        check((drawn is None) == (picture is None), f"{what}: drawn on one side only")
        if drawn is None or picture is None:
            continue
        width, height, rgb = png_rgb(open(picture, "rb").read())
        check(drawn[:2] == (width, height), f"{what}: size {drawn[:2]} != {(width, height)}")
        check(all(a == 255 for a in drawn[2][3::4]), f"{what}: alpha not opaque")
        got = rgb_of_rgba(drawn[2])
        if got != rgb:
            differing = sum(1 for i in range(0, len(rgb), 3) if got[i:i + 3] != rgb[i:i + 3])
            largest = max(abs(a - b) for a, b in zip(got, rgb))
            check(False, f"{what}: {differing} pixels differ, by up to {largest}")
        else:
            check(True, what)


def compare_picture_link(page, native, document):
    """The PNG that the page offers has the pixels of the program's picture."""
    encoded = page.driver.execute_async_script("""
        const done = arguments[arguments.length - 1];
        fetch(document.querySelector('.result a.picture').href)
            .then((response) => response.arrayBuffer())
            .then((buffer) => {
                let text = "";
                const bytes = new Uint8Array(buffer);
                for (let i = 0; i < bytes.length; i += 32768)
                    text += String.fromCharCode(...bytes.subarray(i, i + 32768));
                done(btoa(text));
            });
    """)
    picture = native.draw(document, False)[2]
    check(png_rgb(base64.b64decode(encoded)) == png_rgb(open(picture, "rb").read()),
          "the page's PNG has the program's pixels")


def compare_batch(page, native, scenes, mode):
    """Feeds one folder's scenes through the page and compares all with the programs."""
    page.choose(scenes, mode)
    results = {result["scene"]: result for result in page.results()}
    check(len(results) == len(scenes), f"{mode}: one result per file")
    documents = {}
    for scene in scenes:
        name = os.path.basename(scene)
        result = results.get(name)
        if result is None:
            check(False, f"{name} {mode}: no result")
            continue
        code, console, document = native.convert(scene, mode)
        what = f"{name} {mode}"
        check(result["state"] == ("done" if code == 0 else "failed"),
              f"{what}: state {result['state']} for exit code {code}")
        check(result["console"].encode() == console,
              f"{what}: console {result['console']!r} != {console!r}")
        if document is None:
            check(result["download"] is None, f"{what}: a document the program does not write")
            continue
        documents[name] = document
        check(result["download"] == document_name(name), f"{what}: download {result['download']}")
        got = base64.b64decode(result["document"]) if result["document"] is not None else None
        check(got == open(document, "rb").read(), f"{what}: document bytes differ")
    for fit in (False, True):
        page.set_fit(fit)
        compare_pictures(page, native, page.results(documents=False), documents, fit)
        if not fit and len(scenes) == 1 and documents:
            compare_picture_link(page, native, documents[os.path.basename(scenes[0])])
    page.set_fit(False)


def wait_download(folder, name, seconds=60):
    path = os.path.join(folder, name)
    deadline = time.monotonic() + seconds
    while not os.path.exists(path) or glob.glob(os.path.join(folder, "*.crdownload")):
        if time.monotonic() > deadline:
            raise TimeoutError(path)
        time.sleep(0.05)
    return path


def screenshot(page, path):
    """The page as the README shows it: three scenes, one with a console line, fitted."""
    page.driver.execute_cdp_cmd("Emulation.setDeviceMetricsOverride",
                                {"width": 1000, "height": 1500, "deviceScaleFactor": 1,
                                 "mobile": False})
    page.set_fit(True)
    page.choose([os.path.join(ROOT, "examples/sample.ASE"),
                 os.path.join(ROOT, "tests/data/ThreeCubesGreen_UTF16LE.ASE"),
                 os.path.join(ROOT, "tests/data/RotatingCube.ASE")], "tri")
    page.driver.save_screenshot(path)
    page.driver.execute_cdp_cmd("Emulation.clearDeviceMetricsOverride", {})
    page.set_fit(False)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--site", required=True)
    parser.add_argument("--meshlift", required=True)
    parser.add_argument("--preview", required=True)
    parser.add_argument("--screenshot", help="save a picture of the page at work here (PNG)")
    args = parser.parse_args()

    work = tempfile.mkdtemp(prefix="meshlift-page-")
    downloads = os.path.join(work, "downloads")
    os.makedirs(downloads)
    native = Native(os.path.abspath(args.meshlift), os.path.abspath(args.preview), work)

    # Each folder is one batch: within it, every file has a name of its own.
    folders = {"examples": [os.path.join(ROOT, "examples/sample.ASE")],
               "data": sorted(glob.glob(os.path.join(ROOT, "tests/data/*.[Aa][Ss][Ee]")))}
    corpus = os.path.realpath(os.path.join(ROOT, "../shared/corpus/ase"))
    if os.path.isdir(corpus):
        folders["corpus"] = sorted(p for p in glob.glob(os.path.join(corpus, "*"))
                                   if os.path.isfile(p))
    made = os.path.join(work, "made")
    os.makedirs(made)
    with open(os.path.join(made, "notes.txt"), "w") as notes:
        notes.write("Not a scene: a shopping list.\nbread\nmilk\n")
    open(os.path.join(made, "empty.ASE"), "w").close()
    folders["made"] = [os.path.join(made, "notes.txt"), os.path.join(made, "empty.ASE")]

    page = Page(os.path.abspath(args.site), downloads)
    try:
        for folder, scenes in folders.items():
            for mode in ("tri", "quad"):
                print(f"{folder}, {mode}: {len(scenes)} files", flush=True)
                compare_batch(page, native, scenes, mode)

        # A folder dropped on the page, as the browser drops one: its ASE files at any
        # depth (not its other files), then the zip of their documents, and one
        # document clicked and downloaded.
        dropped = os.path.join(work, "scenes")
        os.makedirs(os.path.join(dropped, "sub"))
        for scene in folders["data"]:
            shutil.copy(scene, dropped)
        shutil.copy(os.path.join(ROOT, "examples/sample.ASE"), os.path.join(dropped, "sub"))
        shutil.copy(os.path.join(made, "notes.txt"), dropped)
        Select(page.driver.find_element(By.ID, "mode")).select_by_value("quad")
        page.drop([dropped])
        want = {}
        for folder, names in (("scenes", os.listdir(dropped)), ("scenes/sub", ["sample.ASE"])):
            for name in names:
                scene = os.path.join(work, folder, name)
                if os.path.isfile(scene) and name.lower().endswith(".ase"):
                    document = native.convert(scene, "quad")[2]
                    if document is not None:
                        want[f"{folder}/{document_name(name)}"] = open(document, "rb").read()
        page.wait_finished(len(folders["data"]) + 1)
        page.driver.find_element(By.ID, "zip").click()
        archive = zipfile.ZipFile(wait_download(downloads, "meshlift-documents.zip"))
        entries = sorted(archive.namelist())
        check(entries == sorted(want), f"zip entries {entries}")
        for entry in entries:
            check(archive.read(entry) == want.get(entry), f"zip entry {entry}")
        first = page.driver.find_element(By.CSS_SELECTOR, ".result a.document")
        name = first.get_attribute("download")
        first.click()
        check(open(wait_download(downloads, name), "rb").read() == want.get("scenes/" + name),
              f"download {name}")

        # A file that is gone by the time it is read: chosen, then removed, then read again.
        vanishing = os.path.join(made, "vanishing.ASE")
        shutil.copy(os.path.join(ROOT, "examples/sample.ASE"), vanishing)
        page.choose([vanishing], "tri")
        os.remove(vanishing)
        page.driver.execute_script(
            "document.getElementById('scenes').dispatchEvent(new Event('change'))")
        page.wait_finished(1)
        result = page.results()[0]
        code, console, document = native.convert(vanishing, "tri")
        check((result["state"], code, document) == ("failed", 1, None), "vanished file fails")
        check(result["console"].encode() == console == b"Error opening file : vanishing.ASE !\n",
              f"vanished file: console {result['console']!r}")
        check(result["download"] is None, "vanished file: no document")

        if args.screenshot:
            screenshot(page, args.screenshot)

        violations = page.driver.execute_script("return violations")
        check(violations == [], f"content security policy violations {violations}")
        errors = [entry for entry in page.driver.get_log("browser") if entry["level"] == "SEVERE"]
        check(errors == [], f"browser errors {errors}")
    finally:
        page.close()
    shutil.rmtree(work, ignore_errors=True)
    print(f"web page: {checks - len(failures)} passed, {len(failures)} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
