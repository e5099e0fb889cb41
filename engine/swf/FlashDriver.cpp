#include "engine/swf/FlashDriver.h"

#include <new>
#include <string>

#include "engine/core/Log.h"
#include "engine/core/VFS.h"
#include "engine/graphics/Graphics.h"
#include "engine/graphics/dx8/Dx8Graphics.h"
#include "engine/swf/action/environment.h"
#include "engine/swf/base/file_stream.h"
#include "engine/swf/base/log.h"
#include "engine/swf/movie/movie_def_impl.h"
#include "engine/swf/render/render_handler_d3d.h"
#include "engine/swf/sound/sound_handler_bass.h"

namespace flash {

namespace {

IDirect3DDevice8* RendererDevice() {
  auto* graphics = dynamic_cast<Dx8Graphics*>(GetGraphics());
  return graphics ? graphics->Device() : nullptr;
}

}  // namespace

FlashDriver::FlashDriver() {
  swf::register_file_opener_callback(&FlashDriver::file_opener);
  swf::register_fscommand_callback(&FlashDriver::fs_callback);
  swf::register_log_callback(&FlashDriver::log_callback);
  renderHandler_ = swf::create_render_handler_d3d(RendererDevice());
  soundHandler_ = swf::create_sound_handler_bass();
  swf::set_render_handler(renderHandler_);
  swf::set_sound_handler(soundHandler_);
}

FlashDriver::~FlashDriver() {
  delete soundHandler_;
  soundHandler_ = nullptr;
  delete renderHandler_;
  renderHandler_ = nullptr;
  swf::set_render_handler(nullptr);
  swf::set_sound_handler(nullptr);
  swf::clear_library();
}

swf::file_stream* FlashDriver::file_opener(const char* path) {
  if (!path) return nullptr;
  const std::string resolved = vfs::VFS::ResolveDiskPath(path);
  return new (std::nothrow) swf::file_stream(resolved.c_str(), "rb");
}

void FlashDriver::log_callback(bool error, const char* text) {
  if (!text) return;
  std::string line(text);
  // The player's lines end in a newline of their own.
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
  LOG_LINE(error ? MSG_ERROR : MSG_COMMENT) << line;
}

void FlashDriver::fs_callback(swf::movie_interface*, const char* command, const char* argument) {
  LOG_LINE(MSG_COMMENT) << "fs_callback: '";
  LOG_LINE(MSG_COMMENT) << "   Command  : " << (command ? command : "");
  LOG_LINE(MSG_COMMENT) << "   Argument : " << (argument ? argument : "");
}

}  // namespace flash
