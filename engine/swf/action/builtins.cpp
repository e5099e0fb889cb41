// The global object and the built-in objects scripts reach through it: trace, Object,
// Array, Sound, String, TextFormat, MovieClipLoader, Math and Key.

#include "engine/swf/action/builtins.h"

#include <cctype>
#include <cmath>
#include <cstring>

#include "engine/swf/action/action_buffer.h"
#include "engine/swf/base/limits.h"
#include "engine/swf/base/log.h"
#include "engine/swf/base/random.h"
#include "engine/swf/movie/character.h"
#include "engine/swf/movie/movie_definition.h"
#include "engine/swf/sound/sound_handler.h"

namespace swf {

namespace {

double arg_number(const native_call& call, int n) { return n < call.nargs ? call.arg(n).to_number() : NAN; }

template <class T>
T* this_as(const native_call& call) {
  return dynamic_cast<T*>(call.this_ptr);
}

// ---- Math -------------------------------------------------------------------------------

// The one-argument functions answer NaN without their argument.
#define SWF_MATH_WRAP(name, expr)                   \
  void math_##name(const native_call& call) {       \
    double x = arg_number(call, 0);                 \
    call.result->set_double(expr);                  \
  }
SWF_MATH_WRAP(abs, std::fabs(x))
SWF_MATH_WRAP(acos, std::acos(x))
SWF_MATH_WRAP(asin, std::asin(x))
SWF_MATH_WRAP(atan, std::atan(x))
SWF_MATH_WRAP(ceil, std::ceil(x))
SWF_MATH_WRAP(cos, std::cos(x))
SWF_MATH_WRAP(exp, std::exp(x))
SWF_MATH_WRAP(floor, std::floor(x))
SWF_MATH_WRAP(log, std::log(x))
SWF_MATH_WRAP(round, std::floor(x + 0.5))
SWF_MATH_WRAP(sin, std::sin(x))
SWF_MATH_WRAP(sqrt, std::sqrt(x))
SWF_MATH_WRAP(tan, std::tan(x))
#undef SWF_MATH_WRAP

void math_atan2(const native_call& call) { call.result->set_double(std::atan2(arg_number(call, 0), arg_number(call, 1))); }
void math_pow(const native_call& call) { call.result->set_double(std::pow(arg_number(call, 0), arg_number(call, 1))); }
void math_max(const native_call& call) {
  double a = arg_number(call, 0);
  double b = arg_number(call, 1);
  call.result->set_double(a > b ? a : b);
}
void math_min(const native_call& call) {
  double a = arg_number(call, 0);
  double b = arg_number(call, 1);
  call.result->set_double(a < b ? a : b);
}
void math_random(const native_call& call) {
  call.result->set_double(get_random_generator().next_random() * 2.3283064370807974e-10);
}

// ---- Key --------------------------------------------------------------------------------

void key_get_code(const native_call& call) {
  key_object* key = this_as<key_object>(call);
  call.result->set_int(key ? key->m_last_key_code : 0);
}

void key_get_ascii(const native_call& call) {
  key_object* key = this_as<key_object>(call);
  if (!key || key->m_last_key_code <= 0) {
    call.result->set_undefined();
    return;
  }
  char c = static_cast<char>(key->m_last_key_code & 0xFF);
  call.result->set_string(string(&c, 1));
}

void key_is_down(const native_call& call) {
  if (call.nargs < 1) {
    log_error("key_is_down needs one argument (the key code)\n");
    return;
  }
  key_object* key = this_as<key_object>(call);
  int code = script_text::to_int32(call.arg(0).to_number());
  call.result->set_bool(key && key->is_down(code));
}

void key_is_toggled(const native_call& call) { call.result->set_bool(false); }

// ---- Sound ------------------------------------------------------------------------------

void sound_attach_sound(const native_call& call) {
  if (call.nargs < 1) {
    log_error("attach sound needs one argument\n");
    return;
  }
  sound_object* sound = this_as<sound_object>(call);
  if (!sound) return;
  sound->m_sound = call.arg(0).to_string();
  character* target = call.env ? call.env->get_target() : nullptr;
  character* root = target ? target->get_root_movie() : nullptr;
  movie_definition_sub* def = root ? root->get_movie_definition() : nullptr;
  resource* res = def ? def->get_exported_resource(sound->m_sound) : nullptr;
  if (!res) {
    log_error("import error: resource '%s' is not exported\n", sound->m_sound.c_str());
    return;
  }
  sound_sample* sample = res->cast_to_sound_sample();
  if (!sample) {
    log_error("sound sample is NULL\n");
    return;
  }
  sound->m_sound_id = sample->get_sound_handler_id();
}

// A sound that attachSound has not found plays nothing.
void sound_start(const native_call& call) {
  sound_object* sound = this_as<sound_object>(call);
  sound_handler* handler = get_sound_handler();
  if (handler && sound && sound->m_sound_id >= 0) handler->play_sound(sound->m_sound_id, 0);
}

void sound_stop(const native_call& call) {
  sound_object* sound = this_as<sound_object>(call);
  sound_handler* handler = get_sound_handler();
  if (handler && sound && sound->m_sound_id >= 0) handler->stop_sound(sound->m_sound_id);
}

// ---- String -----------------------------------------------------------------------------

void string_object_method(const native_call& call, const char* name) {
  string_object* object = this_as<string_object>(call);
  // A method of a String object pays for its text once more than the same method on a
  // plain text: the object's text is read out of the object for it.
  if (object) charge_text_work(object->m_text.length());
  string_method(call, string(name), object ? object->m_text : string());
}
void string_to_string(const native_call& call) { string_object_method(call, "toString"); }
void string_from_char_code(const native_call& call) { string_object_method(call, "fromCharCode"); }
void string_char_code_at(const native_call& call) { string_object_method(call, "charCodeAt"); }
void string_last_index_of(const native_call& call) { string_object_method(call, "lastIndexOf"); }


// ---- MovieClipLoader and TextFormat -----------------------------------------------------

void moviecliploader_loadclip(const native_call&) {}

void moviecliploader_unloadclip(const native_call& call) {
  const char* url = call.nargs > 0 ? call.arg(0).to_string().c_str() : "";
  log_msg("%s: FIXME: Load Movie Clip: %s\n", "swf::moviecliploader_unloadclip", url);
}

void moviecliploader_getprogress(const native_call& call) {
  moviecliploader_object* loader = this_as<moviecliploader_object>(call);
  if (!may_create_script_object()) return;
  smart_ptr<script_object> progress(new script_object);
  progress->set_member("bytesLoaded", script_value(loader ? loader->m_bytes_loaded : 0));
  progress->set_member("bytesTotal", script_value(loader ? loader->m_bytes_total : 0));
  call.result->set_as_object(progress.get_ptr());
}

// ---- Key setup and the math object ------------------------------------------------------

void math_init() {
  smart_ptr<script_object> math(new script_object);
  const struct {
    const char* name;
    double value;
  } constants[] = {{"e", 2.718281828459045},       {"ln2", 0.6931471805599453},  {"log2e", 1.4426950408889634},
                   {"ln10", 2.302585092994046},    {"log10e", 0.4342944819032518}, {"pi", 3.141592653589793},
                   {"sqrt1_2", 0.7071067811865476}, {"sqrt2", 1.4142135623730951}};
  for (const auto& c : constants) math->set_member(c.name, script_value(c.value));
  const struct {
    const char* name;
    c_function function;
  } functions[] = {{"abs", math_abs},     {"acos", math_acos},   {"asin", math_asin}, {"atan", math_atan},
                   {"ceil", math_ceil},   {"cos", math_cos},     {"exp", math_exp},   {"floor", math_floor},
                   {"log", math_log},     {"random", math_random}, {"round", math_round}, {"sin", math_sin},
                   {"sqrt", math_sqrt},   {"tan", math_tan},     {"atan2", math_atan2}, {"max", math_max},
                   {"min", math_min},     {"pow", math_pow}};
  for (const auto& f : functions) math->set_member(f.name, script_value(f.function));
  get_global()->set_member("math", script_value(math.get_ptr()));
}

void key_init() {
  smart_ptr<key_object> key(new key_object);
  const struct {
    const char* name;
    int code;
  } codes[] = {{"BACKSPACE", 8}, {"CAPSLOCK", 20}, {"CONTROL", 17}, {"DELETEKEY", 46}, {"DOWN", 40},
               {"END", 35},      {"ENTER", 13},    {"ESCAPE", 27},  {"HOME", 36},      {"INSERT", 45},
               {"LEFT", 37},     {"PGDN", 33},     {"PGUP", 34},    {"RIGHT", 39},     {"SHIFT", 16},
               {"SPACE", 32},    {"TAB", 9},       {"UP", 38}};
  for (const auto& c : codes) key->set_member(c.name, script_value(c.code));
  key->set_member("addListener", script_value(key_add_listener));
  key->set_member("getAscii", script_value(key_get_ascii));
  key->set_member("getCode", script_value(key_get_code));
  key->set_member("isDown", script_value(key_is_down));
  key->set_member("isToggled", script_value(key_is_toggled));
  key->set_member("removeListener", script_value(key_remove_listener));
  get_global()->set_member("Key", script_value(static_cast<script_object*>(key.get_ptr())));
}

}  // namespace

