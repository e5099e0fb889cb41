// Hostile movies whose scripts are bounded but would still cost too much: each plays a
// few frames, and its worst frame and the memory it adds stay under the bounds stated.

#include <gtest/gtest.h>

#include <malloc.h>
#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdint>

#include "engine/core/MemoryManager.h"
#include "tests/swf/PlayerFixture.h"

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define PELLAVO_COST_ASAN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define PELLAVO_COST_ASAN 1
#endif
#if defined(PELLAVO_COST_ASAN)
// The sanitizer's allocator counts what it holds (not every compiler ships its header).
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#endif

namespace {

using swftest::Bytes;
using A = swfw::Actions;

// The processor time this thread has used: a frame's cost, whatever else the machine runs.
std::chrono::nanoseconds ThreadTime() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return std::chrono::seconds(t.tv_sec) + std::chrono::nanoseconds(t.tv_nsec);
}

// Bytes the process holds on the heap now.
uint64_t HeapBytesInUse() {
#if defined(PELLAVO_TRACKING_MEMORY) && PELLAVO_TRACKING_MEMORY
  return MemoryManager::GetStats().liveReportedBytes;
#elif defined(PELLAVO_COST_ASAN)
  return __sanitizer_get_current_allocated_bytes();
#else
  return mallinfo2().uordblks;
#endif
}

// Time bounds hold for an optimised build; a build with the sanitizers or without
// optimising runs the same work some ten times slower.
#if defined(PELLAVO_COST_ASAN) || !defined(NDEBUG)
constexpr int kSlowdown = 10;
#else
constexpr int kSlowdown = 1;
#endif

// A frame's scripts stop at the action budget: milliseconds of work, whatever the movie
// asks for (seconds before values, parameters and texts were charged). Frames are timed
// by the processor time they use, and the bound leaves room for a busy machine.
constexpr std::chrono::milliseconds kFrameBound(100);

struct CostCase {
  const char* name;
  Bytes movie;
  std::chrono::milliseconds worst_frame;  // bound on the slowest frame
  uint64_t memory;                        // bound on the bytes the playing movie adds
};

struct Cost {
  std::chrono::nanoseconds worst_frame{};
  uint64_t memory = 0;
};

// Plays the movie for a number of frames at 12 a second.
Cost Play(const Bytes& movie, int frames) {
  Cost cost;
  const uint64_t before = HeapBytesInUse();
  swftest::Played p(movie);
  for (int i = 0; i < frames; ++i) {
    const std::chrono::nanoseconds start = ThreadTime();
    p.root->advance(1.0f / 12.0f);
    cost.worst_frame = std::max(cost.worst_frame, ThreadTime() - start);
    const uint64_t now = HeapBytesInUse();
    if (now > before) cost.memory = std::max(cost.memory, now - before);
  }
  return cost;
}

// A movie of one frame whose one action block is the given code.
Bytes Block(const A& code) { return swftest::MovieOfFrames({{swfw::DoAction(code.Build())}}); }

// A loop that pushes the values of one record, drops one of them and starts again (a
// constant pool first, when given).
Bytes PushLoop(const std::vector<A::PushItem>& values, const std::vector<std::string>& pool = {}) {
  A a;
  if (!pool.empty()) a.ConstantPool(pool);
  a.Label("top").Push(values).Op("Pop").Jump("top");
  return Block(a);
}

TEST(SwfHostileCost, ScriptsThatPushManyValuesAFrame) {
  // A record holds at most 65,535 bytes, and a jump back over it reaches 32,768: loops of
  // many values push items of one to three bytes.
  const std::string long_text(30000, 't');
  A enumerate;
  enumerate.Push({A::Str("a")}).Push(std::vector<A::PushItem>(30000, A::Undefined())).Push({A::Int(30000)});
  enumerate.Op("InitArray").Op("SetVariable").Label("top").Push({A::Str("a")}).Op("Enumerate").Jump("top");
  A define;
  define.Label("top").DefineFunction("", std::vector<std::string>(10000, "p"), A()).Op("Pop").Jump("top");
  const uint64_t kMemoryBound = uint64_t(16) << 20;
  const CostCase cases[] = {
      {"push 10,000 booleans, pop, jump", PushLoop(std::vector<A::PushItem>(10000, A::Bool(true))), kFrameBound,
       kMemoryBound},
      {"push 30,000 undefined, pop, jump", PushLoop(std::vector<A::PushItem>(30000, A::Undefined())), kFrameBound,
       kMemoryBound},
      {"push 10,000 texts, pop, jump", PushLoop(std::vector<A::PushItem>(10000, A::Str("a"))), kFrameBound,
       kMemoryBound},
      {"push 15,000 pooled texts of 100 bytes, pop, jump",
       PushLoop(std::vector<A::PushItem>(15000, A::Constant8(0)), {std::string(100, 'p')}), kFrameBound,
       kMemoryBound},
      {"push a pooled text of 30,000 bytes 1,000 times, pop, jump",
       PushLoop(std::vector<A::PushItem>(1000, A::Constant8(0)), {long_text}), kFrameBound, kMemoryBound},
      {"push a text of 30,000 bytes, pop, jump", PushLoop({A::Str(long_text)}), kFrameBound, kMemoryBound},
      {"enumerate an array of 30,000 elements, jump", Block(enumerate), kFrameBound, kMemoryBound},
      {"define a function of 10,000 parameters, pop, jump", Block(define), kFrameBound, kMemoryBound},
  };
  for (const CostCase& c : cases) {
    swftest::SwfLogCapture log;
    const Cost cost = Play(c.movie, 4);
    EXPECT_LT(cost.worst_frame, c.worst_frame * kSlowdown)
        << c.name << ": " << std::chrono::duration_cast<std::chrono::milliseconds>(cost.worst_frame).count() << " ms";
    EXPECT_LT(cost.memory, c.memory) << c.name << ": " << cost.memory << " bytes";
    EXPECT_GE(log.Count("actions in one frame"), 1u) << c.name;
  }
}

}  // namespace
