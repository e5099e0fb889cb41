// The loaders of the shape tags, registered with the movie's tag loader table.

#include "engine/swf/base/ref_counted.h"
#include "engine/swf/base/stream.h"
#include "engine/swf/movie/tag_loaders.h"
#include "engine/swf/shape/morph_shape.h"
#include "engine/swf/shape/shape.h"

namespace swf {

void define_shape_loader(stream* in, int tag_type, movie_definition_sub* m) {
  int character_id = in->read_u16();
  smart_ptr<shape_character> ch(new shape_character);
  ch->read(in, tag_type, true, m);
  m->add_character(character_id, ch.get_ptr());
}

void define_morph_shape_loader(stream* in, int tag_type, movie_definition_sub* m) {
  int character_id = in->read_u16();
  smart_ptr<morph_shape> morph(new morph_shape);
  morph->read(in, tag_type, true, m);
  m->add_character(character_id, morph.get_ptr());
}

void register_shape_loaders() {
  register_tag_loader(2, define_shape_loader);
  register_tag_loader(22, define_shape_loader);
  register_tag_loader(32, define_shape_loader);
  register_tag_loader(46, define_morph_shape_loader);
}

}  // namespace swf
