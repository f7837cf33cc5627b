#!/usr/bin/python3
"""The web page in a real browser against the native programs.

Serves the built site (build/web) from a small static server of its own, opens it in
one engine, and stops serving once the page has loaded: everything after that must
work offline. The engines, all Debian's packages (no browser is downloaded):

- chromium: headless Chromium through chromium-driver (python3-selenium);
- firefox: firefox-esr through puppeteer-core over WebDriver BiDi (no geckodriver);
  puppeteer-core comes from the npm registry at the version that package-lock.json
  beside this script pins, installed into --npm-dir;
- webkit: WebKitGTK's MiniBrowser through WebKitWebDriver (webkit2gtk-driver, with
  python3-selenium), under xvfb-run.

Then it feeds scenes through the file input and checks every result against the
native programs run on the same file under the same bare name:

- the state (done or failed) against Meshlift's exit code, the console lines and the
  console download byte for byte, data-messages and the status line's counts, the
  document link's name, type (never one a browser renders) and bytes;
- the picture on the canvas, pixel for pixel, and the report lines against
  meshlift-preview on Meshlift's document, without and with the fit choice;
- the mode changed: the batch converts again; the same file chosen again converts
  again; same names from two folders get distinct titles;
- a scene whose names hold a script: its document, opened as a page, runs nothing;
- the fit choice toggled quickly: the picture agrees with the box;
- a scene that prints two million console lines: the page shows the first lines and
  how many more, the download is the program's console, the memory stays flat; and a
  new choice made meanwhile is converted at once;
- a file that vanished after it was chosen; the zip of a batch;
- sites that cannot work: meshlift.js or meshlift.wasm missing or broken, a policy
  that forbids WebAssembly, a worker that dies: every file fails with the reason;
- (chromium) a folder dropped on the page, and the zip of its documents.

Usage: page_test.py --engine chromium|firefox|webkit --site build/web
                    --meshlift build/debug/Meshlift --preview build/debug/meshlift-preview
                    [--npm-dir DIR] [--only PART,...] [--screenshot doc/web-page.png]
(CTest runs it: `ctest --preset web`, or one engine with `ctest --test-dir build/debug
-L web-firefox`.)
Exits with 77 (skipped) when the engine's browser or driver is not installed, or with 1
when the environment has MESHLIFT_PAGE_TEST_REQUIRED set (as CI does).
"""

import argparse
import base64
import functools
import glob
import hashlib
import http.server
import json
import os
import shutil
import subprocess
import sys
import tempfile
import threading
import time
import zipfile

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(ROOT, "tests"))
from same_pixels import png_rgb, rgb_of_rgba  # noqa: E402  (the tests folder, above)

SKIPPED = 77
CHROMIUM_FLAGS = ["--headless", "--no-sandbox", "--disable-gpu", "--disable-quic",
                  "--no-first-run", "--disable-background-networking",
                  "--disable-component-update", "--disable-sync"]
MINIBROWSER = "/usr/lib/x86_64-linux-gnu/webkit2gtk-4.1/MiniBrowser"
# The README's header policy, and the same without WebAssembly.
POLICY = ("default-src 'none'; script-src 'self' 'wasm-unsafe-eval'; worker-src 'self'; "
          "connect-src 'self' blob:; img-src 'self' blob:; style-src 'self'; base-uri 'none'; "
          "form-action 'none'")
NO_WASM_POLICY = POLICY.replace(" 'wasm-unsafe-eval'", "")

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


def missing_tools(engine, npm_dir):
    """What the engine needs and this machine lacks (Debian package names)."""
    def have(path):
        return shutil.which(path) is not None or os.path.exists(path)
    need = []
    if engine in ("chromium", "webkit"):
        try:
            import selenium  # noqa: F401
        except ImportError:
            need.append("python3-selenium")
    if engine == "chromium":
        need += [p for p, tool in (("chromium", "/usr/bin/chromium"),
                                   ("chromium-driver", "/usr/bin/chromedriver")) if not have(tool)]
    elif engine == "firefox":
        need += [p for p, tool in (("firefox-esr", "/usr/bin/firefox-esr"), ("nodejs", "node"),
                                   ("npm", "npm")) if not have(tool)]
        if not npm_dir or not os.path.isdir(os.path.join(npm_dir, "node_modules", "puppeteer-core")):
            need.append("puppeteer-core in --npm-dir (npm ci of tests/web/package-lock.json)")
    elif engine == "webkit":
        need += [p for p, tool in (("webkit2gtk-driver", "/usr/bin/WebKitWebDriver"),
                                   ("libwebkit2gtk-4.1-0 (MiniBrowser)", MINIBROWSER))
                 if not have(tool)]
        if not os.environ.get("DISPLAY"):
            need.append("a display (run under xvfb-run)")
    return need


