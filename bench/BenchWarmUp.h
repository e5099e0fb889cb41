#pragma once

// Seconds every benchmark runs before it measures, once before its first repetition:
// caches fill, the allocator settles, and a drawing benchmark's textures are uploaded and
// its programs made (the first frame of a level takes about 40 frames' time), which would
// otherwise weigh on the first repetition.
constexpr double kWarmUpSeconds = 1.0;
