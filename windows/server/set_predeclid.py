#!/usr/bin/env python3
"""Marks the coclasses of a type library written by widl as pre-declared
(TYPEFLAG_FPREDECLID), which widl has no attribute for.

The file is in the MSFT format: an 84-byte header (4 more bytes when the
library names a help DLL), one offset per type description, 15 segment
entries of 16 bytes, then the segments; the first segment holds the type
descriptions, 100 bytes each, with the kind in the low 4 bits of their first
word and their flags at byte 48."""
import struct
import sys

TKIND_COCLASS = 5
TYPEFLAG_FPREDECLID = 0x8
HELPDLL = 0x100

path = sys.argv[1]
data = bytearray(open(path, "rb").read())
magic, _version, _guids, _lcid, _lcid2, varflags = struct.unpack_from("<6I", data, 0)
if magic != 0x5446534D:
    sys.exit(path + ": not an MSFT type library")
(count,) = struct.unpack_from("<I", data, 32)
header = 84 + (4 if varflags & HELPDLL else 0)
segments = header + 4 * count
(infos,) = struct.unpack_from("<I", data, segments)  # the first segment's offset

marked = 0
for i in range(count):
    (offset,) = struct.unpack_from("<I", data, header + 4 * i)
    base = infos + offset
    (kind,) = struct.unpack_from("<I", data, base)
    if kind & 0xF == TKIND_COCLASS:
        (flags,) = struct.unpack_from("<I", data, base + 48)
        struct.pack_into("<I", data, base + 48, flags | TYPEFLAG_FPREDECLID)
        marked += 1
if marked == 0:
    sys.exit(path + ": no coclass found")
open(path, "wb").write(bytes(data))
