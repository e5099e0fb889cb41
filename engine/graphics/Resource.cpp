#include "engine/graphics/Resource.h"

#include <cstring>

#include "engine/core/Log.h"
#include "engine/core/StringUtil.h"

namespace res {

namespace {

}  // namespace

std::string ExtensionOf(const std::string& name) {
  const size_t dot = name.rfind('.');
  return dot == std::string::npos ? name : name.substr(dot + 1);
}

Resource::~Resource() = default;

void Resource::Reload() {
  Unload();
  Load();
}

void Resource::Load() {
  state = ResourceState::Reading;
  if (vfs::VFS::Instance().LoadFile(path, file)) {
    state = ResourceState::DataLoaded;
    InitializeResource();
  } else {
    LOG_LINE(MSG_ERROR) << "Unable to load surface " << name;
    state = ResourceState::Failed;
  }
}

bool Resource::Init(const std::string& resourceName) {
  name = ToLowerCase(resourceName);
  path = resourceName;
  extension = ToLowerCase(ExtensionOf(resourceName));
  if (path.empty()) {
    LOG_LINE(MSG_WARNING) << "Unable to find resource " << name;
    return false;
  }
  Load();
  return state != ResourceState::Failed;
}

void Resource::FromMemory(const void* data, uint32_t size) {
  name = "FROM_MEMORY";
  path = "MEMORY";
  extension.clear();
  file.Release();
  file.name = name;
  file.data.reset(new uint8_t[size > 0 ? size : 1]);
  if (size > 0) std::memcpy(file.data.get(), data, size);
  file.size = size;
  state = ResourceState::DataLoaded;
}

}  // namespace res
