#pragma once

// What the interpreter's action handlers share: the running action's context, the guarded
// view of the value stack, the frame's budget and the readers of record payloads. The
// handlers live in one source file per family of actions (stack and arithmetic, strings,
// variables and properties, control flow, clips and the host, objects, functions);
// interpreter.cpp runs the loop and dispatches each action to its handler.

#include <array>
#include <cstdint>

#include "engine/swf/action/action_buffer.h"
#include "engine/swf/action/environment.h"
#include "engine/swf/action/script_value.h"
#include "engine/swf/base/limits.h"

namespace swf {

class character;

namespace actions {

// ---- the frame's budget ------------------------------------------------------------------

// Charges one action to the frame's budget; false, with one line, once the budget is
// spent (the frame's remaining actions are then dropped). Work past the action itself
// (values pushed or taken beyond the first, long texts) goes through
// charge_action_budget.
bool spend_action();
// Work on long texts costs in proportion: a text of a megabyte that an action may walk
// counts as 4,096 actions, so a loop over big texts ends as soon as a loop of small steps.
int text_cost(const script_value& v);
// A text copied onto the stack (pushed, or read from a member into an operand's place)
// costs in proportion to its length.
void charge_text_copy(const script_value& v);

// ---- the value stack ---------------------------------------------------------------------

// The running code's view of the environment's stack: values below its base belong to
// the code that called it. A missing operand reads as undefined and nothing is dropped
// below the base.
class operand_stack {
 public:
  explicit operand_stack(script_environment* env) : m_env(env), m_base(env->stack_size()) {}

  int present() const {
    int n = m_env->stack_size() - m_base;
    return n > 0 ? n : 0;
  }
  // Makes sure n operands are there: the missing ones (the deepest) become undefined.
  void ensure(int n) {
    int have = present();
    if (have >= n) return;
    int missing = n - have;
    for (int i = 0; i < missing; ++i) m_env->push(script_value());
    if (m_env->stack_size() - m_base < n) return;  // the stack is full; reads give undefined
    for (int i = m_env->stack_size() - 1; i >= m_base + missing; --i) {
      script_value moved = m_env->bottom(i - missing);
      m_env->bottom(i) = moved;
    }
    for (int i = m_base; i < m_base + missing; ++i) m_env->bottom(i).set_undefined();
  }
  script_value& top(int dist) {
    if (dist >= present()) {
      m_scratch.set_undefined();
      return m_scratch;
    }
    return m_env->top(dist);
  }
  void drop(int n) {
    int have = present();
    m_env->drop(n < have ? n : have);
  }
  script_value pop() {
    if (present() == 0) return script_value();
    return m_env->pop();
  }
  // A text put on the stack is a copy: it costs in proportion to its length.
  void push(const script_value& v) {
    charge_text_copy(v);
    m_env->push(v);
  }
  // The count clamped to the values present above skip operands.
  int clamp_count(int count, int skip) const {
    int available = present() - skip;
    if (available < 0) available = 0;
    if (count < 0) return 0;
    return count < available ? count : available;
  }
  // Cuts back to size (what a call left above its arguments).
  void cut_to(int size) {
    if (m_env->stack_size() > size) m_env->drop(m_env->stack_size() - size);
  }

 private:
  script_environment* m_env;
  int m_base;
  script_value m_scratch;
};

// ---- one action --------------------------------------------------------------------------

// The action being run and the run it belongs to. A handler reads its operands from the
// stack and its payload from [payload, record_end), and may move next_pc (a branch) or
// end the run.
struct action_context {
  const action_buffer& buffer;
  script_environment* env;
  operand_stack& stack;
  scope_chain& with_stack;
  character* original_target;  // made current again when the run reaches its end
  character* target;           // the current target as the action began
  int version;                 // the movie's SWF version, for the versioned conversions
  script_value* retval;        // what Return writes, when there is a slot
  bool is_function2;           // a function2 body addresses registers 1 .. own_registers
  int own_registers;
  int start_pc;
  int stop_pc;
  int action_id = 0;
  int pc = 0;
  int payload = 0;     // a record's payload lies in [payload, record_end)
  int record_end = 0;
  int next_pc = 0;     // where the run goes on
  bool ended = false;  // End: the run stops at once and keeps the current target

  const uint8_t* bytes() const { return buffer.get_bytes(); }
  const string& vstring(const script_value& v) const { return v.to_string_versioned(version); }
};

using action_handler = void (*)(action_context& c);
// The handler of each action code; none: the action is skipped.
using action_table = std::array<action_handler, 256>;

void add_stack_actions(action_table& table);
void add_string_actions(action_table& table);
void add_variable_actions(action_table& table);
void add_control_actions(action_table& table);
void add_clip_actions(action_table& table);
void add_object_actions(action_table& table);
void add_function_actions(action_table& table);

// ---- shared helpers ----------------------------------------------------------------------

inline int to_int(const script_value& v) { return script_text::to_int32(v.to_number()); }

inline bool is_function(const script_value& v) {
  return v.get_type() == script_value::C_FUNCTION || v.get_type() == script_value::AS_FUNCTION;
}

// Reads a NUL-terminated string at *pos inside [.., end); false when its NUL is missing.
bool read_string(const uint8_t* bytes, int* pos, int end, string* out);
// Reads a little-endian u16 at *pos inside [.., end); false when it does not fit.
bool read_u16(const uint8_t* bytes, int* pos, int end, int* out);

// Joins two texts unless the result would pass the text bound (then undefined).
script_value join_texts(const string& a, const string& b);

}  // namespace actions
}  // namespace swf
