// APCA 0.0.98G-4g, the draft contrast method of WCAG 3: the lightness contrast Lc of text on a
// background, signed (positive for dark text on a light page), about -108 to 106.
// Portable: standard library only.
#pragma once
#include <cstdint>
#include <span>

// The screen luminance APCA uses for the colour 0x00RRGGBB: a plain 2.4 power, its own weights.
double ApcaLuminance(uint32_t rgb);
// Lc of text of luminance text on a background of luminance background (ApcaLuminance's).
double ApcaContrast(double text, double background);
// The Lc of least magnitude of text against any of backdrop, luminances in ascending order.
double LeastApcaContrast(double text, std::span<const double> backdrop);
