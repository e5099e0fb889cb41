// Cursor files built in code: animated cursors with their frames, rates, sequences and hot
// spots, PNG frames, plain cursor files, the animation stepped by SetCursor on a fake
// clock, and damaged files, each refused with one log line.

#include "platform/win32/CursorFile.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/core/Log.h"
#include "platform/win32/SdlVideo.h"
#include "platform/win32/Time.h"
#include "platform/win32/WinUser.h"
#include "tests/graphics/ImageFixtures.h"

namespace {

using gfxtest::Put16;
using gfxtest::Put32;

void PutChunk(std::string& out, const char* tag, const std::string& body) {
  out.append(tag, 4);
  Put32(out, static_cast<uint32_t>(body.size()));
  out += body;
  if (body.size() & 1) out.push_back('\0');
}

// A 32-bit cursor image (bitmap header, pixels bottom row first, AND mask): the top row
// of colour `top`, every other row of colour `rest` (0xAARRGGBB).
std::string BitmapImage(uint32_t side, uint32_t top, uint32_t rest, uint32_t bits = 32) {
  std::string image;
  Put32(image, 40);
  Put32(image, side);
  Put32(image, side * 2);
  Put16(image, 1);
  Put16(image, bits);
  for (int i = 0; i < 6; ++i) Put32(image, 0);
  for (uint32_t y = side; y-- > 0;) {
    for (uint32_t x = 0; x < side; ++x) Put32(image, y == 0 ? top : rest);
  }
  image.append(((side + 31) / 32) * 4 * side, '\0');
  return image;
}

// A cursor file (type 2) or icon file (type 1) holding one image.
std::string CursorImageFile(const std::string& image, uint32_t side, uint32_t hotX, uint32_t hotY,
                            uint32_t type = 2) {
  std::string file;
  Put16(file, 0);
  Put16(file, type);
  Put16(file, 1);
  file.push_back(static_cast<char>(side));
  file.push_back(static_cast<char>(side));
  file.append(2, '\0');
  Put16(file, hotX);
  Put16(file, hotY);
  Put32(file, static_cast<uint32_t>(image.size()));
  Put32(file, 22);
  return file + image;
}

struct AniSpec {
  std::vector<std::string> frames;  // whole cursor files
  std::vector<uint32_t> rates;      // empty: no "rate" chunk
  std::vector<uint32_t> sequence;   // empty: no "seq " chunk
  uint32_t displayRate = 5;
  uint32_t flags = 1;
  int32_t headerFrames = -1;  // -1: the number of frames
};

std::string AniFile(const AniSpec& spec) {
  std::string header;
  Put32(header, 36);
  Put32(header, spec.headerFrames < 0 ? static_cast<uint32_t>(spec.frames.size())
                                      : static_cast<uint32_t>(spec.headerFrames));
  Put32(header, static_cast<uint32_t>(spec.sequence.empty() ? spec.frames.size() : spec.sequence.size()));
  for (int i = 0; i < 4; ++i) Put32(header, 0);
  Put32(header, spec.displayRate);
  Put32(header, spec.flags | (spec.sequence.empty() ? 0 : 2));
  std::string body = "ACON";
  PutChunk(body, "anih", header);
  if (!spec.rates.empty()) {
    std::string rates;
    for (uint32_t r : spec.rates) Put32(rates, r);
    PutChunk(body, "rate", rates);
  }
  if (!spec.sequence.empty()) {
    std::string sequence;
    for (uint32_t s : spec.sequence) Put32(sequence, s);
    PutChunk(body, "seq ", sequence);
  }
  PutChunk(body, "INFO", "skipped");  // unknown chunks are passed over
  std::string list = "fram";
  for (const std::string& frame : spec.frames) PutChunk(list, "icon", frame);
  PutChunk(body, "LIST", list);
  std::string file = "RIFF";
  Put32(file, static_cast<uint32_t>(body.size()));
  return file + body;
}

// Three 8 x 8 frames told apart by their colour, hot spots (1, 2), (3, 4), (5, 6).
AniSpec ThreeFrames() {
  AniSpec spec;
  const uint32_t colours[3] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF};
  for (uint32_t i = 0; i < 3; ++i) {
    spec.frames.push_back(CursorImageFile(BitmapImage(8, 0x80102030, colours[i]), 8, 1 + 2 * i, 2 + 2 * i));
  }
  return spec;
}

