#include "tools/contentgen/SpellArt.h"

#include <cmath>
#include <fstream>

#include "tools/contentgen/Canvas.h"
#include "tools/contentgen/SoundMaker.h"

namespace contentgen {

namespace {

constexpr float kTwoPi = 6.2831853f;
constexpr int kCursor = 40;
constexpr int kShadow = 45;  // one board cell

// A small castle tower in outline over a soft glow: the armed spell's cursor.
Canvas CastleCursor() {
  Canvas c(kCursor, kCursor);
  Glow(c, kCursor * 0.5f, kCursor * 0.5f, kCursor * 0.5f, Rgb(0xFFF2C0), 0.5f);
  const Color stone = Rgb(0xE8E0D0);
  const Color shade = Rgb(0x8C7A64);
  c.FillRect(12, 16, 28, 34, Solid(shade));
  c.FillRect(13, 17, 27, 33, Solid(stone));
  for (int i = 0; i < 3; ++i) c.FillRect(12 + i * 6, 10, 16 + i * 6, 17, Solid(shade));
  for (int i = 0; i < 3; ++i) c.FillRect(13 + i * 6, 11, 15 + i * 6, 17, Solid(stone));
  c.FillRoundedRect(17.0f, 24.0f, 23.0f, 33.0f, 3.0f, Solid(shade));
  return c;
}

// A dark rounded square, soft at its rim: laid over every cell a spell would reach.
Canvas TargetShadow() {
  Canvas c(kShadow, kShadow);
  c.FillRoundedRect(1.0f, 1.0f, kShadow - 1.0f, kShadow - 1.0f, 8.0f,
                    Solid(WithAlpha(Rgb(0x10081C), 0.35f)));
  c.FillRoundedRect(5.0f, 5.0f, kShadow - 5.0f, kShadow - 5.0f, 6.0f,
                    Solid(WithAlpha(Rgb(0x10081C), 0.3f)));
  return c;
}

// A rising sweep of tones with a shimmer, ending bright: a spell that went off.
Samples Sweep(float from, float to, float seconds, float shimmer) {
  Samples out(size_t(seconds * kSampleRate));
  float phase = 0.0f;
  float wobble = 0.0f;
  for (size_t i = 0; i < out.size(); ++i) {
    const float t = float(i) / float(out.size());
    const float f = from * std::pow(to / from, t);
    phase += f / kSampleRate;
    wobble += shimmer / kSampleRate;
    const float envelope = std::min(1.0f, t * 30.0f) * std::pow(1.0f - t, 1.5f);
    out[i] = 0.4f * envelope *
             (0.6f * std::sin(kTwoPi * phase) + 0.25f * std::sin(kTwoPi * phase * 2.0f) +
              0.15f * std::sin(kTwoPi * phase * 3.0f) * std::sin(kTwoPi * wobble));
  }
  return out;
}

}  // namespace

bool MakeSpellArt(const std::string& outDir) {
  const struct {
    const char* name;
    Canvas canvas;
  } sprites[] = {{"castle_off", CastleCursor()}, {"Effect_Overlay_Shadow", TargetShadow()}};
  std::string entries;
  for (const auto& sprite : sprites) {
    const std::string file = std::string("img/") + sprite.name + ".png";
    if (!sprite.canvas.SavePng(outDir + "/" + file)) return false;
    entries += std::string("   { Name = \"") + sprite.name + "\", ImageFile = \"" + file +
               "\", SpriteC = 1, FrameTime = 10 },\n";
  }
  // The board's sheet ends with the table's closing brace: the spell sprites go before it.
  if (!AppendToBoardSheet(outDir, entries)) return false;
  for (const BoardSound& sound : SpellSounds()) {
    const std::string ogg = EncodeOgg(sound.samples);
    std::ofstream file(outDir + "/sounds/" + sound.name + ".ogg", std::ios::binary);
    file.write(ogg.data(), std::streamsize(ogg.size()));
    if (ogg.empty() || !file) return false;
  }
  return true;
}

std::vector<BoardSound> SpellSounds() {
  return {
      {"zenpower_match", Sweep(440.0f, 1320.0f, 0.5f, 12.0f)},
      {"zenpower_fireball", Sweep(160.0f, 90.0f, 0.6f, 30.0f)},
      {"zenpower_tilegrab", Sweep(660.0f, 990.0f, 0.35f, 8.0f)},
      {"zenpower_lightning", Sweep(1800.0f, 300.0f, 0.45f, 60.0f)},
  };
}

}  // namespace contentgen
