#include "platform/bass/Mixer.h"

#include <SDL.h>
#include <libopenmpt/libopenmpt.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <mutex>
#include <unordered_map>
#include <vector>

#include "platform/bass/SampleDecoder.h"
#include "platform/bass/SourceData.h"

namespace bass {
namespace {

constexpr int kChunkFrames = 1024;   // the mixer works in blocks of this many frames
constexpr int kDeviceFrames = 1024;  // the device buffer: about 23 ms at 44100 Hz
constexpr size_t kCommandReserve = 256;

// Raises target to value; never lowers it. Both threads mark plays as ended, and an
// older play that ends late must not undo the mark of a newer one.
template <typename T>
void StoreMax(std::atomic<T>& target, T value) {
  T current = target.load(std::memory_order_relaxed);
  while (current < value &&
         !target.compare_exchange_weak(current, value, std::memory_order_release,
                                       std::memory_order_relaxed)) {
  }
}

void GainsOf(int volume, int pan, float& left, float& right) {
  const float gain = float(volume) / 100.0f;
  left = gain * (pan > 0 ? float(100 - pan) / 100.0f : 1.0f);
  right = gain * (pan < 0 ? float(100 + pan) / 100.0f : 1.0f);
}

struct Sample;

// One channel: a playback of a sample, or a music. The engine side and the mixer side
// each own their fields; the two meet only through commands and doneSerial.
struct Voice {
  ~Voice() {
    if (module) openmpt_module_destroy(module);
  }

  bool IsPlaying() const { return doneSerial.load(std::memory_order_acquire) != playSerial; }

  // Engine side (under the API lock). module is set once, before the mixer sees it.
  uint32_t handle = 0;
  Sample* sample = nullptr;          // a sample channel
  openmpt_module* module = nullptr;  // a music
  std::vector<int> orderRows;        // music: rows of the pattern at each order, 0 for none
  double duration = 0;               // music: seconds
  uint32_t playSerial = 0;           // plays posted so far
  int volume = 100;
  int pan = 0;

  // The last play that has ended (stopped, or ran out): playing while below playSerial.
  std::atomic<uint32_t> doneSerial{0};

  // Mixer side (under the mix lock).
  uint32_t mixSerial = 0;  // the play being mixed
  uint64_t position = 0;   // sample channel: the next frame
  bool ended = false;      // music: ran out (only without loop)
  bool linked = false;     // in the list of playing voices
  float left = 1.0f;
  float right = 1.0f;
  Voice* prev = nullptr;
  Voice* next = nullptr;
};

struct Sample {
  uint32_t handle = 0;
  std::vector<int16_t> pcm;  // interleaved stereo at the mix rate
  uint64_t frames = 0;
  uint32_t max = 1;
  bool loop = false;
  std::vector<std::unique_ptr<Voice>> channels;  // at most max
};

struct Command {
  enum class Kind : uint8_t {
    kPlay,
    kStop,
    kGain,
    kReset,
    kSeekFrame,
    kSeekOrderRow,
    kSeekSeconds,
    kPause,
    kResume
  };
  Kind kind = Kind::kPlay;
  Voice* voice = nullptr;
  uint32_t serial = 0;
  bool restart = false;
  float left = 1.0f;
  float right = 1.0f;
  uint64_t frame = 0;
  int order = 0;
  int row = 0;
  double seconds = 0;
};

}  // namespace

struct Mixer::Impl {
  // --- Engine side: handle tables, under apiLock ---
  mutable std::mutex apiLock;
  bool initialized = false;
  bool hold = false;
  SDL_AudioDeviceID device = 0;
  int mixRate = kDefaultRate;
  uint32_t nextHandle = 1;
  std::unordered_map<uint32_t, std::unique_ptr<Sample>> samples;
  std::unordered_map<uint32_t, Voice*> channels;  // owned by their samples
  std::unordered_map<uint32_t, std::unique_ptr<Voice>> musics;
  // The buffer of a SampleCreate waiting for its SampleCreateDone.
  std::vector<uint8_t> created;
  uint32_t createdRate = 0;
  uint32_t createdChans = 0;
  uint32_t createdMax = 1;
  uint32_t createdFlags = 0;
  bool hasCreated = false;

