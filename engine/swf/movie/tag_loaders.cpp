#include "engine/swf/movie/tag_loaders.h"

#include <cstring>
#include <memory>

#include "engine/swf/action/action_buffer.h"
#include "engine/swf/action/environment.h"
#include "engine/swf/base/hash_table.h"
#include "engine/swf/base/jpeg.h"
#include "engine/swf/base/limits.h"
#include "engine/swf/base/log.h"
#include "engine/swf/base/stream.h"
#include "engine/swf/movie/character.h"
#include "engine/swf/movie/movie_def_impl.h"
#include "engine/swf/movie/sprite_definition.h"
#include "engine/swf/shape/shape.h"
#include "engine/swf/sound/sound_handler.h"
#include "engine/swf/text/font.h"

namespace swf {

namespace {

hash_table<int, tag_loader>& loader_table() {
  static auto* table = new hash_table<int, tag_loader>;
  return *table;
}

// The clip-event id of each event bit (bits 0 to 17).
const uint8_t kEventOfBit[18] = {10, 12, 11, 15, 13, 14, 16, 17, 18, 9, 1, 2, 3, 4, 5, 6, 7, 0};

}  // namespace

void register_tag_loader(int tag_type, tag_loader loader) { loader_table().set(tag_type, loader); }

bool get_tag_loader(int tag_type, tag_loader* loader) { return loader_table().get(tag_type, loader); }

void load_tag(stream* in, int tag_type, movie_definition_sub* m, int* loading_frame) {
  tag_loader loader = nullptr;
  if (tag_type == 1) {
    ++*loading_frame;
  } else if (get_tag_loader(tag_type, &loader)) {
    loader(in, tag_type, m);
  }
}

void ensure_loaders_registered() {
  static bool registered = false;
  if (registered) return;
  registered = true;
  register_tag_loader(0, null_loader);
  register_tag_loader(4, place_object_2_loader);
  register_tag_loader(5, remove_object_2_loader);
  register_tag_loader(6, define_bits_jpeg_loader);
  register_tag_loader(7, button_loader);
  register_tag_loader(8, jpeg_tables_loader);
  register_tag_loader(9, set_background_color_loader);
  register_tag_loader(12, do_action_loader);
  register_tag_loader(14, define_sound_loader);
  register_tag_loader(15, start_sound_loader);
  register_tag_loader(17, button_loader);
  register_tag_loader(20, define_bits_lossless_2_loader);
  register_tag_loader(21, define_bits_jpeg2_loader);
  register_tag_loader(24, null_loader);
  register_tag_loader(26, place_object_2_loader);
  register_tag_loader(28, remove_object_2_loader);
  register_tag_loader(34, button_loader);
  register_tag_loader(35, define_bits_jpeg3_loader);
  register_tag_loader(36, define_bits_lossless_2_loader);
  register_tag_loader(39, sprite_loader);
  register_tag_loader(43, frame_label_loader);
  register_tag_loader(56, export_loader);
  register_tag_loader(57, import_loader);
  register_tag_loader(59, do_init_action_loader);
  register_shape_loaders();
  register_text_loaders();
}

void null_loader(stream*, int, movie_definition_sub*) {}

// ---- clip events and placements -------------------------------------------------------

swf_event::swf_event() : m_action_buffer(new action_buffer) {}

swf_event::~swf_event() { delete m_action_buffer; }

void swf_event::read(stream* in, uint32_t flags) {
  if (flags & (flags - 1)) {
    log_error("error: swf_event::read() -- more than one event type encoded!  unexpected! flags = 0x%x\n",
              flags);
  }
  for (int bit = 0; bit < 18; ++bit) {
    if (flags & (1u << bit)) {
      m_event.m_id = kEventOfBit[bit];
      break;
    }
  }
  if (flags & 0x20000) {
    log_error("swf_event::read -- KEY_PRESS found, not handled yet, flags = 0x%x\n", flags);
  }
  uint32_t event_length = in->read_u32();
  m_action_buffer->read(in);
  if (static_cast<uint32_t>(m_action_buffer->get_length()) != event_length) {
    log_error("error -- swf_event::read(), event_length = %d, but read %d\n", static_cast<int>(event_length),
              m_action_buffer->get_length());
  }
  as_function* method = new as_function(m_action_buffer, nullptr, 0, scope_chain());
  method->m_length = m_action_buffer->get_length();
  m_method.set_as_function(method);
}

place_object_2::~place_object_2() {
  delete[] m_name;
  for (swf_event* e : m_event_handlers) delete e;
}

void place_object_2::read(stream* in, int tag_type, int movie_version) {
  m_tag_type = tag_type;
  if (tag_type == 4) {
    m_character_id = in->read_u16();
    m_depth = in->read_u16();
    m_matrix.read(in);
    if (in->get_position() < in->get_tag_end_position()) m_color_transform.read_rgb(in);
    return;
  }

  in->align();
  bool has_actions = in->read_uint(1) != 0;
  bool has_clip_bracket = in->read_uint(1) != 0;
  bool has_name = in->read_uint(1) != 0;
  bool has_ratio = in->read_uint(1) != 0;
  bool has_cxform = in->read_uint(1) != 0;
  bool has_matrix = in->read_uint(1) != 0;
  bool has_char = in->read_uint(1) != 0;
  bool flag_move = in->read_uint(1) != 0;

  m_depth = in->read_u16();
  if (has_char) m_character_id = in->read_u16();
  if (has_matrix) {
    m_has_matrix = true;
    m_matrix.read(in);
  }
  if (has_cxform) {
    m_has_cxform = true;
    m_color_transform.read_rgba(in);
  }
  if (has_ratio) m_ratio = static_cast<float>(in->read_u16()) / 65535.0f;
  if (has_name) m_name = in->read_string();
  if (has_clip_bracket) m_clip_depth = in->read_u16();
  if (has_actions) {
    auto read_flags = [&]() { return movie_version >= 6 ? in->read_u32() : in->read_u16(); };
    in->read_u16();  // reserved
    read_flags();    // all events
    // The loop ends at a zero flags word, or at the tag's end on a cut or lying tag.
    while (!in->has_error() && in->get_bytes_left() > 0) {
      in->align();
      uint32_t flags = read_flags();
      if (flags == 0 || in->has_error()) break;
      swf_event* ev = new swf_event;
      ev->read(in, flags);
      m_event_handlers.push_back(ev);
    }
  }

  if (has_char && flag_move) {
    m_place_type = REPLACE;
  } else if (has_char) {
    m_place_type = PLACE;
  } else if (flag_move) {
    m_place_type = MOVE;
  }
}

uint32_t place_object_2::get_depth_id_of_replace_or_add_tag() const {
  if (m_place_type == MOVE) return static_cast<uint32_t>(-1);
  uint32_t id = m_tag_type == 4 ? m_character_id : 0xFFFF;
  return (static_cast<uint32_t>(m_depth) << 16) | id;
}

void place_object_2::execute(character* m) {
  switch (m_place_type) {
    case PLACE:
      m->add_display_object(m_character_id, m_name, m_event_handlers, m_depth, m_tag_type != 4, m_color_transform,
                            m_matrix, m_ratio, m_clip_depth);
      break;
    case MOVE:
      m->move_display_object(m_depth, m_has_cxform, m_color_transform, m_has_matrix, m_matrix, m_ratio, m_clip_depth);
      break;
    case REPLACE:
      m->replace_display_object(m_character_id, m_name, m_depth, m_has_cxform, m_color_transform, m_has_matrix,
                                m_matrix, m_ratio, m_clip_depth);
      break;
  }
}

void place_object_2::execute_state_reverse(character* m, int frame) {
  switch (m_place_type) {
    case PLACE:
      m->remove_display_object(m_depth, m_tag_type == 4 ? m_character_id : -1);
      break;
    case MOVE:
      execute(m);
      break;
    case REPLACE: {
      execute_tag* last_add = m->find_previous_replace_or_add_tag(frame, m_depth, -1);
      if (last_add) {
        last_add->execute_state(m);
      } else {
        log_error("reverse REPLACE can't find previous replace or add tag(%d, %d)\n", frame, m_depth);
      }
      break;
    }
  }
}

void place_object_2_loader(stream* in, int tag_type, movie_definition_sub* m) {
  place_object_2* ch = new place_object_2;
  ch->read(in, tag_type, m->get_version());
  m->add_execute_tag(ch);
}

void remove_object_2::read(stream* in, int tag_type) {
  if (tag_type == 5) m_id = in->read_u16();
  m_depth = in->read_u16();
}

void remove_object_2::execute(character* m) { m->remove_display_object(static_cast<uint16_t>(m_depth), m_id); }

void remove_object_2::execute_state_reverse(character* m, int frame) {
  execute_tag* last_add = m->find_previous_replace_or_add_tag(frame, m_depth, m_id);
  if (last_add) {
    last_add->execute_state(m);
  } else {
    log_error("reverse REMOVE can't find previous replace or add tag(%d, %d)\n", frame, m_depth);
  }
}

void remove_object_2_loader(stream* in, int tag_type, movie_definition_sub* m) {
  remove_object_2* t = new remove_object_2;
  t->read(in, tag_type);
  m->add_execute_tag(t);
}

void set_background_color::read(stream* in) {
  m_color.read_rgb(in);
}

void set_background_color::execute(character* m) {
  float alpha = m->get_background_alpha();
  float scaled = alpha * 255.0f + 0.5f;
  m_color.m_a = static_cast<uint8_t>(scaled >= 255.0f ? 255 : scaled <= 0.0f ? 0 : static_cast<int>(scaled));
  m->set_background_color(m_color);
}

void set_background_color_loader(stream* in, int tag_type, movie_definition_sub* m) {
  set_background_color* t = new set_background_color;
  t->read(in);
  m->add_execute_tag(t);
}

// ---- sprites, labels, exports, imports ------------------------------------------------

void sprite_loader(stream* in, int tag_type, movie_definition_sub* m) {
  int character_id = in->read_u16();
  // While this loader runs, the depth counts this sprite and every one around it.
  if (in->get_tag_depth() > limits::kMaxSpriteNesting) {
    log_error("error: sprite %d is nested deeper than %d sprites; skipped\n", character_id,
              limits::kMaxSpriteNesting);
    return;
  }
  smart_ptr<sprite_definition> ch(new sprite_definition(m));
  ch->read(in);
  m->add_character(character_id, ch.get_ptr());
}

void frame_label_loader(stream* in, int tag_type, movie_definition_sub* m) {
  char* n = in->read_string();
  m->add_frame_name(n);
  delete[] n;
}

namespace {

// One entry of an export or import list: an id and a symbol. False at the end of the tag.
bool read_symbol(stream* in, int* id, string* symbol) {
  *id = in->read_u16();
  in->read_string(symbol);
  return !in->has_error();
}

}  // namespace

void export_loader(stream* in, int tag_type, movie_definition_sub* m) {
  int count = in->read_u16();
  int id = 0;
  string symbol;
  for (int i = 0; i < count && read_symbol(in, &id, &symbol); ++i) {
    if (font* f = m->get_font(id)) {
      m->export_resource(symbol, f);
    } else if (character_def* ch = m->get_character_def(id)) {
      m->export_resource(symbol, ch);
    } else if (sound_sample* ss = m->get_sound_sample(id)) {
      m->export_resource(symbol, ss);
    } else {
      log_error("export error: don't know how to export resource '%s'\n", symbol.c_str());
    }
  }
}

namespace {

// An import names a file beside the importing movie: no folder, no drive, no "..".
bool is_sibling_file_name(const char* url) {
  if (!url[0] || std::strcmp(url, ".") == 0 || std::strcmp(url, "..") == 0) return false;
  return std::strpbrk(url, "/\\:") == nullptr;
}

// The importing movie's folder (with its separator), or "" for a movie of the working
// folder.
string folder_of(movie_definition_sub* m) {
  if (sprite_definition* sprite = dynamic_cast<sprite_definition*>(m)) m = sprite->get_movie_definition();
  movie_def_impl* movie = dynamic_cast<movie_def_impl*>(m);
  if (!movie) return string();
  const string& url = movie->get_url();
  int cut = -1;
  for (int i = 0; i < url.length(); ++i) {
    if (url[i] == '/' || url[i] == '\\') cut = i;
  }
  return string(url.c_str(), cut + 1);
}

}  // namespace

void import_loader(stream* in, int tag_type, movie_definition_sub* m) {
  char* source_url = in->read_string();
  string url(source_url);
  delete[] source_url;
  int count = in->read_u16();

  if (!is_sibling_file_name(url.c_str())) {
    log_error("import error: url '%s' names no file beside the movie; refused\n", url.c_str());
    log_error("can't import movie from url %s\n", url.c_str());
    return;
  }
  string path = folder_of(m);
  path += url;
  smart_ptr<movie_definition_sub> source_movie;
  if (movie_definition_sub* loaded = create_library_movie(path.c_str())) {
    source_movie = loaded;
    loaded->drop_ref();  // create_library_movie's reference is now held here
  }
  if (!source_movie) {
    log_error("can't import movie from url %s\n", url.c_str());
    return;
  }
  // The imported resources point back to their movie: keep it alive with this one.
  movie_definition_sub* owner = m;
  if (sprite_definition* sprite = dynamic_cast<sprite_definition*>(m)) owner = sprite->get_movie_definition();
  if (movie_def_impl* movie = dynamic_cast<movie_def_impl*>(owner)) movie->add_import_source(source_movie.get_ptr());
  int id = 0;
  string symbol;
  for (int i = 0; i < count && read_symbol(in, &id, &symbol); ++i) {
    resource* res = source_movie->get_exported_resource(symbol);
    if (!res) {
      log_error("import error: resource '%s' is not exported from movie '%s'\n", symbol.c_str(), url.c_str());
    } else if (font* f = res->cast_to_font()) {
      m->add_font(id, f);
    } else if (character_def* ch = res->cast_to_character_def()) {
      m->add_character(id, ch);
    } else {
      log_error("import error: resource '%s' from movie '%s' has unknown type\n", symbol.c_str(), url.c_str());
    }
  }
}

}  // namespace swf
