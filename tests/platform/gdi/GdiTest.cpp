#include "platform/gdi/Gdi.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/gdi/FontRegistry.h"
#include "platform/gdi/TrueTypeFont.h"
#include "tests/support/TestEnv.h"

using namespace gdi;
namespace fs = std::filesystem;

namespace {

const std::string kDejaVuDir = "/usr/share/fonts/truetype/dejavu/";

// A font file copied into a "fonts" folder below the working folder; the path is
// relative, as the game registers "fonts/*.ttf".
std::string CopyFont(const std::string& systemFile, const std::string& name) {
  const std::string dir = testenv::MakeTempDir("fonts");
  const std::string source = kDejaVuDir + systemFile;
  EXPECT_TRUE(fs::exists(source)) << source << " is missing (fonts-dejavu-core)";
  fs::create_directories(dir + "/fonts");
  fs::copy_file(source, dir + "/fonts/" + name);
  return fs::relative(dir + "/fonts/" + name, fs::current_path()).string();
}

HFONT MakeFont(const char* face, int height, int width = 0, int weight = FW_MEDIUM,
               DWORD quality = CLEARTYPE_QUALITY) {
  return CreateFontA(height, width, 0, 0, weight, 0, 0, 0, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                     CLIP_DEFAULT_PRECIS, quality, VARIABLE_PITCH, face);
}

std::string FamilyOf(HFONT font) {
  TrueTypeFont* ttf = TrueTypeFontOf(font);
  return ttf ? ttf->Family() : std::string("(none)");
}

// A memory context with a 32-bit bitmap selected, set up for white text on black as the
// glyph sheet does.
struct Canvas {
  HDC dc = nullptr;
  HBITMAP bitmap = nullptr;
  std::uint32_t* pixels = nullptr;
  int width = 0;
  int height = 0;
  bool topDown = true;

  Canvas(int w, int h, bool topDownRows = true) : width(w), height(h), topDown(topDownRows) {
    dc = CreateCompatibleDC(nullptr);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = topDownRows ? -h : h;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    pixels = static_cast<std::uint32_t*>(bits);
    SelectObject(dc, bitmap);
    SetMapMode(dc, MM_TEXT);
    SetTextColor(dc, 0xFFFFFF);
    SetBkColor(dc, 0);
    SetTextAlign(dc, 0);
    SetMapperFlags(dc, 1);
  }
  ~Canvas() {
    DeleteDC(dc);
    DeleteObject(bitmap);
  }
  // Pixel at (x, y) counted from the top, whatever the row order in memory.
  std::uint32_t& At(int x, int y) { return pixels[(topDown ? y : height - 1 - y) * width + x]; }
  void FillAll(std::uint32_t value) { std::fill(pixels, pixels + width * height, value); }
  bool Draw(int x, int y, const std::u16string& text, UINT options = ETO_OPAQUE, const RECT* rect = nullptr) {
    return ExtTextOutW(dc, x, y, options, rect, text.c_str(), static_cast<UINT>(text.size()), nullptr) != 0;
  }
  // Bounding box and summed blue coverage of the pixels that differ from the background.
  struct Ink {
    int left = INT_MAX, top = INT_MAX, right = INT_MIN, bottom = INT_MIN;
    long sum = 0;
    bool Any() const { return sum > 0; }
  };
  Ink InkOf(std::uint32_t background = 0) {
    Ink ink;
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        const std::uint32_t p = At(x, y);
        if (p == background) continue;
        ink.left = std::min(ink.left, x);
        ink.top = std::min(ink.top, y);
        ink.right = std::max(ink.right, x + 1);
        ink.bottom = std::max(ink.bottom, y + 1);
        ink.sum += p & 0xFF;
      }
    }
    return ink;
  }
};

SIZE Extent(HDC dc, const std::u16string& text) {
  SIZE size{-1, -1};
  EXPECT_TRUE(GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size));
  return size;
}

