// The paths of a WM_DROPFILES message.

#include <algorithm>
#include <cstring>

#include "platform/win32/KernelApi.h"
#include "platform/win32/MessageQueue.h"
#include "platform/win32/ShellApi.h"

UINT DragQueryFileA(HDROP drop, UINT index, LPSTR buffer, UINT size) {
  const std::vector<std::string>* files = plat::MessageQueue::Instance().DropFiles(drop);
  if (!files) {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  if (index == 0xFFFFFFFFu) return static_cast<UINT>(files->size());
  if (index >= files->size()) return 0;
  const std::string& path = (*files)[index];
  if (!buffer) return static_cast<UINT>(path.size());
  if (size == 0) return 0;
  // A path longer than the buffer is cut to fit, terminator included.
  const size_t copied = std::min<size_t>(path.size(), size - 1);
  std::memcpy(buffer, path.data(), copied);
  buffer[copied] = '\0';
  return static_cast<UINT>(copied);
}

void DragFinish(HDROP drop) { plat::MessageQueue::Instance().FreeDrop(drop); }
