#!/usr/bin/env python3
"""Writes the action blocks of SWF movies (frame actions and init actions, in sprites too)
into a folder, one file per distinct block, as seeds for the action script fuzz target.

    fuzzseeds_actions.py FOLDER MOVIE.swf...
"""

import hashlib
import os
import struct
import sys
import zlib

DO_ACTION = 12
DEFINE_SPRITE = 39
DO_INIT_ACTION = 59


def movie_body(data):
    """The tag stream of a plain or zlib-compressed movie, or None."""
    if len(data) < 8 or data[1:3] != b"WS":
        return None
    if data[0:1] == b"C":
        try:
            data = data[:8] + zlib.decompress(data[8:])
        except zlib.error:
            return None
    elif data[0:1] != b"F":
        return None
    if len(data) < 9:
        return None
    bits = data[8] >> 3
    rect = (5 + 4 * bits + 7) // 8
    return data[8 + rect + 4:]


def action_blocks(tags):
    """The action blocks of a tag stream, sprites' inner tags included."""
    pos = 0
    while pos + 2 <= len(tags):
        (head,) = struct.unpack_from("<H", tags, pos)
        pos += 2
        code, length = head >> 6, head & 0x3F
        if length == 0x3F:
            if pos + 4 > len(tags):
                return
            (length,) = struct.unpack_from("<I", tags, pos)
            pos += 4
        body = tags[pos:pos + length]
        pos += length
        if code == 0:
            return
        if code == DO_ACTION:
            yield body
        elif code == DO_INIT_ACTION and len(body) > 2:
            yield body[2:]
        elif code == DEFINE_SPRITE and len(body) > 4:
            yield from action_blocks(body[4:])


def main():
    if len(sys.argv) < 2:
        print(__doc__, file=sys.stderr)
        return 2
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    for path in sys.argv[2:]:
        with open(path, "rb") as movie:
            tags = movie_body(movie.read())
        if tags is None:
            continue
        for block in action_blocks(tags):
            if block:
                name = hashlib.sha1(block).hexdigest()[:16]
                with open(os.path.join(folder, name), "wb") as out:
                    out.write(block)
    return 0


if __name__ == "__main__":
    sys.exit(main())
