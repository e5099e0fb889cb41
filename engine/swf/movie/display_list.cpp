#include "engine/swf/movie/display_list.h"

#include <vector>

#include "engine/swf/action/action_buffer.h"
#include "engine/swf/action/script_value.h"
#include "engine/swf/base/log.h"
#include "engine/swf/render/render_handler.h"

namespace swf {

int display_list::find_display_index(int depth) const {
  int size = m_entries.size();
  if (size == 0) return 0;
  int index = size >> 1;
  int jump = size >> 1;
  for (;;) {
    jump >>= 1;
    if (jump < 1) jump = 1;
    int index_depth = m_entries[index].m_character->get_depth();
    if (depth == index_depth) {
      while (index > 0 && m_entries[index - 1].m_character->get_depth() == depth) --index;
      return index;
    }
    if (depth < index_depth) {
      if (index == 0 || m_entries[index - 1].m_character->get_depth() < depth) return index;
      index -= jump;
    } else {
      if (index >= size - 1) return size;
      index += jump;
    }
  }
}

character* display_list::get_character_at_depth(int depth) const {
  int index = find_display_index(depth);
  if (index >= m_entries.size()) return nullptr;
  character* ch = m_entries[index].m_character.get_ptr();
  return ch->get_depth() == depth ? ch : nullptr;
}

// A search by name walks the list: each entry compared counts against the frame's budget,
// so a script that looks names up in a clip of many children in a loop ends with it.
character* display_list::get_character_by_name(const string& name) const {
  for (int i = 0; i < m_entries.size(); ++i) {
    if (m_entries[i].m_character->get_name() == name) {
      charge_entries_visited(i + 1);
      return m_entries[i].m_character.get_ptr();
    }
  }
  charge_entries_visited(m_entries.size());
  return nullptr;
}

character* display_list::get_character_by_name_i(const string& name) const {
  for (int i = 0; i < m_entries.size(); ++i) {
    if (script_text::compare_nocase(m_entries[i].m_character->get_name().c_str(), name.c_str()) == 0) {
      charge_entries_visited(i + 1);
      return m_entries[i].m_character.get_ptr();
    }
  }
  charge_entries_visited(m_entries.size());
  return nullptr;
}

void display_list::add_display_object(character* ch, uint16_t depth, bool replace_if_depth_is_occupied,
                                      const cxform& color_xform, const matrix& mat, float ratio,
                                      uint16_t clip_depth) {
  smart_ptr<character> keep(ch);
  int index = find_display_index(depth);
  if (replace_if_depth_is_occupied && index < m_entries.size() &&
      m_entries[index].m_character->get_depth() == depth) {
    m_entries[index].m_character->mark_removed();
    m_entries.remove(index);
  }
  ch->set_depth(depth);
  ch->set_cxform(color_xform);
  ch->set_matrix(mat);
  ch->set_ratio(ratio);
  ch->set_clip_depth(clip_depth);

  entry e;
  e.m_ref = true;
  e.m_character = ch;
  m_entries.push_back(entry());
  for (int i = m_entries.size() - 1; i > index; --i) m_entries[i] = std::move(m_entries[i - 1]);
  m_entries[index] = std::move(e);

  ch->on_event_load();
}

void display_list::move_display_object(uint16_t depth, bool use_cxform, const cxform& color_xform, bool use_matrix,
                                       const matrix& mat, float ratio) {
  int size = m_entries.size();
  if (size <= 0) {
    log_error("error: move_display_object() -- no objects on display list\n");
    return;
  }
  int index = find_display_index(depth);
  if (index < 0 || index >= size) {
    log_error("error: move_display_object() -- can't find object at depth %d\n", depth);
    return;
  }
  entry& e = m_entries[index];
  character* ch = e.m_character.get_ptr();
  if (ch->get_depth() != depth) {
    log_error("error: move_display_object() -- no object at depth %d\n", depth);
    return;
  }
  e.m_ref = true;
  if (!ch->get_accept_anim_moves()) return;
  if (use_cxform) ch->set_cxform(color_xform);
  if (use_matrix) ch->set_matrix(mat);
  ch->set_ratio(ratio);
}

void display_list::replace_display_object(character* ch, uint16_t depth, bool use_cxform,
                                          const cxform& color_xform, bool use_matrix, const matrix& mat,
                                          float ratio, uint16_t clip_depth) {
  smart_ptr<character> keep(ch);
  int index = find_display_index(depth);
  if (index < 0 || index >= m_entries.size() || m_entries[index].m_character->get_depth() != depth) {
    add_display_object(ch, depth, true, color_xform, mat, ratio, clip_depth);
    return;
  }
  entry& e = m_entries[index];
  smart_ptr<character> old_ch = e.m_character;
  ch->set_depth(depth);
  ch->restart();
  // restart may have changed the list: find the entry again.
  index = find_display_index(depth);
  if (index >= m_entries.size() || m_entries[index].m_character != old_ch) return;
  m_entries[index].m_ref = true;
  m_entries[index].m_character = ch;
  old_ch->mark_removed();
  ch->set_cxform(use_cxform ? color_xform : old_ch->get_cxform());
  ch->set_matrix(use_matrix ? mat : old_ch->get_matrix());
  ch->set_ratio(ratio);
  ch->set_clip_depth(clip_depth);
}

void display_list::remove_display_object(uint16_t depth, int id) {
  int size = m_entries.size();
  if (size <= 0) {
    log_error("remove_display_object: no characters in display list\n");
    return;
  }
  int index = find_display_index(depth);
  if (index < 0 || index >= size || m_entries[index].m_character->get_depth() != depth) {
    log_error("remove_display_object: no character at depth %d\n", depth);
    return;
  }
  if (id == -1 || m_entries[index].m_character->get_id() == id) {
    m_entries[index].m_ref = false;
    return;
  }
  for (int i = index + 1; i < size && m_entries[i].m_character->get_depth() == depth; ++i) {
    if (m_entries[i].m_character->get_id() == id) {
      m_entries[i].m_ref = false;
      return;
    }
  }
  log_error("remove_display_object: no character at depth %d with id %d\n", depth, id);
}

void display_list::clear_refs() {
  for (entry& e : m_entries) e.m_ref = false;
}

void display_list::sweep() {
  for (int i = m_entries.size() - 1; i >= 0; --i) {
    if (i < m_entries.size() && !m_entries[i].m_ref) {
      m_entries[i].m_character->mark_removed();
      m_entries.remove(i);
    }
  }
}

void display_list::clear() {
  // The handlers may change the list: each character is held while it is told.
  std::vector<smart_ptr<character>> snapshot;
  for (const entry& e : m_entries) snapshot.push_back(e.m_character);
  for (const smart_ptr<character>& ch : snapshot) ch->on_event(clip_event(clip_event::UNLOAD));
  for (const entry& e : m_entries) e.m_character->mark_removed();
  m_entries.clear();
}

void display_list::advance(float delta_time) {
  int n = m_entries.size();
  for (int i = 0; i < n; ++i) {
    if (m_entries.size() != n) {
      log_error("swf bug: dlist size changed due to character actions, bailing on update!\n");
      break;
    }
    if (!m_entries[i].m_ref) continue;
    // The character stays alive while it advances, even when its actions replace or
    // remove it from this list.
    smart_ptr<character> ch = m_entries[i].m_character;
    ch->advance(delta_time);
  }
}

void display_list::display() {
  bool masked = false;
  int highest_masked_layer = 0;
  // Held for the walk: a display callback may change the list.
  std::vector<smart_ptr<character>> snapshot;
  for (const entry& e : m_entries) snapshot.push_back(e.m_character);
  for (const smart_ptr<character>& ch : snapshot) {
    if (!ch->get_visible()) continue;
    if (masked && ch->get_depth() > highest_masked_layer) {
      masked = false;
      render::disable_mask();
    }
    if (ch->get_clip_depth() > 0) render::begin_mask();
    ch->display();
    if (ch->get_clip_depth() > 0) {
      render::end_mask();
      highest_masked_layer = ch->get_clip_depth();
      masked = true;
    }
  }
  if (masked) render::disable_mask();
}

}  // namespace swf
