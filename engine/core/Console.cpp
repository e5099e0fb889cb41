#include "engine/core/Console.h"

#include <algorithm>

#include "engine/app/Input.h"
#include "engine/app/Keyboard.h"
#include "engine/core/ConfigFile.h"
#include "engine/core/Log.h"
#include "engine/core/Script.h"
#include "engine/graphics/Font.h"
#include "engine/graphics/FontManager.h"
#include "engine/graphics/Graphics.h"
#include "engine/graphics/Image.h"
#include "platform/dinput/DInput.h"
#include "platform/luaplus/LuaState.h"

namespace console {

namespace {

constexpr const char* kBackgroundImage = "ui_img/blue.png";
constexpr const char* kFontName = "ConsoleFont";
constexpr const char* kFontFace = "times new roman";
constexpr int kFontWidth = 10;
constexpr int kFontHeight = 14;
constexpr int kFontWeight = 500;
constexpr int kFontCharset = 129;
constexpr int kFontLineSpacing = 2;

// The consoles that exist, oldest first; the newest receives the log's texts. Never
// destroyed: the process-wide console goes at exit, after which this must still be there.
std::vector<Console*>& Consoles() {
  static std::vector<Console*>* consoles = new std::vector<Console*>;
  return *consoles;
}
// The log's callback before the first console took it over.
Log::Callback g_callbackBeforeConsoles = nullptr;

}  // namespace

Console& GetConsole() {
  static Console instance;
  return instance;
}

Console::Console() {
  Log& log = Log::Instance();
  std::lock_guard<std::recursive_mutex> lock(log.LineMutex());
  if (Consoles().empty()) g_callbackBeforeConsoles = log.callback;
  Consoles().push_back(this);
  log.callback = &Console::LogSink;
}

Console::~Console() {
  Log& log = Log::Instance();
  {
    std::lock_guard<std::recursive_mutex> lock(log.LineMutex());
    std::vector<Console*>& consoles = Consoles();
    consoles.erase(std::remove(consoles.begin(), consoles.end(), this), consoles.end());
    if (consoles.empty() && log.callback == &Console::LogSink) log.callback = g_callbackBeforeConsoles;
  }
  Shutdown();
}

void Console::LogSink(const char* text) {
  if (!text || Consoles().empty()) return;
  Consoles().back()->Print(text);
}

void Console::Init(const std::string& fileName) {
  // A console first used before the input devices existed (a log line or a close request
  // early in the start) joins the keyboard now, or its key bindings would never run.
  if (!keyboard) {
    keyboard = input::GetDevices().keyboard;
    if (keyboard) keyboard->AddListener(this);
  }
  if (state) LuaState::Destroy(state);
  state = script::CreateLuaState(script::StateUse::Resident);
  if (!script::LoadScript(state, fileName)) {
    LOG_LINE(MSG_WARNING) << "Unable to open Console file " << fileName;
  }
  LoadBackground();
  textHeight = script::GetGlobalFloat(state, "Console", "TextHeight", textHeight);
  promptPos = script::GetGlobalFloat(state, "Console", "PromptPos", promptPos);
  backgroundHeight = script::GetGlobalFloat(state, "Console", "BackgroundHeight", backgroundHeight);
  RegisterConsole(state);
  config::RegisterConfigFile(state);
  SetFont();
}

void Console::LoadBackground() {
  delete background;
  background = nullptr;
  if (Graphics* graphics = GetGraphics()) background = graphics->LoadImage(kBackgroundImage);
}

void Console::SetFont() {
  FontManager& fonts = FontManager::Get();
  font = fonts.FindFont(kFontName);
  if (font) {
    font->Resize(kFontFace, kFontWidth, kFontHeight, kFontWeight, kFontCharset);
  } else {
    font = fonts.CreateFont(kFontName, kFontFace, kFontWidth, kFontHeight, kFontWeight,
                            kFontCharset);
  }
  if (font) font->lineSpacing = kFontLineSpacing;
}

void Console::Shutdown() {
  delete background;
  background = nullptr;
  if (state) {
    LuaState::Destroy(state);
    state = nullptr;
  }
}

void Console::Do(const std::string& script) {
  if (!state || script.empty()) return;
  // Run from a copy: the text may belong to an object that the script itself replaces or
  // frees (a transition's phase, a widget), and it is echoed after the script has run.
  const std::string text = script;
  state->DoString(text.c_str());
  Print(text);
}

void Console::Print(const std::string& text) {
  if (text.empty()) return;
  std::string line = text;
  if (line.back() == '\n') line.pop_back();
  std::lock_guard<std::mutex> lock(linesMutex);
  lines.push_back(std::move(line));
  if (lines.size() > kMaxLines) lines.erase(lines.begin(), lines.end() - kMaxLines);
}

std::vector<std::string> Console::GetLines() const {
  std::lock_guard<std::mutex> lock(linesMutex);
  return lines;
}

void Console::BindKey(int32_t key, const std::string& script) {
  for (KeyBinding& binding : bindings) {
    if (binding.key == key) {
      binding.script = script;
      return;
    }
  }
  bindings.push_back(KeyBinding{key, script});
}

void Console::Render() {
  if (!open) return;
  Graphics* graphics = GetGraphics();
  if (!graphics) return;

  if (background) {
    background->Update();
    graphics->SetTexture(0, background);
    ScreenVertex quad[6];
    BuildScreenQuad({0.0f, 0.0f}, {1.0f, backgroundHeight}, {0.0f, 0.0f}, {1.0f, 1.0f},
                    0xFFFFFFFF, quad);
    graphics->SetRenderState(RS_SrcBlend, BF_SrcAlpha);
    graphics->SetRenderState(RS_DestBlend, BF_InvSrcAlpha);
    graphics->DrawArray(quad, 6, PT_Triangles);
  }
  if (!font) return;

  // The newest line ends at textHeight; older lines stack upward while they fit.
  const std::vector<std::string> shown = GetLines();
  float y = textHeight;
  for (auto line = shown.rbegin(); line != shown.rend() && y > 0.0f; ++line) {
    math::Vec2 position(0.0f, 0.0f);
    math::Vec2 size(0.0f, 0.0f);
    font->GetTextSize(*line, {1.0f, 0.0f}, position, size, 16);
    y -= size.y;
    font->DrawText(*line, {0.02f, y}, {1.0f, 1.0f}, 16, 0xFFFFFFFF, 0);
  }

  // The command line is the player's text: queued as it is, so a "%" shows as typed.
  FontManager& fonts = FontManager::Get();
  fonts.PrintFont(font, {0.01f, promptPos}, input);
  fonts.RenderText();
}

bool Console::ShiftHeld() const {
  // Looked up now rather than kept: the devices may have been made again since.
  const input::Keyboard* device = input::GetDevices().keyboard;
  return device && (device->IsDown(DIK_LSHIFT) || device->IsDown(DIK_RSHIFT));
}

uint16_t Console::CharacterOf(uint32_t code) const {
  uint16_t chars[2] = {0, 0};
  input::ScanCodeToAscii(code, chars);
  return chars[0];
}

void Console::KeyPressed(const input::KeyEvent* event) {
  if (!event) return;
  const bool shift = ShiftHeld();
  const uint32_t code = event->code;

  // By index, and each script run from a copy: a bound script may bind keys itself.
  for (size_t i = 0; i < bindings.size(); ++i) {
    if (static_cast<uint32_t>(bindings[i].key) != code) continue;
    const std::string script = bindings[i].script;
    Do(script);
  }

  if (!open) {
    if (code == DIK_GRAVE || code == DIK_NUMLOCK) open = true;
    return;
  }

  switch (code) {
    case DIK_BACK:
      if (!input.empty()) input.pop_back();
      break;
    case DIK_RETURN: {
      const std::string command = input;
      input.clear();
      Print(command);
      Do(command);
      history.push_back(command);
      // Bounded: a long session must not grow the history without end.
      if (history.size() > kMaxHistory) history.erase(history.begin(), history.end() - kMaxHistory);
      historyIndex = static_cast<uint32_t>(history.size());
      break;
    }
    case DIK_GRAVE:
    case DIK_NUMLOCK:
      open = false;
      break;
    case DIK_LSHIFT:
    case DIK_RSHIFT:
    case DIK_LEFT:
    case DIK_RIGHT:
      break;
    case DIK_UP:
      if (historyIndex > 0) {
        --historyIndex;
        input = history[historyIndex];
      }
      break;
    case DIK_DOWN:
      if (historyIndex + 1 < history.size()) {
        ++historyIndex;
        input = history[historyIndex];
      }
      break;
    case DIK_INSERT:
      if (shift) {
        std::string clipboard;
        const input::Keyboard* device = input::GetDevices().keyboard;
        if (device && device->GetClipboardText(clipboard)) input += clipboard;
      }
      break;
    default: {
      // Printable ASCII only: DEL (0x7F) and everything above it are not typed.
      const uint16_t character = CharacterOf(code);
      if (character >= 0x20 && character <= 0x7E) input += static_cast<char>(character);
      break;
    }
  }
}

}  // namespace console
