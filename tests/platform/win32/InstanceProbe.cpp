// A second start of a program: instance_probe <instance folder> <class name>.
// Exit status: 10 when no other start holds the lock (this one took it), 2 when the
// other start was asked to come to the front, 3 when it was also asked to restore itself
// from the taskbar, 1 when it could not be reached.

#include "platform/win32/SingleInstance.h"
#include "platform/win32/WinUser.h"

int main(int argc, char** argv) {
  if (argc != 3) return 64;
  plat::SetInstanceFolder(argv[1]);
  HWND other = FindWindowA(argv[2], nullptr);
  if (!other) return 10;
  if (!SetForegroundWindow(other)) return 1;
  if (IsIconic(other)) {
    ShowWindow(other, SW_RESTORE);
    return 3;
  }
  return 2;
}
