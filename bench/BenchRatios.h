#pragma once

// How the drawing benchmarks compare a frame with its yardstick (a frame that only clears,
// or the same quads drawn as plain sprites) in the same run, and report it.
//
// RunRatioBenchmarks runs the program's benchmarks five times each unless the command line
// asks for another number of repetitions (--benchmark_repetitions=N) and keeps the median
// of each: its wall time, its CPU time (the main thread's, where the benchmark runs) and
// its counters. Then, unless LP_NUM_THREADS is set already, it runs the same program once
// more with LP_NUM_THREADS=0 (Mesa's software rasteriser on the main thread, so that the
// figure depends little on the machine's load) and prints, for each ratio, both figures,
// the main-thread CPU time of the frame and the draw calls it counted.

#include <string>
#include <vector>

struct FrameRatio {
  std::string label;        // what is compared, for the summary
  std::string frame;        // the benchmark's name, with its arguments ("BM_ParticleFrame/2000")
  std::string yardstick;    // the benchmark it is divided by
};

// Runs the benchmarks selected by the command line and prints the ratios; returns the
// program's exit status.
int RunRatioBenchmarks(int argc, char** argv, const std::vector<FrameRatio>& ratios);
