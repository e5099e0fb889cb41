#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "engine/graphics/Image.h"
#include "engine/graphics/MovieDecoder.h"

// An image that plays the video stream of an AVI file into a texture of its own. The
// renderer makes movies (Graphics::LoadMovie keeps them in its movie list, LoadImage of an
// "avi" name does not), drops and rebuilds their textures around a device reset, and
// deletes them in DestroyMovie. The owner (the movie widget) calls Update once a frame,
// binds the texture with BindTexture, and reads and writes currentFrame, paused and
// looping directly.
//
// Frames are shown at the movie's own rate: Update takes the frame time from FrameTimer,
// skips frames after a long frame, and at the end either wraps to frame 0 (looping) or
// holds the last frame. Movies have no surface: GetSurface is null, so Image::SetTexture
// binds nothing for them.
//
// This class holds the frame arithmetic; its Direct3D form (Dx8AviImage) holds the
// texture. Decoding goes through a MovieDecoder.
class AviImage : public Image {
 public:
  // The four-character kind code of movie images, 'avi'.
  static constexpr uint32_t kType = 0x617669;

  // decoder null: the Video for Windows decoder.
  explicit AviImage(std::unique_ptr<MovieDecoder> decoder = nullptr);
  ~AviImage() override;

  // Opens the movie file from the disk (never from the data archive), by the name with
  // "\" read as "/" and a case-insensitive fallback. Logs and returns false when the file
  // is missing ("Unable to find AVI <name>"), cannot be read as a movie or has no frames
  // ("Unable to load Video <name>"), its frames cannot be decoded ("Unable to open frame
  // from <name>") or its texture cannot be made. On success the movie stands at frame 0
  // with an empty (black) texture, playing, and the image's name is the name given.
  bool Load(const std::string& fileName) override;
  // Advance by FrameTimer's frame time.
  bool Update() override;
  Surface* GetSurface() override { return nullptr; }

  // Binds the movie's texture to a texture stage (nothing without one). Always true.
  virtual bool BindTexture(uint32_t stage) = 0;
  virtual uint32_t GetType() const { return kType; }
  // Drops the texture before a device reset.
  virtual void ReleaseTexture();
  // Makes the texture again after a reset and fills it with the frame shown before.
  virtual void RestoreTexture();

  // Advances the movie by `seconds` of frame time. Nothing while paused or not playing.
  // When the next frame is due: steps one frame per frame time that has run out (so a
  // long step skips frames and decodes only the last), wraps to frame 0 at the end when
  // looping or holds the last frame otherwise, decodes that frame and uploads it. Returns
  // true when the step passed the end of the movie: once per pass for a looping movie,
  // and on every step that falls due once a movie that does not loop holds its last
  // frame. A frame that cannot be decoded logs "Illegal AVI frame found.. pausing movie",
  // pauses the movie and returns false. A step longer than 10 s counts as 10 s; a step
  // that is not a finite number does nothing.
  bool Advance(float seconds);

  // The disk path a movie name opens, or "" when the name is empty or no such file
  // exists.
  static std::string FindMovieFile(const std::string& fileName);

  int32_t FrameCount() const { return frameCount_; }
  int32_t MillisecondsPerFrame() const { return millisecondsPerFrame_; }
  // Seconds until the next frame is due.
  float TimeToNextFrame() const { return frameTimer_; }
  // True from a successful Load while the movie stays open.
  bool IsPlaying() const { return playing_; }

  // The frame shown; the owner rewinds the movie by setting it to 0. The first frame
  // decoded after Load or a rewind is frame 1: frame 0 shows only when a loop wraps.
  int32_t currentFrame = 0;
  // Set by the owner, or by a frame that cannot be decoded; cleared only by the owner.
  bool paused = false;
  bool looping = true;

 protected:
  // Copies the frame bitmap into the texture (making the texture first when missing).
  virtual void UploadFrame() = 0;
  // Makes the texture (releasing one that exists). On failure logs, closes the movie and
  // returns false.
  virtual bool CreateTexture() = 0;
  virtual bool DestroyTexture() = 0;

  // Closes the stream and the frame decoder; the movie stops playing.
  void CloseMovie();
  // The frame bitmap (see MovieDecoder::FrameBits): width x height pixels of 4 bytes,
  // B, G, R, unused, the bottom row first. Null while no movie is open.
  const uint8_t* FrameBits() const;

 private:
  std::unique_ptr<MovieDecoder> decoder_;
  int32_t frameCount_ = 0;
  int32_t millisecondsPerFrame_ = 0;
  float frameTimer_ = 0.0f;
  bool playing_ = false;
};
