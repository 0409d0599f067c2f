#!/usr/bin/env python3
"""An independent reader of resource files in the classic resource-fork layout.

Written from the layout alone, sharing no code with the platform, and as strict
as the pickiest readers: the data area at 256, the map opening with a copy of
the header, the type list right after the 28-byte map header, the reference
lists one after another in type-list order, and 'STR#' counts that are not
minus one.

    rsrc_reader.py FILE [--expect TYPE,ID,SIZE,NAME ...]

Lists every resource as TYPE ID SIZE "NAME" (and the items of string lists).
An empty SIZE or NAME in --expect matches anything. Exits 1 on any fault.
"""
import argparse
import struct
import sys


class Fault(Exception):
    pass


def need(condition, what):
    if not condition:
        raise Fault(what)


def read_resources(blob):
    need(len(blob) >= 16, "shorter than the header")
    data_off, map_off, data_len, map_len = struct.unpack_from(">IIII", blob, 0)
    need(data_off == 256, f"data area at {data_off}, not 256")
    need(data_off + data_len <= len(blob), "data area past the end")
    need(map_off + map_len == len(blob), "map does not end the file")
    need(map_off >= data_off + data_len, "map inside the data area")
    need(blob[16:256] == bytes(240), "reserved bytes 16..255 not zero")
    mp = blob[map_off:map_off + map_len]
    need(len(mp) >= 30, "map too short")
    need(mp[:16] == blob[:16], "map does not open with a copy of the header")
    type_list, name_list = struct.unpack_from(">HH", mp, 24)
    need(type_list == 28, f"type list at {type_list}, not 28")
    count = (struct.unpack_from(">H", mp, 28)[0] + 1) & 0xFFFF
    expected_refs = 2 + 8 * count
    resources = []
    for t in range(count):
        rtype, n, ref_off = struct.unpack_from(">4sHH", mp, 30 + 8 * t)
        n += 1
        need(ref_off == expected_refs, f"{rtype!r}: reference list at {ref_off}, expected {expected_refs}")
        for r in range(n):
            at = type_list + ref_off + 12 * r
            need(at + 12 <= name_list, "reference list runs into the name list")
            rid, name_off, attrs, d_hi, d_lo = struct.unpack_from(">hhBBH", mp, at)
            d = d_hi << 16 | d_lo
            name = None
            if name_off != -1:
                need(name_list + name_off < len(mp), "name past the map")
                length = mp[name_list + name_off]
                need(name_list + name_off + 1 + length <= len(mp), "name past the map")
                name = mp[name_list + name_off + 1:name_list + name_off + 1 + length].decode("mac_roman")
            need(d + 4 <= data_len, "data offset past the data area")
            size = struct.unpack_from(">I", blob, data_off + d)[0]
            need(d + 4 + size <= data_len, "data past the data area")
            body = blob[data_off + d + 4:data_off + d + 4 + size]
            resources.append((rtype.decode("mac_roman"), rid, name, attrs, body))
        expected_refs += 12 * n
    need(name_list == type_list + expected_refs, "name list does not follow the reference lists")
    return resources


def string_list(body):
    need(len(body) >= 2, "STR# without a count")
    count = struct.unpack_from(">H", body, 0)[0]
    items, at = [], 2
    for _ in range(count):
        need(at < len(body) and at + 1 + body[at] <= len(body), "STR# shorter than its count")
        items.append(body[at + 1:at + 1 + body[at]].decode("mac_roman"))
        at += 1 + body[at]
    need(at == len(body), "STR# has bytes after its last item")
    return items


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("file")
    parser.add_argument("--expect", action="append", default=[])
    args = parser.parse_args()
    try:
        with open(args.file, "rb") as f:
            resources = read_resources(f.read())
        for rtype, rid, name, _, body in resources:
            print(f"{rtype} {rid} {len(body)} \"{name if name is not None else ''}\"")
            if rtype == "STR#":
                for item in string_list(body):
                    print(f"    {item!r}")
        for expect in args.expect:
            rtype, rid, size, name = (expect.split(",", 3) + ["", "", "", ""])[:4]
            need(any(t == rtype and i == int(rid) and (not size or len(b) == int(size)) and
                     (not name or n == name) for t, i, n, _, b in resources), f"missing {expect}")
    except (Fault, struct.error, UnicodeDecodeError, OSError) as fault:
        print(f"{args.file}: {fault}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
