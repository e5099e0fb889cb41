#include "engine/swf/action/script_value.h"

#include <locale.h>

#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "engine/swf/action/action_buffer.h"
#include "engine/swf/action/environment.h"
#include "engine/swf/base/limits.h"
#include "engine/swf/base/log.h"
#include "engine/swf/movie/character.h"

namespace swf {

namespace script_text {

namespace {

locale_t c_locale() {
  static locale_t locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
  return locale;
}

char ascii_lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

double parse_number(const char* text, int* consumed) {
  char* end = nullptr;
  double result = strtod_l(text, &end, c_locale());
  *consumed = static_cast<int>(end - text);
  return *consumed > 0 ? result : 0.0;
}

bool is_number(const char* text, double* result) {
  int consumed = 0;
  double value = parse_number(text, &consumed);
  if (consumed == 0 || text[consumed] != '\0') return false;
  if (result) *result = value;
  return true;
}

std::string format_number(double value) {
  char buffer[50];
  locale_t previous = uselocale(c_locale());
  std::snprintf(buffer, sizeof(buffer), "%.14g", value);
  uselocale(previous);
  return buffer;
}

int32_t to_int32(double value) {
  if (!std::isfinite(value)) return 0;
  double truncated = std::trunc(value);
  double wrapped = std::fmod(truncated, 4294967296.0);
  if (wrapped < 0) wrapped += 4294967296.0;
  return static_cast<int32_t>(static_cast<uint32_t>(wrapped));
}

int compare_nocase(const char* a, const char* b) {
  for (;; ++a, ++b) {
    char ca = ascii_lower(*a);
    char cb = ascii_lower(*b);
    if (ca != cb || ca == '\0') return static_cast<unsigned char>(ca) - static_cast<unsigned char>(cb);
  }
}

bool equal_nocase(const string& a, const char* b) { return compare_nocase(a.c_str(), b) == 0; }
bool equal_exact(const string& a, const char* b) { return a == b; }
bool less_bytes(const string& a, const char* b) { return a.view() < std::string_view(b); }
bool greater_bytes(const string& a, const char* b) { return a.view() > std::string_view(b); }

}  // namespace script_text

// ---- script_value ----------------------------------------------------------------------

script_value::script_value(script_object* object) : m_type(OBJECT) {
  m_object = object;
  if (object) object->add_ref();
}

script_value::script_value(as_function* function) : m_type(AS_FUNCTION) {
  m_as_function = function;
  if (function) function->add_ref();
}

script_value::script_value(const script_value& other) : m_number(0.0) { *this = other; }

script_value& script_value::operator=(const script_value& other) {
  if (this == &other) return *this;
  switch (other.m_type) {
    case UNDEFINED: set_undefined(); break;
    case NULLTYPE: set_null(); break;
    case BOOLEAN: set_bool(other.m_bool); break;
    case STRING: set_string(other.m_string); break;
    case NUMBER: set_double(other.m_number); break;
    case OBJECT: set_as_object(other.m_object); break;
    case C_FUNCTION: set_c_function(other.m_c_function); break;
    case AS_FUNCTION: set_as_function(other.m_as_function); break;
  }
  return *this;
}

void script_value::drop_refs() {
  if (m_type == OBJECT && m_object) {
    script_object* old = m_object;
    m_object = nullptr;
    old->drop_ref();
  } else if (m_type == AS_FUNCTION && m_as_function) {
    as_function* old = m_as_function;
    m_as_function = nullptr;
    old->drop_ref();
  }
}

// A value that stops being a text lets a long text go: a variable set from a long text to
// a number would otherwise go on holding the text's bytes.
void script_value::drop_text() {
  if (m_string.is_long()) m_string = string();
}

void script_value::set_undefined() {
  drop_refs();
  drop_text();
  m_type = UNDEFINED;
  m_number = 0.0;
}

void script_value::set_null() {
  drop_refs();
  drop_text();
  m_type = NULLTYPE;
  m_number = 0.0;
}

void script_value::set_bool(bool value) {
  drop_refs();
  drop_text();
  m_type = BOOLEAN;
  m_bool = value;
}

void script_value::set_double(double value) {
  drop_refs();
  drop_text();
  m_type = NUMBER;
  m_number = value;
}

void script_value::set_string(const string& text) {
  drop_refs();
  m_type = STRING;
  if (&text != &m_string) m_string = text;
  m_number = 0.0;
  hold_text();
}

void script_value::set_string(const char* text) { set_string(string(text)); }

void script_value::set_as_object(script_object* object) {
  if (m_type == OBJECT && m_object == object) return;
  if (object) object->add_ref();
  drop_refs();
  drop_text();
  m_type = OBJECT;
  m_object = object;
}

void script_value::set_as_function(as_function* function) {
  if (m_type == AS_FUNCTION && m_as_function == function) return;
  if (function) function->add_ref();
  drop_refs();
  drop_text();
  m_type = AS_FUNCTION;
  m_as_function = function;
}

void script_value::set_c_function(c_function function) {
  drop_refs();
  drop_text();
  m_type = C_FUNCTION;
  m_c_function = function;
}

const string& script_value::to_string() const {
  char buffer[64];
  switch (m_type) {
    case STRING:
      break;
    case NUMBER:
      m_string = script_text::format_number(m_number).c_str();
      break;
    case UNDEFINED:
      m_string = "undefined";
      break;
    case NULLTYPE:
      m_string = "null";
      break;
    case BOOLEAN:
      m_string = m_bool ? "true" : "false";
      break;
    case OBJECT: {
      const char* text = m_object ? m_object->text_value() : nullptr;
      m_string = text ? text : "[object Object]";
      // A String object's text is copied at each conversion.
      if (text) charge_text_work(m_string.length());
      break;
    }
    case C_FUNCTION:
      std::snprintf(buffer, sizeof(buffer), "<c_function 0x%" PRIXPTR ">",
                    reinterpret_cast<uintptr_t>(m_c_function));
      m_string = buffer;
      break;
    case AS_FUNCTION:
      std::snprintf(buffer, sizeof(buffer), "<as_function 0x%" PRIXPTR ">",
                    reinterpret_cast<uintptr_t>(m_as_function));
      m_string = buffer;
      break;
    default:
      m_string = "<bad type>";
      break;
  }
  // The text of an object can be long: what the value keeps of it is charged like any
  // text it holds.
  if (m_type != STRING) hold_text();
  return m_string;
}

const string& script_value::to_string_versioned(int version) const {
  if (m_type == UNDEFINED) {
    m_string = version > 6 ? "undefined" : "";
    return m_string;
  }
  return to_string();
}

double script_value::to_number() const {
  switch (m_type) {
    case NUMBER:
      return m_number;
    case STRING: {
      double value = 0.0;
      if (!script_text::is_number(m_string.c_str(), &value)) value = 0.0;
      m_number = value;
      return value;
    }
    case BOOLEAN:
      return m_bool ? 1.0 : 0.0;
    case OBJECT: {
      const char* text = m_object ? m_object->text_value() : nullptr;
      if (!text) return 0.0;
      int consumed = 0;
      return script_text::parse_number(text, &consumed);
    }
    default:
      return 0.0;
  }
}

bool script_value::to_bool() const {
  switch (m_type) {
    case STRING:
      if (m_string == "false") return false;
      if (m_string == "true") return true;
      return to_number() != 0.0;
    case NUMBER:
      return m_number != 0.0;
    case BOOLEAN:
      return m_bool;
    case OBJECT:
      return m_object != nullptr;
    case C_FUNCTION:
      return m_c_function != nullptr;
    case AS_FUNCTION:
      return m_as_function != nullptr;
    default:
      return false;
  }
}

script_object* script_value::to_object() const {
  if (m_type == OBJECT) return m_object;
  if (m_type == AS_FUNCTION && m_as_function) return m_as_function->get_properties();
  return nullptr;
}

character* script_value::to_character() const {
  return (m_type == OBJECT && m_object) ? m_object->to_movie() : nullptr;
}

void script_value::add(const script_value& v) { set_double(to_number() + v.to_number()); }
void script_value::subtract(const script_value& v) { set_double(to_number() - v.to_number()); }
void script_value::multiply(const script_value& v) { set_double(to_number() * v.to_number()); }
void script_value::divide(const script_value& v) { set_double(to_number() / v.to_number()); }

void script_value::bitwise_and(const script_value& v) {
  set_double(script_text::to_int32(to_number()) & script_text::to_int32(v.to_number()));
}
void script_value::bitwise_or(const script_value& v) {
  set_double(script_text::to_int32(to_number()) | script_text::to_int32(v.to_number()));
}
void script_value::bitwise_xor(const script_value& v) {
  set_double(script_text::to_int32(to_number()) ^ script_text::to_int32(v.to_number()));
}
void script_value::shift_left(const script_value& v) {
  uint32_t left = static_cast<uint32_t>(script_text::to_int32(to_number()));
  int count = script_text::to_int32(v.to_number()) & 31;
  set_double(static_cast<int32_t>(left << count));
}
void script_value::shift_right(const script_value& v) {
  int32_t left = script_text::to_int32(to_number());
  int count = script_text::to_int32(v.to_number()) & 31;
  set_double(left >> count);
}
void script_value::shift_right_unsigned(const script_value& v) {
  uint32_t left = static_cast<uint32_t>(script_text::to_int32(to_number()));
  int count = script_text::to_int32(v.to_number()) & 31;
  set_double(static_cast<double>(left >> count));
}

void script_value::string_concat(const string& text) {
  string joined = to_string();
  joined += text;
  set_string(joined);
}

bool script_value::equals(const script_value& v) const {
  bool this_nothing = m_type == UNDEFINED || m_type == NULLTYPE;
  bool other_nothing = v.m_type == UNDEFINED || v.m_type == NULLTYPE;
  if (this_nothing || other_nothing) return this_nothing && other_nothing;
  switch (m_type) {
    case STRING:
      return m_string == v.to_string();
    case NUMBER:
      return m_number == v.to_number();
    case BOOLEAN:
      return m_bool == v.to_bool();
    // Objects and functions are equal only to themselves, never to another of their kind.
    case OBJECT:
      return v.m_type == OBJECT && m_object == v.m_object;
    case C_FUNCTION:
      return v.m_type == C_FUNCTION && m_c_function == v.m_c_function;
    case AS_FUNCTION:
      return v.m_type == AS_FUNCTION && m_as_function == v.m_as_function;
    default:
      return false;
  }
}

bool script_value::less_than(const script_value& v) const { return to_number() < v.to_number(); }

// ---- objects ---------------------------------------------------------------------------

uint32_t member_name_hash::operator()(const string& key) const {
  uint32_t h = 5381;
  for (int i = key.length() - 1; i >= 0; --i) {
    char c = key[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    h = (h * 33) ^ static_cast<uint8_t>(c);
  }
  return h;
}

namespace {
int g_live_script_objects = 0;
}  // namespace

script_object::script_object() {
  ++g_live_script_objects;
  update_held_bytes();
}
script_object::script_object(script_object* prototype) : m_prototype(prototype) {
  ++g_live_script_objects;
  update_held_bytes();
}
// Objects that hold one another in long chains (a list a script builds in a loop) are
// released one after another here rather than inside each other's destructors, so the
// length of a chain never reaches the depth of the native stack.
script_object::~script_object() {
  --g_live_script_objects;
  static auto* pending = new std::vector<script_value>;
  static bool draining = false;
  m_members.for_each([](const string&, const script_member& member) {
    script_value::type t = member.m_value.get_type();
    if (t == script_value::OBJECT || t == script_value::AS_FUNCTION) pending->push_back(member.m_value);
  });
  m_members.clear();
  if (m_prototype) {
    pending->push_back(script_value(m_prototype.get_ptr()));
    m_prototype = nullptr;
  }
  if (draining) return;
  draining = true;
  while (!pending->empty()) {
    script_value last = pending->back();
    pending->pop_back();
  }
  draining = false;
}

int get_live_script_object_count() { return g_live_script_objects; }

bool may_create_script_object() {
  if (g_live_script_objects < limits::kMaxLiveScriptObjects) return may_hold_script_bytes(sizeof(script_object));
  static int logged_at = -1;
  // One line each time the count comes back to the bound, not one per refusal.
  if (logged_at != g_live_script_objects) {
    log_error("error: %d script objects are alive; no more are made\n", limits::kMaxLiveScriptObjects);
    logged_at = g_live_script_objects;
  }
  return false;
}

void script_object::set_member(const string& name, const script_value& value) {
  if (script_text::equal_nocase(name, "prototype")) {
    m_prototype = value.to_object();
    return;
  }
  // What the movie cannot hold is not stored (and the frame's actions end).
  if (script_member* member = m_members.find_value(name)) {
    if (!(member->m_flags & script_member::READ_ONLY) && may_hold_script_bytes(copied_text_bytes(value))) {
      member->m_value = value;
    }
    return;
  }
  if (!may_hold_script_bytes(bytes_to_add(m_members, name, value))) return;
  script_member member;
  member.m_value = value;
  m_members.add(name, member);
  m_name_bytes += static_cast<size_t>(string::heap_bytes(name.length()));
  update_held_bytes();
}

void script_object::update_held_bytes() { m_held.set(sizeof(script_object) + table_bytes(m_members, m_name_bytes)); }

bool script_object::get_member(const string& name, script_value* value) {
  // Reads that fall through prototypes nest; a cycle of prototypes (o.prototype = o)
  // ends at the bound instead of overflowing the stack.
  static thread_local int depth = 0;
  if (depth >= limits::kMaxPrototypeDepth) {
    log_error("error: prototype chain deeper than %d objects; member '%s' not found\n", limits::kMaxPrototypeDepth,
              name.c_str());
    return false;
  }
  ++depth;
  bool found = find_member(name, value);
  --depth;
  return found;
}

bool script_object::find_member(const string& name, script_value* value) {
  if (script_text::equal_nocase(name, "prototype")) {
    value->set_as_object(m_prototype.get_ptr());
    return true;
  }
  if (const script_member* member = m_members.find_value(name)) {
    *value = member->m_value;
    return true;
  }
  script_object* proto = m_prototype.get_ptr();
  return proto && proto->get_member(name, value);
}

bool script_object::get_own_member(const string& name, script_member* member) {
  return m_members.get(name, member);
}

bool script_object::set_member_flags(const string& name, uint32_t flags) {
  script_member* member = m_members.find_value(name);
  if (!member) return false;
  if (!member->m_protected) member->m_flags |= flags;
  return true;
}

void script_object::clear_members() {
  // Taken out first: releasing a value may come back to this object.
  member_table members = std::move(m_members);
  m_members.clear();
  m_name_bytes = 0;
  update_held_bytes();
  smart_ptr<script_object> prototype = std::move(m_prototype);
}

void script_object::protect_member(const string& name) {
  if (script_member* member = m_members.find_value(name)) member->m_protected = true;
}

script_object* as_function::get_properties() {
  if (!m_properties) {
    m_properties = new script_object;
    m_properties->set_member("prototype", script_value(new script_object));
  }
  return m_properties.get_ptr();
}

void as_function::update_held_bytes() {
  size_t bytes = sizeof(as_function) + static_cast<size_t>(m_args.capacity()) * sizeof(arg_spec);
  for (const arg_spec& arg : m_args) bytes += static_cast<size_t>(string::heap_bytes(arg.m_name.length()));
  m_held.set(bytes);
}

const script_value& native_call::arg(int n) const { return env->bottom(first_arg_bottom_index - n); }

}  // namespace swf
