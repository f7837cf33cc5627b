#!/usr/bin/env python3
"""Builds Meshlift in Release, generates the benchmark scenes and prints the table.

For every scene and mode it runs, interleaved and repeated: the floor program (the
input read twice, the expected document written one line per write), Meshlift,
and for the realistic scenes in "tri" mode `assimp export scene.ASE scene.obj`
as a peer. Each row gives the medians of wall time, CPU time (user + system)
and peak RSS. Scenes live under build/bench/data, never in the tree; the documents
are written to a tmpfs (/dev/shm when there is one), so that the disk's writeback
does not decide the timings of runs that each write tens of megabytes.

    python3 bench/run_bench.py            # the full table (a few minutes)
    python3 bench/run_bench.py --quick    # small scenes, to try the script
"""

import argparse
import os
import shutil
import statistics
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
BUILD = os.path.join(ROOT, "build", "bench")
DATA = os.path.join(BUILD, "data")
MESHLIFT = os.path.join(BUILD, "Meshlift")
FLOOR = os.path.join(BUILD, "bench", "meshlift_floor")
SCAN_RATE = os.path.join(BUILD, "bench", "meshlift_scan_rate")
GENERATOR = os.path.join(ROOT, "bench", "generate_scene.py")
OUT = "/dev/shm/meshlift-bench" if os.path.isdir("/dev/shm") else DATA


def build():
    subprocess.run(
        ["cmake", "-S", ROOT, "-B", BUILD, "-G", "Ninja", "-DCMAKE_BUILD_TYPE=Release",
         "-DMESHLIFT_BUILD_BENCH=ON", "-DBUILD_TESTING=OFF"],
        check=True, stdout=subprocess.DEVNULL)
    subprocess.run(["cmake", "--build", BUILD, "-j2"], check=True, stdout=subprocess.DEVNULL)


def scene(name, size_mb, objects, *options):
    """Generates a scene once; the generator is deterministic, so a file of the
    same name and options is reused."""
    path = os.path.join(DATA, f"{name}.ASE")
    stamp = path + ".options"
    wanted = " ".join([str(size_mb), str(objects), *options])
    if not (os.path.exists(path) and os.path.exists(stamp) and open(stamp).read() == wanted):
        subprocess.run([sys.executable, GENERATOR, path, "--size-mb", str(size_mb),
                        "--objects", str(objects), *options], check=True)
        with open(stamp, "w") as out:
            out.write(wanted)
    return path


