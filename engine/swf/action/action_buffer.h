#pragma once

#include <cstdint>
#include <vector>

#include "engine/swf/base/array.h"
#include "engine/swf/movie/movie_definition.h"

namespace swf {

class script_environment;

// One block of action records as read from a tag, with its constant pool.
class action_buffer {
 public:
  // Appends records until one End byte (0) has been appended; stops early at the end of
  // the tag (an End byte then closes the block).
  void read(stream* in);
  int get_length() const { return static_cast<int>(m_buffer.size()); }
  const uint8_t* get_bytes() const { return m_buffer.data(); }
  uint8_t operator[](int i) const { return m_buffer[static_cast<size_t>(i)]; }

  // Runs the whole block in the environment. The interpreter fills this in; until then
  // running a block does nothing.
  void execute(script_environment* env) const;

  // Builds the constant pool from the ConstantPool record at start (its action byte)
  // that ends before stop. Entries point into the buffer.
  void process_decl_dict(int start_pc, int stop_pc) const;
  const array<const char*>& get_dictionary() const { return m_dictionary; }

 private:
  std::vector<uint8_t> m_buffer;
  mutable array<const char*> m_dictionary;
  mutable int m_decl_dict_processed_at = -1;
};

// The command of DoAction and DoInitAction: owns one action buffer and queues it on the
// sprite whose frame runs it.
class do_action : public execute_tag {
 public:
  void read(stream* in) { m_buf.read(in); }
  void execute(character* m) override;
  void execute_state(character* m) override {}
  void execute_state_reverse(character* m, int frame) override {}
  bool is_action_tag() const override { return true; }
  const action_buffer& get_buffer() const { return m_buf; }

 private:
  action_buffer m_buf;
};

void do_action_loader(stream* in, int tag_type, movie_definition_sub* m);
void do_init_action_loader(stream* in, int tag_type, movie_definition_sub* m);

}  // namespace swf
