#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "engine/swf/base/array.h"
#include "engine/swf/base/limits.h"
#include "engine/swf/movie/movie_definition.h"

namespace swf {

class script_environment;
class script_value;
struct with_stack_entry;

// One block of action records as read from a tag, with its constant pool.
class action_buffer {
 public:
  // Appends records until one End byte (0) has been appended; stops early at the end of
  // the tag (an End byte then closes the block).
  void read(stream* in);
  int get_length() const { return static_cast<int>(m_buffer.size()); }
  const uint8_t* get_bytes() const { return m_buffer.data(); }
  uint8_t operator[](int i) const { return m_buffer[static_cast<size_t>(i)]; }

  // Runs the whole block in the environment; the locals and the values the block leaves
  // behind go when it ends.
  void execute(script_environment* env) const;
  // Runs the records of [start_pc, start_pc + exec_bytes). Return writes the result slot
  // when there is one. A function2 body addresses registers 1 .. own_registers.
  void execute(script_environment* env, int start_pc, int exec_bytes, script_value* retval,
               const array<with_stack_entry>& initial_with_stack, bool is_function2,
               int own_registers = 0) const;
  // Lives as long as the buffer: functions hold it weakly to know their code is there.
  std::weak_ptr<const void> get_alive_token() const { return m_alive; }

  // Builds the constant pool from the ConstantPool record at start (its action byte)
  // that ends before stop. Entries point into the buffer.
  void process_decl_dict(int start_pc, int stop_pc) const;
  const array<const char*>& get_dictionary() const { return m_dictionary; }

 private:
  std::vector<uint8_t> m_buffer;
  mutable array<const char*> m_dictionary;
  mutable int m_decl_dict_processed_at = -1;
  std::shared_ptr<const void> m_alive = std::make_shared<char>(0);
};

// The instruction budget: every action run, and the work an action starts, counts against
// the frame being played. A movie root's advance starts a frame; code run outside of one
// (a host call, a test) starts afresh at its outermost block. Once the budget is spent, or
// the frame's actions have run for too long by the script clock (base/clock.h), the
// running code ends, one line is logged and nothing more runs until the next frame.
class action_frame_scope {
 public:
  action_frame_scope();
  ~action_frame_scope();
  action_frame_scope(const action_frame_scope&) = delete;
  action_frame_scope& operator=(const action_frame_scope&) = delete;
};
bool action_budget_exhausted();
// Counts work done for the frame's scripts outside the loop of actions (the commands a goto
// replays, the characters a clone makes, the bytes a String method walks) as that many
// units. Only work that a running script started counts.
void charge_action_budget(int units);
// Text work (bytes walked, copied or laid out) charged by its length.
inline void charge_text_work(int bytes) { charge_action_budget(bytes / limits::kTextBytesPerBudgetUnit); }
// Entries walked (children, locals, listeners, path elements) charged by count.
inline void charge_entries_visited(int entries) {
  charge_action_budget(entries / limits::kEntriesVisitedPerBudgetUnit);
}
// Units spent since the frame began (never above the budget).
int get_actions_run_in_frame();
// Script runs nested inside one another right now.
int get_action_call_depth();
// Whether the movie whose frame runs may hold bytes more for its scripts. When it may not,
// one line says so and the frame's remaining actions end, as when the budget is spent;
// what its scripts hold stays.
bool may_hold_script_bytes(size_t bytes);

// What the frame's scripts have counted so far, and the last frame's once it has ended:
// what tests and benchmarks read.
struct action_frame_counts {
  int units = 0;              // budget units spent
  int actions = 0;            // action records run
  int commands_replayed = 0;  // frame commands (placements, removals, the rest) that gotos replayed
  bool budget_spent = false;  // the budget ended the frame's actions
  bool clock_stopped = false; // the script clock ended them
  bool memory_full = false;   // the movie's scripts reached what they may hold
};
const action_frame_counts& get_action_frame_counts();
// Counts the commands a goto replays (charged through charge_action_budget).
void count_commands_replayed(int commands);
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
