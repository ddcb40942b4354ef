#!/usr/bin/env python3
"""Draws the address book's pictures with the program's art helpers and
writes them next to this script:

  art/ICON_<id>.ico   group tree (200, 202, 204) and user icons (280, 238, 239)
  art/CUR_<id>.cur    drag cursors: 240 copy, 241 move
  art/BMP_412.bmp     face pattern of the splitter bar
"""
import os
import struct
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, '..', 'art'))
import make_art as art  # noqa: E402


def person(n, c):
    img = art.blank(n)
    s = n / 16.0
    cx = n // 2
    r = int(3 * s)
    for y in range(n):
        for x in range(n):
            if (x - cx) ** 2 + (y - int(5 * s)) ** 2 <= r * r:
                img[y][x] = (240, 200, 160)
    art.rect(img, int(3 * s), int(10 * s), n - 1 - int(3 * s), n - 1 - int(1 * s), c)
    return img


def book(n, c):
    img = art.blank(n)
    s = n / 16.0
    art.rect(img, int(2 * s), int(1 * s), n - 1 - int(2 * s), n - 1 - int(1 * s), c)
    art.rect(img, int(4 * s), int(3 * s), n - 1 - int(4 * s), int(5 * s), (250, 250, 245))
    return img


def arrow_cursor(plus):
    n = 32
    img = art.blank(n)
    for y in range(16):
        for x in range(y // 2 + 1):
            img[y][x] = (0, 0, 0) if x in (0, y // 2) or y == 15 else (255, 255, 255)
    if plus:
        art.rect(img, 14, 18, 24, 28, (255, 255, 255))
        art.rect(img, 18, 19, 20, 27, (0, 0, 0))
        art.rect(img, 15, 22, 23, 24, (0, 0, 0))
    else:
        art.rect(img, 14, 18, 24, 28, (0, 0, 0))
    data = bytearray(art.ico([img]))
    data[2:4] = struct.pack('<H', 2)           # a cursor file
    data[10:12] = struct.pack('<H', 0)         # hot spot x
    data[12:14] = struct.pack('<H', 0)         # hot spot y
    return bytes(data)


def pattern_bmp():
    n = 8
    hdr = struct.pack('<IiiHHIIiiII', 40, n, n, 1, 24, 0, 0, 0, 0, 0, 0)
    px = bytearray()
    for y in range(n):
        for x in range(n):
            v = 160 if (x + y) % 2 else 212
            px += bytes((v, v, v))
    fh = struct.pack('<2sIHHI', b'BM', 14 + len(hdr) + len(px), 0, 0, 14 + len(hdr))
    return fh + hdr + bytes(px)


def main():
    out = os.path.join(HERE, 'art')
    os.makedirs(out, exist_ok=True)
    pictures = {
        202: lambda n: book(n, (40, 90, 200)),
        200: lambda n: art.folder(n, (200, 160, 40)),
        204: lambda n: art.folder(n, (230, 190, 70)),
        280: lambda n: person(n, (40, 90, 200)),
        238: lambda n: person(n, (30, 150, 70)),
        239: lambda n: person(n, (200, 60, 50)),
    }
    for icon_id, draw in pictures.items():
        with open(os.path.join(out, 'ICON_%d.ico' % icon_id), 'wb') as f:
            f.write(art.ico([draw(16), draw(32)]))
    for cur_id, plus in ((240, True), (241, False)):
        with open(os.path.join(out, 'CUR_%d.cur' % cur_id), 'wb') as f:
            f.write(arrow_cursor(plus))
    with open(os.path.join(out, 'BMP_412.bmp'), 'wb') as f:
        f.write(pattern_bmp())


if __name__ == '__main__':
    main()
