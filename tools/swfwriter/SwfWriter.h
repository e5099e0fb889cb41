#pragma once

// A writer of SWF files for tests, benchmarks, fuzz seeds and the content generator. It
// shares no code with the player, so a fault of the player's reader cannot hide behind
// the same fault here. Everything is little-endian bytes in std::vector<uint8_t>.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace swfw {

using Bytes = std::vector<uint8_t>;

// Bits most significant first, then byte-aligned little-endian values.
class BitWriter {
 public:
  void WriteUB(uint32_t value, int bits);
  void WriteSB(int32_t value, int bits);
  // 16.16 fixed point in a signed field.
  void WriteFB(double value, int bits) { WriteSB(ToFixed(value), bits); }
  void Align();
  void U8(uint8_t v);
  void U16(uint16_t v);
  void U32(uint32_t v);
  void S16(int16_t v) { U16(static_cast<uint16_t>(v)); }
  void S32(int32_t v) { U32(static_cast<uint32_t>(v)); }
  void F32(float v);
  void String(const std::string& text);  // with its NUL
  void Append(const Bytes& bytes);
  void Append(const uint8_t* bytes, size_t size);

  const Bytes& bytes() const { return bytes_; }
  Bytes Take();
  size_t size() const { return bytes_.size() + (used_ ? 1 : 0); }

  static int32_t ToFixed(double value);
  // Fewest bits that hold the values as unsigned or signed fields (at least 1 for signed
  // values other than 0; 0 when every value is 0).
  static int BitsForUnsigned(uint32_t value);
  static int BitsForSigned(std::initializer_list<int32_t> values);

 private:
  void FlushBits();
  Bytes bytes_;
  uint8_t current_ = 0;
  int used_ = 0;
};

struct Rect {
  int32_t xMin = 0, xMax = 0, yMin = 0, yMax = 0;
};

struct Matrix {
  bool hasScale = false;
  double scaleX = 1.0, scaleY = 1.0;
  bool hasRotate = false;
  double rotateSkew0 = 0.0, rotateSkew1 = 0.0;  // into m[1][0] and m[0][1]
  int32_t translateX = 0, translateY = 0;
  static Matrix Translate(int32_t x, int32_t y) {
    Matrix m;
    m.translateX = x;
    m.translateY = y;
    return m;
  }
};

struct CXForm {
  bool hasMult = false;
  int32_t mult[4] = {256, 256, 256, 256};  // 8.8 fixed, read by the player as value / 255
  bool hasAdd = false;
  int32_t add[4] = {0, 0, 0, 0};
};

struct Color {
  uint8_t r = 0, g = 0, b = 0, a = 255;
};

void WriteRect(BitWriter& w, const Rect& r);
void WriteMatrix(BitWriter& w, const Matrix& m);
void WriteCXForm(BitWriter& w, const CXForm& c, bool withAlpha);
void WriteRGB(BitWriter& w, const Color& c);
void WriteRGBA(BitWriter& w, const Color& c);

// A tag header and body. Short headers hold lengths up to 62; 63 and more, or forceLong,
// take the long form. lengthOverride writes a wrong length on request.
struct TagOptions {
  bool forceLong = false;
  std::optional<uint32_t> lengthOverride;
};
Bytes Tag(int type, const Bytes& body, const TagOptions& options = {});

// The whole file: header, frame rect, rate, count, then the tags as given. The frame
// count is the number of ShowFrame tags unless set. CWS compresses everything after the
// first 8 bytes with zlib.
class Movie {
 public:
  int version = 6;
  Rect frame{0, 11000, 0, 8000};
  uint16_t frameRate = 0x0C00;  // 8.8 fixed point: 12 frames a second
  std::optional<uint16_t> frameCount;
  std::optional<uint32_t> fileLengthOverride;

  Movie& Add(const Bytes& tag);
  Movie& ShowFrame();
  Movie& End();
  Bytes Build(bool compressed = false) const;
  int ShownFrames() const { return shownFrames_; }

 private:
  Bytes tags_;
  int shownFrames_ = 0;
};

// ---- tags ---------------------------------------------------------------------------

enum TagType : int {
  kEnd = 0, kShowFrame = 1, kDefineShape = 2, kPlaceObject = 4, kRemoveObject = 5,
  kDefineBits = 6, kDefineButton = 7, kJPEGTables = 8, kSetBackgroundColor = 9,
  kDefineFont = 10, kDefineText = 11, kDoAction = 12, kDefineFontInfo = 13,
  kDefineSound = 14, kStartSound = 15, kDefineButtonSound = 17, kDefineBitsLossless = 20,
  kDefineBitsJPEG2 = 21, kDefineShape2 = 22, kProtect = 24, kPlaceObject2 = 26,
  kRemoveObject2 = 28, kDefineShape3 = 32, kDefineText2 = 33, kDefineButton2 = 34,
  kDefineBitsJPEG3 = 35, kDefineBitsLossless2 = 36, kDefineEditText = 37, kDefineSprite = 39,
  kFrameLabel = 43, kDefineMorphShape = 46, kDefineFont2 = 48, kExportAssets = 56,
  kImportAssets = 57, kDoInitAction = 59,
};

