#include "tools/contentgen/SceneArt.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <utility>

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

// Bands of light across the strip that repeat every third of 256 pixels, so that a strip
// of any multiple of 256 pixels scrolls without a seam. A scrolling decal is drawn at its
// picture's size and cut off at its ends: the credits' band along the top is 1024 pixels
// long, so that it runs past the screen's right edge.
bool MakeLightStrip(const std::string& file, int width) {
  Canvas c(width, 32);
  c.FillRect(0, 0, width, 32, [](float x, float y) {
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

// The same bird feeding: twice a loop it bends its body forward and dips its head to the
// ground, its wings folded.
BoneKeys PeckPose(const std::string& bone, int f) {
  const float t = float(f) / float(kLoopFrames);
  const float dip = std::max(0.0f, std::sin(4.0f * kPi * t));
  if (bone == "Body") return {-24.0f, -22.0f + 2.0f * dip, -80.0f + 20.0f * dip};
  if (bone == "Head") return {24.0f + 6.0f * dip, -34.0f + 24.0f * dip, -60.0f + 70.0f * dip};
  if (bone == "Tail") return {-24.0f, -22.0f - 4.0f * dip, 95.0f - 15.0f * dip};
  if (bone == "NearWing") return {-2.0f, -36.0f + 3.0f * dip, 70.0f};
  return {2.0f, -38.0f + 3.0f * dip, 60.0f};  // FarWing
}


// --- The level scenes: one picture behind the boards of each region ---

constexpr int kScreenW = 800;
constexpr int kScreenH = 600;
constexpr int kScreenTexture = 1024;

// An 800 x 600 picture in the top-left of a 1024 x 1024 texture, as the scenes show it.
bool SaveBackdrop(const Canvas& picture, const std::string& file) {
  Canvas texture(kScreenTexture, kScreenTexture, Rgb(0x000000));
  texture.Paste(picture, 0, 0);
  return texture.SaveJpeg(file, 88);
}

// A ridge of hills whose top follows two waves, filled down to the bottom of the picture.
void Ridge(Canvas& c, float base, float height, float waves, float phase, const Color& top, const Color& bottom) {
  c.FillShape(0, static_cast<int>(base - height) - 2, kScreenW, kScreenH,
              [=](float x, float y) {
                const float t = x / static_cast<float>(kScreenW);
                const float crest = base - height * (0.55f + 0.3f * std::sin(2.0f * kPi * (t * waves + phase)) +
                                                     0.15f * std::sin(2.0f * kPi * (t * waves * 2.7f + phase * 1.3f)));
                return y >= crest;
              },
              VerticalGradient(base - height, static_cast<float>(kScreenH), top, bottom));
}

// Water across the bottom with bands of light that move across it.
void Water(Canvas& c, float top, const Color& near, const Color& far) {
  c.FillRect(0, static_cast<int>(top), kScreenW, kScreenH,
             VerticalGradient(top, static_cast<float>(kScreenH), far, near));
  for (int band = 0; band < 9; ++band) {
    const float y = top + 12.0f + static_cast<float>(band) * (static_cast<float>(kScreenH) - top) / 9.0f;
    const float x = static_cast<float>((band * 173) % 620);
    c.FillRoundedRect(x, y, x + 90.0f + static_cast<float>(band % 3) * 40.0f, y + 3.0f, 1.5f,
                      Solid(Rgb(0xFFFFFF, 0.18f)));
  }
}

// Kiravel: an amber evening over layered mountains and a river.
bool MakeKiravelBackdrop(const std::string& file) {
  Canvas c(kScreenW, kScreenH);
  c.FillRect(0, 0, kScreenW, kScreenH, VerticalGradient(0, 420, Rgb(0x6A1F3A), Rgb(0xF2A65A)));
  Glow(c, 600, 250, 150, Rgb(0xFFE3A0), 0.6f);
  Ridge(c, 330, 150, 1.3f, 0.1f, Rgb(0x8E3B4A), Rgb(0x5A2233));
  Ridge(c, 420, 140, 1.8f, 0.45f, Rgb(0x5A2233), Rgb(0x3A1428));
  Water(c, 470, Rgb(0x2A1030), Rgb(0x8A4A5A));
  return SaveBackdrop(c, file);
}

// Sorrami: a pale sun over blossom hills.
bool MakeSorramiBackdrop(const std::string& file) {
  Canvas c(kScreenW, kScreenH);
  c.FillRect(0, 0, kScreenW, kScreenH, VerticalGradient(0, kScreenH, Rgb(0xFBE3EC), Rgb(0xC98BB9)));
  c.FillCircle(560, 170, 90, Solid(Rgb(0xF26D7D, 0.85f)));
  Ridge(c, 380, 120, 1.1f, 0.7f, Rgb(0xE7A9C8), Rgb(0xB56A9A));
  Ridge(c, 470, 110, 2.2f, 0.2f, Rgb(0xB56A9A), Rgb(0x7A3E6E));
  for (int i = 0; i < 40; ++i) {
    const float x = static_cast<float>((i * 197) % kScreenW);
    const float y = 60.0f + static_cast<float>((i * 131) % 480);
    c.FillEllipse(x, y, 5.0f, 3.0f, static_cast<float>(i), Solid(Rgb(0xFFD1E3, 0.8f)));
  }
  return SaveBackdrop(c, file);
}

// Tavanda: green hills over a wide water of floating markets.
bool MakeTavandaBackdrop(const std::string& file) {
  Canvas c(kScreenW, kScreenH);
  c.FillRect(0, 0, kScreenW, kScreenH, VerticalGradient(0, 380, Rgb(0x1E5C6B), Rgb(0x9BD8C4)));
  Glow(c, 220, 140, 130, Rgb(0xFFF5C0), 0.5f);
  Ridge(c, 360, 110, 1.6f, 0.3f, Rgb(0x2F7A52), Rgb(0x1F5A3C));
  Water(c, 390, Rgb(0x0F3A4A), Rgb(0x3C8C96));
  for (int boat = 0; boat < 5; ++boat) {
    const float x = 90.0f + static_cast<float>(boat) * 150.0f;
    const float y = 450.0f + static_cast<float>((boat * 37) % 90);
    c.FillEllipse(x, y, 40.0f, 9.0f, 0.0f, Solid(Rgb(0x6A3A1E)));
    c.FillRect(static_cast<int>(x) - 18, static_cast<int>(y) - 22, static_cast<int>(x) + 18, static_cast<int>(y) - 6,
               Solid(kGold));
  }
  return SaveBackdrop(c, file);
}

// Stillwater: a still pond under a blue-green dusk, with stones at its edge.
bool MakeStillwaterBackdrop(const std::string& file) {
  Canvas c(kScreenW, kScreenH);
  c.FillRect(0, 0, kScreenW, kScreenH, VerticalGradient(0, kScreenH, Rgb(0x243B55), Rgb(0x6FA3A0)));
  Glow(c, 400, 120, 200, Rgb(0xE8F6F0), 0.35f);
  c.FillEllipse(400, 470, 360, 110, 0.0f, VerticalGradient(360, 580, Rgb(0x5E9C9A), Rgb(0x1E4A58)));
  for (int stone = 0; stone < 7; ++stone) {
    const float x = 60.0f + static_cast<float>(stone) * 115.0f;
    c.FillEllipse(x, 575.0f - static_cast<float>(stone % 2) * 14.0f, 38.0f, 20.0f, 0.0f, Solid(Rgb(0x3A4A50)));
  }
  return SaveBackdrop(c, file);
}

// --- The screens around the levels: the two maps, the story and the trophy room ---

// Little stars scattered over the upper part of a night picture.
void Stars(Canvas& c, int count, float bottom, float alpha) {
  for (int i = 0; i < count; ++i) {
    const float x = static_cast<float>((i * 211 + 37) % kScreenW);
    const float y = 8.0f + static_cast<float>((i * 149 + 11) % static_cast<int>(bottom));
    c.FillCircle(x, y, 1.0f + static_cast<float>(i % 3) * 0.6f, Solid(Rgb(0xFFF6E0, alpha)));
  }
}

// A region's band on a map: a soft wash of its colour behind its row of levels, with a
// low ridge of hills along its foot.
void MapRegion(Canvas& c, float top, float bottom, const Color& wash, const Color& hills, float phase) {
  c.FillRoundedRect(20.0f, top, static_cast<float>(kScreenW) - 20.0f, bottom, 26.0f,
                    VerticalGradient(top, bottom, WithAlpha(wash, 0.0f), WithAlpha(wash, 0.45f)));
  c.FillShape(20, static_cast<int>(bottom) - 34, kScreenW - 20, static_cast<int>(bottom),
              [=](float x, float y) {
                const float t = x / static_cast<float>(kScreenW);
                const float crest = bottom - 14.0f - 12.0f * std::sin(2.0f * kPi * (t * 3.0f + phase));
                return y >= crest;
              },
              Solid(WithAlpha(hills, 0.55f)));
}

// The story's map at night: a band for each region of the journey (Kiravel amber,
// Sorrami rose, Tavanda green) behind its row of levels.
bool MakeStoryMapBackdrop(const std::string& file) {
  Canvas c(kScreenW, kScreenH);
  c.FillRect(0, 0, kScreenW, kScreenH, VerticalGradient(0, kScreenH, Rgb(0x1A1C48), Rgb(0x2A1640)));
  Stars(c, 60, 560.0f, 0.5f);
  Glow(c, 680, 70, 60, Rgb(0xFFF2C8), 0.35f);
  c.FillCircle(680, 70, 22, Solid(Rgb(0xFFF2C8, 0.9f)));
  MapRegion(c, 80.0f, 200.0f, Rgb(0xD9804A), Rgb(0x5A2233), 0.1f);
  MapRegion(c, 218.0f, 338.0f, Rgb(0xE27DA8), Rgb(0x6A2A58), 0.45f);
  MapRegion(c, 356.0f, 476.0f, Rgb(0x4FB08A), Rgb(0x1F5A3C), 0.8f);
  return SaveBackdrop(c, file);
}

// The map of free play: a still blue-green dusk over water, Stillwater's row at the top.
bool MakeZenMapBackdrop(const std::string& file) {
  Canvas c(kScreenW, kScreenH);
  c.FillRect(0, 0, kScreenW, kScreenH, VerticalGradient(0, kScreenH, Rgb(0x18304A), Rgb(0x2E5A62)));
  Stars(c, 40, 300.0f, 0.4f);
  MapRegion(c, 110.0f, 200.0f, Rgb(0x8FD0C0), Rgb(0x1E4A58), 0.3f);
  Water(c, 470, Rgb(0x10283A), Rgb(0x3C7480));
  return SaveBackdrop(c, file);
}

// The story screen: a lantern-lit evening, a warm glow where the chapter's card stands.
bool MakeStoryBackdrop(const std::string& file) {
  Canvas c(kScreenW, kScreenH);
  c.FillRect(0, 0, kScreenW, kScreenH, VerticalGradient(0, kScreenH, Rgb(0x24184A), Rgb(0x5A2A4A)));
  Stars(c, 50, 260.0f, 0.45f);
  Glow(c, 400, 300, 330, Rgb(0xF2A65A), 0.25f);
  Ridge(c, 520, 90, 1.4f, 0.25f, Rgb(0x3A1E46), Rgb(0x24102E));
  return SaveBackdrop(c, file);
}

// The trophy room: a warm hall of dark wood with lit shelves behind the trophies.
bool MakeTrophyBackdrop(const std::string& file) {
  Canvas c(kScreenW, kScreenH);
  c.FillRect(0, 0, kScreenW, kScreenH, VerticalGradient(0, kScreenH, Rgb(0x3A2030), Rgb(0x1E1018)));
  for (int plank = 0; plank < 16; ++plank) {
    const float x = static_cast<float>(plank) * 50.0f;
    c.FillRect(static_cast<int>(x), 0, static_cast<int>(x) + 2, kScreenH, Solid(Rgb(0x000000, 0.25f)));
  }
  for (int shelf = 0; shelf < 4; ++shelf) {
    const float y = 110.0f + static_cast<float>(shelf) * 87.0f;
    Glow(c, 400, y - 20.0f, 260, Rgb(0xF6C85F), 0.12f);
    c.FillRect(0, static_cast<int>(y), kScreenW, static_cast<int>(y) + 6, Solid(Rgb(0x8A5A3A, 0.9f)));
  }
  return SaveBackdrop(c, file);
}

// --- The goal icons of the level pack that the board's own art has not ---

// Blocks to clear: three flowers in a stack.
bool MakeBlocksIcon(const std::string& file) {
  Canvas c(32, 32);
  for (const auto& [x, y] : {std::pair{10.0f, 22.0f}, std::pair{22.0f, 22.0f}, std::pair{16.0f, 11.0f}}) {
    c.FillCircle(x, y, 8.0f, Solid(kPlum));
    c.FillCircle(x, y, 6.5f, Solid(Rgb(0xF27DB0)));
    c.FillCircle(x, y, 2.5f, Solid(kGold));
  }
  return c.SavePng(file);
}

// Chains to make: two links.
bool MakeSetsIcon(const std::string& file) {
  Canvas c(32, 32);
  c.FillRoundedRect(2, 10, 20, 22, 6, Solid(kPlum));
  c.FillRoundedRect(5, 13, 17, 19, 3, Solid(kCream));
  c.FillRoundedRect(12, 10, 30, 22, 6, Solid(kTeal));
  c.FillRoundedRect(15, 13, 27, 19, 3, Solid(kCream));
  return c.SavePng(file);
}

// Moves: a ring with an arrow head on its top.
bool MakeMovesIcon(const std::string& file) {
  Canvas c(32, 32);
  c.FillCircle(16, 16, 13, Solid(kPlum));
  c.FillCircle(16, 16, 9, Solid(kCream));
  c.FillShape(16, 0, 30, 16, [](float x, float y) { return x - 16.0f < 7.0f - std::fabs(y - 8.0f); }, Solid(kGold));
  return c.SavePng(file);
}

}  // namespace

namespace {

// A bird's animation file: its five bones, each with a loop of frames from the pose.
std::string BirdAnimation(const char* comment, BoneKeys (*pose)(const std::string&, int)) {
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
  std::string text = std::string(comment) + "-- Made by contentgen; positions are pixels from the bird's feet.\nAnimationData =\n{\n";
  char line[160];
  for (const Bone& bone : bones) {
    std::snprintf(line, sizeof line,
                  "   {\n      Name = \"%s\",\n      DefaultImg = \"%s\",\n      DefaultSortL = %d,\n"
                  "      DefaultSortR = %d,\n      Frames =\n      {\n",
                  bone.name, bone.image, bone.sortL, bone.sortR);
    text += line;
    for (int f = 0; f < kLoopFrames; ++f) {
      const BoneKeys keys = pose(bone.name, f);
      std::snprintf(line, sizeof line, "         { Pos = { %.2f, %.2f }, Rot = %.2f },\n", keys.x, keys.y, keys.rot);
      text += line;
    }
    text += "      },\n   },\n";
  }
  return text + "}\n";
}

}  // namespace

std::string BirdIdleAnimation() {
  return BirdAnimation(
      "-- A small bird at rest: it breathes, turns its head and beats its wings once every two\n"
      "-- seconds.\n",
      Pose);
}

std::string BirdPeckAnimation() {
  return BirdAnimation("-- A small bird feeding: it dips its head to the ground twice every two seconds.\n", PeckPose);
}

bool MakeSceneArt(const std::string& outDir) {
  namespace fs = std::filesystem;
  std::error_code ec;
  for (const char* folder : {"ui_img", "bird", "bganim", "anim"}) fs::create_directories(fs::path(outDir) / folder, ec);
  if (ec) return false;
  const bool pictures = MakeCloud(outDir + "/ui_img/cloud.png") && MakeLantern(outDir + "/ui_img/lantern.png") &&
                        MakeLightStrip(outDir + "/ui_img/light_strip.png", 256) &&
                        MakeLightStrip(outDir + "/ui_img/light_band.png", 1024) &&
                        MakeBirdBody(outDir + "/bird/body.png") && MakeBirdHead(outDir + "/bird/head.png") &&
                        MakeBirdWing(outDir + "/bird/wing.png") && MakeBirdTail(outDir + "/bird/tail.png");
  if (!pictures) return false;
  fs::create_directories(fs::path(outDir) / "scenes", ec);
  fs::create_directories(fs::path(outDir) / "img", ec);
  if (ec) return false;
  const bool levels = MakeKiravelBackdrop(outDir + "/scenes/kiravel_bg.jpg") &&
                      MakeSorramiBackdrop(outDir + "/scenes/sorrami_bg.jpg") &&
                      MakeTavandaBackdrop(outDir + "/scenes/tavanda_bg.jpg") &&
                      MakeStillwaterBackdrop(outDir + "/scenes/stillwater_bg.jpg") &&
                      MakeStoryMapBackdrop(outDir + "/scenes/map_asia_bg.jpg") &&
                      MakeZenMapBackdrop(outDir + "/scenes/map_zen_bg.jpg") &&
                      MakeStoryBackdrop(outDir + "/scenes/story_bg.jpg") &&
                      MakeTrophyBackdrop(outDir + "/scenes/trophies_bg.jpg") &&
                      MakeBlocksIcon(outDir + "/img/goal_blocks.png") && MakeSetsIcon(outDir + "/img/goal_sets.png") &&
                      MakeMovesIcon(outDir + "/img/goal_moves.png");
  if (!levels) return false;
  std::ofstream idle(outDir + "/bganim/bird_idle.sbp", std::ios::binary);
  idle << BirdIdleAnimation();
  idle.close();
  std::ofstream peck(outDir + "/anim/bird_peck.sbp", std::ios::binary);
  peck << BirdPeckAnimation();
  peck.close();
  return static_cast<bool>(idle) && static_cast<bool>(peck);
}

}  // namespace contentgen
