#include "engine/graphics/VfwMovieDecoder.h"

VfwMovieDecoder::~VfwMovieDecoder() { Close(); }

bool VfwMovieDecoder::OpenStream(const std::string& path) {
  Close();
  drawDib_ = vfw::DrawDibOpen();
  vfw::AVIFileInit();
  libraryOpen_ = true;
  if (vfw::AVIStreamOpenFromFileA(&stream_, path.c_str(), vfw::streamtypeVIDEO, 0, vfw::OF_READ,
                                  nullptr) != vfw::AVIERR_OK) {
    stream_ = nullptr;
    Close();
    return false;
  }
  vfw::AVIStreamInfoA(stream_, &info_, sizeof info_);
  width_ = info_.rcFrame.right - info_.rcFrame.left;
  height_ = info_.rcFrame.bottom - info_.rcFrame.top;
  frameCount_ = vfw::AVIStreamLength(stream_);
  return true;
}

bool VfwMovieDecoder::OpenFrames() {
  if (!stream_) return false;
  // A positive height: the bitmap's rows are stored bottom-up, as Video for Windows
  // delivers its frames.
  header_ = vfw::BITMAPINFOHEADER{};
  header_.biWidth = width_;
  header_.biHeight = height_;
  header_.biPlanes = 1;
  header_.biBitCount = 32;
  header_.biCompression = vfw::BI_RGB;
  memoryDC_ = vfw::CreateCompatibleDC(nullptr);
  frameBitmap_ = vfw::CreateDIBSection(memoryDC_, &header_, vfw::DIB_RGB_COLORS, &frameBits_,
                                       nullptr, 0);
  if (!frameBitmap_) return false;
  vfw::SelectObject(memoryDC_, frameBitmap_);
  getFrame_ = vfw::AVIStreamGetFrameOpen(stream_, nullptr);
  return getFrame_ != nullptr;
}

void VfwMovieDecoder::Close() {
  if (frameBitmap_) {
    if (memoryDC_) vfw::SelectObject(memoryDC_, nullptr);
    vfw::DeleteObject(frameBitmap_);
    frameBitmap_ = nullptr;
    frameBits_ = nullptr;
  }
  // The memory device context is deleted with the bitmap rather than left behind: a
  // movie made and destroyed over and over would otherwise leak one each time.
  if (memoryDC_) {
    vfw::DeleteDC(memoryDC_);
    memoryDC_ = nullptr;
  }
  if (drawDib_) {
    vfw::DrawDibClose(drawDib_);
    drawDib_ = nullptr;
  }
  if (getFrame_) {
    vfw::AVIStreamGetFrameClose(getFrame_);
    getFrame_ = nullptr;
  }
  if (stream_) {
    vfw::AVIStreamRelease(stream_);
    stream_ = nullptr;
  }
  // Every AVIFileInit is matched, also after a file that did not open.
  if (libraryOpen_) {
    vfw::AVIFileExit();
    libraryOpen_ = false;
  }
  info_ = vfw::AVISTREAMINFOA{};
  width_ = height_ = frameCount_ = 0;
}

int32_t VfwMovieDecoder::SampleToTime(int32_t sample) const {
  return vfw::AVIStreamSampleToTime(stream_, sample);
}

bool VfwMovieDecoder::DrawFrame(int32_t index) {
  if (!getFrame_ || !frameBitmap_) return false;
  const vfw::BITMAPINFOHEADER* frame = vfw::AVIStreamGetFrame(getFrame_, index);
  if (!frame) return false;
  // The pixels follow the packed bitmap's header and colour table.
  const uint8_t* pixels =
      reinterpret_cast<const uint8_t*>(frame) + frame->biSize + frame->biClrUsed * 4;
  return vfw::DrawDibDraw(drawDib_, memoryDC_, 0, 0, width_, height_, frame, pixels, 0, 0,
                          width_, height_, 0);
}
