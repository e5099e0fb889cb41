#include "tools/swfwriter/SwfSampleMovies.h"
#include "tools/swfwriter/SwfTextMovies.h"

#include <cmath>

namespace swfw {

namespace {

std::vector<Color> Gradient(int width, int height) {
  std::vector<Color> pixels;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      pixels.push_back({static_cast<uint8_t>(x * 255 / std::max(1, width - 1)),
                        static_cast<uint8_t>(y * 255 / std::max(1, height - 1)), 128,
                        static_cast<uint8_t>((x + y) * 8)});
    }
  }
  return pixels;
}

std::vector<int16_t> Tone(int count, int period) {
  std::vector<int16_t> samples;
  for (int i = 0; i < count; ++i) {
    samples.push_back(static_cast<int16_t>(12000.0 * std::sin(i * 6.2831853 / period)));
  }
  return samples;
}

Bytes DisplayListMovie(int version, bool compressed) {
  Movie movie;
  movie.version = version;
  movie.Add(SetBackgroundColor({10, 20, 30}));
  movie.Add(DefineShape(kDefineShape, 1, RectangleShape(400, 300, {200, 40, 40})));
  movie.Add(FrameLabel("Intro"));
  PlaceObject2Record place;
  place.depth = 1;
  place.characterId = 1;
  place.matrix = Matrix::Translate(100, 200);
  place.name = "box";
  ClipAction load;
  load.flags = 0x01;
  load.actions = Actions().Op("Stop").Build();
  place.clipActions.push_back(load);
  movie.Add(PlaceObject2(place, version));
  movie.Add(DoAction(Actions().Push({Actions::Str("x"), Actions::Int(5)}).Op("SetVariable").Build()));
  movie.ShowFrame();
  PlaceObject2Record move;
  move.depth = 1;
  move.move = true;
  CXForm fade;
  fade.hasMult = true;
  fade.mult[3] = 128;
  move.cxform = fade;
  move.ratio = 32768;
  movie.Add(PlaceObject2(move, version));
  movie.Add(PlaceObject(1, 2, Matrix::Translate(-40, 60)));
  movie.ShowFrame();
  movie.Add(RemoveObject2(1));
  movie.Add(RemoveObject(1, 2));
  movie.ShowFrame();
  movie.End();
  return movie.Build(compressed);
}

Bytes SpriteMovie() {
  Movie movie;
  Bytes inner;
  auto add = [&inner](const Bytes& tag) { inner.insert(inner.end(), tag.begin(), tag.end()); };
  add(FrameLabel("spin"));
  add(PlaceObject(1, 1, Matrix::Translate(0, 0)));
  add(Tag(kShowFrame, {}));
  add(DoAction(Actions().Op("Stop").Build()));
  add(Tag(kShowFrame, {}));
  add(Tag(kEnd, {}));
  movie.Add(DefineShape(kDefineShape2, 1, RectangleShape(100, 100, {0, 200, 0})));
  movie.Add(DefineSprite(2, 2, inner));
  movie.Add(DoInitAction(2, Actions().Push({Actions::Str("ready")}).Op("Trace").Build()));
  PlaceObject2Record place;
  place.depth = 1;
  place.characterId = 2;
  movie.Add(PlaceObject2(place, 6));
  movie.Add(ExportAssets({{2, "Spinner"}}));
  movie.ShowFrame();
  movie.End();
  return movie.Build();
}