Bytes SetBackgroundColor(const Color& c);
Bytes FrameLabel(const std::string& name);
Bytes PlaceObject(uint16_t id, uint16_t depth, const Matrix& m, const std::optional<CXForm>& cx = {});
Bytes RemoveObject(uint16_t id, uint16_t depth);
Bytes RemoveObject2(uint16_t depth);

struct ClipAction {
  uint32_t flags = 0;       // event bits (16 of them written below version 6)
  Bytes actions;            // an action block ending in 0
  std::optional<uint32_t> lengthOverride;
};
struct PlaceObject2Record {
  uint16_t depth = 1;
  bool move = false;
  std::optional<uint16_t> characterId;
  std::optional<Matrix> matrix;
  std::optional<CXForm> cxform;
  std::optional<uint16_t> ratio;
  std::optional<std::string> name;
  std::optional<uint16_t> clipDepth;
  std::vector<ClipAction> clipActions;
  bool hasClipActions = false;  // also set when clipActions is not empty
};
// The version decides the width of the clip-event flags (16 bits below 6, else 32).
Bytes PlaceObject2(const PlaceObject2Record& r, int version);

Bytes DoAction(const Bytes& actions);
Bytes DoInitAction(uint16_t spriteId, const Bytes& actions);
// inner: tags (ShowFrame and End included as given).
Bytes DefineSprite(uint16_t id, uint16_t frameCount, const Bytes& inner);
Bytes ExportAssets(const std::vector<std::pair<uint16_t, std::string>>& items);
Bytes ImportAssets(const std::string& url, const std::vector<std::pair<uint16_t, std::string>>& items);

// Bitmaps. pixels: RGB (3 bytes) for type 20, RGBA (4 bytes) for type 36 (formats 4 and 5);
// format 3 takes a colour table and one index per pixel; rows are padded as the format asks.
struct LosslessImage {
  int format = 5;  // 3 colour-mapped, 4 16-bit, 5 32-bit
  uint16_t width = 0, height = 0;
  std::vector<Color> colorTable;     // format 3
  std::vector<uint8_t> indices;      // format 3: width x height
  std::vector<uint16_t> pixels16;    // format 4: width x height
  std::vector<Color> pixels;         // format 5: width x height
};
// The raw, not yet compressed, data block of the image for the given tag type.
Bytes LosslessData(const LosslessImage& image, bool withAlpha);
Bytes DefineBitsLossless(uint16_t id, const LosslessImage& image, bool withAlpha);
// A lossless tag with its data block given (already compressed or deliberately broken).
Bytes DefineBitsLosslessRaw(uint16_t id, bool withAlpha, int format, uint16_t width, uint16_t height,
                            const Bytes& zlibData, std::optional<uint8_t> colorCountMinus1 = {});

// JPEG through libjpeg: a whole stream, a tables-only stream and an abbreviated image.
Bytes EncodeJpeg(int width, int height, const std::vector<Color>& pixels, int quality = 90);
Bytes EncodeJpegTables(int quality = 90);
Bytes EncodeJpegAbbreviated(int width, int height, const std::vector<Color>& pixels, int quality = 90);
Bytes JPEGTables(const Bytes& tables);
Bytes DefineBits(uint16_t id, const Bytes& abbreviatedJpeg);
Bytes DefineBitsJPEG2(uint16_t id, const Bytes& jpeg);
// alpha: width x height bytes, compressed here.
Bytes DefineBitsJPEG3(uint16_t id, const Bytes& jpeg, const Bytes& alpha);
Bytes ZlibCompress(const Bytes& data);

// Sounds.
struct SoundFormat {
  int format = 3;  // 0 raw, 1 ADPCM, 2 MP3, 3 uncompressed little-endian
  int rate = 3;    // 0 5.5 kHz, 1 11 kHz, 2 22 kHz, 3 44 kHz
  bool is16Bit = true;
  bool stereo = false;
};
Bytes DefineSound(uint16_t id, const SoundFormat& format, uint32_t sampleCount, const Bytes& data);
// SWF ADPCM of 16-bit samples (interleaved when stereo) with 2- to 5-bit codes.
Bytes EncodeAdpcm(const std::vector<int16_t>& samples, bool stereo, int codeBits);
Bytes PcmBytes(const std::vector<int16_t>& samples);
struct SoundInfo {
  bool stop = false;
  bool noMultiple = false;
  std::optional<uint32_t> inPoint, outPoint;
  std::optional<uint16_t> loops;
  std::vector<std::pair<uint32_t, std::pair<uint16_t, uint16_t>>> envelope;
};
void WriteSoundInfo(BitWriter& w, const SoundInfo& info);
Bytes StartSound(uint16_t id, const SoundInfo& info);

