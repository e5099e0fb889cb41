#pragma once

#include <cstdint>
#include <memory>

#include "platform/bass/Backend.h"

namespace bass {

// What the output device has pulled from the mixer since the last reset.
struct OutputStats {
  uint64_t frames = 0;      // stereo frames handed to the device
  uint64_t loudFrames = 0;  // frames of them with a sample other than 0
  int peak = 0;             // the largest absolute 16-bit sample value
};

// The real back end: our own mixer on SDL audio. Samples are decoded whole at load
// (SampleDecoder) and modules rendered by libopenmpt; SDL's audio thread mixes every
// playing channel into 44100 Hz (or the BASS_Init rate) 16-bit stereo.
//
// Threads: the BASS_ calls (any thread; the engine uses its main thread) keep the
// handle tables and post commands (play, stop, volume, position, pause) to a queue; the
// audio thread takes the queue at the start of each mix and reports ended channels back
// through atomics. When no device pulls (none opened, held by a test, or unplugged) the
// caller applies its commands at once instead. Loading and decoding happen on the
// caller's thread; the audio thread never allocates. Releasing a sample or a music waits
// for a mix in progress to end.
class Mixer final : public Backend {
 public:
  static constexpr int kDefaultRate = 44100;

  Mixer();
  ~Mixer() override;  // releases everything, as BASS_Free does
  Mixer(const Mixer&) = delete;
  Mixer& operator=(const Mixer&) = delete;

  bool Init(int device, uint32_t freq, uint32_t flags, HWND win, const void* clsid) override;
  bool Free() override;
  bool Start() override;
  bool Pause() override;
  HSAMPLE SampleLoad(bool mem, const void* file, uint64_t offset, uint32_t length, uint32_t max,
                     uint32_t flags) override;
  void* SampleCreate(uint32_t length, uint32_t freq, uint32_t chans, uint32_t max,
                     uint32_t flags) override;
  HSAMPLE SampleCreateDone() override;
  bool SampleStop(HSAMPLE sample) override;
  bool SampleFree(HSAMPLE sample) override;
  HCHANNEL SampleGetChannel(HSAMPLE sample, bool onlynew) override;
  HMUSIC MusicLoad(bool mem, const void* file, uint64_t offset, uint32_t length, uint32_t flags,
                   uint32_t freq) override;
  bool MusicFree(HMUSIC music) override;
  bool ChannelPlay(uint32_t handle, bool restart) override;
  bool ChannelStop(uint32_t handle) override;
  uint32_t ChannelIsActive(uint32_t handle) override;
  bool ChannelSetAttributes(uint32_t handle, int freq, int volume, int pan) override;
  bool ChannelSetPosition(uint32_t handle, uint64_t pos) override;

  // --- For tests ---
  // While held, the output device pulls nothing (SDL pauses it), so that a test drives
  // the mix alone through Render. May be set before BASS_Init; it holds until released.
  void HoldDevice(bool hold);
  // Mixes frames stereo frames (2 x frames samples) into out on the calling thread, as
  // the device callback does, taking the posted commands first. Silence when not
  // initialised. Deterministic while the device is held or there is no device.
  void Render(int16_t* out, int frames);
  // Applies the posted commands now (waiting for a mix in progress): every mix that
  // starts afterwards sees them, and no mix from before is still running. Only the
  // device path needs it; Render and a held device see every command at once.
  void Flush();
  OutputStats DeviceOutput() const;
  void ResetDeviceOutput();
  int MixRate() const;
  bool HasDevice() const;

 private:
  struct Impl;
  bool PostOutputCommand(bool resume);
  std::unique_ptr<Impl> impl_;
};

// The mixer that the BASS_ functions use unless a test installed another back end.
Mixer& DefaultMixer();

}  // namespace bass
