#include "engine/ui/SpriteSet.h"

#include <cmath>
#include <utility>
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
  std::vector<SheetItem> items;
  if (!ReadSheet(file, items)) return false;
  AddItems(items, file);
  return true;
}

bool SpriteSet::ReadSheet(const std::string& file, std::vector<SheetItem>& items) {
  LuaState* state = script::CreateLuaState();
  if (!script::LoadScript(state, file)) {
    LOG_LINE(MSG_ERROR) << "Unable to load Sprite set " << file << "!";
    LuaState::Destroy(state);
    return false;
  }
  LuaObject sprites = script::GetGlobal(state, "Sprites");
  if (sprites.IsTable()) {
    const int count = sprites.GetTableCount();
    for (int i = 1; i <= count; ++i) {
      LuaObject entry = sprites.GetByIndex(i);
      if (!entry.IsTable()) continue;
      SheetItem item;
      item.name = script::GetString(entry, "Name", "");
      item.imageFile = script::GetString(entry, "ImageFile", "");
      item.frameCount = script::GetInt(entry, "SpriteC", 0);
      if (item.frameCount <= 0 || item.name.empty() || item.imageFile.empty()) continue;
      item.frameDuration = 1.0f / script::GetFloat(entry, "FrameTime", 0.1f);
      item.borderX = script::GetFloat(entry, "FrameBorderX", 0.0f);
      item.borderY = script::GetFloat(entry, "FrameBorderY", 0.0f);
      item.flipU = script::GetBool(entry, "FlipU", false);
      item.flipV = script::GetBool(entry, "FlipV", false);
      item.clipX = script::GetFloat(entry, "ClipX", 0.0f);
      item.clipY = script::GetFloat(entry, "ClipY", 0.0f);
      items.push_back(std::move(item));
    }
  }
  LuaState::Destroy(state);
  return true;
}

void SpriteSet::AddItems(const std::vector<SheetItem>& items, const std::string& file) {
  std::vector<std::string> missing;
  for (const SheetItem& item : items) {
    // A second strip of a name keeps the first; it is no missing image.
    if (Find(item.name)) continue;
    if (AddSprite(item.name, item.imageFile, item.frameCount, item.frameDuration, item.borderX, item.borderY,
                  item.flipU, item.flipV, item.clipX, item.clipY, file)) {
      if (progressCallback) progressCallback(progressUser);
    } else {
      missing.push_back("Missing Sprite " + item.name + " : " + item.imageFile);
    }
  }
  for (const std::string& line : missing) LOG_LINE(MSG_COMMENT) << line;
}

}  // namespace ui
