#pragma once

#include <string>

#include "engine/core/StringMap.h"
#include "engine/graphics/Resource.h"

namespace res {

// The process-wide resource manager: one resource per name (names compare without regard
// to case), made on first request by the constructor registered for the name's extension.
class ResMan {
 public:
  static ResMan& Get();

  ResMan();
  ~ResMan();
  ResMan(const ResMan&) = delete;
  ResMan& operator=(const ResMan&) = delete;

  // Registers the constructor of an extension; a second registration replaces the first.
  void AddResourceConstructor(const std::string& extension, ResourceConstructor constructor);
  // Makes and loads the resource of a name; null (with a log line) when there is no
  // constructor for its extension or loading fails. A failed name is not kept, so a later
  // request tries again.
  Resource* LoadResource(const std::string& resourceName);
  // The loaded resource of a name, or null.
  Resource* FindResource(const std::string& resourceName) const;
  // Rebuilds every resource from its file.
  void ReloadAll();
  // Deletes every resource. Images that point at them must not be used afterwards.
  void ReleaseAll();

  size_t ResourceCount() const { return resources_.Size(); }

 private:
  struct Loader {
    ResourceConstructor constructor = nullptr;
  };

  StringMap<Loader> loaders_;
  StringMap<Resource> resources_;
};

}  // namespace res
