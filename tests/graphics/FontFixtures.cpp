#include "tests/graphics/FontFixtures.h"

#include "tests/graphics/ImageFixtures.h"

namespace fonttest {

std::string FontFile(const std::string& image, int lineOffset, const std::vector<GlyphEntry>& glyphs) {
  std::string text = "Offset = " + std::to_string(lineOffset) + "\n";
  text += "Img = \"" + image + "\"\n";
  text += "Font = {\n";
  for (const GlyphEntry& g : glyphs) {
    text += "  { x = " + std::to_string(g.x) + ", y = " + std::to_string(g.y) +
            ", w = " + std::to_string(g.w) + ", h = " + std::to_string(g.h) +
            ", Offset = " + std::to_string(g.offset) + ", PreOffset = " + std::to_string(g.preOffset);
    text += ", Glyph = \"" + g.glyph + "\"";
    if (g.id != 0) text += ", GlyphID = " + std::to_string(g.id);
    text += ", u1 = " + std::to_string(g.x) + ", v1 = " + std::to_string(g.y) +
            ", u2 = " + std::to_string(g.x + g.w) + ", v2 = " + std::to_string(g.y + g.h) + " },\n";
  }
  text += "}\n";
  return text;
}

std::vector<GlyphEntry> StandardGlyphs() {
  std::vector<GlyphEntry> glyphs;
  const std::string letters = "ABCDEFGHIJKLMNOPQRSTUVWXYZxyz$%";
  for (size_t i = 0; i < letters.size(); ++i) {
    GlyphEntry g;
    g.glyph = std::string(1, letters[i]);
    g.x = static_cast<int>(i % 25) * 10;
    g.y = static_cast<int>(i / 25) * 12;
    glyphs.push_back(g);
  }
  GlyphEntry space;
  space.glyph = " ";
  space.x = 200;
  space.y = 24;
  space.w = 5;
  glyphs.push_back(space);
  return glyphs;
}

std::string WriteStandardFont(const std::string& file) {
  return gfxtest::WriteFixture(file, FontFile("fonts/test.png", 2, StandardGlyphs()));
}

std::vector<DrawnGlyph> GlyphsOf(const FakeRenderer::Draw& draw) {
  std::vector<DrawnGlyph> glyphs;
  for (size_t i = 0; i + 6 <= draw.vertices.size(); i += 6) {
    const ScreenVertex* q = draw.vertices.data() + i;
    // The second vertex is the top-left corner, the fourth the top-right, the first the
    // bottom-left.
    glyphs.push_back(DrawnGlyph{q[1].x - 0.5f - static_cast<float>(screen::g_offsetX),
                                q[1].y - 0.5f - static_cast<float>(screen::g_offsetY),
                                q[3].x - q[1].x, q[0].y - q[1].y, q[0].color, q[1].u, q[1].v});
  }
  return glyphs;
}

std::vector<DrawnGlyph> AllGlyphs(const FakeRenderer& renderer) {
  std::vector<DrawnGlyph> all;
  for (const FakeRenderer::Draw& draw : renderer.draws) {
    const std::vector<DrawnGlyph> glyphs = GlyphsOf(draw);
    all.insert(all.end(), glyphs.begin(), glyphs.end());
  }
  return all;
}

}  // namespace fonttest
