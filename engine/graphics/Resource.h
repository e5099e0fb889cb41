#pragma once

#include <cstdint>
#include <string>

#include "engine/core/VFS.h"

namespace res {

enum class ResourceState : int {
  New = 0,
  Reading = 1,
  DataLoaded = 2,
  TextureReady = 3,
  Released = 4,
  Failed = 5,
};

// Something built from the bytes of one file: read through the file system, then turned
// into its usable form by InitializeResource. The resource manager keeps one per name.
class Resource {
 public:
  Resource() = default;
  virtual ~Resource();
  Resource(const Resource&) = delete;
  Resource& operator=(const Resource&) = delete;

  // Unload, then Load.
  virtual void Reload();
  // Reads the file bytes (archive first, then disk) and builds the resource from them.
  virtual void Load();
  // Builds the usable object from the bytes.
  virtual void InitializeResource() = 0;
  // Drops the built object.
  virtual void Unload() = 0;

  // Names the resource (lower-cased; the path keeps the name as passed) and loads it.
  // False for an empty name or when loading failed.
  bool Init(const std::string& resourceName);
  // Fills the resource from a copy of the caller's bytes instead of a file.
  void FromMemory(const void* data, uint32_t size);

  std::string name;       // lower-cased
  std::string path;       // as passed, read through the file system
  std::string extension;  // lower-cased text after the last "."
  ResourceState state = ResourceState::New;
  vfs::File file;
};

// Makes a new, empty resource of the class registered for an extension.
using ResourceConstructor = Resource* (*)();

// The text after the last "." of a name; the whole name when it has no ".".
std::string ExtensionOf(const std::string& name);

}  // namespace res
