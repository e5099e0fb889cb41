#include "platform/d3d8/GlContext.h"

#include <SDL.h>

#include "platform/d3d8/D3D8.h"
#include "platform/d3d8/GlHeaders.h"

namespace d3d8 {

namespace {

std::string& ErrorDetail() {
  static std::string detail;
  return detail;
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

  gl->program_ = std::make_unique<FixedFunctionProgram>();
  if (!gl->program_->Valid()) {
    SetLastErrorDetail(std::string("drawing program: ") + gl->program_->Error());
    return nullptr;
  }
  GLuint objects[2];
  glGenVertexArrays(1, objects);
  gl->vertexArray_ = objects[0];
  glGenBuffers(2, objects);
  gl->vertexBuffer_ = objects[0];
  gl->indexBuffer_ = objects[1];
  glGenSamplers(2, objects);
  gl->samplers_[0] = objects[0];
  gl->samplers_[1] = objects[1];
  glBindVertexArray(gl->vertexArray_);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  return gl;
}

GlContext::~GlContext() {
  MakeCurrent();
  program_.reset();
  if (vertexArray_) {
    GLuint array = vertexArray_;
    glDeleteVertexArrays(1, &array);
    GLuint buffers[2] = {vertexBuffer_, indexBuffer_};
    glDeleteBuffers(2, buffers);
    GLuint samplers[2] = {samplers_[0], samplers_[1]};
    glDeleteSamplers(2, samplers);
  }
  if (SDL_GL_GetCurrentContext() == context_) SDL_GL_MakeCurrent(window_, nullptr);
  SDL_GL_DeleteContext(static_cast<SDL_GLContext>(context_));
}

void GlContext::MakeCurrent() const {
  if (SDL_GL_GetCurrentContext() != context_) SDL_GL_MakeCurrent(window_, context_);
}

}  // namespace d3d8