// ---- the global object ------------------------------------------------------------------

namespace {

bool g_global_built = false;

void set_builtin_members(script_object* global) {
  global->set_member("trace", script_value(global_trace));
  global->set_member("Object", script_value(object_ctor));
  global->set_member("Sound", script_value(sound_ctor));
  global->set_member("Array", script_value(array_ctor));
  global->set_member("TextFormat", script_value(textformat_new));
  global->set_member("MovieClipLoader", script_value(moviecliploader_new));
  global->set_member("String", script_value(string_ctor));
  math_init();
  key_init();
}

}  // namespace

// The built-ins belong to no movie: they are made outside every memory account, whichever
// movie's frame happens to need them first.
void action_init() {
  if (g_global_built) return;
  g_global_built = true;
  memory_account_scope no_movie(0);
  set_global(new script_object);
  set_builtin_members(get_global());
}

void reset_global_object() {
  if (!g_global_built) return;
  memory_account_scope no_movie(0);
  // The same object stays the global one; releasing its members may free clips whose
  // destructors reach the global object again, which then finds it empty.
  smart_ptr<script_object> global(get_global());
  global->clear_members();
  set_builtin_members(global.get_ptr());
}

void global_trace(const native_call& call) {
  if (call.nargs < 1) return;
  const script_value& value = call.arg(0);
  if (value.get_type() == script_value::OBJECT) {
    if (script_object* object = value.to_object()) {
      smart_ptr<script_object> keep(object);
      script_value method;
      if (object->get_member("toString", &method) &&
          (method.get_type() == script_value::C_FUNCTION || method.get_type() == script_value::AS_FUNCTION)) {
        script_value text = call_method0(method, call.env, object);
        log_msg("%s\n", text.to_string().c_str());
        return;
      }
    }
  }
  log_msg("%s\n", value.to_string().c_str());
}

