#pragma once

#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "engine/core/Math.h"
#include "engine/core/Spline.h"
#include "engine/ui/UISprite.h"

class LuaObject;
class LuaState;

namespace background {

class BGEditor;
class BGElement;
class BGScene;

// One cell of the tile grid.
struct BGTile {
  ui::UISprite sprite;
  std::string image;
  int32_t x = 0;
  int32_t y = 0;
  int32_t Rot = 0;  // quarter turns, also the sprite's orientation
};

// A named curve of the scene; only the editor shows it.
struct BGPath {
  explicit BGPath(BGScene* owner) : scene(owner) {}
  BGScene* scene;
  math::Spline nodes{0.001f};
  int32_t ID = 0;
};

// A numbered point of the scene; only the editor shows it.
struct BGWaypoint {
  math::Vec2 Pos;
  int32_t ID = 0;
};

// A screen's background scene: a grid of tile images or one large picture, with one layer
// of scene elements drawn under the user interface (Sort below 0) and one drawn over it,
// named paths and numbered waypoints. It is read from a scene file, a Lua script that
// defines the global table "BGScene", and written back to one; its owner updates it once a
// frame and draws it in two passes (Render, then RenderForeground after the user
// interface). F2 attaches a scene editor (BGEditor), which then receives the scene's
// input and draws after each pass. Positions are fractions of the 800 x 600 play area.
class BGScene {
 public:
  // A scene file's grid is at most this many cells on a side.
  static constexpr int32_t kMaxGridSide = 256;
  // A scene file's lists (elements, tiles, paths, waypoints) are read up to this many
  // entries each; the rest are skipped with a warning.
  static constexpr int32_t kMaxFileEntries = 65536;
  // A path is hit within this distance of its curve.
  static constexpr float kPathPickRadius = 0.0125f;
  // Outlines, waypoint markers and the spline brush's cursor.
  static constexpr uint32_t kMarkerColor = 0xFFFF0000;
  // A waypoint is hit, and drawn, this far around its position on each axis (3 x 3 pixels).
  static constexpr math::Vec2 kWaypointReach{0.00375f, 0.005f};
  // DirectInput code of the key that attaches and detaches the editor.
  static constexpr uint32_t kEditorKey = 60;

  // An empty scene: no picture, no elements, no editor; a 9 x 9 grid of 512 x 512 pixel
  // cells is set up by the first Load.
  BGScene();
  // Detaches the editor and frees the scene's objects.
  virtual ~BGScene();
  BGScene(const BGScene&) = delete;
  BGScene& operator=(const BGScene&) = delete;

  // Builds the scene from the scene file. False when the file cannot be run, logged as
  // "Unable to load Background <path>!"; the scene then stays as it was.
  bool Load(const std::string& path);
  // Writes the scene file (the editor's brush is dropped first) through a temporary file
  // renamed over the old one; false, logged, when it cannot be written (the old file stays).
  bool Save(const std::string& path);
  // One large picture shown through an 800 x 600 window; an empty name drops it.
  void SetBackground(const std::string& name);
  // A fresh width x height grid of empty tiles of the given size.
  void SetBackgroundTile(int32_t width, int32_t height, const math::Vec2& tileSize);
  // Sets one cell's picture and quarter turns; ignored outside the grid.
  void SetTile(int32_t x, int32_t y, const std::string& image, int32_t rot);
  void ClearTiles();
  bool HasTileGrid() const { return !tiles.empty(); }

  // Elements belong to the scene once added (placed after those of the same Sort);
  // RemoveElement hands one back without deleting it.
  void AddElement(BGElement* element);
  bool RemoveElement(BGElement* element);
  // Deletes the topmost element under the point; false when none lies there.
  bool DeleteElement(const math::Vec2& point);

  // Adds a copy of the nodes as a path (after those of the same ID); id -1 takes the next
  // number.
  bool AddPath(const math::Spline& nodes, int32_t id);
  BGPath* FindPath(const math::Vec2& point);
  // A negative id takes the lowest number from 1 that no waypoint has; the waypoint goes
  // after those of the same ID.
  BGWaypoint* AddWaypoint(const math::Vec2& position, int32_t id);
  // The waypoint within 3 x 3 pixels of the point; taken out of the list (and then the
  // caller's) when remove is set.
  BGWaypoint* FindWaypoint(const math::Vec2& point, bool remove);
  BGWaypoint* FindWaypointById(int32_t id);

