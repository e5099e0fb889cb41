#pragma once

#include <cstdint>
#include <string>

namespace d3d8 {

// Writes A8R8G8B8 pixels (rows top first) as a Windows bitmap: BITMAPFILEHEADER,
// BITMAPINFOHEADER, uncompressed bottom-up rows padded to four bytes, 24 bits per pixel,
// or 32 with the alpha byte when withAlpha. False when the file cannot be written.
bool WriteBmpFile(const std::string& path, const uint32_t* pixels, uint32_t width,
                  uint32_t height, bool withAlpha);

}  // namespace d3d8
