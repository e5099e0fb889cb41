// Images, the inflating stream, the JPEG reader and the bitmap tags.

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "engine/swf/base/image.h"
#include "engine/swf/base/jpeg.h"
#include "engine/swf/base/zlib_adapter.h"
#include "engine/swf/movie/bitmap_character.h"
#include "engine/swf/movie/movie_def_impl.h"
#include "tests/swf/support/SwfTestDoubles.h"
#include "tools/swfwriter/SwfWriter.h"

namespace {

using swftest::Bytes;

std::vector<swfw::Color> Pixels(int width, int height) {
  std::vector<swfw::Color> pixels;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      pixels.push_back({static_cast<uint8_t>(60 + x * 8), static_cast<uint8_t>(50 + y * 9), 100,
                        static_cast<uint8_t>(x * 16 + y)});
    }
  }
  return pixels;
}

// The bitmaps a movie of the given tags hands to the recording handler.
struct BitmapsOf {
  explicit BitmapsOf(const std::vector<Bytes>& tags) {
    swfw::Movie movie;
    for (const Bytes& tag : tags) movie.Add(tag);
    movie.ShowFrame().End();
    m = swftest::LoadMovie(movie.Build());
  }
  swftest::RecordedBitmap* Get(int id) const {
    swf::bitmap_character* ch = m->get_bitmap_character(id);
    return ch ? static_cast<swftest::RecordedBitmap*>(ch->get_bitmap_info()) : nullptr;
  }
  swftest::RecordingRenderHandler render;
  swf::smart_ptr<swf::movie_def_impl> m;
};

void ExpectNear(const swftest::RecordedBitmap* b, const std::vector<swfw::Color>& pixels, int channels) {
  ASSERT_EQ(b->pixels.size(), pixels.size() * static_cast<size_t>(channels));
  for (size_t i = 0; i < pixels.size(); ++i) {
    EXPECT_NEAR(b->pixels[i * channels], pixels[i].r, 12) << i;
    EXPECT_NEAR(b->pixels[i * channels + 1], pixels[i].g, 12) << i;
    EXPECT_NEAR(b->pixels[i * channels + 2], pixels[i].b, 12) << i;
  }
}

TEST(SwfImage, PitchesAndAlphaEquality) {
  EXPECT_EQ(swf::image_rgb(5, 2).m_pitch, 16);
  EXPECT_EQ(swf::image_rgb(4, 2).m_pitch, 12);
  EXPECT_EQ(swf::image_rgba(5, 2).m_pitch, 20);
  swf::image_alpha a(3, 2), b(4, 2);
  b.m_width = 3;  // same rows in a wider buffer
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 3; ++x) {
      swf::scanline(&a, y)[x] = static_cast<uint8_t>(x + 3 * y);
      swf::scanline(&b, y)[x] = static_cast<uint8_t>(x + 3 * y);
    }
  }
  swf::scanline(&b, 0)[3] = 99;  // padding does not count
  EXPECT_TRUE(a == b);
  EXPECT_EQ(a.compute_hash(), b.compute_hash());
  swf::scanline(&b, 1)[2] = 0;
  EXPECT_FALSE(a == b);
  EXPECT_EQ(swf::create_image_rgba(4097, 1), nullptr);
}

TEST(SwfInflater, SeeksBackAndGivesBackUnusedInput) {
  Bytes data;
  for (int i = 0; i < 20000; ++i) data.push_back(static_cast<uint8_t>(i * 7 + i / 100));
  Bytes packed = swfw::ZlibCompress(data);
  Bytes file = packed;
  file.insert(file.end(), {0xAB, 0xCD});  // bytes after the zlib stream
  std::unique_ptr<swf::file_stream> source(swftest::MakeMemoryStream(file));
  std::unique_ptr<swf::file_stream> in(swf::make_inflater(source.get()));
  Bytes first(5000), again(5000);
  ASSERT_EQ(in->read_bytes(first.data(), 5000), 5000);
  EXPECT_EQ(in->set_position(12000), 0);
  EXPECT_EQ(in->set_position(0), 0);  // backwards: starts over from the source
  ASSERT_EQ(in->read_bytes(again.data(), 5000), 5000);
  EXPECT_EQ(first, again);
  EXPECT_EQ(first, Bytes(data.begin(), data.begin() + 5000));
  Bytes rest(20000);
  EXPECT_EQ(in->read_bytes(rest.data(), 20000), 15000);
  EXPECT_TRUE(in->get_eof());
  in.reset();  // closing gives the unused read-ahead back to the source
  EXPECT_EQ(source->get_position(), static_cast<int>(packed.size()));
}