// Shapes. Records are written in order: style changes (move, fill and line indices, new
// style arrays) and straight or curved edges (deltas). Straight edges along an axis take
// the short vertical or horizontal form.
struct FillStyle {
  int type = 0x00;  // 0x00 solid, 0x10 linear, 0x12 radial, 0x40-0x43 bitmap
  Color color;
  Matrix matrix;
  std::vector<std::pair<uint8_t, Color>> gradient;
  uint16_t bitmapId = 0;
};
struct LineStyle {
  uint16_t width = 20;
  Color color;
};
struct ShapeRecord {
  enum Kind { kStyleChange, kStraight, kCurve };
  Kind kind = kStraight;
  std::optional<std::pair<int32_t, int32_t>> moveTo;
  std::optional<int> fill0, fill1, line;
  bool newStyles = false;
  std::vector<FillStyle> fills;  // with newStyles
  std::vector<LineStyle> lines;  // with newStyles
  int32_t dx = 0, dy = 0;              // straight: delta; curved: control delta
  int32_t anchorDx = 0, anchorDy = 0;  // curved: anchor delta
  static ShapeRecord Move(int32_t x, int32_t y) {
    ShapeRecord r;
    r.kind = kStyleChange;
    r.moveTo = {x, y};
    return r;
  }
  static ShapeRecord Line(int32_t dx, int32_t dy) {
    ShapeRecord r;
    r.dx = dx;
    r.dy = dy;
    return r;
  }
  static ShapeRecord Curve(int32_t cx, int32_t cy, int32_t ax, int32_t ay) {
    ShapeRecord r;
    r.kind = kCurve;
    r.dx = cx, r.dy = cy, r.anchorDx = ax, r.anchorDy = ay;
    return r;
  }
};
struct Shape {
  Rect bounds;
  std::vector<FillStyle> fills;
  std::vector<LineStyle> lines;
  std::vector<ShapeRecord> records;
  // Index widths; by default the fewest bits that hold the style counts (glyphs, which
  // have no styles, take fill bits 1).
  std::optional<int> fillBits, lineBits;
};
// The style arrays of a shape tag (fill counts of 255 and more take the extended count,
// which type 2 does not have; line counts always may).
void WriteFillStyles(BitWriter& w, int type, const std::vector<FillStyle>& fills);
void WriteLineStyles(BitWriter& w, int type, const std::vector<LineStyle>& lines);
// Index widths, records and the end record; with styles, the bounds and style arrays first.
void WriteShape(BitWriter& w, int type, const Shape& shape, bool withStyles);
// type 2, 22 or 32.
Bytes DefineShape(int type, uint16_t id, const Shape& shape);
// A width x height rectangle at the origin, filled on its fill-1 side.
Shape RectangleShape(int32_t width, int32_t height, const Color& color);
// A glyph outline: a box in font units (1024 to the em), no styles.
Shape GlyphBox(int32_t x0, int32_t y0, int32_t x1, int32_t y1);

// Morph shapes (46): start and end styles pair up; start and end records are two shapes.
struct MorphFill {
  FillStyle start, end;
};
struct MorphLine {
  LineStyle start, end;
};
struct MorphShape {
  Rect startBounds, endBounds;
  std::vector<MorphFill> fills;
  std::vector<MorphLine> lines;
  Shape startShape, endShape;  // records only
  std::optional<uint32_t> endEdgesOffsetOverride;
};
Bytes DefineMorphShape(uint16_t id, const MorphShape& morph);

