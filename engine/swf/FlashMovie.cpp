#include "engine/swf/FlashMovie.h"

#include "engine/core/Log.h"
#include "engine/graphics/Graphics.h"
#include "engine/swf/movie/character.h"
#include "engine/swf/movie/movie_def_impl.h"
#include "engine/swf/movie/movie_definition.h"

namespace flash {

FlashMovie::FlashMovie() = default;

FlashMovie::~FlashMovie() {
  if (instance) instance->drop_ref();
  instance = nullptr;
  if (definition) definition->drop_ref();
  definition = nullptr;
}

bool FlashMovie::Load(const std::string& file) {
  definition = swf::create_library_movie(file.c_str());
  // A file that holds no whole frame (no movie at all, or one cut before the end of its
  // first frame) has nothing to show: it is refused like a file that does not open, so
  // that the widget's owner can show something else.
  if (definition && definition->get_loading_frame() == 0) {
    definition->drop_ref();
    definition = nullptr;
  }
  if (!definition) {
    LOG_LINE(MSG_ERROR) << "Can't create a movie from flash file " << file;
    return false;
  }
  instance = definition->create_instance();
  if (!instance) {
    LOG_LINE(MSG_ERROR) << "Can't create a movie Instance from flash file " << file;
    return false;
  }
  fileName = file;
  return true;
}

bool FlashMovie::StandsOnLastFrame() const {
  return instance && definition && instance->get_current_frame() + 1 == definition->get_frame_count();
}

void FlashMovie::Advance(float dt) {
  if (!instance || paused) return;
  // A looping movie restarts only once its root has stopped on its last frame (a playing
  // root wraps to its first frame by itself), and by playing on: the root then wraps at
  // its next frame time, so its last frame stays shown a whole frame. A movie of one
  // frame is never restarted: its frame's sound would start again, and its actions pile
  // up, on every game frame.
  if (looping && definition && definition->get_frame_count() > 1 && StandsOnLastFrame() &&
      instance->get_play_state() == swf::movie_interface::STOP) {
    instance->set_play_state(swf::movie_interface::PLAY);
  }
  instance->advance(static_cast<float>(static_cast<double>(dt) * static_cast<double>(speed)));
  if (endCallback && StandsOnLastFrame()) endCallback(this, userValue);
}

void FlashMovie::Reset() {
  if (instance) instance->restart();
}

void FlashMovie::Display(const math::Vec2& p, const math::Vec2& s) {
  if (!(p.x + s.x <= 1.0f && p.y + s.y <= 1.0f && p.x >= 0.0f && p.y >= 0.0f) || !instance) return;
  Graphics* graphics = GetGraphics();
  if (!graphics) return;
  const int w = graphics->width;
  const int h = graphics->height;
  const int ox = screen::g_offsetX;  // (w - 800) / 2: the play area's place on a wider screen
  const int oy = screen::g_offsetY;
  const int x0 = static_cast<int>(static_cast<float>(w) * p.x) + ox;
  const int y0 = static_cast<int>(static_cast<float>(h) * p.y) + oy;
  instance->set_display_viewport(x0, y0, static_cast<int>(static_cast<float>(w) * s.x),
                                 static_cast<int>(static_cast<float>(h) * s.y));
  instance->set_background_alpha(0.0f);
  instance->display();
  // The movie's frame gave back the transforms, the viewport and texture stage 0; the
  // renderer re-applies its own 2-D states for what the engine draws next.
  graphics->ResetRenderStates();
}

}  // namespace flash
