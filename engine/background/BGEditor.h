#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "engine/core/Math.h"
#include "engine/core/Spline.h"
#include "engine/ui/UISprite.h"

namespace background {

class BGEditor;
class BGElement;
class BGScene;

// What the editor places or edits with the mouse. position is the cursor in scene
// coordinates; name is the source (picture, particle file or animation).
class Brush {
 public:
  Brush(BGEditor* owner, const std::string& sourceName);
  virtual ~Brush();
  Brush(const Brush&) = delete;
  Brush& operator=(const Brush&) = delete;

  virtual void Render() = 0;
  virtual void Click(const math::Vec2& point) = 0;
  virtual void MouseMoved(const math::Vec2& point) { position = point; }
  // True when the brush handled the click.
  virtual bool RightClick(const math::Vec2& point) { return false; }
  virtual void ChangeLayer(float steps) {}
  virtual void ToggleCtrl() {}
  virtual void ToggleShift() {}
  virtual void Enter() {}
  virtual void Resize(const math::Vec2& delta) {}
  virtual void Rotate(float degrees) { Wheel(static_cast<int>(degrees)); }
  virtual void ChangeParalax(float steps) {}
  // index steps by the sign, wrapping 0 to 3.
  virtual void Wheel(int steps);
  // alpha += amount within [0, 1].
  virtual void ChangeAlpha(float amount);

  math::Vec2 position{0.0f, 0.0f};
  BGEditor* editor;
  std::string name;
  int32_t index = 0;
  float alpha = 1.0f;
  std::string help;  // shown under the editor's help
};

// Places elements: the element being placed follows the cursor inside the scene until a
// click leaves it there and a new one takes its place. Kinds that move take a second
// click, which fixes their Dir (the line from the first click to the cursor).
class ElementBrush : public Brush {
 public:
  using Brush::Brush;
  // The element still held leaves the scene and is deleted.
  ~ElementBrush() override;

  void Render() override;
  void Click(const math::Vec2& point) override;
  void MouseMoved(const math::Vec2& point) override;
  bool RightClick(const math::Vec2& point) override;
  void ChangeLayer(float steps) override;
  void Enter() override { Click(position); }
  // Quarter turns: the rotation snaps to 0, 90, 180 or 270.
  void Rotate(float degrees) override;
  void ChangeParalax(float steps) override;
  // Single degrees, not snapped.
  void Wheel(int steps) override;

  // Takes the element out of the scene and adds it again, into the layer of its Sort.
  void Reinsert();
  // A new element of the brush's kind for the source, at the brush, in the scene.
  virtual void SetElement(const std::string& source);
  // Deletes the element held (taking it out of the scene) and holds this one instead,
  // added to the scene.
  void AddElement(BGElement* newElement);
  virtual bool FollowsMotion() const { return false; }
  virtual bool HasMotion() const { return false; }

  BGElement* element = nullptr;  // in the scene, the brush's until placed
  float rotation = 0.0f;
  float layer = -1.0f;
  float paralax = 1.0f;
  math::Vec2 lastPosition{0.0f, 0.0f};
  math::Vec2 motionStart{0.0f, 0.0f};
  math::Vec2 motion{0.0f, 0.0f};
  bool motionDrag = false;

 protected:
  virtual BGElement* MakeElement() = 0;
  void SetRotation(float degrees);
};

// Decals of five kinds (Ctrl steps through them), additive or not (Shift).
class DecalBrush : public ElementBrush {
 public:
  static constexpr int32_t kKindCount = 5;

  DecalBrush(BGEditor* owner, const std::string& image);
  void SetElement(const std::string& source) override;
  void ToggleCtrl() override;
  void ToggleShift() override;
  void ChangeAlpha(float amount) override;
  bool FollowsMotion() const override { return kind != 1; }
  bool HasMotion() const override { return kind != 0; }

  int32_t kind = 0;  // decal, pandecal, rotdecal, bobdecal, uvdecal
  bool additive = false;

 protected:
  BGElement* MakeElement() override;
};

// Particle systems; Shift held while moving resizes the emission rectangle.
class PartBrush : public ElementBrush {
 public:
  PartBrush(BGEditor* owner, const std::string& file);
  void SetElement(const std::string& source) override;
  void Resize(const math::Vec2& delta) override;

 protected:
  BGElement* MakeElement() override;
};

// Animated bipeds.
class BipedBrush : public ElementBrush {
 public:
  BipedBrush(BGEditor* owner, const std::string& animationName);
  void SetElement(const std::string& source) override;

