#!/bin/sh
# Rebuild the four background photographs of Kostkolam from the Debian 12 packages they come
# from (see assets/SOURCES.md for authors and licences).
#
# Usage:  sh tools/make_backgrounds.sh [OUTPUT_DIR]      (default: assets)
#
# Needs apt-get, dpkg-deb and ImageMagick's `convert`. Each photograph is scaled so that it
# covers 325 x 300, cut out of the middle at exactly 325 x 300, and saved as a baseline sRGB
# JPEG at quality 85 (72 dpi) with all metadata stripped.
#
# The pictures in assets/ are the ones the game ships. A different ImageMagick or libjpeg may
# produce JPEGs that are not byte-identical to them, though they show the same picture.

set -eu

OUT=${1:-assets}
mkdir -p "$OUT"
OUT=$(cd "$OUT" && pwd)

SKIMAGE=python3-skimage=0.19.3-8
WALLPAPERS=lomiri-wallpapers-16.04=20.04.0-2

WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT INT TERM
cd "$WORK"

# apt-get download fetches just the .deb files, without installing anything.
apt-get download "$SKIMAGE" "$WALLPAPERS"
for deb in ./*.deb; do
    dpkg-deb -x "$deb" root
done

# make_background SOURCE TARGET
make_background() {
    convert "root$1" \
        -auto-orient -colorspace sRGB -alpha off \
        -resize '325x300^' -gravity center -extent 325x300 +repage \
        -strip -units PixelsPerInch -density 72 -interlace none -quality 85 \
        "$OUT/$2"
    echo "$OUT/$2  <-  $1"
}

SKDATA=/usr/lib/python3/dist-packages/skimage/data
make_background "$SKDATA/rocket.jpg" bg_title_rocket.jpg
make_background "$SKDATA/coffee.png" bg_level1_coffee.jpg
make_background "$SKDATA/chelsea.png" bg_level2_chelsea.jpg
make_background /usr/share/backgrounds/seeding_by_Clements_Engelhardt.jpg bg_level3_dandelions.jpg
