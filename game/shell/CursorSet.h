#pragma once

#include <cstdint>
#include <string>

#include "platform/win32/WinUser.h"

// The game's mouse cursors: the default cursor in slot 0 and the power (spell) cursors in
// slots 1 to 6, read from animated cursor files on the disk. Slot 5 has no power and
// stays empty. The application applies the current cursor every frame, which also steps
// its animation; the spell brushes select cursor k + 1 for brush k and return to 0.
class CursorSet {
 public:
  static constexpr int32_t kSlotCount = 7;
  static constexpr int32_t kEmptySlot = 5;
  static constexpr const char* kDefaultFile = "cursors/cursor_default.ani";
  static constexpr const char* kPowerFilePattern = "cursors/cursor_power%d.ani";

  // The set, created (and its files read) on first use.
  static CursorSet& Instance();
  // The set when it has been created, else null.
  static CursorSet* Existing();
  // Destroys the set and its cursors (process exit; the video system must still exist).
  static void Shutdown();

  CursorSet();
  ~CursorSet();
  CursorSet(const CursorSet&) = delete;
  CursorSet& operator=(const CursorSet&) = delete;

  // Makes slot `index` current and shows it, only when it differs from the current one
  // and holds a cursor.
  void Select(int32_t index);
  // Returns to the default cursor when another one is current.
  void SelectDefault();
  // Shows the current cursor (and steps its animation). An empty slot shows the system's
  // arrow: hiding the pointer would leave the game without one.
  void Apply() const;

  // The path a cursor file is read from: the name in the working folder when it is there,
  // else beside the program.
  static std::string FindFile(const std::string& name);

  int32_t current = 0;
  HCURSOR cursors[kSlotCount] = {};
};
