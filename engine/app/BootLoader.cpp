#include "engine/app/BootLoader.h"

#include "engine/app/GameApp.h"
#include "engine/app/Input.h"
#include "engine/graphics/Graphics.h"
#include "platform/win32/Time.h"
#include "platform/win32/WinUser.h"

namespace {
// More than a tick's worth of window messages waits for the next tick, so a flood of
// messages cannot hold the pages up.
constexpr int kMaxMessagesPerTick = 64;
}  // namespace

BootLoader::BootLoader(bool isSkippable, FrameTimer& timer) : skippable(isSkippable), timer_(timer) {}

BootLoader::~BootLoader() = default;

void BootLoader::AddPage(const std::string& image, float holdTime, float fadeInTime,
                         float fadeOutTime) {
  auto page = std::make_unique<BootPage>();
  page->sprite.Init(image, math::Vec2(0.0f, 0.0f), math::Vec2(kPictureU, kPictureV), false);
  if (!page->sprite.IsLoaded()) return;
  page->holdTime = holdTime;
  page->fadeInTime = fadeInTime;
  page->fadeOutTime = fadeOutTime;
  pages.push_back(std::move(page));
}

void BootLoader::ShowPage(int32_t index) {
  if (index >= static_cast<int32_t>(pages.size())) {
    done = true;
    return;
  }
  current = index;
  const BootPage& page = *pages[static_cast<size_t>(index)];
  fadeIn.duration = fadeIn.remaining = page.fadeInTime;
  hold.duration = hold.remaining = page.holdTime;
  fadeOut.duration = fadeOut.remaining = page.fadeOutTime;
}

void BootLoader::Tick() {
  timer_.Update();
  const float dt = timer_.GetDelta();
  if (current < 0) ShowPage(0);
  if (done) return;

  if (!fadeIn.IsDone()) {
    fadeIn.Update(dt);
  } else if (!hold.IsDone()) {
    hold.Update(dt);
  } else if (!fadeOut.IsDone()) {
    fadeOut.Update(dt);
  } else {
    ShowPage(current + 1);
  }

  Sleep(kTickSleepMs);
  // The pages run before the main loop, for several seconds: the window's messages are
  // taken here so that the window stays responsive, and so that the platform's key and
  // button events reach the input devices at all (the skip depends on them).
  PumpMessages();
  input::GetDevices().Update(false, dt, timer_.GetTime());
}

void BootLoader::PumpMessages() {
  GameApp* app = GetApplication();
  for (int i = 0; i < kMaxMessagesPerTick; ++i) {
    if (app) {
      if (!app->PumpMessage()) break;
    } else {
      MSG msg{};
      if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) break;
      DispatchMessageA(&msg);
    }
  }
  // A window closed during the pages ends them; the main loop then stops at once.
  if (app && app->quitting) done = true;
}

float BootLoader::Brightness() const {
  if (done || current < 0) return -1.0f;
  if (!fadeIn.IsDone()) return fadeIn.Progress();
  if (!hold.IsDone()) return 1.0f;
  if (!fadeOut.IsDone()) return 1.0f - fadeOut.Progress();
  return -1.0f;
}

void BootLoader::Render() {
  if (current >= static_cast<int32_t>(pages.size())) return;
  const float brightness = Brightness();
  if (brightness < 0.0f) return;
  Graphics* graphics = GetGraphics();
  if (!graphics) return;

  // A lost device begins no frame; the page's timers go on and a later frame draws.
  DrawStandaloneFrame(*graphics, 0, [&] {
    ui::UISprite& sprite = pages[static_cast<size_t>(current)]->sprite;
    sprite.SetTransform(math::Vec2(0.0f, 0.0f), math::Vec2(1.0f, 1.0f), 0.0f, 1.0f,
                        PackColor(1.0f, 1.0f, 1.0f, brightness));
    sprite.Render();
  });
}

void BootLoader::SkipPage() {
  if (skipEndsPage) {
    fadeOut.remaining = -1.0f;
  } else if (!fadeIn.IsDone()) {
    // The fade-out starts from the brightness the fade-in reached.
    fadeOut.remaining = fadeIn.Progress() * fadeOut.duration;
  }
  fadeIn.remaining = -1.0f;
  hold.remaining = -1.0f;
}

void BootLoader::KeyReleased(const input::KeyEvent*) {
  if (skippable) SkipPage();
}

void BootLoader::MouseButtonReleased(const input::MouseButton*, const math::Vec2*) {
  if (skippable) SkipPage();
}