Bytes BitmapMovie(bool compressed) {
  Movie movie;
  std::vector<Color> pixels = Gradient(8, 6);
  movie.Add(DefineBitsJPEG2(1, EncodeJpeg(8, 6, pixels)));
  Bytes alpha(48);
  for (size_t i = 0; i < alpha.size(); ++i) alpha[i] = static_cast<uint8_t>(i * 5);
  movie.Add(DefineBitsJPEG3(2, EncodeJpeg(8, 6, pixels), alpha));
  movie.Add(JPEGTables(EncodeJpegTables()));
  movie.Add(DefineBits(3, EncodeJpegAbbreviated(8, 6, pixels)));
  LosslessImage mapped;
  mapped.format = 3;
  mapped.width = 3;
  mapped.height = 2;
  mapped.colorTable = {{255, 0, 0, 255}, {0, 255, 0, 128}};
  mapped.indices = {0, 1, 0, 1, 0, 1};
  movie.Add(DefineBitsLossless(4, mapped, false));
  movie.Add(DefineBitsLossless(5, mapped, true));
  LosslessImage sixteen;
  sixteen.format = 4;
  sixteen.width = 3;
  sixteen.height = 2;
  sixteen.pixels16 = {0xFFFF, 0x0000, 0x7C00, 0x03E0, 0x001F, 0x1234};
  movie.Add(DefineBitsLossless(6, sixteen, false));
  LosslessImage full;
  full.format = 5;
  full.width = 8;
  full.height = 6;
  full.pixels = pixels;
  movie.Add(DefineBitsLossless(7, full, false));
  movie.Add(DefineBitsLossless(8, full, true));
  movie.ShowFrame();
  movie.End();
  return movie.Build(compressed);
}

Bytes SoundMovie() {
  Movie movie;
  std::vector<int16_t> tone = Tone(5000, 40);
  movie.Add(DefineSound(1, {3, 1, true, false}, static_cast<uint32_t>(tone.size()), PcmBytes(tone)));
  movie.Add(DefineSound(2, {1, 3, true, false}, static_cast<uint32_t>(tone.size()), EncodeAdpcm(tone, false, 4)));
  std::vector<int16_t> stereo = Tone(600, 30);
  movie.Add(DefineSound(3, {1, 2, true, true}, static_cast<uint32_t>(stereo.size() / 2),
                        EncodeAdpcm(stereo, true, 2)));
  SoundInfo loops;
  loops.loops = 3;
  loops.inPoint = 10;
  movie.Add(StartSound(1, loops));
  movie.Add(StartSound(2, {}));
  movie.ShowFrame();
  SoundInfo stop;
  stop.stop = true;
  movie.Add(StartSound(1, stop));
  movie.ShowFrame();
  movie.End();
  return movie.Build();
}

Bytes ActionsMovie() {
  Actions body;
  body.Push({Actions::Register(1), Actions::Int(2)}).Op("Multiply").Op("Return");
  Actions with;
  with.Push({Actions::Str("y")}).Op("GetVariable").Op("Pop");
  Actions a;
  a.ConstantPool({"alpha", "beta"})
      .Push({Actions::Constant8(0), Actions::Constant16(1), Actions::Float(1.5f), Actions::Double(2.25),
             Actions::Null(), Actions::Undefined(), Actions::Bool(true), Actions::Int(-7)})
      .Label("top")
      .Op("Add2")
      .Op("PushDuplicate")
      .If("done")
      .Jump("top")
      .Label("done")
      .DefineFunction("twice", {"n"}, Actions().Push({Actions::Str("n")}).Op("GetVariable").Op("Return"))
      .DefineFunction2("times2", 2, 0, {{1, "n"}}, body)
      .Push({Actions::Str("_root")})
      .With(with)
      .GotoFrame(1)
      .GoToLabel("Intro")
      .GetURL("FSCommand:quit", "")
      .Op("Play");
  Movie movie;
  movie.version = 6;
  movie.Add(DoAction(a.Build()));
  movie.ShowFrame();
  movie.End();
  return movie.Build();
}

Bytes ImportMovie() {
  Movie movie;
  movie.Add(ImportAssets("sprites.swf", {{5, "Spinner"}}));
  movie.Add(PlaceObject(5, 1, Matrix::Translate(10, 10)));
  movie.ShowFrame();
  movie.End();
  return movie.Build();
}

