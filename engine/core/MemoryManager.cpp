#include "engine/core/MemoryManager.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <mutex>
#include <new>

// The manager's own storage (records, the reservoir block array) comes from malloc, never
// from operator new, so that no allocation here recurses into the manager.

namespace {

using AllocUnit = MemoryManager::AllocUnit;

constexpr char kUnknown[] = "??";
constexpr size_t kNameLength = sizeof(AllocUnit::sourceFile);

// The owner of the next allocation or release. The audio, HTTP and video threads allocate
// while the main thread runs frames; per-thread owners keep one thread's owner from being
// taken (and reset) by another thread's allocation.
thread_local const char* t_ownerFile = kUnknown;
thread_local int t_ownerLine = 0;
thread_local const char* t_ownerFunc = kUnknown;

// Process-wide tables. Zero-initialised static data without a constructor, so that the
// manager works from the first allocation of the first static initialiser until exit.
struct Tables {
  AllocUnit* hash[MemoryManager::kHashSize];
  AllocUnit* reservoir;
  AllocUnit** reservoirBlocks;
  size_t reservoirBlockCount;
  size_t reservoirBlockCapacity;
  MemoryManager::Stats stats;
};
Tables g_tables;

// Several threads allocate at once (see above): the tables are changed only under this
// lock. Blocks are taken from and returned to the C heap, filled and wiped outside it.
std::mutex g_lock;

std::atomic<MemoryManager::ReleaseObserver> g_releaseObserver{nullptr};

class BadAllocation : public std::bad_alloc {
 public:
  const char* what() const noexcept override { return "bad allocation"; }
};

uint32_t BucketOf(const void* reportedAddress) {
  return static_cast<uint32_t>((reinterpret_cast<uintptr_t>(reportedAddress) >> 4) &
                               (MemoryManager::kHashSize - 1));
}

// The text after the last "\" or, failing that, the last "/".
const char* BaseName(const char* path) {
  if (!path) return kUnknown;
  const char* separator = std::strrchr(path, '\\');
  if (!separator) separator = std::strrchr(path, '/');
  return separator ? separator + 1 : path;
}

void CopyName(char (&dest)[kNameLength], const char* text) {
  if (!text) text = kUnknown;
  size_t i = 0;
  for (; i + 1 < kNameLength && text[i]; ++i) dest[i] = text[i];
  dest[i] = '\0';
}

// Fills whole 32-bit words with the pattern, then the 0 to 3 remaining bytes with the
// pattern's bytes from the lowest up.
void FillPattern(unsigned char* bytes, size_t count, uint32_t pattern) {
  if (pattern == 0) {
    std::memset(bytes, 0, count);
    return;
  }
  // wchar_t is a 32-bit unit here, so the C library's vectorised wmemset fills words.
  static_assert(sizeof(wchar_t) == sizeof(uint32_t));
  size_t words = count / 4;
  std::wmemset(reinterpret_cast<wchar_t*>(bytes), static_cast<wchar_t>(pattern), words);
  for (size_t i = words * 4, shift = 0; i < count; ++i, shift += 8) {
    bytes[i] = static_cast<unsigned char>(pattern >> shift);
  }
}

void WriteGuards(unsigned char* actual, uint32_t actualSize) {
  static constexpr uint32_t kPrefix[4] = {MemoryManager::kPrefixPattern, MemoryManager::kPrefixPattern,
                                          MemoryManager::kPrefixPattern, MemoryManager::kPrefixPattern};
  static constexpr uint32_t kSuffix[4] = {MemoryManager::kSuffixPattern, MemoryManager::kSuffixPattern,
                                          MemoryManager::kSuffixPattern, MemoryManager::kSuffixPattern};
  std::memcpy(actual, kPrefix, MemoryManager::kGuardSize);
  std::memcpy(actual + actualSize - MemoryManager::kGuardSize, kSuffix, MemoryManager::kGuardSize);
}

// Adds a block of records to the reservoir. Called with the lock held.
bool GrowReservoir() {
  auto* block = static_cast<AllocUnit*>(
      std::calloc(MemoryManager::kReservoirGrowth, sizeof(AllocUnit)));
  if (!block) return false;
  for (uint32_t i = 0; i < MemoryManager::kReservoirGrowth; ++i) {
    block[i].next = (i + 1 < MemoryManager::kReservoirGrowth) ? &block[i + 1] : g_tables.reservoir;
  }
  g_tables.reservoir = block;
  g_tables.stats.reservoirBlocks += 1;
  g_tables.stats.reservoirFreeUnits += MemoryManager::kReservoirGrowth;

  // Reservoir blocks are never released; the array only remembers them. When it cannot
  // grow, the block is used all the same.
  if (g_tables.reservoirBlockCount == g_tables.reservoirBlockCapacity) {
    size_t capacity = g_tables.reservoirBlockCapacity ? g_tables.reservoirBlockCapacity * 2 : 16;
    void* grown = std::realloc(g_tables.reservoirBlocks, capacity * sizeof(AllocUnit*));
    if (!grown) return true;
    g_tables.reservoirBlocks = static_cast<AllocUnit**>(grown);
    g_tables.reservoirBlockCapacity = capacity;
  }
  g_tables.reservoirBlocks[g_tables.reservoirBlockCount++] = block;
  return true;
}

void AddToLiveCounters(const AllocUnit& unit) {
  MemoryManager::Stats& s = g_tables.stats;
  s.liveReportedBytes += unit.reportedSize;
  s.liveActualBytes += unit.actualSize;
  s.liveUnits += 1;
  s.totalReportedBytes += unit.reportedSize;
  s.totalActualBytes += unit.actualSize;
  s.totalUnits += 1;
  if (s.liveReportedBytes > s.peakReportedBytes) s.peakReportedBytes = s.liveReportedBytes;
  if (s.liveActualBytes > s.peakActualBytes) s.peakActualBytes = s.liveActualBytes;
  if (s.liveUnits > s.peakUnits) s.peakUnits = s.liveUnits;
}

AllocUnit* FindLocked(const void* reportedAddress) {
  AllocUnit* unit = g_tables.hash[BucketOf(reportedAddress)];
  while (unit && unit->reportedAddress != reportedAddress) unit = unit->next;
  return unit;
}

void* AllocateBlock(size_t size, size_t alignment, const char* file, int line,
                    const char* function, uint32_t type) {
  constexpr size_t kGuards = 2 * MemoryManager::kGuardSize;
  // Sizes are recorded as 32-bit values: a block whose size would not fit is refused
  // rather than recorded (and later wiped) with a wrong size.
  unsigned char* heap = nullptr;
  unsigned char* actual = nullptr;
  uint32_t actualSize = 0;
  if (alignment <= UINT32_MAX / 2 && size <= UINT32_MAX - kGuards - alignment) {
    actualSize = static_cast<uint32_t>(size + kGuards);
    if (alignment <= MemoryManager::kGuardSize) {
      heap = static_cast<unsigned char*>(std::malloc(actualSize));
      actual = heap;
    } else {
      // The caller's bytes must start on the alignment, so the prefix guard sits at the
      // end of a lead-in of one alignment unit.
      size_t lead = alignment - MemoryManager::kGuardSize;
      size_t total = (lead + actualSize + alignment - 1) / alignment * alignment;
      heap = static_cast<unsigned char*>(std::aligned_alloc(alignment, total));
      actual = heap ? heap + lead : nullptr;
    }
  }
  if (heap) {
    FillPattern(actual + MemoryManager::kGuardSize, size, 0);
    WriteGuards(actual, actualSize);
  }

  AllocUnit* unit = nullptr;
  {
    std::lock_guard<std::mutex> lock(g_lock);
    uint32_t number = static_cast<uint32_t>(++g_tables.stats.allocationCount);
    if (heap && (g_tables.reservoir || GrowReservoir())) {
      unit = g_tables.reservoir;
      g_tables.reservoir = unit->next;
      g_tables.stats.reservoirFreeUnits -= 1;

      unit->actualSize = actualSize;
      unit->reportedSize = static_cast<uint32_t>(size);
      unit->actualAddress = actual;
      unit->reportedAddress = actual + MemoryManager::kGuardSize;
      unit->heapAddress = heap;
      unit->sourceLine = static_cast<uint32_t>(line);
      unit->allocationType = type;
      unit->allocationNumber = number;
      CopyName(unit->sourceFile, file ? BaseName(file) : kUnknown);
      CopyName(unit->sourceFunc, function);

      AllocUnit*& head = g_tables.hash[BucketOf(unit->reportedAddress)];
      unit->prev = nullptr;
      unit->next = head;
      if (head) head->prev = unit;
      head = unit;
      AddToLiveCounters(*unit);
    }
  }
  MemoryManager::ResetOwner();
  if (!unit) {
    std::free(heap);  // the reservoir could not grow
    return nullptr;
  }
  return actual + MemoryManager::kGuardSize;
}

void* NewWithHandler(size_t size, size_t alignment, uint32_t type) {
  if (size == 0) size = 1;
  while (true) {
    void* address = AllocateBlock(size, alignment, t_ownerFile, t_ownerLine, t_ownerFunc, type);
    if (address) return address;
    std::new_handler handler = std::get_new_handler();
    if (!handler) throw BadAllocation();
    handler();
  }
}

void* NewOrNull(size_t size, size_t alignment, uint32_t type) noexcept {
  try {
    return NewWithHandler(size, alignment, type);
  } catch (...) {
    return nullptr;
  }
}

void Release(void* address) {
  if (address) MemoryManager::Deallocate(address, t_ownerFile, t_ownerLine, t_ownerFunc);
}

}  // namespace

