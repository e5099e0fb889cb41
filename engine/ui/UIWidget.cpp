#include "engine/ui/UIWidget.h"

#include <algorithm>
#include <cstdio>
#include <strings.h>

#include "engine/app/Audio.h"
#include "engine/core/Console.h"
#include "engine/core/CRC32.h"
#include "engine/core/Log.h"
#include "engine/core/MemoryManager.h"
#include "engine/core/Script.h"
#include "engine/core/WriteLua.h"
#include "engine/graphics/Graphics.h"
#include "engine/ui/UIManager.h"
#include "engine/ui/UIMover.h"
#include "engine/ui/UIProgress.h"
#include "engine/ui/UISlider.h"
#include "engine/ui/WidgetHandle.h"
#include "platform/luaplus/LuaStateOutFile.h"

namespace ui {

namespace {

constexpr const char* kEventNames[UIWidget::EV_Count] = {
    "on_load",     "gain_focus",    "loose_focus",  "drag",          "drop",
    "mouse_over",  "mouse_off",     "hoover",       "lmb_click",     "lmb_dbl_click",
    "lmb_repeat",  "rmb_click",     "rmb_dbl_click", "rmb_repeat",   "lmb_release",
    "rmb_release", "slider_change", "clip_ended",   "text_enter",    "selected",
    "up_key",      "down_key",      "left_key",     "right_key",     "tab_key",
    "graph_risen", "graph_dropped"};

// The Lua keys of the off, over and click images.
constexpr const char* kStateImageKeys[] = {"MouseOff", "MouseOver", "MouseClick"};

constexpr const char* kTypeNames[] = {"widget",   "progress", "slider", "verslider",
                                      "dropdown", "multiline", "checkbox", "flash",
                                      "movie",    "partsys",  "part2d"};

// The preview frame of overMode, and the gap around the preview.
constexpr uint32_t kHighlightFrameColor = 0xAA88AA88;
constexpr math::Vec2 kHighlightGap{0.00625f, 0.008333334f};
constexpr float kUnpackChannel = 0.003921569f;  // 1 / 255, as colours are written

uint32_t KeyOf(std::string_view name) { return num::CRC32::Instance().Calc(name, true); }

math::Vec4 UnpackColor(uint32_t packed) {
  return math::Vec4(static_cast<float>((packed >> 16) & 0xFF) * kUnpackChannel,
                    static_cast<float>((packed >> 8) & 0xFF) * kUnpackChannel,
                    static_cast<float>(packed & 0xFF) * kUnpackChannel,
                    static_cast<float>(packed >> 24) * kUnpackChannel);
}

// A string value that reads back as the same text. WriteLua::WriteString keeps paths with
// forward slashes, which would change a backslash inside a text or a script ("\n" in a
// Lua string of an event script), so texts and scripts are written with this instead.
std::string ExactString(const std::string& text) {
  std::string out;
  AppendLuaEscaped(text, out);
  return out;
}

void WriteExactString(WriteLua& writer, const char* key, const std::string& value) {
  writer.PrintLine("%s = \"%s\",", key, ExactString(value).c_str());
}

// Booleans are written as Lua booleans, which the boolean reader takes back as they were.
void WriteBool(WriteLua& writer, const char* key, bool value) {
  writer.PrintLine("%s = %s,", key, value ? "true" : "false");
}

// Colour channels with nine decimals: with six, about half of the 256 channel values
// would come back one lower after a save and a load (the packing truncates).
void WriteColor(WriteLua& writer, const char* key, uint32_t packed) {
  const math::Vec4 c = UnpackColor(packed);
  writer.PrintLine("%s = { %.9f, %.9f, %.9f, %.9f },", key, static_cast<double>(c.x),
                   static_cast<double>(c.y), static_cast<double>(c.z), static_cast<double>(c.w));
}

}  // namespace

int32_t UIWidget::s_nonameCounter = 0;
int32_t UIWidget::s_cloneCounter = 0;

UIWidget::UIWidget(UIWidget* parentWidget, const std::string& widgetName)
    : manager(&GetUIMan()), parent(parentWidget), name(widgetName), nameKey(KeyOf(widgetName)) {
  text.owner = this;
}

UIWidget::~UIWidget() {
  // Holders that kept this widget through a handle find it empty from here on.
  for (WidgetHandle* handle : handles_) handle->widget_ = nullptr;
  handles_.clear();
  for (UIWidget* child : children) delete child;
  children.clear();
  DeleteMovers();
  if (UIManager* live = UIManager::Existing()) live->ForgetTree(this);
}

// --- Virtual operations ---

bool UIWidget::Create(const std::string& widgetName, const math::Vec2& relativePosition,
                      const math::Vec2& widgetSize) {
  SetPosition(relativePosition);
  SetSize(widgetSize);
  uv1 = math::Vec2(0.0f, 0.0f);
  uv2 = math::Vec2(1.0f, 1.0f);
  for (int i = 0; i < 3; ++i) {
    images[i].uv1 = uv1;
    images[i].uv2 = uv2;
  }
  SetColor(1.0f, 1.0f, 1.0f, 1.0f);
  rotation = 0.0f;
  SetName(widgetName);
  text.SetFont(manager->defaultFont);
  SetWideText(WString());
  active = true;
  sourceFile = UIManager::kCodeBuiltSource;
  return true;
}

bool UIWidget::Load(const LuaObject& table) {
  SetPosition(script::GetVec2(table, "Pos", math::Vec2(0.0f, 0.0f)));
  SetSize(script::GetVec2(table, "Size", math::Vec2(0.3f, 0.3f)));
  uv1 = script::GetVec2(table, "UV1", math::Vec2(0.0f, 0.0f));
  uv2 = script::GetVec2(table, "UV2", math::Vec2(1.0f, 1.0f));
  playSound = script::GetBool(table, "PlaySound", true);
  disableOverSound = script::GetBool(table, "DisableOverSound", false);
  disableClickSound = script::GetBool(table, "DisableClickSound", false);
  next = script::GetString(table, "Next", "");
  isPassword = script::GetBool(table, "IsPassword", false);
  text.isPassword = isPassword;
  blockAll = script::GetBool(table, "BlockAll", false);
  const math::Vec4 colour = script::GetVec4(table, "Color", math::Vec4(1.0f, 1.0f, 1.0f, 1.0f));
  const math::Vec4 textColour =
      script::GetVec4(table, "TextColor", math::Vec4(1.0f, 1.0f, 1.0f, 1.0f));
  SetColor(colour.x, colour.y, colour.z, colour.w);
  SetTextColor(textColour.x, textColour.y, textColour.z, textColour.w);
  rotation = script::GetFloat(table, "Rotation", 0.0f);
  text.underline = script::GetBool(table, "Underline", false);

  std::string widgetName = script::GetString(table, "Name", "");
  if (widgetName.empty()) widgetName = "Noname_widget" + std::to_string(s_nonameCounter++);
  SetName(widgetName);

  text.SetFont(script::GetString(table, "Font", manager->defaultFont));
  text.border = script::GetVec2(table, "BorderSize", math::Vec2(0.005f, 0.005f));
  text.SetRect(position, size);
  const std::string hJust = script::GetString(table, "HJust", "");
  if (!hJust.empty()) text.SetHJust(hJust);
  const std::string vJust = script::GetString(table, "VJust", "");
  if (!vJust.empty()) text.SetVJust(vJust);
  const int maxInput = script::GetInt(table, "MaxInput", 0);
  if (maxInput > 0) text.maxInput = maxInput;
  SetCanEdit(script::GetBool(table, "CanEdit", false));
  SetText(script::GetString(table, "Text", ""));

  for (int i = 0; i < 3; ++i) {
    const std::string file = script::GetString(table, kStateImageKeys[i], "");
    if (!file.empty()) {
      images[i].Init(file, uv1, uv2, false);
      images[i].Animate(0.0f);
    }
  }
  const bool additive = script::GetBool(table, "Additive", false);
  for (UISprite& image : images) image.additive = additive;

  for (int id = 0; id < EV_Count; ++id) {
    LuaObject script = table.GetByName(kEventNames[id]);
    if (script.IsString()) eventScripts[id] = script.ToStdString();
  }

  LuaObject childEntries = script::GetField(table, "Children");
  if (childEntries.IsTable()) {
    const int count = childEntries.GetTableCount();
    for (int i = 1; i <= count; ++i) {
      UIWidget* child = manager->CreateWidget(this, childEntries.GetByIndex(i));
      if (!child || !AddChild(child)) {
        delete child;
        LOG_LINE(MSG_WARNING) << "Unable to create child!";
      }
    }
  }
  if (script::GetInt(table, "CanDrag", 0) != 0) canDrag = true;
  if (script::GetInt(table, "Active", 1) != 1) active = false;

  FireEvent(EV_OnLoad);
  return true;
}

bool UIWidget::Save(WriteLua& writer) {
  WriteExactString(writer, "Name", name);
  writer.WriteString("Font", text.fontName);
  WriteExactString(writer, "Text", ToNarrow(GetSourceText()));
  WriteBool(writer, "Underline", text.underline);
  WriteBool(writer, "BlockAll", blockAll);
  writer.WriteVector2("BorderSize", text.border);
  writer.WriteVector2("Pos", GetRelativePosition());
  writer.WriteVector2("Size", size);
  writer.WriteVector2("UV1", uv1);
  writer.WriteVector2("UV2", uv2);
  WriteColor(writer, "Color", color);
  bool additive = false;
  for (const UISprite& image : images) {
    if (image.IsLoaded()) {
      additive = image.additive;
      break;
    }
  }
  WriteBool(writer, "Additive", additive);
  writer.WriteFloat("Rotation", rotation);
  if (!next.empty()) WriteExactString(writer, "Next", next);
  writer.WriteString("HJust", text.hJust == UIText::kLeft    ? "left"
                              : text.hJust == UIText::kRight ? "right"
                                                             : "center");
  writer.WriteString("VJust", text.vJust == UIText::kTop      ? "top"
                              : text.vJust == UIText::kBottom ? "bottom"
                                                              : "center");
  if (text.maxInput != UIText::kDefaultMaxInput) writer.WriteInt("MaxInput", text.maxInput);
  if (text.IsEditable()) WriteBool(writer, "CanEdit", true);
  // CanDrag and Active are read as numbers, so they are written as numbers.
  if (canDrag) writer.WriteInt("CanDrag", 1);
  if (!active) writer.WriteInt("Active", 0);
  if (!playSound) WriteBool(writer, "PlaySound", false);
  if (disableOverSound) WriteBool(writer, "DisableOverSound", true);
  if (disableClickSound) WriteBool(writer, "DisableClickSound", true);
  WriteColor(writer, "TextColor", text.color);
  writer.WriteString("Type", GetType());
  for (int i = 0; i < 3; ++i) {
    if (images[i].IsLoaded()) writer.WriteString(kStateImageKeys[i], images[i].fileName);
  }
  SaveExtra(writer);
  for (int id = 0; id < EV_Count; ++id) {
    if (!eventScripts[id].empty()) WriteExactString(writer, kEventNames[id], eventScripts[id]);
  }
  if (!children.empty()) {
    writer.BeginTable("Children");
    for (UIWidget* child : children) {
      writer.BeginTable("-- Child entry");
      child->Save(writer);
      writer.EndTable(true);
    }
    writer.EndTable(true);
  }
  return true;
}

bool UIWidget::SaveExtra(WriteLua&) { return true; }

WString UIWidget::GetSourceText() const { return text.rawText; }

bool UIWidget::Tick(float dt) {
  if (!visible) return false;
  entered = false;
  left = false;
  CurrentImage().Animate(dt);
  for (size_t i = 0; i < children.size(); ++i) children[i]->Tick(dt);
  if (!movers.empty() && !movers.front()->done) {
    UIMover* front = movers.front();
    front->Update(dt);
    // The finish script may have emptied the queue (DeleteMovers) meanwhile.
    if (!movers.empty() && movers.front() == front && front->done) {
      movers.erase(movers.begin());
      delete front;
    }
  }
  return true;
}

bool UIWidget::SkipsDraw(bool forced) const {
  return !forced && (!visible || manager->GetDragTarget() == this);
}

bool UIWidget::Render(bool forced) {
  if (SkipsDraw(forced)) return false;
  UISprite& image = CurrentImage();
  image.SetTransform(position, size, rotation, scale, color);
  image.Render();
  text.Render();
  for (size_t i = 0; i < children.size(); ++i) children[i]->Render(false);
  return true;
}

void UIWidget::RenderHighlight() {
  if (!visible || !active) return;
  for (size_t i = 0; i < children.size(); ++i) children[i]->RenderHighlight();
  UISprite& off = images[IS_Off];
  if (state != IS_Over || overMode <= 0 || !off.IsLoaded()) return;

  const math::Vec2 preview = off.GetRectSize();
  math::Vec2 corner = position;
  if (overMode == 1) {
    corner = math::Vec2(0.0025f - preview.x * 0.5f, 0.0033333334f - preview.y * 0.5f);
  } else if (overMode == 2) {
    corner = position + size * 0.5f - preview * 0.5f;
  }
  if (corner.x + preview.x > 1.0f) corner.x = 1.0f - preview.x - kHighlightGap.x;
  if (corner.y + preview.y > 1.0f) corner.y = 1.0f - preview.y - kHighlightGap.y;
  if (corner.x < 0.0f) corner.x = kHighlightGap.x;
  if (corner.y < 0.0f) corner.y = kHighlightGap.y;

  if (Graphics* graphics = GetGraphics()) {
    // The frame binds no texture of its own: it takes whatever the last draw left bound.
    ScreenVertex frame[UISprite::kQuadVertices];
    BuildScreenQuad(corner - kHighlightGap, preview + kHighlightGap * 2.0f, math::Vec2(0.0f, 0.0f),
                    math::Vec2(0.0f, 0.0f), kHighlightFrameColor, frame);
    graphics->DrawArray(frame, UISprite::kQuadVertices, PT_Triangles);
  }
  off.SetTransform(corner + kHighlightGap, preview, 0.0f, 1.0f, color);
  off.Render();
}

bool UIWidget::MouseMove(const math::Vec2& oldPosition, const math::Vec2& newPosition) {
  if (!IsActiveAndVisible()) return false;
  const bool wasIn = IsInside(oldPosition);
  const bool isIn = IsInside(newPosition);
  state = isIn ? IS_Over : IS_Off;
  entered = !wasIn && isIn;
  left = wasIn && !isIn;
  if (ChildrenFirst([&](UIWidget* c) { return c->MouseMove(oldPosition, newPosition); })) return true;
  return blockAll;
}

bool UIWidget::FireOffEvents() {
  if (!IsActiveAndVisible()) return false;
  if (left) FireEvent(EV_MouseOff);
  if (ChildrenFirst([](UIWidget* c) { return c->FireOffEvents(); })) return true;
  return blockAll;
}

bool UIWidget::FireOverEvents() {
  if (!IsActiveAndVisible()) return false;
  if (entered) {
    const bool handled = FireEvent(EV_MouseOver);
    if ((handled || images[IS_Over].IsLoaded()) && playSound && !disableOverSound) {
      audio::GetAudio().PlaySound("button_rollover");
    }
  }
  if (ChildrenFirst([](UIWidget* c) { return c->FireOverEvents(); })) return true;
  return blockAll;
}

bool UIWidget::MouseDown(const math::Vec2& point, int button) {
  if (!IsActiveAndVisible()) return false;
  if (ChildrenFirst([&](UIWidget* c) { return c->MouseDown(point, button); })) return true;
  if (IsInside(point)) {
    if (button == 0 && text.IsEditable()) text.PlaceCaret(point);
    if (FireEvent(button == 0 ? EV_ClickLMB : EV_ClickRMB)) return true;
  }
  return blockAll;
}

bool UIWidget::MouseDoubleClick(const math::Vec2& point, int button) {
  if (!IsActiveAndVisible()) return false;
  if (ChildrenFirst([&](UIWidget* c) { return c->MouseDoubleClick(point, button); })) return true;
  if (IsInside(point)) {
    if (FireEvent(button == 0 ? EV_DblClickLMB : EV_DblClickRMB)) return true;
    state = IS_Over;
  }
  return blockAll;
}

bool UIWidget::MouseUp(const math::Vec2& point, int button) {
  if (!IsActiveAndVisible()) return false;
  if (ChildrenFirst([&](UIWidget* c) { return c->MouseUp(point, button); })) return true;
  const bool inside = IsInside(point);
  state = inside ? IS_Over : IS_Off;
  if (!inside) return false;
  if (button == 0) {
    if (text.IsEditable() && manager->GetEditText() != &text) manager->SetEditWidget(this);
    manager->SetFocus(this);
    if (!eventScripts[EV_ReleaseLMB].empty() && playSound && !disableClickSound) {
      audio::GetAudio().PlaySound("button_press");
    }
    const bool handled = FireEvent(EV_ReleaseLMB);
    return blockAll || handled || text.IsEditable() || canDrag;
  }
  if (blockAll) return true;
  return FireEvent(EV_ReleaseRMB);
}

bool UIWidget::MouseHeld(const math::Vec2& point, int button) {
  if (!IsActiveAndVisible()) return false;
  if (ChildrenFirst([&](UIWidget* c) { return c->MouseHeld(point, button); })) return true;
  if (images[IS_Click].IsLoaded() && IsInside(point)) {
    state = IS_Click;
    return true;
  }
  return blockAll;
}

bool UIWidget::MouseRepeat(const math::Vec2& point, int button) {
  if (!IsActiveAndVisible()) return false;
  if (ChildrenFirst([&](UIWidget* c) { return c->MouseRepeat(point, button); })) return true;
  if (IsInside(point)) return FireEvent(button == 0 ? EV_RepeatLMB : EV_RepeatRMB);
  return blockAll;
}

bool UIWidget::MouseHover(const math::Vec2& point) {
  if (!IsActiveAndVisible() || !IsInside(point)) return false;
  for (size_t i = 0; i < children.size(); ++i) children[i]->MouseHover(point);
  return blockAll;
}

bool UIWidget::MouseDrop(const math::Vec2& start, const math::Vec2& end, UIWidget* dragged) {
  if (!IsActiveAndVisible()) return false;
  for (size_t i = 0; i < children.size(); ++i) children[i]->MouseDrop(start, end, dragged);
  return blockAll;
}

bool UIWidget::MouseDrag(const math::Vec2& start, const math::Vec2& point) {
  if (!IsActiveAndVisible()) return false;
  if (canDrag && (IsInside(start) || manager->GetDragTarget() == this)) {
    // The manager keeps the position the drag began at, for a drop that nothing takes;
    // so it learns of the drag before the widget moves.
    manager->SetFocus(this);
    manager->SetDragTarget(this);
    SetPositionRelativeToParent(point - size * 0.1f);
    return true;
  }
  if (!manager->GetDragTarget()) manager->SetFocus(this);
  if (ChildrenFirst([&](UIWidget* c) { return c->MouseDrag(start, point); })) return true;
  return blockAll;
}

bool UIWidget::Notify(int value) {
  if (active) {
    for (size_t i = 0; i < children.size(); ++i) children[i]->Notify(value);
  }
  return false;
}

void UIWidget::ResetResources() {
  for (size_t i = 0; i < children.size(); ++i) children[i]->ResetResources();
}

bool UIWidget::IsInside(const math::Vec2& point) const {
  return point.x >= position.x && point.x <= position.x + size.x && point.y >= position.y &&
         point.y <= position.y + size.y;
}

void UIWidget::SetPosition(const math::Vec2& relative) {
  const math::Vec2 oldPosition = position;
  position = parent ? parent->position + relative : relative;
  text.SetRect(position, size);
  for (size_t i = 0; i < children.size(); ++i) {
    children[i]->SetPosition(children[i]->position - oldPosition);
  }
}

void UIWidget::SetPositionRelativeToParent(const math::Vec2& absolute) {
  SetPosition(parent ? absolute - parent->position : absolute);
}

bool UIWidget::HasImage() const { return CurrentImage().IsLoaded(); }

void UIWidget::SetText(const std::string& newText) { SetWideText(ToWide(newText)); }

void UIWidget::SetWideText(const WString& newText) {
  text.SetRect(position, size);
  text.SetText(newText);
}

void UIWidget::AppendText(const std::string& more) { AppendWideText(ToWide(more)); }

void UIWidget::AppendWideText(const WString& more) { text.AppendText(more); }

void UIWidget::RefreshText() {
  text.SetRect(position, size);
  text.UpdateText();
  for (size_t i = 0; i < children.size(); ++i) children[i]->RefreshText();
}

UIWidget* UIWidget::GetClone() {
  const std::string cloneName = NextCloneName();
  MEMORY_OWNER("UIWidget::GetClone");
  UIWidget* clone = new UIWidget(parent, cloneName);
  CopyInto(clone);
  return clone;
}

std::string UIWidget::NextCloneName() { return "Clone_" + std::to_string(s_cloneCounter++); }

void UIWidget::CopyInto(UIWidget* clone) const {
  clone->manager = manager;
  clone->parent = parent;
  clone->state = state;
  clone->text.CopyFrom(text);
  clone->type = type;
  clone->sourceFile = sourceFile;
  clone->active = active;
  clone->canDrag = canDrag;
  clone->position = position;
  clone->size = size;
  clone->uv1 = uv1;
  clone->uv2 = uv2;
  clone->rotation = rotation;
  clone->scale = scale;
  clone->color = color;
  clone->entered = entered;
  clone->left = left;
  clone->blockAll = blockAll;
  for (int i = 0; i < kImageCount; ++i) {
    const UISprite& source = images[i];
    if (source.fileName.empty()) continue;
    clone->images[i].Init(source.fileName, source.uv1, source.uv2, source.additive);
  }
  for (int id = 0; id < EV_Count; ++id) clone->eventScripts[id] = eventScripts[id];
}

void UIWidget::ReloadImages() {
  for (UISprite& image : images) image.ReloadIfLocalised();
  for (size_t i = 0; i < children.size(); ++i) children[i]->ReloadImages();
}

// --- Geometry and looks ---

void UIWidget::SetSize(const math::Vec2& newSize) {
  size = newSize;
  text.SetRect(position, size);
}

math::Vec2 UIWidget::GetRelativePosition() const {
  return parent ? position - parent->position : position;
}

void UIWidget::FitToRect(const math::Vec2& box) {
  const UISprite& off = images[IS_Off];
  if (!off.IsLoaded()) return;
  const math::Vec2 native = off.GetImageSize();
  if (native.x <= 0.0f || native.y <= 0.0f || box.x <= 0.0f || box.y <= 0.0f) return;
  if (native.x / box.x <= native.y / box.y) {
    size = math::Vec2(box.y / native.y * native.x, box.y);
  } else {
    size = math::Vec2(box.x, box.x / native.x * native.y);
  }
}

void UIWidget::SetColor(float r, float g, float b, float a) { color = PackColor(r, g, b, a); }

void UIWidget::SetTextColor(float r, float g, float b, float a) {
  text.color = PackColor(r, g, b, a);
}

void UIWidget::SetImage(int imageState, const std::string& file) {
  if (imageState < 0 || imageState >= kImageCount) return;
  images[imageState].LoadImage(file);
}

void UIWidget::SetAllImage(const std::string& file) {
  for (int i = 0; i < 3; ++i) SetImage(i, file);
}

UISprite& UIWidget::CurrentImage() {
  UISprite& current = images[std::clamp(state, 0, kImageCount - 1)];
  return current.IsLoaded() ? current : images[IS_Off];
}

const UISprite& UIWidget::CurrentImage() const {
  const UISprite& current = images[std::clamp(state, 0, kImageCount - 1)];
  return current.IsLoaded() ? current : images[IS_Off];
}

// --- Flags ---

void UIWidget::SetIsActive(bool flag) {
  active = flag;
  if (flag && !parent) manager->PushPanelToFront(this);
}

// --- Names and the tree ---

void UIWidget::SetName(const std::string& newName) {
  if (parent) {
    auto it = std::find(parent->children.begin(), parent->children.end(), this);
    if (it != parent->children.end()) {
      parent->children.erase(it);
      parent->children.push_back(this);
    }
  }
  name = newName;
  nameKey = KeyOf(newName);
}

void UIWidget::RenameWidget(const std::string& newName) {
  SetName(newName);
  if (!parent) manager->PushPanelToFront(this);
}

std::string UIWidget::TypeName(int32_t typeId) {
  if (typeId < 0 || typeId > WT_Part2D) return kTypeNames[WT_Widget];
  return kTypeNames[typeId];
}

std::string UIWidget::GetType() const { return TypeName(type); }

UIWidget* UIWidget::GetRoot() {
  UIWidget* root = this;
  while (root->parent) root = root->parent;
  return root;
}

UIWidget* UIWidget::FindChild(std::string_view childName) const {
  const uint32_t key = KeyOf(childName);
  for (UIWidget* child : children) {
    if (child->nameKey == key) return child;
  }
  return nullptr;
}

UIWidget* UIWidget::GetWidgetByName(const std::string& widgetName) {
  if (strcasecmp(name.c_str(), widgetName.c_str()) == 0) return this;
  for (UIWidget* child : children) {
    if (UIWidget* found = child->GetWidgetByName(widgetName)) return found;
  }
  return nullptr;
}

namespace {
UIWidget* OfType(UIWidget* widget, int32_t typeId) {
  return widget && widget->type == typeId ? widget : nullptr;
}
}  // namespace

UIProgress* UIWidget::GetProgressByName(const std::string& widgetName) {
  return static_cast<UIProgress*>(OfType(GetWidgetByName(widgetName), WT_Progress));
}
UISlider* UIWidget::GetSliderByName(const std::string& widgetName) {
  return static_cast<UISlider*>(OfType(GetWidgetByName(widgetName), WT_Slider));
}
UIWidget* UIWidget::GetDropDownByName(const std::string& widgetName) {
  return OfType(GetWidgetByName(widgetName), WT_DropDown);
}
UIWidget* UIWidget::GetMultiLineByName(const std::string& widgetName) {
  return OfType(GetWidgetByName(widgetName), WT_MultiLine);
}
UIWidget* UIWidget::GetCheckBoxByName(const std::string& widgetName) {
  return OfType(GetWidgetByName(widgetName), WT_CheckBox);
}
UIWidget* UIWidget::GetFlashWidgetByName(const std::string& widgetName) {
  return OfType(GetWidgetByName(widgetName), WT_Flash);
}
UIWidget* UIWidget::GetMovieWidgetByName(const std::string& widgetName) {
  return OfType(GetWidgetByName(widgetName), WT_Movie);
}
UIWidget* UIWidget::GetPartWidgetByName(const std::string& widgetName) {
  return OfType(GetWidgetByName(widgetName), WT_Part2D);
}

bool UIWidget::AddChild(UIWidget* child) { return InsertChild(child, false, ""); }

bool UIWidget::InsertChild(UIWidget* child, bool front, const std::string& sibling) {
  if (!child || child->name.empty() || child == this) return false;
  child->parent = this;
  if (!sibling.empty()) {
    if (UIWidget* after = FindChild(sibling)) {
      children.insert(std::find(children.begin(), children.end(), after) + 1, child);
      return true;
    }
    children.push_back(child);
    return true;
  }
  if (front) {
    children.insert(children.begin(), child);
  } else {
    children.push_back(child);
  }
  return true;
}

bool UIWidget::DeleteChild(UIWidget* child, bool destroy) {
  if (!child || child->name.empty()) return false;
  auto it = std::find(children.begin(), children.end(), child);
  if (it == children.end()) return false;
  children.erase(it);
  manager->ForgetTree(child);
  if (destroy) manager->DestroyWidget(child);
  return true;
}

// --- Events ---

void UIWidget::SetEventHandler(int eventId, const std::string& script) {
  if (eventId >= 0 && eventId < EV_Count) eventScripts[eventId] = script;
}

const std::string& UIWidget::GetEventHandler(int eventId) const {
  static const std::string none;
  return eventId >= 0 && eventId < EV_Count ? eventScripts[eventId] : none;
}

const char* UIWidget::GetEventName(int eventId) {
  return eventId >= 0 && eventId < EV_Count ? kEventNames[eventId] : "unknown";
}

bool UIWidget::FireEvent(int eventId) {
  if (eventId == EV_TabKey) {
    if (!next.empty()) {
      if (UIWidget* target = GetRoot()->GetWidgetByName(next)) {
        manager->SetEditWidget(target);
        target->text.SelectAll();
      }
    }
    return true;
  }
  if (eventId < 0 || eventId >= EV_Count || eventScripts[eventId].empty()) return false;
  // A copy: the script may replace this widget's scripts, or drop the widget, while it runs.
  const std::string script = eventScripts[eventId];
  console::GetConsole().Do(script);
  return true;
}

// --- Movers ---

void UIWidget::AddMover(UIMover* mover) {
  if (mover) movers.push_back(mover);
}

void UIWidget::ClearMovers() {
  for (UIMover* mover : movers) {
    mover->runTimer.remaining = -1.0f;
    mover->skipFinish = true;
  }
}

void UIWidget::DeleteMovers() {
  std::vector<UIMover*> doomed;
  doomed.swap(movers);
  for (UIMover* mover : doomed) delete mover;
}

// --- Hit tests ---

bool UIWidget::IsOverImage(const math::Vec2& point) const {
  if (!visible) return false;
  if (IsInside(point) && HasImage()) return true;
  for (const UIWidget* child : children) {
    if (child->IsOverImage(point)) return true;
  }
  return false;
}

bool UIWidget::BlocksMouse(const math::Vec2& point) const {
  if (!visible) return false;
  if (IsInside(point) && HasImage() &&
      (blockAll || !eventScripts[EV_ClickLMB].empty() || !eventScripts[EV_ReleaseLMB].empty())) {
    return true;
  }
  for (const UIWidget* child : children) {
    if (child->BlocksMouse(point)) return true;
  }
  return false;
}

// --- Handles ---

void WidgetHandle::Reset(UIWidget* widget) {
  if (widget == widget_) return;
  if (widget_) {
    auto& list = widget_->handles_;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
  }
  widget_ = widget;
  if (widget_) widget_->handles_.push_back(this);
}

}  // namespace ui
