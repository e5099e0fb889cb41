// The player of the hostile table: opens a movie as the engine's FlashMovie does, plays it
// frame by frame on the recording Direct3D device, times and counts each step, and closes
// it as FlashMovie does.

#include <time.h>

#include <chrono>
#include <string>

#include "engine/swf/base/log.h"
#include "engine/swf/base/memory_account.h"
#include "engine/swf/render/render_handler_d3d.h"
#include "engine/swf/shape/shape.h"
#include "platform/d3d8/RecordingDirect3D.h"
#include "tests/swf/support/HostileMovies.h"

namespace swftest {

namespace {

constexpr float kFrameSeconds = 1.0f / 12.0f + 1e-4f;

double ThreadMilliseconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) * 1000.0 + static_cast<double>(now.tv_nsec) / 1e6;
}

}  // namespace

// The recording Direct3D device and the player's handler on it.
struct HostilePlayer::Device {
  Device() {
    D3DPRESENT_PARAMETERS pp{};
    pp.BackBufferWidth = 800;
    pp.BackBufferHeight = 600;
    pp.BackBufferFormat = D3DFMT_X8R8G8B8;
    pp.hDeviceWindow = &window;
    pp.Windowed = 1;
    pp.EnableAutoDepthStencil = 1;
    pp.AutoDepthStencilFormat = D3DFMT_D24S8;
    IDirect3DDevice8* made = nullptr;
    direct3d->CreateDevice(0, D3DDEVTYPE_HAL, &window, D3DCREATE_HARDWARE_VERTEXPROCESSING, &pp, &made);
    device = static_cast<d3d8::RecordingDevice*>(made);
    render = new swf::render_handler_d3d(device);
    previous = swf::get_render_handler();
    swf::set_render_handler(render);
  }
  ~Device() {
    swf::set_render_handler(previous);
    delete render;
    if (device) device->Release();
    direct3d->Release();
  }
  d3d8::RecordingDirect3D* direct3d = new d3d8::RecordingDirect3D();
  HWND__ window{};
  d3d8::RecordingDevice* device = nullptr;
  swf::render_handler_d3d* render = nullptr;
  swf::render_handler* previous = nullptr;
};

HostilePlayer::HostilePlayer() : device_(new Device) {}

HostilePlayer::~HostilePlayer() {
  Close();
  swf::clear_library();
  delete device_;
}

std::vector<SwfLogCapture::Line> HostilePlayer::TakeNewLines() {
  std::vector<SwfLogCapture::Line> lines(log_.lines.begin() + static_cast<long>(lines_taken_), log_.lines.end());
  lines_taken_ = log_.lines.size();
  return lines;
}

void HostilePlayer::Step(const std::function<void(HostileStep&)>& work, const std::function<void()>& after_step) {
  // Each step's lines pass the log's rate limit on their own, however fast it runs.
  swf::reset_log_rate();
  HostileStep s;
  const int builds = swf::shape_mesh::get_build_count();
  const double cpu_start = ThreadMilliseconds();
  const auto wall_start = std::chrono::steady_clock::now();
  work(s);
  s.wall_ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - wall_start).count();
  s.cpu_ms = ThreadMilliseconds() - cpu_start;
  s.meshes_built = swf::shape_mesh::get_build_count() - builds;
  s.live_textures = device_->render->live_texture_count();
  if (device_->device) {
    for (const d3d8::RecordedCall& call : device_->device->Calls()) s.primitives_drawn += call.primitiveCount;
    device_->device->ClearCalls();
  }
  if (root_) s.script_bytes = root_->get_script_bytes();
  s.lines = TakeNewLines();
  steps_.push_back(std::move(s));
  if (after_step) after_step();
}

void HostilePlayer::Play(const HostileMovie& row, const std::function<void()>& after_step) {
  files_.Add("movie.swf", row.movie());
  files_.Add("loaded.swf", LoadedMovie());
  next_movie_ = row.next_movie;
  live_movies_before_ = swf::get_live_movie_count();
  open_ = true;
  Step(
      [&](HostileStep&) {
        def_ = Adopt(static_cast<swf::movie_def_impl*>(swf::create_library_movie("movie.swf")));
        if (def_) root_ = Adopt(static_cast<swf::movie_root*>(def_->create_instance()));
        if (!root_) return;
        root_->set_display_viewport(0, 0, 800, 600);
        account_ = root_->get_memory_account();
      },
      after_step);
  for (int frame = 0; frame < row.frames && root_; ++frame) {
    if (frame < static_cast<int>(row.mouse.size())) {
      const MouseState& mouse = row.mouse[static_cast<size_t>(frame)];
      root_->notify_mouse_state(mouse.x, mouse.y, mouse.buttons);
    }
    Step(
        [&](HostileStep& s) {
          const auto start = std::chrono::steady_clock::now();
          root_->advance(frame == 0 ? 0.0f : kFrameSeconds);
          s.advance_ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
          s.counts = swf::get_action_frame_counts();
          root_->display();
        },
        after_step);
  }
}

void HostilePlayer::Close() {
  if (!open_) return;
  open_ = false;
  root_ = nullptr;
  def_ = nullptr;
  live_movies_after_close_ = swf::get_live_movie_count() - live_movies_before_;
  script_bytes_after_close_ = swf::get_memory_account_bytes(account_);
  if (next_movie_) {
    files_.Add("next.swf", next_movie_());
    swf::smart_ptr<swf::movie_definition_sub> next = Adopt(swf::create_library_movie("next.swf"));
    swf::smart_ptr<swf::movie_interface> instance = next ? Adopt(next->create_instance()) : nullptr;
    if (instance) instance->advance(0.0f);
  }
  closing_lines_ = TakeNewLines();
}

const HostileStep& HostilePlayer::HeaviestFrame() const {
  size_t heaviest = steps_.size() > 1 ? 1 : 0;
  for (size_t i = 1; i < steps_.size(); ++i) {
    if (steps_[i].counts.units > steps_[heaviest].counts.units) heaviest = i;
  }
  return steps_[heaviest];
}

std::vector<SwfLogCapture::Line> HostilePlayer::AllLines() const {
  std::vector<SwfLogCapture::Line> all;
  for (const HostileStep& step : steps_) all.insert(all.end(), step.lines.begin(), step.lines.end());
  all.insert(all.end(), closing_lines_.begin(), closing_lines_.end());
  return all;
}

std::string HostilePlayer::Log() const {
  std::string all;
  for (const SwfLogCapture::Line& line : AllLines()) all += line.text;
  return all;
}

std::vector<std::string> HostilePlayer::LinesOf(bool errors) const {
  std::vector<std::string> texts;
  for (const SwfLogCapture::Line& line : AllLines()) {
    if (line.error != errors) continue;
    std::string text = line.text;
    if (!text.empty() && text.back() == '\n') text.pop_back();
    texts.push_back(text);
  }
  return texts;
}

}  // namespace swftest
