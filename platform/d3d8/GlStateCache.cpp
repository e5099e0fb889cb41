#include "platform/d3d8/GlStateCache.h"

#include <cstring>

#include "platform/d3d8/GlHeaders.h"

namespace d3d8 {

namespace {

constexpr GLenum kCapabilityNames[GlStateCache::kCapabilities] = {
    GL_BLEND, GL_CULL_FACE, GL_DEPTH_TEST, GL_STENCIL_TEST, GL_DEPTH_CLAMP, GL_SCISSOR_TEST};

uint32_t Bits(float value) {
  uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

}  // namespace

bool GlStateCache::Color::operator==(const Color& o) const {
  return std::memcmp(rgba, o.rgba, sizeof rgba) == 0;
}

void GlStateCache::Enable(Capability capability, bool on) {
  if (!capabilities_[capability].Set(on)) return;
  if (on) {
    glEnable(kCapabilityNames[capability]);
  } else {
    glDisable(kCapabilityNames[capability]);
  }
}

void GlStateCache::BlendFunc(uint32_t source, uint32_t dest) {
  if (blendFunc_.Set({source, dest})) glBlendFunc(source, dest);
}

void GlStateCache::BlendEquation(uint32_t equation) {
  if (blendEquation_.Set(equation)) glBlendEquation(equation);
}

void GlStateCache::CullFace(uint32_t face) {
  if (cullFace_.Set(face)) glCullFace(face);
}

void GlStateCache::DepthFunc(uint32_t func) {
  if (depthFunc_.Set(func)) glDepthFunc(func);
}

void GlStateCache::DepthMask(bool write) {
  if (depthMask_.Set(write)) glDepthMask(write ? GL_TRUE : GL_FALSE);
}

void GlStateCache::StencilFunc(uint32_t func, int32_t ref, uint32_t mask) {
  if (stencilFunc_.Set({func, static_cast<uint32_t>(ref), mask})) glStencilFunc(func, ref, mask);
}

void GlStateCache::StencilOp(uint32_t fail, uint32_t depthFail, uint32_t pass) {
  if (stencilOp_.Set({fail, depthFail, pass})) glStencilOp(fail, depthFail, pass);
}

void GlStateCache::StencilMask(uint32_t mask) {
  if (stencilMask_.Set(mask)) glStencilMask(mask);
}

void GlStateCache::PolygonMode(uint32_t mode) {
  if (polygonMode_.Set(mode)) glPolygonMode(GL_FRONT_AND_BACK, mode);
}

void GlStateCache::ColorMask(uint32_t mask) {
  if (colorMask_.Set(mask)) {
    glColorMask((mask & 1) != 0, (mask & 2) != 0, (mask & 4) != 0, (mask & 8) != 0);
  }
}

void GlStateCache::Viewport(int32_t x, int32_t y, int32_t width, int32_t height) {
  if (viewport_.Set({x, y, width, height})) glViewport(x, y, width, height);
}

void GlStateCache::DepthRange(float nearZ, float farZ) {
  if (depthRange_.Set({Bits(nearZ), Bits(farZ)})) glDepthRange(nearZ, farZ);
}

void GlStateCache::Scissor(int32_t x, int32_t y, int32_t width, int32_t height) {
  if (scissor_.Set({x, y, width, height})) glScissor(x, y, width, height);
}

void GlStateCache::ClearColor(const float rgba[4]) {
  Color color;
  std::memcpy(color.rgba, rgba, sizeof color.rgba);
  if (clearColor_.Set(color)) glClearColor(rgba[0], rgba[1], rgba[2], rgba[3]);
}

void GlStateCache::ClearDepth(float depth) {
  if (clearDepth_.Set(depth)) glClearDepth(depth);
}

void GlStateCache::ClearStencil(int32_t stencil) {
  if (clearStencil_.Set(stencil)) glClearStencil(stencil);
}

void GlStateCache::BindFramebuffer(uint32_t framebuffer) {
  const bool draw = drawFramebuffer_.Set(framebuffer);
  const bool read = readFramebuffer_.Set(framebuffer);
  if (draw && read) {
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
  } else if (draw) {
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, framebuffer);
  } else if (read) {
    glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer);
  }
}

void GlStateCache::BindDrawFramebuffer(uint32_t framebuffer) {
  if (drawFramebuffer_.Set(framebuffer)) glBindFramebuffer(GL_DRAW_FRAMEBUFFER, framebuffer);
}

void GlStateCache::BindReadFramebuffer(uint32_t framebuffer) {
  if (readFramebuffer_.Set(framebuffer)) glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer);
}

void GlStateCache::UseProgram(uint32_t program) {
  if (program_.Set(program)) glUseProgram(program);
}

void GlStateCache::ActiveUnit(uint32_t unit) {
  if (activeUnit_.Set(unit)) glActiveTexture(GL_TEXTURE0 + unit);
}

void GlStateCache::BindTexture(uint32_t unit, uint32_t texture) {
  if (unit >= kUnits) return;
  if (textures_[unit].known && textures_[unit].value == texture) return;
  ActiveUnit(unit);
  textures_[unit].Set(texture);
  glBindTexture(GL_TEXTURE_2D, texture);
}

void GlStateCache::BindSampler(uint32_t unit, uint32_t sampler) {
  if (unit < kUnits && samplers_[unit].Set(sampler)) glBindSampler(unit, sampler);
}

void GlStateCache::BindTextureForUpdate(uint32_t texture) {
  if (!activeUnit_.known) ActiveUnit(0);
  BindTexture(activeUnit_.value, texture);
}

void GlStateCache::ForgetTexture(uint32_t texture) {
  for (Slot<uint32_t>& bound : textures_) {
    if (bound.known && bound.value == texture) bound.value = 0;
  }
}

void GlStateCache::ForgetFramebuffer(uint32_t framebuffer) {
  if (drawFramebuffer_.known && drawFramebuffer_.value == framebuffer) drawFramebuffer_.value = 0;
  if (readFramebuffer_.known && readFramebuffer_.value == framebuffer) readFramebuffer_.value = 0;
}

void GlStateCache::ForgetSampler(uint32_t sampler) {
  for (Slot<uint32_t>& bound : samplers_) {
    if (bound.known && bound.value == sampler) bound.value = 0;
  }
}

void GlStateCache::ForgetProgram(uint32_t program) {
  // A program that is in use is deleted only once it is no longer current; whichever is
  // current next is bound again.
  if (program_.known && program_.value == program) program_.known = false;
}

}  // namespace d3d8
