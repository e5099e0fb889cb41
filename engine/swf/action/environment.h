#pragma once

#include <cstdint>
#include <memory>

#include "engine/swf/action/clip_event.h"
#include "engine/swf/action/script_value.h"
#include "engine/swf/base/array.h"

namespace swf {

class character;
class movie_interface;

// One block of a with-statement: the object searched first and where the block ends.
struct with_stack_entry {
  smart_ptr<script_object> m_object;
  int m_block_end_pc = 0;
  with_stack_entry() = default;
  with_stack_entry(script_object* object, int end) : m_object(object), m_block_end_pc(end) {}
};

using scope_chain = array<with_stack_entry>;

// Objects that listen to an event source; dead objects drop out before each change.
class listener_list {
 public:
  void add(script_object* object);
  void remove(script_object* object);
  int size() const { return m_listeners.size(); }
  script_object* get(int i) const;

 private:
  struct entry {
    weak_ptr<script_object> m_weak;
    script_object* m_object = nullptr;
  };
  void remove_dead();
  array<entry> m_listeners;
};

// The machine state in which ActionScript runs: value stack, registers, the target
// character, the timeline's variables and the local frames of function calls.
class script_environment {
 public:
  script_environment() = default;
  script_environment(const script_environment&) = delete;
  script_environment& operator=(const script_environment&) = delete;

  // The target is held weakly: a script that leaves it on a clip that is later removed
  // finds no target instead of a freed one.
  character* get_target() const;
  void set_target(character* target);

  // The character this environment is part of (a sprite's timeline), or none. Code that
  // runs in the environment holds its owner for as long as it runs, so the environment
  // cannot be freed under it.
  character* get_owner() const { return m_owner; }
  void set_owner(character* owner) { m_owner = owner; }

  // ---- stack ----------------------------------------------------------------------
  // A full stack (limits::kMaxStackValues) takes nothing more; one line says so.
  void push(const script_value& value);
  void push_val(const script_value& value) { push(value); }
  script_value pop();
  // The entry dist places below the top (0 is the top); undefined past the bottom.
  script_value& top(int dist);
  script_value& bottom(int index);
  void drop(int count);
  int get_top_index() const { return m_stack.size() - 1; }
  int stack_size() const { return m_stack.size(); }

  // ---- registers ------------------------------------------------------------------
  script_value& global_register(int n) { return m_global_register[n & 3]; }
  // Register n (from 1) of the function running: the last element is register 1.
  script_value& local_register(int n);
  void add_local_registers(int count);
  void drop_local_registers(int count);

  // ---- variables ------------------------------------------------------------------
  script_value get_variable(const string& path_and_name, const scope_chain& with_stack) const;
  script_value get_variable_raw(const string& name, const scope_chain& with_stack) const;
  void set_variable(const string& path_and_name, const script_value& value, const scope_chain& with_stack);
  void set_variable_raw(const string& name, const script_value& value, const scope_chain& with_stack);
  bool get_member(const string& name, script_value* value) const;
  void set_member(const string& name, const script_value& value);

  // ---- locals ---------------------------------------------------------------------
  int find_local(const string& name) const;
  void set_local(const string& name, const script_value& value);
  void add_local(const string& name, const script_value& value);
  void declare_local(const string& name);
  void set_local_frame();
  int get_local_frame_top() const { return m_local_frames.size(); }
  void set_local_frame_top(int top);

  // ---- targets --------------------------------------------------------------------
  character* find_target(const string& path) const;
  character* find_target(const script_value& value) const;
  static bool parse_path(const string& var_path, string* path, string* var);

  // ---- other movies ---------------------------------------------------------------
  // Loads another movie file in place of the target character, or, when the target is
  // this environment's root movie, as a root of its own. The movie that shows it (the
  // target's) keeps the loaded movie and releases it when it goes.
  void load_file(const char* url, const script_value& target) const;

  // ---- numbered properties --------------------------------------------------------
  script_value get_property(character* target, int prop_number) const;
  void set_property(character* target, int prop_number, const script_value& value);

 private:
  struct frame_slot {
    string m_name;
    script_value m_value;
  };

  using variable_table = hash_table<string, script_value, member_name_hash, member_name_equal>;

  array<script_value> m_stack;
  script_value m_global_register[4];
  array<script_value> m_local_register;
  weak_ptr<character> m_target;
  character* m_owner = nullptr;  // not counted: the owner holds the environment
  variable_table m_variables;
  size_t m_name_bytes = 0;  // heap bytes of the variables' names
  memory_charge m_held;     // the variable table, charged like an object's members
  array<frame_slot> m_local_frames;
  script_value m_undefined_slot;
  bool m_stack_full_logged = false;
  std::shared_ptr<const void> m_alive = std::make_shared<char>(0);

 public:
  // Lives as long as the environment: functions hold it weakly.
  std::weak_ptr<const void> get_alive_token() const { return m_alive; }
};

// The built-in member ids of characters; -1 for any other name.
enum standard_member_id {
  M_INVALID_MEMBER = -1,
  M_X = 0,
  M_Y,
  M_XSCALE,
  M_YSCALE,
  M_CURRENTFRAME,
  M_TOTALFRAMES,
  M_ALPHA,
  M_VISIBLE,
  M_WIDTH,
  M_HEIGHT,
  M_ROTATION,
  M_TARGET,
  M_FRAMESLOADED,
  M_NAME,
  M_DROPTARGET,
  M_URL,
  M_HIGHQUALITY,
  M_FOCUSRECT,
  M_SOUNDBUFTIME,
  M_XMOUSE,
  M_YMOUSE,
  M_PARENT,
  M_TEXT,
  M_TEXTWIDTH,
  M_TEXTCOLOR,
  M_ONLOAD,
  MEMBER_COUNT
};
standard_member_id get_standard_member(const string& name);

// The member name of a numbered property (0 to 21), or null.
const char* get_property_name(int prop_number);

// The global object that scripts reach through "_global" and unresolved names.
script_object* get_global();
void set_global(script_object* global);

// The host's fscommand handler: one hook, stored as given (null allowed).
using fscommand_callback = void (*)(movie_interface* movie, const char* command, const char* arg);
void register_fscommand_callback(fscommand_callback handler);
fscommand_callback get_fscommand_callback();

// The folder that movies loaded by scripts are looked up in (with its separator).
void set_base_directory(const char* dir);
const string& get_base_directory();

}  // namespace swf
