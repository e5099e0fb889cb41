#include "engine/swf/base/zlib_adapter.h"

#include <zlib.h>

#include <cstring>

#include "engine/swf/base/file_stream.h"

namespace swf {

namespace {

constexpr int kBufferSize = 4096;

struct inflater_impl {
  file_stream* m_in;
  z_stream m_zstream;
  int m_initial_stream_pos;
  int m_logical_stream_pos = 0;
  bool m_at_eof = false;
  bool m_error = false;
  unsigned char m_rawdata[kBufferSize];

  explicit inflater_impl(file_stream* in) : m_in(in), m_initial_stream_pos(in->get_position()) {
    std::memset(&m_zstream, 0, sizeof(m_zstream));
    if (inflateInit(&m_zstream) != Z_OK) m_error = true;
  }

  void reset() {
    if (inflateReset(&m_zstream) != Z_OK) {
      m_error = true;
      return;
    }
    m_zstream.next_in = nullptr;
    m_zstream.avail_in = 0;
    m_zstream.next_out = nullptr;
    m_zstream.avail_out = 0;
    m_in->set_position(m_initial_stream_pos);
    m_logical_stream_pos = 0;
    m_at_eof = false;
  }

  int inflate_from_stream(void* dst, int bytes) {
    if (m_error || m_at_eof || bytes <= 0) return 0;
    m_zstream.next_out = static_cast<Bytef*>(dst);
    m_zstream.avail_out = static_cast<uInt>(bytes);
    while (m_zstream.avail_out > 0) {
      if (m_zstream.avail_in == 0) {
        int got = m_in->read_bytes(m_rawdata, kBufferSize);
        if (got <= 0) break;
        m_zstream.next_in = m_rawdata;
        m_zstream.avail_in = static_cast<uInt>(got);
      }
      int result = inflate(&m_zstream, Z_SYNC_FLUSH);
      if (result == Z_STREAM_END) {
        m_at_eof = true;
        break;
      }
      if (result != Z_OK) {
        m_error = true;
        break;
      }
    }
    int produced = bytes - static_cast<int>(m_zstream.avail_out);
    m_logical_stream_pos += produced;
    return produced;
  }
};

int inflate_read(void* dst, int bytes, void* data) {
  return static_cast<inflater_impl*>(data)->inflate_from_stream(dst, bytes);
}

int inflate_write(const void*, int, void*) { return 0; }

int inflate_seek(int position, void* data) {
  inflater_impl* inf = static_cast<inflater_impl*>(data);
  if (inf->m_error) return file_stream::SEEK_ERROR;
  if (position < inf->m_logical_stream_pos) inf->reset();
  unsigned char scratch[kBufferSize];
  while (!inf->m_error && inf->m_logical_stream_pos < position) {
    int want = position - inf->m_logical_stream_pos;
    if (want > kBufferSize) want = kBufferSize;
    if (inf->inflate_from_stream(scratch, want) <= 0) break;
  }
  return inf->m_logical_stream_pos == position ? file_stream::NO_ERROR : file_stream::SEEK_ERROR;
}

int inflate_seek_to_end(void* data) {
  inflater_impl* inf = static_cast<inflater_impl*>(data);
  unsigned char scratch[kBufferSize];
  while (!inf->m_error && inf->inflate_from_stream(scratch, kBufferSize) > 0) {
  }
  return file_stream::NO_ERROR;
}

int inflate_tell(const void* data) { return static_cast<const inflater_impl*>(data)->m_logical_stream_pos; }

bool inflate_get_eof(void* data) { return static_cast<inflater_impl*>(data)->m_at_eof; }

int inflate_close(void* data) {
  inflater_impl* inf = static_cast<inflater_impl*>(data);
  // Give back the compressed bytes read ahead but not consumed by zlib.
  if (inf->m_zstream.avail_in > 0) {
    inf->m_in->set_position(inf->m_in->get_position() - static_cast<int>(inf->m_zstream.avail_in));
  }
  int result = inflateEnd(&inf->m_zstream) == Z_OK ? file_stream::NO_ERROR : file_stream::CLOSE_ERROR;
  delete inf;
  return result;
}

}  // namespace

file_stream* make_inflater(file_stream* source) {
  inflater_impl* inf = new inflater_impl(source);
  return new file_stream(inf, inflate_read, inflate_write, inflate_seek, inflate_seek_to_end, inflate_tell,
                         inflate_get_eof, inflate_close);
}

}  // namespace swf
