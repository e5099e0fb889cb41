#include "tools/contentgen/HelpArt.h"

#include <cmath>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "tools/contentgen/BoardArt.h"
#include "tools/contentgen/Canvas.h"
#include "tools/contentgen/SoundMaker.h"

namespace contentgen {

namespace {

constexpr float kPi = 3.14159265f;

const Color kInk = Rgb(0x2A0F3A);
const Color kGold = Rgb(0xE8C060);
const Color kRose = Rgb(0xF29AB8);

// The tip frame: a dark rounded box with a golden rim, 32 pixels a grid cell.
bool MakeFrame(const std::string& outDir) {
  Canvas c(96, 96);
  c.FillRoundedRect(1.0f, 1.0f, 95.0f, 95.0f, 16.0f, Solid(WithAlpha(kGold, 0.95f)));
  c.FillRoundedRect(4.0f, 4.0f, 92.0f, 92.0f, 13.0f,
                    VerticalGradient(4.0f, 92.0f, WithAlpha(Rgb(0x4A2460), 0.94f), WithAlpha(kInk, 0.94f)));
  return c.SavePng(outDir + "/ui_img/help_bg.png");
}

// A corner ornament: a quarter ring and a small diamond, opening towards the box.
Canvas Corner(bool right, bool bottom) {
  Canvas c(24, 24);
  const float cx = right ? 4.0f : 20.0f;
  const float cy = bottom ? 4.0f : 20.0f;
  c.FillShape(0, 0, 24, 24,
              [=](float x, float y) {
                const float d = std::hypot(x - cx, y - cy);
                const bool quarter = (right ? x >= cx : x <= cx) && (bottom ? y >= cy : y <= cy);
                return quarter && d > 10.0f && d < 15.0f;
              },
              Solid(kGold));
  c.FillShape(0, 0, 24, 24, [](float x, float y) { return std::fabs(x - 12.0f) + std::fabs(y - 12.0f) < 4.5f; },
              Solid(kRose));
  return c;
}

bool MakeCorners(const std::string& outDir) {
  const struct {
    const char* name;
    bool right;
    bool bottom;
  } corners[] = {{"help_tl", false, false}, {"help_bl", false, true}, {"help_tr", true, false}, {"help_br", true, true}};
  std::string entries = "   -- The four corners that fly in round a tip.\n";
  for (const auto& corner : corners) {
    const std::string file = std::string("img/") + corner.name + ".png";
    if (!Corner(corner.right, corner.bottom).SavePng(outDir + "/" + file)) return false;
    entries += std::string("   { Name = \"") + corner.name + "\", ImageFile = \"" + file +
               "\", SpriteC = 1, FrameTime = 10 },\n";
  }
  // The board's sheet ends with the table's closing brace: the corners go before it.
  return AppendToBoardSheet(outDir, entries);
}

// The round plate behind a tip's icon.
bool MakeSidebar(const std::string& outDir) {
  Canvas c(64, 64);
  Glow(c, 32.0f, 32.0f, 32.0f, kGold, 0.5f);
  c.FillCircle(32.0f, 32.0f, 24.0f, Solid(WithAlpha(kInk, 0.9f)));
  return c.SavePng(outDir + "/ui_img/sidebar_bg.png");
}

// A panel's background: a rounded plate with a rim and a band of colour at the top.
bool MakePanel(const std::string& path, int w, int h, const Color& band) {
  Canvas c(w, h);
  const float fw = static_cast<float>(w);
  const float fh = static_cast<float>(h);
  c.FillRoundedRect(1.0f, 1.0f, fw - 1.0f, fh - 1.0f, 22.0f, Solid(kGold));
  c.FillRoundedRect(5.0f, 5.0f, fw - 5.0f, fh - 5.0f, 18.0f,
                    VerticalGradient(5.0f, fh - 5.0f, Rgb(0x55306E), Rgb(0x2A0F3A)));
  c.FillRoundedRect(12.0f, 12.0f, fw - 12.0f, 56.0f, 12.0f, VerticalGradient(12.0f, 56.0f, Mix(band, Rgb(0xFFFFFF), 0.3f), band));
  return c.SavePng(path);
}

// A bell-like note: a sine with two overtones under a quick attack and an exponential fade.
void Note(Samples& out, float start, float frequency, float length, float volume) {
  const size_t first = static_cast<size_t>(start * kSampleRate);
  const size_t count = static_cast<size_t>(length * kSampleRate);
  if (out.size() < first + count) out.resize(first + count, 0.0f);
  for (size_t i = 0; i < count; ++i) {
    const float t = static_cast<float>(i) / kSampleRate;
    const float envelope = std::min(1.0f, t * 200.0f) * std::exp(-t * 6.0f / length);
    const float wave = std::sin(2.0f * kPi * frequency * t) + 0.3f * std::sin(4.0f * kPi * frequency * t) +
                       0.1f * std::sin(6.0f * kPi * frequency * t);
    out[first + i] += volume * envelope * wave / 1.4f;
  }
}

Samples Notes(const std::vector<float>& frequencies, float step, float length, float volume) {
  Samples out;
  for (size_t i = 0; i < frequencies.size(); ++i) Note(out, step * static_cast<float>(i), frequencies[i], length, volume);
  return out;
}

// The count-up: a run of quick ticks for as long as a number counts (it is played again
// whenever it ends).
Samples CountUp() {
  Samples out;
  for (int i = 0; i < 12; ++i) Note(out, 0.05f * static_cast<float>(i), i % 2 ? 1760.0f : 1568.0f, 0.04f, 0.35f);
  return out;
}

bool MakeSounds(const std::string& outDir) {
  const struct {
    const char* name;
    Samples samples;
  } sounds[] = {
      {"HINT_OPEN", Notes({784.0f, 1175.0f}, 0.07f, 0.35f, 0.5f)},
      {"hint_up", Notes({988.0f, 1319.0f, 1568.0f}, 0.05f, 0.25f, 0.4f)},
      {"hint_close", Notes({1319.0f, 988.0f}, 0.06f, 0.25f, 0.4f)},
      {"help_open", Notes({659.0f, 880.0f}, 0.04f, 0.2f, 0.35f)},
      {"help_close", Notes({880.0f, 659.0f}, 0.04f, 0.2f, 0.35f)},
      {"score_countup", CountUp()},
  };
  for (const auto& sound : sounds) {
    const std::string ogg = EncodeOgg(sound.samples);
    std::ofstream out(outDir + "/sounds/" + sound.name + ".ogg", std::ios::binary);
    out.write(ogg.data(), static_cast<std::streamsize>(ogg.size()));
    if (ogg.empty() || !out) return false;
  }
  return true;
}

}  // namespace

bool MakeHelpArt(const std::string& outDir) {
  return MakeFrame(outDir) && MakeCorners(outDir) && MakeSidebar(outDir) &&
         MakePanel(outDir + "/ui_img/victory_bg.png", 400, 160, Rgb(0x5FB86A)) &&
         MakePanel(outDir + "/ui_img/defeat_bg.png", 400, 160, Rgb(0xB85F6A)) &&
         MakePanel(outDir + "/ui_img/summary_bg.png", 560, 400, Rgb(0xC08A3E)) &&
         MakePanel(outDir + "/ui_img/buy_popup_bg.png", 360, 180, Rgb(0x3E7FC0)) && MakeSounds(outDir);
}

}  // namespace contentgen
