#pragma once

#include <cstdint>
#include <memory>

#include "engine/swf/base/array.h"
#include "engine/swf/base/records.h"
#include "engine/swf/movie/character.h"
#include "engine/swf/movie/movie_definition.h"

namespace swf {

class action_buffer;
class sound_sample;

// One character of a button's states: which states show it, where and how.
struct button_record {
  bool m_hit_test = false;
  bool m_down = false;
  bool m_over = false;
  bool m_up = false;
  int m_character_id = 0;
  character_def* m_character_def = nullptr;  // resolved when an instance is made
  int m_button_layer = 0;
  matrix m_button_matrix;
  cxform m_button_cxform;

  // False at the end of the record list.
  bool read(stream* in, int tag_type, movie_definition_sub* m);
};

// Actions run on mouse transitions whose bits the conditions word holds.
struct button_action {
  enum condition {
    IDLE_TO_OVER_UP = 1 << 0,
    OVER_UP_TO_IDLE = 1 << 1,
    OVER_UP_TO_OVER_DOWN = 1 << 2,
    OVER_DOWN_TO_OVER_UP = 1 << 3,
    OVER_DOWN_TO_OUT_DOWN = 1 << 4,
    OUT_DOWN_TO_OVER_DOWN = 1 << 5,
    OUT_DOWN_TO_IDLE = 1 << 6,
  };
  uint32_t m_conditions = 0;
  array<std::shared_ptr<action_buffer>> m_actions;

  void read(stream* in, int tag_type);
};

// The sound-info record of a button sound.
struct button_sound_info {
  struct envelope {
    uint32_t m_mark44 = 0;
    uint16_t m_level0 = 0;
    uint16_t m_level1 = 0;
  };
  bool m_no_multiple = false;
  bool m_stop_playback = false;
  bool m_has_envelope = false;
  bool m_has_loops = false;
  bool m_has_out_point = false;
  bool m_has_in_point = false;
  uint32_t m_in_point = 0;
  uint32_t m_out_point = 0;
  uint16_t m_loop_count = 0;
  array<envelope> m_envelopes;

  void read(stream* in);
};

// The four sounds of a button: roll-out, roll-over, press, release.
struct button_sound {
  struct entry {
    uint16_t m_sound_id = 0;
    sound_sample* m_sam = nullptr;  // the movie's; none when the id names no sound
    button_sound_info m_sound_style;
  };
  entry m_button_sounds[4];
};

class button_character_definition : public character_def {
 public:
  button_character_definition();
  ~button_character_definition() override;
  character* create_character_instance(character* parent, int id) override;
  // Reads DefineButton (7), DefineButton2 (34) or DefineButtonSound (17) after the id.
  void read(stream* in, int tag_type, movie_definition_sub* m);

  bool m_menu = false;
  array<button_record> m_button_records;
  array<button_action> m_button_actions;
  std::unique_ptr<button_sound> m_sound;
  movie_definition_sub* m_movie = nullptr;  // not counted: the movie holds this definition
};

// A placed button: shows the records of its mouse state (up, down, over), hit-tests
// against its hit-test records and hands its actions to its parent.
class button_character_instance : public character {
 public:
  enum mouse_state { UP = 0, DOWN = 1, OVER = 2 };

  button_character_instance(button_character_definition* def, character* parent, int id);
  ~button_character_instance() override;

  void set_member(const string& name, const script_value& value) override;
  bool get_member(const string& name, script_value* value) override;
  void restart() override;
  void advance(float delta_seconds) override;
  void display() override;
  movie_root* get_root() override;
  float get_pixel_scale() const override;
  character* get_topmost_mouse_entity(float x, float y) override;
  void on_button_event(const clip_event& event) override;
  // The box of the records shown in the current state, each through its own matrix.
  bool get_bound(rect* bound) const override;

  mouse_state get_mouse_state_value() const { return m_mouse_state; }
  character* get_record_character(int i) const { return m_record_character[i].get_ptr(); }

 private:
  bool record_in_state(const button_record& rec) const;

  smart_ptr<button_character_definition> m_def;
  array<smart_ptr<character>> m_record_character;
  int m_last_mouse_flags = 0;
  int m_mouse_flags = 0;
  mouse_state m_mouse_state = UP;
};

// The mouse state machine: sends the button events of this frame to the active entity.
void generate_mouse_button_events(mouse_button_state* ms);

void button_loader(stream* in, int tag_type, movie_definition_sub* m);

}  // namespace swf
