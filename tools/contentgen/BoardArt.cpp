#include "tools/contentgen/BoardArt.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <functional>
#include <sstream>
#include <utility>
#include <vector>

#include "tools/contentgen/BitmapFontMaker.h"
#include "tools/contentgen/Canvas.h"
#include "tools/contentgen/SoundMaker.h"
#include "tools/contentgen/TextRaster.h"

namespace contentgen {

namespace {

constexpr float kPi = 3.14159265f;
// One board cell of the 800 x 600 play area.
constexpr int kCell = 45;
// The wall is drawn on the tiled cells along the board's edge, over their floor and under
// their blocks: its pieces lie in the outer kFrameMargin pixels of such a cell, and blocks
// and floor tiles keep kBlockInset pixels from every edge of their cell, so that the frame
// never covers a block. The pixel between them keeps the two apart where the board's
// cells, which start on half pixels, are drawn filtered.
constexpr int kFrameMargin = 3;
constexpr float kBlockInset = kFrameMargin + 1.0f;

// The colour of flower colour index i: a goal or a piece of clothing that names "blue"
// means the flower drawn blue.
Color FlowerColour(int i) { return Rgb(FlowerColourNamed(i).rgb); }

// Where the pictures of one packed sheet go: a skyline of the filled height of every
// column, each picture placed where it lies lowest (the leftmost such place).
class SheetPacker {
 public:
  explicit SheetPacker(int width) : skyline_(size_t(width), 0) {}

  // The top-left corner for a box of w x h pixels; false when it is wider than the sheet.
  bool Place(int w, int h, int& x, int& y) {
    const int width = int(skyline_.size());
    if (w > width) return false;
    int bestX = -1;
    int bestY = 0;
    for (int at = 0; at + w <= width; ++at) {
      const int top = *std::max_element(skyline_.begin() + at, skyline_.begin() + at + w);
      if (bestX < 0 || top < bestY) {
        bestX = at;
        bestY = top;
      }
    }
    std::fill(skyline_.begin() + bestX, skyline_.begin() + bestX + w, bestY + h);
    x = bestX;
    y = bestY;
    return true;
  }

  int Height() const { return *std::max_element(skyline_.begin(), skyline_.end()); }

 private:
  std::vector<int> skyline_;
};

// The smallest power of two at least n.
int PowerOfTwo(int n) {
  int p = 1;
  while (p < n) p *= 2;
  return p;
}

// A sprite picture and its entry in the sprite sheet. Pictures added between StartPacking
// and FinishPacking go into one image of their own instead of a file each, so that the
// board draws all of them from one texture.
struct Sheet {
  explicit Sheet(std::string folder) : outDir(std::move(folder)) {}

  std::string outDir;
  std::vector<std::string> entries;
  bool ok = true;

  // A picture that `repeats` is drawn in parts that continue across its edges (the turned
  // floor picture, eighth by eighth, every eight cells): it is framed in the packed sheet
  // by its opposite edges. Any other picture is framed by copies of its own edges.
  void Add(const std::string& name, const Canvas& canvas, int frames = 1, int frameTime = 10,
           bool repeats = false) {
    if (packing_ && frames == 1) {
      packed_.push_back({name, canvas, entries.size(), repeats});
      entries.emplace_back();  // written by FinishPacking, in its place
      return;
    }
    const std::string file = "img/" + name + ".png";
    ok = canvas.SavePng(outDir + "/" + file) && ok;
    char line[256];
    std::snprintf(line, sizeof line,
                  "   { Name = \"%s\", ImageFile = \"%s\", SpriteC = %d, FrameTime = %d },\n",
                  name.c_str(), file.c_str(), frames, frameTime);
    entries.push_back(line);
  }

  void StartPacking(const std::string& file) {
    packing_ = true;
    packedFile_ = file;
    packed_.clear();
  }

