#include "engine/swf/action/environment.h"

#include <cstring>

#include "engine/swf/action/action_buffer.h"
#include "engine/swf/base/limits.h"
#include "engine/swf/base/log.h"
#include "engine/swf/movie/character.h"
#include "engine/swf/movie/movie_def_impl.h"
#include "engine/swf/movie/movie_root.h"

namespace swf {

// ---- listeners -------------------------------------------------------------------------

// Each change walks the whole list: the listeners walked count against the frame's budget,
// so a script that adds listeners without end in a loop ends with it.
void listener_list::remove_dead() {
  charge_entries_visited(m_listeners.size());
  for (int i = m_listeners.size() - 1; i >= 0; --i) {
    if (!m_listeners[i].m_weak) m_listeners.remove(i);
  }
}

void listener_list::add(script_object* object) {
  remove_dead();
  for (const entry& e : m_listeners) {
    if (e.m_object == object) return;
  }
  m_listeners.resize(m_listeners.size() + 1);
  m_listeners.back().m_weak = object;
  m_listeners.back().m_object = object;
}

void listener_list::remove(script_object* object) {
  remove_dead();
  for (int i = 0; i < m_listeners.size(); ++i) {
    if (m_listeners[i].m_object == object) {
      m_listeners.remove(i);
      return;
    }
  }
}

script_object* listener_list::get(int i) const { return m_listeners[i].m_weak.get_ptr(); }

// ---- stack and registers ---------------------------------------------------------------

void script_environment::push(const script_value& value) {
  if (m_stack.size() >= limits::kMaxStackValues) {
    if (!m_stack_full_logged) {
      log_error("error: the value stack holds %d values; further values are dropped\n", limits::kMaxStackValues);
      m_stack_full_logged = true;
    }
    return;
  }
  if (m_stack.size() < limits::kMaxStackValues / 2) m_stack_full_logged = false;
  m_stack.push_back(value);
}

character* script_environment::get_target() const { return m_target.get_ptr(); }
void script_environment::set_target(character* target) { m_target = target; }

script_value script_environment::pop() {
  if (m_stack.empty()) return script_value();
  script_value result = m_stack.back();
  m_stack.pop_back();
  return result;
}

script_value& script_environment::top(int dist) {
  int index = m_stack.size() - 1 - dist;
  if (dist < 0 || index < 0) {
    m_undefined_slot.set_undefined();
    return m_undefined_slot;
  }
  return m_stack[index];
}

script_value& script_environment::bottom(int index) {
  if (index < 0 || index >= m_stack.size()) {
    m_undefined_slot.set_undefined();
    return m_undefined_slot;
  }
  return m_stack[index];
}

void script_environment::drop(int count) {
  int keep = m_stack.size() - count;
  m_stack.resize(keep < 0 ? 0 : keep);
}

script_value& script_environment::local_register(int n) {
  int size = m_local_register.size();
  if (n < 1 || n > size) {
    log_error("Invalid local register %d, stack only has %d entries\n", n, size);
    return m_global_register[0];
  }
  return m_local_register[size - n];
}

void script_environment::add_local_registers(int count) {
  if (count > 0) m_local_register.resize(m_local_register.size() + count);
}

void script_environment::drop_local_registers(int count) {
  int keep = m_local_register.size() - count;
  m_local_register.resize(keep < 0 ? 0 : keep);
}

// ---- locals ----------------------------------------------------------------------------

// The search walks the locals from the newest: each one compared counts against the
// frame's budget, so a block that declares locals without end and looks names up ends
// with it.
int script_environment::find_local(const string& name) const {
  int i = m_local_frames.size() - 1;
  for (; i >= 0; --i) {
    const frame_slot& slot = m_local_frames[i];
    if (slot.m_name.empty()) break;  // a frame barrier
    if (slot.m_name == name) break;
  }
  charge_entries_visited(m_local_frames.size() - i);
  return i >= 0 && !m_local_frames[i].m_name.empty() ? i : -1;
}

void script_environment::set_local(const string& name, const script_value& value) {
  int index = find_local(name);
  if (index >= 0) {
    m_local_frames[index].m_value = value;
  } else {
    add_local(name, value);
  }
}

void script_environment::add_local(const string& name, const script_value& value) {
  frame_slot slot;
  slot.m_name = name;
  slot.m_value = value;
  m_local_frames.push_back(slot);
}

void script_environment::declare_local(const string& name) {
  if (find_local(name) < 0) add_local(name, script_value());
}

void script_environment::set_local_frame() { m_local_frames.push_back(frame_slot()); }

void script_environment::set_local_frame_top(int top) {
  if (top >= 0 && top < m_local_frames.size()) m_local_frames.resize(top);
}

// ---- variables -------------------------------------------------------------------------

bool script_environment::get_member(const string& name, script_value* value) const {
  return m_variables.get(name, value);
}

// Variables are held like an object's members: what the movie cannot hold is not stored.
void script_environment::set_member(const string& name, const script_value& value) {
  if (script_value* variable = m_variables.find_value(name)) {
    if (may_hold_script_bytes(copied_text_bytes(value))) *variable = value;
    return;
  }
  if (!may_hold_script_bytes(bytes_to_add(m_variables, name, value))) return;
  m_variables.add(name, value);
  m_name_bytes += static_cast<size_t>(string::heap_bytes(name.length()));
  m_held.set(table_bytes(m_variables, m_name_bytes));
}

bool script_environment::parse_path(const string& var_path, string* path, string* var) {
  const char* text = var_path.c_str();
  const char* colon = std::strchr(text, ':');
  int p;
  if (colon) {
    p = static_cast<int>(colon - text);
  } else {
    const char* dot = std::strrchr(text, '.');
    if (!dot) return false;
    p = static_cast<int>(dot - text);
  }
  *var = string(text + p + 1);
  if (p > 0 && text[p - 1] == '/') --p;
  *path = string(text, p);
  return true;
}

character* script_environment::find_target(const string& path) const {
  if (path.empty()) return get_target();
  character* env = get_target();
  const char* p = path.c_str();
  if (*p == '/') {
    if (env) env = env->get_relative_target("_level0");
    ++p;
  }
  // "/" alone (or a path ending in its separator) names the character reached. Each
  // element walked counts against the frame's budget (a text of a megabyte can name half
  // a million of them), and the next separators are searched for only once they are
  // passed, so the walk stays linear in the path's length.
  int elements = 0;
  const char* next_slash = std::strchr(p, '/');
  const char* next_dot = p;
  while (env && *p) {
    ++elements;
    // The element runs to the next '/' or to the next '.' that is not part of "..".
    if (next_slash && next_slash < p) next_slash = std::strchr(p, '/');
    if (next_dot && next_dot < p) next_dot = p;
    while (next_dot) {
      next_dot = std::strchr(next_dot, '.');
      if (next_dot && next_dot[1] == '.') {
        next_dot += 2;
        continue;
      }
      break;
    }
    const char* end = next_slash;
    if (next_dot && (!end || next_dot < end)) end = next_dot;
    if (end == p) {
      log_error("error: invalid path '%s'\n", path.c_str());
      break;
    }
    string element = end ? string(p, static_cast<int>(end - p)) : string(p);
    env = env->get_relative_target(element);
    if (!end) break;
    p = end + 1;
  }
  charge_entries_visited(elements);
  return env;
}

character* script_environment::find_target(const script_value& value) const {
  if (value.get_type() == script_value::STRING) return find_target(value.to_string());
  if (value.get_type() == script_value::OBJECT) return value.to_character();
  log_error("error: invalid path; neither string nor object\n");
  return nullptr;
}

script_value script_environment::get_variable(const string& path_and_name, const scope_chain& with_stack) const {
  string path;
  string var;
  if (!parse_path(path_and_name, &path, &var)) return get_variable_raw(path_and_name, with_stack);
  character* target = find_target(path);
  if (!target) {
    log_error("find_target(\"%s\") failed\n", path.c_str());
    return script_value();
  }
  script_value value;
  target->get_member(var, &value);
  return value;
}

script_value script_environment::get_variable_raw(const string& name, const scope_chain& with_stack) const {
  script_value value;
  for (int i = with_stack.size() - 1; i >= 0; --i) {
    script_object* object = with_stack[i].m_object.get_ptr();
    if (object && object->get_member(name, &value)) return value;
  }
  int local = find_local(name);
  if (local >= 0) return m_local_frames[local].m_value;
  if (name == "this") return script_value(static_cast<script_object*>(get_target()));
  if (get_target() && get_target()->get_member(name, &value)) return value;
  if (name == "_root" || name == "_level0") {
    return script_value(static_cast<script_object*>(get_target() ? get_target()->get_root_movie() : nullptr));
  }
  script_object* global = get_global();
  if (name == "_global") return script_value(global);
  if (global && global->get_member(name, &value)) return value;
  return script_value();
}

void script_environment::set_variable(const string& path_and_name, const script_value& value,
                                      const scope_chain& with_stack) {
  string path;
  string var;
  if (!parse_path(path_and_name, &path, &var)) {
    set_variable_raw(path_and_name, value, with_stack);
    return;
  }
  if (character* target = find_target(path)) target->set_member(var, value);
}

void script_environment::set_variable_raw(const string& name, const script_value& value,
                                          const scope_chain& with_stack) {
  script_value found;
  for (int i = with_stack.size() - 1; i >= 0; --i) {
    script_object* object = with_stack[i].m_object.get_ptr();
    if (object && object->get_member(name, &found)) {
      object->set_member(name, value);
      return;
    }
  }
  int local = find_local(name);
  if (local >= 0) {
    m_local_frames[local].m_value = value;
    return;
  }
  if (get_target()) get_target()->set_member(name, value);
}

// ---- properties and member names -------------------------------------------------------

namespace {

const char* const kPropertyNames[22] = {
    "_x",         "_y",           "_xscale",   "_yscale", "_currentframe", "_totalframes",
    "_alpha",     "_visible",     "_width",    "_height", "_rotation",     "_target",
    "_framesloaded", "_name",     "_droptarget", "_url",  "_highquality",  "_focusrect",
    "_soundbuftime", "@@ mystery quality member", "_xmouse", "_ymouse"};

const char* const kStandardMemberNames[MEMBER_COUNT] = {
    "_x",           "_y",          "_xscale",       "_yscale",     "_currentframe", "_totalframes", "_alpha",
    "_visible",     "_width",      "_height",       "_rotation",   "_target",       "_framesloaded", "_name",
    "_droptarget",  "_url",        "_highquality",  "_focusrect",  "_soundbuftime", "_xmouse",      "_ymouse",
    "_parent",      "text",        "textWidth",     "textColor",   "onLoad"};

const char* const kEventNames[clip_event::EVENT_COUNT] = {
    "INVALID",       "onPress",       "onRelease",      "onRelease_Outside", "onRoll_Over",  "onRoll_Out",
    "onDrag_Over",   "onDrag_Out",    "onKeyPress",     "onInitialize",      "onLoad",       "onUnload",
    "onEnterFrame",  "onMouseDown",   "onMouseUp",      "onMouseMove",       "onKeyDown",    "onKeyUp",
    "onData",        "onLoadStart",   "onLoadError",    "onLoadProgress",    "onLoadInit",   "onSockClose",
    "onSockConnect", "onSockXML",     "onXMLLoad",      "onXMLData",         "onTimer"};

}  // namespace

const char* clip_event::get_function_name() const { return m_id < EVENT_COUNT ? kEventNames[m_id] : ""; }

const char* get_property_name(int prop_number) {
  return prop_number >= 0 && prop_number < 22 ? kPropertyNames[prop_number] : nullptr;
}

standard_member_id get_standard_member(const string& name) {
  static const auto* table = [] {
    auto* t = new hash_table<string, int, member_name_hash, member_name_equal>;
    for (int i = 0; i < MEMBER_COUNT; ++i) t->add(string(kStandardMemberNames[i]), i);
    return t;
  }();
  int id = M_INVALID_MEMBER;
  table->get(name, &id);
  return static_cast<standard_member_id>(id);
}

script_value script_environment::get_property(character* target, int prop_number) const {
  const char* name = get_property_name(prop_number);
  if (!name) {
    log_error("error: invalid property query, property number %d\n", prop_number);
    return script_value();
  }
  script_value value;
  if (target) target->get_member(string(name), &value);
  return value;
}

void script_environment::set_property(character* target, int prop_number, const script_value& value) {
  const char* name = get_property_name(prop_number);
  if (!name) {
    log_error("error: invalid set_property, property number %d\n", prop_number);
    return;
  }
  if (target) target->set_member(string(name), value);
}

// ---- process-wide hooks ----------------------------------------------------------------

namespace {

smart_ptr<script_object>& global_object() {
  static auto* global = new smart_ptr<script_object>;
  return *global;
}

fscommand_callback& fscommand_hook() {
  static fscommand_callback hook = nullptr;
  return hook;
}

string& base_directory() {
  static auto* dir = new string;
  return *dir;
}

// Only a name inside the movies' folder may be loaded: no absolute path, drive or "..".
bool is_relative_movie_name(const char* url) {
  if (!url || !url[0] || url[0] == '/' || url[0] == '\\' || std::strchr(url, ':')) return false;
  const char* p = url;
  while (*p) {
    const char* end = p;
    while (*end && *end != '/' && *end != '\\') ++end;
    if (end - p == 2 && p[0] == '.' && p[1] == '.') return false;
    p = *end ? end + 1 : end;
  }
  return true;
}

}  // namespace

script_object* get_global() {
  if (!global_object()) global_object() = new script_object;
  return global_object().get_ptr();
}

void set_global(script_object* global) { global_object() = global; }

void register_fscommand_callback(fscommand_callback handler) { fscommand_hook() = handler; }
fscommand_callback get_fscommand_callback() { return fscommand_hook(); }

void set_base_directory(const char* dir) { base_directory() = dir ? dir : ""; }
const string& get_base_directory() { return base_directory(); }

void script_environment::load_file(const char* url, const script_value& target_value) const {
  if (!is_relative_movie_name(url)) {
    log_error("error: load_file('%s') -- only a movie inside the movie's folder can be loaded\n", url ? url : "");
    return;
  }
  string filename = get_base_directory();
  filename += url;
  smart_ptr<movie_definition_sub> md;
  if (movie_definition_sub* made = create_library_movie(filename.c_str())) {
    md = made;
    made->drop_ref();
  }
  if (!md) {
    log_error("can't create movie_definition_sub for %s\n", filename.c_str());
    return;
  }
  character* target = target_value.to_character();
  if (!target) return;
  if (get_target() && target == get_target()->get_root_movie()) {
    smart_ptr<movie_interface> extern_movie;
    if (movie_interface* made = create_library_movie_inst(md.get_ptr())) {
      extern_movie = made;
      made->drop_ref();
    }
    if (!extern_movie) {
      log_error("can't create extern root movie_interface for %s\n", filename.c_str());
      return;
    }
    if (movie_root* owner = get_target()->get_root()) owner->keep_loaded_movie(extern_movie.get_ptr(), nullptr);
    if (character* root = extern_movie->get_root_movie()) root->on_event(clip_event(clip_event::LOAD));
    return;
  }
  smart_ptr<movie_interface> extern_movie;
  if (movie_interface* made = md->create_instance()) {
    extern_movie = made;
    made->drop_ref();
  }
  character* sprite = extern_movie ? extern_movie->get_root_movie() : nullptr;
  character* parent = target->get_parent();
  if (!sprite || !parent) {
    log_error("can't create extern movie_interface for %s\n", filename.c_str());
    return;
  }
  smart_ptr<character> keep_target(target);
  // The movie that shows it keeps it; one loaded in place of one that an earlier load
  // put there releases that one, so a movie that loads in a loop does not grow.
  if (movie_root* owner = parent->get_root()) owner->keep_loaded_movie(extern_movie.get_ptr(), target);
  string name = target->get_name();
  uint16_t depth = static_cast<uint16_t>(target->get_depth());
  float ratio = target->get_ratio();
  uint16_t clip_depth = target->get_clip_depth();
  sprite->set_parent(parent);
  parent->replace_display_object(sprite, name.c_str(), depth, false, cxform(), false, matrix(), ratio, clip_depth);
}

}  // namespace swf
