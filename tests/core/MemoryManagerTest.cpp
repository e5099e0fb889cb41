#include "engine/core/MemoryManager.h"

#include <gtest/gtest.h>

#if defined(PELLAVO_TRACKING_MEMORY) && PELLAVO_TRACKING_MEMORY

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <new>
#include <string>
#include <thread>
#include <vector>

namespace {

using Stats = MemoryManager::Stats;
using AllocUnit = MemoryManager::AllocUnit;

// Hides where a pointer came from, so that the compiler neither drops an allocation nor
// reasons about the bounds of a block whose guards the test reads.
unsigned char* Opaque(void* p) {
  asm volatile("" : "+r"(p));
  return static_cast<unsigned char*>(p);
}

std::string HexBytes(const unsigned char* bytes, size_t count) {
  std::string text;
  char digits[4];
  for (size_t i = 0; i < count; ++i) {
    std::snprintf(digits, sizeof digits, "%02X ", bytes[i]);
    text += digits;
  }
  return text;
}

const std::string kPrefixBytes = "0D F0 AD BA 0D F0 AD BA 0D F0 AD BA 0D F0 AD BA ";
const std::string kSuffixBytes = "DE C0 AD DE DE C0 AD DE DE C0 AD DE DE C0 AD DE ";

TEST(MemoryManagerTest, BlocksAreZeroFilledAndFramedByGuards) {
  for (size_t size : {size_t{1}, size_t{3}, size_t{5}, size_t{16}, size_t{100}, size_t{4096}}) {
    // The first block leaves garbage (and then the release pattern) behind for the second,
    // which the C heap usually hands out at the same place.
    unsigned char* first = Opaque(::operator new(size));
    std::memset(first, 0xAB, size);
    ::operator delete(first);
    unsigned char* block = Opaque(::operator new[](size));

    EXPECT_EQ(std::count(block, block + size, 0), static_cast<ptrdiff_t>(size)) << size;
    EXPECT_EQ(HexBytes(block - 16, 16), kPrefixBytes) << size;
    EXPECT_EQ(HexBytes(block + size, 16), kSuffixBytes) << size;

    AllocUnit unit{};
    ASSERT_TRUE(MemoryManager::FindAllocUnit(block, &unit));
    EXPECT_EQ(unit.reportedSize, size);
    EXPECT_EQ(unit.actualSize, size + 32);
    EXPECT_EQ(unit.reportedAddress, block);
    EXPECT_EQ(unit.actualAddress, block - 16);
    EXPECT_EQ(unit.allocationType, MemoryManager::kTypeNewArray);
    EXPECT_TRUE(MemoryManager::ValidateAllocUnit(&unit));
    ::operator delete[](block);
  }
}

TEST(MemoryManagerTest, NewOfZeroBytesGivesDistinctReleasableBlocks) {
  Stats before = MemoryManager::GetStats();
  void* a = ::operator new(0);
  void* b = ::operator new(0);
  Stats during = MemoryManager::GetStats();
  ASSERT_NE(a, b);
  AllocUnit unit{};
  ASSERT_TRUE(MemoryManager::FindAllocUnit(a, &unit));
  EXPECT_EQ(unit.reportedSize, 1u);
  EXPECT_EQ(unit.allocationType, MemoryManager::kTypeNew);
  ::operator delete(a);
  ::operator delete(b);
  Stats after = MemoryManager::GetStats();

  EXPECT_EQ(during.liveUnits, before.liveUnits + 2);
  EXPECT_EQ(during.liveReportedBytes, before.liveReportedBytes + 2);
  EXPECT_EQ(during.liveActualBytes, before.liveActualBytes + 2 * 33);
  EXPECT_EQ(after.liveUnits, before.liveUnits);
  EXPECT_EQ(after.liveReportedBytes, before.liveReportedBytes);
  EXPECT_EQ(after.refusedReleases, before.refusedReleases);
}

unsigned char g_released[64];
uint32_t g_releasedSize = 0;
void CopyReleasedBlock(const void* address, uint32_t size) {
  g_releasedSize = size;
  std::memcpy(g_released, address, size < sizeof g_released ? size : sizeof g_released);
}

TEST(MemoryManagerTest, ReleaseWipesWithPatternAndRewritesGuards) {
  const std::string pattern = "EF BE AD DE EF BE AD DE EF BE AD DE ";
  MemoryManager::SetReleaseObserver(CopyReleasedBlock);
  for (size_t size = 1; size <= 9; ++size) {
    unsigned char* block = Opaque(::operator new(size));
    std::memset(block, 0x11, size);
    ::operator delete(block);
    ASSERT_EQ(g_releasedSize, size);
    // Whole words, then the leftover bytes from the pattern's lowest byte up.
    EXPECT_EQ(HexBytes(g_released, size), pattern.substr(0, size * 3)) << size;
  }
  MemoryManager::SetReleaseObserver(nullptr);
}

TEST(MemoryManagerTest, SecondReleaseAndForeignAddressesAreIgnored) {
  int* value = new int(7);
  Stats before = MemoryManager::GetStats();
  void* volatile same = value;
  delete value;
  Stats once = MemoryManager::GetStats();
  ::operator delete(same);
  int onStack = 0;
  MemoryManager::Deallocate(&onStack, __FILE__, __LINE__, "test");
  ::operator delete(nullptr);
  Stats after = MemoryManager::GetStats();

  EXPECT_EQ(once.liveUnits, before.liveUnits - 1);
  EXPECT_EQ(once.reservoirFreeUnits, before.reservoirFreeUnits + 1);
  EXPECT_EQ(after.liveUnits, once.liveUnits);
  EXPECT_EQ(after.liveReportedBytes, once.liveReportedBytes);
  EXPECT_EQ(after.reservoirFreeUnits, once.reservoirFreeUnits);
  EXPECT_EQ(after.refusedReleases, once.refusedReleases + 2);  // the null release is no refusal
  EXPECT_EQ(MemoryManager::ValidateAll(), 0u);
}

TEST(MemoryManagerTest, OwnerIsStoredAsBaseNameAndResetAfterUse) {
  struct Case {
    const char* file;
    const char* function;
    const char* storedFile;
    const char* storedFunction;
  };
  const Case cases[] = {
      {".\\dir\\x.cpp", "Widget::Load", "x.cpp", "Widget::Load"},
      {"engine/core/Log.cpp", "Log::Open", "Log.cpp", "Log::Open"},
      {"a/b\\c/d.cpp", "f", "c/d.cpp", "f"},  // the last "\" wins over any "/"
      {"plain.cpp", nullptr, "plain.cpp", "??"},
      {nullptr, "Only::Function", "??", "Only::Function"},
      {"a_file_name_that_is_much_longer_than_thirty_nine.cpp",
       "Some::FunctionNameThatIsLongerThanThirtyNineChars",
       "a_file_name_that_is_much_longer_than_th", "Some::FunctionNameThatIsLongerThanThirt"},
  };
  for (const Case& c : cases) {
    MemoryManager::SetOwner(c.file, 42, c.function);
    int* owned = new int;
    int* unowned = new int;
    AllocUnit unit{};
    ASSERT_TRUE(MemoryManager::FindAllocUnit(owned, &unit));
    EXPECT_STREQ(unit.sourceFile, c.storedFile);
    EXPECT_STREQ(unit.sourceFunc, c.storedFunction);
    EXPECT_EQ(unit.sourceLine, 42u);
    ASSERT_TRUE(MemoryManager::FindAllocUnit(unowned, &unit));
    EXPECT_STREQ(unit.sourceFile, "??");
    EXPECT_STREQ(unit.sourceFunc, "??");
    EXPECT_EQ(unit.sourceLine, 0u);
    delete owned;
    delete unowned;
  }

  MEMORY_OWNER("MemoryManagerTest::Macro");
  char* text = new char[4];
  AllocUnit unit{};
  ASSERT_TRUE(MemoryManager::FindAllocUnit(text, &unit));
  EXPECT_STREQ(unit.sourceFile, "MemoryManagerTest.cpp");
  EXPECT_STREQ(unit.sourceFunc, "MemoryManagerTest::Macro");
  EXPECT_GT(unit.sourceLine, 0u);
  delete[] text;
}

TEST(MemoryManagerTest, OwnerBelongsToTheThreadThatSetIt) {
  // The other thread allocates after this one has set its owner and before this one uses
  // it (starting a thread allocates, so the owner is set only once it runs).
  std::atomic<int> phase{0};
  AllocUnit unit{};
  std::thread other([&] {
    while (phase.load() != 1) std::this_thread::yield();
    int* value = new int;
    MemoryManager::FindAllocUnit(value, &unit);
    delete value;
    phase.store(2);
  });
  MemoryManager::SetOwner("main.cpp", 1, "Main::Thread");
  phase.store(1);
  while (phase.load() != 2) std::this_thread::yield();
  int* value = new int;
  other.join();
  EXPECT_STREQ(unit.sourceFile, "??");
  ASSERT_TRUE(MemoryManager::FindAllocUnit(value, &unit));
  EXPECT_STREQ(unit.sourceFile, "main.cpp");
  delete value;
}

TEST(MemoryManagerTest, ReservoirGrowsByOneBlockWhenItRunsOut) {
  std::vector<void*> blocks;
  blocks.reserve(2 * MemoryManager::kReservoirGrowth);
  Stats start = MemoryManager::GetStats();
  EXPECT_EQ(start.reservoirBlocks * MemoryManager::kReservoirGrowth,
            start.liveUnits + start.reservoirFreeUnits);

  while (MemoryManager::GetStats().reservoirFreeUnits > 0) blocks.push_back(::operator new(8));
  Stats full = MemoryManager::GetStats();
  blocks.push_back(::operator new(8));
  Stats grown = MemoryManager::GetStats();

  EXPECT_EQ(full.reservoirBlocks, start.reservoirBlocks);
  EXPECT_EQ(grown.reservoirBlocks, start.reservoirBlocks + 1);
  EXPECT_EQ(grown.reservoirFreeUnits, MemoryManager::kReservoirGrowth - 1);
  EXPECT_EQ(grown.reservoirBlocks * MemoryManager::kReservoirGrowth,
            grown.liveUnits + grown.reservoirFreeUnits);
  EXPECT_GE(grown.peakUnits, grown.liveUnits);

  for (void* block : blocks) ::operator delete(block);
  Stats end = MemoryManager::GetStats();
  EXPECT_EQ(end.liveUnits, start.liveUnits);
  EXPECT_EQ(end.reservoirBlocks, grown.reservoirBlocks);  // blocks of records are kept
  EXPECT_EQ(MemoryManager::ValidateAll(), 0u);
}

TEST(MemoryManagerTest, ValidateAllCountsDamagedGuards) {
  unsigned char* block = Opaque(new char[8]);
  EXPECT_EQ(MemoryManager::ValidateAll(), 0u);
  for (ptrdiff_t offset : {-16, -1, 8, 23}) {
    block[offset] ^= 0xFF;
    AllocUnit unit{};
    ASSERT_TRUE(MemoryManager::FindAllocUnit(block, &unit));
    EXPECT_FALSE(MemoryManager::ValidateAllocUnit(&unit)) << offset;
    EXPECT_EQ(MemoryManager::ValidateAll(), 1u) << offset;
    block[offset] ^= 0xFF;
  }
  EXPECT_EQ(MemoryManager::ValidateAll(), 0u);
  delete[] block;
}

int g_handlerCalls = 0;
void CountingNewHandler() {
  if (++g_handlerCalls == 2) std::set_new_handler(nullptr);
}

TEST(MemoryManagerTest, RefusedAllocationRunsNewHandlerThenThrowsBadAllocation) {
  // Blocks whose size does not fit the 32-bit record are refused.
  const size_t huge = size_t{1} << 40;
  Stats before = MemoryManager::GetStats();
  std::string what;
  try {
    Opaque(::operator new(huge));
  } catch (const std::bad_alloc& e) {
    what = e.what();
  }
  EXPECT_EQ(what, "bad allocation");
  EXPECT_EQ(::operator new(huge, std::nothrow), nullptr);
  EXPECT_EQ(MemoryManager::Allocate(huge, "x.cpp", 1, "f", MemoryManager::kTypeNew), nullptr);

  g_handlerCalls = 0;
  std::set_new_handler(CountingNewHandler);
  EXPECT_THROW(Opaque(::operator new[](huge)), std::bad_alloc);
  EXPECT_EQ(g_handlerCalls, 2);
  EXPECT_EQ(std::get_new_handler(), nullptr);

  Stats after = MemoryManager::GetStats();
  EXPECT_EQ(after.allocationCount, before.allocationCount + 6);  // every attempt counts
  EXPECT_EQ(after.liveUnits, before.liveUnits);
  EXPECT_EQ(after.reservoirFreeUnits, before.reservoirFreeUnits);
}

TEST(MemoryManagerTest, EveryFormOfNewAndDeleteMeetsTheTracker) {
  struct alignas(64) Wide {
    char bytes[100];
  };
  Stats before = MemoryManager::GetStats();
  Wide* wide = new Wide;
  Wide* wides = new Wide[3];
  int* nothrowValue = new (std::nothrow) int(5);
  void* sized = ::operator new(24);
  void* aligned = ::operator new(10, std::align_val_t{128}, std::nothrow);
  Stats during = MemoryManager::GetStats();

  for (void* p : {static_cast<void*>(wide), static_cast<void*>(wides), aligned}) {
    AllocUnit unit{};
    ASSERT_TRUE(MemoryManager::FindAllocUnit(p, &unit));
    EXPECT_TRUE(MemoryManager::ValidateAllocUnit(&unit));
    EXPECT_EQ(reinterpret_cast<uintptr_t>(p) % alignof(Wide), 0u);
  }
  EXPECT_EQ(reinterpret_cast<uintptr_t>(aligned) % 128, 0u);
  EXPECT_EQ(HexBytes(Opaque(aligned) - 16, 16), kPrefixBytes);
  EXPECT_EQ(HexBytes(Opaque(aligned) + 10, 16), kSuffixBytes);
  EXPECT_EQ(*nothrowValue, 5);

  delete wide;
  delete[] wides;
  delete nothrowValue;
  ::operator delete(sized, 24);
  ::operator delete(aligned, std::align_val_t{128}, std::nothrow);
  Stats after = MemoryManager::GetStats();

  EXPECT_EQ(during.liveUnits, before.liveUnits + 5);
  EXPECT_EQ(after.liveUnits, before.liveUnits);
  EXPECT_EQ(after.refusedReleases, before.refusedReleases);
}

TEST(MemoryManagerTest, TextHelpersFormatAtTheirBoundaries) {
  EXPECT_STREQ(MemoryManager::OwnerString(".\\dir\\x.cpp", 42, "A::B"), "x.cpp(00042)::A::B");
  EXPECT_STREQ(MemoryManager::OwnerString(nullptr, 7, nullptr), "?\?(00007)::?\?");

  const std::pair<uint32_t, const char*> commas[] = {
      {0, "0"},
      {999, "999"},
      {1000, "1,000"},
      {123456, "123,456"},
      {1234567, "1,234,567"},
      {12345678, "12,345,678"},
      {4294967295u, "4,294,967,295"},
  };
  for (const auto& [value, text] : commas) EXPECT_STREQ(MemoryManager::InsertCommas(value), text);

  const std::pair<uint32_t, const char*> sizes[] = {
      {0, "         0 bytes     "},
      {1024, "     1,024 bytes     "},
      {1025, "     1,025 (   1.00K)"},
      {1048576, " 1,048,576 (1024.00K)"},
      {1048577, " 1,048,577 (   1.00M)"},
      {4294967295u, "4,294,967,295 (4096.00M)"},
  };
  for (const auto& [value, text] : sizes) EXPECT_STREQ(MemoryManager::MemorySizeString(value), text);
}

TEST(MemoryManagerTest, TwoThreadsAllocatingAndReleasingKeepTheCountsExact) {
  constexpr int kSlots = 512;
  constexpr int kSteps = 40000;
  Stats before = MemoryManager::GetStats();

  auto work = [](uint32_t seed, int* allocations, int* wrongOwners) {
    std::array<void*, kSlots> slots{};
    const char* function = seed == 1 ? "Worker::One" : "Worker::Two";
    uint32_t x = seed;
    for (int step = 0; step < kSteps; ++step) {
      x = x * 1664525u + 1013904223u;
      void*& slot = slots[(x >> 8) % kSlots];
      if (slot) {
        ::operator delete(slot);
        slot = nullptr;
      } else {
        MemoryManager::SetOwner("worker.cpp", static_cast<int>(seed), function);
        slot = ::operator new(8 + (x >> 20) % 2048);
        ++*allocations;
        if ((step & 63) == 0) {
          AllocUnit unit{};
          if (!MemoryManager::FindAllocUnit(slot, &unit) || std::strcmp(unit.sourceFunc, function) != 0)
            ++*wrongOwners;
        }
      }
    }
    for (void* slot : slots) ::operator delete(slot);
  };
  int allocations[2] = {0, 0};
  int wrongOwners[2] = {0, 0};
  std::thread one(work, 1u, &allocations[0], &wrongOwners[0]);
  std::thread two(work, 2u, &allocations[1], &wrongOwners[1]);
  one.join();
  two.join();
  Stats after = MemoryManager::GetStats();

  const uint64_t total = static_cast<uint64_t>(allocations[0]) + allocations[1];
  EXPECT_EQ(wrongOwners[0] + wrongOwners[1], 0);
  EXPECT_EQ(after.liveUnits, before.liveUnits);
  EXPECT_EQ(after.liveReportedBytes, before.liveReportedBytes);
  EXPECT_EQ(after.liveActualBytes, before.liveActualBytes);
  EXPECT_EQ(after.refusedReleases, before.refusedReleases);
  // The two threads themselves allocate a little (their start records): at least ours.
  EXPECT_GE(after.totalUnits - before.totalUnits, total);
  EXPECT_LE(after.totalUnits - before.totalUnits, total + 8);
  EXPECT_EQ(after.reservoirBlocks * MemoryManager::kReservoirGrowth,
            after.liveUnits + after.reservoirFreeUnits);
  EXPECT_EQ(MemoryManager::ValidateAll(), 0u);
}

}  // namespace

#else

TEST(MemoryManagerTest, NeedsTheTrackingBuild) {
  GTEST_SKIP() << "built without the tracking memory manager (PELLAVO_TRACKING_MEMORY off)";
}

#endif
