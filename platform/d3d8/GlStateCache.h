#pragma once

#include <cstdint>

namespace d3d8 {

// What the OpenGL back end last set in its context, so that a draw sends GL only what
// changed since the one before. Every GL call of the back end that changes one of these
// goes through here; a value nobody has set yet is sent the first time.
class GlStateCache {
 public:
  // Capabilities turned on and off with glEnable and glDisable.
  enum Capability {
    kBlend,
    kCullFace,
    kDepthTest,
    kStencilTest,
    kDepthClamp,
    kScissorTest,
    kCapabilities
  };

  void Enable(Capability capability, bool on);
  void BlendFunc(uint32_t source, uint32_t dest);
  void BlendEquation(uint32_t equation);
  void CullFace(uint32_t face);
  void DepthFunc(uint32_t func);
  void DepthMask(bool write);
  void StencilFunc(uint32_t func, int32_t ref, uint32_t mask);
  void StencilOp(uint32_t fail, uint32_t depthFail, uint32_t pass);
  void StencilMask(uint32_t mask);
  void PolygonMode(uint32_t mode);
  // Bits 0 to 3: red, green, blue, alpha.
  void ColorMask(uint32_t mask);
  void Viewport(int32_t x, int32_t y, int32_t width, int32_t height);
  void DepthRange(float nearZ, float farZ);
  void Scissor(int32_t x, int32_t y, int32_t width, int32_t height);
  void ClearColor(const float rgba[4]);
  void ClearDepth(float depth);
  void ClearStencil(int32_t stencil);

  // Framebuffers: both targets, or the draw or the read target alone.
  void BindFramebuffer(uint32_t framebuffer);
  void BindDrawFramebuffer(uint32_t framebuffer);
  void BindReadFramebuffer(uint32_t framebuffer);
  void UseProgram(uint32_t program);
  // A texture on a unit, and the sampler object of a unit.
  void BindTexture(uint32_t unit, uint32_t texture);
  void BindSampler(uint32_t unit, uint32_t sampler);
  // The texture bound to a unit (0 when none is known to be).
  uint32_t BoundTexture(uint32_t unit) const {
    return unit < kUnits && textures_[unit].known ? textures_[unit].value : 0;
  }
  // Binds a texture to change it, on whichever unit is active.
  void BindTextureForUpdate(uint32_t texture);

  // GL forgets deleted objects' bindings; so does the cache.
  void ForgetTexture(uint32_t texture);
  void ForgetFramebuffer(uint32_t framebuffer);
  void ForgetSampler(uint32_t sampler);
  void ForgetProgram(uint32_t program);

 private:
  static constexpr int kUnits = 2;
  template <typename T>
  struct Slot {
    T value{};
    bool known = false;
    // True (and records the value) when the value differs from the known one.
    bool Set(const T& next) {
      if (known && value == next) return false;
      value = next;
      known = true;
      return true;
    }
  };
  struct Pair {
    uint32_t a, b;
    bool operator==(const Pair& o) const { return a == o.a && b == o.b; }
  };
  struct Triple {
    uint32_t a, b, c;
    bool operator==(const Triple& o) const { return a == o.a && b == o.b && c == o.c; }
  };
  struct Rect {
    int32_t x, y, width, height;
    bool operator==(const Rect& o) const {
      return x == o.x && y == o.y && width == o.width && height == o.height;
    }
  };
  struct Color {
    float rgba[4];
    bool operator==(const Color& o) const;
  };

  void ActiveUnit(uint32_t unit);

  Slot<bool> capabilities_[kCapabilities];
  Slot<Pair> blendFunc_;
  Slot<uint32_t> blendEquation_;
  Slot<uint32_t> cullFace_;
  Slot<uint32_t> depthFunc_;
  Slot<bool> depthMask_;
  Slot<Triple> stencilFunc_;
  Slot<Triple> stencilOp_;
  Slot<uint32_t> stencilMask_;
  Slot<uint32_t> polygonMode_;
  Slot<uint32_t> colorMask_;
  Slot<Rect> viewport_;
  Slot<Pair> depthRange_;  // the two floats' bits
  Slot<Rect> scissor_;
  Slot<Color> clearColor_;
  Slot<float> clearDepth_;
  Slot<int32_t> clearStencil_;
  Slot<uint32_t> drawFramebuffer_;
  Slot<uint32_t> readFramebuffer_;
  Slot<uint32_t> program_;
  Slot<uint32_t> activeUnit_;
  Slot<uint32_t> textures_[kUnits];
  Slot<uint32_t> samplers_[kUnits];
};

}  // namespace d3d8