def timed(command, output=None):
    """Wall seconds, CPU seconds and peak RSS in KiB of one run; `output`, when given,
    is the file the run writes, removed before and after it."""
    if output and os.path.exists(output):
        os.remove(output)
    report = os.path.join(DATA, "time.txt")
    os.makedirs(DATA, exist_ok=True)
    start = time.perf_counter()
    subprocess.run(["/usr/bin/time", "-f", "%U %S %M", "-o", report, *command],
                   check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    wall = time.perf_counter() - start
    user, system, rss = open(report).read().split()[-3:]
    if output:
        os.remove(output)
    return wall, float(user) + float(system), int(rss)


def measure(path, mode, repeats, with_assimp):
    expected = os.path.join(OUT, "expected.xml")
    output = os.path.join(OUT, "output.xml")
    subprocess.run([MESHLIFT, path, expected, mode], check=True, stdout=subprocess.DEVNULL)
    with open(expected, "rb") as document:
        lines = sum(block.count(b"\n") for block in iter(lambda: document.read(1 << 20), b""))
    programs = {
        "floor": [FLOOR, path, expected, output],
        "Meshlift": [MESHLIFT, path, output, mode],
    }
    if with_assimp:
        programs["assimp"] = ["assimp", "export", path, os.path.join(OUT, "output.obj")]
    runs = {name: [] for name in programs}
    for _ in range(repeats):  # interleaved, so that a slow spell hits every program
        for name, command in programs.items():
            target = command[-1] if name == "assimp" else output
            runs[name].append(timed(command, target))
    os.remove(expected)
    results = {}
    for name, rs in runs.items():
        medians = tuple(statistics.median(r[k] for r in rs) for k in range(3))
        # Each run against the floor run next to it: a slow spell of the machine
        # then weighs on both sides of the ratio.
        paired = statistics.median(r[0] / f[0] for r, f in zip(rs, runs["floor"]))
        results[name] = (*medians, paired)
    return lines, results


def row(label, mode, path, lines, name, result, floor):
    megabytes = os.path.getsize(path) / 1e6
    wall, cpu, rss, paired = result
    return (f"| {label} | {mode} | {megabytes:.0f} | {lines} | {name} | {wall:.2f} | "
            f"{megabytes / wall:.0f} | {wall / floor[0]:.3f} | {paired:.3f} | {cpu:.2f} | "
            f"{cpu / floor[1]:.3f} | {rss / 1024:.1f} |")


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--quick", action="store_true", help="small scenes, few repeats")
    parser.add_argument("--no-assimp", action="store_true", help="leave out the assimp rows")
    parser.add_argument("--only", default="", help="only the scenes whose file name has this text")
    parser.add_argument("--repeats", type=int, default=0, help="repeats for every scene")
    args = parser.parse_args()

    build()
    os.makedirs(DATA, exist_ok=True)
    os.makedirs(OUT, exist_ok=True)
    with_assimp = not args.no_assimp and shutil.which("assimp") is not None
    scale = 0.1 if args.quick else 1.0

    def mb(size):
        return max(1, round(size * scale))

    # (label, scene path, repeats, assimp row)
    cases = [
        ("realistic", scene(f"real{mb(30)}", mb(30), 20), 9, True),
        ("realistic", scene(f"real{mb(100)}", mb(100), 50), 7, True),
        ("realistic", scene(f"real{mb(300)}", mb(300), 150), 5, True),
        ("no colour, 1,000 objects", scene(f"nocolour1k_{mb(100)}", mb(100), 1000,
                                           "--no-colour"), 7, False),
        ("no colour, 20,000 objects", scene(f"nocolour20k_{mb(100)}", mb(100), 20000,
                                            "--no-colour"), 7, False),
        ("CR LF", scene(f"crlf{mb(50)}", mb(50), 25, "--crlf"), 3, False),
        ("mostly normals", scene(f"skip{mb(200)}", mb(200), 4, "--normal-repeat", "50"), 3,
         False),
    ]
    cases = [case for case in cases if args.only in os.path.basename(case[1])]
    if args.quick:
        cases = [(label, path, 2, assimp) for label, path, _, assimp in cases]
    if args.repeats > 0:
        cases = [(label, path, args.repeats, assimp) for label, path, _, assimp in cases]

    print("| scene | mode | input MB | document lines | program | wall s | MB/s | wall / floor"
          " | paired | CPU s | CPU / floor | peak RSS MiB |")
    print("|---|---|---:|---:|---|---:|---:|---:|---:|---:|---:|---:|")
    sys.stdout.flush()
    for label, path, repeats, assimp in cases:
        for mode in ("tri", "quad"):
            lines, results = measure(path, mode, repeats, with_assimp and assimp and mode == "tri")
            for name, result in results.items():
                print(row(label, mode, path, lines, name, result, results["floor"]))
                sys.stdout.flush()

    if args.only and args.only not in "skip":
        return 0
    skip = scene(f"skip{mb(200)}", mb(200), 4, "--normal-repeat", "50")
    rates = subprocess.run([SCAN_RATE, skip, "5"], check=True, capture_output=True,
                           text=True).stdout.split()
    print()
    print(f"Reading past lines without the keyword ({os.path.getsize(skip) / 1e6:.0f} MB scene,"
          " mostly normals), median of 5, MB/s:")
    for keyword, rate in zip(rates[0::2], rates[1::2]):
        print(f"- {keyword}: {rate}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