void MemoryManager::SetOwner(const char* file, int line, const char* function) {
  t_ownerFile = file;
  t_ownerLine = line;
  t_ownerFunc = function;
}

void MemoryManager::ResetOwner() {
  t_ownerFile = kUnknown;
  t_ownerLine = 0;
  t_ownerFunc = kUnknown;
}

void* MemoryManager::Allocate(size_t size, const char* file, int line, const char* function,
                              uint32_t type) {
  return AllocateBlock(size, 0, file, line, function, type);
}

void* MemoryManager::AllocateAligned(size_t size, size_t alignment, const char* file, int line,
                                     const char* function, uint32_t type) {
  return AllocateBlock(size, alignment, file, line, function, type);
}

void MemoryManager::Deallocate(void* address, const char* file, int line, const char* function) {
  unsigned char* heap = nullptr;
  unsigned char* actual = nullptr;
  uint32_t actualSize = 0;
  uint32_t reportedSize = 0;
  {
    std::lock_guard<std::mutex> lock(g_lock);
    AllocUnit* unit = address ? FindLocked(address) : nullptr;
    if (!unit) {
      if (address) g_tables.stats.refusedReleases += 1;
    } else {
      if (unit->prev) {
        unit->prev->next = unit->next;
      } else {
        g_tables.hash[BucketOf(address)] = unit->next;
      }
      if (unit->next) unit->next->prev = unit->prev;

      Stats& s = g_tables.stats;
      s.liveReportedBytes -= unit->reportedSize;
      s.liveActualBytes -= unit->actualSize;
      s.liveUnits -= 1;

      heap = static_cast<unsigned char*>(unit->heapAddress);
      actual = static_cast<unsigned char*>(unit->actualAddress);
      actualSize = unit->actualSize;
      reportedSize = unit->reportedSize;

      unit->next = g_tables.reservoir;
      g_tables.reservoir = unit;
      s.reservoirFreeUnits += 1;
    }
  }
  ResetOwner();
  if (!heap) return;

  // The block left the table above, so no other thread reaches it any more.
  FillPattern(actual + kGuardSize, reportedSize, kReleasePattern);
  WriteGuards(actual, actualSize);
  if (ReleaseObserver observer = g_releaseObserver.load(std::memory_order_acquire)) {
    observer(actual + kGuardSize, reportedSize);
  }
  std::free(heap);
}

