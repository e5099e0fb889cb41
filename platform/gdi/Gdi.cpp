#include "platform/gdi/Gdi.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <memory>
#include <optional>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/gdi/FontRegistry.h"
#include "platform/gdi/TrueTypeFont.h"

namespace gdi {

struct HDC__ {
  HGDIOBJ font = nullptr;
  HGDIOBJ bitmap = nullptr;
  HGDIOBJ brush = nullptr;
  COLORREF textColour = 0x000000;
  COLORREF backColour = 0xFFFFFF;
  UINT align = TA_TOP | TA_LEFT;
  DWORD mapperFlags = 0;
  int mapMode = MM_TEXT;
};

namespace {

constexpr long long kLargestBitmapSide = 32768;
constexpr long long kLargestBitmapPixels = 1LL << 28;

struct FontObject final : HFONT__ {
  std::unique_ptr<TrueTypeFont> font;  // null for the contexts' default font
};

struct BitmapObject final : HBITMAP__ {
  int width = 0;
  int height = 0;
  bool topDown = true;
  std::vector<std::uint32_t> pixels;

  std::uint32_t* Row(long long y) {
    const long long memoryRow = topDown ? y : height - 1 - y;
    return pixels.data() + memoryRow * width;
  }
};

struct BrushObject final : HBRUSH__ {
  COLORREF colour = 0;
};

// Every live object with the number of contexts it is selected into. An object deleted
// while selected stays until it is deselected, so a context never holds a freed object.
struct ObjectRecord {
  std::unique_ptr<HGDIOBJ__> object;
  int selections = 0;
  bool deletePending = false;
  bool stock = false;
};

struct GdiState {
  std::unordered_map<HGDIOBJ, ObjectRecord> objects;
  std::unordered_map<HDC, std::unique_ptr<HDC__>> contexts;
  HGDIOBJ blackBrush = nullptr;
  HGDIOBJ whiteBrush = nullptr;
  HGDIOBJ defaultFont = nullptr;
  HGDIOBJ defaultBitmap = nullptr;

  HGDIOBJ Add(std::unique_ptr<HGDIOBJ__> object, bool stock = false) {
    HGDIOBJ handle = object.get();
    objects[handle] = ObjectRecord{std::move(object), 0, false, stock};
    return handle;
  }

