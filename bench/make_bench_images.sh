#!/bin/sh
# Writes the 6000x4000 images that decode_wic reads: JPEG, TIFF uncompressed and LZW, PNG, GIF;
# and the 4000x3000 ones of png_copy: PNG opaque and with alpha, TGA without and with alpha.
# Usage: make_bench_images.sh <folder>
set -e
mkdir -p "$1"
cd "$1"
[ -f bench.jpg ] || convert -size 6000x4000 -seed 3 plasma:fractal -blur 0x2 -quality 90 bench.jpg
[ -f bench.tif ] || convert bench.jpg -compress none bench.tif
[ -f bench_lzw.tif ] || convert bench.jpg -compress lzw bench_lzw.tif
[ -f bench.png ] || convert bench.jpg bench.png
[ -f bench.gif ] || convert bench.jpg bench.gif
[ -f bench4k.ppm ] || convert bench.jpg -crop 4000x3000+0+0 +repage bench4k.ppm
[ -f bench4k_alpha.pgm ] || convert -size 3000x4000 gradient: -rotate 90 bench4k_alpha.pgm
[ -f bench4k_opaque.png ] || convert bench4k.ppm PNG24:bench4k_opaque.png
[ -f bench4k_rgba.png ] || convert bench4k.ppm bench4k_alpha.pgm -alpha off \
    -compose CopyOpacity -composite PNG32:bench4k_rgba.png
[ -f bench4k_rgba_opaque.png ] || convert bench4k.ppm PNG32:bench4k_rgba_opaque.png
[ -f bench4k.tga ] || convert bench4k.ppm -orient TopLeft bench4k.tga
[ -f bench4k_rgba.tga ] || convert bench4k_rgba.png -orient TopLeft bench4k_rgba.tga
