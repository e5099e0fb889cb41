#pragma once

#include "engine/swf/base/hash_table.h"
#include "engine/swf/movie/frame_commands.h"
#include "engine/swf/movie/movie_definition.h"

namespace swf {

// The timeline of a DefineSprite tag. Dictionary, fonts, bitmaps and sounds belong to the
// movie: a sprite asks its movie for them and refuses to add them.
class sprite_definition : public movie_definition_sub {
 public:
  explicit sprite_definition(movie_definition_sub* m);
  ~sprite_definition() override;

  // Reads the sprite's frames from the open DefineSprite tag (after its id).
  void read(stream* in);

  int get_version() const override { return m_movie_def->get_version(); }
  float get_width_pixels() const override { return 1.0f; }
  float get_height_pixels() const override { return 1.0f; }
  int get_frame_count() const override { return m_frame_count; }
  float get_frame_rate() const override { return m_movie_def->get_frame_rate(); }
  const array<execute_tag*>* get_playlist(int frame_number) const override;
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
  bitmap_character* get_bitmap_character(int character_id) override;
  void add_bitmap_character(int character_id, bitmap_character* ch) override;
  sound_sample* get_sound_sample(int character_id) override;
  void add_sound_sample(int character_id, sound_sample* sam) override;
  void export_resource(const string& symbol, resource* res) override;
  // A sprite instance playing this definition under the parent's movie root.
  character* create_character_instance(character* parent, int id) override;
  bool charge_decoded_bytes(size_t bytes) override { return m_movie_def->charge_decoded_bytes(bytes); }

  movie_definition_sub* get_movie_definition() const { return m_movie_def; }

 private:
  movie_definition_sub* m_movie_def;  // not counted: the movie outlives its sprites
  frame_commands m_playlist;
  hash_table<string, int, stringi_hash, stringi_equal> m_named_frames;
  int m_frame_count = 0;
  int m_loading_frame = 0;
};

}  // namespace swf
