#pragma once

#include <cstdint>
#include <string>

#include "engine/graphics/Image.h"

// An image whose pixels the program writes from memory: it owns a texture of a fixed
// width, height and pixel depth, cleared to zero when made and filled by SetPixels. The
// renderer makes them with CreateDynamicImage; the caller owns and deletes them. They
// have no surface: GetSurface is null, so Image::SetTexture binds nothing for them and
// their owners bind them with BindTexture.
//
// Pixel depths: 16 bits R5G6B5, 24 bits R8G8B8 (bytes B, G, R), any other value 32 bits
// A8R8G8B8 (bytes B, G, R, A).
class DynamicImage : public Image {
 public:
  // The four-character kind code of dynamic images, 'dynx'.
  static constexpr uint32_t kType = 0x64796E78;

  DynamicImage(uint16_t width, uint16_t height, uint16_t bitsPerPixel);
  ~DynamicImage() override;

  // Makes the texture; the name becomes "dynamic" whatever is passed (no file is read).
  // False when the texture cannot be made (the image then binds nothing).
  bool Load(const std::string& fileName) override;
  // Nothing to advance.
  bool Update() override { return false; }
  Surface* GetSurface() override { return nullptr; }

  // Binds the texture to a stage (nothing without one). Always true.
  virtual bool BindTexture(uint32_t stage) = 0;
  virtual uint32_t GetType() const { return kType; }
  // Replaces every pixel: buffer holds height rows, the top one first, of width pixels
  // packed without padding (RowBytes() bytes a row) in the image's pixel format. False
  // for a null buffer, without a texture, or when the texture cannot be locked.
  virtual bool SetPixels(const void* buffer) = 0;
  // Makes (or makes again) the texture, cleared to zero. False when it cannot be made.
  virtual bool CreateTexture() = 0;

  uint16_t BitsPerPixel() const { return bitsPerPixel_; }
  // Bytes of one pixel of the format: 2, 3 or 4.
  static uint32_t BytesPerPixel(uint32_t bitsPerPixel);
  // Bytes of one row of SetPixels' buffer: width x BytesPerPixel.
  uint32_t RowBytes() const { return width * BytesPerPixel(bitsPerPixel_); }

 private:
  uint16_t bitsPerPixel_;
};
