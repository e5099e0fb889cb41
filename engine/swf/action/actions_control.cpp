// Control flow: the end of a block, Return, branches, the frame actions a script calls,
// and the timeline of the target (frames, play and stop).

#include "engine/swf/action/action_context.h"
#include "engine/swf/base/log.h"
#include "engine/swf/movie/character.h"

namespace swf::actions {

namespace {

// ---- the run -----------------------------------------------------------------------------

// Ends the run at once; the current target stays as it is.
void end(action_context& c) { c.ended = true; }

void do_return(action_context& c) {
  c.stack.ensure(1);
  if (c.retval) *c.retval = c.stack.top(0);
  c.stack.drop(1);
  c.next_pc = c.stop_pc;
}

// Jump, and If when its condition holds: a branch may land anywhere in the range or at
// its end; anywhere else (before the range included) ends it.
void branch(action_context& c) {
  int raw_offset = 0;
  int pos = c.payload;
  if (!read_u16(c.bytes(), &pos, c.record_end, &raw_offset)) return;
  const int offset = static_cast<int16_t>(static_cast<uint16_t>(raw_offset));
  if (c.action_id == 0x9D && !c.stack.pop().to_bool()) return;
  const int destination = c.next_pc + offset;
  if (destination < c.start_pc || destination > c.stop_pc) {
    log_error("branch to offset %d -- this section only runs to %d\n", destination, c.stop_pc);
    c.next_pc = c.stop_pc;
  } else {
    c.next_pc = destination;
  }
}

// Runs the actions of the target's frame named or numbered by top(0).
void call(action_context& c) {
  c.stack.ensure(1);
  script_value frame = c.stack.top(0);
  c.stack.drop(1);
  if (c.target) {
    smart_ptr<character> keep(c.target);
    c.target->call_frame_actions(frame);
  }
}

// Every frame counts as loaded, so nothing is skipped.
void wait_for_frame2(action_context& c) { c.stack.drop(1); }

// Actions this player knows and does not carry out.
void not_implemented(action_context& c) { log_error("todo opcode: %02X\n", c.action_id); }

// ---- the timeline ------------------------------------------------------------------------

void next_frame(action_context& c) {
  if (c.target) c.target->goto_frame(c.target->get_current_frame() + 1);
}

void previous_frame(action_context& c) {
  if (c.target) c.target->goto_frame(c.target->get_current_frame() - 1);
}

void play(action_context& c) {
  if (c.target) c.target->set_play_state(movie_interface::PLAY);
}

void stop(action_context& c) {
  if (c.target) c.target->set_play_state(movie_interface::STOP);
}

// The 0-based frame of the payload; the play state stays.
void goto_frame(action_context& c) {
  int frame = 0;
  int pos = c.payload;
  if (c.target && read_u16(c.bytes(), &pos, c.record_end, &frame)) c.target->goto_frame(frame);
}

void goto_label(action_context& c) {
  string label;
  int pos = c.payload;
  if (c.target && read_string(c.bytes(), &pos, c.record_end, &label)) c.target->goto_labeled_frame(label.c_str());
}

// A label, or a number (as text or not) taken as the 0-based frame; after a successful
// go-to the target plays or stops as the record's flag says.
void goto_frame2(action_context& c) {
  const bool play = c.payload < c.record_end && c.bytes()[c.payload] != 0;
  c.stack.ensure(1);
  script_value frame = c.stack.top(0);
  c.stack.drop(1);
  character* target = c.target;
  if (!target) return;
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
}

}  // namespace

void add_control_actions(action_table& t) {
  t[0x00] = end;
  t[0x3E] = do_return;
  t[0x99] = branch;
  t[0x9D] = branch;
  t[0x9E] = call;
  t[0x8D] = wait_for_frame2;
  for (int id : {0x2A, 0x2B, 0x2C, 0x31, 0x35, 0x37, 0x3A, 0x43, 0x45, 0x53, 0x54, 0x55, 0x69}) t[id] = not_implemented;
  t[0x04] = next_frame;
  t[0x05] = previous_frame;
  t[0x06] = play;
  t[0x07] = stop;
  t[0x81] = goto_frame;
  t[0x8C] = goto_label;
  t[0x9F] = goto_frame2;
}

}  // namespace swf::actions
