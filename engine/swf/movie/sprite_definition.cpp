#include "engine/swf/movie/sprite_definition.h"

#include "engine/swf/base/limits.h"
#include "engine/swf/base/log.h"
#include "engine/swf/base/stream.h"
#include "engine/swf/movie/bitmap_character.h"
#include "engine/swf/movie/sprite_instance.h"
#include "engine/swf/movie/tag_loaders.h"
#include "engine/swf/sound/sound_handler.h"
#include "engine/swf/text/font.h"

namespace swf {

sprite_definition::sprite_definition(movie_definition_sub* m) : m_movie_def(m) {}

sprite_definition::~sprite_definition() = default;

character* sprite_definition::create_character_instance(character* parent, int id) {
  return new sprite_instance(this, parent ? parent->get_root() : nullptr, parent, id);
}

void sprite_definition::read(stream* in) {
  int tag_end = in->get_tag_end_position();
  int declared = in->read_u16();
  // Every frame ends in a show-frame tag of two bytes: a sprite cannot hold more frames
  // than its tag has room for such tags, whatever it declares.
  int room = in->get_bytes_left() / 2;
  m_frame_count = declared < 1 ? 1 : declared;
  if (m_frame_count > room && m_frame_count > 1) {
    log_error("error: sprite declares %d frames but its tag holds at most %d; frame count cut\n", declared, room);
    m_frame_count = room < 1 ? 1 : room;
  }
  m_playlist.set_frame_count(m_frame_count);
  m_loading_frame = 0;
  while (in->get_position() < tag_end && !in->has_error()) {
    int tag_type = in->open_tag();
    load_tag(in, tag_type, this, &m_loading_frame);
    in->close_tag();
  }
}

const array<execute_tag*>* sprite_definition::get_playlist(int frame_number) const {
  return m_playlist.get(frame_number);
}

execute_tag* sprite_definition::find_previous_replace_or_add_tag(int frame, uint32_t depth_id) const {
  return m_playlist.find_previous_replace_or_add(frame, depth_id);
}

resource* sprite_definition::get_exported_resource(const string& symbol) {
  return m_movie_def->get_exported_resource(symbol);
}

character_def* sprite_definition::get_character_def(int id) { return m_movie_def->get_character_def(id); }

bool sprite_definition::get_labeled_frame(const char* label, int* frame_number) {
  return m_named_frames.get(string(label), frame_number);
}

void sprite_definition::add_character(int id, character_def* c) {
  smart_ptr<character_def> drop(c);
  log_error("add_character tag appears in sprite tags!\n");
}

void sprite_definition::add_font(int id, font* f) {
  smart_ptr<font> drop(f);
  log_error("add_font tag appears in sprite tags!\n");
}

font* sprite_definition::get_font(int id) { return m_movie_def->get_font(id); }

void sprite_definition::add_execute_tag(execute_tag* c) {
  // Show-frame tags beyond the frame count grow the lists, up to the frame limit.
  m_playlist.add(m_loading_frame, c);
}

void sprite_definition::add_init_action(int sprite_id, execute_tag* c) {
  log_error("sprite_definition::add_init_action called!  Ignored.\n");
  delete c;
}

void sprite_definition::add_frame_name(const char* name) {
  string label(name);
  if (int* old = m_named_frames.find_value(label)) {
    log_error("add_frame_name(%d, '%s') -- frame name already assigned to frame %d; overriding\n",
              m_loading_frame, name, *old);
    *old = m_loading_frame;
    return;
  }
  m_named_frames.add(label, m_loading_frame);
}

bitmap_character* sprite_definition::get_bitmap_character(int character_id) {
  return m_movie_def->get_bitmap_character(character_id);
}

void sprite_definition::add_bitmap_character(int character_id, bitmap_character* ch) {
  smart_ptr<bitmap_character> drop(ch);
  log_error("add_bc appears in sprite tags!\n");
}

sound_sample* sprite_definition::get_sound_sample(int character_id) {
  return m_movie_def->get_sound_sample(character_id);
}

void sprite_definition::add_sound_sample(int character_id, sound_sample* sam) {
  smart_ptr<sound_sample> drop(sam);
  log_error("add sam appears in sprite tags!\n");
}

void sprite_definition::export_resource(const string& symbol, resource* res) {
  log_error("can't export from sprite\n");
}

}  // namespace swf