class Native:
    """Meshlift and meshlift-preview on one scene, as a user runs them in its folder."""

    def __init__(self, meshlift, preview, work):
        self.meshlift, self.preview, self.work = meshlift, preview, work

    @functools.lru_cache(maxsize=None)
    def convert(self, scene, mode):
        folder = os.path.join(self.work, "native", mode, scene.replace("/", "_"))
        os.makedirs(folder, exist_ok=True)
        document = os.path.join(folder, document_name(os.path.basename(scene)))
        if os.path.exists(document):
            os.remove(document)
        code, console = run([self.meshlift, os.path.basename(scene), document, mode],
                            os.path.dirname(scene))
        return code, console, document if os.path.exists(document) else None

    def convert_text_of(self, scene, mode):
        """The document of a UTF-16 scene's text saved as UTF-8, under the same name."""
        folder = os.path.join(self.work, "utf8", scene.replace("/", "_"))
        os.makedirs(folder, exist_ok=True)
        twin = os.path.join(folder, os.path.basename(scene))
        with open(scene, "rb") as utf16, open(twin, "wb") as utf8:
            utf8.write(utf16.read().decode("utf-16").encode("utf-8"))
        return self.convert(twin, mode)

    @functools.lru_cache(maxsize=None)
    def draw(self, document, fit):
        picture = document[:-4] + (".fit.png" if fit else ".png")
        code, lines = run([self.preview, os.path.basename(document), picture] +
                          (["--fit"] if fit else []), os.path.dirname(document))
        return code, lines, picture if code == 0 else None


class Server:
    """The site under /, and sites that cannot work under /broken/NAME/ (folders of
    `broken`), with a header policy for the paths that start with a key of
    `policies`."""

    def __init__(self, site, broken, policies):
        server = self

        class Handler(http.server.SimpleHTTPRequestHandler):
            def translate_path(self, path):
                if path.startswith("/broken/"):
                    name, _, rest = path[len("/broken/"):].partition("/")
                    return os.path.join(broken, name, rest.split("?")[0])
                for prefix in policies:
                    if path.startswith(prefix):
                        path = "/" + path[len(prefix):]
                return os.path.join(site, path.split("?")[0].lstrip("/"))

            def end_headers(self):
                for prefix, policy in policies.items():
                    if self.path.startswith(prefix):
                        self.send_header("Content-Security-Policy", policy)
                self.send_header("Cache-Control", "no-store")
                super().end_headers()

            def log_message(self, *args):
                pass

        self.httpd = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
        self.port = self.httpd.server_address[1]
        self.thread = threading.Thread(target=self.httpd.serve_forever, daemon=True)
        self.thread.start()
        server.serving = True

    def url(self, path):
        return f"http://127.0.0.1:{self.port}/{path}"

    def stop(self):
        if self.serving:
            self.httpd.shutdown()
            self.httpd.server_close()
            self.serving = False


# Runs the body of an async function with `args` in the page, and hands back its value
# or its error.
def async_call(body, args):
    return (f"(async (args) => {{ {body} }})({json.dumps(args)})"
            ".then((value) => ({value}), (error) => ({error: String(error)}))")


class SeleniumBrowser:
    def __init__(self, engine, downloads):
        from selenium import webdriver
        self.engine = engine
        self.profile = None
        if engine == "chromium":
            from selenium.webdriver.chrome.service import Service
            options = webdriver.ChromeOptions()
            options.binary_location = "/usr/bin/chromium"
            self.profile = tempfile.mkdtemp(prefix="meshlift-chromium-")
            for flag in CHROMIUM_FLAGS + ["--user-data-dir=" + self.profile]:
                options.add_argument(flag)
            options.add_experimental_option("prefs", {"download.default_directory": downloads,
                                                      "download.prompt_for_download": False})
            options.set_capability("goog:loggingPrefs", {"browser": "ALL"})
            self.driver = webdriver.Chrome(service=Service("/usr/bin/chromedriver"),
                                           options=options)
        else:
            options = webdriver.WebKitGTKOptions()
            options.binary_location = MINIBROWSER
            options.add_argument("--automation")
            self.driver = webdriver.WebKitGTK(executable_path="/usr/bin/WebKitWebDriver",
                                              options=options)
        self.driver.set_script_timeout(600)

    def goto(self, url):
        self.driver.get(url)

    def script(self, body, *args):
        reply = self.driver.execute_async_script(
            "const done = arguments[arguments.length - 1];"
            f"{async_call(body, list(args))}.then(done);")
        if "error" in reply:
            raise RuntimeError(f"in the page: {reply['error']}")
        return reply.get("value")

    def choose(self, paths):
        from selenium.webdriver.common.by import By
        self.driver.find_element(By.ID, "scenes").send_keys("\n".join(paths))

    def visit(self, url):
        """Opens `url` in a window of its own, as a user opening a link in a new tab."""
        first = self.driver.current_window_handle
        self.driver.switch_to.new_window("tab")
        try:
            self.driver.get(url)
        except Exception:  # a download is no page
            pass
        time.sleep(1)
        self.driver.close()
        self.driver.switch_to.window(first)

    def drop(self, paths):
        """Drops files and folders on the page, as from a file manager (Chromium)."""
        for kind in ("dragEnter", "dragOver", "drop"):
            self.driver.execute_cdp_cmd("Input.dispatchDragEvent", {
                "type": kind, "x": 200, "y": 200,
                "data": {"items": [], "files": paths, "dragOperationsMask": 1}})

    def close(self):
        self.driver.quit()
        if self.profile:
            shutil.rmtree(self.profile, ignore_errors=True)


