// The SWF writer against bytes worked out by hand: records with their smallest bit
// counts, short and long tag headers, file headers and the action assembler.

#include <gtest/gtest.h>

#include <zlib.h>

#include "tools/swfwriter/SwfWriter.h"

namespace {

using swfw::Bytes;

TEST(SwfWriter, BitCountsAreMinimal) {
  EXPECT_EQ(swfw::BitWriter::BitsForSigned({0}), 0);
  EXPECT_EQ(swfw::BitWriter::BitsForSigned({-1}), 1);
  EXPECT_EQ(swfw::BitWriter::BitsForSigned({1}), 2);
  EXPECT_EQ(swfw::BitWriter::BitsForSigned({-4, 3}), 3);
  EXPECT_EQ(swfw::BitWriter::BitsForSigned({11000}), 15);
  EXPECT_EQ(swfw::BitWriter::BitsForUnsigned(255), 8);
}

TEST(SwfWriter, RecordsByteForByte) {
  {
    swfw::BitWriter w;
    swfw::WriteRect(w, {0, 11000, 0, 8000});
    EXPECT_EQ(w.Take(), (Bytes{0x78, 0x00, 0x05, 0x5F, 0x00, 0x00, 0x0F, 0xA0, 0x00}));
  }
  {
    swfw::BitWriter w;
    swfw::WriteMatrix(w, swfw::Matrix::Translate(100, -3));
    EXPECT_EQ(w.Take(), (Bytes{0x10, 0xC9, 0xFA}));
  }
  {
    swfw::BitWriter w;
    swfw::Matrix m;
    m.hasScale = true;
    m.scaleX = 2.0;
    m.scaleY = -0.5;
    swfw::WriteMatrix(w, m);
    EXPECT_EQ(w.Take(), (Bytes{0xCD, 0x00, 0x00, 0x78, 0x00, 0x00, 0x00}));
  }
  {
    swfw::BitWriter w;
    swfw::CXForm c;
    c.hasAdd = true;
    c.add[0] = 10, c.add[1] = -20, c.add[2] = 30;
    swfw::WriteCXForm(w, c, true);
    EXPECT_EQ(w.Take(), (Bytes{0x98, 0xAB, 0x1E, 0x00}));
  }
}

TEST(SwfWriter, TagHeadersShortUpTo62Bytes) {
  Bytes short_tag = swfw::Tag(9, Bytes(62, 0xAA));
  ASSERT_EQ(short_tag.size(), 64u);
  EXPECT_EQ(short_tag[0], 0x7E);
  EXPECT_EQ(short_tag[1], 0x02);
  Bytes long_tag = swfw::Tag(9, Bytes(63, 0xAA));
  ASSERT_EQ(long_tag.size(), 69u);
  EXPECT_EQ(Bytes(long_tag.begin(), long_tag.begin() + 6), (Bytes{0x7F, 0x02, 63, 0, 0, 0}));
  Bytes forced = swfw::Tag(1, {}, {true, {}});
  EXPECT_EQ(forced, (Bytes{0x7F, 0x00, 0, 0, 0, 0}));
  Bytes lying = swfw::Tag(1, {5}, {false, 0x12345678});
  EXPECT_EQ(lying, (Bytes{0x7F, 0x00, 0x78, 0x56, 0x34, 0x12, 5}));
}

TEST(SwfWriter, FileHeadersPlainAndCompressed) {
  swfw::Movie movie;
  movie.version = 6;
  movie.frame = {0, 0, 0, 0};
  movie.frameRate = 0x1E00;
  movie.ShowFrame().End();
  Bytes plain = movie.Build(false);
  EXPECT_EQ(plain, (Bytes{'F', 'W', 'S', 6, 17, 0, 0, 0, 0x00, 0x00, 0x1E, 1, 0, 0x40, 0x00, 0x00, 0x00}));
  Bytes packed = movie.Build(true);
  EXPECT_EQ(Bytes(packed.begin(), packed.begin() + 8), (Bytes{'C', 'W', 'S', 6, 17, 0, 0, 0}));
  Bytes inflated(9);
  uLongf size = 9;
  ASSERT_EQ(uncompress(inflated.data(), &size, packed.data() + 8, static_cast<uLong>(packed.size() - 8)), Z_OK);
  EXPECT_EQ(inflated, Bytes(plain.begin() + 8, plain.end()));
}

TEST(SwfWriter, PlaceObject2FlagsAndClipEventWidths) {
  swfw::PlaceObject2Record r;
  r.depth = 3;
  r.characterId = 7;
  r.move = true;
  swfw::ClipAction a;
  a.flags = 0x01;
  a.actions = {0x07, 0x00};
  r.clipActions.push_back(a);
  Bytes v5 = swfw::PlaceObject2(r, 5);
  // Header: type 26, length 19. Flags: clip actions, character, move.
  EXPECT_EQ(v5, (Bytes{0x93, 0x06, 0x83, 3, 0, 7, 0, 0, 0, 1, 0, 1, 0, 2, 0, 0, 0, 0x07, 0x00, 0, 0}));
  Bytes v6 = swfw::PlaceObject2(r, 6);
  EXPECT_EQ(v6.size(), v5.size() + 6);
}

TEST(SwfWriter, ShapeRecordsByteForByte) {
  Bytes tag = swfw::DefineShape(swfw::kDefineShape, 1, swfw::RectangleShape(400, 300, {200, 40, 40, 255}));
  EXPECT_EQ(tag, (Bytes{0x9B, 0x00, 0x01, 0x00,                              // header, id
                        0x50, 0x00, 0xC8, 0x00, 0x09, 0x60,                  // bounds
                        0x01, 0x00, 200, 40, 40, 0x00,                       // one solid fill, no lines
                        0x10, 0x14, 0x1E, 0x06, 0x43, 0x85, 0x2C, 0xE0, 0x9C, 0x38, 0x6D, 0x40, 0x00}));
  // 300 styles take the extended count: fills from DefineShape2 on, lines always.
  swfw::Shape crowded;
  crowded.fills.resize(300);
  crowded.lines.resize(300);
  Bytes three = swfw::DefineShape(swfw::kDefineShape3, 2, crowded);
  EXPECT_EQ(Bytes(three.begin() + 9, three.begin() + 12), (Bytes{0xFF, 0x2C, 0x01}));
  swfw::Shape lines_only;
  lines_only.lines.resize(300);
  Bytes one = swfw::DefineShape(swfw::kDefineShape, 3, lines_only);
  EXPECT_EQ(Bytes(one.begin() + 9, one.begin() + 13), (Bytes{0x00, 0xFF, 0x2C, 0x01}));
}

TEST(SwfWriter, ActionsResolveLabelsAndPushItems) {
  Bytes loop = swfw::Actions().Label("top").Op("Play").Jump("top").Build();
  EXPECT_EQ(loop, (Bytes{0x06, 0x99, 0x02, 0x00, 0xFA, 0xFF, 0x00}));
  Bytes forward = swfw::Actions().If("end").Op("Stop").Label("end").Build();
  EXPECT_EQ(forward, (Bytes{0x9D, 0x02, 0x00, 0x01, 0x00, 0x07, 0x00}));
  Bytes push = swfw::Actions()
                   .Push({swfw::Actions::Int(7), swfw::Actions::Str("a"), swfw::Actions::Double(1.0),
                          swfw::Actions::Constant16(0x102)})
                   .Build(false);
  EXPECT_EQ(push, (Bytes{0x96, 20, 0, 7, 7, 0, 0, 0, 0, 'a', 0, 6, 0x00, 0x00, 0xF0, 0x3F, 0, 0, 0, 0, 9, 2, 1}));
  Bytes fn = swfw::Actions().DefineFunction("f", {"x"}, swfw::Actions().Op("Return")).Build(false);
  EXPECT_EQ(fn, (Bytes{0x9B, 8, 0, 'f', 0, 1, 0, 'x', 0, 1, 0, 0x3E}));
  EXPECT_EQ(swfw::Actions::OpcodeOf("GotoFrame2"), 0x9F);
  EXPECT_EQ(swfw::Actions::OpcodeOf("NoSuchThing"), 0xFF);
}

}  // namespace
