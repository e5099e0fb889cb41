#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/swf/base/array.h"
#include "engine/swf/base/ref_counted.h"
#include "engine/swf/base/swf_string.h"

namespace swf {

class bitmap_character;
class bitmap_info;
class character;
class movie_interface;
class font;
class jpeg_input;
class movie_definition_sub;
class sound_sample;
class stream;
class file_stream;
struct rect;

// Anything a movie can export.
class resource : public ref_counted {
 public:
  ~resource() override = default;
  virtual font* cast_to_font() { return nullptr; }
  virtual class character_def* cast_to_character_def() { return nullptr; }
  virtual sound_sample* cast_to_sound_sample() { return nullptr; }
};

// The definition of something displayable; its id is -1 until assigned.
class character_def : public resource {
 public:
  ~character_def() override = default;
  character_def* cast_to_character_def() override { return this; }
  virtual void display(character* instance_info) {}
  virtual bool point_test_local(float x, float y) { return false; }
  virtual float get_height_local() { return 0.0f; }
  virtual float get_width_local() { return 0.0f; }
  // The box of what an instance shows, in its own coordinates; false when it shows
  // nothing. By default the box from the origin to the local width and height.
  virtual bool get_bound_local(rect* bound);
  // A new instance under the parent; a definition without an instance type of its own
  // makes a generic character.
  virtual character* create_character_instance(character* parent, int id);
  virtual void output_cached_data(file_stream* out, const void* options) {}
  virtual void input_cached_data(file_stream* in) {}

  int get_id() const { return m_id; }
  void set_id(int id) { m_id = id; }

 private:
  int m_id = -1;
};

// A command of a frame's list, run when the frame is shown.
class execute_tag {
 public:
  virtual ~execute_tag() = default;
  virtual void execute(character* m) {}
  virtual void execute_state(character* m) {}
  virtual void execute_state_reverse(character* m, int frame) { execute_state(m); }
  virtual bool is_remove_tag() const { return false; }
  virtual bool is_action_tag() const { return false; }
  virtual uint32_t get_depth_id_of_replace_or_add_tag() const { return static_cast<uint32_t>(-1); }
};

// Visits the source URLs of a movie's pending imports.
class import_visitor {
 public:
  virtual ~import_visitor() = default;
  virtual void visit(const char* imported_movie_filename) = 0;
};

// The interface of a movie or sprite definition: what the tag loaders fill and the
// instances play.
class movie_definition_sub : public character_def {
 public:
  ~movie_definition_sub() override = default;
  virtual int get_version() const = 0;
  virtual float get_width_pixels() const = 0;
  virtual float get_height_pixels() const = 0;
  virtual int get_frame_count() const = 0;
  virtual float get_frame_rate() const = 0;
  // A new top-level instance (a movie root with its root sprite), with a reference for
  // the caller; none for a definition that is no whole movie.
  virtual movie_interface* create_instance() { return nullptr; }
  virtual void generate_font_bitmaps() {}
  virtual void visit_imported_movies(import_visitor* visitor) {}
  virtual void resolve_import(const char* source_url, movie_definition_sub* d) {}
  virtual int get_bitmap_info_count() const { return 0; }
  virtual bitmap_info* get_bitmap_info(int i) const { return nullptr; }
  // The frame's command list; null for a frame outside the lists.
  virtual const array<execute_tag*>* get_playlist(int frame_number) const = 0;
  // The last place or replace command for the depth and id (as the commands answer
  // get_depth_id_of_replace_or_add_tag) in a frame before `frame`; null when none.
  virtual execute_tag* find_previous_replace_or_add_tag(int frame, uint32_t depth_id) const { return nullptr; }
  virtual const array<execute_tag*>* get_init_actions(int frame_number) const { return nullptr; }
  virtual resource* get_exported_resource(const string& symbol) = 0;
  virtual character_def* get_character_def(int id) = 0;
  virtual bool get_labeled_frame(const char* label, int* frame_number) = 0;
  virtual int get_loading_frame() const = 0;
  virtual void add_character(int id, character_def* c) = 0;
  virtual void add_font(int id, font* f) = 0;
  virtual font* get_font(int id) = 0;
  virtual void add_execute_tag(execute_tag* c) = 0;
  virtual void add_init_action(int sprite_id, execute_tag* c) = 0;
  virtual void add_frame_name(const char* name) = 0;
  virtual void set_jpeg_loader(jpeg_input* j_in) {}
  virtual jpeg_input* get_jpeg_loader() { return nullptr; }
  virtual bitmap_character* get_bitmap_character(int character_id) = 0;
  virtual void add_bitmap_character(int character_id, bitmap_character* ch) = 0;
  virtual sound_sample* get_sound_sample(int character_id) = 0;
  virtual void add_sound_sample(int character_id, sound_sample* sam) = 0;
  virtual void export_resource(const string& symbol, resource* res) = 0;
  virtual void add_import(const char* source_url, int id, const char* symbol_name) {}
  virtual void add_bitmap_info(bitmap_info* ch) {}
  virtual int get_create_bitmaps() const { return 0; }
  virtual int get_create_font_shapes() const { return 0; }

  // Limits of the whole movie that its sprites share. charge_decoded_bytes answers false
  // (and logs) when the bytes would pass the movie's budget of decoded data.
  virtual bool charge_decoded_bytes(size_t bytes) = 0;
};

}  // namespace swf
