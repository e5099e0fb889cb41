#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/app/InputListener.h"
#include "engine/core/Timer.h"
#include "engine/ui/UISprite.h"


// One splash page: an 800 x 600 picture in the top-left of a 1024 x 1024 image, faded in
// from black, held, and faded out.
struct BootPage {
  float holdTime = 0.0f;     // seconds at full brightness
  float fadeInTime = 0.0f;   // seconds
  float fadeOutTime = 0.0f;  // seconds
  ui::UISprite sprite;
};

// The splash pages shown at start-up, before the game's first state exists. The caller
// drives it in a loop of its own:
//
//   BootLoader loader(true);
//   loader.AddPage("splash/one.png", 2.0f, 2.0f, 1.0f);
//   loader.skipEndsPage = true;
//   while (!loader.done) {
//     loader.Tick();
//     loader.Render();
//   }
//
// A key or mouse-button release cuts the current page short when the loader is skippable.
class BootLoader : public input::KeyboardListener, public input::MouseListener {
 public:
  // The texture rectangle of a page's picture.
  static constexpr float kPictureU = 0.78125f;     // 800 / 1024
  static constexpr float kPictureV = 0.5859375f;   // 600 / 1024
  static constexpr uint32_t kTickSleepMs = 10;

  // Registers with the keyboard and the mouse. The timer is the frame clock the pages run
  // on (tests give one on a fake clock).
  explicit BootLoader(bool skippable, FrameTimer& timer = FrameTimer::Instance());
  // Deletes the pages; the listener bases unregister.
  ~BootLoader() override;

  // Appends a page; a picture that cannot be loaded adds nothing.
  void AddPage(const std::string& image, float holdTime, float fadeInTime, float fadeOutTime);
  // One frame: the frame clock, the current page's phase, a 10 ms sleep, the window's
  // messages and the input devices (whose releases reach the listener operations).
  void Tick();
  // Draws and presents the current page at its brightness; nothing once done or after
  // the page has faded out.
  void Render();
  // Shows the page at index, or ends the loader (done) when there is none.
  void ShowPage(int32_t index);
  // Cuts the current page short (see the .cpp).
  void SkipPage();
  // The current page's brightness: fade-in progress, 1 while held, then 1 - fade-out
  // progress; negative before the first page, once the fade-out has finished, and once
  // done (nothing is drawn then).
  float Brightness() const;

  void KeyReleased(const input::KeyEvent* event) override;
  void MouseButtonReleased(const input::MouseButton* button, const math::Vec2* position) override;

  std::vector<std::unique_ptr<BootPage>> pages;
  int32_t current = -1;  // -1 before the first tick
  CountdownTimer fadeIn;
  CountdownTimer hold;
  CountdownTimer fadeOut;
  bool done = false;
  bool skippable = false;
  // A cut ends the page at once instead of fading it out from where it is.
  bool skipEndsPage = false;

 private:
  void PumpMessages();

  FrameTimer& timer_;
};
