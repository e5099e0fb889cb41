#include "tools/contentgen/ExtraArt.h"

#include <cmath>
#include <fstream>
#include <string>

#include "tools/contentgen/Canvas.h"
#include "tools/contentgen/SoundMaker.h"

namespace contentgen {

namespace {

constexpr float kPi = 3.14159265f;
constexpr int kTagWidth = 256;
constexpr int kTagHeight = 64;

// A tab rounded on its open side only: the flat side runs off the picture, so the tab
// joins the table it belongs to. A highlighted tab is a warm rose with a gold rim; a dim
// one a quiet plum that lets the screen show through.
bool MakeTag(const std::string& path, bool top, bool highlight) {
  Canvas c(kTagWidth, kTagHeight);
  const float w = static_cast<float>(kTagWidth);
  const float h = static_cast<float>(kTagHeight);
  const float radius = 20.0f;
  // Hanging from the top: flat at the top, round at the bottom; standing: the other way.
  const float y0 = top ? -radius - 2.0f : 2.0f;
  const float y1 = top ? h - 2.0f : h + radius + 2.0f;
  const Color rim = highlight ? Rgb(0xE8C060) : WithAlpha(Rgb(0x8A6A9A), 0.8f);
  const Color light = highlight ? Rgb(0xF6B8CC) : WithAlpha(Rgb(0x5A3A6E), 0.75f);
  const Color deep = highlight ? Rgb(0xC8587E) : WithAlpha(Rgb(0x3A2048), 0.75f);
  c.FillRoundedRect(2.0f, y0, w - 2.0f, y1, radius, Solid(rim));
  c.FillRoundedRect(5.0f, y0 + 3.0f, w - 5.0f, y1 - 3.0f, radius - 3.0f,
                    top ? VerticalGradient(0.0f, h, deep, light) : VerticalGradient(0.0f, h, light, deep));
  // A soft sheen across the top of a chosen tab's face (just under the rim of a standing
  // one), above the band of the label's line in the middle of the tab: never across it.
  if (highlight) {
    const float sheenTop = 6.0f;
    const float sheenBottom = 11.0f;
    c.FillRoundedRect(24.0f, sheenTop, w - 24.0f, sheenBottom, 2.5f, Solid(WithAlpha(Rgb(0xFFFFFF), 0.35f)));
  }
  return c.SavePng(path);
}

// The backdrop of the heroine's portrait in the level: a dusky plate with a gold rim and a
// soft spotlight where she stands.
bool MakePortraitFrame(const std::string& path) {
  constexpr int kSide = 128;
  const float side = static_cast<float>(kSide);
  Canvas c(kSide, kSide);
  c.FillRoundedRect(1.0f, 1.0f, side - 1.0f, side - 1.0f, 14.0f, Solid(Rgb(0xE8C060)));
  c.FillRoundedRect(4.0f, 4.0f, side - 4.0f, side - 4.0f, 11.0f,
                    VerticalGradient(4.0f, side - 4.0f, Rgb(0x7A4A86), Rgb(0x2E1638)));
  Glow(c, side * 0.5f, side * 0.62f, side * 0.42f, Rgb(0xF6C8D8), 0.45f);
  return c.SavePng(path);
}

// A key tick: a very short click of filtered noise over a high sine, quieter than the
// pointer's tick so that fast typing stays soft.
Samples KeyTick() {
  const size_t count = static_cast<size_t>(0.045f * kSampleRate);
  Samples out(count, 0.0f);
  Noise noise;
  float low = 0.0f;
  for (size_t i = 0; i < count; ++i) {
    const float t = static_cast<float>(i) / kSampleRate;
    const float envelope = std::min(1.0f, t * 2000.0f) * std::exp(-t * 110.0f);
    low += 0.35f * (noise.Next() - low);
    out[i] = envelope * (0.45f * low + 0.4f * std::sin(2.0f * kPi * 2350.0f * t));
  }
  return out;
}

bool WriteSound(const std::string& path, const Samples& samples) {
  const std::string ogg = EncodeOgg(samples);
  std::ofstream out(path, std::ios::binary);
  out.write(ogg.data(), static_cast<std::streamsize>(ogg.size()));
  return !ogg.empty() && static_cast<bool>(out);
}

}  // namespace

bool MakeExtraArt(const std::string& outDir) {
  return MakeTag(outDir + "/ui_img/top_tag_highlight.png", true, true) &&
         MakeTag(outDir + "/ui_img/top_tag_dim.png", true, false) &&
         MakeTag(outDir + "/ui_img/bottom_tag_highlight.png", false, true) &&
         MakeTag(outDir + "/ui_img/bottom_tag_dim.png", false, false) &&
         MakePortraitFrame(outDir + "/ui_img/portrait_frame.png") &&
         WriteSound(outDir + "/sounds/textbox_new_text.ogg", KeyTick());
}

}  // namespace contentgen
