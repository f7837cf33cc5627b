#!/usr/bin/python3
"""Measures the web page in headless Chromium against the native program.

Builds Meshlift in Release (build/page-bench) and the web page (the `web` workflow,
build/web), generates the realistic 30 MB scene of run_bench.py, and converts it in
"tri" and "quad" mode, interleaved and repeated: once through the page (the file
chosen in its file input, as a user does) and once with the program, which writes
its document to a tmpfs. For the page it gives the worker's conversion time (from
the call into WebAssembly until the document's Blob is made: reading the file in
slices, converting, collecting the document), the page's time from the file input's
change event until the document's link is there and until the result is done (its
picture drawn, which the program does not do), and the WebAssembly memory of the
worker after the conversion and after the picture (it only ever grows, so these are
its peaks). Medians of each. Last, the page's document must have the program's bytes
(SHA-256 of both).

    /usr/bin/python3 bench/page_bench.py                  # the table, 9 repeats
    /usr/bin/python3 bench/page_bench.py --size-mb 200 --repeats 1   # the memory check
    /usr/bin/python3 bench/page_bench.py --responsive   # the page's thread, see below

With --responsive it measures what the page's own thread goes through instead: the
sample claiming two million vertices (two million console lines, 124 MB) and the zip of
the realistic scene's document, each with the longest task on the page's thread
(Chromium's long tasks, from 50 ms on), the page's JavaScript heap after it and the
time it took.

Needs what tests/web/page_test.py needs (chromium, chromium-driver,
python3-selenium) and emscripten for the page.
"""

import argparse
import hashlib
import os
import statistics
import subprocess
import sys
import time

import run_bench  # the scenes and the timing of one native run, beside this script

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(ROOT, "tests", "web"))
import page_test  # noqa: E402  the served page in headless Chromium

BUILD = os.path.join(ROOT, "build", "page-bench")
MESHLIFT = os.path.join(BUILD, "Meshlift")
SITE = os.path.join(ROOT, "build", "web")


def build(program=True):
    if not program:  # the web page alone
        environment = dict(os.environ, NODE_PATH="/usr/share/nodejs")
        subprocess.run(["cmake", "--workflow", "--preset", "web"], cwd=ROOT, check=True,
                       stdout=subprocess.DEVNULL, env=environment)
        return
    subprocess.run(["cmake", "-S", ROOT, "-B", BUILD, "-G", "Ninja", "-DCMAKE_BUILD_TYPE=Release",
                    "-DBUILD_TESTING=OFF"], check=True, stdout=subprocess.DEVNULL)
    subprocess.run(["cmake", "--build", BUILD, "-j2", "--target", "Meshlift"], check=True,
                   stdout=subprocess.DEVNULL)
    environment = dict(os.environ, NODE_PATH="/usr/share/nodejs")
    subprocess.run(["cmake", "--workflow", "--preset", "web"], cwd=ROOT, check=True,
                   stdout=subprocess.DEVNULL, env=environment)


def through_page(page, scene, mode):
    """Seconds of the worker's conversion and of the whole page, and memory bytes."""
    page.driver.execute_script("""
        window.chosenAt = null;
        window.offeredAt = null;
        window.finishedAt = null;
        window.addEventListener('change', () => { chosenAt = performance.now(); },
                                { capture: true, once: true });
        new MutationObserver((changes, observer) => {
            const result = document.querySelector('.result');
            if (result && offeredAt === null && result.querySelector('a.document'))
                offeredAt = performance.now();
            if (result && result.dataset.state !== 'working') {
                finishedAt = performance.now();
                observer.disconnect();
            }
        }).observe(document.getElementById('results'),
                   { attributes: true, childList: true, subtree: true });
    """)
    page.choose([scene], mode)
    found = page.driver.execute_script("""
        const result = document.querySelector('.result');
        return [result.dataset.state, Number(result.dataset.convertMs), offeredAt - chosenAt,
                finishedAt - chosenAt, Number(result.dataset.convertMemory),
                Number(result.dataset.memory)];
    """)
    state, convert_ms, offered_ms, page_ms, convert_memory, memory = found
    assert state == "done", state
    return convert_ms / 1000, offered_ms / 1000, page_ms / 1000, convert_memory, memory


def same_document(page, native_document):
    """Whether the page's document has the bytes of the program's (SHA-256 of both)."""
    digest = page.driver.execute_async_script("""
        const done = arguments[arguments.length - 1];
        fetch(document.querySelector('.result a.document').href)
            .then((response) => response.arrayBuffer())
            .then((bytes) => crypto.subtle.digest('SHA-256', bytes))
            .then((hash) => done([...new Uint8Array(hash)]
                .map((b) => b.toString(16).padStart(2, '0')).join('')));
    """)
    hash = hashlib.sha256()
    with open(native_document, "rb") as native:
        for block in iter(lambda: native.read(1 << 20), b""):
            hash.update(block)
    return digest == hash.hexdigest()


