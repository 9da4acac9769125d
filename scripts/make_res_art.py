#!/usr/bin/env python3
"""Draws the program's toolbar strip and icon and writes them into res/.

res/toolbar.bmp: 15 images of 18 x 17 pixels side by side, 8 bits per pixel
with a palette, so the toolbar maps the standard greys to the system colours.
The background is light grey (192, 192, 192), which becomes the button face.
res/kv310r.ico: the program icon, 32 x 32 and 16 x 16, 32 bits per pixel.

Run it again after changing a drawing; the outputs are committed.
"""
import os
import struct

W, H = 18, 17
COUNT = 15

PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, DRED, DGREEN, OLIVE, NAVY, PURPLE, TEAL, GREY = range(8)
DGREY, RED, GREEN, YELLOW, BLUE, MAGENTA, CYAN, WHITE = range(8, 16)


class Canvas:
    def __init__(self, w, h, bg):
        self.w, self.h = w, h
        self.px = [[bg] * w for _ in range(h)]

    def set(self, x, y, c):
        if 0 <= x < self.w and 0 <= y < self.h:
            self.px[y][x] = c

    def fill(self, x0, y0, x1, y1, c):
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.set(x, y, c)

    def frame(self, x0, y0, x1, y1, c):
        self.line(x0, y0, x1, y0, c)
        self.line(x0, y1, x1, y1, c)
        self.line(x0, y0, x0, y1, c)
        self.line(x1, y0, x1, y1, c)

    def line(self, x0, y0, x1, y1, c):
        dx, dy = abs(x1 - x0), -abs(y1 - y0)
        sx, sy = (1 if x0 < x1 else -1), (1 if y0 < y1 else -1)
        err = dx + dy
        while True:
            self.set(x0, y0, c)
            if x0 == x1 and y0 == y1:
                return
            e2 = 2 * err
            if e2 >= dy:
                err += dy
                x0 += sx
            if e2 <= dx:
                err += dx
                y0 += sy

    def disc(self, cx, cy, r, c):
        for y in range(cy - r, cy + r + 1):
            for x in range(cx - r, cx + r + 1):
                if (x - cx) ** 2 + (y - cy) ** 2 <= r * r + r // 2:
                    self.set(x, y, c)

    def ring(self, cx, cy, r, c):
        for y in range(cy - r - 1, cy + r + 2):
            for x in range(cx - r - 1, cx + r + 2):
                d = (x - cx) ** 2 + (y - cy) ** 2
                if r * r - r <= d <= r * r + r:
                    self.set(x, y, c)


def sheet(c, x0=3, y0=1, x1=13, y1=15):
    """A sheet of paper with a folded corner."""
    c.fill(x0, y0, x1, y1, WHITE)
    c.frame(x0, y0, x1, y1, BLACK)
    c.fill(x1 - 2, y0, x1, y0 + 2, GREY)
    c.line(x1 - 3, y0, x1, y0 + 3, BLACK)
    c.line(x1 - 3, y0, x1 - 3, y0 + 3, BLACK)
    c.line(x1 - 3, y0 + 3, x1, y0 + 3, BLACK)


def arrow_down(c, x, y0, y1, col):
    c.fill(x - 1, y0, x + 1, y1 - 2, col)
    for i in range(4):
        c.line(x - 3 + i, y1 - 3 + i, x + 3 - i, y1 - 3 + i, col)


def arrow_up(c, x, y0, y1, col):
    c.fill(x - 1, y0 + 2, x + 1, y1, col)
    for i in range(4):
        c.line(x - 3 + i, y0 + 3 - i, x + 3 - i, y0 + 3 - i, col)


def dimmer_box(c, x0, y0, x1, y1):
    """The KV-310-R as a small grey housing with two green LEDs."""
    c.fill(x0, y0, x1, y1, DGREY)
    c.frame(x0, y0, x1, y1, BLACK)
    c.set(x0 + 2, y0 + 2, GREEN)
    c.set(x0 + 4, y0 + 2, GREEN)
    c.line(x0 + 2, y1 - 2, x1 - 2, y1 - 2, WHITE)


def img_new(c):
    sheet(c)
    c.disc(13, 12, 2, YELLOW)
    c.set(13, 12, WHITE)


