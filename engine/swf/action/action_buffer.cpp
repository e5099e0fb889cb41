#include "engine/swf/action/action_buffer.h"

#include "engine/swf/base/stream.h"

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
