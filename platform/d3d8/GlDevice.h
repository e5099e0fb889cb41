#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/d3d8/AlphaTestReach.h"
#include "platform/d3d8/DeviceBase.h"
#include "platform/d3d8/FixedFunctionKey.h"
#include "platform/d3d8/FixedFunctionProgram.h"
#include "platform/d3d8/GlContext.h"
#include "platform/d3d8/PresentTransform.h"
#include "platform/d3d8/VertexFacts.h"

struct SDL_Window;

namespace d3d8 {

class GlTexture;

// The device of the OpenGL back end. It draws into a framebuffer object of the back
// buffer's size (the game's size, whatever the window's) and presents it scaled uniformly
// and centred in the client area that the window really has (the window layer tells its
// size at each present), with black bars, so that a full-screen device never changes the
// desktop's mode: the window layer makes the window cover the desktop instead, as far as
// the display grants it, and the picture is whole either way.
// OpenGL does not lose devices: TestCooperativeLevel reports D3D_OK and Reset rebuilds
// the back buffer for the new parameters.
//
// Drawing (GlDeviceDraw.cpp): each draw's state is turned into what GL needs (the target,
// raster states, textures and samplers, the key of its fixed-function program and the
// program's uniform values), and GL is sent only what differs from the draw before. A
// triangle list is held back: the next draw, when it is also a triangle list with the
// same state, joins it, so that runs of sprites of one picture go to GL as one draw. A
// draw whose pixels all leave the stages with an alpha of exactly 1 (an opaque picture, an
// opaque colour) is sent without blending where blending would write them unchanged, so
// that the rasteriser neither reads nor mixes the target for it.
// Held drawing is sent before anything that could see it (another draw, a clear, a
// present, a texture lock or change) and in the order it was asked for.
class GlDevice final : public DeviceBase {
 public:
  // What the draws asked of the device and what went to GL.
  struct DrawCounts {
    uint64_t requested = 0;  // draw calls made on the device
    uint64_t sent = 0;       // draw calls sent to GL
  };

  static HRESULT Create(IDirect3D8* direct3d, uint32_t adapter, D3DDEVTYPE type,
                        const D3DCAPS8& caps, HWND focusWindow,
                        D3DPRESENT_PARAMETERS* parameters, IDirect3DDevice8** device);

  HRESULT TestCooperativeLevel() override { return D3D_OK; }
  // D3D_OK once the back buffer of the new parameters exists and can be drawn into;
  // otherwise the device keeps its previous back buffer and reports the failure.
  HRESULT Reset(D3DPRESENT_PARAMETERS* parameters) override;
  HRESULT Present(const RECT* sourceRect, const RECT* destRect, HWND destWindowOverride,
                  const void* dirtyRegion) override;
  HRESULT Clear(uint32_t count, const D3DRECT* rects, uint32_t flags, D3DCOLOR color, float z,
                uint32_t stencil) override;
  HRESULT DrawPrimitiveUP(D3DPRIMITIVETYPE type, uint32_t primitiveCount, const void* vertices,
                          uint32_t stride) override;
  HRESULT DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE type, uint32_t minIndex, uint32_t vertexCount,
                                 uint32_t primitiveCount, const void* indices,
                                 D3DFORMAT indexFormat, const void* vertices,
                                 uint32_t stride) override;

  // Where the latest Present put the back buffer, in window coordinates (all zero before
  // the first).
  const PresentTransform& LastPresentTransform() const { return lastTransform_; }
  // The picture Present puts in the window (back buffer letterboxed at the window's
  // drawable size), composed again off screen and read back: rows top first, 0xAARRGGBB.
  bool ComposeWindowImage(std::vector<uint32_t>* pixels, int* width, int* height);

  // Sends the drawing held back to GL.
  void FlushDraws();
  const DrawCounts& Counts() const { return counts_; }
  // The key of the program of the latest draw sent (after the alpha test was left out
  // where it cannot change a pixel).
  const FixedFunctionKey& LastKey() const { return lastKey_; }
  // Whether the latest draw sent was blended (blending is left off where the source is
  // opaque and blending would write it unchanged).
  bool LastBlended() const { return lastBlended_; }
  // Programs made for keys so far.
  size_t KeyProgramCount() const { return context_->KeyProgramCount(); }
  // Draws from now on with the general program, which takes every stage setting from
  // uniforms: the reference the programs made per key are held to.
  void UseGeneralProgram(bool on);

 protected:
  Texture* MakeTexture(uint32_t width, uint32_t height, uint32_t levels, uint32_t usage,
                       D3DFORMAT format, D3DPOOL pool) override;

