#pragma once

#include "engine/swf/movie/movie_definition.h"

namespace swf {

// A font of a movie. Glyphs, metrics and the font tags' readers join it with the text
// side of the player; the loader side knows its owning movie and that it is a font.
class font : public resource {
 public:
  explicit font(movie_definition_sub* owning_movie = nullptr) : m_owning_movie(owning_movie) {}
  ~font() override = default;
  font* cast_to_font() override { return this; }
  movie_definition_sub* get_owning_movie() const { return m_owning_movie; }

 private:
  movie_definition_sub* m_owning_movie;
};

}  // namespace swf