bool Covers(const GLYPHSET& set, char16_t code) {
  const auto* ranges = reinterpret_cast<const unsigned char*>(&set) + offsetof(GLYPHSET, ranges);
  for (DWORD i = 0; i < set.cRanges; ++i) {
    WCRANGE range;
    std::memcpy(&range, ranges + i * sizeof(WCRANGE), sizeof(range));
    if (range.wcLow <= code && code < range.wcLow + range.cGlyphs) return true;
  }
  return false;
}

class GdiTest : public testing::Test {
 protected:
  void TearDown() override {
    for (const std::string& file : registered_) {
      while (RemoveFontResourceA(file.c_str())) {
      }
    }
    FontRegistry::Get().SetSystemFolders(FontRegistry::DefaultSystemFolders());
  }
  std::string Register(const std::string& systemFile, const std::string& name) {
    std::string path = CopyFont(systemFile, name);
    EXPECT_EQ(AddFontResourceA(path.c_str()), 1);
    registered_.push_back(path);
    return path;
  }
  // Only registered faces count: the system folders are an empty one.
  void HideSystemFonts() { FontRegistry::Get().SetSystemFolders({testenv::MakeTempDir("nofonts")}); }

  std::vector<std::string> registered_;
};

TEST_F(GdiTest, RegisteredFaceIsFoundByFamilyUntilRemoved) {
  HideSystemFonts();
  EXPECT_EQ(MakeFont("DejaVu Sans Mono", 12), nullptr) << "no face anywhere: CreateFontA fails";

  const std::string path = Register("DejaVuSansMono.ttf", "mono.ttf");
  HFONT font = MakeFont("dejavu SANS mono", 12);
  ASSERT_NE(font, nullptr);
  EXPECT_EQ(FamilyOf(font), "DejaVu Sans Mono");

  // A second registration needs a second removal.
  EXPECT_EQ(AddFontResourceA(path.c_str()), 1);
  EXPECT_TRUE(RemoveFontResourceA(path.c_str()));
  HFONT stillThere = MakeFont("DejaVu Sans Mono", 12);
  EXPECT_NE(stillThere, nullptr);
  EXPECT_TRUE(RemoveFontResourceA(path.c_str()));
  EXPECT_FALSE(RemoveFontResourceA(path.c_str()));
  EXPECT_EQ(MakeFont("DejaVu Sans Mono", 12), nullptr);

  // Fonts made before the removal keep drawing.
  Canvas canvas(32, 32);
  SelectObject(canvas.dc, font);
  EXPECT_GT(Extent(canvas.dc, u"M").cx, 0);
  EXPECT_TRUE(canvas.Draw(2, 2, u"M"));
  EXPECT_TRUE(canvas.InkOf().Any());
  EXPECT_TRUE(DeleteObject(font));
  EXPECT_TRUE(DeleteObject(stillThere));
}

TEST_F(GdiTest, FilesThatAreNotFontsAreRefused) {
  const std::string dir = testenv::MakeTempDir("bad");
  ASSERT_TRUE(testenv::WriteFile(dir + "/fonts/broken.ttf", "not a font at all"));
  EXPECT_EQ(AddFontResourceA((dir + "/fonts/broken.ttf").c_str()), 0);
  EXPECT_EQ(AddFontResourceA((dir + "/fonts/missing.ttf").c_str()), 0);
  EXPECT_EQ(AddFontResourceA(nullptr), 0);
  EXPECT_FALSE(RemoveFontResourceA((dir + "/fonts/broken.ttf").c_str()));
}

TEST_F(GdiTest, WindowsFaceNamesAreServedBySubstitutes) {
  struct Case {
    const char* face;
    std::vector<std::string> families;
  };
  const Case cases[] = {
      {"times new roman", {"Liberation Serif", "DejaVu Serif"}},
      {"Times New Roman", {"Liberation Serif", "DejaVu Serif"}},
      {"Verdana", {"DejaVu Sans", "Liberation Sans"}},
      {"Arial", {"DejaVu Sans", "Liberation Sans"}},
      {"Tahoma", {"DejaVu Sans", "Liberation Sans"}},
      {"DejaVu Serif", {"DejaVu Serif"}},
      {"No Such Face", {"DejaVu Sans", "Liberation Sans"}},
      {"", {"DejaVu Sans", "Liberation Sans"}},
      {nullptr, {"DejaVu Sans", "Liberation Sans"}},
  };
  for (const Case& c : cases) {
    HFONT font = MakeFont(c.face, 12);
    ASSERT_NE(font, nullptr) << (c.face ? c.face : "(null)");
    EXPECT_NE(std::find(c.families.begin(), c.families.end(), FamilyOf(font)), c.families.end())
        << (c.face ? c.face : "(null)") << " -> " << FamilyOf(font);
    EXPECT_TRUE(DeleteObject(font));
  }
}

