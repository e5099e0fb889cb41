#pragma once

#include <cstdint>
#include <vector>

#include "engine/swf/base/array.h"
#include "engine/swf/movie/movie_definition.h"

namespace swf {

// One block of action records as read from a tag, with its constant pool.
class action_buffer {
 public:
  // Appends records until one End byte (0) has been appended; stops early at the end of
  // the tag (an End byte then closes the block).
  void read(stream* in);
  int get_length() const { return static_cast<int>(m_buffer.size()); }
  const uint8_t* get_bytes() const { return m_buffer.data(); }
  uint8_t operator[](int i) const { return m_buffer[static_cast<size_t>(i)]; }

 private:
  std::vector<uint8_t> m_buffer;
  array<const char*> m_dictionary;
  int m_decl_dict_processed_at = -1;
};

// The command of DoAction and DoInitAction: owns one action buffer.
class do_action : public execute_tag {
 public:
  void read(stream* in) { m_buf.read(in); }
  bool is_action_tag() const override { return true; }
  const action_buffer& get_buffer() const { return m_buf; }

 private:
  action_buffer m_buf;
};

void do_action_loader(stream* in, int tag_type, movie_definition_sub* m);
void do_init_action_loader(stream* in, int tag_type, movie_definition_sub* m);

}  // namespace swf
