// The action interpreter: runs the records of an action block against an environment,
// defines and calls script functions. Every operand comes through one guarded accessor,
// every record is read inside its own bytes, and a budget per frame and a bound on nesting
// keep any movie from hanging or overflowing the game.

#include <cmath>
#include <cstring>
#include <vector>

#include "engine/swf/action/action_buffer.h"
#include "engine/swf/action/builtins.h"
#include "engine/swf/action/environment.h"
#include "engine/swf/base/limits.h"
#include "engine/swf/base/log.h"
#include "engine/swf/base/random.h"
#include "engine/swf/movie/character.h"
#include "engine/swf/movie/movie_definition.h"

namespace swf {

namespace {

struct interpreter_state {
  int actions = 0;
  bool exhausted = false;
  int frame_scopes = 0;
  int depth = 0;
  bool depth_logged = false;
  bool text_logged = false;
};

interpreter_state& state() {
  static interpreter_state s;
  return s;
}

// Charges one action to the frame's budget; false, with one line, once the budget is
// spent (the frame's remaining actions are then dropped).
bool spend_action() {
  interpreter_state& s = state();
  if (s.exhausted) return false;
  if (s.actions >= limits::kMaxActionsPerFrame) {
    s.exhausted = true;
    log_error("error: more than %d actions in one frame; the frame's remaining actions are dropped\n",
              limits::kMaxActionsPerFrame);
    return false;
  }
  ++s.actions;
  return true;
}

// Charges work past the action itself to the frame's budget: the values an action pushes
// or takes beyond its first, the kilobytes of text it reads. The count stops at the
// budget, so the next action finds it spent.
void charge_actions(int count) {
  interpreter_state& s = state();
  if (count <= 0) return;
  s.actions = count < limits::kMaxActionsPerFrame - s.actions ? s.actions + count : limits::kMaxActionsPerFrame;
}

// Work on long texts costs in proportion: a text of a megabyte counts as a thousand
// actions, so a loop over big texts ends as soon as a loop of small steps.
int text_cost(const script_value& v) {
  return v.get_type() == script_value::STRING ? v.to_string().length() >> 10 : 0;
}

void begin_budget() {
  interpreter_state& s = state();
  s.actions = 0;
  s.exhausted = false;
  s.depth_logged = false;
  s.text_logged = false;
}

int to_int(const script_value& v) { return script_text::to_int32(v.to_number()); }

// The first position at or after pos in [pos, end) that holds a NUL, or -1.
int find_nul(const uint8_t* bytes, int pos, int end) {
  for (int i = pos; i < end; ++i) {
    if (bytes[i] == 0) return i;
  }
  return -1;
}

// Reads a NUL-terminated string at *pos inside [.., end); false when its NUL is missing.
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

// Joins two texts unless the result would pass the text bound (then undefined).
script_value join_texts(const string& a, const string& b) {
  if (a.length() + b.length() > limits::kMaxScriptTextBytes) {
    interpreter_state& s = state();
    if (!s.text_logged) {
      log_error("error: a text would pass %d bytes; the result is undefined\n", limits::kMaxScriptTextBytes);
      s.text_logged = true;
    }
    return script_value();
  }
  string joined = a;
  joined += b;
  return script_value(joined);
}

const char* type_name(const script_value& v) {
  switch (v.get_type()) {
    case script_value::UNDEFINED: return "undefined";
    case script_value::NULLTYPE: return "null";
    case script_value::BOOLEAN: return "boolean";
    case script_value::STRING: return "string";
    case script_value::NUMBER: return "number";
    case script_value::OBJECT: return "object";
    case script_value::C_FUNCTION:
    case script_value::AS_FUNCTION: return "function";
  }
  return nullptr;
}

bool is_function(const script_value& v) {
  return v.get_type() == script_value::C_FUNCTION || v.get_type() == script_value::AS_FUNCTION;
}

// Counts one nested run of script while it lives.
struct depth_guard {
  depth_guard() { ++state().depth; }
  ~depth_guard() { --state().depth; }
  depth_guard(const depth_guard&) = delete;
  depth_guard& operator=(const depth_guard&) = delete;
};

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
    if (v.get_type() == script_value::STRING) charge_actions(v.to_string().length() / limits::kPushedTextBytesPerAction);
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

}  // namespace

// ---- the budget --------------------------------------------------------------------------

action_frame_scope::action_frame_scope() {
  interpreter_state& s = state();
  if (s.frame_scopes++ == 0 && s.depth == 0) begin_budget();
}

action_frame_scope::~action_frame_scope() { --state().frame_scopes; }

bool action_budget_exhausted() { return state().exhausted; }
int get_actions_run_in_frame() { return state().actions; }
int get_action_call_depth() { return state().depth; }

// ---- running a block ---------------------------------------------------------------------

void action_buffer::execute(script_environment* env) const {
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
  if (st.exhausted) return;
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

  scope_chain with_stack(initial_with_stack);
  character* original_target = env->get_target();
  int version = 6;
  if (original_target) {
    if (movie_definition_sub* def = original_target->get_movie_definition()) version = def->get_version();
  }
  operand_stack stack(env);
  auto vstring = [version](const script_value& v) -> const string& { return v.to_string_versioned(version); };

  int pc = start_pc;
  while (pc < stop_pc) {
    if (!spend_action()) break;
    for (int d = 0; d < 3 && d < stack.present(); ++d) charge_actions(text_cost(stack.top(d)));

    while (with_stack.size() > 0 && with_stack.back().m_block_end_pc <= pc) with_stack.pop_back();

    const int action_id = bytes[pc];
    character* target = env->get_target();

    if (action_id < 0x80) {
      switch (action_id) {
        case 0x00:  // End
          return;
        case 0x04:  // NextFrame
          if (target) target->goto_frame(target->get_current_frame() + 1);
          break;
        case 0x05:  // PreviousFrame
          if (target) target->goto_frame(target->get_current_frame() - 1);
          break;
        case 0x06:  // Play
          if (target) target->set_play_state(movie_interface::PLAY);
          break;
        case 0x07:  // Stop
          if (target) target->set_play_state(movie_interface::STOP);
          break;
        case 0x0A:  // Add
        case 0x0B:  // Subtract
        case 0x0C:  // Multiply
        case 0x0D:  // Divide
        case 0x60:  // BitAnd
        case 0x61:  // BitOr
        case 0x62:  // BitXor
        case 0x63:  // BitLShift
        case 0x64:  // BitRShift
        case 0x65: {  // BitURShift
          stack.ensure(2);
          script_value& left = stack.top(1);
          const script_value right = stack.top(0);
          switch (action_id) {
            case 0x0A: left.add(right); break;
            case 0x0B: left.subtract(right); break;
            case 0x0C: left.multiply(right); break;
            case 0x0D: left.divide(right); break;
            case 0x60: left.bitwise_and(right); break;
            case 0x61: left.bitwise_or(right); break;
            case 0x62: left.bitwise_xor(right); break;
            case 0x63: left.shift_left(right); break;
            case 0x64: left.shift_right(right); break;
            default: left.shift_right_unsigned(right); break;
          }
          stack.drop(1);
          break;
        }
        case 0x0E:  // Equals
        case 0x49: {  // Equals2
          stack.ensure(2);
          bool equal = stack.top(1).equals(stack.top(0));
          stack.top(1).set_bool(equal);
          stack.drop(1);
          break;
        }
        case 0x66: {  // StrictEquals
          stack.ensure(2);
          bool equal = stack.top(1).get_type() == stack.top(0).get_type() && stack.top(1).equals(stack.top(0));
          stack.top(1).set_bool(equal);
          stack.drop(1);
          break;
        }
        case 0x0F: {  // Less
          stack.ensure(2);
          bool less = stack.top(1).to_number() < stack.top(0).to_number();
          stack.top(1).set_bool(less);
          stack.drop(1);
          break;
        }
        case 0x48:    // Less2
        case 0x67: {  // Greater
          stack.ensure(2);
          const script_value left = stack.top(1);
          const script_value right = stack.top(0);
          bool result;
          if (left.get_type() == script_value::STRING) {
            const string& r = right.to_string();
            result = action_id == 0x48 ? script_text::less_bytes(left.to_string(), r.c_str())
                                       : script_text::greater_bytes(left.to_string(), r.c_str());
          } else {
            result = action_id == 0x48 ? left.to_number() < right.to_number() : left.to_number() > right.to_number();
          }
          stack.top(1).set_bool(result);
          stack.drop(1);
          break;
        }
        case 0x10:  // And
        case 0x11: {  // Or
          stack.ensure(2);
          bool a = stack.top(1).to_bool();
          bool b = stack.top(0).to_bool();
          stack.top(1).set_bool(action_id == 0x10 ? (a && b) : (a || b));
          stack.drop(1);
          break;
        }
        case 0x12:  // Not
          stack.ensure(1);
          stack.top(0).set_bool(!stack.top(0).to_bool());
          break;
        case 0x13:    // StringEquals
        case 0x29:    // StringLess
        case 0x68: {  // StringGreater
          stack.ensure(2);
          const string a = stack.top(1).to_string();
          const string& b = stack.top(0).to_string();
          bool result = action_id == 0x13   ? a == b
                        : action_id == 0x29 ? script_text::less_bytes(a, b.c_str())
                                            : script_text::greater_bytes(a, b.c_str());
          stack.top(1).set_bool(result);
          stack.drop(1);
          break;
        }
        case 0x14:  // StringLength
          stack.ensure(1);
          stack.top(0).set_int(vstring(stack.top(0)).utf8_length());
          break;
        case 0x15: {  // StringExtract
          stack.ensure(3);
          int count = to_int(stack.top(0));
          int start = to_int(stack.top(1));
          const string text = vstring(stack.top(2));
          int offset = start - 1;
          if (offset < 0) offset = 0;
          if (offset > text.length()) offset = text.length();
          int remaining = text.length() - offset;
          if (count > remaining) count = remaining;
          if (count < 0) count = 0;
          stack.drop(2);
          stack.top(0).set_string(string(text.c_str() + offset, count));
          break;
        }
        case 0x17:  // Pop
          stack.drop(1);
          break;
        case 0x18:  // ToInteger
          stack.ensure(1);
          stack.top(0).set_int(script_text::to_int32(std::floor(stack.top(0).to_number())));
          break;
        case 0x1C: {  // GetVariable
          script_value name = stack.pop();
          stack.push(env->get_variable(name.to_string(), with_stack));
          break;
        }
        case 0x1D:  // SetVariable
          stack.ensure(2);
          env->set_variable(stack.top(1).to_string(), stack.top(0), with_stack);
          stack.drop(2);
          break;
        case 0x20: {  // SetTarget2
          script_value target_value = stack.pop();
          // A value that names no character keeps the current target.
          if (character* found = env->find_target(target_value)) env->set_target(found);
          break;
        }
        case 0x21: {  // StringAdd
          stack.ensure(2);
          script_value joined = join_texts(vstring(stack.top(1)), vstring(stack.top(0)));
          stack.top(1) = joined;
          stack.drop(1);
          break;
        }
        case 0x22: {  // GetProperty
          stack.ensure(2);
          character* ch = env->find_target(stack.top(1));
          script_value value;
          if (ch) value = env->get_property(ch, to_int(stack.top(0)));
          stack.top(1) = value;
          stack.drop(1);
          break;
        }
        case 0x23: {  // SetProperty
          stack.ensure(3);
          if (character* ch = env->find_target(stack.top(2))) {
            smart_ptr<character> keep(ch);
            env->set_property(ch, to_int(stack.top(1)), stack.top(0));
          }
          stack.drop(3);
          break;
        }
        case 0x24:  // CloneSprite
          stack.ensure(3);
          if (target) {
            int depth_value = to_int(stack.top(0));
            target->clone_display_object(stack.top(2).to_string(), stack.top(1).to_string(),
                                         static_cast<uint16_t>(depth_value));
          }
          stack.drop(3);
          break;
        case 0x25:  // RemoveSprite
          stack.ensure(1);
          if (target) {
            smart_ptr<character> keep(target);
            target->remove_display_object(stack.top(0).to_string());
          }
          stack.drop(1);
          break;
        case 0x26: {  // Trace
          stack.ensure(1);
          script_value ignored;
          native_call call{&ignored, nullptr, env, 1, env->get_top_index()};
          global_trace(call);
          stack.drop(1);
          break;
        }
        case 0x27: {  // StartDrag
          stack.ensure(3);
          character* ch = env->find_target(stack.top(0));
          if (!ch) log_error("error: start_drag of invalid target '%s'.\n", stack.top(0).to_string().c_str());
          drag_state drag;
          drag.m_character = ch;
          drag.m_lock_center = stack.top(1).to_bool();
          drag.m_bound = stack.top(2).to_bool();
          if (drag.m_bound) {
            stack.ensure(7);
            drag.m_bound_x0 = static_cast<float>(stack.top(6).to_number());
            drag.m_bound_y0 = static_cast<float>(stack.top(5).to_number());
            drag.m_bound_x1 = static_cast<float>(stack.top(4).to_number());
            drag.m_bound_y1 = static_cast<float>(stack.top(3).to_number());
            stack.drop(4);
          }
          stack.drop(3);
          character* root = target ? target->get_root_movie() : nullptr;
          if (root && ch) root->set_drag_state(drag);
          break;
        }
        case 0x28:  // EndDrag
          if (target) {
            if (character* root = target->get_root_movie()) root->stop_drag();
          }
          break;
        case 0x30: {  // RandomNumber
          stack.ensure(1);
          int max = to_int(stack.top(0));
          if (max < 1) max = 1;
          stack.top(0).set_double(get_random_generator().next_random() % static_cast<uint32_t>(max));
          break;
        }
        case 0x32: {  // CharToAscii
          stack.ensure(1);
          const string& text = stack.top(0).to_string();
          int code = static_cast<int8_t>(static_cast<uint8_t>(text[0]));
          stack.top(0).set_int(code);
          break;
        }
        case 0x33: {  // AsciiToChar
          stack.ensure(1);
          char c = static_cast<char>(to_int(stack.top(0)) & 0xFF);
          stack.top(0).set_string(string(&c, c ? 1 : 0));
          break;
        }
        case 0x34: {  // GetTime
          float seconds = target ? target->get_timer() : 0.0f;
          stack.push(script_value(std::floor(static_cast<double>(seconds * 1000.0f))));
          break;
        }
        case 0x3B: {  // Delete2
          stack.ensure(1);
          env->get_variable(stack.top(0).to_string(), with_stack);
          log_error("todo opcode: %02X\n", action_id);
          break;
        }
        case 0x3C: {  // DefineLocal
          script_value value = stack.pop();
          script_value name = stack.pop();
          env->set_local(name.to_string(), value);
          break;
        }
        case 0x3D: {  // CallFunction
          stack.ensure(2);
          script_value function = stack.top(0);
          if (function.get_type() == script_value::STRING) {
            string name = function.to_string();
            function = env->get_variable(name, with_stack);
            if (!is_function(function)) log_error("error in call_function: '%s' is not a function\n", name.c_str());
          }
          int nargs = stack.clamp_count(to_int(stack.top(1)), 2);
          int size = env->stack_size();
          script_value result = call_method(function, env, nullptr, nargs, env->get_top_index() - 2);
          stack.cut_to(size);
          stack.drop(nargs + 2);
          stack.push(result);
          break;
        }
        case 0x3E:  // Return
          stack.ensure(1);
          if (retval) *retval = stack.top(0);
          stack.drop(1);
          pc = stop_pc;
          continue;
        case 0x3F: {  // Modulo
          double y = stack.pop().to_number();
          double x = stack.pop().to_number();
          stack.push(y == 0.0 ? script_value() : script_value(std::fmod(x, y)));
          break;
        }
        case 0x40: {  // NewObject
          script_value class_name = stack.pop();
          int nargs = stack.clamp_count(to_int(stack.pop()), 0);
          script_value constructor = env->get_variable(class_name.to_string(), with_stack);
          script_value value;
          int size = env->stack_size();
          if (c_function func = constructor.to_c_function()) {
            native_call call{&value, nullptr, env, nargs, env->get_top_index()};
            func(call);
          } else if (as_function* ctor = constructor.to_as_function()) {
            if (may_create_script_object()) {
              smart_ptr<script_object> made(new script_object(ctor->get_properties()->get_prototype()));
              made->set_member("constructor", constructor);
              made->set_member_flags("constructor", script_member::DONT_ENUM);
              call_method(constructor, env, made.get_ptr(), nargs, env->get_top_index());
              value.set_as_object(made.get_ptr());
            }
          } else if (class_name.to_string() == "String") {
            log_msg("Created special String class\n");
          } else {
            log_error("can't create object with unknown class '%s'\n", class_name.to_string().c_str());
          }
          stack.cut_to(size);
          stack.drop(nargs);
          stack.push(value);
          break;
        }
        case 0x41:  // DefineLocal2
          stack.ensure(1);
          env->declare_local(stack.top(0).to_string());
          stack.drop(1);
          break;
        case 0x42: {  // InitArray
          int count = stack.clamp_count(to_int(stack.pop()), 0);
          std::vector<script_value> elements;
          elements.reserve(static_cast<size_t>(count));
          for (int i = 0; i < count; ++i) elements.push_back(stack.pop());
          charge_actions(count - 1);  // each element counts as one action
          script_value value;
          if (as_array_object* made = make_array(elements.data(), count)) value.set_as_object(made);
          stack.push(value);
          break;
        }
        case 0x44: {  // TypeOf
          stack.ensure(1);
          if (const char* name = type_name(stack.top(0))) {
            stack.top(0).set_string(name);
          } else {
            log_error("typeof unknown type: %02X\n", static_cast<int>(stack.top(0).get_type()));
          }
          break;
        }
        case 0x46: {  // Enumerate
          script_value name = stack.pop();
          script_value value = env->get_variable(name.to_string(), with_stack);
          script_object* object = value.to_object();
          if (!object) break;
          smart_ptr<script_object> keep(object);
          script_value end_marker;
          end_marker.set_null();
          stack.push(end_marker);
          // Each name counts as one action, pushed or not (a full stack refuses it): a
          // long member list costs its length, and the names stop with the budget.
          auto push_names = [&stack](const script_object* o) {
            o->get_members().for_each([&stack](const string& key, const script_member& member) {
              if (member.m_flags & script_member::DONT_ENUM) return;
              if (spend_action()) stack.push(script_value(key));
            });
          };
          push_names(object);
          if (script_object* proto = object->get_prototype()) push_names(proto);
          break;
        }
        case 0x47: {  // Add2
          stack.ensure(2);
          script_value& left = stack.top(1);
          const script_value right = stack.top(0);
          if (left.get_type() == script_value::STRING || right.get_type() == script_value::STRING) {
            script_value joined = join_texts(vstring(left), vstring(right));
            left = joined;
          } else {
            left.add(right);
          }
          stack.drop(1);
          break;
        }
        case 0x4A:  // ToNumber
          stack.ensure(1);
          stack.top(0).set_double(stack.top(0).to_number());
          break;
        case 0x4B: {  // ToString
          stack.ensure(1);
          string text = vstring(stack.top(0));
          stack.top(0).set_string(text);
          break;
        }
        case 0x4C: {  // PushDuplicate
          stack.ensure(1);
          script_value copy = stack.top(0);
          stack.push(copy);
          break;
        }
        case 0x4D: {  // StackSwap
          stack.ensure(2);
          script_value upper = stack.top(0);
          stack.top(0) = stack.top(1);
          stack.top(1) = upper;
          break;
        }
        case 0x4E: {  // GetMember
          stack.ensure(2);
          script_value object_value = stack.top(1);
          string name = stack.top(0).to_string();
          script_object* object = object_value.to_object();
          if (!object && object_value.get_type() == script_value::STRING && script_text::equal_nocase(name, "length")) {
            stack.top(1).set_int(vstring(object_value).utf8_length());
          } else {
            script_value member;
            if (object) object->get_member(name, &member);
            stack.top(1) = member;
          }
          stack.drop(1);
          break;
        }
        case 0x4F: {  // SetMember
          stack.ensure(3);
          script_value object_value = stack.top(2);
          if (script_object* object = object_value.to_object()) {
            object->set_member(stack.top(1).to_string(), stack.top(0));
          }
          stack.drop(3);
          break;
        }
        case 0x50:  // Increment
          stack.ensure(1);
          stack.top(0).set_double(stack.top(0).to_number() + 1.0);
          break;
        case 0x51:  // Decrement
          stack.ensure(1);
          stack.top(0).set_double(stack.top(0).to_number() - 1.0);
          break;
        case 0x52: {  // CallMethod
          stack.ensure(3);
          string method_name = stack.top(0).to_string();
          script_value object_value = stack.top(1);
          int nargs = stack.clamp_count(to_int(stack.top(2)), 3);
          int first_arg = env->get_top_index() - 3;
          int size = env->stack_size();
          script_value result;
          if (script_object* object = object_value.to_object()) {
            script_value method;
            if (!object->get_member(method_name, &method)) {
              log_error("error: call_method can't find method %s\n", method_name.c_str());
            } else if (!is_function(method)) {
              log_error("error: call_method: '%s' is not a method\n", method_name.c_str());
            } else {
              result = call_method(method, env, object, nargs, first_arg);
            }
          } else if (object_value.get_type() == script_value::STRING) {
            string subject = object_value.to_string();
            native_call call{&result, nullptr, env, nargs, first_arg};
            string_method(call, method_name, subject);
          } else if (object_value.get_type() == script_value::C_FUNCTION) {
            if (object_value.to_c_function() == string_ctor) {
              native_call call{&result, nullptr, env, nargs, first_arg};
              string_method(call, method_name, string());
            } else {
              log_error("error: method call on unknown c function.\n");
            }
          } else if (object_value.get_type() == script_value::NUMBER && method_name == "toString") {
            result.set_string(object_value.to_string());
          } else {
            log_error("error: call_method '%s' on invalid object.\n", method_name.c_str());
          }
          stack.cut_to(size);
          stack.drop(nargs + 3);
          stack.push(result);
          break;
        }
        case 0x2A: case 0x2B: case 0x2C: case 0x31: case 0x35: case 0x37: case 0x3A: case 0x43: case 0x45:
        case 0x53: case 0x54: case 0x55: case 0x69:
          log_error("todo opcode: %02X\n", action_id);
          break;
        default:
          break;
      }
      ++pc;
      continue;
    }

    // A record with a payload: its length must lie in the buffer, and what it holds is
    // read only between its payload start and its end.
    if (pc + 3 > length) {
      log_error("error: action record at %d runs past the end of its block\n", pc);
      break;
    }
    const int payload_length = bytes[pc + 1] | (bytes[pc + 2] << 8);
    int next_pc = pc + 3 + payload_length;
    const int payload = pc + 3;
    const int record_end = next_pc < length ? next_pc : length;

    switch (action_id) {
      case 0x81: {  // GotoFrame
        int frame = 0;
        int pos = payload;
        if (target && read_u16(bytes, &pos, record_end, &frame)) target->goto_frame(frame);
        break;
      }
      case 0x83:    // GetURL
      case 0x9A: {  // GetURL2
        string url;
        string target_text;
        script_value target_value;
        if (action_id == 0x83) {
          int pos = payload;
          if (!read_string(bytes, &pos, record_end, &url) || !read_string(bytes, &pos, record_end, &target_text)) {
            log_error("error: get url record without its texts\n");
            break;
          }
        } else {
          stack.ensure(2);
          url = stack.top(1).to_string();
          target_value = stack.top(0);
          target_text = target_value.to_string();
        }
        if (std::strncmp(url.c_str(), "FSCommand:", 10) == 0) {
          if (fscommand_callback hook = get_fscommand_callback()) {
            movie_interface* root = target ? target->get_root_interface() : nullptr;
            hook(root, url.c_str() + 10, target_text.c_str());
          }
        } else {
          character* found = action_id == 0x83 ? env->find_target(target_text) : env->find_target(target_value);
          if (!found) {
            log_error(action_id == 0x83 ? "get url: target %s not found\n" : "get url2: target %s not found\n",
                      target_text.c_str());
          } else {
            smart_ptr<character> keep(found);
            env->load_file(url.c_str(), script_value(static_cast<script_object*>(found)));
          }
        }
        if (action_id == 0x9A) stack.drop(2);
        break;
      }
      case 0x87: {  // StoreRegister
        if (payload >= record_end) break;
        int r = bytes[payload];
        stack.ensure(1);
        if (is_function2) {
          if (r >= 1 && r <= own_registers) {
            env->local_register(r) = stack.top(0);
          } else {
            log_error("Invalid local register %d, stack only has %d entries\n", r, own_registers);
            env->global_register(0) = stack.top(0);
          }
        } else if (r < 4) {
          env->global_register(r) = stack.top(0);
        } else {
          log_error("store_register[%d] -- register out of bounds!", r);
        }
        break;
      }
      case 0x88:  // ConstantPool
        process_decl_dict(pc, record_end);
        break;
      case 0x8B: {  // SetTarget
        string name;
        int pos = payload;
        if (read_string(bytes, &pos, record_end, &name) && name.empty()) env->set_target(original_target);
        break;
      }
      case 0x8C: {  // GoToLabel
        string label;
        int pos = payload;
        if (target && read_string(bytes, &pos, record_end, &label)) target->goto_labeled_frame(label.c_str());
        break;
      }
      case 0x8D:  // WaitForFrame2
        stack.drop(1);
        break;
      case 0x8E:    // DefineFunction2
      case 0x9B: {  // DefineFunction
        int pos = payload;
        string name;
        int arg_count = 0;
        int register_count = 0;
        int flags = 0;
        bool ok = read_string(bytes, &pos, record_end, &name) && read_u16(bytes, &pos, record_end, &arg_count);
        if (ok && action_id == 0x8E) {
          ok = pos + 3 <= record_end;
          if (ok) {
            register_count = bytes[pos];
            flags = bytes[pos + 1] | (bytes[pos + 2] << 8);
            pos += 3;
          }
        }
        array<as_function::arg_spec> args;
        // Each parameter past the first counts as one action: a record can list
        // thousands of them.
        for (int i = 0; ok && i < arg_count; ++i) {
          if (i > 0 && !spend_action()) break;
          as_function::arg_spec spec;
          if (action_id == 0x8E) {
            ok = pos < record_end;
            if (!ok) break;
            spec.m_register = bytes[pos++];
          }
          ok = read_string(bytes, &pos, record_end, &spec.m_name);
          if (ok) args.push_back(spec);
        }
        if (action_budget_exhausted()) break;
        int body_length = 0;
        if (ok) ok = read_u16(bytes, &pos, record_end, &body_length);
        if (!ok) {
          log_error("error: function record at %d is cut short\n", pc);
          break;
        }
        // The body lies inside the running range.
        int body_start = next_pc;
        if (body_start > stop_pc) body_start = stop_pc;
        if (body_length > stop_pc - body_start) body_length = stop_pc - body_start;
        script_value value;
        if (may_create_script_object()) {
          auto* function = new as_function(this, env, body_start, with_stack);
          function->m_length = body_length;
          function->m_args = args;
          function->m_is_function2 = action_id == 0x8E;
          function->m_local_register_count = static_cast<uint8_t>(register_count);
          function->m_function2_flags = static_cast<uint16_t>(flags);
          value.set_as_function(function);
        }
        if (!name.empty()) env->set_member(name, value);
        stack.push(value);
        next_pc = body_start + body_length;
        break;
      }
      case 0x94: {  // With
        int block_size = 0;
        int pos = payload;
        read_u16(bytes, &pos, record_end, &block_size);
        stack.ensure(1);
        if (with_stack.size() < 8) {
          script_object* object = stack.top(0).to_object();
          with_stack.push_back(with_stack_entry(object, next_pc + block_size));
        }
        stack.drop(1);
        break;
      }
      case 0x96: {  // Push
        // Each value pushed counts as one action (the record pays for the first): one
        // record can push tens of thousands of values.
        int i = payload;
        bool first_value = true;
        while (i < record_end) {
          if (!first_value && !spend_action()) break;
          first_value = false;
          const int type = bytes[i++];
          if (type == 0) {
            string text;
            if (!read_string(bytes, &i, record_end, &text)) break;
            stack.push(script_value(text));
          } else if (type == 1) {
            if (i + 4 > record_end) break;
            uint32_t raw = bytes[i] | (bytes[i + 1] << 8) | (bytes[i + 2] << 16) | (static_cast<uint32_t>(bytes[i + 3]) << 24);
            float f;
            std::memcpy(&f, &raw, sizeof(f));
            stack.push(script_value(static_cast<double>(f)));
            i += 4;
          } else if (type == 2) {
            script_value v;
            v.set_null();
            stack.push(v);
          } else if (type == 3) {
            stack.push(script_value());
          } else if (type == 4) {
            if (i >= record_end) break;
            int r = bytes[i++];
            if (is_function2) {
              if (r >= 1 && r <= own_registers) {
                stack.push(env->local_register(r));
              } else {
                log_error("Invalid local register %d, stack only has %d entries\n", r, own_registers);
                stack.push(env->global_register(0));
              }
            } else if (r < 4) {
              stack.push(env->global_register(r));
            } else {
              log_error("push register[%d] -- register out of bounds!\n", r);
              stack.push(script_value());
            }
          } else if (type == 5) {
            if (i >= record_end) break;
            stack.push(script_value(bytes[i++] != 0));
          } else if (type == 6) {
            if (i + 8 > record_end) break;
            uint64_t high = bytes[i] | (bytes[i + 1] << 8) | (bytes[i + 2] << 16) | (static_cast<uint32_t>(bytes[i + 3]) << 24);
            uint64_t low = bytes[i + 4] | (bytes[i + 5] << 8) | (bytes[i + 6] << 16) |
                           (static_cast<uint32_t>(bytes[i + 7]) << 24);
            uint64_t raw = (high << 32) | low;
            double d;
            std::memcpy(&d, &raw, sizeof(d));
            stack.push(script_value(d));
            i += 8;
          } else if (type == 7) {
            if (i + 4 > record_end) break;
            uint32_t raw = bytes[i] | (bytes[i + 1] << 8) | (bytes[i + 2] << 16) | (static_cast<uint32_t>(bytes[i + 3]) << 24);
            stack.push(script_value(static_cast<double>(static_cast<int32_t>(raw))));
            i += 4;
          } else if (type == 8 || type == 9) {
            int index = 0;
            if (type == 8) {
              if (i >= record_end) break;
              index = bytes[i++];
            } else if (!read_u16(bytes, &i, record_end, &index)) {
              break;
            }
            const array<const char*>& dict = get_dictionary();
            if (index < dict.size()) {
              stack.push(script_value(dict[index]));
            } else {
              log_error("error: dict_lookup(%d) is out of bounds!\n", index);
              stack.push(script_value(0));
            }
          }
          // Any other type byte is skipped by itself.
        }
        break;
      }
      case 0x99:    // Jump
      case 0x9D: {  // If
        int raw_offset = 0;
        int pos = payload;
        if (!read_u16(bytes, &pos, record_end, &raw_offset)) break;
        int offset = static_cast<int16_t>(static_cast<uint16_t>(raw_offset));
        bool taken = true;
        if (action_id == 0x9D) {
          taken = stack.pop().to_bool();
        }
        if (taken) {
          int destination = next_pc + offset;
          // A branch may land anywhere in the range or at its end; anywhere else (before
          // the range included) ends it.
          if (destination < start_pc || destination > stop_pc) {
            log_error("branch to offset %d -- this section only runs to %d\n", destination, stop_pc);
            next_pc = stop_pc;
          } else {
            next_pc = destination;
          }
        }
        break;
      }
      case 0x9E: {  // Call
        stack.ensure(1);
        script_value frame = stack.top(0);
        stack.drop(1);
        if (target) {
          smart_ptr<character> keep(target);
          target->call_frame_actions(frame);
        }
        break;
      }
      case 0x9F: {  // GotoFrame2
        bool play = payload < record_end && bytes[payload] != 0;
        stack.ensure(1);
        script_value frame = stack.top(0);
        stack.drop(1);
        if (!target) break;
        smart_ptr<character> keep(target);
        bool went = false;
        if (frame.get_type() == script_value::STRING) {
          double number = 0.0;
          if (target->goto_labeled_frame(frame.to_string().c_str())) {
            went = true;
          } else if (script_text::is_number(frame.to_string().c_str(), &number)) {
            target->goto_frame(script_text::to_int32(number));
            went = true;
          }
        } else if (frame.get_type() == script_value::NUMBER) {
          target->goto_frame(to_int(frame));
          went = true;
        }
        if (went) target->set_play_state(play ? movie_interface::PLAY : movie_interface::STOP);
        break;
      }
      default:
        break;
    }
    pc = next_pc;
  }
  env->set_target(original_target);
}

// ---- script functions --------------------------------------------------------------------

as_function::as_function(const action_buffer* buffer, script_environment* env, int start_pc,
                         const scope_chain& with_stack)
    : m_action_buffer(buffer),
      m_start_pc(start_pc),
      m_env(env),
      m_with_stack(new scope_chain(with_stack)) {
  if (buffer) m_buffer_alive = buffer->get_alive_token();
  if (env) m_env_alive = env->get_alive_token();
}

as_function::~as_function() { delete m_with_stack; }

void as_function::invoke(const native_call& call) {
  if (!m_action_buffer || m_buffer_alive.expired()) {
    log_error("error: the code of a script function is gone; nothing is run\n");
    return;
  }
  smart_ptr<as_function> keep(this);
  script_environment* env = (m_env && !m_env_alive.expired()) ? m_env : call.env;
  if (!env) return;
  int local_frame_top = env->get_local_frame_top();
  int stack_size = env->stack_size();
  env->set_local_frame();

  const int register_count = m_is_function2 ? m_local_register_count : 0;
  if (!m_is_function2) {
    for (int i = 0; i < m_args.size() && i < call.nargs; ++i) env->add_local(m_args[i].m_name, call.arg(i));
  } else {
    env->add_local_registers(register_count);
    for (int i = 0; i < m_args.size() && i < call.nargs; ++i) {
      int r = m_args[i].m_register;
      if (r == 0) {
        env->add_local(m_args[i].m_name, call.arg(i));
      } else if (r <= register_count) {
        env->local_register(r) = call.arg(i);
      } else {
        log_error("Invalid local register %d, stack only has %d entries\n", r, register_count);
        env->global_register(0) = call.arg(i);
      }
    }
    // The preloaded values go to the registers from 1 on, in flag order.
    int next_register = 1;
    auto preload = [&](const script_value& value) {
      if (next_register <= register_count) {
        env->local_register(next_register) = value;
      } else {
        log_error("Invalid local register %d, stack only has %d entries\n", next_register, register_count);
        env->global_register(0) = value;
      }
      ++next_register;
    };
    script_value this_value(static_cast<script_object*>(env->get_target()));
    const uint16_t flags = m_function2_flags;
    if (flags & 0x0001) preload(this_value);
    if (!(flags & 0x0002)) env->add_local("this", this_value);
    if ((flags & 0x0004) || !(flags & 0x0008)) {
      std::vector<script_value> values;
      for (int i = 0; i < call.nargs; ++i) values.push_back(call.arg(i));
      script_value arguments;
      if (as_array_object* made = make_array(values.data(), call.nargs)) arguments.set_as_object(made);
      if (flags & 0x0004) preload(arguments);
      if (!(flags & 0x0008)) env->add_local("arguments", arguments);
    }
    if (flags & 0x0010) {
      log_error("TODO: implement 'super' in function2 dispatch (reg)\n");
      ++next_register;
    }
    if (!(flags & 0x0020)) log_error("TODO: implement 'super' in function2 dispatch (var)\n");
    if (flags & 0x0040) {
      character* target = env->get_target();
      preload(script_value(static_cast<script_object*>(target ? target->get_root_movie() : nullptr)));
    }
    if (flags & 0x0080) preload(env->get_variable("_parent", scope_chain()));
    if (flags & 0x0100) preload(script_value(get_global()));
  }

  const scope_chain no_with_stack;
  m_action_buffer->execute(env, m_start_pc, m_length, call.result, m_with_stack ? *m_with_stack : no_with_stack,
                           m_is_function2, register_count);

  env->set_local_frame_top(local_frame_top);
  if (m_is_function2) env->drop_local_registers(register_count);
  // What the body left on the stack goes with it.
  if (env->stack_size() > stack_size) env->drop(env->stack_size() - stack_size);
}

script_value call_method(const script_value& method, script_environment* env, script_object* this_ptr, int nargs,
                         int first_arg_bottom_index) {
  script_value result;
  if (c_function func = method.to_c_function()) {
    native_call call{&result, this_ptr, env, nargs, first_arg_bottom_index};
    func(call);
  } else if (as_function* function = method.to_as_function()) {
    native_call call{&result, this_ptr, env, nargs, first_arg_bottom_index};
    function->invoke(call);
  } else {
    log_error("error in call_method(): method is not a function\n");
  }
  return result;
}

script_value call_method0(const script_value& method, script_environment* env, script_object* this_ptr) {
  return call_method(method, env, this_ptr, 0, env ? env->get_top_index() + 1 : 0);
}

const char* call_method_parsed(script_environment* env, script_object* this_ptr, const char* method_name,
                               const char* method_arg_fmt, va_list args) {
  static auto* result_text = new string;
  log_msg("FIXME(%d): %s\n", 449, "swf::call_method_parsed");
  if (!env || !method_name) return nullptr;
  if (!method_arg_fmt) method_arg_fmt = "";
  std::vector<script_value> values;
  for (const char* p = method_arg_fmt; *p; ++p) {
    char c = *p;
    if (c == '%') {
      char next = p[1];
      if (next == 'd') {
        values.emplace_back(va_arg(args, int));
        ++p;
      } else if (next == 'f') {
        values.emplace_back(va_arg(args, double));
        ++p;
      } else if (next == 's') {
        const char* text = va_arg(args, const char*);
        values.emplace_back(text ? text : "");
        ++p;
      } else if (next == 'l') {
        if (p[2] == 's') {
          const auto* wide = va_arg(args, const uint16_t*);
          static const uint16_t kEmpty[1] = {0};
          values.emplace_back(wide ? wide : kEmpty);
          p += 2;
        } else {
          log_error("call_method_parsed('%s','%s') -- invalid fmt '%%l%c'\n", method_name, method_arg_fmt, p[2]);
          if (p[2]) p += 2; else ++p;
        }
      } else {
        log_error("call_method_parsed('%s','%s') -- invalid fmt '%%%c'\n", method_name, method_arg_fmt, next);
        if (next) ++p;
      }
    } else if (c != ' ' && c != '\t' && c != ',') {
      log_error("call_method_parsed('%s','%s') -- invalid char '%c'\n", method_name, method_arg_fmt, c);
    }
  }
  script_value method = env->get_variable(string(method_name), scope_chain());
  int size = env->stack_size();
  // The first argument goes on top.
  for (int i = static_cast<int>(values.size()) - 1; i >= 0; --i) env->push(values[static_cast<size_t>(i)]);
  int nargs = env->stack_size() - size;
  script_value result = call_method(method, env, this_ptr, nargs, env->get_top_index());
  if (env->stack_size() > size) env->drop(env->stack_size() - size);
  *result_text = result.to_string();
  return result_text->c_str();
}

}  // namespace swf
