#!/usr/bin/env python3
"""Times meshlift-preview on hostile documents against a plain one of the same size.

Each document is a small scene with something hostile in it: a name, an attribute
value or a stretch of the scene made of "<", an unclosed comment full of "<", and a
node table of 2.5 million ids four apart. The plain document holds a 20 MiB name of
"x": reading time must stay of its order whatever the document holds. Prints wall
seconds and peak RSS of one run each (`/usr/bin/time`, Debian package `time`).

    python3 bench/preview_hostile.py --preview build/release/meshlift-preview
"""

import argparse
import os
import subprocess
import tempfile

MIB = 1 << 20
HEAD = ('<scene camera="400,0,0" lookAt="0,0,0" up="0,0,1" angle="50" width="64" '
        'height="64" near="0.1" Ia="0.5" Il="1.0">\r\n')
END = '</scene>\r\n'


def documents():
    yield 'plain name, 20 MiB of x', HEAD + '<object id="' + 'x' * (20 * MIB) + '">\r\n</object>\r\n' + END
    yield 'name of 20 MiB of <', HEAD + '<object id="' + '<' * (20 * MIB) + '">\r\n</object>\r\n' + END
    yield 'attribute of 20 MiB of <', HEAD + '<object id="A" color="' + '<' * (20 * MIB) + '">\r\n</object>\r\n' + END
    yield '16 MiB + 1000 of < in the scene', HEAD + '<' * (16 * MIB + 1000) + END
    yield 'unclosed comment of 17 MiB', HEAD + '<!--' + '<!--<' * (17 * MIB // 5) + END
    nodes = ''.join('<node id="%d"/>\r\n' % (4 * i) for i in range(2500000))
    yield '2.5 million node ids 4 apart', HEAD + '<object id="A">\r\n<nodes>\r\n' + nodes + '</nodes>\r\n</object>\r\n' + END


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument('--preview', default='build/release/meshlift-preview')
    args = parser.parse_args()
    with tempfile.TemporaryDirectory() as folder:
        document = os.path.join(folder, 'hostile.xml')
        picture = os.path.join(folder, 'hostile.png')
        print('| document | MB | seconds | peak RSS MB |\n| --- | ---: | ---: | ---: |')
        for name, text in documents():
            with open(document, 'w', encoding='latin-1') as out:
                out.write(text)
            run = subprocess.run(['/usr/bin/time', '-f', '%e %M', args.preview, document, picture],
                                 stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True, check=True)
            seconds, kilobytes = run.stderr.split()[-2:]
            print('| %s | %.1f | %s | %.0f |' % (name, len(text) / 1e6, seconds, int(kilobytes) / 1024))


if __name__ == '__main__':
    main()
