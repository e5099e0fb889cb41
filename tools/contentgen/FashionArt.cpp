#include "tools/contentgen/FashionArt.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <utility>
#include <vector>

#include "tools/contentgen/BoardArt.h"
#include "tools/contentgen/Canvas.h"

namespace contentgen {

namespace {

constexpr int kFrame = 240;
constexpr float kPi = 3.14159265f;

using Points = std::vector<std::pair<float, float>>;
// Draws one frame of a piece; `phase` runs from 0 to 1 over a strip's frames.
using Drawing = std::function<void(Canvas&, float phase)>;

const Color kSkin = Rgb(0xF3D2B8);
const Color kSkinShade = Rgb(0xDDB094);
const Color kOutline = Rgb(0x5A3A3A);

void Polygon(Canvas& c, const Points& points, const Paint& paint) {
  Points pixels;
  for (const auto& [x, y] : points) pixels.emplace_back(x * float(c.Scale()), y * float(c.Scale()));
  c.FillMask(PolygonMask(c.Width(), c.Height(), pixels), 0, 0, paint);
}

// Draws the frames of a piece, each 240 x 240 units of scale x scale pixels.
std::vector<Canvas> DrawFrames(int frames, const Drawing& draw, int scale = 1) {
  std::vector<Canvas> drawn;
  for (int f = 0; f < frames; ++f) {
    draw(drawn.emplace_back(Canvas::Scaled(kFrame, kFrame, scale)), static_cast<float>(f) / static_cast<float>(frames));
  }
  return drawn;
}

// The frames side by side, each cut to the rectangle of w x h pixels at (x, y).
Canvas Strip(const std::vector<Canvas>& frames, int x, int y, int w, int h) {
  Canvas strip(w * static_cast<int>(frames.size()), h);
  for (size_t f = 0; f < frames.size(); ++f) {
    Canvas cut(w, h);
    cut.Paste(frames[f], -x, -y);
    strip.Paste(cut, static_cast<int>(f) * w, 0);
  }
  return strip;
}

bool SaveStrip(const std::string& path, int frames, const Drawing& draw) {
  return Strip(DrawFrames(frames, draw), 0, 0, kFrame, kFrame).SavePng(path);
}

// A clothing piece: its strip of whole frames, which keeps the piece where it lies on the
// figure (every part of the heroine sits at her corner), and the shop's picture of it,
// "shop_<name>": the piece drawn twice as large, each frame cut to the box round what any
// of them shows, with a little room. The fashion popup shrinks a picture to fit its box
// but never enlarges one, so the piece is drawn larger than a box; fitted, it fills it.
bool SavePiece(const std::string& dir, const std::string& name, int frames, const Drawing& draw) {
  constexpr int kShopScale = 2;
  constexpr int kRoom = 2 * kShopScale;
  const std::vector<Canvas> large = DrawFrames(frames, draw, kShopScale);
  const int side = kFrame * kShopScale;
  int left = side, top = side, right = -1, bottom = -1;
  for (const Canvas& frame : large) {
    for (int y = 0; y < side; ++y) {
      for (int x = 0; x < side; ++x) {
        if (frame.At(x, y).a <= 0.0f) continue;
        left = std::min(left, x);
        top = std::min(top, y);
        right = std::max(right, x);
        bottom = std::max(bottom, y);
      }
    }
  }
  if (right < left) return false;
  left = std::max(0, left - kRoom);
  top = std::max(0, top - kRoom);
  right = std::min(side - 1, right + kRoom);
  bottom = std::min(side - 1, bottom + kRoom);
  return Strip(DrawFrames(frames, draw), 0, 0, kFrame, kFrame).SavePng(dir + name + ".png") &&
         Strip(large, left, top, right - left + 1, bottom - top + 1).SavePng(dir + "shop_" + name + ".png");
}

// --- The figure: head about (120, 44), shoulders at 76, waist at 132, hem of a short
// skirt at 180, feet at 232. ---

void DrawBody(Canvas& c, float) {
  // Legs and feet.
  c.FillRoundedRect(104, 150, 116, 228, 5, Solid(kSkin));
  c.FillRoundedRect(124, 150, 136, 228, 5, Solid(kSkin));
  c.FillEllipse(108, 230, 10, 5, 0, Solid(Rgb(0x7A4A5A)));
  c.FillEllipse(132, 230, 10, 5, 0, Solid(Rgb(0x7A4A5A)));
  // Arms.
  Polygon(c, {{92, 80}, {100, 82}, {92, 140}, {84, 138}}, Solid(kSkinShade));
  Polygon(c, {{148, 80}, {140, 82}, {148, 140}, {156, 138}}, Solid(kSkinShade));
  c.FillCircle(88, 142, 6, Solid(kSkin));
  c.FillCircle(152, 142, 6, Solid(kSkin));
  // Torso, neck and head.
  Polygon(c, {{98, 78}, {142, 78}, {136, 150}, {104, 150}}, Solid(kSkin));
  c.FillRect(114, 60, 126, 80, Solid(kSkinShade));
  c.FillEllipse(120, 44, 24, 28, 0, Solid(kSkin));
}

// Eyes that blink on the last of six frames, a smile and rosy cheeks.
void DrawFace(Canvas& c, float phase) {
  const bool closed = phase > 0.8f;
  for (float x : {110.0f, 130.0f}) {
    if (closed) {
      c.FillRect(static_cast<int>(x) - 5, 45, static_cast<int>(x) + 5, 47, Solid(kOutline));
    } else {
      c.FillEllipse(x, 45, 4.5f, 5.5f, 0, Solid(Rgb(0xFFFFFF)));
      c.FillCircle(x, 46, 3.2f, Solid(Rgb(0x3A6A8A)));
      c.FillCircle(x + 1, 45, 1.2f, Solid(Rgb(0xFFFFFF)));
    }
  }
  c.FillCircle(104, 56, 4, Solid(Rgb(0xF4A0A0, 0.6f)));
  c.FillCircle(136, 56, 4, Solid(Rgb(0xF4A0A0, 0.6f)));
  c.FillEllipse(120, 60, 6, 2.5f, 0, Solid(Rgb(0xC0505A)));
}

struct Hair {
  uint32_t colour;
  int style;  // 0 bob, 1 long, 2 bun, 3 ponytail with a ribbon, 4 curls, 5 braid
};
const Hair kHair[6] = {{0x4A2E22, 0}, {0xE0B050, 1}, {0x2A1A1A, 3}, {0xB04A2A, 2}, {0x7A4AA0, 4}, {0x6A4030, 5}};

void DrawHair(Canvas& c, const Hair& hair, float phase) {
  const Color base = Rgb(hair.colour);
  const Color light = Mix(base, Rgb(0xFFFFFF), 0.3f);
  const Paint paint = VerticalGradient(14, 90, light, base);
  // The crown down to the brow, and the sides framing the face: an oval about the head
  // with the face's own oval left free below the brow.
  c.FillShape(88, 8, 152, 72,
              [](float x, float y) {
                const float hx = (x - 120.0f) / 29.0f, hy = (y - 40.0f) / 30.0f;
                const float fx = (x - 120.0f) / 21.0f, fy = (y - 54.0f) / 22.0f;
                return hx * hx + hy * hy <= 1.0f && !(y > 34.0f && fx * fx + fy * fy <= 1.0f);
              },
              paint);
  switch (hair.style) {
    case 0:
      c.FillRoundedRect(93, 30, 103, 70, 4, paint);
      c.FillRoundedRect(137, 30, 147, 70, 4, paint);
      break;
    case 1:
      Polygon(c, {{94, 30}, {104, 34}, {100, 120}, {88, 118}}, paint);
      Polygon(c, {{146, 30}, {136, 34}, {140, 120}, {152, 118}}, paint);
      break;
    case 2:
      c.FillCircle(120, 12, 13, paint);
      break;
    case 3: {
      // A ponytail swinging with a red ribbon.
      const float swing = 8.0f * std::sin(phase * 2.0f * kPi);
      Polygon(c, {{140, 28}, {150, 30}, {158 + swing, 96}, {146 + swing, 98}}, paint);
      c.FillCircle(146, 28, 7, Solid(Rgb(0xD03040)));
      c.FillEllipse(152, 24, 7, 4, 0.5f + swing * 0.03f, Solid(Rgb(0xE04050)));
      break;
    }
    case 4:
      for (int i = 0; i < 6; ++i) {
        c.FillCircle(94 + (i % 2) * 4, 36 + i * 8, 7, paint);
        c.FillCircle(146 - (i % 2) * 4, 36 + i * 8, 7, paint);
      }
      break;
    default:
      for (int i = 0; i < 6; ++i) c.FillEllipse(148, 40 + i * 10, 6, 6, 0.3f, paint);
      c.FillCircle(148, 102, 4, Solid(Rgb(0x40A060)));
      break;
  }
}

struct Top {
  uint32_t colour;
  uint32_t trim;
  bool long_;  // a gown to the ankles
  bool sparkle;
};
const Top kTops[6] = {{0x4A80D0, 0xFFFFFF, false, false}, {0xE06090, 0xFFE0F0, false, false},
                      {0x50A060, 0xF0E0A0, false, false}, {0xF0C040, 0xA05020, false, true},
                      {0x8050C0, 0xE0D0FF, true, false},  {0xC03040, 0xF0C060, true, false}};

void DrawTop(Canvas& c, const Top& top, float phase) {
  const Color base = Rgb(top.colour);
  const Paint paint = VerticalGradient(76, 220, Mix(base, Rgb(0xFFFFFF), 0.2f), Mix(base, Rgb(0x000000), 0.15f));
  // Sleeves and bodice down to the waist.
  Polygon(c, {{90, 78}, {102, 76}, {104, 100}, {88, 100}}, paint);
  Polygon(c, {{150, 78}, {138, 76}, {136, 100}, {152, 100}}, paint);
  Polygon(c, {{98, 76}, {142, 76}, {138, 136}, {102, 136}}, paint);
  if (top.long_) Polygon(c, {{102, 130}, {138, 130}, {162, 222}, {78, 222}}, paint);
  const Color trim = Rgb(top.trim);
  c.FillRect(106, 76, 134, 80, Solid(trim));
  c.FillRect(102, 130, 138, 136, Solid(trim));
  if (top.long_) c.FillRect(78, 218, 162, 222, Solid(trim));
  if (top.sparkle) {
    // Three glints that travel over the bodice.
    for (int i = 0; i < 3; ++i) {
      const float t = phase + static_cast<float>(i) / 3.0f;
      const float y = 86 + 40 * (t - std::floor(t));
      Glow(c, 108 + 12 * static_cast<float>(i), y, 6, Rgb(0xFFFFFF), 0.9f);
    }
  }
}

struct Skirt {
  uint32_t colour;
  int style;  // 0 a-line, 1 pleats, 2 tulip, 3 trousers, 4 short, 5 swinging frills
};
const Skirt kSkirts[6] = {{0x304080, 1}, {0x3A8A6A, 0}, {0xD08030, 2}, {0x404040, 3}, {0xB04080, 4}, {0x60B0D0, 5}};

void DrawSkirt(Canvas& c, const Skirt& skirt, float phase) {
  const Color base = Rgb(skirt.colour);
  const Paint paint = VerticalGradient(130, 200, Mix(base, Rgb(0xFFFFFF), 0.15f), base);
  switch (skirt.style) {
    case 3:
      c.FillRoundedRect(101, 130, 119, 222, 4, paint);
      c.FillRoundedRect(121, 130, 139, 222, 4, paint);
      break;
    case 4:
      Polygon(c, {{102, 130}, {138, 130}, {146, 160}, {94, 160}}, paint);
      break;
    case 5: {
      const float sway = 5.0f * std::sin(phase * 2.0f * kPi);
      Polygon(c, {{102, 130}, {138, 130}, {152 + sway, 184}, {88 + sway, 184}}, paint);
      for (int i = 0; i < 8; ++i) c.FillCircle(92 + sway + i * 8.0f, 184, 5, Solid(Mix(base, Rgb(0xFFFFFF), 0.4f)));
      break;
    }
    default:
      Polygon(c, {{102, 130}, {138, 130}, {154, 186}, {86, 186}}, paint);
      break;
  }
  if (skirt.style == 1) {
    for (int i = 1; i < 6; ++i) {
      const float x0 = 102 + i * 6.0f;
      Polygon(c, {{x0, 132}, {x0 + 1, 132}, {86 + i * 11.3f + 1, 186}, {86 + i * 11.3f, 186}},
              Solid(Mix(base, Rgb(0x000000), 0.3f)));
    }
  }
  if (skirt.style == 2) c.FillRect(102, 130, 138, 136, Solid(Rgb(0x6A3A1A)));
}

// The block kinds a piece of clothing may deal more of, each with its bonus icon.
constexpr const char* kBonusBlockKinds[] = {"flower", "double", "triple", "zenblock", "gem", "hcut", "vcut",
                                            "slashcut", "backslashcut", "xcut", "pluscut", "starcut",
                                            "timeblock", "frozenflower", "lockedflower", "stone", "tileblast"};

// Icon n of the zen powers: a coloured gem with a sign of its power.
bool MakeWildcard(int n, const std::string& path) {
  constexpr int kSide = 48;
  const uint32_t colours[6] = {0x50A0F0, 0xF06030, 0x60C060, 0xF060C0, 0xF0D040, 0xA070F0};
  Canvas c(kSide, kSide);
  const Color base = Rgb(colours[n - 1]);
  c.FillCircle(24, 24, 22, Solid(Rgb(0xFFFFFF, 0.9f)));
  c.FillCircle(24, 24, 19, [&](float x, float y) {
    return Mix(Mix(base, Rgb(0xFFFFFF), 0.45f), base, std::fmin(1.0f, (x + y) / 48.0f));
  });
  const Paint sign = Solid(Rgb(0xFFFFFF));
  switch (n) {
    case 1:  // match: two linked rings
      c.FillCircle(19, 24, 6, sign);
      c.FillCircle(29, 24, 6, sign);
      c.FillCircle(19, 24, 3, Solid(base));
      c.FillCircle(29, 24, 3, Solid(base));
      break;
    case 2:  // fireball: a flame
      Polygon(c, {{24, 10}, {33, 28}, {24, 37}, {15, 28}}, sign);
      break;
    case 3:  // tilegrab: a square tile
      c.FillRect(16, 16, 32, 32, sign);
      break;
    case 4:  // flowerblast: five petals
      for (int i = 0; i < 5; ++i) {
        const float a = static_cast<float>(i) * 2.0f * kPi / 5.0f;
        c.FillCircle(24 + 8 * std::cos(a), 24 + 8 * std::sin(a), 5, sign);
      }
      break;
    case 5:  // time: a clock face
      c.FillCircle(24, 24, 11, sign);
      c.FillRect(23, 15, 25, 25, Solid(base));
      c.FillRect(23, 23, 31, 25, Solid(base));
      break;
    default:  // lightning: a bolt
      Polygon(c, {{27, 9}, {16, 27}, {24, 27}, {20, 40}, {33, 20}, {25, 20}}, sign);
      break;
  }
  return c.SavePng(path);
}

// --- The icons of the bonuses that are no zen power: "bonus_<name>" ---

// Five petals round a golden heart, centred at (x, y).
void SmallFlower(Canvas& c, float x, float y, float radius, const Color& petals) {
  for (int i = 0; i < 5; ++i) {
    const float a = static_cast<float>(i) * 2.0f * kPi / 5.0f - kPi / 2.0f;
    c.FillCircle(x + radius * std::cos(a), y + radius * std::sin(a), radius * 0.75f,
                 Solid(Mix(petals, Rgb(0x000000), 0.2f)));
    c.FillCircle(x + radius * std::cos(a), y + radius * std::sin(a), radius * 0.6f, Solid(petals));
  }
  c.FillCircle(x, y, radius * 0.5f, Solid(Rgb(0xF6C85F)));
}

// The badge the bonus icons share with the zen powers' icons: a white ring round a disc.
Canvas Badge(const Color& base) {
  constexpr int kSide = 48;
  Canvas c(kSide, kSide);
  c.FillCircle(24, 24, 22, Solid(Rgb(0xFFFFFF, 0.9f)));
  c.FillCircle(24, 24, 19, [&](float x, float y) {
    return Mix(Mix(base, Rgb(0xFFFFFF), 0.45f), base, std::fmin(1.0f, (x + y) / 48.0f));
  });
  return c;
}

// A flower colour's bonus: a flower of that colour on a pale badge.
bool MakeColourBonus(const FlowerColourName& colour, const std::string& path) {
  Canvas c = Badge(Rgb(0xE8DCE8));
  SmallFlower(c, 24, 24, 8.5f, Rgb(colour.rgb));
  return c.SavePng(path);
}

// A block kind's bonus: a sign of the block on a badge of its own colour.
bool MakeBlockBonus(const std::string& kind, const std::string& path) {
  const Paint white = Solid(Rgb(0xFFFFFF));
  const auto cut = [&](Canvas& c, bool across, bool down, bool slash, bool backslash) {
    if (across) Line(c, 12, 24, 36, 24, 5, Rgb(0xFFFFFF));
    if (down) Line(c, 24, 12, 24, 36, 5, Rgb(0xFFFFFF));
    if (slash) Line(c, 15, 33, 33, 15, 5, Rgb(0xFFFFFF));
    if (backslash) Line(c, 15, 15, 33, 33, 5, Rgb(0xFFFFFF));
  };
  if (kind == "gem") {
    Canvas c = Badge(Rgb(0xE0A030));
    Polygon(c, {{24, 11}, {35, 22}, {24, 37}, {13, 22}}, white);
    return c.SavePng(path);
  }
  if (kind == "timeblock") {
    Canvas c = Badge(Rgb(0x50A0F0));
    c.FillCircle(24, 24, 11, white);
    c.FillRect(23, 15, 25, 25, Solid(Rgb(0x50A0F0)));
    c.FillRect(23, 23, 31, 25, Solid(Rgb(0x50A0F0)));
    return c.SavePng(path);
  }
  if (kind == "zenblock") {
    Canvas c = Badge(Rgb(0x7B5CD6));
    c.FillCircle(24, 24, 11, white);
    c.FillCircle(24, 24, 6, Solid(Rgb(0x7B5CD6)));
    c.FillCircle(24, 24, 2.5f, white);
    return c.SavePng(path);
  }
  if (kind == "double" || kind == "triple" || kind == "flower") {
    Canvas c = Badge(Rgb(0xE76FA8));
    if (kind == "flower") {
      SmallFlower(c, 24, 24, 8.5f, Rgb(0xFFFFFF));
    } else if (kind == "double") {
      SmallFlower(c, 18, 24, 5.0f, Rgb(0xFFFFFF));
      SmallFlower(c, 30, 24, 5.0f, Rgb(0xFFFFFF));
    } else {
      SmallFlower(c, 16, 28, 4.5f, Rgb(0xFFFFFF));
      SmallFlower(c, 32, 28, 4.5f, Rgb(0xFFFFFF));
      SmallFlower(c, 24, 16, 4.5f, Rgb(0xFFFFFF));
    }
    return c.SavePng(path);
  }
  if (kind == "frozenflower" || kind == "lockedflower") {
    Canvas c = Badge(kind == "frozenflower" ? Rgb(0x70C8E8) : Rgb(0x8A6A50));
    SmallFlower(c, 24, 24, 8.0f, Rgb(0xFFFFFF));
    if (kind == "lockedflower") {
      c.FillRect(17, 24, 31, 35, Solid(Rgb(0x4A3020)));
      c.FillCircle(24, 24, 6, Solid(Rgb(0x4A3020)));
      c.FillCircle(24, 24, 3.5f, Solid(Rgb(0x8A6A50)));
    } else {
      Line(c, 12, 24, 36, 24, 2, Rgb(0xDDF4FF));
      Line(c, 24, 12, 24, 36, 2, Rgb(0xDDF4FF));
    }
    return c.SavePng(path);
  }
  if (kind == "stone") {
    Canvas c = Badge(Rgb(0x8C8C96));
    c.FillEllipse(24, 26, 12, 9, 0.3f, Solid(Rgb(0x5A5A64)));
    c.FillEllipse(21, 23, 5, 3, 0.3f, Solid(Rgb(0xB4B4BE)));
    return c.SavePng(path);
  }
  if (kind == "tileblast") {
    Canvas c = Badge(Rgb(0xF06030));
    Points star;
    for (int i = 0; i < 16; ++i) {
      const float a = static_cast<float>(i) * kPi / 8.0f;
      const float r = i % 2 == 0 ? 14.0f : 6.0f;
      star.emplace_back(24 + r * std::cos(a), 24 + r * std::sin(a));
    }
    Polygon(c, star, white);
    return c.SavePng(path);
  }
  // The cuts: the lines they clear.
  Canvas c = Badge(Rgb(0x3FB8AF));
  const bool star = kind == "starcut";
  cut(c, kind == "hcut" || kind == "pluscut" || star, kind == "vcut" || kind == "pluscut" || star,
      kind == "slashcut" || kind == "xcut" || star, kind == "backslashcut" || kind == "xcut" || star);
  return c.SavePng(path);
}

bool MakePanel(const std::string& path, int width, int height, uint32_t top, uint32_t bottom, float alpha) {
  Canvas c(width, height);
  c.FillRoundedRect(0, 0, static_cast<float>(width), static_cast<float>(height), 18,
                    Solid(Rgb(0xFFFFFF, alpha)));
  c.FillRoundedRect(4, 4, static_cast<float>(width - 4), static_cast<float>(height - 4), 15,
                    VerticalGradient(0, static_cast<float>(height), Rgb(top, alpha), Rgb(bottom, alpha)));
  return c.SavePng(path);
}

}  // namespace

bool MakeFashionArt(const std::string& outDir) {
  const std::string dir = outDir + "/hana/";
  std::error_code error;
  std::filesystem::create_directories(dir, error);
  if (error) return false;
  char name[64];
  bool ok = SaveStrip(dir + "body.png", 1, DrawBody) && SaveStrip(dir + "face.png", 6, DrawFace) &&
            SaveStrip(dir + "none.png", 1, [](Canvas&, float) {});
  for (int n = 1; n <= 6 && ok; ++n) {
    const Hair& hair = kHair[n - 1];
    std::snprintf(name, sizeof(name), "hair%d", n);
    ok = SavePiece(dir, name, hair.style == 3 ? 4 : 1, [&](Canvas& c, float phase) { DrawHair(c, hair, phase); });
    const Top& top = kTops[n - 1];
    std::snprintf(name, sizeof(name), "dress%d", n);
    ok = ok && SavePiece(dir, name, top.sparkle ? 4 : 1, [&](Canvas& c, float phase) { DrawTop(c, top, phase); });
    const Skirt& skirt = kSkirts[n - 1];
    std::snprintf(name, sizeof(name), "skirt%d", n);
    ok = ok && SavePiece(dir, name, skirt.style == 5 ? 4 : 1,
                         [&](Canvas& c, float phase) { DrawSkirt(c, skirt, phase); });
    std::snprintf(name, sizeof(name), "wildcard%03d.png", n);
    ok = ok && MakeWildcard(n, dir + name);
  }
  for (int i = 0; i < kFlowerColourCount && ok; ++i) {
    const FlowerColourName& colour = FlowerColourNamed(i);
    ok = MakeColourBonus(colour, dir + "bonus_" + colour.name + ".png");
  }
  for (const char* kind : kBonusBlockKinds) {
    ok = ok && MakeBlockBonus(kind, dir + "bonus_" + kind + ".png");
  }
  return ok && MakePanel(dir + "popup_bg.png", 512, 320, 0xFCE8F4, 0xE8C8E0, 0.95f) &&
         MakePanel(dir + "item_box.png", 128, 128, 0xFFFFFF, 0xF4E4F0, 0.9f) &&
         MakePanel(dir + "studio_bg.png", 512, 512, 0xF8EEF8, 0xD8C0E0, 0.97f);
}

}  // namespace contentgen
