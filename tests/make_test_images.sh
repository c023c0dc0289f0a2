#!/bin/sh
# Writes the image files that ImgLib_test decodes, each beside its raw RGB reference
# (8 bits a channel, rows top to bottom) as decoded by ImageMagick.
# Usage: make_test_images.sh <folder>
set -e
out=$1
mkdir -p "$out"
cd "$out"

# Odd sizes, so that row padding and partial bytes of packed pixels are exercised.
convert -size 37x29 -seed 7 plasma:fractal -depth 8 src.ppm
convert -size 37x29 -seed 7 plasma:fractal -colors 16 -depth 8 src16.ppm
convert -size 37x29 -seed 7 plasma:fractal -colors 200 -depth 8 src200.ppm

img() { # name, format, then the arguments of convert
    name=$1
    format=$2
    shift 2
    convert "$@" "$format:$name"
    # A TGA's origin is kept as an orientation tag; -auto-orient applies it.
    convert "$name" -auto-orient -depth 8 "rgb:$name.rgb"
}

img bmp1.bmp BMP3 src.ppm -monochrome -type bilevel
img bmp4.bmp BMP3 src16.ppm -type palette
img bmp8.bmp BMP3 src200.ppm -type palette -compress none
img bmp8rle.bmp BMP3 src200.ppm -type palette -compress RLE
img bmp24.bmp BMP3 src.ppm -type truecolor
img bmp32.bmp BMP src.ppm -alpha on -channel A -evaluate set 100% +channel -type truecoloralpha
img tif_none.tif TIFF src.ppm -compress none
img tif_lzw.tif TIFF src.ppm -compress lzw
img tif_packbits.tif TIFF src.ppm -compress rle
img tif_gray.tif TIFF src.ppm -colorspace gray -compress none
# Tall enough to be set in several bands of rows, the last one short.
convert -size 613x1031 -seed 7 plasma:fractal -depth 8 tall.ppm
img tif_lzw_bands.tif TIFF tall.ppm -compress lzw
img png24.png PNG24 src.ppm
img png8.png PNG8 src200.ppm
img gif.gif GIF src200.ppm
img jpg_420.jpg JPEG src.ppm -quality 92 -sampling-factor 2x2
img jpg_444.jpg JPEG src.ppm -quality 92 -sampling-factor 1x1
img jpg_progressive.jpg JPEG src.ppm -quality 92 -interlace plane
img jpg_gray.jpg JPEG src.ppm -colorspace gray -quality 92
img tga24.tga TGA src.ppm -type truecolor
img tga_rle.tga TGA src.ppm -type truecolor -compress rle
img tga8.tga TGA src200.ppm -type palette
img pcx24.pcx PCX src.ppm -type truecolor
img pcx8.pcx PCX src200.ppm -type palette
# Photo CD holds a fixed 768x512 base image.
img pcd.pcd PCD src.ppm -resize '768x512!'
# convert maps PhotoYCC up to 1.3584 times reference white onto 0 to 255, whereas ImgLib maps
# reference white to 255; scaling convert's RGB makes the two comparable.
convert pcd.pcd -colorspace sRGB -evaluate multiply 1.3584 -depth 8 rgb:pcd.pcd.rgb

# Transparency, whose reference is the picture over white, as a page without a background colour
# shows it: alpha from a gradient, a GIF's transparent colour, and a BMP whose alpha channel is
# empty, which browsers ignore.
over_white() { # name: the reference of the picture blended over white
    convert "$1" -auto-orient -background white -flatten -depth 8 "rgb:$1.rgb"
}
convert -size 29x37 gradient: -rotate 90 alpha.pgm
convert src.ppm alpha.pgm -alpha off -compose CopyOpacity -composite PNG32:png_alpha.png
over_white png_alpha.png
convert png_alpha.png TGA:tga32_alpha.tga
over_white tga32_alpha.tga
convert png_alpha.png BMP:bmp_alpha.bmp
over_white bmp_alpha.bmp
convert src200.ppm -fill '#00FF00' -draw 'rectangle 5,4 20,15' -transparent '#00FF00' GIF:gif_alpha.gif
over_white gif_alpha.gif
img bmp_empty_alpha.bmp BMP src.ppm -alpha on -channel A -evaluate set 0 +channel
convert src.ppm -depth 8 rgb:bmp_empty_alpha.bmp.rgb
# Small and 16-bit sources of PNG copies.
convert -size 1x1 xc:'#3A7FC2' TGA:tga_1x1.tga
convert src.ppm -depth 5 TGA:tga16.tga

# Variants that a reader may refuse; no references needed.
convert src.ppm -compress jpeg TIFF:tif_jpeg.tif
convert src.ppm -compress zip TIFF:tif_zip.tif
convert src.ppm -depth 16 TIFF:tif_16bit.tif
printf 'This is plain text, not an image.\n' > text.txt
rm -f src.ppm src16.ppm src200.ppm tall.ppm alpha.pgm