bool Read(const std::string& bytes, plat::CursorAnimation* cursor, std::string* error = nullptr) {
  std::string ignored;
  return plat::ReadCursorFile(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), cursor,
                              error ? error : &ignored);
}

// The R, G, B, A bytes of one pixel as 0xAARRGGBB.
uint32_t Pixel(const plat::CursorFrame& frame, uint32_t x, uint32_t y) {
  const uint8_t* p = frame.rgba.data() + (y * frame.width + x) * 4;
  return (uint32_t{p[3]} << 24) | (uint32_t{p[0]} << 16) | (uint32_t{p[1]} << 8) | p[2];
}

std::vector<std::string>& Lines() {
  static std::vector<std::string> lines;
  return lines;
}

class CursorFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Lines().clear();
    Log::Instance().callback = [](const char* text) { Lines().push_back(text); };
  }
  void TearDown() override { Log::Instance().callback = nullptr; }
};

TEST_F(CursorFileTest, AnAnimatedCursorGivesItsFramesHotSpotsRatesAndSequence) {
  AniSpec spec = ThreeFrames();
  spec.rates = {10, 20, 0, 5000};
  spec.sequence = {2, 0, 1, 0};
  plat::CursorAnimation cursor;
  std::string error;
  ASSERT_TRUE(Read(AniFile(spec), &cursor, &error)) << error;
  ASSERT_EQ(cursor.frames.size(), 3u);
  for (uint32_t i = 0; i < 3; ++i) {
    EXPECT_EQ(cursor.frames[i].width, 8u);
    EXPECT_EQ(cursor.frames[i].hotX, 1 + 2 * i);
    EXPECT_EQ(cursor.frames[i].hotY, 2 + 2 * i);
  }
  // Rows are turned top first; the colours keep their alpha.
  EXPECT_EQ(Pixel(cursor.frames[0], 3, 0), 0x80102030u);
  EXPECT_EQ(Pixel(cursor.frames[0], 3, 7), 0xFFFF0000u);
  EXPECT_EQ(Pixel(cursor.frames[2], 0, 4), 0xFF0000FFu);

  ASSERT_EQ(cursor.steps.size(), 4u);
  const uint32_t frames[] = {2, 0, 1, 0};
  // A rate of 0 lasts one jiffy; a rate beyond a minute is held to a minute.
  const uint32_t jiffies[] = {10, 20, 1, plat::kMaxCursorJiffies};
  for (size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(cursor.steps[i].frame, frames[i]) << i;
    EXPECT_EQ(cursor.steps[i].jiffies, jiffies[i]) << i;
  }
}

TEST_F(CursorFileTest, WithoutRateOrSequenceEachFrameIsAStepAtTheHeadersRate) {
  AniSpec spec = ThreeFrames();
  spec.displayRate = 7;
  plat::CursorAnimation cursor;
  ASSERT_TRUE(Read(AniFile(spec), &cursor));
  ASSERT_EQ(cursor.steps.size(), 3u);
  for (uint32_t i = 0; i < 3; ++i) {
    EXPECT_EQ(cursor.steps[i].frame, i);
    EXPECT_EQ(cursor.steps[i].jiffies, 7u);
  }
  // 21 jiffies a pass: 350 ms; each step holds 7 jiffies (116.7 ms).
  EXPECT_EQ(cursor.CycleMs(), 350u);
  const struct {
    uint64_t ms;
    size_t step;
  } moments[] = {{0, 0}, {116, 0}, {117, 1}, {234, 2}, {349, 2}, {350, 0}, {350 * 10 + 120, 1}};
  for (const auto& m : moments) EXPECT_EQ(cursor.StepAt(m.ms), m.step) << m.ms;
}

