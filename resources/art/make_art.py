#!/usr/bin/env python3
"""Draws the program's own icons and splash picture, and writes the default
toolbar layout. Run from anywhere; writes next to this script:

  icons/ICON_<id>.ico   16x16 and 32x32, 32-bit with mask
  CVM.bmp               splash and About picture (24-bit)
  ToolBarDefault.bin    default toolbar layout (little-endian command ids)
  ToolBarViewer.bin     the viewer window's toolbar layout (same form)
  ToolBarMain.bmp       the main toolbar's button pictures, 16x16 each, in
  ToolBarViewerImages.bmp  the order of the commands in the layout (24-bit,
                        magenta where the button face shows through)
  ToolBarEditor.bin, ToolBarEditorFormat.bin   the editor window's two
  ToolBarEditorImages.bmp, ToolBarEditorFormatImages.bmp   toolbars, the same
                        way
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


# ---- Toolbar pictures: one per command, whichever toolbar shows it ----

KEY = (255, 0, 255)   # shows the button face
INK = (40, 40, 40)
PAPER = (250, 250, 245)
BLUE = (40, 90, 200)
GREEN = (30, 150, 70)
RED = (200, 40, 40)
YELLOW = (235, 185, 40)


def canvas():
    return [[KEY] * 16 for _ in range(16)]


def fill_polygon(img, pts, c):
    ys = [y for _, y in pts]
    for y in range(max(0, min(ys)), min(15, max(ys)) + 1):
        xs = []
        for (x0, y0), (x1, y1) in zip(pts, pts[1:] + pts[:1]):
            if (y0 <= y < y1) or (y1 <= y < y0):
                xs.append(x0 + (y - y0) * (x1 - x0) / (y1 - y0))
        xs.sort()
        for a, b in zip(xs[0::2], xs[1::2]):
            for x in range(int(round(a)), int(round(b)) + 1):
                if 0 <= x < 16:
                    img[y][x] = c
    for a, b in zip(pts, pts[1:] + pts[:1]):
        line(img, a[0], a[1], b[0], b[1], c)


def small_envelope(img, x0, y0, x1, y1, c=BLUE, face=PAPER):
    rect(img, x0, y0, x1, y1, face)
    for x in range(x0, x1 + 1):
        img[y0][x] = img[y1][x] = c
    for y in range(y0, y1 + 1):
        img[y][x0] = img[y][x1] = c
    mid = (x0 + x1) // 2
    line(img, x0, y0, mid, (y0 + y1) // 2 + 1, c)
    line(img, x1, y0, mid, (y0 + y1) // 2 + 1, c)


def arrow_down(img, cx, top, bottom, c, half=3):
    rect(img, cx - 1, top, cx + 1, bottom - half, c)
    fill_polygon(img, [(cx - half, bottom - half), (cx + half, bottom - half), (cx, bottom)], c)


def arrow_up(img, cx, top, bottom, c, half=3):
    rect(img, cx - 1, top + half, cx + 1, bottom, c)
    fill_polygon(img, [(cx - half, top + half), (cx + half, top + half), (cx, top)], c)


def arrow_left(img, left, right, cy, c, half=3):
    rect(img, left + half, cy - 1, right, cy + 1, c)
    fill_polygon(img, [(left + half, cy - half), (left + half, cy + half), (left, cy)], c)


def arrow_right(img, left, right, cy, c, half=3):
    rect(img, left, cy - 1, right - half, cy + 1, c)
    fill_polygon(img, [(right - half, cy - half), (right - half, cy + half), (right, cy)], c)


def document(img, x0, y0, x1, y1, lines=True):
    rect(img, x0, y0, x1, y1, PAPER)
    for x in range(x0, x1 + 1):
        img[y0][x] = img[y1][x] = INK
    for y in range(y0, y1 + 1):
        img[y][x0] = img[y][x1] = INK
    if lines:
        for y in range(y0 + 2, y1 - 1, 2):
            line(img, x0 + 2, y, x1 - 2, y, (120, 120, 120))


def star(img, cx, cy, c=YELLOW):
    for d in range(-2, 3):
        img[cy][cx + d] = c
        img[cy + d][cx] = c
    for d in (-1, 1):
        img[cy + d][cx + d] = img[cy + d][cx - d] = c


def pic_receive():
    img = canvas()
    small_envelope(img, 1, 7, 14, 15)
    arrow_down(img, 8, 0, 7, GREEN)
    return img


def pic_route_receive():
    img = canvas()
    small_envelope(img, 1, 8, 14, 15)
    arrow_down(img, 4, 0, 7, GREEN, 2)
    arrow_down(img, 11, 0, 7, GREEN, 2)
    return img


def pic_select_receive():
    img = canvas()
    small_envelope(img, 5, 7, 15, 15)
    for y in (1, 5, 9, 13):
        rect(img, 0, y, 2, y + 1, INK)
    line(img, 6, 3, 8, 5, GREEN)
    line(img, 8, 5, 12, 0, GREEN)
    return img


def pic_send_outbox():
    img = canvas()
    small_envelope(img, 1, 7, 14, 15)
    arrow_up(img, 8, 0, 7, RED)
    return img


def pic_new_mail():
    img = canvas()
    small_envelope(img, 0, 5, 12, 14)
    star(img, 12, 3)
    return img


def pic_reply():
    img = canvas()
    small_envelope(img, 4, 8, 15, 15)
    arrow_left(img, 0, 10, 4, BLUE)
    return img


def pic_reply_all():
    img = canvas()
    small_envelope(img, 4, 9, 15, 15)
    arrow_left(img, 0, 10, 2, BLUE, 2)
    arrow_left(img, 2, 12, 6, BLUE, 2)
    return img


def pic_forward():
    img = canvas()
    small_envelope(img, 0, 8, 11, 15)
    arrow_right(img, 5, 15, 4, GREEN)
    return img


def pic_template_new():
    img = canvas()
    document(img, 1, 2, 11, 15)
    star(img, 12, 3)
    return img


def pic_template_reply():
    img = canvas()
    document(img, 5, 1, 15, 15)
    arrow_left(img, 0, 9, 11, BLUE)
    return img


def pic_delete():
    img = canvas()
    for d in (-1, 0, 1):
        line(img, 2 + d, 2, 13 + d, 13, RED)
        line(img, 13 + d, 2, 2 + d, 13, RED)
    return img


def pic_next_mail():
    img = canvas()
    fill_polygon(img, [(2, 4), (13, 4), (8, 12)], BLUE)
    rect(img, 2, 13, 13, 14, BLUE)
    return img


def pic_prev_mail():
    img = canvas()
    rect(img, 2, 1, 13, 2, BLUE)
    fill_polygon(img, [(2, 11), (13, 11), (8, 3)], BLUE)
    return img


def pic_next_unread():
    img = canvas()
    small_envelope(img, 0, 3, 10, 11, INK, YELLOW)
    arrow_right(img, 8, 15, 13, BLUE, 2)
    return img


def pic_search():
    img = canvas()
    for y in range(16):
        for x in range(16):
            d = (x - 6) ** 2 + (y - 6) ** 2
            if 12 <= d <= 25:
                img[y][x] = INK
            elif d < 12:
                img[y][x] = (190, 220, 250)
    for d in (0, 1):
        line(img, 9 + d, 10, 14 + d, 15, INK)
    return img


def pic_filter():
    img = canvas()
    fill_polygon(img, [(1, 1), (14, 1), (9, 7), (6, 7)], BLUE)
    rect(img, 6, 7, 9, 13, BLUE)
    small = [(10, 10), (13, 10)]
    rect(img, 10, 12, 15, 15, PAPER)
    line(img, small[0][0], 14, small[1][0] + 2, 14, INK)
    return img


def pic_help():
    img = canvas()
    for y in range(16):
        for x in range(16):
            if (x - 7.5) ** 2 + (y - 7.5) ** 2 <= 56:
                img[y][x] = BLUE
    glyph = ["01110", "10001", "00001", "00010", "00100", "00000", "00100"]
    for gy, row in enumerate(glyph):
        for gx, bit in enumerate(row):
            if bit == '1':
                img[4 + gy][5 + gx] = (255, 255, 255)
    return img


def pic_save_text():
    img = canvas()
    rect(img, 1, 1, 14, 14, BLUE)
    rect(img, 4, 1, 11, 6, PAPER)
    rect(img, 4, 9, 11, 14, (200, 200, 200))
    rect(img, 9, 2, 10, 5, BLUE)
    return img


def pic_print():
    img = canvas()
    document(img, 4, 0, 11, 6, False)
    rect(img, 1, 6, 14, 12, (150, 150, 150))
    rect(img, 1, 6, 14, 6, INK)
    document(img, 4, 10, 11, 15, False)
    img[8][12] = GREEN
    return img


def pic_show_header():
    img = canvas()
    document(img, 1, 1, 14, 15, False)
    for y in (4, 7, 10):
        line(img, 3, y, 5, y, RED)
        line(img, 7, y, 12, y, INK)
    return img


def pic_properties():
    img = canvas()
    document(img, 1, 1, 14, 15, False)
    rect(img, 7, 3, 8, 4, BLUE)
    rect(img, 7, 6, 8, 12, BLUE)
    rect(img, 6, 12, 9, 12, BLUE)
    return img


PICTURES = {
    32773: pic_receive, 32775: pic_route_receive, 32842: pic_select_receive, 32784: pic_send_outbox,
    32778: pic_new_mail, 32779: pic_reply, 32780: pic_reply_all, 32781: pic_forward,
    32965: pic_template_new, 32966: pic_template_reply, 32787: pic_delete, 32777: pic_next_mail,
    32776: pic_prev_mail, 32931: pic_next_unread, 32852: pic_search, 32785: pic_filter, 57670: pic_help,
    32894: pic_save_text, 57607: pic_print, 32789: pic_show_header, 33015: pic_properties,
}


def toolbar_bitmap(layout, drawn_by=PICTURES):
    """The pictures of the layout's commands side by side, a 24-bit BMP."""
    pictures = [drawn_by[c]() for c in layout if c != -1]
    w, h = 16 * len(pictures), 16
    row_bytes = (w * 3 + 3) & ~3
    data = bytearray()
    for y in range(h - 1, -1, -1):
        row = bytearray()
        for img in pictures:
            for x in range(16):
                r, g, b = img[y][x]
                row += bytes((b, g, r))
        row += b'\0' * (row_bytes - len(row))
        data += row
    info = struct.pack('<IiiHHIIiiII', 40, w, h, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    return struct.pack('<2sIHHI', b'BM', 14 + 40 + len(data), 0, 0, 54) + info + data


TOOLBAR = [32773, 32775, 32842, -1, 32784, -1, 32778, 32779, 32780, 32781, -1, 32965, 32966, -1, 32787, -1,
           32777, 32776, -1, 32931, -1, 32852, -1, 32785, -1, 57670]

VIEWER_TOOLBAR = [32776, 32777, 32931, -1, 32778, 32965, 32779, 32780, 32966, 32781, -1, 32787, 32894, 57607, -1,
                  32789, 33015, 57670]


# ---- The editor window's toolbars: the main one and the HTML format one ----

GREY = (120, 120, 120)
WHITE = (255, 255, 255)

# 3x5 capitals and digits for pictures that show letters.
SMALL_GLYPHS = {
    'A': ["010", "101", "111", "101", "101"], 'B': ["110", "101", "110", "101", "110"],
    'C': ["011", "100", "100", "100", "011"], '1': ["010", "110", "010", "010", "111"],
    '2': ["110", "001", "010", "100", "111"], '3': ["110", "001", "010", "001", "110"],
}


def small_text(img, x, y, text, c, scale=1):
    for ch in text:
        for gy, row in enumerate(SMALL_GLYPHS[ch]):
            for gx, bit in enumerate(row):
                if bit == '1':
                    rect(img, x + gx * scale, y + gy * scale, x + gx * scale + scale - 1,
                         y + gy * scale + scale - 1, c)
        x += 4 * scale


def grid_glyph(img, x, y, rows, c):
    for gy, row in enumerate(rows):
        for gx, bit in enumerate(row):
            if bit == '1':
                img[y + gy][x + gx] = c


def text_lines(img, x0, x1, ys, c=GREY):
    for y in ys:
        line(img, x0, y, x1, y, c)


def floppy(img, body):
    rect(img, 1, 1, 14, 14, body)
    rect(img, 4, 1, 11, 6, PAPER)
    rect(img, 4, 9, 11, 14, (200, 200, 200))
    rect(img, 9, 2, 10, 5, body)


def padlock(img, x, y, c=YELLOW):
    rect(img, x, y + 3, x + 6, y + 7, c)
    for d in range(5):
        img[y + (0 if 1 <= d <= 3 else 1)][x + 1 + d] = INK
    rect(img, x + 1, y + 1, x + 1, y + 3, INK)
    rect(img, x + 5, y + 1, x + 5, y + 3, INK)
    img[y + 5][x + 3] = INK


def pic_send_now():
    img = canvas()
    fill_polygon(img, [(0, 8), (15, 1), (6, 10)], BLUE)
    fill_polygon(img, [(6, 10), (15, 1), (10, 15)], (120, 160, 230))
    line(img, 0, 8, 15, 1, INK)
    line(img, 15, 1, 10, 15, INK)
    return img


def pic_to_outbox():
    img = canvas()
    small_envelope(img, 3, 0, 12, 6)
    arrow_down(img, 8, 7, 11, GREEN, 2)
    rect(img, 0, 10, 15, 15, (150, 100, 50))
    rect(img, 2, 10, 13, 12, (210, 170, 110))
    return img


def pic_save_draft():
    img = canvas()
    floppy(img, GREEN)
    return img


def pic_auto_signature():
    img = canvas()
    document(img, 1, 0, 12, 15, False)
    text_lines(img, 3, 10, (2, 4, 6))
    for x, y in ((3, 12), (4, 10), (5, 12), (6, 13), (7, 11), (8, 10), (9, 12), (10, 11)):
        img[y][x] = RED
    star(img, 13, 3)
    return img


def pic_replace():
    img = canvas()
    small_text(img, 0, 0, 'A', INK, 2)
    small_text(img, 10, 6, 'B', BLUE, 2)
    arrow_right(img, 0, 8, 13, GREEN, 2)
    return img


def pic_find_text():
    img = canvas()
    document(img, 0, 0, 10, 13)
    for y in range(16):
        for x in range(16):
            d = (x - 10) ** 2 + (y - 9) ** 2
            if 6 <= d <= 12:
                img[y][x] = INK
            elif d < 6:
                img[y][x] = (190, 220, 250)
    line(img, 12, 12, 15, 15, INK)
    line(img, 13, 12, 15, 14, INK)
    return img


def pic_show_bcc():
    img = canvas()
    rect(img, 0, 4, 15, 11, PAPER)
    for x in range(16):
        img[4][x] = img[11][x] = GREY
    img[4][0] = img[11][0] = img[4][15] = img[11][15] = KEY
    small_text(img, 2, 5, 'B', BLUE)
    small_text(img, 6, 5, 'CC', BLUE)
    return img


def pic_insert_template():
    img = canvas()
    document(img, 4, 0, 15, 11)
    document(img, 0, 4, 10, 15, False)
    rect(img, 4, 7, 6, 12, GREEN)
    rect(img, 2, 9, 8, 10, GREEN)
    return img


def pic_address_book():
    img = canvas()
    rect(img, 2, 0, 14, 15, (160, 60, 40))
    rect(img, 2, 0, 3, 15, (100, 30, 20))
    for y in range(16):
        for x in range(16):
            if (x - 9) ** 2 + (y - 5) ** 2 <= 5:
                img[y][x] = (250, 215, 170)
    fill_polygon(img, [(5, 13), (13, 13), (11, 9), (7, 9)], (250, 215, 170))
    return img


def pic_external_editor():
    img = canvas()
    rect(img, 0, 1, 12, 14, PAPER)
    rect(img, 0, 1, 12, 3, BLUE)
    for y in range(1, 15):
        img[y][0] = img[y][12] = INK
    line(img, 0, 14, 12, 14, INK)
    for d in (0, 1):
        line(img, 14 + d, 4, 6 + d, 12, YELLOW)
    img[13][5] = img[12][5] = INK
    return img


def pic_open_source():
    img = canvas()
    small_envelope(img, 0, 6, 11, 15, INK, YELLOW)
    fill_polygon(img, [(9, 0), (15, 0), (15, 6)], BLUE)
    line(img, 14, 1, 9, 6, BLUE)
    line(img, 13, 1, 8, 6, BLUE)
    return img


def pic_char_count():
    img = canvas()
    document(img, 0, 0, 15, 15, False)
    small_text(img, 2, 2, 'AB', INK)
    line(img, 2, 8, 13, 8, GREY)
    small_text(img, 2, 9, '123', RED)
    return img


def pic_read_receipt():
    img = canvas()
    small_envelope(img, 0, 3, 11, 12)
    for d in (0, 1):
        line(img, 8, 10 + d, 10, 12 + d, GREEN)
        line(img, 10, 12 + d, 15, 6 + d, GREEN)
    return img


def pic_body_archive():
    img = canvas()
    document(img, 0, 0, 10, 15)
    padlock(img, 8, 7)
    return img


def pic_tag_menu():
    img = canvas()
    for y in range(2, 8):
        for x in range(2, 9):
            if (x - 5) ** 2 + (y - 5) ** 2 <= 9:
                img[y][x] = INK
    rect(img, 7, 1, 8, 15, INK)
    rect(img, 11, 1, 12, 15, INK)
    rect(img, 5, 1, 13, 1, INK)
    return img


def pic_bold():
    img = canvas()
    glyph = ["11110", "11011", "11011", "11110", "11011", "11011", "11110"]
    for gy, row in enumerate(glyph):
        for gx, bit in enumerate(row):
            if bit == '1':
                rect(img, 3 + gx * 2, 1 + gy * 2, 4 + gx * 2, 2 + gy * 2, INK)
    return img


def pic_italic():
    img = canvas()
    rect(img, 6, 1, 12, 2, INK)
    rect(img, 3, 13, 9, 14, INK)
    for d in (0, 1):
        line(img, 9 + d, 3, 6 + d, 12, INK)
    return img


def pic_underline():
    img = canvas()
    for x in (3, 4, 10, 11):
        rect(img, x, 1, x, 9, INK)
    line(img, 4, 10, 10, 10, INK)
    line(img, 5, 11, 9, 11, INK)
    rect(img, 1, 13, 14, 14, INK)
    return img


def pic_text_color():
    img = canvas()
    for d in (0, 1):
        line(img, 2 + d, 11, 7 + d, 0, INK)
        line(img, 7 + d, 0, 12 + d, 11, INK)
    line(img, 5, 7, 10, 7, INK)
    rect(img, 1, 13, 14, 15, RED)
    return img


def paragraph_lines(img, spans):
    for y, (x0, x1) in zip((2, 5, 8, 11, 14), spans):
        line(img, x0, y, x1, y, INK)
        line(img, x0, y + 1, x1, y + 1, INK)


def pic_align_left():
    img = canvas()
    paragraph_lines(img, [(1, 14), (1, 9), (1, 14), (1, 9), (1, 12)])
    return img


def pic_align_centre():
    img = canvas()
    paragraph_lines(img, [(1, 14), (4, 11), (1, 14), (4, 11), (3, 12)])
    return img


def pic_align_right():
    img = canvas()
    paragraph_lines(img, [(1, 14), (6, 14), (1, 14), (6, 14), (3, 14)])
    return img


def indent_picture(arrow):
    img = canvas()
    text_lines(img, 1, 14, (1, 14), INK)
    text_lines(img, 7, 14, (5, 8, 11), INK)
    fill_polygon(img, arrow, BLUE)
    return img


def pic_indent():
    return indent_picture([(1, 5), (1, 11), (4, 8)])


def pic_outdent():
    return indent_picture([(4, 5), (4, 11), (1, 8)])


def pic_numbering():
    img = canvas()
    grid_glyph(img, 1, 0, SMALL_GLYPHS['1'], BLUE)
    grid_glyph(img, 1, 5, ["111", "001", "111", "100", "111"], BLUE)
    grid_glyph(img, 1, 10, SMALL_GLYPHS['3'], BLUE)
    for y in (2, 7, 12):
        line(img, 6, y, 14, y, INK)
        line(img, 6, y + 1, 14, y + 1, INK)
    return img


def pic_bullets():
    img = canvas()
    for y in (2, 7, 12):
        rect(img, 1, y - 1, 3, y + 1, BLUE)
        line(img, 6, y, 14, y, INK)
        line(img, 6, y + 1, 14, y + 1, INK)
    return img


def pic_table():
    img = canvas()
    rect(img, 0, 1, 15, 14, PAPER)
    rect(img, 0, 1, 15, 4, BLUE)
    for y in (1, 4, 9, 14):
        line(img, 0, y, 15, y, INK)
    for x in (0, 5, 10, 15):
        line(img, x, 1, x, 14, INK)
    return img


def pic_horizontal_line():
    img = canvas()
    text_lines(img, 1, 14, (1, 3, 12, 14))
    rect(img, 0, 7, 15, 8, INK)
    return img


def pic_image():
    img = canvas()
    rect(img, 0, 1, 15, 14, (170, 210, 250))
    for x in range(16):
        img[1][x] = img[14][x] = INK
    for y in range(1, 15):
        img[y][0] = img[y][15] = INK
    for y in range(3, 7):
        for x in range(9, 14):
            if (x - 11) ** 2 + (y - 4.5) ** 2 <= 4:
                img[y][x] = YELLOW
    fill_polygon(img, [(1, 13), (6, 6), (11, 13)], GREEN)
    return img


def pic_background():
    img = canvas()
    for y in range(16):
        for x in range(16):
            img[y][x] = YELLOW if (x // 4 + y // 4) % 2 == 0 else (250, 230, 160)
    document(img, 3, 3, 12, 12)
    return img


def pic_anchor():
    img = canvas()
    for cx, cy in ((5, 10), (10, 5)):
        for y in range(16):
            for x in range(16):
                d = (x - cx) ** 2 + (y - cy) ** 2
                if 6 <= d <= 14:
                    img[y][x] = BLUE
    for d in (0, 1):
        line(img, 5 + d, 10, 10 + d, 5, INK)
    return img


EDITOR_PICTURES = {
    32790: pic_send_now, 32919: pic_to_outbox, 32814: pic_save_draft, 32987: pic_auto_signature,
    57641: pic_replace, 57636: pic_find_text, 32792: pic_show_bcc, 32825: pic_insert_template,
    32811: pic_address_book, 32950: pic_external_editor, 32959: pic_open_source, 33031: pic_char_count,
    33208: pic_read_receipt, 33288: pic_body_archive,
    33292: pic_tag_menu, 33323: pic_bold, 33324: pic_italic, 33325: pic_underline, 33326: pic_text_color,
    33354: pic_align_left, 33355: pic_align_centre, 33356: pic_align_right, 33352: pic_indent,
    33353: pic_outdent, 33327: pic_numbering, 33328: pic_bullets, 33329: pic_table,
    33351: pic_horizontal_line, 33364: pic_image, 33357: pic_background, 33365: pic_anchor,
}

# The account box stands after the first button of the editor's toolbar, the
# font boxes before the first button of the format toolbar.
EDITOR_TOOLBAR = [32790, 32919, 32814, -1, 32987, 57641, 57636, -1, 32792, 32825, 32811, -1, 32950, 32959, 33031,
                  -1, 33208, 33288, -1, 57670]

EDITOR_FORMAT_TOOLBAR = [33292, -1, 33323, 33324, 33325, 33326, -1, 33354, 33355, 33356, 33352, 33353, 33327, 33328,
                         -1, 33329, 33351, 33364, 33357, 33365]


def write_editor_toolbars():
    pictures = {**PICTURES, **EDITOR_PICTURES}
    for layout, layout_file, bitmap_file in ((EDITOR_TOOLBAR, 'ToolBarEditor.bin', 'ToolBarEditorImages.bmp'),
                                             (EDITOR_FORMAT_TOOLBAR, 'ToolBarEditorFormat.bin',
                                              'ToolBarEditorFormatImages.bmp')):
        with open(os.path.join(HERE, layout_file), 'wb') as f:
            f.write(b''.join(struct.pack('<i', v) for v in layout))
        with open(os.path.join(HERE, bitmap_file), 'wb') as f:
            f.write(toolbar_bitmap(layout, pictures))


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
    with open(os.path.join(HERE, 'ToolBarViewer.bin'), 'wb') as f:
        f.write(b''.join(struct.pack('<i', v) for v in VIEWER_TOOLBAR))
    with open(os.path.join(HERE, 'ToolBarMain.bmp'), 'wb') as f:
        f.write(toolbar_bitmap(TOOLBAR))
    with open(os.path.join(HERE, 'ToolBarViewerImages.bmp'), 'wb') as f:
        f.write(toolbar_bitmap(VIEWER_TOOLBAR))
    write_editor_toolbars()


if __name__ == '__main__':
    main()
