#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "engine/core/Math.h"
#include "engine/core/Timer.h"
#include "engine/ui/UISprite.h"
#include "engine/ui/UIText.h"

class Image;

namespace well {

// A help popup: a text box marked by four corner sprites that fly in from outside and
// shrink to their places when it opens. It is hidden, opening, open or closing; the box
// itself is drawn by the derived popups. The bounds given to the constructor are the
// screen area within which a derived popup places its box.
class HintPopup {
 public:
  enum State : int32_t { kHidden = 0, kOpening = 1, kOpen = 2, kClosing = 3 };
  static constexpr float kOpenSeconds = 0.3f;
  static constexpr float kMinDisplaySeconds = 1.0f;
  // Corners: top-left, bottom-left, top-right, bottom-right.
  static constexpr int32_t kCorners = 4;

  struct Corner {
    ui::UISprite sprite;
    math::Vec2 size{0.0f, 0.0f};
    math::Vec2 target{0.0f, 0.0f};
  };

  // bounds holds the right and bottom edges.
  HintPopup(const math::Vec2& bounds, float left, float top);
  virtual ~HintPopup();
  HintPopup(const HintPopup&) = delete;
  HintPopup& operator=(const HintPopup&) = delete;

  // Opens over the rectangle spanned by the two points (in any order) with the text.
  virtual void Open(const math::Vec2& pointA, const math::Vec2& pointB, const std::string& text);
  // Starts the closing; a second Close while closing hides at once.
  virtual void Close();
  virtual void Tick(float dt);
  virtual void Render(const math::Vec2& offset);
  virtual void OnClosed() {}
  virtual void OnOpened() {}
  virtual void LoadCorners(const std::array<std::string, kCorners>& names);
  // The size of an icon drawn beside the box; none here.
  virtual math::Vec2 GetOffset() const { return math::Vec2(0.0f, 0.0f); }

  // Hidden at once, without the closing.
  void Hide() { state = kHidden; }
  // The clock that Open stamps (FrameTimer's game time unless a test gives its own).
  void SetClock(const FrameTimer* clock) { clock_ = clock; }
  float Now() const;

  int32_t state = kHidden;
  CountdownTimer timer;
  math::Vec2 rectMin{0.0f, 0.0f};
  math::Vec2 rectMax{0.0f, 0.0f};
  math::Vec2 bounds;  // right, bottom
  float left;
  float top;
  std::array<Corner, kCorners> corners;
  std::string text;
  float openTime = 0.0f;
  float minDisplayTime = kMinDisplaySeconds;
  math::Vec2 boxPosition{0.0f, 0.0f};
  // Size limit and display time that the derived popups set for themselves.
  math::Vec2 sizeValues{0.8f, 0.8f};
  float displayTime = 1.0f;

 private:
  const FrameTimer* clock_ = nullptr;
};

// The side-bar help box: a frame cut from a three-by-three image grid, sized in frame
// cells to the measured text and placed beside the target rectangle, within the bounds
// and off the target; an optional icon with its background sits on the box's right.
class WellDynamicHelp : public HintPopup {
 public:
  static constexpr float kOpenSeconds = 0.8f;
  static constexpr const char* kSidebarImage = "ui_img/sidebar_bg.png";
  static constexpr const char* kFont = "SmallFont";
  static constexpr float kGap = 0.05f;
  static constexpr uint32_t kBatchVertices = 600;
  static constexpr uint32_t kFlushAbove = 589;

  WellDynamicHelp(const math::Vec2& bounds, float left, float top);
  ~WellDynamicHelp() override;

  // Corners, frame image and icon (an empty name gives no icon).
  void SetUp(const std::array<std::string, kCorners>& cornerNames, const std::string& frameImage,
             const std::string& iconImage);
  void LoadFrame(const std::string& frameImage);
  void Open(const math::Vec2& pointA, const math::Vec2& pointB, const std::string& text) override;
  void Render(const math::Vec2& offset) override;
  math::Vec2 GetOffset() const override;
  // Uses the font of that name, or the default font.
  void SetFontName(const std::string& name);

  math::Vec2 FrameCell() const { return frameCell_; }
  math::Vec2 BoxSize() const;
  // How far the text keeps from the box's edges (inside them, its own border).
  math::Vec2 TextMargin() const;
  // Where a box of the size goes beside [rectMin, rectMax] within the bounds.
  math::Vec2 PlaceBox(const math::Vec2& boxSize) const;

  ui::UISprite icon;
  ui::UISprite background;
  ui::UIText textBlock;
  math::Vec3 textColour{1.0f, 1.0f, 1.0f};
  int32_t columns = 2;
  int32_t rows = 2;

 private:
  std::unique_ptr<Image> frame_;
  math::Vec2 frameCell_{0.0533333f, 0.0711111f};
};

}  // namespace well
