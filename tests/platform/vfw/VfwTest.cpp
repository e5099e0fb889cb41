#include "platform/vfw/Vfw.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "tests/platform/vfw/AviWriter.h"
#include "tests/support/TestEnv.h"

namespace {

using namespace vfw;
using testenv::ColorNear;

constexpr int kWidth = 32;
constexpr int kHeight = 16;

// Each frame has a top half and a bottom half of different colours, so that both the
// frame order and the row order show in the pixels.
constexpr std::uint32_t kPalette[] = {0xE02010, 0x10C030, 0x2040E0, 0xE0E020, 0x20E0E0,
                                      0xE020E0, 0x808080, 0xF0A060, 0x60A0F0, 0x406020};

std::uint32_t TopColour(int frame) { return kPalette[frame % 10]; }
std::uint32_t BottomColour(int frame) { return kPalette[(frame + 3) % 10]; }

struct Movie {
  const char* codec;
  int frames;
  int rate;
  int gop;
  int tolerance;  // per channel, for lossy codecs
};

const Movie kMovies[] = {
    {"mjpeg", 6, 25, 1, 12},
    {"rawvideo", 6, 10, 1, 0},
    {"mpeg4", 10, 10, 4, 24},  // key frames 0, 4, 8; the rest decode from them
};

std::string MakeMovie(const Movie& movie) {
  AviSpec spec;
  spec.codec = movie.codec;
  spec.width = kWidth;
  spec.height = kHeight;
  spec.frames = movie.frames;
  spec.rate = movie.rate;
  spec.gop = movie.gop;
  spec.pixel = [](int frame, int, int y) {
    return y < kHeight / 2 ? TopColour(frame) : BottomColour(frame);
  };
  std::string path = testenv::MakeTempDir("avi") + "/" + movie.codec + ".avi";
  EXPECT_TRUE(WriteAvi(path, spec)) << movie.codec;
  return path;
}

// Pixel (x, y), y from the top of the picture, of a packed 32-bit bitmap, as 0xRRGGBB.
std::uint32_t PixelAt(const BITMAPINFOHEADER* header, const void* bits, int x, int y) {
  const int height = std::abs(header->biHeight);
  const int row = header->biHeight < 0 ? y : height - 1 - y;
  const auto* bytes = static_cast<const std::uint8_t*>(bits) + (row * header->biWidth + x) * 4;
  return std::uint32_t(bytes[2]) << 16 | std::uint32_t(bytes[1]) << 8 | bytes[0];
}

const void* PixelsOf(const BITMAPINFOHEADER* frame) {
  return reinterpret_cast<const std::uint8_t*>(frame) + frame->biSize + frame->biClrUsed * 4;
}

void ExpectFrame(const BITMAPINFOHEADER* frame, int index, int tolerance) {
  ASSERT_NE(frame, nullptr) << "frame " << index;
  EXPECT_EQ(frame->biSize, 40u);
  EXPECT_EQ(frame->biWidth, kWidth);
  EXPECT_EQ(frame->biPlanes, 1);
  EXPECT_EQ(frame->biBitCount, 32);
  EXPECT_EQ(frame->biCompression, BI_RGB);
  const void* bits = PixelsOf(frame);
  for (int x : {1, 30}) {
    EXPECT_TRUE(ColorNear(PixelAt(frame, bits, x, 1), TopColour(index), tolerance))
        << "frame " << index;
    EXPECT_TRUE(ColorNear(PixelAt(frame, bits, x, 14), BottomColour(index), tolerance))
        << "frame " << index;
  }
  // The fourth byte is opaque.
  EXPECT_EQ(static_cast<const std::uint8_t*>(bits)[3], 0xFF);
}

class VfwTest : public ::testing::Test {
 protected:
  void SetUp() override { AVIFileInit(); }
  void TearDown() override { AVIFileExit(); }
};

TEST_F(VfwTest, StreamTellsFrameSizeCountAndTime) {
  for (const Movie& movie : kMovies) {
    SCOPED_TRACE(movie.codec);
    std::string path = MakeMovie(movie);
    PAVISTREAM stream = nullptr;
    ASSERT_EQ(AVIStreamOpenFromFileA(&stream, path.c_str(), streamtypeVIDEO, 0, OF_READ, nullptr),
              AVIERR_OK);
    ASSERT_NE(stream, nullptr);

    AVISTREAMINFOA info;
    ASSERT_EQ(AVIStreamInfoA(stream, &info, sizeof info), AVIERR_OK);
    EXPECT_EQ(info.fccType, streamtypeVIDEO);
    EXPECT_EQ(info.rcFrame.right - info.rcFrame.left, kWidth);
    EXPECT_EQ(info.rcFrame.bottom - info.rcFrame.top, kHeight);
    ASSERT_NE(info.dwScale, 0u);
    EXPECT_EQ(info.dwRate / info.dwScale, std::uint32_t(movie.rate));
    EXPECT_EQ(info.dwLength, std::uint32_t(movie.frames));

    const std::int32_t frames = AVIStreamLength(stream);
    EXPECT_EQ(frames, movie.frames);
    EXPECT_EQ(AVIStreamSampleToTime(stream, frames) / frames, 1000 / movie.rate);
    EXPECT_EQ(AVIStreamSampleToTime(stream, 3), 3000 / movie.rate);
    EXPECT_EQ(AVIStreamSampleToTime(stream, -1), -1);
    EXPECT_EQ(AVIStreamRelease(stream), 0u);
  }
}

TEST_F(VfwTest, FramesComeByIndexInAnyOrder) {
  for (const Movie& movie : kMovies) {
    SCOPED_TRACE(movie.codec);
    std::string path = MakeMovie(movie);
    PAVISTREAM stream = nullptr;
    ASSERT_EQ(AVIStreamOpenFromFileA(&stream, path.c_str(), streamtypeVIDEO, 0, OF_READ, nullptr),
              AVIERR_OK);
    PGETFRAME decoder = AVIStreamGetFrameOpen(stream, nullptr);
    ASSERT_NE(decoder, nullptr);

    const int last = movie.frames - 1;
    // Backwards, forwards over key frames, repeats, runs and a loop back to the start.
    std::vector<int> order = {last, 2, 3, 1, 1, 0, last - 1, 4, 5, 0, 1, 2, 3, 4, 5};
    for (int index : order) {
      if (index > last) continue;
      const BITMAPINFOHEADER* frame = AVIStreamGetFrame(decoder, index);
      ExpectFrame(frame, index, movie.tolerance);
      if (frame) {
        EXPECT_GT(frame->biHeight, 0) << "rows bottom-up";
      }
    }

    // Out of range: nothing, and the decoder carries on afterwards.
    EXPECT_EQ(AVIStreamGetFrame(decoder, -1), nullptr);
    EXPECT_EQ(AVIStreamGetFrame(decoder, movie.frames), nullptr);
    ExpectFrame(AVIStreamGetFrame(decoder, 2), 2, movie.tolerance);

    // The decoder keeps the stream open after the caller's release.
    EXPECT_EQ(AVIStreamRelease(stream), 1u);
    ExpectFrame(AVIStreamGetFrame(decoder, 1), 1, movie.tolerance);
    EXPECT_EQ(AVIStreamGetFrameClose(decoder), AVIERR_OK);
  }
}

TEST_F(VfwTest, TwoDecodersOnOneStreamDoNotDisturbEachOther) {
  const Movie& movie = kMovies[2];
  std::string path = MakeMovie(movie);
  PAVISTREAM stream = nullptr;
  ASSERT_EQ(AVIStreamOpenFromFileA(&stream, path.c_str(), streamtypeVIDEO, 0, OF_READ, nullptr),
            AVIERR_OK);
  PGETFRAME a = AVIStreamGetFrameOpen(stream, nullptr);
  PGETFRAME b = AVIStreamGetFrameOpen(stream, nullptr);
  for (int index = 0; index < movie.frames; ++index) {
    ExpectFrame(AVIStreamGetFrame(a, index), index, movie.tolerance);
    ExpectFrame(AVIStreamGetFrame(b, movie.frames - 1 - index), movie.frames - 1 - index,
                movie.tolerance);
  }
  AVIStreamGetFrameClose(a);
  AVIStreamGetFrameClose(b);
  AVIStreamRelease(stream);
}

TEST_F(VfwTest, RequestedFormatChoosesRowOrder) {
  std::string path = MakeMovie(kMovies[1]);
  PAVISTREAM stream = nullptr;
  ASSERT_EQ(AVIStreamOpenFromFileA(&stream, path.c_str(), streamtypeVIDEO, 0, OF_READ, nullptr),
            AVIERR_OK);

  BITMAPINFOHEADER wanted;
  wanted.biWidth = kWidth;
  wanted.biHeight = -kHeight;
  wanted.biBitCount = 32;
  PGETFRAME topDown = AVIStreamGetFrameOpen(stream, &wanted);
  ASSERT_NE(topDown, nullptr);
  const BITMAPINFOHEADER* frame = AVIStreamGetFrame(topDown, 3);
  ExpectFrame(frame, 3, 0);
  ASSERT_NE(frame, nullptr);
  EXPECT_EQ(frame->biHeight, -kHeight);
  // The first row in memory is the top of the picture.
  EXPECT_EQ(*static_cast<const std::uint32_t*>(PixelsOf(frame)) & 0xFFFFFF, TopColour(3));
  AVIStreamGetFrameClose(topDown);

  BITMAPINFOHEADER unsupported = wanted;
  unsupported.biBitCount = 24;
  EXPECT_EQ(AVIStreamGetFrameOpen(stream, &unsupported), nullptr);
  BITMAPINFOHEADER otherSize = wanted;
  otherSize.biWidth = kWidth * 2;
  EXPECT_EQ(AVIStreamGetFrameOpen(stream, &otherSize), nullptr);
  AVIStreamRelease(stream);
}

// The movie image's steps: open the draw handle and the stream, make a 32-bit bottom-up
// memory bitmap of the frame size, fetch a frame and draw it into the bitmap.
TEST_F(VfwTest, DrawDibCopiesAFrameIntoTheMemoryBitmap) {
  const Movie& movie = kMovies[0];
  std::string path = MakeMovie(movie);

  HDRAWDIB drawDib = DrawDibOpen();
  ASSERT_NE(drawDib, nullptr);
  PAVISTREAM stream = nullptr;
  ASSERT_EQ(AVIStreamOpenFromFileA(&stream, path.c_str(), streamtypeVIDEO, 0, OF_READ, nullptr),
            AVIERR_OK);
  AVISTREAMINFOA info;
  AVIStreamInfoA(stream, &info, sizeof info);
  const int width = info.rcFrame.right - info.rcFrame.left;
  const int height = info.rcFrame.bottom - info.rcFrame.top;

  HDC dc = CreateCompatibleDC(nullptr);
  for (int direction : {1, -1}) {
    SCOPED_TRACE(direction > 0 ? "bottom-up bitmap" : "top-down bitmap");
    BITMAPINFOHEADER header;
    header.biWidth = width;
    header.biHeight = height * direction;
    header.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(dc, &header, DIB_RGB_COLORS, &bits, nullptr, 0);
    ASSERT_NE(bitmap, nullptr);
    ASSERT_NE(bits, nullptr);
    SelectObject(dc, bitmap);

    PGETFRAME decoder = AVIStreamGetFrameOpen(stream, nullptr);
    ASSERT_NE(decoder, nullptr);
    const BITMAPINFOHEADER* frame = AVIStreamGetFrame(decoder, 4);
    ASSERT_NE(frame, nullptr);
    EXPECT_TRUE(DrawDibDraw(drawDib, dc, 0, 0, width, height, frame, PixelsOf(frame), 0, 0, width,
                            height, 0));
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        ASSERT_EQ(PixelAt(&header, bits, x, y), PixelAt(frame, PixelsOf(frame), x, y))
            << x << "," << y;
      }
    }
    EXPECT_TRUE(ColorNear(PixelAt(&header, bits, 3, 2), TopColour(4), movie.tolerance));

