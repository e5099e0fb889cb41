#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "platform/bass/Backend.h"

namespace bass {

// A silent back end for engine tests: it keeps handles the way the mixer does (samples
// with at most max channels, channels that play until stopped, musics, a global pause)
// without decoding or sounding anything, records every call with its arguments, and lets
// a test decide results: a call that fails, a channel that has ended.
//
// Handles count up from 1 in the order of creation, whatever their kind, so a test can
// predict them. Any bytes load as a sample or a music.
class RecordingBackend final : public Backend {
 public:
  // One BASS_ call as it was made.
  struct Call {
    std::string function;       // "BASS_ChannelSetAttributes"
    std::vector<int64_t> args;  // the arguments in order; see the list below
    int64_t result = 0;         // handles and states as numbers, true = 1, false = 0
    std::string data;           // the bytes of a memory load, or the path of a file load

    // "BASS_ChannelSetAttributes(3, -1, 21, -101) = 1"
    std::string ToString() const;
  };
  // args per function (pointers are left out):
  //   BASS_Init                 device, freq, flags, win != null, clsid != null
  //   BASS_Free, BASS_Start, BASS_Pause   none
  //   BASS_SampleLoad           mem, offset, length, max, flags
  //   BASS_SampleCreate         length, freq, chans, max, flags (data: the bytes filled,
  //                             recorded at the Done)
  //   BASS_SampleCreateDone     none
  //   BASS_SampleStop           sample
  //   BASS_SampleFree           sample
  //   BASS_SampleGetChannel     sample, onlynew
  //   BASS_MusicLoad            mem, offset, length, flags, freq
  //   BASS_MusicFree            music
  //   BASS_ChannelPlay          handle, restart
  //   BASS_ChannelStop, BASS_ChannelIsActive   handle
  //   BASS_ChannelSetAttributes handle, freq, volume, pan (as passed, before clamping)
  //   BASS_ChannelSetPosition   handle, pos

  // What a channel or music looks like now.
  struct ChannelState {
    uint32_t sample = 0;  // 0 for a music
    uint32_t active = BASS_ACTIVE_STOPPED;
    int volume = 100;     // clamped to 0..100, as applied
    int pan = 0;
    uint64_t position = 0;  // the last position set (0 after a restart)
    bool loop = false;      // the sample's or the music's loop flag
  };

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

  // --- The record ---
  const std::vector<Call>& Calls() const { return calls_; }
  std::vector<std::string> Trace() const;  // ToString of every call, in order
  // The calls of one function, in order, as ToString gives them.
  std::vector<std::string> TraceOf(std::string_view function) const;
  size_t CountOf(std::string_view function) const;
  const Call* LastOf(std::string_view function) const;  // nullptr when never called
  void ClearCalls() { calls_.clear(); }

  // --- Results ---
  // The next `times` calls of function (every call when times < 0) fail with errorCode:
  // they return 0 / false / BASS_ACTIVE_STOPPED and change nothing. A later FailCalls of
  // the same function replaces the rule.
  void FailCalls(const std::string& function, int errorCode = BASS_ERROR_UNKNOWN, int times = -1);
  void ClearFailures() { failures_.clear(); }
  // What BASS_ChannelIsActive reports for the channel or music from now on, until it is
  // played or stopped again; BASS_ACTIVE_STOPPED stands for a sound that has ended.
  void SetActive(uint32_t handle, uint32_t state);

  // --- State ---
  bool IsInitialized() const { return initialized_; }
  bool IsPaused() const { return paused_; }
  // nullptr for a handle that is not a live channel or music.
  const ChannelState* Channel(uint32_t handle) const;
  bool HasSample(HSAMPLE sample) const { return samples_.count(sample) != 0; }
  // The rate and channels a BASS_SampleCreate gave the sample (0 for a loaded one).
  uint32_t SampleRate(HSAMPLE sample) const;
  uint32_t SampleChannels(HSAMPLE sample) const;

 private:
  struct SampleState {
    uint32_t freq = 0;  // 0 for a loaded sample
    uint32_t chans = 0;
    uint32_t max = 1;
    bool loop = false;
    std::vector<uint32_t> channels;
  };
  struct Failure {
    int errorCode = BASS_ERROR_UNKNOWN;
    int remaining = -1;
  };

  Call& Record(std::string function, std::vector<int64_t> args);
  // True (and the error set) when a failure rule takes this call.
  bool TakeFailure(Call& call);
  bool Done(Call& call, int64_t result);  // success: records the result
  bool Failed(Call& call, int code);      // failure: records 0
  ChannelState* FindChannel(uint32_t handle);
  // The channel or music a BASS_Channel call names; null, with the call failed, when a
  // failure rule takes the call, nothing is initialised or the handle names nothing.
  ChannelState* ChannelOfCall(Call& call, uint32_t handle);
  uint32_t NewHandle() { return nextHandle_++; }

  std::vector<Call> calls_;
  std::map<std::string, Failure, std::less<>> failures_;
  std::map<uint32_t, SampleState> samples_;
  std::map<uint32_t, ChannelState> channels_;  // sample channels and musics
  uint32_t nextHandle_ = 1;
  // The buffer of a BASS_SampleCreate waiting for its Done, and the index of its call.
  std::vector<uint8_t> pending_;
  SampleState pendingSample_;
  size_t pendingCall_ = 0;
  bool hasPending_ = false;
  bool initialized_ = false;
  bool paused_ = false;
};

}  // namespace bass