void object_ctor(const native_call& call) {
  if (!may_create_script_object()) return;
  call.result->set_as_object(new script_object);
}

as_array_object* make_array(const script_value* values, int count) {
  charge_action_budget(count);  // each element copied in counts as one action
  if (!may_create_script_object()) return nullptr;
  auto* array_object = new as_array_object;
  for (int i = 0; i < count; ++i) {
    array_object->set_member(string(script_text::format_number(i).c_str()), values[i]);
  }
  return array_object;
}

void array_ctor(const native_call& call) {
  std::vector<script_value> values;
  bool one_number = call.nargs == 1 && call.arg(0).get_type() == script_value::NUMBER;
  if (!one_number) {
    for (int i = 0; i < call.nargs; ++i) values.push_back(call.arg(i));
  }
  as_array_object* made = make_array(values.data(), static_cast<int>(values.size()));
  if (made) call.result->set_as_object(made);
}

void sound_ctor(const native_call& call) {
  if (!may_create_script_object()) return;
  smart_ptr<sound_object> sound(new sound_object);
  sound->set_member("attachSound", script_value(sound_attach_sound));
  sound->set_member("start", script_value(sound_start));
  sound->set_member("stop", script_value(sound_stop));
  call.result->set_as_object(sound.get_ptr());
}

