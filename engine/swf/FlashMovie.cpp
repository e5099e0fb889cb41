#include "engine/swf/FlashMovie.h"

#include "engine/core/Log.h"

namespace flash {

FlashMovie::FlashMovie() = default;

FlashMovie::~FlashMovie() = default;

bool FlashMovie::Load(const std::string& file) {
  LOG_LINE(MSG_ERROR) << "Can't create a movie from flash file " << file;
  return false;
}

void FlashMovie::Advance(float) {}

void FlashMovie::Display(const math::Vec2&, const math::Vec2&) {}

void FlashMovie::Reset() {}

}  // namespace flash
