#include "tools/swfwriter/SwfSampleMovies.h"

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
  };
}

}  // namespace swfw
