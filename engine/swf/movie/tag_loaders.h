#pragma once

#include <cstdint>

#include "engine/swf/action/clip_event.h"
#include "engine/swf/action/script_value.h"
#include "engine/swf/base/records.h"
#include "engine/swf/base/swf_string.h"
#include "engine/swf/movie/movie_definition.h"

namespace swf {

class action_buffer;

// A tag loader reads one tag's body and adds what it finds to the definition.
using tag_loader = void (*)(stream* in, int tag_type, movie_definition_sub* m);

// The process-wide table of loaders by tag type, filled once.
void ensure_loaders_registered();
void register_tag_loader(int tag_type, tag_loader loader);
bool get_tag_loader(int tag_type, tag_loader* loader);
// Reads the open tag into the definition: a show-frame tag (1) moves the loading frame on,
// any other goes to the loader of its type; a type without one is skipped.
void load_tag(stream* in, int tag_type, movie_definition_sub* m, int* loading_frame);


// A clip event of a placement: its event, its actions and the method made over them.
class swf_event {
 public:
  swf_event();
  ~swf_event();
  swf_event(const swf_event&) = delete;
  swf_event& operator=(const swf_event&) = delete;
  void read(stream* in, uint32_t flags);

  clip_event m_event;
  action_buffer* m_action_buffer;
  script_value m_method;  // an as_function over the whole buffer
};

// The command of PlaceObject (4) and PlaceObject2 (26): place, move or replace.
class place_object_2 : public execute_tag {
 public:
  enum place_type { PLACE = 0, MOVE = 1, REPLACE = 2 };

  ~place_object_2() override;
  void read(stream* in, int tag_type, int movie_version);
  void execute(character* m) override;
  void execute_state(character* m) override { execute(m); }
  void execute_state_reverse(character* m, int frame) override;
  uint32_t get_depth_id_of_replace_or_add_tag() const override;

  int m_tag_type = 0;
  char* m_name = nullptr;
  float m_ratio = 0.0f;
  cxform m_color_transform;
  matrix m_matrix;
  bool m_has_matrix = false;
  bool m_has_cxform = false;
  uint16_t m_depth = 0;
  uint16_t m_character_id = 0;
  uint16_t m_clip_depth = 0;
  place_type m_place_type = PLACE;
  array<swf_event*> m_event_handlers;
};

// The command of RemoveObject (5) and RemoveObject2 (28).
class remove_object_2 : public execute_tag {
 public:
  void read(stream* in, int tag_type);
  void execute(character* m) override;
  void execute_state(character* m) override { execute(m); }
  void execute_state_reverse(character* m, int frame) override;
  bool is_remove_tag() const override { return true; }

  int m_depth = -1;
  int m_id = -1;
};

// The command of SetBackgroundColor (9).
class set_background_color : public execute_tag {
 public:
  void read(stream* in);
  void execute(character* m) override;
  void execute_state(character* m) override { execute(m); }

  rgba m_color;
};

void null_loader(stream* in, int tag_type, movie_definition_sub* m);
void place_object_2_loader(stream* in, int tag_type, movie_definition_sub* m);
void remove_object_2_loader(stream* in, int tag_type, movie_definition_sub* m);
void set_background_color_loader(stream* in, int tag_type, movie_definition_sub* m);
void jpeg_tables_loader(stream* in, int tag_type, movie_definition_sub* m);
void define_bits_jpeg_loader(stream* in, int tag_type, movie_definition_sub* m);
void define_bits_jpeg2_loader(stream* in, int tag_type, movie_definition_sub* m);
void define_bits_jpeg3_loader(stream* in, int tag_type, movie_definition_sub* m);
void define_bits_lossless_2_loader(stream* in, int tag_type, movie_definition_sub* m);
void sprite_loader(stream* in, int tag_type, movie_definition_sub* m);
void frame_label_loader(stream* in, int tag_type, movie_definition_sub* m);
void export_loader(stream* in, int tag_type, movie_definition_sub* m);
void import_loader(stream* in, int tag_type, movie_definition_sub* m);
void button_loader(stream* in, int tag_type, movie_definition_sub* m);

// Inflates one zlib stream from the tag's bytes into the buffer; stops at the stream's
// end, the first error, the tag's end or a full buffer. Returns the bytes produced.
int inflate_wrapper(file_stream* in, void* buffer, int buffer_bytes);

}  // namespace swf
