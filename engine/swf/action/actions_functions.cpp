// Script functions: defining them (DefineFunction and DefineFunction2), calling them by
// name or as methods, and running a function's body with its arguments, locals and
// registers; also the calls the player's natives and the host make.

#include <cstdarg>
#include <vector>

#include "engine/swf/action/action_context.h"
#include "engine/swf/action/builtins.h"
#include "engine/swf/base/log.h"
#include "engine/swf/movie/character.h"

namespace swf {

namespace actions {

namespace {

// A function record: its name, its parameters (with their registers for DefineFunction2)
// and the length of the body that follows the record.
void define_function(action_context& c) {
  const uint8_t* bytes = c.bytes();
  const int end = c.record_end;
  const bool is_function2 = c.action_id == 0x8E;
  int pos = c.payload;
  string name;
  int arg_count = 0;
  int register_count = 0;
  int flags = 0;
  bool ok = read_string(bytes, &pos, end, &name) && read_u16(bytes, &pos, end, &arg_count);
  if (ok && is_function2) {
    ok = pos + 3 <= end;
    if (ok) {
      register_count = bytes[pos];
      flags = bytes[pos + 1] | (bytes[pos + 2] << 8);
      pos += 3;
    }
  }
  array<as_function::arg_spec> args;
  // Each parameter past the first counts as one action: a record can list thousands of
  // them.
  for (int i = 0; ok && i < arg_count; ++i) {
    if (i > 0 && !spend_action()) break;
    as_function::arg_spec spec;
    if (is_function2) {
      ok = pos < end;
      if (!ok) break;
      spec.m_register = bytes[pos++];
    }
    ok = read_string(bytes, &pos, end, &spec.m_name);
    if (ok) args.push_back(spec);
  }
  if (action_budget_exhausted()) return;
  int body_length = 0;
  if (ok) ok = read_u16(bytes, &pos, end, &body_length);
  if (!ok) {
    log_error("error: function record at %d is cut short\n", c.pc);
    return;
  }
  // The body lies inside the running range.
  int body_start = c.next_pc;
  if (body_start > c.stop_pc) body_start = c.stop_pc;
  if (body_length > c.stop_pc - body_start) body_length = c.stop_pc - body_start;
  script_value value;
  if (may_create_script_object()) {
    auto* function = new as_function(&c.buffer, c.env, body_start, c.with_stack);
    function->m_length = body_length;
    function->m_args = args;
    function->m_is_function2 = is_function2;
    function->m_local_register_count = static_cast<uint8_t>(register_count);
    function->m_function2_flags = static_cast<uint16_t>(flags);
    function->update_held_bytes();
    value.set_as_function(function);
  }
  if (!name.empty()) c.env->set_member(name, value);
  c.stack.push(value);
  c.next_pc = body_start + body_length;
}

// A function given by value or by name (top(0)), with the count of arguments below it.
void call_function(action_context& c) {
  script_environment* env = c.env;
  c.stack.ensure(2);
  script_value function = c.stack.top(0);
  if (function.get_type() == script_value::STRING) {
    string name = function.to_string();
    function = env->get_variable(name, c.with_stack);
    if (!is_function(function)) log_error("error in call_function: '%s' is not a function\n", name.c_str());
  }
  int nargs = c.stack.clamp_count(to_int(c.stack.top(1)), 2);
  int size = env->stack_size();
  script_value result = call_method(function, env, nullptr, nargs, env->get_top_index() - 2);
  c.stack.cut_to(size);
  c.stack.drop(nargs + 2);
  c.stack.push(result);
}

// The method top(0) of the object top(1) (or of a text, the String object or a number),
// with the count of arguments top(2) below them.
void call_method_action(action_context& c) {
  script_environment* env = c.env;
  c.stack.ensure(3);
  string method_name = c.stack.top(0).to_string();
  script_value object_value = c.stack.top(1);
  int nargs = c.stack.clamp_count(to_int(c.stack.top(2)), 3);
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
  c.stack.cut_to(size);
  c.stack.drop(nargs + 3);
  c.stack.push(result);
}

}  // namespace

void add_function_actions(action_table& t) {
  t[0x9B] = define_function;
  t[0x8E] = define_function;
  t[0x3D] = call_function;
  t[0x52] = call_method_action;
}

}  // namespace actions

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
  // The call holds what it works on until it returns: the environment's owner (a body
  // that removes the clip it was defined in goes on in that clip's environment) and its
  // this object.
  const smart_ptr<character> owner(env->get_owner());
  const smart_ptr<script_object> this_object(call.this_ptr);
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