Bytes ShapeMovie() {
  Movie movie;
  movie.version = 6;
  LosslessImage image;
  image.format = 5;
  image.width = 2;
  image.height = 2;
  image.pixels = {{255, 0, 0, 255}, {0, 255, 0, 255}, {0, 0, 255, 255}, {255, 255, 255, 128}};
  movie.Add(DefineBitsLossless(9, image, true));

  Shape styled = RectangleShape(2000, 1000, {10, 200, 30, 255});
  FillStyle linear;
  linear.type = 0x10;
  linear.gradient = {{0, {255, 0, 0, 255}}, {255, {0, 0, 255, 128}}};
  FillStyle radial = linear;
  radial.type = 0x12;
  radial.matrix.hasScale = true;
  radial.matrix.scaleX = radial.matrix.scaleY = 0.05;
  FillStyle bitmap;
  bitmap.type = 0x41;
  bitmap.bitmapId = 9;
  bitmap.matrix.hasScale = true;
  bitmap.matrix.scaleX = bitmap.matrix.scaleY = 20.0;
  styled.fills.push_back(linear);
  styled.fills.push_back(radial);
  styled.fills.push_back(bitmap);
  styled.lines.push_back({40, {0, 0, 0, 255}});
  ShapeRecord curveStart = ShapeRecord::Move(-500, 300);
  curveStart.fill0 = 2;
  curveStart.fill1 = 0;
  curveStart.line = 1;
  styled.records.push_back(curveStart);
  styled.records.push_back(ShapeRecord::Curve(400, -400, 400, 400));
  styled.records.push_back(ShapeRecord::Line(-800, 0));
  ShapeRecord fresh;
  fresh.kind = ShapeRecord::kStyleChange;
  fresh.newStyles = true;
  fresh.fills = {radial, bitmap};
  fresh.lines = {{20, {255, 255, 0, 255}}};
  fresh.fill1 = 1;
  fresh.line = 1;
  styled.records.push_back(fresh);
  styled.records.push_back(ShapeRecord::Line(300, 300));
  movie.Add(DefineShape(kDefineShape, 1, RectangleShape(400, 300, {200, 40, 40, 255})));
  movie.Add(DefineShape(kDefineShape2, 2, styled));
  movie.Add(DefineShape(kDefineShape3, 3, styled));
  Shape crowded = RectangleShape(100, 100, {1, 2, 3, 255});
  for (int i = 0; i < 300; ++i) {
    FillStyle f;
    f.color = {static_cast<uint8_t>(i), 0, 0, 255};
    crowded.fills.push_back(f);
    crowded.lines.push_back({static_cast<uint16_t>(i), {}});
  }
  movie.Add(DefineShape(kDefineShape3, 4, crowded));

  MorphShape morph;
  morph.startBounds = {0, 100, 0, 100};
  morph.endBounds = {0, 400, 0, 200};
  FillStyle red;
  red.color = {255, 0, 0, 255};
  FillStyle blue;
  blue.color = {0, 0, 255, 64};
  morph.fills.push_back({red, blue});
  morph.fills.push_back({linear, radial});
  morph.lines.push_back({{20, {0, 0, 0, 255}}, {60, {255, 255, 255, 255}}});
  ShapeRecord morphStart = ShapeRecord::Move(0, 0);
  morphStart.fill0 = 1;
  morphStart.line = 1;
  morph.startShape.records = {morphStart, ShapeRecord::Line(100, 0), ShapeRecord::Curve(0, 50, 0, 50),
                              ShapeRecord::Line(-100, 0), ShapeRecord::Line(0, -100)};
  morph.endShape.records = {ShapeRecord::Move(0, 0), ShapeRecord::Line(400, 0), ShapeRecord::Curve(50, 100, -50, 100),
                            ShapeRecord::Line(-400, 0), ShapeRecord::Line(0, -200)};
  movie.Add(DefineMorphShape(5, morph));

  PlaceObject2Record place;
  place.depth = 1;
  place.characterId = 5;
  place.ratio = 16384;
  place.clipDepth = 3;
  movie.Add(PlaceObject2(place, 6));
  movie.Add(PlaceObject(2, 2, Matrix::Translate(100, 100)));
  movie.ShowFrame();
  movie.End();
  return movie.Build(true);
}

