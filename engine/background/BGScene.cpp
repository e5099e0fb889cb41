#include "engine/background/BGScene.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

#include "engine/background/BGEditor.h"
#include "engine/background/BGElement.h"
#include "engine/core/Log.h"
#include "engine/core/Script.h"
#include "engine/core/StringUtil.h"
#include "engine/core/WriteLua.h"
#include "engine/graphics/DrawQueue.h"
#include "engine/graphics/FontManager.h"
#include "engine/graphics/Image.h"
#include "engine/ui/UIManager.h"
#include "platform/luaplus/LuaObject.h"
#include "platform/luaplus/LuaState.h"

namespace background {

namespace {

constexpr uint32_t kPathColor = 0x64FFFFFF;
constexpr float kPathWord = 0.01f;
constexpr float kVisibleMargin = 0.05f;
constexpr float kPixelWidth = 0.00125f;
constexpr float kPixelHeight = 0.0016666667f;
constexpr float kPlayWidth = 800.0f;
constexpr float kPlayHeight = 600.0f;

// A grid side read from a file: at most kMaxGridSide, with a warning.
int32_t BoundedGridSide(int32_t value, const char* key, const std::string& path) {
  if (value <= BGScene::kMaxGridSide) return value;
  LOG_LINE(MSG_WARNING) << "Background " << path << ": " << key << " " << value << " read as "
                        << BGScene::kMaxGridSide;
  return BGScene::kMaxGridSide;
}

// A tile side read from a file replaces the current one only when it is positive and
// finite: the grid and the tile brush divide by it.
float UsableTileSide(float value, float current) {
  return std::isfinite(value) && value > 0.0f ? value : current;
}

template <typename T>
void SortById(std::vector<std::unique_ptr<T>>& list) {
  std::stable_sort(list.begin(), list.end(),
                   [](const auto& a, const auto& b) { return a->ID < b->ID; });
}

// Moves the list's last entry to its place in ascending order of the key, after the
// entries of an equal key: where a stable sort of the list would put it.
template <typename T, typename Key>
void PlaceLast(std::vector<std::unique_ptr<T>>& list, Key key) {
  std::unique_ptr<T> last = std::move(list.back());
  list.pop_back();
  const auto value = key(*last);
  const auto place = std::upper_bound(list.begin(), list.end(), value,
                                      [&key](const auto& v, const auto& other) { return v < key(*other); });
  list.insert(place, std::move(last));
}

void SortLayer(std::vector<std::unique_ptr<BGElement>>& layer) {
  std::stable_sort(layer.begin(), layer.end(),
                   [](const auto& a, const auto& b) { return a->Sort < b->Sort; });
}

// Takes the element out of the layer (searched from the last) without deleting it.
bool ReleaseFrom(std::vector<std::unique_ptr<BGElement>>& layer, BGElement* element) {
  for (auto it = layer.rbegin(); it != layer.rend(); ++it) {
    if (it->get() != element) continue;
    it->release();
    layer.erase(std::next(it).base());
    return true;
  }
  return false;
}

}  // namespace

BGScene::BGScene() = default;

BGScene::~BGScene() {
  DeleteObjects();
  // The editor's brush is gone already; the editor only shows the interface again.
  editor.reset();
}

// --- Scene files ---

bool BGScene::Load(const std::string& path) {
  filePath = path;
  LuaState* state = script::CreateLuaState();
  if (!script::LoadScript(state, path)) {
    LOG_LINE(MSG_ERROR) << "Unable to load Background " << path << "!";
    LuaState::Destroy(state);
    return false;
  }
  ReadScene(script::GetGlobal(state, "BGScene"));
  LuaState::Destroy(state);
  return true;
}

void BGScene::ReadScene(const LuaObject& table) {
  DeleteObjects();
  if (!table.IsTable()) return;

  std::string image;
  const LuaObject info = script::GetField(table, "Info");
  if (info.IsTable()) {
    image = script::GetString(info, "BackgroundImg", "");
    ReadInfo(info);
  }
  Min = math::Vec2(0.0f, 0.0f);
  Max = math::Vec2(static_cast<float>(Width) * TileSize.x, static_cast<float>(Height) * TileSize.y);
  SetBackground(image);
  SetBackgroundTile(Width, Height, TileSize);

  ReadTiles(script::GetField(table, "BackgroundTiles"));
  ReadPaths(script::GetField(table, "Paths"));
  const LuaObject elements = script::GetField(table, "Background");
  const int count = BoundedEntryCount(elements, "Background");
  for (int i = 1; i <= count; ++i) {
    BGElement* element = BGElement::LoadElement(this, elements[i]);
    if (element) AppendElement(element);
  }
  SortLayer(front);
  SortLayer(back);
  ReadWaypoints(script::GetField(table, "Waypoints"));
}

int BGScene::BoundedEntryCount(const LuaObject& list, const char* key) const {
  const int count = list.IsTable() ? list.GetTableCount() : 0;
  if (count <= kMaxFileEntries) return count;
  LOG_LINE(MSG_WARNING) << "Background " << filePath << ": " << key << " has " << count << " entries; the first "
                        << kMaxFileEntries << " are read";
  return kMaxFileEntries;
}

void BGScene::ReadInfo(const LuaObject& info) {
  const math::Vec2 size = script::GetVec2(info, "TileSize", TileSize);
  TileSize = math::Vec2(UsableTileSide(size.x, TileSize.x), UsableTileSide(size.y, TileSize.y));
  const int32_t width = script::GetInt(info, "Width", Width);
  const int32_t height = script::GetInt(info, "Height", Height);
  if (width > 0) Width = BoundedGridSide(width, "Width", filePath);
  if (height > 0) Height = BoundedGridSide(height, "Height", filePath);
}

void BGScene::ReadTiles(const LuaObject& list) {
  if (!list.IsTable() || Width <= 0 || Height <= 0) return;
  const int count = BoundedEntryCount(list, "BackgroundTiles");
  for (int i = 0; i < count; ++i) {
    const LuaObject entry = list[i + 1];
    if (!entry.IsTable()) continue;
    const int32_t x = script::GetInt(entry, "x", i % Width);
    const int32_t y = script::GetInt(entry, "y", i / Width);
    SetTile(x, y, script::GetString(entry, "Img", ""), script::GetInt(entry, "Rot", 0));
  }
}

void BGScene::ReadPaths(const LuaObject& list) {
  const int count = BoundedEntryCount(list, "Paths");
  for (int i = 1; i <= count; ++i) {
    const LuaObject entry = list[i];
    if (!entry.IsTable()) continue;
    math::Spline nodes(0.001f);
    const LuaObject nodeList = script::GetField(entry, "Nodes");
    const int nodeCount = nodeList.IsTable() ? nodeList.GetTableCount() : 0;
    for (int k = 1; k <= nodeCount && nodes.GetNodeCount() < nodes.maxNodes; ++k) {
      nodes.AddNode(script::ToVec2(nodeList[k], math::Vec2(0.0f, 0.0f)));
    }
    AppendPath(nodes, script::GetInt(entry, "ID", -1));
  }
  SortPaths();
  pathCounter = paths.empty() ? 0 : paths.back()->ID;
}

void BGScene::ReadWaypoints(const LuaObject& list) {
  const int count = BoundedEntryCount(list, "Waypoints");
  for (int i = 1; i <= count; ++i) {
    const LuaObject entry = list[i];
    if (!entry.IsTable()) continue;
    AppendWaypoint(script::GetVec2(entry, "Pos", math::Vec2(0.0f, 0.0f)), script::GetInt(entry, "ID", -1));
  }
  SortWaypoints();
}

bool BGScene::Save(const std::string& path) {
  // An element still held by a brush is not part of the scene's file.
  if (editor) editor->ClearBrush();
  const std::string temporary = path + ".tmp";
  bool ok = WriteScene(temporary);
  ok = ok && std::rename(temporary.c_str(), path.c_str()) == 0;
  if (!ok) {
    std::remove(temporary.c_str());
    LOG_LINE(MSG_ERROR) << "Unable to save Background " << path << "!";
  }
  return ok;
}

bool BGScene::WriteScene(const std::string& file) const {
  WriteLua out;
  if (!out.Open(file)) return false;
  out.BeginTable("BGScene");

  out.BeginTable("Info");
  out.WriteString("BackgroundImg", BackgroundImg);
  out.WriteVector2("Min", Min);
  out.WriteVector2("Max", Max);
  out.WriteInt("Width", Width);
  out.WriteInt("Height", Height);
  out.WriteVector2("TileSize", TileSize);
  out.EndTable(true);

  out.BeginTable("Background");
  for (const auto* layer : {&front, &back}) {
    for (const auto& element : *layer) {
      out.BeginTable("");
      element->Save(out);
      out.EndTable(true);
    }
  }
  out.EndTable(true);

  out.BeginTable("Paths");
  for (const auto& path : paths) {
    out.BeginTable("");
    out.WriteInt("ID", path->ID);
    out.BeginTable("Nodes");
    for (int32_t i = 0; i < path->nodes.GetNodeCount(); ++i) {
      const math::Vec2& pos = path->nodes.GetNode(i)->pos;
      out.Printf("{ %f, %f }, \n", pos.x, pos.y);
    }
    out.EndTable(true);
    out.EndTable(true);
  }
  out.EndTable(true);

  if (HasTileGrid()) {
    out.BeginTable("BackgroundTiles");
    for (const BGTile& tile : tiles) {
      out.BeginTable("");
      out.WriteString("Img", tile.image);
      out.WriteInt("x", tile.x);
      out.WriteInt("y", tile.y);
      out.WriteInt("Rot", tile.Rot);
      out.EndTable(true);
    }
    out.EndTable(true);
  }

  if (!waypoints.empty()) {
    out.BeginTable("Waypoints");
    for (const auto& waypoint : waypoints) {
      out.BeginTable("");
      out.WriteVector2("Pos", waypoint->Pos);
      out.WriteInt("ID", waypoint->ID);
      out.EndTable(true);
    }
    out.EndTable(true);
  }

  out.EndTable(false);
  return out.Close();
}

// --- Picture and tiles ---

void BGScene::SetBackground(const std::string& name) {
  BackgroundImg = name;
  if (name.empty()) {
    background.Invalidate();
    return;
  }
  TrimPathToLastDir(BackgroundImg);
  background.LoadImage(name);
  if (background.image && background.image->width > 0 && background.image->height > 0) {
    const float w = static_cast<float>(background.image->width);
    const float h = static_cast<float>(background.image->height);
    backgroundUVSize = math::Vec2(kPlayWidth / w, kPlayHeight / h);
    background.uv1 = math::Vec2(0.0f, 0.0f);
    background.uv2 = backgroundUVSize;
    Max = math::Vec2(w * kPixelWidth, h * kPixelHeight);
  }
  background.SetTransform(math::Vec2(0.0f, 0.0f), math::Vec2(1.0f, 1.0f), 0.0f, 1.0f, 0xFFFFFFFF);
}

void BGScene::SetBackgroundTile(int32_t width, int32_t height, const math::Vec2& tileSize) {
  ClearTiles();
  Width = std::clamp(width, 0, kMaxGridSide);
  Height = std::clamp(height, 0, kMaxGridSide);
  TileSize = tileSize;
  tiles.resize(static_cast<size_t>(Width) * static_cast<size_t>(Height));
  for (int32_t y = 0; y < Height; ++y) {
    for (int32_t x = 0; x < Width; ++x) {
      BGTile& tile = tiles[static_cast<size_t>(Width * y + x)];
      tile.x = x;
      tile.y = y;
    }
  }
  Min = math::Vec2(0.0f, 0.0f);
  Max = math::Vec2(static_cast<float>(Width) * TileSize.x, static_cast<float>(Height) * TileSize.y);
}

void BGScene::SetTile(int32_t x, int32_t y, const std::string& image, int32_t rot) {
  if (!HasTileGrid() || x < 0 || x >= Width || y < 0 || y >= Height) return;
  BGTile& tile = tiles[static_cast<size_t>(Width * y + x)];
  tile.image = image;
  tile.Rot = rot;
  tile.sprite.LoadImage(image);
  tile.sprite.SetTransform(math::Vec2(0.0f, 0.0f), tile.sprite.GetImageSize(), 0.0f, 1.0f, 0xFFFFFFFF);
  const Image* picture = tile.sprite.image;
  if (picture && picture->width > 0 && picture->height > 0) {
    // One texel is trimmed on every side, so that neighbouring tiles do not bleed.
    const math::Vec2 texel(1.0f / static_cast<float>(picture->width),
                           1.0f / static_cast<float>(picture->height));
    tile.sprite.uv1 = texel;
    tile.sprite.uv2 = math::Vec2(1.0f - texel.x, 1.0f - texel.y);
  }
  tile.sprite.orientation = rot;
}

void BGScene::ClearTiles() {
  tiles.clear();
  Width = 0;
  Height = 0;
}

// --- Elements, paths, waypoints ---

void BGScene::AppendElement(BGElement* element) {
  // A file's NaN would break the ordering of the layer.
  if (std::isnan(element->Sort)) element->Sort = 0.0f;
  (element->Sort >= 0.0f ? front : back).emplace_back(element);
}

void BGScene::AddElement(BGElement* element) {
  AppendElement(element);
  PlaceLast(element->Sort >= 0.0f ? front : back, [](const BGElement& e) { return e.Sort; });
}

bool BGScene::RemoveElement(BGElement* element) {
  return ReleaseFrom(front, element) || ReleaseFrom(back, element);
}

bool BGScene::DeleteElement(const math::Vec2& point) {
  const math::Vec2 p = point - view;
  for (auto* layer : {&front, &back}) {
    for (auto it = layer->rbegin(); it != layer->rend(); ++it) {
      const BGElement& element = **it;
      const math::Vec2 q = p + view * element.Paralax;
      if (element.Pos.x <= q.x && q.x <= element.Pos.x + element.Size.x && element.Pos.y <= q.y &&
          q.y <= element.Pos.y + element.Size.y) {
        layer->erase(std::next(it).base());
        return true;
      }
    }
  }
  return false;
}

void BGScene::AppendPath(const math::Spline& nodes, int32_t id) {
  if (id == -1) {
    if (pathCounter < std::numeric_limits<int32_t>::max()) ++pathCounter;
    id = pathCounter;
  }
  auto path = std::make_unique<BGPath>(this);
  path->ID = id;
  for (int32_t i = 0; i < nodes.GetNodeCount(); ++i) path->nodes.AddNode(nodes.GetNode(i)->pos);
  paths.push_back(std::move(path));
}

bool BGScene::AddPath(const math::Spline& nodes, int32_t id) {
  AppendPath(nodes, id);
  PlaceLast(paths, [](const BGPath& path) { return path.ID; });
  return true;
}

BGPath* BGScene::FindPath(const math::Vec2& point) {
  for (const auto& path : paths) {
    math::Vec2 nearest;
    if (path->nodes.NearestPoint(point, kPathPickRadius, nearest)) return path.get();
  }
  return nullptr;
}

BGWaypoint* BGScene::AppendWaypoint(const math::Vec2& position, int32_t id) {
  SyncWaypointIds();
  if (id < 0) id = FreeWaypointId();
  auto waypoint = std::make_unique<BGWaypoint>();
  waypoint->Pos = position;
  waypoint->ID = id;
  BGWaypoint* added = waypoint.get();
  waypoints.push_back(std::move(waypoint));
  waypointIds_.insert(id);
  return added;
}

BGWaypoint* BGScene::AddWaypoint(const math::Vec2& position, int32_t id) {
  BGWaypoint* added = AppendWaypoint(position, id);
  PlaceLast(waypoints, [](const BGWaypoint& waypoint) { return waypoint.ID; });
  return added;
}

int32_t BGScene::FreeWaypointId() {
  // Every ID from 1 to below the floor is taken, so the search starts there: a file of
  // many waypoints without IDs is numbered in one pass instead of one per waypoint. No
  // upper limit: handing out a number already taken would make two waypoints one.
  int32_t id = std::max(waypointIdFloor_, 1);
  while (waypointIds_.find(id) != waypointIds_.end()) ++id;
  waypointIdFloor_ = id;
  return id;
}

void BGScene::SyncWaypointIds() {
  if (waypointIds_.size() == waypoints.size()) return;
  waypointIds_.clear();
  for (const auto& waypoint : waypoints) waypointIds_.insert(waypoint->ID);
  waypointIdFloor_ = 1;
}

void BGScene::ForgetWaypointId(int32_t id) {
  const auto found = waypointIds_.find(id);
  if (found == waypointIds_.end()) return;
  waypointIds_.erase(found);
  if (id >= 1 && id < waypointIdFloor_ && waypointIds_.find(id) == waypointIds_.end()) waypointIdFloor_ = id;
}

BGWaypoint* BGScene::FindWaypoint(const math::Vec2& point, bool remove) {
  for (auto it = waypoints.begin(); it != waypoints.end(); ++it) {
    const math::Vec2 d = (*it)->Pos - point;
    if (std::fabs(d.x) > kWaypointReach.x || std::fabs(d.y) > kWaypointReach.y) continue;
    BGWaypoint* found = it->get();
    if (remove) {
      SyncWaypointIds();
      it->release();
      waypoints.erase(it);
      ForgetWaypointId(found->ID);
    }
    return found;
  }
  return nullptr;
}

BGWaypoint* BGScene::FindWaypointById(int32_t id) {
  for (const auto& waypoint : waypoints) {
    if (waypoint->ID == id) return waypoint.get();
  }
  return nullptr;
}

void BGScene::SortPaths() { SortById(paths); }

void BGScene::SortWaypoints() { SortById(waypoints); }

void BGScene::DeleteObjects() {
  if (editor) editor->ClearBrush();
  for (auto* layer : {&front, &back}) {
    while (!layer->empty()) layer->pop_back();
  }
  paths.clear();
  waypoints.clear();
  waypointIds_.clear();
  waypointIdFloor_ = 1;
}

// --- Frame ---

bool BGScene::IsVisible(const BGElement& element) const {
  const math::Vec2 c = element.Center(view);
  const math::Vec2& e = element.halfExtent;
  return c.x - e.x <= 1.0f + kVisibleMargin && c.y - e.y <= 1.0f + kVisibleMargin &&
         c.x + e.x >= -kVisibleMargin && c.y + e.y >= -kVisibleMargin;
}

void BGScene::Update(float dt) {
  background.Animate(dt);
  for (BGTile& tile : tiles) tile.sprite.Animate(dt);
  for (auto* layer : {&back, &front}) {
    for (const auto& element : *layer) {
      if (IsVisible(*element)) element->Update(dt);
    }
  }
}

void BGScene::Render() {
  // A scene that was never loaded has its grid's size but no grid.
  const int32_t columns = HasTileGrid() ? Width : 0;
  for (int32_t x = 0; x < columns; ++x) {
    for (int32_t y = 0; y < Height; ++y) {
      const math::Vec2 p = math::Vec2(static_cast<float>(x) * TileSize.x, static_cast<float>(y) * TileSize.y) - view;
      const math::Vec2 q = p + TileSize;
      if (p.x >= 1.0f || p.y >= 1.0f || q.x <= 0.0f || q.y <= 0.0f) continue;
      BGTile& tile = tiles[static_cast<size_t>(Width * y + x)];
      tile.sprite.position = p;
      tile.sprite.Render();
    }
  }

  if (background.IsLoaded()) {
    background.uv1 = math::Vec2(view.x * backgroundUVSize.x, view.y * backgroundUVSize.y);
    background.uv2 = background.uv1 + backgroundUVSize;
    background.Render();
  }

  for (const auto& element : back) {
    if (IsVisible(*element)) element->Render(view);
  }
  if (editor) editor->Render();
}

void BGScene::RenderForeground() {
  for (const auto& element : front) {
    if (IsVisible(*element)) element->Render(view);
  }
  if (editor) {
    editor->Render();
    if (editor->debugDraw) RenderDebug();
  }
}

void BGScene::RenderDebug() {
  for (auto* layer : {&front, &back}) {
    for (const auto& element : *layer) element->RenderDebug(view);
  }
  dd::Manager& draw = dd::Manager::Instance();
  FontManager& fonts = FontManager::Get();
  for (const auto& path : paths) {
    draw.AddPath(&path->nodes, kPathWord, kPathColor, false, view);
    if (const math::PathNode* first = path->nodes.GetNode(0)) {
      fonts.Printf(first->pos - view, "PATH_%i", path->ID);
    }
  }
  for (const auto& waypoint : waypoints) {
    const math::Vec2 at = waypoint->Pos - view;
    draw.AddRect(at - kWaypointReach, at + kWaypointReach, kMarkerColor);
    if (waypoint->ID >= 0) fonts.Printf(at, "WP_%i", waypoint->ID);
  }
}

// --- Input ---

bool BGScene::MouseButtonPressed(int button, const math::Vec2& position) {
  const ui::UIManager* manager = ui::UIManager::Existing();
  if (manager && manager->IsMouseOverUI(position)) return true;
  return editor ? editor->MouseButtonPressed(button, position) : false;
}

void BGScene::MouseMoved(const math::Vec2& oldPosition, const math::Vec2& newPosition) {
  if (editor) editor->MouseMoved(oldPosition, newPosition);
}

void BGScene::MouseWheel(int delta) {
  if (editor) editor->MouseWheel(delta);
}

void BGScene::KeyPressed(uint32_t key) {
  if (key == kEditorKey) {
    if (editor) {
      DetachEditor();
    } else {
      AttachEditor();
    }
  }
  if (editor) editor->KeyPressed(key);
}

void BGScene::KeyHeld(uint32_t key) {
  if (editor) editor->KeyHeld(key);
}

void BGScene::AttachEditor() {
  editor = std::make_unique<BGEditor>(this);
  editor->gridOrigin = gridOrigin;
  editor->gridStep = gridStep;
  // The game's scripts learn that the editor opened and closed.
  editor->Start();
}

void BGScene::DetachEditor() {
  editor->Stop();
  editor.reset();
}

}  // namespace background
