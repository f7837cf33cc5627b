#!/usr/bin/env python3
"""Measures meshlift-preview against `xmllint --stream --noout` on the same documents.

Builds Meshlift and meshlift-preview in Release (build/preview-bench), generates the
realistic scenes with generate_scene.py, converts each in "tri" and "quad" mode, then
runs, interleaved and repeated: xmllint's streaming reader doing nothing but reading
the document, meshlift-preview drawing it from the document's camera, and
meshlift-preview --fit (which reads the document twice). Each row gives medians of
wall time, CPU time (user + system) and peak RSS; "paired" is the median of each run's
ratio to the xmllint run of the same repeat.

    python3 bench/preview_bench.py               # 30 MB and 100 MB scenes
    python3 bench/preview_bench.py --quick       # 3 MB and 10 MB, to try the script
"""

import argparse
import os
import shutil
import statistics
import subprocess
import sys

import run_bench  # its timing of one run, beside this script

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
BUILD = os.path.join(ROOT, "build", "preview-bench")
DATA = os.path.join(BUILD, "data")
MESHLIFT = os.path.join(BUILD, "Meshlift")
PREVIEW = os.path.join(BUILD, "meshlift-preview")
GENERATOR = os.path.join(ROOT, "bench", "generate_scene.py")
OUT = "/dev/shm/meshlift-preview-bench" if os.path.isdir("/dev/shm") else DATA


def build():
    subprocess.run(
        ["cmake", "-S", ROOT, "-B", BUILD, "-G", "Ninja", "-DCMAKE_BUILD_TYPE=Release",
         "-DBUILD_TESTING=OFF"], check=True, stdout=subprocess.DEVNULL)
    subprocess.run(["cmake", "--build", BUILD, "-j2", "--target", "Meshlift", "meshlift-preview"],
                   check=True, stdout=subprocess.DEVNULL)


def document(size_mb, mode):
    """The converted document of the realistic scene of this size (made once)."""
    scene = os.path.join(DATA, f"real{size_mb:g}.ASE")
    path = os.path.join(DATA, f"real{size_mb:g}.{mode}.xml")
    if not os.path.exists(scene):
        subprocess.run([sys.executable, GENERATOR, scene, "--size-mb", str(size_mb)], check=True)
    if not os.path.exists(path) or os.path.getmtime(path) < os.path.getmtime(scene):
        subprocess.run([MESHLIFT, scene, path, mode], check=True, stdout=subprocess.DEVNULL)
    return path


def timed(command):
    """Wall seconds, CPU seconds and peak RSS in MiB of one run."""
    wall, cpu, peak_kib = run_bench.timed(command)
    return wall, cpu, peak_kib / 1024


def measure(path, repeats):
    picture = os.path.join(OUT, "picture.png")
    programs = {
        "xmllint --stream": ["xmllint", "--stream", "--noout", path],
        "meshlift-preview": [PREVIEW, path, picture],
        "meshlift-preview --fit": [PREVIEW, path, picture, "--fit"],
    }
    runs = {name: [] for name in programs}
    for _ in range(repeats):
        for name, command in programs.items():
            runs[name].append(timed(command))
    return runs


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--quick", action="store_true", help="a tenth of the sizes")
    parser.add_argument("--repeats", type=int, default=9)
    args = parser.parse_args()
    if shutil.which("xmllint") is None or not os.path.exists("/usr/bin/time"):
        sys.exit("needs xmllint (libxml2-utils) and /usr/bin/time (time)")
    os.makedirs(DATA, exist_ok=True)
    os.makedirs(OUT, exist_ok=True)
    build()
    sizes = (3, 10) if args.quick else (30, 100)
    print("| scene MB | mode | document MB | polygons | program | wall s | wall / xmllint |"
          " paired | CPU s | peak RSS MiB |")
    print("|---:|---|---:|---:|---|---:|---:|---:|---:|---:|")
    for size in sizes:
        for mode in ("tri", "quad"):
            path = document(size, mode)
            with open(path, "rb") as text:
                polygons = sum(line.startswith(b"<polygon ") for line in text)
            runs = measure(path, args.repeats)
            base = runs["xmllint --stream"]
            base_wall = statistics.median(r[0] for r in base)
            for name, results in runs.items():
                wall = statistics.median(r[0] for r in results)
                paired = statistics.median(r[0] / b[0] for r, b in zip(results, base))
                cpu = statistics.median(r[1] for r in results)
                peak = statistics.median(r[2] for r in results)
                print(f"| {size} | {mode} | {os.path.getsize(path) / 1e6:.1f} | {polygons} |"
                      f" {name} | {wall:.3f} | {wall / base_wall:.2f} | {paired:.2f} |"
                      f" {cpu:.3f} | {peak:.1f} |", flush=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
