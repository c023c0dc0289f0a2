#!/bin/sh
# Writes the 6000x4000 images that decode_wic reads: JPEG, TIFF uncompressed and LZW, PNG, GIF.
# Usage: make_bench_images.sh <folder>
set -e
mkdir -p "$1"
cd "$1"
[ -f bench.jpg ] || convert -size 6000x4000 -seed 3 plasma:fractal -blur 0x2 -quality 90 bench.jpg
[ -f bench.tif ] || convert bench.jpg -compress none bench.tif
[ -f bench_lzw.tif ] || convert bench.jpg -compress lzw bench_lzw.tif
[ -f bench.png ] || convert bench.jpg bench.png
[ -f bench.gif ] || convert bench.jpg bench.gif
