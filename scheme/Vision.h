// How the page's colours look to a reader with a colour-vision deficiency: the matrices of
// Machado, Oliveira and Fernandes (2009) at full severity, and achromatopsia as luminance grey.
// Portable: standard library only.
#pragma once
#include <cstddef>
#include <cstdint>

enum class Vision { Normal, Protanopia, Deuteranopia, Tritanopia, Achromatopsia };
inline constexpr int kVisionCount = 5;

// The view's name as the program's texts use it: "protanopia"; "" for Normal.
const char* VisionName(Vision view);

// The colour 0x00RRGGBB as seen in view: each component decoded to linear light, multiplied by
// the view's matrix, clamped to 0..1 and encoded to the nearest 8-bit value. The top byte is kept.
uint32_t SimulateVision(Vision view, uint32_t rgb);
// The same for count pixels of a 32-bit DIB (0x00RRGGBB), in place.
void SimulateVision(Vision view, uint32_t* pixels, size_t count);
