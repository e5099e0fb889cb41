#pragma once

// What stands behind the BASS_ functions of platform/bass/Bass.h. The process starts
// with the mixer on SDL audio (bass::DefaultMixer); tests install a bass::RecordingBackend
// instead. Each operation does what the BASS_ function of the same name documents and
// reports its outcome through Succeed / Fail below.

#include <cstdint>

#include "platform/bass/Bass.h"

namespace bass {

class Backend {
 public:
  virtual ~Backend() = default;

  virtual bool Init(int device, uint32_t freq, uint32_t flags, HWND win, const void* clsid) = 0;
  virtual bool Free() = 0;
  virtual bool Start() = 0;
  virtual bool Pause() = 0;
  virtual HSAMPLE SampleLoad(bool mem, const void* file, uint64_t offset, uint32_t length,
                             uint32_t max, uint32_t flags) = 0;
  virtual void* SampleCreate(uint32_t length, uint32_t freq, uint32_t chans, uint32_t max,
                             uint32_t flags) = 0;
  virtual HSAMPLE SampleCreateDone() = 0;
  virtual bool SampleStop(HSAMPLE sample) = 0;
  virtual bool SampleFree(HSAMPLE sample) = 0;
  virtual HCHANNEL SampleGetChannel(HSAMPLE sample, bool onlynew) = 0;
  virtual HMUSIC MusicLoad(bool mem, const void* file, uint64_t offset, uint32_t length,
                           uint32_t flags, uint32_t freq) = 0;
  virtual bool MusicFree(HMUSIC music) = 0;
  virtual bool ChannelPlay(uint32_t handle, bool restart) = 0;
  virtual bool ChannelStop(uint32_t handle) = 0;
  virtual uint32_t ChannelIsActive(uint32_t handle) = 0;
  virtual bool ChannelSetAttributes(uint32_t handle, int freq, int volume, int pan) = 0;
  virtual bool ChannelSetPosition(uint32_t handle, uint64_t pos) = 0;
};

// Makes backend the target of the BASS_ functions; nullptr restores the default mixer.
// Returns the back end installed before (nullptr when that was the default mixer). The
// caller keeps ownership and must restore the previous one before backend goes away.
Backend* SetBackend(Backend* backend);
Backend& CurrentBackend();

// Installs a back end for the life of a scope (a test) and restores the previous one.
class ScopedBackend {
 public:
  explicit ScopedBackend(Backend& backend) : previous_(SetBackend(&backend)) {}
  ~ScopedBackend() { SetBackend(previous_); }
  ScopedBackend(const ScopedBackend&) = delete;
  ScopedBackend& operator=(const ScopedBackend&) = delete;

 private:
  Backend* previous_;
};

// The error code of the calling thread, as BASS_ErrorGetCode reports it. Back ends end
// every operation with one of these; Fail returns false so that "return Fail(code);"
// also serves the handle-returning operations (as 0).
void Succeed();
bool Fail(int code);

}  // namespace bass
