#include "engine/app/Script.h"

#include <strings.h>

#include "engine/app/Audio.h"
#include "engine/app/GameApp.h"
#include "engine/app/GameRMS.h"
#include "engine/core/ProcessObjects.h"
#include "engine/core/StrMan.h"
#include "engine/core/Timer.h"
#include "engine/graphics/Font.h"
#include "engine/graphics/FontManager.h"
#include "engine/graphics/Graphics.h"
#include "platform/win32/FileDialog.h"

namespace {

GameScript* g_script = nullptr;
script::ScriptUI* g_scriptUI = nullptr;

constexpr DWORD kSaveFlags = OFN_EXPLORER | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR |
                             OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;  // 0x8080E
constexpr DWORD kOpenFlags = OFN_EXPLORER | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR |
                             OFN_HIDEREADONLY;  // 0x8080C
static_assert(kSaveFlags == 0x8080E && kOpenFlags == 0x8080C);

// One filter, every file; the literal's own terminator ends the list.
constexpr char kAllFilesFilter[] = "All Files (*.*)\0*.*\0";

constexpr int kCreateFontWeight = 700;
constexpr int kCreateFontCharset = 0;

// The default extension without a leading "*" or "." ("*.lvl" and ".lvl" give "lvl"); ""
// when what is left is no plain extension (a pattern such as "*.*").
std::string BareExtension(const std::string& extension) {
  const size_t start = extension.find_first_not_of("*.");
  if (start == std::string::npos) return "";
  std::string bare = extension.substr(start);
  if (bare.find_first_of("*?/\\;") != std::string::npos) return "";
  return bare;
}

}  // namespace

GameScript::GameScript() { g_script = this; }

GameScript::~GameScript() {
  if (g_script == this) g_script = nullptr;
}

GameScript* GetScript() { return g_script; }

std::string GameScript::GetSaveFileEx(const std::string& extension, const std::string& title,
                                      const std::string& dir, const std::string&) {
  return ShowDialog(true, extension, title, dir);
}

std::string GameScript::GetOpenFileEx(const std::string& extension, const std::string& title,
                                      const std::string& dir, const std::string&) {
  return ShowDialog(false, extension, title, dir);
}

std::string GameScript::GetSaveFile(const std::string& extension, const std::string& title) {
  return GetSaveFileEx(extension, title, "", "");
}

std::string GameScript::GetOpenFile(const std::string& extension, const std::string& title) {
  return GetOpenFileEx(extension, title, "", "");
}

std::string GameScript::ShowDialog(bool save, const std::string& extension,
                                   const std::string& title, const std::string& dir) const {
  GameApp* app = GetApplication();
  const bool wasFullscreen = app && app->fullscreen;
  if (wasFullscreen) script::WindowedMode();

  char file[kPathSize] = {};
  char fileTitle[kPathSize] = {};
  const std::string initialDir = "." + dir;
  const std::string dialogTitle = (save ? "Save Level" : "Load Level") + title;
  // The dialog is given the bare extension as its default, so that a name typed without
  // an extension gets this one and not some other text run into it.
  const std::string defaultExtension = BareExtension(extension);

  OPENFILENAMEA record;
  record.hwndOwner = app ? app->GetWindow() : nullptr;
  record.lpstrFilter = kAllFilesFilter;
  record.nFilterIndex = 0;
  record.lpstrFile = file;
  record.nMaxFile = kPathSize;
  record.lpstrFileTitle = fileTitle;
  record.nMaxFileTitle = kPathSize;
  record.lpstrInitialDir = initialDir.c_str();
  record.lpstrTitle = dialogTitle.c_str();
  record.Flags = save ? kSaveFlags : kOpenFlags;
  record.lpstrDefExt = defaultExtension.empty() ? nullptr : defaultExtension.c_str();
  const BOOL chosen = save ? GetSaveFileNameA(&record) : GetOpenFileNameA(&record);

  if (wasFullscreen) script::FullScreenMode();
  return chosen ? std::string(file) : std::string();
}