 private:
  // Everything a draw needs of GL, as GL values. Two draws with equal states (compared as
  // bytes: the record is cleared before it is filled, and has no padding) can be sent as
  // one.
  struct DrawState {
    GlTexture* target;
    GlTexture* textures[2];
    uint32_t framebuffer;
    int32_t viewport[4];
    float depthRange[2];
    uint32_t blend, blendSource, blendDest, blendEquation;
    uint32_t cull, cullFace;
    uint32_t depthTest, depthFunc, depthWrite;
    uint32_t stencilTest, stencilFunc, stencilRef, stencilMask;
    uint32_t stencilFail, stencilDepthFail, stencilPass, stencilWriteMask;
    uint32_t depthClamp, polygonMode, colorMask;
    SamplerKey samplers[2];
    FixedFunctionKey key;
    uint8_t keyPadding[2];
    ProgramValues values;
    GeneralSettings general;  // the general program's only
    uint32_t fvf, stride;
    uint32_t unused;  // keeps the record free of tail padding
  };
  // A triangle list held back, which later draws of the same state join.
  struct HeldDraw {
    DrawState state;
    std::vector<uint8_t> vertices;
    VertexFacts facts;   // of all its vertices
    uint64_t count = 0;  // vertices
  };

  GlDevice(IDirect3D8* direct3d, uint32_t adapter, D3DDEVTYPE type, const D3DCAPS8& caps,
           std::shared_ptr<GlContext> context);
  ~GlDevice() override;

  HRESULT Configure(const D3DPRESENT_PARAMETERS& requested, D3DPRESENT_PARAMETERS* applied);
  // Binds the render target's framebuffer with the viewport; null when it cannot be drawn.
  GlTexture* BindTarget();
  // Clears drawFramebuffer (of the given size) to black and blits the back buffer into it
  // letterboxed; the back buffer's top row lands at the top.
  void BlitLetterboxed(uint32_t drawFramebuffer, int width, int height);

  // Drawing (GlDeviceDraw.cpp).
  HRESULT Draw(D3DPRIMITIVETYPE type, const void* vertices, size_t vertexBytes, uint32_t stride,
               uint64_t count, const void* indices, D3DFORMAT indexFormat);
  // Fills the state of a draw from the device state; false when the target cannot be
  // drawn into.
  bool ResolveDrawState(uint32_t stride, DrawState* draw);
  void ResolveRasterState(DrawState* draw) const;
  void ResolveProgramValues(DrawState* draw) const;
  void ResolveGeneralSettings(const bool hasTexture[2], DrawState* draw) const;
  // Leaves blending off where it cannot change a pixel of these vertices: the source is
  // opaque and blending would write it unchanged, or nothing is written.
  static void FitToVertices(const VertexFacts& facts, DrawState* draw);
  // Holds a triangle list back to join the next, or sends the draw (and what is held).
  void Queue(const DrawState& draw, D3DPRIMITIVETYPE type, const void* vertices,
             size_t vertexBytes, const VertexFacts& facts, uint64_t count, const void* indices,
             D3DFORMAT indexFormat);
  // Sends one draw: its state (what differs from GL's), its vertices and indices.
  void Send(const DrawState& draw, D3DPRIMITIVETYPE type, const void* vertices,
            size_t vertexBytes, const VertexFacts& facts, uint64_t count, const void* indices,
            D3DFORMAT indexFormat);
  void ApplyRasterState(const DrawState& draw);
  void BindTextures(const DrawState& draw);
  // Makes the draw's program current with its values; its key leaves the alpha test out
  // where the test cannot change a pixel of these vertices.
  void UseProgram(const DrawState& draw, const VertexFacts& facts);
  // What the alpha of the draw's pixels is made of: the values its textures give, the
  // vertices' colours and the texture factor.
  static AlphaTestInputs AlphaTestInputsOf(const DrawState& draw, const VertexFacts& facts);
  // Points the vertex attributes at the streaming buffer for a vertex format and stride.
  void SetVertexFormat(uint32_t fvf, uint32_t stride);

  std::shared_ptr<GlContext> context_;
  SDL_Window* window_;
  PresentTransform lastTransform_;
  HeldDraw held_;
  bool generalProgram_ = false;
  DrawCounts counts_;
  FixedFunctionKey lastKey_{};
  bool lastBlended_ = false;
  // The vertex format the attributes point at (none yet when the stride is 0).
  uint32_t attributeFvf_ = 0;
  uint32_t attributeStride_ = 0;
};

}  // namespace d3d8
