#include "tools/contentgen/SceneArt.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "tools/contentgen/Canvas.h"

namespace contentgen {

namespace {

constexpr float kPi = 3.14159265f;
constexpr int kLoopFrames = 60;

const Color kWhite = Rgb(0xFFFFFF);
const Color kPlum = Rgb(0x5E2466);
const Color kTeal = Rgb(0x3FB8AF);
const Color kDeepTeal = Rgb(0x1F6F73);
const Color kViolet = Rgb(0x7B5CD6);
const Color kGold = Rgb(0xF6C85F);
const Color kRed = Rgb(0xD9443F);
const Color kCream = Rgb(0xF6EFE4);

bool MakeCloud(const std::string& file) {
  Canvas c(160, 80);
  Glow(c, 50, 48, 34, kWhite, 0.9f);
  Glow(c, 82, 36, 40, kWhite, 0.95f);
  Glow(c, 116, 48, 32, kWhite, 0.9f);
  Glow(c, 80, 54, 44, Rgb(0xF3C4E0), 0.35f);
  return c.SavePng(file);
}

bool MakeLantern(const std::string& file) {
  Canvas c(48, 80);
  c.FillRect(23, 0, 25, 14, Solid(kPlum));                       // the string
  Glow(c, 24, 46, 24, kGold, 0.45f);                        // its glow
  c.FillRect(16, 12, 32, 17, Solid(kGold));                     // the top cap
  c.FillEllipse(24, 44, 17, 26, 0.0f, [](float x, float y) {   // the paper
    const float ribs = 0.5f + 0.5f * std::cos((y - 18.0f) * kPi / 6.0f);
    return Mix(Rgb(0xFF9A6A), kRed, 0.35f + 0.4f * ribs * std::fabs(x - 24.0f) / 17.0f);
  });
  Glow(c, 24, 42, 10, Rgb(0xFFF2B0), 0.8f);                 // the flame behind the paper
  c.FillRect(17, 69, 31, 73, Solid(kGold));                     // the bottom cap
  c.FillRect(22, 73, 26, 80, Solid(kRed));                      // the tassel
  return c.SavePng(file);
}

// Bands of light across the strip that repeat every 256 pixels, so that the picture
// scrolls without a seam.
bool MakeLightStrip(const std::string& file) {
  Canvas c(256, 32);
  c.FillRect(0, 0, 256, 32, [](float x, float y) {
    const float across = std::sin(kPi * y / 32.0f);
    const float bands = 0.5f + 0.5f * std::sin(2.0f * kPi * x / 256.0f * 3.0f);
    Color out = Mix(kGold, kWhite, bands);
    out.a = across * across * (0.25f + 0.6f * bands);
    return out;
  });
  return c.SavePng(file);
}

// Each bird part is drawn with its joint on the top row and its tip on the bottom row;
// across the picture runs from the bird's back (left) to its belly (right).
bool MakeBirdBody(const std::string& file) {
  Canvas c(40, 56);
  c.FillEllipse(20, 28, 17, 27, 0.0f, [](float x, float y) { return Mix(kDeepTeal, kTeal, x / 40.0f); });
  c.FillEllipse(27, 32, 8, 18, 0.0f, Solid(WithAlpha(kCream, 0.85f)));
  return c.SavePng(file);
}

bool MakeBirdHead(const std::string& file) {
  Canvas c(32, 32);
  c.FillCircle(16, 14, 12, [](float x, float y) { return Mix(kTeal, kDeepTeal, y / 32.0f); });
  c.FillShape(10, 22, 22, 32, [](float x, float y) { return std::fabs(x - 16.0f) < (32.0f - y) * 0.45f; },
              Solid(kGold));  // the beak, at the tip
  c.FillCircle(20, 16, 3, Solid(kWhite));
  c.FillCircle(20.5f, 16.5f, 1.6f, Solid(Rgb(0x1A1020)));
  return c.SavePng(file);
}

bool MakeBirdWing(const std::string& file) {
  Canvas c(24, 44);
  c.FillShape(0, 0, 24, 44,
              [](float x, float y) { return std::fabs(x - 12.0f) < 11.0f * (1.0f - y / 44.0f) + 1.0f; },
              [](float x, float y) {
                const float stripe = std::fmod(y, 8.0f) < 2.0f ? 0.25f : 0.0f;
                return Mix(kViolet, kPlum, y / 44.0f + stripe);
              });
  return c.SavePng(file);
}

bool MakeBirdTail(const std::string& file) {
  Canvas c(20, 30);
  c.FillShape(0, 0, 20, 30, [](float x, float y) { return std::fabs(x - 10.0f) < 3.0f + y * 0.22f; },
              [](float x, float y) { return Mix(kViolet, kDeepTeal, y / 30.0f); });
  return c.SavePng(file);
}

struct BoneKeys {
  float x, y, rot;
};

// The bird's pose at frame f of the loop, per bone: breathing lifts the whole bird by up
// to 1.5 pixels, the head turns once a loop, and the wings beat once between frames 20
// and 36.
BoneKeys Pose(const std::string& bone, int f) {
  const float t = float(f) / float(kLoopFrames);
  const float breath = 1.5f * std::sin(2.0f * kPi * t);
  float flap = 0.0f;
  if (f >= 20 && f < 36) flap = std::sin(kPi * float(f - 20) / 16.0f);
  if (bone == "Body") return {-26.0f, -22.0f + breath, -80.0f};
  if (bone == "Head") return {24.0f, -34.0f + breath, -60.0f + 25.0f * std::sin(2.0f * kPi * t)};
  if (bone == "Tail") return {-24.0f, -22.0f + breath, 95.0f};
  if (bone == "NearWing") return {-2.0f, -36.0f + breath, 70.0f - 80.0f * flap};
  return {2.0f, -38.0f + breath, 60.0f - 70.0f * flap};  // FarWing
}

}  // namespace

std::string BirdIdleAnimation() {
  struct Bone {
    const char* name;
    const char* image;
    int sortL;
    int sortR;
  };
  // The far wing behind the body, the near wing in front; mirrored, the other way round.
  const Bone bones[] = {
      {"FarWing", "bird/wing.png", 0, 4}, {"Tail", "bird/tail.png", 1, 1}, {"Body", "bird/body.png", 2, 2},
      {"Head", "bird/head.png", 3, 3},    {"NearWing", "bird/wing.png", 4, 0},
  };
  std::string text =
      "-- A small bird at rest: it breathes, turns its head and beats its wings once every two\n"
      "-- seconds. Made by contentgen; positions are pixels from the bird's feet.\n"
      "AnimationData =\n{\n";
  char line[160];
  for (const Bone& bone : bones) {
    std::snprintf(line, sizeof line,
                  "   {\n      Name = \"%s\",\n      DefaultImg = \"%s\",\n      DefaultSortL = %d,\n"
                  "      DefaultSortR = %d,\n      Frames =\n      {\n",
                  bone.name, bone.image, bone.sortL, bone.sortR);
    text += line;
    for (int f = 0; f < kLoopFrames; ++f) {
      const BoneKeys keys = Pose(bone.name, f);
      std::snprintf(line, sizeof line, "         { Pos = { %.2f, %.2f }, Rot = %.2f },\n", keys.x, keys.y, keys.rot);
      text += line;
    }
    text += "      },\n   },\n";
  }
  return text + "}\n";
}

bool MakeSceneArt(const std::string& outDir) {
  namespace fs = std::filesystem;
  std::error_code ec;
  for (const char* folder : {"ui_img", "bird", "bganim"}) fs::create_directories(fs::path(outDir) / folder, ec);
  if (ec) return false;
  const bool pictures = MakeCloud(outDir + "/ui_img/cloud.png") && MakeLantern(outDir + "/ui_img/lantern.png") &&
                        MakeLightStrip(outDir + "/ui_img/light_strip.png") &&
                        MakeBirdBody(outDir + "/bird/body.png") && MakeBirdHead(outDir + "/bird/head.png") &&
                        MakeBirdWing(outDir + "/bird/wing.png") && MakeBirdTail(outDir + "/bird/tail.png");
  if (!pictures) return false;
  std::ofstream out(outDir + "/bganim/bird_idle.sbp", std::ios::binary);
  out << BirdIdleAnimation();
  out.close();
  return static_cast<bool>(out);
}

}  // namespace contentgen