  // --- The command queue, under queueLock ---
  std::mutex queueLock;
  std::vector<Command> pending;

  // --- Mixer side, under mixLock (held for a whole mix) ---
  std::mutex mixLock;
  bool running = false;  // between Init and Free
  bool paused = false;
  int renderRate = kDefaultRate;
  std::vector<Command> applying;
  Voice* head = nullptr;
  std::vector<float> accum;
  std::vector<float> scratch;

  // --- Filled by the device callback ---
  std::atomic<uint64_t> outFrames{0};
  std::atomic<uint64_t> outLoudFrames{0};
  std::atomic<int> outPeak{0};

  uint32_t NewHandle() {
    uint32_t handle = nextHandle++;
    if (nextHandle == 0) nextHandle = 1;
    return handle;
  }

  Voice* FindChannel(uint32_t handle) {
    if (auto it = channels.find(handle); it != channels.end()) return it->second;
    if (auto it = musics.find(handle); it != musics.end()) return it->second.get();
    return nullptr;
  }

  // The channel or music of a BASS_Channel call (apiLock held); null, with the error
  // set, when the mixer is not initialised or the handle names nothing.
  Voice* ChannelOfCall(uint32_t handle) {
    if (!initialized) {
      Fail(BASS_ERROR_INIT);
      return nullptr;
    }
    Voice* voice = FindChannel(handle);
    if (!voice) Fail(BASS_ERROR_HANDLE);
    return voice;
  }

  // Whether SDL's audio thread takes the queue: not without a device, while a test holds
  // it, or once the device is gone (unplugged).
  bool DevicePulls() const {
    return device != 0 && !hold && SDL_GetAudioDeviceStatus(device) == SDL_AUDIO_PLAYING;
  }

  void Post(const Command& command) {
    {
      std::lock_guard<std::mutex> lock(queueLock);
      pending.push_back(command);
    }
    // With no audio thread to take them, commands are applied at once, so that the queue
    // never grows without bound and a test that renders by hand sees them in order.
    if (!DevicePulls()) {
      std::lock_guard<std::mutex> mix(mixLock);
      if (running) ApplyCommands();
    }
  }

  // --- Mixer side; every function below runs with mixLock held ---

  void Link(Voice* voice) {
    if (voice->linked) return;
    voice->prev = nullptr;
    voice->next = head;
    if (head) head->prev = voice;
    head = voice;
    voice->linked = true;
  }

  void Unlink(Voice* voice) {
    if (!voice->linked) return;
    if (voice->prev) voice->prev->next = voice->next;
    else head = voice->next;
    if (voice->next) voice->next->prev = voice->prev;
    voice->prev = voice->next = nullptr;
    voice->linked = false;
  }

  void Finish(Voice* voice) {
    Unlink(voice);
    StoreMax(voice->doneSerial, voice->mixSerial);
  }

  void ApplyCommands() {
    {
      std::lock_guard<std::mutex> lock(queueLock);
      pending.swap(applying);
    }
    for (const Command& command : applying) Apply(command);
    applying.clear();  // keeps its capacity: the audio thread does not allocate
  }

