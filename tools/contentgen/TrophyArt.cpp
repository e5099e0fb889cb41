#include "tools/contentgen/TrophyArt.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <utility>
#include <vector>

#include "tools/contentgen/Canvas.h"

namespace contentgen {

namespace {

constexpr float kPi = 3.14159265f;
constexpr int kSide = 64;

enum class State { kDisabled, kAvailable, kSelected };

// A colour of the colour wheel at a hue of 0 to 1, fully saturated.
Color Hue(float hue) {
  const float h = (hue - std::floor(hue)) * 6.0f;
  const float x = 1.0f - std::fabs(std::fmod(h, 2.0f) - 1.0f);
  switch (static_cast<int>(h)) {
    case 0: return Color{1, x, 0, 1};
    case 1: return Color{x, 1, 0, 1};
    case 2: return Color{0, 1, x, 1};
    case 3: return Color{0, x, 1, 1};
    case 4: return Color{x, 0, 1, 1};
    default: return Color{1, 0, x, 1};
  }
}

Color Grey(const Color& c) {
  const float v = 0.3f * c.r + 0.59f * c.g + 0.11f * c.b;
  return Color{v * 0.6f, v * 0.6f, v * 0.65f, c.a};
}

// A star of `points` points about (cx, cy).
std::vector<std::pair<float, float>> Star(float cx, float cy, float outer, float inner, int points) {
  std::vector<std::pair<float, float>> corners;
  for (int i = 0; i < points * 2; ++i) {
    const float angle = -kPi / 2.0f + kPi * static_cast<float>(i) / static_cast<float>(points);
    const float radius = i % 2 == 0 ? outer : inner;
    corners.emplace_back(cx + radius * std::cos(angle), cy + radius * std::sin(angle));
  }
  return corners;
}

// Trophy n: a medal of its own colour with a star of 3 to 8 points; grey and dim when not
// won, with a warm halo when selected.
bool MakeMedal(int n, State state, const std::string& file) {
  Canvas c(kSide, kSide);
  Color base = Mix(Hue(static_cast<float>(n) * 0.29f), Rgb(0xFFFFFF), 0.25f);
  Color rim = Rgb(0xE8C060);
  if (state == State::kDisabled) {
    base = Grey(base);
    rim = Grey(rim);
  }
  if (state == State::kSelected) Glow(c, 32.0f, 32.0f, 32.0f, Rgb(0xFFF0B0), 0.9f);
  c.FillCircle(32.0f, 32.0f, 26.0f, Solid(rim));
  c.FillCircle(32.0f, 32.0f, 22.0f, [&](float x, float y) {
    return Mix(Mix(base, Rgb(0xFFFFFF), 0.35f), base, std::clamp((x + y - 20.0f) / 64.0f, 0.0f, 1.0f));
  });
  const int points = 3 + n % 6;
  const Mask star = PolygonMask(kSide, kSide, Star(32.0f, 33.0f, 15.0f, 7.0f, points));
  c.FillMask(star, 0, 0, Solid(state == State::kDisabled ? Rgb(0x9A9AA0) : Rgb(0xFFF8E0)));
  // A tier mark per row of six: one to four dots under the star.
  const int dots = 1 + (n - 1) / 6;
  for (int i = 0; i < dots; ++i) {
    const float x = 32.0f + (static_cast<float>(i) - static_cast<float>(dots - 1) / 2.0f) * 6.0f;
    c.FillCircle(x, 51.0f, 2.0f, Solid(rim));
  }
  if (state == State::kDisabled) {
    // Dimmed as a whole.
    c.FillRect(0, 0, kSide, kSide, Solid(Color{0.1f, 0.1f, 0.15f, 0.25f}));
  }
  return c.SavePng(file);
}

bool MakeBackground(int width, int height, uint32_t top, uint32_t bottom, const std::string& file) {
  Canvas c(width, height);
  c.FillRoundedRect(0.0f, 0.0f, static_cast<float>(width), static_cast<float>(height), 18.0f,
                    VerticalGradient(0.0f, static_cast<float>(height), Rgb(top, 0.95f), Rgb(bottom, 0.95f)));
  c.FillRoundedRect(6.0f, 6.0f, static_cast<float>(width - 6), 10.0f, 2.0f, Solid(Rgb(0xFFFFFF, 0.25f)));
  return c.SavePng(file);
}

}  // namespace

bool MakeTrophyArt(const std::string& outDir) {
  const std::pair<State, const char*> states[] = {
      {State::kDisabled, "disabled"}, {State::kAvailable, "available"}, {State::kSelected, "selected"}};
  for (int n = 1; n <= 24; ++n) {
    for (const auto& [state, name] : states) {
      char path[96];
      std::snprintf(path, sizeof(path), "/trophies/trophy_%d_%s.png", n, name);
      if (!MakeMedal(n, state, outDir + path)) return false;
    }
  }
  return MakeBackground(512, 384, 0x5A2A5E, 0x2A1230, outDir + "/ui_img/trophy_room_bg.png") &&
         MakeBackground(256, 256, 0x7A3A70, 0x3A1A40, outDir + "/ui_img/trophy_popup_bg.png");
}

}  // namespace contentgen
