#include "engine/graphics/dx8/DX8Font.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

#include "engine/core/Log.h"
#include "engine/core/Timer.h"
#include "engine/graphics/GlyphSheet.h"
#include "engine/graphics/dx8/Dx8Graphics.h"
#include "platform/d3d8/D3D8.h"
#include "platform/gdi/Gdi.h"

namespace {

TextLine g_lines[Font::kMaxLines];
Glyph* g_glyphPointers[Font::kMaxCharacters];

constexpr const char* kFallbackFace = "Verdana";

gdi::RECT CellRect(const Glyph& glyph, int cell) {
  return gdi::RECT{glyph.cellX, glyph.cellY, glyph.cellX + cell, glyph.cellY + cell};
}

glyphsheet::PixelRect ToPixelRect(const gdi::RECT& rect) {
  return glyphsheet::PixelRect{rect.left, rect.top, rect.right, rect.bottom};
}

}  // namespace

DX8Font::DX8Font(const std::string& fontName)
    : Font(fontName), clock_([] { return FrameTimer::Instance().GetTime(); }) {
  sheetWidth = kSheetSize;
  sheetHeight = kSheetSize;
}

DX8Font::~DX8Font() { DeInit(); }

void DX8Font::DeInit() {
  if (stageDC) gdi::DeleteDC(stageDC);
  if (stageBitmap) gdi::DeleteObject(stageBitmap);
  if (mainFont) gdi::DeleteObject(mainFont);
  if (fallbackFont) gdi::DeleteObject(fallbackFont);
  stageDC = nullptr;
  stageBitmap = nullptr;
  mainFont = nullptr;
  fallbackFont = nullptr;
  stagePixels = nullptr;
  if (sheet) sheet->Release();
  sheet = nullptr;
  device = nullptr;
  mainRanges.clear();
  fallbackRanges.clear();
  held.clear();
  staged.clear();
  glyphs.clear();
  freeCells.clear();
  pending = 0;
}

std::vector<uint8_t> DX8Font::ReadRanges(gdi::HDC__* dc, gdi::HFONT__* font) {
  std::vector<uint8_t> table;
  if (!font) return table;
  gdi::SelectObject(dc, font);
  const gdi::DWORD size = gdi::GetFontUnicodeRanges(dc, nullptr);
  if (size < sizeof(gdi::GLYPHSET)) return table;
  table.assign(size, 0);
  auto* set = reinterpret_cast<gdi::GLYPHSET*>(table.data());
  set->cbThis = size;
  if (gdi::GetFontUnicodeRanges(dc, set) == 0) table.clear();
  return table;
}

void DX8Font::Resize(const std::string& faceName, int fontWidth, int fontHeight, int fontWeight,
                     int charset) {
  DeInit();
  face = faceName;
  width = fontWidth;
  height = fontHeight;
  weight = fontWeight;
  sheetWidth = kSheetSize;
  sheetHeight = kSheetSize;

  cell = glyphsheet::CellSide(fontHeight);
  const int perSide = glyphsheet::CellsPerSide(cell);
  const int cellCount = perSide * perSide;
  freeCells.reserve(static_cast<size_t>(cellCount));
  // Free cells are handed out from the back of the list.
  for (int k = cellCount - 1; k >= 0; --k) {
    auto glyph = std::make_unique<Glyph>();
    glyph->lastUse = -1.0f;
    glyphsheet::CellOfAllocation(cell, perSide, k, glyph->cellX, glyph->cellY);
    glyph->cellW = fontWidth;
    glyph->cellH = fontHeight;
    glyph->u = static_cast<float>(glyph->cellX) / kSheetSize;
    glyph->v = static_cast<float>(glyph->cellY) / kSheetSize;
    glyph->du = static_cast<float>(fontWidth) / kSheetSize;
    glyph->dv = static_cast<float>(fontHeight) / kSheetSize;
    freeCells.push_back(std::move(glyph));
  }

  device = Dx8Graphics::CurrentDevice();
  HRESULT hr = D3DERR_INVALIDCALL;
  if (device) {
    hr = device->CreateTexture(kSheetSize, kSheetSize, 1, 0, D3DFMT_A4R4G4B4, D3DPOOL_MANAGED,
                               &sheet);
  }
  if (FAILED(hr) || !sheet) {
    sheet = nullptr;
    LOG_LINE(MSG_ERROR) << "Unable to create Font texture for " << faceName << " : "
                        << DxErrorText(hr);
    return;
  }
  D3DLOCKED_RECT locked{};
  if (SUCCEEDED(sheet->LockRect(0, &locked, nullptr, 0))) {
    for (int row = 0; row < kSheetSize; ++row) {
      std::memset(static_cast<uint8_t*>(locked.pBits) + static_cast<long>(row) * locked.Pitch, 0,
                  kSheetSize * sizeof(uint16_t));
    }
    sheet->UnlockRect(0);
  }

  stageDC = gdi::CreateCompatibleDC(nullptr);
  gdi::BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(gdi::BITMAPINFOHEADER);
  info.bmiHeader.biWidth = kSheetSize;
  info.bmiHeader.biHeight = -kSheetSize;  // top-down rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = gdi::BI_RGB;
  void* bits = nullptr;
  stageBitmap = gdi::CreateDIBSection(stageDC, &info, gdi::DIB_RGB_COLORS, &bits, nullptr, 0);
  stagePixels = static_cast<uint32_t*>(bits);
  gdi::SetMapMode(stageDC, gdi::MM_TEXT);

  mainFont = gdi::CreateFontA(fontHeight, fontWidth, 0, 0, fontWeight, 0, 0, 0,
                              static_cast<gdi::DWORD>(charset), gdi::OUT_DEFAULT_PRECIS,
                              gdi::CLIP_DEFAULT_PRECIS, gdi::CLEARTYPE_QUALITY,
                              gdi::VARIABLE_PITCH, faceName.c_str());
  if (!mainFont) {
    LOG_LINE(MSG_ERROR) << "Unable to create Font Object for " << faceName;
    return;
  }
  fallbackFont = gdi::CreateFontA(fontHeight, fontWidth, 0, 0, fontWeight, 0, 0, 0,
                                  static_cast<gdi::DWORD>(charset), gdi::OUT_DEFAULT_PRECIS,
                                  gdi::CLIP_DEFAULT_PRECIS, gdi::ANTIALIASED_QUALITY,
                                  gdi::VARIABLE_PITCH, kFallbackFace);
  mainRanges = ReadRanges(stageDC, mainFont);
  fallbackRanges = ReadRanges(stageDC, fallbackFont);
}