def img_open(c):
    c.fill(1, 4, 7, 5, OLIVE)
    c.fill(1, 5, 14, 14, YELLOW)
    c.frame(1, 5, 14, 14, BLACK)
    c.line(1, 4, 7, 4, BLACK)
    c.line(4, 9, 16, 9, BLACK)
    c.line(4, 9, 1, 14, BLACK)
    c.line(16, 9, 14, 14, BLACK)
    c.line(10, 1, 14, 1, BLUE)
    c.line(14, 1, 14, 4, BLUE)
    c.line(13, 3, 15, 3, BLUE)


def img_save(c):
    c.fill(2, 1, 15, 15, NAVY)
    c.frame(2, 1, 15, 15, BLACK)
    c.fill(4, 2, 13, 7, WHITE)
    c.line(5, 4, 12, 4, DGREY)
    c.line(5, 6, 12, 6, DGREY)
    c.fill(5, 10, 12, 15, GREY)
    c.fill(6, 11, 7, 14, NAVY)


def img_close(c):
    sheet(c)
    c.line(6, 6, 11, 11, RED)
    c.line(7, 6, 12, 11, RED)
    c.line(11, 6, 6, 11, RED)
    c.line(12, 6, 7, 11, RED)


def img_exit(c):
    c.fill(3, 1, 11, 15, OLIVE)
    c.frame(3, 1, 11, 15, BLACK)
    c.set(9, 8, YELLOW)
    c.fill(12, 7, 15, 9, GREEN)
    for i in range(3):
        c.line(15 - i, 5 + i, 15 - i, 11 - i, GREEN)
    c.line(16, 8, 16, 8, GREEN)


def img_tabs(c):
    c.fill(1, 5, 16, 15, WHITE)
    c.frame(1, 5, 16, 15, BLACK)
    c.fill(2, 2, 6, 5, WHITE)
    c.frame(2, 2, 6, 5, BLACK)
    c.fill(7, 3, 11, 5, GREY)
    c.frame(7, 3, 11, 5, BLACK)
    c.fill(12, 3, 16, 5, GREY)
    c.frame(12, 3, 16, 5, BLACK)
    c.fill(2, 5, 5, 5, WHITE)


def img_port(c):
    """A nine-pin serial plug."""
    c.fill(2, 4, 15, 12, DGREY)
    c.frame(2, 4, 15, 12, BLACK)
    c.line(3, 12, 14, 12, BLACK)
    for x in range(4, 14, 2):
        c.set(x, 7, YELLOW)
    for x in range(5, 13, 2):
        c.set(x, 9, YELLOW)
    c.fill(8, 13, 9, 16, BLACK)


def img_monitor(c):
    c.fill(1, 2, 16, 12, BLACK)
    c.fill(2, 3, 15, 11, TEAL)
    c.line(3, 5, 9, 5, GREEN)
    c.line(3, 7, 12, 7, GREEN)
    c.line(3, 9, 7, 9, GREEN)
    c.fill(7, 13, 10, 13, DGREY)
    c.fill(4, 14, 13, 15, DGREY)


def img_write(c):
    """PC parameter set into the dimmer."""
    sheet(c, 1, 0, 8, 7)
    arrow_down(c, 12, 1, 9, RED)
    dimmer_box(c, 2, 10, 16, 16)


def img_read(c):
    """Dimmer parameter set into the PC."""
    dimmer_box(c, 2, 10, 16, 16)
    arrow_up(c, 12, 1, 9, BLUE)
    sheet(c, 1, 0, 8, 7)


def img_info(c):
    c.disc(8, 8, 7, BLUE)
    c.fill(8, 7, 9, 12, WHITE)
    c.fill(8, 4, 9, 5, WHITE)
    c.line(7, 12, 10, 12, WHITE)


def img_firmware(c):
    """A chip with its pins."""
    c.fill(4, 3, 13, 13, BLACK)
    c.fill(6, 5, 11, 11, DGREY)
    for y in range(4, 13, 2):
        c.line(1, y, 3, y, DGREY)
        c.line(14, y, 16, y, DGREY)
    c.set(5, 4, WHITE)


def img_status(c):
    """A meter with its needle."""
    c.fill(1, 3, 16, 14, WHITE)
    c.frame(1, 3, 16, 14, BLACK)
    c.ring(8, 13, 6, BLACK)
    c.fill(2, 14, 15, 14, BLACK)
    c.line(8, 12, 13, 7, RED)


