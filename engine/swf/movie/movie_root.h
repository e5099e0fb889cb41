#pragma once

#include <vector>

#include "engine/swf/base/array.h"
#include "engine/swf/base/memory_account.h"
#include "engine/swf/movie/character.h"

namespace swf {

class movie_def_impl;
class sprite_instance;

// The top of a playing movie: owns the root sprite ("_root") and turns the host's calls
// (advance, display, mouse) into work on it. Holds the viewport, the background, the
// mouse and drag state and the interval timers.
class movie_root : public movie_interface {
 public:
  explicit movie_root(movie_definition_sub* def);
  ~movie_root() override;

  void set_root_movie(sprite_instance* root_movie);

  movie_definition_sub* get_movie_definition() override;
  int get_current_frame() const override;
  bool has_looped() const override;
  void restart() override;
  void advance(float delta_seconds) override;
  void goto_frame(int target_frame_number) override;
  bool goto_labeled_frame(const char* label) override;
  void display() override;
  void set_play_state(play_state state) override;
  play_state get_play_state() const override;
  void set_background_color(const rgba& color) override { m_background_color = color; }
  void set_background_alpha(float alpha) override;
  float get_background_alpha() const override { return m_background_color.m_a / 255.0f; }
  void set_display_viewport(int x0, int y0, int width, int height) override;
  void notify_mouse_state(int x, int y, int buttons) override;
  void set_variable(const char* path_to_var, const uint16_t* new_value) override;
  void set_variable(const char* path_to_var, const char* new_value) override;
  const char* get_variable(const char* path_to_var) const override;
  const char* call_method_args(const char* method_name, const char* method_arg_fmt, va_list args) override;
  void set_visible(bool visible) override;
  bool get_visible() const override;
  void* get_userdata() override { return m_userdata; }
  void set_userdata(void* data) override { m_userdata = data; }
  void attach_display_callback(const char* path_to_object, display_callback callback, void* user) override;
  int add_interval_timer(Timer* timer) override;
  void clear_interval_timer(int id) override;
  character* get_root_movie() override;
  void get_mouse_state(int* x, int* y, int* buttons) override;
  void do_something(Timer* timer) override;
  float get_pixel_scale() const override { return m_pixel_scale; }

  // ---- what the root sprite and its children read and write ---------------------
  float get_timer() const { return m_timer; }
  const rgba& get_background_color() const { return m_background_color; }
  const drag_state& get_drag_state() const { return m_drag_state; }
  void set_drag_state(const drag_state& state) { m_drag_state = state; }
  void stop_drag() { m_drag_state.m_character = nullptr; }
  const mouse_button_state& get_mouse_button_state() const { return m_mouse_button_state; }
  int get_viewport_x0() const { return m_viewport_x0; }
  int get_viewport_y0() const { return m_viewport_y0; }
  int get_viewport_width() const { return m_viewport_width; }
  int get_viewport_height() const { return m_viewport_height; }
  // The account of the bytes this movie's scripts hold (base/memory_account.h).
  memory_account_id get_memory_account() const { return m_memory_account; }
  size_t get_script_bytes() const { return get_memory_account_bytes(m_memory_account); }

  // ---- movies that this movie's scripts loaded -----------------------------------
  // A movie loaded by a script (in place of a clip, or as a root of its own) plays as
  // long as the movie that shows it and goes with it. One loaded in place of a clip
  // that an earlier load put there releases that earlier one.
  void keep_loaded_movie(movie_interface* movie, character* replaced);
  int get_loaded_movie_count() const { return static_cast<int>(m_loaded_movies.size()); }

 private:
  struct loaded_movie {
    weak_ptr<character> m_shown;  // its root sprite
    smart_ptr<movie_interface> m_movie;
  };

  smart_ptr<movie_definition_sub> m_def;
  smart_ptr<sprite_instance> m_movie;
  int m_viewport_x0 = 0;
  int m_viewport_y0 = 0;
  int m_viewport_width = 1;
  int m_viewport_height = 1;
  float m_pixel_scale = 1.0f;
  rgba m_background_color{0, 0, 0, 255};
  float m_timer = 0.0f;
  int m_mouse_x = 0;
  int m_mouse_y = 0;
  int m_mouse_buttons = 0;
  void* m_userdata = nullptr;
  drag_state m_drag_state;
  mouse_button_state m_mouse_button_state;
  bool m_on_event_load_called = false;
  array<Timer*> m_interval_timers;
  std::vector<loaded_movie> m_loaded_movies;
  memory_account_id m_memory_account;
};

// Movie roots alive in the process.
int get_live_movie_count();

// The stage rectangle of a definition in twips (a sprite's is its movie's).
rect get_stage_rect(movie_definition_sub* def);

}  // namespace swf
