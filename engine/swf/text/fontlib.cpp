// The glyph cache: each outline glyph of a movie's fonts is rasterised once at a fixed
// nominal size, cropped, and packed with the others into shared 256 x 256 alpha textures,
// so that small text is drawn as textured quads. Identical glyph images share one place.
// Also the font part of a movie's cache file, and the drawing of one cached glyph.

#include "engine/swf/text/fontlib.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <memory>
#include <unordered_map>
#include <vector>

#include "engine/swf/base/image.h"
#include "engine/swf/base/limits.h"
#include "engine/swf/base/log.h"
#include "engine/swf/movie/cache_file.h"
#include "engine/swf/movie/movie_definition.h"
#include "engine/swf/render/render_handler.h"
#include "engine/swf/shape/shape.h"
#include "engine/swf/shape/tesselate.h"

namespace swf::fontlib {

namespace {

constexpr int kTextureSize = 256;
constexpr int kNominalGlyphSize = 96;
constexpr int kRenderSize = kNominalGlyphSize * 4;
constexpr float kRenderingBox = 1536.0f;  // font units mapped onto the render buffer
constexpr int kMargin = 3;                // empty pixels around each packed crop
// Bytes of one glyph record in the cache file: index, texture, six floats.
constexpr int kGlyphRecordBytes = 4 + 2 + 6 * 4;

struct int_rect {
  int m_x_min, m_x_max, m_y_min, m_y_max;
};

struct int_point {
  int m_x, m_y;
};

struct rasterized_glyph {
  font* m_font = nullptr;
  int m_glyph_index = 0;
  std::shared_ptr<image_alpha> m_image;  // shared by the glyphs of one outline
  uint32_t m_hash = 0;
  float m_origin_x = 0.0f;  // the glyph origin inside the crop, pixels
  float m_origin_y = 0.0f;
};

struct pending_glyph {
  font* m_font;
  int m_glyph_index;
  cached_glyph m_glyph;
};

// Fills the coverage buffer from the trapezoids of one glyph outline.
class coverage_sink : public tesselate::trapezoid_sink {
 public:
  coverage_sink(uint8_t* buffer, float x_offset, float y_offset)
      : m_buffer(buffer), m_x_offset(x_offset), m_y_offset(y_offset) {}

  void take_outline(int, const float*, int) override {}

  void take_trapezoid(int, const tesselate::trapezoid& t) override {
    constexpr float kScale = static_cast<float>(kRenderSize) / kRenderingBox;
    float y0 = (t.m_y0 + m_y_offset) * kScale;
    float y1 = (t.m_y1 + m_y_offset) * kScale;
    float lx0 = (t.m_lx0 + m_x_offset) * kScale;
    float lx1 = (t.m_lx1 + m_x_offset) * kScale;
    float rx0 = (t.m_rx0 + m_x_offset) * kScale;
    float rx1 = (t.m_rx1 + m_x_offset) * kScale;
    if (!(y1 > y0) || !std::isfinite(y0) || !std::isfinite(y1)) return;
    // Rows above the buffer are skipped without visiting them one by one.
    float first = std::max(std::ceil(y0), 0.0f);
    float last = std::min(std::ceil(y1), static_cast<float>(kRenderSize));
    for (float y = first; y < last; y += 1.0f) {
      float f = (y - y0) / (y1 - y0);
      int xl = clamp_column(std::ceil(lx0 + (lx1 - lx0) * f));
      int xr = clamp_column(std::ceil(rx0 + (rx1 - rx0) * f));
      if (xr > xl) {
        int row = static_cast<int>(y);
        std::memset(m_buffer + row * kRenderSize + xl, 255, static_cast<size_t>(xr - xl));
        m_first_row = std::min(m_first_row, row);
        m_last_row = std::max(m_last_row, row);
      }
    }
  }

  // The rows written, first to last; first > last when none was.
  int first_row() const { return m_first_row; }
  int last_row() const { return m_last_row; }

 private:
  static int clamp_column(float x) {
    if (!(x > 0.0f)) return 0;
    if (x > kRenderSize - 1) return kRenderSize - 1;
    return static_cast<int>(x);
  }
  uint8_t* m_buffer;
  float m_x_offset;
  float m_y_offset;
  int m_first_row = kRenderSize;
  int m_last_row = -1;
};

// One build of glyph textures for a movie; while a cache is written, the closed
// textures are kept for the file as well.
class glyph_texture_builder {
 public:
  glyph_texture_builder(movie_definition_sub* m, std::vector<std::vector<uint8_t>>* saved, bool dummy)
      : m_movie(m), m_saved_textures(saved), m_dummy_textures(dummy) {}

