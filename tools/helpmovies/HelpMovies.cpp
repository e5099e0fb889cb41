// The two help movies of a level: "help/chain.swf" shows a chain of flowers being linked
// and cleared, "help/spells.swf" the zen meter charging and a spell being cast. Each has a
// gradient background with a solid band at its left edge, sprites, a morph, a caption
// that a growing mask reveals, static text and an edit text field that frame actions
// update, and a sound. They take no mouse (the game passes none to its movies), so they
// have no buttons.

#include "tools/helpmovies/HelpMovies.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <algorithm>
#include <cmath>
#include <map>
#include <optional>
#include <set>

#include "tools/contentgen/SoundMaker.h"

namespace helpmovies {

namespace {

using swfw::Bytes;
using swfw::Color;
using swfw::FillStyle;
using swfw::Shape;
using swfw::ShapeRecord;

constexpr int kTwips = 20;
constexpr int kFrames = 36;  // three seconds at 12 frames a second

// The morph (the chain's link, the spells' zen meter) grows evenly from its start width on
// frame kGrowFrom to its end width on its last frame.
constexpr int kGrowFrom = 4;
constexpr int kMorphStartWidth = 2;
// The chain movie's three flowers (radius 14, 16 as they pulse), centred 60 pixels apart
// on one row. Its link grows 20 pixels a frame: its end comes onto each flower's centre on
// a frame of its own and stands 20 or 40 pixels short of the next centre on the frames
// between, clear of that flower, so that every frame shows plainly how many it has reached.
constexpr int kFirstFlowerX = 80;
constexpr int kFlowerSpacing = 60;
constexpr int kLinkStep = 20;
constexpr int kLinkGrowTo = kGrowFrom + 1 + 2 * kFlowerSpacing / kLinkStep;  // on the third centre
constexpr int kLinkX = kFirstFlowerX - kLinkStep - kMorphStartWidth;          // a step short of the first
constexpr int kLinkEndWidth = kMorphStartWidth + kLinkStep * (kLinkGrowTo - kGrowFrom);
// The spells movie's zen meter fills a track of 240 pixels, a twelfth a frame.
constexpr int kMeterX = 60;
constexpr int kMeterEndWidth = 240;
constexpr int kMeterGrowTo = kGrowFrom + 12;

// How far the morph has grown on a frame, 0 to 1.
double Growth(int frame, bool spells) {
  const int last = spells ? kMeterGrowTo : kLinkGrowTo;
  return std::clamp(double(frame - kGrowFrom) / double(last - kGrowFrom), 0.0, 1.0);
}

// The chain's caption on each frame counts the flowers whose centre its link has reached
// on that frame, and the spells' caption gives the zen meter's fill on that frame, so
// that each caption tells what its picture shows.
std::vector<std::pair<int, std::string>> ChainCaptions(int clearedFrame) {
  std::vector<std::pair<int, std::string>> captions;
  std::string last;
  for (int f = 0; f < clearedFrame; ++f) {
    const double end = kLinkX + kMorphStartWidth + Growth(f, false) * (kLinkEndWidth - kMorphStartWidth);
    int reached = 0;
    while (reached < 3 && kFirstFlowerX + reached * kFlowerSpacing <= end) ++reached;
    const std::string text = "Chain: " + std::to_string(reached);
    if (text != last) captions.emplace_back(f, text);
    last = text;
  }
  captions.emplace_back(clearedFrame, "Cleared! +30");
  return captions;
}

std::vector<std::pair<int, std::string>> ZenCaptions(int castFrame) {
  std::vector<std::pair<int, std::string>> captions;
  std::string last;
  for (int f = 0; f < castFrame; ++f) {
    const std::string text = "Zen: " + std::to_string(static_cast<int>(std::lround(100.0 * Growth(f, true)))) + "%";
    if (text != last) captions.emplace_back(f, text);
    last = text;
  }
  captions.emplace_back(castFrame, "Spell cast!");
  return captions;
}

// ---- the font ---------------------------------------------------------------------------

struct GlyphFont {
  swfw::Font font;
  std::map<char, int> index;
  std::vector<int16_t> advances;  // font units, 1024 to the em
};

// Walks a FreeType outline into SWF records, in font units of 1024 to the em with y down.
struct OutlineWriter {
  Shape* shape;
  double scale;
  int x = 0, y = 0;
  bool first = true;

