// Actions on variables and properties: reading and writing variables and locals, the
// numbered properties of characters, the target that code acts on and the scopes of With
// blocks.

#include "engine/swf/action/action_context.h"
#include "engine/swf/base/log.h"
#include "engine/swf/movie/character.h"

namespace swf::actions {

namespace {

void get_variable(action_context& c) {
  script_value name = c.stack.pop();
  c.stack.push(c.env->get_variable(name.to_string(), c.with_stack));
}

void set_variable(action_context& c) {
  c.stack.ensure(2);
  c.env->set_variable(c.stack.top(1).to_string(), c.stack.top(0), c.with_stack);
  c.stack.drop(2);
}

void define_local(action_context& c) {
  script_value value = c.stack.pop();
  script_value name = c.stack.pop();
  c.env->set_local(name.to_string(), value);
}

void define_local2(action_context& c) {
  c.stack.ensure(1);
  c.env->declare_local(c.stack.top(0).to_string());
  c.stack.drop(1);
}

// Looks the variable up and deletes nothing; the value stays on the stack.
void delete2(action_context& c) {
  c.stack.ensure(1);
  c.env->get_variable(c.stack.top(0).to_string(), c.with_stack);
  log_error("todo opcode: %02X\n", c.action_id);
}

void get_property(action_context& c) {
  c.stack.ensure(2);
  character* ch = c.env->find_target(c.stack.top(1));
  script_value value;
  if (ch) value = c.env->get_property(ch, to_int(c.stack.top(0)));
  c.stack.top(1) = value;
  c.stack.drop(1);
}

void set_property(action_context& c) {
  c.stack.ensure(3);
  if (character* ch = c.env->find_target(c.stack.top(2))) {
    smart_ptr<character> keep(ch);
    c.env->set_property(ch, to_int(c.stack.top(1)), c.stack.top(0));
  }
  c.stack.drop(3);
}

// An empty name makes the starting target current again; any other name leaves it.
void set_target(action_context& c) {
  string name;
  int pos = c.payload;
  if (read_string(c.bytes(), &pos, c.record_end, &name) && name.empty()) c.env->set_target(c.original_target);
}

void set_target2(action_context& c) {
  script_value target_value = c.stack.pop();
  // A value that names no character keeps the current target.
  if (character* found = c.env->find_target(target_value)) c.env->set_target(found);
}

// Opens a scope that lasts the block size after the record; a ninth nested one is not
// opened, though its block runs.
void with(action_context& c) {
  int block_size = 0;
  int pos = c.payload;
  read_u16(c.bytes(), &pos, c.record_end, &block_size);
  c.stack.ensure(1);
  if (c.with_stack.size() < 8) {
    script_object* object = c.stack.top(0).to_object();
    c.with_stack.push_back(with_stack_entry(object, c.next_pc + block_size));
  }
  c.stack.drop(1);
}

}  // namespace

void add_variable_actions(action_table& t) {
  t[0x1C] = get_variable;
  t[0x1D] = set_variable;
  t[0x3C] = define_local;
  t[0x41] = define_local2;
  t[0x3B] = delete2;
  t[0x22] = get_property;
  t[0x23] = set_property;
  t[0x8B] = set_target;
  t[0x20] = set_target2;
  t[0x94] = with;
}

}  // namespace swf::actions
