#include "engine/graphics/Surface.h"

#include "engine/core/Log.h"

void Surface::InitializeResource() {
  if (state == res::ResourceState::Released) {
    Load();  // reads the file again and comes back here
    return;
  }
  if (state != res::ResourceState::DataLoaded) {
    LOG_LINE(MSG_WARNING) << "Surface " << name << " not yet loaded!";
    return;
  }
  InitTexture();
  file.data.reset();
  file.size = 0;
}

void Surface::Unload() { state = res::ResourceState::Released; }
