#include "engine/app/Application.h"

#include "engine/app/Audio.h"
#include "engine/app/Input.h"
#include "engine/app/Keyboard.h"
#include "engine/core/ConfigFile.h"
#include "engine/core/Log.h"
#include "engine/core/Timer.h"
#include "engine/core/VFS.h"
#include "engine/graphics/ResMan.h"
#include "platform/bass/Bass.h"
#include "platform/win32/Time.h"

namespace {

bool AltHeld() {
  const input::Keyboard* keyboard = input::GetDevices().keyboard;
  return keyboard && (keyboard->IsDown(DIK_LMENU) || keyboard->IsDown(DIK_RMENU));
}

}  // namespace

Application::Application(const std::string& settingsPath, const std::string& logPath) {
  Log& log = Log::Instance();
  log.Open(logPath.c_str());
  log.showPrefix = true;
  log.flushEachLine = true;
  LOG_LINE(MSG_INIT) << "Logfile created";
  config::ConfigFile& settings = config::ConfigFile::Instance();
  settings.Load(settingsPath);
  name = settings.GetString("AppName", "Application 1.0");
  vfs::VFS::Instance();
  active = true;
}

Application::~Application() { ShutdownServices(); }

bool Application::OnAppEvent(uint32_t code, uintptr_t a, intptr_t b) {
  switch (code) {
    case APP_FOCUS_GAINED:
    case APP_MAXIMISED:
      paused = false;
      break;
    case APP_FOCUS_LOST:
    case APP_MINIMISED:
      paused = true;
      break;
    case APP_QUIT:
      quitting = true;
      break;
    default:
      // A plain restore or resize (APP_RESIZED) resumes nothing.
      break;
  }
  return true;
}

bool Application::Step() {
  PumpMessage();
  if (fullscreen && AltHeld()) {
    // Alt held in full screen (the start of an Alt-Tab): no frame runs and no game time
    // passes, only the input is read so that the release is seen. The input gets the frame
    // clock's time as it stands: with a time of 0 a button released here would compare
    // with the last release of the running game and count as a double click.
    input::GetDevices().Update(false, 0.0f, FrameTimer::Instance().GetTime());
    Sleep(10);
    return !quitting;
  }
  if (!quitting) {
    UpdateTimer();
    if (!paused) {
      Frame();
      Sleep(1);
    } else {
      Sleep(100);
    }
  }
  return !quitting;
}

void Application::ReloadResources() { res::ResMan::Get().ReloadAll(); }

vfs::VFS& Application::GetVFS() { return vfs::VFS::Instance(); }

void Application::ShutdownServices() {
  audio::GetAudio();
  BASS_Free();
  LOG_LINE(MSG_INIT) << "Audio manager shutdown";
  res::ResMan::Get().ReleaseAll();
  LOG_LINE(MSG_INIT) << "Resource manager shutdown";
}

void Application::UpdateTimer() { FrameTimer::Instance().Update(); }

void Application::SetFullscreenMode(bool on) {
  if (on != fullscreen) {
    if (on) {
      SetFullscreen(width, height);
    } else {
      SetWindowed(width, height);
    }
  }
  fullscreen = on;
}
