#pragma once

#include <cstdarg>
#include <cstdint>

#include "engine/swf/action/clip_event.h"
#include "engine/swf/action/script_value.h"
#include "engine/swf/base/clock.h"
#include "engine/swf/base/records.h"

namespace swf {

class character;
class character_def;
class movie_definition_sub;
class movie_root;
class action_buffer;
class execute_tag;
class swf_event;
template <class T>
class array;

// Called after a character has been drawn.
using display_callback = void (*)(void* user);

// What the StartDrag action sets: the dragged character, whether its centre locks to the
// mouse, and bounds in twips (read only while the bounds flag is set).
struct drag_state {
  // Held weakly: a dragged clip that a later frame removes is no longer dragged.
  weak_ptr<character> m_character;
  bool m_lock_center = false;
  bool m_bound = false;
  float m_bound_x0 = 0.0f;
  float m_bound_y0 = 0.0f;
  float m_bound_x1 = 1.0f;
  float m_bound_y1 = 1.0f;
};

// A character's scales and turn as scripts see them: the x and y scale (1 unscaled,
// negative when mirrored on that axis) and the rotation in radians.
struct scale_rotation {
  float m_x_scale = 1.0f;
  float m_y_scale = 1.0f;
  float m_rotation = 0.0f;
};

// The input of the button event generator: the entity that takes the mouse events and
// the one under the mouse, the button then and now, and whether the mouse is inside the
// active entity.
struct mouse_button_state {
  weak_ptr<character> m_active_entity;
  weak_ptr<character> m_topmost_entity;
  bool m_mouse_button_state_last = false;
  bool m_mouse_button_state_current = false;
  bool m_mouse_inside_entity_last = false;
};

// What a host drives: a movie root, or any character seen as a movie.
class movie_interface : public script_object {
 public:
  enum play_state { PLAY = 0, STOP = 1 };

  virtual movie_definition_sub* get_movie_definition() { return nullptr; }
  virtual int get_current_frame() const { return 0; }
  virtual bool has_looped() const { return false; }
  virtual void restart() {}
  virtual void advance(float delta_seconds) {}
  virtual void goto_frame(int target_frame_number) {}
  virtual bool goto_labeled_frame(const char* label) { return false; }
  virtual void display() {}
  virtual void set_play_state(play_state state) {}
  virtual play_state get_play_state() const { return STOP; }
  virtual void set_background_color(const rgba& color) {}
  virtual void set_background_alpha(float alpha) {}
  virtual float get_background_alpha() const { return 1.0f; }
  virtual void set_display_viewport(int x0, int y0, int width, int height) {}
  virtual void notify_mouse_state(int x, int y, int buttons) {}
  virtual void set_variable(const char* path_to_var, const uint16_t* new_value) {}
  virtual void set_variable(const char* path_to_var, const char* new_value) {}
  virtual const char* get_variable(const char* path_to_var) const { return ""; }
  // Calls a script method with arguments described by the format ("%d", "%f", "%s",
  // "%ls" separated by commas); answers the result as text, or none.
  const char* call_method(const char* method_name, const char* method_arg_fmt, ...);
  virtual const char* call_method_args(const char* method_name, const char* method_arg_fmt, va_list args) {
    return nullptr;
  }
  virtual void set_visible(bool visible) {}
  virtual bool get_visible() const { return true; }
  virtual void* get_userdata() { return nullptr; }
  virtual void set_userdata(void* data) {}
  virtual void attach_display_callback(const char* path_to_object, display_callback callback, void* user) {}
  virtual int add_interval_timer(Timer* timer);
  virtual void clear_interval_timer(int id);
  virtual character* get_root_movie() { return nullptr; }
  virtual void get_mouse_state(int* x, int* y, int* buttons);
  virtual void do_something(Timer* timer);
  virtual float get_pixel_scale() const { return 1.0f; }
};

// Everything shown on the stage: an instance of a character definition at a depth of a
// sprite's display list. It has no members or prototype of its own; sprites, buttons and
// text fields answer their properties themselves.
class character : public movie_interface {
 public:
  character(character* parent, int id);
  ~character() override;

