#!/usr/bin/env python3
"""Writes Busy.avi, the built-in busy animation: an uncompressed 8-bit AVI
(which the animation control plays without a codec) of a dot circling."""
import math
import struct
import sys

W, H, FRAMES, FPS = 32, 32, 8, 8
PALETTE = [(255, 255, 255), (192, 192, 192), (0, 0, 160)]  # background, ring, dot


def chunk(fourcc, data):
    pad = b"\0" if len(data) % 2 else b""
    return fourcc + struct.pack("<I", len(data)) + data + pad


def listchunk(kind, data):
    return chunk(b"LIST", kind + data)


def frame(n):
    rows = []
    for y in range(H - 1, -1, -1):  # bottom-up DIB rows
        row = bytearray()
        for x in range(W):
            dx, dy = x - W / 2 + 0.5, y - H / 2 + 0.5
            r = math.hypot(dx, dy)
            a = (math.atan2(dy, dx) / (2 * math.pi) * FRAMES) % FRAMES
            if 9 <= r <= 14 and int(a) == n:
                row.append(2)
            elif 10 <= r <= 13:
                row.append(1)
            else:
                row.append(0)
        rows.append(bytes(row))
    return b"".join(rows)


def main(out):
    size = W * H
    frames = [frame(n) for n in range(FRAMES)]
    avih = struct.pack("<14I", 1000000 // FPS, size * FPS, 0, 0x10, FRAMES, 0, 1, size, W, H, 0, 0, 0, 0)
    strh = struct.pack("<4s4sIHHIIIIIIII4h", b"vids", b"DIB ", 0, 0, 0, 0, 1, FPS, 0, FRAMES, size,
                       0xFFFFFFFF, 0, 0, 0, W, H)
    bih = struct.pack("<IiiHHIIiiII", 40, W, H, 1, 8, 0, size, 0, 0, len(PALETTE), len(PALETTE))
    pal = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    hdrl = listchunk(b"hdrl", chunk(b"avih", avih) + listchunk(b"strl", chunk(b"strh", strh) + chunk(b"strf", bih + pal)))
    movi_data = b""
    index = b""
    for f in frames:
        index += struct.pack("<4sIII", b"00db", 0x10, 4 + len(movi_data), len(f))
        movi_data += chunk(b"00db", f)
    body = b"AVI " + hdrl + listchunk(b"movi", movi_data) + chunk(b"idx1", index)
    with open(out, "wb") as fh:
        fh.write(b"RIFF" + struct.pack("<I", len(body)) + body)


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "Busy.avi")
