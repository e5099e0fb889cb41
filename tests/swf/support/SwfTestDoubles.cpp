#include "tests/swf/support/SwfTestDoubles.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "engine/swf/base/image.h"

namespace swftest {

namespace {

struct MemoryFile {
  Bytes bytes;
  size_t position = 0;
};

int MemRead(void* dst, int bytes, void* data) {
  MemoryFile* f = static_cast<MemoryFile*>(data);
  size_t left = f->position < f->bytes.size() ? f->bytes.size() - f->position : 0;
  size_t n = std::min(left, static_cast<size_t>(bytes));
  if (n) std::memcpy(dst, f->bytes.data() + f->position, n);
  f->position += n;
  return static_cast<int>(n);
}
int MemWrite(const void* src, int bytes, void* data) {
  MemoryFile* f = static_cast<MemoryFile*>(data);
  const uint8_t* p = static_cast<const uint8_t*>(src);
  f->bytes.insert(f->bytes.end(), p, p + bytes);
  f->position = f->bytes.size();
  return bytes;
}
int MemSeek(int position, void* data) {
  MemoryFile* f = static_cast<MemoryFile*>(data);
  if (position < 0 || static_cast<size_t>(position) > f->bytes.size()) return swf::file_stream::SEEK_ERROR;
  f->position = static_cast<size_t>(position);
  return swf::file_stream::NO_ERROR;
}
int MemSeekToEnd(void* data) {
  MemoryFile* f = static_cast<MemoryFile*>(data);
  f->position = f->bytes.size();
  return swf::file_stream::NO_ERROR;
}
int MemTell(const void* data) { return static_cast<int>(static_cast<const MemoryFile*>(data)->position); }
bool MemEof(void* data) {
  MemoryFile* f = static_cast<MemoryFile*>(data);
  return f->position >= f->bytes.size();
}
int MemClose(void* data) {
  delete static_cast<MemoryFile*>(data);
  return swf::file_stream::NO_ERROR;
}

std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Format(const char* format, ...) {
  char buffer[256];
  va_list args;
  va_start(args, format);
  std::vsnprintf(buffer, sizeof(buffer), format, args);
  va_end(args);
  return buffer;
}

std::string ColorText(const swf::rgba& c) { return Format("%d,%d,%d,%d", c.m_r, c.m_g, c.m_b, c.m_a); }

}  // namespace

swf::file_stream* MakeMemoryStream(const Bytes& bytes) {
  MemoryFile* f = new MemoryFile{bytes, 0};
  return new swf::file_stream(f, MemRead, MemWrite, MemSeek, MemSeekToEnd, MemTell, MemEof, MemClose);
}

// ---- files ----------------------------------------------------------------------------

MemoryFiles::MemoryFiles() : previous_(swf::get_file_opener_callback()), outer_(active_) {
  active_ = this;
  swf::register_file_opener_callback(Open);
}

MemoryFiles::~MemoryFiles() {
  active_ = outer_;
  swf::register_file_opener_callback(previous_);
}

int MemoryFiles::OpenCount(const std::string& name) const {
  return static_cast<int>(std::count(opened_.begin(), opened_.end(), name));
}

swf::file_stream* MemoryFiles::Open(const char* path) {
  if (!active_) return nullptr;
  active_->opened_.push_back(path);
  auto it = active_->files_.find(path);
  if (it == active_->files_.end()) return nullptr;
  return MakeMemoryStream(it->second);
}

swf::smart_ptr<swf::movie_def_impl> LoadMovie(const Bytes& bytes, const std::string& name) {
  std::unique_ptr<MemoryFiles> own;
  MemoryFiles* files = MemoryFiles::Active();
  if (!files) {
    own = std::make_unique<MemoryFiles>();
    files = own.get();
  }
  files->Add(name, bytes);
  swf::movie_definition_sub* m = swf::create_movie(name.c_str());
  return Adopt(static_cast<swf::movie_def_impl*>(m));
}

// ---- log ------------------------------------------------------------------------------

SwfLogCapture::SwfLogCapture() : previous_(swf::get_log_callback()), outer_(active_) {
  active_ = this;
  swf::register_log_callback(Receive);
  swf::reset_log_rate();
}

SwfLogCapture::~SwfLogCapture() {
  active_ = outer_;
  swf::register_log_callback(previous_);
  swf::reset_log_rate();
}

void SwfLogCapture::Receive(bool error, const char* text) {
  if (active_) active_->lines.push_back({error, text});
}

size_t SwfLogCapture::Count(const std::string& text) const {
  return static_cast<size_t>(std::count_if(lines.begin(), lines.end(), [&](const Line& line) {
    return line.text.find(text) != std::string::npos;
  }));
}

std::string SwfLogCapture::All() const {
  std::string all;
  for (const Line& line : lines) all += line.text;
  return all;
}

// ---- render ---------------------------------------------------------------------------

RecordingRenderHandler::RecordingRenderHandler() : previous_(swf::get_render_handler()) {
  swf::set_render_handler(this);
}

RecordingRenderHandler::~RecordingRenderHandler() { swf::set_render_handler(previous_); }

RecordedBitmap* RecordingRenderHandler::Keep(RecordedBitmap* bitmap) {
  bitmaps.emplace_back(bitmap);
  return bitmap;
}

swf::bitmap_info* RecordingRenderHandler::create_bitmap_empty() {
  calls.push_back("create_bitmap_empty");
  return Keep(new RecordedBitmap);
}

swf::bitmap_info* RecordingRenderHandler::create_bitmap_alpha(int width, int height, const uint8_t* data) {
  calls.push_back(Format("create_bitmap_alpha %d %d", width, height));
  RecordedBitmap* b = new RecordedBitmap;
  b->kind = RecordedBitmap::kAlpha;
  b->width = width;
  b->height = height;
  b->pixels.assign(data, data + static_cast<size_t>(width) * height);
  return Keep(b);
}

swf::bitmap_info* RecordingRenderHandler::create_bitmap_rgb(swf::image_rgb* image) {
  calls.push_back(Format("create_bitmap_rgb %d %d", image->m_width, image->m_height));
  RecordedBitmap* b = new RecordedBitmap;
  b->kind = RecordedBitmap::kRgb;
  b->width = image->m_width;
  b->height = image->m_height;
  for (int y = 0; y < image->m_height; ++y) {
    const uint8_t* row = swf::scanline(image, y);
    b->pixels.insert(b->pixels.end(), row, row + image->m_width * 3);
  }
  return Keep(b);
}

swf::bitmap_info* RecordingRenderHandler::create_bitmap_rgba(swf::image_rgba* image) {
  calls.push_back(Format("create_bitmap_rgba %d %d", image->m_width, image->m_height));
  RecordedBitmap* b = new RecordedBitmap;
  b->kind = RecordedBitmap::kRgba;
  b->width = image->m_width;
  b->height = image->m_height;
  for (int y = 0; y < image->m_height; ++y) {
    const uint8_t* row = swf::scanline(image, y);
    b->pixels.insert(b->pixels.end(), row, row + image->m_width * 4);
  }
  return Keep(b);
}

void RecordingRenderHandler::delete_bitmap(swf::bitmap_info* bitmap) { calls.push_back("delete_bitmap"); }

void RecordingRenderHandler::begin_frame(swf::rgba background, int x0, int y0, int width, int height, float fx0,
                                         float fx1, float fy0, float fy1) {
  calls.push_back(Format("begin_frame %s %d %d %d %d %g %g %g %g", ColorText(background).c_str(), x0, y0, width,
                         height, fx0, fx1, fy0, fy1));
}
void RecordingRenderHandler::end_frame() { calls.push_back("end_frame"); }
void RecordingRenderHandler::set_matrix(const swf::matrix& m) {
  calls.push_back(Format("set_matrix %g %g %g %g %g %g", m.m_[0][0], m.m_[0][1], m.m_[0][2], m.m_[1][0],
                         m.m_[1][1], m.m_[1][2]));
}
void RecordingRenderHandler::set_color_transform(const swf::cxform& cx) {
  calls.push_back(Format("set_color_transform %g %g %g %g %g %g %g %g", cx.m_[0][0], cx.m_[0][1], cx.m_[1][0],
                         cx.m_[1][1], cx.m_[2][0], cx.m_[2][1], cx.m_[3][0], cx.m_[3][1]));
}
void RecordingRenderHandler::draw_triangle_strip(const int16_t* coords, int vertex_count) {
  calls.push_back(Format("draw_triangle_strip %d", vertex_count));
  strips.emplace_back(coords, coords + vertex_count * 2);
}
void RecordingRenderHandler::draw_line_strip(const int16_t* coords, int vertex_count) {
  calls.push_back(Format("draw_line_strip %d", vertex_count));
  strips.emplace_back(coords, coords + vertex_count * 2);
}
void RecordingRenderHandler::disable_fill(int side) { calls.push_back(Format("disable_fill %d", side)); }
void RecordingRenderHandler::set_fill_color(int side, swf::rgba color) {
  calls.push_back(Format("set_fill_color %d %s", side, ColorText(color).c_str()));
}
void RecordingRenderHandler::set_fill_bitmap(int side, swf::bitmap_info* bitmap, const swf::matrix& m,
                                             bitmap_wrap_mode wrap) {
  calls.push_back(Format("set_fill_bitmap %d %d", side, static_cast<int>(wrap)));
  fill_bitmap_matrices.push_back(m);
}
void RecordingRenderHandler::disable_line() { calls.push_back("disable_line"); }
void RecordingRenderHandler::set_line_color(swf::rgba color) {
  calls.push_back("set_line_color " + ColorText(color));
}
void RecordingRenderHandler::set_line_width(float width) { calls.push_back(Format("set_line_width %g", width)); }
void RecordingRenderHandler::draw_bitmap_quad(const swf::matrix& m, swf::bitmap_info* bitmap,
                                              const swf::rect& coords, const swf::rect& uv, swf::rgba color) {
  calls.push_back(Format("draw_bitmap_quad %g %g %g %g %s", coords.m_x_min, coords.m_x_max, coords.m_y_min,
                         coords.m_y_max, ColorText(color).c_str()));
}
void RecordingRenderHandler::set_antialiased(bool enable) {
  calls.push_back(Format("set_antialiased %d", enable ? 1 : 0));
}
void RecordingRenderHandler::begin_mask() { calls.push_back("begin_mask"); }
void RecordingRenderHandler::end_mask() { calls.push_back("end_mask"); }
void RecordingRenderHandler::disable_mask() { calls.push_back("disable_mask"); }

size_t RecordingRenderHandler::Count(const std::string& prefix) const {
  return static_cast<size_t>(std::count_if(calls.begin(), calls.end(), [&](const std::string& call) {
    return call.compare(0, prefix.size(), prefix) == 0;
  }));
}

// ---- sound ----------------------------------------------------------------------------

RecordingSoundHandler::RecordingSoundHandler() : previous_(swf::get_sound_handler()) {
  swf::set_sound_handler(this);
}

RecordingSoundHandler::~RecordingSoundHandler() { swf::set_sound_handler(previous_); }

int RecordingSoundHandler::create_sound(void* data, int data_bytes, int sample_count, format_type format,
                                        int sample_rate, bool stereo) {
  Sound sound{{}, sample_count, format, sample_rate, stereo};
  if (data && data_bytes > 0) {
    const uint8_t* p = static_cast<const uint8_t*>(data);
    sound.data.assign(p, p + data_bytes);
  }
  sounds.push_back(sound);
  calls.push_back(Format("create %d", static_cast<int>(sounds.size() - 1)));
  return static_cast<int>(sounds.size() - 1);
}

void RecordingSoundHandler::play_sound(int id, int loop_count) { calls.push_back(Format("play %d %d", id, loop_count)); }
void RecordingSoundHandler::stop_sound(int id) { calls.push_back(Format("stop %d", id)); }
void RecordingSoundHandler::delete_sound(int id) {
  calls.push_back(Format("delete %d", id));
  if (id >= 0 && static_cast<size_t>(id) < sounds.size()) sounds[static_cast<size_t>(id)].deleted = true;
}

std::vector<int16_t> RecordingSoundHandler::Samples(int id) const {
  const Bytes& data = sounds.at(static_cast<size_t>(id)).data;
  std::vector<int16_t> samples;
  for (size_t i = 0; i + 1 < data.size(); i += 2) {
    samples.push_back(static_cast<int16_t>(data[i] | (data[i + 1] << 8)));
  }
  return samples;
}

}  // namespace swftest
