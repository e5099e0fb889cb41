#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "engine/core/Math.h"
#include "engine/ui/UISprite.h"

class KivEditor;
class KivWell;

// A painting tool of the level editor: a preview of what it paints, drawn on the cell under
// the cursor, and a value the wheel and the arrow keys change.
class KivEditorTool {
 public:
  KivEditorTool(KivEditor* editor, const std::string& name, int32_t value);
  virtual ~KivEditorTool() = default;
  KivEditorTool(const KivEditorTool&) = delete;
  KivEditorTool& operator=(const KivEditorTool&) = delete;

  virtual void Render() {}
  virtual void Apply() = 0;
  virtual void ChangeValue(int32_t step) {}
  virtual void Step(int32_t step) { ChangeValue(step); }
  // Whether holding the button paints on every frame.
  virtual bool IsDragPaint() const { return false; }
  virtual void UpdateSprite() {}

  math::Vec2 position{0.0f, 0.0f};
  KivEditor* editor;
  std::string name;
  ui::UISprite preview;
  int32_t value;

 protected:
  // The preview on the cell under the cursor, one cell in size.
  void RenderPreview();
  KivWell* Board() const;
};

// Paints tile values 1 to 4.
class KivTileTool : public KivEditorTool {
 public:
  static constexpr int32_t kMinValue = 1;
  static constexpr int32_t kMaxValue = 4;

  explicit KivTileTool(KivEditor* editor);

  void Render() override { RenderPreview(); }
  void Apply() override;
  void ChangeValue(int32_t step) override;
  bool IsDragPaint() const override { return true; }
  void UpdateSprite() override;
};

// Places blocks ("tokens") of sixteen kinds; the gem token raises a gem's value instead.
class KivTokenTool : public KivEditorTool {
 public:
  static constexpr int32_t kTokenCount = 16;
  static constexpr int32_t kGemToken = 2;

  explicit KivTokenTool(KivEditor* editor);

  void Render() override { RenderPreview(); }
  void Apply() override;
  void ChangeValue(int32_t step) override;
  bool IsDragPaint() const override { return value != kGemToken; }
  void UpdateSprite() override;

  // The block kind of a token, and the preview image of a kind.
  static int32_t TokenKind(int32_t token);
  static const char* KindPreview(int32_t kind);
};

// The level editor: paints tiles and tokens on the running level's board, erases them,
// saves, reverts and steps through the numbered well files. The board makes it on F1 in
// developer mode and hands it its mouse and keys while it is attached.
class KivEditor {
 public:
  // DirectInput codes of the editor's keys.
  static constexpr uint32_t kKey1 = 2;
  static constexpr uint32_t kKey2 = 3;
  static constexpr uint32_t kKeyLeftShift = 42;
  static constexpr uint32_t kKeyRightShift = 54;
  static constexpr uint32_t kKeySpace = 57;
  static constexpr uint32_t kKeyF7 = 65;
  static constexpr uint32_t kKeyF8 = 66;
  static constexpr uint32_t kKeyF9 = 67;
  static constexpr uint32_t kKeyF10 = 68;
  static constexpr uint32_t kKeyUp = 200;
  static constexpr uint32_t kKeyPageUp = 201;
  static constexpr uint32_t kKeyDown = 208;
  static constexpr uint32_t kKeyPageDown = 209;
  static constexpr const char* kHelpText =
      "Editor Help [H]:\t\t\t\t\t\t\n[1]\tAdd tiles\t\t\t\t\t\t\n[2]\tAdd tokens\t\t\t\t\t\t\n\n"
      "[F1]\tToggle Editor off\t\t\t\t\n[F7]\tQuick Save\t\t\t\t\t\t\n"
      "[F8]\tRevert to last save\t\t\t\t\n[F9]\tSave\t\t\t\t\t\t\t\n[F10]\tLoad\t\t\t\t\t\t\t\n"
      "[PgUp]\tLoad Prev\t\t\t\t\t\t\n[PgDn]\tLoad Next\t\t\t\t\t\t\n";

  // Where the editor's texts stand: its status and the well file's name in the band above
  // the board's grid, the tile count and the help at the right edge of the screen, all
  // clear of the in-level display (the column on the left, "Start again" at the bottom
  // right).
  static const math::Vec2 kStatusPosition;
  static const math::Vec2 kFileNamePosition;
  static const math::Vec2 kTileValuePosition;
  static const math::Vec2 kHelpPosition;

  explicit KivEditor(KivWell* board);
  virtual ~KivEditor();
  KivEditor(const KivEditor&) = delete;
  KivEditor& operator=(const KivEditor&) = delete;

  virtual void Render();
  virtual void RenderStatus();
  virtual void MouseButtonPressed(uint32_t button, const math::Vec2& position);
  // Every frame while a button is held: drag painting and Shift + right-button erasing.
  virtual void MouseButtonDown(uint32_t button, const math::Vec2& position);
  virtual void MouseMoved(const math::Vec2& oldPosition, const math::Vec2& newPosition);
  virtual void MouseWheel(int32_t delta);
  virtual void KeyPressed(uint32_t key);

  // The well file whose trailing number is the given one's plus step, with as many digits
  // ("levels/level_007.lua" and 1 give "levels/level_008.lua"); "" for a name without a
  // number or a step below 0.
  static std::string NumberedFile(const std::string& path, int32_t step);

  void SetTool(std::unique_ptr<KivEditorTool> tool);
  KivEditorTool* GetTool() const { return tool_.get(); }
  KivWell* GetBoard() const { return board_; }

 private:
  static bool ShiftHeld();

  std::unique_ptr<KivEditorTool> tool_;
  KivWell* board_;
  std::string helpText_ = kHelpText;
  bool showHelp_ = true;
};