  // Drops the editor's brush, then deletes every element, path and waypoint.
  void DeleteObjects();

  // Animates the pictures and the visible elements by dt seconds.
  void Update(float dt);
  // The back pass: the tiles or the picture, the visible back elements, the editor.
  void Render();
  // The front pass: the visible front elements, the editor, the debug drawing when the
  // editor asks for it.
  void RenderForeground();
  // Outlines of the elements, the paths and the waypoints on the 2-D draw queue.
  void RenderDebug();

  // Input from the owning state; everything but a press over a picture of the user
  // interface goes to the attached editor. True when the press was taken.
  virtual bool MouseButtonPressed(int button, const math::Vec2& position);
  virtual void MouseMoved(const math::Vec2& oldPosition, const math::Vec2& newPosition);
  virtual void MouseWheel(int delta);
  // F2 attaches or detaches the editor; then the key goes to the editor there is.
  virtual void KeyPressed(uint32_t key);
  virtual void KeyHeld(uint32_t key);

  // The element's centre and whether it lies on the screen (with a 0.05 margin).
  bool IsVisible(const BGElement& element) const;

  math::Vec2 TileSize{0.64f, 0.8533334f};
  int32_t Width = 9;
  int32_t Height = 9;
  std::vector<BGTile> tiles;
  ui::UISprite background;
  std::string BackgroundImg;
  math::Vec2 backgroundUVSize{1.0f, 1.0f};
  math::Vec2 Min{0.0f, 0.0f};
  math::Vec2 Max{0.0f, 0.0f};
  // Subtracted from every position, scaled by each element's Paralax; nothing moves it.
  math::Vec2 view{0.0f, 0.0f};
  std::vector<std::unique_ptr<BGElement>> back;   // Sort < 0, ascending
  std::vector<std::unique_ptr<BGElement>> front;  // Sort >= 0, ascending
  std::vector<std::unique_ptr<BGPath>> paths;     // ascending ID
  std::vector<std::unique_ptr<BGWaypoint>> waypoints;  // ascending ID
  std::unique_ptr<BGEditor> editor;
  int32_t pathCounter = 0;
  math::Vec2 gridOrigin{0.0f, 0.0f};
  math::Vec2 gridStep{0.04f, 0.0533333f};
  std::string filePath;

 private:
  // The reader appends each list's entries as they come and orders each list once at the
  // end: ordering after every entry made a file's load grow with the square of its size.
  void AppendElement(BGElement* element);
  void AppendPath(const math::Spline& nodes, int32_t id);
  BGWaypoint* AppendWaypoint(const math::Vec2& position, int32_t id);
  // The lowest number from 1 that no waypoint has.
  int32_t FreeWaypointId();
  // The used numbers follow the waypoint list (rebuilt when the list was changed behind
  // the scene's back).
  void SyncWaypointIds();
  void ForgetWaypointId(int32_t id);
  // The entries of a file's list that are read: at most kMaxFileEntries, with a warning.
  int BoundedEntryCount(const LuaObject& list, const char* key) const;

  void ReadScene(const LuaObject& table);
  void ReadInfo(const LuaObject& info);
  void ReadTiles(const LuaObject& list);
  void ReadPaths(const LuaObject& list);
  void ReadWaypoints(const LuaObject& list);
  bool WriteScene(const std::string& file) const;
  void SortPaths();
  void SortWaypoints();
  void AttachEditor();
  void DetachEditor();

  // The IDs the waypoints hold (a file may repeat one), and a number below which every
  // ID from 1 is taken, where the search for a free one starts.
  std::multiset<int32_t> waypointIds_;
  int32_t waypointIdFloor_ = 1;
};

// Registers the Lua classes "BGEditor" and then "BGScene" in a state; false (and a log
// line) when luabind refuses.
bool RegisterBGClasses(LuaState* state);

}  // namespace background