class FirefoxBrowser:
    """firefox-esr through firefox_bridge.mjs (puppeteer-core), one JSON line a call."""

    engine = "firefox"

    def __init__(self, npm_dir):
        bridge = os.path.join(npm_dir, "firefox_bridge.mjs")
        shutil.copy(os.path.join(HERE, "firefox_bridge.mjs"), bridge)
        self.process = subprocess.Popen(["node", bridge], stdin=subprocess.PIPE,
                                        stdout=subprocess.PIPE, text=True, cwd=npm_dir)
        hello = self.process.stdout.readline()
        if not hello:
            raise RuntimeError("firefox_bridge.mjs did not start")

    def call(self, **command):
        self.process.stdin.write(json.dumps(command) + "\n")
        self.process.stdin.flush()
        line = self.process.stdout.readline()
        if not line:
            raise RuntimeError("firefox_bridge.mjs stopped")
        reply = json.loads(line)
        if "error" in reply:
            raise RuntimeError(reply["error"])
        return reply["value"]

    def goto(self, url):
        self.call(do="goto", url=url)

    def script(self, body, *args):
        reply = self.call(do="script", source=async_call(body, list(args)))
        if "error" in reply:
            raise RuntimeError(f"in the page: {reply['error']}")
        return reply.get("value")

    def choose(self, paths):
        self.call(do="choose", selector="#scenes", paths=paths)

    def visit(self, url):
        self.call(do="visit", url=url)

    def close(self):
        try:
            self.call(do="quit")
        except RuntimeError:
            pass
        self.process.wait(timeout=60)


def open_browser(engine, downloads, npm_dir):
    if engine == "firefox":
        return FirefoxBrowser(npm_dir)
    return SeleniumBrowser(engine, downloads)


# Reads a Blob's bytes into base64 in the page.
ENCODE = """
    const encode = async (blob) => {
        const bytes = new Uint8Array(await blob.arrayBuffer());
        let text = "";
        for (let i = 0; i < bytes.length; i += 32768)
            text += String.fromCharCode(...bytes.subarray(i, i + 32768));
        return btoa(text);
    };
    const digest = async (blob) => [...new Uint8Array(
        await crypto.subtle.digest("SHA-256", await blob.arrayBuffer()))]
        .map((b) => b.toString(16).padStart(2, "0")).join("");
"""


