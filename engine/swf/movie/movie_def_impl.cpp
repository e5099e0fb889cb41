#include "engine/swf/movie/movie_def_impl.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <new>

#include "engine/swf/base/file_stream.h"
#include "engine/swf/base/jpeg.h"
#include "engine/swf/base/limits.h"
#include "engine/swf/base/log.h"
#include "engine/swf/base/stream.h"
#include "engine/swf/base/zlib_adapter.h"
#include "engine/swf/action/builtins.h"
#include "engine/swf/action/environment.h"
#include "engine/swf/movie/bitmap_character.h"
#include "engine/swf/movie/cache_file.h"
#include "engine/swf/movie/movie_root.h"
#include "engine/swf/movie/sprite_instance.h"
#include "engine/swf/movie/tag_loaders.h"
#include "engine/swf/render/render_handler.h"
#include "engine/swf/sound/sound_handler.h"
#include "engine/swf/text/font.h"
#include "engine/swf/text/fontlib.h"

namespace swf {

namespace {

// The movie library: definitions by file name (case-insensitive).
hash_table<string, smart_ptr<movie_definition_sub>, stringi_hash, stringi_equal>& movie_library() {
  static auto* library = new hash_table<string, smart_ptr<movie_definition_sub>, stringi_hash, stringi_equal>;
  return *library;
}

// The library's top-level instances by definition. Held weakly: an instance lives as
// long as the movies that loaded it, and a script's globals go when the last of them does.
hash_table<movie_definition_sub*, weak_ptr<movie_interface>>& instance_cache() {
  static auto* cache = new hash_table<movie_definition_sub*, weak_ptr<movie_interface>>;
  return *cache;
}

// Files being read right now, outermost first: an import of one of them is a cycle.
array<string>& loading_movies() {
  static auto* loading = new array<string>;
  return *loading;
}

}  // namespace

movie_def_impl::movie_def_impl(int create_bitmaps, int create_font_shapes)
    : m_create_bitmaps(create_bitmaps), m_create_font_shapes(create_font_shapes) {}

movie_def_impl::~movie_def_impl() = default;

float movie_def_impl::get_width_pixels() const {
  return std::ceil(m_frame_size.width() * 0.05f);
}

float movie_def_impl::get_height_pixels() const {
  return std::ceil(m_frame_size.height() * 0.05f);
}

bool movie_def_impl::read(file_stream* in) {
  int start = in->get_position();
  uint8_t header_bytes[8] = {};
  in->read_bytes(header_bytes, 8);
  uint32_t header = header_bytes[0] | (header_bytes[1] << 8) | (header_bytes[2] << 16) |
                    (static_cast<uint32_t>(header_bytes[3]) << 24);
  uint32_t file_length = header_bytes[4] | (header_bytes[5] << 8) | (header_bytes[6] << 16) |
                         (static_cast<uint32_t>(header_bytes[7]) << 24);
  m_version = static_cast<int>(header >> 24);
  m_file_length = static_cast<int>(std::min<uint32_t>(file_length, 0x7FFFFFFF));

  if ((header & 0xFFFFFF) != 0x535746 && (header & 0xFFFFFF) != 0x535743) {
    log_error("swf::movie_def_impl::read() -- file does not start with a SWF header!\n");
    return false;
  }
  bool compressed = (header & 0xFF) == 'C';
  // The tags may span no more than the movie limit, whatever the header says.
  uint32_t span = std::min<uint32_t>(file_length, limits::kMaxMovieBytes);
  file_stream* original_in = in;
  std::unique_ptr<file_stream> inflater;
  int end_position = start + static_cast<int>(span);
  if (compressed) {
    inflater.reset(make_inflater(original_in));
    in = inflater.get();
    end_position = static_cast<int>(span) - 8;
  }

  {
    stream str(in);
    str.set_end_limit(std::max(end_position, 0));
    m_frame_size.read(&str);
    m_frame_rate = static_cast<float>(str.read_u16()) / 256.0f;
    m_frame_count = str.read_u16();
    m_playlist.set_frame_count(m_frame_count);
    m_init_action_list.set_frame_count(m_frame_count);
    read_tags(&str, end_position);
    m_jpeg_in.reset();
  }
  inflater.reset();  // closing it gives back the source bytes zlib did not use
  return true;
}

void movie_def_impl::read_tags(stream* in, int end_position) {
  while (in->get_position() < end_position && !in->has_error()) {
    int tag_start = in->get_position();
    int tag_type = in->open_tag();
    // A tag is read only once all of it is there: the input ending inside one (a cut
    // file) would otherwise load a part of it, such as the first actions of a DoAction.
    bool whole = tag_type >= 0 && in->read_ahead_to_tag_end();
    if (!whole) {
      if (tag_type >= 0 || in->get_position() != tag_start) {
        log_error("error: the file ends inside a tag; the tag is dropped and reading stops\n");
      }
      in->close_tag();
      break;
    }
    load_tag(in, tag_type, this, &m_loading_frame);
    in->close_tag();
    if (tag_type == 0) {
      if (in->get_position() != end_position) {
        log_msg("warning: hit stream-end tag, but not at the end of the file yet; stopping for safety\n");
      }
      break;
    }
  }
}

void movie_def_impl::visit_imported_movies(import_visitor* visitor) {
  array<string> visited;
  for (const import_info& info : m_imports) {
    bool seen = false;
    for (const string& url : visited) seen = seen || url == info.m_source_url;
    if (!seen) {
      visited.push_back(info.m_source_url);
      visitor->visit(info.m_source_url.c_str());
    }
  }
}

void movie_def_impl::import_resource(resource* res, int id, const char* symbol, const char* source_url) {
  if (!res) {
    log_error("import error: resource '%s' is not exported from movie '%s'\n", symbol, source_url);
  } else if (font* f = res->cast_to_font()) {
    add_font(id, f);
  } else if (character_def* ch = res->cast_to_character_def()) {
    add_character(id, ch);
  } else {
    log_error("import error: resource '%s' from movie '%s' has unknown type\n", symbol, source_url);
  }
}

void movie_def_impl::resolve_import(const char* source_url, movie_definition_sub* source_movie) {
  for (int i = m_imports.size() - 1; i >= 0; --i) {
    if (std::strcmp(m_imports[i].m_source_url.c_str(), source_url) != 0) continue;
    import_info info = m_imports[i];
    import_resource(source_movie->get_exported_resource(info.m_symbol), info.m_character_id,
                    info.m_symbol.c_str(), source_url);
    m_imports.remove(i);
    m_import_source_movies.push_back(source_movie);
  }
}

bitmap_info* movie_def_impl::get_bitmap_info(int i) const {
  return i >= 0 && i < m_bitmap_list.size() ? m_bitmap_list[i].get_ptr() : nullptr;
}

const array<execute_tag*>* movie_def_impl::get_playlist(int frame_number) const {
  return m_playlist.get(frame_number);
}

const array<execute_tag*>* movie_def_impl::get_init_actions(int frame_number) const {
  return m_init_action_list.get(frame_number);
}

execute_tag* movie_def_impl::find_previous_replace_or_add_tag(int frame, uint32_t depth_id) const {
  return m_playlist.find_previous_replace_or_add(frame, depth_id);
}

resource* movie_def_impl::get_exported_resource(const string& symbol) {
  smart_ptr<resource>* found = m_exports.find_value(symbol);
  return found ? found->get_ptr() : nullptr;
}

character_def* movie_def_impl::get_character_def(int id) {
  smart_ptr<character_def>* found = m_characters.find_value(id);
  return found ? found->get_ptr() : nullptr;
}

bool movie_def_impl::get_labeled_frame(const char* label, int* frame_number) {
  return m_named_frames.get(string(label), frame_number);
}

void movie_def_impl::add_character(int id, character_def* c) { m_characters.add(id, c); }

void movie_def_impl::add_font(int id, font* f) { m_fonts.add(id, f); }

font* movie_def_impl::get_font(int id) {
  smart_ptr<font>* found = m_fonts.find_value(id);
  return found ? found->get_ptr() : nullptr;
}

void movie_def_impl::add_execute_tag(execute_tag* c) { m_playlist.add(m_loading_frame, c); }

void movie_def_impl::add_init_action(int sprite_id, execute_tag* c) { m_init_action_list.add(m_loading_frame, c); }

void movie_def_impl::add_frame_name(const char* name) { m_named_frames.add(string(name), m_loading_frame); }

void movie_def_impl::set_jpeg_loader(jpeg_input* j_in) { m_jpeg_in.reset(j_in); }

bitmap_character* movie_def_impl::get_bitmap_character(int character_id) {
  smart_ptr<bitmap_character>* found = m_bitmap_characters.find_value(character_id);
  return found ? found->get_ptr() : nullptr;
}

void movie_def_impl::add_bitmap_character(int character_id, bitmap_character* ch) {
  smart_ptr<bitmap_character> hold(ch);
  m_bitmap_characters.add(character_id, ch);
  add_bitmap_info(ch->get_bitmap_info());
}

sound_sample* movie_def_impl::get_sound_sample(int character_id) {
  smart_ptr<sound_sample>* found = m_sound_samples.find_value(character_id);
  return found ? found->get_ptr() : nullptr;
}

void movie_def_impl::add_sound_sample(int character_id, sound_sample* sam) {
  m_sound_samples.add(character_id, sam);
}

void movie_def_impl::export_resource(const string& symbol, resource* res) { m_exports.set(symbol, res); }

void movie_def_impl::add_import(const char* source_url, int id, const char* symbol_name) {
  import_info info;
  info.m_source_url = source_url;
  info.m_character_id = id;
  info.m_symbol = symbol_name;
  m_imports.push_back(info);
}

void movie_def_impl::add_bitmap_info(bitmap_info* bi) { m_bitmap_list.push_back(bi); }

bool movie_def_impl::charge_decoded_bytes(size_t bytes) {
  if (bytes > limits::kMaxDecodedBytesPerMovie - m_decoded_bytes) {
    log_error("error: movie holds more than %zu bytes of decoded bitmaps, sounds and glyph outlines; part skipped\n",
              limits::kMaxDecodedBytesPerMovie);
    return false;
  }
  m_decoded_bytes += bytes;
  return true;
}

void movie_def_impl::get_owned_fonts(array<font*>* fonts) {
  array<int> ids;
  m_fonts.for_each([&](const int& id, const smart_ptr<font>& f) {
    if (f->get_owning_movie() != this) return;
    int at = 0;
    while (at < ids.size() && ids[at] < id) ++at;
    ids.push_back(0);
    fonts->push_back(nullptr);
    for (int i = ids.size() - 1; i > at; --i) {
      ids[i] = ids[i - 1];
      (*fonts)[i] = (*fonts)[i - 1];
    }
    ids[at] = id;
    (*fonts)[at] = f.get_ptr();
  });
}

void movie_def_impl::output_cached_data(file_stream* out, const void* options) {
  cache_options defaults;
  write_cache_file(this, out, options ? *static_cast<const cache_options*>(options) : defaults);
}

void movie_def_impl::input_cached_data(file_stream* in) {
  // Glyphs the cache did not supply (a cache refused, damaged or written for another
  // movie) get their textures as if there were no cache; those it did supply are kept.
  read_cache_file(this, in);
  generate_font_bitmaps();
}

void movie_def_impl::generate_font_bitmaps() {
  array<font*> fonts;
  get_owned_fonts(&fonts);
  fontlib::build_glyph_textures(fonts, this);
}

// ---- loaders and the library ----------------------------------------------------------

namespace {

// True while the file is being read (it imports itself through its imports).
bool is_loading(const char* filename) {
  for (const string& name : loading_movies()) {
    if (string::stricmp(name.c_str(), filename) == 0) return true;
  }
  return false;
}

}  // namespace

movie_definition_sub* create_movie(const char* filename) {
  file_opener_callback opener = get_file_opener_callback();
  if (!opener) {
    log_error("error: no file opener function; can't create movie.  See swf::register_file_opener_callback\n");
    return nullptr;
  }
  if (loading_movies().size() >= limits::kMaxImportDepth) {
    log_error("error: movies import one another more than %d deep; can't create movie '%s'\n",
              limits::kMaxImportDepth, filename);
    return nullptr;
  }
  std::unique_ptr<file_stream> in(opener(filename));
  if (!in) {
    log_error("failed to open '%s'; can't create movie.\n", filename);
    return nullptr;
  }
  if (in->get_error() != file_stream::NO_ERROR) {
    log_error("error: file opener can't open '%s'\n", filename);
    return nullptr;
  }
  ensure_loaders_registered();

  smart_ptr<movie_def_impl> m;
  loading_movies().push_back(string(filename));
  try {
    m = new movie_def_impl(0, 0);
    m->set_url(filename);
    // A file that is no SWF movie is refused, not played as an empty one.
    if (!m->read(in.get())) m = nullptr;
  } catch (const std::bad_alloc&) {
    // A movie whose parts do not fit in memory is refused, not the game.
    log_error("error: out of memory reading '%s'; can't create movie.\n", filename);
    m = nullptr;
  }
  loading_movies().pop_back();
  in.reset();
  if (!m) return nullptr;

  // The cache file beside the movie, or glyph textures made now.
  string cache_name(filename);
  cache_name += ".gsc";
  std::unique_ptr<file_stream> cache_in(opener(cache_name.c_str()));
  if (cache_in && cache_in->get_error() == file_stream::NO_ERROR) {
    m->input_cached_data(cache_in.get());
  } else {
    m->generate_font_bitmaps();
  }
  cache_in.reset();

  m->add_ref();
  return m.get_ptr();
}

movie_definition_sub* create_library_movie(const char* filename) {
  string key(filename);
  if (smart_ptr<movie_definition_sub>* found = movie_library().find_value(key)) {
    (*found)->add_ref();
    return found->get_ptr();
  }
  if (is_loading(filename)) {
    log_error("error: movie '%s' imports itself; import refused\n", filename);
    return nullptr;
  }
  movie_definition_sub* m = create_movie(filename);
  if (!m) {
    log_error("error: couldn't load library movie '%s'\n", filename);
    return nullptr;
  }
  movie_library().add(key, m);
  return m;  // the reference of create_movie goes to the caller
}

movie_interface* create_library_movie_inst(movie_definition_sub* md) {
  if (!md) return nullptr;
  if (weak_ptr<movie_interface>* found = instance_cache().find_value(md)) {
    if (movie_interface* instance = found->get_ptr()) {
      instance->add_ref();
      return instance;
    }
  }
  movie_interface* instance = md->create_instance();
  if (!instance) {
    log_error("error: couldn't create instance\n");
    return nullptr;
  }
  instance_cache().set(md, weak_ptr<movie_interface>(instance));
  return instance;  // the reference of create_instance goes to the caller
}

void clear_library() {
  instance_cache().clear();
  movie_library().clear();
  reset_global_object();
}

movie_interface* movie_def_impl::create_instance() {
  smart_ptr<movie_root> root(new movie_root(this));
  smart_ptr<sprite_instance> root_movie(new sprite_instance(this, root.get_ptr(), nullptr, -1));
  root_movie->set_name("_root");
  root->set_root_movie(root_movie.get_ptr());
  root->add_ref();
  return root.get_ptr();
}

}  // namespace swf
