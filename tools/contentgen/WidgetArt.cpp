#include "tools/contentgen/WidgetArt.h"

#include <functional>
#include <string>

#include "tools/contentgen/Canvas.h"

namespace contentgen {

namespace {

constexpr int kBox = 32;

// A rounded box with a frame, the face of check boxes, buttons and cells.
Canvas FramedBox(int width, int height, uint32_t fill, uint32_t frame, float radius) {
  Canvas canvas(width, height);
  canvas.FillRoundedRect(0.5f, 0.5f, width - 0.5f, height - 0.5f, radius, Solid(Rgb(frame)));
  canvas.FillRoundedRect(2.5f, 2.5f, width - 2.5f, height - 2.5f, radius - 2.0f, Solid(Rgb(fill)));
  return canvas;
}

Canvas CheckOff() { return FramedBox(kBox, kBox, 0xFFF6FA, 0x8C4A6A, 6.0f); }

Canvas CheckOn() {
  Canvas canvas = CheckOff();
  // A tick in the shop's rose.
  const Mask tick = PolygonMask(kBox, kBox, {{6, 16}, {10, 12}, {14, 17}, {24, 6}, {28, 10}, {14, 25}});
  canvas.FillMask(tick, 0, 0, Solid(Rgb(0xD2386C)));
  return canvas;
}

Canvas DropButton() {
  Canvas canvas = FramedBox(kBox, kBox, 0xF3D2E0, 0x8C4A6A, 6.0f);
  const Mask arrow = PolygonMask(kBox, kBox, {{8, 12}, {24, 12}, {16, 22}});
  canvas.FillMask(arrow, 0, 0, Solid(Rgb(0x6A2C4A)));
  return canvas;
}

Canvas DropBackground() { return FramedBox(64, 64, 0xFFF6FA, 0xB77A96, 4.0f); }

// The area under the score line: rose at the top fading towards the zero line.
Canvas GraphFill() {
  Canvas canvas(64, 64);
  canvas.FillRect(0, 0, 64, 64, VerticalGradient(0.0f, 64.0f, Rgb(0xE8548A, 0.85f), Rgb(0xF2A7B8, 0.25f)));
  return canvas;
}

Canvas GraphPoint() {
  Canvas canvas(8, 8);
  canvas.FillCircle(4.0f, 4.0f, 3.5f, Solid(Rgb(0x6A2C4A)));
  return canvas;
}

Canvas GraphColumn() { return Canvas(4, 4, Rgb(0xFFFFFF)); }

Canvas Cell(uint32_t fill) { return FramedBox(kBox, kBox, fill, 0xFFFFFF, 4.0f); }

Canvas TodayHighlight() {
  Canvas canvas(kBox, kBox);
  canvas.FillRoundedRect(0.5f, 0.5f, kBox - 0.5f, kBox - 0.5f, 5.0f, Solid(Rgb(0xD2386C)));
  canvas.FillRoundedRect(3.5f, 3.5f, kBox - 3.5f, kBox - 3.5f, 3.0f, Solid(Rgb(0xD2386C, 0.2f)));
  return canvas;
}

}  // namespace

bool MakeWidgetArt(const std::string& outDir) {
  const struct {
    const char* path;
    std::function<Canvas()> draw;
  } pictures[] = {
      {"ui_img/check_on.png", CheckOn},
      {"ui_img/check_off.png", CheckOff},
      {"ui_img/drop_button.png", DropButton},
      {"ui_img/drop_bg.png", DropBackground},
      {"ui_img/graph_fill.png", GraphFill},
      {"ui_img/graph_point.png", GraphPoint},
      {"ui_img/graph_column.png", GraphColumn},
      {"ui_img/cal_weekday.png", [] { return Cell(0x4A2438); }},
      {"ui_img/cal_even.png", [] { return Cell(0x9C5A7E); }},
      {"ui_img/cal_odd.png", [] { return Cell(0x5A6E96); }},
      {"ui_img/cal_today.png", TodayHighlight},
  };
  for (const auto& picture : pictures) {
    if (!picture.draw().SavePng(outDir + "/" + picture.path)) return false;
  }
  return true;
}

}  // namespace contentgen
