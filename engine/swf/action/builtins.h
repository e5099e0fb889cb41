#pragma once

#include <cstdint>

#include "engine/swf/action/environment.h"
#include "engine/swf/action/script_value.h"

namespace swf {

// Builds the process-wide global object with its constructors, Math and Key, once; later
// calls do nothing.
void action_init();
// Drops what scripts stored in the global object and builds its built-ins anew (the
// player calls it when its last movie is released and when its library is cleared).
void reset_global_object();

// The elements of an array are its members "0", "1", ...
class as_array_object : public script_object {};

// The Key object: key states (one bit per key code below 223), listeners and the last
// key code. Nothing feeds it input yet, so every key reads as up.
class key_object : public script_object {
 public:
  static constexpr int kKeyCount = 223;
  bool is_down(int code) const;
  void set_down(int code, bool down);
  uint8_t m_keymap[(kKeyCount + 7) / 8] = {};
  listener_list m_listeners;
  int m_last_key_code = 0;
};

class sound_object : public script_object {
 public:
  string m_sound;
  int m_sound_id = -1;  // -1 until attachSound finds a sound
};

class string_object : public script_object {
 public:
  const char* text_value() override { return m_text.c_str(); }
  string m_text;
};

class moviecliploader_object : public script_object {
 public:
  moviecliploader_object();
  ~moviecliploader_object() override;
  string m_url;
  int m_bytes_loaded = 0;
  int m_bytes_total = 0;
};

// A text format: -1 in a number field means "not set".
struct text_format_record {
  bool m_underline = false;
  bool m_bold = false;
  bool m_italic = false;
  bool m_bullet = false;
  string m_align;
  float m_block_indent = -1.0f;
  int32_t m_color = 0;
  string m_font;
  float m_indent = -1.0f;
  float m_leading = -1.0f;
  float m_left_margin = -1.0f;
  float m_right_margin = -1.0f;
  float m_point_size = -1.0f;
  int32_t m_tab_stops = -1;
  int32_t m_target = -1;
  string m_url;
};

class textformat_object : public script_object {
 public:
  text_format_record m_format;
};

// Natives reached through the global object.
void global_trace(const native_call& call);
void object_ctor(const native_call& call);
void array_ctor(const native_call& call);
void sound_ctor(const native_call& call);
void string_ctor(const native_call& call);
void moviecliploader_new(const native_call& call);
void textformat_new(const native_call& call);
void textformat_set_text_format(const native_call& call);
void key_add_listener(const native_call& call);
void key_remove_listener(const native_call& call);

// Runs the string method of that name (any case) on the text; unknown names give
// undefined.
void string_method(const native_call& call, const string& method_name, const string& text);

// An array holding the values in order (none when no more objects may be made).
as_array_object* make_array(const script_value* values, int count);

}  // namespace swf
