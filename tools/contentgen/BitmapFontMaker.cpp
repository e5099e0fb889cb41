#include "tools/contentgen/BitmapFontMaker.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <sstream>
#include <utility>

#include "tools/contentgen/Canvas.h"
#include "tools/contentgen/TextRaster.h"

namespace contentgen {

namespace {

constexpr char32_t kTab = 0x09;
constexpr char32_t kPound = 0xA3;
constexpr int kPadding = 2;  // transparent pixels around each glyph, against filtering bleed

struct PlacedGlyph {
  char32_t code = 0;
  int x = 0, y = 0, w = 0, h = 0;
  int offset = 0;  // pen advance after the rectangle
  Mask cell;       // ink coverage in the rectangle (empty for control glyphs)
};

std::string Lower(std::string text) {
  for (char& c : text) c = char(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

int NextPowerOfTwo(int value) {
  int result = 1;
  while (result < value) result *= 2;
  return result;
}

// The glyph's rectangle: one line high, from the pen to the right edge of its outlined ink.
PlacedGlyph LayGlyph(const TextRaster& raster, char32_t code, int outline) {
  PlacedGlyph placed;
  placed.code = code;
  placed.h = raster.Ascent() + raster.Descent() + 2 * outline;
  if (code == kTab || code == kPound) return placed;  // w 0: nothing drawn, no advance

  const GlyphImage glyph = raster.Render(code);
  if (glyph.ink.width == 0 || glyph.ink.height == 0) {
    // Spaces: an empty rectangle as wide as the advance.
    placed.w = std::max(glyph.advance + outline, 1);
    placed.cell = Mask(placed.w, placed.h);
    return placed;
  }
  // Ink that reaches left of the pen is moved right onto it: the loader has no way to
  // draw left of the pen.
  const int inkLeft = std::max(glyph.left, 0);
  placed.w = inkLeft + glyph.ink.width + 2 * outline;
  placed.offset = glyph.advance + outline - placed.w;
  placed.cell = Mask(placed.w, placed.h);
  for (int y = 0; y < glyph.ink.height; ++y) {
    const int cy = outline + raster.Ascent() - glyph.top + y;
    if (cy < 0 || cy >= placed.h) continue;
    for (int x = 0; x < glyph.ink.width; ++x) placed.cell.Ref(inkLeft + outline + x, cy) = glyph.ink.At(x, y);
  }
  return placed;
}

// Shelf packing in rows of equal height; returns the sheet height needed for the width.
int Pack(std::vector<PlacedGlyph>& glyphs, int sheetWidth) {
  int x = kPadding;
  int y = kPadding;
  int rowHeight = 0;
  for (PlacedGlyph& glyph : glyphs) {
    if (x + glyph.w + kPadding > sheetWidth) {
      x = kPadding;
      y += rowHeight + kPadding;
      rowHeight = 0;
    }
    glyph.x = x;
    glyph.y = y;
    x += glyph.w + kPadding;
    rowHeight = std::max(rowHeight, glyph.h);
  }
  return y + rowHeight + kPadding;
}

std::string GlyphField(char32_t code) {
  if (code >= 0x20 && code < 0x7F) {
    std::string text(1, char(code));
    if (code == '"' || code == '\\') text = "\\" + text;
    return "Glyph = \"" + text + "\"";
  }
  // Codes beyond ASCII are given by number: the loader takes "Glyph" as one byte.
  return "GlyphID = " + std::to_string(uint32_t(code));
}

}  // namespace

LaidGlyph LayFontGlyph(const TextRaster& raster, char32_t code, int outline) {
  PlacedGlyph placed = LayGlyph(raster, code, outline);
  return LaidGlyph{std::move(placed.cell), placed.w + placed.offset};
}

std::vector<char32_t> FontCharacters() {
  std::vector<char32_t> codes;
  codes.push_back(kTab);
  for (char32_t c = 0x20; c < 0x7F; ++c) codes.push_back(c);
  for (char32_t c = 0xA0; c <= 0xFF; ++c) codes.push_back(c);
  return codes;
}

bool MakeBitmapFont(const BitmapFontStyle& style, const std::string& outDir, std::string& error) {
  TextRaster raster;
  if (!raster.Open(style.fontFile, style.pixelSize)) {
    error = "cannot open the font " + style.fontFile;
    return false;
  }
  std::vector<PlacedGlyph> glyphs;
  for (char32_t code : FontCharacters()) glyphs.push_back(LayGlyph(raster, code, style.outline));

  // The smallest power-of-two sheet that holds every glyph, the squarer one of two alike.
  int sheetWidth = 0;
  int sheetHeight = 0;
  for (int width = 128; width <= 2048; width *= 2) {
    const int height = NextPowerOfTwo(Pack(glyphs, width));
    const bool smaller = width * height < sheetWidth * sheetHeight ||
                         (width * height == sheetWidth * sheetHeight &&
                          std::max(width, height) < std::max(sheetWidth, sheetHeight));
    if (sheetWidth == 0 || smaller) {
      sheetWidth = width;
      sheetHeight = height;
    }
  }
  Pack(glyphs, sheetWidth);

  Canvas sheet(sheetWidth, sheetHeight);
  for (const PlacedGlyph& glyph : glyphs) {
    if (glyph.cell.width == 0) continue;
    if (style.outline > 0) sheet.FillMask(glyph.cell.Dilated(style.outline), glyph.x, glyph.y, Solid(Rgb(0x000000)));
    sheet.FillMask(glyph.cell, glyph.x, glyph.y, Solid(Rgb(0xFFFFFF)));
  }

  const std::string base = Lower(style.name);
  const std::string imageKey = "fonts/" + base + ".png";
  if (!sheet.SavePng(outDir + "/" + imageKey)) {
    error = "cannot write " + outDir + "/" + imageKey;
    return false;
  }

  std::ostringstream lua;
  lua << "-- " << style.name << ": " << raster.FaceName() << ", " << style.pixelSize << " pixels";
  if (style.outline > 0) lua << ", " << style.outline << "-pixel outline";
  lua << ". Made by contentgen at build time.\n";
  lua << "Offset = 0\n";
  lua << "Img = \"" << imageKey << "\"\n";
  lua << "Font =\n{\n";
  for (const PlacedGlyph& glyph : glyphs) {
    lua << "   { x = " << glyph.x << ", y = " << glyph.y << ", w = " << glyph.w << ", h = " << glyph.h
        << ", Offset = " << glyph.offset << ", PreOffset = 0, " << GlyphField(glyph.code)
        << ", u1 = " << glyph.x << ", v1 = " << glyph.y << ", u2 = " << glyph.x + glyph.w
        << ", v2 = " << glyph.y + glyph.h << " },\n";
  }
  lua << "}\n";
  const std::string luaPath = outDir + "/fonts/" + base + ".lua";
  std::ofstream out(luaPath, std::ios::binary);
  out << lua.str();
  out.close();
  if (!out) {
    error = "cannot write " + luaPath;
    return false;
  }
  return true;
}

}  // namespace contentgen
