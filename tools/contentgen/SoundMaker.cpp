#include "tools/contentgen/SoundMaker.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "tools/oggenc/OggEncoder.h"

namespace contentgen {

namespace {

constexpr double kPi = 3.14159265358979323846;

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

namespace {

// A bell-like note: a sine with a quieter octave, struck at `start` and ringing out.
void AddBell(Samples& out, double start, double frequency, double decay, double gain) {
  for (size_t i = size_t(start * kSampleRate); i < out.size(); ++i) {
    const double t = Time(i) - start;
    const double envelope = std::min(1.0, t / 0.004) * std::exp(-t / decay);
    out[i] += float(gain * envelope *
                    (std::sin(2 * kPi * frequency * t) + 0.3 * std::sin(4 * kPi * frequency * t)));
  }
}

}  // namespace

Samples MakePopupOpen() {
  Samples out = Silence(0.6);
  AddBell(out, 0.00, 784.0, 0.12, 1.0);   // G5
  AddBell(out, 0.06, 987.8, 0.12, 0.9);   // B5
  AddBell(out, 0.12, 1318.5, 0.25, 0.8);  // E6
  Normalize(out, 0.5f);
  SoftenEdges(out, 0.002);
  return out;
}

Samples MakePopupClose() {
  Samples out = Silence(0.45);
  Noise noise;
  for (size_t i = 0; i < out.size(); ++i) {
    const double t = Time(i);
    out[i] = float(0.08 * noise.Next() * std::exp(-t / 0.08));
  }
  AddBell(out, 0.00, 1174.7, 0.09, 0.8);  // D6
  AddBell(out, 0.07, 880.0, 0.16, 0.8);   // A5
  Normalize(out, 0.45f);
  SoftenEdges(out, 0.002);
  return out;
}

std::string EncodeOgg(const Samples& samples) {
  return oggenc::EncodeOgg(samples, 1, kSampleRate, 0.3f);
}

}  // namespace contentgen
