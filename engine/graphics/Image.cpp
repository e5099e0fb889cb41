#include "engine/graphics/Image.h"

#include "engine/graphics/ResMan.h"
#include "engine/graphics/Surface.h"

Image::Image() = default;

Image::~Image() = default;

bool Image::Load(const std::string& fileName) {
  name = fileName;
  res::ResMan& manager = res::ResMan::Get();
  res::Resource* found = manager.FindResource(fileName);
  if (!found) found = manager.LoadResource(fileName);
  Surface* loaded = dynamic_cast<Surface*>(found);
  if (!loaded) {
    surface = nullptr;
    return false;
  }
  surface = loaded;
  width = loaded->width;
  height = loaded->height;
  return true;
}

void Image::SetSurface(Surface* newSurface) {
  surface = newSurface;
  if (surface) {
    width = surface->width;
    height = surface->height;
  }
}

bool Image::Update() { return true; }

Surface* Image::GetSurface() { return surface; }

bool Image::SetTexture(uint32_t stage) {
  if (Surface* s = GetSurface()) s->SetTexture(stage);
  return true;
}

void Image::AdoptSurface(Surface* adopted) {
  ownedSurface_.reset(adopted);
  SetSurface(adopted);
}
