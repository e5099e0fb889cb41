#include "tools/contentgen/SoundMaker.h"


#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "tools/oggenc/OggEncoder.h"

namespace contentgen {

namespace {

constexpr double kPi = 3.14159265358979323846;

// A fixed linear congruential generator, so that every build makes the same files.
class Noise {
 public:
  float Next() {
    state_ = state_ * 1664525u + 1013904223u;
    return float(state_ >> 8) / float(1u << 23) - 1.0f;
  }

 private:
  uint32_t state_ = 0x2545F491u;
};

Samples Silence(double seconds) { return Samples(size_t(seconds * kSampleRate), 0.0f); }

double Time(size_t i) { return double(i) / kSampleRate; }

// Scales the samples so that the loudest one has the given magnitude.
void Normalize(Samples& samples, float peak) {
  float loudest = 0.0f;
  for (float s : samples) loudest = std::max(loudest, std::fabs(s));
  if (loudest <= 0.0f) return;
  for (float& s : samples) s *= peak / loudest;
}

// A short fade at both ends, so that no sound starts or stops with a click.
void SoftenEdges(Samples& samples, double seconds) {
  const size_t n = std::min(samples.size() / 2, size_t(seconds * kSampleRate));
  for (size_t i = 0; i < n; ++i) {
    const float gain = float(i) / float(n);
    samples[i] *= gain;
    samples[samples.size() - 1 - i] *= gain;
  }
}

}  // namespace

Samples MakeSwish() {
  Samples out = Silence(0.45);
  Noise noise;
  // A state-variable band-pass filter whose centre sweeps up and back down.
  double low = 0.0, band = 0.0;
  const double duration = Time(out.size());
  for (size_t i = 0; i < out.size(); ++i) {
    const double t = Time(i) / duration;
    const double centre = 400.0 + 2600.0 * std::sin(kPi * std::min(1.0, t * 1.2));
    const double f = 2.0 * std::sin(kPi * centre / kSampleRate);
    const double q = 0.35;
    const double high = noise.Next() - low - q * band;
    band += f * high;
    low += f * band;
    const double envelope = t < 0.35 ? std::sin(0.5 * kPi * t / 0.35) : std::cos(0.5 * kPi * (t - 0.35) / 0.65);
    out[i] = float(band * envelope * envelope);
  }
  Normalize(out, 0.7f);
  SoftenEdges(out, 0.003);
  return out;
}

Samples MakeBlockSelect() {
  Samples out = Silence(0.18);
  for (size_t i = 0; i < out.size(); ++i) {
    const double t = Time(i);
    const double envelope = std::min(1.0, t / 0.002) * std::exp(-t / 0.045);
    out[i] = float(envelope * (std::sin(2 * kPi * 1046.5 * t) + 0.6 * std::sin(2 * kPi * 1568.0 * t)));
  }
  Normalize(out, 0.6f);
  SoftenEdges(out, 0.002);
  return out;
}

Samples MakeButtonPress() {
  Samples out = Silence(0.07);
  Noise noise;
  for (size_t i = 0; i < out.size(); ++i) {
    const double t = Time(i);
    out[i] = float(noise.Next() * std::exp(-t / 0.004) + 0.8 * std::sin(2 * kPi * 1400.0 * t) * std::exp(-t / 0.018));
  }
  Normalize(out, 0.6f);
  SoftenEdges(out, 0.0005);
  return out;
}

Samples MakeRollover() {
  Samples out = Silence(0.05);
  for (size_t i = 0; i < out.size(); ++i) {
    const double t = Time(i);
    out[i] = float(std::min(1.0, t / 0.001) * std::exp(-t / 0.012) * std::sin(2 * kPi * 2600.0 * t));
  }
  Normalize(out, 0.35f);
  SoftenEdges(out, 0.001);
  return out;
}

std::string EncodeOgg(const Samples& samples) {
  return oggenc::EncodeOgg(samples, 1, kSampleRate, 0.3f);
}

// ---- the menu module ----

namespace {

constexpr size_t kModHeader = 1084;
constexpr size_t kRows = 64;
constexpr size_t kChannels = 4;
constexpr size_t kPatternBytes = kRows * kChannels * 4;

enum Instrument { kPluck = 1, kBass = 2, kTick = 3 };

// ProTracker periods of octaves 1 to 3, C to B.
constexpr uint16_t kPeriods[3][12] = {
    {856, 808, 762, 720, 678, 640, 604, 570, 538, 508, 480, 453},
    {428, 404, 381, 360, 339, 320, 302, 285, 269, 254, 240, 226},
    {214, 202, 190, 180, 170, 160, 151, 143, 135, 127, 120, 113},
};

// A note as "C-2", "A#1"; "---" or "" for none.
uint16_t Period(const char* note) {
  if (!note || note[0] == '\0' || note[0] == '-') return 0;
  static const char* const kNames = "C-C#D-D#E-F-F#G-G#A-A#B-";
  for (int n = 0; n < 12; ++n) {
    if (note[0] == kNames[n * 2] && note[1] == kNames[n * 2 + 1]) {
      const int octave = note[2] - '1';
      if (octave >= 0 && octave < 3) return kPeriods[octave][n];
    }
  }
  return 0;
}

void PutBe16(std::string& out, size_t at, uint16_t value) {
  out[at] = char(value >> 8);
  out[at + 1] = char(value & 0xFF);
}

// One cell: instrument, period and effect C (set volume).
void PutNote(std::string& mod, size_t pattern, size_t row, size_t channel, int instrument,
             uint16_t period, int volume) {
  const size_t at = kModHeader + pattern * kPatternBytes + (row * kChannels + channel) * 4;
  mod[at + 0] = char((instrument & 0xF0) | ((period >> 8) & 0x0F));
  mod[at + 1] = char(period & 0xFF);
  mod[at + 2] = char(((instrument & 0x0F) << 4) | 0x0C);
  mod[at + 3] = char(volume);
}

void DefineInstrument(std::string& mod, int instrument, const char* name, size_t bytes, int volume,
                      size_t loopStart, size_t loopBytes) {
  const size_t at = 20 + size_t(instrument - 1) * 30;
  std::memcpy(&mod[at], name, std::min<size_t>(22, std::strlen(name)));
  PutBe16(mod, at + 22, uint16_t(bytes / 2));
  mod[at + 25] = char(volume);
  PutBe16(mod, at + 26, uint16_t(loopStart / 2));
  PutBe16(mod, at + 28, uint16_t(loopBytes > 0 ? loopBytes / 2 : 1));
}

// An 8-bit waveform of `cycle` samples a period that dies away over `bytes` samples.
std::string DecayingTone(size_t bytes, size_t cycle, double decay, double (*wave)(double)) {
  std::string data(bytes, '\0');
  for (size_t i = 0; i < bytes; ++i) {
    const double phase = double(i % cycle) / double(cycle);
    const double envelope = std::exp(-double(i) / decay) * std::min(1.0, double(i) / 8.0);
    data[i] = char(int8_t(std::lround(110.0 * envelope * wave(phase))));
  }
  return data;
}

double SoftWave(double phase) {
  return std::sin(2 * kPi * phase) + 0.25 * std::sin(4 * kPi * phase) + 0.1 * std::sin(6 * kPi * phase);
}

double TriangleWave(double phase) { return phase < 0.5 ? 4 * phase - 1 : 3 - 4 * phase; }

}  // namespace

std::string MakeMenuModule() {
  // Melodies: one note every two rows, four chords (C, Am, F, G) of eight notes a pattern.
  static const char* const kMelody[2][32] = {
      {"E-2", "G-2", "C-3", "G-2", "E-2", "D-2", "C-2", "---",
       "A-2", "C-3", "E-3", "C-3", "A-2", "G-2", "E-2", "---",
       "F-2", "A-2", "C-3", "A-2", "G-2", "F-2", "E-2", "---",
       "G-2", "B-2", "D-3", "B-2", "G-2", "A-2", "B-2", "D-3"},
      {"C-3", "---", "G-2", "E-2", "G-2", "---", "C-3", "D-3",
       "E-3", "---", "C-3", "A-2", "C-3", "---", "E-3", "G-3",
       "F-3", "---", "C-3", "A-2", "C-3", "---", "D-3", "C-3",
       "B-2", "---", "D-3", "G-2", "B-2", "A-2", "G-2", "---"},
  };
  static const char* const kBassLine[4] = {"C-2", "A-1", "F-1", "G-1"};
  constexpr size_t kPatterns = 2;

  std::string mod(kModHeader + kPatterns * kPatternBytes, '\0');
  std::memcpy(&mod[0], "pellavo menu", 12);
  const std::string pluck = DecayingTone(4096, 32, 900.0, SoftWave);
  const std::string bass = DecayingTone(6144, 64, 2400.0, TriangleWave);
  std::string tick(256, '\0');
  Noise noise;
  for (size_t i = 0; i < tick.size(); ++i) tick[i] = char(int8_t(std::lround(90.0 * noise.Next() * std::exp(-double(i) / 40.0))));
  DefineInstrument(mod, kPluck, "pluck", pluck.size(), 64, 0, 0);
  DefineInstrument(mod, kBass, "bass", bass.size(), 64, 0, 0);
  DefineInstrument(mod, kTick, "tick", tick.size(), 64, 0, 0);
  for (int i = 4; i <= 31; ++i) DefineInstrument(mod, i, "", 0, 0, 0, 0);

  mod[950] = char(kPatterns);  // song length in orders
  mod[951] = 127;
  for (size_t order = 0; order < kPatterns; ++order) mod[952 + order] = char(order);
  std::memcpy(&mod[1080], "M.K.", 4);

  for (size_t p = 0; p < kPatterns; ++p) {
    for (size_t slot = 0; slot < 32; ++slot) {
      const uint16_t period = Period(kMelody[p][slot]);
      if (period == 0) continue;
      PutNote(mod, p, slot * 2, 0, kPluck, period, 0x30);
      // A quiet echo of the melody three rows later, where the row exists.
      if (slot * 2 + 3 < kRows) PutNote(mod, p, slot * 2 + 3, 3, kPluck, period, 0x10);
    }
    for (size_t chord = 0; chord < 4; ++chord) {
      const uint16_t root = Period(kBassLine[chord]);
      PutNote(mod, p, chord * 16, 1, kBass, root, 0x38);
      PutNote(mod, p, chord * 16 + 8, 1, kBass, root, 0x2C);
      PutNote(mod, p, chord * 16 + 4, 2, kTick, Period("C-3"), 0x14);
      PutNote(mod, p, chord * 16 + 12, 2, kTick, Period("C-3"), 0x14);
    }
  }
  mod += pluck;
  mod += bass;
  mod += tick;
  return mod;
}

}  // namespace contentgen
