#pragma once

#include <cstdint>
#include <memory>
#include <string>

class Surface;

// A light handle to a drawable picture: a name, a size and a shared surface. Images are
// made per use (Graphics::LoadImage) and do not own a surface of the resource manager;
// every image of one file name shares that file's surface.
class Image {
 public:
  Image();
  virtual ~Image();
  Image(const Image&) = delete;
  Image& operator=(const Image&) = delete;

  // Finds the surface of the name in the resource manager, or loads it there. False (and
  // no surface) when it cannot be loaded; width and height then keep their values.
  virtual bool Load(const std::string& fileName);
  // Points the image at a surface (not owned) and takes the surface's size.
  virtual void SetSurface(Surface* surface);
  // Advances an animated image; a plain image has nothing to do and returns true.
  virtual bool Update();
  virtual Surface* GetSurface();

  // Binds the surface to a texture stage (nothing without a surface). Always true.
  bool SetTexture(uint32_t stage);

  // For surfaces outside the resource manager (images made from memory, composites): the
  // image takes the surface and deletes it with itself, so that such surfaces are not lost.
  void AdoptSurface(Surface* surface);

  std::string name;
  uint32_t width = 256;
  uint32_t height = 256;
  Surface* surface = nullptr;

 private:
  std::unique_ptr<Surface> ownedSurface_;
};
