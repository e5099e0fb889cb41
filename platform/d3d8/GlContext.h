#pragma once

#include <memory>
#include <string>

#include "platform/d3d8/FixedFunctionProgram.h"

struct SDL_Window;

namespace d3d8 {

// One OpenGL 3.3 core context on an SDL window, with what every draw shares: the
// fixed-function program, a vertex array with its streaming vertex and index buffers, and
// one sampler per texture stage. The device and each of its textures hold it, so that it
// lives until the last GL object made in it is gone.
class GlContext {
 public:
  // Null on failure, with the reason in LastErrorDetail().
  static std::shared_ptr<GlContext> Create(SDL_Window* window);
  ~GlContext();
  GlContext(const GlContext&) = delete;
  GlContext& operator=(const GlContext&) = delete;

  // Makes the context current on the calling thread when it is not.
  void MakeCurrent() const;
  SDL_Window* Window() const { return window_; }
  const FixedFunctionProgram& Program() const { return *program_; }
  uint32_t VertexArray() const { return vertexArray_; }
  uint32_t VertexBuffer() const { return vertexBuffer_; }
  uint32_t IndexBuffer() const { return indexBuffer_; }
  uint32_t Sampler(int stage) const { return samplers_[stage]; }

 private:
  GlContext() = default;

  SDL_Window* window_ = nullptr;
  void* context_ = nullptr;
  std::unique_ptr<FixedFunctionProgram> program_;
  uint32_t vertexArray_ = 0;
  uint32_t vertexBuffer_ = 0;
  uint32_t indexBuffer_ = 0;
  uint32_t samplers_[2] = {};
};

// Records the reason of a failure of the OpenGL back end (see d3d8::LastErrorDetail).
void SetLastErrorDetail(const std::string& detail);

}  // namespace d3d8
