#include "tools/contentgen/Pictures.h"

#include <algorithm>
#include <cmath>

#include "tools/contentgen/Canvas.h"
#include "tools/contentgen/TextRaster.h"

namespace contentgen {

namespace {

constexpr float kPi = 3.14159265f;

// The play area, and the square texture that full-screen pictures are stored in (the
// picture in its top-left corner, the rest black), as the splash pages must be.
constexpr int kScreenW = 800;
constexpr int kScreenH = 600;
constexpr int kScreenTexture = 1024;

// The palette.
const Color kPlumDark = Rgb(0x2A0F3A);
const Color kPlum = Rgb(0x5E2466);
const Color kOrchid = Rgb(0x8A3F8F);
const Color kPink = Rgb(0xE76FA8);
const Color kRose = Rgb(0xF3C4E0);
const Color kCream = Rgb(0xF6EFE4);
const Color kGold = Rgb(0xF6C85F);
const Color kTeal = Rgb(0x3FB8AF);
const Color kViolet = Rgb(0x7B5CD6);
const Color kLeaf = Rgb(0x7CC46A);
const Color kWhite = Rgb(0xFFFFFF);
const Color kBlack = Rgb(0x000000);

// Plain-weave linen: horizontal and vertical threads crossing over and under each other,
// laid over the picture as light and shade of the given strength.
void Weave(Canvas& canvas, int spacing, float strength) {
  for (int y = 0; y < canvas.Height(); ++y) {
    for (int x = 0; x < canvas.Width(); ++x) {
      const float u = float(x % spacing) / float(spacing);
      const float v = float(y % spacing) / float(spacing);
      const float across = std::sin(kPi * v);  // a horizontal thread's roundness
      const float down = std::sin(kPi * u);    // a vertical thread's
      const bool acrossOnTop = ((x / spacing) + (y / spacing)) % 2 == 0;
      const float light = acrossOnTop ? across : down;
      const float shade = 1.0f - std::max(across, down);
      canvas.Blend(x, y, kWhite, strength * light * light);
      canvas.Blend(x, y, kBlack, strength * shade);
    }
  }
}

// A thread drawn as a wave across the picture.
void Thread(Canvas& canvas, float baseY, float amplitude, float wavelength, float width, const Color& color) {
  const int top = int(baseY - amplitude - width) - 1;
  const int bottom = int(baseY + amplitude + width) + 2;
  canvas.FillShape(0, top, canvas.Width(), bottom,
                   [=](float x, float y) {
                     const float centre = baseY + amplitude * std::sin(2.0f * kPi * x / wavelength);
                     return std::fabs(y - centre) <= width * 0.5f;
                   },
                   Solid(color));
}

// One of the game's blocks: a rounded square with a darker rim, a gradient and a gloss.
void Block(Canvas& canvas, float cx, float cy, float size, const Color& color, float opacity = 1.0f) {
  const float h = size * 0.5f;
  const Color rim = WithAlpha(Mix(color, kBlack, 0.45f), opacity);
  canvas.FillRoundedRect(cx - h, cy - h, cx + h, cy + h, size * 0.22f, Solid(rim));
  const float inset = std::max(1.5f, size * 0.06f);
  canvas.FillRoundedRect(cx - h + inset, cy - h + inset, cx + h - inset, cy + h - inset, size * 0.18f,
                         VerticalGradient(cy - h, cy + h, WithAlpha(Mix(color, kWhite, 0.35f), opacity),
                                          WithAlpha(Mix(color, kBlack, 0.15f), opacity)));
  canvas.FillEllipse(cx, cy - h * 0.45f, h * 0.62f, h * 0.26f, 0.0f, Solid(WithAlpha(kWhite, 0.35f * opacity)));
}

// Text centred on x with its baseline at y, with an optional soft shadow.
bool Title(Canvas& canvas, const std::string& fontFile, int pixelSize, const std::string& text, float centreX,
           float baselineY, const Paint& paint, float shadowAlpha) {
  TextRaster raster;
  if (!raster.Open(fontFile, pixelSize)) return false;
  const Mask mask = raster.RenderText(text);
  const int left = int(std::lround(centreX - float(mask.width) * 0.5f));
  const int top = int(std::lround(baselineY)) - raster.Ascent();
  if (shadowAlpha > 0.0f) {
    const int blur = std::max(2, pixelSize / 20);
    const int pad = blur * 3;
    Mask padded(mask.width + 2 * pad, mask.height + 2 * pad);
    for (int y = 0; y < mask.height; ++y) {
      for (int x = 0; x < mask.width; ++x) padded.Ref(x + pad, y + pad) = mask.At(x, y);
    }
    const int drop = std::max(2, pixelSize / 24);
    canvas.FillMask(padded.Blurred(blur), left - pad + drop, top - pad + drop, Solid(kBlack), shadowAlpha);
  }
  canvas.FillMask(mask, left, top, paint);
  return true;
}

// A full-screen picture stored in the top-left of a 1024 x 1024 JPEG.
bool SaveScreenPicture(const Canvas& picture, const std::string& file) {
  Canvas texture(kScreenTexture, kScreenTexture, kBlack);
  texture.Paste(picture, 0, 0);
  return texture.SaveJpeg(file, 90);
}

bool MakeDistroSplash(const FontFiles& fonts, const std::string& file) {
  Canvas c(kScreenW, kScreenH);
  c.FillRect(0, 0, kScreenW, kScreenH, VerticalGradient(0, kScreenH, kPlumDark, Rgb(0x6A2A6E)));
  Glow(c, 400, 290, 360, kPink, 0.35f);
  Weave(c, 12, 0.045f);
  Thread(c, 420, 22, 400, 4, WithAlpha(kGold, 0.85f));
  Thread(c, 428, 16, 260, 2, WithAlpha(kRose, 0.6f));
  if (!Title(c, fonts.bold, 132, "Pellavo", 400, 330, VerticalGradient(220, 330, kWhite, kRose), 0.55f)) {
    return false;
  }
  if (!Title(c, fonts.regular, 28, "a match puzzle of fashion", 400, 490, Solid(WithAlpha(kRose, 0.95f)), 0.4f)) {
    return false;
  }
  if (!Title(c, fonts.regular, 15, "v1.07", 760, 585, Solid(WithAlpha(kRose, 0.6f)), 0.0f)) return false;
  return SaveScreenPicture(c, file);
}

bool MakeStudioSplash(const FontFiles& fonts, const std::string& file) {
  Canvas c(kScreenW, kScreenH);
  c.FillRect(0, 0, kScreenW, kScreenH, VerticalGradient(0, kScreenH, kCream, Rgb(0xEADCF0)));
  Weave(c, 10, 0.05f);
  Glow(c, 400, 300, 260, kWhite, 0.6f);
  const Color ring[] = {kPink, kGold, kTeal, kViolet, kLeaf, kOrchid};
  for (int i = 0; i < 12; ++i) {
    const float angle = 2.0f * kPi * float(i) / 12.0f - kPi / 2.0f;
    Block(c, 400 + 215 * std::cos(angle), 300 + 215 * std::sin(angle), 46, ring[i % 6]);
  }
  if (!Title(c, fonts.bold, 88, "Pellavo", 400, 318, VerticalGradient(240, 318, kOrchid, kPlum), 0.25f)) {
    return false;
  }
  if (!Title(c, fonts.regular, 22, "link \u00B7 match \u00B7 dress", 400, 362, Solid(kOrchid), 0.0f)) return false;
  return SaveScreenPicture(c, file);
}

bool MakeMenuBackground(const FontFiles&, const std::string& file) {
  Canvas c(kScreenW, kScreenH);
  c.FillRect(0, 0, kScreenW, kScreenH, VerticalGradient(0, kScreenH, Rgb(0x3A1446), kOrchid));
  Glow(c, 400, 260, 380, kPink, 0.3f);
  Weave(c, 12, 0.04f);
  // Blocks scattered along the edges, faint, so that the panel in the middle stands out.
  struct Spot {
    float x, y, size;
    Color color;
  };
  const Spot spots[] = {
      {60, 80, 54, kPink},    {130, 170, 38, kGold},  {48, 300, 44, kTeal},   {170, 400, 40, kViolet},
      {210, 555, 36, kLeaf},  {640, 250, 40, kTeal},  {670, 190, 36, kViolet}, {752, 290, 56, kGold},
      {690, 450, 42, kPink},  {590, 550, 50, kLeaf},  {300, 40, 30, kOrchid}, {520, 30, 34, kRose},
  };
  for (const Spot& spot : spots) Block(c, spot.x, spot.y, spot.size, spot.color, 0.5f);
  Thread(c, 540, 18, 420, 3, WithAlpha(kGold, 0.7f));
  return SaveScreenPicture(c, file);
}

bool MakeLoadingBackground(const FontFiles&, const std::string& file) {
  Canvas c(kScreenW, kScreenH);
  c.FillRect(0, 0, kScreenW, kScreenH, VerticalGradient(0, kScreenH, kPlumDark, Rgb(0x4A1A52)));
  Glow(c, 400, 250, 340, kPink, 0.22f);
  Weave(c, 12, 0.045f);
  Thread(c, 470, 14, 360, 3, WithAlpha(kGold, 0.75f));
  return SaveScreenPicture(c, file);
}

bool MakeFadeBackground(const FontFiles&, const std::string& file) {
  Canvas c(256, 256);
  c.FillRect(0, 0, 256, 256, VerticalGradient(0, 256, kPlumDark, kPlum));
  Weave(c, 8, 0.04f);
  return c.SavePng(file);
}

bool MakeConsoleBackground(const FontFiles&, const std::string& file) {
  Canvas c(256, 128);
  c.FillRect(0, 0, 256, 125, VerticalGradient(0, 125, Rgb(0x0B1830, 0.86f), Rgb(0x142A50, 0.92f)));
  c.FillRect(0, 125, 256, 128, Solid(Rgb(0x6FA8FF, 0.85f)));
  return c.SavePng(file);
}

bool MakePanelBackground(const FontFiles&, const std::string& file) {
  Canvas c(256, 256);
  c.FillRoundedRect(1, 1, 255, 255, 28, Solid(WithAlpha(kRose, 0.9f)));
  c.FillRoundedRect(4, 4, 252, 252, 25,
                    VerticalGradient(0, 256, Rgb(0x3A1446, 0.88f), WithAlpha(kPlumDark, 0.92f)));
  return c.SavePng(file);
}

// A pill-shaped button: rim, body gradient and, when raised, a gloss on its upper half.
bool MakeButton(const std::string& file, const Color& rim, const Color& top, const Color& bottom, bool gloss) {
  Canvas c(256, 64);
  c.FillRoundedRect(2, 2, 254, 62, 30, Solid(rim));
  c.FillRoundedRect(5, 5, 251, 59, 27, VerticalGradient(5, 59, top, bottom));
  if (gloss) c.FillRoundedRect(14, 8, 242, 30, 11, Solid(WithAlpha(kWhite, 0.2f)));
  return c.SavePng(file);
}

bool MakeButtonOff(const FontFiles&, const std::string& file) {
  return MakeButton(file, WithAlpha(kRose, 0.95f), Rgb(0xB04A9A), Rgb(0x6A2470), true);
}

bool MakeButtonOver(const FontFiles&, const std::string& file) {
  return MakeButton(file, kWhite, Rgb(0xE06BB8), kOrchid, true);
}

bool MakeButtonDown(const FontFiles&, const std::string& file) {
  return MakeButton(file, WithAlpha(kRose, 0.95f), Rgb(0x5A1E60), kOrchid, false);
}

// A won level's button on the maps: a green body, and a small golden tick at its very
// right end, clear of the level's name (a long name reaches close to the end).
bool MakeButtonWon(const FontFiles&, const std::string& file) {
  Canvas c(256, 64);
  c.FillRoundedRect(2, 2, 254, 62, 30, Solid(WithAlpha(kGold, 0.95f)));
  c.FillRoundedRect(5, 5, 251, 59, 27, VerticalGradient(5, 59, Rgb(0x4FA86A), Rgb(0x1F5A3C)));
  c.FillRoundedRect(14, 8, 242, 30, 11, Solid(WithAlpha(kWhite, 0.2f)));
  c.FillCircle(238, 32, 14, Solid(Rgb(0x1F4A30)));
  Line(c, 231, 32, 237, 39, 5.0f, kGold);
  Line(c, 237, 39, 247, 24, 5.0f, kGold);
  return c.SavePng(file);
}

bool MakeProgressFull(const FontFiles&, const std::string& file) {
  Canvas c(256, 32);
  c.FillRoundedRect(1, 1, 255, 31, 14, HorizontalGradient(0, 256, kGold, kPink));
  c.FillRoundedRect(8, 4, 248, 13, 4, Solid(WithAlpha(kWhite, 0.3f)));
  return c.SavePng(file);
}

// The last seconds of a level's clock: the time bar's remaining part fades to this.
bool MakeProgressWarn(const FontFiles&, const std::string& file) {
  Canvas c(256, 32);
  c.FillRoundedRect(1, 1, 255, 31, 14, HorizontalGradient(0, 256, Rgb(0xF2603A), Rgb(0xC8202E)));
  c.FillRoundedRect(8, 4, 248, 13, 4, Solid(WithAlpha(kWhite, 0.3f)));
  return c.SavePng(file);
}

bool MakeProgressEmpty(const FontFiles&, const std::string& file) {
  Canvas c(256, 32);
  c.FillRoundedRect(1, 1, 255, 31, 14, Solid(WithAlpha(kRose, 0.6f)));
  c.FillRoundedRect(3, 3, 253, 29, 12, Solid(WithAlpha(kBlack, 0.45f)));
  return c.SavePng(file);
}

// The caret and selection of an edited text: drawn stretched over the caret box.
bool MakeCaret(const FontFiles&, const std::string& file) {
  Canvas c(8, 8, WithAlpha(kWhite, 0.65f));
  return c.SavePng(file);
}

// The user interface's own mouse pointer: a white arrow with a dark outline.
bool MakePointer(const FontFiles&, const std::string& file) {
  const std::vector<std::pair<float, float>> arrow = {
      {3, 2}, {3, 25}, {9, 19.5f}, {13.5f, 29}, {17.5f, 27.2f}, {13, 18}, {21, 18},
  };
  const Mask mask = PolygonMask(32, 32, arrow);
  Canvas c(32, 32);
  c.FillMask(mask.Dilated(2), 0, 0, Solid(Rgb(0x2A0F3A)));
  c.FillMask(mask, 0, 0, VerticalGradient(2, 29, kWhite, kRose));
  return c.SavePng(file);
}

// A five-petalled flower for the menu's scene.
bool MakeFlower(const FontFiles&, const std::string& file) {
  Canvas c(128, 128);
  for (int i = 0; i < 5; ++i) {
    const float angle = 2.0f * kPi * float(i) / 5.0f - kPi / 2.0f;
    const float px = 64 + 30 * std::cos(angle);
    const float py = 64 + 30 * std::sin(angle);
    c.FillEllipse(px, py, 31, 18, angle, [](float x, float y) {
      const float d = std::hypot(x - 64, y - 64) / 62.0f;
      return Mix(kRose, kPink, d);
    });
  }
  c.FillCircle(64, 64, 16, Solid(Rgb(0xC98A2E)));
  c.FillCircle(64, 64, 13, VerticalGradient(50, 78, Rgb(0xFFE9A8), kGold));
  return c.SavePng(file);
}

// Particle images: white shapes whose alpha fades out, so that a group's colour ramp tints
// them and additive groups glow where they overlap.

// A round dot whose alpha falls smoothly from the centre to the rim.
bool MakeSoftDot(const FontFiles&, const std::string& file) {
  Canvas c(32, 32);
  c.FillRect(0, 0, 32, 32, [](float x, float y) {
    const float d = std::min(1.0f, std::hypot(x - 16.0f, y - 16.0f) / 15.5f);
    const float fade = (1.0f - d) * (1.0f - d);
    return WithAlpha(kWhite, fade);
  });
  return c.SavePng(file);
}

// A streak along the image's height (the direction a particle moves), bright in the
// middle and fading to both ends and both sides.
bool MakeSpark(const FontFiles&, const std::string& file) {
  Canvas c(16, 64);
  c.FillRect(0, 0, 16, 64, [](float x, float y) {
    const float across = std::min(1.0f, std::fabs(x - 8.0f) / 7.5f);
    const float along = std::min(1.0f, std::fabs(y - 32.0f) / 31.5f);
    const float fade = (1.0f - across * across) * (1.0f - along * along);
    return WithAlpha(Mix(kWhite, Rgb(0xFFF2C0), along), fade);
  });
  return c.SavePng(file);
}

// One rose petal: a teardrop from a narrow base at the bottom to a round top.
bool MakePetal(const FontFiles&, const std::string& file) {
  Canvas c(32, 32);
  c.FillShape(0, 0, 32, 32,
              [](float x, float y) {
                const float t = (30.0f - y) / 28.0f;  // 0 at the base, 1 at the top
                if (t < 0.0f || t > 1.0f) return false;
                const float halfWidth = 13.0f * std::sin(kPi * (0.15f + 0.85f * t) * 0.62f) *
                                        std::sqrt(std::max(0.0f, 1.0f - t * t * t));
                return std::fabs(x - 16.0f) < halfWidth;
              },
              [](float x, float y) {
                const float d = std::min(1.0f, std::fabs(x - 16.0f) / 13.0f);
                return Mix(kWhite, kRose, 0.4f * d + 0.3f * (y / 32.0f));
              });
  return c.SavePng(file);
}

}  // namespace

const std::vector<Picture>& Pictures() {
  static const std::vector<Picture> pictures = {
      {"distro/distro_splash.jpg", MakeDistroSplash},
      {"ui_img/hovrik_jollix_splash.jpg", MakeStudioSplash},
      {"ui_img/menu_bg.jpg", MakeMenuBackground},
      {"ui_img/loading_bg.jpg", MakeLoadingBackground},
      {"ui_img/fade_bg.png", MakeFadeBackground},
      {"ui_img/blue.png", MakeConsoleBackground},
      {"ui_img/panel_bg.png", MakePanelBackground},
      {"ui_img/button.png", MakeButtonOff},
      {"ui_img/button_over.png", MakeButtonOver},
      {"ui_img/button_down.png", MakeButtonDown},
      {"ui_img/button_won.png", MakeButtonWon},
      {"ui_img/progress_full.png", MakeProgressFull},
      {"ui_img/progress_empty.png", MakeProgressEmpty},
      {"ui_img/progress_warn.png", MakeProgressWarn},
      {"ui_img/cursor.png", MakeCaret},
      {"ui_img/flower.png", MakeFlower},
      {"cursor.png", MakePointer},
      {"effects/soft_dot.png", MakeSoftDot},
      {"effects/spark.png", MakeSpark},
      {"effects/petal.png", MakePetal},
  };
  return pictures;
}

}  // namespace contentgen
