#!/usr/bin/env python3
"""Times UTF-16 scenes against their UTF-8 twins.

Each scene of the main table is written again in UTF-16 (little-endian, with a
byte-order mark): the same text, twice the bytes. Meshlift converts both, interleaved
and repeated, from the file and from a pipe; each row gives the median wall and CPU
seconds, the peak RSS, and the UTF-16 run's time as a share of its twin's (the median
of the pair-by-pair ratios). The floor program (the input read twice, the document
written) shows what reading twice the bytes costs alone: its own ratio, UTF-16 file
against UTF-8 file.

    python3 bench/utf16_scenes.py             # 50 MB scenes, 7 repeats
    python3 bench/utf16_scenes.py --quick     # 5 MB scenes, 2 repeats
"""

import argparse
import os
import statistics
import sys

import subprocess

from run_bench import DATA, FLOOR, MESHLIFT, OUT, build, scene, timed


def utf16_twin(path):
    """The scene's text in UTF-16LE with a byte-order mark, written once beside it."""
    twin = path[: -len(".ASE")] + "_utf16le.ASE"
    if not os.path.exists(twin) or os.path.getmtime(twin) < os.path.getmtime(path):
        with open(path, "rb") as source, open(twin + ".tmp", "wb") as out:
            out.write(b"\xff\xfe")
            for block in iter(lambda: source.read(1 << 20), b""):
                out.write(block.decode("utf-8").encode("utf-16-le"))
        os.replace(twin + ".tmp", twin)
    return twin


def command(path, output, mode, piped):
    if piped:  # through a pipe, which Meshlift copies into a temporary file first
        return ["sh", "-c", 'cat "$1" | "$2" /dev/stdin "$3" "$4"', "sh", path, MESHLIFT,
                output, mode]
    return [MESHLIFT, path, output, mode]


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--quick", action="store_true", help="small scenes, few repeats")
    parser.add_argument("--repeats", type=int, default=7)
    args = parser.parse_args()
    build()
    os.makedirs(DATA, exist_ok=True)
    os.makedirs(OUT, exist_ok=True)
    size = 5 if args.quick else 50
    repeats = 2 if args.quick else args.repeats
    cases = [
        ("realistic", scene(f"real{size}", size, 25)),
        ("mostly normals", scene(f"skip{size}", size, 4, "--normal-repeat", "50")),
    ]
    output = os.path.join(OUT, "output.xml")
    print("| scene | mode | read from | UTF-8 MB | UTF-16 MB | UTF-8 wall s | UTF-16 wall s |"
          " UTF-16 / UTF-8 (paired) | floor UTF-16 / UTF-8 | UTF-8 CPU s | UTF-16 CPU s |"
          " UTF-8 / UTF-16 peak RSS MiB |")
    print("|---|---|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|")
    for label, path in cases:
        twin = utf16_twin(path)
        expected = os.path.join(OUT, "expected.xml")
        for mode in ("tri", "quad"):
            subprocess.run([MESHLIFT, path, expected, mode], check=True,
                           stdout=subprocess.DEVNULL)
            floors = {path: [], twin: []}
            for _ in range(repeats):
                for scene_path in floors:
                    floors[scene_path].append(
                        timed([FLOOR, scene_path, expected, output], output)[0])
            floor = statistics.median(b / a for a, b in zip(floors[path], floors[twin]))
            for piped in (False, True):
                runs = {path: [], twin: []}
                for _ in range(repeats):
                    for scene_path in runs:
                        runs[scene_path].append(
                            timed(command(scene_path, output, mode, piped), output))
                eight, sixteen = runs[path], runs[twin]
                med = lambda rs, k: statistics.median(r[k] for r in rs)
                paired = statistics.median(b[0] / a[0] for a, b in zip(eight, sixteen))
                print(f"| {label} | {mode} | {'pipe' if piped else 'file'} | "
                      f"{os.path.getsize(path) / 1e6:.0f} | {os.path.getsize(twin) / 1e6:.0f} | "
                      f"{med(eight, 0):.2f} | {med(sixteen, 0):.2f} | {paired:.3f} | {floor:.3f} | "
                      f"{med(eight, 1):.2f} | {med(sixteen, 1):.2f} | "
                      f"{med(eight, 2) / 1024:.1f} / {med(sixteen, 2) / 1024:.1f} |")
                sys.stdout.flush()
            os.remove(expected)
    return 0


if __name__ == "__main__":
    sys.exit(main())