  void build(const array<font*>& fonts) {
    std::vector<rasterized_glyph> glyphs;
    // Glyphs of one outline (offsets of a font tag that name the same outline) take the
    // image of the first without rasterising it again; none when it gave no image.
    constexpr size_t kNoImage = static_cast<size_t>(-1);
    std::unordered_map<const shape_character*, size_t> image_of_outline;
    int tried = 0;
    for (font* f : fonts) {
      if (!f) continue;
      f->set_cached_glyph_nominal_size(std::max(1, kNominalGlyphSize));
      for (int i = 0; i < f->get_glyph_count(); ++i) {
        if (f->cached_glyph_of(i).has_texture()) continue;
        shape_character* outline = f->glyph_shape(i);
        if (!outline) continue;
        auto same = image_of_outline.find(outline);
        if (same != image_of_outline.end()) {
          if (same->second == kNoImage) continue;
          rasterized_glyph twin = glyphs[same->second];
          twin.m_font = f;
          twin.m_glyph_index = i;
          glyphs.push_back(std::move(twin));
          continue;
        }
        image_of_outline[outline] = kNoImage;
        rect box;
        outline->compute_anchor_bound(&box);
        if (!(box.width() >= 0.0f)) continue;
        if (tried++ == limits::kMaxTexturedGlyphsPerMovie) {
          log_error("error: more than %d glyphs to put in glyph textures; the rest are drawn from outlines\n",
                    limits::kMaxTexturedGlyphsPerMovie);
        }
        if (tried > limits::kMaxTexturedGlyphsPerMovie) break;
        rasterized_glyph g;
        if (rasterize(f, i, outline, box, &g)) {
          image_of_outline[outline] = glyphs.size();
          glyphs.push_back(std::move(g));
        }
      }
    }
    pack(&glyphs);
  }

 private:
  bool rasterize(font* f, int glyph_index, shape_character* outline, const rect& box, rasterized_glyph* out) {
    // The buffer is all 0 between glyphs: only the rows a glyph wrote are cleared again.
    if (m_coverage.empty()) m_coverage.assign(size_t(kRenderSize) * kRenderSize, 0);
    float x_offset = 0.0f;
    float y_offset = kRenderingBox;
    if (box.m_x_min < 0.0f) x_offset = -box.m_x_min;
    if (box.m_y_max > 0.0f) y_offset = kRenderingBox - box.m_y_max;
    coverage_sink sink(m_coverage.data(), x_offset, y_offset);
    outline->tesselate(kRenderingBox / kRenderSize * 0.5f, &sink);
    if (sink.first_row() > sink.last_row()) return false;

    // Box-filter 4 x 4 down to the nominal size and find the covered box.
    int min_x = kNominalGlyphSize, max_x = -1, min_y = kNominalGlyphSize, max_y = -1;
    for (int j = sink.first_row() / 4; j <= sink.last_row() / 4; ++j) {
      for (int i = 0; i < kNominalGlyphSize; ++i) {
        int sum = 0;
        for (int y = 0; y < 4; ++y) {
          const uint8_t* row = &m_coverage[size_t(j * 4 + y) * kRenderSize + size_t(i * 4)];
          sum += row[0] + row[1] + row[2] + row[3];
        }
        m_image[j][i] = static_cast<uint8_t>(sum >> 4);
        if (sum >= 16) {
          min_x = std::min(min_x, i);
          max_x = std::max(max_x, i);
          min_y = std::min(min_y, j);
          max_y = std::max(max_y, j);
        }
      }
    }
    std::memset(&m_coverage[size_t(sink.first_row()) * kRenderSize], 0,
                size_t(sink.last_row() - sink.first_row() + 1) * kRenderSize);
    if (max_x < 0) return false;

    out->m_font = f;
    out->m_glyph_index = glyph_index;
    out->m_image = std::make_shared<image_alpha>(max_x - min_x + 1, max_y - min_y + 1);
    for (int y = min_y; y <= max_y; ++y) {
      std::memcpy(scanline(out->m_image.get(), y - min_y), &m_image[y][min_x], size_t(max_x - min_x + 1));
    }
    constexpr float kPixelsPerUnit = static_cast<float>(kNominalGlyphSize) / kRenderingBox;
    out->m_origin_x = x_offset * kPixelsPerUnit - static_cast<float>(min_x);
    out->m_origin_y = y_offset * kPixelsPerUnit - static_cast<float>(min_y);
    out->m_hash = out->m_image->compute_hash();
    return true;
  }

