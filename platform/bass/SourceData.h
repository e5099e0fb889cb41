#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace bass {

// The bytes a load call names: a range of the caller's memory, or (mem false) a file
// read whole into the object. Valid for as long as the object and, for memory, the
// caller's buffer live.
class SourceData {
 public:
  // Returns BASS_OK, or the error code of the load: BASS_ERROR_ILLPARAM for a null or
  // empty memory range or an offset past the end of a file, BASS_ERROR_FILEOPEN for a
  // file that cannot be read.
  int Open(bool mem, const void* file, uint64_t offset, uint32_t length);

  const uint8_t* Data() const { return data_; }
  size_t Size() const { return size_; }

 private:
  std::vector<uint8_t> storage_;
  const uint8_t* data_ = nullptr;
  size_t size_ = 0;
};

}  // namespace bass
