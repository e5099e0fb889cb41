#pragma once

#include <vector>

#include "engine/swf/action/environment.h"
#include "engine/swf/base/array.h"
#include "engine/swf/movie/character.h"
#include "engine/swf/movie/display_list.h"
#include "engine/swf/movie/movie_definition.h"

namespace swf {

class movie_root;

// A playing timeline: the root of a movie, or a movie clip placed by a frame. Keeps the
// current frame and play state, runs each frame's commands on its display list, queues
// the frame actions, fires clip events, answers the movie clip properties and holds the
// timeline's variables.
class sprite_instance : public character {
 public:
  sprite_instance(movie_definition_sub* def, movie_root* root, character* parent, int id);
  ~sprite_instance() override;

  void set_member(const string& name, const script_value& value) override;
  bool get_member(const string& name, script_value* value) override;

  movie_definition_sub* get_movie_definition() override { return m_def.get_ptr(); }
  int get_current_frame() const override { return m_current_frame; }
  bool has_looped() const override { return m_has_looped; }
  void restart() override;
  void advance(float delta_seconds) override;
  void goto_frame(int target_frame_number) override;
  bool goto_labeled_frame(const char* label) override;
  void display() override;
  void set_play_state(play_state state) override;
  play_state get_play_state() const override { return m_play_state; }
  void set_background_color(const rgba& color) override;
  float get_background_alpha() const override;
  void set_variable(const char* path_to_var, const uint16_t* new_value) override;
  void set_variable(const char* path_to_var, const char* new_value) override;
  const char* get_variable(const char* path_to_var) const override;
  const char* call_method_args(const char* method_name, const char* method_arg_fmt, va_list args) override;
  void attach_display_callback(const char* path_to_object, display_callback callback, void* user) override;
  int add_interval_timer(Timer* timer) override;
  void clear_interval_timer(int id) override;
  character* get_root_movie() override;
  movie_root* get_root() override { return m_root.get_ptr(); }
  movie_interface* get_root_interface() override;
  float get_pixel_scale() const override;
  execute_tag* find_previous_replace_or_add_tag(int frame, int depth, int id) override;
  character* add_display_object(uint16_t character_id, const char* name, const array<swf_event*>& event_handlers,
                                uint16_t depth, bool replace_if_depth_is_occupied, const cxform& color_transform,
                                const matrix& mat, float ratio, uint16_t clip_depth) override;
  void move_display_object(uint16_t depth, bool use_cxform, const cxform& color_transform, bool use_matrix,
                           const matrix& mat, float ratio, uint16_t clip_depth) override;
  void replace_display_object(character* ch, const char* name, uint16_t depth, bool use_cxform,
                              const cxform& color_transform, bool use_matrix, const matrix& mat, float ratio,
                              uint16_t clip_depth) override;
  void replace_display_object(uint16_t character_id, const char* name, uint16_t depth, bool use_cxform,
                              const cxform& color_transform, bool use_matrix, const matrix& mat, float ratio,
                              uint16_t clip_depth) override;
  void remove_display_object(const string& name) override;
  void remove_display_object(uint16_t depth, int id) override;
  void add_action_buffer(const action_buffer* buffer) override;
  void get_mouse_state(int* x, int* y, int* buttons) override;
  void get_drag_state(drag_state* state) override;
  void set_drag_state(const drag_state& state) override;
  void stop_drag() override;
  character* get_topmost_mouse_entity(float x, float y) override;
  character* get_relative_target(const string& name) override;
  bool on_event(const clip_event& event) override;
  void do_something(Timer* timer) override;
  void on_event_load() override;
  void call_frame_actions(const script_value& frame_spec) override;
  float get_timer() const override;
  void clone_display_object(const string& name, const string& new_name, uint16_t depth) override;
  void execute_frame_tags(int frame, bool state_only) override;
  // The box of every child, each through its own matrix.
  bool get_bound(rect* bound) const override;
  bool get_accept_anim_moves() const override { return m_accept_anim_moves; }
  virtual void on_event_xmlsocket_onxml();
  virtual void on_event_interval_timer();
  virtual void on_event_load_progress();

  script_environment* get_environment() { return &m_as_environment; }
  const display_list& get_display_list() const { return m_display_list; }
  // The action buffers queued for the current frame (run by do_actions).
  const array<const action_buffer*>& get_action_list() const { return m_action_list; }
  // Runs the queued action buffers in order, also those queued while they run.
  void do_actions();
  float get_time_remainder() const { return m_time_remainder; }

 private:
  template <typename Text>
  void set_host_variable(const char* path_to_var, const Text* new_value);
  void increment_frame_and_check_for_loop();
  // Moves this sprite under the mouse when it is the one being dragged.
  void do_drag();
  // True when the sprite has a member that makes it take mouse events itself.
  bool can_handle_mouse_event();
  // Handles the built-in properties; false for any other name.
  bool set_builtin_property(standard_member_id id, const script_value& value);
  bool get_builtin_property(standard_member_id id, script_value* value);
  // _width and _height: the scales whose x (or y) scale makes the bound that size,
  // keeping the other scale and the rotation.
  scale_rotation get_scale_rotation_sized(standard_member_id id, float size) const;
  // Refuses an instance that would nest too deep (a sprite that places itself).
  bool may_nest_child(uint16_t character_id) const;
  // Notes that the frame's init actions run now; false when they already have.
  bool mark_init_actions_run(int frame);
  // The commands of the frame's playlist (0 for a frame that has none).
  int get_command_count(int frame) const;

  smart_ptr<movie_definition_sub> m_def;
  // The whole movie's definition, which a sprite's definition asks for its characters:
  // counted, so a clip that a script keeps after its movie was released can still play.
  smart_ptr<movie_definition_sub> m_movie_def;
  // Weak: the root owns this sprite's tree, and a script may keep a sprite longer than
  // the root lives. A sprite without its root acts as one that was never placed.
  weak_ptr<movie_root> m_root;
  display_list m_display_list;
  array<const action_buffer*> m_action_list;
  play_state m_play_state = PLAY;
  int m_current_frame = 0;
  float m_time_remainder = 0.0f;
  bool m_update_frame = true;
  bool m_has_looped = false;
  bool m_accept_anim_moves = true;
  // Frames whose init actions have run, ascending: only frames that have any are noted,
  // so a long timeline costs nothing per frame.
  std::vector<int> m_init_action_frames_run;
  script_environment m_as_environment;
  mutable string m_variable_text;
};

// The drag step shared by sprites and buttons: moves the character under the mouse when
// the root's drag state names it.
void do_drag_step(character* ch);

}  // namespace swf
