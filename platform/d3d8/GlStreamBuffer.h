#pragma once

#include <cstddef>
#include <cstdint>

namespace d3d8 {

// A GL buffer that draws stream their vertices or indices through. Each write goes after
// the one before; when the storage is full it is orphaned (GL hands out fresh storage and
// keeps the old one for the draws that still read it) and writing starts again at its
// beginning. Needs the GL context current, and the buffer bound to its target (which the
// constructor does: nothing else binds these targets).
class GlStreamBuffer {
 public:
  // target is GL_ARRAY_BUFFER or GL_ELEMENT_ARRAY_BUFFER (the latter with the vertex array
  // that keeps it bound).
  GlStreamBuffer(uint32_t target, size_t capacity);
  ~GlStreamBuffer();
  GlStreamBuffer(const GlStreamBuffer&) = delete;
  GlStreamBuffer& operator=(const GlStreamBuffer&) = delete;

  uint32_t Name() const { return name_; }
  size_t Capacity() const { return capacity_; }
  // Writes the bytes at the next offset that is a multiple of align and returns it. A
  // write larger than the storage grows it.
  size_t Write(const void* data, size_t bytes, size_t align);
  // How often the storage was orphaned.
  uint64_t Orphans() const { return orphans_; }

 private:
  void Orphan();

  uint32_t target_;
  uint32_t name_ = 0;
  size_t capacity_;
  size_t position_ = 0;
  uint64_t orphans_ = 0;
};

}  // namespace d3d8
