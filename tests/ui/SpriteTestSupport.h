#pragma once

// Sprites on a recording renderer: images of a known pixel size whose surfaces are shared
// by name, as the resource manager shares them, without any file or texture.

#include <map>
#include <memory>
#include <string>

#include "engine/graphics/Image.h"
#include "engine/graphics/Surface.h"
#include "tests/graphics/FakeRenderer.h"

namespace spritetest {

class FakeSurface : public Surface {
 public:
  bool SetTexture(uint32_t) override { return true; }
  std::unique_ptr<SurfaceMask> GenerateMask() override { return nullptr; }
  std::unique_ptr<uint32_t[]> GetPixels() override { return nullptr; }
  std::unique_ptr<float[]> GetColors() override { return nullptr; }
  void InitTexture() override {}
};

// LoadImage gives an 80 x 60 image for every name that does not start with "missing",
// all images of one name sharing one surface.
class SpriteRenderer : public FakeRenderer {
 public:
  Image* LoadImage(const std::string& name) override {
    if (name.rfind("missing", 0) == 0) return nullptr;
    std::unique_ptr<FakeSurface>& surface = surfaces[name];
    if (!surface) {
      surface = std::make_unique<FakeSurface>();
      surface->width = 80;
      surface->height = 60;
    }
    Image* image = new Image;
    image->name = name;
    image->SetSurface(surface.get());
    return image;
  }
  Surface* SurfaceOf(const std::string& name) { return surfaces[name].get(); }

  std::map<std::string, std::unique_ptr<FakeSurface>> surfaces;
};

}  // namespace spritetest
