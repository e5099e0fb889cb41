// The frame commands of the tag loaders: placements with every flag, clip events by
// version, removals, background colours and action blocks.

#include <gtest/gtest.h>

#include "engine/swf/action/action_buffer.h"
#include "engine/swf/movie/movie_def_impl.h"
#include "engine/swf/movie/tag_loaders.h"
#include "tests/swf/support/SwfTestDoubles.h"
#include "tools/swfwriter/SwfWriter.h"

namespace {

using swftest::Bytes;

// The commands of frame 0 of a one-frame movie of the given tags.
struct FrameOf {
  FrameOf(const std::vector<Bytes>& tags, int version = 6) {
    swfw::Movie movie;
    movie.version = version;
    for (const Bytes& tag : tags) movie.Add(tag);
    movie.ShowFrame().End();
    m = swftest::LoadMovie(movie.Build());
  }
  swf::execute_tag* operator[](int i) const { return (*m->get_playlist(0))[i]; }
  int size() const { return m->get_playlist(0)->size(); }
  template <class T>
  T* As(int i) const {
    return dynamic_cast<T*>((*this)[i]);
  }
  swf::smart_ptr<swf::movie_def_impl> m;
};

TEST(SwfPlaceObject2, FlagsGivePlaceTypeAndDepthId) {
  struct Case {
    bool character;
    bool move;
    swf::place_object_2::place_type type;
    uint32_t depth_id;
  };
  const Case cases[] = {
      {true, false, swf::place_object_2::PLACE, (7u << 16) | 0xFFFF},
      {false, true, swf::place_object_2::MOVE, 0xFFFFFFFFu},
      {true, true, swf::place_object_2::REPLACE, (7u << 16) | 0xFFFF},
      {false, false, swf::place_object_2::PLACE, (7u << 16) | 0xFFFF},
  };
  for (const Case& c : cases) {
    swfw::PlaceObject2Record r;
    r.depth = 7;
    r.move = c.move;
    if (c.character) r.characterId = 12;
    FrameOf frame({swfw::PlaceObject2(r, 6)});
    auto* p = frame.As<swf::place_object_2>(0);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->m_place_type, c.type) << c.character << c.move;
    EXPECT_EQ(p->get_depth_id_of_replace_or_add_tag(), c.depth_id);
    EXPECT_EQ(p->m_character_id, c.character ? 12 : 0);
  }
}

TEST(SwfPlaceObject2, EveryOptionalField) {
  swfw::PlaceObject2Record r;
  r.depth = 4;
  r.characterId = 9;
  r.matrix = swfw::Matrix::Translate(40, -60);
  swfw::CXForm cx;
  cx.hasMult = true;
  cx.mult[3] = 128;
  cx.hasAdd = true;
  cx.add[0] = 255;
  r.cxform = cx;
  r.ratio = 65535;
  r.name = "hero";
  r.clipDepth = 30;
  FrameOf frame({swfw::PlaceObject2(r, 6)});
  auto* p = frame.As<swf::place_object_2>(0);
  ASSERT_NE(p, nullptr);
  EXPECT_TRUE(p->m_has_matrix);
  EXPECT_TRUE(p->m_has_cxform);
  EXPECT_FLOAT_EQ(p->m_matrix.m_[0][2], 40.0f);
  EXPECT_FLOAT_EQ(p->m_matrix.m_[1][2], -60.0f);
  EXPECT_NEAR(p->m_color_transform.m_[3][0], 128.0f / 255.0f, 1e-6);
  EXPECT_FLOAT_EQ(p->m_color_transform.m_[0][1], 255.0f);
  EXPECT_FLOAT_EQ(p->m_ratio, 1.0f);
  EXPECT_STREQ(p->m_name, "hero");
  EXPECT_EQ(p->m_clip_depth, 30);

  r.ratio = 32768;
  FrameOf half({swfw::PlaceObject2(r, 6)});
  EXPECT_NEAR(half.As<swf::place_object_2>(0)->m_ratio, 0.5f, 1e-4);
}

TEST(SwfPlaceObject2, ClipEventFlagsAreSixteenBitsBeforeVersion6) {
  for (int version : {5, 6}) {
    swfw::PlaceObject2Record r;
    r.characterId = 1;
    r.clipActions.push_back({0x02, swfw::Actions().Op("Play").Build(), {}});        // onEnterFrame
    r.clipActions.push_back({0x0400, swfw::Actions().Op("Stop").Build(), {}});      // onPress
    swftest::SwfLogCapture log;
    FrameOf frame({swfw::PlaceObject2(r, version), swfw::SetBackgroundColor({})}, version);
    auto* p = frame.As<swf::place_object_2>(0);
    ASSERT_NE(p, nullptr) << version;
    ASSERT_EQ(p->m_event_handlers.size(), 2) << version;
    EXPECT_EQ(p->m_event_handlers[0]->m_event.m_id, 12);
    EXPECT_EQ(p->m_event_handlers[1]->m_event.m_id, 1);
    EXPECT_EQ(p->m_event_handlers[1]->m_action_buffer->get_length(), 2);
    EXPECT_EQ(frame.size(), 2);  // the tag after it still reads
    EXPECT_TRUE(log.lines.empty()) << log.All();
  }
}

