#pragma once

#include <cstdarg>
#include <cstdint>
#include <memory>
#include <string>

#include "engine/swf/base/array.h"
#include "engine/swf/base/hash_table.h"
#include "engine/swf/base/memory_account.h"
#include "engine/swf/base/ref_counted.h"
#include "engine/swf/base/swf_string.h"

namespace swf {

class as_function;
class character;
class font;
class sound_sample;
class script_environment;
class script_object;
class script_value;
struct native_call;

// A native built-in: takes its call record, answers through the record's result.
using c_function = void (*)(const native_call& call);

// Conversions of text and numbers that behave as in the "C" locale whatever the
// process's locale is, so a movie reads "1.5" the same on every desktop.
namespace script_text {
// Parses a decimal number at the start of text (leading blanks skipped); *consumed is
// the count of characters taken, 0 when no number starts there.
double parse_number(const char* text, int* consumed);
// True when the whole text is one number (at least one character, nothing after it).
bool is_number(const char* text, double* result);
// "%.14g" as the "C" locale prints it.
std::string format_number(double value);
// ECMAScript ToInt32: NaN and infinities give 0, other values are truncated and wrap
// modulo 2^32.
int32_t to_int32(double value);
// ASCII case-insensitive comparison (member names, labels).
int compare_nocase(const char* a, const char* b);
bool equal_nocase(const string& a, const char* b);
bool equal_exact(const string& a, const char* b);
bool less_bytes(const string& a, const char* b);
bool greater_bytes(const string& a, const char* b);
}  // namespace script_text

// One datum of ActionScript: undefined, null, boolean, string, number, object, native or
// script function. Object and script function values hold a reference on what they
// point to. A value's text (its string, or the text a conversion left in it) is charged
// to the memory account current when the text was made.
class script_value {
 public:
  enum type { UNDEFINED = 0, NULLTYPE = 1, BOOLEAN = 2, STRING = 3, NUMBER = 4, OBJECT = 5, C_FUNCTION = 6,
              AS_FUNCTION = 7 };

  script_value() { m_number = 0.0; }
  script_value(bool value) : m_type(BOOLEAN) { m_bool = value; }  // NOLINT
  script_value(int value) : m_type(NUMBER) { m_number = value; }  // NOLINT
  script_value(double value) : m_type(NUMBER) { m_number = value; }  // NOLINT
  script_value(const char* text) : m_type(STRING), m_string(text) {  // NOLINT
    m_number = 0.0;
    hold_text();
  }
  script_value(const uint16_t* wide) : m_type(STRING), m_string(wide) {  // NOLINT
    m_number = 0.0;
    hold_text();
  }
  script_value(const string& text) : m_type(STRING), m_string(text) {  // NOLINT
    m_number = 0.0;
    hold_text();
  }
  script_value(script_object* object);  // NOLINT
  script_value(as_function* function);  // NOLINT
  script_value(c_function function) : m_type(C_FUNCTION) { m_c_function = function; }  // NOLINT
  script_value(const script_value& other);
  ~script_value() { drop_refs(); }
  script_value& operator=(const script_value& other);

  type get_type() const { return m_type; }
  bool is_undefined() const { return m_type == UNDEFINED; }

  const string& to_string() const;
  const string& to_string_versioned(int version) const;
  double to_number() const;
  bool to_bool() const;
  // The object of an object value, or the properties object of a script function.
  script_object* to_object() const;
  c_function to_c_function() const { return m_type == C_FUNCTION ? m_c_function : nullptr; }
  as_function* to_as_function() const { return m_type == AS_FUNCTION ? m_as_function : nullptr; }
  // The character an object value stands for (none for other kinds).
  character* to_character() const;

  void set_undefined();
  void set_null();
  void set_bool(bool value);
  void set_double(double value);
  void set_int(int value) { set_double(value); }
  void set_string(const string& text);
  void set_string(const char* text);
  void set_as_object(script_object* object);
  void set_as_function(as_function* function);
  void set_c_function(c_function function);

  void add(const script_value& v);
  void subtract(const script_value& v);
  void multiply(const script_value& v);
  void divide(const script_value& v);
  void bitwise_and(const script_value& v);
  void bitwise_or(const script_value& v);
  void bitwise_xor(const script_value& v);
  void shift_left(const script_value& v);
  void shift_right(const script_value& v);
  void shift_right_unsigned(const script_value& v);
  void string_concat(const string& text);

  bool equals(const script_value& v) const;
  bool less_than(const script_value& v) const;

 private:
  void drop_refs();
  void drop_text();
  void hold_text() const {
    if (m_string.is_long()) m_string.charge_to_account(get_current_memory_account());
  }

