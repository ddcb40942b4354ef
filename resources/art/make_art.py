#!/usr/bin/env python3
"""Draws the program's own icons and splash picture, and writes the default
toolbar layout. Run from anywhere; writes next to this script:

  icons/ICON_<id>.ico   16x16 and 32x32, 32-bit with mask
  CVM.bmp               splash and About picture (24-bit)
  ToolBarDefault.bin    default toolbar layout (little-endian command ids)
"""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))

# Palette for the icon variants (R, G, B).
COLOURS = [
    (40, 90, 200), (30, 150, 70), (200, 60, 50), (220, 160, 30), (130, 60, 170),
    (20, 150, 170), (120, 120, 120), (210, 90, 150), (90, 60, 30), (60, 60, 140),
]


def blank(n):
    return [[None] * n for _ in range(n)]


def rect(img, x0, y0, x1, y1, c):
    for y in range(y0, y1 + 1):
        for x in range(x0, x1 + 1):
            if 0 <= y < len(img) and 0 <= x < len(img):
                img[y][x] = c


def line(img, x0, y0, x1, y1, c):
    steps = max(abs(x1 - x0), abs(y1 - y0), 1)
    for i in range(steps + 1):
        x = round(x0 + (x1 - x0) * i / steps)
        y = round(y0 + (y1 - y0) * i / steps)
        if 0 <= y < len(img) and 0 <= x < len(img):
            img[y][x] = c


def shade(c, f):
    return tuple(max(0, min(255, int(v * f))) for v in c)


