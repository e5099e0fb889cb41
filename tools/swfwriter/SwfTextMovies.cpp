// Movies full of fonts, texts and shapes, for the cache tests, the cache fuzz seed and
// the load benchmark.

#include "tools/swfwriter/SwfTextMovies.h"

#include <string>

namespace swfw {

Shape NumberedGlyph(int index) {
  int32_t w = 300 + (index * 37) % 600;
  int32_t h = 400 + (index * 53) % 500;
  int32_t bump = 40 + (index * 29) % 200;
  Shape s;
  ShapeRecord outer = ShapeRecord::Move(0, 0);
  outer.fill0 = 1;
  // Outer edge clockwise with a curved top, then the hole the other way round.
  s.records = {outer,
               ShapeRecord::Line(w, 0),
               ShapeRecord::Line(0, -h),
               ShapeRecord::Curve(-w / 2, -bump, -(w - w / 2), bump),
               ShapeRecord::Line(0, h)};
  ShapeRecord hole = ShapeRecord::Move(w / 4, -h / 4);
  hole.fill0 = 1;
  s.records.push_back(hole);
  s.records.push_back(ShapeRecord::Line(0, -h / 2));
  s.records.push_back(ShapeRecord::Line(w / 2, 0));
  s.records.push_back(ShapeRecord::Line(0, h / 2));
  s.records.push_back(ShapeRecord::Line(-(w / 2), 0));
  return s;
}

Bytes TextHeavyMovie(int glyphsPerFont, int shapeCount) {
  Movie movie;
  FillStyle gradient;
  gradient.type = 0x10;
  gradient.gradient = {{0, Color{255, 0, 0, 255}}, {255, Color{0, 0, 255, 255}}};
  Shape backdrop = RectangleShape(11000, 8000, Color{});
  backdrop.fills = {gradient};
  movie.Add(DefineShape(kDefineShape3, 1, backdrop));

  for (int f = 0; f < 2; ++f) {
    Font font;
    font.name = f == 0 ? "Heading" : "Body";
    FontLayout layout;
    for (int i = 0; i < glyphsPerFont; ++i) {
      int number = f * glyphsPerFont + i;
      font.glyphs.push_back(NumberedGlyph(number));
      font.codes.push_back(static_cast<uint16_t>('A' + i));
      layout.advances.push_back(static_cast<int16_t>(400 + (number * 37) % 600));
      layout.bounds.push_back(Rect{0, 900, -900, 0});
    }
    // A space: a glyph without outline.
    font.glyphs.push_back(Shape{});
    font.codes.push_back(' ');
    layout.advances.push_back(250);
    layout.bounds.push_back(Rect{});
    font.wideOffsets = f == 1;
    font.layout = layout;
    movie.Add(DefineFont2(static_cast<uint16_t>(2 + f), font));
  }

  for (int i = 0; i < shapeCount; ++i) {
    int32_t w = 200 + 40 * i;
    int32_t h = 300 + 25 * (i % 7);
    Shape shape = RectangleShape(w, h, Color{static_cast<uint8_t>(i * 5), 128, static_cast<uint8_t>(255 - i * 5), 255});
    // A bulging right side gives the tesselator curves to flatten.
    int32_t bulge = 100 + 10 * i;
    shape.records[2] = ShapeRecord::Curve(bulge, h / 2, -bulge, h - h / 2);
    shape.bounds = {0, w + bulge, 0, h};
    movie.Add(DefineShape(kDefineShape3, static_cast<uint16_t>(10 + i), shape));
  }

  for (int f = 0; f < 2; ++f) {
    Text text;
    text.bounds = {0, 10000, -1000, 200};
    TextRecord run;
    run.fontId = static_cast<uint16_t>(2 + f);
    run.height = static_cast<uint16_t>(f == 0 ? 480 : 240);
    run.color = Color{0, 0, 0, 255};
    run.x = 100;
    run.y = 600;
    for (int i = 0; i < glyphsPerFont && i < 40; ++i) run.glyphs.push_back({static_cast<uint32_t>(i), 200});
    text.records = {run};
    movie.Add(DefineText(kDefineText2, static_cast<uint16_t>(4 + f), text));
  }

  EditText field;
  field.bounds = {0, 6000, 0, 2000};
  field.font = std::make_pair(uint16_t{3}, uint16_t{300});
  field.multiline = field.wordWrap = field.border = true;
  field.layout = EditText::Layout{1, 40, 40, 0, 20};
  field.variableName = "caption";
  std::string caption;
  for (int i = 0; i < 60; ++i) caption += static_cast<char>(i % 9 == 8 ? ' ' : 'A' + i % glyphsPerFont);
  field.initialText = caption;
  movie.Add(DefineEditText(6, field));

  uint16_t depth = 1;
  movie.Add(PlaceObject(1, depth++, Matrix{}));
  for (int i = 0; i < shapeCount; ++i) {
    movie.Add(PlaceObject(static_cast<uint16_t>(10 + i), depth++, Matrix::Translate(200 * (i % 40), 150 * (i / 10))));
  }
  movie.Add(PlaceObject(4, depth++, Matrix::Translate(0, 1000)));
  movie.Add(PlaceObject(5, depth++, Matrix::Translate(0, 3000)));
  movie.Add(PlaceObject(6, depth++, Matrix::Translate(500, 5000)));
  movie.ShowFrame().End();
  return movie.Build();
}

}  // namespace swfw