TEST(SwfJpeg, ImagesWithTheirOwnTablesAndALeadingEndMarker) {
  std::vector<swfw::Color> pixels = Pixels(8, 6);
  Bytes jpeg = swfw::EncodeJpeg(8, 6, pixels);
  Bytes odd;
  odd.reserve(4 + jpeg.size());
  odd = {0xFF, 0xD9, 0xFF, 0xD8};
  odd.insert(odd.end(), jpeg.begin(), jpeg.end());
  BitmapsOf movie({swfw::DefineBitsJPEG2(1, jpeg), swfw::DefineBitsJPEG2(2, odd)});
  ASSERT_NE(movie.Get(1), nullptr);
  ASSERT_NE(movie.Get(2), nullptr);
  EXPECT_EQ(movie.Get(1)->kind, swftest::RecordedBitmap::kRgb);
  ExpectNear(movie.Get(1), pixels, 3);
  EXPECT_EQ(movie.Get(1)->pixels, movie.Get(2)->pixels);
  EXPECT_EQ(movie.m->get_bitmap_info_count(), 2);
}

TEST(SwfJpeg, Jpeg3TakesItsAlphaFromTheZlibBlock) {
  std::vector<swfw::Color> pixels = Pixels(5, 3);
  Bytes alpha;
  for (const swfw::Color& c : pixels) alpha.push_back(c.a);
  BitmapsOf movie({swfw::DefineBitsJPEG3(7, swfw::EncodeJpeg(5, 3, pixels), alpha)});
  swftest::RecordedBitmap* b = movie.Get(7);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(b->kind, swftest::RecordedBitmap::kRgba);
  ExpectNear(b, pixels, 4);
  for (size_t i = 0; i < pixels.size(); ++i) EXPECT_EQ(b->pixels[i * 4 + 3], pixels[i].a) << i;
}

TEST(SwfJpeg, SharedTablesAndTheirAbsence) {
  swftest::SwfLogCapture log;
  std::vector<swfw::Color> pixels = Pixels(8, 8);
  Bytes image = swfw::EncodeJpegAbbreviated(8, 8, pixels);
  BitmapsOf early({swfw::DefineBits(1, image)});
  EXPECT_EQ(early.Get(1), nullptr);
  EXPECT_EQ(log.Count("comes before any JPEGTables"), 1u);

  BitmapsOf movie({swfw::JPEGTables(swfw::EncodeJpegTables()), swfw::DefineBits(1, image),
                   swfw::DefineBits(2, image)});
  ASSERT_NE(movie.Get(1), nullptr);
  ASSERT_NE(movie.Get(2), nullptr);
  ExpectNear(movie.Get(2), pixels, 3);
}

TEST(SwfJpeg, ABrokenJpegIsSkippedWithOneLine) {
  swftest::SwfLogCapture log;
  Bytes jpeg = swfw::EncodeJpeg(8, 6, Pixels(8, 6));
  Bytes cut(jpeg.begin(), jpeg.begin() + 40);
  Bytes garbage = {0xFF, 0xD8, 0xFF, 0xC0, 0x00, 0x02, 0x12};
  BitmapsOf movie({swfw::DefineBitsJPEG2(1, cut), swfw::DefineBitsJPEG2(2, garbage), swfw::DefineBitsJPEG2(3, {}),
                   swfw::DefineBitsJPEG2(4, jpeg)});
  EXPECT_EQ(movie.Get(1), nullptr);
  EXPECT_EQ(movie.Get(2), nullptr);
  EXPECT_EQ(movie.Get(3), nullptr);
  EXPECT_NE(movie.Get(4), nullptr);
  EXPECT_GE(log.Count("internal error in jpeglib\n"), 3u);
}