def envelope(n, c):
    img = blank(n)
    s = n / 16.0
    x0, y0, x1, y1 = int(1 * s), int(3 * s), n - 1 - int(1 * s), n - 1 - int(3 * s)
    rect(img, x0, y0, x1, y1, (250, 250, 245))
    for x in range(x0, x1 + 1):
        img[y0][x] = img[y1][x] = shade(c, 0.7)
    for y in range(y0, y1 + 1):
        img[y][x0] = img[y][x1] = shade(c, 0.7)
    mid = (x0 + x1) // 2
    line(img, x0, y0, mid, y0 + (y1 - y0) * 3 // 5, c)
    line(img, x1, y0, mid, y0 + (y1 - y0) * 3 // 5, c)
    return img


def folder(n, c):
    img = blank(n)
    s = n / 16.0
    rect(img, int(1 * s), int(3 * s), int(7 * s), int(5 * s), shade(c, 0.8))
    rect(img, int(1 * s), int(5 * s), n - 1 - int(1 * s), n - 1 - int(2 * s), c)
    rect(img, int(2 * s), int(6 * s), n - 1 - int(2 * s), int(6 * s), shade(c, 1.3))
    return img


def badge(img, k, c):
    """A small mark in the lower right corner that tells variants apart."""
    n = len(img)
    r = max(2, n // 5)
    cx, cy = n - 1 - r, n - 1 - r
    kind = k % 4
    for y in range(cy - r, cy + r + 1):
        for x in range(cx - r, cx + r + 1):
            dx, dy = x - cx, y - cy
            inside = {0: dx * dx + dy * dy <= r * r,
                      1: abs(dx) + abs(dy) <= r,
                      2: abs(dx) <= r and abs(dy) <= r,
                      3: abs(dx) <= r // 2 or abs(dy) <= r // 2}[kind]
            if inside and 0 <= x < n and 0 <= y < n:
                img[y][x] = c


def ico(images):
    """images: list of square pixel grids (None = transparent)."""
    entries, blobs = [], []
    offset = 6 + 16 * len(images)
    for img in images:
        n = len(img)
        hdr = struct.pack('<IiiHHIIiiII', 40, n, n * 2, 1, 32, 0, 0, 0, 0, 0, 0)
        px = bytearray()
        for y in range(n - 1, -1, -1):
            for x in range(n):
                c = img[y][x]
                px += bytes((c[2], c[1], c[0], 255)) if c else b'\0\0\0\0'
        mask = bytearray()
        row_bytes = ((n + 31) // 32) * 4
        for y in range(n - 1, -1, -1):
            row = bytearray(row_bytes)
            for x in range(n):
                if img[y][x] is None:
                    row[x // 8] |= 0x80 >> (x % 8)
            mask += row
        blob = hdr + px + mask
        entries.append(struct.pack('<BBBBHHII', n % 256, n % 256, 0, 0, 1, 32, len(blob), offset))
        offset += len(blob)
        blobs.append(blob)
    return struct.pack('<HHH', 0, 1, len(images)) + b''.join(entries) + b''.join(blobs)


# Mail-list icons, in the order of the list, and the others the program uses.
MAIL_LIST = [301, 306, 131, 229, 347, 366, 420, 368, 367, 369, 370, 217, 216, 218, 215, 214, 311, 312,
             240, 227, 382, 380, 381, 383, 384, 433, 434, 435, 436, 437, 272]


def icon_for(icon_id, k):
    c = COLOURS[k % len(COLOURS)]
    out = []
    for n in (16, 32):
        if icon_id == 128:
            img = envelope(n, (40, 90, 200))
            badge(img, 0, (230, 120, 20))
        elif icon_id == 310:  # communication log on
            img = folder(n, (90, 90, 90))
            badge(img, 3, (200, 40, 40))
        else:
            img = envelope(n, c) if k % 3 else folder(n, c)
            badge(img, k // len(COLOURS), shade(c, 0.6))
        out.append(img)
    return ico(out)


# The notification-area icons: idle, a transfer running, new mail.
TRAY = [190, 191, 257]


def tray_icon(icon_id):
    out = []
    for n in (16, 32):
        if icon_id == 190:
            img = envelope(n, (40, 90, 200))
        elif icon_id == 191:
            img = envelope(n, (40, 90, 200))
            badge(img, 1, (30, 160, 60))
        else:
            img = envelope(n, (200, 60, 50))
            badge(img, 0, (240, 200, 20))
        out.append(img)
    return ico(out)


# 5x7 capitals for the splash text.
FONT = {
    'C': ["01110", "10001", "10000", "10000", "10000", "10001", "01110"],
    'O': ["01110", "10001", "10001", "10001", "10001", "10001", "01110"],
    'R': ["11110", "10001", "10001", "11110", "10100", "10010", "10001"],
    'V': ["10001", "10001", "10001", "10001", "10001", "01010", "00100"],
    'A': ["01110", "10001", "10001", "11111", "10001", "10001", "10001"],
    'N': ["10001", "11001", "10101", "10011", "10001", "10001", "10001"],
    'E': ["11111", "10000", "10000", "11110", "10000", "10000", "11111"],
    'M': ["10001", "11011", "10101", "10101", "10001", "10001", "10001"],
    'I': ["01110", "00100", "00100", "00100", "00100", "00100", "01110"],
    'L': ["10000", "10000", "10000", "10000", "10000", "10000", "11111"],
    ' ': ["00000"] * 7,
}


def splash():
    w, h = 400, 180
    px = [[(0, 0, 0)] * w for _ in range(h)]
    for y in range(h):
        for x in range(w):
            t = y / h
            px[y][x] = (int(30 + 40 * t), int(70 + 60 * t), int(150 + 80 * t))
    # a large envelope
    ex0, ey0, ex1, ey1 = 30, 40, 130, 110
    for y in range(ey0, ey1 + 1):
        for x in range(ex0, ex1 + 1):
            px[y][x] = (250, 250, 245)
    mid = (ex0 + ex1) // 2
    for i in range(0, 51):
        for dx in (0, 1):
            x = ex0 + i + dx
            y = ey0 + i * 40 // 50
            if x <= mid:
                px[y][x] = (40, 90, 200)
            x2 = ex1 - i - dx
            if x2 >= mid:
                px[y][x2] = (40, 90, 200)
    # the name in block letters
    text, scale, x0, y0 = "CORVANE MAIL", 3, 150, 62
    for ch in text:
        glyph = FONT[ch]
        for gy, row in enumerate(glyph):
            for gx, bit in enumerate(row):
                if bit == '1':
                    for sy in range(scale):
                        for sx in range(scale):
                            px[y0 + gy * scale + sy][x0 + gx * scale + sx] = (255, 255, 255)
        x0 += 6 * scale
    row_bytes = (w * 3 + 3) & ~3
    data = bytearray()
    for y in range(h - 1, -1, -1):
        row = bytearray()
        for x in range(w):
            r, g, b = px[y][x]
            row += bytes((b, g, r))
        row += b'\0' * (row_bytes - len(row))
        data += row
    info = struct.pack('<IiiHHIIiiII', 40, w, h, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    return struct.pack('<2sIHHI', b'BM', 14 + 40 + len(data), 0, 0, 54) + info + data


TOOLBAR = [32773, 32775, 32842, -1, 32784, -1, 32778, 32779, 32780, 32781, -1, 32965, 32966, -1, 32787, -1,
           32777, 32776, -1, 32931, -1, 32852, -1, 32785, -1, 57670]


def main():
    os.makedirs(os.path.join(HERE, 'icons'), exist_ok=True)
    for k, icon_id in enumerate([128, 310] + MAIL_LIST):
        with open(os.path.join(HERE, 'icons', 'ICON_%d.ico' % icon_id), 'wb') as f:
            f.write(icon_for(icon_id, k))
    for icon_id in TRAY:
        with open(os.path.join(HERE, 'icons', 'ICON_%d.ico' % icon_id), 'wb') as f:
            f.write(tray_icon(icon_id))
    with open(os.path.join(HERE, 'CVM.bmp'), 'wb') as f:
        f.write(splash())
    with open(os.path.join(HERE, 'ToolBarDefault.bin'), 'wb') as f:
        f.write(b''.join(struct.pack('<i', v) for v in TOOLBAR))


if __name__ == '__main__':
    main()
