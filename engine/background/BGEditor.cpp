#include "engine/background/BGEditor.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "engine/app/Input.h"
#include "engine/app/Keyboard.h"
#include "engine/background/BGElement.h"
#include "engine/background/BGScene.h"
#include "engine/core/Console.h"
#include "engine/core/Timer.h"
#include "engine/graphics/DrawQueue.h"
#include "engine/graphics/FontManager.h"
#include "engine/ui/UIManager.h"

namespace background {

namespace {

constexpr uint32_t kWhite = 0xFFFFFFFF;
constexpr float kParalaxStep = 0.05f;
constexpr float kMinParalax = 0.01f;
constexpr float kMaxParalax = 2.0f;
constexpr float kAlphaPerSecond = 0.2f;
// The wheel reports 120 a notch; the brush turns by about four degrees a notch.
constexpr float kWheelScale = 0.033333335f;
const math::Vec2 kHelpPosition(0.01f, 0.1f);
const math::Vec2 kBrushHelpPosition(0.01f, 0.5f);
const math::Vec2 kCursorReach(0.00625f, 0.0083333f);

// DirectInput key codes of the editor.
enum Key : uint32_t {
  kKey1 = 2,
  kKey2 = 3,
  kKey3 = 4,
  kKey4 = 5,
  kKey0 = 11,
  kKeyW = 17,
  kKeyU = 22,
  kKeyEnter = 28,
  kKeyLeftCtrl = 29,
  kKeyS = 31,
  kKeyD = 32,
  kKeyG = 34,
  kKeyH = 35,
  kKeyLeftShift = 42,
  kKeyRightShift = 54,
  kKeyPadMultiply = 55,
  kKeySpace = 57,
  kKeyF8 = 66,
  kKeyF9 = 67,
  kKeyF10 = 68,
  kKeyRightCtrl = 157,
  kKeyPadDivide = 181,
  kKeyHome = 199,
  kKeyUp = 200,
  kKeyPageUp = 201,
  kKeyLeft = 203,
  kKeyRight = 205,
  kKeyEnd = 207,
  kKeyDown = 208,
  kKeyPageDown = 209,
  kKeyInsert = 210,
  kKeyDelete = 211,
};

void RunScript(const char* script) { console::GetConsole().Do(script); }

// Brought into [0, 360) by one turn either way.
float WrapDegrees(float degrees) {
  if (degrees >= 360.0f) return degrees - 360.0f;
  if (degrees < 0.0f) return degrees + 360.0f;
  return degrees;
}

// A float cell coordinate as an int: NaN is 0 and values beyond the range are clamped.
int32_t ClampedCell(float value) {
  if (std::isnan(value)) return 0;
  const float low = static_cast<float>(std::numeric_limits<int32_t>::min());
  const float high = 2147483520.0f;  // the largest float below 2^31
  return static_cast<int32_t>(std::clamp(value, low, high));
}

bool ShiftHeld() {
  const input::Keyboard* keyboard = input::GetDevices().keyboard;
  return keyboard && (keyboard->IsDown(kKeyLeftShift) || keyboard->IsDown(kKeyRightShift));
}

}  // namespace

// --- Brush ---

Brush::Brush(BGEditor* owner, const std::string& sourceName) : editor(owner), name(sourceName) {}

Brush::~Brush() = default;

void Brush::Wheel(int steps) {
  if (steps > 0) index = index == 3 ? 0 : index + 1;
  if (steps < 0) index = index == 0 ? 3 : index - 1;
}

void Brush::ChangeAlpha(float amount) { alpha = std::clamp(alpha + amount, 0.0f, 1.0f); }

// --- Element brushes ---

ElementBrush::~ElementBrush() {
  if (!element) return;
  editor->scene->RemoveElement(element);
  delete element;
}

void ElementBrush::SetElement(const std::string& source) {
  BGElement* made = MakeElement();
  if (!made) return;
  made->SetSource(source);
  made->start = made->Pos = position;
  AddElement(made);
}

void ElementBrush::AddElement(BGElement* newElement) {
  if (element) {
    editor->scene->RemoveElement(element);
    delete element;
  }
  element = newElement;
  if (element) editor->scene->AddElement(element);
}

void ElementBrush::Reinsert() {
  if (!element) return;
  editor->scene->RemoveElement(element);
  editor->scene->AddElement(element);
}

void ElementBrush::MouseMoved(const math::Vec2& point) {
  Brush::MouseMoved(point);
  const math::Vec2 q = point + editor->scene->view * paralax;
  if (element) {
    if (motionDrag) {
      if (FollowsMotion()) element->Dir = motion;
    } else if (editor->snapToGrid) {
      element->start = element->Pos = q;
    } else {
      element->start = element->Pos = q - element->Size * 0.5f;
    }
    Reinsert();
  }
  lastPosition = point;
}

void ElementBrush::Click(const math::Vec2& point) {
  if (element && !motionDrag) {
    motionStart = editor->mousePosition;
    motionDrag = true;
    if (HasMotion()) {
      element->Paralax = paralax;
      return;
    }
  }
  if (motionDrag) {
    // The second click: the element keeps its motion and stays in the scene.
    if (element) element->Dir = motion;
    motion = math::Vec2(0.0f, 0.0f);
    element = nullptr;
    motionDrag = false;
    SetElement(name);
  }
  if (element) element->Paralax = paralax;
}

bool ElementBrush::RightClick(const math::Vec2& point) {
  if (!element) return false;
  editor->scene->RemoveElement(element);
  editor->scene->DeleteElement(point);
  motionDrag = false;
  editor->scene->AddElement(element);
  return true;
}

void ElementBrush::SetRotation(float degrees) {
  rotation = degrees;
  if (!element) return;
  element->Rotation = rotation;
  element->RecalcBounds();
}

void ElementBrush::Rotate(float degrees) {
  const float turned = WrapDegrees(rotation + degrees);
  float snapped = 0.0f;
  if (turned > 260.0f) {
    snapped = 270.0f;
  } else if (turned > 170.0f) {
    snapped = 180.0f;
  } else if (turned > 80.0f) {
    snapped = 90.0f;
  }
  SetRotation(snapped);
}

void ElementBrush::Wheel(int steps) { SetRotation(WrapDegrees(rotation + static_cast<float>(steps))); }

void ElementBrush::ChangeLayer(float steps) {
  layer += steps;
  if (!element) return;
  element->Sort = layer;
  Reinsert();
}

void ElementBrush::ChangeParalax(float steps) {
  paralax = std::clamp(paralax + steps * kParalaxStep, kMinParalax, kMaxParalax);
  if (element) element->Paralax = paralax;
}

void ElementBrush::Render() {
  MouseMoved(lastPosition);
  FontManager& fonts = FontManager::Get();
  if (editor->showHelp) {
    fonts.Printf(math::Vec2(0.02f, 0.675f),
                 "Layer : %.1f. [Up/Down for single steps, PgUp/PgDown for steps of 10]. >0 is above "
                 "the game board, ",
                 layer);
    fonts.Printf(math::Vec2(0.02f, 0.7f),
                 "Rotation : %.1f. [Left/Right to rotation 90 degrees. Mousewheel to rotate single degrees",
                 rotation);
    fonts.Printf(math::Vec2(0.02f, 0.725f), "Alpha : %.3f. [Ins/Del]", alpha);
    fonts.Printf(math::Vec2(0.02f, 0.75f), "Paralax: %.2f. [div/mult]", paralax);
  }
  if (motionDrag && element) {
    dd::Manager::Instance().AddLine(motionStart, editor->mousePosition, kWhite, true);
    motion = editor->mousePosition - motionStart;
    if (editor->showHelp) fonts.Print(math::Vec2(0.04f, 0.675f), "[Enter] to turn off motion");
  }
}

DecalBrush::DecalBrush(BGEditor* owner, const std::string& image) : ElementBrush(owner, image) {
  SetElement(image);
}

BGElement* DecalBrush::MakeElement() {
  static constexpr const char* kTypes[kKindCount] = {"decal", "pandecal", "rotdecal", "bobdecal", "uvdecal"};
  return BGElement::Create(editor->scene, kTypes[kind]);
}

void DecalBrush::SetElement(const std::string& source) {
  static constexpr const char* kLabels[kKindCount] = {"Plain", "transient", "Rotating", "Bobbing", "UV"};
  BGElement* made = MakeElement();
  if (!made) return;
  made->SetSource(source);
  made->start = made->Pos = position;
  made->Dir = motion;
  made->Rotation = rotation;
  made->RecalcBounds();
  made->Sort = layer;
  AddElement(made);
  help = std::string("Decal Type [CTRL]: ") + kLabels[kind] + "\n" +
         (additive ? "[SHIFT] Toggle Non-Additive" : "[SHIFT] Toggle Additive");
}

void DecalBrush::ToggleCtrl() {
  kind = (kind + 1) % kKindCount;
  SetElement(name);
}

void DecalBrush::ToggleShift() {
  additive = !additive;
  if (auto* decal = dynamic_cast<BGDecal*>(element)) decal->Additive = additive;
}

void DecalBrush::ChangeAlpha(float amount) {
  Brush::ChangeAlpha(amount);
  if (auto* decal = dynamic_cast<BGDecal*>(element)) {
    decal->Alpha = alpha;
    decal->Update(0.0f);
  }
}

PartBrush::PartBrush(BGEditor* owner, const std::string& file) : ElementBrush(owner, file) {
  SetElement(file);
}

BGElement* PartBrush::MakeElement() { return new BGPartSys(editor->scene); }

void PartBrush::SetElement(const std::string& source) {
  ElementBrush::SetElement(source);
  MouseMoved(lastPosition);
}

void PartBrush::Resize(const math::Vec2& delta) {
  if (element) element->Size += delta;
}

BipedBrush::BipedBrush(BGEditor* owner, const std::string& animationName)
    : ElementBrush(owner, animationName) {
  SetElement(animationName);
}

BGElement* BipedBrush::MakeElement() { return new BGBiped(editor->scene); }

void BipedBrush::SetElement(const std::string& source) {
  ElementBrush::SetElement(source);
  MouseMoved(lastPosition);
}

// --- Tile brush ---

TileBrush::TileBrush(BGEditor* owner, const std::string& image) : Brush(owner, image) {
  sprite.LoadImage(image);
  sprite.size = sprite.GetImageSize();
  help = "Toggle [CTRL] to replace single tile";
}

void TileBrush::ToggleCtrl() {
  replaceAll = !replaceAll;
  help = replaceAll ? "Toggle [CTRL] to replace single tile" : "Toggle [CTRL] to replace all tiles";
}

void TileBrush::CursorCell(int32_t& x, int32_t& y) const {
  const BGScene& scene = *editor->scene;
  const math::Vec2 at = position + scene.view;
  x = ClampedCell(at.x / scene.TileSize.x);
  y = ClampedCell(at.y / scene.TileSize.y);
}

void TileBrush::Render() {
  const BGScene& scene = *editor->scene;
  int32_t x = 0;
  int32_t y = 0;
  CursorCell(x, y);
  sprite.position = math::Vec2(static_cast<float>(x) * scene.TileSize.x, static_cast<float>(y) * scene.TileSize.y) -
                    scene.view;
  sprite.Render();
}

void TileBrush::Wheel(int steps) {
  if (steps > 0) rotation = rotation == 3 ? 0 : rotation + 1;
  if (steps < 0) rotation = rotation == 0 ? 3 : rotation - 1;
  sprite.orientation = rotation;
}

void TileBrush::Click(const math::Vec2& point) {
  BGScene& scene = *editor->scene;
  if (!scene.HasTileGrid()) {
    scene.SetBackground(name);
    return;
  }
  if (!replaceAll) {
    int32_t x = 0;
    int32_t y = 0;
    CursorCell(x, y);
    scene.SetTile(x, y, name, rotation);
    return;
  }
  for (int32_t y = 0; y < scene.Height; ++y) {
    for (int32_t x = 0; x < scene.Width; ++x) scene.SetTile(x, y, name, rotation);
  }
}

bool TileBrush::RightClick(const math::Vec2& point) {
  if (editor->scene->HasTileGrid()) return false;
  editor->scene->SetBackground("");
  return true;
}

// --- Spline brush ---

SplineBrush::SplineBrush(BGEditor* owner) : Brush(owner, "Spline") {}

SplineBrush::~SplineBrush() {
  if (nodes.GetNodeCount() > 1) editor->scene->AddPath(nodes, -1);
}

void SplineBrush::MouseMoved(const math::Vec2& point) {
  position = point + editor->scene->view;
  if (nodes.GetNodeCount() == 0) nodes.AddNode(position);
  nodes.SetNode(selected > 0 ? selected : nodes.GetNodeCount() - 1, position);
}

void SplineBrush::Click(const math::Vec2& point) {
  if (selected >= 0) {
    selected = -1;
    return;
  }
  int32_t found = -1;
  if (nodes.FindNode(position, -1.0f, found) && found != 0 && found != nodes.GetNodeCount() - 1) {
    selected = found;
  } else {
    nodes.AddNode(position);
  }
}

bool SplineBrush::RightClick(const math::Vec2& point) {
  if (selected >= 0) {
    nodes.RemoveNode(selected);
    selected = -1;
    return true;
  }
  int32_t found = -1;
  if (!nodes.FindNode(position, -1.0f, found)) return false;
  nodes.RemoveNode(found);
  return true;
}

void SplineBrush::Render() {
  const math::Vec2& view = editor->scene->view;
  dd::Manager& draw = dd::Manager::Instance();
  draw.AddPath(&nodes, 0.01f, kWhite, true, view);
  const math::Vec2 at = position - view;
  draw.AddRect(at - kCursorReach, at + kCursorReach, BGScene::kMarkerColor);
}

// --- Waypoint brush ---

void WayPointBrush::Render() {
  const math::Vec2& reach = BGScene::kWaypointReach;
  dd::Manager::Instance().AddRect(position - reach, position + reach, BGScene::kMarkerColor);
}

void WayPointBrush::Click(const math::Vec2& point) {
  editor->scene->AddWaypoint(position + editor->scene->view, -1);
}

bool WayPointBrush::RightClick(const math::Vec2& point) {
  delete editor->scene->FindWaypoint(point, true);
  return true;
}

// --- Editor ---

BGEditor::BGEditor(BGScene* edited) : scene(edited) {}

BGEditor::~BGEditor() {
  brush.reset();
  if (ui::UIManager* manager = ui::UIManager::Existing()) manager->uiShown = true;
}

void BGEditor::Start() { RunScript("OnStartBGEditor()"); }

void BGEditor::Stop() { RunScript("OnStopBGEditor()"); }

void BGEditor::SetBrush(Brush* newBrush) {
  // The old brush goes first: a spline brush adds its path, an element brush takes its
  // element out of the scene.
  brush.reset();
  brush.reset(newBrush);
}

math::Vec2 BGEditor::Snap(const math::Vec2& point) const {
  if (!snapToGrid) return point;
  const math::Vec2& view = scene->view;
  const float x = std::trunc((point.x + view.x - gridOrigin.x) / gridStep.x) * gridStep.x;
  const float y = std::trunc((point.y + view.y - gridOrigin.y) / gridStep.y) * gridStep.y;
  return math::Vec2(x + gridOrigin.x - view.x, y + gridOrigin.y - view.y);
}

void BGEditor::MouseMoved(const math::Vec2& oldPosition, const math::Vec2& newPosition) {
  mousePosition = newPosition;
  if (!brush) return;
  if (ShiftHeld()) {
    brush->Resize(newPosition - oldPosition);
  } else {
    brush->MouseMoved(Snap(newPosition));
  }
}

void BGEditor::MouseWheel(int delta) {
  if (!brush) {
    RunScript(delta >= 0 ? "BgEditScrollEnvDown()" : "BgEditScrollEnvUp()");
    return;
  }
  brush->Wheel(static_cast<int>(static_cast<float>(delta) * kWheelScale));
}

bool BGEditor::MouseButtonPressed(int button, const math::Vec2& point) {
  const math::Vec2 p = point + scene->view;
  if (button == 1) {
    if (brush && brush->RightClick(p)) return true;
    if (scene->DeleteElement(p)) return true;
    scene->FindPath(p);
    return true;
  }
  if (button != 0) return true;
  if (brush) {
    brush->Click(p);
    return true;
  }
  if (BGPath* path = scene->FindPath(p)) {
    // The clicked path stays as it is; the brush edits a copy, saved as a new path.
    auto* copy = new SplineBrush(this);
    for (int32_t i = 0; i < path->nodes.GetNodeCount(); ++i) copy->nodes.AddNode(path->nodes.GetNode(i)->pos);
    SetBrush(copy);
  }
  return true;
}

void BGEditor::KeyPressed(uint32_t key) {
  switch (key) {
    case kKey1: RunScript("EditDecalBG()"); return;
    case kKey2: RunScript("EditBackgroundBG()"); return;
    case kKey3: RunScript("EditPartBG()"); return;
    case kKey4: RunScript("EditBipedBG()"); return;
    case kKey0: RunScript("ShowBgEditor()"); return;
    case kKeyW: SetBrush(new WayPointBrush(this)); return;
    case kKeyU:
      if (ui::UIManager* manager = ui::UIManager::Existing()) manager->uiShown = !manager->uiShown;
      return;
    case kKeyS: SetBrush(new SplineBrush(this)); return;
    case kKeyD: debugDraw = !debugDraw; return;
    case kKeyG: snapToGrid = !snapToGrid; return;
    case kKeyH: showHelp = !showHelp; return;
    case kKeySpace: ClearBrush(); return;
    case kKeyF8: RunScript("LoadBGImg()"); return;
    case kKeyF9: RunScript("SaveBackgroundFile()"); return;
    case kKeyF10: RunScript("LoadBackgroundFile()"); return;
    default: break;
  }
  if (!brush) return;
  switch (key) {
    case kKeyEnter: brush->Enter(); break;
    case kKeyLeftCtrl:
    case kKeyRightCtrl: brush->ToggleCtrl(); break;
    case kKeyLeftShift:
    case kKeyRightShift: brush->ToggleShift(); break;
    case kKeyPadMultiply: brush->ChangeParalax(1.0f); break;
    case kKeyPadDivide: brush->ChangeParalax(-1.0f); break;
    case kKeyHome: brush->ChangeLayer(100.0f); break;
    case kKeyUp: brush->ChangeLayer(1.0f); break;
    case kKeyPageUp: brush->ChangeLayer(-10.0f); break;
    case kKeyLeft: brush->Rotate(-90.0f); break;
    case kKeyRight: brush->Rotate(90.0f); break;
    case kKeyEnd: brush->ChangeLayer(-100.0f); break;
    case kKeyDown: brush->ChangeLayer(-1.0f); break;
    case kKeyPageDown: brush->ChangeLayer(10.0f); break;
    default: break;
  }
}

void BGEditor::KeyHeld(uint32_t key) {
  if (!brush) return;
  const float step = kAlphaPerSecond * FrameTimer::Instance().GetDelta();
  if (key == kKeyInsert) brush->ChangeAlpha(step);
  if (key == kKeyDelete) brush->ChangeAlpha(-step);
}

void BGEditor::Render() {
  if (brush) brush->Render();
  if (!showHelp) return;
  FontManager& fonts = FontManager::Get();
  fonts.Print(kHelpPosition, helpText);
  if (brush) fonts.Print(kBrushHelpPosition, brush->help);
}

void BGEditor::AddDecal(const std::string& image) { SetBrush(new DecalBrush(this, image)); }

void BGEditor::AddPartSys(const std::string& file) { SetBrush(new PartBrush(this, file)); }

void BGEditor::AddBiped(const std::string& animationName) { SetBrush(new BipedBrush(this, animationName)); }

void BGEditor::SetBackground(const std::string& image) {
  ClearBrush();
  scene->ClearTiles();
  scene->SetBackground(image);
}

void BGEditor::SetBackgroundTile(const std::string& image) { SetBrush(new TileBrush(this, image)); }

}  // namespace background