TEST(SwfLossless, FormatsByTagType) {
  swfw::LosslessImage mapped;
  mapped.format = 3;
  mapped.width = 3;  // rows of 3 indices are padded to 4 bytes
  mapped.height = 2;
  mapped.colorTable = {{255, 0, 0, 200}, {0, 0, 255, 100}};
  mapped.indices = {0, 1, 0, 1, 1, 7};  // 7 lies past the table
  swfw::LosslessImage sixteen;
  sixteen.format = 4;
  sixteen.width = 1;
  sixteen.height = 2;
  sixteen.pixels16 = {0xFFFF, 0x7C1F};
  swfw::LosslessImage full;
  full.format = 5;
  full.width = 1;
  full.height = 1;
  full.pixels = {{0x10, 0x20, 0x30, 0x80}};
  BitmapsOf movie({swfw::DefineBitsLossless(1, mapped, false), swfw::DefineBitsLossless(2, mapped, true),
                   swfw::DefineBitsLossless(3, sixteen, false), swfw::DefineBitsLossless(4, sixteen, true),
                   swfw::DefineBitsLossless(5, full, false), swfw::DefineBitsLossless(6, full, true)});
  EXPECT_EQ(movie.Get(1)->pixels, (Bytes{255, 0, 0, 0, 0, 255, 255, 0, 0, 0, 0, 255, 0, 0, 255, 0, 0, 0}));
  EXPECT_EQ(movie.Get(2)->pixels, (Bytes{255, 0, 0, 200, 0, 0, 255, 100, 255, 0, 0, 200,  //
                                          0, 0, 255, 100, 0, 0, 255, 100, 0, 0, 0, 0}));
  EXPECT_EQ(movie.Get(3)->pixels, (Bytes{248, 252, 248, 0x78, 0x80, 0xF8}));
  EXPECT_EQ(movie.Get(4)->pixels, (Bytes{248, 252, 248, 255, 0x78, 0x80, 0xF8, 255}));
  EXPECT_EQ(movie.Get(5)->pixels, (Bytes{0x10, 0x20, 0x30}));
  EXPECT_EQ(movie.Get(6)->pixels, (Bytes{0x10, 0x20, 0x30, 0x80}));
}

TEST(SwfLossless, CutOrOverlongDataLeavesTheRestAsMade) {
  swfw::LosslessImage full;
  full.format = 5;
  full.width = 2;
  full.height = 2;
  full.pixels = {{1, 2, 3, 4}, {5, 6, 7, 8}, {9, 10, 11, 12}, {13, 14, 15, 16}};
  Bytes packed = swfw::ZlibCompress(swfw::LosslessData(full, true));
  Bytes cut(packed.begin(), packed.begin() + packed.size() / 2);
  Bytes longer = swfw::ZlibCompress(Bytes(1000, 0x55));
  BitmapsOf movie({swfw::DefineBitsLosslessRaw(1, true, 5, 2, 2, cut),
                   swfw::DefineBitsLosslessRaw(2, true, 5, 2, 2, longer),
                   swfw::DefineBitsLosslessRaw(3, true, 9, 2, 2, packed)});
  ASSERT_NE(movie.Get(1), nullptr);
  ASSERT_NE(movie.Get(2), nullptr);
  EXPECT_EQ(movie.Get(2)->pixels, Bytes(16, 0x55));
  EXPECT_EQ(movie.Get(3)->pixels, Bytes(16, 0));  // an unknown format keeps the new image
}

TEST(SwfBitmaps, WithoutAHandlerBitmapsArePlaceholders) {
  swfw::LosslessImage full;
  full.format = 5;
  full.width = 1;
  full.height = 1;
  full.pixels = {{1, 2, 3, 4}};
  swfw::Movie movie;
  movie.Add(swfw::DefineBitsLossless(1, full, true)).ShowFrame().End();
  auto m = swftest::LoadMovie(movie.Build());
  ASSERT_NE(m->get_bitmap_character(1), nullptr);
  EXPECT_NE(m->get_bitmap_character(1)->get_bitmap_info(), nullptr);
}

}  // namespace
