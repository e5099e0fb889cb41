#include "tools/swfwriter/SwfWriter.h"

#include <zlib.h>

#include <cstring>
#include <stdexcept>

namespace swfw {

// ---- bits -----------------------------------------------------------------------------

void BitWriter::WriteUB(uint32_t value, int bits) {
  for (int i = bits - 1; i >= 0; --i) {
    current_ = static_cast<uint8_t>((current_ << 1) | ((value >> i) & 1u));
    if (++used_ == 8) FlushBits();
  }
}

void BitWriter::WriteSB(int32_t value, int bits) { WriteUB(static_cast<uint32_t>(value), bits); }

void BitWriter::FlushBits() {
  bytes_.push_back(current_);
  current_ = 0;
  used_ = 0;
}

void BitWriter::Align() {
  if (used_ > 0) {
    current_ = static_cast<uint8_t>(current_ << (8 - used_));
    FlushBits();
  }
}

void BitWriter::U8(uint8_t v) {
  Align();
  bytes_.push_back(v);
}
void BitWriter::U16(uint16_t v) {
  U8(static_cast<uint8_t>(v));
  U8(static_cast<uint8_t>(v >> 8));
}
void BitWriter::U32(uint32_t v) {
  U16(static_cast<uint16_t>(v));
  U16(static_cast<uint16_t>(v >> 16));
}
void BitWriter::F32(float v) {
  uint32_t bits;
  std::memcpy(&bits, &v, sizeof(bits));
  U32(bits);
}
void BitWriter::String(const std::string& text) {
  Align();
  bytes_.insert(bytes_.end(), text.begin(), text.end());
  bytes_.push_back(0);
}
void BitWriter::Append(const Bytes& bytes) { Append(bytes.data(), bytes.size()); }
void BitWriter::Append(const uint8_t* bytes, size_t size) {
  Align();
  bytes_.insert(bytes_.end(), bytes, bytes + size);
}

Bytes BitWriter::Take() {
  Align();
  return std::move(bytes_);
}

int32_t BitWriter::ToFixed(double value) { return static_cast<int32_t>(value * 65536.0); }

int BitWriter::BitsForUnsigned(uint32_t value) {
  int bits = 0;
  while (value) {
    ++bits;
    value >>= 1;
  }
  return bits;
}

int BitWriter::BitsForSigned(std::initializer_list<int32_t> values) {
  int most = 0;
  for (int32_t v : values) {
    if (v == 0) continue;
    uint32_t magnitude = v < 0 ? static_cast<uint32_t>(~v) : static_cast<uint32_t>(v);
    int bits = BitsForUnsigned(magnitude) + 1;
    if (bits > most) most = bits;
  }
  return most;
}

void WriteRect(BitWriter& w, const Rect& r) {
  w.Align();
  int bits = BitWriter::BitsForSigned({r.xMin, r.xMax, r.yMin, r.yMax});
  w.WriteUB(static_cast<uint32_t>(bits), 5);
  w.WriteSB(r.xMin, bits);
  w.WriteSB(r.xMax, bits);
  w.WriteSB(r.yMin, bits);
  w.WriteSB(r.yMax, bits);
  w.Align();
}

void WriteMatrix(BitWriter& w, const Matrix& m) {
  w.Align();
  w.WriteUB(m.hasScale, 1);
  if (m.hasScale) {
    int32_t sx = BitWriter::ToFixed(m.scaleX), sy = BitWriter::ToFixed(m.scaleY);
    int bits = BitWriter::BitsForSigned({sx, sy});
    w.WriteUB(static_cast<uint32_t>(bits), 5);
    w.WriteSB(sx, bits);
    w.WriteSB(sy, bits);
  }
  w.WriteUB(m.hasRotate, 1);
  if (m.hasRotate) {
    int32_t r0 = BitWriter::ToFixed(m.rotateSkew0), r1 = BitWriter::ToFixed(m.rotateSkew1);
    int bits = BitWriter::BitsForSigned({r0, r1});
    w.WriteUB(static_cast<uint32_t>(bits), 5);
    w.WriteSB(r0, bits);
    w.WriteSB(r1, bits);
  }
  int bits = BitWriter::BitsForSigned({m.translateX, m.translateY});
  w.WriteUB(static_cast<uint32_t>(bits), 5);
  if (bits > 0) {
    w.WriteSB(m.translateX, bits);
    w.WriteSB(m.translateY, bits);
  }
  w.Align();
}

void WriteCXForm(BitWriter& w, const CXForm& c, bool withAlpha) {
  w.Align();
  int channels = withAlpha ? 4 : 3;
  int bits = 0;
  for (int i = 0; i < channels; ++i) {
    if (c.hasMult) bits = std::max(bits, BitWriter::BitsForSigned({c.mult[i]}));
    if (c.hasAdd) bits = std::max(bits, BitWriter::BitsForSigned({c.add[i]}));
  }
  w.WriteUB(c.hasAdd, 1);
  w.WriteUB(c.hasMult, 1);
  w.WriteUB(static_cast<uint32_t>(bits), 4);
  if (c.hasMult) {
    for (int i = 0; i < channels; ++i) w.WriteSB(c.mult[i], bits);
  }
  if (c.hasAdd) {
    for (int i = 0; i < channels; ++i) w.WriteSB(c.add[i], bits);
  }
  w.Align();
}

void WriteRGB(BitWriter& w, const Color& c) {
  w.U8(c.r);
  w.U8(c.g);
  w.U8(c.b);
}

void WriteRGBA(BitWriter& w, const Color& c) {
  WriteRGB(w, c);
  w.U8(c.a);
}

Bytes Tag(int type, const Bytes& body, const TagOptions& options) {
  BitWriter w;
  uint32_t length = options.lengthOverride.value_or(static_cast<uint32_t>(body.size()));
  if (length >= 0x3F || options.forceLong) {
    w.U16(static_cast<uint16_t>((type << 6) | 0x3F));
    w.U32(length);
  } else {
    w.U16(static_cast<uint16_t>((type << 6) | length));
  }
  w.Append(body);
  return w.Take();
}

// ---- movie ----------------------------------------------------------------------------

Movie& Movie::Add(const Bytes& tag) {
  tags_.insert(tags_.end(), tag.begin(), tag.end());
  return *this;
}

Movie& Movie::ShowFrame() {
  ++shownFrames_;
  return Add(Tag(kShowFrame, {}));
}

Movie& Movie::End() { return Add(Tag(kEnd, {})); }

Bytes ZlibCompress(const Bytes& data) {
  uLongf size = compressBound(static_cast<uLong>(data.size()));
  Bytes out(size);
  if (compress2(out.data(), &size, data.data(), static_cast<uLong>(data.size()), Z_BEST_COMPRESSION) != Z_OK) {
    throw std::runtime_error("compress2 failed");
  }
  out.resize(size);
  return out;
}

Bytes Movie::Build(bool compressed) const {
  BitWriter body;
  WriteRect(body, frame);
  body.U16(frameRate);
  body.U16(frameCount.value_or(static_cast<uint16_t>(shownFrames_)));
  body.Append(tags_);
  Bytes rest = body.Take();

  BitWriter file;
  file.U8(compressed ? 'C' : 'F');
  file.U8('W');
  file.U8('S');
  file.U8(static_cast<uint8_t>(version));
  file.U32(fileLengthOverride.value_or(static_cast<uint32_t>(rest.size() + 8)));
  file.Append(compressed ? ZlibCompress(rest) : rest);
  return file.Take();
}

// ---- display list, frames, actions tags -------------------------------------------------

Bytes SetBackgroundColor(const Color& c) {
  BitWriter w;
  WriteRGB(w, c);
  return Tag(kSetBackgroundColor, w.Take());
}

Bytes FrameLabel(const std::string& name) {
  BitWriter w;
  w.String(name);
  return Tag(kFrameLabel, w.Take());
}

Bytes PlaceObject(uint16_t id, uint16_t depth, const Matrix& m, const std::optional<CXForm>& cx) {
  BitWriter w;
  w.U16(id);
  w.U16(depth);
  WriteMatrix(w, m);
  if (cx) WriteCXForm(w, *cx, false);
  return Tag(kPlaceObject, w.Take());
}

Bytes RemoveObject(uint16_t id, uint16_t depth) {
  BitWriter w;
  w.U16(id);
  w.U16(depth);
  return Tag(kRemoveObject, w.Take());
}

Bytes RemoveObject2(uint16_t depth) {
  BitWriter w;
  w.U16(depth);
  return Tag(kRemoveObject2, w.Take());
}

Bytes PlaceObject2(const PlaceObject2Record& r, int version) {
  bool clipActions = r.hasClipActions || !r.clipActions.empty();
  BitWriter w;
  w.WriteUB(clipActions, 1);
  w.WriteUB(r.clipDepth.has_value(), 1);
  w.WriteUB(r.name.has_value(), 1);
  w.WriteUB(r.ratio.has_value(), 1);
  w.WriteUB(r.cxform.has_value(), 1);
  w.WriteUB(r.matrix.has_value(), 1);
  w.WriteUB(r.characterId.has_value(), 1);
  w.WriteUB(r.move, 1);
  w.U16(r.depth);
  if (r.characterId) w.U16(*r.characterId);
  if (r.matrix) WriteMatrix(w, *r.matrix);
  if (r.cxform) WriteCXForm(w, *r.cxform, true);
  if (r.ratio) w.U16(*r.ratio);
  if (r.name) w.String(*r.name);
  if (r.clipDepth) w.U16(*r.clipDepth);
  if (clipActions) {
    auto flags = [&](uint32_t value) {
      if (version >= 6) {
        w.U32(value);
      } else {
        w.U16(static_cast<uint16_t>(value));
      }
    };
    uint32_t all = 0;
    for (const ClipAction& action : r.clipActions) all |= action.flags;
    w.U16(0);
    flags(all);
    for (const ClipAction& action : r.clipActions) {
      flags(action.flags);
      w.U32(action.lengthOverride.value_or(static_cast<uint32_t>(action.actions.size())));
      w.Append(action.actions);
    }
    flags(0);
  }
  return Tag(kPlaceObject2, w.Take());
}

Bytes DoAction(const Bytes& actions) { return Tag(kDoAction, actions); }

Bytes DoInitAction(uint16_t spriteId, const Bytes& actions) {
  BitWriter w;
  w.U16(spriteId);
  w.Append(actions);
  return Tag(kDoInitAction, w.Take());
}

Bytes DefineSprite(uint16_t id, uint16_t frameCount, const Bytes& inner) {
  BitWriter w;
  w.U16(id);
  w.U16(frameCount);
  w.Append(inner);
  return Tag(kDefineSprite, w.Take());
}

Bytes ExportAssets(const std::vector<std::pair<uint16_t, std::string>>& items) {
  BitWriter w;
  w.U16(static_cast<uint16_t>(items.size()));
  for (const auto& [id, name] : items) {
    w.U16(id);
    w.String(name);
  }
  return Tag(kExportAssets, w.Take());
}

Bytes ImportAssets(const std::string& url, const std::vector<std::pair<uint16_t, std::string>>& items) {
  BitWriter w;
  w.String(url);
  w.U16(static_cast<uint16_t>(items.size()));
  for (const auto& [id, name] : items) {
    w.U16(id);
    w.String(name);
  }
  return Tag(kImportAssets, w.Take());
}

// ---- bitmaps --------------------------------------------------------------------------

Bytes LosslessData(const LosslessImage& image, bool withAlpha) {
  Bytes out;
  auto pad = [&](size_t rowStart) {
    while ((out.size() - rowStart) % 4) out.push_back(0);
  };
  if (image.format == 3) {
    for (const Color& c : image.colorTable) {
      out.push_back(c.r);
      out.push_back(c.g);
      out.push_back(c.b);
      if (withAlpha) out.push_back(c.a);
    }
    for (int y = 0; y < image.height; ++y) {
      size_t rowStart = out.size();
      for (int x = 0; x < image.width; ++x) out.push_back(image.indices[static_cast<size_t>(y) * image.width + x]);
      pad(rowStart);
    }
  } else if (image.format == 4) {
    for (int y = 0; y < image.height; ++y) {
      size_t rowStart = out.size();
      for (int x = 0; x < image.width; ++x) {
        uint16_t v = image.pixels16[static_cast<size_t>(y) * image.width + x];
        out.push_back(static_cast<uint8_t>(v));
        out.push_back(static_cast<uint8_t>(v >> 8));
      }
      pad(rowStart);
    }
  } else {
    for (const Color& c : image.pixels) {
      out.push_back(withAlpha ? c.a : 0xFF);
      out.push_back(c.r);
      out.push_back(c.g);
      out.push_back(c.b);
    }
  }
  return out;
}

Bytes DefineBitsLosslessRaw(uint16_t id, bool withAlpha, int format, uint16_t width, uint16_t height,
                            const Bytes& zlibData, std::optional<uint8_t> colorCountMinus1) {
  BitWriter w;
  w.U16(id);
  w.U8(static_cast<uint8_t>(format));
  w.U16(width);
  w.U16(height);
  if (format == 3) w.U8(colorCountMinus1.value_or(0));
  w.Append(zlibData);
  return Tag(withAlpha ? kDefineBitsLossless2 : kDefineBitsLossless, w.Take());
}

Bytes DefineBitsLossless(uint16_t id, const LosslessImage& image, bool withAlpha) {
  std::optional<uint8_t> count;
  if (image.format == 3) count = static_cast<uint8_t>(image.colorTable.size() - 1);
  return DefineBitsLosslessRaw(id, withAlpha, image.format, image.width, image.height,
                               ZlibCompress(LosslessData(image, withAlpha)), count);
}

Bytes JPEGTables(const Bytes& tables) { return Tag(kJPEGTables, tables); }

Bytes DefineBits(uint16_t id, const Bytes& abbreviatedJpeg) {
  BitWriter w;
  w.U16(id);
  w.Append(abbreviatedJpeg);
  return Tag(kDefineBits, w.Take());
}

Bytes DefineBitsJPEG2(uint16_t id, const Bytes& jpeg) {
  BitWriter w;
  w.U16(id);
  w.Append(jpeg);
  return Tag(kDefineBitsJPEG2, w.Take());
}

Bytes DefineBitsJPEG3(uint16_t id, const Bytes& jpeg, const Bytes& alpha) {
  BitWriter w;
  w.U16(id);
  w.U32(static_cast<uint32_t>(jpeg.size()));
  w.Append(jpeg);
  w.Append(ZlibCompress(alpha));
  return Tag(kDefineBitsJPEG3, w.Take());
}

// ---- sounds ---------------------------------------------------------------------------

Bytes DefineSound(uint16_t id, const SoundFormat& f, uint32_t sampleCount, const Bytes& data) {
  BitWriter w;
  w.U16(id);
  w.WriteUB(static_cast<uint32_t>(f.format), 4);
  w.WriteUB(static_cast<uint32_t>(f.rate), 2);
  w.WriteUB(f.is16Bit, 1);
  w.WriteUB(f.stereo, 1);
  w.U32(sampleCount);
  w.Append(data);
  return Tag(kDefineSound, w.Take());
}

Bytes PcmBytes(const std::vector<int16_t>& samples) {
  Bytes out;
  for (int16_t s : samples) {
    out.push_back(static_cast<uint8_t>(s));
    out.push_back(static_cast<uint8_t>(static_cast<uint16_t>(s) >> 8));
  }
  return out;
}

namespace {

const int kStepTable[89] = {
    7,     8,     9,     10,    11,    12,    13,    14,    16,    17,    19,    21,    23,
    25,    28,    31,    34,    37,    41,    45,    50,    55,    60,    66,    73,    80,
    88,    97,    107,   118,   130,   143,   157,   173,   190,   209,   230,   253,   279,
    307,   337,   371,   408,   449,   494,   544,   598,   658,   724,   796,   876,   963,
    1060,  1166,  1282,  1411,  1552,  1707,  1878,  2066,  2272,  2499,  2749,  3024,  3327,
    3660,  4026,  4428,  4871,  5358,  5894,  6484,  7132,  7845,  8630,  9493,  10442, 11487,
    12635, 13899, 15289, 16818, 18500, 20350, 22385, 24623, 27086, 29794, 32767};

const int* IndexTable(int bits) {
  static const int t2[] = {-1, 2};
  static const int t3[] = {-1, -1, 2, 4};
  static const int t4[] = {-1, -1, -1, -1, 2, 4, 6, 8};
  static const int t5[] = {-1, -1, -1, -1, -1, -1, -1, -1, 1, 2, 4, 6, 8, 10, 13, 16};
  switch (bits) {
    case 2: return t2;
    case 3: return t3;
    case 4: return t4;
    default: return t5;
  }
}

struct AdpcmChannel {
  int sample = 0;
  int index = 0;
};

// Picks the code whose decoded sample lies nearest the wanted one, and applies it.
uint32_t EncodeOne(AdpcmChannel& ch, int wanted, int bits) {
  int step = kStepTable[ch.index];
  int magnitudes = 1 << (bits - 1);
  uint32_t best = 0;
  int bestSample = 0;
  long bestError = -1;
  for (int sign = 0; sign < 2; ++sign) {
    for (int m = 0; m < magnitudes; ++m) {
      int delta = ((m * 2 + 1) * step) >> (bits - 1);
      if (sign) delta = -delta;
      int s = ch.sample + delta;
      if (s > 32767) s = 32767;
      if (s < -32768) s = -32768;
      long error = std::labs(static_cast<long>(s) - wanted);
      if (bestError < 0 || error < bestError) {
        bestError = error;
        best = static_cast<uint32_t>((sign << (bits - 1)) | m);
        bestSample = s;
      }
    }
  }
  ch.sample = bestSample;
  ch.index += IndexTable(bits)[best & static_cast<uint32_t>(magnitudes - 1)];
  if (ch.index < 0) ch.index = 0;
  if (ch.index > 88) ch.index = 88;
  return best;
}

}  // namespace

Bytes EncodeAdpcm(const std::vector<int16_t>& samples, bool stereo, int codeBits) {
  int channels = stereo ? 2 : 1;
  size_t frames = samples.size() / static_cast<size_t>(channels);
  BitWriter w;
  w.WriteUB(static_cast<uint32_t>(codeBits - 2), 2);
  for (size_t start = 0; start < frames; start += 4096) {
    size_t blockFrames = std::min<size_t>(4096, frames - start);
    AdpcmChannel state[2];
    for (int c = 0; c < channels; ++c) {
      state[c].sample = samples[start * channels + c];
      state[c].index = 0;
      w.WriteSB(state[c].sample, 16);
      w.WriteUB(0, 6);
    }
    for (size_t f = 1; f < blockFrames; ++f) {
      for (int c = 0; c < channels; ++c) {
        w.WriteUB(EncodeOne(state[c], samples[(start + f) * channels + c], codeBits), codeBits);
      }
    }
  }
  return w.Take();
}

void WriteSoundInfo(BitWriter& w, const SoundInfo& info) {
  w.WriteUB(0, 2);
  w.WriteUB(info.stop, 1);
  w.WriteUB(info.noMultiple, 1);
  w.WriteUB(!info.envelope.empty(), 1);
  w.WriteUB(info.loops.has_value(), 1);
  w.WriteUB(info.outPoint.has_value(), 1);
  w.WriteUB(info.inPoint.has_value(), 1);
  if (info.inPoint) w.U32(*info.inPoint);
  if (info.outPoint) w.U32(*info.outPoint);
  if (info.loops) w.U16(*info.loops);
  if (!info.envelope.empty()) {
    w.U8(static_cast<uint8_t>(info.envelope.size()));
    for (const auto& [pos, levels] : info.envelope) {
      w.U32(pos);
      w.U16(levels.first);
      w.U16(levels.second);
    }
  }
}

Bytes StartSound(uint16_t id, const SoundInfo& info) {
  BitWriter w;
  w.U16(id);
  WriteSoundInfo(w, info);
  return Tag(kStartSound, w.Take());
}

// ---- actions --------------------------------------------------------------------------

const std::map<std::string, uint8_t>& Actions::OpcodeTable() {
  static const std::map<std::string, uint8_t> table = {
      {"End", 0x00}, {"NextFrame", 0x04}, {"PreviousFrame", 0x05}, {"Play", 0x06}, {"Stop", 0x07},
      {"Add", 0x0A}, {"Subtract", 0x0B}, {"Multiply", 0x0C}, {"Divide", 0x0D}, {"Equals", 0x0E},
      {"Less", 0x0F}, {"And", 0x10}, {"Or", 0x11}, {"Not", 0x12}, {"StringEquals", 0x13},
      {"StringLength", 0x14}, {"StringExtract", 0x15}, {"Pop", 0x17}, {"ToInteger", 0x18},
      {"GetVariable", 0x1C}, {"SetVariable", 0x1D}, {"SetTarget2", 0x20}, {"StringAdd", 0x21},
      {"GetProperty", 0x22}, {"SetProperty", 0x23}, {"CloneSprite", 0x24}, {"RemoveSprite", 0x25},
      {"Trace", 0x26}, {"StartDrag", 0x27}, {"EndDrag", 0x28}, {"StringLess", 0x29},
      {"Throw", 0x2A}, {"CastOp", 0x2B}, {"ImplementsOp", 0x2C}, {"RandomNumber", 0x30},
      {"MBStringLength", 0x31}, {"CharToAscii", 0x32}, {"AsciiToChar", 0x33}, {"GetTime", 0x34},
      {"MBStringExtract", 0x35}, {"MBAsciiToChar", 0x37}, {"Delete", 0x3A}, {"Delete2", 0x3B},
      {"DefineLocal", 0x3C}, {"CallFunction", 0x3D}, {"Return", 0x3E}, {"Modulo", 0x3F},
      {"NewObject", 0x40}, {"DefineLocal2", 0x41}, {"InitArray", 0x42}, {"InitObject", 0x43},
      {"TypeOf", 0x44}, {"TargetPath", 0x45}, {"Enumerate", 0x46}, {"Add2", 0x47}, {"Less2", 0x48},
      {"Equals2", 0x49}, {"ToNumber", 0x4A}, {"ToString", 0x4B}, {"PushDuplicate", 0x4C},
      {"StackSwap", 0x4D}, {"GetMember", 0x4E}, {"SetMember", 0x4F}, {"Increment", 0x50},
      {"Decrement", 0x51}, {"CallMethod", 0x52}, {"NewMethod", 0x53}, {"InstanceOf", 0x54},
      {"Enumerate2", 0x55}, {"BitAnd", 0x60}, {"BitOr", 0x61}, {"BitXor", 0x62},
      {"BitLShift", 0x63}, {"BitRShift", 0x64}, {"BitURShift", 0x65}, {"StrictEquals", 0x66},
      {"Greater", 0x67}, {"StringGreater", 0x68}, {"Extends", 0x69},
      {"GotoFrame", 0x81}, {"GetURL", 0x83}, {"StoreRegister", 0x87}, {"ConstantPool", 0x88},
      {"SetTarget", 0x8B}, {"GoToLabel", 0x8C}, {"WaitForFrame2", 0x8D}, {"DefineFunction2", 0x8E},
      {"With", 0x94}, {"Push", 0x96}, {"Jump", 0x99}, {"GetURL2", 0x9A}, {"DefineFunction", 0x9B},
      {"If", 0x9D}, {"Call", 0x9E}, {"GotoFrame2", 0x9F},
  };
  return table;
}

uint8_t Actions::OpcodeOf(const std::string& name) {
  auto it = OpcodeTable().find(name);
  return it == OpcodeTable().end() ? 0xFF : it->second;
}

Actions::PushItem Actions::Str(const std::string& s) {
  Bytes data(s.begin(), s.end());
  data.push_back(0);
  return {0, data};
}
Actions::PushItem Actions::Float(float f) {
  BitWriter w;
  w.F32(f);
  return {1, w.Take()};
}
Actions::PushItem Actions::Null() { return {2, {}}; }
Actions::PushItem Actions::Undefined() { return {3, {}}; }
Actions::PushItem Actions::Register(uint8_t r) { return {4, {r}}; }
Actions::PushItem Actions::Bool(bool b) { return {5, {static_cast<uint8_t>(b)}}; }
Actions::PushItem Actions::Double(double d) {
  uint64_t bits;
  std::memcpy(&bits, &d, sizeof(bits));
  BitWriter w;
  w.U32(static_cast<uint32_t>(bits >> 32));
  w.U32(static_cast<uint32_t>(bits));
  return {6, w.Take()};
}
Actions::PushItem Actions::Int(int32_t i) {
  BitWriter w;
  w.S32(i);
  return {7, w.Take()};
}
Actions::PushItem Actions::Constant8(uint8_t i) { return {8, {i}}; }
Actions::PushItem Actions::Constant16(uint16_t i) {
  return {9, {static_cast<uint8_t>(i), static_cast<uint8_t>(i >> 8)}};
}

Actions& Actions::Record(uint8_t opcode, const Bytes& payload) {
  code_.push_back(opcode);
  if (opcode >= 0x80) {
    code_.push_back(static_cast<uint8_t>(payload.size()));
    code_.push_back(static_cast<uint8_t>(payload.size() >> 8));
    code_.insert(code_.end(), payload.begin(), payload.end());
  }
  return *this;
}

Actions& Actions::Op(const std::string& name) {
  uint8_t opcode = OpcodeOf(name);
  if (opcode == 0xFF) throw std::invalid_argument("unknown action " + name);
  return Record(opcode, {});
}

Actions& Actions::Push(const std::vector<PushItem>& items) {
  Bytes payload;
  for (const PushItem& item : items) {
    payload.push_back(item.type);
    payload.insert(payload.end(), item.data.begin(), item.data.end());
  }
  return Record(0x96, payload);
}

Actions& Actions::GotoFrame(uint16_t frame) {
  return Record(0x81, {static_cast<uint8_t>(frame), static_cast<uint8_t>(frame >> 8)});
}

Actions& Actions::GetURL(const std::string& url, const std::string& target) {
  BitWriter w;
  w.String(url);
  w.String(target);
  return Record(0x83, w.Take());
}

Actions& Actions::StoreRegister(uint8_t r) { return Record(0x87, {r}); }

Actions& Actions::ConstantPool(const std::vector<std::string>& strings) {
  BitWriter w;
  w.U16(static_cast<uint16_t>(strings.size()));
  for (const std::string& s : strings) w.String(s);
  return Record(0x88, w.Take());
}

Actions& Actions::SetTarget(const std::string& target) {
  BitWriter w;
  w.String(target);
  return Record(0x8B, w.Take());
}

Actions& Actions::GoToLabel(const std::string& label) {
  BitWriter w;
  w.String(label);
  return Record(0x8C, w.Take());
}

Actions& Actions::WaitForFrame2(uint8_t skip) { return Record(0x8D, {skip}); }
Actions& Actions::GetURL2(uint8_t method) { return Record(0x9A, {method}); }
Actions& Actions::GotoFrame2(bool play) { return Record(0x9F, {static_cast<uint8_t>(play)}); }

Actions& Actions::Label(const std::string& name) {
  labels_[name] = code_.size();
  return *this;
}

Actions& Actions::Jump(const std::string& label) {
  Record(0x99, {0, 0});
  fixups_.push_back({code_.size() - 2, code_.size(), label});
  return *this;
}

Actions& Actions::If(const std::string& label) {
  Record(0x9D, {0, 0});
  fixups_.push_back({code_.size() - 2, code_.size(), label});
  return *this;
}

Actions& Actions::With(const Actions& body) {
  Bytes block = body.Build(false);
  Record(0x94, {static_cast<uint8_t>(block.size()), static_cast<uint8_t>(block.size() >> 8)});
  code_.insert(code_.end(), block.begin(), block.end());
  return *this;
}

Actions& Actions::DefineFunction(const std::string& name, const std::vector<std::string>& params,
                                 const Actions& body) {
  Bytes block = body.Build(false);
  BitWriter w;
  w.String(name);
  w.U16(static_cast<uint16_t>(params.size()));
  for (const std::string& p : params) w.String(p);
  w.U16(static_cast<uint16_t>(block.size()));
  Record(0x9B, w.Take());
  code_.insert(code_.end(), block.begin(), block.end());
  return *this;
}

Actions& Actions::DefineFunction2(const std::string& name, uint8_t registerCount, uint16_t flags,
                                  const std::vector<Param>& params, const Actions& body) {
  Bytes block = body.Build(false);
  BitWriter w;
  w.String(name);
  w.U16(static_cast<uint16_t>(params.size()));
  w.U8(registerCount);
  w.U16(flags);
  for (const Param& p : params) {
    w.U8(p.reg);
    w.String(p.name);
  }
  w.U16(static_cast<uint16_t>(block.size()));
  Record(0x8E, w.Take());
  code_.insert(code_.end(), block.begin(), block.end());
  return *this;
}

Actions& Actions::Raw(const Bytes& bytes) {
  code_.insert(code_.end(), bytes.begin(), bytes.end());
  return *this;
}

Bytes Actions::Build(bool withEnd) const {
  Bytes out = code_;
  for (const Fixup& f : fixups_) {
    auto it = labels_.find(f.label);
    if (it == labels_.end()) throw std::invalid_argument("unknown label " + f.label);
    int offset = static_cast<int>(it->second) - static_cast<int>(f.nextPc);
    out[f.offsetPos] = static_cast<uint8_t>(offset);
    out[f.offsetPos + 1] = static_cast<uint8_t>(static_cast<uint16_t>(offset) >> 8);
  }
  if (withEnd) out.push_back(0);
  return out;
}

}  // namespace swfw
