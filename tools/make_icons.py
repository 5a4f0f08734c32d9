#!/usr/bin/env python3
"""Draw the Kostkolam application icon and render it at the usual desktop sizes.

Usage:  python3 tools/make_icons.py [OUTPUT_DIR]      (default: data/icons)

The icon is a small brick wall in the game's reddish-brown with one brick knocked out of its
lowest course, the game's white ball with its red rim flying towards the gap, and the green
paddle below, all on a dark blue tile. The script writes the drawing as a scalable SVG and then
turns that SVG into PNGs of 16, 22, 24, 32, 48, 64, 128 and 256 pixels with rsvg-convert, laid
out as a hicolor icon theme:

    OUTPUT_DIR/hicolor/scalable/apps/io.github.kostkolam.Kostkolam.svg
    OUTPUT_DIR/hicolor/<N>x<N>/apps/io.github.kostkolam.Kostkolam.png

The generated files are committed, so building the game needs no converter. Only the Python
standard library is used for the drawing; rsvg-convert (Debian package librsvg2-bin) is
installed with apt-get when it is missing.
"""

import os
import shutil
import subprocess
import sys

APP_ID = "io.github.kostkolam.Kostkolam"
PNG_SIZES = (16, 22, 24, 32, 48, 64, 128, 256)

# The drawing is laid out on a 128 x 128 grid.
CANVAS = 128
TILE_MARGIN = 6
TILE_RADIUS = 20

# The wall: three courses in running bond, each brick with a mortar joint around it.
WALL_LEFT = 18
WALL_TOP = 20
WALL_WIDTH = 92
COURSE_HEIGHT = 15
JOINT = 3
BRICKS_PER_COURSE = 3
COURSES = 3
# The brick the ball has already knocked out: lowest course, second brick.
MISSING_BRICK = (2, 1)

BALL_CENTRE = (80, 84)
BALL_RADIUS = 9
PADDLE = (30, 104, 46, 8)  # left, top, width, height

# Colours: the game's own brick, ball and paddle colours where it has them.
TILE_TOP = "#2d4a7a"
TILE_BOTTOM = "#16233d"
MORTAR = "#d9d3c7"
BRICK_LIGHT = "#c4683f"
BRICK_DARK = "#8e3b24"
BALL_FILL = "#ffffff"
BALL_RIM = "#ff0000"
PADDLE_FILL = "#00ff00"
PADDLE_RIM = "#c0ffc0"


def brick_rects():
    """(left, top, width, height) of every brick still in the wall, course by course."""
    brick_width = (WALL_WIDTH - (BRICKS_PER_COURSE - 1) * JOINT) / BRICKS_PER_COURSE
    pitch = brick_width + JOINT
    rects = []
    for course in range(COURSES):
        top = WALL_TOP + course * (COURSE_HEIGHT + JOINT)
        # Every other course starts half a brick further left; the wall's sides are cut straight.
        shift = -pitch / 2 if course % 2 == 1 else 0.0
        count = BRICKS_PER_COURSE + (1 if shift else 0)
        for i in range(count):
            if (course, i) == MISSING_BRICK:
                continue
            left = WALL_LEFT + shift + i * pitch
            right = min(left + brick_width, WALL_LEFT + WALL_WIDTH)
            left = max(left, WALL_LEFT)
            if right - left > 1:
                rects.append((left, top, right - left, COURSE_HEIGHT))
    return rects


def number(value):
    """A coordinate as SVG wants it: no trailing zeros, at most two decimals."""
    text = f"{value:.2f}".rstrip("0").rstrip(".")
    return text if text != "-0" else "0"