  void pack(std::vector<rasterized_glyph>* list) {
    std::vector<rasterized_glyph>& glyphs = *list;
    std::stable_sort(glyphs.begin(), glyphs.end(), [](const rasterized_glyph& a, const rasterized_glyph& b) {
      return a.m_image->m_width + a.m_image->m_height > b.m_image->m_width + b.m_image->m_height;
    });
    std::vector<bool> done(glyphs.size(), false);
    std::unordered_map<uint32_t, size_t> by_hash;
    size_t left = glyphs.size();
    while (left > 0) {
      bool progress = false;
      for (size_t i = 0; i < glyphs.size(); ++i) {
        if (done[i]) continue;
        rasterized_glyph& g = glyphs[i];
        if (share(g, glyphs, by_hash) || place(g, i, &by_hash)) {
          done[i] = true;
          --left;
          progress = true;
        }
      }
      // Nothing left fits this texture: close it and start the next one. A crop always
      // fits an empty texture, so a pass that placed nothing into one cannot repeat.
      if (left > 0) {
        if (!progress && m_pending.empty()) break;
        close_texture();
      }
    }
    close_texture();
  }

  // Takes the place of an earlier glyph with the same image.
  bool share(const rasterized_glyph& g, const std::vector<rasterized_glyph>& glyphs,
             const std::unordered_map<uint32_t, size_t>& by_hash) {
    auto it = by_hash.find(g.m_hash);
    if (it == by_hash.end()) return false;
    const rasterized_glyph& twin = glyphs[it->second];
    if (!(*twin.m_image == *g.m_image)) return false;
    cached_glyph copy;
    const cached_glyph& placed = twin.m_font->cached_glyph_of(twin.m_glyph_index);
    if (placed.has_texture()) {
      copy = placed;
    } else {
      auto pending = std::find_if(m_pending.begin(), m_pending.end(), [&](const pending_glyph& p) {
        return p.m_font == twin.m_font && p.m_glyph_index == twin.m_glyph_index;
      });
      if (pending == m_pending.end()) return false;
      copy = pending->m_glyph;
    }
    copy.m_uv_origin.m_x = copy.m_uv_bounds.m_x_min + (kMargin + g.m_origin_x) / kTextureSize;
    copy.m_uv_origin.m_y = copy.m_uv_bounds.m_y_min + (kMargin + g.m_origin_y) / kTextureSize;
    if (copy.has_texture()) {
      g.m_font->set_cached_glyph(g.m_glyph_index, copy);
    } else {
      m_pending.push_back({g.m_font, g.m_glyph_index, copy});
    }
    return true;
  }

  bool place(const rasterized_glyph& g, size_t index, std::unordered_map<uint32_t, size_t>* by_hash) {
    int w = g.m_image->m_width + 2 * kMargin;
    int h = g.m_image->m_height + 2 * kMargin;
    if (m_pending.empty()) start_texture();
    int x = 0, y = 0;
    if (!find_spot(w, h, &x, &y)) return false;
    for (int row = 0; row < g.m_image->m_height; ++row) {
      std::memcpy(&m_texture[size_t(y + kMargin + row) * kTextureSize + size_t(x + kMargin)],
                  scanline(g.m_image.get(), row), size_t(g.m_image->m_width));
    }
    cached_glyph c;
    c.m_uv_bounds.m_x_min = static_cast<float>(x) / kTextureSize;
    c.m_uv_bounds.m_x_max = static_cast<float>(x + w) / kTextureSize;
    c.m_uv_bounds.m_y_min = static_cast<float>(y) / kTextureSize;
    c.m_uv_bounds.m_y_max = static_cast<float>(y + h) / kTextureSize;
    // The crop lies inside its margin: the origin is counted from the crop's corner.
    c.m_uv_origin.m_x = (static_cast<float>(x + kMargin) + g.m_origin_x) / kTextureSize;
    c.m_uv_origin.m_y = (static_cast<float>(y + kMargin) + g.m_origin_y) / kTextureSize;
    m_pending.push_back({g.m_font, g.m_glyph_index, c});
    by_hash->emplace(g.m_hash, index);
    return true;
  }