namespace script {

void SetScriptUI(ScriptUI* ui) { g_scriptUI = ui; }
ScriptUI* GetScriptUI() { return g_scriptUI; }

FontCharset CharsetForLocale(const std::string& locale) {
  struct Entry {
    const char* name;
    int charset;
  };
  static constexpr Entry kEastAsian[] = {
      {"korean", 0x81}, {"chinese", 0x88}, {"taiwanese", 0x86}, {"japanese", 0x80}};
  for (const Entry& entry : kEastAsian) {
    if (strcasecmp(locale.c_str(), entry.name) == 0) return FontCharset{entry.charset, 2};
  }
  return FontCharset{1, 0};
}

void TestSound::Play(audio::Audio& audio) {
  const double now = FrameTimer::Now();
  if (now - lastTime < kMinInterval) return;
  lastTime = now;
  if (sample == 0) {
    sample = audio.LoadSound(kFileName, false);
    if (sample == 0) return;
  }
  if (!audio::IsChannelActive(channel)) channel = audio.PlaySample(sample, 1.0f);
}

TestSound& GetTestSound() {
  static TestSound sound;
  return sound;
}

void LoadLanguage(const std::string& file) {
  lang::StrMan::LoadLangBin(lang::StrMan::Instance(), file);
  if (g_scriptUI) g_scriptUI->RefreshText();
}

void HardQuitGame() {
  if (GameRMS* rms = GetRMS()) rms->Save();
  GameApp* app = GetApplication();
  if (!app) return;
  if (app->fullscreen) app->SetFullscreenMode(false);
  app->Quit();
}

namespace {

// Switches the display and keeps the choice in the profile store.
void SwitchFullscreen(bool on) {
  GameApp* app = GetApplication();
  if (!app) return;
  app->SetFullscreenMode(on);
  if (GameRMS* rms = GetRMS()) rms->SetUseFullscreenEnabled(on);
}

}  // namespace

void FullScreenMode() { SwitchFullscreen(true); }

void WindowedMode() { SwitchFullscreen(false); }

bool IsFullscreenMode() {
  const GameApp* app = GetApplication();
  return app && app->fullscreen;
}

void CreateFont(const std::string& name, const std::string& face, int width, int height) {
  FontManager::Get().CreateFont(name, face, width, height, kCreateFontWeight, kCreateFontCharset);
}

void ResizeFont(const std::string& name, const std::string& face, int width, int height,
                int weight) {
  FontManager& fonts = FontManager::Get();
  const FontCharset charset = CharsetForLocale(process::g_localeName);
  Font* font = fonts.FindFont(name);
  if (font) {
    font->Resize(face, width, height, weight, charset.charset);
  } else {
    font = fonts.CreateFont(name, face, width, height, weight, charset.charset);
  }
  // Without a renderer no font can be made.
  if (font) font->lineSpacing = charset.lineSpacing;
}

void SetFontBorder(const std::string& name, bool on) {
  if (Font* font = FontManager::Get().FindFont(name)) font->border = on;
}

void TakeScreenshot(const std::string& name, bool halfSize) {
  if (Graphics* graphics = GetGraphics()) graphics->TakeScreenshot(name, halfSize);
}

void ToggleFilter() {
  if (Graphics* graphics = GetGraphics()) graphics->SetFiltering(!graphics->filtering);
}

void ReloadImages() {
  if (GameApp* app = GetApplication()) app->ReloadResources();
}

void ForceSave() {
  if (GameRMS* rms = GetRMS()) rms->Save();
}

void StartPlayTestSound() { GetTestSound().Play(audio::GetAudio()); }

void ForceRedraw() {
  // A script that runs inside the frame (a state's tick, a delayed script) may ask for a
  // redraw every time it runs; a forced frame that runs that script again would nest
  // frames without end. While a forced frame runs, a further request is that frame.
  static bool redrawing = false;
  GameApp* app = GetApplication();
  if (!app || redrawing) return;
  redrawing = true;
  app->Frame();
  redrawing = false;
}

void SetLocale(const std::string& name) {
  process::g_localeName = name;
  if (g_scriptUI) {
    g_scriptUI->SetLanguageName(name);
    g_scriptUI->ReloadImages();
  }
}

}  // namespace script
