#pragma once

#include <cstddef>
#include <cstdint>

// The tracking allocator behind every global operator new and delete of the process.
//
// Each block records who asked for it (source file base name, line, "Class::Method"),
// carries 16 guard bytes on each side (0xBAADF00D four times before, 0xDEADC0DE four
// times after), is handed out filled with zero bytes and is wiped with 0xDEADBEEF when
// released. A release of an address the manager never handed out is ignored.
//
// An allocation site names its owner just before it allocates:
//
//     MEMORY_OWNER("Console::AddLine");
//     Line* line = new Line(text);
//
// The owner is used by the next allocation or release of the same thread and then
// reset to "??". Blocks allocated without an owner carry "??".
//
// The manager is linked into executables only (never into a library), and only when the
// build has PELLAVO_TRACKING_MEMORY on; sanitizer builds use the C heap directly. Library
// code therefore names owners through MEMORY_OWNER, which compiles to nothing then.
class MemoryManager {
 public:
  // Values of AllocUnit::allocationType.
  static constexpr uint32_t kTypeNew = 1;
  static constexpr uint32_t kTypeNewArray = 2;
  static constexpr uint32_t kTypeZeroed = 4;

  static constexpr uint32_t kGuardSize = 16;
  static constexpr uint32_t kPrefixPattern = 0xBAADF00Du;
  static constexpr uint32_t kSuffixPattern = 0xDEADC0DEu;
  static constexpr uint32_t kReleasePattern = 0xDEADBEEFu;
  static constexpr uint32_t kHashSize = 4096;
  static constexpr uint32_t kReservoirGrowth = 256;

  // The record of one live block.
  struct AllocUnit {
    uint32_t actualSize;      // reportedSize + 32: the caller's bytes and both guards
    uint32_t reportedSize;    // bytes the caller asked for
    void* actualAddress;      // start of the prefix guard
    void* reportedAddress;    // actualAddress + 16, the address handed to the caller
    char sourceFile[40];      // base name of the owner file, "??" when none was set
    char sourceFunc[40];      // owner function, "??" when none was set
    uint32_t sourceLine;
    uint32_t allocationType;  // kTypeNew, kTypeNewArray or kTypeZeroed
    uint32_t allocationNumber;
    AllocUnit* next;          // hash chain; also links the free reservoir
    AllocUnit* prev;
    void* heapAddress;        // the C-heap block (before actualAddress for over-aligned blocks)
  };

  // Counters over the whole process (all threads).
  struct Stats {
    uint64_t allocationCount;      // allocation attempts, successful or not
    uint64_t liveReportedBytes;
    uint64_t liveActualBytes;
    uint64_t liveUnits;
    uint64_t peakReportedBytes;
    uint64_t peakActualBytes;
    uint64_t peakUnits;
    uint64_t totalReportedBytes;   // sums over the whole run
    uint64_t totalActualBytes;
    uint64_t totalUnits;
    uint64_t reservoirBlocks;      // blocks of kReservoirGrowth records made so far
    uint64_t reservoirFreeUnits;   // records waiting in the reservoir
    uint64_t refusedReleases;      // releases of addresses that no record holds
  };

  // Owner of the calling thread's next allocation or release.
  static void SetOwner(const char* file, int line, const char* function);
  static void ResetOwner();

  // Returns the caller's address, or null when the C heap refuses. Resets the owner.
  static void* Allocate(size_t size, const char* file, int line, const char* function,
                        uint32_t type);
  // Blocks whose alignment is above 16 bytes (the aligned forms of operator new).
  static void* AllocateAligned(size_t size, size_t alignment, const char* file, int line,
                               const char* function, uint32_t type);
  // Releases a block handed out by Allocate; any other address is ignored. Resets the owner.
  static void Deallocate(void* address, const char* file, int line, const char* function);

  // True when both guards of the record are intact.
  static bool ValidateAllocUnit(const AllocUnit* unit);
  // Checks every live block; returns the number of damaged ones, plus one when the
  // number of records found differs from the live count. 0 means all is well.
  static uint32_t ValidateAll();

  // Diagnostics. Each text lives in a buffer of the calling thread that the next call
  // of the same function overwrites.
  // "%s(%05d)::%s" of the file's base name, the line and the function.
  static const char* OwnerString(const char* file, int line, const char* function);
  // "4294967295" becomes "4,294,967,295".
  static const char* InsertCommas(uint32_t value);
  // "%10s (%7.2fM)" above 1048576 bytes, "%10s (%7.2fK)" above 1024, else "%10s bytes     ".
  static const char* MemorySizeString(uint32_t size);

  // Test hooks.
  static Stats GetStats();
  // Copies the record of a live block; false when the address is not one.
  static bool FindAllocUnit(const void* reportedAddress, AllocUnit* copy);
  // Called with the caller's address and size after a released block has been wiped and
  // before it returns to the C heap, so that tests can look at the wipe without reading
  // freed memory. Null turns it off.
  using ReleaseObserver = void (*)(const void* reportedAddress, uint32_t reportedSize);
  static void SetReleaseObserver(ReleaseObserver observer);
};

#if defined(PELLAVO_TRACKING_MEMORY) && PELLAVO_TRACKING_MEMORY
#define MEMORY_OWNER(function) ::MemoryManager::SetOwner(__FILE__, __LINE__, (function))
#else
#define MEMORY_OWNER(function) ((void)0)
#endif