TEST_F(GdiTest, RegisteredFacesComeBeforeTheSystemAndCatchUnknownNames) {
  HideSystemFonts();
  Register("DejaVuSansMono.ttf", "mono.ttf");
  // Nothing serif or sans: unknown and substituted names take the one registered face.
  for (const char* face : {"times new roman", "Verdana", "Unknown"}) {
    HFONT font = MakeFont(face, 12);
    EXPECT_EQ(FamilyOf(font), "DejaVu Sans Mono") << face;
    DeleteObject(font);
  }
  // A registered substitute family serves the Windows name.
  Register("DejaVuSerif.ttf", "serif.ttf");
  HFONT serif = MakeFont("times new roman", 12);
  EXPECT_EQ(FamilyOf(serif), "DejaVu Serif");
  DeleteObject(serif);
}

TEST_F(GdiTest, HeightIsTheCellHeightNotTheEm) {
  for (const char* face : {"times new roman", "Verdana"}) {
    for (int height : {8, 12, 14, 20, 33, 64}) {
      HFONT font = MakeFont(face, height);
      ASSERT_NE(font, nullptr);
      Canvas canvas(4 * height, 2 * height);
      SelectObject(canvas.dc, font);
      const SIZE size = Extent(canvas.dc, u"A");
      EXPECT_NEAR(size.cy, height, 1) << face << " " << height;

      // Tall letters and descenders stay inside the cell.
      ASSERT_TRUE(canvas.Draw(0, 0, u"\u00C9g|"));
      const Canvas::Ink ink = canvas.InkOf();
      EXPECT_GE(ink.top, 0);
      EXPECT_LE(ink.bottom, size.cy) << face << " " << height;
      DeleteObject(font);
    }
  }

  // At a cell of 40 pixels a capital is about 60 % of the cell; taken as the em it
  // would be nearly three quarters.
  HFONT font = MakeFont("Verdana", 40);
  Canvas canvas(80, 60);
  SelectObject(canvas.dc, font);
  canvas.Draw(0, 0, u"H");
  const Canvas::Ink ink = canvas.InkOf();
  const double capShare = (ink.bottom - ink.top) / 40.0;
  EXPECT_GT(capShare, 0.55);
  EXPECT_LT(capShare, 0.68);

  // A negative height is the em: the cell comes out taller than it.
  HFONT em = MakeFont("Verdana", -40);
  SelectObject(canvas.dc, em);
  EXPECT_GT(Extent(canvas.dc, u"H").cy, 42);
  SelectObject(canvas.dc, font);
  DeleteObject(em);
  DeleteObject(font);
}

TEST_F(GdiTest, AdvanceWidthsFollowTheGlyphsAndTheWidthParameter) {
  Canvas canvas(8, 8);
  HFONT natural = MakeFont("times new roman", 12);
  SelectObject(canvas.dc, natural);
  const SIZE w = Extent(canvas.dc, u"W");
  const SIZE i = Extent(canvas.dc, u"i");
  EXPECT_GT(i.cx, 0);
  EXPECT_GT(w.cx, i.cx);
  EXPECT_EQ(Extent(canvas.dc, u"Wi").cx, w.cx + i.cx);
  EXPECT_EQ(Extent(canvas.dc, u"").cx, 0);

  // The width parameter is the average character width: doubling it about doubles every
  // advance, and the cell height stays.
  const std::u16string alphabet = u"abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";
  HFONT narrow = MakeFont("times new roman", 12, 6);
  HFONT wide = MakeFont("times new roman", 12, 12);
  SelectObject(canvas.dc, narrow);
  const SIZE narrowSize = Extent(canvas.dc, alphabet);
  SelectObject(canvas.dc, wide);
  const SIZE wideSize = Extent(canvas.dc, alphabet);
  EXPECT_EQ(wideSize.cy, 12);
  EXPECT_NEAR(static_cast<double>(wideSize.cx) / narrowSize.cx, 2.0, 0.2);
  EXPECT_NEAR(static_cast<double>(wideSize.cx) / alphabet.size(), 12.0, 12.0 * 0.3);

  SelectObject(canvas.dc, natural);
  DeleteObject(narrow);
  DeleteObject(wide);
  DeleteObject(natural);
}

