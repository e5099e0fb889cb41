// Shapes, morph shapes, fonts, texts, edit texts and buttons.

#include <stdexcept>

#include "tools/swfwriter/SwfWriter.h"

namespace swfw {

namespace {

void WriteColor(BitWriter& w, const Color& c, bool withAlpha) {
  if (withAlpha) {
    WriteRGBA(w, c);
  } else {
    WriteRGB(w, c);
  }
}

void WriteFillStyle(BitWriter& w, int type, const FillStyle& f) {
  bool alpha = type > 22;
  w.U8(static_cast<uint8_t>(f.type));
  if (f.type == 0x00) {
    WriteColor(w, f.color, alpha);
  } else if (f.type == 0x10 || f.type == 0x12) {
    WriteMatrix(w, f.matrix);
    w.U8(static_cast<uint8_t>(f.gradient.size()));
    for (const auto& [ratio, color] : f.gradient) {
      w.U8(ratio);
      WriteColor(w, color, alpha);
    }
  } else if (f.type >= 0x40 && f.type <= 0x43) {
    w.U16(f.bitmapId);
    WriteMatrix(w, f.matrix);
  }
}

void WriteCount(BitWriter& w, size_t count, bool extended) {
  if (count >= 255 && extended) {
    w.U8(0xFF);
    w.U16(static_cast<uint16_t>(count));
  } else {
    if (count > 255) throw std::invalid_argument("more than 255 styles in a DefineShape");
    w.U8(static_cast<uint8_t>(count));
  }
}

int StyleBits(size_t count) { return BitWriter::BitsForUnsigned(static_cast<uint32_t>(count)); }

}  // namespace

void WriteFillStyles(BitWriter& w, int type, const std::vector<FillStyle>& fills) {
  WriteCount(w, fills.size(), type > kDefineShape);
  for (const FillStyle& f : fills) WriteFillStyle(w, type, f);
}

void WriteLineStyles(BitWriter& w, int type, const std::vector<LineStyle>& lines) {
  WriteCount(w, lines.size(), true);
  for (const LineStyle& l : lines) {
    w.U16(l.width);
    WriteColor(w, l.color, type > 22);
  }
}

void WriteShape(BitWriter& w, int type, const Shape& shape, bool withStyles) {
  if (withStyles) {
    WriteRect(w, shape.bounds);
    WriteFillStyles(w, type, shape.fills);
    WriteLineStyles(w, type, shape.lines);
  }
  int fillBits = shape.fillBits.value_or(withStyles ? StyleBits(shape.fills.size()) : 1);
  int lineBits = shape.lineBits.value_or(withStyles ? StyleBits(shape.lines.size()) : 0);
  w.WriteUB(static_cast<uint32_t>(fillBits), 4);
  w.WriteUB(static_cast<uint32_t>(lineBits), 4);
  for (const ShapeRecord& r : shape.records) {
    if (r.kind == ShapeRecord::kStyleChange) {
      uint32_t flags = 0;
      if (r.moveTo) flags |= 0x01;
      if (r.fill0) flags |= 0x02;
      if (r.fill1) flags |= 0x04;
      if (r.line) flags |= 0x08;
      if (r.newStyles) flags |= 0x10;
      w.WriteUB(0, 1);
      w.WriteUB(flags, 5);
      if (r.moveTo) {
        int bits = BitWriter::BitsForSigned({r.moveTo->first, r.moveTo->second});
        w.WriteUB(static_cast<uint32_t>(bits), 5);
        w.WriteSB(r.moveTo->first, bits);
        w.WriteSB(r.moveTo->second, bits);
      }
      if (r.fill0) w.WriteUB(static_cast<uint32_t>(*r.fill0), fillBits);
      if (r.fill1) w.WriteUB(static_cast<uint32_t>(*r.fill1), fillBits);
      if (r.line) w.WriteUB(static_cast<uint32_t>(*r.line), lineBits);
      if (r.newStyles) {
        WriteFillStyles(w, type, r.fills);
        WriteLineStyles(w, type, r.lines);
        fillBits = StyleBits(r.fills.size());
        lineBits = StyleBits(r.lines.size());
        w.WriteUB(static_cast<uint32_t>(fillBits), 4);
        w.WriteUB(static_cast<uint32_t>(lineBits), 4);
      }
    } else if (r.kind == ShapeRecord::kStraight) {
      w.WriteUB(1, 1);
      w.WriteUB(1, 1);
      int bits = std::max(2, BitWriter::BitsForSigned({r.dx, r.dy}));
      w.WriteUB(static_cast<uint32_t>(bits - 2), 4);
      if (r.dx != 0 && r.dy != 0) {
        w.WriteUB(1, 1);  // general line
        w.WriteSB(r.dx, bits);
        w.WriteSB(r.dy, bits);
      } else {
        w.WriteUB(0, 1);
        bool vertical = r.dx == 0;
        w.WriteUB(vertical, 1);
        w.WriteSB(vertical ? r.dy : r.dx, bits);
      }
    } else {
      w.WriteUB(1, 1);
      w.WriteUB(0, 1);
      int bits = std::max(2, BitWriter::BitsForSigned({r.dx, r.dy, r.anchorDx, r.anchorDy}));
      w.WriteUB(static_cast<uint32_t>(bits - 2), 4);
      w.WriteSB(r.dx, bits);
      w.WriteSB(r.dy, bits);
      w.WriteSB(r.anchorDx, bits);
      w.WriteSB(r.anchorDy, bits);
    }
  }
  w.WriteUB(0, 6);  // end of shape
  w.Align();
}

Bytes DefineShape(int type, uint16_t id, const Shape& shape) {
  BitWriter w;
  w.U16(id);
  WriteShape(w, type, shape, true);
  return Tag(type, w.Take());
}

Shape RectangleShape(int32_t width, int32_t height, const Color& color) {
  Shape s;
  s.bounds = {0, width, 0, height};
  FillStyle fill;
  fill.color = color;
  s.fills.push_back(fill);
  ShapeRecord start = ShapeRecord::Move(0, 0);
  start.fill1 = 1;
  s.records = {start, ShapeRecord::Line(width, 0), ShapeRecord::Line(0, height), ShapeRecord::Line(-width, 0),
               ShapeRecord::Line(0, -height)};
  return s;
}

Shape GlyphBox(int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
  Shape s;
  ShapeRecord start = ShapeRecord::Move(x0, y0);
  start.fill0 = 1;
  s.records = {start, ShapeRecord::Line(x1 - x0, 0), ShapeRecord::Line(0, y1 - y0), ShapeRecord::Line(x0 - x1, 0),
               ShapeRecord::Line(0, y0 - y1)};
  return s;
}

// ---- morphs ---------------------------------------------------------------------------

Bytes DefineMorphShape(uint16_t id, const MorphShape& m) {
  BitWriter styles;
  WriteCount(styles, m.fills.size(), true);
  for (const MorphFill& f : m.fills) {
    styles.U8(static_cast<uint8_t>(f.start.type));
    if (f.start.type == 0x00) {
      WriteRGBA(styles, f.start.color);
      WriteRGBA(styles, f.end.color);
    } else if (f.start.type == 0x10 || f.start.type == 0x12) {
      WriteMatrix(styles, f.start.matrix);
      WriteMatrix(styles, f.end.matrix);
      styles.U8(static_cast<uint8_t>(f.start.gradient.size()));
      for (size_t i = 0; i < f.start.gradient.size(); ++i) {
        styles.U8(f.start.gradient[i].first);
        WriteRGBA(styles, f.start.gradient[i].second);
        const auto& end = i < f.end.gradient.size() ? f.end.gradient[i] : f.start.gradient[i];
        styles.U8(end.first);
        WriteRGBA(styles, end.second);
      }
    } else if (f.start.type == 0x40 || f.start.type == 0x41) {
      styles.U16(f.start.bitmapId);
      WriteMatrix(styles, f.start.matrix);
      WriteMatrix(styles, f.end.matrix);
    }
  }
  WriteCount(styles, m.lines.size(), true);
  for (const MorphLine& l : m.lines) {
    styles.U16(l.start.width);
    styles.U16(l.end.width);
    WriteRGBA(styles, l.start.color);
    WriteRGBA(styles, l.end.color);
  }
  BitWriter startShape;
  Shape start = m.startShape;
  if (!start.fillBits) start.fillBits = StyleBits(m.fills.size());
  if (!start.lineBits) start.lineBits = StyleBits(m.lines.size());
  WriteShape(startShape, kDefineMorphShape, start, false);
  Bytes startBytes = startShape.Take();
  Bytes stylesBytes = styles.Take();

  BitWriter w;
  w.U16(id);
  WriteRect(w, m.startBounds);
  WriteRect(w, m.endBounds);
  w.U32(m.endEdgesOffsetOverride.value_or(static_cast<uint32_t>(stylesBytes.size() + startBytes.size())));
  w.Append(stylesBytes);
  w.Append(startBytes);
  Shape end = m.endShape;
  if (!end.fillBits) end.fillBits = 0;
  if (!end.lineBits) end.lineBits = 0;
  WriteShape(w, kDefineMorphShape, end, false);
  return Tag(kDefineMorphShape, w.Take());
}

// ---- fonts and texts ------------------------------------------------------------------

Bytes DefineFont(uint16_t id, const std::vector<Shape>& glyphs) {
  std::vector<Bytes> shapes;
  for (const Shape& g : glyphs) {
    BitWriter s;
    WriteShape(s, kDefineShape, g, false);
    shapes.push_back(s.Take());
  }
  BitWriter w;
  w.U16(id);
  size_t offset = glyphs.size() * 2;
  for (const Bytes& s : shapes) {
    w.U16(static_cast<uint16_t>(offset));
    offset += s.size();
  }
  for (const Bytes& s : shapes) w.Append(s);
  return Tag(kDefineFont, w.Take());
}

Bytes DefineFont2(uint16_t id, const Font& font) {
  std::vector<Bytes> shapes;
  for (const Shape& g : font.glyphs) {
    BitWriter s;
    WriteShape(s, kDefineShape2, g, false);
    shapes.push_back(s.Take());
  }
  BitWriter w;
  w.U16(id);
  w.WriteUB(font.layout.has_value(), 1);
  w.WriteUB(font.shiftJis, 1);
  w.WriteUB(font.smallText, 1);
  w.WriteUB(font.ansi, 1);
  w.WriteUB(font.wideOffsets, 1);
  w.WriteUB(font.wideCodes, 1);
  w.WriteUB(font.italic, 1);
  w.WriteUB(font.bold, 1);
  w.U8(0);  // language
  w.U8(static_cast<uint8_t>(font.name.size()));
  w.Append(reinterpret_cast<const uint8_t*>(font.name.data()), font.name.size());
  w.U16(static_cast<uint16_t>(font.glyphs.size()));
  size_t width = font.wideOffsets ? 4 : 2;
  size_t offset = (font.glyphs.size() + 1) * width;
  auto put = [&](size_t value) {
    if (font.wideOffsets) {
      w.U32(static_cast<uint32_t>(value));
    } else {
      w.U16(static_cast<uint16_t>(value));
    }
  };
  for (const Bytes& s : shapes) {
    put(offset);
    offset += s.size();
  }
  put(offset);  // the code table
  for (const Bytes& s : shapes) w.Append(s);
  for (size_t i = 0; i < font.glyphs.size(); ++i) {
    uint16_t code = i < font.codes.size() ? font.codes[i] : static_cast<uint16_t>('A' + i);
    if (font.wideCodes) {
      w.U16(code);
    } else {
      w.U8(static_cast<uint8_t>(code));
    }
  }
  if (font.layout) {
    const FontLayout& l = *font.layout;
    w.S16(l.ascent);
    w.S16(l.descent);
    w.S16(l.leading);
    for (size_t i = 0; i < font.glyphs.size(); ++i) w.S16(i < l.advances.size() ? l.advances[i] : 0);
    for (size_t i = 0; i < font.glyphs.size(); ++i) WriteRect(w, i < l.bounds.size() ? l.bounds[i] : Rect{});
    w.U16(static_cast<uint16_t>(l.kerning.size()));
    for (const FontLayout::Kerning& k : l.kerning) {
      if (font.wideCodes) {
        w.U16(k.left);
        w.U16(k.right);
      } else {
        w.U8(static_cast<uint8_t>(k.left));
        w.U8(static_cast<uint8_t>(k.right));
      }
      w.S16(k.adjustment);
    }
  }
  return Tag(kDefineFont2, w.Take());
}

Bytes DefineFontInfo(uint16_t fontId, const Font& font) {
  BitWriter w;
  w.U16(fontId);
  w.U8(static_cast<uint8_t>(font.name.size()));
  w.Append(reinterpret_cast<const uint8_t*>(font.name.data()), font.name.size());
  w.U8(static_cast<uint8_t>((font.smallText << 5) | (font.shiftJis << 4) | (font.ansi << 3) | (font.italic << 2) |
                            (font.bold << 1) | (font.wideCodes ? 1 : 0)));
  for (uint16_t code : font.codes) {
    if (font.wideCodes) {
      w.U16(code);
    } else {
      w.U8(static_cast<uint8_t>(code));
    }
  }
  return Tag(kDefineFontInfo, w.Take());
}

Bytes DefineText(int type, uint16_t id, const Text& text) {
  uint32_t maxIndex = 0;
  std::vector<int32_t> advances;
  for (const TextRecord& r : text.records) {
    for (const auto& [index, advance] : r.glyphs) {
      maxIndex = std::max(maxIndex, index);
      advances.push_back(advance);
    }
  }
  int glyphBits = std::max(1, BitWriter::BitsForUnsigned(maxIndex));
  int advanceBits = 1;
  for (int32_t a : advances) advanceBits = std::max(advanceBits, BitWriter::BitsForSigned({a}));

  BitWriter w;
  w.U16(id);
  WriteRect(w, text.bounds);
  WriteMatrix(w, text.matrix);
  w.U8(static_cast<uint8_t>(glyphBits));
  w.U8(static_cast<uint8_t>(advanceBits));
  for (const TextRecord& r : text.records) {
    uint8_t flags = 0x80;
    if (r.fontId) flags |= 0x08;
    if (r.color) flags |= 0x04;
    if (r.y) flags |= 0x02;
    if (r.x) flags |= 0x01;
    w.U8(flags);
    if (r.fontId) w.U16(*r.fontId);
    if (r.color) WriteColor(w, *r.color, type == kDefineText2);
    if (r.x) w.S16(*r.x);
    if (r.y) w.S16(*r.y);
    if (r.fontId) w.U16(r.height);
    w.U8(static_cast<uint8_t>(r.glyphs.size()));
    for (const auto& [index, advance] : r.glyphs) {
      w.WriteUB(index, glyphBits);
      w.WriteSB(advance, advanceBits);
    }
    w.Align();
  }
  w.U8(0);
  return Tag(type, w.Take());
}

Bytes DefineEditText(uint16_t id, const EditText& e) {
  BitWriter w;
  w.U16(id);
  WriteRect(w, e.bounds);
  w.WriteUB(e.initialText.has_value(), 1);
  w.WriteUB(e.wordWrap, 1);
  w.WriteUB(e.multiline, 1);
  w.WriteUB(e.password, 1);
  w.WriteUB(e.readOnly, 1);
  w.WriteUB(e.color.has_value(), 1);
  w.WriteUB(e.maxLength.has_value(), 1);
  w.WriteUB(e.font.has_value(), 1);
  w.WriteUB(0, 1);
  w.WriteUB(e.autoSize, 1);
  w.WriteUB(e.layout.has_value(), 1);
  w.WriteUB(e.noSelect, 1);
  w.WriteUB(e.border, 1);
  w.WriteUB(0, 1);
  w.WriteUB(e.html, 1);
  w.WriteUB(e.useOutlines, 1);
  if (e.font) {
    w.U16(e.font->first);
    w.U16(e.font->second);
  }
  if (e.color) WriteRGBA(w, *e.color);
  if (e.maxLength) w.U16(*e.maxLength);
  if (e.layout) {
    w.U8(e.layout->align);
    w.U16(e.layout->leftMargin);
    w.U16(e.layout->rightMargin);
    w.S16(e.layout->indent);
    w.S16(e.layout->leading);
  }
  w.String(e.variableName);
  if (e.initialText) w.String(*e.initialText);
  return Tag(kDefineEditText, w.Take());
}

// ---- buttons --------------------------------------------------------------------------

namespace {

void WriteButtonRecords(BitWriter& w, const std::vector<ButtonRecord>& records, bool withCxform) {
  for (const ButtonRecord& r : records) {
    w.U8(static_cast<uint8_t>((r.hitTest << 3) | (r.down << 2) | (r.over << 1) | (r.up ? 1 : 0)));
    w.U16(r.characterId);
    w.U16(r.layer);
    WriteMatrix(w, r.matrix);
    if (withCxform) WriteCXForm(w, r.cxform, true);
  }
  w.U8(0);
}

}  // namespace

Bytes DefineButton(uint16_t id, const std::vector<ButtonRecord>& records, const Bytes& actions) {
  BitWriter w;
  w.U16(id);
  WriteButtonRecords(w, records, false);
  w.Append(actions);
  return Tag(kDefineButton, w.Take());
}

Bytes DefineButton2(uint16_t id, bool trackAsMenu, const std::vector<ButtonRecord>& records,
                    const std::vector<ButtonCondAction>& actions) {
  BitWriter recordBytes;
  WriteButtonRecords(recordBytes, records, true);
  Bytes recordData = recordBytes.Take();
  BitWriter w;
  w.U16(id);
  w.U8(trackAsMenu ? 1 : 0);
  // The offset counts from its own field to the first action record.
  w.U16(actions.empty() ? 0 : static_cast<uint16_t>(2 + recordData.size()));
  w.Append(recordData);
  for (size_t i = 0; i < actions.size(); ++i) {
    bool last = i + 1 == actions.size();
    w.U16(last ? 0 : static_cast<uint16_t>(4 + actions[i].actions.size()));
    w.U16(actions[i].conditions);
    w.Append(actions[i].actions);
  }
  return Tag(kDefineButton2, w.Take());
}

Bytes DefineButtonSound(uint16_t buttonId, const std::vector<std::pair<uint16_t, SoundInfo>>& entries) {
  BitWriter w;
  w.U16(buttonId);
  for (size_t i = 0; i < 4; ++i) {
    uint16_t sound = i < entries.size() ? entries[i].first : 0;
    w.U16(sound);
    if (sound != 0) WriteSoundInfo(w, entries[i].second);
  }
  return Tag(kDefineButtonSound, w.Take());
}

}  // namespace swfw
