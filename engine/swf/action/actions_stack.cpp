// Actions on the value stack and arithmetic: pushing values and the constant pool they
// name, registers, numbers, comparisons, logic, bits and the type of a value.

#include <cmath>
#include <cstring>

#include "engine/swf/action/action_context.h"
#include "engine/swf/base/log.h"
#include "engine/swf/base/random.h"

namespace swf::actions {

namespace {

// ---- values onto the stack ---------------------------------------------------------------

uint32_t read_le32(const uint8_t* b) {
  return b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<uint32_t>(b[3]) << 24);
}

// A register's value as Push reads it: a function2 body its own registers, other code the
// four global ones.
script_value read_register(action_context& c, int r) {
  if (c.is_function2) {
    if (r >= 1 && r <= c.own_registers) return c.env->local_register(r);
    log_error("Invalid local register %d, stack only has %d entries\n", r, c.own_registers);
    return c.env->global_register(0);
  }
  if (r < 4) return c.env->global_register(r);
  log_error("push register[%d] -- register out of bounds!\n", r);
  return script_value();
}

void push(action_context& c) {
  const uint8_t* bytes = c.bytes();
  const int end = c.record_end;
  // Each value pushed counts as one action (the record pays for the first): one record
  // can push tens of thousands of values.
  int i = c.payload;
  bool first_value = true;
  while (i < end) {
    if (!first_value && !spend_action()) break;
    first_value = false;
    const int type = bytes[i++];
    if (type == 0) {
      string text;
      if (!read_string(bytes, &i, end, &text)) break;
      c.stack.push(script_value(text));
    } else if (type == 1) {
      if (i + 4 > end) break;
      uint32_t raw = read_le32(bytes + i);
      float f;
      std::memcpy(&f, &raw, sizeof(f));
      c.stack.push(script_value(static_cast<double>(f)));
      i += 4;
    } else if (type == 2) {
      script_value v;
      v.set_null();
      c.stack.push(v);
    } else if (type == 3) {
      c.stack.push(script_value());
    } else if (type == 4) {
      if (i >= end) break;
      c.stack.push(read_register(c, bytes[i++]));
    } else if (type == 5) {
      if (i >= end) break;
      c.stack.push(script_value(bytes[i++] != 0));
    } else if (type == 6) {
      if (i + 8 > end) break;
      uint64_t high = read_le32(bytes + i);
      uint64_t low = read_le32(bytes + i + 4);
      uint64_t raw = (high << 32) | low;
      double d;
      std::memcpy(&d, &raw, sizeof(d));
      c.stack.push(script_value(d));
      i += 8;
    } else if (type == 7) {
      if (i + 4 > end) break;
      c.stack.push(script_value(static_cast<double>(static_cast<int32_t>(read_le32(bytes + i)))));
      i += 4;
    } else if (type == 8 || type == 9) {
      int index = 0;
      if (type == 8) {
        if (i >= end) break;
        index = bytes[i++];
      } else if (!read_u16(bytes, &i, end, &index)) {
        break;
      }
      const array<const char*>& dict = c.buffer.get_dictionary();
      if (index < dict.size()) {
        c.stack.push(script_value(dict[index]));
      } else {
        log_error("error: dict_lookup(%d) is out of bounds!\n", index);
        c.stack.push(script_value(0));
      }
    }
    // Any other type byte is skipped by itself.
  }
}

void constant_pool(action_context& c) { c.buffer.process_decl_dict(c.pc, c.record_end); }

void pop(action_context& c) { c.stack.drop(1); }

void push_duplicate(action_context& c) {
  c.stack.ensure(1);
  script_value copy = c.stack.top(0);
  c.stack.push(copy);
}

void stack_swap(action_context& c) {
  c.stack.ensure(2);
  script_value upper = c.stack.top(0);
  c.stack.top(0) = c.stack.top(1);
  c.stack.top(1) = upper;
}

// The value stays on the stack.
void store_register(action_context& c) {
  if (c.payload >= c.record_end) return;
  int r = c.bytes()[c.payload];
  c.stack.ensure(1);
  if (c.is_function2) {
    if (r >= 1 && r <= c.own_registers) {
      c.env->local_register(r) = c.stack.top(0);
    } else {
      log_error("Invalid local register %d, stack only has %d entries\n", r, c.own_registers);
      c.env->global_register(0) = c.stack.top(0);
    }
  } else if (r < 4) {
    c.env->global_register(r) = c.stack.top(0);
  } else {
    log_error("store_register[%d] -- register out of bounds!", r);
  }
}

// ---- numbers -----------------------------------------------------------------------------

// Add, Subtract, Multiply, Divide and the bit operations: top(1) op top(0).
void binary_number_op(action_context& c) {
  c.stack.ensure(2);
  script_value& left = c.stack.top(1);
  const script_value right = c.stack.top(0);
  switch (c.action_id) {
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
  c.stack.drop(1);
}

// Add2 joins texts as soon as either operand is one (the type tested before converting).
void add2(action_context& c) {
  c.stack.ensure(2);
  script_value& left = c.stack.top(1);
  const script_value right = c.stack.top(0);
  if (left.get_type() == script_value::STRING || right.get_type() == script_value::STRING) {
    script_value joined = join_texts(c.vstring(left), c.vstring(right));
    left = joined;
  } else {
    left.add(right);
  }
  c.stack.drop(1);
}

void modulo(action_context& c) {
  double y = c.stack.pop().to_number();
  double x = c.stack.pop().to_number();
  c.stack.push(y == 0.0 ? script_value() : script_value(std::fmod(x, y)));
}

void increment(action_context& c) {
  c.stack.ensure(1);
  c.stack.top(0).set_double(c.stack.top(0).to_number() + 1.0);
}

void decrement(action_context& c) {
  c.stack.ensure(1);
  c.stack.top(0).set_double(c.stack.top(0).to_number() - 1.0);
}

void to_integer(action_context& c) {
  c.stack.ensure(1);
  c.stack.top(0).set_int(script_text::to_int32(std::floor(c.stack.top(0).to_number())));
}

void to_number(action_context& c) {
  c.stack.ensure(1);
  c.stack.top(0).set_double(c.stack.top(0).to_number());
}

void random_number(action_context& c) {
  c.stack.ensure(1);
  int max = to_int(c.stack.top(0));
  if (max < 1) max = 1;
  c.stack.top(0).set_double(get_random_generator().next_random() % static_cast<uint32_t>(max));
}

// ---- comparisons and logic ---------------------------------------------------------------

// Replaces the two operands with the result.
void set_result(action_context& c, bool result) {
  c.stack.top(1).set_bool(result);
  c.stack.drop(1);
}

// Equals and Equals2.
void equals(action_context& c) {
  c.stack.ensure(2);
  set_result(c, c.stack.top(1).equals(c.stack.top(0)));
}

void strict_equals(action_context& c) {
  c.stack.ensure(2);
  set_result(c, c.stack.top(1).get_type() == c.stack.top(0).get_type() && c.stack.top(1).equals(c.stack.top(0)));
}

void less(action_context& c) {
  c.stack.ensure(2);
  set_result(c, c.stack.top(1).to_number() < c.stack.top(0).to_number());
}

// Less2 and Greater compare texts when the left operand is one, numbers otherwise.
void less2_or_greater(action_context& c) {
  c.stack.ensure(2);
  const script_value left = c.stack.top(1);
  const script_value right = c.stack.top(0);
  const bool is_less = c.action_id == 0x48;
  bool result;
  if (left.get_type() == script_value::STRING) {
    const string& r = right.to_string();
    result = is_less ? script_text::less_bytes(left.to_string(), r.c_str())
                     : script_text::greater_bytes(left.to_string(), r.c_str());
  } else {
    result = is_less ? left.to_number() < right.to_number() : left.to_number() > right.to_number();
  }
  set_result(c, result);
}

// And and Or.
void logic(action_context& c) {
  c.stack.ensure(2);
  bool a = c.stack.top(1).to_bool();
  bool b = c.stack.top(0).to_bool();
  set_result(c, c.action_id == 0x10 ? (a && b) : (a || b));
}

void logical_not(action_context& c) {
  c.stack.ensure(1);
  c.stack.top(0).set_bool(!c.stack.top(0).to_bool());
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

void type_of(action_context& c) {
  c.stack.ensure(1);
  if (const char* name = type_name(c.stack.top(0))) {
    c.stack.top(0).set_string(name);
  } else {
    log_error("typeof unknown type: %02X\n", static_cast<int>(c.stack.top(0).get_type()));
  }
}

}  // namespace

void add_stack_actions(action_table& t) {
  t[0x96] = push;
  t[0x88] = constant_pool;
  t[0x17] = pop;
  t[0x4C] = push_duplicate;
  t[0x4D] = stack_swap;
  t[0x87] = store_register;
  for (int id : {0x0A, 0x0B, 0x0C, 0x0D, 0x60, 0x61, 0x62, 0x63, 0x64, 0x65}) t[id] = binary_number_op;
  t[0x47] = add2;
  t[0x3F] = modulo;
  t[0x50] = increment;
  t[0x51] = decrement;
  t[0x18] = to_integer;
  t[0x4A] = to_number;
  t[0x30] = random_number;
  t[0x0E] = equals;
  t[0x49] = equals;
  t[0x66] = strict_equals;
  t[0x0F] = less;
  t[0x48] = less2_or_greater;
  t[0x67] = less2_or_greater;
  t[0x10] = logic;
  t[0x11] = logic;
  t[0x12] = logical_not;
  t[0x44] = type_of;
}

}  // namespace swf::actions
