#include "platform/bass/RecordingBackend.h"

#include <algorithm>
#include <utility>

namespace bass {
namespace {

// What a load names: the bytes of a memory load, or the path of a file load.
std::string LoadedData(bool mem, const void* file, uint64_t offset, uint32_t length) {
  if (!file) return std::string();
  const char* text = static_cast<const char*>(file);
  return mem ? std::string(text + offset, length) : std::string(text);
}

}  // namespace

std::string RecordingBackend::Call::ToString() const {
  std::string text = function + "(";
  for (size_t i = 0; i < args.size(); ++i) {
    if (i > 0) text += ", ";
    text += std::to_string(args[i]);
  }
  return text + ") = " + std::to_string(result);
}

RecordingBackend::Call& RecordingBackend::Record(std::string function, std::vector<int64_t> args) {
  Call call;
  call.function = std::move(function);
  call.args = std::move(args);
  calls_.push_back(std::move(call));
  return calls_.back();
}

bool RecordingBackend::TakeFailure(Call& call) {
  auto it = failures_.find(call.function);
  if (it == failures_.end() || it->second.remaining == 0) return false;
  if (it->second.remaining > 0) --it->second.remaining;
  Failed(call, it->second.errorCode);
  return true;
}

bool RecordingBackend::Done(Call& call, int64_t result) {
  call.result = result;
  Succeed();
  return true;
}

bool RecordingBackend::Failed(Call& call, int code) {
  call.result = 0;
  return Fail(code);
}

RecordingBackend::ChannelState* RecordingBackend::FindChannel(uint32_t handle) {
  auto it = channels_.find(handle);
  return it == channels_.end() ? nullptr : &it->second;
}

RecordingBackend::ChannelState* RecordingBackend::ChannelOfCall(Call& call, uint32_t handle) {
  if (TakeFailure(call)) return nullptr;
  if (!initialized_) {
    Failed(call, BASS_ERROR_INIT);
    return nullptr;
  }
  ChannelState* state = FindChannel(handle);
  if (!state) Failed(call, BASS_ERROR_HANDLE);
  return state;
}

const RecordingBackend::ChannelState* RecordingBackend::Channel(uint32_t handle) const {
  auto it = channels_.find(handle);
  return it == channels_.end() ? nullptr : &it->second;
}

bool RecordingBackend::Init(int device, uint32_t freq, uint32_t flags, HWND win,
                            const void* clsid) {
  Call& call = Record("BASS_Init", {device, freq, flags, win != nullptr, clsid != nullptr});
  if (TakeFailure(call)) return false;
  if (initialized_) return Failed(call, BASS_ERROR_ALREADY);
  initialized_ = true;
  paused_ = false;
  return Done(call, 1);
}

bool RecordingBackend::Free() {
  Call& call = Record("BASS_Free", {});
  if (TakeFailure(call)) return false;
  if (!initialized_) return Failed(call, BASS_ERROR_INIT);
  samples_.clear();
  channels_.clear();
  initialized_ = false;
  paused_ = false;
  return Done(call, 1);
}

bool RecordingBackend::Start() {
  Call& call = Record("BASS_Start", {});
  if (TakeFailure(call)) return false;
  if (!initialized_) return Failed(call, BASS_ERROR_INIT);
  paused_ = false;
  return Done(call, 1);
}

bool RecordingBackend::Pause() {
  Call& call = Record("BASS_Pause", {});
  if (TakeFailure(call)) return false;
  if (!initialized_) return Failed(call, BASS_ERROR_INIT);
  paused_ = true;
  return Done(call, 1);
}

HSAMPLE RecordingBackend::SampleLoad(bool mem, const void* file, uint64_t offset,
                                     uint32_t length, uint32_t max, uint32_t flags) {
  Call& call = Record("BASS_SampleLoad", {mem, int64_t(offset), length, max, flags});
  call.data = LoadedData(mem, file, offset, length);
  if (TakeFailure(call)) return 0;
  if (!initialized_) return Failed(call, BASS_ERROR_INIT);
  if (!file || (mem && length == 0) || max < 1 || max > 65535) {
    return Failed(call, BASS_ERROR_ILLPARAM);
  }
  const HSAMPLE handle = NewHandle();
  SampleState& sample = samples_[handle];
  sample.max = max;
  sample.loop = (flags & BASS_SAMPLE_LOOP) != 0;
  Done(call, handle);
  return handle;
}

void* RecordingBackend::SampleCreate(uint32_t length, uint32_t freq, uint32_t chans, uint32_t max,
                                     uint32_t flags) {
  Call& call = Record("BASS_SampleCreate", {length, freq, chans, max, flags});
  hasPending_ = false;
  if (TakeFailure(call)) return nullptr;
  if (!initialized_) {
    Failed(call, BASS_ERROR_INIT);
    return nullptr;
  }
  if (length == 0 || chans < 1 || chans > 2 || freq < 100 || freq > 200000 || max < 1 ||
      max > 65535) {
    Failed(call, BASS_ERROR_ILLPARAM);
    return nullptr;
  }
  pending_.assign(length, 0);
  pendingSample_ = SampleState{};
  pendingSample_.freq = freq;
  pendingSample_.chans = chans;
  pendingSample_.max = max;
  pendingSample_.loop = (flags & BASS_SAMPLE_LOOP) != 0;
  pendingCall_ = calls_.size() - 1;
  hasPending_ = true;
  Done(call, 1);
  return pending_.data();
}

HSAMPLE RecordingBackend::SampleCreateDone() {
  Call& call = Record("BASS_SampleCreateDone", {});
  if (TakeFailure(call)) return 0;
  if (!initialized_) return Failed(call, BASS_ERROR_INIT);
  if (!hasPending_) return Failed(call, BASS_ERROR_ILLPARAM);
  hasPending_ = false;
  calls_[pendingCall_].data.assign(pending_.begin(), pending_.end());
  const HSAMPLE handle = NewHandle();
  samples_[handle] = pendingSample_;
  Done(calls_.back(), handle);
  return handle;
}

bool RecordingBackend::SampleStop(HSAMPLE handle) {
  Call& call = Record("BASS_SampleStop", {handle});
  if (TakeFailure(call)) return false;
  if (!initialized_) return Failed(call, BASS_ERROR_INIT);
  auto it = samples_.find(handle);
  if (it == samples_.end()) return Failed(call, BASS_ERROR_HANDLE);
  for (uint32_t channel : it->second.channels) channels_[channel].active = BASS_ACTIVE_STOPPED;
  return Done(call, 1);
}

uint32_t RecordingBackend::SampleRate(HSAMPLE sample) const {
  auto it = samples_.find(sample);
  return it == samples_.end() ? 0 : it->second.freq;
}

uint32_t RecordingBackend::SampleChannels(HSAMPLE sample) const {
  auto it = samples_.find(sample);
  return it == samples_.end() ? 0 : it->second.chans;
}

bool RecordingBackend::SampleFree(HSAMPLE handle) {
  Call& call = Record("BASS_SampleFree", {handle});
  if (TakeFailure(call)) return false;
  if (!initialized_) return Failed(call, BASS_ERROR_INIT);
  auto it = samples_.find(handle);
  if (it == samples_.end()) return Failed(call, BASS_ERROR_HANDLE);
  for (uint32_t channel : it->second.channels) channels_.erase(channel);
  samples_.erase(it);
  return Done(call, 1);
}

HCHANNEL RecordingBackend::SampleGetChannel(HSAMPLE handle, bool onlynew) {
  Call& call = Record("BASS_SampleGetChannel", {handle, onlynew});
  if (TakeFailure(call)) return 0;
  if (!initialized_) return Failed(call, BASS_ERROR_INIT);
  auto it = samples_.find(handle);
  if (it == samples_.end()) return Failed(call, BASS_ERROR_HANDLE);
  SampleState& sample = it->second;

  // The mixer's rule: an idle channel is handed out again (under a new handle when
  // onlynew is set); a new one while fewer than max exist; none while all play.
  auto idle = std::find_if(sample.channels.begin(), sample.channels.end(), [this](uint32_t ch) {
    return channels_[ch].active != BASS_ACTIVE_PLAYING;
  });
  uint32_t channel = 0;
  if (idle != sample.channels.end() && !onlynew) {
    channel = *idle;
  } else if (sample.channels.size() < sample.max) {
    channel = NewHandle();
    sample.channels.push_back(channel);
  } else if (idle != sample.channels.end()) {
    channels_.erase(*idle);
    channel = *idle = NewHandle();
  } else {
    return Failed(call, BASS_ERROR_NOCHAN);
  }
  ChannelState& state = channels_[channel];
  state = ChannelState();
  state.sample = handle;
  state.loop = sample.loop;
  Done(call, channel);
  return channel;
}

HMUSIC RecordingBackend::MusicLoad(bool mem, const void* file, uint64_t offset, uint32_t length,
                                   uint32_t flags, uint32_t freq) {
  Call& call = Record("BASS_MusicLoad", {mem, int64_t(offset), length, flags, freq});
  call.data = LoadedData(mem, file, offset, length);
  if (TakeFailure(call)) return 0;
  if (!initialized_) return Failed(call, BASS_ERROR_INIT);
  if (!file || (mem && length == 0)) return Failed(call, BASS_ERROR_ILLPARAM);
  const HMUSIC handle = NewHandle();
  ChannelState& state = channels_[handle];
  state.loop = (flags & BASS_MUSIC_LOOP) != 0;
  Done(call, handle);
  return handle;
}

bool RecordingBackend::MusicFree(HMUSIC handle) {
  Call& call = Record("BASS_MusicFree", {handle});
  if (TakeFailure(call)) return false;
  if (!initialized_) return Failed(call, BASS_ERROR_INIT);
  const ChannelState* state = FindChannel(handle);
  if (!state || state->sample != 0) return Failed(call, BASS_ERROR_HANDLE);
  channels_.erase(handle);
  return Done(call, 1);
}

bool RecordingBackend::ChannelPlay(uint32_t handle, bool restart) {
  Call& call = Record("BASS_ChannelPlay", {handle, restart});
  ChannelState* state = ChannelOfCall(call, handle);
  if (!state) return false;
  state->active = BASS_ACTIVE_PLAYING;
  if (restart) state->position = 0;
  return Done(call, 1);
}

bool RecordingBackend::ChannelStop(uint32_t handle) {
  Call& call = Record("BASS_ChannelStop", {handle});
  ChannelState* state = ChannelOfCall(call, handle);
  if (!state) return false;
  state->active = BASS_ACTIVE_STOPPED;
  return Done(call, 1);
}

uint32_t RecordingBackend::ChannelIsActive(uint32_t handle) {
  Call& call = Record("BASS_ChannelIsActive", {handle});
  const ChannelState* state = ChannelOfCall(call, handle);
  if (!state) return BASS_ACTIVE_STOPPED;
  Done(call, state->active);
  return state->active;
}

bool RecordingBackend::ChannelSetAttributes(uint32_t handle, int freq, int volume, int pan) {
  Call& call = Record("BASS_ChannelSetAttributes", {handle, freq, volume, pan});
  ChannelState* state = ChannelOfCall(call, handle);
  if (!state) return false;
  if (freq != BASS_KEEP_FREQUENCY && freq != 0) return Failed(call, BASS_ERROR_NOTAVAIL);
  state->volume = std::clamp(volume, 0, 100);
  if (pan != BASS_KEEP_PAN) state->pan = std::clamp(pan, -100, 100);
  return Done(call, 1);
}

bool RecordingBackend::ChannelSetPosition(uint32_t handle, uint64_t pos) {
  Call& call = Record("BASS_ChannelSetPosition", {handle, int64_t(pos)});
  ChannelState* state = ChannelOfCall(call, handle);
  if (!state) return false;
  state->position = pos;
  return Done(call, 1);
}

std::vector<std::string> RecordingBackend::Trace() const {
  std::vector<std::string> lines;
  for (const Call& call : calls_) lines.push_back(call.ToString());
  return lines;
}

std::vector<std::string> RecordingBackend::TraceOf(std::string_view function) const {
  std::vector<std::string> lines;
  for (const Call& call : calls_) {
    if (call.function == function) lines.push_back(call.ToString());
  }
  return lines;
}

size_t RecordingBackend::CountOf(std::string_view function) const {
  return size_t(std::count_if(calls_.begin(), calls_.end(),
                              [&](const Call& call) { return call.function == function; }));
}

const RecordingBackend::Call* RecordingBackend::LastOf(std::string_view function) const {
  for (auto it = calls_.rbegin(); it != calls_.rend(); ++it) {
    if (it->function == function) return &*it;
  }
  return nullptr;
}

void RecordingBackend::FailCalls(const std::string& function, int errorCode, int times) {
  failures_[function] = Failure{errorCode, times};
}

void RecordingBackend::SetActive(uint32_t handle, uint32_t state) {
  if (ChannelState* channel = FindChannel(handle)) channel->active = state;
}

}  // namespace bass