TEST_F(GdiTest, UnicodeRangesTellWhatTheFaceCovers) {
  Canvas canvas(8, 8);
  EXPECT_EQ(GetFontUnicodeRanges(canvas.dc, nullptr), 0u) << "no font selected yet";

  HFONT font = MakeFont("times new roman", 12);
  SelectObject(canvas.dc, font);
  const DWORD size = GetFontUnicodeRanges(canvas.dc, nullptr);
  ASSERT_GE(size, sizeof(GLYPHSET));
  std::vector<unsigned char> buffer(size + 8, 0xAB);
  auto* set = reinterpret_cast<GLYPHSET*>(buffer.data());
  set->cbThis = size;
  ASSERT_EQ(GetFontUnicodeRanges(canvas.dc, set), size);
  EXPECT_EQ(set->cbThis, size);
  EXPECT_EQ(offsetof(GLYPHSET, ranges) + set->cRanges * sizeof(WCRANGE), size);
  EXPECT_GT(set->cGlyphsSupported, 200u);
  EXPECT_TRUE(Covers(*set, u'A'));
  EXPECT_TRUE(Covers(*set, u'\u00E9'));
  EXPECT_FALSE(Covers(*set, u'\uE000'));
  EXPECT_FALSE(Covers(*set, 0x0001));
  for (size_t b = size; b < buffer.size(); ++b) ASSERT_EQ(buffer[b], 0xAB) << "written past the table";

  // A table declared too small is not written.
  std::vector<unsigned char> small(sizeof(GLYPHSET), 0);
  auto* smallSet = reinterpret_cast<GLYPHSET*>(small.data());
  smallSet->cbThis = sizeof(GLYPHSET);
  EXPECT_EQ(GetFontUnicodeRanges(canvas.dc, smallSet), 0u);
  EXPECT_EQ(smallSet->cRanges, 0u);

  DeleteObject(font);
}

// The glyph sheet's staging steps: clear a rectangle black, draw one character at the
// cell's top-left, read the coverage from the pixels.
TEST_F(GdiTest, OneCharacterIsDrawnInsideItsCell) {
  Canvas canvas(64, 64);
  HFONT font = MakeFont("times new roman", 20);
  HFONT fallback = MakeFont("Verdana", 20, 0, FW_MEDIUM, ANTIALIASED_QUALITY);
  ASSERT_NE(font, nullptr);
  ASSERT_NE(fallback, nullptr);
  EXPECT_NE(SelectObject(canvas.dc, fallback), nullptr);
  EXPECT_EQ(SelectObject(canvas.dc, font), static_cast<HGDIOBJ>(fallback));

  const std::uint32_t untouched = 0x00123456;
  canvas.FillAll(untouched);
  const SIZE cell = Extent(canvas.dc, u"A");
  const int x = 10, y = 12;
  RECT clear{x, y, x + cell.cx + 2, y + cell.cy + 1};
  EXPECT_TRUE(FillRect(canvas.dc, &clear, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH))));
  ASSERT_TRUE(canvas.Draw(x, y, u"A"));

  int lit = 0;
  for (int py = 0; py < canvas.height; ++py) {
    for (int px = 0; px < canvas.width; ++px) {
      const std::uint32_t p = canvas.At(px, py);
      const bool inClear = px >= clear.left && px < clear.right && py >= clear.top && py < clear.bottom;
      if (!inClear) {
        ASSERT_EQ(p, untouched) << "written outside the cell at " << px << "," << py;
        continue;
      }
      EXPECT_EQ(p & 0xFF000000u, 0u);
      EXPECT_EQ((p >> 16) & 0xFF, p & 0xFF) << "grey coverage";
      EXPECT_EQ((p >> 8) & 0xFF, p & 0xFF) << "grey coverage";
      if ((p >> 4) & 0xF) ++lit;
      if (px >= x + cell.cx || py >= y + cell.cy) {
        EXPECT_EQ(p, 0u) << "ink beyond the advance";
      }
    }
  }
  EXPECT_GT(lit, 20);
  const Canvas::Ink ink = canvas.InkOf(untouched);
  EXPECT_GE(ink.left, x);
  EXPECT_GE(ink.top, y);

  DeleteObject(font);
  DeleteObject(fallback);
}

