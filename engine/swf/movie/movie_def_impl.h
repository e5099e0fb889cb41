#pragma once

#include <memory>

#include "engine/swf/base/hash_table.h"
#include "engine/swf/base/records.h"
#include "engine/swf/movie/frame_commands.h"
#include "engine/swf/movie/movie_definition.h"

namespace swf {

// A whole movie as read from a file: dictionary, fonts, bitmaps, sounds, per-frame
// command lists, labels, exports and imports. Shared and unchanged once read.
class movie_def_impl : public movie_definition_sub {
 public:
  movie_def_impl(int create_bitmaps, int create_font_shapes);
  ~movie_def_impl() override;

  // Reads the header and every tag; false for a file that does not start with an SWF
  // header. The input ending inside a tag drops that tag and ends the reading.
  bool read(file_stream* in);

  int get_version() const override { return m_version; }
  float get_width_pixels() const override;
  float get_height_pixels() const override;
  int get_frame_count() const override { return m_frame_count; }
  float get_frame_rate() const override { return m_frame_rate; }
  const rect& get_frame_size() const { return m_frame_size; }
  int get_file_length() const { return m_file_length; }

  // The cache file: written from the definition's current meshes and glyph textures
  // (options: a cache_options, or null for the defaults), read into a definition just
  // read from the same movie. Glyph textures the cache did not supply are built.
  void output_cached_data(file_stream* out, const void* options) override;
  void input_cached_data(file_stream* in) override;
  // Glyph textures for the movie's own fonts.
  void generate_font_bitmaps() override;

  void visit_imported_movies(import_visitor* visitor) override;
  void resolve_import(const char* source_url, movie_definition_sub* source_movie) override;
  int get_bitmap_info_count() const override { return m_bitmap_list.size(); }
  bitmap_info* get_bitmap_info(int i) const override;
  const array<execute_tag*>* get_playlist(int frame_number) const override;
  const array<execute_tag*>* get_init_actions(int frame_number) const override;
  execute_tag* find_previous_replace_or_add_tag(int frame, uint32_t depth_id) const override;
  resource* get_exported_resource(const string& symbol) override;
  character_def* get_character_def(int id) override;
  bool get_labeled_frame(const char* label, int* frame_number) override;
  int get_loading_frame() const override { return m_loading_frame; }
  void add_character(int id, character_def* c) override;
  void add_font(int id, font* f) override;
  font* get_font(int id) override;
  void add_execute_tag(execute_tag* c) override;
  void add_init_action(int sprite_id, execute_tag* c) override;
  void add_frame_name(const char* name) override;
  void set_jpeg_loader(jpeg_input* j_in) override;
  jpeg_input* get_jpeg_loader() override { return m_jpeg_in.get(); }
  bitmap_character* get_bitmap_character(int character_id) override;
  void add_bitmap_character(int character_id, bitmap_character* ch) override;
  sound_sample* get_sound_sample(int character_id) override;
  void add_sound_sample(int character_id, sound_sample* sam) override;
  void export_resource(const string& symbol, resource* res) override;
  void add_import(const char* source_url, int id, const char* symbol_name) override;
  void add_bitmap_info(bitmap_info* bi) override;
  int get_create_bitmaps() const override { return m_create_bitmaps; }
  int get_create_font_shapes() const override { return m_create_font_shapes; }
  bool charge_decoded_bytes(size_t bytes) override;
  movie_interface* create_instance() override;

  // The file this movie was read from (imports are looked up beside it).
  const string& get_url() const { return m_url; }
  void set_url(const char* url) { m_url = url; }
  int get_import_count() const { return m_imports.size(); }
  // Keeps a movie alive whose resources this one imported.
  void add_import_source(movie_definition_sub* source) { m_import_source_movies.push_back(source); }
  // Fonts read by this movie itself (not imported), by id.
  void get_owned_fonts(array<font*>* fonts);
  // Visits (id, definition) of every entry of the character dictionary, in its order.
  template <class F>
  void for_each_character(F&& visit) const {
    m_characters.for_each([&](int id, const smart_ptr<character_def>& ch) { visit(id, ch.get_ptr()); });
  }

 private:
  struct import_info {
    string m_source_url;
    int m_character_id = 0;
    string m_symbol;
  };
  // Reads the tags up to the end position or an End tag.
  void read_tags(stream* in, int end_position);
  // Adds the imported resource under the id, or logs why it cannot.
  void import_resource(resource* res, int id, const char* symbol, const char* source_url);

  hash_table<int, smart_ptr<character_def>> m_characters;
  hash_table<int, smart_ptr<font>> m_fonts;
  hash_table<int, smart_ptr<bitmap_character>> m_bitmap_characters;
  hash_table<int, smart_ptr<sound_sample>> m_sound_samples;
  frame_commands m_playlist;
  frame_commands m_init_action_list;
  hash_table<string, int, stringi_hash, stringi_equal> m_named_frames;
  hash_table<string, smart_ptr<resource>, stringi_hash, stringi_equal> m_exports;
  array<import_info> m_imports;
  array<smart_ptr<movie_definition_sub>> m_import_source_movies;
  array<smart_ptr<bitmap_info>> m_bitmap_list;
  int m_create_bitmaps;
  int m_create_font_shapes;
  rect m_frame_size;
  float m_frame_rate = 30.0f;
  int m_frame_count = 0;
  int m_version = 0;
  int m_loading_frame = 0;
  int m_file_length = 0;
  std::unique_ptr<jpeg_input> m_jpeg_in;
  size_t m_decoded_bytes = 0;
  string m_url;
};

// The movie loaders. create_movie reads a file through the registered file opener;
// create_library_movie keeps each file's definition in the movie library, so a name is
// read once. Both return the definition with a reference for the caller, or null.
movie_definition_sub* create_movie(const char* filename);
movie_definition_sub* create_library_movie(const char* filename);
// The library's top-level instance of a definition, made on first use and shared while
// anything holds it; returned with a reference for the caller, or null.
movie_interface* create_library_movie_inst(movie_definition_sub* md);
void clear_library();

}  // namespace swf
