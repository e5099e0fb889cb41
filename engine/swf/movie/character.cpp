#include "engine/swf/movie/character.h"

#include "engine/swf/action/action_buffer.h"
#include "engine/swf/base/log.h"
#include "engine/swf/movie/movie_definition.h"
#include "engine/swf/movie/movie_root.h"

namespace swf {

// ---- movie_interface -------------------------------------------------------------------

const char* movie_interface::call_method(const char* method_name, const char* method_arg_fmt, ...) {
  va_list args;
  va_start(args, method_arg_fmt);
  const char* result = call_method_args(method_name, method_arg_fmt, args);
  va_end(args);
  return result;
}

int movie_interface::add_interval_timer(Timer* timer) {
  log_error("FIXME: %s: unimplemented\n", "swf::movie::add_interval_timer");
  return -1;
}

void movie_interface::clear_interval_timer(int id) {
  log_error("FIXME: %s: unimplemented\n", "swf::movie::clear_interval_timer");
}

void movie_interface::get_mouse_state(int* x, int* y, int* buttons) {
  *x = 0;
  *y = 0;
  *buttons = 0;
}

void movie_interface::do_something(Timer* timer) {
  log_error("FIXME: %s: unimplemented\n", "swf::movie::do_something");
}

// ---- character -------------------------------------------------------------------------

namespace {
int g_live_characters = 0;
}  // namespace

int get_live_character_count() { return g_live_characters; }

// Every character made counts against the frame's budget: a clone of a clip of many
// children, or a goto that places them again, costs as many units.
character::character(character* parent, int id) : m_id(id), m_parent(parent) {
  ++g_live_characters;
  charge_action_budget(limits::kBudgetUnitsPerCharacterMade);
}

character::~character() { --g_live_characters; }

character* character_def::create_character_instance(character* parent, int id) {
  return new generic_character(this, parent, id);
}

bool character_def::get_bound_local(rect* bound) {
  float width = get_width_local();
  float height = get_height_local();
  if (!(width > 0.0f) && !(height > 0.0f)) return false;
  *bound = rect{0.0f, width, 0.0f, height};
  return true;
}

character* character::get_root_movie() {
  character* parent = get_parent();
  return parent ? parent->get_root_movie() : nullptr;
}

void character::get_mouse_state(int* x, int* y, int* buttons) {
  if (character* parent = get_parent()) {
    parent->get_mouse_state(x, y, buttons);
  } else {
    movie_interface::get_mouse_state(x, y, buttons);
  }
}

matrix character::get_world_matrix() const {
  const character* parent = get_parent();
  if (!parent) return m_matrix;
  matrix m = parent->get_world_matrix();
  m.concatenate(m_matrix);
  return m;
}

scale_rotation character::get_scale_rotation() const {
  if (m_scale_rotation_kept) return m_scale_rotation;
  return scale_rotation{m_matrix.get_x_scale(), m_matrix.get_y_scale(), m_matrix.get_rotation()};
}

void character::set_scale_rotation(const scale_rotation& sr) {
  m_matrix.set_scale_rotation(sr.m_x_scale, sr.m_y_scale, sr.m_rotation);
  m_scale_rotation = sr;
  m_scale_rotation_kept = true;
}

cxform character::get_world_cxform() const {
  const character* parent = get_parent();
  if (!parent) return m_color_transform;
  cxform cx = parent->get_world_cxform();
  cx.concatenate(m_color_transform);
  return cx;
}

bool character::get_bound_in_parent(rect* bound) const {
  rect local;
  if (!get_bound(&local)) return false;
  bound->enclose_transformed_rect(m_matrix, local);
  return true;
}

void include_in_bound(const rect& part, rect* bound, bool* found) {
  if (!*found) {
    *bound = part;
    *found = true;
    return;
  }
  bound->expand_to_point(part.m_x_min, part.m_y_min);
  bound->expand_to_point(part.m_x_max, part.m_y_max);
}

float character::get_width() const {
  rect bound;
  return get_bound_in_parent(&bound) ? bound.width() : 0.0f;
}

float character::get_height() const {
  rect bound;
  return get_bound_in_parent(&bound) ? bound.height() : 0.0f;
}

void character::get_drag_state(drag_state* state) {
  if (character* parent = get_parent()) {
    parent->get_drag_state(state);
  } else {
    *state = drag_state();
  }
}

void character::set_display_callback(display_callback callback, void* user) {
  m_display_callback = callback;
  m_display_callback_user = user;
}

void character::do_display_callback() {
  if (m_display_callback) m_display_callback(m_display_callback_user);
}

bool character::get_event_handler(const clip_event& event, script_value* method) const {
  return m_event_handlers.get(event, method);
}

void character::set_event_handler(const clip_event& event, const script_value& method) {
  m_event_handlers.set(event, method);
}

int character::get_nesting_depth() const {
  int depth = 1;
  for (const character* p = get_parent(); p; p = p->get_parent()) ++depth;
  return depth;
}

// ---- generic_character -----------------------------------------------------------------

generic_character::generic_character(character_def* def, character* parent, int id)
    : character(parent, id), m_def(def) {}

generic_character::~generic_character() = default;

void generic_character::display() {
  m_def->display(this);
  do_display_callback();
}

character* generic_character::get_topmost_mouse_entity(float x, float y) {
  point local;
  get_matrix().transform_by_inverse(&local, point(x, y));
  return m_def->point_test_local(local.m_x, local.m_y) ? this : nullptr;
}

bool generic_character::get_bound(rect* bound) const { return m_def->get_bound_local(bound); }

movie_root* generic_character::get_root() { return get_parent() ? get_parent()->get_root() : nullptr; }

float generic_character::get_pixel_scale() const {
  return get_parent() ? get_parent()->get_pixel_scale() : 1.0f;
}

}  // namespace swf
