#pragma once

// What the process-wide mixer puts out, pulled by hand while the output device holds.

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "platform/bass/Mixer.h"

namespace testsounds {

// The next frames of stereo output; the buffer is pre-filled with a value the mixer must
// overwrite, so that silence has to be written to read as silence.
inline std::vector<int16_t> Render(int frames) {
  std::vector<int16_t> out(size_t(frames) * 2, 12345);
  bass::DefaultMixer().Render(out.data(), frames);
  return out;
}

// The largest absolute sample of the given side (0 left, 1 right, -1 both), from a frame on.
inline int Peak(const std::vector<int16_t>& pcm, int side = -1, size_t fromFrame = 0) {
  int peak = 0;
  for (size_t i = fromFrame * 2; i < pcm.size(); ++i) {
    if (side >= 0 && int(i % 2) != side) continue;
    peak = std::max(peak, std::abs(int(pcm[i])));
  }
  return peak;
}

inline bool AllZero(const std::vector<int16_t>& pcm) {
  return std::all_of(pcm.begin(), pcm.end(), [](int16_t v) { return v == 0; });
}

}  // namespace testsounds
