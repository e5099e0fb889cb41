#pragma once

#include "engine/swf/base/ref_counted.h"
#include "engine/swf/movie/movie_definition.h"
#include "engine/swf/render/render_handler.h"

namespace swf {

// A bitmap of the movie's dictionary: holds one counted bitmap info.
class bitmap_character : public character_def {
 public:
  explicit bitmap_character(bitmap_info* bi) : m_bitmap_info(bi) {}
  bitmap_info* get_bitmap_info() const { return m_bitmap_info.get_ptr(); }

 private:
  smart_ptr<bitmap_info> m_bitmap_info;
};

}  // namespace swf