  type m_type = UNDEFINED;
  mutable string m_string;
  union {
    bool m_bool;
    mutable double m_number;
    script_object* m_object;
    c_function m_c_function;
    as_function* m_as_function;
  };
};

// A member of an object: its value, flags (1 = not enumerated, 4 = read-only) and a protected flag that
// keeps the flags as they are.
struct script_member {
  enum flag_bits { DONT_ENUM = 1, READ_ONLY = 4 };
  script_value m_value;
  uint32_t m_flags = 0;
  bool m_protected = false;
};

// Member names hash and compare without regard to ASCII case.
struct member_name_hash {
  uint32_t operator()(const string& key) const;
};
struct member_name_equal {
  bool operator()(const string& a, const string& b) const {
    return script_text::compare_nocase(a.c_str(), b.c_str()) == 0;
  }
};

using member_table = hash_table<string, script_member, member_name_hash, member_name_equal>;

// The heap bytes a copy of the value's text takes (0 for a value without a text of its
// own, or one kept in place).
inline size_t copied_text_bytes(const script_value& value) {
  return value.get_type() == script_value::STRING ? static_cast<size_t>(string::heap_bytes(value.to_string().length()))
                                                  : 0;
}
// The bytes a table of names (an object's members, a timeline's variables) holds for the
// scripts: its slots and the heap bytes of its names.
template <class Table>
size_t table_bytes(const Table& table, size_t name_bytes) {
  return static_cast<size_t>(table.capacity()) * sizeof(typename Table::entry) + name_bytes;
}
// The bytes such a table takes on to add the value under a name it does not hold yet.
template <class Table>
size_t bytes_to_add(const Table& table, const string& name, const script_value& value) {
  return copied_text_bytes(value) + static_cast<size_t>(string::heap_bytes(name.length())) +
         static_cast<size_t>(table.capacity_for_one_more() - table.capacity()) * sizeof(typename Table::entry);
}

// A script object: members by name and a prototype that reads fall through to.
class script_object : public ref_counted {
 public:
  script_object();
  explicit script_object(script_object* prototype);
  ~script_object() override;

  virtual font* cast_to_font() { return nullptr; }
  virtual class character_def* cast_to_character_def() { return nullptr; }
  virtual sound_sample* cast_to_sound_sample() { return nullptr; }
  virtual const char* text_value() { return nullptr; }
  virtual void set_member(const string& name, const script_value& value);
  virtual bool get_member(const string& name, script_value* value);
  virtual character* to_movie() { return nullptr; }
  // The own member with its flags; no prototype search.
  virtual bool get_own_member(const string& name, script_member* member);
  virtual bool set_member_flags(const string& name, uint32_t flags);

  // Keeps a member's flags as they are from now on (built-in members).
  void protect_member(const string& name);
  // Drops every member and the prototype.
  void clear_members();

  script_object* get_prototype() const { return m_prototype.get_ptr(); }
  const member_table& get_members() const { return m_members; }
  // The bytes the object and its member table hold for the movie's scripts (the values'
  // texts are charged with the values).
  size_t get_held_bytes() const { return m_held.get_bytes(); }

 protected:
  // The own member, else the prototype's (through its get_member).
  bool find_member(const string& name, script_value* value);

 private:
  void update_held_bytes();

  member_table m_members;
  smart_ptr<script_object> m_prototype;
  size_t m_name_bytes = 0;  // heap bytes of the member names
  memory_charge m_held;
};

// Script objects alive now, and whether a script may make another (past
// limits::kMaxLiveScriptObjects it may not, nor past what its movie's scripts may hold;
// one line says so).
int get_live_script_object_count();
bool may_create_script_object();

// A function defined in a movie's script. Its properties object (with an empty
// "prototype" object) is made on first demand. The code and the defining environment
// are held weakly: a function stored where it outlives its movie (the global object)
// finds them gone and runs nothing instead of reading freed memory.
class as_function : public ref_counted {
 public:
  struct arg_spec {
    int m_register = 0;  // 0: the argument becomes a local variable of that name
    string m_name;
  };

  as_function() = default;
  as_function(const class action_buffer* buffer, script_environment* env, int start_pc,
              const array<struct with_stack_entry>& with_stack);
  ~as_function() override;
  script_object* get_properties();

  // Runs the function with the call's arguments; the result goes to call.result.
  void invoke(const native_call& call);
  // Charges the function with its parameters to the current memory account (once they
  // are set).
  void update_held_bytes();

  // The action block the function's code lies in, and where it starts and how long it
  // is; a clip event's method covers its whole buffer.
  const class action_buffer* m_action_buffer = nullptr;
  int m_start_pc = 0;
  int m_length = 0;
  array<arg_spec> m_args;
  bool m_is_function2 = false;
  uint8_t m_local_register_count = 0;
  uint16_t m_function2_flags = 0;

 private:
  smart_ptr<script_object> m_properties;
  std::weak_ptr<const void> m_buffer_alive;
  script_environment* m_env = nullptr;
  std::weak_ptr<const void> m_env_alive;
  array<struct with_stack_entry>* m_with_stack = nullptr;
  memory_charge m_held;
};

// What a native built-in receives: where its result goes, its this object, the
// environment whose stack holds the arguments, the argument count and the stack index of
// the first argument (argument n lies at first_arg_bottom_index - n).
struct native_call {
  script_value* result;
  script_object* this_ptr;
  script_environment* env;
  int nargs;
  int first_arg_bottom_index;
  const script_value& arg(int n) const;
};

// Calls a function value: a native built-in directly; a script function through the
// interpreter (which does nothing until it runs code). Returns the result.
script_value call_method(const script_value& method, script_environment* env, script_object* this_ptr, int nargs,
                         int first_arg_bottom_index);
script_value call_method0(const script_value& method, script_environment* env, script_object* this_ptr);

// The host's way into a script method by name: the arguments are described by the
// format ("%d", "%f", "%s", "%ls", separated by blanks or commas). Answers the result as
// text; the text stays valid until the next call.
const char* call_method_parsed(script_environment* env, script_object* this_ptr, const char* method_name,
                               const char* method_arg_fmt, va_list args);

}  // namespace swf