  // Lays the pictures added since StartPacking out in one image (tallest first) and writes
  // it with their entries. Each picture is framed by a one-pixel border, so that filtered
  // samples at its edge never blend with a neighbour in the sheet. The board's cells start
  // on half pixels, so a pixel whose centre lies on a cell's edge samples half the border:
  // a border of the picture's own edges leaves that pixel as the edge is, where one of
  // its far side would draw a line of the far side there (a wall piece's band on the
  // cell's other edge). Only a repeating picture continues into its far side. An entry
  // takes its picture's rectangle through the frame borders (its top-left corner) and the
  // clips (what lies right of and below its rectangle once the border is taken off both
  // sides): the frame rectangle of a one-frame strip.
  void FinishPacking() {
    packing_ = false;
    std::vector<size_t> order(packed_.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(), [this](size_t a, size_t b) {
      return packed_[a].picture.Height() > packed_[b].picture.Height();
    });
    SheetPacker packer(kPackedWidth);
    std::vector<std::pair<int, int>> corners(packed_.size());
    for (size_t i : order) {
      const Canvas& picture = packed_[i].picture;
      if (!packer.Place(picture.Width() + 2, picture.Height() + 2, corners[i].first, corners[i].second)) {
        ok = false;
        return;
      }
    }
    const int width = kPackedWidth;
    const int height = PowerOfTwo(packer.Height());
    Canvas image(width, height);
    for (size_t i = 0; i < packed_.size(); ++i) {
      const Canvas& picture = packed_[i].picture;
      const int w = picture.Width();
      const int h = picture.Height();
      Canvas framed(w + 2, h + 2);
      if (packed_[i].repeats) {
        for (int dy = -1; dy <= 1; ++dy) {
          for (int dx = -1; dx <= 1; ++dx) framed.Paste(picture, 1 + dx * w, 1 + dy * h);
        }
      } else {
        framed.FillRect(0, 0, w + 2, h + 2, [&picture, w, h](float x, float y) {
          return picture.At(std::clamp(int(x) - 1, 0, w - 1), std::clamp(int(y) - 1, 0, h - 1));
        });
      }
      image.Paste(framed, corners[i].first, corners[i].second);
      const int left = corners[i].first + 1;
      const int top = corners[i].second + 1;
      char line[320];
      std::snprintf(line, sizeof line,
                    "   { Name = \"%s\", ImageFile = \"%s\", SpriteC = 1, FrameBorderX = %d, "
                    "FrameBorderY = %d, ClipX = %d, ClipY = %d },\n",
                    packed_[i].name.c_str(), packedFile_.c_str(), left, top, width - 2 * left - w,
                    height - 2 * top - h);
      entries[packed_[i].entry] = line;
    }
    ok = image.SavePng(outDir + "/" + packedFile_) && ok;
    packed_.clear();
  }

 private:
  // Wide enough for the turned-tile picture and a dozen cells beside it.
  static constexpr int kPackedWidth = 1024;