  GdiState() {
    auto black = std::make_unique<BrushObject>();
    black->colour = 0x000000;
    blackBrush = Add(std::move(black), true);
    auto white = std::make_unique<BrushObject>();
    white->colour = 0xFFFFFF;
    whiteBrush = Add(std::move(white), true);
    defaultFont = Add(std::make_unique<FontObject>(), true);
    auto bitmap = std::make_unique<BitmapObject>();
    bitmap->width = bitmap->height = 1;
    bitmap->pixels.assign(1, 0);
    defaultBitmap = Add(std::move(bitmap), true);
  }
};

// Never destroyed: fonts and contexts may be deleted by other objects' exit routines.
GdiState& State() {
  static GdiState* state = new GdiState();
  return *state;
}

HDC__* Context(HDC dc) {
  GdiState& state = State();
  return dc && state.contexts.count(dc) ? dc : nullptr;
}

ObjectRecord* Record(HGDIOBJ object) {
  GdiState& state = State();
  auto found = object ? state.objects.find(object) : state.objects.end();
  return found == state.objects.end() ? nullptr : &found->second;
}

void Retain(HGDIOBJ object) {
  if (ObjectRecord* record = Record(object)) ++record->selections;
}

void Release(HGDIOBJ object) {
  ObjectRecord* record = Record(object);
  if (!record) return;
  if (--record->selections <= 0 && record->deletePending) State().objects.erase(object);
}

// Replaces the object in a context's slot; returns the previous one.
HGDIOBJ Swap(HGDIOBJ& slot, HGDIOBJ object) {
  HGDIOBJ previous = slot;
  Retain(object);
  slot = object;
  Release(previous);
  return previous;
}

std::uint32_t ToPixel(COLORREF colour) {
  return ((colour & 0xFF) << 16) | (colour & 0xFF00) | ((colour >> 16) & 0xFF);
}

// A pixel rectangle, right and bottom exclusive; wide enough for any int sum.
struct Box {
  long long left, top, right, bottom;
  bool Empty() const { return left >= right || top >= bottom; }
};

Box Intersect(const Box& a, const Box& b) {
  return {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
          std::min(a.bottom, b.bottom)};
}

Box FromRect(const RECT& rect) { return {rect.left, rect.top, rect.right, rect.bottom}; }

Box Bounds(const BitmapObject& bitmap) { return {0, 0, bitmap.width, bitmap.height}; }

void Fill(BitmapObject& bitmap, const Box& box, std::uint32_t pixel) {
  const Box area = Intersect(box, Bounds(bitmap));
  if (area.Empty()) return;
  for (long long y = area.top; y < area.bottom; ++y) {
    std::uint32_t* row = bitmap.Row(y);
    std::fill(row + area.left, row + area.right, pixel);
  }
}

// Blends the text colour over the bitmap by the glyph's coverage, inside the clip box.
void Blend(BitmapObject& bitmap, const Box& clip, long long x, long long y,
           const GlyphCoverage& glyph, std::uint32_t textPixel) {
  const Box glyphBox{x, y, x + glyph.width, y + glyph.rows};
  const Box area = Intersect(Intersect(glyphBox, clip), Bounds(bitmap));
  if (area.Empty()) return;
  for (long long py = area.top; py < area.bottom; ++py) {
    const std::uint8_t* coverage = glyph.pixels + (py - y) * glyph.pitch;
    std::uint32_t* row = bitmap.Row(py);
    for (long long px = area.left; px < area.right; ++px) {
      const int alpha = coverage[px - x];
      if (alpha == 0) continue;
      const std::uint32_t under = row[px];
      std::uint32_t result = 0;
      for (int shift = 0; shift <= 16; shift += 8) {
        const int from = static_cast<int>((under >> shift) & 0xFF);
        const int to = static_cast<int>((textPixel >> shift) & 0xFF);
        const int mixed = from + ((to - from) * alpha + (to >= from ? 127 : -127)) / 255;
        result |= static_cast<std::uint32_t>(mixed) << shift;
      }
      row[px] = result;
    }
  }
}

TrueTypeFont* SelectedFont(HDC__* context) {
  auto* font = static_cast<FontObject*>(context->font);
  return font ? font->font.get() : nullptr;
}

bool IsHighSurrogate(WCHAR unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(WCHAR unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// One character of a UTF-16 text: its code point and the units it takes.
struct Character {
  char32_t code;
  int units;
};

std::vector<Character> Decode(LPCWSTR text, size_t count) {
  std::vector<Character> characters;
  for (size_t i = 0; i < count;) {
    if (IsHighSurrogate(text[i]) && i + 1 < count && IsLowSurrogate(text[i + 1])) {
      const char32_t code = 0x10000 + ((static_cast<char32_t>(text[i]) - 0xD800) << 10) +
                            (static_cast<char32_t>(text[i + 1]) - 0xDC00);
      characters.push_back({code, 2});
      i += 2;
    } else {
      characters.push_back({text[i], 1});
      i += 1;
    }
  }
  return characters;
}

}  // namespace

TrueTypeFont* TrueTypeFontOf(HFONT__* font) {
  ObjectRecord* record = Record(font);
  auto* object = record ? dynamic_cast<FontObject*>(record->object.get()) : nullptr;
  return object ? object->font.get() : nullptr;
}

int AddFontResourceA(LPCSTR fileName) {
  if (!fileName || !fileName[0]) return 0;
  return FontRegistry::Get().Add(fileName);
}

BOOL RemoveFontResourceA(LPCSTR fileName) {
  if (!fileName || !fileName[0]) return 0;
  return FontRegistry::Get().Remove(fileName) ? 1 : 0;
}

HFONT CreateFontA(int height, int width, int escapement, int orientation, int weight,
                  DWORD italic, DWORD underline, DWORD strikeOut, DWORD charSet,
                  DWORD outPrecision, DWORD clipPrecision, DWORD quality,
                  DWORD pitchAndFamily, LPCSTR faceName) {
  FontRegistry& registry = FontRegistry::Get();
  std::optional<FaceChoice> choice = registry.Find(faceName ? faceName : "", weight, italic != 0);
  if (!choice) return nullptr;
  auto object = std::make_unique<FontObject>();
  object->font = TrueTypeFont::Open(registry.Library(), *choice, height, width);
  if (!object->font) return nullptr;
  HFONT font = object.get();
  State().Add(std::move(object));
  return font;
}

HDC CreateCompatibleDC(HDC) {
  GdiState& state = State();
  auto context = std::make_unique<HDC__>();
  HDC dc = context.get();
  Swap(dc->font, state.defaultFont);
  Swap(dc->bitmap, state.defaultBitmap);
  Swap(dc->brush, state.whiteBrush);
  state.contexts[dc] = std::move(context);
  return dc;
}

BOOL DeleteDC(HDC dc) {
  HDC__* context = Context(dc);
  if (!context) return 0;
  Swap(context->font, nullptr);
  Swap(context->bitmap, nullptr);
  Swap(context->brush, nullptr);
  State().contexts.erase(dc);
  return 1;
}

HBITMAP CreateDIBSection(HDC, const BITMAPINFO* info, UINT usage, void** bits, HANDLE section,
                         DWORD) {
  if (bits) *bits = nullptr;
  if (!info || section || usage != DIB_RGB_COLORS) return nullptr;
  const BITMAPINFOHEADER& header = info->bmiHeader;
  const long long width = header.biWidth;
  const long long height = header.biHeight < 0 ? -static_cast<long long>(header.biHeight) : header.biHeight;
  if (header.biBitCount != 32 || header.biCompression != BI_RGB || width <= 0 || height <= 0 ||
      width > kLargestBitmapSide || height > kLargestBitmapSide || width * height > kLargestBitmapPixels) {
    return nullptr;
  }
  auto bitmap = std::make_unique<BitmapObject>();
  bitmap->width = static_cast<int>(width);
  bitmap->height = static_cast<int>(height);
  bitmap->topDown = header.biHeight < 0;
  bitmap->pixels.assign(static_cast<size_t>(width * height), 0);
  if (bits) *bits = bitmap->pixels.data();
  HBITMAP handle = bitmap.get();
  State().Add(std::move(bitmap));
  return handle;
}

HGDIOBJ SelectObject(HDC dc, HGDIOBJ object) {
  HDC__* context = Context(dc);
  ObjectRecord* record = Record(object);
  if (!context || !record || record->deletePending) return nullptr;
  if (dynamic_cast<FontObject*>(object)) return Swap(context->font, object);
  if (dynamic_cast<BitmapObject*>(object)) return Swap(context->bitmap, object);
  if (dynamic_cast<BrushObject*>(object)) return Swap(context->brush, object);
  return nullptr;
}

BOOL DeleteObject(HGDIOBJ object) {
  ObjectRecord* record = Record(object);
  if (!record) return 0;
  if (record->stock) return 1;
  if (record->selections > 0) {
    record->deletePending = true;
    return 1;
  }
  State().objects.erase(object);
  return 1;
}

HGDIOBJ GetStockObject(int index) {
  switch (index) {
    case BLACK_BRUSH: return State().blackBrush;
    case WHITE_BRUSH: return State().whiteBrush;
    default: return nullptr;
  }
}

int SetMapMode(HDC dc, int mode) {
  HDC__* context = Context(dc);
  if (!context || mode != MM_TEXT) return 0;
  const int previous = context->mapMode;
  context->mapMode = mode;
  return previous;
}

COLORREF SetTextColor(HDC dc, COLORREF colour) {
  HDC__* context = Context(dc);
  if (!context) return CLR_INVALID;
  return std::exchange(context->textColour, colour & 0xFFFFFF);
}

COLORREF SetBkColor(HDC dc, COLORREF colour) {
  HDC__* context = Context(dc);
  if (!context) return CLR_INVALID;
  return std::exchange(context->backColour, colour & 0xFFFFFF);
}

UINT SetTextAlign(HDC dc, UINT align) {
  HDC__* context = Context(dc);
  if (!context) return GDI_ERROR;
  return std::exchange(context->align, align);
}

DWORD SetMapperFlags(HDC dc, DWORD flags) {
  HDC__* context = Context(dc);
  if (!context) return GDI_ERROR;
  return std::exchange(context->mapperFlags, flags);
}

DWORD GetFontUnicodeRanges(HDC dc, GLYPHSET* glyphSet) {
  HDC__* context = Context(dc);
  TrueTypeFont* font = context ? SelectedFont(context) : nullptr;
  if (!font) return 0;
  const auto& ranges = font->UnicodeRanges();
  const size_t header = offsetof(GLYPHSET, ranges);
  const DWORD size = static_cast<DWORD>(std::max(sizeof(GLYPHSET), header + ranges.size() * sizeof(WCRANGE)));
  if (!glyphSet) return size;
  // The caller sized the table by an earlier call and says so in cbThis; never write
  // past a table that is too small for this font.
  if (glyphSet->cbThis != 0 && glyphSet->cbThis < size) return 0;
  glyphSet->cbThis = size;
  glyphSet->flAccel = 0;
  glyphSet->cGlyphsSupported = font->CoveredCount();
  glyphSet->cRanges = static_cast<DWORD>(ranges.size());
  auto* out = reinterpret_cast<unsigned char*>(glyphSet) + header;
  for (const auto& [low, count] : ranges) {
    const WCRANGE range{low, count};
    std::memcpy(out, &range, sizeof(range));
    out += sizeof(range);
  }
  return size;
}

BOOL GetTextExtentPoint32W(HDC dc, LPCWSTR text, int count, SIZE* size) {
  HDC__* context = Context(dc);
  TrueTypeFont* font = context ? SelectedFont(context) : nullptr;
  if (!font || !size || count < 0 || (count > 0 && !text)) return 0;
  long long width = 0;
  for (const Character& character : Decode(text, static_cast<size_t>(count))) {
    width += font->Advance(character.code);
  }
  size->cx = static_cast<LONG>(std::min<long long>(width, 0x7FFFFFFF));
  size->cy = font->CellHeight();
  return 1;
}

BOOL ExtTextOutW(HDC dc, int x, int y, UINT options, const RECT* rect, LPCWSTR text,
                 UINT count, const INT* dx) {
  HDC__* context = Context(dc);
  if (!context || (count > 0 && !text)) return 0;
  TrueTypeFont* font = SelectedFont(context);
  if (!font && count > 0) return 0;
  BitmapObject& bitmap = *static_cast<BitmapObject*>(context->bitmap);

  Box clip = Bounds(bitmap);
  if ((options & ETO_CLIPPED) && rect) clip = Intersect(clip, FromRect(*rect));
  const std::uint32_t backPixel = ToPixel(context->backColour);
  if ((options & ETO_OPAQUE) && rect) Fill(bitmap, FromRect(*rect), backPixel);
  if (count == 0) return 1;

  const std::vector<Character> characters = Decode(text, count);
  std::vector<long long> advances;
  advances.reserve(characters.size());
  long long total = 0;
  size_t unit = 0;
  for (const Character& character : characters) {
    long long advance = 0;
    if (dx) {
      for (int i = 0; i < character.units; ++i) advance += dx[unit + i];
    } else {
      advance = font->Advance(character.code);
    }
    unit += character.units;
    advances.push_back(advance);
    total += advance;
  }

  long long left = x;
  if ((context->align & TA_CENTER) == TA_CENTER) {
    left -= total / 2;
  } else if ((context->align & TA_RIGHT) == TA_RIGHT) {
    left -= total;
  }
  long long top = y;
  if ((context->align & TA_BASELINE) == TA_BASELINE) {
    top -= font->Ascent();
  } else if ((context->align & TA_BOTTOM) == TA_BOTTOM) {
    top -= font->CellHeight();
  }

  // GDI's default background mode is opaque: the text's cells take the background colour.
  Fill(bitmap, Intersect(clip, Box{left, top, left + total, top + font->CellHeight()}), backPixel);

  const std::uint32_t textPixel = ToPixel(context->textColour);
  long long pen = left;
  GlyphCoverage glyph;
  for (size_t i = 0; i < characters.size(); ++i) {
    if (font->Render(characters[i].code, glyph)) {
      Blend(bitmap, clip, pen + glyph.left, top + font->Ascent() - glyph.top, glyph, textPixel);
    }
    pen += advances[i];
  }
  return 1;
}

int FillRect(HDC dc, const RECT* rect, HBRUSH brush) {
  HDC__* context = Context(dc);
  ObjectRecord* record = Record(brush);
  auto* brushObject = record ? dynamic_cast<BrushObject*>(record->object.get()) : nullptr;
  if (!context || !rect || !brushObject) return 0;
  Fill(*static_cast<BitmapObject*>(context->bitmap), FromRect(*rect), ToPixel(brushObject->colour));
  return 1;
}

}  // namespace gdi