TEST_F(GdiTest, ColoursAndBackgroundKeepGdiByteOrder) {
  Canvas canvas(48, 48);
  HFONT font = MakeFont("Verdana", 32);
  SelectObject(canvas.dc, font);
  SetTextColor(canvas.dc, 0x0000FF);  // red as COLORREF
  SetBkColor(canvas.dc, 0xFF0000);    // blue
  ASSERT_TRUE(canvas.Draw(0, 0, u"\u2588"));  // full block: full coverage inside
  const SIZE cell = Extent(canvas.dc, u"\u2588");
  std::uint32_t strongest = 0;
  for (int py = 0; py < cell.cy; ++py) {
    for (int px = 0; px < cell.cx; ++px) strongest = std::max(strongest, canvas.At(px, py) >> 16);
  }
  EXPECT_EQ(strongest, 0xFFu) << "red lands in the third byte of a pixel";
  canvas.Draw(0, 0, u" ");
  EXPECT_EQ(canvas.At(1, 1), 0x000000FFu) << "the background fills the cell, blue in the low byte";
  SelectObject(canvas.dc, GetStockObject(WHITE_BRUSH));
  DeleteObject(font);
}

TEST_F(GdiTest, DrawingIsClippedToTheBitmapAndTheClipRectangle) {
  HFONT font = MakeFont("Verdana", 30);
  struct Case {
    int x, y;
    bool bottomUp;
  };
  const Case cases[] = {
      {-12, -12, false}, {30, 5, false}, {5, 30, false}, {34, 34, false}, {-12, 20, false},
      {30, 5, true},     {5, 30, true},  {-12, -12, true},
      {INT_MAX - 4, 5, false}, {INT_MIN, INT_MIN, false}, {5, INT_MAX, true},
  };
  for (const Case& c : cases) {
    Canvas canvas(40, 40, !c.bottomUp);
    SelectObject(canvas.dc, font);
    ASSERT_TRUE(canvas.Draw(c.x, c.y, u"W"));
    const SIZE cell = Extent(canvas.dc, u"W");
    // Nothing may appear outside the cell: a row or column that wrapped would.
    for (int py = 0; py < canvas.height; ++py) {
      for (int px = 0; px < canvas.width; ++px) {
        const long long cx = c.x, cy = c.y;
        const bool inCell = px >= cx && px < cx + cell.cx && py >= cy && py < cy + cell.cy;
        if (!inCell) {
          ASSERT_EQ(canvas.At(px, py), 0u) << c.x << "," << c.y << " at " << px << "," << py;
        }
      }
    }
  }

  // A partly visible glyph shows its visible part.
  {
    Canvas canvas(40, 40);
    SelectObject(canvas.dc, font);
    canvas.Draw(30, 5, u"W");
    EXPECT_TRUE(canvas.InkOf().Any());
  }

  // ETO_CLIPPED keeps the text inside the rectangle; ETO_OPAQUE fills the rectangle.
  Canvas canvas(40, 40);
  SelectObject(canvas.dc, font);
  canvas.FillAll(0x00010101);
  SetBkColor(canvas.dc, 0x000000);
  const RECT clip{0, 0, 9, 40};
  ASSERT_TRUE(canvas.Draw(0, 0, u"W", ETO_CLIPPED | ETO_OPAQUE, &clip));
  const Canvas::Ink ink = canvas.InkOf(0x00010101);
  EXPECT_TRUE(ink.Any());
  EXPECT_EQ(ink.left, 0);
  EXPECT_LE(ink.right, 9);
  EXPECT_EQ(canvas.At(8, 39), 0u) << "the opaque rectangle takes the background colour";
  DeleteObject(font);
}

