#!/bin/sh
# Makes the browser page's fonts in web/site/fonts/ from Debian's DejaVu fonts (packages
# fonts-dejavu-core and fonts-dejavu-extra): DejaVu Sans and its condensed cut, regular and bold,
# cut down to the letters a Czech page shows (Basic Latin, Latin-1, Latin Extended-A, general
# punctuation, the euro sign and the close box's cross) and packed as WOFF2. Needs fontTools
# (python3-fonttools) and Brotli (python3-brotli). The results are kept in the repository, so
# building the page needs neither.
set -eu
cd "$(dirname "$0")/.."

fonts=/usr/share/fonts/truetype/dejavu
out=web/site/fonts
letters="U+0020-007E,U+00A0-017F,U+2010-2027,U+2030-203A,U+20AC,U+2715"

mkdir -p "$out"
for face in DejaVuSans DejaVuSans-Bold DejaVuSansCondensed DejaVuSansCondensed-Bold; do
    /usr/bin/python3 -m fontTools.subset "$fonts/$face.ttf" --unicodes="$letters" \
        --flavor=woff2 --output-file="$out/$face.woff2"
done
cp /usr/share/doc/fonts-dejavu-core/copyright "$out/LICENSE"
