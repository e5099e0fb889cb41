// Actions on movie clips and the host: cloning and removing clips, dragging, loading a
// movie into a clip or passing an fscommand to the host, tracing and the movie's clock.

#include <cmath>
#include <cstring>

#include "engine/swf/action/action_context.h"
#include "engine/swf/action/builtins.h"
#include "engine/swf/base/log.h"
#include "engine/swf/movie/character.h"

namespace swf::actions {

namespace {

void clone_sprite(action_context& c) {
  c.stack.ensure(3);
  if (c.target) {
    int depth_value = to_int(c.stack.top(0));
    c.target->clone_display_object(c.stack.top(2).to_string(), c.stack.top(1).to_string(),
                                   static_cast<uint16_t>(depth_value));
  }
  c.stack.drop(3);
}

void remove_sprite(action_context& c) {
  c.stack.ensure(1);
  if (c.target) {
    smart_ptr<character> keep(c.target);
    c.target->remove_display_object(c.stack.top(0).to_string());
  }
  c.stack.drop(1);
}

// The dragged clip (top(0)), whether its centre locks to the mouse, and the bounds when
// top(2) asks for them.
void start_drag(action_context& c) {
  c.stack.ensure(3);
  character* ch = c.env->find_target(c.stack.top(0));
  if (!ch) log_error("error: start_drag of invalid target '%s'.\n", c.stack.top(0).to_string().c_str());
  drag_state drag;
  drag.m_character = ch;
  drag.m_lock_center = c.stack.top(1).to_bool();
  drag.m_bound = c.stack.top(2).to_bool();
  if (drag.m_bound) {
    c.stack.ensure(7);
    drag.m_bound_x0 = static_cast<float>(c.stack.top(6).to_number());
    drag.m_bound_y0 = static_cast<float>(c.stack.top(5).to_number());
    drag.m_bound_x1 = static_cast<float>(c.stack.top(4).to_number());
    drag.m_bound_y1 = static_cast<float>(c.stack.top(3).to_number());
    c.stack.drop(4);
  }
  c.stack.drop(3);
  character* root = c.target ? c.target->get_root_movie() : nullptr;
  if (root && ch) root->set_drag_state(drag);
}

void end_drag(action_context& c) {
  if (!c.target) return;
  if (character* root = c.target->get_root_movie()) root->stop_drag();
}

// GetURL takes its texts from the record, GetURL2 from the stack. An "FSCommand:" url
// goes to the host; any other loads a movie into the clip the target names.
void get_url(action_context& c) {
  const bool from_record = c.action_id == 0x83;
  string url;
  string target_text;
  script_value target_value;
  if (from_record) {
    const uint8_t* bytes = c.bytes();
    int pos = c.payload;
    if (!read_string(bytes, &pos, c.record_end, &url) || !read_string(bytes, &pos, c.record_end, &target_text)) {
      log_error("error: get url record without its texts\n");
      return;
    }
  } else {
    c.stack.ensure(2);
    url = c.stack.top(1).to_string();
    target_value = c.stack.top(0);
    target_text = target_value.to_string();
  }
  if (std::strncmp(url.c_str(), "FSCommand:", 10) == 0) {
    if (fscommand_callback hook = get_fscommand_callback()) {
      movie_interface* root = c.target ? c.target->get_root_interface() : nullptr;
      hook(root, url.c_str() + 10, target_text.c_str());
    }
  } else {
    character* found = from_record ? c.env->find_target(target_text) : c.env->find_target(target_value);
    if (!found) {
      log_error(from_record ? "get url: target %s not found\n" : "get url2: target %s not found\n",
                target_text.c_str());
    } else {
      smart_ptr<character> keep(found);
      c.env->load_file(url.c_str(), script_value(static_cast<script_object*>(found)));
    }
  }
  if (!from_record) c.stack.drop(2);
}

void trace(action_context& c) {
  c.stack.ensure(1);
  script_value ignored;
  native_call call{&ignored, nullptr, c.env, 1, c.env->get_top_index()};
  global_trace(call);
  c.stack.drop(1);
}

// The movie's clock in whole milliseconds.
void get_time(action_context& c) {
  float seconds = c.target ? c.target->get_timer() : 0.0f;
  c.stack.push(script_value(std::floor(static_cast<double>(seconds * 1000.0f))));
}

}  // namespace

void add_clip_actions(action_table& t) {
  t[0x24] = clone_sprite;
  t[0x25] = remove_sprite;
  t[0x27] = start_drag;
  t[0x28] = end_drag;
  t[0x83] = get_url;
  t[0x9A] = get_url;
  t[0x26] = trace;
  t[0x34] = get_time;
}

}  // namespace swf::actions