  void Apply(const Command& command) {
    Voice* voice = command.voice;
    switch (command.kind) {
      case Command::Kind::kPlay:
        voice->mixSerial = command.serial;
        if (voice->sample) {
          if (command.restart || voice->position >= voice->sample->frames) voice->position = 0;
        } else if (command.restart || voice->ended) {
          openmpt_module_set_position_seconds(voice->module, 0.0);
          voice->ended = false;
        }
        Link(voice);
        break;
      case Command::Kind::kStop:
        Finish(voice);
        break;
      case Command::Kind::kGain:
        voice->left = command.left;
        voice->right = command.right;
        break;
      case Command::Kind::kReset:
        voice->left = command.left;
        voice->right = command.right;
        voice->position = 0;
        break;
      case Command::Kind::kSeekFrame:
        voice->position = command.frame;
        break;
      case Command::Kind::kSeekOrderRow:
        openmpt_module_set_position_order_row(voice->module, command.order, command.row);
        voice->ended = false;
        break;
      case Command::Kind::kSeekSeconds:
        openmpt_module_set_position_seconds(voice->module, command.seconds);
        voice->ended = false;
        break;
      case Command::Kind::kPause:
        paused = true;
        break;
      case Command::Kind::kResume:
        paused = false;
        break;
    }
  }

  void MixSample(Voice* voice, int frames) {
    const Sample& sample = *voice->sample;
    const float left = voice->left / 32768.0f;
    const float right = voice->right / 32768.0f;
    float* to = accum.data();
    int done = 0;
    while (done < frames) {
      if (voice->position >= sample.frames) {
        if (!sample.loop || sample.frames == 0) break;
        voice->position = 0;
      }
      const int run = int(std::min<uint64_t>(uint64_t(frames - done), sample.frames - voice->position));
      const int16_t* from = sample.pcm.data() + voice->position * 2;
      float* out = to + done * 2;
      for (int i = 0; i < run; ++i) {
        out[2 * i] += float(from[2 * i]) * left;
        out[2 * i + 1] += float(from[2 * i + 1]) * right;
      }
      done += run;
      voice->position += uint64_t(run);
    }
    if (!sample.loop && voice->position >= sample.frames) Finish(voice);
  }

  void MixMusic(Voice* voice, int frames) {
    const size_t got = openmpt_module_read_interleaved_float_stereo(
        voice->module, renderRate, size_t(frames), scratch.data());
    float* out = accum.data();
    for (size_t i = 0; i < got; ++i) {
      out[2 * i] += scratch[2 * i] * voice->left;
      out[2 * i + 1] += scratch[2 * i + 1] * voice->right;
    }
    if (got < size_t(frames)) {
      voice->ended = true;
      Finish(voice);
    }
  }

  void MixChunk(int16_t* out, int frames) {
    if (paused || !head) {
      std::memset(out, 0, size_t(frames) * 2 * sizeof(int16_t));
      return;
    }
    std::fill(accum.begin(), accum.begin() + frames * 2, 0.0f);
    for (Voice* voice = head; voice;) {
      Voice* next = voice->next;  // mixing may unlink the voice
      if (voice->sample) MixSample(voice, frames);
      else MixMusic(voice, frames);
      voice = next;
    }
    for (int i = 0; i < frames * 2; ++i) {
      const float value = std::clamp(accum[size_t(i)] * 32768.0f, -32768.0f, 32767.0f);
      out[i] = int16_t(std::lrint(value));
    }
  }

  // The one mixing entry of the device callback and Render, with mixLock held.
  void Mix(int16_t* out, int frames) {
    if (!running) {
      std::memset(out, 0, size_t(frames) * 2 * sizeof(int16_t));
      return;
    }
    ApplyCommands();
    while (frames > 0) {
      const int count = std::min(frames, kChunkFrames);
      MixChunk(out, count);
      out += count * 2;
      frames -= count;
    }
  }

