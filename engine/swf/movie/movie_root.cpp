#include "engine/swf/movie/movie_root.h"

#include <cmath>

#include "engine/swf/action/action_buffer.h"
#include "engine/swf/action/builtins.h"
#include "engine/swf/base/limits.h"
#include "engine/swf/base/log.h"
#include "engine/swf/movie/button.h"
#include "engine/swf/movie/movie_def_impl.h"
#include "engine/swf/movie/sprite_definition.h"
#include "engine/swf/movie/sprite_instance.h"
#include "engine/swf/render/render_handler.h"

namespace swf {

rect get_stage_rect(movie_definition_sub* def) {
  if (sprite_definition* sprite = dynamic_cast<sprite_definition*>(def)) def = sprite->get_movie_definition();
  if (movie_def_impl* movie = dynamic_cast<movie_def_impl*>(def)) return movie->get_frame_size();
  rect r;
  if (def) {
    r.m_x_max = def->get_width_pixels() * 20.0f;
    r.m_y_max = def->get_height_pixels() * 20.0f;
  }
  return r;
}

namespace {
int g_live_movie_roots = 0;
}  // namespace

int get_live_movie_count() { return g_live_movie_roots; }

movie_root::movie_root(movie_definition_sub* def)
    : m_def(def), m_memory_account(open_memory_account(limits::kMaxScriptBytesPerMovie)) {
  ++g_live_movie_roots;
  set_display_viewport(0, 0, static_cast<int>(def->get_width_pixels()), static_cast<int>(def->get_height_pixels()));
}

movie_root::~movie_root() {
  // What scripts stored in the global object (often a clip: _global.keep = _root) would
  // keep whole movies alive for as long as the process runs: with the last movie, it goes.
  if (--g_live_movie_roots == 0) reset_global_object();
  // What the scripts still hold elsewhere is released from the account when it is freed.
  close_memory_account(m_memory_account);
}

void movie_root::set_root_movie(sprite_instance* root_movie) { m_movie = root_movie; }

movie_definition_sub* movie_root::get_movie_definition() { return m_movie->get_movie_definition(); }
int movie_root::get_current_frame() const { return m_movie->get_current_frame(); }
bool movie_root::has_looped() const { return m_movie->has_looped(); }
void movie_root::restart() { m_movie->restart(); }
void movie_root::goto_frame(int target_frame_number) { m_movie->goto_frame(target_frame_number); }
void movie_root::set_play_state(play_state state) { m_movie->set_play_state(state); }
movie_interface::play_state movie_root::get_play_state() const { return m_movie->get_play_state(); }
// What the host's calls make for the scripts is this movie's, as what its frames make.
void movie_root::set_variable(const char* path_to_var, const uint16_t* new_value) {
  memory_account_scope held(m_memory_account);
  m_movie->set_variable(path_to_var, new_value);
}
void movie_root::set_variable(const char* path_to_var, const char* new_value) {
  memory_account_scope held(m_memory_account);
  m_movie->set_variable(path_to_var, new_value);
}
const char* movie_root::get_variable(const char* path_to_var) const { return m_movie->get_variable(path_to_var); }
const char* movie_root::call_method_args(const char* method_name, const char* method_arg_fmt, va_list args) {
  memory_account_scope held(m_memory_account);
  return m_movie->call_method_args(method_name, method_arg_fmt, args);
}
void movie_root::set_visible(bool visible) { m_movie->set_visible(visible); }
bool movie_root::get_visible() const { return m_movie->get_visible(); }
void movie_root::attach_display_callback(const char* path_to_object, display_callback callback, void* user) {
  m_movie->attach_display_callback(path_to_object, callback, user);
}
character* movie_root::get_root_movie() { return m_movie.get_ptr(); }

bool movie_root::goto_labeled_frame(const char* label) {
  int target_frame = -1;
  if (!m_def->get_labeled_frame(label, &target_frame)) return false;
  m_movie->goto_frame(target_frame);
  return true;
}

void movie_root::set_display_viewport(int x0, int y0, int width, int height) {
  m_viewport_x0 = x0;
  m_viewport_y0 = y0;
  m_viewport_width = width;
  m_viewport_height = height;
  rect stage = get_stage_rect(m_def.get_ptr());
  float stage_width = stage.width() * 0.05f;
  float stage_height = stage.height() * 0.05f;
  // A stage without width or height has no scale: such a movie draws nothing, and no
  // infinite or NaN scale reaches the shapes' tolerances.
  if (!(stage_width > 0.0f) || !(stage_height > 0.0f)) {
    m_pixel_scale = 0.0f;
    return;
  }
  float scale_x = static_cast<float>(width) / stage_width;
  float scale_y = static_cast<float>(height) / stage_height;
  m_pixel_scale = scale_x >= scale_y ? scale_x : scale_y;
  if (!std::isfinite(m_pixel_scale)) m_pixel_scale = 0.0f;
}

void movie_root::set_background_alpha(float alpha) {
  float scaled = alpha * 255.0f + 0.5f;
  int value = scaled >= 255.0f ? 255 : scaled <= 0.0f ? 0 : static_cast<int>(scaled);
  if (std::isnan(scaled)) value = 0;
  m_background_color.m_a = static_cast<uint8_t>(value);
}

void movie_root::notify_mouse_state(int x, int y, int buttons) {
  m_mouse_x = x;
  m_mouse_y = y;
  m_mouse_buttons = buttons;
}

void movie_root::get_mouse_state(int* x, int* y, int* buttons) {
  *x = m_mouse_x;
  *y = m_mouse_y;
  *buttons = m_mouse_buttons;
}

void movie_root::advance(float delta_seconds) {
  smart_ptr<movie_root> keep(this);
  // Every action of this frame counts against one budget, and what its scripts make is
  // charged to this movie.
  action_frame_scope frame_budget;
  memory_account_scope held(m_memory_account);
  if (!m_on_event_load_called) {
    m_on_event_load_called = true;
    m_movie->on_event_load();
  }
  for (int i = 0; i < m_interval_timers.size(); ++i) {
    if (m_interval_timers[i]->expired()) m_movie->do_something(m_interval_timers[i]);
  }
  m_timer += delta_seconds;

  m_mouse_button_state.m_topmost_entity =
      m_movie->get_topmost_mouse_entity(static_cast<float>(m_mouse_x) * 20.0f, static_cast<float>(m_mouse_y) * 20.0f);
  m_mouse_button_state.m_mouse_button_state_current = (m_mouse_buttons & 1) != 0;
  generate_mouse_button_events(&m_mouse_button_state);

  m_movie->advance(delta_seconds);
}

void movie_root::display() {
  if (!m_movie->get_visible()) return;
  rect stage = get_stage_rect(m_def.get_ptr());
  render::begin_frame(m_background_color, m_viewport_x0, m_viewport_y0, m_viewport_width, m_viewport_height,
                      stage.m_x_min, stage.m_x_max, stage.m_y_min, stage.m_y_max);
  // A stage without a size has no pixel scale: only the background is shown.
  if (m_pixel_scale > 0.0f) m_movie->display();
  render::end_frame();
}

int movie_root::add_interval_timer(Timer* timer) {
  m_interval_timers.push_back(timer);
  return m_interval_timers.size();
}

void movie_root::clear_interval_timer(int id) {
  if (id >= 1 && id <= m_interval_timers.size()) m_interval_timers.remove(id - 1);
}

void movie_root::keep_loaded_movie(movie_interface* movie, character* replaced) {
  if (!movie || movie == this) return;
  for (size_t i = 0; i < m_loaded_movies.size();) {
    if (m_loaded_movies[i].m_movie == movie) return;
    character* shown = m_loaded_movies[i].m_shown.get_ptr();
    if (!shown || (replaced && shown == replaced)) {
      m_loaded_movies.erase(m_loaded_movies.begin() + static_cast<long>(i));
    } else {
      ++i;
    }
  }
  m_loaded_movies.push_back(loaded_movie{weak_ptr<character>(movie->get_root_movie()), movie});
}

void movie_root::do_something(Timer* timer) {
  log_error("FIXME: %s: unimplemented\n", "swf::movie_root::do_something");
}

}  // namespace swf
