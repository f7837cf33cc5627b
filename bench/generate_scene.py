#!/usr/bin/env python3
"""Writes a large, realistic ASE scene for benchmarking Meshlift.

The scene looks like a detailed export: a header, a material list, then K
geometric objects, each with its node transform, vertex list, face list (with
smoothing groups and material ids), texture vertices and faces, a normals block,
the trailing properties and the "*WIREFRAME_COLOR" line after the mesh, where
exporters put it. The output is a function of the options alone (seeded).
"""

import argparse
import random
import sys

HEADER = """*3DSMAX_ASCIIEXPORT\t200
*COMMENT "AsciiExport-Version  2,00 - benchmark scene"
*SCENE {
\t*SCENE_FILENAME "bench.max"
\t*SCENE_FIRSTFRAME 0
\t*SCENE_LASTFRAME 100
\t*SCENE_FRAMESPEED 30
\t*SCENE_TICKSPERFRAME 160
\t*SCENE_BACKGROUND_STATIC 0.0000\t0.0000\t0.0000
\t*SCENE_AMBIENT_STATIC 0.0000\t0.0000\t0.0000
}
"""

MATERIAL = """\t*MATERIAL {index} {{
\t\t*MATERIAL_NAME "{index:02d} - Default"
\t\t*MATERIAL_CLASS "Standard"
\t\t*MATERIAL_AMBIENT {r:.4f}\t{g:.4f}\t{b:.4f}
\t\t*MATERIAL_DIFFUSE {g:.4f}\t{b:.4f}\t{r:.4f}
\t\t*MATERIAL_SPECULAR 0.9000\t0.9000\t0.9000
\t\t*MATERIAL_SHINE 0.1000
\t\t*MATERIAL_SHINESTRENGTH 0.0000
\t\t*MATERIAL_TRANSPARENCY 0.0000
\t\t*MATERIAL_WIRESIZE 1.0000
\t\t*MATERIAL_SHADING Blinn
\t\t*MATERIAL_XP_FALLOFF 0.0000
\t\t*MATERIAL_SELFILLUM 0.0000
\t\t*MATERIAL_FALLOFF In
\t\t*MATERIAL_XP_TYPE Filter
\t}}
"""

MATERIAL_COUNT = 6


def coordinate(rng):
    return f"{rng.uniform(-500.0, 500.0):.4f}"


def unit(rng):
    return f"{rng.uniform(-1.0, 1.0):.4f}"