TEST(SwfPlaceObject2, OddClipEventsLogAndGoOn) {
  swftest::SwfLogCapture log;
  swfw::PlaceObject2Record r;
  r.characterId = 1;
  r.clipActions.push_back({0x0003, swfw::Actions().Op("Play").Build(), {}});
  r.clipActions.push_back({0x20000, swfw::Actions().Op("Stop").Build(), 5});
  FrameOf frame({swfw::PlaceObject2(r, 6)});
  auto* p = frame.As<swf::place_object_2>(0);
  ASSERT_EQ(p->m_event_handlers.size(), 2);
  EXPECT_EQ(p->m_event_handlers[0]->m_event.m_id, 10);  // onLoad, the lowest bit
  EXPECT_EQ(p->m_event_handlers[1]->m_event.m_id, 0);
  EXPECT_EQ(log.Count("error: swf_event::read() -- more than one event type encoded!  unexpected! flags = 0x3\n"),
            1u);
  EXPECT_EQ(log.Count("swf_event::read -- KEY_PRESS found, not handled yet, flags = 0x20000\n"), 1u);
  EXPECT_EQ(log.Count("error -- swf_event::read(), event_length = 5, but read 2\n"), 1u);
}

TEST(SwfPlaceObject2, AClipActionListWithoutEndStopsAtTheTagEnd) {
  swfw::PlaceObject2Record r;
  r.characterId = 1;
  r.clipActions.push_back({0x01, swfw::Actions().Op("Play").Build(), {}});
  Bytes tag = swfw::PlaceObject2(r, 6);
  tag.resize(tag.size() - 4);  // the closing zero flags are gone
  tag[0] = static_cast<uint8_t>((tag[0] & 0xC0) | (tag.size() - 2));
  FrameOf frame({tag, swfw::SetBackgroundColor({})});
  ASSERT_EQ(frame.size(), 2);
  EXPECT_EQ(frame.As<swf::place_object_2>(0)->m_event_handlers.size(), 1);
}

TEST(SwfPlaceObject, ColourTransformOnlyWhenTheTagHoldsOne) {
  swfw::CXForm cx;
  cx.hasAdd = true;
  cx.add[1] = 50;
  FrameOf frame({swfw::PlaceObject(3, 2, swfw::Matrix::Translate(20, 20)),
                 swfw::PlaceObject(3, 5, swfw::Matrix::Translate(20, 20), cx)});
  auto* plain = frame.As<swf::place_object_2>(0);
  auto* tinted = frame.As<swf::place_object_2>(1);
  EXPECT_TRUE(plain->m_color_transform == swf::cxform::identity);
  EXPECT_FLOAT_EQ(tinted->m_color_transform.m_[1][1], 50.0f);
  EXPECT_FALSE(plain->m_has_matrix);
  EXPECT_FALSE(plain->m_has_cxform);
  EXPECT_EQ(plain->get_depth_id_of_replace_or_add_tag(), (2u << 16) | 3u);
}

TEST(SwfTagLoaders, RemovalsBackgroundsAndActions) {
  FrameOf frame({swfw::RemoveObject(5, 2), swfw::RemoveObject2(8), swfw::SetBackgroundColor({10, 20, 30}),
                 swfw::DoAction(swfw::Actions().GotoFrame(3).Op("Play").Build()), swfw::Tag(24, {}),
                 swfw::Tag(0x2B /* label */, {'a', 0})});
  ASSERT_EQ(frame.size(), 4);
  auto* r1 = frame.As<swf::remove_object_2>(0);
  auto* r2 = frame.As<swf::remove_object_2>(1);
  EXPECT_EQ(r1->m_id, 5);
  EXPECT_EQ(r1->m_depth, 2);
  EXPECT_EQ(r2->m_id, -1);
  EXPECT_EQ(r2->m_depth, 8);
  EXPECT_TRUE(r2->is_remove_tag());
  EXPECT_TRUE(frame.As<swf::set_background_color>(2)->m_color == swf::rgba(10, 20, 30, 255));
  auto* action = frame.As<swf::do_action>(3);
  ASSERT_NE(action, nullptr);
  EXPECT_TRUE(action->is_action_tag());
  const swf::action_buffer& buffer = action->get_buffer();
  ASSERT_EQ(buffer.get_length(), 7);
  EXPECT_EQ(buffer[0], 0x81);
  EXPECT_EQ(buffer[3], 3);
  EXPECT_EQ(buffer[6], 0);
}

TEST(SwfTagLoaders, AnActionBlockCutByItsTagStillEnds) {
  Bytes actions = swfw::Actions().Push({swfw::Actions::Str("long text")}).Build();
  actions.resize(6);  // cut inside the Push record, no End
  FrameOf frame({swfw::DoAction(actions), swfw::SetBackgroundColor({})});
  ASSERT_EQ(frame.size(), 2);
  const swf::action_buffer& buffer = frame.As<swf::do_action>(0)->get_buffer();
  EXPECT_EQ(buffer[buffer.get_length() - 1], 0);
}

}  // namespace
