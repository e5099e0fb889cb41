#include "engine/swf/base/swf_string.h"

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <cwctype>
#include <utility>

#include "engine/swf/base/memory_account.h"

namespace swf {

static_assert(sizeof(string) == 24, "the account number lives in the heap form's spare bytes");

namespace {

bool is_continuation(uint8_t byte) { return (byte & 0xC0) == 0x80; }

}  // namespace

uint32_t utf8_decode_next(const char** cursor) {
  const uint8_t* p = reinterpret_cast<const uint8_t*>(*cursor);
  uint8_t lead = *p;
  if (lead == 0) return 0;
  ++p;
  *cursor = reinterpret_cast<const char*>(p);
  if ((lead & 0x80) == 0) return lead;

  int extra = 0;
  uint32_t value = 0;
  uint32_t minimum = 0;
  if ((lead & 0xE0) == 0xC0) {
    extra = 1, value = lead & 0x1F, minimum = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    extra = 2, value = lead & 0x0F, minimum = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    extra = 3, value = lead & 0x07, minimum = 0x10000;
  } else if ((lead & 0xFC) == 0xF8) {
    extra = 4, value = lead & 0x03, minimum = 0x200000;
  } else if ((lead & 0xFE) == 0xFC) {
    extra = 5, value = lead & 0x01, minimum = 0x4000000;
  } else {
    return 0xFFFD;
  }
  for (int i = 0; i < extra; ++i) {
    uint8_t byte = *p;
    if (byte == 0) return 0;
    if (!is_continuation(byte)) return 0xFFFD;  // the byte is left for the next call
    value = (value << 6) | (byte & 0x3F);
    ++p;
    *cursor = reinterpret_cast<const char*>(p);
  }
  if (value < minimum) return 0xFFFD;
  if (extra == 2 && ((value >= 0xD800 && value <= 0xDFFF) || value == 0xFFFE || value == 0xFFFF)) {
    return 0xFFFD;
  }
  return value;
}

void utf8_encode(char* buffer, int* index, uint32_t c) {
  auto put = [&](uint32_t byte) { buffer[(*index)++] = static_cast<char>(byte); };
  if (c <= 0x7F) {
    put(c);
  } else if (c <= 0x7FF) {
    put(0xC0 | (c >> 6));
    put(0x80 | (c & 0x3F));
  } else if (c <= 0xFFFF) {
    put(0xE0 | (c >> 12));
    put(0x80 | ((c >> 6) & 0x3F));
    put(0x80 | (c & 0x3F));
  } else if (c <= 0x1FFFFF) {
    put(0xF0 | (c >> 18));
    put(0x80 | ((c >> 12) & 0x3F));
    put(0x80 | ((c >> 6) & 0x3F));
    put(0x80 | (c & 0x3F));
  } else if (c <= 0x3FFFFFF) {
    put(0xF8 | (c >> 24));
    put(0x80 | ((c >> 18) & 0x3F));
    put(0x80 | ((c >> 12) & 0x3F));
    put(0x80 | ((c >> 6) & 0x3F));
    put(0x80 | (c & 0x3F));
  } else if (c <= 0x7FFFFFFF) {
    put(0xFC | (c >> 30));
    put(0x80 | ((c >> 24) & 0x3F));
    put(0x80 | ((c >> 18) & 0x3F));
    put(0x80 | ((c >> 12) & 0x3F));
    put(0x80 | ((c >> 6) & 0x3F));
    put(0x80 | (c & 0x3F));
  }
}

void string::clear_local() {
  std::memset(m_local, 0, sizeof(m_local));
  m_local[0] = 1;
}

string::string(const char* text) : string(text, text ? static_cast<int>(std::strlen(text)) : 0) {}

string::string(const char* chars, int length) {
  clear_local();
  resize(length);
  if (length > 0) std::memcpy(get_buffer(), chars, static_cast<size_t>(length));
}

string::string(const uint16_t* wide) {
  clear_local();
  int bytes = 0;
  char scratch[8];
  for (const uint16_t* w = wide; w && *w; ++w) {
    int n = 0;
    utf8_encode(scratch, &n, *w);
    bytes += n;
  }
  resize(bytes);
  int index = 0;
  for (const uint16_t* w = wide; w && *w; ++w) utf8_encode(get_buffer(), &index, *w);
}

string::string(string&& other) noexcept {
  std::memcpy(m_local, other.m_local, sizeof(*this));
  other.clear_local();
}

string::~string() {
  if (is_long()) free_heap();
}

void string::charge_heap(uint32_t account) {
  if (charge_memory_account(account, m_heap.capacity)) m_heap.account = account;
}

void string::free_heap() {
  if (m_heap.account != 0) release_memory_account(m_heap.account, m_heap.capacity);
  std::free(m_heap.buffer);
}

string& string::operator=(const string& other) {
  if (this != &other) {
    string copy(other);
    *this = std::move(copy);
  }
  return *this;
}

string& string::operator=(string&& other) noexcept {
  if (this != &other) {
    if (is_long()) free_heap();
    std::memcpy(static_cast<void*>(this), &other, sizeof(*this));
    other.clear_local();
  }
  return *this;
}

string& string::operator=(const char* text) {
  string copy(text);
  return *this = std::move(copy);
}

void string::resize(int n) {
  if (n < 0) n = 0;
  if (n < 15) {
    if (is_long()) {
      char kept[15];
      std::memcpy(kept, m_heap.buffer, 15);
      free_heap();
      std::memcpy(m_local + 1, kept, 15);
    }
    m_local[0] = static_cast<char>(n + 1);
    m_local[n + 1] = 0;
    return;
  }
  const uint32_t capacity = static_cast<uint32_t>(heap_bytes(n));
  if (!is_long()) {
    char* buffer = static_cast<char*>(std::calloc(capacity, 1));
    if (!buffer) throw std::bad_alloc();
    std::memcpy(buffer, m_local + 1, 15);
    m_heap.flag = static_cast<char>(255);
    m_heap.buffer = buffer;
    m_heap.capacity = capacity;
    m_heap.account = 0;
  } else if (capacity != m_heap.capacity) {
    char* buffer = static_cast<char*>(std::realloc(m_heap.buffer, capacity));
    if (!buffer) throw std::bad_alloc();
    m_heap.buffer = buffer;
    if (m_heap.account != 0) {
      // A charged text stays charged with what it reserves now.
      charge_memory_account(m_heap.account, capacity);
      release_memory_account(m_heap.account, m_heap.capacity);
    }
    m_heap.capacity = capacity;
  }
  m_heap.size = static_cast<uint32_t>(n + 1);
  m_heap.buffer[n] = 0;
}

void string::append(const char* chars, int count) {
  if (count <= 0) return;
  int old = length();
  resize(old + count);
  std::memcpy(get_buffer() + old, chars, static_cast<size_t>(count));
}

string& string::operator+=(char c) {
  append(&c, 1);
  return *this;
}

string& string::operator+=(const char* text) {
  append(text, static_cast<int>(std::strlen(text)));
  return *this;
}

string& string::operator+=(const string& other) {
  string copy(other);  // other may be this string
  append(copy.c_str(), copy.length());
  return *this;
}

void string::append_wide_char(uint32_t code_point) {
  char bytes[8];
  int n = 0;
  utf8_encode(bytes, &n, code_point);
  append(bytes, n);
}

int string::utf8_char_count(const char* buffer, int byte_length) {
  const char* p = buffer;
  int count = 0;
  while (p - buffer < byte_length && utf8_decode_next(&p) != 0) ++count;
  return count;
}

uint32_t string::utf8_char_at(int index) const {
  const char* p = c_str();
  uint32_t c = 0;
  for (int i = 0; i <= index; ++i) {
    c = utf8_decode_next(&p);
    if (c == 0) return 0;
  }
  return c;
}

string string::utf8_substring(int start, int end) const {
  const char* p = c_str();
  const char* start_byte = nullptr;
  const char* end_byte = nullptr;
  for (int i = 0;; ++i) {
    if (i == start) start_byte = p;
    if (i == end) {
      end_byte = p;
      break;
    }
    if (utf8_decode_next(&p) == 0) {
      end_byte = p;
      break;
    }
  }
  if (!start_byte || start >= end) return string();
  return string(start_byte, static_cast<int>(end_byte - start_byte));
}

// Case conversion works per code point and writes each result as UTF-8, so non-ASCII
// text survives (taking only the low byte of each converted character would garble it).
string string::utf8_to_upper() const {
  string result;
  const char* p = c_str();
  while (uint32_t c = utf8_decode_next(&p)) result.append_wide_char(std::towupper(c));
  return result;
}

string string::utf8_to_lower() const {
  string result;
  const char* p = c_str();
  while (uint32_t c = utf8_decode_next(&p)) result.append_wide_char(std::towlower(c));
  return result;
}

int string::stricmp(const char* a, const char* b) {
  for (;; ++a, ++b) {
    int ca = std::tolower(static_cast<unsigned char>(*a));
    int cb = std::tolower(static_cast<unsigned char>(*b));
    if (ca != cb || ca == 0) return ca - cb;
  }
}

uint32_t stringi_hash::operator()(const string& key) const {
  uint32_t h = 5381;
  const char* text = key.c_str();
  for (int i = key.length() - 1; i >= 0; --i) {
    h = (h * 33) ^ static_cast<uint32_t>(std::tolower(static_cast<unsigned char>(text[i])));
  }
  return h;
}

}  // namespace swf
