#!/usr/bin/env python3
"""Writes the song that ClientTest.vbs loads: a note on channel 2 for one
quarter note (480 ticks) under a "words" track with two titles and the
lyrics \\Hel lo /world (the same song the C++ client builds)."""
import struct
import sys


def vlq(value):
    out = [value & 0x7F]
    value >>= 7
    while value:
        out.insert(0, 0x80 | (value & 0x7F))
        value >>= 7
    return bytes(out)


def meta(delta, kind, data):
    return vlq(delta) + bytes([0xFF, kind]) + vlq(len(data)) + data


def track(events):
    return b"MTrk" + struct.pack(">I", len(events)) + events


notes = vlq(0) + bytes([0x91, 60, 100]) + vlq(480) + bytes([0x81, 60, 0]) + meta(0, 0x2F, b"")
words = (meta(0, 0x03, b"Words") + meta(0, 0x01, b"@TMy Song") + meta(0, 0x01, b"@TThe Singer")
         + meta(100, 0x01, b"\\Hel") + meta(20, 0x01, b"lo") + meta(30, 0x01, b"/world") + meta(0, 0x2F, b""))
song = b"MThd" + struct.pack(">IHHH", 6, 1, 2, 480) + track(notes) + track(words)

with open(sys.argv[1], "wb") as out:
    out.write(song)
