#pragma once

// Playing writer-made movies headless: boxes that stand in for shapes (drawn as one
// recorded call carrying their id, hit inside their rectangle), a movie played from its
// bytes, and native functions that count their calls.

#include <string>
#include <vector>

#include "engine/swf/action/environment.h"
#include "engine/swf/action/script_value.h"
#include "engine/swf/movie/movie_def_impl.h"
#include "engine/swf/movie/movie_root.h"
#include "engine/swf/movie/sprite_instance.h"
#include "engine/swf/render/render_handler.h"
#include "tests/swf/support/SwfTestDoubles.h"
#include "tools/swfwriter/SwfWriter.h"

namespace swftest {

// A rectangle in twips: drawn as "set_line_width <id>", hit inside its bounds.
class Box : public swf::character_def {
 public:
  Box(int id, float x0, float y0, float x1, float y1) : id_(id) {
    bounds_.m_x_min = x0;
    bounds_.m_y_min = y0;
    bounds_.m_x_max = x1;
    bounds_.m_y_max = y1;
  }
  void display(swf::character*) override { swf::render::set_line_width(static_cast<float>(id_)); }
  bool point_test_local(float x, float y) override { return bounds_.point_test(x, y); }
  float get_width_local() override { return bounds_.width(); }
  float get_height_local() override { return bounds_.height(); }

 private:
  int id_;
  swf::rect bounds_;
};

// A movie read from its bytes with boxes added to its dictionary, and its instance.
struct Played {
  explicit Played(const Bytes& bytes, const std::vector<std::pair<int, Box*>>& boxes = {}) {
    def = LoadMovie(bytes);
    for (const auto& [id, box] : boxes) def->add_character(id, box);
    root = Adopt(static_cast<swf::movie_root*>(def->create_instance()));
  }
  swf::sprite_instance* sprite() const { return static_cast<swf::sprite_instance*>(root->get_root_movie()); }
  swf::character* child(const char* name) const {
    return sprite()->get_display_list().get_character_by_name(swf::string(name));
  }
  swf::smart_ptr<swf::movie_def_impl> def;
  swf::smart_ptr<swf::movie_root> root;
};

// A box of 20 x 20 pixels at the origin.
inline Box* SquareBox(int id) { return new Box(id, 0, 0, 400, 400); }

// The ids of the boxes drawn and the mask calls, in order.
inline std::vector<std::string> DrawOrder(const RecordingRenderHandler& r) {
  std::vector<std::string> order;
  for (const std::string& call : r.calls) {
    if (call.rfind("set_line_width ", 0) == 0) order.push_back(call.substr(15));
    if (call.find("mask") != std::string::npos) order.push_back(call);
  }
  return order;
}

// A native function that counts its calls.
inline int g_native_calls = 0;
inline void CountCall(const swf::native_call&) { ++g_native_calls; }

// A movie of the frames given, each a list of tags, at 12 frames a second.
inline Bytes MovieOfFrames(const std::vector<std::vector<Bytes>>& frames, int version = 6) {
  swfw::Movie movie;
  movie.version = version;
  for (const auto& frame : frames) {
    for (const Bytes& tag : frame) movie.Add(tag);
    movie.ShowFrame();
  }
  movie.End();
  return movie.Build();
}

// A sprite definition of the frames given.
inline Bytes SpriteOfFrames(uint16_t id, const std::vector<std::vector<Bytes>>& frames) {
  Bytes inner;
  for (const auto& frame : frames) {
    for (const Bytes& tag : frame) inner.insert(inner.end(), tag.begin(), tag.end());
    Bytes show = swfw::Tag(1, {});
    inner.insert(inner.end(), show.begin(), show.end());
  }
  Bytes end = swfw::Tag(0, {});
  inner.insert(inner.end(), end.begin(), end.end());
  return swfw::DefineSprite(id, static_cast<uint16_t>(frames.size()), inner);
}

// PlaceObject2 of a character at a depth, with a name when given.
inline Bytes Place(uint16_t id, uint16_t depth, const char* name = nullptr, int32_t x = 0, int32_t y = 0) {
  swfw::PlaceObject2Record r;
  r.depth = depth;
  r.characterId = id;
  r.matrix = swfw::Matrix::Translate(x, y);
  if (name) r.name = name;
  return swfw::PlaceObject2(r, 6);
}

}  // namespace swftest
