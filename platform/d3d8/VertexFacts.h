#pragma once

#include <cstddef>
#include <cstdint>

namespace d3d8 {

// What the vertices of a draw tell about the alpha of its pixels.
struct VertexFacts {
  // The lowest and highest diffuse alpha (opaque without colours).
  uint8_t diffuseMin = 255;
  uint8_t diffuseMax = 255;
  // Pre-transformed vertices whose reciprocal w is exactly 1, every one.
  bool unitRhw = true;

  // The facts of both draws together.
  void Merge(const VertexFacts& other);
};

// Reads the facts from vertices of a flexible vertex format.
VertexFacts ScanVertices(uint32_t fvf, uint32_t stride, const void* vertices, size_t bytes);

}  // namespace d3d8
