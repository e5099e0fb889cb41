#include "platform/d3d8/VertexFacts.h"

#include <algorithm>
#include <cstring>

#include "platform/d3d8/DeviceBase.h"

namespace d3d8 {

void VertexFacts::Merge(const VertexFacts& other) {
  diffuseMin = std::min(diffuseMin, other.diffuseMin);
  diffuseMax = std::max(diffuseMax, other.diffuseMax);
  unitRhw = unitRhw && other.unitRhw;
}

VertexFacts ScanVertices(uint32_t fvf, uint32_t stride, const void* vertices, size_t bytes) {
  VertexFacts facts;
  const bool pretransformed = (fvf & D3DFVF_POSITION_MASK) == D3DFVF_XYZRHW;
  uint32_t diffuse = DeviceBase::VertexSize(fvf & D3DFVF_POSITION_MASK);
  if (fvf & D3DFVF_NORMAL) diffuse += 12;
  if (fvf & D3DFVF_PSIZE) diffuse += 4;
  const bool coloured = (fvf & D3DFVF_DIFFUSE) != 0;
  const size_t reach = coloured ? diffuse + 4 : DeviceBase::VertexSize(fvf & D3DFVF_POSITION_MASK);
  if (stride < reach || !vertices) {
    facts.diffuseMin = 0;
    facts.unitRhw = false;
    return facts;
  }
  if (coloured) {
    facts.diffuseMin = 255;
    facts.diffuseMax = 0;
  }
  const auto* data = static_cast<const uint8_t*>(vertices);
  for (size_t at = 0; at + reach <= bytes; at += stride) {
    if (pretransformed) {
      float rhw;
      std::memcpy(&rhw, data + at + 12, sizeof rhw);
      if (rhw != 1.0f) facts.unitRhw = false;
    }
    if (coloured) {
      // 0xAARRGGBB in memory: alpha is the fourth byte.
      const uint8_t alpha = data[at + diffuse + 3];
      facts.diffuseMin = std::min(facts.diffuseMin, alpha);
      facts.diffuseMax = std::max(facts.diffuseMax, alpha);
    }
  }
  return facts;
}

}  // namespace d3d8