  struct Packed {
    std::string name;
    Canvas picture;
    size_t entry;  // its line in entries
    bool repeats;
  };
  bool packing_ = false;
  std::string packedFile_;
  std::vector<Packed> packed_;
};

// A rounded tile inside the frame margin: a rim round a lit face.
Canvas Tile(const Color& base, const Color& rim) {
  constexpr float kRim = kBlockInset;
  constexpr float kFace = kBlockInset + 2.5f;
  Canvas c(kCell, kCell);
  c.FillRoundedRect(kRim, kRim, kCell - kRim, kCell - kRim, 6.0f, Solid(rim));
  c.FillRoundedRect(kFace, kFace, kCell - kFace, kCell - kFace, 4.0f,
                    VerticalGradient(kFace, kCell - kFace, Mix(base, Rgb(0xFFFFFF), 0.3f), base));
  return c;
}

// Five petals round a golden heart; a halo when selected. The petals' tips and the halo
// reach kReach from the middle, inside the block inset.
Canvas Flower(const Color& colour, bool selected) {
  constexpr float kReach = kCell * 0.5f - kBlockInset;
  constexpr float k = kReach / 20.0f;  // the petals below are drawn for a reach of 20
  Canvas c(kCell, kCell);
  const float m = kCell * 0.5f;
  if (selected) c.FillCircle(m, m, kReach, Solid(WithAlpha(Rgb(0xFFFFFF), 0.55f)));
  for (int p = 0; p < 5; ++p) {
    const float a = float(p) * 2.0f * kPi / 5.0f - kPi / 2.0f;
    const float cx = m + std::cos(a) * 10.0f * k;
    const float cy = m + std::sin(a) * 10.0f * k;
    c.FillEllipse(cx, cy, 10.0f * k, 6.5f * k, a, Solid(Mix(colour, Rgb(0x000000), 0.25f)));
    c.FillEllipse(cx, cy, 8.5f * k, 5.0f * k, a, Solid(colour));
  }
  c.FillCircle(m, m, 5.5f * k, Solid(Rgb(0xF6C85F)));
  return c;
}

Canvas Glyph(const std::function<void(Canvas&)>& draw) {
  Canvas c(kCell, kCell);
  draw(c);
  return c;
}

void MakeBlocks(Sheet& sheet) {
  char name[64];
  for (int i = 0; i < 24; ++i) {
    std::snprintf(name, sizeof name, "flowers_tiles_%03d", i + 1);
    sheet.Add(name, Flower(FlowerColour(i), false));
    std::snprintf(name, sizeof name, "flower_over_%03d", i + 1);
    sheet.Add(name, Flower(FlowerColour(i), true));
  }
  for (int grade = 1; grade <= 2; ++grade) {
    for (bool over : {false, true}) {
      std::snprintf(name, sizeof name, over ? "multiply_over_%03d" : "multiply_tiles_%03d", grade);
      sheet.Add(name, Glyph([&](Canvas& c) {
        c.FillCircle(32, 13, 8.0f, Solid(over ? Rgb(0xFFFFFF) : Rgb(0xF6C85F)));
        Line(c, 28, 9, 36, 17, 2.0f, Rgb(0x5E2466));
        Line(c, 36, 9, 28, 17, 2.0f, Rgb(0x5E2466));
        for (int d = 0; d <= grade; ++d) c.FillCircle(9.0f + 6.0f * d, 36, 2.5f, Solid(Rgb(0xF6C85F)));
      }));
    }
  }
  const struct {
    const char* off;
    const char* on;
    uint32_t base;
    uint32_t rim;
  } plain[] = {
      {"gold_tiles_001", "gold_over_001", 0xF6C85F, 0x9A6B12},
      {"zen_off_001", "zen_over_001", 0x3FB8AF, 0x1D5F5A},
      {"tileblast_tiles", "tileblast_over", 0xE0603A, 0x7A2712},
      {"timeblock_tiles", "timeblock_over", 0x7B5CD6, 0x3A2778},
  };
  for (const auto& p : plain) {
    sheet.Add(p.off, Tile(Rgb(p.base), Rgb(p.rim)));
    sheet.Add(p.on, Tile(Mix(Rgb(p.base), Rgb(0xFFFFFF), 0.45f), Rgb(0xFFFFFF)));
  }
  sheet.Add("stone_block", Tile(Rgb(0x8C8C8C), Rgb(0x4A4A4A)));
  const struct {
    const char* name;
    std::vector<std::pair<float, float>> directions;
  } cuts[] = {
      {"cuth", {{1, 0}}},
      {"cutv", {{0, 1}}},
      {"cutslash", {{1, -1}}},
      {"cutbackslash", {{1, 1}}},
      {"cutx", {{1, 1}, {1, -1}}},
      {"cutplus", {{1, 0}, {0, 1}}},
      {"cutstar", {{1, 0}, {0, 1}, {1, 1}, {1, -1}}},
  };
  for (const auto& cut : cuts) {
    for (bool over : {false, true}) {
      Canvas c = Tile(over ? Rgb(0xF3C4E0) : Rgb(0xE76FA8), Rgb(0x5E2466));
      for (const auto& [dx, dy] : cut.directions) {
        const float s = 15.0f / std::sqrt(dx * dx + dy * dy);
        Line(c, 22.5f - dx * s, 22.5f - dy * s, 22.5f + dx * s, 22.5f + dy * s, 3.0f, Rgb(0xFFFFFF));
      }
      sheet.Add(std::string(cut.name) + (over ? "_over" : ""), c);
    }
  }
  sheet.Add("tile_frozen", Glyph([](Canvas& c) {
    c.FillRoundedRect(kBlockInset, kBlockInset, kCell - kBlockInset, kCell - kBlockInset, 6,
                      Solid(WithAlpha(Rgb(0xBDEBFF), 0.55f)));
    Line(c, 9, 13, 20, 8, 2.0f, WithAlpha(Rgb(0xFFFFFF), 0.9f));
  }));
  sheet.Add("tile_locked", Glyph([](Canvas& c) {
    constexpr float kEnd = kBlockInset + 2.5f;
    Line(c, kEnd, kEnd, kCell - kEnd, kCell - kEnd, 4.0f, Rgb(0x6B4A2B));
    Line(c, kCell - kEnd, kEnd, kEnd, kCell - kEnd, 4.0f, Rgb(0x6B4A2B));
  }));
}

void MakeFloor(Sheet& sheet) {
  // The turned-tile picture spans eight cells each way; each cell shows one eighth. Its
  // waves run two whole periods across it each way, so that it repeats without a step.
  Canvas turned(kCell * 8, kCell * 8);
  const float waves = 2.0f * 2.0f * kPi / float(turned.Width());
  turned.FillRect(0, 0, turned.Width(), turned.Height(), [waves](float x, float y) {
    const float wave = 0.5f + 0.5f * std::sin(x * waves) * std::cos(y * waves);
    return Mix(Rgb(0xF6EFE4), Rgb(0xF3C4E0), wave);
  });
  sheet.Add("bg_tile_001", turned, 1, 10, true);
  const uint32_t shades[3] = {0x8A3F8F, 0x5E2466, 0x2A0F3A};
  for (int v = 2; v <= 4; ++v) {
    char name[32];
    std::snprintf(name, sizeof name, "bg_tile_%03d", v);
    sheet.Add(name, Tile(Rgb(shades[v - 2]), Mix(Rgb(shades[v - 2]), Rgb(0x000000), 0.4f)));
  }
}

// The wall's pieces: a gilded band in the outer margin of a tiled cell along each side that
// borders the wall, dark on its outer edge and light on its inner one; an edge piece (a
// wall only at a diagonal) is the band's corner alone, where the bands of the two
// neighbouring cells turn.
void MakeWall(Sheet& sheet) {
  const struct {
    const char* name;
    bool l, r, t, b;          // bands along these sides
    bool cornerL, cornerT;    // an edge piece's corner: left (else right), top (else bottom)
  } pieces[] = {
      {"l", true, false, false, false, false, false},  {"r", false, true, false, false, false, false},
      {"t", false, false, true, false, false, false},  {"b", false, false, false, true, false, false},
      {"corner_tl", true, false, true, false, false, false}, {"corner_tr", false, true, true, false, false, false},
      {"corner_bl", true, false, false, true, false, false}, {"corner_br", false, true, false, true, false, false},
      {"u_l", true, false, true, true, false, false},  {"u_r", false, true, true, true, false, false},
      {"u_t", true, true, true, false, false, false},  {"u_b", true, true, false, true, false, false},
      {"edge_tl", false, false, false, false, true, true}, {"edge_tr", false, false, false, false, false, true},
      {"edge_bl", false, false, false, false, true, false}, {"edge_br", false, false, false, false, false, false},
      {"closed", true, true, true, true, false, false},
  };
  const Color outer = Rgb(0x4A2A1A);
  const Color band = Rgb(0xC8923A);
  const Color inner = Rgb(0xF8E2A8);
  for (const auto& p : pieces) {
    const bool edge = std::string(p.name).rfind("edge_", 0) == 0;
    Canvas c(kCell, kCell);
    c.FillRect(0, 0, kCell, kCell, [&](float x, float y) {
      // Depth into the band from the wall's side: the least over the sides drawn, and at an
      // edge piece's corner the greater of its two sides' depths.
      const float fromL = x, fromR = kCell - x, fromT = y, fromB = kCell - y;
      float depth = kCell;
      if (p.l) depth = std::min(depth, fromL);
      if (p.r) depth = std::min(depth, fromR);
      if (p.t) depth = std::min(depth, fromT);
      if (p.b) depth = std::min(depth, fromB);
      if (edge) depth = std::min(depth, std::max(p.cornerL ? fromL : fromR, p.cornerT ? fromT : fromB));
      if (depth >= kFrameMargin) return Color{0, 0, 0, 0};
      if (depth < 1.0f) return outer;
      return Mix(band, inner, std::clamp((depth - 1.0f) / (kFrameMargin - 1.0f), 0.0f, 1.0f));
    });
    sheet.Add(std::string("wall_") + p.name, c);
  }
}

void MakeMarksAndSparks(Sheet& sheet) {
  const Color mark = Rgb(0xFFFFFF);
  for (int turn = 0; turn < 8; ++turn) {
    sheet.Add("arrow_" + std::to_string(turn * 45), Glyph([&](Canvas& c) {
      // In from the left, out at the turn's angle.
      const float a = float(turn) * kPi / 4.0f;
      Line(c, 8, 22.5f, 22.5f, 22.5f, 4.0f, mark);
      Line(c, 22.5f, 22.5f, 22.5f + std::cos(a) * 14.0f, 22.5f + std::sin(a) * 14.0f, 4.0f, mark);
    }));
  }
  sheet.Add("arrow_start", Glyph([&](Canvas& c) { c.FillCircle(22.5f, 22.5f, 7.0f, Solid(mark)); }));
  sheet.Add("arrowhead", Glyph([&](Canvas& c) {
    c.FillShape(0, 0, kCell, kCell,
                [](float x, float y) { return y > 10 && y < 30 && std::fabs(x - 22.5f) < (30 - y) * 0.6f; },
                Solid(mark));
  }));
  Canvas star(16, 16);
  star.FillShape(0, 0, 16, 16,
                 [](float x, float y) {
                   const float dx = std::fabs(x - 8.0f);
                   const float dy = std::fabs(y - 8.0f);
                   return dx * dy < 4.0f && dx + dy < 8.0f;
                 },
                 Solid(Rgb(0xFFFFFF)));
  sheet.Add("starparts", star);
  // Four frames of a growing, fading ring.
  Canvas sparkle(32 * 4, 32);
  for (int f = 0; f < 4; ++f) {
    const float r = 5.0f + 3.0f * f;
    sparkle.FillShape(32 * f, 0, 32 * f + 32, 32,
                      [=](float x, float y) {
                        const float d = std::hypot(x - (32 * f + 16.0f), y - 16.0f);
                        return d < r && d > r - 2.5f;
                      },
                      Solid(WithAlpha(Rgb(0xFFF2C0), 1.0f - 0.2f * f)));
  }
  sheet.Add("overlay_sparkle", sparkle, 4, 12);
  Canvas bolt(24, 96);
  for (int k = 0; k < 6; ++k) {
    Line(bolt, 12.0f + (k % 2 ? 6.0f : -6.0f), 16.0f * k, 12.0f + (k % 2 ? -6.0f : 6.0f), 16.0f * (k + 1),
         3.0f, Rgb(0xD8F4FF));
  }
  sheet.Add("lightning_sfx", bolt);
  for (int i = 1; i <= 6; ++i) {
    Canvas zen(24, 96);
    for (int k = 0; k < 6; ++k) {
      const float swing = float((k + i) % 3) * 4.0f - 4.0f;
      Line(zen, 12.0f + swing, 16.0f * k, 12.0f - swing, 16.0f * (k + 1), 2.5f, Rgb(0x7FFFE0));
    }
    sheet.Add("zen_lightning_" + std::to_string(i), zen);
  }
  Canvas shard(20, 20);
  shard.FillShape(0, 0, 20, 20, [](float x, float y) { return std::fabs(x - 10) + std::fabs(y - 10) * 2 < 9; },
                  Solid(Rgb(0xE0603A)));
  sheet.Add("tileblast_shrapnel", shard);
}

// The columns of a mask that hold coverage: [first, last], or first > last when none do.
std::pair<int, int> InkColumns(const Mask& mask) {
  int first = mask.width, last = -1;
  for (int y = 0; y < mask.height; ++y) {
    for (int x = 0; x < mask.width; ++x) {
      if (mask.At(x, y) <= 0.0f) continue;
      first = std::min(first, x);
      last = std::max(last, x);
    }
  }
  return {first, last};
}

// A strip of the 13 glyphs of a number style (digits, separator, colon, minus) and the
// style file that reads it. The number style draws every glyph one glyph width wide (the
// separator and the colon 0.3 of it) and stretches its part of the strip over that: each
// digit's part is therefore one digit advance wide and holds the digit where the bitmap
// font of the same face, size and outline puts it, so that a number reads with the
// spacing of a text in that font; the narrow glyphs and the minus are centred in theirs.
bool MakeNumberStyle(const FontFiles& fonts, const std::string& outDir, const std::string& name,
                     const Color& colour, int pixelSize, int outline) {
  TextRaster raster;
  if (!raster.Open(fonts.bold, pixelSize)) return false;
  const char32_t glyphs[13] = {U'0', U'1', U'2', U'3', U'4', U'5', U'6', U'7', U'8', U'9', U',', U':', U'-'};
  LaidGlyph laid[13];
  int digit = 0;
  for (int g = 0; g < 13; ++g) {
    laid[g] = LayFontGlyph(raster, glyphs[g], outline);
    if (g < 10) digit = std::max(digit, laid[g].advance);
  }
  const int narrow = std::max(1, static_cast<int>(std::lround(0.3f * float(digit))));
  const int height = raster.Ascent() + raster.Descent() + 2 * outline;
  int boundaries[14] = {0};
  for (int g = 0; g < 13; ++g) boundaries[g + 1] = boundaries[g] + (g == 10 || g == 11 ? narrow : digit);
  Canvas strip(boundaries[13], height);
  for (int g = 0; g < 13; ++g) {
    const Mask& cell = laid[g].cell;
    int x = boundaries[g];
    if (g >= 10) {
      const auto [first, last] = InkColumns(cell);
      if (first > last) continue;
      x += (boundaries[g + 1] - boundaries[g] - (last - first + 1)) / 2 - first;
    }
    strip.FillMask(cell.Dilated(outline), x, 0, Solid(Rgb(0x2A0F3A)));
    strip.FillMask(cell, x, 0, Solid(colour));
  }
  const std::string image = "img/" + name + "_digits.png";
  if (!strip.SavePng(outDir + "/" + image)) return false;
  std::ofstream style(outDir + "/img/" + name + "_number.lua");
  style << "-- Digits, separator, colon and minus from one strip: DejaVu Sans Bold, " << pixelSize
        << " pixels, a " << outline << "-pixel outline, drawn at one texel a pixel.\n"
        << "Number = { Image = \"" << image << "\", Size = { " << float(digit) / 800.0f << ", "
        << float(height) / 600.0f << " },\n  Coords = { ";
  for (int g = 0; g <= 13; ++g) {
    style << float(boundaries[g]) / float(boundaries[13]) << (g < 13 ? ", " : " }\n}\n");
  }
  return static_cast<bool>(style);
}

// The goal icons beside the board, 32 x 32: a clock face (time), a tile (tiles to turn),
// an emptied board with its last flower leaving it (clear the board), three linked dots
// (big chains).
bool MakeGoalIcons(const std::string& outDir) {
  const Color plum = Rgb(0x2A0F3A), cream = Rgb(0xFFF4E0), lilac = Rgb(0xC89BE0), orange = Rgb(0xE0603A);
  Canvas time(32, 32);
  time.FillCircle(16.0f, 16.0f, 14.0f, Solid(plum));
  time.FillCircle(16.0f, 16.0f, 12.0f, Solid(cream));
  time.FillRect(15, 6, 17, 17, Solid(plum));
  time.FillRect(15, 15, 24, 17, Solid(plum));
  Canvas tile(32, 32);
  tile.FillRect(3, 3, 29, 29, Solid(plum));
  tile.FillRect(5, 5, 27, 27, Solid(lilac));
  tile.FillRect(9, 9, 23, 23, Solid(Rgb(0xF6C85F)));
  // The board: a framed floor of three by three empty cells; its last flower flies off
  // its top-right corner, two streaks behind it.
  Canvas clear(32, 32);
  clear.FillRoundedRect(2, 9, 25, 31, 3.0f, Solid(plum));
  clear.FillRoundedRect(4, 11, 23, 29, 2.0f, Solid(cream));
  for (const int line : {10, 16}) clear.FillRect(line, 11, line + 1, 29, Solid(lilac));
  for (const int line : {17, 23}) clear.FillRect(4, line, 23, line + 1, Solid(lilac));
  Line(clear, 13.0f, 15.0f, 18.0f, 10.0f, 2.0f, WithAlpha(orange, 0.8f));
  Line(clear, 16.5f, 19.5f, 21.5f, 14.5f, 2.0f, WithAlpha(orange, 0.8f));
  clear.FillCircle(24.5f, 7.5f, 6.5f, Solid(plum));
  clear.FillCircle(24.5f, 7.5f, 5.0f, Solid(orange));
  clear.FillCircle(24.5f, 7.5f, 2.0f, Solid(Rgb(0xF6C85F)));
  Canvas chain(32, 32);
  chain.FillRect(6, 14, 26, 18, Solid(plum));
  for (float x : {7.0f, 16.0f, 25.0f}) {
    chain.FillCircle(x, 16.0f, 6.0f, Solid(plum));
    chain.FillCircle(x, 16.0f, 4.5f, Solid(orange));
  }
  return time.SavePng(outDir + "/img/goal_time.png") && tile.SavePng(outDir + "/img/goal_tiles.png") &&
         clear.SavePng(outDir + "/img/goal_clear.png") && chain.SavePng(outDir + "/img/goal_bigset.png");
}

bool MakeRings(const std::string& outDir) {
  const struct {
    const char* file;
    uint32_t colour;
  } rings[] = {{"effects/explosion_yellow.png", 0xF6C85F}, {"effects/explosion_red.png", 0xE0603A},
               {"effects/explosion_green.png", 0x7CC46A},  {"effects/explosion_blue.png", 0x5A8CE0},
               {"effects/explosion_white.png", 0xFFFFFF}};
  for (const auto& ring : rings) {
    Canvas c(64, 64);
    c.FillRect(0, 0, 64, 64, [&](float x, float y) {
      const float d = std::hypot(x - 32.0f, y - 32.0f) / 31.0f;
      const float glow = d > 1.0f ? 0.0f : std::exp(-18.0f * (d - 0.8f) * (d - 0.8f));
      return WithAlpha(Rgb(ring.colour), glow);
    });
    if (!c.SavePng(outDir + "/" + ring.file)) return false;
  }
  return true;
}

// A short tone: a pitch gliding by glide (a factor), with an attack and a decay, and a
// touch of a fifth above.
Samples Tone(float pitch, float glide, float seconds, float level) {
  Samples out(size_t(seconds * kSampleRate));
  float phase = 0.0f;
  for (size_t i = 0; i < out.size(); ++i) {
    const float t = float(i) / float(out.size());
    const float f = pitch * std::pow(glide, t);
    phase += f / kSampleRate;
    const float envelope = std::min(1.0f, t * 40.0f) * std::pow(1.0f - t, 2.0f);
    out[i] = level * envelope *
             (0.7f * std::sin(2.0f * kPi * phase) + 0.3f * std::sin(3.0f * kPi * phase));
  }
  return out;
}

}  // namespace

bool MakeBoardArt(const FontFiles& fonts, const std::string& outDir) {
  Sheet sheet(outDir);
  // The pictures the board draws one after another (its floor tiles, its wall, its blocks
  // and what lies over them) share one image, so that each of those layers is one run of
  // one texture.
  sheet.StartPacking("img/board.png");
  MakeBlocks(sheet);
  MakeFloor(sheet);
  MakeWall(sheet);
  sheet.FinishPacking();
  MakeMarksAndSparks(sheet);
  if (!sheet.ok) return false;
  std::ofstream file(outDir + "/img/sprites.lua");
  file << "-- The board's sprites: blocks, floor tiles, wall pieces, chain marks and sparks.\n"
       << "Sprites =\n{\n";
  for (const std::string& entry : sheet.entries) file << entry;
  file << "}\n";
  if (!file) return false;
  // The chain counter's digits ("score") are those of the score above it (MediumFont).
  return MakeNumberStyle(fonts, outDir, "coin", Rgb(0xF6C85F), 13, 1) &&
         MakeNumberStyle(fonts, outDir, "zen", Rgb(0x7FFFE0), 13, 1) &&
         MakeNumberStyle(fonts, outDir, "timer", Rgb(0xFFFFFF), 32, 2) &&
         MakeNumberStyle(fonts, outDir, "score", Rgb(0xFFE9A8), 22, 1) && MakeRings(outDir) &&
         MakeGoalIcons(outDir);
}

std::vector<BoardSound> BoardSounds() {
  std::vector<BoardSound> sounds;
  for (int grade = 1; grade <= 15; ++grade) {
    sounds.push_back({"token_select_" + std::to_string(grade),
                      Tone(440.0f * std::pow(2.0f, float(grade - 1) / 12.0f), 1.0f, 0.09f, 0.4f)});
  }
  for (int grade = 1; grade <= 5; ++grade) {
    sounds.push_back({"token_clear_" + std::to_string(grade),
                      Tone(520.0f + 90.0f * grade, 1.5f, 0.25f + 0.05f * grade, 0.5f)});
  }
  const struct {
    const char* name;
    float pitch, glide, seconds;
  } effects[] = {
      {"token_jingle", 1320, 1.2f, 0.3f},  {"token_lock_1", 1800, 0.7f, 0.15f},
      {"token_lock_2", 900, 0.7f, 0.2f},   {"token_zen", 660, 2.0f, 0.35f},
      {"token_slicer", 2400, 0.4f, 0.18f}, {"token_tileblast", 180, 0.5f, 0.4f},
      {"token_double", 880, 1.5f, 0.2f},   {"token_triple", 990, 1.8f, 0.25f},
      {"token_timer", 1200, 1.0f, 0.3f},   {"token_unselect", 500, 0.8f, 0.08f},
      {"tile_turned", 740, 1.3f, 0.15f},   {"zenpower_flowerblast", 600, 1.6f, 0.3f},
      {"zen_full", 784, 2.0f, 0.6f},       {"well_enter", 300, 2.0f, 0.5f},
      {"well_leave", 600, 0.5f, 0.5f},     {"time_warning", 1000, 1.0f, 0.25f},
      {"zenpower_charge", 220, 1.1f, 1.5f},
  };
  for (const auto& e : effects) sounds.push_back({e.name, Tone(e.pitch, e.glide, e.seconds, 0.45f)});
  return sounds;
}

bool AppendToBoardSheet(const std::string& outDir, const std::string& entries) {
  const std::string sheetPath = outDir + "/img/sprites.lua";
  std::ifstream in(sheetPath);
  std::stringstream text;
  text << in.rdbuf();
  std::string sheet = text.str();
  const size_t close = sheet.rfind('}');
  if (!in || close == std::string::npos) return false;
  sheet.insert(close, entries);
  std::ofstream out(sheetPath, std::ios::trunc);
  out << sheet;
  return static_cast<bool>(out);
}

const FlowerColourName& FlowerColourNamed(int index) {
  // The names of the board's colour table, in its order; the last six are its generic
  // colours.
  static const FlowerColourName kNamed[kFlowerColourCount] = {
      {"blue", 0x3A6FE8},   {"green", 0x3CB043},  {"red", 0xE03A3A},    {"yellow", 0xF2D43A},
      {"purple", 0x9A48D0}, {"black", 0x3A3A46},  {"turqoise", 0x2EC4B0}, {"orange", 0xF28C28},
      {"pink", 0xF47FB8},   {"violet", 0xB87CF0}, {"cyan", 0x38D8F0},   {"white", 0xF4F4F4},
      {"aqua", 0x78E6D8},   {"beige", 0xE0C8A0},  {"coral", 0xF07860},  {"indigo", 0x4B3CA8},
      {"ivory", 0xF8F0D8},  {"lime", 0xA8E040},   {"generic1", 0x8B5A2B}, {"generic2", 0x808020},
      {"generic3", 0x208080}, {"generic4", 0x802040}, {"generic5", 0x203080}, {"generic6", 0x909090}};
  return kNamed[std::clamp(index, 0, kFlowerColourCount - 1)];
}

}  // namespace contentgen