def object_text(rng, number, vertices, normal_repeat, colour):
    """One geometric object; `vertices` is at least 3, faces are about twice that."""
    faces = 2 * vertices - 4 if vertices > 3 else 1
    name = f"Mesh{number:05d}"
    out = [
        "*GEOMOBJECT {\n",
        f'\t*NODE_NAME "{name}"\n',
        "\t*NODE_TM {\n",
        f'\t\t*NODE_NAME "{name}"\n',
        "\t\t*INHERIT_POS 0 0 0\n\t\t*INHERIT_ROT 0 0 0\n\t\t*INHERIT_SCL 0 0 0\n",
        "\t\t*TM_ROW0 1.0000\t0.0000\t0.0000\n\t\t*TM_ROW1 0.0000\t1.0000\t0.0000\n",
        "\t\t*TM_ROW2 0.0000\t0.0000\t1.0000\n",
        f"\t\t*TM_ROW3 {coordinate(rng)}\t{coordinate(rng)}\t{coordinate(rng)}\n",
        f"\t\t*TM_POS {coordinate(rng)}\t{coordinate(rng)}\t{coordinate(rng)}\n",
        "\t\t*TM_ROTAXIS 0.0000\t0.0000\t0.0000\n\t\t*TM_ROTANGLE 0.0000\n",
        "\t\t*TM_SCALE 1.0000\t1.0000\t1.0000\n\t\t*TM_SCALEAXIS 0.0000\t0.0000\t0.0000\n",
        "\t\t*TM_SCALEAXISANG 0.0000\n\t}\n",
        "\t*MESH {\n\t\t*TIMEVALUE 0\n",
        f"\t\t*MESH_NUMVERTEX {vertices}\n\t\t*MESH_NUMFACES {faces}\n",
        "\t\t*MESH_VERTEX_LIST {\n",
    ]
    out += [
        f"\t\t\t*MESH_VERTEX {v:5d}\t{coordinate(rng)}\t{coordinate(rng)}\t{coordinate(rng)}\n"
        for v in range(vertices)
    ]
    out.append("\t\t}\n\t\t*MESH_FACE_LIST {\n")
    corners = []
    for f in range(faces):
        a = f % vertices
        b = (f + 1 + rng.randrange(3)) % vertices
        c = (f + 4 + rng.randrange(5)) % vertices
        corners.append((a, b, c))
        ab, bc, ca = rng.choice(((1, 1, 0), (0, 1, 1), (1, 0, 1), (1, 1, 1)))
        out.append(
            f"\t\t\t*MESH_FACE {f:5d}:    A: {a:5d} B: {b:5d} C: {c:5d} AB: {ab:4d} BC: {bc:4d}"
            f" CA: {ca:4d}\t *MESH_SMOOTHING {1 + f % 8} \t*MESH_MTLID {f % MATERIAL_COUNT}\n"
        )
    out.append(f"\t\t}}\n\t\t*MESH_NUMTVERTEX {vertices}\n\t\t*MESH_TVERTLIST {{\n")
    out += [
        f"\t\t\t*MESH_TVERT {v}\t{rng.random():.4f}\t{rng.random():.4f}\t0.0000\n"
        for v in range(vertices)
    ]
    out.append(f"\t\t}}\n\t\t*MESH_NUMTVFACES {faces}\n\t\t*MESH_TFACELIST {{\n")
    out += [f"\t\t\t*MESH_TFACE {f}\t{a}\t{b}\t{c}\n" for f, (a, b, c) in enumerate(corners)]
    out.append("\t\t}\n\t\t*MESH_NUMCVERTEX 0\n\t\t*MESH_NORMALS {\n")
    normals = []
    for f, (a, b, c) in enumerate(corners):
        normals.append(f"\t\t\t*MESH_FACENORMAL {f}\t{unit(rng)}\t{unit(rng)}\t{unit(rng)}\n")
        for corner in (a, b, c):
            normals.append(
                f"\t\t\t\t*MESH_VERTEXNORMAL {corner}\t{unit(rng)}\t{unit(rng)}\t{unit(rng)}\n"
            )
    out.append("".join(normals) * normal_repeat)
    out.append("\t\t}\n\t}\n")
    out.append("\t*PROP_MOTIONBLUR 0\n\t*PROP_CASTSHADOW 1\n\t*PROP_RECVSHADOW 1\n")
    out.append(f"\t*MATERIAL_REF {number % MATERIAL_COUNT}\n")
    if colour:
        out.append(f"\t*WIREFRAME_COLOR {rng.random():.4f}\t{rng.random():.4f}\t{rng.random():.4f}\n")
    out.append("}\n")
    return "".join(out)


def bytes_per_vertex(normal_repeat):
    """Size of an object per vertex, measured on a sample object."""
    rng = random.Random(1)
    small = len(object_text(rng, 0, 100, normal_repeat, True))
    large = len(object_text(rng, 0, 1100, normal_repeat, True))
    return (large - small) / 1000.0, small - 100 * (large - small) / 1000.0


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("output", help="path of the scene to write")
    parser.add_argument("--size-mb", type=float, default=100.0, help="approximate size in MB")
    parser.add_argument("--objects", type=int, default=50, help="number of geometric objects")
    parser.add_argument("--no-colour", action="store_true", help="omit every *WIREFRAME_COLOR line")
    parser.add_argument("--crlf", action="store_true", help="end lines with CR LF")
    parser.add_argument(
        "--normal-repeat",
        type=int,
        default=1,
        help="repeat each normals block N times (a scene mostly read past)",
    )
    parser.add_argument("--seed", type=int, default=20240601)
    args = parser.parse_args()

    per_vertex, fixed = bytes_per_vertex(args.normal_repeat)
    per_object = args.size_mb * 1e6 / args.objects
    vertices = max(3, int((per_object - fixed) / per_vertex))

    rng = random.Random(args.seed)
    newline = "\r\n" if args.crlf else "\n"
    with open(args.output, "w", encoding="ascii", newline=newline) as out:
        out.write(HEADER)
        out.write(f"*MATERIAL_LIST {{\n\t*MATERIAL_COUNT {MATERIAL_COUNT}\n")
        for index in range(MATERIAL_COUNT):
            out.write(
                MATERIAL.format(index=index, r=rng.random(), g=rng.random(), b=rng.random())
            )
        out.write("}\n")
        for number in range(args.objects):
            out.write(object_text(rng, number, vertices, args.normal_repeat, not args.no_colour))
    return 0


if __name__ == "__main__":
    sys.exit(main())