bool key_object::is_down(int code) const {
  if (code < 0 || code >= kKeyCount) return false;
  return (m_keymap[code >> 3] >> (code & 7)) & 1;
}

void key_object::set_down(int code, bool down) {
  if (code < 0 || code >= kKeyCount) return;
  uint8_t bit = static_cast<uint8_t>(1 << (code & 7));
  if (down) {
    m_keymap[code >> 3] |= bit;
  } else {
    m_keymap[code >> 3] &= static_cast<uint8_t>(~bit);
  }
}

void key_add_listener(const native_call& call) {
  if (call.nargs < 1) {
    log_error("key_add_listener needs one argument (the listener object)\n");
    return;
  }
  script_object* listener = call.arg(0).to_object();
  if (!listener) {
    log_error("key_add_listener passed a NULL object; ignored\n");
    return;
  }
  if (key_object* key = this_as<key_object>(call)) key->m_listeners.add(listener);
}

void key_remove_listener(const native_call& call) {
  if (call.nargs < 1) {
    log_error("key_remove_listener needs one argument (the listener object)\n");
    return;
  }
  script_object* listener = call.arg(0).to_object();
  if (!listener) {
    log_error("key_remove_listener passed a NULL object; ignored\n");
    return;
  }
  if (key_object* key = this_as<key_object>(call)) key->m_listeners.remove(listener);
}

// ---- String -----------------------------------------------------------------------------

void string_ctor(const native_call& call) {
  // The object's text is a copy: the movie must be able to hold it before it is made.
  const string none;
  const string& text = call.nargs > 0 ? call.arg(0).to_string() : none;
  if (!may_hold_script_bytes(static_cast<size_t>(string::heap_bytes(text.length())))) return;
  if (!may_create_script_object()) return;
  smart_ptr<string_object> made(new string_object);
  made->m_text = text;
  made->m_text.charge_to_account(get_current_memory_account());
  charge_text_work(made->m_text.length());  // the text is copied into the object
  made->set_member("toString", script_value(string_to_string));
  made->set_member("fromCharCode", script_value(string_from_char_code));
  made->set_member("charCodeAt", script_value(string_char_code_at));
  made->set_member("lastIndexOf", script_value(string_last_index_of));
  call.result->set_as_object(made.get_ptr());
}

void string_method(const native_call& call, const string& method_name, const string& text) {
  // Every method walks the text (its length, its characters, a copy) at least once; the
  // texts they make are charged where they are built below.
  charge_text_work(text.length());
  const char* name = method_name.c_str();
  auto is = [name](const char* candidate) { return script_text::compare_nocase(name, candidate) == 0; };
  if (is("toString")) {
    call.result->set_string(text);
  } else if (is("charCodeAt")) {
    if (call.nargs < 1) {
      call.result->set_undefined();
      return;
    }
    int index = script_text::to_int32(call.arg(0).to_number());
    double code = 0.0;
    if (index >= 0 && index < text.utf8_length()) {
      int32_t c = static_cast<int32_t>(text.utf8_char_at(index));
      code = c < 0 ? c + 4294967296.0 : c;
    }
    call.result->set_double(code);
  } else if (is("charAt")) {
    if (call.nargs < 1) {
      call.result->set_undefined();
      return;
    }
    // The whole character, in UTF-8.
    int index = script_text::to_int32(call.arg(0).to_number());
    string result;
    if (index >= 0 && index < text.utf8_length()) result = text.utf8_substring(index, index + 1);
    call.result->set_string(result);
  } else if (is("fromCharCode")) {
    string result;
    for (int i = 0; i < call.nargs; ++i) {
      double code = std::trunc(call.arg(i).to_number());
      uint32_t c = std::isfinite(code) ? static_cast<uint32_t>(script_text::to_int32(code)) : 0;
      result.append_wide_char(c);
      if (result.length() > limits::kMaxScriptTextBytes) {
        log_error("error: a text would pass %d bytes; the result is undefined\n", limits::kMaxScriptTextBytes);
        call.result->set_undefined();
        return;
      }
    }
    call.result->set_string(result);
  } else if (is("toUpperCase") || is("toLowerCase")) {
    // Built a character at a time: the copy costs again.
    charge_text_work(text.length());
    call.result->set_string(is("toUpperCase") ? text.utf8_to_upper() : text.utf8_to_lower());
  } else if (is("indexOf")) {
    if (call.nargs < 1) {
      call.result->set_int(-1);
      return;
    }
    string search = call.arg(0).to_string();
    int start = call.nargs >= 2 ? script_text::to_int32(call.arg(1).to_number()) : 0;
    if (start < 0) start = 0;
    // A start beyond the text finds nothing.
    if (start > text.length()) {
      call.result->set_int(-1);
      return;
    }
    const char* found = std::strstr(text.c_str() + start, search.c_str());
    if (!found) {
      call.result->set_int(-1);
      return;
    }
    call.result->set_int(string::utf8_char_count(text.c_str(), static_cast<int>(found - text.c_str())));
  } else if (is("substring")) {
    int n = text.utf8_length();
    auto clamp = [n](int v) { return v < 0 ? 0 : (v > n ? n : v); };
    int start = call.nargs >= 1 ? clamp(script_text::to_int32(call.arg(0).to_number())) : 0;
    int end = call.nargs >= 2 ? clamp(script_text::to_int32(call.arg(1).to_number())) : n;
    if (end < start) std::swap(start, end);
    call.result->set_string(text.utf8_substring(start, end));
  } else {
    call.result->set_undefined();
  }
}

