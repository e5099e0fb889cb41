#pragma once

namespace swf {
class file_stream;
class movie_interface;
class render_handler;
class sound_handler;
}  // namespace swf

namespace flash {

// The SWF player's driver: while one exists, SWF movie widgets can play. The UI manager
// makes it (InitFlash) and deletes it (ShutdownFlash, before a display-device reset and
// at shutdown). It installs the player's hooks: a file opener over the disk, the log and
// fscommand callbacks, the render handler on the renderer's device and the sound handler
// on the audio layer. Deleting it removes the handlers and empties the movie library, so
// no bitmap or sound of the old handlers outlives them in the library.
class FlashDriver {
 public:
  FlashDriver();
  ~FlashDriver();
  FlashDriver(const FlashDriver&) = delete;
  FlashDriver& operator=(const FlashDriver&) = delete;

  // Movies and their cache files are read from the disk, never from the archives, with
  // the disk's name fallback ("\" to "/", names matched without regard to case).
  static swf::file_stream* file_opener(const char* path);
  static void log_callback(bool error, const char* text);
  // fscommand has no effect in the game: the call is logged.
  static void fs_callback(swf::movie_interface* movie, const char* command, const char* argument);

  swf::render_handler* RenderHandler() const { return renderHandler_; }
  swf::sound_handler* SoundHandler() const { return soundHandler_; }

 private:
  swf::sound_handler* soundHandler_ = nullptr;    // owned
  swf::render_handler* renderHandler_ = nullptr;  // owned
};

}  // namespace flash
