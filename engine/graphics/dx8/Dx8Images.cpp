// Images, render targets, composites and screenshots of the Direct3D 8 renderer.

#include <algorithm>
#include <cstring>

#include "engine/core/Log.h"
#include "engine/core/StringUtil.h"
#include "engine/graphics/Image.h"
#include "engine/graphics/dx8/Dx8AviImage.h"
#include "engine/graphics/dx8/Dx8DynamicImage.h"
#include "engine/graphics/dx8/DX8Font.h"
#include "engine/graphics/dx8/Dx8Graphics.h"
#include "engine/graphics/dx8/Dx8ImageCache.h"
#include "engine/graphics/dx8/Dx8Surface.h"
#include "platform/d3d8/D3DX8.h"

Image* Dx8Graphics::LoadImage(const std::string& fileName) {
  if (fileName.empty()) {
    LOG_LINE(MSG_WARNING) << "Trying to load texture, but no file-name given";
    return nullptr;
  }
  const size_t n = fileName.size();
  if (n < 4 || fileName[n - 4] != '.') {
    LOG_LINE(MSG_WARNING) << "Unable to find the file-type of image file " << fileName;
    return nullptr;
  }
  const std::string extension = ToLowerCase(fileName.substr(n - 3));
  static const char* const kImageExtensions[] = {"tga", "bmp", "jpg", "png", "dds", "ddc", "tex"};
  const bool isImage = std::any_of(std::begin(kImageExtensions), std::end(kImageExtensions),
                                   [&](const char* e) { return extension == e; });
  // An "avi" name is a movie. It is the caller's, not the renderer's: it stays out of the
  // movie list, so a device reset does not reach its texture and DestroyMovie ignores it.
  Image* image = nullptr;
  if (isImage) {
    image = new Image;
  } else if (extension == "avi") {
    image = new Dx8AviImage;
  } else {
    return nullptr;  // no image at all
  }
  if (image->Load(fileName)) return image;
  delete image;
  return nullptr;
}

Image* Dx8Graphics::LoadImageFromMemory(const void* bytes, uint32_t size) {
  Image* image = new Image;
  Dx8Surface* surface = static_cast<Dx8Surface*>(Dx8Surface::CreateImage());
  surface->FromMemory(bytes, size);
  surface->InitTexture();
  // Not in the resource manager: the image owns it.
  image->AdoptSurface(surface);
  return image;
}

DynamicImage* Dx8Graphics::CreateDynamicImage(uint32_t imageWidth, uint32_t imageHeight,
                                               uint32_t bitsPerPixel) {
  // Returned whether or not its texture could be made; without one it binds nothing.
  auto* image = new Dx8DynamicImage(static_cast<uint16_t>(imageWidth),
                                    static_cast<uint16_t>(imageHeight),
                                    static_cast<uint16_t>(bitsPerPixel));
  image->Load("");
  return image;
}

Font* Dx8Graphics::CreateFont(const std::string& fontName) { return new DX8Font(fontName); }

AviImage* Dx8Graphics::LoadMovie(const std::string& fileName) {
  // Kept whatever the load gives: a movie that did not open draws nothing and does not
  // advance, and its owner releases it with DestroyMovie like any other.
  AviImage* movie = new Dx8AviImage;
  movie->Load(fileName);
  movies.push_back(movie);
  return movie;
}

void Dx8Graphics::DestroyMovie(AviImage* movie) {
  if (!movie) return;
  auto it = std::find(movies.begin(), movies.end(), movie);
  if (it == movies.end()) return;
  movies.erase(it);
  delete movie;
}

ImageCache* Dx8Graphics::CreateCache(uint32_t cacheWidth, uint32_t cacheHeight,
                                     uint32_t bitsPerPixel) {
  Dx8ImageCache* cache = new Dx8ImageCache;
  cache->Create(cacheWidth, cacheHeight, bitsPerPixel);
  return cache;
}

Image* Dx8Graphics::CreateComposite(uint32_t compositeWidth, uint32_t compositeHeight, uint32_t,
                                    const std::vector<CompositeLayer>& layers) {
  if (!device_) return nullptr;
  IDirect3DTexture8* texture = nullptr;
  HRESULT hr = device_->CreateTexture(compositeWidth, compositeHeight, 0, 0, D3DFMT_A8R8G8B8,
                                      D3DPOOL_MANAGED, &texture);
  if (FAILED(hr)) {
    LOG_LINE(MSG_WARNING) << "Unable to create composite image " << compositeWidth << "x"
                          << compositeHeight << " : DX Error: " << DxErrorText(hr);
    return nullptr;
  }
  D3DLOCKED_RECT locked;
  hr = texture->LockRect(0, &locked, nullptr, 0);
  if (FAILED(hr)) {
    texture->Release();
    LOG_LINE(MSG_WARNING) << "Unable to create composite image " << compositeWidth << "x"
                          << compositeHeight << " : DX Error: " << DxErrorText(hr);
    return nullptr;
  }
  std::memset(locked.pBits, 0, static_cast<size_t>(locked.Pitch) * compositeHeight);
  for (const CompositeLayer& layer : layers) {
    if (!layer.image) continue;
    if (auto* surface = dynamic_cast<Dx8Surface*>(layer.image->GetSurface())) {
      surface->BlendInto(locked, compositeWidth, compositeHeight, layer.x, layer.y);
    }
  }
  texture->UnlockRect(0);
  Image* image = new Image;
  image->AdoptSurface(Dx8Surface::FromTexture(texture, compositeWidth, compositeHeight));
  return image;
}

bool Dx8Graphics::WriteScreenshot() {
  IDirect3DSurface8* back = nullptr;
  HRESULT hr = device_ ? device_->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &back)
                       : D3DERR_INVALIDCALL;
  if (FAILED(hr)) {
    LOG_LINE(MSG_WARNING) << "Unable to take screenshot";
    LOG_LINE(MSG_WARNING) << "DX Error: " << DxErrorText(hr);
    return false;
  }
  const std::string path = screenshotName + ".bmp";
  LOG_LINE(MSG_COMMENT) << "Saving screenshot at " << path;
  if (!screenshotHalfSize) {
    hr = D3DXSaveSurfaceToFileA(path.c_str(), D3DXIFF_BMP, back, nullptr, nullptr);
  } else {
    D3DSURFACE_DESC desc{};
    back->GetDesc(&desc);
    IDirect3DSurface8* small = nullptr;
    hr = device_->CreateImageSurface(desc.Width / 2, desc.Height / 2, desc.Format, &small);
    if (SUCCEEDED(hr)) {
      hr = D3DXLoadSurfaceFromSurface(small, nullptr, nullptr, back, nullptr, nullptr,
                                      D3DX_FILTER_BOX, 0);
      if (SUCCEEDED(hr)) hr = D3DXSaveSurfaceToFileA(path.c_str(), D3DXIFF_BMP, small, nullptr, nullptr);
      small->Release();
    }
  }
  back->Release();
  if (FAILED(hr)) {
    // Kept pending: EndFrame tries again, a bounded number of times.
    LOG_LINE(MSG_WARNING) << "Unable to save screenshot " << path << " : DX Error: "
                          << DxErrorText(hr);
    return false;
  }
  screenshotName.clear();
  screenshotAttempts = 0;
  return true;
}