  int X(const FT_Vector* v) const { return static_cast<int>(std::lround(v->x * scale)); }
  int Y(const FT_Vector* v) const { return static_cast<int>(std::lround(-v->y * scale)); }

  static int MoveTo(const FT_Vector* to, void* user) {
    auto* w = static_cast<OutlineWriter*>(user);
    ShapeRecord r = ShapeRecord::Move(w->X(to), w->Y(to));
    if (w->first) r.fill1 = 1;
    w->first = false;
    w->shape->records.push_back(r);
    w->x = w->X(to);
    w->y = w->Y(to);
    return 0;
  }
  static int LineTo(const FT_Vector* to, void* user) {
    auto* w = static_cast<OutlineWriter*>(user);
    const int nx = w->X(to), ny = w->Y(to);
    if (nx != w->x || ny != w->y) w->shape->records.push_back(ShapeRecord::Line(nx - w->x, ny - w->y));
    w->x = nx;
    w->y = ny;
    return 0;
  }
  static int ConicTo(const FT_Vector* control, const FT_Vector* to, void* user) {
    auto* w = static_cast<OutlineWriter*>(user);
    const int cx = w->X(control), cy = w->Y(control), nx = w->X(to), ny = w->Y(to);
    w->shape->records.push_back(ShapeRecord::Curve(cx - w->x, cy - w->y, nx - cx, ny - cy));
    w->x = nx;
    w->y = ny;
    return 0;
  }
  // TrueType outlines have no cubic segments; a straight line stands in for any other.
  static int CubicTo(const FT_Vector*, const FT_Vector*, const FT_Vector* to, void* user) {
    return LineTo(to, user);
  }
};

bool MakeFont(const std::string& file, const std::set<char>& chars, GlyphFont& out, std::string& error) {
  FT_Library library = nullptr;
  if (FT_Init_FreeType(&library) != 0) {
    error = "FreeType does not start";
    return false;
  }
  FT_Face face = nullptr;
  if (FT_New_Face(library, file.c_str(), 0, &face) != 0) {
    FT_Done_FreeType(library);
    error = "cannot read the font " + file;
    return false;
  }
  const double scale = 1024.0 / face->units_per_EM;
  out.font.name = "HelpSans";
  swfw::FontLayout layout;
  layout.ascent = static_cast<int16_t>(std::lround(face->ascender * scale));
  layout.descent = static_cast<int16_t>(std::lround(-face->descender * scale));
  FT_Outline_Funcs funcs{};
  funcs.move_to = &OutlineWriter::MoveTo;
  funcs.line_to = &OutlineWriter::LineTo;
  funcs.conic_to = &OutlineWriter::ConicTo;
  funcs.cubic_to = &OutlineWriter::CubicTo;
  for (char c : chars) {
    Shape glyph;
    int16_t advance = 0;
    const FT_UInt gi = FT_Get_Char_Index(face, static_cast<FT_ULong>(static_cast<unsigned char>(c)));
    if (FT_Load_Glyph(face, gi, FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING) == 0) {
      OutlineWriter writer{&glyph, scale};
      if (face->glyph->format == FT_GLYPH_FORMAT_OUTLINE) FT_Outline_Decompose(&face->glyph->outline, &funcs, &writer);
      advance = static_cast<int16_t>(std::lround(face->glyph->advance.x * scale));
    }
    out.index[c] = static_cast<int>(out.font.glyphs.size());
    out.font.glyphs.push_back(glyph);
    out.font.codes.push_back(static_cast<uint16_t>(static_cast<unsigned char>(c)));
    out.advances.push_back(advance);
    layout.advances.push_back(advance);
    layout.bounds.push_back(swfw::Rect{0, advance, -layout.ascent, layout.descent});
  }
  out.font.layout = layout;
  FT_Done_Face(face);
  FT_Done_FreeType(library);
  return true;
}

// A line of static text at (x, y) (the baseline, pixels), height in pixels.
Bytes StaticText(uint16_t id, uint16_t fontId, const GlyphFont& font, const std::string& text, int x, int y,
                 int height, Color color) {
  swfw::TextRecord record;
  record.fontId = fontId;
  record.color = color;
  record.x = static_cast<int16_t>(x * kTwips);
  record.y = static_cast<int16_t>(y * kTwips);
  record.height = static_cast<uint16_t>(height * kTwips);
  int width = 0;
  for (char c : text) {
    auto it = font.index.find(c);
    if (it == font.index.end()) continue;
    const int advance = font.advances[static_cast<size_t>(it->second)] * height * kTwips / 1024;
    record.glyphs.push_back({static_cast<uint32_t>(it->second), advance});
    width += advance;
  }
  swfw::Text t;
  t.bounds = {x * kTwips, x * kTwips + width, (y - height) * kTwips, (y + height / 3) * kTwips};
  t.records.push_back(record);
  return swfw::DefineText(33, id, t);
}

// ---- shapes -----------------------------------------------------------------------------

FillStyle Solid(Color c) {
  FillStyle f;
  f.color = c;
  return f;
}

// A gradient over a box of w x h twips with its corner at the origin (or its centre, for
// shapes drawn around the origin): linear left to right, or radial from its centre.
FillStyle Gradient(bool radial, int w, int h, Color from, Color to, bool centred = false) {
  FillStyle f;
  f.type = radial ? 0x12 : 0x10;
  f.gradient = {{0, from}, {255, to}};
  f.matrix.hasScale = true;
  f.matrix.scaleX = w / 32768.0;
  f.matrix.scaleY = h / 32768.0;
  f.matrix.translateX = centred ? 0 : w / 2;
  f.matrix.translateY = centred ? 0 : h / 2;
  return f;
}

// A box of w x h twips at (x, y) with one fill.
Shape Box(int x, int y, int w, int h, const FillStyle& fill) {
  Shape s;
  s.bounds = {x, x + w, y, y + h};
  s.fills.push_back(fill);
  ShapeRecord start = ShapeRecord::Move(x, y);
  start.fill1 = 1;
  s.records = {start, ShapeRecord::Line(w, 0), ShapeRecord::Line(0, h), ShapeRecord::Line(-w, 0),
               ShapeRecord::Line(0, -h)};
  return s;
}

// A disc of radius r twips around the origin from eight quadratic curves.
Shape Disc(int r, const FillStyle& fill) {
  Shape s;
  s.bounds = {-r, r, -r, r};
  s.fills.push_back(fill);
  const double k = r / std::cos(M_PI / 8.0);
  int px = r, py = 0;
  ShapeRecord start = ShapeRecord::Move(px, py);
  start.fill1 = 1;
  s.records.push_back(start);
  for (int i = 0; i < 8; ++i) {
    const double mid = (i + 0.5) * M_PI / 4.0, end = (i + 1) * M_PI / 4.0;
    const int cx = static_cast<int>(std::lround(k * std::cos(mid))), cy = static_cast<int>(std::lround(k * std::sin(mid)));
    const int ex = static_cast<int>(std::lround(r * std::cos(end))), ey = static_cast<int>(std::lround(r * std::sin(end)));
    s.records.push_back(ShapeRecord::Curve(cx - px, cy - py, ex - cx, ey - cy));
    px = ex;
    py = ey;
  }
  return s;
}

swfw::Matrix Place(int x, int y, double scale = 1.0) {
  swfw::Matrix m = swfw::Matrix::Translate(x * kTwips, y * kTwips);
  if (scale != 1.0) {
    m.hasScale = true;
    m.scaleX = m.scaleY = scale;
  }
  return m;
}

Bytes PlaceNew(uint16_t id, uint16_t depth, const swfw::Matrix& m, const char* name = nullptr,
               std::optional<uint16_t> clipDepth = {}, std::optional<uint16_t> ratio = {}) {
  swfw::PlaceObject2Record r;
  r.depth = depth;
  r.characterId = id;
  r.matrix = m;
  if (name) r.name = name;
  r.clipDepth = clipDepth;
  r.ratio = ratio;
  return swfw::PlaceObject2(r, 6);
}

Bytes Move(uint16_t depth, const swfw::Matrix& m, std::optional<uint16_t> ratio = {}) {
  swfw::PlaceObject2Record r;
  r.depth = depth;
  r.move = true;
  r.matrix = m;
  r.ratio = ratio;
  return swfw::PlaceObject2(r, 6);
}

Bytes SetText(const std::string& variable, const std::string& value) {
  return swfw::DoAction(
      swfw::Actions().Push({swfw::Actions::Str(variable), swfw::Actions::Str(value)}).Op("SetVariable").Build());
}

// 16-bit samples at 22050 Hz from the generator's 44100 Hz ones.
std::vector<int16_t> Pcm22k(const contentgen::Samples& samples) {
  std::vector<int16_t> out;
  for (size_t i = 0; i + 1 < samples.size(); i += 2) {
    const float v = std::clamp((samples[i] + samples[i + 1]) * 0.5f, -1.0f, 1.0f);
    out.push_back(static_cast<int16_t>(std::lround(v * 32000.0f)));
  }
  return out;
}

// What differs between the two movies.
struct Script {
  Color band;
  Color backFrom, backTo;
  std::string caption;
  std::string field;       // the edit text's variable
  std::vector<std::pair<int, std::string>> fieldTexts;  // frame, text
  contentgen::Samples sound;
  int soundFrame;
  bool spells;
  int items = 3;  // flowers or blocks in a row (more in rows below for the benchmark)
};

// Character ids shared by both movies.
enum : uint16_t {
  kFont = 1, kBack, kBand, kFlower, kFlowerSprite, kMorph, kMask, kCaption, kField, kSound, kOrb, kOrbSprite,
  kBlock
};
// Depths.
enum : uint16_t {
  dBack = 1, dBand, dItems, dMorph = 40, dMask, dCaption, dField = 44, dOrb = 46
};

Bytes BuildMovie(const Script& s, const GlyphFont& font) {
  const int W = kStageWidth * kTwips, H = kStageHeight * kTwips;
  swfw::Movie movie;
  movie.frame = {0, W, 0, H};
  movie.Add(swfw::SetBackgroundColor(Color{255, 255, 255, 255}));
  movie.Add(swfw::DefineFont2(kFont, font.font));
  movie.Add(swfw::DefineShape(32, kBack, Box(0, 0, W, H, Gradient(false, W, H, s.backFrom, s.backTo))));
  movie.Add(swfw::DefineShape(32, kBand, Box(0, 0, kBandWidth * kTwips, H, Solid(s.band))));

  // A flower: a radial gradient disc, and a sprite that pulses it.
  movie.Add(swfw::DefineShape(32, kFlower, Disc(14 * kTwips, Gradient(true, 28 * kTwips, 28 * kTwips,
                                                                         Color{255, 240, 120, 255},
                                                                         s.spells ? Color{90, 200, 120, 255}
                                                                                  : Color{230, 90, 150, 255},
                                                                         true))));
  {
    Bytes inner;
    const double scales[4] = {1.0, 1.08, 1.14, 1.08};
    for (int f = 0; f < 4; ++f) {
      const Bytes tag = f == 0 ? PlaceNew(kFlower, 1, Place(0, 0)) : Move(1, Place(0, 0, scales[f]));
      inner.insert(inner.end(), tag.begin(), tag.end());
      const Bytes show = swfw::Tag(swfw::kShowFrame, {});
      inner.insert(inner.end(), show.begin(), show.end());
    }
    const Bytes end = swfw::Tag(swfw::kEnd, {});
    inner.insert(inner.end(), end.begin(), end.end());
    movie.Add(swfw::DefineSprite(kFlowerSprite, 4, inner));
  }

  // The morph: a thin bar growing into the link (chain) or the zen meter filling (spells).
  {
    swfw::MorphShape m;
    const int x0 = (s.spells ? kMeterX : kLinkX) * kTwips, y0 = (s.spells ? 82 : 57) * kTwips;
    const int h = (s.spells ? 10 : 6) * kTwips;
    const int w0 = kMorphStartWidth * kTwips, w1 = (s.spells ? kMeterEndWidth : kLinkEndWidth) * kTwips;
    m.startBounds = {x0, x0 + w0, y0, y0 + h};
    m.endBounds = {x0, x0 + w1, y0, y0 + h};
    swfw::MorphFill fill;
    fill.start = Solid(s.spells ? Color{120, 200, 255, 255} : Color{250, 200, 60, 255});
    fill.end = Solid(s.spells ? Color{60, 80, 230, 255} : Color{240, 120, 40, 255});
    m.fills.push_back(fill);
    m.startShape = Box(x0, y0, w0, h, FillStyle{});
    m.endShape = Box(x0, y0, w1, h, FillStyle{});
    m.startShape.fills.clear();
    m.endShape.fills.clear();
    movie.Add(swfw::DefineMorphShape(kMorph, m));
  }

  // The caption and the mask that reveals it from the left.
  movie.Add(StaticText(kCaption, kFont, font, s.caption, 32, 24, 16, Color{60, 30, 60, 255}));
  movie.Add(swfw::DefineShape(32, kMask, Box(0, 0, 20 * kTwips, 40 * kTwips, Solid(Color{0, 0, 0, 255}))));

  // The edit text field the frame actions write into.
  {
    swfw::EditText e;
    e.bounds = {0, 160 * kTwips, 0, 22 * kTwips};
    e.readOnly = true;
    e.noSelect = true;
    e.useOutlines = true;
    e.font = std::make_pair(static_cast<uint16_t>(kFont), static_cast<uint16_t>(14 * kTwips));
    e.color = Color{40, 40, 90, 255};
    e.variableName = s.field;
    e.initialText = s.fieldTexts.front().second;
    movie.Add(swfw::DefineEditText(kField, e));
  }

  // The sound, ADPCM of the generator's samples.
  const std::vector<int16_t> pcm = Pcm22k(s.sound);
  swfw::SoundFormat format;
  format.format = 1;
  format.rate = 2;
  movie.Add(swfw::DefineSound(kSound, format, static_cast<uint32_t>(pcm.size()), swfw::EncodeAdpcm(pcm, false, 4)));

  if (s.spells) {
    movie.Add(swfw::DefineShape(32, kOrb, Disc(9 * kTwips, Gradient(true, 18 * kTwips, 18 * kTwips,
                                                                  Color{255, 255, 255, 255}, Color{120, 80, 230, 255}, true))));
    movie.Add(swfw::DefineShape(32, kBlock, Box(-12 * kTwips, -12 * kTwips, 24 * kTwips, 24 * kTwips,
                                               Gradient(false, 24 * kTwips, 24 * kTwips, Color{200, 160, 110, 255},
                                                        Color{150, 110, 70, 255}, true))));
    Bytes inner;
    for (int f = 0; f < 4; ++f) {
      const Bytes tag = f == 0 ? PlaceNew(kOrb, 1, Place(0, 0)) : Move(1, Place(0, 0, 1.0 + 0.1 * (f % 2)));
      inner.insert(inner.end(), tag.begin(), tag.end());
      const Bytes show = swfw::Tag(swfw::kShowFrame, {});
      inner.insert(inner.end(), show.begin(), show.end());
    }
    const Bytes end = swfw::Tag(swfw::kEnd, {});
    inner.insert(inner.end(), end.begin(), end.end());
    movie.Add(swfw::DefineSprite(kOrbSprite, 4, inner));
  }

  // The timeline. Frame 1 puts everything in place.
  std::vector<int> itemX, itemY;
  for (int i = 0; i < s.items; ++i) {
    itemX.push_back((s.spells ? 220 : kFirstFlowerX) + (s.spells ? 40 : kFlowerSpacing) * (i % 3) + 16 * (i / 3));
    itemY.push_back(60 - 6 * (i / 3));
  }
  const uint16_t itemId = s.spells ? kBlock : kFlowerSprite;
  movie.Add(PlaceNew(kBack, dBack, Place(0, 0)));
  movie.Add(PlaceNew(kBand, dBand, Place(0, 0)));
  for (int i = s.items - 1; i >= 0; --i) {
    movie.Add(PlaceNew(itemId, static_cast<uint16_t>(dItems + i), Place(itemX[i], itemY[i])));
  }
  if (s.spells) movie.Add(PlaceNew(kOrbSprite, dOrb, Place(70, 60), "orb"));
  movie.Add(PlaceNew(kMorph, dMorph, Place(0, 0), nullptr, {}, 0));
  swfw::Matrix mask = Place(30, 4);
  mask.hasScale = true;
  mask.scaleX = 0.05;
  mask.scaleY = 1.0;
  movie.Add(PlaceNew(kMask, dMask, mask, nullptr, dCaption));
  movie.Add(PlaceNew(kCaption, dCaption, Place(0, 0)));
  movie.Add(PlaceNew(kField, dField, Place(40, 98), "field"));
  for (int f = 0; f < kFrames; ++f) {
    if (f > 0 && f <= 12) {  // the caption shows from the left
      mask.scaleX = 15.0 * f / 12.0;
      movie.Add(Move(dMask, mask));
    }
    if (f >= kGrowFrom && f <= (s.spells ? kMeterGrowTo : kLinkGrowTo)) {  // the link grows, or the meter fills
      movie.Add(Move(dMorph, Place(0, 0), static_cast<uint16_t>(std::lround(65535 * Growth(f, s.spells)))));
    }
    if (!s.spells && f >= 18 && f <= 26) {  // the linked flowers shrink away
      for (int i = 0; i < 3; ++i) {
        movie.Add(Move(static_cast<uint16_t>(dItems + i), Place(itemX[i], itemY[i], std::max(0.02, 1.0 - (f - 18) / 8.0))));
      }
    }
    if (s.spells && f >= 18 && f <= 26) {  // the orb flies to the middle block
      movie.Add(Move(dOrb, Place(70 + (itemX[1] - 70) * (f - 18) / 8, 60)));
    }
    if (s.spells && f >= 27 && f <= 31) {  // which breaks
      movie.Add(Move(dItems + 1, Place(itemX[1], 60, std::max(0.02, 1.0 - (f - 26) / 5.0))));
    }
    if (f == s.soundFrame) movie.Add(swfw::StartSound(kSound, {}));
    for (const auto& [frame, text] : s.fieldTexts) {
      if (frame == f) movie.Add(SetText(s.field, text));
    }
    if (f == kFrames - 1) movie.Add(swfw::DoAction(swfw::Actions().Op("Stop").Build()));
    movie.ShowFrame();
  }
  movie.End();
  return movie.Build();
}

}  // namespace

namespace {

Script ChainScript() {
  Script chain;
  chain.band = kChainBand;
  chain.backFrom = Color{255, 236, 244, 255};
  chain.backTo = Color{255, 255, 255, 255};
  chain.caption = "Link three or more flowers";
  chain.field = "chainInfo";
  chain.fieldTexts = ChainCaptions(20);
  chain.sound = contentgen::MakeBlockSelect();
  chain.soundFrame = 18;
  chain.spells = false;
  return chain;
}

Script SpellsScript() {
  Script spells;
  spells.band = kSpellsBand;
  spells.backFrom = Color{236, 242, 255, 255};
  spells.backTo = Color{255, 255, 255, 255};
  spells.caption = "Charge zen, then cast a spell";
  spells.field = "zenInfo";
  spells.fieldTexts = ZenCaptions(26);
  spells.sound = contentgen::MakePopupOpen();
  spells.soundFrame = 26;
  spells.spells = true;
  return spells;
}

// The font of both movies: every character their texts use.
bool HelpFont(const std::string& fontFile, GlyphFont& font, std::string& error) {
  std::set<char> chars;
  for (const Script& script : {ChainScript(), SpellsScript()}) {
    chars.insert(script.caption.begin(), script.caption.end());
    for (const auto& entry : script.fieldTexts) chars.insert(entry.second.begin(), entry.second.end());
  }
  for (char c : std::string("0123456789%:!+ ")) chars.insert(c);
  return MakeFont(fontFile, chars, font, error);
}

}  // namespace

std::vector<std::pair<std::string, Bytes>> MakeHelpMovies(const std::string& fontFile, std::string& error) {
  GlyphFont font;
  if (!HelpFont(fontFile, font, error)) return {};
  return {{"help/chain.swf", BuildMovie(ChainScript(), font)}, {"help/spells.swf", BuildMovie(SpellsScript(), font)}};
}

Bytes MakeBenchMovie(const std::string& fontFile, std::string& error) {
  GlyphFont font;
  if (!HelpFont(fontFile, font, error)) return {};
  Script chain = ChainScript();
  chain.items = 12;
  return BuildMovie(chain, font);
}

}  // namespace helpmovies
