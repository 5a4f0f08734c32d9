#!/usr/bin/env python3
"""Draw the Kostkolam application icon and render it at the usual desktop sizes.

Usage:  python3 tools/make_icons.py [OUTPUT_DIR]        (default: data/icons)
        python3 tools/make_icons.py --web [OUTPUT_DIR]  (default: web/site/icons)

The icon is a small brick wall in the game's reddish-brown with one brick knocked out of its
lowest course, the game's white ball with its red rim flying towards the gap, and the green
paddle below, all on a dark blue tile. The script writes the drawing as a scalable SVG and then
turns that SVG into PNGs of 16, 22, 24, 32, 48, 64, 128 and 256 pixels with rsvg-convert, laid
out as a hicolor icon theme:

    OUTPUT_DIR/hicolor/scalable/apps/io.github.kostkolam.Kostkolam.svg
    OUTPUT_DIR/hicolor/<N>x<N>/apps/io.github.kostkolam.Kostkolam.png

With --web it writes the browser edition's icons instead: the same drawing at 192 and 512
pixels, and a maskable one at each size for a phone's home screen, whose tile fills the whole
square and whose drawing lies within the middle circle any mask leaves:

    OUTPUT_DIR/icon-<N>.png  OUTPUT_DIR/icon-maskable-<N>.png

The generated files are committed, so building the game needs no converter. Only the Python
standard library is used for the drawing; rsvg-convert (Debian package librsvg2-bin) is
installed with apt-get when it is missing.
"""

import math
import os
import shutil
import subprocess
import sys
import tempfile

APP_ID = "io.github.kostkolam.Kostkolam"
PNG_SIZES = (16, 22, 24, 32, 48, 64, 128, 256)
# The browser edition's icons, for a phone's home screen and an installed web app.
WEB_SIZES = (192, 512)
# A maskable icon keeps what matters within this fraction of its width from the middle.
MASKABLE_SAFE_RADIUS = 0.4

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


def gradient_lines(tile_gradients):
    """The drawing's gradients; `tile_gradients` are (id, y1, y2) of the tile's, in the user
    space of what they fill, so that the hole in the wall shows the tile behind it."""
    lines = ["  <defs>"]
    for name, top, bottom in tile_gradients:
        lines += [
            f'    <linearGradient id="{name}" gradientUnits="userSpaceOnUse" x1="0" '
            f'y1="{number(top)}" x2="0" y2="{number(bottom)}">',
            f'      <stop offset="0" stop-color="{TILE_TOP}"/>',
            f'      <stop offset="1" stop-color="{TILE_BOTTOM}"/>',
            "    </linearGradient>",
        ]
    lines += [
        '    <linearGradient id="brick" x1="0" y1="0" x2="0" y2="1">',
        f'      <stop offset="0" stop-color="{BRICK_LIGHT}"/>',
        f'      <stop offset="1" stop-color="{BRICK_DARK}"/>',
        "    </linearGradient>",
        '    <radialGradient id="ball" cx="0.35" cy="0.35" r="0.75">',
        f'      <stop offset="0" stop-color="{BALL_FILL}"/>',
        '      <stop offset="1" stop-color="#d8d8e0"/>',
        "    </radialGradient>",
        "  </defs>",
    ]
    return lines


def drawing_lines(hole_fill, indent="  "):
    """The wall with its hole, the paddle and the ball, on whatever tile is behind them."""
    wall_height = COURSES * COURSE_HEIGHT + (COURSES - 1) * JOINT
    lines = [
        f'<rect x="{WALL_LEFT - JOINT}" y="{WALL_TOP - JOINT}" '
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
        f'<rect x="{number(hole_left)}" y="{hole_top}" width="{number(brick_width)}" '
        f'height="{COURSE_HEIGHT + JOINT + 1}" fill="url(#{hole_fill})"/>'
    )
    for left, top, width, height in brick_rects():
        lines.append(
            f'<rect x="{number(left)}" y="{top}" width="{number(width)}" '
            f'height="{height}" rx="1.5" fill="url(#brick)"/>'
        )
    px, py, pw, ph = PADDLE
    bx, by = BALL_CENTRE
    lines += [
        f'<rect x="{px}" y="{py}" width="{pw}" height="{ph}" rx="2" '
        f'fill="{PADDLE_FILL}" stroke="{PADDLE_RIM}" stroke-width="1.5"/>',
        f'<circle cx="{bx}" cy="{by}" r="{BALL_RADIUS}" fill="url(#ball)" '
        f'stroke="{BALL_RIM}" stroke-width="3"/>',
    ]
    return [indent + line for line in lines]


