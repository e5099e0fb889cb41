#include "platform/d3d8/GlContext.h"

#include <SDL.h>

#include <cmath>
#include <cstring>

#include "platform/d3d8/D3D8.h"
#include "platform/d3d8/GlHeaders.h"
#include "platform/d3d8/PixelFormat.h"

namespace d3d8 {

namespace {

// Starting sizes of the streaming buffers; a draw larger than one grows it.
constexpr size_t kVertexBufferBytes = 4u << 20;
constexpr size_t kIndexBufferBytes = 1u << 20;
// Beyond this many sampler settings the sampler objects are made anew.
constexpr size_t kMaxSamplers = 256;

std::string& ErrorDetail() {
  static std::string detail;
  return detail;
}

GLint AddressMode(uint32_t address) {
  switch (address) {
    case D3DTADDRESS_MIRROR: return GL_MIRRORED_REPEAT;
    case D3DTADDRESS_CLAMP: return GL_CLAMP_TO_EDGE;
    case D3DTADDRESS_BORDER: return GL_CLAMP_TO_BORDER;
    default: return GL_REPEAT;
  }
}

// SamplerKey order: magnification, minification and mip filters, u and v addressing,
// border colour, level-of-detail bias.
void SetSampler(GLuint sampler, const SamplerKey& key) {
  const bool magLinear = key[0] >= D3DTEXF_LINEAR;
  const bool minLinear = key[1] >= D3DTEXF_LINEAR;
  GLint minFilter = minLinear ? GL_LINEAR : GL_NEAREST;
  if (key[2] == D3DTEXF_POINT) {
    minFilter = minLinear ? GL_LINEAR_MIPMAP_NEAREST : GL_NEAREST_MIPMAP_NEAREST;
  } else if (key[2] >= D3DTEXF_LINEAR) {
    minFilter = minLinear ? GL_LINEAR_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_LINEAR;
  }
  glSamplerParameteri(sampler, GL_TEXTURE_MAG_FILTER, magLinear ? GL_LINEAR : GL_NEAREST);
  glSamplerParameteri(sampler, GL_TEXTURE_MIN_FILTER, minFilter);
  glSamplerParameteri(sampler, GL_TEXTURE_WRAP_S, AddressMode(key[3]));
  glSamplerParameteri(sampler, GL_TEXTURE_WRAP_T, AddressMode(key[4]));
  GLfloat borderColor[4];
  ArgbToFloats(key[5], borderColor);
  glSamplerParameterfv(sampler, GL_TEXTURE_BORDER_COLOR, borderColor);
  float bias;
  std::memcpy(&bias, &key[6], sizeof bias);
  glSamplerParameterf(sampler, GL_TEXTURE_LOD_BIAS, std::isfinite(bias) ? bias : 0.0f);
}

}  // namespace

void SetLastErrorDetail(const std::string& detail) { ErrorDetail() = detail; }

const char* LastErrorDetail() { return ErrorDetail().c_str(); }

std::shared_ptr<GlContext> GlContext::Create(SDL_Window* window) {
  if (!window || !(SDL_GetWindowFlags(window) & SDL_WINDOW_OPENGL)) {
    SetLastErrorDetail("the window was not made for OpenGL");
    return nullptr;
  }
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
  SDL_GLContext context = SDL_GL_CreateContext(window);
  if (!context) {
    SetLastErrorDetail(std::string("SDL_GL_CreateContext: ") + SDL_GetError());
    return nullptr;
  }
  std::shared_ptr<GlContext> gl(new GlContext());
  gl->window_ = window;
  gl->context_ = context;
  gl->MakeCurrent();

  gl->general_ = std::make_unique<FixedFunctionProgram>();
  if (!gl->general_->Valid()) {
    SetLastErrorDetail(std::string("drawing program: ") + gl->general_->Error());
    return nullptr;
  }
  GLuint array = 0;
  glGenVertexArrays(1, &array);
  gl->vertexArray_ = array;
  // The one vertex array stays bound, and with it the index buffer.
  glBindVertexArray(gl->vertexArray_);
  gl->vertices_ = std::make_unique<GlStreamBuffer>(GL_ARRAY_BUFFER, kVertexBufferBytes);
  gl->indices_ = std::make_unique<GlStreamBuffer>(GL_ELEMENT_ARRAY_BUFFER, kIndexBufferBytes);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  // Targets are drawn with Direct3D's screen rows as GL's rows, which mirrors the winding:
  // Direct3D's clockwise is GL's counter-clockwise.
  glFrontFace(GL_CCW);
  return gl;
}

GlContext::~GlContext() {
  MakeCurrent();
  general_.reset();
  programs_.clear();
  vertices_.reset();
  indices_.reset();
  if (vertexArray_) {
    GLuint array = vertexArray_;
    glDeleteVertexArrays(1, &array);
  }
  for (const auto& sampler : samplers_) {
    GLuint name = sampler.second;
    glDeleteSamplers(1, &name);
  }
  if (SDL_GL_GetCurrentContext() == context_) SDL_GL_MakeCurrent(window_, nullptr);
  SDL_GL_DeleteContext(static_cast<SDL_GLContext>(context_));
}

void GlContext::MakeCurrent() const {
  if (SDL_GL_GetCurrentContext() != context_) SDL_GL_MakeCurrent(window_, context_);
}

FixedFunctionProgram& GlContext::ProgramFor(const FixedFunctionKey& key) {
  if (lastProgram_ < programs_.size() && programs_[lastProgram_].first == key) {
    FixedFunctionProgram* program = programs_[lastProgram_].second.get();
    return program ? *program : *general_;
  }
  for (size_t i = 0; i < programs_.size(); ++i) {
    if (programs_[i].first != key) continue;
    lastProgram_ = i;
    FixedFunctionProgram* program = programs_[i].second.get();
    return program ? *program : *general_;
  }
  if (programs_.size() >= kMaxKeyPrograms) return *general_;
  auto made = std::make_unique<FixedFunctionProgram>(key);
  // A key whose program does not build is remembered, and drawn with the general program.
  if (!made->Valid()) made.reset();
  programs_.emplace_back(key, std::move(made));
  lastProgram_ = programs_.size() - 1;
  FixedFunctionProgram* program = programs_.back().second.get();
  return program ? *program : *general_;
}

uint32_t GlContext::SamplerFor(const SamplerKey& key) {
  for (const auto& sampler : samplers_) {
    if (sampler.first == key) return sampler.second;
  }
  if (samplers_.size() >= kMaxSamplers) {
    for (const auto& sampler : samplers_) {
      GLuint name = sampler.second;
      glDeleteSamplers(1, &name);
      state_.ForgetSampler(name);
    }
    samplers_.clear();
  }
  GLuint sampler = 0;
  glGenSamplers(1, &sampler);
  SetSampler(sampler, key);
  samplers_.emplace_back(key, sampler);
  return sampler;
}

}  // namespace d3d8
