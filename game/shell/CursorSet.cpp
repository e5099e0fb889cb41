#include "game/shell/CursorSet.h"

#include <cstdio>
#include <filesystem>
#include <memory>
#include <system_error>

namespace {

std::unique_ptr<CursorSet>& Slot() {
  static std::unique_ptr<CursorSet> set;
  return set;
}

HCURSOR LoadCursorFile(const std::string& name) {
  const std::string path = CursorSet::FindFile(name);
  return static_cast<HCURSOR>(
      LoadImageA(nullptr, path.c_str(), IMAGE_CURSOR, 0, 0, LR_LOADFROMFILE | LR_DEFAULTSIZE));
}

}  // namespace

CursorSet& CursorSet::Instance() {
  std::unique_ptr<CursorSet>& set = Slot();
  if (!set) set = std::make_unique<CursorSet>();
  return *set;
}

CursorSet* CursorSet::Existing() { return Slot().get(); }

void CursorSet::Shutdown() { Slot().reset(); }

std::string CursorSet::FindFile(const std::string& name) {
  namespace fs = std::filesystem;
  std::error_code error;
  if (fs::is_regular_file(name, error)) return name;
  const fs::path program = fs::read_symlink("/proc/self/exe", error);
  if (!error) {
    const fs::path beside = program.parent_path() / name;
    if (fs::is_regular_file(beside, error)) return beside.string();
  }
  // Not found either way: the reader's log line names the file it looked for.
  return name;
}

CursorSet::CursorSet() {
  cursors[0] = LoadCursorFile(kDefaultFile);
  for (int32_t i = 1; i < kSlotCount; ++i) {
    if (i == kEmptySlot) continue;
    char name[64];
    std::snprintf(name, sizeof name, kPowerFilePattern, static_cast<int>(i));
    cursors[i] = LoadCursorFile(name);
  }
  current = 0;
  Apply();
}

CursorSet::~CursorSet() {
  // The system must not keep showing a cursor that is about to be freed.
  for (HCURSOR cursor : cursors) {
    if (cursor) {
      SetCursor(LoadCursorA(nullptr, IDC_ARROW));
      break;
    }
  }
  for (HCURSOR& cursor : cursors) {
    if (cursor) DestroyCursor(cursor);
    cursor = nullptr;
  }
}

void CursorSet::Select(int32_t index) {
  if (index < 0 || index >= kSlotCount || index == current || !cursors[index]) return;
  current = index;
  Apply();
}

void CursorSet::SelectDefault() {
  if (current == 0) return;
  current = 0;
  Apply();
}

void CursorSet::Apply() const {
  const HCURSOR cursor = current >= 0 && current < kSlotCount ? cursors[current] : nullptr;
  SetCursor(cursor ? cursor : LoadCursorA(nullptr, IDC_ARROW));
}
