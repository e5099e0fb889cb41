#include "engine/well/HelpPopup.h"

#include <algorithm>
#include <cmath>

#include "engine/app/Audio.h"
#include "engine/core/MemoryManager.h"
#include "engine/core/StringUtil.h"
#include "engine/graphics/Graphics.h"
#include "engine/graphics/Image.h"

namespace well {

namespace {

// Directions from which corners 0 to 3 fly in.
constexpr float kCornerDirection[HintPopup::kCorners][2] = {{-1.0f, -1.0f}, {-1.0f, 1.0f}, {1.0f, -1.0f}, {1.0f, 1.0f}};
constexpr float kFlyDistance = 0.3f;
constexpr float kStartScale = 4.0f;
// The largest text a help box measures.
const math::Vec2 kMeasureBox(0.3f, 0.8f);
// The text keeps this share of a frame cell away from the box's edges on every side, so
// that it stays clear of the frame's rim (the outer third of the edge cells) whatever the
// frame's size.
constexpr float kTextMarginCells = 0.4f;
// Room for a line's last advance beyond its glyphs, so that the text laid out again in
// the box breaks where it broke when it was measured.
constexpr float kLineSlack = 0.0025f;

// Whole cells, at least two, that hold the length and the margins on both sides.
int32_t CellsFor(float length, float margin, float cell) {
  return std::max(2, static_cast<int32_t>(std::ceil((length + 2.0f * margin) / cell - 0.0001f)));
}

}  // namespace

// --- Corner popup ---

HintPopup::HintPopup(const math::Vec2& screenBounds, float leftEdge, float topEdge)
    : bounds(screenBounds), left(leftEdge), top(topEdge) {
  timer.duration = kOpenSeconds;
  timer.remaining = kOpenSeconds;
}

HintPopup::~HintPopup() = default;

float HintPopup::Now() const { return (clock_ ? *clock_ : FrameTimer::Instance()).GetTime(); }

void HintPopup::Open(const math::Vec2& a, const math::Vec2& b, const std::string& newText) {
  if (state != kOpen) {
    state = kOpening;
    timer.remaining = timer.duration;
  }
  rectMin = math::Vec2(std::min(a.x, b.x), std::min(a.y, b.y));
  rectMax = math::Vec2(std::max(a.x, b.x), std::max(a.y, b.y));
  text = newText;
  const math::Vec2 half = corners[0].size * 0.5f;
  corners[0].target = math::Vec2(rectMin.x - half.x, rectMin.y - half.y);
  corners[1].target = math::Vec2(rectMin.x - half.x, rectMax.y - half.y);
  corners[2].target = math::Vec2(rectMax.x - half.x, rectMin.y - half.y);
  corners[3].target = math::Vec2(rectMax.x - half.x, rectMax.y - half.y);
  openTime = Now();
  audio::GetAudio().PlaySound("help_open");
}

void HintPopup::Close() {
  if (state != kClosing) {
    state = kClosing;
    audio::GetAudio().PlaySound("help_close");
  } else {
    state = kHidden;
  }
  timer.remaining = timer.duration;
}

void HintPopup::Tick(float dt) {
  if (state == kHidden) return;
  for (Corner& corner : corners) corner.sprite.Animate(dt);
  if (state == kOpening) {
    timer.Tick(dt);
    if (timer.remaining < 0.0f) {
      state = kOpen;
      OnOpened();
    }
  } else if (state == kClosing) {
    timer.Tick(dt);
    if (timer.remaining < 0.0f) {
      state = kHidden;
      OnClosed();
    }
  }
}

void HintPopup::Render(const math::Vec2& offset) {
  if (state != kOpening && state != kOpen) return;
  const float r = timer.duration > 0.0f ? std::clamp(timer.remaining / timer.duration, 0.0f, 1.0f) : 0.0f;
  for (int32_t i = 0; i < kCorners; ++i) {
    Corner& corner = corners[static_cast<size_t>(i)];
    const math::Vec2 fly(kCornerDirection[i][0] * r * kFlyDistance, kCornerDirection[i][1] * r * kFlyDistance);
    corner.sprite.SetTransform(corner.target + fly - offset, corner.size * (1.0f + kStartScale * r), 0.0f, 1.0f,
                               0xFFFFFFFF);
    corner.sprite.Render();
  }
}

void HintPopup::LoadCorners(const std::array<std::string, kCorners>& names) {
  for (size_t i = 0; i < names.size(); ++i) {
    corners[i].sprite.Init(names[i], math::Vec2(0.0f, 0.0f), math::Vec2(1.0f, 1.0f), false);
    corners[i].size = corners[i].sprite.GetImageSize();
  }
}

// --- Side-bar help box ---

WellDynamicHelp::WellDynamicHelp(const math::Vec2& screenBounds, float leftEdge, float topEdge)
    : HintPopup(screenBounds, leftEdge, topEdge) {
  timer.duration = kOpenSeconds;
  timer.remaining = kOpenSeconds;
  textBlock.SetFont(kFont);
}

WellDynamicHelp::~WellDynamicHelp() = default;

void WellDynamicHelp::SetUp(const std::array<std::string, kCorners>& cornerNames, const std::string& frameImage,
                            const std::string& iconImage) {
  LoadCorners(cornerNames);
  LoadFrame(frameImage);
  if (!iconImage.empty()) icon.Init(iconImage, math::Vec2(0.0f, 0.0f), math::Vec2(1.0f, 1.0f), false);
  background.Init(kSidebarImage, math::Vec2(0.0f, 0.0f), math::Vec2(1.0f, 1.0f), false);
  SetFontName(kFont);
}

void WellDynamicHelp::LoadFrame(const std::string& frameImage) {
  frame_.reset();
  frameCell_ = math::Vec2(0.0533333f, 0.0711111f);
  Graphics* graphics = GetGraphics();
  if (!graphics || frameImage.empty()) return;
  MEMORY_OWNER("WellDynamicHelp::LoadFrame");
  frame_.reset(graphics->LoadImage(frameImage));
  if (frame_) {
    frameCell_ = math::Vec2(static_cast<float>(frame_->width) / 3.0f / 800.0f,
                            static_cast<float>(frame_->height) / 3.0f / 600.0f);
  }
}

void WellDynamicHelp::SetFontName(const std::string& name) { textBlock.SetFont(name); }

math::Vec2 WellDynamicHelp::GetOffset() const {
  return icon.IsLoaded() ? icon.GetImageSize() : math::Vec2(0.0f, 0.0f);
}

math::Vec2 WellDynamicHelp::TextMargin() const { return frameCell_ * kTextMarginCells; }

math::Vec2 WellDynamicHelp::BoxSize() const {
  return math::Vec2(static_cast<float>(columns) * frameCell_.x, static_cast<float>(rows) * frameCell_.y);
}

math::Vec2 WellDynamicHelp::PlaceBox(const math::Vec2& box) const {
  const math::Vec2 iconSize = GetOffset();
  const float right = bounds.x;
  const float bottom = bounds.y;
  // Right of the target, centred on it vertically.
  float x = rectMax.x + kGap;
  float y = rectMin.y + ((rectMax.y - rectMin.y) - box.y) / 2.0f;
  if (x + iconSize.x + box.x > right) x = rectMin.x - (box.x + iconSize.x + kGap);
  if (y < top) y = rectMax.y + iconSize.y + kGap;
  if (y + iconSize.y + box.y > bottom) y = rectMin.y - (box.y + kGap);
  if (x < left || x + iconSize.x + box.x > right) {
    // Neither side fits: centred across, and moved above the target or else below it
    // when it would cover the target.
    x = left + ((right - left) - (box.x + iconSize.x)) / 2.0f;
    const bool overlaps = y < rectMax.y && y + box.y > rectMin.y;
    if (overlaps) {
      y = rectMin.y - kGap - box.y;
      if (y < top) y = rectMax.y + kGap;
    }
  }
  if (y < top || y + box.y > bottom) y = top + ((bottom - top) - box.y) / 2.0f;
  return math::Vec2(x, y);
}

void WellDynamicHelp::Open(const math::Vec2& pointA, const math::Vec2& pointB, const std::string& newText) {
  HintPopup::Open(pointA, pointB, newText);
  textBlock.hJust = ui::UIText::kLeft;
  textBlock.vJust = ui::UIText::kTop;
  textBlock.SetRect(math::Vec2(0.0f, 0.0f), kMeasureBox);
  textBlock.SetText(ToWide(newText));
  const math::Vec2 measured = textBlock.textSize;
  const math::Vec2 margin = TextMargin();
  // The box holds the text and its margins, with the text block's own border inside them.
  columns = CellsFor(measured.x + kLineSlack, margin.x + textBlock.border.x, frameCell_.x);
  rows = CellsFor(measured.y, margin.y + textBlock.border.y, frameCell_.y);
  boxPosition = PlaceBox(BoxSize());
  textBlock.SetRect(boxPosition + margin, BoxSize() - margin * 2.0f);
  audio::GetAudio().PlaySound("button_press");
}

void WellDynamicHelp::Render(const math::Vec2& offset) {
  if (state == kHidden) return;
  HintPopup::Render(offset);
  float alpha = 1.0f;
  if (state == kOpening) alpha = timer.Progress();
  if (state == kClosing) alpha = 1.0f - timer.Progress();
  const uint32_t alphaByte = static_cast<uint32_t>(std::clamp(alpha, 0.0f, 1.0f) * 255.0f + 0.5f);
  const uint32_t colour = (alphaByte << 24) | 0x00FFFFFFu;
  const math::Vec2 cell = frameCell_;
  if (icon.IsLoaded()) {
    const math::Vec2 iconSize = icon.GetImageSize();
    const math::Vec2 at = boxPosition +
                          math::Vec2(static_cast<float>(columns) * cell.x, static_cast<float>(rows) * cell.y / 2.0f) -
                          math::Vec2(0.0f, iconSize.y / 2.0f) - offset;
    background.SetTransform(at, background.GetImageSize(), 0.0f, 1.0f, colour);
    background.Render();
    icon.SetTransform(at, iconSize, 0.0f, 1.0f, colour);
    icon.Render();
  }
  Graphics* graphics = GetGraphics();
  if (graphics && frame_) {
    static ScreenVertex batch[kBatchVertices];
    uint32_t count = 0;
    const float width = graphics->width ? static_cast<float>(graphics->width) : 800.0f;
    const float height = graphics->height ? static_cast<float>(graphics->height) : 600.0f;
    auto flush = [&] {
      if (count == 0) return;
      frame_->SetTexture(0);
      graphics->DrawArray(batch, count, PT_Triangles);
      count = 0;
    };
    for (int32_t row = 0; row < rows; ++row) {
      const int32_t pr = row == 0 ? 0 : (row == rows - 1 ? 2 : 1);
      for (int32_t column = 0; column < columns; ++column) {
        const int32_t pc = column == 0 ? 0 : (column == columns - 1 ? 2 : 1);
        const math::Vec2 at = boxPosition +
                              math::Vec2(static_cast<float>(column) * cell.x, static_cast<float>(row) * cell.y) - offset;
        const float u0 = static_cast<float>(pc) / 3.0f;
        const float v0 = static_cast<float>(pr) / 3.0f;
        const float u1 = static_cast<float>(pc + 1) / 3.0f;
        const float v1 = static_cast<float>(pr + 1) / 3.0f;
        const float x0 = at.x * width - 0.5f + static_cast<float>(screen::g_offsetX);
        const float y0 = at.y * height - 0.5f + static_cast<float>(screen::g_offsetY);
        const float x1 = x0 + cell.x * width;
        const float y1 = y0 + cell.y * height;
        const ScreenVertex tl{x0, y0, 0.0f, 1.0f, colour, u0, v0};
        const ScreenVertex tr{x1, y0, 0.0f, 1.0f, colour, u1, v0};
        const ScreenVertex br{x1, y1, 0.0f, 1.0f, colour, u1, v1};
        const ScreenVertex bl{x0, y1, 0.0f, 1.0f, colour, u0, v1};
        const ScreenVertex quad[6] = {bl, tl, tr, tr, br, bl};
        for (const ScreenVertex& vertex : quad) batch[count++] = vertex;
        if (count > kFlushAbove) flush();
      }
    }
    flush();
  }
  const uint32_t textRgb = (static_cast<uint32_t>(std::clamp(textColour.x, 0.0f, 1.0f) * 255.0f) << 16) |
                           (static_cast<uint32_t>(std::clamp(textColour.y, 0.0f, 1.0f) * 255.0f) << 8) |
                           static_cast<uint32_t>(std::clamp(textColour.z, 0.0f, 1.0f) * 255.0f);
  textBlock.color = (alphaByte << 24) | textRgb;
  textBlock.SetRect(boxPosition + TextMargin() - offset, BoxSize() - TextMargin() * 2.0f);
  textBlock.Render();
}

}  // namespace well
