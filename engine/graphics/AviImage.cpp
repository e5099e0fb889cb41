#include "engine/graphics/AviImage.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <system_error>

#include "engine/core/Log.h"
#include "engine/core/Timer.h"
#include "engine/core/VFS.h"
#include "engine/graphics/MovieDecoder.h"
#include "engine/graphics/VfwMovieDecoder.h"

namespace {

constexpr float kLongestStep = 10.0f;  // seconds

}  // namespace

AviImage::AviImage(std::unique_ptr<MovieDecoder> decoder)
    : decoder_(decoder ? std::move(decoder) : std::make_unique<VfwMovieDecoder>()) {}

AviImage::~AviImage() = default;

std::string AviImage::FindMovieFile(const std::string& fileName) {
  if (fileName.empty()) return std::string();
  std::string path = vfs::VFS::ResolveDiskPath(fileName);
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) return std::string();
  return path;
}

bool AviImage::Load(const std::string& fileName) {
  CloseMovie();  // a second Load starts from a closed movie
  const std::string path = FindMovieFile(fileName);
  if (path.empty()) {
    LOG_LINE(MSG_WARNING) << "Unable to find AVI " << fileName;
    return false;
  }
  if (!decoder_->OpenStream(path)) {
    LOG_LINE(MSG_ERROR) << "Unable to load Video " << fileName;
    return false;
  }
  width = static_cast<uint32_t>(decoder_->Width());
  height = static_cast<uint32_t>(decoder_->Height());
  frameCount_ = decoder_->FrameCount();
  // A stream without frames (or without a picture) is refused here: the frame time is
  // the stream's length divided by its frame count.
  if (frameCount_ <= 0 || decoder_->Width() <= 0 || decoder_->Height() <= 0) {
    LOG_LINE(MSG_ERROR) << "Unable to load Video " << fileName;
    CloseMovie();
    return false;
  }
  millisecondsPerFrame_ = decoder_->SampleToTime(frameCount_) / frameCount_;
  // Above 1000 frames a second the whole-millisecond frame time is 0, and Advance would
  // step frames forever waiting for its timer to rise above zero.
  if (millisecondsPerFrame_ < 1) millisecondsPerFrame_ = 1;
  if (!decoder_->OpenFrames()) {
    LOG_LINE(MSG_ERROR) << "Unable to open frame from " << fileName;
    CloseMovie();
    return false;
  }
  currentFrame = 0;
  frameTimer_ = static_cast<float>(millisecondsPerFrame_) * 0.001f;
  if (!CreateTexture()) return false;
  playing_ = true;
  UploadFrame();  // the bitmap is still empty: the movie starts black
  name = fileName;
  return true;
}

bool AviImage::Update() { return Advance(FrameTimer::Instance().GetDelta()); }

bool AviImage::Advance(float seconds) {
  if (paused || !playing_ || !std::isfinite(seconds)) return false;
  // FrameTimer never gives more than 0.1 s; a longer step is cut so that the frame loop
  // below stays short and its float timer keeps its precision.
  frameTimer_ -= std::min(seconds, kLongestStep);
  if (frameTimer_ > 0.0f) return false;
  const float frameSeconds = static_cast<float>(millisecondsPerFrame_) * 0.001f;
  bool passedEnd = false;
  do {
    currentFrame += 1;
    frameTimer_ += frameSeconds;
    if (currentFrame >= frameCount_) {
      passedEnd = true;
      currentFrame = looping ? 0 : frameCount_ - 1;
    }
  } while (frameTimer_ <= 0.0f);
  if (!decoder_->DrawFrame(currentFrame)) {
    LOG_LINE(MSG_WARNING) << "Illegal AVI frame found.. pausing movie";
    paused = true;
    return false;
  }
  UploadFrame();
  return passedEnd;
}

void AviImage::ReleaseTexture() { DestroyTexture(); }

void AviImage::RestoreTexture() {
  // A movie that never opened (or was closed) has nothing to show.
  if (!decoder_->IsOpen()) return;
  // The new texture is filled at once: a paused or finished movie would otherwise show
  // an empty texture until its next frame, which may never come.
  if (CreateTexture() && playing_) UploadFrame();
}

void AviImage::CloseMovie() {
  decoder_->Close();
  playing_ = false;
}

const uint8_t* AviImage::FrameBits() const {
  return decoder_->IsOpen() ? decoder_->FrameBits() : nullptr;
}
