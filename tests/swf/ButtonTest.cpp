// Buttons driven through the movie root's mouse: the actions each transition hands to the
// parent, release outside, dragging from one button onto another, the states shown, the
// members, sounds, and records and sound entries that name nothing.

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "engine/swf/movie/button.h"
#include "tests/swf/PlayerFixture.h"

namespace {

using swf::button_character_definition;
using swf::button_character_instance;
using swf::script_value;
using swftest::Bytes;
using swftest::MovieOfFrames;
using swftest::Place;
using swftest::Played;
using swftest::SwfLogCapture;

swfw::ButtonRecord Record(uint16_t id, bool hit, bool up, bool over, bool down) {
  swfw::ButtonRecord r;
  r.characterId = id;
  r.hitTest = hit;
  r.up = up;
  r.over = over;
  r.down = down;
  return r;
}

// Hit area and up state: box 1; over: box 5; down: box 6.
std::vector<swfw::ButtonRecord> StateRecords() {
  return {Record(1, true, true, false, false), Record(5, false, false, true, false),
          Record(6, false, false, false, true)};
}

Bytes Marker(int n) { return swfw::Actions().Push({swfw::Actions::Int(n)}).Op("Pop").Build(); }

// Button "A" (id 2) has actions for every transition; button "B" (id 3, 100 pixels to the
// right) for roll-over and drag-over only.
class SwfButtons : public ::testing::Test {
 protected:
  SwfButtons()
      : p_(MovieOfFrames({{swfw::DefineButton2(2, false, StateRecords(),
                                               {{4, Marker(4)}, {16, Marker(16)}, {32, Marker(32)}, {8, Marker(8)},
                                                {64, Marker(64)}, {2, Marker(2)}, {1, Marker(1)}}),
                           swfw::DefineButton2(3, false, StateRecords(), {{1, Marker(1)}, {32, Marker(32)}}),
                           Place(2, 1, "a"), Place(3, 2, "b", 2000, 0)}}),
           {{1, swftest::SquareBox(1)}, {5, swftest::SquareBox(5)}, {6, swftest::SquareBox(6)}}) {
    Name(2, "A");
    Name(3, "B");
    p_.root->notify_mouse_state(300, 300, 0);  // over neither button
    p_.root->advance(0);
  }
  void Name(int id, const std::string& name) {
    auto* def = dynamic_cast<button_character_definition*>(p_.def->get_character_def(id));
    for (const auto& action : def->m_button_actions) {
      names_[action.m_actions[0].get()] = name + std::to_string(action.m_conditions);
    }
  }
  void Step(int x, int y, int buttons) {
    p_.root->notify_mouse_state(x, y, buttons);
    p_.root->advance(0);  // no frame passes, so the queued actions stay to be seen
  }
  std::vector<std::string> Queued() {
    std::vector<std::string> queued;
    for (const swf::action_buffer* b : p_.sprite()->get_action_list()) queued.push_back(names_[b]);
    return queued;
  }
  button_character_instance* Button(const char* name) {
    return dynamic_cast<button_character_instance*>(p_.child(name));
  }