WATCH_TASKS = """
    window.longest = 0;
    new PerformanceObserver((list) => {
        for (const entry of list.getEntries()) longest = Math.max(longest, entry.duration);
    }).observe({ type: "longtask", buffered: false });
"""


def heap_mb(page):
    page.driver.execute_cdp_cmd("HeapProfiler.collectGarbage", {})
    metrics = page.driver.execute_cdp_cmd("Performance.getMetrics", {})["metrics"]
    return next(m["value"] for m in metrics if m["name"] == "JSHeapUsedSize") / 2**20


def responsive(scene):
    """The page's thread on a file that prints millions of lines, and on a large zip."""
    flood = os.path.join(run_bench.OUT, "page-bench-flood.ASE")
    with open(os.path.join(ROOT, "examples", "sample.ASE"), "rb") as sample:
        text = sample.read()
    at = text.index(b"*MESH_NUMVERTEX")
    with open(flood, "wb") as out:
        out.write(text[:at] + b"*MESH_NUMVERTEX 2000000" + text[text.index(b"\n", at):])
    page = page_test.Page(SITE)
    try:
        page.driver.execute_cdp_cmd("Performance.enable", {})
        print("| work | seconds | longest task ms | page heap MiB |")
        print("|---|---:|---:|---:|")
        for name, path, zipped in (("two million console lines", flood, False),
                                   (f"zip of {os.path.getsize(scene) / 1e6:.0f} MB scene's document",
                                    scene, True)):
            page.choose([path], "tri")
            page.driver.execute_script(WATCH_TASKS)
            started = time.monotonic()
            if zipped:
                page.js("document.getElementById('zip').click();")
                page.wait("document.querySelector('#zip-links a.zip') !== null", 600)
            else:
                page.choose([path], "tri")
            seconds = time.monotonic() - started
            longest = page.driver.execute_script("return longest;")
            print(f"| {name} | {seconds:.2f} | {longest:.0f} | {heap_mb(page):.1f} |", flush=True)
    finally:
        page.close()
        os.remove(flood)


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--size-mb", type=int, default=30, help="the realistic scene's size")
    parser.add_argument("--repeats", type=int, default=9)
    parser.add_argument("--responsive", action="store_true",
                        help="measure the page's own thread instead (see above)")
    args = parser.parse_args()

    build(program=not args.responsive)
    os.makedirs(run_bench.DATA, exist_ok=True)
    os.makedirs(run_bench.OUT, exist_ok=True)
    # The objects grow with the size as in run_bench.py: 20 for 30 MB, 50 for 100 MB.
    scene = run_bench.scene(f"real{args.size_mb}", args.size_mb, max(20, args.size_mb // 2))
    if args.responsive:
        responsive(scene)
        return 0
    megabytes = os.path.getsize(scene) / 1e6
    output = os.path.join(run_bench.OUT, "page-bench.xml")
    downloads = os.path.join(run_bench.OUT, "page-bench-downloads")
    os.makedirs(downloads, exist_ok=True)

    print("| mode | input MB | run | wall s | MB/s | / native | WebAssembly memory MiB |")
    print("|---|---:|---|---:|---:|---:|---:|")
    for mode in ("tri", "quad"):
        # A fresh page for each mode: its worker's memory after the first conversion
        # is the conversion's alone, before any picture.
        page = page_test.Page(SITE, downloads)
        try:
            native, converted, offered, whole, memory, picture_memory = [], [], [], [], [], []
            for _ in range(args.repeats):
                convert_s, offered_s, page_s, convert_bytes, picture_bytes = through_page(
                    page, scene, mode)
                converted.append(convert_s)
                offered.append(offered_s)
                whole.append(page_s)
                memory.append(convert_bytes)
                picture_memory.append(picture_bytes)
                native.append(run_bench.timed([MESHLIFT, scene, output, mode], output)[0])
            subprocess.run([MESHLIFT, scene, output, mode], check=True, stdout=subprocess.DEVNULL)
            identical = same_document(page, output)
            os.remove(output)
        finally:
            page.close()
        base = statistics.median(native)
        rows = [("Meshlift (native)", base, ""),
                ("page: conversion in the worker", statistics.median(converted),
                 f"{memory[0] / 2**20:.1f}"),
                ("page: file chosen to document offered", statistics.median(offered), ""),
                ("page: file chosen to picture drawn", statistics.median(whole),
                 f"{max(picture_memory) / 2**20:.1f}")]
        for name, wall, mib in rows:
            print(f"| {mode} | {megabytes:.0f} | {name} | {wall:.2f} | {megabytes / wall:.0f} | "
                  f"{wall / base:.2f} | {mib} |", flush=True)
        if not identical:
            print(f"The page's {mode} document differs from the program's!", flush=True)
            return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
