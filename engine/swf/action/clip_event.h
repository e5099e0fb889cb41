#pragma once

#include <cstdint>

namespace swf {

// An event sent to a character: its id and, for key events, the key code.
struct clip_event {
  enum id_code : uint8_t {
    INVALID = 0,
    PRESS = 1,
    RELEASE = 2,
    RELEASE_OUTSIDE = 3,
    ROLL_OVER = 4,
    ROLL_OUT = 5,
    DRAG_OVER = 6,
    DRAG_OUT = 7,
    KEY_PRESS = 8,
    INITIALIZE = 9,
    LOAD = 10,
    UNLOAD = 11,
    ENTER_FRAME = 12,
    MOUSE_DOWN = 13,
    MOUSE_UP = 14,
    MOUSE_MOVE = 15,
    KEY_DOWN = 16,
    KEY_UP = 17,
    DATA = 18,
    LOAD_START = 19,
    LOAD_ERROR = 20,
    LOAD_PROGRESS = 21,
    LOAD_INIT = 22,
    SOCK_CLOSE = 23,
    SOCK_CONNECT = 24,
    SOCK_XML = 25,
    XML_LOAD = 26,
    XML_DATA = 27,
    TIMER = 28,
    EVENT_COUNT = 29
  };

  uint8_t m_id = INVALID;
  uint8_t m_key_code = 0;

  clip_event() = default;
  clip_event(uint8_t id, uint8_t key_code = 0) : m_id(id), m_key_code(key_code) {}  // NOLINT
  bool operator==(const clip_event& other) const { return m_id == other.m_id && m_key_code == other.m_key_code; }
  // The member name under which scripts install the event's handler ("onLoad" ...);
  // empty for an id past the table.
  const char* get_function_name() const;
};

}  // namespace swf
