// The TrueType glyph sheet: cell arithmetic and the copy rule as pure functions, and the
// TrueType font on the recording Direct3D device: cells, rasterising into a glyph's own
// cell, eviction on a test clock, failed locks and failed creation.

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "engine/graphics/FontManager.h"
#include "engine/graphics/GlyphSheet.h"
#include "engine/graphics/dx8/DX8Font.h"
#include "platform/gdi/Gdi.h"
#include "tests/core/LogCapture.h"
#include "tests/graphics/GraphicsTestSupport.h"
#include "tests/support/TestEnv.h"

namespace {

using glyphsheet::PixelRect;

TEST(GlyphSheetTest, CellsAreNearlyTwiceTheHeightAndHandedOutFromTheBottomRight) {
  EXPECT_EQ(glyphsheet::CellSide(20), 36);
  EXPECT_EQ(glyphsheet::CellsPerSide(36), 28);  // 784 cells
  EXPECT_EQ(glyphsheet::CellSide(14), 25);
  EXPECT_EQ(glyphsheet::CellSide(0), 0);
  EXPECT_EQ(glyphsheet::CellsPerSide(0), 0);  // no cells rather than a division by zero
  EXPECT_EQ(glyphsheet::CellsPerSide(1100), 0);

  struct Case {
    int k, x, y;
  };
  const Case cases[] = {
      {0, 972, 972},  // the bottom cell of the last column
      {1, 972, 936},  // the cell above it
      {27, 972, 0},
      {28, 936, 972},  // then the column to its left
      {783, 0, 0},
  };
  for (const Case& c : cases) {
    int x = -1, y = -1;
    glyphsheet::CellOfAllocation(36, 28, c.k, x, y);
    EXPECT_EQ(x, c.x) << c.k;
    EXPECT_EQ(y, c.y) << c.k;
  }
}

TEST(GlyphSheetTest, CoverageBecomesWhiteWithFourBitAlphaAndBorderAddsABlackOutline) {
  // 5 x 5 staging pixels: one covered pixel in the middle (blue 0xA7 -> alpha 0xA), a
  // faint one (blue 0x0C: coverage below one step, but not zero) at the top left.
  std::vector<uint32_t> staging(25, 0);
  staging[2 * 5 + 2] = 0x00A7A7A7;
  staging[0] = 0x000C0C0C;
  const PixelRect all{0, 0, 5, 5};
  struct Case {
    int x, y;
    bool border;
    uint16_t texel;
  };
  const Case cases[] = {
      {2, 2, false, 0xAFFF}, {2, 2, true, 0xAFFF},
      {0, 0, false, 0x0000},  // below one step: transparent
      {1, 1, false, 0x0000}, {1, 1, true, 0xF000},  // next to lit pixels
      {3, 3, true, 0xF000},  {4, 4, true, 0x0000},  // two away: nothing
      {0, 1, true, 0xF000},  // next to the faint pixel: any non-zero neighbour counts
  };
  for (const Case& c : cases) {
    EXPECT_EQ(glyphsheet::GlyphTexel(staging.data(), 5, all, c.x, c.y, c.border), c.texel)
        << c.x << "," << c.y << " border " << c.border;
  }
  // Neighbours outside the bounds count as unlit.
  EXPECT_EQ(glyphsheet::GlyphTexel(staging.data(), 5, PixelRect{3, 3, 5, 5}, 3, 3, true), 0);
}

TEST(GlyphSheetTest, CopyStaysInsideTheCell) {
  // A staged picture larger than its cell: every pixel lit.
  std::vector<uint32_t> staging(16 * 16, 0x00F0F0F0);
  std::vector<uint16_t> sheet(16 * 16, 0x1234);
  const PixelRect cell{4, 4, 8, 8};
  const PixelRect picture{2, 2, 12, 12};
  glyphsheet::CopyGlyphPicture(staging.data(), 16, picture, 1, cell, false, sheet.data(), 16);
  // Texels outside the cell keep what they held. Shifted one to the right, the cell's
  // left column would show the staging pixel left of the cell, which is not the glyph's:
  // it is transparent.
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 16; ++x) {
      const uint16_t expected = !cell.Contains(x, y) ? 0x1234 : x == cell.left ? 0 : 0xFFFF;
      EXPECT_EQ(sheet[y * 16 + x], expected) << x << "," << y;
    }
  }
}

