// A picture's pixels read in bands of 32-bit rows, for the work done once per picture: its
// colours' luminances, its copy as a colour-vision view shows it.
#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <functional>

// One band of a bitmap's rows as GetDIBits gives them: 0x00RRGGBB pixels, bottom-up, rows
// first to first + rows - 1 in that order; format and dc read them, and write them back.
struct PixelBand {
    uint32_t* pixels;
    size_t count;
    UINT first;
    UINT rows;
    const BITMAPINFO* format;
    HDC dc; // borrowed: the screen's, for the band's GetDIBits and SetDIBits
};

// Hands every band of bitmap to each, in order; false when a band could not be read or each
// returned false.
bool ForEachPixelBand(HBITMAP bitmap, const std::function<bool(const PixelBand&)>& each);
