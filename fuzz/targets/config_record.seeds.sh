#!/usr/bin/env bash
# Seeds: a default record in each byte order, one cut short, one of an odd
# length, and none at all.
set -euo pipefail
seeds=$1
python3 - "$seeds" <<'PY'
import struct, sys, os
d = sys.argv[1]
def record(endian, size):
    e = '<' if endian == 'little' else '>'
    b = bytearray(size)
    struct.pack_into(e + 'II', b, 0, size, 3)
    struct.pack_into(e + 'dddd', b, 8, 0.0, 1.0, 0.0, 1.0)
    struct.pack_into(e + 'dddd', b, 40, 0.0, 1.0, 0.0, 1.0)
    struct.pack_into(e + 'HHH', b, 78, 65535, 65535, 65535)
    struct.pack_into(e + 'hhh', b, 108, 50, 50, 50)
    struct.pack_into(e + 'HHH', b, 120, 65535, 0, 0)
    struct.pack_into(e + 'hBxh', b, 132, 1, 0, 1)
    text = b'Config save for dravik iMovie plug-in'
    b[138] = len(text)
    b[139:139 + len(text)] = text
    return bytes(b)
open(os.path.join(d, 'little'), 'wb').write(record('little', 396))
open(os.path.join(d, 'big'), 'wb').write(record('big', 394))
open(os.path.join(d, 'short'), 'wb').write(record('little', 396)[:200])
open(os.path.join(d, 'odd'), 'wb').write(record('little', 396)[:395])
open(os.path.join(d, 'empty'), 'wb').write(b'')
PY
