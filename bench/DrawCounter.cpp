#include "bench/DrawCounter.h"

#include <dlfcn.h>

#define GL_GLEXT_PROTOTYPES 1
#include <GL/glcorearb.h>

#include <vector>

#include "engine/graphics/dx8/Dx8Graphics.h"

namespace benchdraws {
namespace {

// The device's render states and texture stage states lie below these (D3DRS_BLENDOP is
// the last render state, D3DTSS_RESULTARG the last stage state).
constexpr uint32_t kRenderStateEnd = 172;
constexpr uint32_t kStageStateEnd = 29;
constexpr uint32_t kStages = 2;

bool g_counting = false;
Draws g_draws;
bool g_lastWasTriangles = false;
std::vector<uint64_t> g_lastState;
std::vector<uint64_t> g_state;

// Everything of the device that a merged draw must share: textures, states, vertex format
// and target.
void ReadDeviceState(std::vector<uint64_t>& out) {
  out.clear();
  IDirect3DDevice8* device = Dx8Graphics::CurrentDevice();
  if (!device) return;
  for (uint32_t stage = 0; stage < kStages; ++stage) {
    IDirect3DBaseTexture8* texture = nullptr;
    device->GetTexture(stage, &texture);
    out.push_back(reinterpret_cast<uintptr_t>(texture));
    if (texture) texture->Release();
    for (uint32_t type = 1; type < kStageStateEnd; ++type) {
      uint32_t value = 0;
      device->GetTextureStageState(stage, static_cast<D3DTEXTURESTAGESTATETYPE>(type), &value);
      out.push_back(value);
    }
  }
  for (uint32_t state = 1; state < kRenderStateEnd; ++state) {
    uint32_t value = 0;
    device->GetRenderState(static_cast<D3DRENDERSTATETYPE>(state), &value);
    out.push_back(value);
  }
  uint32_t shader = 0;
  device->GetVertexShader(&shader);
  out.push_back(shader);
  IDirect3DSurface8* target = nullptr;
  device->GetRenderTarget(&target);
  out.push_back(reinterpret_cast<uintptr_t>(target));
  if (target) target->Release();
}

void NoteDraw(GLenum mode) {
  if (!g_counting) return;
  ++g_draws.calls;
  ReadDeviceState(g_state);
  const bool triangles = mode == GL_TRIANGLES;
  if (!(triangles && g_lastWasTriangles && g_state == g_lastState)) ++g_draws.runs;
  g_lastWasTriangles = triangles;
  g_lastState.swap(g_state);
}

// The library's own entry point of that name.
template <typename Function>
Function Next(const char* name) {
  return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

}  // namespace

void StartCounting() {
  g_draws = Draws();
  g_lastWasTriangles = false;
  g_lastState.clear();
  g_counting = true;
}

Draws StopCounting() {
  g_counting = false;
  return g_draws;
}

}  // namespace benchdraws

// The draw entry points of this program: each is counted, then handed on.
extern "C" {

void APIENTRY glDrawArrays(GLenum mode, GLint first, GLsizei count) {
  static const auto next = benchdraws::Next<PFNGLDRAWARRAYSPROC>("glDrawArrays");
  benchdraws::NoteDraw(mode);
  next(mode, first, count);
}

void APIENTRY glDrawElements(GLenum mode, GLsizei count, GLenum type, const void* indices) {
  static const auto next = benchdraws::Next<PFNGLDRAWELEMENTSPROC>("glDrawElements");
  benchdraws::NoteDraw(mode);
  next(mode, count, type, indices);
}

void APIENTRY glDrawRangeElements(GLenum mode, GLuint start, GLuint end, GLsizei count, GLenum type,
                                  const void* indices) {
  static const auto next = benchdraws::Next<PFNGLDRAWRANGEELEMENTSPROC>("glDrawRangeElements");
  benchdraws::NoteDraw(mode);
  next(mode, start, end, count, type, indices);
}

void APIENTRY glDrawElementsBaseVertex(GLenum mode, GLsizei count, GLenum type, const void* indices,
                                       GLint baseVertex) {
  static const auto next = benchdraws::Next<PFNGLDRAWELEMENTSBASEVERTEXPROC>("glDrawElementsBaseVertex");
  benchdraws::NoteDraw(mode);
  next(mode, count, type, indices, baseVertex);
}

void APIENTRY glDrawRangeElementsBaseVertex(GLenum mode, GLuint start, GLuint end, GLsizei count,
                                            GLenum type, const void* indices, GLint baseVertex) {
  static const auto next =
      benchdraws::Next<PFNGLDRAWRANGEELEMENTSBASEVERTEXPROC>("glDrawRangeElementsBaseVertex");
  benchdraws::NoteDraw(mode);
  next(mode, start, end, count, type, indices, baseVertex);
}

void APIENTRY glDrawArraysInstanced(GLenum mode, GLint first, GLsizei count, GLsizei instances) {
  static const auto next = benchdraws::Next<PFNGLDRAWARRAYSINSTANCEDPROC>("glDrawArraysInstanced");
  benchdraws::NoteDraw(mode);
  next(mode, first, count, instances);
}

void APIENTRY glDrawElementsInstanced(GLenum mode, GLsizei count, GLenum type, const void* indices,
                                      GLsizei instances) {
  static const auto next = benchdraws::Next<PFNGLDRAWELEMENTSINSTANCEDPROC>("glDrawElementsInstanced");
  benchdraws::NoteDraw(mode);
  next(mode, count, type, indices, instances);
}

void APIENTRY glMultiDrawArrays(GLenum mode, const GLint* first, const GLsizei* count, GLsizei draws) {
  static const auto next = benchdraws::Next<PFNGLMULTIDRAWARRAYSPROC>("glMultiDrawArrays");
  benchdraws::NoteDraw(mode);
  next(mode, first, count, draws);
}

void APIENTRY glMultiDrawElements(GLenum mode, const GLsizei* count, GLenum type, const void* const* indices,
                                  GLsizei draws) {
  static const auto next = benchdraws::Next<PFNGLMULTIDRAWELEMENTSPROC>("glMultiDrawElements");
  benchdraws::NoteDraw(mode);
  next(mode, count, type, indices, draws);
}

}  // extern "C"
