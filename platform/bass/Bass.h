#pragma once

// The audio interface the engine plays its sounds through: samples decoded from memory
// and played on channels, tracker-module music, channel volumes and positions, and a
// global pause and start of the output. Functions and handles keep the shape of the BASS
// 2.x interface so that engine code reads like the steps it follows; declarations and
// values are this layer's own.
//
// Every handle is a plain 32-bit value and 0 means "none". A sample channel and a music
// are both channels: the BASS_Channel functions take either. Functions that fail return
// 0 or false and leave the reason in BASS_ErrorGetCode; functions that succeed set it
// to BASS_OK. The calls go to the installed back end (platform/bass/Backend.h): the
// mixer on SDL audio, or a recording back end in tests.

#include <cstdint>

#include "platform/win32/Handles.h"

using HSAMPLE = uint32_t;   // a decoded sound
using HCHANNEL = uint32_t;  // one playback of a sample
using HMUSIC = uint32_t;    // a tracker module, itself a channel

// BASS_SampleLoad and BASS_SampleCreate flags.
inline constexpr uint32_t BASS_SAMPLE_MONO = 2;  // decode to one channel (taken, not needed)
inline constexpr uint32_t BASS_SAMPLE_LOOP = 4;  // the channels of the sample loop

// BASS_MusicLoad flags.
inline constexpr uint32_t BASS_MUSIC_LOOP = 4;         // wrap from the end to the start
inline constexpr uint32_t BASS_MUSIC_RAMP = 0x200;     // volume ramping
inline constexpr uint32_t BASS_MUSIC_RAMPS = 0x400;    // "sensitive" volume ramping
inline constexpr uint32_t BASS_MUSIC_PRESCAN = 0x20000;  // know the length at load

// BASS_ChannelIsActive results.
inline constexpr uint32_t BASS_ACTIVE_STOPPED = 0;
inline constexpr uint32_t BASS_ACTIVE_PLAYING = 1;

// BASS_ChannelSetAttributes values that leave a setting as it is.
inline constexpr int BASS_KEEP_FREQUENCY = -1;
inline constexpr int BASS_KEEP_PAN = -101;

// A module position for BASS_ChannelSetPosition: order and row instead of bytes.
inline constexpr uint64_t BassMusicPosition(int order, int row) {
  return 0x80000000u | (uint32_t(row & 0x7FFF) << 16) | uint32_t(order & 0xFFFF);
}

// Error codes (BASS_ErrorGetCode).
inline constexpr int BASS_OK = 0;
inline constexpr int BASS_ERROR_MEM = 1;        // out of memory
inline constexpr int BASS_ERROR_FILEOPEN = 2;   // a file could not be read
inline constexpr int BASS_ERROR_DRIVER = 3;     // the output device could not be opened
inline constexpr int BASS_ERROR_HANDLE = 5;     // not a handle of the right kind (or freed)
inline constexpr int BASS_ERROR_FORMAT = 6;     // a sound format the mixer does not take
inline constexpr int BASS_ERROR_POSITION = 7;   // a position outside the channel
inline constexpr int BASS_ERROR_INIT = 8;       // BASS_Init has not succeeded
inline constexpr int BASS_ERROR_ALREADY = 14;   // BASS_Init called twice
inline constexpr int BASS_ERROR_NOCHAN = 18;    // all of the sample's channels play
inline constexpr int BASS_ERROR_ILLPARAM = 20;  // an argument out of its range
inline constexpr int BASS_ERROR_DEVICE = 23;    // no such device number
inline constexpr int BASS_ERROR_NOTAVAIL = 37;  // a setting this mixer does not offer
inline constexpr int BASS_ERROR_FILEFORM = 41;  // the data is no sound or module it reads
inline constexpr int BASS_ERROR_UNKNOWN = -1;

// Output. device: 1 or -1 the default output device, n > 1 the device SDL lists at index n-1,
// 0 no output at all (the mixer still runs; tests render it by hand). freq: the mix rate
// in Hz (0 = 44100). flags, win and clsid are accepted and not used.
bool BASS_Init(int device, uint32_t freq, uint32_t flags, HWND win, const void* clsid);
// Closes the output and releases every sample, channel and music. Handles stay invalid
// afterwards, also after a new BASS_Init.
bool BASS_Free();
// Global pause and resume of everything that plays. Channels keep their state: while
// paused a playing channel still reports BASS_ACTIVE_PLAYING and does not advance.
bool BASS_Pause();
bool BASS_Start();
int BASS_ErrorGetCode();

