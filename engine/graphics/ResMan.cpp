#include "engine/graphics/ResMan.h"

#include "engine/core/Log.h"

namespace res {

ResMan& ResMan::Get() {
  static ResMan instance;
  return instance;
}

ResMan::ResMan() {
  // The resources log when they go; the log must outlive this manager.
  Log::Instance();
}

ResMan::~ResMan() { ReleaseAll(); }

void ResMan::AddResourceConstructor(const std::string& extension,
                                    ResourceConstructor constructor) {
  if (Loader* loader = loaders_.Find(extension)) {
    loader->constructor = constructor;
    LOG_LINE(MSG_WARNING) << "Double register extension " << extension << " in resource manager";
    return;
  }
  Loader* loader = new Loader;
  loader->constructor = constructor;
  loaders_.Insert(extension, loader);
  LOG_LINE(MSG_INIT) << "Register extension " << extension << " in resource manager";
}

Resource* ResMan::LoadResource(const std::string& resourceName) {
  const Loader* loader = loaders_.Find(ExtensionOf(resourceName));
  if (!loader || !loader->constructor) {
    LOG_LINE(MSG_ERROR) << "Unable to find loader function for resource " << resourceName;
    return nullptr;
  }
  Resource* resource = loader->constructor();
  if (!resource) {
    LOG_LINE(MSG_ERROR) << "Unable to find create resource " << resourceName;
    return nullptr;
  }
  if (!resource->Init(resourceName)) {
    delete resource;
    LOG_LINE(MSG_ERROR) << "Error loading resource " << resourceName;
    return nullptr;
  }
  if (!resources_.Insert(resourceName, resource)) {
    // Loaded twice under one name (a caller that did not look first): keep the first, so
    // that no surface is lost while images point at it.
    delete resource;
    return resources_.Find(resourceName);
  }
  return resource;
}

Resource* ResMan::FindResource(const std::string& resourceName) const {
  return resources_.Find(resourceName);
}

void ResMan::ReloadAll() {
  for (const auto& entry : resources_) {
    entry.second->Unload();
    entry.second->InitializeResource();
  }
}

void ResMan::ReleaseAll() { resources_.Clear(); }

}  // namespace res