  static void SDLCALL DeviceCallback(void* user, Uint8* stream, int length) {
    Impl& impl = *static_cast<Impl*>(user);
    int16_t* out = reinterpret_cast<int16_t*>(stream);
    const int frames = length / int(2 * sizeof(int16_t));
    // The figures are taken under the mix lock too, so that once Flush returns no mix
    // from before it can still add to them.
    std::lock_guard<std::mutex> lock(impl.mixLock);
    impl.Mix(out, frames);
    uint64_t loud = 0;
    int peak = 0;
    for (int i = 0; i < frames; ++i) {
      const int a = std::abs(int(out[2 * i]));
      const int b = std::abs(int(out[2 * i + 1]));
      if (a | b) ++loud;
      peak = std::max(peak, std::max(a, b));
    }
    impl.outFrames.fetch_add(uint64_t(frames));
    impl.outLoudFrames.fetch_add(loud);
    StoreMax(impl.outPeak, peak);
  }

  // Releases everything once no device pulls any more.
  void ReleaseAll() {
    {
      std::lock_guard<std::mutex> mix(mixLock);
      {
        std::lock_guard<std::mutex> queue(queueLock);
        pending.clear();
      }
      applying.clear();
      head = nullptr;
      running = false;
      paused = false;
    }
    channels.clear();
    musics.clear();
    samples.clear();
  }
};

Mixer::Mixer() : impl_(std::make_unique<Impl>()) {}

Mixer::~Mixer() {
  bool initialized;
  {
    std::lock_guard<std::mutex> lock(impl_->apiLock);
    initialized = impl_->initialized;
  }
  if (initialized) Free();
}

bool Mixer::Init(int device, uint32_t freq, uint32_t flags, HWND win, const void* clsid) {
  Impl& m = *impl_;
  std::lock_guard<std::mutex> lock(m.apiLock);
  if (m.initialized) return Fail(BASS_ERROR_ALREADY);
  if (device < -1) return Fail(BASS_ERROR_DEVICE);
  const int rate = freq == 0 ? kDefaultRate : int(std::min<uint32_t>(freq, 1000000));
  if (rate < 8000 || rate > 192000) return Fail(BASS_ERROR_ILLPARAM);

  {
    std::lock_guard<std::mutex> mix(m.mixLock);
    m.renderRate = rate;
    m.paused = false;
    m.head = nullptr;
    m.accum.assign(size_t(kChunkFrames) * 2, 0.0f);
    m.scratch.assign(size_t(kChunkFrames) * 2, 0.0f);
    m.applying.reserve(kCommandReserve);
    m.running = true;
  }
  {
    std::lock_guard<std::mutex> queue(m.queueLock);
    m.pending.clear();
    m.pending.reserve(kCommandReserve);
  }
  auto undo = [&m](int code) {
    std::lock_guard<std::mutex> mix(m.mixLock);
    m.running = false;
    return Fail(code);
  };

  if (device != 0) {
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return undo(BASS_ERROR_DRIVER);
    const char* name = nullptr;  // devices 1 and -1: the system's default output
    if (device > 1) {
      if (device - 1 >= SDL_GetNumAudioDevices(0)) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return undo(BASS_ERROR_DEVICE);
      }
      name = SDL_GetAudioDeviceName(device - 1, 0);
    }
    SDL_AudioSpec want;
    SDL_zero(want);
    want.freq = rate;
    want.format = AUDIO_S16SYS;
    want.channels = 2;
    want.samples = kDeviceFrames;
    want.callback = &Impl::DeviceCallback;
    want.userdata = &m;
    SDL_AudioSpec have;
    // No changes allowed: SDL converts to whatever the hardware takes, and the mixer
    // always sees its own format.
    m.device = SDL_OpenAudioDevice(name, 0, &want, &have, 0);
    if (m.device == 0) {
      SDL_QuitSubSystem(SDL_INIT_AUDIO);
      return undo(BASS_ERROR_DRIVER);
    }
    SDL_PauseAudioDevice(m.device, m.hold ? 1 : 0);
  }
  m.mixRate = rate;
  m.initialized = true;
  Succeed();
  return true;
}

