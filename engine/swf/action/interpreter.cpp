// The action interpreter's loop: runs the records of an action block against an
// environment, handing each action to its handler (one source file per family of
// actions). Every operand comes through one guarded accessor, every record is read inside
// its own bytes, and a budget per frame and a bound on nesting keep any movie from hanging
// or overflowing the game.

#include "engine/swf/action/action_buffer.h"
#include "engine/swf/action/action_context.h"
#include "engine/swf/action/builtins.h"
#include "engine/swf/action/environment.h"
#include "engine/swf/base/clock.h"
#include "engine/swf/base/limits.h"
#include "engine/swf/base/log.h"
#include "engine/swf/base/memory_account.h"
#include "engine/swf/movie/character.h"
#include "engine/swf/movie/movie_definition.h"

namespace swf {

namespace {

// Units spent between two readings of the script clock: often enough that a frame whose
// work is cheaper than its units say still stops near its time, rarely enough that
// reading the clock costs nothing that shows.
constexpr int kUnitsPerClockReading = 256;

struct interpreter_state {
  action_frame_counts counts;
  int frame_scopes = 0;
  int depth = 0;
  bool depth_logged = false;
  bool text_logged = false;
  double started = 0.0;      // the script clock when the frame's budget began
  int next_clock_reading = 0;  // the units spent at which the clock is read next
};

interpreter_state& state() {
  static interpreter_state s;
  return s;
}

void begin_budget() {
  interpreter_state& s = state();
  s.counts = action_frame_counts();
  s.depth_logged = false;
  s.text_logged = false;
  s.started = get_script_clock_seconds();
  s.next_clock_reading = kUnitsPerClockReading;
}

bool frame_ended(const interpreter_state& s) {
  return s.counts.budget_spent || s.counts.clock_stopped || s.counts.memory_full;
}

// Counts one nested run of script while it lives.
struct depth_guard {
  depth_guard() { ++state().depth; }
  ~depth_guard() { --state().depth; }
  depth_guard(const depth_guard&) = delete;
  depth_guard& operator=(const depth_guard&) = delete;
};

// The first position at or after pos in [pos, end) that holds a NUL, or -1.
int find_nul(const uint8_t* bytes, int pos, int end) {
  for (int i = pos; i < end; ++i) {
    if (bytes[i] == 0) return i;
  }
  return -1;
}

const actions::action_table& action_handlers() {
  static const actions::action_table table = [] {
    actions::action_table t{};
    actions::add_stack_actions(t);
    actions::add_string_actions(t);
    actions::add_variable_actions(t);
    actions::add_control_actions(t);
    actions::add_clip_actions(t);
    actions::add_object_actions(t);
    actions::add_function_actions(t);
    return t;
  }();
  return table;
}

}  // namespace

// ---- the budget --------------------------------------------------------------------------

action_frame_scope::action_frame_scope() {
  interpreter_state& s = state();
  if (s.frame_scopes++ == 0 && s.depth == 0) begin_budget();
}

action_frame_scope::~action_frame_scope() { --state().frame_scopes; }

bool action_budget_exhausted() { return frame_ended(state()); }

void charge_action_budget(int units) {
  interpreter_state& s = state();
  // Only work that a running script started counts: the timeline's own placements and
  // lookups, and the host's calls, are bounded by the movie's file and cost nothing here.
  if (units <= 0 || s.depth == 0) return;
  // The next action sees the budget spent and ends the frame's scripts with its line.
  const int room = limits::kMaxActionsPerFrame - s.counts.units;
  s.counts.units = units < room ? s.counts.units + units : limits::kMaxActionsPerFrame;
}

void count_commands_replayed(int commands) {
  interpreter_state& s = state();
  if (s.depth > 0) s.counts.commands_replayed += commands;
}

int get_actions_run_in_frame() { return state().counts.units; }
int get_action_call_depth() { return state().depth; }
const action_frame_counts& get_action_frame_counts() { return state().counts; }

bool may_hold_script_bytes(size_t bytes) {
  if (current_memory_account_may_hold(bytes)) return true;
  interpreter_state& s = state();
  if (!frame_ended(s)) {
    log_error("error: the movie's scripts would hold more than %zu bytes; the frame's remaining actions are dropped\n",
              limits::kMaxScriptBytesPerMovie);
  }
  s.counts.memory_full = true;
  return false;
}

namespace actions {

bool spend_action() {
  interpreter_state& s = state();
  if (frame_ended(s)) return false;
  if (s.counts.units >= limits::kMaxActionsPerFrame) {
    s.counts.budget_spent = true;
    log_error("error: more than %d actions in one frame; the frame's remaining actions are dropped\n",
              limits::kMaxActionsPerFrame);
    return false;
  }
  if (s.counts.units >= s.next_clock_reading) {
    s.next_clock_reading = s.counts.units + kUnitsPerClockReading;
    if ((get_script_clock_seconds() - s.started) * 1000.0 >= limits::kMaxActionMillisecondsPerFrame) {
      s.counts.clock_stopped = true;
      log_error("error: a frame's actions ran for more than %d ms; the frame's remaining actions are dropped\n",
                limits::kMaxActionMillisecondsPerFrame);
      return false;
    }
  }
  ++s.counts.units;
  return true;
}

int text_cost(const script_value& v) {
  return v.get_type() == script_value::STRING ? v.to_string().length() / limits::kTextBytesPerBudgetUnit : 0;
}

void charge_text_copy(const script_value& v) {
  if (v.get_type() == script_value::STRING) {
    charge_action_budget(v.to_string().length() / limits::kPushedTextBytesPerAction);
  }
}

script_value join_texts(const string& a, const string& b) {
  if (a.length() + b.length() > limits::kMaxScriptTextBytes) {
    interpreter_state& s = state();
    if (!s.text_logged) {
      log_error("error: a text would pass %d bytes; the result is undefined\n", limits::kMaxScriptTextBytes);
      s.text_logged = true;
    }
    return script_value();
  }
  if (!may_hold_script_bytes(static_cast<size_t>(string::heap_bytes(a.length() + b.length())))) return script_value();
  string joined = a;
  joined += b;
  return script_value(joined);
}

// ---- reading payloads --------------------------------------------------------------------

bool read_string(const uint8_t* bytes, int* pos, int end, string* out) {
  int nul = find_nul(bytes, *pos, end);
  if (nul < 0) return false;
  *out = string(reinterpret_cast<const char*>(bytes + *pos), nul - *pos);
  *pos = nul + 1;
  return true;
}

bool read_u16(const uint8_t* bytes, int* pos, int end, int* out) {
  if (*pos + 2 > end) return false;
  *out = bytes[*pos] | (bytes[*pos + 1] << 8);
  *pos += 2;
  return true;
}

}  // namespace actions

// ---- running a block ---------------------------------------------------------------------

void action_buffer::execute(script_environment* env) const {
  const smart_ptr<character> owner(env->get_owner());
  int local_stack_top = env->get_local_frame_top();
  int stack_size = env->stack_size();
  execute(env, 0, get_length(), nullptr, scope_chain(), false);
  env->set_local_frame_top(local_stack_top);
  // What the block left on the stack goes with it: a block that pushes in a loop does
  // not grow the stack from frame to frame.
  if (env->stack_size() > stack_size) env->drop(env->stack_size() - stack_size);
}

void action_buffer::execute(script_environment* env, int start_pc, int exec_bytes, script_value* retval,
                            const scope_chain& initial_with_stack, bool is_function2, int own_registers) const {
  action_init();
  interpreter_state& st = state();
  if (st.depth == 0 && st.frame_scopes == 0) begin_budget();
  if (frame_ended(st)) return;
  if (st.depth >= limits::kMaxActionCallDepth) {
    if (!st.depth_logged) {
      log_error("error: script calls nested deeper than %d; the call is dropped\n", limits::kMaxActionCallDepth);
      st.depth_logged = true;
    }
    return;
  }
  depth_guard depth;

  const int length = get_length();
  if (start_pc < 0) start_pc = 0;
  int stop_pc = start_pc + exec_bytes;
  if (stop_pc > length) stop_pc = length;
  const uint8_t* bytes = get_bytes();

  // What the run works on is held until it ends: the environment's owner (the
  // environment is part of it), the starting target it goes back to and the current
  // target. A script that removes one of them from the stage goes on with a clip that is
  // no longer shown, never a freed one.
  const smart_ptr<character> owner(env->get_owner());
  const smart_ptr<character> original_target(env->get_target());
  smart_ptr<character> current_target;
  scope_chain with_stack(initial_with_stack);
  int version = 6;
  if (original_target) {
    if (movie_definition_sub* def = original_target->get_movie_definition()) version = def->get_version();
  }
  actions::operand_stack stack(env);
  actions::action_context c{*this, env, stack, with_stack, original_target.get_ptr(), nullptr, version, retval,
                            is_function2, own_registers, start_pc, stop_pc};
  const actions::action_table& handlers = action_handlers();

  int pc = start_pc;
  while (pc < stop_pc) {
    // The action before may have taken the movie past what its scripts may hold.
    if (!actions::spend_action() || !may_hold_script_bytes(0)) break;
    ++st.counts.actions;
    for (int d = 0; d < 3 && d < stack.present(); ++d) charge_action_budget(actions::text_cost(stack.top(d)));

    while (with_stack.size() > 0 && with_stack.back().m_block_end_pc <= pc) with_stack.pop_back();

    c.action_id = bytes[pc];
    c.pc = pc;
    current_target = env->get_target();
    c.target = current_target.get_ptr();
    if (c.action_id < 0x80) {
      c.payload = c.record_end = c.next_pc = pc + 1;
    } else {
      // A record with a payload: its length must lie in the buffer, and what it holds is
      // read only between its payload start and its end.
      if (pc + 3 > length) {
        log_error("error: action record at %d runs past the end of its block\n", pc);
        break;
      }
      const int payload_length = bytes[pc + 1] | (bytes[pc + 2] << 8);
      c.payload = pc + 3;
      c.next_pc = c.payload + payload_length;
      c.record_end = c.next_pc < length ? c.next_pc : length;
    }
    if (actions::action_handler handler = handlers[static_cast<size_t>(c.action_id)]) {
      handler(c);
      if (c.ended) return;
    }
    pc = c.next_pc;
  }
  env->set_target(original_target.get_ptr());
}

}  // namespace swf