class Page:
    def __init__(self, site, downloads=None, engine="chromium", npm_dir=None, offline=True,
                 path="index.html", server=None, wait_ready=True):
        self.server = server or Server(site, None, {})
        self.browser = open_browser(engine, downloads, npm_dir)
        self.engine = engine
        self.goto(path, wait_ready, offline)

    @property
    def driver(self):  # the Selenium driver, for scripts that want it (Chromium)
        return self.browser.driver

    def goto(self, path, wait_ready=True, offline=False):
        self.browser.goto(self.server.url(path))
        self.js("window.violations = [];"
                "document.addEventListener('securitypolicyviolation',"
                " (e) => violations.push(e.violatedDirective + ' ' + e.blockedURI));")
        if wait_ready:
            self.wait("document.documentElement.dataset.ready === 'yes'", 60)
        # From here on the page has what it needs: no request may reach a server.
        if offline:
            self.server.stop()

    def close(self):
        self.browser.close()
        self.server.stop()

    def js(self, body, *args):
        return self.browser.script(body, *args)

    def wait(self, condition, seconds):
        deadline = time.monotonic() + seconds
        while not self.js(f"return {condition};"):
            if time.monotonic() > deadline:
                raise TimeoutError(condition)
            time.sleep(0.05)

    def set_mode(self, mode):
        self.js("const s = document.getElementById('mode');"
                "if (s.value !== args[0]) { s.value = args[0];"
                " s.dispatchEvent(new Event('change')); }", mode)

    def choose(self, paths, mode=None, wait=True):
        if mode is not None:
            self.set_mode(mode)
        self.browser.choose(paths)
        if wait:
            self.wait_finished(len(paths))

    def wait_finished(self, count, seconds=600):
        self.wait("(() => { const r = document.querySelectorAll('.result');"
                  f"return r.length === {count} && [...r].every("
                  "(e) => e.dataset.state === 'done' || e.dataset.state === 'failed'); })()",
                  seconds)

    def set_fit(self, fit, wait=True):
        self.js("const box = document.getElementById('fit');"
                "if (box.checked !== args[0]) box.click();", fit)
        if wait:
            self.wait_fit(fit)

    def wait_fit(self, fit):
        want = "yes" if fit else "no"
        self.wait("[...document.querySelectorAll('.result canvas:not([hidden])')]"
                  f".every((c) => c.dataset.fit === '{want}')", 600)

    def results(self, documents=True):
        """Every result's state, console, links and their bytes, report."""
        return self.js(ENCODE + """
            return Promise.all([...document.querySelectorAll('.result')].map(async (r) => {
                const link = r.querySelector('a.document');
                const log = r.querySelector('a.console-log');
                const blob = link ? await (await fetch(link.href)).blob() : null;
                return {
                    scene: r.dataset.scene, path: r.dataset.path, state: r.dataset.state,
                    messages: r.dataset.messages,
                    title: r.querySelector('h2').firstChild.textContent,
                    console: r.querySelector('.console').textContent,
                    more: r.querySelector('.console-more').textContent,
                    report: r.querySelector('.report').textContent,
                    note: r.querySelector('.note').textContent,
                    download: link ? link.download : null,
                    type: blob ? blob.type : null,
                    document: blob && args[0] ? await encode(blob) : null,
                    log: log && args[0] ? await encode(await (await fetch(log.href)).blob())
                                        : null,
                    logType: log ? (await (await fetch(log.href)).blob()).type : null,
                };
            }));
        """, documents)

    def status(self):
        return self.js("return document.getElementById('status').textContent;")

    def pixels(self, path):
        """The canvas of one result as RGBA bytes, with its size and fit."""
        found = self.js("""
            const canvas = [...document.querySelectorAll('.result')]
                .find((r) => r.dataset.path === args[0]).querySelector('canvas');
            if (canvas.hidden) return null;
            const image = canvas.getContext('2d').getImageData(0, 0, canvas.width, canvas.height);
            let text = "";
            for (let i = 0; i < image.data.length; i += 32768)
                text += String.fromCharCode(...image.data.subarray(i, i + 32768));
            return [canvas.width, canvas.height, btoa(text), canvas.dataset.fit];
        """, path)
        return None if found is None else (found[0], found[1], base64.b64decode(found[2]),
                                           found[3])


