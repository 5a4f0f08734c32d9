#!/usr/bin/env python3
"""Draw the brick texture of Kostkolam and write it as an 8-bit palette BMP.

Usage:  python3 tools/make_brick.py [OUTPUT]      (default: assets/brick.bmp)

The picture is 64 x 50 pixels: reddish-brown bricks laid in running bond with
light grey mortar joints.  The game shows only the middle 48 x 17 pixels of it
on each brick, so a horizontal joint runs right through the middle (rows 24-25)
with a head joint above and below it, and the other courses fill the rest.

Only the Python standard library is used, and the random numbers come from a
fixed seed, so every run writes exactly the same bytes.
"""

import random
import struct
import sys

SEED = 4817               # any fixed number; change it for a different brick
WIDTH = 64
HEIGHT = 50

# Layout of the wall, in pixels, counted from the top row of the picture.
COURSE_PITCH = 16          # one course of bricks plus its bed joint
BED_JOINT_TOP = 8          # first row of the first horizontal joint
JOINT = 2                  # thickness of every joint
BRICK_PITCH = 32           # one brick plus its head joint
HEAD_JOINT_LEFT = 30       # first column of the head joint in the first course

# Two colour ramps, dark to light, given as (red, green, blue) stops.
BRICK_STOPS = [(60, 26, 18), (104, 44, 30), (142, 62, 42), (170, 86, 60), (196, 120, 90)]
MORTAR_STOPS = [(112, 108, 102), (158, 154, 146), (204, 200, 192)]
BRICK_LEVELS = 200         # palette entries set aside for each ramp
MORTAR_LEVELS = 56         # (200 + 56 = 256)


def ramp_colour(stops, t):
    """Colour at position t (0..1) along a ramp of colour stops."""
    t = min(max(t, 0.0), 1.0) * (len(stops) - 1)
    i = min(int(t), len(stops) - 2)
    f = t - i
    a, b = stops[i], stops[i + 1]
    return tuple(round(a[k] + (b[k] - a[k]) * f) for k in range(3))


def is_bed_joint(y):
    return (y - BED_JOINT_TOP) % COURSE_PITCH < JOINT


def course_of(y):
    """Number of the course a row belongs to (joint rows count with the course below)."""
    return (y - BED_JOINT_TOP) // COURSE_PITCH


def brick_of(x, y):
    """(course, brick) of a pixel and whether it lies in a head joint."""
    course = course_of(y)
    shift = HEAD_JOINT_LEFT + JOINT + (BRICK_PITCH // 2) * (course % 2)
    column = (x - shift) % BRICK_PITCH
    return course, (x - shift) // BRICK_PITCH, column >= BRICK_PITCH - JOINT


def draw(rng):
    """Return the picture as rows (top row first) of (ramp, position) pairs,
    where ramp is "brick" or "mortar" and position runs from 0 (dark) to 1."""
    # Each brick gets its own tone: most are mid-red, a few are darker or paler.
    tones = {}
    for course in range(-2, HEIGHT // COURSE_PITCH + 2):
        for brick in range(-2, WIDTH // BRICK_PITCH + 2):
            tones[course, brick] = rng.gauss(0.52, 0.10)

    rows = []
    for y in range(HEIGHT):
        row = []
        for x in range(WIDTH):
            course, brick, in_head_joint = brick_of(x, y)
            if is_bed_joint(y) or in_head_joint:
                shade = 0.55 + rng.uniform(-0.18, 0.18)
                # The joint just under a brick lies in its shadow.
                if is_bed_joint(y) and not is_bed_joint(y - 1):
                    shade -= 0.28
                row.append(("mortar", shade))
                continue

            shade = tones[course, brick] + rng.uniform(-0.07, 0.07)
            if rng.random() < 0.06:            # dark grit in the clay
                shade -= rng.uniform(0.10, 0.20)
            if is_bed_joint(y + 1):            # the lower edge is a little darker
                shade -= 0.16
            elif is_bed_joint(y - 1):          # and the upper edge catches the light
                shade += 0.06
            row.append(("brick", shade))
        rows.append(row)
    return rows


def to_indexed(rows):
    """Turn (ramp, position) pixels into palette indices and a 256-entry palette.

    Only the colours that actually occur get an entry; they are numbered dark to
    light, bricks first, and the entries left over stay black (0, 0, 0)."""
    def level(pixel):
        ramp, t = pixel
        levels = BRICK_LEVELS if ramp == "brick" else MORTAR_LEVELS
        return ramp != "brick", round(min(max(t, 0.0), 1.0) * (levels - 1))

    used = sorted({level(p) for row in rows for p in row})
    index = {key: i for i, key in enumerate(used)}
    palette = [(0, 0, 0)] * 256
    for key, i in index.items():
        is_mortar, lvl = key
        if is_mortar:
            palette[i] = ramp_colour(MORTAR_STOPS, lvl / (MORTAR_LEVELS - 1))
        else:
            palette[i] = ramp_colour(BRICK_STOPS, lvl / (BRICK_LEVELS - 1))
    pixels = [[index[level(p)] for p in row] for row in rows]
    return pixels, palette


def bmp_bytes(pixels, palette):
    """An uncompressed 8-bit Windows BMP (BITMAPINFOHEADER, bottom-up rows)."""
    height, width = len(pixels), len(pixels[0])
    stride = (width + 3) // 4 * 4              # each row is padded to 4 bytes
    image_size = stride * height
    palette_size = 4 * 256
    offset = 14 + 40 + palette_size

    file_header = struct.pack("<2sIHHI", b"BM", offset + image_size, 0, 0, offset)
    info_header = struct.pack(
        "<IiiHHIIiiII",
        40,            # biSize
        width,         # biWidth
        height,        # biHeight (positive: bottom row first)
        1,             # biPlanes
        8,             # biBitCount
        0,             # biCompression = BI_RGB
        image_size,    # biSizeImage
        2835,          # biXPelsPerMeter (72 dpi)
        2835,          # biYPelsPerMeter
        256,           # biClrUsed
        0,             # biClrImportant (all)
    )
    table = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette)
    data = b"".join(bytes(row) + b"\0" * (stride - width) for row in reversed(pixels))
    return file_header + info_header + table + data


def main(argv):
    if len(argv) > 2:
        sys.exit("usage: make_brick.py [OUTPUT]")
    path = argv[1] if len(argv) == 2 else "assets/brick.bmp"
    pixels, palette = to_indexed(draw(random.Random(SEED)))
    with open(path, "wb") as f:
        f.write(bmp_bytes(pixels, palette))


if __name__ == "__main__":
    main(sys.argv)