bool Mixer::Free() {
  Impl& m = *impl_;
  std::lock_guard<std::mutex> lock(m.apiLock);
  if (!m.initialized) return Fail(BASS_ERROR_INIT);
  if (m.device != 0) {
    SDL_CloseAudioDevice(m.device);  // returns once the callback has finished for good
    m.device = 0;
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
  }
  m.ReleaseAll();
  m.initialized = false;
  Succeed();
  return true;
}

// Start and Pause: the mixer resumes or pauses the whole output at its next mix.
bool Mixer::PostOutputCommand(bool resume) {
  Impl& m = *impl_;
  std::lock_guard<std::mutex> lock(m.apiLock);
  if (!m.initialized) return Fail(BASS_ERROR_INIT);
  Command command;
  command.kind = resume ? Command::Kind::kResume : Command::Kind::kPause;
  m.Post(command);
  Succeed();
  return true;
}

bool Mixer::Start() { return PostOutputCommand(true); }

bool Mixer::Pause() { return PostOutputCommand(false); }

HSAMPLE Mixer::SampleLoad(bool mem, const void* file, uint64_t offset, uint32_t length,
                          uint32_t max, uint32_t flags) {
  Impl& m = *impl_;
  int rate;
  {
    std::lock_guard<std::mutex> lock(m.apiLock);
    if (!m.initialized) return Fail(BASS_ERROR_INIT);
    rate = m.mixRate;
  }
  if (max < 1 || max > 65535) return Fail(BASS_ERROR_ILLPARAM);
  SourceData source;
  if (int error = source.Open(mem, file, offset, length); error != BASS_OK) return Fail(error);

  // Decoding takes the time of the load; the API lock is not held meanwhile.
  auto sample = std::make_unique<Sample>();
  if (int error = SampleDecoder::Decode(source.Data(), source.Size(), rate, sample->pcm);
      error != BASS_OK) {
    return Fail(error);
  }
  sample->frames = sample->pcm.size() / 2;
  sample->max = max;
  sample->loop = (flags & BASS_SAMPLE_LOOP) != 0;

  std::lock_guard<std::mutex> lock(m.apiLock);
  if (!m.initialized || m.mixRate != rate) return Fail(BASS_ERROR_INIT);  // freed meanwhile
  const HSAMPLE handle = m.NewHandle();
  sample->handle = handle;
  m.samples.emplace(handle, std::move(sample));
  Succeed();
  return handle;
}

void* Mixer::SampleCreate(uint32_t length, uint32_t freq, uint32_t chans, uint32_t max,
                          uint32_t flags) {
  Impl& m = *impl_;
  std::lock_guard<std::mutex> lock(m.apiLock);
  m.hasCreated = false;
  if (!m.initialized) {
    Fail(BASS_ERROR_INIT);
    return nullptr;
  }
  if (length == 0 || chans < 1 || chans > 2 || freq < 100 || freq > 200000 || max < 1 ||
      max > 65535) {
    Fail(BASS_ERROR_ILLPARAM);
    return nullptr;
  }
  try {
    m.created.assign(length, 0);
  } catch (const std::bad_alloc&) {
    Fail(BASS_ERROR_MEM);
    return nullptr;
  }
  m.createdRate = freq;
  m.createdChans = chans;
  m.createdMax = max;
  m.createdFlags = flags;
  m.hasCreated = true;
  Succeed();
  return m.created.data();
}

