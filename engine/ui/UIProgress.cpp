#include "engine/ui/UIProgress.h"

#include <algorithm>

#include "engine/core/MemoryManager.h"
#include "engine/core/Script.h"
#include "engine/core/WriteLua.h"

namespace ui {

namespace {
// Plain images are cut inside a hundredth of their edges, so that a filtered texture
// shows no seam of the opposite edge.
constexpr float kTextureEdge = 0.01f;
}  // namespace

UIProgress::UIProgress(UIWidget* parent, const std::string& name) : UIWidget(parent, name) {
  type = WT_Progress;
}

void UIProgress::SetProgress(float newValue) { value = std::clamp(newValue, 0.0f, 1.0f); }

void UIProgress::LoadBarImage(int index, const std::string& file) {
  images[index].Init(file, uv1, uv2, false);
}

void UIProgress::SetFullImage(const std::string& file) { images[kFullImage].LoadImage(file); }

void UIProgress::SetEmptyImage(const std::string& file) { images[kEmptyImage].LoadImage(file); }

bool UIProgress::Load(const LuaObject& table) {
  if (!UIWidget::Load(table)) return false;
  const std::string full = script::GetString(table, "ProgressFull", "");
  if (!full.empty()) LoadBarImage(kFullImage, full);
  const std::string empty = script::GetString(table, "ProgressEmpty", "");
  if (!empty.empty()) LoadBarImage(kEmptyImage, empty);
  SetProgress(script::GetFloat(table, "Progress", 0.0f));
  horizontal = script::GetBool(table, "HorizProgress", false);
  flipped = script::GetBool(table, "Flipped", false);
  return true;
}

bool UIProgress::Tick(float dt) {
  images[kFullImage].Animate(dt);
  images[kEmptyImage].Animate(dt);
  return UIWidget::Tick(dt);
}

void UIProgress::DrawPart(int index, const math::Vec2& partPosition, const math::Vec2& partSize,
                          float plainFrom, float plainTo, float from, float to) {
  UISprite& part = images[index];
  const math::Vec2 keptUV1 = part.uv1;
  const math::Vec2 keptUV2 = part.uv2;
  math::Vec2 cut1 = part.strip ? part.uv1 : uv1;
  math::Vec2 cut2 = part.strip ? part.uv2 : uv2;
  if (part.strip) {
    // A strip keeps its frame's rectangle and is cut within it.
    if (horizontal) {
      const float u1 = cut1.x, width = cut2.x - cut1.x;
      cut1.x = u1 + width * from;
      cut2.x = u1 + width * to;
    } else {
      const float v1 = cut1.y, height = cut2.y - cut1.y;
      cut1.y = v1 + height * from;
      cut2.y = v1 + height * to;
    }
  } else if (horizontal) {
    cut1.x = plainFrom;
    cut2.x = plainTo;
  } else {
    cut1.y = plainFrom;
    cut2.y = plainTo;
  }
  part.uv1 = cut1;
  part.uv2 = cut2;
  part.SetTransform(partPosition, partSize, rotation, scale, color);
  part.Render();
  part.uv1 = keptUV1;
  part.uv2 = keptUV2;
}

bool UIProgress::Render(bool forced) {
  if (SkipsDraw(forced)) return false;
  const float p = flipped ? 1.0f - value : value;
  const float low = kTextureEdge;
  const float high = 1.0f - kTextureEdge;
  if (horizontal) {
    DrawPart(kEmptyImage, math::Vec2(position.x + p * size.x, position.y),
             math::Vec2((1.0f - p) * size.x, size.y), p, high, p, 1.0f);
    DrawPart(kFullImage, position, math::Vec2(p * size.x, size.y), low, p, 0.0f, p);
  } else {
    DrawPart(kEmptyImage, position, math::Vec2(size.x, p * size.y), low, p, 0.0f, p);
    DrawPart(kFullImage, math::Vec2(position.x, position.y + p * size.y),
             math::Vec2(size.x, (1.0f - p) * size.y), p, high, p, 1.0f);
  }
  text.Render();
  for (size_t i = 0; i < children.size(); ++i) children[i]->Render(false);
  return true;
}

UIWidget* UIProgress::GetClone() {
  const std::string cloneName = NextCloneName();
  MEMORY_OWNER("UIProgress::GetClone");
  UIProgress* clone = new UIProgress(parent, cloneName);
  CopyInto(clone);
  clone->horizontal = horizontal;
  clone->value = value;
  // The flipped flag too: a copy of a bar that fills from the other side should look the same.
  clone->flipped = flipped;
  return clone;
}

bool UIProgress::SaveExtra(WriteLua& writer) {
  if (images[kFullImage].IsLoaded()) writer.WriteString("ProgressFull", images[kFullImage].fileName);
  if (images[kEmptyImage].IsLoaded()) writer.WriteString("ProgressEmpty", images[kEmptyImage].fileName);
  writer.WriteFloat("Progress", value);
  writer.WriteInt("HorizProgress", horizontal ? 1 : 0);
  writer.WriteInt("Flipped", flipped ? 1 : 0);
  return true;
}

}  // namespace ui