Bytes TextMovie() {
  Movie movie;
  movie.version = 6;
  movie.Add(DefineFont(1, {GlyphBox(0, -700, 500, 0), GlyphBox(50, -600, 450, 100)}));
  Font font;
  font.name = "Box";
  font.codes = {'A', 'B', 0x20AC};
  font.glyphs = {GlyphBox(0, -700, 500, 0), GlyphBox(0, -700, 600, 0), GlyphBox(100, -500, 400, 0)};
  FontLayout layout;
  layout.advances = {550, 650, 500};
  layout.bounds = {{0, 500, -700, 0}, {0, 600, -700, 0}, {100, 400, -500, 0}};
  layout.kerning = {{'A', 'B', -40}};
  font.layout = layout;
  movie.Add(DefineFont2(2, font));
  Font narrow = font;
  narrow.wideCodes = false;
  narrow.wideOffsets = true;
  narrow.codes = {'a', 'b', 'c'};
  narrow.layout.reset();
  movie.Add(DefineFont2(3, narrow));
  Font info;
  info.name = "Old";
  info.wideCodes = false;
  info.codes = {'x', 'y'};
  movie.Add(DefineFontInfo(1, info));

  Text text;
  text.bounds = {0, 2000, -300, 100};
  TextRecord first;
  first.fontId = 2;
  first.color = Color{0, 0, 0, 255};
  first.x = 20;
  first.y = 240;
  first.height = 240;
  first.glyphs = {{0, 130}, {1, 150}, {2, 120}};
  TextRecord second;
  second.color = Color{255, 0, 0, 255};
  second.y = 500;
  second.glyphs = {{1, 150}};
  text.records = {first, second};
  movie.Add(DefineText(kDefineText, 4, text));
  movie.Add(DefineText(kDefineText2, 5, text));

  EditText edit;
  edit.bounds = {0, 4000, 0, 600};
  edit.wordWrap = edit.multiline = edit.border = true;
  edit.font = {{2, 240}};
  edit.color = Color{20, 40, 60, 255};
  edit.maxLength = 100;
  edit.layout = EditText::Layout{1, 40, 40, 20, 10};
  edit.variableName = "score";
  edit.initialText = "ABâ¬";
  movie.Add(DefineEditText(6, edit));
  movie.Add(PlaceObject(4, 1, Matrix::Translate(0, 0)));
  PlaceObject2Record field;
  field.depth = 2;
  field.characterId = 6;
  field.name = "scoreField";
  movie.Add(PlaceObject2(field, 6));
  movie.ShowFrame();
  movie.End();
  return movie.Build();
}

Bytes ButtonMovie() {
  Movie movie;
  movie.version = 6;
  movie.Add(DefineShape(kDefineShape, 1, RectangleShape(600, 200, {90, 90, 200, 255})));
  std::vector<int16_t> click(200);
  for (size_t i = 0; i < click.size(); ++i) click[i] = static_cast<int16_t>(i % 20 < 10 ? 8000 : -8000);
  movie.Add(DefineSound(2, {3, 2, true, false}, static_cast<uint32_t>(click.size()), PcmBytes(click)));
  ButtonRecord up;
  up.up = true;
  up.hitTest = true;
  ButtonRecord over = up;
  over.up = false;
  over.over = over.down = true;
  over.layer = 2;
  over.cxform.hasAdd = true;
  over.cxform.add[0] = 60;
  movie.Add(DefineButton(3, {up, over}, Actions().Op("Play").Build()));
  movie.Add(DefineButton2(4, true, {up, over},
                          {{0x0008, Actions().Push({Actions::Str("pressed")}).Op("Trace").Build()},
                           {0x0001, Actions().Op("Stop").Build()}}));
  SoundInfo once;
  once.noMultiple = true;
  movie.Add(DefineButtonSound(4, {{0, {}}, {2, once}, {2, {}}, {0, {}}}));
  movie.Add(PlaceObject(3, 1, Matrix::Translate(100, 100)));
  PlaceObject2Record place;
  place.depth = 2;
  place.characterId = 4;
  place.matrix = Matrix::Translate(100, 500);
  movie.Add(PlaceObject2(place, 6));
  movie.ShowFrame();
  movie.End();
  return movie.Build();
}