bool DX8Font::HasGlyph(uint16_t code, const std::vector<uint8_t>& ranges) {
  const size_t header = offsetof(gdi::GLYPHSET, ranges);
  if (ranges.size() < header) return false;
  gdi::DWORD count = 0;
  std::memcpy(&count, ranges.data() + offsetof(gdi::GLYPHSET, cRanges), sizeof count);
  for (gdi::DWORD i = 0; i < count; ++i) {
    const size_t at = header + i * sizeof(gdi::WCRANGE);
    if (at + sizeof(gdi::WCRANGE) > ranges.size()) break;
    gdi::WCRANGE range{};
    std::memcpy(&range, ranges.data() + at, sizeof range);
    const uint32_t low = range.wcLow;
    if (code >= low && code < low + range.cGlyphs) return true;
  }
  return code > 0xFF;
}

void DX8Font::Hold(Glyph* glyph) {
  if (glyph->held) return;
  glyph->held = 1;
  held.push_back(glyph);
}

void DX8Font::ReleaseHeld() {
  for (Glyph* glyph : held) glyph->held = 0;
  held.clear();
}

Glyph* DX8Font::GetGlyph(uint16_t code) {
  Glyph* glyph = Font::GetGlyph(code);
  if (!glyph) glyph = AllocGlyph(code);
  if (glyph) Hold(glyph);
  return glyph;
}

Glyph* DX8Font::AllocGlyph(uint16_t code) {
  const float now = clock_();
  if (!freeCells.empty()) {
    std::unique_ptr<Glyph> glyph = std::move(freeCells.back());
    freeCells.pop_back();
    glyph->code = code;
    glyph->lastUse = now;
    glyph->preAdvance = 0;
    glyph->postAdvance = 0;
    glyph->pending = 1;
    Glyph* result = glyph.get();
    glyphs[code] = std::move(glyph);
    ++pending;
    return result;
  }

  // Every cell is taken: the glyph that got its character most recently, among those
  // that got it more than kMinimumAge ago, gives its cell. A glyph that the text being laid
  // out already holds is never taken, or that text would show the new character in its
  // place.
  uint16_t chosen = 0;
  const Glyph* best = nullptr;
  float bestAge = 0.0f;
  for (const auto& [filedCode, glyph] : glyphs) {
    if (glyph->held) continue;
    const float age = now - glyph->lastUse;
    if (age > kMinimumAge && (!best || age < bestAge)) {
      best = glyph.get();
      bestAge = age;
      chosen = filedCode;
    }
  }
  if (!best) return nullptr;
  auto node = glyphs.extract(chosen);
  Glyph* glyph = node.mapped().get();
  if (!glyph->pending) ++pending;
  glyph->code = code;
  glyph->lastUse = now;
  glyph->pending = 1;
  node.key() = code;
  glyphs.insert(std::move(node));
  return glyph;
}