HSAMPLE Mixer::SampleCreateDone() {
  Impl& m = *impl_;
  std::vector<uint8_t> bytes;
  uint32_t freq, chans, max, flags;
  int rate;
  {
    std::lock_guard<std::mutex> lock(m.apiLock);
    if (!m.initialized) return Fail(BASS_ERROR_INIT);
    if (!m.hasCreated) return Fail(BASS_ERROR_ILLPARAM);
    m.hasCreated = false;
    bytes.swap(m.created);
    freq = m.createdRate;
    chans = m.createdChans;
    max = m.createdMax;
    flags = m.createdFlags;
    rate = m.mixRate;
  }
  auto sample = std::make_unique<Sample>();
  if (int error = SampleDecoder::ConvertPcm16(bytes.data(), bytes.size(), int(freq), int(chans),
                                              rate, sample->pcm);
      error != BASS_OK) {
    return Fail(error);
  }
  sample->frames = sample->pcm.size() / 2;
  sample->max = max;
  sample->loop = (flags & BASS_SAMPLE_LOOP) != 0;
  std::lock_guard<std::mutex> lock(m.apiLock);
  if (!m.initialized || m.mixRate != rate) return Fail(BASS_ERROR_INIT);
  const HSAMPLE handle = m.NewHandle();
  sample->handle = handle;
  m.samples.emplace(handle, std::move(sample));
  Succeed();
  return handle;
}

bool Mixer::SampleStop(HSAMPLE handle) {
  Impl& m = *impl_;
  std::lock_guard<std::mutex> lock(m.apiLock);
  if (!m.initialized) return Fail(BASS_ERROR_INIT);
  auto it = m.samples.find(handle);
  if (it == m.samples.end()) return Fail(BASS_ERROR_HANDLE);
  for (auto& voice : it->second->channels) {
    StoreMax(voice->doneSerial, voice->playSerial);
    Command command;
    command.kind = Command::Kind::kStop;
    command.voice = voice.get();
    m.Post(command);
  }
  Succeed();
  return true;
}

bool Mixer::SampleFree(HSAMPLE handle) {
  Impl& m = *impl_;
  std::lock_guard<std::mutex> lock(m.apiLock);
  if (!m.initialized) return Fail(BASS_ERROR_INIT);
  auto it = m.samples.find(handle);
  if (it == m.samples.end()) return Fail(BASS_ERROR_HANDLE);
  Sample& sample = *it->second;
  {
    // Commands already posted may name these channels: apply them first, then take the
    // channels out of the mix before their memory goes.
    std::lock_guard<std::mutex> mix(m.mixLock);
    m.ApplyCommands();
    for (auto& voice : sample.channels) m.Unlink(voice.get());
  }
  for (auto& voice : sample.channels) m.channels.erase(voice->handle);
  m.samples.erase(it);
  Succeed();
  return true;
}

HCHANNEL Mixer::SampleGetChannel(HSAMPLE handle, bool onlynew) {
  Impl& m = *impl_;
  std::lock_guard<std::mutex> lock(m.apiLock);
  if (!m.initialized) return Fail(BASS_ERROR_INIT);
  auto it = m.samples.find(handle);
  if (it == m.samples.end()) return Fail(BASS_ERROR_HANDLE);
  Sample& sample = *it->second;

  Voice* idle = nullptr;
  for (auto& voice : sample.channels) {
    if (!voice->IsPlaying()) {
      idle = voice.get();
      break;
    }
  }
  Voice* voice = nullptr;
  if (idle && !onlynew) {
    voice = idle;  // handed out again under its handle
  } else if (sample.channels.size() < sample.max) {
    sample.channels.push_back(std::make_unique<Voice>());
    voice = sample.channels.back().get();
    voice->sample = &sample;
    voice->handle = m.NewHandle();
    m.channels.emplace(voice->handle, voice);
  } else if (idle) {
    // A new handle for the idle channel: its old handle no longer reaches it.
    voice = idle;
    m.channels.erase(voice->handle);
    voice->handle = m.NewHandle();
    m.channels.emplace(voice->handle, voice);
  } else {
    return Fail(BASS_ERROR_NOCHAN);  // every channel of the sample plays
  }

  voice->volume = 100;
  voice->pan = 0;
  Command command;
  command.kind = Command::Kind::kReset;
  command.voice = voice;
  GainsOf(voice->volume, voice->pan, command.left, command.right);
  m.Post(command);
  Succeed();
  return voice->handle;
}

