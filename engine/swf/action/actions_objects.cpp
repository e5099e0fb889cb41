// Actions on objects: making them (by constructor or as an array literal), reading and
// writing their members, and listing their member names.

#include <vector>

#include "engine/swf/action/action_context.h"
#include "engine/swf/action/builtins.h"
#include "engine/swf/base/log.h"

namespace swf::actions {

namespace {

// new Name(arguments): a native constructor makes the object itself; a script function
// runs on a new object whose prototype is the function's.
void new_object(action_context& c) {
  script_environment* env = c.env;
  script_value class_name = c.stack.pop();
  int nargs = c.stack.clamp_count(to_int(c.stack.pop()), 0);
  script_value constructor = env->get_variable(class_name.to_string(), c.with_stack);
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
  c.stack.cut_to(size);
  c.stack.drop(nargs);
  c.stack.push(value);
}

// An array of the count of values below the count, the first on top.
void init_array(action_context& c) {
  int count = c.stack.clamp_count(to_int(c.stack.pop()), 0);
  std::vector<script_value> elements;
  elements.reserve(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i) elements.push_back(c.stack.pop());
  script_value value;
  if (as_array_object* made = make_array(elements.data(), count)) value.set_as_object(made);
  c.stack.push(value);
}

// Pushes null (the end marker), then the names of the object's enumerable members and
// of its prototype's.
void enumerate(action_context& c) {
  script_value name = c.stack.pop();
  script_value value = c.env->get_variable(name.to_string(), c.with_stack);
  script_object* object = value.to_object();
  if (!object) return;
  smart_ptr<script_object> keep(object);
  script_value end_marker;
  end_marker.set_null();
  c.stack.push(end_marker);
  // Each member touched counts as one action, listed or not (hidden, or refused by a full
  // stack): a long member list costs its length, and the names stop with the budget.
  operand_stack& stack = c.stack;
  auto push_names = [&stack](const script_object* o) {
    o->get_members().for_each([&stack](const string& key, const script_member& member) {
      if (spend_action() && !(member.m_flags & script_member::DONT_ENUM)) stack.push(script_value(key));
    });
  };
  push_names(object);
  if (script_object* proto = object->get_prototype()) push_names(proto);
}

// A text's "length" is its count of characters; any other member of a value that is no
// object is undefined.
void get_member(action_context& c) {
  c.stack.ensure(2);
  script_value object_value = c.stack.top(1);
  string name = c.stack.top(0).to_string();
  script_object* object = object_value.to_object();
  if (!object && object_value.get_type() == script_value::STRING && script_text::equal_nocase(name, "length")) {
    c.stack.top(1).set_int(c.vstring(object_value).utf8_length());
  } else {
    script_value member;
    if (object) object->get_member(name, &member);
    charge_text_copy(member);
    c.stack.top(1) = member;
  }
  c.stack.drop(1);
}

void set_member(action_context& c) {
  c.stack.ensure(3);
  script_value object_value = c.stack.top(2);
  if (script_object* object = object_value.to_object()) {
    object->set_member(c.stack.top(1).to_string(), c.stack.top(0));
  }
  c.stack.drop(3);
}

}  // namespace

void add_object_actions(action_table& t) {
  t[0x40] = new_object;
  t[0x42] = init_array;
  t[0x46] = enumerate;
  t[0x4E] = get_member;
  t[0x4F] = set_member;
}

}  // namespace swf::actions