bool MemoryManager::ValidateAllocUnit(const AllocUnit* unit) {
  if (!unit || !unit->actualAddress) return false;
  const auto* actual = static_cast<const unsigned char*>(unit->actualAddress);
  for (uint32_t i = 0; i < 4; ++i) {
    uint32_t prefix;
    uint32_t suffix;
    std::memcpy(&prefix, actual + i * 4, 4);
    std::memcpy(&suffix, actual + unit->actualSize - kGuardSize + i * 4, 4);
    if (prefix != kPrefixPattern || suffix != kSuffixPattern) return false;
  }
  return true;
}

uint32_t MemoryManager::ValidateAll() {
  std::lock_guard<std::mutex> lock(g_lock);
  uint64_t found = 0;
  uint32_t failures = 0;
  for (AllocUnit* head : g_tables.hash) {
    for (AllocUnit* unit = head; unit; unit = unit->next) {
      ++found;
      if (!ValidateAllocUnit(unit)) ++failures;
    }
  }
  if (found != g_tables.stats.liveUnits) ++failures;
  return failures;
}

const char* MemoryManager::OwnerString(const char* file, int line, const char* function) {
  thread_local char text[90];
  std::snprintf(text, sizeof text, "%s(%05d)::%s", BaseName(file), line,
                function ? function : kUnknown);
  return text;
}