TEST_F(GdiTest, BottomUpBitmapsKeepTheirFirstRowAtTheBottom) {
  Canvas canvas(32, 32, false);
  HFONT font = MakeFont("Verdana", 16);
  SelectObject(canvas.dc, font);
  ASSERT_TRUE(canvas.Draw(0, 0, u"T"));
  bool inkInLastMemoryRows = false;
  for (int i = 24 * 32; i < 32 * 32; ++i) inkInLastMemoryRows |= canvas.pixels[i] != 0;
  EXPECT_TRUE(inkInLastMemoryRows) << "the top of the cell is at the end of memory";
  bool inkInFirstMemoryRows = false;
  for (int i = 0; i < 8 * 32; ++i) inkInFirstMemoryRows |= canvas.pixels[i] != 0;
  EXPECT_FALSE(inkInFirstMemoryRows);
  DeleteObject(font);
}

TEST_F(GdiTest, BoldIsAtLeastAsWideAsRegular) {
  auto measure = [](HFONT font, long& inkSum) {
    Canvas canvas(64, 40);
    SelectObject(canvas.dc, font);
    const SIZE size = Extent(canvas.dc, u"W");
    canvas.Draw(2, 2, u"Wo");
    inkSum = canvas.InkOf().sum;
    return size.cx;
  };
  auto check = [&](const char* face, bool expectEmboldened) {
    HFONT regular = MakeFont(face, 24, 0, FW_MEDIUM);
    HFONT bold = MakeFont(face, 24, 0, FW_BOLD);
    ASSERT_NE(regular, nullptr);
    ASSERT_NE(bold, nullptr);
    EXPECT_EQ(TrueTypeFontOf(bold)->Emboldened(), expectEmboldened) << face;
    EXPECT_FALSE(TrueTypeFontOf(regular)->Emboldened()) << face;
    long regularInk = 0, boldInk = 0;
    EXPECT_GE(measure(bold, boldInk), measure(regular, regularInk)) << face;
    EXPECT_GT(boldInk, regularInk * 11 / 10) << face;
    DeleteObject(regular);
    DeleteObject(bold);
  };
  // The family's bold face from the system folders.
  check("Verdana", false);
  // Only a regular face registered: it is emboldened.
  HideSystemFonts();
  Register("DejaVuSans.ttf", "sans.ttf");
  check("DejaVu Sans", true);
  // With the bold face registered too, that one is taken.
  Register("DejaVuSans-Bold.ttf", "sans-bold.ttf");
  check("DejaVu Sans", false);
}