def img_scope(c):
    c.fill(1, 2, 16, 14, BLACK)
    for x in range(2, 16):
        c.set(x, 8, DGREEN)
    for y in range(3, 14):
        c.set(8, y, DGREEN)
    pts = [4, 3, 3, 4, 6, 8, 11, 12, 13, 12, 10, 8, 5, 4]
    for i in range(len(pts) - 1):
        c.line(2 + i, pts[i], 3 + i, pts[i + 1], GREEN)


def img_curve(c):
    c.fill(1, 1, 16, 15, WHITE)
    c.line(2, 1, 2, 14, BLACK)
    c.line(2, 14, 16, 14, BLACK)
    prev = None
    for x in range(3, 16):
        y = 13 - ((x - 3) ** 2) // 14
        if prev:
            c.line(prev[0], prev[1], x, y, RED)
        prev = (x, y)


def img_help(c):
    c.disc(8, 8, 7, TEAL)
    c.line(6, 5, 7, 4, WHITE)
    c.line(7, 4, 10, 4, WHITE)
    c.line(10, 4, 11, 5, WHITE)
    c.line(11, 5, 11, 6, WHITE)
    c.line(11, 6, 9, 8, WHITE)
    c.line(9, 8, 9, 9, WHITE)
    c.fill(8, 11, 9, 12, WHITE)


IMAGES = [img_new, img_open, img_save, img_close, img_exit, img_tabs, img_port, img_monitor,
          img_info, img_write, img_read, img_firmware, img_status, img_scope, img_curve]
assert len(IMAGES) == COUNT


def write_bmp8(path, canvas):
    row = (canvas.w + 3) & ~3
    # Exactly the colours used: a resource bitmap has no file header, so the
    # pixels are found right after the palette that biClrUsed announces.
    pal = b"".join(bytes((b, g, r, 0)) for r, g, b in PALETTE)
    pixels = b"".join(bytes(canvas.px[y]) + bytes(row - canvas.w) for y in range(canvas.h - 1, -1, -1))
    offset = 14 + 40 + len(pal)
    header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, canvas.w, canvas.h, 1, 8, 0, len(pixels), 2835, 2835, len(PALETTE), len(PALETTE))
    with open(path, "wb") as f:
        f.write(header + info + pal + pixels)


def icon_image(size):
    """The program icon: a light bulb over a dimmer slider, drawn in RGBA."""
    s = size / 32.0
    px = [[(0, 0, 0, 0)] * size for _ in range(size)]

    def put(x, y, rgba):
        if 0 <= x < size and 0 <= y < size:
            px[y][x] = rgba

    for y in range(size):
        for x in range(size):
            fx, fy = (x + 0.5) / s, (y + 0.5) / s
            d = ((fx - 16) ** 2 + (fy - 12) ** 2) ** 0.5
            if d <= 10:
                put(x, y, (0, 0, 0, 255))
            if d <= 9:
                glow = int(255 - d * 8)
                put(x, y, (255, max(glow, 180), 40, 255))
            if 12 <= fx <= 20 and 21 <= fy <= 27:
                put(x, y, (96, 96, 96, 255) if int(fy) % 2 == 0 else (160, 160, 160, 255))
            if 3 <= fx <= 29 and 28.5 <= fy <= 30.5:
                put(x, y, (0, 0, 128, 255))
            if 20 <= fx <= 24 and 27 <= fy <= 31.5:
                put(x, y, (220, 0, 0, 255))
    return px


def write_ico(path, sizes):
    images = []
    for size in sizes:
        px = icon_image(size)
        xor = b"".join(bytes((b, g, r, a)) for y in range(size - 1, -1, -1) for (r, g, b, a) in px[y])
        mask_row = ((size + 31) // 32) * 4
        mask = bytearray()
        for y in range(size - 1, -1, -1):
            bits = bytearray(mask_row)
            for x in range(size):
                if px[y][x][3] == 0:
                    bits[x // 8] |= 0x80 >> (x % 8)
            mask += bits
        info = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
        images.append((size, info + xor + bytes(mask)))
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in images:
        out += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    out += b"".join(data for _, data in images)
    with open(path, "wb") as f:
        f.write(out)


def main():
    res = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "res")
    strip = Canvas(W * COUNT, H, GREY)
    for i, draw in enumerate(IMAGES):
        c = Canvas(W, H, GREY)
        draw(c)
        for y in range(H):
            strip.px[y][i * W:(i + 1) * W] = c.px[y]
    write_bmp8(os.path.join(res, "toolbar.bmp"), strip)
    write_ico(os.path.join(res, "kv310r.ico"), [32, 16])


if __name__ == "__main__":
    main()