  // ---- the object and movie side --------------------------------------------------
  void set_member(const string& name, const script_value& value) override {}
  bool get_member(const string& name, script_value* value) override { return false; }
  character* to_movie() override { return this; }
  void set_visible(bool visible) override { m_visible = visible; }
  bool get_visible() const override { return m_visible; }
  character* get_root_movie() override;
  void get_mouse_state(int* x, int* y, int* buttons) override;

  // ---- the character's own operations ---------------------------------------------
  virtual movie_root* get_root() { return nullptr; }
  virtual movie_interface* get_root_interface() { return nullptr; }
  virtual character* get_character(int id) { return nullptr; }
  // The parent's world matrix (or colour transform) followed by this one.
  virtual matrix get_world_matrix() const;
  virtual cxform get_world_cxform() const;
  virtual execute_tag* find_previous_replace_or_add_tag(int frame, int depth, int id) { return nullptr; }
  virtual character* add_display_object(uint16_t character_id, const char* name,
                                        const array<swf_event*>& event_handlers, uint16_t depth,
                                        bool replace_if_depth_is_occupied, const cxform& color_transform,
                                        const matrix& mat, float ratio, uint16_t clip_depth) {
    return nullptr;
  }
  virtual void move_display_object(uint16_t depth, bool use_cxform, const cxform& color_transform, bool use_matrix,
                                   const matrix& mat, float ratio, uint16_t clip_depth) {}
  virtual void replace_display_object(character* ch, const char* name, uint16_t depth, bool use_cxform,
                                      const cxform& color_transform, bool use_matrix, const matrix& mat, float ratio,
                                      uint16_t clip_depth) {}
  virtual void replace_display_object(uint16_t character_id, const char* name, uint16_t depth, bool use_cxform,
                                      const cxform& color_transform, bool use_matrix, const matrix& mat, float ratio,
                                      uint16_t clip_depth) {}
  virtual void remove_display_object(const string& name) {}
  virtual void remove_display_object(uint16_t depth, int id) {}
  virtual void add_action_buffer(const action_buffer* buffer) {}
  virtual void get_drag_state(drag_state* state);
  virtual void set_drag_state(const drag_state& state) {}
  virtual void stop_drag() {}
  // The character under the point (twips, in the parent's space), or none.
  virtual character* get_topmost_mouse_entity(float x, float y) { return nullptr; }
  virtual bool get_track_as_menu() const { return false; }
  virtual void on_button_event(const clip_event& event) { on_event(event); }
  virtual character* get_relative_target(const string& name) { return nullptr; }
  // Runs the event's handlers; true when one ran.
  virtual bool on_event(const clip_event& event) { return false; }
  virtual void on_event_load() { on_event(clip_event(clip_event::LOAD)); }
  virtual void call_frame_actions(const script_value& frame_spec) {}
  virtual float get_timer() const { return 0.0f; }
  virtual void clone_display_object(const string& name, const string& new_name, uint16_t depth) {}
  virtual void execute_frame_tags(int frame, bool state_only) {}
  virtual void set_display_callback(display_callback callback, void* user);
  virtual const char* get_text_name() const { return ""; }
  virtual void set_text_value(const char* new_text) {}
  // The box of what the character shows, in its own coordinates (before its matrix);
  // false when it shows nothing.
  virtual bool get_bound(rect* bound) const { return false; }
  // That box as the parent sees it: through this character's matrix.
  bool get_bound_in_parent(rect* bound) const;
  // The size of that box as the parent sees it (through this character's matrix), in
  // twips; 0 when the character shows nothing.
  virtual float get_height() const;
  virtual float get_width() const;
  virtual bool get_accept_anim_moves() const { return true; }
  virtual void do_display_callback();

