#pragma once

#include <string>
#include <vector>

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

  // One qualifying item of a sprite-sheet file, as read: a table with a name, an image
  // file and at least one frame. Borders and clips in pixels.
  struct SheetItem {
    std::string name;
    std::string imageFile;
    int frameCount = 0;
    float frameDuration = 0.0f;
    float borderX = 0.0f;
    float borderY = 0.0f;
    bool flipU = false;
    bool flipV = false;
    float clipX = 0.0f;
    float clipY = 0.0f;
  };

  // Adds every qualifying item of the sprite-sheet file (ReadSheet, then AddItems). False
  // only when the file did not run.
  bool Load(const std::string& file);
  // The qualifying items of the sprite-sheet file, in its order, added to items. A file
  // that does not run logs "Unable to load Sprite set <file>!", adds nothing and gives
  // false. Reading loads no image: a loading screen can count the sprites first.
  bool ReadSheet(const std::string& file, std::vector<SheetItem>& items);
  // Adds the items read from the file: each name not in the set yet gets its strip, and
  // the progress callback runs after each strip added. Strips whose images are missing
  // are left out and listed at the end as "Missing Sprite <name> : <image>" comments; a
  // name already in the set keeps its first strip.
  void AddItems(const std::vector<SheetItem>& items, const std::string& file);

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