    EXPECT_EQ(AVIStreamGetFrameClose(decoder), AVIERR_OK);
    EXPECT_TRUE(DeleteObject(bitmap));
  }
  EXPECT_TRUE(DeleteDC(dc));
  EXPECT_TRUE(DrawDibClose(drawDib));
  EXPECT_EQ(AVIStreamRelease(stream), 0u);
}

TEST_F(VfwTest, DrawDibClipsAndDoesNotStretch) {
  // A 4 x 2 source: top row 1 2 3 4, bottom row 5 6 7 8 (stored bottom-up).
  BITMAPINFOHEADER source;
  source.biWidth = 4;
  source.biHeight = 2;
  source.biBitCount = 32;
  const std::uint32_t sourceBits[] = {5, 6, 7, 8, 1, 2, 3, 4};

  BITMAPINFOHEADER target;
  target.biWidth = 3;
  target.biHeight = -3;  // top-down, so that the expected rows read naturally
  target.biBitCount = 32;
  HDRAWDIB drawDib = DrawDibOpen();
  HDC dc = CreateCompatibleDC(nullptr);
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(dc, &target, DIB_RGB_COLORS, &bits, nullptr, 0);
  auto* pixels = static_cast<std::uint32_t*>(bits);

  // Nothing selected yet.
  EXPECT_FALSE(DrawDibDraw(drawDib, dc, 0, 0, 4, 2, &source, sourceBits, 0, 0, 4, 2, 0));
  EXPECT_EQ(SelectObject(dc, bitmap), nullptr);

  struct Case {
    const char* name;
    int xDst, yDst, xSrc, ySrc, w, h;
    std::vector<std::uint32_t> expected;  // the 3 x 3 target, top row first
  } cases[] = {
      {"whole source clipped at the right", 0, 0, 0, 0, 4, 2, {1, 2, 3, 5, 6, 7, 0, 0, 0}},
      {"moved down and right", 1, 2, 0, 0, 4, 2, {0, 0, 0, 0, 0, 0, 0, 1, 2}},
      {"off the top left", -1, -1, 0, 0, 4, 2, {6, 7, 8, 0, 0, 0, 0, 0, 0}},
      {"part of the source", 0, 1, 2, 1, 2, 1, {0, 0, 0, 7, 8, 0, 0, 0, 0}},
      {"entirely outside", 5, 0, 0, 0, 4, 2, {0, 0, 0, 0, 0, 0, 0, 0, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::memset(pixels, 0, 9 * sizeof(std::uint32_t));
    EXPECT_TRUE(DrawDibDraw(drawDib, dc, c.xDst, c.yDst, c.w, c.h, &source, sourceBits, c.xSrc,
                            c.ySrc, c.w, c.h, 0));
    EXPECT_EQ(std::vector<std::uint32_t>(pixels, pixels + 9), c.expected);
  }

  EXPECT_FALSE(DrawDibDraw(drawDib, dc, 0, 0, 2, 2, &source, sourceBits, 0, 0, 4, 2, 0));
  BITMAPINFOHEADER paletted = source;
  paletted.biBitCount = 8;
  EXPECT_FALSE(DrawDibDraw(drawDib, dc, 0, 0, 4, 2, &paletted, sourceBits, 0, 0, 4, 2, 0));
  EXPECT_FALSE(DrawDibDraw(nullptr, dc, 0, 0, 4, 2, &source, sourceBits, 0, 0, 4, 2, 0));

  // Deleting the selected bitmap leaves the context without one.
  EXPECT_TRUE(DeleteObject(bitmap));
  EXPECT_FALSE(DrawDibDraw(drawDib, dc, 0, 0, 4, 2, &source, sourceBits, 0, 0, 4, 2, 0));
  EXPECT_TRUE(DeleteDC(dc));
  EXPECT_TRUE(DrawDibClose(drawDib));

  BITMAPINFOHEADER wrong = target;
  wrong.biBitCount = 24;
  void* none = &wrong;
  EXPECT_EQ(CreateDIBSection(nullptr, &wrong, DIB_RGB_COLORS, &none, nullptr, 0), nullptr);
  EXPECT_EQ(none, nullptr);
}

TEST_F(VfwTest, FilesThatHoldNoMovieAreRefused) {
  const std::string dir = testenv::MakeTempDir("bad");
  AviSpec noFrames;
  noFrames.frames = 0;
  noFrames.pixel = [](int, int, int) { return 0u; };
  ASSERT_TRUE(WriteAvi(dir + "/empty.avi", noFrames));
  ASSERT_TRUE(WriteAudioOnlyAvi(dir + "/audio.avi"));
  ASSERT_TRUE(testenv::WriteFile(dir + "/zero.avi", ""));
  std::string garbage;
  for (int i = 0; i < 4096; ++i) garbage += static_cast<char>((i * 131 + 7) & 0xFF);
  ASSERT_TRUE(testenv::WriteFile(dir + "/garbage.avi", garbage));
  static const char kRiff[] = "RIFF\x10\0\0\0AVI LIST\xff\xff\xff\x7f";
  ASSERT_TRUE(testenv::WriteFile(dir + "/riff.avi", std::string(kRiff, sizeof kRiff - 1) + garbage));

  struct Case {
    const char* name;
    std::string path;
    std::int32_t error;  // 0: any failure
  } cases[] = {
      {"missing file", dir + "/missing.avi", AVIERR_FILEOPEN},
      {"folder", dir, AVIERR_FILEOPEN},
      {"no frames", dir + "/empty.avi", AVIERR_NODATA},
      {"no video stream", dir + "/audio.avi", AVIERR_NODATA},
      {"empty file", dir + "/zero.avi", 0},
      {"garbage", dir + "/garbage.avi", 0},
      {"broken header", dir + "/riff.avi", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PAVISTREAM stream = reinterpret_cast<PAVISTREAM>(&garbage);
    std::int32_t result =
        AVIStreamOpenFromFileA(&stream, c.path.c_str(), streamtypeVIDEO, 0, OF_READ, nullptr);
    EXPECT_NE(result, AVIERR_OK);
    if (c.error != 0) {
      EXPECT_EQ(result, c.error);
    }
    EXPECT_EQ(stream, nullptr);
  }

  std::string good = MakeMovie(kMovies[1]);
  PAVISTREAM stream = nullptr;
  EXPECT_EQ(AVIStreamOpenFromFileA(&stream, nullptr, streamtypeVIDEO, 0, OF_READ, nullptr),
            AVIERR_BADPARAM);
  EXPECT_EQ(AVIStreamOpenFromFileA(&stream, good.c_str(), MakeFourCC('a', 'u', 'd', 's'), 0,
                                   OF_READ, nullptr),
            AVIERR_BADPARAM);
  EXPECT_EQ(stream, nullptr);
  EXPECT_EQ(AVIStreamLength(nullptr), 0);
  EXPECT_EQ(AVIStreamGetFrameOpen(nullptr, nullptr), nullptr);
  EXPECT_EQ(AVIStreamGetFrame(nullptr, 0), nullptr);
}

// A header whose frame lasts billions of time units: the time of a late frame is clamped
// to the largest millisecond count, never wrapped round into a negative or small one.
TEST_F(VfwTest, AHugeFrameDurationClampsTheTimeOfLateFrames) {
  std::string bytes = testenv::ReadFile(MakeMovie(kMovies[1]));
  const size_t header = bytes.find("strh");
  ASSERT_NE(header, std::string::npos);
  ASSERT_EQ(bytes.substr(header + 8, 4), "vids");
  // The stream header's scale and rate: 0x7FFFFFFF time units a frame at a rate of 1.
  const char scale[] = "\xff\xff\xff\x7f\x01\x00\x00\x00";
  bytes.replace(header + 28, 8, scale, 8);
  const std::string path = testenv::MakeTempDir("slow") + "/slow.avi";
  ASSERT_TRUE(testenv::WriteFile(path, bytes));

  PAVISTREAM stream = nullptr;
  ASSERT_EQ(AVIStreamOpenFromFileA(&stream, path.c_str(), streamtypeVIDEO, 0, OF_READ, nullptr), AVIERR_OK);
  AVISTREAMINFOA info;
  ASSERT_EQ(AVIStreamInfoA(stream, &info, sizeof info), AVIERR_OK);
  ASSERT_EQ(info.dwScale, 0x7FFFFFFFu);
  ASSERT_EQ(info.dwRate, 1u);
  for (std::int32_t sample : {1, 6, 0x7FFFFFFF}) {
    EXPECT_EQ(AVIStreamSampleToTime(stream, sample), 0x7FFFFFFF) << sample;
  }
  EXPECT_EQ(AVIStreamSampleToTime(stream, 0), 0);
  EXPECT_EQ(AVIStreamRelease(stream), 0u);
}

TEST_F(VfwTest, TruncatedMovieReadsWhatIsThereWithoutFault) {
  const Movie& movie = kMovies[1];
  std::string whole = testenv::ReadFile(MakeMovie(movie));
  std::string path = testenv::MakeTempDir("cut") + "/cut.avi";
  ASSERT_TRUE(testenv::WriteFile(path, whole.substr(0, whole.size() / 2)));

  PAVISTREAM stream = nullptr;
  if (AVIStreamOpenFromFileA(&stream, path.c_str(), streamtypeVIDEO, 0, OF_READ, nullptr) !=
      AVIERR_OK) {
    EXPECT_EQ(stream, nullptr);
    return;
  }
  PGETFRAME decoder = AVIStreamGetFrameOpen(stream, nullptr);
  ASSERT_NE(decoder, nullptr);
  const int frames = AVIStreamLength(stream);
  EXPECT_GT(frames, 0);
  // Frames before the cut come back whole; a frame past it cannot be decoded and comes
  // back as nothing (never as some other picture), and the decoder recovers afterwards.
  for (int index : {0, frames - 1, 1, frames / 2, 2, 0}) {
    const BITMAPINFOHEADER* frame = AVIStreamGetFrame(decoder, index);
    if (index == 0 || frame) ExpectFrame(frame, index, 0);
    if (index == frames - 1) {
      EXPECT_EQ(frame, nullptr);
    }
  }
  AVIStreamGetFrameClose(decoder);
  AVIStreamRelease(stream);
}

}  // namespace
