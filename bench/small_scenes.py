#!/usr/bin/env python3
"""Converts a folder of small scenes one process per file, against copying them.

Asset folders hold thousands of small scenes, converted by build scripts one
process per file; for them the start of each process is nearly the whole cost.
This runs, alternating and repeated, one shell loop that converts every scene of
a folder with Meshlift and one that copies every scene with `cp`, and prints the
median time of each loop and their ratio, and the peak memory of one small run.

The folder holds the scenes of ../shared/corpus/ase up to 200 KB (tests/data and
examples when the corpus is absent), each eight times over.

    python3 bench/small_scenes.py [--repeats N] [--meshlift PATH]
"""

import argparse
import glob
import os
import shutil
import statistics
import subprocess
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
BUILD = os.path.join(ROOT, "build", "bench")
MAX_SIZE = 200 * 1000
COPIES = 8


def build():
    subprocess.run(
        ["cmake", "-S", ROOT, "-B", BUILD, "-G", "Ninja", "-DCMAKE_BUILD_TYPE=Release",
         "-DMESHLIFT_BUILD_BENCH=ON", "-DBUILD_TESTING=OFF"],
        check=True, stdout=subprocess.DEVNULL)
    subprocess.run(["cmake", "--build", BUILD, "-j2", "--target", "Meshlift"], check=True,
                   stdout=subprocess.DEVNULL)
    return os.path.join(BUILD, "Meshlift")


def small_scenes():
    corpus = os.path.join(ROOT, "..", "shared", "corpus", "ase")
    folders = [corpus] if os.path.isdir(corpus) else [
        os.path.join(ROOT, "tests", "data"), os.path.join(ROOT, "examples")]
    scenes = []
    for folder in folders:
        for path in sorted(glob.glob(os.path.join(folder, "*"))):
            if os.path.isfile(path) and not path.endswith((".xml", ".out", ".md")) \
                    and os.path.getsize(path) <= MAX_SIZE:
                scenes.append(path)
    return scenes


def fill_folder(folder, scenes):
    for copy in range(COPIES):
        for path in scenes:
            shutil.copyfile(path, os.path.join(folder, f"{copy}-{os.path.basename(path)}"))
    return len(scenes) * COPIES


def timed(command):
    start = time.perf_counter()
    subprocess.run(command, shell=True, check=True, stdout=subprocess.DEVNULL)
    return time.perf_counter() - start


def peak_kib(command):
    result = subprocess.run(["/usr/bin/time", "-f", "%M"] + command, check=True,
                            stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
    return int(result.stderr.strip().splitlines()[-1])


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--repeats", type=int, default=15)
    parser.add_argument("--meshlift", default="", help="a Meshlift binary instead of building")
    args = parser.parse_args()
    meshlift = args.meshlift or build()
    scenes = small_scenes()
    base = "/dev/shm" if os.path.isdir("/dev/shm") else None
    with tempfile.TemporaryDirectory(dir=base) as work:
        source = os.path.join(work, "scenes")
        target = os.path.join(work, "out")
        os.mkdir(source)
        os.mkdir(target)
        count = fill_folder(source, scenes)
        def loop(program, suffix):
            return (f'for f in "{source}"/*; do {program} "$f" "{target}/${{f##*/}}{suffix}"'
                    ' || exit 1; done')
        convert = loop(f"'{meshlift}'", ".xml")
        copy = loop("cp", "")
        times = {"Meshlift": [], "cp": []}
        ratios = []
        timed(convert)
        timed(copy)
        for _ in range(args.repeats):
            a = timed(convert)
            b = timed(copy)
            times["Meshlift"].append(a)
            times["cp"].append(b)
            ratios.append(a / b)
        sample = os.path.join(ROOT, "examples", "sample.ASE")
        peak = peak_kib([meshlift, sample, os.path.join(target, "sample.xml")])
        peak_cp = peak_kib(["cp", sample, os.path.join(target, "sample.copy")])
    print(f"{count} scenes ({len(scenes)} files x {COPIES}), one process per file, "
          f"{args.repeats} alternating repeats")
    print(f"{'command':10} {'median s':>9} {'ms/file':>8}")
    for name, values in times.items():
        median = statistics.median(values)
        print(f"{name:10} {median:9.3f} {1000 * median / count:8.2f}")
    ratio = statistics.median(times["Meshlift"]) / statistics.median(times["cp"])
    print(f"Meshlift / cp: {ratio:.2f} (paired median {statistics.median(ratios):.2f})")
    print(f"peak RSS of one sample run: Meshlift {peak} KiB, cp {peak_cp} KiB")


if __name__ == "__main__":
    main()