// Fonts and texts.
struct FontLayout {
  int16_t ascent = 800, descent = 224, leading = 0;
  std::vector<int16_t> advances;  // one per glyph
  std::vector<Rect> bounds;       // one per glyph
  struct Kerning {
    uint16_t left, right;
    int16_t adjustment;
  };
  std::vector<Kerning> kerning;
};
struct Font {
  std::string name = "Test";
  bool wideOffsets = false, wideCodes = true, italic = false, bold = false, smallText = false;
  bool shiftJis = false, ansi = false;
  std::vector<Shape> glyphs;
  std::vector<uint16_t> codes;  // one per glyph
  std::optional<FontLayout> layout;
};
Bytes DefineFont(uint16_t id, const std::vector<Shape>& glyphs);
Bytes DefineFont2(uint16_t id, const Font& font);
Bytes DefineFontInfo(uint16_t fontId, const Font& font);
struct TextRecord {
  std::optional<uint16_t> fontId;
  std::optional<Color> color;
  std::optional<int16_t> x, y;
  uint16_t height = 240;  // written with a font
  std::vector<std::pair<uint32_t, int32_t>> glyphs;  // index, advance
};
struct Text {
  Rect bounds;
  Matrix matrix;
  std::vector<TextRecord> records;
};
// type 11 (colours RGB) or 33 (RGBA).
Bytes DefineText(int type, uint16_t id, const Text& text);
struct EditText {
  Rect bounds;
  bool wordWrap = false, multiline = false, password = false, readOnly = false, autoSize = false;
  bool noSelect = false, border = false, html = false, useOutlines = false;
  std::optional<std::pair<uint16_t, uint16_t>> font;  // id, height
  std::optional<Color> color;
  std::optional<uint16_t> maxLength;
  struct Layout {
    uint8_t align = 0;
    uint16_t leftMargin = 0, rightMargin = 0;
    int16_t indent = 0, leading = 0;
  };
  std::optional<Layout> layout;
  std::string variableName;
  std::optional<std::string> initialText;
};
Bytes DefineEditText(uint16_t id, const EditText& edit);

// Buttons.
struct ButtonRecord {
  bool hitTest = false, down = false, over = false, up = true;
  uint16_t characterId = 1;
  uint16_t layer = 1;
  Matrix matrix;
  CXForm cxform;  // DefineButton2 only
};
struct ButtonCondAction {
  uint16_t conditions = 8;
  Bytes actions;  // an action block ending in 0
};
// DefineButton (7): the actions of its one release condition.
Bytes DefineButton(uint16_t id, const std::vector<ButtonRecord>& records, const Bytes& actions);
Bytes DefineButton2(uint16_t id, bool trackAsMenu, const std::vector<ButtonRecord>& records,
                    const std::vector<ButtonCondAction>& actions);
// Four entries (roll-out, roll-over, press, release): sound id 0 for none.
Bytes DefineButtonSound(uint16_t buttonId, const std::vector<std::pair<uint16_t, SoundInfo>>& entries);

// ---- actions ------------------------------------------------------------------------

// An assembler of action blocks: opcodes by name, typed Push items, labels resolved into
// Jump and If offsets, ConstantPool, function records with computed lengths, With.
class Actions {
 public:
  struct PushItem {
    uint8_t type;
    Bytes data;
  };
  static PushItem Str(const std::string& s);
  static PushItem Float(float f);
  static PushItem Null();
  static PushItem Undefined();
  static PushItem Register(uint8_t r);
  static PushItem Bool(bool b);
  static PushItem Double(double d);
  static PushItem Int(int32_t i);
  static PushItem Constant8(uint8_t i);
  static PushItem Constant16(uint16_t i);

  // A one-byte action or an action with a payload, by its name ("Add", "GetVariable" ...).
  Actions& Op(const std::string& name);
  Actions& Record(uint8_t opcode, const Bytes& payload);
  Actions& Push(const std::vector<PushItem>& items);
  Actions& GotoFrame(uint16_t frame);
  Actions& GetURL(const std::string& url, const std::string& target);
  Actions& StoreRegister(uint8_t r);
  Actions& ConstantPool(const std::vector<std::string>& strings);
  Actions& SetTarget(const std::string& target);
  Actions& GoToLabel(const std::string& label);
  Actions& WaitForFrame2(uint8_t skip);
  Actions& GetURL2(uint8_t method);
  Actions& GotoFrame2(bool play);
  Actions& Label(const std::string& name);
  Actions& Jump(const std::string& label);
  Actions& If(const std::string& label);
  Actions& With(const Actions& body);
  Actions& DefineFunction(const std::string& name, const std::vector<std::string>& params,
                          const Actions& body);
  struct Param {
    uint8_t reg;
    std::string name;
  };
  Actions& DefineFunction2(const std::string& name, uint8_t registerCount, uint16_t flags,
                           const std::vector<Param>& params, const Actions& body);
  Actions& Raw(const Bytes& bytes);
  // The block; End (0) is appended unless asked not to.
  Bytes Build(bool withEnd = true) const;

  static uint8_t OpcodeOf(const std::string& name);  // 0xFF for an unknown name
  static const std::map<std::string, uint8_t>& OpcodeTable();

 private:
  struct Fixup {
    size_t offsetPos;  // where the s16 goes
    size_t nextPc;     // the record's end
    std::string label;
  };
  Bytes code_;
  std::map<std::string, size_t> labels_;
  std::vector<Fixup> fixups_;
};

}  // namespace swfw
