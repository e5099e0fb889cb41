#include "engine/swf/movie/sprite_instance.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "engine/swf/action/action_buffer.h"
#include "engine/swf/base/limits.h"
#include "engine/swf/base/log.h"
#include "engine/swf/base/swf_string.h"
#include "engine/swf/movie/movie_def_impl.h"
#include "engine/swf/movie/movie_root.h"
#include "engine/swf/movie/sprite_definition.h"
#include "engine/swf/movie/tag_loaders.h"

namespace swf {

namespace {

// Frames run at this rate when a movie states none.
constexpr float kFallbackFrameRate = 12.0f;

sprite_instance* sprite_of_call(const native_call& call) {
  script_object* target = call.this_ptr;
  if (!target && call.env) target = call.env->get_target();
  character* ch = target ? target->to_movie() : nullptr;
  return dynamic_cast<sprite_instance*>(ch);
}

void sprite_play(const native_call& call) {
  if (sprite_instance* sprite = sprite_of_call(call)) sprite->set_play_state(movie_interface::PLAY);
}

void sprite_stop(const native_call& call) {
  if (sprite_instance* sprite = sprite_of_call(call)) sprite->set_play_state(movie_interface::STOP);
}

int frame_argument(const native_call& call) {
  return script_text::to_int32(std::trunc(call.arg(0).to_number() - 1.0));
}

// gotoAndStop and gotoAndPlay: the frame of argument 0, then the play state.
void goto_frame_and(const native_call& call, movie_interface::play_state state, const char* name) {
  sprite_instance* sprite = sprite_of_call(call);
  if (!sprite) return;
  if (call.nargs < 1) {
    log_error("error: %s needs one arg\n", name);
    return;
  }
  sprite->goto_frame(frame_argument(call));
  sprite->set_play_state(state);
}

void sprite_goto_and_stop(const native_call& call) {
  goto_frame_and(call, movie_interface::STOP, "sprite_goto_and_stop");
}

void sprite_goto_and_play(const native_call& call) {
  goto_frame_and(call, movie_interface::PLAY, "sprite_goto_and_play");
}

void sprite_next_frame(const native_call& call) {
  sprite_instance* sprite = sprite_of_call(call);
  if (!sprite) return;
  int frame_count = sprite->get_movie_definition()->get_frame_count();
  int current = sprite->get_current_frame();
  if (current < frame_count) sprite->goto_frame(current + 1);
  sprite->set_play_state(movie_interface::STOP);
}

void sprite_prev_frame(const native_call& call) {
  sprite_instance* sprite = sprite_of_call(call);
  if (!sprite) return;
  int current = sprite->get_current_frame();
  if (current > 0) sprite->goto_frame(current - 1);
  sprite->set_play_state(movie_interface::STOP);
}

void sprite_get_bytes_loaded(const native_call& call) {
  sprite_instance* sprite = sprite_of_call(call);
  if (!sprite || !call.result) return;
  movie_def_impl* movie = nullptr;
  if (movie_root* root = sprite->get_root()) {
    movie = dynamic_cast<movie_def_impl*>(root->get_movie_definition());
  }
  call.result->set_int(movie ? movie->get_file_length() : 0);
}

script_object* movieclip_builtins() {
  static smart_ptr<script_object>* builtins = nullptr;
  if (!builtins) {
    // Shared by every movie: charged to none.
    memory_account_scope no_movie(0);
    builtins = new smart_ptr<script_object>(new script_object);
    script_object* o = builtins->get_ptr();
    o->set_member("play", script_value(&sprite_play));
    o->set_member("stop", script_value(&sprite_stop));
    o->set_member("gotoAndStop", script_value(&sprite_goto_and_stop));
    o->set_member("gotoAndPlay", script_value(&sprite_goto_and_play));
    o->set_member("nextFrame", script_value(&sprite_next_frame));
    o->set_member("prevFrame", script_value(&sprite_prev_frame));
    o->set_member("getBytesLoaded", script_value(&sprite_get_bytes_loaded));
    o->set_member("getBytesTotal", script_value(&sprite_get_bytes_loaded));
  }
  return builtins->get_ptr();
}

}  // namespace

// ---- instance nesting ------------------------------------------------------------------

bool may_create_instance(character* parent, int character_id) {
  if (parent && parent->get_nesting_depth() >= limits::kMaxInstanceNesting) {
    log_error("error: character %d would nest deeper than %d characters; not placed\n", character_id,
              limits::kMaxInstanceNesting);
    return false;
  }
  if (get_live_character_count() >= limits::kMaxLiveCharacters) {
    log_error("error: %d characters live; character %d not placed\n", limits::kMaxLiveCharacters, character_id);
    return false;
  }
  return true;
}

// ---- construction ----------------------------------------------------------------------

namespace {

// The definition of the whole file a sprite's definition belongs to.
movie_definition_sub* file_definition_of(movie_definition_sub* def) {
  if (sprite_definition* sprite = dynamic_cast<sprite_definition*>(def)) return sprite->get_movie_definition();
  return def;
}

}  // namespace

sprite_instance::sprite_instance(movie_definition_sub* def, movie_root* root, character* parent, int id)
    : character(parent, id), m_def(def), m_movie_def(file_definition_of(def)), m_root(root) {
  m_as_environment.set_target(this);
  m_as_environment.set_owner(this);
  movieclip_builtins();
}

sprite_instance::~sprite_instance() = default;

character* sprite_instance::get_root_movie() {
  movie_root* root = get_root();
  return root ? root->get_root_movie() : nullptr;
}

movie_interface* sprite_instance::get_root_interface() { return get_root(); }

float sprite_instance::get_pixel_scale() const {
  const movie_root* root = m_root.get_ptr();
  return root ? root->get_pixel_scale() : 1.0f;
}

float sprite_instance::get_timer() const {
  const movie_root* root = m_root.get_ptr();
  return root ? root->get_timer() : 0.0f;
}

void sprite_instance::set_background_color(const rgba& color) {
  if (movie_root* root = get_root()) root->set_background_color(color);
}

float sprite_instance::get_background_alpha() const {
  const movie_root* root = m_root.get_ptr();
  return root ? root->get_background_alpha() : 1.0f;
}

int sprite_instance::add_interval_timer(Timer* timer) {
  movie_root* root = get_root();
  return root ? root->add_interval_timer(timer) : -1;
}

void sprite_instance::clear_interval_timer(int id) {
  if (movie_root* root = get_root()) root->clear_interval_timer(id);
}

void sprite_instance::get_mouse_state(int* x, int* y, int* buttons) {
  if (movie_root* root = get_root()) {
    root->get_mouse_state(x, y, buttons);
  } else {
    movie_interface::get_mouse_state(x, y, buttons);
  }
}

void sprite_instance::get_drag_state(drag_state* state) {
  movie_root* root = get_root();
  *state = root ? root->get_drag_state() : drag_state();
}

void sprite_instance::set_drag_state(const drag_state& state) {
  if (movie_root* root = get_root()) root->set_drag_state(state);
}

void sprite_instance::stop_drag() {
  if (movie_root* root = get_root()) root->stop_drag();
}

// ---- timeline --------------------------------------------------------------------------

void sprite_instance::set_play_state(play_state state) {
  if (is_removed()) return;
  if (m_play_state != state) m_time_remainder = 0.0f;
  m_play_state = state;
}

void do_drag_step(character* ch) {
  drag_state st;
  ch->get_drag_state(&st);
  if (st.m_character.get_ptr() != ch) return;
  int x = 0;
  int y = 0;
  int buttons = 0;
  ch->get_mouse_state(&x, &y, &buttons);
  point world(static_cast<float>(x) * 20.0f, static_cast<float>(y) * 20.0f);
  if (st.m_bound) {
    world.m_x = std::fmax(std::fmin(world.m_x, st.m_bound_x1), st.m_bound_x0);
    world.m_y = std::fmax(std::fmin(world.m_y, st.m_bound_y1), st.m_bound_y0);
  }
  if (st.m_lock_center) {
    matrix parent_world;
    if (ch->get_parent()) parent_world = ch->get_parent()->get_world_matrix();
    point local;
    parent_world.transform_by_inverse(&local, world);
    matrix m = ch->get_matrix();
    m.m_[0][2] = local.m_x;
    m.m_[1][2] = local.m_y;
    ch->set_matrix(m);
  }
}

void sprite_instance::do_drag() { do_drag_step(this); }

void sprite_instance::advance(float delta_seconds) {
  smart_ptr<sprite_instance> keep(this);
  m_display_list.advance(delta_seconds);
  do_drag();

  m_time_remainder += delta_seconds;
  float frame_rate = 0.0f;
  movie_root* root = get_root();
  if (root && root->get_movie_definition()) frame_rate = root->get_movie_definition()->get_frame_rate();
  // A movie that states no rate (or a broken one) still plays.
  if (!(frame_rate > 0.0f) || !std::isfinite(frame_rate)) frame_rate = kFallbackFrameRate;
  const float frame_time = 1.0f / frame_rate;

  if (m_time_remainder >= frame_time) {
    m_time_remainder -= frame_time;
    if (m_play_state == PLAY) {
      int previous_frame = m_current_frame;
      increment_frame_and_check_for_loop();
      if (m_current_frame != previous_frame) execute_frame_tags(m_current_frame, false);
    }
    on_event(clip_event(clip_event::ENTER_FRAME));
    do_actions();
    m_display_list.sweep();
  }
  m_time_remainder = std::fmod(m_time_remainder, frame_time);
  if (!std::isfinite(m_time_remainder)) m_time_remainder = 0.0f;
}

void sprite_instance::increment_frame_and_check_for_loop() {
  int frame_count = m_def->get_frame_count();
  ++m_current_frame;
  if (m_current_frame >= frame_count) {
    m_current_frame = 0;
    m_has_looped = true;
    if (frame_count > 1) m_display_list.clear_refs();
  }
}

void sprite_instance::execute_frame_tags(int frame, bool state_only) {
  if (frame < 0 || frame >= m_def->get_frame_count()) return;
  smart_ptr<sprite_instance> keep(this);
  const array<execute_tag*>* init_actions = m_def->get_init_actions(frame);
  if (init_actions && init_actions->size() > 0 && mark_init_actions_run(frame)) {
    for (execute_tag* tag : *init_actions) tag->execute(this);
  }
  const array<execute_tag*>* playlist = m_def->get_playlist(frame);
  if (!playlist) return;
  for (execute_tag* tag : *playlist) {
    if (state_only) {
      tag->execute_state(this);
    } else {
      tag->execute(this);
    }
  }
}

int sprite_instance::get_command_count(int frame) const {
  const array<execute_tag*>* playlist = m_def->get_playlist(frame);
  return playlist ? playlist->size() : 0;
}

void sprite_instance::add_action_buffer(const action_buffer* buffer) { m_action_list.push_back(buffer); }

void sprite_instance::do_actions() {
  smart_ptr<sprite_instance> keep(this);
  // Buffers queued while running run too, up to a bound: frames whose actions keep
  // queueing more cannot hang the game.
  int i = 0;
  for (; i < m_action_list.size(); ++i) {
    // A frame whose action budget is spent drops what is still queued, and so does a
    // clip that a script has removed.
    if (action_budget_exhausted() || is_removed()) break;
    if (i >= limits::kMaxQueuedActionsPerFrame) {
      log_error("error: more than %d action blocks queued in one frame; the rest are dropped\n",
                limits::kMaxQueuedActionsPerFrame);
      break;
    }
    m_action_list[i]->execute(&m_as_environment);
  }
  m_action_list.clear();
}

void sprite_instance::goto_frame(int target_frame_number) {
  if (is_removed()) return;
  smart_ptr<sprite_instance> keep(this);
  int frame_count = m_def->get_frame_count();
  if (target_frame_number > frame_count - 1) target_frame_number = frame_count - 1;
  if (target_frame_number < 0) target_frame_number = 0;

  // The frames a goto walks and every command it replays on them count against the
  // frame's action budget: scripts that jump across a long timeline, or back over a frame
  // of many placements, again and again end with it.
  int replayed = 0;
  if (target_frame_number < m_current_frame) {
    for (int f = m_current_frame; f > target_frame_number; --f) {
      const array<execute_tag*>* playlist = m_def->get_playlist(f);
      if (!playlist) continue;
      replayed += playlist->size();
      for (execute_tag* tag : *playlist) tag->execute_state_reverse(this, f);
    }
    replayed += get_command_count(target_frame_number);
    execute_frame_tags(target_frame_number, false);
    m_display_list.sweep();
  } else if (target_frame_number > m_current_frame) {
    for (int f = m_current_frame + 1; f <= target_frame_number; ++f) {
      replayed += get_command_count(f);
      execute_frame_tags(f, f < target_frame_number);
    }
    m_display_list.sweep();
  }
  count_commands_replayed(replayed);
  charge_action_budget(std::abs(target_frame_number - m_current_frame) +
                       replayed * limits::kBudgetUnitsPerCommandReplayed);
  m_current_frame = target_frame_number;
  m_play_state = STOP;
}

bool sprite_instance::goto_labeled_frame(const char* label) {
  int target_frame = -1;
  if (!m_def->get_labeled_frame(label, &target_frame)) return false;
  goto_frame(target_frame);
  return true;
}

void sprite_instance::restart() {
  if (is_removed()) return;
  smart_ptr<sprite_instance> keep(this);
  m_current_frame = 0;
  m_time_remainder = 0.0f;
  m_update_frame = true;
  m_has_looped = false;
  m_play_state = PLAY;
  m_display_list.clear_refs();
  execute_frame_tags(0, false);
  m_display_list.sweep();
}

void sprite_instance::on_event_load() {
  smart_ptr<sprite_instance> keep(this);
  execute_frame_tags(0, false);
  do_actions();
  on_event(clip_event(clip_event::LOAD));
}

void sprite_instance::display() {
  if (!get_visible()) return;
  m_display_list.display();
  do_display_callback();
}

execute_tag* sprite_instance::find_previous_replace_or_add_tag(int frame, int depth, int id) {
  uint32_t depth_id = (static_cast<uint32_t>(depth) << 16) | (static_cast<uint32_t>(id) & 0xFFFF);
  return m_def->find_previous_replace_or_add_tag(frame, depth_id);
}

bool sprite_instance::mark_init_actions_run(int frame) {
  auto at = std::lower_bound(m_init_action_frames_run.begin(), m_init_action_frames_run.end(), frame);
  if (at != m_init_action_frames_run.end() && *at == frame) return false;
  m_init_action_frames_run.insert(at, frame);
  return true;
}

// ---- events ----------------------------------------------------------------------------

bool sprite_instance::on_event(const clip_event& event) {
  smart_ptr<sprite_instance> keep(this);
  bool called = false;
  script_value method;
  if (get_event_handler(event, &method)) {
    call_method0(method, &m_as_environment, this);
    called = true;
  }
  const char* name = event.get_function_name();
  if (name[0] && get_member(string(name), &method)) {
    call_method0(method, &m_as_environment, this);
    called = true;
  }
  return called;
}

void sprite_instance::on_event_xmlsocket_onxml() {
  log_error("FIXME: %s: unimplemented\n", "swf::sprite_instance::on_event_xmlsocket_onxml");
  on_event(clip_event(clip_event::XML_LOAD));
}

void sprite_instance::on_event_interval_timer() {
  // The timer event has no id among the clip events: none is fired.
  log_error("FIXME: %s: unimplemented\n", "swf::sprite_instance::on_event_interval_timer");
}

void sprite_instance::on_event_load_progress() {
  log_error("FIXME: %s: unimplemented\n", "swf::sprite_instance::on_event_load_progress");
  on_event(clip_event(clip_event::LOAD_PROGRESS));
}

void sprite_instance::do_something(Timer* timer) {
  // A timer carries no function yet, so there is nothing to call.
  call_method0(script_value(), &m_as_environment, this);
}

void sprite_instance::call_frame_actions(const script_value& frame_spec) {
  if (is_removed()) return;
  smart_ptr<sprite_instance> keep(this);
  int frame_number = -1;
  if (frame_spec.get_type() == script_value::STRING) {
    if (!m_def->get_labeled_frame(frame_spec.to_string().c_str(), &frame_number)) {
      frame_number = script_text::to_int32(frame_spec.to_number());
    }
  } else {
    frame_number = script_text::to_int32(frame_spec.to_number()) - 1;
  }
  if (frame_number < 0 || frame_number >= m_def->get_frame_count()) {
    log_error("error: call_frame('%s') -- unknown frame\n", frame_spec.to_string().c_str());
    return;
  }
  int top_action = m_action_list.size();
  if (const array<execute_tag*>* playlist = m_def->get_playlist(frame_number)) {
    for (execute_tag* tag : *playlist) {
      if (tag->is_action_tag()) tag->execute(this);
    }
  }
  int budget = limits::kMaxQueuedActionsPerFrame;
  while (m_action_list.size() > top_action && budget-- > 0 && !action_budget_exhausted()) {
    const action_buffer* buffer = m_action_list[top_action];
    m_action_list.remove(top_action);
    buffer->execute(&m_as_environment);
  }
  if (m_action_list.size() > top_action) m_action_list.resize(top_action);
}

const char* sprite_instance::call_method_args(const char* method_name, const char* method_arg_fmt, va_list args) {
  smart_ptr<sprite_instance> keep(this);
  return call_method_parsed(&m_as_environment, this, method_name, method_arg_fmt, args);
}

// ---- mouse -----------------------------------------------------------------------------

bool sprite_instance::can_handle_mouse_event() {
  static const char* const kNames[] = {"onKeyPress", "onRelease",        "onDragOver", "onDragOut",
                                       "onPress",    "onReleaseOutside", "onRollout",  "onRollover"};
  script_value dummy;
  for (const char* name : kNames) {
    if (get_member(string(name), &dummy)) return true;
  }
  return false;
}

character* sprite_instance::get_topmost_mouse_entity(float x, float y) {
  if (!get_visible()) return nullptr;
  point local;
  get_matrix().transform_by_inverse(&local, point(x, y));
  for (int i = m_display_list.size() - 1; i >= 0; --i) {
    character* ch = m_display_list.get_character(i);
    if (!ch->get_visible()) continue;
    if (character* te = ch->get_topmost_mouse_entity(local.m_x, local.m_y)) {
      return can_handle_mouse_event() ? this : te;
    }
  }
  return nullptr;
}

character* sprite_instance::get_relative_target(const string& name) {
  if (name == "." || name == "this") return this;
  if (name == "..") return get_parent();
  if (name == "_level0" || name == "_root") return get_root_movie();
  // An empty name names no child, not the first unnamed one.
  if (name.empty()) return nullptr;
  return m_display_list.get_character_by_name(name);
}

// ---- display operations ----------------------------------------------------------------

character* sprite_instance::add_display_object(uint16_t character_id, const char* name,
                                               const array<swf_event*>& event_handlers, uint16_t depth,
                                               bool replace_if_depth_is_occupied, const cxform& color_transform,
                                               const matrix& mat, float ratio, uint16_t clip_depth) {
  character_def* cdef = m_def->get_character_def(character_id);
  if (!cdef) {
    log_error("sprite::add_display_object(): unknown cid = %d\n", character_id);
    return nullptr;
  }
  character* existing = m_display_list.get_character_at_depth(depth);
  if (existing && existing->get_id() == character_id &&
      existing->get_name() == string(name ? name : "")) {
    move_display_object(depth, true, color_transform, true, mat, ratio, clip_depth);
    return nullptr;
  }
  if (!may_create_instance(this, character_id)) return nullptr;
  smart_ptr<character> ch(cdef->create_character_instance(this, character_id));
  if (!ch) return nullptr;
  if (name && name[0]) ch->set_name(name);
  for (const swf_event* ev : event_handlers) ch->set_event_handler(clip_event(ev->m_event.m_id, ev->m_event.m_key_code),
                                                                   ev->m_method);
  m_display_list.add_display_object(ch.get_ptr(), depth, replace_if_depth_is_occupied, color_transform, mat, ratio,
                                    clip_depth);
  return ch.get_ptr();
}

void sprite_instance::move_display_object(uint16_t depth, bool use_cxform, const cxform& color_transform,
                                          bool use_matrix, const matrix& mat, float ratio, uint16_t clip_depth) {
  m_display_list.move_display_object(depth, use_cxform, color_transform, use_matrix, mat, ratio);
}

void sprite_instance::replace_display_object(uint16_t character_id, const char* name, uint16_t depth,
                                             bool use_cxform, const cxform& color_transform, bool use_matrix,
                                             const matrix& mat, float ratio, uint16_t clip_depth) {
  character_def* cdef = m_def->get_character_def(character_id);
  if (!cdef) {
    log_error("sprite::replace_display_object(): unknown cid = %d\n", character_id);
    return;
  }
  if (!may_create_instance(this, character_id)) return;
  smart_ptr<character> ch(cdef->create_character_instance(this, character_id));
  if (!ch) return;
  replace_display_object(ch.get_ptr(), name, depth, use_cxform, color_transform, use_matrix, mat, ratio,
                         clip_depth);
}

void sprite_instance::replace_display_object(character* ch, const char* name, uint16_t depth, bool use_cxform,
                                             const cxform& color_transform, bool use_matrix, const matrix& mat,
                                             float ratio, uint16_t clip_depth) {
  if (name && name[0]) ch->set_name(name);
  m_display_list.replace_display_object(ch, depth, use_cxform, color_transform, use_matrix, mat, ratio,
                                        clip_depth);
}

void sprite_instance::remove_display_object(uint16_t depth, int id) { m_display_list.remove_display_object(depth, id); }

void sprite_instance::remove_display_object(const string& name) {
  if (character* ch = m_display_list.get_character_by_name(name)) {
    remove_display_object(static_cast<uint16_t>(ch->get_depth()), ch->get_id());
  }
}

void sprite_instance::clone_display_object(const string& name, const string& new_name, uint16_t depth) {
  character* ch = m_display_list.get_character_by_name(name);
  if (!ch) return;
  smart_ptr<character> keep(ch);
  array<swf_event*> no_events;
  add_display_object(static_cast<uint16_t>(ch->get_id()), new_name.c_str(), no_events, depth, true, ch->get_cxform(),
                     ch->get_matrix(), ch->get_ratio(), ch->get_clip_depth());
}

// ---- size ------------------------------------------------------------------------------

bool sprite_instance::get_bound(rect* bound) const {
  // Each child measured counts: a script that reads _width of a clip of many children in
  // a loop ends with the frame's budget.
  charge_entries_visited(m_display_list.size());
  bool found = false;
  for (int i = 0; i < m_display_list.size(); ++i) {
    rect child;
    if (m_display_list.get_character(i)->get_bound_in_parent(&child)) include_in_bound(child, bound, &found);
  }
  return found;
}

scale_rotation sprite_instance::get_scale_rotation_sized(standard_member_id id, float size) const {
  scale_rotation sr = get_scale_rotation();
  rect bound;
  float local = 0.0f;
  if (get_bound(&bound)) local = id == M_WIDTH ? bound.width() : bound.height();
  // A clip that shows nothing takes the size itself as its scale.
  float scale = std::fabs(std::fabs(local) < 1e-6f ? size : size / local);
  // A mirrored clip stays mirrored.
  if (id == M_WIDTH) {
    sr.m_x_scale = std::copysign(scale, sr.m_x_scale);
  } else {
    sr.m_y_scale = std::copysign(scale, sr.m_y_scale);
  }
  return sr;
}

namespace {

// Degrees as scripts set them, brought into [-180, 180] (unchanged when they lie there):
// a clip turned a little every frame keeps an angle that floats hold exactly.
float rotation_radians(double degrees) { return static_cast<float>(std::remainder(degrees, 360.0) * 0.017453292); }

}  // namespace

// ---- properties and variables ----------------------------------------------------------

bool sprite_instance::get_builtin_property(standard_member_id id, script_value* value) {
  const matrix& m = get_matrix();
  switch (id) {
    case M_X: value->set_double(m.m_[0][2] / 20.0); return true;
    case M_Y: value->set_double(m.m_[1][2] / 20.0); return true;
    case M_XSCALE: value->set_double(get_scale_rotation().m_x_scale * 100.0); return true;
    case M_YSCALE: value->set_double(get_scale_rotation().m_y_scale * 100.0); return true;
    case M_CURRENTFRAME: value->set_int(m_current_frame + 1); return true;
    case M_TOTALFRAMES: value->set_int(m_def->get_frame_count()); return true;
    case M_ALPHA: value->set_double(get_cxform().m_[3][0] * 100.0); return true;
    case M_VISIBLE: value->set_bool(get_visible()); return true;
    case M_WIDTH: value->set_double(get_width() / 20.0); return true;
    case M_HEIGHT: value->set_double(get_height() / 20.0); return true;
    case M_ROTATION: value->set_double(get_scale_rotation().m_rotation * 57.29578f); return true;
    case M_TARGET: value->set_string("/_root"); return true;
    case M_FRAMESLOADED: value->set_int(m_def->get_frame_count()); return true;
    case M_NAME: value->set_string(get_name()); return true;
    case M_DROPTARGET: value->set_string("/_root"); return true;
    case M_URL: value->set_string("swf"); return true;
    case M_HIGHQUALITY: value->set_bool(true); return true;
    case M_FOCUSRECT: value->set_bool(false); return true;
    case M_SOUNDBUFTIME: value->set_double(0.0); return true;
    case M_XMOUSE:
    case M_YMOUSE: {
      int x = 0;
      int y = 0;
      int buttons = 0;
      get_mouse_state(&x, &y, &buttons);
      point local;
      get_world_matrix().transform_by_inverse(&local, point(static_cast<float>(x) * 20.0f,
                                                            static_cast<float>(y) * 20.0f));
      value->set_double((id == M_XMOUSE ? local.m_x : local.m_y) / 20.0);
      return true;
    }
    case M_PARENT: value->set_as_object(get_parent()); return true;
    default: return false;
  }
}

bool sprite_instance::get_member(const string& name, script_value* value) {
  if (is_removed()) return false;
  standard_member_id id = get_standard_member(name);
  if (id == M_ONLOAD) return m_as_environment.get_member(name, value);
  if (get_builtin_property(id, value)) return true;
  if (m_as_environment.get_member(name, value)) return true;
  if (character* child = m_display_list.get_character_by_name_i(name)) {
    value->set_as_object(child);
    return true;
  }
  return movieclip_builtins()->get_member(name, value);
}

bool sprite_instance::set_builtin_property(standard_member_id id, const script_value& value) {
  scale_rotation sr;
  switch (id) {
    case M_X:
    case M_Y: {
      matrix m = get_matrix();
      m.m_[id == M_X ? 0 : 1][2] = static_cast<float>(value.to_number() * 20.0);
      set_matrix(m);
      m_accept_anim_moves = false;
      return true;
    }
    case M_ALPHA: {
      cxform cx = get_cxform();
      cx.m_[3][0] = static_cast<float>(value.to_number() / 100.0);
      set_cxform(cx);
      m_accept_anim_moves = false;
      return true;
    }
    case M_VISIBLE:
      set_visible(value.to_bool());
      m_accept_anim_moves = false;
      return true;
    // Scales and the turn change what a script set before, not what the matrix reads.
    case M_XSCALE:
      sr = get_scale_rotation();
      sr.m_x_scale = static_cast<float>(value.to_number() / 100.0);
      break;
    case M_YSCALE:
      sr = get_scale_rotation();
      sr.m_y_scale = static_cast<float>(value.to_number() / 100.0);
      break;
    case M_WIDTH:
    case M_HEIGHT: sr = get_scale_rotation_sized(id, static_cast<float>(value.to_number() * 20.0)); break;
    case M_ROTATION:
      sr = get_scale_rotation();
      sr.m_rotation = rotation_radians(value.to_number());
      break;
    case M_HIGHQUALITY:
    case M_FOCUSRECT:
    case M_SOUNDBUFTIME:
      return true;
    default:
      return false;
  }
  set_scale_rotation(sr);
  m_accept_anim_moves = false;
  return true;
}

void sprite_instance::set_member(const string& name, const script_value& value) {
  if (is_removed()) return;
  if (set_builtin_property(get_standard_member(name), value)) return;
  // A text field whose variable has this name shows the value instead.
  if (value.get_type() == script_value::STRING || value.get_type() == script_value::NUMBER) {
    charge_entries_visited(m_display_list.size());
    bool set_text = false;
    for (int i = 0; i < m_display_list.size(); ++i) {
      character* ch = m_display_list.get_character(i);
      const char* text_name = ch->get_text_name();
      if (text_name && text_name[0] && script_text::compare_nocase(text_name, name.c_str()) == 0) {
        ch->set_text_value(value.to_string().c_str());
        set_text = true;
      }
    }
    if (set_text) return;
  }
  m_as_environment.set_member(name, value);
}

// The host's narrow and wide texts take the same checks on their way to the environment.
template <typename Text>
void sprite_instance::set_host_variable(const char* path_to_var, const Text* new_value) {
  if (!path_to_var) {
    log_error("error: NULL path_to_var passed to set_variable()\n");
    return;
  }
  if (!new_value) {
    log_error("error: NULL passed to set_variable('%s', NULL)\n", path_to_var);
    return;
  }
  m_as_environment.set_variable(string(path_to_var), script_value(new_value), scope_chain());
}

void sprite_instance::set_variable(const char* path_to_var, const char* new_value) {
  set_host_variable(path_to_var, new_value);
}

void sprite_instance::set_variable(const char* path_to_var, const uint16_t* new_value) {
  set_host_variable(path_to_var, new_value);
}

const char* sprite_instance::get_variable(const char* path_to_var) const {
  if (!path_to_var) return "";
  m_variable_text = m_as_environment.get_variable(string(path_to_var), scope_chain()).to_string();
  return m_variable_text.c_str();
}

void sprite_instance::attach_display_callback(const char* path_to_object, display_callback callback, void* user) {
  if (!path_to_object) return;
  character* ch = m_as_environment.get_variable(string(path_to_object), scope_chain()).to_character();
  if (ch) ch->set_display_callback(callback, user);
}

}  // namespace swf