TEST_F(CursorFileTest, PngFramesAndPlainCursorFilesAreRead) {
  gfxtest::Pixels pixels(4 * 4, 0xFF00FF00);
  pixels[0] = 0x40AABBCC;
  AniSpec spec;
  spec.frames = {CursorImageFile(gfxtest::PngFile(4, 4, pixels), 4, 3, 1),
                 CursorImageFile(BitmapImage(4, 0xFF000000, 0xFFFFFFFF), 4, 0, 0)};
  plat::CursorAnimation cursor;
  std::string error;
  ASSERT_TRUE(Read(AniFile(spec), &cursor, &error)) << error;
  ASSERT_EQ(cursor.frames.size(), 2u);
  EXPECT_EQ(cursor.frames[0].width, 4u);
  EXPECT_EQ(cursor.frames[0].hotX, 3u);
  EXPECT_EQ(Pixel(cursor.frames[0], 0, 0), 0x40AABBCCu);
  EXPECT_EQ(Pixel(cursor.frames[0], 2, 3), 0xFF00FF00u);

  // A plain cursor file is one frame shown for good.
  ASSERT_TRUE(Read(CursorImageFile(BitmapImage(16, 0xFF123456, 0xFF654321), 16, 15, 9), &cursor, &error))
      << error;
  ASSERT_EQ(cursor.frames.size(), 1u);
  ASSERT_EQ(cursor.steps.size(), 1u);
  EXPECT_EQ(cursor.frames[0].hotX, 15u);
  EXPECT_EQ(cursor.frames[0].hotY, 9u);
  EXPECT_EQ(cursor.StepAt(123456), 0u);

  // An image whose alpha is 0 everywhere takes its transparency from the AND mask.
  std::string masked = BitmapImage(8, 0x00FFFFFF, 0x00FFFFFF);
  masked[masked.size() - 4] = static_cast<char>(0x80);  // the mask's top row (stored last): x = 0 clear
  ASSERT_TRUE(Read(CursorImageFile(masked, 8, 0, 0), &cursor, &error)) << error;
  EXPECT_EQ(Pixel(cursor.frames[0], 0, 0), 0x00FFFFFFu);
  EXPECT_EQ(Pixel(cursor.frames[0], 1, 0), 0xFFFFFFFFu);
}

TEST_F(CursorFileTest, LoadImageMakesACursorThatSetCursorStepsAtTheFilesRates) {
  ASSERT_TRUE(plat::EnsureVideo());
  win32::FakeClock clock(1000, 5000);  // milliseconds
  AniSpec spec = ThreeFrames();
  spec.rates = {6, 12, 6};  // 100 ms, 200 ms, 100 ms
  const std::string path = gfxtest::WriteFixture("cursors/test.ani", AniFile(spec));
  HCURSOR cursor = static_cast<HCURSOR>(
      LoadImageA(nullptr, path.c_str(), IMAGE_CURSOR, 0, 0, LR_LOADFROMFILE | LR_DEFAULTSIZE));
  ASSERT_NE(cursor, nullptr);
  EXPECT_TRUE(Lines().empty());
  ASSERT_NE(plat::CursorAnimationOf(cursor), nullptr);
  EXPECT_EQ(plat::CursorShownFrame(cursor), -1);

  SetCursor(nullptr);
  const struct {
    uint32_t advanceMs;
    int frame;
  } frames[] = {{0, 0}, {99, 0}, {1, 1}, {199, 1}, {1, 2}, {100, 0}, {150, 1}};
  for (const auto& f : frames) {
    clock.AdvanceMilliseconds(f.advanceMs);
    SetCursor(cursor);
    EXPECT_EQ(plat::CursorShownFrame(cursor), f.frame) << "after " << clock.Ticks() - 5000 << " ms";
  }
  // Made current again, it starts from its first step.
  SetCursor(nullptr);
  SetCursor(cursor);
  EXPECT_EQ(plat::CursorShownFrame(cursor), 0);

  EXPECT_TRUE(DestroyCursor(cursor));
  EXPECT_FALSE(DestroyCursor(cursor));
  EXPECT_EQ(plat::CursorAnimationOf(cursor), nullptr);
  // Only cursor files are loaded.
  EXPECT_EQ(LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE), nullptr);
  EXPECT_EQ(LoadImageA(nullptr, path.c_str(), IMAGE_CURSOR, 0, 0, 0), nullptr);
}

