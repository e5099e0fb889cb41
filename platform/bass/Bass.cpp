#include "platform/bass/Bass.h"

#include <atomic>

#include "platform/bass/Backend.h"
#include "platform/bass/Mixer.h"

namespace bass {
namespace {

std::atomic<Backend*> g_backend{nullptr};
thread_local int t_errorCode = BASS_OK;

}  // namespace

Backend* SetBackend(Backend* backend) { return g_backend.exchange(backend); }

Backend& CurrentBackend() {
  Backend* backend = g_backend.load();
  return backend ? *backend : DefaultMixer();
}

void Succeed() { t_errorCode = BASS_OK; }

bool Fail(int code) {
  t_errorCode = code;
  return false;
}

}  // namespace bass

bool BASS_Init(int device, uint32_t freq, uint32_t flags, HWND win, const void* clsid) {
  return bass::CurrentBackend().Init(device, freq, flags, win, clsid);
}

bool BASS_Free() { return bass::CurrentBackend().Free(); }
bool BASS_Pause() { return bass::CurrentBackend().Pause(); }
bool BASS_Start() { return bass::CurrentBackend().Start(); }
int BASS_ErrorGetCode() { return bass::t_errorCode; }

HSAMPLE BASS_SampleLoad(bool mem, const void* file, uint64_t offset, uint32_t length,
                        uint32_t max, uint32_t flags) {
  return bass::CurrentBackend().SampleLoad(mem, file, offset, length, max, flags);
}

void* BASS_SampleCreate(uint32_t length, uint32_t freq, uint32_t chans, uint32_t max,
                        uint32_t flags) {
  return bass::CurrentBackend().SampleCreate(length, freq, chans, max, flags);
}

HSAMPLE BASS_SampleCreateDone() { return bass::CurrentBackend().SampleCreateDone(); }

bool BASS_SampleStop(HSAMPLE sample) { return bass::CurrentBackend().SampleStop(sample); }

bool BASS_SampleFree(HSAMPLE sample) { return bass::CurrentBackend().SampleFree(sample); }

HCHANNEL BASS_SampleGetChannel(HSAMPLE sample, bool onlynew) {
  return bass::CurrentBackend().SampleGetChannel(sample, onlynew);
}

HMUSIC BASS_MusicLoad(bool mem, const void* file, uint64_t offset, uint32_t length,
                      uint32_t flags, uint32_t freq) {
  return bass::CurrentBackend().MusicLoad(mem, file, offset, length, flags, freq);
}

bool BASS_MusicFree(HMUSIC music) { return bass::CurrentBackend().MusicFree(music); }

bool BASS_ChannelPlay(uint32_t handle, bool restart) {
  return bass::CurrentBackend().ChannelPlay(handle, restart);
}

bool BASS_ChannelStop(uint32_t handle) { return bass::CurrentBackend().ChannelStop(handle); }

uint32_t BASS_ChannelIsActive(uint32_t handle) {
  return bass::CurrentBackend().ChannelIsActive(handle);
}

bool BASS_ChannelSetAttributes(uint32_t handle, int freq, int volume, int pan) {
  return bass::CurrentBackend().ChannelSetAttributes(handle, freq, volume, pan);
}

bool BASS_ChannelSetPosition(uint32_t handle, uint64_t pos) {
  return bass::CurrentBackend().ChannelSetPosition(handle, pos);
}
