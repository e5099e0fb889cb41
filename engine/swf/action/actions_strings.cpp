// Actions on texts: comparing, measuring, cutting and joining them, and converting
// between characters and their codes.

#include "engine/swf/action/action_context.h"

namespace swf::actions {

namespace {

// StringEquals, StringLess and StringGreater compare the bytes of both texts.
void string_compare(action_context& c) {
  c.stack.ensure(2);
  const string a = c.stack.top(1).to_string();
  const string& b = c.stack.top(0).to_string();
  bool result = c.action_id == 0x13   ? a == b
                : c.action_id == 0x29 ? script_text::less_bytes(a, b.c_str())
                                      : script_text::greater_bytes(a, b.c_str());
  c.stack.top(1).set_bool(result);
  c.stack.drop(1);
}

void string_length(action_context& c) {
  c.stack.ensure(1);
  c.stack.top(0).set_int(c.vstring(c.stack.top(0)).utf8_length());
}

// The count bytes of top(2) from the 1-based byte position top(1), both kept inside the
// text.
void string_extract(action_context& c) {
  c.stack.ensure(3);
  int count = to_int(c.stack.top(0));
  int start = to_int(c.stack.top(1));
  const string text = c.vstring(c.stack.top(2));
  int offset = start - 1;
  if (offset < 0) offset = 0;
  if (offset > text.length()) offset = text.length();
  int remaining = text.length() - offset;
  if (count > remaining) count = remaining;
  if (count < 0) count = 0;
  c.stack.drop(2);
  c.stack.top(0).set_string(string(text.c_str() + offset, count));
}

void string_add(action_context& c) {
  c.stack.ensure(2);
  script_value joined = join_texts(c.vstring(c.stack.top(1)), c.vstring(c.stack.top(0)));
  c.stack.top(1) = joined;
  c.stack.drop(1);
}

void to_string(action_context& c) {
  c.stack.ensure(1);
  string text = c.vstring(c.stack.top(0));
  c.stack.top(0).set_string(text);
}

// The first byte read as a signed 8-bit number.
void char_to_ascii(action_context& c) {
  c.stack.ensure(1);
  const string& text = c.stack.top(0).to_string();
  int code = static_cast<int8_t>(static_cast<uint8_t>(text[0]));
  c.stack.top(0).set_int(code);
}

// One byte, the low byte of the number (0 gives the empty text).
void ascii_to_char(action_context& c) {
  c.stack.ensure(1);
  char ch = static_cast<char>(to_int(c.stack.top(0)) & 0xFF);
  c.stack.top(0).set_string(string(&ch, ch ? 1 : 0));
}

}  // namespace

void add_string_actions(action_table& t) {
  t[0x13] = string_compare;
  t[0x29] = string_compare;
  t[0x68] = string_compare;
  t[0x14] = string_length;
  t[0x15] = string_extract;
  t[0x21] = string_add;
  t[0x4B] = to_string;
  t[0x32] = char_to_ascii;
  t[0x33] = ascii_to_char;
}

}  // namespace swf::actions