TEST_F(CursorFileTest, ADamagedFileGivesOneLogLineAndNoCursor) {
  const std::string good = AniFile(ThreeFrames());
  auto with = [](AniSpec spec, auto change) {
    change(spec);
    return AniFile(spec);
  };
  std::string riffTooLong = good;
  riffTooLong[4] = static_cast<char>(0xF0);  // RIFF size beyond the file: the chunks are still checked
  const struct {
    const char* what;
    std::string bytes;
  } cases[] = {
      {"empty", ""},
      {"text", "not a cursor at all"},
      {"cut in the header", good.substr(0, 30)},
      {"cut in a frame", good.substr(0, good.size() - 40)},
      {"no frames", with(ThreeFrames(), [](AniSpec& s) { s.frames.clear(); })},
      {"header names more frames", with(ThreeFrames(), [](AniSpec& s) { s.headerFrames = 4; })},
      {"raw bitmap frames", with(ThreeFrames(), [](AniSpec& s) { s.flags = 0; })},
      {"sequence beyond the frames", with(ThreeFrames(), [](AniSpec& s) { s.sequence = {0, 3}; })},
      {"rates shorter than the steps", with(ThreeFrames(), [](AniSpec& s) { s.rates = {1, 2}; })},
      {"8-bit frame",
       with(ThreeFrames(), [](AniSpec& s) { s.frames[1] = CursorImageFile(BitmapImage(8, 0, 0, 8), 8, 0, 0); })},
      {"frame offset outside",
       with(ThreeFrames(), [](AniSpec& s) { s.frames[0][18] = static_cast<char>(0x7F); })},
      {"frame too large",
       with(ThreeFrames(), [](AniSpec& s) { s.frames[2] = CursorImageFile(BitmapImage(300, 0, 0), 0, 0, 0); })},
      {"broken PNG",
       with(ThreeFrames(), [](AniSpec& s) {
         s.frames[0] = CursorImageFile(gfxtest::PngFile(4, 4, gfxtest::Pixels(16, 0)).substr(0, 40), 4, 0, 0);
       })},
      {"plain cursor cut short", CursorImageFile(BitmapImage(8, 0, 0), 8, 0, 0).substr(0, 100)},
      {"RIFF size beyond the file", riffTooLong.substr(0, riffTooLong.size() - 10)},
  };
  for (const auto& c : cases) {
    plat::CursorAnimation cursor;
    std::string error;
    EXPECT_FALSE(Read(c.bytes, &cursor, &error)) << c.what;
    EXPECT_FALSE(error.empty()) << c.what;
    EXPECT_TRUE(cursor.frames.empty() && cursor.steps.empty()) << c.what;

    Lines().clear();
    const std::string path = gfxtest::WriteFixture("cursors/damaged.ani", c.bytes);
    EXPECT_EQ(LoadImageA(nullptr, path.c_str(), IMAGE_CURSOR, 0, 0, LR_LOADFROMFILE), nullptr) << c.what;
    ASSERT_EQ(Lines().size(), 1u) << c.what;
    EXPECT_NE(Lines()[0].find("Unable to load cursor"), std::string::npos) << Lines()[0];
  }
  Lines().clear();
  EXPECT_EQ(LoadImageA(nullptr, "cursors/missing.ani", IMAGE_CURSOR, 0, 0, LR_LOADFROMFILE), nullptr);
  EXPECT_EQ(Lines().size(), 1u);
}

// The game's own cursors, drawn by the content generator and placed beside the program.
TEST_F(CursorFileTest, TheGamesCursorsBesideTheProgramAreAnimated) {
  const std::string folder = std::string(PELLAVO_BINARY_DIR) + "/bin/cursors/";
  for (const char* name : {"cursor_default", "cursor_power1", "cursor_power2", "cursor_power3", "cursor_power4",
                           "cursor_power6"}) {
    const std::string path = folder + name + ".ani";
    HCURSOR cursor = static_cast<HCURSOR>(LoadImageA(nullptr, path.c_str(), IMAGE_CURSOR, 0, 0, LR_LOADFROMFILE));
    ASSERT_NE(cursor, nullptr) << path;
    const plat::CursorAnimation* animation = plat::CursorAnimationOf(cursor);
    ASSERT_NE(animation, nullptr);
    EXPECT_GE(animation->frames.size(), 2u) << name;
    EXPECT_GE(animation->steps.size(), 2u) << name;
    for (const plat::CursorFrame& frame : animation->frames) {
      EXPECT_EQ(frame.width, 32u) << name;
      // Something is drawn in every frame.
      bool drawn = false;
      for (size_t i = 3; i < frame.rgba.size(); i += 4) drawn = drawn || frame.rgba[i] > 0;
      EXPECT_TRUE(drawn) << name;
    }
    EXPECT_TRUE(DestroyCursor(cursor));
  }
  EXPECT_TRUE(Lines().empty());
}

}  // namespace
