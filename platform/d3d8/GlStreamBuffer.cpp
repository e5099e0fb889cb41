#include "platform/d3d8/GlStreamBuffer.h"

#include <cstring>

#include "platform/d3d8/GlHeaders.h"

namespace d3d8 {

GlStreamBuffer::GlStreamBuffer(uint32_t target, size_t capacity)
    : target_(target), capacity_(capacity) {
  GLuint name = 0;
  glGenBuffers(1, &name);
  name_ = name;
  glBindBuffer(target_, name_);
  glBufferData(target_, static_cast<GLsizeiptr>(capacity_), nullptr, GL_STREAM_DRAW);
}

GlStreamBuffer::~GlStreamBuffer() {
  GLuint name = name_;
  glDeleteBuffers(1, &name);
}

void GlStreamBuffer::Orphan() {
  glBufferData(target_, static_cast<GLsizeiptr>(capacity_), nullptr, GL_STREAM_DRAW);
  position_ = 0;
  ++orphans_;
}

size_t GlStreamBuffer::Write(const void* data, size_t bytes, size_t align) {
  size_t offset = (position_ + align - 1) / align * align;
  if (offset + bytes > capacity_) {
    while (bytes > capacity_) capacity_ *= 2;
    Orphan();
    offset = 0;
  }
  // The range written is one no queued draw reads: GL need not wait for them.
  const GLbitfield access =
      GL_MAP_WRITE_BIT | GL_MAP_INVALIDATE_RANGE_BIT | GL_MAP_UNSYNCHRONIZED_BIT;
  void* target = glMapBufferRange(target_, static_cast<GLintptr>(offset),
                                  static_cast<GLsizeiptr>(bytes), access);
  if (target) {
    std::memcpy(target, data, bytes);
    glUnmapBuffer(target_);
  } else {
    glBufferSubData(target_, static_cast<GLintptr>(offset), static_cast<GLsizeiptr>(bytes), data);
  }
  position_ = offset + bytes;
  return offset;
}

}  // namespace d3d8
