#include "engine/ui/SpriteSet.h"

#include <cmath>
#include <vector>

#include "engine/core/Log.h"
#include "engine/core/MemoryManager.h"
#include "engine/core/Script.h"
#include "engine/graphics/Image.h"

namespace ui {

SpriteSet& GetSpriteSet() {
  static SpriteSet set;
  return set;
}

bool SpriteSet::AddSprite(const std::string& name, const std::string& imageFile, int frameCount,
                          float frameDuration, float borderX, float borderY, bool flipU,
                          bool flipV, float clipX, float clipY, const std::string& sourceFile) {
  if (Find(name)) return false;
  MEMORY_OWNER("SpriteSet::AddSprite");
  Sprite* sprite = new Sprite;
  sprite->name = name;
  sprite->imageFile = imageFile;
  if (!sprite->EnsureImage()) {
    delete sprite;
    return false;
  }
  sprite->frameCount = frameCount;
  // A zero FrameTime gives an endless frame and a negative one a negative strip length;
  // neither can play, so both stand still on the first frame.
  sprite->frameDuration = std::isfinite(frameDuration) && frameDuration > 0.0f ? frameDuration : 0.0f;
  const float width = static_cast<float>(sprite->image->width);
  const float height = static_cast<float>(sprite->image->height);
  sprite->borderU = width > 0.0f ? borderX / width : 0.0f;
  sprite->borderV = height > 0.0f ? borderY / height : 0.0f;
  sprite->flipU = flipU;
  sprite->flipV = flipV;
  sprite->clipX = clipX;
  sprite->clipY = clipY;
  sprite->sourceFile = sourceFile;
  if (!Insert(name, sprite)) {
    delete sprite;
    return false;
  }
  return true;
}

bool SpriteSet::Load(const std::string& file) {
  LuaState* state = script::CreateLuaState();
  if (!script::LoadScript(state, file)) {
    LOG_LINE(MSG_ERROR) << "Unable to load Sprite set " << file << "!";
    LuaState::Destroy(state);
    return false;
  }
  std::vector<std::string> missing;
  LuaObject sprites = script::GetGlobal(state, "Sprites");
  if (sprites.IsTable()) {
    const int count = sprites.GetTableCount();
    for (int i = 1; i <= count; ++i) {
      LuaObject item = sprites.GetByIndex(i);
      if (!item.IsTable()) continue;
      const std::string name = script::GetString(item, "Name", "");
      const std::string imageFile = script::GetString(item, "ImageFile", "");
      const int frameCount = script::GetInt(item, "SpriteC", 0);
      if (frameCount <= 0 || name.empty() || imageFile.empty()) continue;
      // A second strip of a name keeps the first; it is no missing image.
      if (Find(name)) continue;
      const float framesPerSecond = script::GetFloat(item, "FrameTime", 0.1f);
      if (AddSprite(name, imageFile, frameCount, 1.0f / framesPerSecond,
                    script::GetFloat(item, "FrameBorderX", 0.0f),
                    script::GetFloat(item, "FrameBorderY", 0.0f),
                    script::GetBool(item, "FlipU", false), script::GetBool(item, "FlipV", false),
                    script::GetFloat(item, "ClipX", 0.0f), script::GetFloat(item, "ClipY", 0.0f),
                    file)) {
        if (progressCallback) progressCallback(progressUser);
      } else {
        missing.push_back("Missing Sprite " + name + " : " + imageFile);
      }
    }
  }
  for (const std::string& line : missing) LOG_LINE(MSG_COMMENT) << line;
  LuaState::Destroy(state);
  return true;
}

}  // namespace ui
