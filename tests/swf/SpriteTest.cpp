// Sprites, display lists and the movie root, played from writer-made movies: timelines,
// gotos, properties, clip events, host variables, depth order and masks, the viewport and
// the mouse.

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "engine/swf/action/action_buffer.h"
#include "engine/swf/base/limits.h"
#include "engine/swf/movie/display_list.h"
#include "engine/swf/movie/tag_loaders.h"
#include "tests/swf/PlayerFixture.h"
#include "tools/swfwriter/SwfSampleMovies.h"

namespace {

using swf::character;
using swf::script_value;
using swf::sprite_instance;
using swf::string;
using swftest::Bytes;
using swftest::MovieOfFrames;
using swftest::Place;
using swftest::Played;
using swftest::SpriteOfFrames;
using swftest::SquareBox;
using swftest::SwfLogCapture;

constexpr float kFrame = 1.0f / 12.0f;

std::vector<int> Depths(const swf::display_list& list) {
  std::vector<int> depths;
  for (int i = 0; i < list.size(); ++i) depths.push_back(list.get_character(i)->get_depth());
  return depths;
}

// The action buffer of the frame's first DoAction.
const swf::action_buffer* FrameActions(swf::movie_definition_sub* def, int frame) {
  for (swf::execute_tag* tag : *def->get_playlist(frame)) {
    if (tag->is_action_tag()) return &static_cast<swf::do_action*>(tag)->get_buffer();
  }
  return nullptr;
}

std::vector<const swf::action_buffer*> Queued(sprite_instance* s) {
  return {s->get_action_list().begin(), s->get_action_list().end()};
}

Bytes ActionMarking(int n) { return swfw::DoAction(swfw::Actions().Push({swfw::Actions::Int(n)}).Op("Pop").Build()); }

// ---- timelines -------------------------------------------------------------------------

TEST(SwfSprite, AOneFrameLoopKeepsItsChildren) {
  Played p(MovieOfFrames({{Place(1, 1)}}), {{1, SquareBox(1)}});
  p.root->advance(0);
  character* placed = p.sprite()->get_display_list().get_character_at_depth(1);
  ASSERT_NE(placed, nullptr);
  for (int i = 0; i < 3; ++i) p.root->advance(0.1f);
  EXPECT_TRUE(p.sprite()->has_looped());
  EXPECT_EQ(p.sprite()->get_display_list().get_character_at_depth(1), placed);
}

TEST(SwfSprite, ATwoFrameLoopRemovesWhatFrameZeroDoesNotPlaceAgain) {
  Played p(MovieOfFrames({{Place(1, 1)}, {Place(1, 2)}}), {{1, SquareBox(1)}});
  p.root->advance(0);
  character* first = p.sprite()->get_display_list().get_character_at_depth(1);
  p.root->advance(0.1f);
  EXPECT_EQ(Depths(p.sprite()->get_display_list()), (std::vector<int>{1, 2}));
  p.root->advance(0.1f);  // wraps to frame 0
  EXPECT_EQ(p.sprite()->get_current_frame(), 0);
  EXPECT_TRUE(p.sprite()->has_looped());
  EXPECT_EQ(Depths(p.sprite()->get_display_list()), (std::vector<int>{1}));
  EXPECT_EQ(p.sprite()->get_display_list().get_character_at_depth(1), first);  // kept, not made again
}

TEST(SwfSprite, AQuarterSecondAtTwelveFramesASecondAdvancesOneFrame) {
  Played p(MovieOfFrames({{}, {}, {}, {}, {}}));
  p.root->advance(0.25f);
  EXPECT_EQ(p.sprite()->get_current_frame(), 1);
  EXPECT_LT(p.sprite()->get_time_remainder(), kFrame);
  p.root->advance(0.0f);
  EXPECT_EQ(p.sprite()->get_current_frame(), 1);
}

TEST(SwfSprite, TheBuiltInMethodsMoveAndStopTheTimeline) {
  Played p(MovieOfFrames(std::vector<std::vector<Bytes>>(10)));
  p.root->advance(0);
  sprite_instance* s = p.sprite();
  SwfLogCapture log;
  struct Case {
    int start;
    const char* method;
    int argc;
    double arg;
    int frame;
    swf::movie_interface::play_state state;
  };
  const Case cases[] = {
      {5, "gotoAndPlay", 1, 1, 0, swf::movie_interface::PLAY},
      {5, "gotoAndStop", 1, 0, 0, swf::movie_interface::STOP},
      {5, "GOTOANDSTOP", 1, 1000, 9, swf::movie_interface::STOP},
      {9, "nextFrame", 0, 0, 9, swf::movie_interface::STOP},
      {3, "nextFrame", 0, 0, 4, swf::movie_interface::STOP},
      {0, "prevFrame", 0, 0, 0, swf::movie_interface::STOP},
      {4, "play", 0, 0, 4, swf::movie_interface::PLAY},
      {4, "gotoAndPlay", 1, 2.9, 1, swf::movie_interface::PLAY},
  };
  for (const Case& c : cases) {
    s->goto_frame(c.start);
    script_value method;
    ASSERT_TRUE(s->get_member(c.method, &method)) << c.method;
    swf::script_environment* env = s->get_environment();
    if (c.argc) env->push(script_value(c.arg));
    script_value result;
    swf::native_call call{&result, s, env, c.argc, env->get_top_index()};
    method.to_c_function()(call);
    env->drop(c.argc);
    EXPECT_EQ(s->get_current_frame(), c.frame) << c.method << " " << c.arg;
    EXPECT_EQ(s->get_play_state(), c.state) << c.method << " " << c.arg;
  }
  EXPECT_TRUE(log.lines.empty()) << log.All();
  script_value method;
  s->get_member("gotoAndStop", &method);
  script_value result;
  method.to_c_function()(swf::native_call{&result, s, s->get_environment(), 0, 0});
  EXPECT_TRUE(log.Contains("error: sprite_goto_and_stop needs one arg\n"));
}

// Ten frames; frame f places a box at depth f + 1 and has actions of its own.
class SwfGoto : public ::testing::Test {
 protected:
  SwfGoto() : p_(Frames(), {{1, SquareBox(1)}}) {
    p_.root->advance(0);
    s_ = p_.sprite();
  }
  static Bytes Frames() {
    std::vector<std::vector<Bytes>> frames;
    for (int f = 0; f < 10; ++f) frames.push_back({Place(1, static_cast<uint16_t>(f + 1)), ActionMarking(f)});
    return MovieOfFrames(frames);
  }
  const swf::action_buffer* actions(int f) { return FrameActions(p_.def.get_ptr(), f); }
  Played p_;
  sprite_instance* s_;
};

TEST_F(SwfGoto, ForwardRunsSkippedFramesStateOnly) {
  s_->goto_frame(2);
  s_->do_actions();
  s_->goto_frame(5);
  EXPECT_EQ(Depths(s_->get_display_list()), (std::vector<int>{1, 2, 3, 4, 5, 6}));
  EXPECT_EQ(Queued(s_), (std::vector<const swf::action_buffer*>{actions(5)}));
}

TEST_F(SwfGoto, BackwardReversesTheFramesAboveTheTarget) {
  s_->goto_frame(5);
  s_->do_actions();
  s_->goto_frame(2);
  EXPECT_EQ(Depths(s_->get_display_list()), (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(Queued(s_), (std::vector<const swf::action_buffer*>{actions(2)}));
  EXPECT_EQ(s_->get_play_state(), swf::movie_interface::STOP);
  s_->do_actions();
  s_->goto_frame(2);  // the same frame: nothing runs
  EXPECT_TRUE(Queued(s_).empty());
}

TEST(SwfSprite, AReversedReplaceWithNoEarlierTagLogsItsLine) {
  swfw::PlaceObject2Record replace;
  replace.depth = 3;
  replace.move = true;
  replace.characterId = 1;
  Played p(MovieOfFrames({{}, {swfw::PlaceObject2(replace, 6)}, {}}), {{1, SquareBox(1)}});
  p.root->advance(0);
  p.sprite()->goto_frame(1);
  EXPECT_NE(p.sprite()->get_display_list().get_character_at_depth(3), nullptr);
  SwfLogCapture log;
  p.sprite()->goto_frame(0);
  EXPECT_TRUE(log.Contains("reverse REPLACE can't find previous replace or add tag(1, 3)\n")) << log.All();
}

TEST(SwfSprite, PropertiesAreShownInTheirUnits) {
  // A clip holding a 100 x 50 pixel box.
  Played p(MovieOfFrames({{SpriteOfFrames(10, {{Place(1, 1)}}), Place(10, 1, "clip")}}),
           {{1, new swftest::Box(1, 0, 0, 2000, 1000)}});
  p.root->advance(0);
  character* clip = p.child("clip");
  ASSERT_NE(clip, nullptr);
  auto get = [&](const char* name) {
    script_value v;
    EXPECT_TRUE(clip->get_member(name, &v)) << name;
    return v;
  };
  EXPECT_EQ(get("_alpha").to_number(), 100);
  EXPECT_NEAR(get("_width").to_number(), 100, 1e-3);
  EXPECT_EQ(std::string(get("_name").to_string().c_str()), "clip");
  EXPECT_EQ(std::string(get("_target").to_string().c_str()), "/_root");
  EXPECT_EQ(get("_currentframe").to_number(), 1);
  EXPECT_EQ(get("_parent").to_character(), p.sprite());

  clip->set_member("_x", script_value(10));
  EXPECT_EQ(clip->get_matrix().m_[0][2], 200);
  EXPECT_EQ(get("_X").to_number(), 10);
  clip->set_member("_alpha", script_value(50));
  EXPECT_FLOAT_EQ(clip->get_cxform().m_[3][0], 0.5f);
  EXPECT_EQ(get("_alpha").to_number(), 50);
  clip->set_member("_xscale", script_value(200));
  EXPECT_NEAR(get("_xscale").to_number(), 200, 1e-3);
  clip->set_member("_xscale", script_value(100));
  clip->set_member("_rotation", script_value(90));
  EXPECT_NEAR(get("_rotation").to_number(), 90, 1e-3);
  EXPECT_NEAR(get("_width").to_number(), 50, 1e-2);
  EXPECT_NEAR(get("_height").to_number(), 100, 1e-2);
  EXPECT_FALSE(clip->get_accept_anim_moves());
  clip->set_member("_visible", script_value(false));
  EXPECT_FALSE(clip->get_visible());

  // Any other name is a variable; a child's name gives the child.
  clip->set_member("score", script_value(3));
  EXPECT_EQ(get("SCORE").to_number(), 3);
  script_value child;
  EXPECT_TRUE(p.sprite()->get_member("CLIP", &child));
  EXPECT_EQ(child.to_character(), clip);
}

TEST(SwfSprite, CallFrameActionsRunsAFrameByNumberOrLabel) {
  Played p(MovieOfFrames({{ActionMarking(0)}, {}, {swfw::FrameLabel("L"), ActionMarking(2)}}));
  p.root->advance(0);
  sprite_instance* s = p.sprite();
  const swf::action_buffer* pending = FrameActions(p.def.get_ptr(), 2);
  s->add_action_buffer(pending);
  SwfLogCapture log;
  for (const script_value& ok : {script_value(1), script_value("L"), script_value("2"), script_value("l")}) {
    s->call_frame_actions(ok);
    EXPECT_EQ(Queued(s), (std::vector<const swf::action_buffer*>{pending})) << ok.to_string().c_str();
  }
  EXPECT_TRUE(log.lines.empty()) << log.All();
  for (const script_value& bad : {script_value(0), script_value("7"), script_value(4)}) s->call_frame_actions(bad);
  EXPECT_TRUE(log.Contains("error: call_frame('0') -- unknown frame\n"));
  EXPECT_TRUE(log.Contains("error: call_frame('7') -- unknown frame\n"));
  EXPECT_TRUE(log.Contains("error: call_frame('4') -- unknown frame\n"));
}

TEST(SwfSprite, HostVariablesAndTheirErrors) {
  Played p(MovieOfFrames({{SpriteOfFrames(10, {{}}), Place(10, 1, "a")}}));
  p.root->advance(0);
  SwfLogCapture log;
  p.root->set_variable(nullptr, "v");
  p.root->set_variable("v", static_cast<const char*>(nullptr));
  EXPECT_TRUE(log.Contains("error: NULL path_to_var passed to set_variable()\n"));
  EXPECT_TRUE(log.Contains("error: NULL passed to set_variable('v', NULL)\n"));
  script_value v;
  EXPECT_FALSE(p.sprite()->get_member("v", &v));

  p.root->set_variable("a.score", "5");
  EXPECT_STREQ(p.root->get_variable("a.score"), "5");
  EXPECT_STREQ(p.root->get_variable("/a:score"), "5");
  const uint16_t wide[] = {'h', 0xE9, 0};
  p.root->set_variable("w", wide);
  EXPECT_STREQ(p.root->get_variable("w"), "h\xC3\xA9");
  EXPECT_STREQ(p.root->get_variable("missing"), "undefined");
}

TEST(SwfSprite, EventsCallTheClipEventThenTheNamedMember) {
  swfw::PlaceObject2Record r;
  r.depth = 1;
  r.characterId = 10;
  r.name = "clip";
  r.clipActions.push_back({0x2, swfw::Actions().Op("Stop").Build(), {}});  // onEnterFrame
  Played p(MovieOfFrames({{SpriteOfFrames(10, {{}}), swfw::PlaceObject2(r, 6)}}));
  p.root->advance(0);
  character* clip = p.child("clip");
  ASSERT_NE(clip, nullptr);
  script_value method;
  ASSERT_TRUE(clip->get_event_handler(swf::clip_event::ENTER_FRAME, &method));
  swf::as_function* f = method.to_as_function();
  ASSERT_NE(f, nullptr);
  ASSERT_NE(f->m_action_buffer, nullptr);
  EXPECT_EQ(f->m_length, f->m_action_buffer->get_length());
  EXPECT_TRUE(clip->on_event(swf::clip_event::ENTER_FRAME));
  EXPECT_FALSE(clip->on_event(swf::clip_event::MOUSE_UP));

  swftest::g_native_calls = 0;
  clip->set_member("onMouseUp", script_value(&swftest::CountCall));
  EXPECT_TRUE(clip->on_event(swf::clip_event::MOUSE_UP));
  EXPECT_EQ(swftest::g_native_calls, 1);

  // onEnterFrame runs once per frame shown, not per call.
  p.sprite()->set_member("onEnterFrame", script_value(&swftest::CountCall));
  swftest::g_native_calls = 0;
  p.root->advance(0.0f);
  EXPECT_EQ(swftest::g_native_calls, 0);
  p.root->advance(0.1f);
  EXPECT_EQ(swftest::g_native_calls, 1);

  // The timer event has no id among the clip events: nothing fires.
  SwfLogCapture log;
  static_cast<sprite_instance*>(clip)->on_event_interval_timer();
  EXPECT_TRUE(log.Contains("FIXME: swf::sprite_instance::on_event_interval_timer: unimplemented\n"));
}

TEST(SwfSprite, ASpriteThatTakesThePressAnswersForItsShapes) {
  Played p(MovieOfFrames({{SpriteOfFrames(10, {{Place(1, 1)}}), Place(10, 1, "clip", 1000, 0)}}),
           {{1, SquareBox(1)}});
  p.root->advance(0);
  character* clip = p.child("clip");
  character* box = static_cast<sprite_instance*>(clip)->get_display_list().get_character_at_depth(1);
  EXPECT_EQ(p.sprite()->get_topmost_mouse_entity(1100, 100), box);
  EXPECT_EQ(p.sprite()->get_topmost_mouse_entity(100, 100), nullptr);
  clip->set_member("onPress", script_value(&swftest::CountCall));
  EXPECT_EQ(p.sprite()->get_topmost_mouse_entity(1100, 100), clip);
  clip->set_visible(false);
  EXPECT_EQ(p.sprite()->get_topmost_mouse_entity(1100, 100), nullptr);
}

// ---- display lists ---------------------------------------------------------------------

class SwfDisplayList : public ::testing::Test {
 protected:
  // A plain character of box id at a depth (its id is the box id).
  character* Add(int id, int depth, bool replace = false, uint16_t clip_depth = 0) {
    if (!boxes_[id]) boxes_[id] = new swftest::Box(id, 0, 0, 20, 20);
    character* ch = boxes_[id]->create_character_instance(nullptr, id);
    list_.add_display_object(ch, static_cast<uint16_t>(depth), replace, swf::cxform(), swf::matrix(), 0, clip_depth);
    return ch;
  }
  std::vector<std::string> Draw() {
    swftest::RecordingRenderHandler r;
    list_.display();
    return swftest::DrawOrder(r);
  }
  swf::smart_ptr<swftest::Box> boxes_[10];
  swf::display_list list_;
};

TEST_F(SwfDisplayList, SameDepthPutsTheNewcomerFirst) {
  Add(1, 3);
  Add(2, 3);
  Add(3, 1);
  EXPECT_EQ(Draw(), (std::vector<std::string>{"3", "2", "1"}));
  EXPECT_EQ(list_.get_character_at_depth(3)->get_id(), 2);
  Add(4, 3, true);  // replaces only the first of depth 3
  EXPECT_EQ(Draw(), (std::vector<std::string>{"3", "4", "1"}));
}

TEST_F(SwfDisplayList, RemoveMarksAndTheSweepReleases) {
  Add(1, 3);
  Add(2, 3);
  SwfLogCapture log;
  list_.remove_display_object(3, -1);  // the first of the depth only
  list_.sweep();
  EXPECT_EQ(list_.size(), 1);
  EXPECT_EQ(list_.get_character(0)->get_id(), 1);

  // Removed and moved again in one frame: it stays.
  list_.remove_display_object(3, 1);
  swf::matrix moved;
  moved.m_[0][2] = 40;
  list_.move_display_object(3, false, swf::cxform(), true, moved, 0);
  list_.sweep();
  ASSERT_EQ(list_.size(), 1);
  EXPECT_EQ(list_.get_character(0)->get_matrix().m_[0][2], 40);
  EXPECT_TRUE(log.lines.empty()) << log.All();

  list_.remove_display_object(3, 7);
  list_.remove_display_object(9, -1);
  list_.move_display_object(2, false, swf::cxform(), false, swf::matrix(), 0);
  list_.move_display_object(5, false, swf::cxform(), false, swf::matrix(), 0);
  EXPECT_TRUE(log.Contains("remove_display_object: no character at depth 3 with id 7\n"));
  EXPECT_TRUE(log.Contains("remove_display_object: no character at depth 9\n"));
  EXPECT_TRUE(log.Contains("error: move_display_object() -- no object at depth 2\n"));
  EXPECT_TRUE(log.Contains("error: move_display_object() -- can't find object at depth 5\n"));
  list_.clear();
  list_.remove_display_object(3, -1);
  EXPECT_TRUE(log.Contains("remove_display_object: no characters in display list\n"));
}

TEST_F(SwfDisplayList, AMaskCoversTheDepthsUpToItsClipDepth) {
  Add(1, 1, false, 5);
  for (int d = 2; d <= 6; ++d) Add(d, d);
  EXPECT_EQ(Draw(), (std::vector<std::string>{"begin_mask", "1", "end_mask", "2", "3", "4", "5", "disable_mask",
                                              "6"}));
  list_.get_character_at_depth(1)->set_visible(false);  // an invisible mask masks nothing
  EXPECT_EQ(Draw(), (std::vector<std::string>{"2", "3", "4", "5", "6"}));
}

TEST_F(SwfDisplayList, LookupsBetweenDepths) {
  Add(1, 3);
  Add(2, 5);
  Add(3, 9);
  EXPECT_EQ(list_.get_character_at_depth(4), nullptr);
  EXPECT_EQ(list_.get_character_at_depth(5)->get_id(), 2);
  struct Case {
    int depth, index;
  };
  for (Case c : {Case{0, 0}, Case{3, 0}, Case{4, 1}, Case{5, 1}, Case{6, 2}, Case{9, 2}, Case{10, 3}}) {
    EXPECT_EQ(list_.find_display_index(c.depth), c.index) << c.depth;
  }
  list_.get_character(1)->set_name("Hat");
  EXPECT_EQ(list_.get_character_by_name("hat"), nullptr);
  EXPECT_EQ(list_.get_character_by_name_i("hat")->get_id(), 2);
}

// A character whose advance replaces itself in the list that holds it.
class SelfReplacing : public character {
 public:
  SelfReplacing(swf::display_list* list, character* other) : character(nullptr, 1), list_(list), other_(other) {}
  void advance(float) override {
    list_->replace_display_object(other_, static_cast<uint16_t>(get_depth()), false, swf::cxform(), false,
                                  swf::matrix(), 0, 0);
    advanced_ = true;  // still alive here: the list holds it while it advances
  }
  bool advanced_ = false;

 private:
  swf::display_list* list_;
  character* other_;
};

TEST_F(SwfDisplayList, ACharacterReplacedByItsOwnAdvanceLivesUntilItReturns) {
  boxes_[0] = new swftest::Box(0, 0, 0, 1, 1);
  swf::smart_ptr<character> other(boxes_[0]->create_character_instance(nullptr, 5));
  SelfReplacing* first = new SelfReplacing(&list_, other.get_ptr());
  list_.add_display_object(first, 1, false, swf::cxform(), swf::matrix(), 0, 0);
  list_.advance(kFrame);
  EXPECT_EQ(list_.get_character_at_depth(1), other.get_ptr());
}

// ---- the movie root --------------------------------------------------------------------

TEST(SwfMovieRoot, ThePixelScaleIsTheLargerRatio) {
  Played p(MovieOfFrames({{}}));  // 550 x 400 pixels
  EXPECT_EQ(p.root->get_viewport_width(), 550);
  p.root->set_display_viewport(0, 0, 800, 600);
  EXPECT_FLOAT_EQ(p.root->get_pixel_scale(), 1.5f);
  p.root->set_display_viewport(0, 0, 1100, 400);
  EXPECT_FLOAT_EQ(p.root->get_pixel_scale(), 2.0f);
}

TEST(SwfMovieRoot, AStageWithoutSizeDrawsNothingButTheBackground) {
  swfw::Movie movie;
  movie.frame = {0, 0, 0, 8000};
  movie.Add(Place(1, 1)).ShowFrame().End();
  Played p(movie.Build(), {{1, SquareBox(1)}});
  p.root->set_display_viewport(0, 0, 800, 600);
  EXPECT_EQ(p.root->get_pixel_scale(), 0.0f);
  p.root->advance(0);
  swftest::RecordingRenderHandler r;
  p.root->display();
  EXPECT_EQ(r.Count("begin_frame"), 1u);
  EXPECT_TRUE(swftest::DrawOrder(r).empty());
}

TEST(SwfMovieRoot, BackgroundAlphaIsClamped) {
  Played p(MovieOfFrames({{}}));
  struct Case {
    float alpha;
    int stored;
  };
  for (Case c : {Case{0.5f, 128}, Case{1.2f, 255}, Case{-0.3f, 0}, Case{1.0f, 255}, Case{NAN, 0}}) {
    p.root->set_background_alpha(c.alpha);
    EXPECT_EQ(p.root->get_background_color().m_a, c.stored) << c.alpha;
  }
}

TEST(SwfMovieRoot, TheFirstAdvanceLoadsOnceAndTheMouseIsTestedInTwips) {
  // A 1-twip box at (200, 400) twips: the mouse at (10, 20) pixels hits it.
  Played p(MovieOfFrames({{Place(1, 1, "dot", 200, 400)}, {}}), {{1, new swftest::Box(1, 0, 0, 1, 1)}});
  swftest::g_native_calls = 0;
  p.sprite()->set_member("onLoad", script_value(&swftest::CountCall));
  {
    swftest::RecordingRenderHandler r;
    p.root->display();  // before the first advance: the background only
    EXPECT_TRUE(swftest::DrawOrder(r).empty());
  }
  p.root->notify_mouse_state(10, 20, 0);
  p.root->advance(0);
  p.root->advance(0.1f);
  p.root->advance(0.1f);
  EXPECT_EQ(swftest::g_native_calls, 1);
  EXPECT_EQ(p.root->get_mouse_button_state().m_topmost_entity.get_ptr(), p.child("dot"));
  p.root->notify_mouse_state(11, 20, 0);
  p.root->advance(0);
  EXPECT_EQ(p.root->get_mouse_button_state().m_topmost_entity.get_ptr(), nullptr);
  EXPECT_NEAR(p.root->get_timer(), 0.2f, 1e-6);

  swftest::RecordingRenderHandler r;
  p.root->display();
  EXPECT_EQ(swftest::DrawOrder(r), (std::vector<std::string>{"1"}));
  p.root->set_visible(false);
  r.calls.clear();
  p.root->display();
  EXPECT_TRUE(r.calls.empty());  // an invisible root begins no frame
}

TEST(SwfMovieRoot, IntervalTimersAreNumberedFromOne) {
  Played p(MovieOfFrames({{}}));
  swf::Timer a(1.0, 0.0), b(1.0, 0.0);
  EXPECT_EQ(p.root->add_interval_timer(&a), 1);
  EXPECT_EQ(p.root->add_interval_timer(&b), 2);
  p.root->clear_interval_timer(1);
  p.root->clear_interval_timer(7);  // names no timer
  EXPECT_EQ(p.root->add_interval_timer(&a), 2);
}

TEST(SwfMovieRoot, BackgroundTagsAndLabelsActOnTheRoot) {
  Played p(MovieOfFrames({{swfw::SetBackgroundColor({10, 20, 30, 255})}, {swfw::FrameLabel("end")}}));
  p.root->set_background_alpha(0.0f);
  p.root->advance(0);
  EXPECT_EQ(p.root->get_background_color(), swf::rgba(10, 20, 30, 0));
  EXPECT_TRUE(p.root->goto_labeled_frame("END"));
  EXPECT_EQ(p.root->get_current_frame(), 1);
  EXPECT_FALSE(p.root->goto_labeled_frame("nowhere"));
}

// ---- whole movies ----------------------------------------------------------------------

// Every sample movie plays ten frames under a moving, clicking mouse and draws each one;
// its scripts spend less than a hundredth of a frame's budget.
TEST(SwfPlay, EverySampleMoviePlays) {
  swftest::MemoryFiles files;
  swftest::RecordingSoundHandler sound;
  for (const auto& [name, bytes] : swfw::SampleMovies()) files.Add(name, bytes);
  for (const auto& [name, bytes] : swfw::SampleMovies()) {
    SwfLogCapture log;
    {
      Played p(bytes);
      ASSERT_TRUE(p.root) << name;
      p.root->set_display_viewport(0, 0, 800, 600);
      swftest::RecordingRenderHandler r;
      for (int frame = 0; frame < 10; ++frame) {
        p.root->notify_mouse_state(frame * 7, frame * 5, frame & 1);
        p.root->advance(0.1f);
        EXPECT_LT(swf::get_action_frame_counts().units, swf::limits::kMaxActionsPerFrame / 100) << name << frame;
        p.root->display();
      }
      EXPECT_EQ(r.Count("begin_frame"), 10u) << name;
      EXPECT_EQ(r.Count("end_frame"), 10u) << name;
    }
    swf::clear_library();
    EXPECT_EQ(swf::get_live_character_count(), 0) << name;
  }
}

// The timeline sample's clip loops its two frames and its clip events are installed.
TEST(SwfPlay, TheTimelineSampleRunsItsScripts) {
  Bytes timeline;
  for (const auto& [name, bytes] : swfw::SampleMovies()) {
    if (name == "timeline.swf") timeline = bytes;
  }
  Played p(timeline, {{1, SquareBox(1)}, {2, SquareBox(2)}});
  p.root->advance(0);
  character* clip = p.child("clip");
  ASSERT_NE(clip, nullptr);
  script_value method;
  EXPECT_TRUE(clip->get_event_handler(swf::clip_event::ENTER_FRAME, &method));
  EXPECT_TRUE(clip->get_event_handler(swf::clip_event::PRESS, &method));
  swftest::RecordingRenderHandler r;
  p.root->display();
  EXPECT_EQ(swftest::DrawOrder(r), (std::vector<std::string>{"begin_mask", "1", "end_mask", "1", "disable_mask", "2"}));
  // Frame 1 removes the mask, then its actions go back to "start", which places it again.
  // The clip's onEnterFrame steps it once more, past its last frame: it stops there.
  p.root->advance(0.1f);
  EXPECT_EQ(clip->get_current_frame(), 1);
  EXPECT_EQ(p.sprite()->get_current_frame(), 0);
  EXPECT_NE(p.sprite()->get_display_list().get_character_at_depth(1), nullptr);
  EXPECT_EQ(p.sprite()->get_play_state(), swf::movie_interface::PLAY);
  p.root->advance(0.1f);
  EXPECT_EQ(clip->get_current_frame(), 1);
  EXPECT_EQ(clip->get_play_state(), swf::movie_interface::STOP);
}

}  // namespace