const char* MemoryManager::InsertCommas(uint32_t value) {
  thread_local char text[30];
  std::snprintf(text, sizeof text, "%u", value);
  // A comma before the last 3, 7 and 11 characters, each when the text is longer.
  for (size_t tail : {size_t{3}, size_t{7}, size_t{11}}) {
    size_t length = std::strlen(text);
    if (length <= tail) break;
    std::memmove(text + length - tail + 1, text + length - tail, tail + 1);
    text[length - tail] = ',';
  }
  return text;
}

const char* MemoryManager::MemorySizeString(uint32_t size) {
  thread_local char text[64];
  const char* commas = InsertCommas(size);
  if (size > 1048576u) {
    std::snprintf(text, sizeof text, "%10s (%7.2fM)", commas, size / 1048576.0f);
  } else if (size > 1024u) {
    std::snprintf(text, sizeof text, "%10s (%7.2fK)", commas, size / 1024.0f);
  } else {
    std::snprintf(text, sizeof text, "%10s bytes     ", commas);
  }
  return text;
}

MemoryManager::Stats MemoryManager::GetStats() {
  std::lock_guard<std::mutex> lock(g_lock);
  return g_tables.stats;
}

bool MemoryManager::FindAllocUnit(const void* reportedAddress, AllocUnit* copy) {
  std::lock_guard<std::mutex> lock(g_lock);
  const AllocUnit* unit = FindLocked(reportedAddress);
  if (!unit) return false;
  if (copy) *copy = *unit;
  return true;
}

void MemoryManager::SetReleaseObserver(ReleaseObserver observer) {
  g_releaseObserver.store(observer, std::memory_order_release);
}

// The global allocation functions. Every form is replaced, sized, array, nothrow and
// aligned alike: a form left to the C++ runtime would hand one of our offset addresses
// to the C heap's free (or one of its own blocks to our release, which ignores it).

void* operator new(std::size_t size) {
  return NewWithHandler(size, 0, MemoryManager::kTypeNew);
}
void* operator new[](std::size_t size) {
  return NewWithHandler(size, 0, MemoryManager::kTypeNewArray);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  return NewOrNull(size, 0, MemoryManager::kTypeNew);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  return NewOrNull(size, 0, MemoryManager::kTypeNewArray);
}
void* operator new(std::size_t size, std::align_val_t alignment) {
  return NewWithHandler(size, static_cast<size_t>(alignment), MemoryManager::kTypeNew);
}
void* operator new[](std::size_t size, std::align_val_t alignment) {
  return NewWithHandler(size, static_cast<size_t>(alignment), MemoryManager::kTypeNewArray);
}
void* operator new(std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept {
  return NewOrNull(size, static_cast<size_t>(alignment), MemoryManager::kTypeNew);
}
void* operator new[](std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept {
  return NewOrNull(size, static_cast<size_t>(alignment), MemoryManager::kTypeNewArray);
}

void operator delete(void* address) noexcept { Release(address); }
void operator delete[](void* address) noexcept { Release(address); }
void operator delete(void* address, std::size_t) noexcept { Release(address); }
void operator delete[](void* address, std::size_t) noexcept { Release(address); }
void operator delete(void* address, const std::nothrow_t&) noexcept { Release(address); }
void operator delete[](void* address, const std::nothrow_t&) noexcept { Release(address); }
void operator delete(void* address, std::align_val_t) noexcept { Release(address); }
void operator delete[](void* address, std::align_val_t) noexcept { Release(address); }
void operator delete(void* address, std::size_t, std::align_val_t) noexcept { Release(address); }
void operator delete[](void* address, std::size_t, std::align_val_t) noexcept { Release(address); }
void operator delete(void* address, std::align_val_t, const std::nothrow_t&) noexcept {
  Release(address);
}
void operator delete[](void* address, std::align_val_t, const std::nothrow_t&) noexcept {
  Release(address);
}
