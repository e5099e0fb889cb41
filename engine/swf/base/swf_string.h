#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace swf {

// Decodes the next UTF-8 character at *cursor and advances the cursor past it. Returns 0
// at the terminating NUL; malformed, overlong and surrogate forms give 0xFFFD.
uint32_t utf8_decode_next(const char** cursor);
// Writes the UTF-8 form of the code point (1 to 6 bytes) at buffer[*index] and advances
// *index; code points above 0x7FFFFFFF write nothing.
void utf8_encode(char* buffer, int* index, uint32_t code_point);

// The player's string: texts of up to 14 bytes are kept in place, longer ones on the heap
// with a capacity in steps of 16. Always NUL-terminated.
class string {
 public:
  string() { clear_local(); }
  string(const char* text);  // NOLINT: converts like a C string
  string(const char* chars, int length);
  explicit string(std::string_view text) : string(text.data(), static_cast<int>(text.size())) {}
  // From a 16-bit wide text (terminated by 0), encoded as UTF-8.
  explicit string(const uint16_t* wide);
  string(const string& other) : string(other.c_str(), other.length()) {}
  string(string&& other) noexcept;
  ~string();
  string& operator=(const string& other);
  string& operator=(string&& other) noexcept;
  string& operator=(const char* text);

  int length() const { return is_long() ? static_cast<int>(m_heap.size) - 1 : m_local[0] - 1; }
  int size() const { return length(); }
  bool empty() const { return length() == 0; }
  const char* c_str() const { return is_long() ? m_heap.buffer : m_local + 1; }
  char* get_buffer() { return is_long() ? m_heap.buffer : m_local + 1; }
  bool is_long() const { return static_cast<uint8_t>(m_local[0]) == 255; }
  // Bytes reserved on the heap (0 for a short string).
  int capacity() const { return is_long() ? static_cast<int>(m_heap.capacity) : 0; }
  // The bytes a text of that length reserves on the heap (0 when it is kept in place).
  static int heap_bytes(int length) { return length < 15 ? 0 : (length + 16) & ~15; }

  // Charges the heap bytes to the memory account (base/memory_account.h) unless they
  // are charged already or kept in place; they are released from it when freed, and
  // move with the text when it moves. A copy is a new text and is not charged.
  void charge_to_account(uint32_t account) {
    if (account != 0 && is_long() && m_heap.account == 0) charge_heap(account);
  }
  std::string_view view() const { return {c_str(), static_cast<size_t>(length())}; }

  void resize(int new_length);
  char& operator[](int index) { return get_buffer()[index]; }
  char operator[](int index) const { return c_str()[index]; }

  string& operator+=(char c);
  string& operator+=(const char* text);
  string& operator+=(const string& other);
  void append(const char* chars, int count);
  void append_wide_char(uint32_t code_point);

  bool operator==(const string& other) const { return view() == other.view(); }
  bool operator==(const char* text) const { return view() == std::string_view(text); }
  bool operator<(const string& other) const { return view() < other.view(); }

  // Characters (not bytes) of the first byte_length bytes of a UTF-8 buffer.
  static int utf8_char_count(const char* buffer, int byte_length);
  int utf8_length() const { return utf8_char_count(c_str(), length()); }
  uint32_t utf8_char_at(int index) const;
  string utf8_substring(int start, int end) const;
  string utf8_to_upper() const;
  string utf8_to_lower() const;

  // Case-insensitive comparison of ASCII letters, as player names compare.
  static int stricmp(const char* a, const char* b);

 private:
  void clear_local();
  void charge_heap(uint32_t account);
  void free_heap();
  union {
    char m_local[16];
    struct {
      char flag;
      uint32_t size;      // length + 1
      uint32_t capacity;  // bytes of buffer
      uint32_t account;   // the memory account charged with the buffer, 0 for none
      char* buffer;
    } m_heap;
  };
};

// A string that compares and hashes without regard to ASCII case: keys of labels,
// export symbols and library file names.
struct stringi_hash {
  uint32_t operator()(const string& key) const;
};
struct stringi_equal {
  bool operator()(const string& a, const string& b) const {
    return a.length() == b.length() && string::stricmp(a.c_str(), b.c_str()) == 0;
  }
};

}  // namespace swf
