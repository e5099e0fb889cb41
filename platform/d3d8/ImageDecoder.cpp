#include "platform/d3d8/ImageDecoder.h"

#include <SDL.h>
#include <SDL_image.h>

#include <cstring>
#include <new>

#include "platform/d3d8/DdsReader.h"

namespace d3d8 {

namespace {

enum class Kind { Unknown, Png, Jpeg, Bmp, Tga };

uint32_t BigEndian16(const uint8_t* p) { return (uint32_t{p[0]} << 8) | p[1]; }
uint32_t BigEndian32(const uint8_t* p) {
  return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}
uint32_t Little16(const uint8_t* p) { return uint32_t{p[0]} | (uint32_t{p[1]} << 8); }
uint32_t Little32(const uint8_t* p) { return Little16(p) | (Little16(p + 2) << 16); }

// What a file's header says about its kind, size and own pixel format. False when the
// header is missing, implausible or names a size the decoders refuse.
struct Header {
  Kind kind = Kind::Unknown;
  uint32_t width = 0;
  uint32_t height = 0;
  D3DFORMAT format = D3DFMT_UNKNOWN;  // D3DFMT_UNKNOWN: decided from the decoded image
};

// SDL2_image's PNG reader ignores short reads, so that libpng, reading on past the end of
// a truncated file, can loop on stale chunk bytes for ever. The chunk framing is checked
// first: every chunk lies inside the data, up to the IEND chunk.
bool PngChunksComplete(const uint8_t* d, size_t size) {
  uint64_t pos = 8;
  while (pos + 12 <= size) {
    const uint64_t length = BigEndian32(d + pos);
    if (length > 0x7FFFFFFF) return false;
    const uint64_t end = pos + 12 + length;
    if (end > size) return false;
    if (std::memcmp(d + pos + 4, "IEND", 4) == 0) return true;
    pos = end;
  }
  return false;
}

bool ReadPngHeader(const uint8_t* d, size_t size, Header* h) {
  if (size < 33 || std::memcmp(d + 12, "IHDR", 4) != 0 || !PngChunksComplete(d, size)) {
    return false;
  }
  h->width = BigEndian32(d + 16);
  h->height = BigEndian32(d + 20);
  const uint8_t colourType = d[25];
  if (colourType == 4 || colourType == 6) h->format = D3DFMT_A8R8G8B8;
  return true;
}

bool ReadJpegHeader(const uint8_t* d, size_t size, Header* h) {
  size_t pos = 2;
  while (pos + 4 <= size) {
    if (d[pos] != 0xFF) return false;
    const uint8_t marker = d[pos + 1];
    if (marker == 0xFF) {  // fill byte
      ++pos;
      continue;
    }
    if (marker == 0xD8 || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {
      pos += 2;
      continue;
    }
    if (marker == 0xD9 || marker == 0xDA) return false;  // no frame header before the data
    const size_t length = BigEndian16(d + pos + 2);
    if (length < 2) return false;
    const bool frame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 &&
                       marker != 0xCC;
    if (frame) {
      if (pos + 9 > size || length < 7) return false;
      h->height = BigEndian16(d + pos + 5);
      h->width = BigEndian16(d + pos + 7);
      h->format = D3DFMT_X8R8G8B8;
      return true;
    }
    pos += 2 + length;
  }
  return false;
}

bool ReadBmpHeader(const uint8_t* d, size_t size, Header* h) {
  if (size < 26) return false;
  const uint32_t infoSize = Little32(d + 14);
  if (infoSize == 12) {
    h->width = Little16(d + 18);
    h->height = Little16(d + 20);
  } else {
    if (size < 30) return false;
    const int32_t width = static_cast<int32_t>(Little32(d + 18));
    const int32_t height = static_cast<int32_t>(Little32(d + 22));
    if (width <= 0 || height == 0 || height == INT32_MIN) return false;
    h->width = static_cast<uint32_t>(width);
    h->height = static_cast<uint32_t>(height < 0 ? -height : height);
  }
  const uint32_t bits = Little16(d + (infoSize == 12 ? 24 : 28));
  if (bits == 24) h->format = D3DFMT_R8G8B8;
  return true;
}

// SDL2_image's TGA reader fills what a short file lacks with black; the pixel data is
// measured first (run-length packets walked without decoding them), so that a truncated
// file is refused as the other kinds are.
bool TgaDataComplete(const uint8_t* d, size_t size) {
  const uint8_t type = d[2];
  const uint32_t mapLength = Little16(d + 5);
  const uint32_t mapEntryBytes = (d[7] + 7u) / 8;
  const uint64_t pixels = static_cast<uint64_t>(Little16(d + 12)) * Little16(d + 14);
  const uint32_t pixelBytes = (d[16] + 7u) / 8;
  uint64_t pos = 18 + uint64_t{d[0]} + (d[1] == 1 ? uint64_t{mapLength} * mapEntryBytes : 0);
  if (type < 9) return pos + pixels * pixelBytes <= size;
  uint64_t done = 0;
  while (done < pixels) {
    if (pos >= size) return false;
    const uint8_t packet = d[pos++];
    const uint32_t count = (packet & 0x7Fu) + 1;
    pos += (packet & 0x80) ? pixelBytes : uint64_t{count} * pixelBytes;
    done += count;
  }
  return pos <= size;
}

bool ReadTgaHeader(const uint8_t* d, size_t size, Header* h) {
  if (size < 18) return false;
  const uint8_t colourMapType = d[1];
  const uint8_t type = d[2];
  const uint8_t depth = d[16];
  const uint8_t alphaBits = d[17] & 0x0F;
  const bool typeOk = type == 1 || type == 2 || type == 3 || type == 9 || type == 10 || type == 11;
  const bool depthOk = depth == 8 || depth == 15 || depth == 16 || depth == 24 || depth == 32;
  if (colourMapType > 1 || !typeOk || !depthOk) return false;
  const bool mapped = type == 1 || type == 9;
  if (mapped != (colourMapType == 1) || !TgaDataComplete(d, size)) return false;
  h->width = Little16(d + 12);
  h->height = Little16(d + 14);
  if (mapped) {
    h->format = D3DFMT_P8;
  } else if (type == 3 || type == 11) {
    h->format = D3DFMT_L8;
  } else if (depth == 32) {
    h->format = alphaBits ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8;
  } else if (depth == 24) {
    h->format = D3DFMT_R8G8B8;
  } else if (depth == 15 || depth == 16) {
    h->format = alphaBits ? D3DFMT_A1R5G5B5 : D3DFMT_X1R5G5B5;
  }
  return true;
}

bool ReadHeader(const uint8_t* d, size_t size, Header* h) {
  static const uint8_t kPng[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  bool ok;
  if (size >= 8 && std::memcmp(d, kPng, 8) == 0) {
    h->kind = Kind::Png;
    ok = ReadPngHeader(d, size, h);
  } else if (size >= 3 && d[0] == 0xFF && d[1] == 0xD8 && d[2] == 0xFF) {
    h->kind = Kind::Jpeg;
    ok = ReadJpegHeader(d, size, h);
  } else if (size >= 2 && d[0] == 'B' && d[1] == 'M') {
    h->kind = Kind::Bmp;
    ok = ReadBmpHeader(d, size, h);
  } else {
    // TGA files carry no signature: a header that holds together is taken as one.
    h->kind = Kind::Tga;
    ok = ReadTgaHeader(d, size, h);
  }
  return ok && h->width > 0 && h->height > 0 && h->width <= kMaxImageSide &&
         h->height <= kMaxImageSide;
}

SDL_Surface* Load(Kind kind, const uint8_t* data, size_t size) {
  static const int initialised = IMG_Init(IMG_INIT_PNG | IMG_INIT_JPG);
  (void)initialised;
  SDL_RWops* rw = SDL_RWFromConstMem(data, static_cast<int>(size));
  if (!rw) return nullptr;
  SDL_Surface* surface = nullptr;
  switch (kind) {
    case Kind::Png: surface = IMG_LoadPNG_RW(rw); break;
    case Kind::Jpeg: surface = IMG_LoadJPG_RW(rw); break;
    case Kind::Bmp: surface = IMG_LoadBMP_RW(rw); break;
    case Kind::Tga: surface = IMG_LoadTGA_RW(rw); break;
    case Kind::Unknown: break;
  }
  SDL_RWclose(rw);
  return surface;
}

D3DXIMAGE_FILEFORMAT FileFormatOf(Kind kind) {
  switch (kind) {
    case Kind::Png: return D3DXIFF_PNG;
    case Kind::Jpeg: return D3DXIFF_JPG;
    case Kind::Tga: return D3DXIFF_TGA;
    default: return D3DXIFF_BMP;
  }
}

HRESULT Decode(const void* data, size_t size, DecodedImage* image) {
  if (!data || !image || size == 0 || size > 0x7FFFFFFF) return D3DXERR_INVALIDDATA;
  const uint8_t* bytes = static_cast<const uint8_t*>(data);
  *image = DecodedImage();
  if (size >= 4 && std::memcmp(bytes, "DDS ", 4) == 0) {
    return ReadDds(bytes, size, image) ? D3D_OK : D3DXERR_INVALIDDATA;
  }
  Header header;
  if (!ReadHeader(bytes, size, &header)) return D3DXERR_INVALIDDATA;

  SDL_Surface* loaded = Load(header.kind, bytes, size);
  if (!loaded) return D3DXERR_INVALIDDATA;
  // The decoder's size must be the one checked above.
  if (static_cast<uint32_t>(loaded->w) != header.width ||
      static_cast<uint32_t>(loaded->h) != header.height) {
    SDL_FreeSurface(loaded);
    return D3DXERR_INVALIDDATA;
  }
  const bool keyed = SDL_HasColorKey(loaded) == SDL_TRUE;
  const bool alpha = loaded->format->Amask != 0 || keyed;
  const int bits = loaded->format->BitsPerPixel;
  const uint32_t greenMask = loaded->format->Gmask;
  SDL_Surface* argb = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_ARGB8888, 0);
  SDL_FreeSurface(loaded);
  if (!argb) return D3DXERR_INVALIDDATA;

  image->fileFormat = FileFormatOf(header.kind);
  D3DFORMAT own = header.format;
  if (header.kind == Kind::Bmp) {
    if (bits == 32) own = alpha ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8;
    if (bits == 16) own = greenMask == 0x07E0 ? D3DFMT_R5G6B5 : D3DFMT_X1R5G5B5;
    if (bits <= 8) own = D3DFMT_P8;
  }
  if (own == D3DFMT_UNKNOWN) own = alpha ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8;
  image->fileFormatPixels = own;
  image->format = D3DFMT_A8R8G8B8;
  image->width = header.width;
  image->height = header.height;
  image->levels = 1;
  image->faces = 1;
  image->surfaces.assign(1, std::vector<uint8_t>(static_cast<size_t>(header.width) * header.height * 4));
  std::vector<uint8_t>& out = image->surfaces[0];
  const uint8_t* src = static_cast<const uint8_t*>(argb->pixels);
  for (uint32_t y = 0; y < header.height; ++y) {
    std::memcpy(out.data() + static_cast<size_t>(y) * header.width * 4,
                src + static_cast<size_t>(y) * argb->pitch, static_cast<size_t>(header.width) * 4);
  }
  SDL_FreeSurface(argb);
  return D3D_OK;
}

}  // namespace

HRESULT DecodeImage(const void* data, size_t size, DecodedImage* image) {
  try {
    return Decode(data, size, image);
  } catch (const std::bad_alloc&) {
    // A header may claim a size that the memory cannot hold.
    if (image) *image = DecodedImage();
    return E_OUTOFMEMORY;
  }
}

}  // namespace d3d8