TEST(GlyphSheetTest, RangeTablesDecideCoverageUpToLatinOne) {
  std::vector<uint8_t> table(offsetof(gdi::GLYPHSET, ranges) + sizeof(gdi::WCRANGE), 0);
  auto* set = reinterpret_cast<gdi::GLYPHSET*>(table.data());
  set->cbThis = static_cast<gdi::DWORD>(table.size());
  set->cRanges = 1;
  set->ranges[0] = gdi::WCRANGE{0x41, 26};
  EXPECT_TRUE(DX8Font::HasGlyph('A', table));
  EXPECT_TRUE(DX8Font::HasGlyph('Z', table));
  EXPECT_FALSE(DX8Font::HasGlyph('[', table));
  EXPECT_FALSE(DX8Font::HasGlyph(0xE9, table));
  EXPECT_TRUE(DX8Font::HasGlyph(0x4E00, table));  // above Latin-1: any face draws something
  EXPECT_FALSE(DX8Font::HasGlyph(0x4E00, {}));     // no table: no coverage
}

// ---- The TrueType font on the recording device --------------------------------------------

class TrueTypeFontTest : public gfxtest::RecordingGraphicsTest {
 protected:
  void SetUp() override {
    RecordingGraphicsTest::SetUp();
    ASSERT_TRUE(StartDevice());
  }

  std::unique_ptr<DX8Font> MakeFont(int height, float* clock = nullptr) {
    auto font = std::make_unique<DX8Font>("Test");
    if (clock) font->SetClock([clock] { return *clock; });
    font->Resize("DejaVu Sans", 0, height, 500, 0);
    return font;
  }

  // Lays the text out (and so rasterises its new glyphs); the glyph of each character.
  std::vector<Glyph*> Layout(DX8Font& font, const std::u16string& text) {
    int lines = 0, count = 0;
    font.LayoutText(text, 800, 600, lines_, glyphs_, lines, count);
    return std::vector<Glyph*>(glyphs_, glyphs_ + count);
  }

  // The sheet's texels, rows of 1024.
  std::vector<uint16_t> ReadSheet(DX8Font& font) {
    std::vector<uint16_t> texels(1024 * 1024, 0);
    D3DLOCKED_RECT locked{};
    EXPECT_EQ(font.Sheet()->LockRect(0, &locked, nullptr, D3DLOCK_READONLY), D3D_OK);
    for (int y = 0; y < 1024; ++y) {
      std::memcpy(texels.data() + y * 1024, static_cast<uint8_t*>(locked.pBits) + y * locked.Pitch, 2048);
    }
    font.Sheet()->UnlockRect(0);
    return texels;
  }

  // Lit texels inside and outside the rectangle.
  static std::pair<int, int> LitInside(const std::vector<uint16_t>& texels, const PixelRect& r) {
    int inside = 0, outside = 0;
    for (int y = 0; y < 1024; ++y) {
      for (int x = 0; x < 1024; ++x) {
        if (texels[y * 1024 + x] != 0) ++(r.Contains(x, y) ? inside : outside);
      }
    }
    return {inside, outside};
  }

  TextLine lines_[Font::kMaxLines];
  Glyph* glyphs_[Font::kMaxCharacters];
};

TEST_F(TrueTypeFontTest, ResizeBuildsCellsAndAManagedSixteenBitSheet) {
  auto font = MakeFont(20);
  EXPECT_EQ(font->CellSide(), 36);
  EXPECT_EQ(font->FreeCellCount(), 784u);
  ASSERT_NE(font->Sheet(), nullptr);
  EXPECT_TRUE(font->HasFonts());
  const auto created = Device()->CallsOf(d3d8::DeviceCall::CreateTexture);
  ASSERT_FALSE(created.empty());
  EXPECT_EQ(created.back()->width, 1024u);
  EXPECT_EQ(created.back()->height, 1024u);
  EXPECT_EQ(created.back()->levels, 1u);
  EXPECT_EQ(created.back()->format, D3DFMT_A4R4G4B4);
  EXPECT_EQ(created.back()->pool, D3DPOOL_MANAGED);
  EXPECT_EQ(font->height, 20);
  EXPECT_EQ(font->sheetWidth, 1024);
}

TEST_F(TrueTypeFontTest, EachGlyphIsRasterisedIntoItsOwnCellOnce) {
  auto font = MakeFont(20);
  const std::vector<Glyph*> glyphs = Layout(*font, u"HI H");
  ASSERT_EQ(glyphs.size(), 4u);
  EXPECT_EQ(glyphs[0], glyphs[3]);
  // The first new character takes the bottom cell of the last column, the next the one
  // above it.
  EXPECT_EQ(glyphs[0]->cellX, 972);
  EXPECT_EQ(glyphs[0]->cellY, 972);
  EXPECT_EQ(glyphs[1]->cellY, 936);
  EXPECT_EQ(font->PendingCount(), 0);
  EXPECT_EQ(font->FreeCellCount(), 784u - 3);
  EXPECT_FLOAT_EQ(glyphs[0]->u, 972 / 1024.0f);
  EXPECT_GT(glyphs[0]->width, 5);
  EXPECT_LE(glyphs[0]->width, 36);
  EXPECT_GE(glyphs[0]->height, 18);

  // Lit texels lie in the three cells only; "H" is covered, the space is blank.
  const std::vector<uint16_t> texels = ReadSheet(*font);
  const PixelRect h{972, 972, 1008, 1008};
  const auto [inH, outsideH] = LitInside(texels, h);
  EXPECT_GT(inH, 20);
  const auto [inCells, outsideCells] = LitInside(texels, PixelRect{972, 900, 1008, 1008});
  EXPECT_EQ(outsideCells, 0);
  for (uint16_t t : texels) {
    if (t != 0) {
      EXPECT_EQ(t & 0x0FFF, 0x0FFF);  // white, coverage in the alpha
    }
  }
  const Glyph* space = glyphs[2];
  EXPECT_EQ(LitInside(texels, PixelRect{space->cellX, space->cellY, space->cellX + 36, space->cellY + 36}).first, 0);
}

