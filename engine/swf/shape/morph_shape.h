#pragma once

#include <memory>

#include "engine/swf/shape/shape.h"

namespace swf {

// The shape of DefineMorphShape (46): a start and an end shape whose styles and edges
// pair up, shown blended at the ratio of the instance (0 start, 1 end). Its own styles,
// paths and bound hold the blend last drawn; it keeps one mesh, made again whenever the
// ratio changes.
class morph_shape : public shape_character {
 public:
  morph_shape();
  ~morph_shape() override;

  void read(stream* in, int tag_type, bool with_styles, movie_definition_sub* m);
  void display(character* instance) override;

  // Draws the blend at the ratio through the world matrix, colour transform and the
  // pixel scale of the instance's parent.
  void display_at_ratio(const matrix& m, const cxform& cx, float pixel_scale, float ratio);
  // Rewrites the morph's own styles, paths and bound as the blend at the ratio.
  void set_blend(float ratio);

  const shape_character& get_start_shape() const { return *m_shape1; }
  const shape_character& get_end_shape() const { return *m_shape2; }
  const shape_mesh* get_mesh() const { return m_mesh.get(); }

 private:
  std::unique_ptr<shape_character> m_shape1;  // start
  std::unique_ptr<shape_character> m_shape2;  // end
  float m_last_ratio = -1.0f;
  std::unique_ptr<shape_mesh> m_mesh;
};

}  // namespace swf