// ---- MovieClipLoader --------------------------------------------------------------------

moviecliploader_object::moviecliploader_object() {
  log_msg("%s: \n", "swf::MovieClipLoader::MovieClipLoader");
}

moviecliploader_object::~moviecliploader_object() {
  log_msg("%s: \n", "swf::MovieClipLoader::~MovieClipLoader");
}

void moviecliploader_new(const native_call& call) {
  log_msg("%s: args=%d\n", "swf::moviecliploader_new", call.nargs);
  if (!may_create_script_object()) return;
  smart_ptr<moviecliploader_object> loader(new moviecliploader_object);
  loader->set_member("loadClip", script_value(moviecliploader_loadclip));
  loader->set_member("unloadClip", script_value(moviecliploader_unloadclip));
  loader->set_member("getProgress", script_value(moviecliploader_getprogress));
  call.result->set_as_object(loader.get_ptr());
}

// ---- TextFormat -------------------------------------------------------------------------

void textformat_new(const native_call& call) {
  if (!may_create_script_object()) return;
  smart_ptr<textformat_object> format(new textformat_object);
  log_msg("\tCreated New TextFormat object at %p. Not fully implmented yet!\n", static_cast<void*>(format.get_ptr()));
  if (call.env) call.env->set_variable("setTextFormat", script_value(textformat_set_text_format), scope_chain());
  call.result->set_as_object(format.get_ptr());
}

void textformat_set_text_format(const native_call& call) {
  if (call.nargs < 3) return;
  script_object* source = call.arg(2).to_object();
  if (!source) return;
  smart_ptr<script_object> keep(source);
  textformat_object* format = dynamic_cast<textformat_object*>(source);
  if (!format) return;
  text_format_record& record = format->m_format;
  script_value v;
  if (source->get_member("underline", &v)) record.m_underline = v.to_bool();
  if (source->get_member("italic", &v)) record.m_italic = v.to_bool();
  if (source->get_member("bold", &v)) record.m_bold = v.to_bool();
  if (source->get_member("bullet", &v)) record.m_bullet = v.to_bool();
  if (source->get_member("color", &v)) record.m_color = script_text::to_int32(v.to_number());
  if (source->get_member("indent", &v)) record.m_indent = static_cast<float>(v.to_number());
  if (source->get_member("blockIndent", &v)) record.m_block_indent = static_cast<float>(v.to_number());
  if (source->get_member("leading", &v)) record.m_leading = static_cast<float>(v.to_number());
  if (source->get_member("leftMargin", &v)) record.m_left_margin = static_cast<float>(v.to_number());
  if (source->get_member("RightMargin", &v)) record.m_right_margin = static_cast<float>(v.to_number());
  if (source->get_member("size", &v)) record.m_point_size = static_cast<float>(v.to_number());
  if (source->get_member("align", &v)) record.m_align = v.to_string();
}

}  // namespace swf
