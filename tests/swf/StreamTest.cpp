// The tag stream and the geometry records, read from bytes made by hand or by the writer.

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "engine/swf/base/records.h"
#include "engine/swf/base/stream.h"
#include "tests/swf/support/SwfTestDoubles.h"
#include "tools/swfwriter/SwfWriter.h"

namespace {

// A stream over bytes, with the file stream it reads.
struct Reader {
  explicit Reader(const swftest::Bytes& bytes) : file(swftest::MakeMemoryStream(bytes)), in(file.get()) {}
  std::unique_ptr<swf::file_stream> file;
  swf::stream in;
};

TEST(SwfStream, BitsRunMostSignificantFirstAcrossBytes) {
  Reader r({0xA5, 0xFF});
  EXPECT_EQ(r.in.read_uint(3), 5u);
  EXPECT_EQ(r.in.read_uint(7), 23u);
  EXPECT_FALSE(r.in.has_error());
}

TEST(SwfStream, SignedFieldsExtendTheirSign) {
  Reader r({0x87});  // 1000 0111
  EXPECT_EQ(r.in.read_sint(4), -8);
  EXPECT_EQ(r.in.read_sint(4), 7);
  Reader wide({0x80, 0, 0, 0});
  EXPECT_EQ(wide.in.read_sint(32), INT32_MIN);
}

TEST(SwfStream, ByteReadsAlignAndAreLittleEndian) {
  Reader r({0xFF, 0x34, 0x12, 0x78, 0x56, 0x34, 0x12});
  EXPECT_EQ(r.in.read_uint(1), 1u);
  EXPECT_EQ(r.in.read_u16(), 0x1234);  // the 7 bits left of 0xFF are skipped
  EXPECT_EQ(r.in.read_u32(), 0x12345678u);
}

TEST(SwfStream, MoreThan32BitsAreRefused) {
  Reader r({0xFF, 0xFF, 0xFF, 0xFF, 0xFF});
  EXPECT_EQ(r.in.read_uint(33), 0u);
  EXPECT_TRUE(r.in.has_error());
}

TEST(SwfStream, StringsAndLengthStrings) {
  Reader r({'a', 'b', 0, 0, 3, 'x', 'y', 'z'});
  std::unique_ptr<char[]> s(r.in.read_string());
  EXPECT_STREQ(s.get(), "ab");
  EXPECT_EQ(r.in.read_string_with_length(), nullptr);
  std::unique_ptr<char[]> t(r.in.read_string_with_length());
  EXPECT_STREQ(t.get(), "xyz");
}

TEST(SwfStream, TagHeadersShortAndLong) {
  swftest::Bytes bytes = swfw::Tag(9, swfw::Bytes(62, 1));
  swftest::Bytes forced = swfw::Tag(0, swfw::Bytes(2, 7), {true, {}});
  bytes.insert(bytes.end(), forced.begin(), forced.end());
  Reader r(bytes);
  EXPECT_EQ(r.in.open_tag(), 9);
  EXPECT_EQ(r.in.get_tag_end_position(), 2 + 62);
  r.in.close_tag();
  EXPECT_EQ(r.in.open_tag(), 0);  // header 0x3F: the length follows as a u32
  EXPECT_EQ(r.in.get_tag_end_position(), 64 + 6 + 2);
  EXPECT_EQ(r.in.read_u16(), 0x0707);
  r.in.close_tag();
  EXPECT_FALSE(r.in.has_error());
}

TEST(SwfStream, ReadsStopAtTheTagEndAndTheErrorEndsWithTheTag) {
  swftest::Bytes bytes = swfw::Tag(9, {1, 2});
  swftest::Bytes next = swfw::Tag(4, {3});
  bytes.insert(bytes.end(), next.begin(), next.end());
  Reader r(bytes);
  r.in.open_tag();
  EXPECT_EQ(r.in.read_u32(), 0x0201u);  // two bytes of the tag, then zeros
  EXPECT_TRUE(r.in.has_error());
  r.in.close_tag();
  EXPECT_FALSE(r.in.has_error());
  EXPECT_EQ(r.in.open_tag(), 4);
  EXPECT_EQ(r.in.read_u8(), 3);
}

TEST(SwfStream, ALengthPastTheEnclosingTagEndsTheEnclosingBlock) {
  // An outer tag of 8 bytes holding an inner tag that claims 100.
  swftest::Bytes inner = swfw::Tag(9, {1, 2, 3}, {false, 100});
  inner.resize(8, 0);
  swftest::Bytes bytes = swfw::Tag(39, inner);
  swftest::Bytes after = swfw::Tag(1, {});
  bytes.insert(bytes.end(), after.begin(), after.end());
  Reader r(bytes);
  ASSERT_EQ(r.in.open_tag(), 39);
  EXPECT_EQ(r.in.open_tag(), -1);
  EXPECT_TRUE(r.in.has_error());
  r.in.close_tag();
  EXPECT_TRUE(r.in.has_error());  // the sprite's loop ends
  r.in.close_tag();
  EXPECT_FALSE(r.in.has_error());  // the movie's loop goes on after the sprite
  EXPECT_EQ(r.in.open_tag(), 1);
}

TEST(SwfStream, HugeLengthsNeverSeekBackwards) {
  swftest::Bytes bytes = swfw::Tag(9, {}, {true, 0xFFFFFFF0u});
  Reader r(bytes);
  r.in.set_end_limit(static_cast<int>(bytes.size()));
  EXPECT_EQ(r.in.open_tag(), -1);
  r.in.close_tag();
  EXPECT_TRUE(r.in.has_error());
  EXPECT_GE(r.in.get_position(), 6);
}

TEST(SwfStream, TheFileEndIsSticky) {
  Reader r({1});
  EXPECT_EQ(r.in.read_u16(), 1);
  EXPECT_TRUE(r.in.has_error());
  EXPECT_EQ(r.in.open_tag(), -1);
  r.in.close_tag();
  EXPECT_TRUE(r.in.has_error());
}

// ---- records --------------------------------------------------------------------------

TEST(SwfRecords, MatrixReadsScaleRotateAndTranslate) {
  swfw::BitWriter w;
  swfw::Matrix m;
  m.hasScale = true;
  m.scaleX = 2.0;
  m.scaleY = -0.5;
  m.hasRotate = true;
  m.rotateSkew0 = 0.25;
  m.rotateSkew1 = -1.0;
  m.translateX = 100;
  m.translateY = -3;
  swfw::WriteMatrix(w, m);
  Reader r(w.Take());
  swf::matrix read;
  read.read(&r.in);
  EXPECT_FLOAT_EQ(read.m_[0][0], 2.0f);
  EXPECT_FLOAT_EQ(read.m_[1][1], -0.5f);
  EXPECT_FLOAT_EQ(read.m_[1][0], 0.25f);
  EXPECT_FLOAT_EQ(read.m_[0][1], -1.0f);
  EXPECT_FLOAT_EQ(read.m_[0][2], 100.0f);
  EXPECT_FLOAT_EQ(read.m_[1][2], -3.0f);
}

TEST(SwfRecords, MatrixWithoutTranslationKeepsZero) {
  Reader r({0x00});  // no scale, no rotate, translation bits 0
  swf::matrix m;
  m.m_[0][2] = 9;
  m.read(&r.in);
  EXPECT_TRUE(m == swf::matrix::identity);
}

TEST(SwfRecords, CxformWithoutAlphaAddsOneToAlpha) {
  swfw::BitWriter w;
  swfw::CXForm c;
  c.hasAdd = true;
  c.add[0] = 10;
  c.add[1] = -20;
  c.add[2] = 30;
  c.hasMult = true;
  c.mult[0] = 255;
  c.mult[1] = 0;
  c.mult[2] = 128;
  swfw::WriteCXForm(w, c, false);
  Reader r(w.Take());
  swf::cxform cx;
  cx.read_rgb(&r.in);
  EXPECT_FLOAT_EQ(cx.m_[0][0], 1.0f);
  EXPECT_FLOAT_EQ(cx.m_[1][0], 0.0f);
  EXPECT_NEAR(cx.m_[2][0], 128.0f / 255.0f, 1e-6);
  EXPECT_FLOAT_EQ(cx.m_[3][0], 1.0f);
  EXPECT_FLOAT_EQ(cx.m_[1][1], -20.0f);
  EXPECT_FLOAT_EQ(cx.m_[3][1], 1.0f);
  swf::rgba out = cx.transform(swf::rgba(100, 100, 100, 100));
  EXPECT_EQ(out.m_r, 110);
  EXPECT_EQ(out.m_g, 0);
  EXPECT_EQ(out.m_b, 80);
}

TEST(SwfRecords, RectAndColours) {
  swfw::BitWriter w;
  swfw::WriteRect(w, {-20, 11000, 0, 8000});
  swfw::WriteRGB(w, {1, 2, 3});
  swfw::WriteRGBA(w, {4, 5, 6, 7});
  Reader r(w.Take());
  swf::rect rc;
  rc.read(&r.in);
  EXPECT_EQ(rc.m_x_min, -20.0f);
  EXPECT_EQ(rc.m_x_max, 11000.0f);
  EXPECT_EQ(rc.m_y_max, 8000.0f);
  swf::rgba c;
  c.read(&r.in, 22);
  EXPECT_TRUE(c == swf::rgba(1, 2, 3, 255));
  c.read(&r.in, 32);
  EXPECT_TRUE(c == swf::rgba(4, 5, 6, 7));
}

TEST(SwfRecords, MatrixOperations) {
  swf::matrix singular;
  singular.m_[0][0] = 0;
  singular.m_[1][1] = 0;
  singular.m_[0][2] = 5;
  singular.m_[1][2] = -7;
  swf::matrix inv;
  inv.set_inverse(singular);
  EXPECT_FLOAT_EQ(inv.m_[0][0], 1.0f);
  EXPECT_FLOAT_EQ(inv.m_[0][2], -5.0f);
  EXPECT_FLOAT_EQ(inv.m_[1][2], 7.0f);

  swf::matrix m;
  m.set_scale_rotation(2.0f, 2.0f, 0.5f);
  m.m_[0][2] = 10;
  m.m_[1][2] = 20;
  swf::point p(4, 5), q, back;
  m.transform(&q, p);
  m.transform_by_inverse(&back, q);
  EXPECT_NEAR(back.m_x, 4.0f, 1e-4);
  EXPECT_NEAR(back.m_y, 5.0f, 1e-4);
  EXPECT_NEAR(m.get_x_scale(), 2.0f, 1e-5);
  EXPECT_NEAR(m.get_y_scale(), 2.0f, 1e-5);
  EXPECT_NEAR(m.get_rotation(), 0.5f, 1e-5);

  swf::rect r{0, 10, 0, 10};
  EXPECT_TRUE(r.point_test(10, 10));
  EXPECT_FALSE(r.point_test(10.5f, 0));
}

}  // namespace