  void start_texture() {
    m_texture.assign(size_t(kTextureSize) * kTextureSize, 0);
    for (auto& row : m_occupied) row.fill(0);
    m_anchors.clear();
    m_anchors.push_back({0, 0});
  }

  // Free: inside the texture and no pixel of it taken by an earlier rect.
  bool available(const int_rect& r) const {
    if (r.m_x_min < 0 || r.m_y_min < 0 || r.m_x_max > kTextureSize || r.m_y_max > kTextureSize) return false;
    for (int y = r.m_y_min; y < r.m_y_max; ++y) {
      for (int word = r.m_x_min / 64; word <= (r.m_x_max - 1) / 64; ++word) {
        if (m_occupied[size_t(y)][size_t(word)] & span_mask(word, r.m_x_min, r.m_x_max)) return false;
      }
    }
    return true;
  }

  void occupy(const int_rect& r) {
    for (int y = r.m_y_min; y < r.m_y_max; ++y) {
      for (int word = r.m_x_min / 64; word <= (r.m_x_max - 1) / 64; ++word) {
        m_occupied[size_t(y)][size_t(word)] |= span_mask(word, r.m_x_min, r.m_x_max);
      }
    }
  }

  // The bits of columns x0 .. x1 - 1 that fall in the 64-column word.
  static uint64_t span_mask(int word, int x0, int x1) {
    int lo = std::max(x0 - word * 64, 0);
    int hi = std::min(x1 - word * 64, 64);
    if (hi <= lo) return 0;
    uint64_t upper = hi == 64 ? ~uint64_t(0) : (uint64_t(1) << hi) - 1;
    return upper & ~((uint64_t(1) << lo) - 1);
  }

  bool find_spot(int w, int h, int* out_x, int* out_y) {
    for (const int_point& a : m_anchors) {
      int_rect r{a.m_x, a.m_x + w, a.m_y, a.m_y + h};
      if (!available(r)) continue;
      // Slide left while the space allows.
      while (r.m_x_min > 0) {
        int_rect left{r.m_x_min - 1, r.m_x_max - 1, r.m_y_min, r.m_y_max};
        if (!available(left)) break;
        r = left;
      }
      occupy(r);
      m_anchors.erase(std::remove_if(m_anchors.begin(), m_anchors.end(),
                                     [&](const int_point& p) {
                                       return p.m_x >= r.m_x_min && p.m_x < r.m_x_max && p.m_y >= r.m_y_min &&
                                              p.m_y < r.m_y_max;
                                     }),
                      m_anchors.end());
      add_anchor({r.m_x_min, r.m_y_max});
      add_anchor({r.m_x_max, r.m_y_min});
      *out_x = r.m_x_min;
      *out_y = r.m_y_min;
      return true;
    }
    return false;
  }

  // Keeps the anchors sorted by min(x, y); equal keys stay in insertion order.
  void add_anchor(int_point p) {
    auto key = [](const int_point& a) { return std::min(a.m_x, a.m_y); };
    size_t at = m_anchors.size();
    while (at > 0 && key(m_anchors[at - 1]) > key(p)) --at;
    m_anchors.insert(m_anchors.begin() + static_cast<std::ptrdiff_t>(at), p);
  }

  void close_texture() {
    if (m_pending.empty()) return;
    if (m_saved_textures) {
      if (m_dummy_textures) {
        m_saved_textures->push_back({0});
      } else {
        m_saved_textures->push_back(m_texture);
      }
    }
    smart_ptr<bitmap_info> texture;
    if (m_movie && m_movie->get_create_bitmaps() == 1) {
      texture = render::create_bitmap_empty();
    } else {
      texture = render::create_bitmap_alpha(kTextureSize, kTextureSize, m_texture.data());
    }
    if (m_movie) m_movie->add_bitmap_info(texture.get_ptr());
    for (pending_glyph& p : m_pending) {
      p.m_glyph.m_bitmap_info = texture;
      p.m_font->set_cached_glyph(p.m_glyph_index, p.m_glyph);
    }
    m_pending.clear();
  }