def same_picture(drawn, picture, what):
    width, height, rgb = png_rgb(open(picture, "rb").read())
    check(drawn[:2] == (width, height), f"{what}: size {drawn[:2]} != {(width, height)}")
    check(drawn[2][3::4] == b"\xff" * (len(drawn[2]) // 4), f"{what}: alpha not opaque")
    got = rgb_of_rgba(drawn[2])
    if got != rgb:
        differing = sum(1 for i in range(0, len(rgb), 3) if got[i:i + 3] != rgb[i:i + 3])
        largest = max(abs(a - b) for a, b in zip(got, rgb)) if len(got) == len(rgb) else -1
        check(False, f"{what}: {differing} pixels differ, by up to {largest}")
    else:
        check(True, what)


def compare_pictures(page, native, results, documents, fit):
    for result in results:
        document = documents.get(result["path"])
        if document is None:
            continue
        code, lines, picture = native.draw(document, fit)
        what = f"{result['path']} picture{' --fit' if fit else ''}"
        check(result["report"].encode() == lines, f"{what}: report {result['report']!r} != {lines!r}")
        drawn = page.pixels(result["path"])
        check((drawn is None) == (picture is None), f"{what}: drawn on one side only")
        if drawn is not None and picture is not None:
            same_picture(drawn, picture, what)


def expected_status(codes_and_lines):
    failed = sum(1 for code, lines in codes_and_lines if code != 0)
    messages = sum(1 for code, lines in codes_and_lines if code == 0 and lines > 0)
    total = len(codes_and_lines)
    files = "1 file" if total == 1 else f"{total} files"
    return f"{files}: {total - failed - messages} converted, {messages} with messages, {failed} failed."


def compare_batch(page, native, scenes, mode, pictures=True, chosen=True):
    """Feeds one folder's scenes through the page (or, with chosen False, takes the
    batch the page has) and compares all with the programs."""
    if chosen:
        page.choose(scenes, mode)
    else:
        page.wait_finished(len(scenes))
    results = {result["path"]: result for result in page.results()}
    check(len(results) == len(scenes), f"{mode}: one result per file")
    documents = {}
    outcomes = []
    for scene in scenes:
        name = os.path.basename(scene)
        result = results.get(name)
        if result is None:
            check(False, f"{name} {mode}: no result")
            continue
        code, console, document = native.convert(scene, mode)
        lines = console.count(b"\n")
        outcomes.append((code, lines))
        what = f"{name} {mode}"
        check(result["state"] == ("done" if code == 0 else "failed"),
              f"{what}: state {result['state']} for exit code {code}")
        check(result["console"].encode() == console,
              f"{what}: console {result['console']!r} != {console!r}")
        check(result["messages"] == str(lines), f"{what}: data-messages {result['messages']}")
        log = base64.b64decode(result["log"]) if result["log"] is not None else b""
        check(log == console, f"{what}: console download differs")
        if document is None:
            check(result["download"] is None, f"{what}: a document the program does not write")
            continue
        documents[name] = document
        check(result["download"] == document_name(name), f"{what}: download {result['download']}")
        check(result["type"] == "application/octet-stream", f"{what}: document type {result['type']}")
        got = base64.b64decode(result["document"]) if result["document"] is not None else None
        check(got == open(document, "rb").read(), f"{what}: document bytes differ")
        with open(scene, "rb") as start:
            if start.read(2) in (b"\xff\xfe", b"\xfe\xff"):  # UTF-16: read as its text
                twin = native.convert_text_of(scene, mode)[2]
                check(twin is not None and got == open(twin, "rb").read(),
                      f"{what}: not the document of its text in UTF-8")
    status = page.status()
    check(status == expected_status(outcomes), f"{mode}: status {status!r}")
    if pictures:
        for fit in (False, True):
            page.set_fit(fit)
            compare_pictures(page, native, page.results(documents=False), documents, fit)
        page.set_fit(False)
    return documents


def hostile_scene(work):
    """The sample with an object whose name closes the document's markup and opens an
    XHTML script, which marks the site's storage when it runs."""
    sample = open(os.path.join(ROOT, "examples/sample.ASE"), "rb").read()
    start = sample.index(b'*NODE_NAME "') + len(b'*NODE_NAME "')
    end = sample.index(b'"', start)
    name = (b'a"/><h:script xmlns:h="http://www.w3.org/1999/xhtml">'
            b"localStorage.setItem('ran','yes');document.title='ran'</h:script><object y=\"")
    path = os.path.join(work, "hostile", "names.ASE")
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as scene:
        scene.write(sample[:start] + name + sample[end:])
    return path


def flood_scene(work, vertices, name="flood.ASE"):
    """The sample claiming two million vertices: the program prints a line for each
    one missing."""
    sample = open(os.path.join(ROOT, "examples/sample.ASE"), "rb").read()
    at = sample.index(b"*MESH_NUMVERTEX")
    end = sample.index(b"\n", at)
    path = os.path.join(work, "flood", name)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as scene:
        scene.write(sample[:at] + b"*MESH_NUMVERTEX " + str(vertices).encode() + sample[end:])
    return path


def choices(page, native, work):
    """The latest choice wins: the mode, the same file again, names from two folders."""
    sample = os.path.join(ROOT, "examples/sample.ASE")
    page.choose([sample], "tri")
    page.js("document.querySelector('.result').dataset.old = 'yes';")
    page.set_mode("quad")
    page.wait("document.querySelector('.result[data-state=\"done\"]:not([data-old])') !== null", 60)
    head = page.js("return document.querySelector('.result h2').textContent;")
    check(head.endswith("quad, 8.8 kB") or " quad," in head, f"mode change: title {head!r}")
    document = page.results()[0]["document"]
    check(base64.b64decode(document) == open(native.convert(sample, "quad")[2], "rb").read(),
          "mode change: the quad document")
    # The same file again, with nothing between: converted again.
    page.js("document.querySelector('.result').dataset.old = 'yes';")
    page.choose([sample], wait=False)
    page.wait("document.querySelector('.result[data-state=\"done\"]:not([data-old])') !== null", 60)
    check(page.js("return document.querySelectorAll('.result').length;") == 1,
          "the same file again: one result")

    # One name from two folders: distinct titles and data-path.
    twins = []
    for folder, scene in (("dirA", "examples/sample.ASE"), ("dirB", "tests/data/plane.ASE")):
        os.makedirs(os.path.join(work, folder), exist_ok=True)
        twins.append(os.path.join(work, folder, "cube.ase"))
        shutil.copy(os.path.join(ROOT, scene), twins[-1])
    page.choose(twins, "tri")
    results = page.results()
    paths = [result["path"] for result in results]
    titles = [result["title"] for result in results]
    check(paths == ["cube.ase", "cube.ase (2)"] and titles == paths,
          f"one name twice: paths {paths}, titles {titles}")
    for result, twin in zip(results, twins):
        check(base64.b64decode(result["document"]) ==
              open(native.convert(twin, "tri")[2], "rb").read(), f"one name twice: {twin}")


def never_a_page(page, native, scene):
    """A document whose names hold a script: the same bytes as the program's, a type
    no browser renders, and opened as a page it runs nothing."""
    page.js("localStorage.removeItem('ran');")
    compare_batch(page, native, [scene], "tri", pictures=False)
    url = page.js("return document.querySelector('.result a.document').href;")
    if page.engine != "webkit":  # WebKitWebDriver opens no second window of MiniBrowser
        page.browser.visit(url)
    else:
        page.js("window.open(args[0]); await new Promise((r) => setTimeout(r, 1000));", url)
    ran = page.js("return localStorage.getItem('ran');")
    check(ran is None, "the document's script ran as a page of the site")


def quick_fit(page, native, scenes):
    """The fit box ticked and unticked at once: the pictures agree with the box."""
    documents = {os.path.basename(s): native.convert(s, "tri")[2] for s in scenes}
    page.choose(scenes, "tri")
    for delay in (0, 50):
        page.js("const box = document.getElementById('fit'); box.click();"
                "await new Promise((r) => setTimeout(r, args[0])); box.click();", delay)
        page.wait_fit(False)
        time.sleep(0.5)  # any late reply would have landed by now
        check(page.js("return document.getElementById('fit').checked;") is False, "fit box")
        for result in page.results(documents=False):
            drawn = page.pixels(result["path"])
            picture = native.draw(documents[result["path"]], False)[2]
            check(drawn is not None and drawn[3] == "no", f"quick fit {delay}: canvas fit")
            if drawn is not None:
                same_picture(drawn, picture, f"quick fit {delay}: {result['path']}")


def flood(page, native, work):
    """Two million console lines: bounded on the page, whole in the download."""
    scene = flood_scene(work, 2000000)
    code, console, document = native.convert(scene, "tri")
    lines = console.count(b"\n")
    started = time.monotonic()
    page.choose([scene], "tri")
    seconds = time.monotonic() - started
    found = page.js(ENCODE + """
        const r = document.querySelector('.result');
        const log = await (await fetch(r.querySelector('a.console-log').href)).blob();
        return {shown: r.querySelector('.console').textContent.length,
                shownLines: r.querySelector('.console').textContent.split('\\n').length - 1,
                more: r.querySelector('.console-more').textContent,
                messages: r.dataset.messages, memory: Number(r.dataset.convertMemory),
                size: log.size, hash: await digest(log)};
    """)
    print(f"  two million lines: {seconds:.1f} s on the page, {found['size']} bytes of console, "
          f"{found['memory'] / 2**20:.1f} MiB of WebAssembly memory", flush=True)
    check(found["shownLines"] <= 2000 and found["shown"] < 1 << 20,
          f"flood: {found['shownLines']} lines shown")
    check(found["more"] == f"... and {lines - found['shownLines']} more lines",
          f"flood: {found['more']!r}")
    check(found["messages"] == str(lines), f"flood: data-messages {found['messages']}")
    check(found["size"] == len(console) and found["hash"] == hashlib.sha256(console).hexdigest(),
          "flood: the console download is the program's console")
    check(found["memory"] < 64 << 20, f"flood: {found['memory']} bytes of WebAssembly memory")

    # Chosen anew while floods twenty-five times as large keep every worker busy (each
    # takes half a minute): their work stops, and the new choice is converted at once.
    huge = [flood_scene(work, 50000000, "huge.ASE")]
    for copy in range(2, 5):  # the page has up to four workers
        huge.append(huge[0].replace(".ASE", f"{copy}.ASE"))
        os.link(huge[0], huge[-1])
    page.choose(huge, wait=False)
    page.wait("document.querySelector('.result[data-state=\"working\"]') !== null", 10)
    time.sleep(0.5)
    sample = os.path.join(ROOT, "examples/sample.ASE")
    started = time.monotonic()
    page.choose([sample], "tri", wait=False)
    page.wait_finished(1, 60)
    waited = time.monotonic() - started
    print(f"  a new choice during a long conversion: done after {waited:.1f} s", flush=True)
    check(waited < 5, f"a new choice waited {waited:.1f} s for the old one")
    results = page.results(documents=False)
    check([(r["scene"], r["state"]) for r in results] == [("sample.ASE", "done")],
          f"the new choice's result {results}")


def vanishing(page, native, work):
    """A file that is gone by the time it is read: chosen, removed, converted again in
    the other mode."""
    scene = os.path.join(work, "made", "vanishing.ASE")
    shutil.copy(os.path.join(ROOT, "examples/sample.ASE"), scene)
    page.choose([scene], "tri")
    os.remove(scene)
    page.set_mode("quad")
    page.wait("document.querySelector('.result[data-state=\"failed\"]') !== null", 60)
    result = page.results()[0]
    code, console, document = native.convert(scene, "quad")
    check((result["state"], code, document) == ("failed", 1, None), "vanished file fails")
    check(result["console"].encode() == console == b"Error opening file : vanishing.ASE !\n",
          f"vanished file: console {result['console']!r}, note {result['note']!r}")
    check(result["download"] is None, "vanished file: no document")
    page.set_mode("tri")


def zip_of_batch(page, native, scenes, mode, folder_of):
    """The zip button: its entries are the documents, named by their paths."""
    page.wait("!document.getElementById('zip').disabled", 60)
    page.js("document.getElementById('zip').click();")
    page.wait("document.querySelector('#zip-links a.zip') !== null", 120)
    encoded = page.js(ENCODE + "return encode(await (await fetch("
                      "document.querySelector('#zip-links a.zip').href)).blob());")
    path = os.path.join(native.work, "page.zip")
    with open(path, "wb") as out:
        out.write(base64.b64decode(encoded))
    archive = zipfile.ZipFile(path)
    want = {}
    for scene in scenes:
        document = native.convert(scene, mode)[2]
        if document is not None:
            want[folder_of(scene) + document_name(os.path.basename(scene))] = \
                open(document, "rb").read()
    entries = sorted(archive.namelist())
    check(entries == sorted(want), f"zip entries {entries}")
    for entry in entries:
        check(archive.read(entry) == want.get(entry), f"zip entry {entry}")


def dropped_folder(page, native, work, data):
    """A folder dropped on the page (Chromium): its ASE files at any depth, with their
    paths as titles and data-path, and the zip of their documents in its folders."""
    dropped = os.path.join(work, "scenes")
    os.makedirs(os.path.join(dropped, "sub"))
    for scene in data:
        shutil.copy(scene, dropped)
    shutil.copy(os.path.join(ROOT, "examples/sample.ASE"), os.path.join(dropped, "sub"))
    shutil.copy(os.path.join(ROOT, "examples/sample.ASE"), dropped)
    with open(os.path.join(dropped, "notes.txt"), "w") as notes:
        notes.write("Not a scene.\n")
    page.set_mode("quad")
    page.browser.drop([dropped])
    scenes = [os.path.join(dropped, os.path.basename(s)) for s in data]
    scenes += [os.path.join(dropped, "sample.ASE"), os.path.join(dropped, "sub", "sample.ASE")]
    page.wait_finished(len(scenes))
    paths = sorted(result["path"] for result in page.results(documents=False))
    want = sorted(os.path.relpath(s, work) for s in scenes)
    check(paths == want, f"dropped folder: paths {paths}")
    zip_of_batch(page, native, scenes, "quad",
                 lambda scene: os.path.relpath(os.path.dirname(scene), work) + "/")


def broken_sites(engine, site, work, downloads, npm_dir, scenes):
    """Sites that cannot work: every file fails, with the reason on the page."""
    broken = os.path.join(work, "broken")
    variants = {
        "no-wasm": ("meshlift.wasm", None, "meshlift.wasm"),
        "bad-wasm": ("meshlift.wasm", b"<!DOCTYPE html>\n<p>Not found</p>\n", "meshlift.wasm"),
        "no-js": ("meshlift.js", None, "meshlift.js"),
        "dying": ("worker.js", None, "the worker stopped"),
    }
    for name, (file, content, _) in variants.items():
        shutil.copytree(site, os.path.join(broken, name))
        target = os.path.join(broken, name, file)
        if name == "dying":
            # A worker that dies on one file, after its module started: the error
            # ends the worker's work on it.
            original = open(target).read()
            with open(target, "w") as script:
                script.write("addEventListener('message', (event) => {"
                             " if (event.data.file && event.data.file.name === 'die.ASE') {"
                             " event.stopImmediatePropagation(); throw new Error('died here'); }"
                             " });\n" + original)
        elif content is None:
            os.remove(target)
        else:
            with open(target, "wb") as out:
                out.write(content)
    server = Server(site, broken, {"/strict/": NO_WASM_POLICY, "/policy/": POLICY})
    sample = os.path.join(ROOT, "examples/sample.ASE")
    die = os.path.join(work, "made", "die.ASE")
    shutil.copy(sample, die)
    page = Page(site, downloads, engine, npm_dir, offline=False, server=server,
                path="policy/index.html")
    try:
        # Under the README's header policy the page works.
        page.choose([sample], "tri")
        check(page.results(documents=False)[0]["state"] == "done", "under the header policy")
        cases = [(f"broken/{name}/index.html", variants[name][2]) for name in variants
                 if name != "dying"]
        cases.append(("strict/index.html", "meshlift.wasm"))
        for path, named in cases:
            started = time.monotonic()
            page.goto(path, wait_ready=False)
            page.wait("document.documentElement.dataset.ready === 'yes'", 60)
            page.choose(scenes, "tri", wait=False)
            page.wait_finished(len(scenes), 60)
            results = page.results(documents=False)
            notes = [result["note"] for result in results]
            check(all(result["state"] == "failed" for result in results) and
                  all(named in note for note in notes), f"{path}: notes {notes}")
            problem = page.js("return document.getElementById('problem').textContent;")
            check(named in problem, f"{path}: problem line {problem!r}")
            status = page.status()
            check(status.endswith(f"{len(scenes)} failed."), f"{path}: status {status!r}")
            print(f"  {path}: every file failed after {time.monotonic() - started:.1f} s",
                  flush=True)
        # A worker that dies in its work: that file fails, the others convert, and the
        # next batch is converted by fresh workers.
        page.goto("broken/dying/index.html")
        page.choose([die, sample], "tri")
        states = {r["scene"]: (r["state"], r["note"]) for r in page.results(documents=False)}
        check(states["die.ASE"][0] == "failed" and "stopped" in states["die.ASE"][1] and
              states["sample.ASE"][0] == "done", f"a dying worker: {states}")
        page.choose([sample, os.path.join(ROOT, "tests/data/plane.ASE")], "tri")
        states = [r["state"] for r in page.results(documents=False)]
        check(states == ["done", "done"], f"after a dying worker: {states}")
    finally:
        page.close()


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--engine", choices=("chromium", "firefox", "webkit"), default="chromium")
    parser.add_argument("--site", required=True)
    parser.add_argument("--meshlift", required=True)
    parser.add_argument("--preview", required=True)
    parser.add_argument("--npm-dir", help="where puppeteer-core is installed (firefox)")
    parser.add_argument("--screenshot", help="save a picture of the page at work here (PNG)")
    parser.add_argument("--only", help="run only these parts, comma-separated: batches, "
                        "choices, names, fit, flood, vanishing, drop, broken")
    args = parser.parse_args()
    parts = set(args.only.split(",")) if args.only else None

    def part(name):
        return parts is None or name in parts

    need = missing_tools(args.engine, args.npm_dir)
    if not os.path.exists(os.path.join(args.site, "index.html")):
        need.append(f"the site in {args.site} (cmake --workflow --preset web)")
    if need:
        # CI installs all of it: there a missing tool is a failure.
        required = bool(os.environ.get("MESHLIFT_PAGE_TEST_REQUIRED"))
        print(f"{'failed' if required else 'skipped'}: the {args.engine} page test needs "
              f"{', '.join(need)}")
        return 1 if required else SKIPPED

    started = time.monotonic()
    work = tempfile.mkdtemp(prefix="meshlift-page-")
    downloads = os.path.join(work, "downloads")
    os.makedirs(downloads)
    native = Native(os.path.abspath(args.meshlift), os.path.abspath(args.preview), work)
    site = os.path.abspath(args.site)
    npm_dir = os.path.abspath(args.npm_dir) if args.npm_dir else None

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
    with open(os.path.join(made, "eof.ASE"), "wb") as eof:
        eof.write(b"\x1a")
    with open(os.path.join(made, "picture.ASE"), "wb") as png:
        png.write(open(os.path.join(ROOT, "doc/web-page.png"), "rb").read()[:4096])
    folders["made"] = [os.path.join(made, name)
                       for name in ("notes.txt", "empty.ASE", "eof.ASE", "picture.ASE")]

    try:
        return run_parts(args, part, work, downloads, native, site, npm_dir, folders, started)
    finally:
        shutil.rmtree(work, ignore_errors=True)


def run_parts(args, part, work, downloads, native, site, npm_dir, folders, started):
    page = Page(site, downloads, args.engine, npm_dir)
    try:
        if part("batches"):
            for folder, scenes in folders.items():
                print(f"{args.engine}: {folder}, tri then quad: {len(scenes)} files "
                      f"({time.monotonic() - started:.0f} s)", flush=True)
                compare_batch(page, native, scenes, "tri")
                # The mode changed: the same files convert again. (The corpus's quad
                # pictures, drawn by the same module, in Chromium only: time.)
                page.set_mode("quad")
                compare_batch(page, native, scenes, "quad", chosen=False,
                              pictures=args.engine == "chromium" or folder != "corpus")
                page.set_mode("tri")
            page.wait_finished(len(folders["made"]))
            zip_of_batch(page, native, folders["made"], "tri", lambda scene: "")  # the last batch
        print(f"{args.engine}: choices, names, fit, flood ({time.monotonic() - started:.0f} s)",
              flush=True)
        if part("choices"):
            choices(page, native, work)
        if part("names"):
            never_a_page(page, native, hostile_scene(work))
        if part("fit"):
            quick_fit(page, native, [os.path.join(ROOT, "examples/sample.ASE")] +
                      folders.get("corpus", [])[:3])
        if part("flood"):
            flood(page, native, work)
        if part("vanishing"):
            vanishing(page, native, work)
        if part("drop") and args.engine == "chromium":
            dropped_folder(page, native, work, folders["data"])
        if args.screenshot:
            screenshot(page, args.screenshot)
        violations = page.js("return violations;")
        check(violations == [], f"content security policy violations {violations}")
        if args.engine == "chromium":
            errors = [entry for entry in page.driver.get_log("browser")
                      if entry["level"] == "SEVERE"]
            check(errors == [], f"browser errors {errors}")
    finally:
        page.close()
    if part("broken"):
        print(f"{args.engine}: sites that cannot work ({time.monotonic() - started:.0f} s)",
              flush=True)
        broken_sites(args.engine, site, work, downloads, npm_dir,
                     [os.path.join(ROOT, "examples/sample.ASE"),
                      os.path.join(ROOT, "tests/data/plane.ASE")])
    print(f"web page in {args.engine}: {checks - len(failures)} passed, {len(failures)} failed, "
          f"{time.monotonic() - started:.0f} s")
    return 1 if failures else 0


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


if __name__ == "__main__":
    sys.exit(main())