  // ---- fields ---------------------------------------------------------------------
  int get_id() const { return m_id; }
  // None for a root sprite, and once the parent is gone: a clip that a script keeps
  // after its parent was freed acts as one without a parent.
  character* get_parent() const { return m_parent.get_ptr(); }
  void set_parent(character* parent) { m_parent = parent; }
  const string& get_name() const { return m_name; }
  void set_name(const char* name) { m_name = name; }
  int get_depth() const { return m_depth; }
  void set_depth(int depth) { m_depth = depth; }
  const cxform& get_cxform() const { return m_color_transform; }
  void set_cxform(const cxform& cx) { m_color_transform = cx; }
  void concatenate_cxform(const cxform& cx) { m_color_transform.concatenate(cx); }
  const matrix& get_matrix() const { return m_matrix; }
  // A placement's matrix: the scales and the turn are read from it again unless it keeps
  // those the matrix had (a move or a drag changes only the translation).
  void set_matrix(const matrix& m) {
    if (m.m_[0][0] != m_matrix.m_[0][0] || m.m_[0][1] != m_matrix.m_[0][1] || m.m_[1][0] != m_matrix.m_[1][0] ||
        m.m_[1][1] != m_matrix.m_[1][1]) {
      m_scale_rotation_kept = false;
    }
    m_matrix = m;
  }
  void concatenate_matrix(const matrix& m) {
    m_matrix.concatenate(m);
    m_scale_rotation_kept = false;
  }
  // The scales and the turn that a script set are kept beside the matrix, which cannot
  // tell them apart: a clip mirrored on its y axis has the matrix of one mirrored on its x
  // axis and turned half a turn. Until a script sets them, and again after a placement
  // changes them, they are read from the matrix.
  scale_rotation get_scale_rotation() const;
  // Builds the matrix's scale and turn from them (keeping its translation) and keeps them.
  void set_scale_rotation(const scale_rotation& sr);
  float get_ratio() const { return m_ratio; }
  void set_ratio(float ratio) { m_ratio = ratio; }
  uint16_t get_clip_depth() const { return m_clip_depth; }
  void set_clip_depth(uint16_t clip_depth) { m_clip_depth = clip_depth; }
  // The function installed for the event, if any (clip events of a placement).
  bool get_event_handler(const clip_event& event, script_value* method) const;
  void set_event_handler(const clip_event& event, const script_value& method);
  // Characters from the stage's root down to this one (1 for a root sprite).
  int get_nesting_depth() const;
  // Set for good when the display list that showed the character lets it go (removed,
  // replaced, or left out when its frame ran again). A script still running on a
  // removed clip finishes: the clip's own reads give undefined and its goto and play act
  // on nothing.
  void mark_removed() { m_removed = true; }
  bool is_removed() const { return m_removed; }

 private:
  int m_id;
  // Weak: the parent's display list holds this character, and a script may keep the
  // character longer than its parent lives.
  weak_ptr<character> m_parent;
  string m_name;
  int m_depth = -1;
  cxform m_color_transform;
  matrix m_matrix;
  scale_rotation m_scale_rotation;
  bool m_scale_rotation_kept = false;  // m_scale_rotation holds what a script set
  float m_ratio = 0.0f;
  uint16_t m_clip_depth = 0;
  bool m_visible = true;
  bool m_removed = false;
  hash_table<clip_event, script_value> m_event_handlers;
  display_callback m_display_callback = nullptr;
  void* m_display_callback_user = nullptr;
};

// The instance of a definition that has no instance type of its own (shapes, text,
// bitmaps): drawn, hit-tested and measured through the definition.
class generic_character : public character {
 public:
  generic_character(character_def* def, character* parent, int id);
  ~generic_character() override;
  void display() override;
  character* get_topmost_mouse_entity(float x, float y) override;
  bool get_bound(rect* bound) const override;
  movie_root* get_root() override;
  float get_pixel_scale() const override;
  character_def* get_definition() const { return m_def.get_ptr(); }

 private:
  // Counted: a script may keep the instance after its movie released the definition.
  smart_ptr<character_def> m_def;
};

// Grows the bound over the part; the first part (while found is false) is the bound.
void include_in_bound(const rect& part, rect* bound, bool* found);

// Characters alive in the process, and the test that a new instance may be made under
// the parent: instances nest to a bounded depth (a sprite that places itself stops
// there) and their number is bounded. A refusal logs one line.
int get_live_character_count();
bool may_create_instance(character* parent, int character_id);

}  // namespace swf