TEST_F(TrueTypeFontTest, BorderGlyphsGetABlackOutlineAndRoomForIt) {
  auto plain = MakeFont(20);
  const int plainWidth = Layout(*plain, u"H")[0]->width;
  plain.reset();

  auto font = MakeFont(20);
  font->border = true;
  Glyph* glyph = Layout(*font, u"H")[0];
  EXPECT_EQ(glyph->width, plainWidth + 3);
  const std::vector<uint16_t> texels = ReadSheet(*font);
  int outline = 0, lit = 0;
  for (uint16_t t : texels) {
    outline += t == 0xF000;
    lit += (t & 0x0FFF) == 0x0FFF;
  }
  EXPECT_GT(outline, 10);
  EXPECT_GT(lit, 10);
}

TEST_F(TrueTypeFontTest, EvictionTakesTheYoungestGlyphOlderThanOneHundredthOfASecond) {
  // Height 284 gives cells of 511 pixels: four cells.
  float now = 0.0f;
  auto font = MakeFont(284, &now);
  ASSERT_EQ(font->FreeCellCount(), 4u);
  const std::vector<Glyph*> first = Layout(*font, u"abcd");
  const auto cellOf = [](const Glyph* g) { return std::make_pair(g->cellX, g->cellY); };
  const auto aCell = cellOf(first[0]);

  // Every glyph got its character within 0.01 s: the new character gets none.
  now = 0.005f;
  EXPECT_EQ(font->AllocGlyph('e'), nullptr);

  // All equally old: the first in character order gives its cell.
  now = 1.0f;
  Glyph* e = font->AllocGlyph('e');
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(e->code, 'e');
  EXPECT_EQ(cellOf(e), aCell);
  EXPECT_EQ(font->glyphs.count('a'), 0u);
  EXPECT_EQ(e->pending, 1);

  // The youngest glyph older than 0.01 s goes first: e (1 s old) before b, c and d (2 s).
  now = 2.0f;
  Glyph* f = font->AllocGlyph('f');
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(cellOf(f), aCell);
  EXPECT_EQ(font->glyphs.count('e'), 0u);

  // Drawing b does not make it younger: f is still the one to go.
  now = 2.5f;
  Layout(*font, u"b");
  now = 3.0f;
  ASSERT_NE(font->AllocGlyph('g'), nullptr);
  EXPECT_EQ(font->glyphs.count('b'), 1u);
  EXPECT_EQ(font->glyphs.count('f'), 0u);

  // A glyph that the text being laid out holds is never taken, even when it is the
  // youngest: "h" takes b's cell, and g keeps its character.
  now = 10.0f;
  const std::vector<Glyph*> held = Layout(*font, u"gh");
  ASSERT_EQ(held.size(), 2u);
  ASSERT_NE(held[1], nullptr);
  EXPECT_EQ(held[0]->code, 'g');
  EXPECT_EQ(held[1]->code, 'h');
  EXPECT_NE(cellOf(held[0]), cellOf(held[1]));
  EXPECT_EQ(font->glyphs.count('b'), 0u);
  EXPECT_EQ(font->PendingCount(), 0);
}

TEST_F(TrueTypeFontTest, GlyphsThatCannotBeUploadedStayPendingAndComeLater) {
  auto font = MakeFont(20);
  D3DLOCKED_RECT locked{};
  ASSERT_EQ(font->Sheet()->LockRect(0, &locked, nullptr, 0), D3D_OK);  // the next lock fails
  LogCapture log;
  Glyph* glyph = Layout(*font, u"H")[0];
  EXPECT_TRUE(log.Contains("Unable to lock rect!"));
  EXPECT_EQ(glyph->pending, 1);
  EXPECT_EQ(font->PendingCount(), 1);
  font->Sheet()->UnlockRect(0);

  Layout(*font, u"I");
  EXPECT_EQ(glyph->pending, 0);
  EXPECT_EQ(font->PendingCount(), 0);
  EXPECT_GT(LitInside(ReadSheet(*font), PixelRect{972, 972, 1008, 1008}).first, 20);
}