  Played p_;
  std::map<const swf::action_buffer*, std::string> names_;
};

TEST_F(SwfButtons, PressDragOffBackOnAndReleaseQueueTheirActionsInOrder) {
  Step(10, 10, 0);
  EXPECT_EQ(Button("a")->get_mouse_state_value(), button_character_instance::OVER);
  Step(10, 10, 1);
  EXPECT_EQ(Button("a")->get_mouse_state_value(), button_character_instance::DOWN);
  Step(50, 10, 1);
  Step(10, 10, 1);
  Step(10, 10, 0);
  EXPECT_EQ(Queued(), (std::vector<std::string>{"A1", "A4", "A16", "A32", "A8"}));
  EXPECT_EQ(Button("a")->get_mouse_state_value(), button_character_instance::OVER);
}

TEST_F(SwfButtons, ReleasingOutsideLeavesTheButtonUp) {
  Step(10, 10, 0);
  Step(10, 10, 1);
  Step(50, 10, 1);
  Step(50, 10, 0);
  EXPECT_EQ(Queued(), (std::vector<std::string>{"A1", "A4", "A16", "A64", "A2"}));
  EXPECT_EQ(Button("a")->get_mouse_state_value(), button_character_instance::UP);
}

TEST_F(SwfButtons, DraggingOntoAnotherButtonActivatesItOnlyAfterTheRelease) {
  Step(10, 10, 0);
  Step(10, 10, 1);
  Step(110, 10, 1);
  EXPECT_EQ(Queued(), (std::vector<std::string>{"A1", "A4", "A16"}));
  EXPECT_EQ(Button("b")->get_mouse_state_value(), button_character_instance::UP);
  Step(110, 10, 0);
  EXPECT_EQ(Queued(), (std::vector<std::string>{"A1", "A4", "A16", "A64", "A2", "B1"}));
  EXPECT_EQ(p_.root->get_mouse_button_state().m_active_entity.get_ptr(), Button("b"));
  EXPECT_EQ(Button("b")->get_mouse_state_value(), button_character_instance::OVER);
}

TEST_F(SwfButtons, TheRecordsOfTheCurrentStateAreShown) {
  auto shown = [&] {
    swftest::RecordingRenderHandler r;
    Button("a")->display();
    return swftest::DrawOrder(r);
  };
  EXPECT_EQ(shown(), (std::vector<std::string>{"1"}));
  Step(10, 10, 0);
  EXPECT_EQ(shown(), (std::vector<std::string>{"5"}));
  Step(10, 10, 1);
  EXPECT_EQ(shown(), (std::vector<std::string>{"6"}));
}

TEST_F(SwfButtons, MembersRoundTripAndTheRestAreNotFound) {
  button_character_instance* a = Button("a");
  SwfLogCapture log;
  a->set_member("_x", script_value(10));
  a->set_member("_alpha", script_value(50));
  script_value v;
  ASSERT_TRUE(a->get_member("_x", &v));
  EXPECT_EQ(v.to_number(), 10);
  EXPECT_EQ(a->get_matrix().m_[0][2], 200);
  ASSERT_TRUE(a->get_member("_alpha", &v));
  EXPECT_EQ(v.to_number(), 50);
  ASSERT_TRUE(a->get_member("_width", &v));
  EXPECT_EQ(v.to_number(), 20);
  EXPECT_FALSE(a->get_member("_xscale", &v));
  EXPECT_TRUE(log.lines.empty());
  a->set_member("_xscale", script_value(3));
  EXPECT_TRUE(log.Contains("error: button_character_instance::set_member('_xscale', '3') not implemented yet\n"));

  // A variable lookup falls through to the button's parent for names it does not know.
  p_.sprite()->set_member("_xscale_of_a", script_value(1));
  EXPECT_EQ(p_.sprite()->get_environment()->get_variable("a._xscale", swf::scope_chain()).get_type(),
            script_value::UNDEFINED);
}

TEST_F(SwfButtons, AnInvisibleButtonIsNeverTopmost) {
  Button("a")->set_visible(false);
  EXPECT_EQ(Button("a")->get_topmost_mouse_entity(200, 200), nullptr);
  Step(10, 10, 0);
  EXPECT_EQ(p_.root->get_mouse_button_state().m_topmost_entity.get_ptr(), nullptr);
  EXPECT_TRUE(Queued().empty());
}

TEST(SwfButton, DefineButtonActsOnReleaseOnlyAndOffsetZeroHasNoActions) {
  Played p(MovieOfFrames({{swfw::DefineButton(2, {Record(1, true, true, false, false)}, Marker(1)),
                           swfw::DefineButton2(3, true, {Record(1, true, true, false, false)}, {}),
                           Place(2, 1, "old")}}),
           {{1, swftest::SquareBox(1)}});
  auto* button = dynamic_cast<button_character_definition*>(p.def->get_character_def(2));
  ASSERT_NE(button, nullptr);
  ASSERT_EQ(button->m_button_actions.size(), 1);
  EXPECT_EQ(button->m_button_actions[0].m_conditions, 8u);
  auto* empty = dynamic_cast<button_character_definition*>(p.def->get_character_def(3));
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(empty->m_button_actions.size(), 0);
  EXPECT_TRUE(empty->m_menu);

  p.root->advance(0);
  for (int buttons : {0, 1}) {
    p.root->notify_mouse_state(10, 10, buttons);
    p.root->advance(0);
    EXPECT_TRUE(p.sprite()->get_action_list().empty());
  }
  p.root->notify_mouse_state(10, 10, 0);
  p.root->advance(0);
  ASSERT_EQ(p.sprite()->get_action_list().size(), 1);
  EXPECT_EQ(p.sprite()->get_action_list()[0], button->m_button_actions[0].m_actions[0].get());
}

TEST(SwfButton, SoundsPlayOnlyWhatTheMovieHas) {
  swftest::RecordingSoundHandler sound;
  swfw::SoundInfo three;
  three.loops = 3;
  swfw::SoundInfo stop;
  stop.stop = true;
  Played p(MovieOfFrames({{swfw::DefineSound(51, {}, 4, swfw::PcmBytes({1, 2, 3, 4})),
                           swfw::DefineButton2(2, false, {Record(1, true, true, true, true)}, {}),
                           // roll-out: a sound that does not exist; roll-over: stop; press: play
                           swfw::DefineButtonSound(2, {{50, {}}, {51, stop}, {51, three}, {0, {}}}),
                           swftest::SpriteOfFrames(10, {{}}), swfw::DefineButtonSound(10, {}),
                           Place(2, 1)}}),
           {{1, swftest::SquareBox(1)}});
  ASSERT_EQ(sound.sounds.size(), 1u);
  sound.calls.clear();
  p.root->advance(0);
  for (int buttons : {0, 1, 0}) {
    p.root->notify_mouse_state(10, 10, buttons);
    p.root->advance(0);
  }
  p.root->notify_mouse_state(100, 100, 0);  // roll out: its sample is missing
  p.root->advance(0);
  EXPECT_EQ(sound.calls, (std::vector<std::string>{"stop 0", "play 0 3"}));
}

TEST(SwfButton, RecordsOfUnknownCharactersAndNonButtonSoundsAreSkipped) {
  SwfLogCapture log;
  Played p(MovieOfFrames({{swftest::SpriteOfFrames(10, {{}}), swfw::DefineButtonSound(10, {}),
                           swfw::DefineButton2(2, false, {Record(99, true, true, true, true)}, {}),
                           Place(2, 1, "b")}}));
  EXPECT_TRUE(log.Contains("error: DefineButtonSound for character 10, which is no button; skipped\n")) << log.All();
  p.root->advance(0);
  swf::character* b = p.child("b");
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(b->get_topmost_mouse_entity(10, 10), nullptr);
  p.root->notify_mouse_state(0, 0, 1);
  p.root->advance(0);
  swftest::RecordingRenderHandler r;
  p.root->display();
  EXPECT_TRUE(swftest::DrawOrder(r).empty());
}

}  // namespace