  movie_definition_sub* m_movie;
  std::vector<std::vector<uint8_t>>* m_saved_textures;
  bool m_dummy_textures;
  std::vector<uint8_t> m_coverage;
  uint8_t m_image[kNominalGlyphSize][kNominalGlyphSize] = {};
  std::vector<uint8_t> m_texture;
  std::array<std::array<uint64_t, kTextureSize / 64>, kTextureSize> m_occupied = {};
  std::vector<int_point> m_anchors;
  std::vector<pending_glyph> m_pending;
};

int bitmap_index_of(movie_definition_sub* m, int base, const bitmap_info* bi) {
  for (int i = base; i < m->get_bitmap_info_count(); ++i) {
    if (m->get_bitmap_info(i) == bi) return i - base;
  }
  return -1;
}

}  // namespace

void build_glyph_textures(const array<font*>& fonts, movie_definition_sub* m) {
  glyph_texture_builder builder(m, nullptr, false);
  builder.build(fonts);
}

float max_textured_height(const font* f) {
  return static_cast<float>(f->get_cached_glyph_nominal_size()) / kRenderingBox * 1024.0f;
}

void draw_cached_glyph(const matrix& m, const cached_glyph& glyph, rgba color, int nominal_size) {
  if (!glyph.has_texture() || nominal_size <= 0) return;
  // Texture units to glyph units; each font's nominal size gives its own scale.
  float k = kRenderingBox * kTextureSize / static_cast<float>(nominal_size);
  const rect& uv = glyph.m_uv_bounds;
  const point& origin = glyph.m_uv_origin;
  rect quad;
  quad.m_x_min = (uv.m_x_min - origin.m_x) * k;
  quad.m_x_max = (uv.m_x_max - origin.m_x) * k;
  quad.m_y_min = (uv.m_y_min - origin.m_y) * k;
  quad.m_y_max = (uv.m_y_max - origin.m_y) * k;
  render::draw_bitmap_quad(m, glyph.m_bitmap_info.get_ptr(), quad, uv, color);
}

int get_font_count() { return 0; }

font* get_font(int) { return nullptr; }

void save_cached_font_data(file_stream* out, movie_definition_sub* m, const array<font*>& fonts,
                           const cache_options& options) {
  cache_writer w(out);
  int base = m->get_bitmap_info_count();
  for (font* f : fonts) {
    for (int i = 0; i < f->get_glyph_count(); ++i) f->set_cached_glyph(i, cached_glyph());
  }
  std::vector<std::vector<uint8_t>> textures;
  glyph_texture_builder builder(m, &textures, !options.m_include_font_bitmaps);
  builder.build(fonts);

  // The textures are gathered first, so the counts go out ahead of their data without
  // seeking back in the stream.
  w.write_u16(static_cast<uint16_t>(textures.size()));
  for (const std::vector<uint8_t>& t : textures) {
    uint16_t side = t.size() == 1 ? 1 : kTextureSize;
    w.write_u16(side);
    w.write_u16(side);
    w.write_bytes(t.data(), static_cast<int>(t.size()));
  }
  w.write_u16(static_cast<uint16_t>(fonts.size()));
  for (font* f : fonts) {
    w.write_u16(static_cast<uint16_t>(f->get_cached_glyph_nominal_size()));
    int32_t count = 0;
    for (int i = 0; i < f->get_glyph_count(); ++i) count += f->cached_glyph_of(i).has_texture() ? 1 : 0;
    w.write_i32(count);
    for (int i = 0; i < f->get_glyph_count(); ++i) {
      const cached_glyph& g = f->cached_glyph_of(i);
      if (!g.has_texture()) continue;
      w.write_i32(i);
      w.write_u16(static_cast<uint16_t>(bitmap_index_of(m, base, g.m_bitmap_info.get_ptr())));
      w.write_f32(g.m_uv_bounds.m_x_min);
      w.write_f32(g.m_uv_bounds.m_y_min);
      w.write_f32(g.m_uv_bounds.m_x_max);
      w.write_f32(g.m_uv_bounds.m_y_max);
      w.write_f32(g.m_uv_origin.m_x);
      w.write_f32(g.m_uv_origin.m_y);
    }
  }
  if (!w.ok()) log_error("swf::fontlib::save_cached_font_data(): problem writing to output stream!");
}

bool load_cached_font_data(cache_reader* in, const array<font*>& fonts, movie_definition_sub* m) {
  uint16_t texture_count = 0;
  if (!in->read_u16(&texture_count)) {
    log_error("unexpected eof reading cache file (fonts); skipping\n");
    return false;
  }
  // Each texture takes at least five bytes (a 1 x 1 stand-in).
  if (texture_count * 5 > in->bytes_left()) {
    log_error("error: cached font data holds %d textures, more than the file has room for; skipping\n",
              texture_count);
    return false;
  }
  std::vector<uint8_t> pixels;
  for (int t = 0; t < texture_count; ++t) {
    uint16_t width = 0, height = 0;
    if (!in->read_u16(&width) || !in->read_u16(&height)) {
      log_error("unexpected eof reading cache file (fonts); skipping\n");
      return false;
    }
    bool full = width == kTextureSize && height == kTextureSize;
    if (!full && !(width == 1 && height == 1)) {
      log_error("error: cached glyph texture of %d x %d; skipping\n", width, height);
      return false;
    }
    int bytes = width * height;
    if (bytes > in->bytes_left()) {
      log_error("unexpected eof reading cache file (fonts); skipping\n");
      return false;
    }
    smart_ptr<bitmap_info> texture;
    if (m->get_create_bitmaps() == 1) {
      in->skip(bytes);
      texture = render::create_bitmap_empty();
    } else {
      pixels.resize(static_cast<size_t>(bytes));
      if (!in->read_bytes(pixels.data(), bytes)) {
        log_error("unexpected eof reading cache file (fonts); skipping\n");
        return false;
      }
      texture = render::create_bitmap_alpha(width, height, pixels.data());
    }
    m->add_bitmap_info(texture.get_ptr());
  }
  int base = m->get_bitmap_info_count() - texture_count;

  uint16_t font_count = 0;
  if (!in->read_u16(&font_count)) {
    log_error("unexpected eof reading cache file (fonts); skipping\n");
    return false;
  }
  if (font_count != fonts.size()) {
    log_error("error: mismatched font count (read %d, expected %d) in cached font data\n", font_count, fonts.size());
    return false;
  }
  for (font* f : fonts) {
    if (in->failed()) {
      log_error("error reading cache file (fonts); skipping\n");
      return false;
    }
    uint16_t nominal = 0;
    int32_t count = 0;
    if (in->at_end() || !in->read_u16(&nominal) || !in->read_i32(&count)) {
      log_error("unexpected eof reading cache file (fonts); skipping\n");
      return false;
    }
    if (count < 0 || count > in->bytes_left() / kGlyphRecordBytes) {
      log_error("error: cached font data holds %d glyph records, more than the file has room for; skipping\n",
                count);
      return false;
    }
    f->set_cached_glyph_nominal_size(std::max<int>(1, nominal));
    for (int32_t i = 0; i < count; ++i) {
      int32_t glyph_index = 0;
      uint16_t texture_index = 0;
      float v[6];
      bool ok = in->read_i32(&glyph_index) && in->read_u16(&texture_index);
      for (float& value : v) ok = ok && in->read_f32(&value);
      if (!ok) {
        log_error("unexpected eof reading cache file (fonts); skipping\n");
        return false;
      }
      if (texture_index >= texture_count) {
        log_error("error: invalid bitmap index %d in cached font data\n", texture_index);
        return false;
      }
      for (float value : v) {
        if (!std::isfinite(value)) {
          log_error("error: glyph box out of range in cached font data; skipping\n");
          return false;
        }
      }
      cached_glyph g;
      g.m_bitmap_info = m->get_bitmap_info(base + texture_index);
      g.m_uv_bounds.m_x_min = v[0];
      g.m_uv_bounds.m_y_min = v[1];
      g.m_uv_bounds.m_x_max = v[2];
      g.m_uv_bounds.m_y_max = v[3];
      g.m_uv_origin.m_x = v[4];
      g.m_uv_origin.m_y = v[5];
      if (glyph_index < 0 || glyph_index >= f->get_glyph_count()) {
        log_error("error: invalid glyph index %d in cached font data, limit is %d, font is '%s'\n", glyph_index,
                  f->get_glyph_count(), f->get_name() ? f->get_name() : "");
        continue;
      }
      f->set_cached_glyph(glyph_index, g);
    }
  }
  return true;
}

}  // namespace swf::fontlib
