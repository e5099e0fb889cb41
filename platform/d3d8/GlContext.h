#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/d3d8/FixedFunctionProgram.h"
#include "platform/d3d8/GlStateCache.h"
#include "platform/d3d8/GlStreamBuffer.h"

struct SDL_Window;

namespace d3d8 {

// The sampler settings of a stage: magnification, minification and mip filters,
// addressing in u and v, border colour and level-of-detail bias, as the stage states hold
// them.
using SamplerKey = std::array<uint32_t, 7>;

// One OpenGL 3.3 core context on an SDL window, with what every draw shares: the state
// last sent to GL, the fixed-function programs (the general one and one per key, made on
// first use), a vertex array with its streaming vertex and index buffers, and one sampler
// object per distinct sampler setting. The device and each of its textures hold it, so
// that it lives until the last GL object made in it is gone.
class GlContext {
 public:
  // At most this many programs are made for keys; draws of further keys use the general
  // program.
  static constexpr size_t kMaxKeyPrograms = 128;

  // Null on failure, with the reason in LastErrorDetail().
  static std::shared_ptr<GlContext> Create(SDL_Window* window);
  ~GlContext();
  GlContext(const GlContext&) = delete;
  GlContext& operator=(const GlContext&) = delete;

  // Makes the context current on the calling thread when it is not.
  void MakeCurrent() const;
  SDL_Window* Window() const { return window_; }
  GlStateCache& State() { return state_; }
  FixedFunctionProgram& GeneralProgram() { return *general_; }
  // The program of a key, made on first use; the general program when the key's cannot be
  // made (or the cache is full).
  FixedFunctionProgram& ProgramFor(const FixedFunctionKey& key);
  size_t KeyProgramCount() const { return programs_.size(); }
  GlStreamBuffer& Vertices() { return *vertices_; }
  GlStreamBuffer& Indices() { return *indices_; }
  // The sampler object of the settings, made on first use.
  uint32_t SamplerFor(const SamplerKey& key);

  // Drawing that the device holds back to send in one piece (see GlDevice). Textures call
  // FlushDraws before their memory or their GL object changes, so that a held draw reads
  // them as they were when it was made.
  void SetDrawFlusher(std::function<void()> flusher) { flusher_ = std::move(flusher); }
  void FlushDraws() {
    if (flusher_) flusher_();
  }

 private:
  GlContext() = default;

  SDL_Window* window_ = nullptr;
  void* context_ = nullptr;
  GlStateCache state_;
  std::unique_ptr<FixedFunctionProgram> general_;
  std::vector<std::pair<FixedFunctionKey, std::unique_ptr<FixedFunctionProgram>>> programs_;
  size_t lastProgram_ = 0;
  uint32_t vertexArray_ = 0;
  std::unique_ptr<GlStreamBuffer> vertices_;
  std::unique_ptr<GlStreamBuffer> indices_;
  std::vector<std::pair<SamplerKey, uint32_t>> samplers_;
  std::function<void()> flusher_;
};

// Records the reason of a failure of the OpenGL back end (see d3d8::LastErrorDetail).
void SetLastErrorDetail(const std::string& detail);

}  // namespace d3d8
