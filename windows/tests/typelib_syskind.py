#!/usr/bin/env python3
"""Prints the SYSKIND of the type library embedded in a DLL (1 = 32-bit
Windows, 3 = 64-bit Windows): the low four bits of the flags word that
follows the magic, version, GUID offset and two locales of its header."""
import struct
import sys

MAGIC = b"MSFT\x02\x00\x01\x00"

data = open(sys.argv[1], "rb").read()
at = data.find(MAGIC)
if at < 0:
    sys.exit("no type library in " + sys.argv[1])
(flags,) = struct.unpack_from("<I", data, at + 20)
print(flags & 0xF)
