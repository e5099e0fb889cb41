#pragma once

#include <string>

#include "engine/core/StringMap.h"
#include "engine/ui/Sprite.h"

namespace ui {

// The process-wide registry of animated strips, keyed by name without regard to case.
// The game fills it at start-up from sprite-sheet files: Lua scripts that define a global
// array "Sprites" of tables
//
//   { Name = "arrow_0", ImageFile = "img/arrows.png", SpriteC = 8, FrameTime = 20,
//     FrameBorderX = 1, FrameBorderY = 1, FlipU = false, FlipV = false, ClipX = 0, ClipY = 0 }
//
// where FrameTime counts frames per second (an absent one gives 10 s per frame).
class SpriteSet : public StringMap<Sprite> {
 public:
  using ProgressCallback = void (*)(void* user);

  SpriteSet() : StringMap<Sprite>(true, true) {}

  // Adds every qualifying item of the sprite-sheet file. A file that does not run logs
  // "Unable to load Sprite set <file>!" and adds nothing; strips whose images are missing
  // are left out and listed at the end as "Missing Sprite <name> : <image>" comments. A
  // name already in the set keeps its first strip. False only when the file did not run.
  bool Load(const std::string& file);

  // Makes a strip, loads its image and files it under its name; the borders are given in
  // pixels and kept in texture units. False, with nothing added, when the name is taken
  // or the image does not load. A frame duration that is not a positive number becomes 0:
  // such a strip shows its first frame, and played once it ends at once.
  bool AddSprite(const std::string& name, const std::string& imageFile, int frameCount,
                 float frameDuration, float borderX, float borderY, bool flipU, bool flipV,
                 float clipX, float clipY, const std::string& sourceFile);

  // Called with progressUser after each strip that Load adds (loading screens count them).
  ProgressCallback progressCallback = nullptr;
  void* progressUser = nullptr;
};

// The registry, built on first use and destroyed (with every strip) at exit.
SpriteSet& GetSpriteSet();

}  // namespace ui