TEST_F(GdiTest, ObjectsDeletedWhileSelectedLiveUntilDeselected) {
  HDC dc = CreateCompatibleDC(nullptr);
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), 16, -16, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  ASSERT_NE(bitmap, nullptr);
  ASSERT_NE(bits, nullptr);
  HGDIOBJ original = SelectObject(dc, bitmap);
  EXPECT_NE(original, nullptr) << "a context starts with a bitmap of its own";
  HFONT font = MakeFont("Verdana", 12);
  SelectObject(dc, font);

  // Deleted while selected (as the glyph sheet's clean-up does): still drawable.
  EXPECT_TRUE(DeleteObject(bitmap));
  EXPECT_TRUE(DeleteObject(font));
  EXPECT_EQ(SelectObject(dc, bitmap), nullptr) << "a deleted object cannot be selected again";
  EXPECT_TRUE(ExtTextOutW(dc, 0, 0, ETO_OPAQUE, nullptr, u"x", 1, nullptr));
  const auto* pixels = static_cast<const std::uint32_t*>(bits);
  EXPECT_TRUE(std::any_of(pixels, pixels + 256, [](std::uint32_t p) { return p != 0; }));

  EXPECT_TRUE(DeleteDC(dc));
  EXPECT_FALSE(DeleteObject(bitmap)) << "freed with its context";
  EXPECT_FALSE(DeleteObject(font));
  EXPECT_FALSE(DeleteDC(dc));
  EXPECT_EQ(SetTextColor(dc, 0), CLR_INVALID);
  EXPECT_EQ(SetBkColor(dc, 0), CLR_INVALID);
  EXPECT_EQ(SetTextAlign(dc, 0), GDI_ERROR);
  EXPECT_EQ(SetMapMode(dc, MM_TEXT), 0);
  SIZE size;
  EXPECT_FALSE(GetTextExtentPoint32W(dc, u"x", 1, &size));
  EXPECT_FALSE(ExtTextOutW(dc, 0, 0, 0, nullptr, u"x", 1, nullptr));

  // Stock objects survive deletion.
  HGDIOBJ black = GetStockObject(BLACK_BRUSH);
  EXPECT_TRUE(DeleteObject(black));
  EXPECT_EQ(GetStockObject(BLACK_BRUSH), black);
  EXPECT_EQ(GetStockObject(12345), nullptr);

  // Without a font selected a context cannot measure or draw text.
  HDC bare = CreateCompatibleDC(nullptr);
  EXPECT_FALSE(GetTextExtentPoint32W(bare, u"x", 1, &size));
  EXPECT_FALSE(ExtTextOutW(bare, 0, 0, 0, nullptr, u"x", 1, nullptr));
  EXPECT_EQ(SetMapMode(bare, 8), 0) << "only MM_TEXT";
  EXPECT_EQ(SetMapMode(bare, MM_TEXT), MM_TEXT);
  EXPECT_EQ(SetTextColor(bare, 0xFFFFFF), 0u) << "black text at first";
  EXPECT_EQ(SetBkColor(bare, 0), 0xFFFFFFu) << "white background at first";
  DeleteDC(bare);
}

TEST_F(GdiTest, FillRectClearsRightAndBottomExclusiveInsideTheBitmap) {
  Canvas canvas(10, 10);
  canvas.FillAll(0x00FFFFFF);
  HBRUSH black = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  const RECT inside{2, 3, 5, 7};
  EXPECT_TRUE(FillRect(canvas.dc, &inside, black));
  const RECT overhanging{-5, 8, 100, 100};
  EXPECT_TRUE(FillRect(canvas.dc, &overhanging, black));
  for (int y = 0; y < 10; ++y) {
    for (int x = 0; x < 10; ++x) {
      const bool cleared = (x >= 2 && x < 5 && y >= 3 && y < 7) || y >= 8;
      EXPECT_EQ(canvas.At(x, y), cleared ? 0u : 0x00FFFFFFu) << x << "," << y;
    }
  }
  EXPECT_FALSE(FillRect(canvas.dc, nullptr, black));
  EXPECT_FALSE(FillRect(canvas.dc, &inside, nullptr));
}

TEST_F(GdiTest, OnlyPlain32BitBitmapsAreMade) {
  struct Case {
    LONG width, height;
    WORD bits;
    DWORD compression;
    bool section;
  };
  const Case refused[] = {
      {16, 16, 24, BI_RGB, false}, {16, 16, 32, 3, false}, {0, 16, 32, BI_RGB, false},
      {16, 0, 32, BI_RGB, false},  {-4, 16, 32, BI_RGB, false}, {16, 16, 32, BI_RGB, true},
      {100000, 100000, 32, BI_RGB, false}, {16, INT_MIN, 32, BI_RGB, false},
  };
  for (const Case& c : refused) {
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), c.width, c.height, 1, c.bits, c.compression, 0, 0, 0, 0, 0};
    void* bits = &info;
    int mapping = 0;
    EXPECT_EQ(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, c.section ? &mapping : nullptr, 0), nullptr)
        << c.width << "x" << c.height << " " << c.bits;
    EXPECT_EQ(bits, nullptr);
  }
  EXPECT_EQ(CreateDIBSection(nullptr, nullptr, DIB_RGB_COLORS, nullptr, nullptr, 0), nullptr);
}

}  // namespace