TEST_F(TrueTypeFontTest, DrawsFromTheSheetWithLinearFilteringAndNoAlphaTest) {
  auto font = MakeFont(20);
  Device()->ClearCalls();
  font->DrawText("HI", {0.1f, 0.1f}, {1, 1}, 0, 0xFFFF0000, 0);
  const auto draws = Device()->CallsOf(d3d8::DeviceCall::DrawPrimitiveUP);
  ASSERT_EQ(draws.size(), 1u);
  EXPECT_EQ(draws[0]->primitiveCount, 4u);
  const d3d8::DeviceState& state = *draws[0]->state;
  EXPECT_EQ(state.textures[0], font->Sheet());
  EXPECT_EQ(state.textures[1], nullptr);
  EXPECT_EQ(state.StageState(0, D3DTSS_MAGFILTER), static_cast<uint32_t>(D3DTEXF_LINEAR));
  EXPECT_EQ(state.StageState(0, D3DTSS_MINFILTER), static_cast<uint32_t>(D3DTEXF_LINEAR));
  EXPECT_EQ(state.StageState(1, D3DTSS_COLOROP), static_cast<uint32_t>(D3DTOP_DISABLE));
  EXPECT_EQ(state.RenderState(D3DRS_ALPHATESTENABLE), 0u);
  const std::vector<ScreenVertex> v = draws[0]->VerticesAs<ScreenVertex>();
  ASSERT_EQ(v.size(), 12u);
  EXPECT_FLOAT_EQ(v[1].x, 80.5f);
  EXPECT_EQ(v[0].color, 0xFFFF0000u);
}

TEST_F(TrueTypeFontTest, FailedCreationIsLoggedAndTheFontDrawsNothing) {
  LogCapture log;
  Device()->FailCalls(d3d8::DeviceCall::CreateTexture, D3DERR_OUTOFVIDEOMEMORY, 1);
  auto noSheet = MakeFont(20);
  EXPECT_TRUE(log.Contains("Unable to create Font texture for DejaVu Sans : "));
  EXPECT_EQ(noSheet->Sheet(), nullptr);
  EXPECT_FALSE(noSheet->HasFonts());

  auto noFace = MakeFont(5000);  // beyond what a face is made at
  EXPECT_TRUE(log.Contains("Unable to create Font Object for DejaVu Sans"));
  EXPECT_FALSE(noFace->HasFonts());

  Device()->ClearCalls();
  math::Vec2 position(0, 0), size(0, 0);
  for (DX8Font* font : {noSheet.get(), noFace.get()}) {
    font->DrawText("HI", {0, 0}, {1, 1}, 0, 0xFFFFFFFF, 0);
    font->GetTextSize("HI", {1, 1}, position, size, 0);
  }
  EXPECT_EQ(Device()->CountOf(d3d8::DeviceCall::DrawPrimitiveUP), 0u);
  EXPECT_EQ(Device()->CountOf(d3d8::DeviceCall::SetTexture), 0u);
}

TEST_F(TrueTypeFontTest, FontManagerRegistersFontFilesAndMakesTheDefaultFont) {
  namespace fs = std::filesystem;
  const std::string source = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
  ASSERT_TRUE(fs::exists(source)) << source;
  fs::create_directories("fonts");
  fs::copy_file(source, "fonts/pellavo-test.ttf", fs::copy_options::overwrite_existing);

  FontManager fonts;
  ASSERT_TRUE(fonts.RegisterTTFonts("DejaVu Sans", 6, 12));
  ASSERT_NE(fonts.defaultFont, nullptr);
  EXPECT_EQ(fonts.FindFont("default"), fonts.defaultFont);
  EXPECT_EQ(fonts.defaultFont->height, 12);
  EXPECT_NE(dynamic_cast<DX8Font*>(fonts.defaultFont), nullptr);
  // The same name again gives the same font.
  EXPECT_EQ(fonts.CreateFont("Default", "Verdana", 0, 30, 700, 0), fonts.defaultFont);

  fonts.Printf({0.1f, 0.1f}, "Score %d", 1200);
  Device()->ClearCalls();
  fonts.RenderText();
  EXPECT_EQ(Device()->CountOf(d3d8::DeviceCall::DrawPrimitiveUP), 1u);

  fonts.Shutdown();
  // Unregistered by the shutdown: nothing is left to remove.
  EXPECT_EQ(gdi::RemoveFontResourceA("fonts/pellavo-test.ttf"), 0);
  fs::remove("fonts/pellavo-test.ttf");
}

}  // namespace
