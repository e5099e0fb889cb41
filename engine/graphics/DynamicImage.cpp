#include "engine/graphics/DynamicImage.h"

DynamicImage::DynamicImage(uint16_t imageWidth, uint16_t imageHeight, uint16_t bitsPerPixel)
    : bitsPerPixel_(bitsPerPixel) {
  width = imageWidth;
  height = imageHeight;
}

DynamicImage::~DynamicImage() = default;

bool DynamicImage::Load(const std::string&) {
  const bool made = CreateTexture();
  name = "dynamic";
  return made;
}

uint32_t DynamicImage::BytesPerPixel(uint32_t bitsPerPixel) {
  switch (bitsPerPixel) {
    case 16: return 2;
    case 24: return 3;
    default: return 4;
  }
}