def svg_header():
    return [
        '<?xml version="1.0" encoding="UTF-8"?>',
        f'<svg xmlns="http://www.w3.org/2000/svg" width="{CANVAS}" height="{CANVAS}" '
        f'viewBox="0 0 {CANVAS} {CANVAS}">',
        "  <title>Kostkolam</title>",
    ]


def svg_text():
    """The desktop icon: the drawing on a rounded tile with a margin around it."""
    tile = CANVAS - 2 * TILE_MARGIN
    lines = svg_header() + gradient_lines([("tile", TILE_MARGIN, CANVAS - TILE_MARGIN)])
    lines.append(
        f'  <rect x="{TILE_MARGIN}" y="{TILE_MARGIN}" width="{tile}" height="{tile}" '
        f'rx="{TILE_RADIUS}" fill="url(#tile)"/>'
    )
    return "\n".join(lines + drawing_lines("tile") + ["</svg>", ""])


def maskable_svg_text():
    """The icon for a phone's home screen, which cuts it to a shape of its own (a circle, a
    rounded square): the tile fills the whole square, and the drawing is shrunk about the
    middle to lie within the central circle of 80 % of the width that every shape keeps."""
    middle = CANVAS / 2
    # The drawing's farthest point from the middle is a corner of the wall.
    wall_height = COURSES * COURSE_HEIGHT + (COURSES - 1) * JOINT
    corners = [(x, y) for x in (WALL_LEFT - JOINT, WALL_LEFT + WALL_WIDTH + JOINT)
               for y in (WALL_TOP - JOINT, WALL_TOP + wall_height + JOINT)]
    reach = max(((x - middle) ** 2 + (y - middle) ** 2) ** 0.5 for x, y in corners)
    scale = math.floor(MASKABLE_SAFE_RADIUS * CANVAS / reach * 100) / 100
    # Seen through the shrunk hole, the tile's gradient is stretched by as much.
    lines = svg_header() + gradient_lines([
        ("tile", 0, CANVAS),
        ("hole", middle - middle / scale, middle + middle / scale),
    ])
    lines += [
        f'  <rect width="{CANVAS}" height="{CANVAS}" fill="url(#tile)"/>',
        f'  <g transform="translate({number(middle)} {number(middle)}) scale({number(scale)}) '
        f'translate({number(-middle)} {number(-middle)})">',
    ]
    lines += drawing_lines("hole", indent="    ")
    return "\n".join(lines + ["  </g>", "</svg>", ""])


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


def render(svg_path, size, png_path):
    subprocess.run(
        ["rsvg-convert", "--width", str(size), "--height", str(size), "--output", png_path,
         svg_path],
        check=True,
    )


def write_desktop_icons(out):
    scalable = os.path.join(out, "hicolor", "scalable", "apps")
    os.makedirs(scalable, exist_ok=True)
    svg_path = os.path.join(scalable, APP_ID + ".svg")
    with open(svg_path, "w", encoding="utf-8", newline="\n") as svg:
        svg.write(svg_text())

    ensure_rsvg_convert()
    for size in PNG_SIZES:
        folder = os.path.join(out, "hicolor", f"{size}x{size}", "apps")
        os.makedirs(folder, exist_ok=True)
        render(svg_path, size, os.path.join(folder, APP_ID + ".png"))


def write_web_icons(out):
    """icon-N.png, the desktop icon, and icon-maskable-N.png for every size of WEB_SIZES."""
    os.makedirs(out, exist_ok=True)
    ensure_rsvg_convert()
    with tempfile.TemporaryDirectory() as work:
        for name, text in (("icon", svg_text()), ("icon-maskable", maskable_svg_text())):
            svg_path = os.path.join(work, name + ".svg")
            with open(svg_path, "w", encoding="utf-8", newline="\n") as svg:
                svg.write(text)
            for size in WEB_SIZES:
                render(svg_path, size, os.path.join(out, f"{name}-{size}.png"))


def main(argv):
    args = argv[1:]
    web = bool(args) and args[0] == "--web"
    if web:
        args = args[1:]
    if len(args) > 1:
        sys.exit(__doc__)
    if web:
        write_web_icons(args[0] if args else "web/site/icons")
    else:
        write_desktop_icons(args[0] if args else "data/icons")


if __name__ == "__main__":
    main(sys.argv)