void DX8Font::UpdateGlyphs(bool upload) {
  ReleaseHeld();
  if (pending <= 0) return;
  // Without the staging objects nothing can be rasterised: the glyphs stay pending.
  if (!stageDC || !stageBitmap || !stagePixels || !mainFont) return;
  if (upload && !sheet) return;

  gdi::SelectObject(stageDC, stageBitmap);
  gdi::SelectObject(stageDC, mainFont);
  gdi::SetTextColor(stageDC, 0xFFFFFF);
  gdi::SetBkColor(stageDC, 0);
  gdi::SetTextAlign(stageDC, 0);
  gdi::SetMapperFlags(stageDC, 1);
  auto* blackBrush = static_cast<gdi::HBRUSH>(gdi::GetStockObject(gdi::BLACK_BRUSH));

  const int b = border ? 1 : 0;
  gdi::HFONT selected = mainFont;
  staged.clear();
  for (const auto& [code, glyphPointer] : glyphs) {
    Glyph& glyph = *glyphPointer;
    if (!glyph.pending) continue;
    gdi::HFONT font = mainFont;
    if (!HasGlyph(code, mainRanges)) {
      if (!HasGlyph(code, fallbackRanges)) {
        LOG_LINE(MSG_ERROR) << "Unable to find support for glyph " << static_cast<int>(code)
                            << " in either font!";
      }
      if (fallbackFont) font = fallbackFont;
    }
    if (font != selected) {
      gdi::SelectObject(stageDC, font);
      selected = font;
    }
    const gdi::WCHAR character = static_cast<gdi::WCHAR>(code);
    gdi::SIZE extent{0, 0};
    gdi::GetTextExtentPoint32W(stageDC, &character, 1, &extent);

    // Staged at its own cell's place, the picture shifted one pixel right and down with
    // border so that the outline fits on its left and top.
    const int x = glyph.cellX + b;
    const int y = glyph.cellY + b;
    if (border) {
      glyph.stageX = x - 1;
      glyph.stageY = y - 1;
      glyph.width = extent.cx + 3;
      glyph.height = extent.cy + 2;
    } else {
      glyph.stageX = x;
      glyph.stageY = y;
      glyph.width = extent.cx;
      glyph.height = extent.cy;
    }
    // The quad shows the glyph's cell and nothing of its neighbours.
    glyph.width = std::min(glyph.width, cell);
    glyph.height = std::min(glyph.height, cell);
    glyph.du = static_cast<float>(glyph.width) / kSheetSize;
    glyph.dv = static_cast<float>(glyph.height) / kSheetSize;

    if (upload) {
      gdi::RECT cellRect = CellRect(glyph, cell);
      gdi::FillRect(stageDC, &cellRect, blackBrush);
      gdi::ExtTextOutW(stageDC, x, y, gdi::ETO_OPAQUE | gdi::ETO_CLIPPED, &cellRect, &character, 1,
                       nullptr);
      staged.push_back(&glyph);
    }
  }
  if (!upload) return;

  D3DLOCKED_RECT locked{};
  if (FAILED(sheet->LockRect(0, &locked, nullptr, D3DLOCK_NO_DIRTY_UPDATE))) {
    LOG_LINE(MSG_WARNING) << "Unable to lock rect!";
    return;
  }
  auto* texels = static_cast<uint16_t*>(locked.pBits);
  const int texelPitch = locked.Pitch / static_cast<int>(sizeof(uint16_t));
  for (Glyph* glyph : staged) {
    const gdi::RECT cellRect = CellRect(*glyph, cell);
    // The whole cell is cleared first: nothing of the character it held before remains.
    for (int row = cellRect.top; row < cellRect.bottom; ++row) {
      std::memset(texels + static_cast<long>(row) * texelPitch + cellRect.left, 0,
                  static_cast<size_t>(cell) * sizeof(uint16_t));
    }
    const glyphsheet::PixelRect picture{glyph->stageX, glyph->stageY,
                                        glyph->stageX + glyph->width,
                                        glyph->stageY + glyph->height};
    glyphsheet::CopyGlyphPicture(stagePixels, kSheetSize, picture, b, ToPixelRect(cellRect),
                                 border, texels, texelPitch);
    const RECT dirty{cellRect.left, cellRect.top, cellRect.right, cellRect.bottom};
    sheet->AddDirtyRect(&dirty);
    glyph->pending = 0;
    --pending;
  }
  sheet->UnlockRect(0);
  staged.clear();
}

void DX8Font::BindSheet() {
  if (!device || !sheet) return;
  device->SetTexture(0, sheet);
  device->SetTexture(1, nullptr);
  device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
  device->SetTextureStageState(1, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
  device->SetRenderState(D3DRS_ALPHATESTENABLE, 0);
}

void DX8Font::DrawTextW(const WString& text, const math::Vec2& position, const math::Vec2& box,
                        uint32_t flags, uint32_t colour, uint32_t) {
  // A font whose sheet or face could not be made draws nothing.
  if (!device || !sheet || !mainFont) return;
  device->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_LINEAR);
  device->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_LINEAR);
  device->SetTextureStageState(0, D3DTSS_MIPFILTER, D3DTEXF_LINEAR);
  LayoutAndDraw(text, position, box, flags, colour, g_lines, g_glyphPointers);
}
