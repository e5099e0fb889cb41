#include "engine/swf/movie/button.h"

#include "engine/swf/action/action_buffer.h"
#include "engine/swf/action/environment.h"
#include "engine/swf/base/log.h"
#include "engine/swf/base/stream.h"
#include "engine/swf/movie/movie_root.h"
#include "engine/swf/movie/sprite_instance.h"
#include "engine/swf/sound/sound_handler.h"

namespace swf {

// ---- reading ---------------------------------------------------------------------------

bool button_record::read(stream* in, int tag_type, movie_definition_sub* m) {
  int flags = in->read_u8();
  if (flags == 0 || in->has_error()) return false;
  m_hit_test = (flags & 8) != 0;
  m_down = (flags & 4) != 0;
  m_over = (flags & 2) != 0;
  m_up = (flags & 1) != 0;
  m_character_id = in->read_u16();
  m_button_layer = in->read_u16();
  m_button_matrix.read(in);
  if (tag_type == 34) m_button_cxform.read_rgba(in);
  return !in->has_error();
}

void button_action::read(stream* in, int tag_type) {
  if (tag_type == 7) {
    m_conditions = OVER_DOWN_TO_OVER_UP;
  } else {
    m_conditions = in->read_u16();
  }
  auto buffer = std::make_shared<action_buffer>();
  buffer->read(in);
  m_actions.push_back(buffer);
}

void button_sound_info::read(stream* in) {
  in->align();
  in->read_uint(2);  // reserved
  m_stop_playback = in->read_uint(1) != 0;
  m_no_multiple = in->read_uint(1) != 0;
  m_has_envelope = in->read_uint(1) != 0;
  m_has_loops = in->read_uint(1) != 0;
  m_has_out_point = in->read_uint(1) != 0;
  m_has_in_point = in->read_uint(1) != 0;
  if (m_has_in_point) m_in_point = in->read_u32();
  if (m_has_out_point) m_out_point = in->read_u32();
  if (m_has_loops) m_loop_count = in->read_u16();
  if (m_has_envelope) {
    int count = in->read_u8();
    for (int i = 0; i < count && !in->has_error(); ++i) {
      envelope e;
      e.m_mark44 = in->read_u32();
      e.m_level0 = in->read_u16();
      e.m_level1 = in->read_u16();
      m_envelopes.push_back(e);
    }
  } else {
    m_envelopes.clear();
  }
}

button_character_definition::button_character_definition() = default;

button_character_definition::~button_character_definition() = default;

void button_character_definition::read(stream* in, int tag_type, movie_definition_sub* m) {
  m_movie = m;
  if (tag_type == 7) {
    for (;;) {
      button_record r;
      if (!r.read(in, tag_type, m)) break;
      m_button_records.push_back(r);
    }
    button_action action;
    action.read(in, tag_type);
    m_button_actions.push_back(action);
  } else if (tag_type == 17) {
    m_sound = std::make_unique<button_sound>();
    for (button_sound::entry& e : m_sound->m_button_sounds) {
      e.m_sound_id = in->read_u16();
      if (in->has_error()) {
        e.m_sound_id = 0;
        break;
      }
      if (e.m_sound_id != 0) {
        e.m_sam = m->get_sound_sample(e.m_sound_id);
        if (!e.m_sam) log_error("sound tag not found, sound_id=%d, button state #=%d\n", e.m_sound_id, 0);
        e.m_sound_style.read(in);
      }
    }
  } else if (tag_type == 34) {
    m_menu = in->read_u8() != 0;
    int offset_position = in->get_position();
    int button_2_action_offset = in->read_u16();
    int next_action_pos = offset_position + button_2_action_offset;
    for (;;) {
      button_record r;
      if (!r.read(in, tag_type, m)) break;
      m_button_records.push_back(r);
    }
    if (button_2_action_offset > 0 && !in->has_error()) {
      int tag_end = in->get_tag_end_position();
      while (next_action_pos < tag_end) {
        in->set_position(next_action_pos);
        if (in->has_error()) break;
        int field_position = in->get_position();
        int next_action_offset = in->read_u16();
        next_action_pos = field_position + next_action_offset;
        button_action action;
        action.read(in, tag_type);
        m_button_actions.push_back(action);
        if (next_action_offset == 0 || in->has_error() || in->get_position() >= tag_end) break;
      }
    }
  }
}

void button_loader(stream* in, int tag_type, movie_definition_sub* m) {
  int character_id = in->read_u16();
  if (tag_type == 17) {
    // Only a button defined before takes sounds; another kind of character is left alone.
    button_character_definition* button =
        dynamic_cast<button_character_definition*>(m->get_character_def(character_id));
    if (!button) {
      log_error("error: DefineButtonSound for character %d, which is no button; skipped\n", character_id);
      return;
    }
    button->read(in, tag_type, m);
    return;
  }
  smart_ptr<button_character_definition> ch(new button_character_definition);
  ch->read(in, tag_type, m);
  m->add_character(character_id, ch.get_ptr());
}

character* button_character_definition::create_character_instance(character* parent, int id) {
  return new button_character_instance(this, parent, id);
}

// ---- instances -------------------------------------------------------------------------

button_character_instance::button_character_instance(button_character_definition* def, character* parent, int id)
    : character(parent, id), m_def(def) {
  int count = def->m_button_records.size();
  m_record_character.resize(count);
  for (int i = 0; i < count; ++i) {
    button_record& rec = def->m_button_records[i];
    if (!rec.m_character_def && def->m_movie) rec.m_character_def = def->m_movie->get_character_def(rec.m_character_id);
    if (!rec.m_character_def) continue;
    // A button that shows itself, or a sprite that holds it, stops at the nesting bound.
    if (!may_create_instance(this, rec.m_character_id)) continue;
    smart_ptr<character> ch(rec.m_character_def->create_character_instance(this, rec.m_character_id));
    if (!ch) continue;
    ch->set_matrix(rec.m_button_matrix);
    ch->set_cxform(rec.m_button_cxform);
    ch->restart();
    m_record_character[i] = ch;
  }
}

button_character_instance::~button_character_instance() = default;

movie_root* button_character_instance::get_root() { return get_parent() ? get_parent()->get_root() : nullptr; }

float button_character_instance::get_pixel_scale() const {
  return get_parent() ? get_parent()->get_pixel_scale() : 1.0f;
}

bool button_character_instance::get_bound(rect* bound) const {
  bool found = false;
  for (int i = 0; i < m_def->m_button_records.size() && i < m_record_character.size(); ++i) {
    const character* ch = m_record_character[i].get_ptr();
    rect record;
    if (ch && record_in_state(m_def->m_button_records[i]) && ch->get_bound_in_parent(&record)) {
      include_in_bound(record, bound, &found);
    }
  }
  return found;
}

bool button_character_instance::record_in_state(const button_record& rec) const {
  switch (m_mouse_state) {
    case UP: return rec.m_up;
    case DOWN: return rec.m_down;
    case OVER: return rec.m_over;
  }
  return false;
}

void button_character_instance::restart() {
  m_last_mouse_flags = 0;
  m_mouse_flags = 0;
  m_mouse_state = UP;
  for (int i = 0; i < m_record_character.size(); ++i) {
    if (m_record_character[i]) m_record_character[i]->restart();
  }
}

void button_character_instance::advance(float delta_seconds) {
  smart_ptr<button_character_instance> keep(this);
  do_drag_step(this);
  for (int i = 0; i < m_def->m_button_records.size() && i < m_record_character.size(); ++i) {
    character* ch = m_record_character[i].get_ptr();
    if (ch && record_in_state(m_def->m_button_records[i])) ch->advance(delta_seconds);
  }
}

void button_character_instance::display() {
  for (int i = 0; i < m_def->m_button_records.size() && i < m_record_character.size(); ++i) {
    character* ch = m_record_character[i].get_ptr();
    if (ch && record_in_state(m_def->m_button_records[i])) ch->display();
  }
  do_display_callback();
}

character* button_character_instance::get_topmost_mouse_entity(float x, float y) {
  if (!get_visible()) return nullptr;
  point p;
  get_matrix().transform_by_inverse(&p, point(x, y));
  for (const button_record& rec : m_def->m_button_records) {
    // A record whose character is unknown has no area to hit.
    if (!rec.m_hit_test || rec.m_character_id < 0 || !rec.m_character_def) continue;
    point sub;
    rec.m_button_matrix.transform_by_inverse(&sub, p);
    if (rec.m_character_def->point_test_local(sub.m_x, sub.m_y)) return this;
  }
  return nullptr;
}

void button_character_instance::on_button_event(const clip_event& event) {
  smart_ptr<button_character_instance> keep(this);
  switch (event.m_id) {
    case clip_event::PRESS:
    case clip_event::DRAG_OVER:
      m_mouse_state = DOWN;
      break;
    case clip_event::RELEASE:
    case clip_event::ROLL_OVER:
    case clip_event::DRAG_OUT:
      m_mouse_state = OVER;
      break;
    case clip_event::RELEASE_OUTSIDE:
    case clip_event::ROLL_OUT:
      m_mouse_state = UP;
      break;
    default:
      break;
  }

  sound_handler* sound = get_sound_handler();
  if (m_def->m_sound && sound) {
    int bi = -1;
    switch (event.m_id) {
      case clip_event::ROLL_OUT: bi = 0; break;
      case clip_event::ROLL_OVER: bi = 1; break;
      case clip_event::PRESS: bi = 2; break;
      case clip_event::RELEASE: bi = 3; break;
      default: break;
    }
    if (bi >= 0) {
      const button_sound::entry& bs = m_def->m_sound->m_button_sounds[bi];
      // An entry whose sample is missing plays nothing.
      if (bs.m_sound_id != 0 && bs.m_sam) {
        if (bs.m_sound_style.m_stop_playback) {
          sound->stop_sound(bs.m_sam->get_sound_handler_id());
        } else {
          sound->play_sound(bs.m_sam->get_sound_handler_id(), bs.m_sound_style.m_loop_count);
        }
      }
    }
  }

  uint32_t c = 0;
  switch (event.m_id) {
    case clip_event::ROLL_OVER: c = button_action::IDLE_TO_OVER_UP; break;
    case clip_event::ROLL_OUT: c = button_action::OVER_UP_TO_IDLE; break;
    case clip_event::PRESS: c = button_action::OVER_UP_TO_OVER_DOWN; break;
    case clip_event::RELEASE: c = button_action::OVER_DOWN_TO_OVER_UP; break;
    case clip_event::DRAG_OUT: c = button_action::OVER_DOWN_TO_OUT_DOWN; break;
    case clip_event::DRAG_OVER: c = button_action::OUT_DOWN_TO_OVER_DOWN; break;
    case clip_event::RELEASE_OUTSIDE: c = button_action::OUT_DOWN_TO_IDLE; break;
    default: break;
  }

  if (c == button_action::IDLE_TO_OVER_UP && m_mouse_state == OVER) {
    for (int i = 0; i < m_def->m_button_records.size() && i < m_record_character.size(); ++i) {
      if (m_record_character[i] && m_def->m_button_records[i].m_over) m_record_character[i]->restart();
    }
  }

  character* parent = get_parent();
  if (!parent || c == 0) return;
  for (const button_action& action : m_def->m_button_actions) {
    if (!(action.m_conditions & c)) continue;
    for (const std::shared_ptr<action_buffer>& buffer : action.m_actions) parent->add_action_buffer(buffer.get());
  }
}

bool button_character_instance::get_member(const string& name, script_value* value) {
  switch (get_standard_member(name)) {
    case M_X: value->set_double(get_matrix().m_[0][2] * 0.05); return true;
    case M_Y: value->set_double(get_matrix().m_[1][2] * 0.05); return true;
    case M_ALPHA: value->set_double(get_cxform().m_[3][0] * 100.0); return true;
    case M_VISIBLE: value->set_bool(get_visible()); return true;
    case M_WIDTH:
    case M_HEIGHT: {
      bool width = get_standard_member(name) == M_WIDTH;
      for (int i = 0; i < m_def->m_button_records.size() && i < m_record_character.size(); ++i) {
        character* ch = m_record_character[i].get_ptr();
        if (ch && record_in_state(m_def->m_button_records[i])) {
          value->set_double((width ? ch->get_width() : ch->get_height()) * 0.05);
          return true;
        }
      }
      value->set_double(0.0);
      return true;
    }
    default:
      return false;
  }
}

void button_character_instance::set_member(const string& name, const script_value& value) {
  matrix m = get_matrix();
  switch (get_standard_member(name)) {
    case M_X:
      m.m_[0][2] = static_cast<float>(value.to_number() * 20.0);
      set_matrix(m);
      return;
    case M_Y:
      m.m_[1][2] = static_cast<float>(value.to_number() * 20.0);
      set_matrix(m);
      return;
    case M_ALPHA: {
      cxform cx = get_cxform();
      cx.m_[3][0] = static_cast<float>(value.to_number() * 0.01);
      set_cxform(cx);
      return;
    }
    case M_VISIBLE:
      set_visible(value.to_bool());
      return;
    default:
      log_error("error: button_character_instance::set_member('%s', '%s') not implemented yet\n", name.c_str(),
                value.to_string().c_str());
      return;
  }
}

// ---- the mouse state machine -----------------------------------------------------------

void generate_mouse_button_events(mouse_button_state* ms) {
  smart_ptr<character> active_entity = ms->m_active_entity.get_ptr();
  smart_ptr<character> topmost_entity = ms->m_topmost_entity.get_ptr();
  auto send = [&](uint8_t id) {
    if (active_entity) active_entity->on_button_event(clip_event(id));
  };

  if (ms->m_mouse_button_state_last) {
    if ((!active_entity || active_entity->get_track_as_menu()) && topmost_entity &&
        topmost_entity != active_entity && topmost_entity->get_track_as_menu()) {
      active_entity = topmost_entity;
      send(clip_event::DRAG_OVER);
      ms->m_mouse_inside_entity_last = true;
    }
    if (!ms->m_mouse_inside_entity_last) {
      if (topmost_entity == active_entity) {
        send(clip_event::DRAG_OVER);
        ms->m_mouse_inside_entity_last = true;
      }
    } else if (topmost_entity != active_entity) {
      send(clip_event::DRAG_OUT);
      ms->m_mouse_inside_entity_last = false;
    }
    if (!ms->m_mouse_button_state_current) {
      ms->m_mouse_button_state_last = false;
      if (active_entity) {
        if (ms->m_mouse_inside_entity_last) {
          send(clip_event::RELEASE);
        } else if (!active_entity->get_track_as_menu()) {
          send(clip_event::RELEASE_OUTSIDE);
        }
      }
    }
  }

  if (!ms->m_mouse_button_state_last) {
    if (topmost_entity != active_entity) {
      send(clip_event::ROLL_OUT);
      active_entity = topmost_entity;
      send(clip_event::ROLL_OVER);
      ms->m_mouse_inside_entity_last = true;
    }
    if (ms->m_mouse_button_state_current) {
      send(clip_event::PRESS);
      ms->m_mouse_inside_entity_last = true;
      ms->m_mouse_button_state_last = true;
    }
  }

  ms->m_active_entity = active_entity.get_ptr();
  ms->m_topmost_entity = topmost_entity.get_ptr();
}

}  // namespace swf
