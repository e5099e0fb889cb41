#include "platform/bass/SourceData.h"

#include <fstream>
#include <iterator>

#include "platform/bass/Bass.h"

namespace bass {

int SourceData::Open(bool mem, const void* file, uint64_t offset, uint32_t length) {
  storage_.clear();
  data_ = nullptr;
  size_ = 0;
  if (!file) return BASS_ERROR_ILLPARAM;
  if (mem) {
    if (length == 0) return BASS_ERROR_ILLPARAM;
    data_ = static_cast<const uint8_t*>(file) + offset;
    size_ = length;
    return BASS_OK;
  }
  std::ifstream in(static_cast<const char*>(file), std::ios::binary);
  if (!in) return BASS_ERROR_FILEOPEN;
  storage_.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  if (in.bad()) return BASS_ERROR_FILEOPEN;
  if (offset >= storage_.size()) return BASS_ERROR_ILLPARAM;
  size_t available = storage_.size() - offset;
  data_ = storage_.data() + offset;
  size_ = (length == 0 || length > available) ? available : length;
  return BASS_OK;
}

}  // namespace bass