HMUSIC Mixer::MusicLoad(bool mem, const void* file, uint64_t offset, uint32_t length,
                        uint32_t flags, uint32_t freq) {
  Impl& m = *impl_;
  {
    std::lock_guard<std::mutex> lock(m.apiLock);
    if (!m.initialized) return Fail(BASS_ERROR_INIT);
  }
  SourceData source;
  if (int error = source.Open(mem, file, offset, length); error != BASS_OK) return Fail(error);

  int error = 0;
  const char* message = nullptr;
  openmpt_module* module = openmpt_module_create_from_memory2(
      source.Data(), source.Size(), openmpt_log_func_silent, nullptr, openmpt_error_func_ignore,
      nullptr, &error, &message, nullptr);
  if (message) openmpt_free_string(message);
  if (!module) return Fail(BASS_ERROR_FILEFORM);

  auto voice = std::make_unique<Voice>();
  voice->module = module;
  openmpt_module_set_repeat_count(module, (flags & BASS_MUSIC_LOOP) ? -1 : 0);
  // A jump into the middle of a pattern must bring back the notes that were struck
  // before the jump point; without this they stay silent until the next note.
  openmpt_module_ctl_set_boolean(module, "seek.sync_samples", 1);
  const bool ramping = (flags & (BASS_MUSIC_RAMP | BASS_MUSIC_RAMPS)) != 0;
  openmpt_module_set_render_param(module, OPENMPT_MODULE_RENDER_VOLUMERAMPING_STRENGTH,
                                  ramping ? -1 : 0);
  const int patterns = openmpt_module_get_num_patterns(module);
  const int orders = openmpt_module_get_num_orders(module);
  for (int order = 0; order < orders; ++order) {
    const int pattern = openmpt_module_get_order_pattern(module, order);
    voice->orderRows.push_back(pattern >= 0 && pattern < patterns
                                   ? openmpt_module_get_pattern_num_rows(module, pattern)
                                   : 0);
  }
  voice->duration = openmpt_module_get_duration_seconds(module);

  std::lock_guard<std::mutex> lock(m.apiLock);
  if (!m.initialized) return Fail(BASS_ERROR_INIT);
  const HMUSIC handle = m.NewHandle();
  voice->handle = handle;
  m.musics.emplace(handle, std::move(voice));
  Succeed();
  return handle;
}

bool Mixer::MusicFree(HMUSIC handle) {
  Impl& m = *impl_;
  std::lock_guard<std::mutex> lock(m.apiLock);
  if (!m.initialized) return Fail(BASS_ERROR_INIT);
  auto it = m.musics.find(handle);
  if (it == m.musics.end()) return Fail(BASS_ERROR_HANDLE);
  {
    std::lock_guard<std::mutex> mix(m.mixLock);
    m.ApplyCommands();
    m.Unlink(it->second.get());
  }
  m.musics.erase(it);
  Succeed();
  return true;
}

bool Mixer::ChannelPlay(uint32_t handle, bool restart) {
  Impl& m = *impl_;
  std::lock_guard<std::mutex> lock(m.apiLock);
  Voice* voice = m.ChannelOfCall(handle);
  if (!voice) return false;
  Command command;
  command.kind = Command::Kind::kPlay;
  command.voice = voice;
  command.serial = ++voice->playSerial;
  command.restart = restart;
  m.Post(command);
  Succeed();
  return true;
}

bool Mixer::ChannelStop(uint32_t handle) {
  Impl& m = *impl_;
  std::lock_guard<std::mutex> lock(m.apiLock);
  Voice* voice = m.ChannelOfCall(handle);
  if (!voice) return false;
  StoreMax(voice->doneSerial, voice->playSerial);  // stopped from now on, for every caller
  Command command;
  command.kind = Command::Kind::kStop;
  command.voice = voice;
  m.Post(command);
  Succeed();
  return true;
}