// A timeline to play: a two-frame root that masks, replaces and removes, a clip whose
// own two frames loop with clip events, and a goto in actions.
Bytes TimelineMovie() {
  Movie movie;
  movie.version = 6;
  movie.Add(DefineShape(kDefineShape, 1, RectangleShape(400, 400, {40, 160, 40, 255})));
  movie.Add(DefineShape(kDefineShape, 2, RectangleShape(200, 600, {160, 40, 40, 255})));
  Bytes inner;
  auto add = [&inner](const Bytes& tag) { inner.insert(inner.end(), tag.begin(), tag.end()); };
  add(PlaceObject(1, 1, Matrix::Translate(0, 0)));
  add(Tag(kShowFrame, {}));
  add(RemoveObject(1, 1));
  add(PlaceObject(2, 2, Matrix::Translate(20, 20)));
  add(Tag(kShowFrame, {}));
  add(Tag(kEnd, {}));
  movie.Add(DefineSprite(3, 2, inner));

  PlaceObject2Record mask;
  mask.depth = 1;
  mask.characterId = 1;
  mask.clipDepth = 3;
  movie.Add(PlaceObject2(mask, 6));
  PlaceObject2Record clip;
  clip.depth = 2;
  clip.characterId = 3;
  clip.name = "clip";
  clip.matrix = Matrix::Translate(200, 200);
  clip.clipActions.push_back({0x02, Actions().Op("NextFrame").Build(), {}});  // onEnterFrame
  clip.clipActions.push_back({0x400, Actions().Op("Stop").Build(), {}});      // onPress
  movie.Add(PlaceObject2(clip, 6));
  movie.Add(PlaceObject(2, 4, Matrix::Translate(1000, 1000)));
  movie.Add(FrameLabel("start"));
  movie.ShowFrame();
  PlaceObject2Record replace;
  replace.depth = 4;
  replace.move = true;
  replace.characterId = 1;
  movie.Add(PlaceObject2(replace, 6));
  movie.Add(RemoveObject2(1));
  movie.Add(DoAction(Actions().GoToLabel("start").Op("Play").Build()));
  movie.ShowFrame();
  movie.End();
  return movie.Build();
}

}  // namespace

std::vector<std::pair<std::string, Bytes>> SampleMovies() {
  return {
      {"display_v5.swf", DisplayListMovie(5, false)},
      {"display_v6.swf", DisplayListMovie(6, false)},
      {"display_v6_cws.swf", DisplayListMovie(6, true)},
      {"sprites.swf", SpriteMovie()},
      {"bitmaps.swf", BitmapMovie(false)},
      {"bitmaps_cws.swf", BitmapMovie(true)},
      {"sounds.swf", SoundMovie()},
      {"actions.swf", ActionsMovie()},
      {"imports.swf", ImportMovie()},
      {"shapes_cws.swf", ShapeMovie()},
      {"text.swf", TextMovie()},
      {"buttons.swf", ButtonMovie()},
      {"timeline.swf", TimelineMovie()},
      {"text_fields.swf", TextHeavyMovie(12, 4)},
  };
}

}  // namespace swfw
