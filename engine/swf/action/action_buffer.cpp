#include "engine/swf/action/action_buffer.h"

#include "engine/swf/base/log.h"
#include "engine/swf/base/stream.h"
#include "engine/swf/movie/character.h"

namespace swf {

void action_buffer::read(stream* in) {
  for (;;) {
    uint8_t action_id = in->read_u8();
    if (in->has_error()) action_id = 0;  // the block ends with its tag
    m_buffer.push_back(action_id);
    if (action_id == 0) break;
    if (action_id & 0x80) {
      int length = in->read_u16();
      m_buffer.push_back(static_cast<uint8_t>(length & 0xFF));
      m_buffer.push_back(static_cast<uint8_t>(length >> 8));
      for (int i = 0; i < length && !in->has_error(); ++i) m_buffer.push_back(in->read_u8());
    }
  }
}

void action_buffer::process_decl_dict(int start_pc, int stop_pc) const {
  if (m_decl_dict_processed_at == start_pc) return;
  if (m_decl_dict_processed_at != -1) {
    log_error("error: process_decl_dict(%d, %d): decl_dict was already processed at %d\n", start_pc, stop_pc,
              m_decl_dict_processed_at);
    return;
  }
  m_decl_dict_processed_at = start_pc;
  int length = get_length();
  if (stop_pc > length) stop_pc = length;
  // The count is read only when the record holds it.
  if (start_pc < 0 || start_pc + 5 > stop_pc) {
    m_dictionary.clear();
    log_error("error: action buffer dict length exceeded\n");
    return;
  }
  int count = m_buffer[start_pc + 3] | (m_buffer[start_pc + 4] << 8);
  m_dictionary.resize(count);
  int i = start_pc + 5;
  for (int ct = 0; ct < count; ++ct) {
    if (i >= stop_pc) {
      log_error("error: action buffer dict length exceeded\n");
      for (; ct < count; ++ct) m_dictionary[ct] = "<invalid>";
      return;
    }
    m_dictionary[ct] = reinterpret_cast<const char*>(&m_buffer[i]);
    // Each entry ends at its NUL, which must lie before the record's end.
    while (i < stop_pc && m_buffer[i] != 0) ++i;
    if (i >= stop_pc) {
      log_error("error: action buffer dict length exceeded\n");
      for (; ct < count; ++ct) m_dictionary[ct] = "<invalid>";
      return;
    }
    ++i;
  }
}

void do_action::execute(character* m) { m->add_action_buffer(&m_buf); }

void do_action_loader(stream* in, int tag_type, movie_definition_sub* m) {
  do_action* da = new do_action;
  da->read(in);
  m->add_execute_tag(da);
}

void do_init_action_loader(stream* in, int tag_type, movie_definition_sub* m) {
  int sprite_character_id = in->read_u16();
  do_action* da = new do_action;
  da->read(in);
  m->add_init_action(sprite_character_id, da);
}

}  // namespace swf