 protected:
  BGElement* MakeElement() override;
};

// One tile picture for the grid, or the background picture when there is no grid.
class TileBrush : public Brush {
 public:
  TileBrush(BGEditor* owner, const std::string& image);
  void Render() override;
  void Click(const math::Vec2& point) override;
  bool RightClick(const math::Vec2& point) override;
  void ToggleCtrl() override;
  // Quarter turns by the sign.
  void Wheel(int steps) override;
  // The grid cell under the cursor.
  void CursorCell(int32_t& x, int32_t& y) const;

  ui::UISprite sprite;
  int32_t rotation = 0;
  bool replaceAll = true;
};

// Draws a path node by node; dropped with more than one node it becomes a new path.
class SplineBrush : public Brush {
 public:
  explicit SplineBrush(BGEditor* owner);
  ~SplineBrush() override;
  void Render() override;
  void Click(const math::Vec2& point) override;
  void MouseMoved(const math::Vec2& point) override;
  bool RightClick(const math::Vec2& point) override;

  math::Spline nodes{0.001f};
  int32_t selected = -1;
};

// Adds and removes waypoints.
class WayPointBrush : public Brush {
 public:
  explicit WayPointBrush(BGEditor* owner) : Brush(owner, "waypoint") {}
  void Render() override;
  void Click(const math::Vec2& point) override;
  bool RightClick(const math::Vec2& point) override;
};

// The scene editor: attached to a scene by F2, it places decals, particle systems,
// bipeds and tiles with a brush that follows the mouse, draws paths and waypoints, and
// runs the game's script functions that load and save scene files. Keys are DirectInput
// key codes.
class BGEditor {
 public:
  static constexpr const char* kHelpText =
      "Editor Help [H]:\t\t\t\t\t\t\n[1]\tEdit Decals\t\t\t\t\t\t\n[2]\tEdit Background Tiles\t\t\t\n"
      "[3]\tEdit Particles\t\t\t\t\t\n[4]\tEdit BG animations\t\t\t\t\n\t\t\t\t\t\t\t\t\t\t\n"
      "[S]\tEdit spline\t\t\t\t\t\t\n[W]\tEdit Waypoint\t\t\t\t\t\n[U]\tToggle UI off\t\t\t\t\t\n"
      "[H]\tToggle Help text off\t\t\t\n[G]\tToggle Snap To Grid on/off\t\t\n"
      "[D]\tToggle Debug Draw on/off\t\t\n[F8]\tLoad Background\t\t\t\t\t\n[F9]\tSave\t\t\t\t\t\t\t\n"
      "[F10]\tLoad\t\t\t\t\t\t\t\n";

  explicit BGEditor(BGScene* edited);
  // Deletes the brush and shows the user interface again.
  virtual ~BGEditor();
  BGEditor(const BGEditor&) = delete;
  BGEditor& operator=(const BGEditor&) = delete;

  // Run "OnStartBGEditor()" and "OnStopBGEditor()".
  virtual void Start();
  virtual void Stop();
  virtual bool MouseButtonPressed(int button, const math::Vec2& point);
  virtual void MouseMoved(const math::Vec2& oldPosition, const math::Vec2& newPosition);
  virtual void MouseWheel(int delta);
  virtual void KeyPressed(uint32_t key);
  // Insert and Delete change the brush's alpha while held.
  virtual void KeyHeld(uint32_t key);

  // The brush's drawing and the help texts, after each pass of the scene.
  void Render();

  // The brush becomes this one (the previous one is deleted); null leaves none.
  void SetBrush(Brush* newBrush);
  void ClearBrush() { SetBrush(nullptr); }

  // The script methods.
  void AddDecal(const std::string& image);
  void AddPartSys(const std::string& file);
  void AddBiped(const std::string& animationName);
  // No brush, no tile grid, and the picture as the scene's background.
  void SetBackground(const std::string& image);
  void SetBackgroundTile(const std::string& image);

  // The point snapped to the grid (when snapping is on), in screen coordinates.
  math::Vec2 Snap(const math::Vec2& point) const;

  BGScene* scene;
  std::unique_ptr<Brush> brush;
  math::Vec2 mousePosition{0.0f, 0.0f};
  std::string helpText = kHelpText;
  bool showHelp = true;
  bool debugDraw = false;
  bool snapToGrid = false;
  math::Vec2 gridOrigin{0.0f, 0.0f};
  math::Vec2 gridStep{0.04f, 0.0533333f};
};

}  // namespace background