def svg_text():
    wall_height = COURSES * COURSE_HEIGHT + (COURSES - 1) * JOINT
    tile = CANVAS - 2 * TILE_MARGIN
    lines = [
        '<?xml version="1.0" encoding="UTF-8"?>',
        f'<svg xmlns="http://www.w3.org/2000/svg" width="{CANVAS}" height="{CANVAS}" '
        f'viewBox="0 0 {CANVAS} {CANVAS}">',
        "  <title>Kostkolam</title>",
        "  <defs>",
        # In the tile's own coordinates, so that the hole in the wall shows the tile behind it.
        f'    <linearGradient id="tile" gradientUnits="userSpaceOnUse" x1="0" y1="{TILE_MARGIN}" '
        f'x2="0" y2="{CANVAS - TILE_MARGIN}">',
        f'      <stop offset="0" stop-color="{TILE_TOP}"/>',
        f'      <stop offset="1" stop-color="{TILE_BOTTOM}"/>',
        "    </linearGradient>",
        '    <linearGradient id="brick" x1="0" y1="0" x2="0" y2="1">',
        f'      <stop offset="0" stop-color="{BRICK_LIGHT}"/>',
        f'      <stop offset="1" stop-color="{BRICK_DARK}"/>',
        "    </linearGradient>",
        '    <radialGradient id="ball" cx="0.35" cy="0.35" r="0.75">',
        f'      <stop offset="0" stop-color="{BALL_FILL}"/>',
        '      <stop offset="1" stop-color="#d8d8e0"/>',
        "    </radialGradient>",
        "  </defs>",
        f'  <rect x="{TILE_MARGIN}" y="{TILE_MARGIN}" width="{tile}" height="{tile}" '
        f'rx="{TILE_RADIUS}" fill="url(#tile)"/>',
        f'  <rect x="{WALL_LEFT - JOINT}" y="{WALL_TOP - JOINT}" '
        f'width="{WALL_WIDTH + 2 * JOINT}" height="{wall_height + 2 * JOINT}" '
        f'rx="2" fill="{MORTAR}"/>',
    ]
    # The knocked-out brick leaves a dark hole in the mortar.
    hole_course, hole_index = MISSING_BRICK
    brick_width = (WALL_WIDTH - (BRICKS_PER_COURSE - 1) * JOINT) / BRICKS_PER_COURSE
    hole_left = WALL_LEFT + hole_index * (brick_width + JOINT)
    if hole_course % 2 == 1:
        hole_left -= (brick_width + JOINT) / 2
    hole_top = WALL_TOP + hole_course * (COURSE_HEIGHT + JOINT)
    lines.append(
        f'  <rect x="{number(hole_left)}" y="{hole_top}" width="{number(brick_width)}" '
        f'height="{COURSE_HEIGHT + JOINT + 1}" fill="url(#tile)"/>'
    )
    for left, top, width, height in brick_rects():
        lines.append(
            f'  <rect x="{number(left)}" y="{top}" width="{number(width)}" '
            f'height="{height}" rx="1.5" fill="url(#brick)"/>'
        )
    px, py, pw, ph = PADDLE
    bx, by = BALL_CENTRE
    lines += [
        f'  <rect x="{px}" y="{py}" width="{pw}" height="{ph}" rx="2" '
        f'fill="{PADDLE_FILL}" stroke="{PADDLE_RIM}" stroke-width="1.5"/>',
        f'  <circle cx="{bx}" cy="{by}" r="{BALL_RADIUS}" fill="url(#ball)" '
        f'stroke="{BALL_RIM}" stroke-width="3"/>',
        "</svg>",
        "",
    ]
    return "\n".join(lines)


def ensure_rsvg_convert():
    if shutil.which("rsvg-convert"):
        return
    root = [] if os.geteuid() == 0 else ["sudo"]
    env = dict(os.environ, DEBIAN_FRONTEND="noninteractive")
    subprocess.run(root + ["apt-get", "update", "-q"], check=True, env=env)
    subprocess.run(
        root + ["apt-get", "install", "-y", "-q", "--no-install-recommends", "librsvg2-bin"],
        check=True,
        env=env,
    )


def main(argv):
    if len(argv) > 2:
        sys.exit(__doc__)
    out = argv[1] if len(argv) == 2 else "data/icons"
    scalable = os.path.join(out, "hicolor", "scalable", "apps")
    os.makedirs(scalable, exist_ok=True)
    svg_path = os.path.join(scalable, APP_ID + ".svg")
    with open(svg_path, "w", encoding="utf-8", newline="\n") as svg:
        svg.write(svg_text())

    ensure_rsvg_convert()
    for size in PNG_SIZES:
        folder = os.path.join(out, "hicolor", f"{size}x{size}", "apps")
        os.makedirs(folder, exist_ok=True)
        subprocess.run(
            ["rsvg-convert", "--width", str(size), "--height", str(size),
             "--output", os.path.join(folder, APP_ID + ".png"), svg_path],
            check=True,
        )


if __name__ == "__main__":
    main(sys.argv)
