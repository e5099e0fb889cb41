#include "tests/ui/RecordingFlashMovie.h"

#include <cstdio>

#include "engine/swf/FlashMovie.h"

namespace uitest {

std::vector<std::string>& FlashCalls() {
  static std::vector<std::string> calls;
  return calls;
}

}  // namespace uitest

namespace flash {

FlashMovie::FlashMovie() { uitest::FlashCalls().push_back("new"); }

FlashMovie::~FlashMovie() { uitest::FlashCalls().push_back("delete"); }

bool FlashMovie::Load(const std::string& file) {
  uitest::FlashCalls().push_back("Load " + file);
  if (file.rfind("missing", 0) == 0) return false;
  fileName = file;
  return true;
}

void FlashMovie::Advance(float dt) {
  char text[32];
  std::snprintf(text, sizeof text, "Advance %.2f", static_cast<double>(dt));
  uitest::FlashCalls().push_back(text);
}

void FlashMovie::Display(const math::Vec2&, const math::Vec2&) {
  uitest::FlashCalls().push_back("Display");
}

void FlashMovie::Reset() { uitest::FlashCalls().push_back("Reset"); }

}  // namespace flash
