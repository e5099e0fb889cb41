#include "platform/vfw/Vfw.h"

extern "C" {
#include <libavutil/log.h>
}

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>

#include "platform/vfw/AviFrameDecoder.h"
#include "platform/vfw/AviStream.h"
#include "platform/vfw/DrawDib.h"
#include "platform/vfw/MemoryBitmap.h"

namespace vfw {

namespace {
std::atomic<int> g_initCount{0};
}  // namespace

void AVIFileInit() {
  // FFmpeg needs no set-up of its own; only keep its warnings about damaged frames off
  // standard error (the movie code reports bad frames itself).
  if (g_initCount++ == 0 && av_log_get_level() > AV_LOG_ERROR) av_log_set_level(AV_LOG_ERROR);
}

void AVIFileExit() {
  if (g_initCount > 0) --g_initCount;
}

std::int32_t AVIStreamOpenFromFileA(PAVISTREAM* stream, const char* file, std::uint32_t fccType,
                                    std::int32_t param, std::uint32_t mode, void* clsidHandler) {
  if (!stream) return AVIERR_BADPARAM;
  *stream = nullptr;
  if (fccType != streamtypeVIDEO || param != 0 || mode != OF_READ) return AVIERR_BADPARAM;
  return AviStream::Open(file, stream);
}

std::int32_t AVIStreamInfoA(PAVISTREAM stream, AVISTREAMINFOA* info, std::int32_t size) {
  if (!stream || !info || size < 0) return AVIERR_BADPARAM;
  std::memcpy(info, &stream->Info(),
              std::min<std::size_t>(std::size_t(size), sizeof(AVISTREAMINFOA)));
  return AVIERR_OK;
}

std::int32_t AVIStreamLength(PAVISTREAM stream) { return stream ? stream->Length() : 0; }

std::int32_t AVIStreamSampleToTime(PAVISTREAM stream, std::int32_t sample) {
  return stream ? stream->SampleToTime(sample) : -1;
}

PGETFRAME AVIStreamGetFrameOpen(PAVISTREAM stream, const BITMAPINFOHEADER* wanted) {
  if (!stream) return nullptr;
  bool topDown = false;
  if (wanted) {
    if (wanted->biBitCount != 32 || wanted->biCompression != BI_RGB ||
        wanted->biWidth != stream->Width() || std::abs(wanted->biHeight) != stream->Height()) {
      return nullptr;
    }
    topDown = wanted->biHeight < 0;
  }
  return AviFrameDecoder::Open(stream, topDown);
}

BITMAPINFOHEADER* AVIStreamGetFrame(PGETFRAME getFrame, std::int32_t position) {
  return getFrame ? getFrame->GetFrame(position) : nullptr;
}

std::int32_t AVIStreamGetFrameClose(PGETFRAME getFrame) {
  if (!getFrame) return AVIERR_BADPARAM;
  delete getFrame;
  return AVIERR_OK;
}

std::uint32_t AVIStreamRelease(PAVISTREAM stream) { return stream ? stream->Release() : 0; }

HDRAWDIB DrawDibOpen() { return new DrawDibContext; }

bool DrawDibClose(HDRAWDIB drawDib) {
  if (!drawDib) return false;
  delete drawDib;
  return true;
}

bool DrawDibDraw(HDRAWDIB drawDib, HDC dc, int xDst, int yDst, int dxDst, int dyDst,
                 const BITMAPINFOHEADER* source, const void* bits, int xSrc, int ySrc, int dxSrc,
                 int dySrc, unsigned flags) {
  if (!drawDib || !source) return false;
  if (dxDst == -1) dxDst = dxSrc;
  if (dyDst == -1) dyDst = dySrc;
  if (dxDst != dxSrc || dyDst != dySrc) return false;  // no stretching
  return CopyDib(dc, xDst, yDst, dxSrc, dySrc, *source, bits, xSrc, ySrc);
}

HDC CreateCompatibleDC(HDC) { return new MemoryDC; }

bool DeleteDC(HDC dc) {
  if (!dc) return false;
  if (dc->selected) dc->selected->selectedInto = nullptr;
  delete dc;
  return true;
}

HBITMAP CreateDIBSection(HDC, const BITMAPINFOHEADER* header, std::uint32_t usage, void** bits,
                         void*, std::uint32_t) {
  if (bits) *bits = nullptr;
  if (!header || header->biBitCount != 32 || header->biCompression != BI_RGB ||
      usage != DIB_RGB_COLORS || header->biWidth <= 0 || header->biHeight == 0) {
    return nullptr;
  }
  const std::int64_t height = std::abs(std::int64_t(header->biHeight));
  if (std::int64_t(header->biWidth) * height > (std::int64_t(1) << 26)) return nullptr;
  auto* bitmap = new DibSection;
  bitmap->width = header->biWidth;
  bitmap->height = static_cast<std::int32_t>(height);
  bitmap->topDown = header->biHeight < 0;
  bitmap->pixels.assign(std::size_t(bitmap->width) * bitmap->height, 0);
  if (bits) *bits = bitmap->pixels.data();
  return bitmap;
}

HBITMAP SelectObject(HDC dc, HBITMAP bitmap) {
  if (!dc || !bitmap) return nullptr;
  // A bitmap is selected into one device context at a time.
  if (bitmap->selectedInto && bitmap->selectedInto != dc) return nullptr;
  HBITMAP previous = dc->selected;
  if (previous) previous->selectedInto = nullptr;
  dc->selected = bitmap;
  bitmap->selectedInto = dc;
  return previous;
}

bool DeleteObject(HBITMAP bitmap) {
  if (!bitmap) return false;
  if (bitmap->selectedInto) bitmap->selectedInto->selected = nullptr;
  delete bitmap;
  return true;
}

}  // namespace vfw