// Decodes Ogg Vorbis, MPEG audio (MP3, MP2) or WAV into memory; MPEG data may have a
// few bytes before its first frame (an SWF sound's seek count), which are passed over. mem: file points at the
// data and length counts its bytes from offset; otherwise file is a path (UTF-8) and a
// length of 0 reads to its end. max: 1 to 65535 channels of the sample may play at once.
HSAMPLE BASS_SampleLoad(bool mem, const void* file, uint64_t offset, uint32_t length,
                        uint32_t max, uint32_t flags);
// A sample made from 16-bit PCM of the caller: BASS_SampleCreate returns a buffer of
// length bytes (chans 1 or 2 interleaved channels at freq Hz, 100 to 200000) that the
// caller fills before BASS_SampleCreateDone, which makes the sample and returns its
// handle. A second BASS_SampleCreate before the Done drops the first buffer.
void* BASS_SampleCreate(uint32_t length, uint32_t freq, uint32_t chans, uint32_t max,
                        uint32_t flags);
HSAMPLE BASS_SampleCreateDone();
// Stops every channel of the sample; the sample stays and can play again.
bool BASS_SampleStop(HSAMPLE sample);
// Stops and releases the sample's channels and the sample.
bool BASS_SampleFree(HSAMPLE sample);
// A channel of the sample, at volume 100, centred, at its start. With onlynew false a
// channel of the sample that is not playing (never played, stopped or ended) is handed
// out again under its handle; with onlynew true such a channel gets a new handle (the old
// one becomes invalid). When all max channels play: 0 and BASS_ERROR_NOCHAN; nothing
// playing is cut off.
HCHANNEL BASS_SampleGetChannel(HSAMPLE sample, bool onlynew);

// Loads a tracker module (MOD, S3M, XM, IT and what else libopenmpt reads), stopped at
// its start. Flags: BASS_MUSIC_LOOP, BASS_MUSIC_RAMP or _RAMPS (volume ramping; without
// either it is off), BASS_MUSIC_PRESCAN (always known here). freq is not used: modules
// render at the mix rate. Seeks to an order and row restore the notes that play there.
HMUSIC BASS_MusicLoad(bool mem, const void* file, uint64_t offset, uint32_t length,
                      uint32_t flags, uint32_t freq);
// Stops and releases a music; on any other handle it fails (BASS_ERROR_HANDLE) and
// changes nothing.
bool BASS_MusicFree(HMUSIC music);

// Plays a channel or music: restart true starts from the beginning, false resumes where
// it stopped (from the beginning once it has ended). Allowed while the output is paused:
// it then sounds on BASS_Start.
bool BASS_ChannelPlay(uint32_t handle, bool restart);
// Stops it where it is; the handle stays valid.
bool BASS_ChannelStop(uint32_t handle);
// BASS_ACTIVE_PLAYING from BASS_ChannelPlay until it is stopped or reaches the end of a
// sample or module that does not loop; otherwise (also for an invalid handle)
// BASS_ACTIVE_STOPPED.
uint32_t BASS_ChannelIsActive(uint32_t handle);
// freq: BASS_KEEP_FREQUENCY or 0 (the sound's own rate); other rates fail with
// BASS_ERROR_NOTAVAIL and change nothing. volume: 0 to 100, linear; values outside are
// clamped (there is no "keep" value). pan: -100 (left) to 100 (right), clamped, or
// BASS_KEEP_PAN.
bool BASS_ChannelSetAttributes(uint32_t handle, int freq, int volume, int pan);
// Music: BassMusicPosition(order, row) (high 32 bits 0, bit 31 set) jumps to that order
// and row (BASS_ERROR_POSITION when the order or the row is not in the module). Any
// other value, and every position of a sample channel, counts bytes of 16-bit stereo
// at the mix rate (4 bytes a frame).
bool BASS_ChannelSetPosition(uint32_t handle, uint64_t pos);