uint32_t Mixer::ChannelIsActive(uint32_t handle) {
  Impl& m = *impl_;
  std::lock_guard<std::mutex> lock(m.apiLock);
  Voice* voice = m.ChannelOfCall(handle);
  if (!voice) return BASS_ACTIVE_STOPPED;
  Succeed();
  return voice->IsPlaying() ? BASS_ACTIVE_PLAYING : BASS_ACTIVE_STOPPED;
}

bool Mixer::ChannelSetAttributes(uint32_t handle, int freq, int volume, int pan) {
  Impl& m = *impl_;
  std::lock_guard<std::mutex> lock(m.apiLock);
  Voice* voice = m.ChannelOfCall(handle);
  if (!voice) return false;
  if (freq != BASS_KEEP_FREQUENCY && freq != 0) return Fail(BASS_ERROR_NOTAVAIL);
  voice->volume = std::clamp(volume, 0, 100);
  if (pan != BASS_KEEP_PAN) voice->pan = std::clamp(pan, -100, 100);
  Command command;
  command.kind = Command::Kind::kGain;
  command.voice = voice;
  GainsOf(voice->volume, voice->pan, command.left, command.right);
  m.Post(command);
  Succeed();
  return true;
}

bool Mixer::ChannelSetPosition(uint32_t handle, uint64_t pos) {
  Impl& m = *impl_;
  std::lock_guard<std::mutex> lock(m.apiLock);
  Voice* voice = m.ChannelOfCall(handle);
  if (!voice) return false;
  Command command;
  command.voice = voice;
  const uint64_t frame = pos / 4;
  if (voice->sample) {
    if (frame >= voice->sample->frames) return Fail(BASS_ERROR_POSITION);
    command.kind = Command::Kind::kSeekFrame;
    command.frame = frame;
  } else if ((pos >> 32) == 0 && (pos & 0x80000000u) != 0) {
    const int order = int(pos & 0xFFFF);
    const int row = int((pos >> 16) & 0x7FFF);
    if (order >= int(voice->orderRows.size()) || row >= voice->orderRows[size_t(order)]) {
      return Fail(BASS_ERROR_POSITION);
    }
    command.kind = Command::Kind::kSeekOrderRow;
    command.order = order;
    command.row = row;
  } else {
    const double seconds = double(frame) / double(m.mixRate);
    if (seconds > voice->duration) return Fail(BASS_ERROR_POSITION);
    command.kind = Command::Kind::kSeekSeconds;
    command.seconds = seconds;
  }
  m.Post(command);
  Succeed();
  return true;
}

void Mixer::HoldDevice(bool hold) {
  Impl& m = *impl_;
  std::lock_guard<std::mutex> lock(m.apiLock);
  m.hold = hold;
  if (m.device != 0) SDL_PauseAudioDevice(m.device, hold ? 1 : 0);
}

void Mixer::Render(int16_t* out, int frames) {
  if (frames <= 0) return;
  std::lock_guard<std::mutex> lock(impl_->mixLock);
  impl_->Mix(out, frames);
}

void Mixer::Flush() {
  std::lock_guard<std::mutex> mix(impl_->mixLock);
  if (impl_->running) impl_->ApplyCommands();
}

OutputStats Mixer::DeviceOutput() const {
  OutputStats stats;
  stats.frames = impl_->outFrames.load();
  stats.loudFrames = impl_->outLoudFrames.load();
  stats.peak = impl_->outPeak.load();
  return stats;
}

void Mixer::ResetDeviceOutput() {
  impl_->outFrames.store(0);
  impl_->outLoudFrames.store(0);
  impl_->outPeak.store(0);
}

int Mixer::MixRate() const {
  std::lock_guard<std::mutex> lock(impl_->apiLock);
  return impl_->mixRate;
}

bool Mixer::HasDevice() const {
  std::lock_guard<std::mutex> lock(impl_->apiLock);
  return impl_->device != 0;
}

Mixer& DefaultMixer() {
  static Mixer mixer;
  return mixer;
}

}  // namespace bass
