#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "engine/app/InputListener.h"

class LuaState;
class Font;
class Image;

namespace console {

// A script bound to a DirectInput key code; one binding per key.
struct KeyBinding {
  int32_t key = 0;
  std::string script;
};

// The in-game Lua console and the owner of the main Lua state, in which the engine and
// the game register every script class and function and run every script text
// ("QuitGame()", a widget's event script, a state's enter script) through Do.
//
// As a tool it is a pull-down text area showing the newest log lines and commands, with a
// command line and its history; it also runs the scripts bound to keys, open or not. It
// receives every text the log writes (it installs itself as the log's callback).
class Console : public input::KeyboardListener {
 public:
  static constexpr size_t kMaxLines = 50;
  // Commands kept for Up and Down; the oldest go first.
  static constexpr size_t kMaxHistory = 100;

  // Registers with the keyboard (when the devices exist) and becomes the log's receiver.
  Console();
  // Unregisters. The last console to go gives the log back the callback it had before
  // (none for the process-wide console), so that lines logged later during the exit
  // reach only the log file; while another console exists, it receives the log.
  ~Console() override;

  // Creates the main state, runs the console script (its "Console" table may set the
  // geometry), and registers "Console", "GetConsole", "ConfigFile" and "GetConfig" in it.
  // A missing or broken script is logged; the state exists all the same.
  void Init(const std::string& fileName);
  // Destroys the main state and the background; afterwards Do and key scripts do nothing.
  void Shutdown();

  // Runs the text in the main state, then adds it to the lines. Nothing at all without a
  // state or for an empty text. A failing script reaches the log (and so the lines).
  void Do(const std::string& script);
  // Adds a line: an empty text is ignored, one trailing newline is dropped, and only the
  // newest kMaxLines lines are kept. Never logs (it runs inside the log).
  void Print(const std::string& text);
  // Replaces the script of the key's binding, else appends a binding.
  void BindKey(int32_t key, const std::string& script);
  // Draws the console when it is open: the background over the top backgroundHeight of
  // the play area, the lines stacked upward from textHeight (the newest lowest), and the
  // command line at promptPos, which is queued as it is and flushed with the text queue.
  void Render();

  // Key bindings first (always); then, closed, the console key (grave or NumLock) opens
  // it; open, editing keys, history and typed characters work on the command line.
  void KeyPressed(const input::KeyEvent* event) override;

  LuaState* GetState() const { return state; }
  bool IsOpen() const { return open; }
  std::vector<std::string> GetLines() const;
  const std::vector<std::string>& GetHistory() const { return history; }
  const std::string& GetInput() const { return input; }
  const std::vector<KeyBinding>& GetBindings() const { return bindings; }

  // The log's callback: hands each text the log writes to the instance's Print.
  static void LogSink(const char* text);

  Font* font = nullptr;  // "ConsoleFont", the font manager's
  bool open = false;
  Image* background = nullptr;  // "ui_img/blue.png", the console's own
  float promptPos = 0.4f;
  float backgroundHeight = 0.45f;
  float textHeight = 0.35f;

 protected:
  // The character a key code types under the keyboard layout (0 for none). Kept apart so
  // that a layout which yields characters beyond ASCII can be tried.
  virtual uint16_t CharacterOf(uint32_t code) const;

 private:
  void SetFont();
  void LoadBackground();
  bool ShiftHeld() const;

  std::vector<std::string> lines;
  mutable std::mutex linesMutex;  // the log may call Print from another thread
  std::string input;
  LuaState* state = nullptr;
  uint32_t historyIndex = 0;
  std::vector<std::string> history;
  std::vector<KeyBinding> bindings;
};

// The process-wide console, created on first use (Lua global "GetConsole").
Console& GetConsole();

// Registers the Lua class "Console" (method "Do") and the global "GetConsole"; false (and
// a log line) when luabind refuses.
bool RegisterConsole(LuaState* state);

}  // namespace console
