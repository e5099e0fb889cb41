#pragma once

#include <cstdint>
#include <deque>
#include <string>

#include "engine/part2d/Part2D.h"
#include "engine/ui/UISprite.h"
#include "engine/ui/WidgetHandle.h"

namespace ui {
class UIWidget;
}

// The player's trophies: the trophy room, a panel of 24 icons with a tooltip naming the
// trophy under the mouse, in which newly won trophies are revealed one a second with
// particles and a glow; and the trophy popup, announcing one trophy with its title,
// picture, description and the trophy sting. Its hosts (the trophy and story screens, the
// level) tick and draw it and open its popup; the commands they set say what closing the
// room or the popup does. Scripts reach it as the class "KivTrophyScreen" through
// "GetTrophyScreen".
//
// The panels "trophy_screen" and "trophy_popup" are loaded by "OnInitUI()"; their widgets
// are looked up when the object is built. The widgets are held through handles; when a
// panel is dropped or reloaded (after a language change, or rebuilt from its file by
// RefreshActive), or loaded only after the object was built, they are looked up again by
// name at the next call, and the popup shows its trophy again, the room its icons.
//
// Sprites of trophy n: "trophy_<n>_disabled" (not won, or not yet revealed),
// "trophy_<n>_available" (won) and "trophy_<n>_selected" (won, under the mouse; the glow).
class KivTrophyScreen {
 public:
  static constexpr int32_t kIconCount = 24;
  static constexpr const char* kRoomPanel = "trophy_screen";
  static constexpr const char* kPopupPanel = "trophy_popup";
  static constexpr const char* kParticlesFile = "effects/trophy.p2d";
  static constexpr const char* kRoomTitle = "TROPHY_ROOM";
  // Put before the description of a trophy not won yet in the tooltip.
  static constexpr const char* kLockedText = "TROPHY_LOCKED";
  // A reveal lasts this long; the glow shrinks from kGlowStartScale to 1 meanwhile.
  static constexpr float kRevealTime = 1.0f;
  static constexpr float kGlowStartScale = 1.5f;

  // The process-wide object, built on first use.
  static KivTrophyScreen& Instance();
  // The object when it has been built, else null (the ordered shutdown builds none).
  static KivTrophyScreen* Existing() { return s_live; }

  KivTrophyScreen();
  virtual ~KivTrophyScreen();
  KivTrophyScreen(const KivTrophyScreen&) = delete;
  KivTrophyScreen& operator=(const KivTrophyScreen&) = delete;

  // Shows or leaves the room. Leaving with a close command runs the command once instead
  // (the room stays enabled until the next call); either way the reveals still queued wait
  // for the next visit.
  void Enable(bool on);
  // Opens the popup for a trophy, or closes it; closing runs the popup command once, or
  // without one brings the room back.
  void EnablePopup(bool show, int32_t index);
  // Sets every icon from the profile's trophies and queues the trophies won since the last
  // visit for their reveal; with every trophy but the all-trophies one owned, its popup
  // opens.
  void RefreshUI();
  void Tick(float dt);
  void Render();

  bool IsEnabled() const { return enabled_; }
  bool IsPopupEnabled() const { return popupEnabled_; }
  bool IsVisible();
  bool IsPopupVisible();

  void SetCloseCmd(const std::string& command) { closeCommand_ = command; }
  void SetIdleCmd(const std::string& command) { idleCommand_ = command; }
  void SetPopupCmd(const std::string& command) { popupCommand_ = command; }
  void SetAllCmds(const std::string& close, const std::string& idle, const std::string& popup);

  // --- State (read by hosts and tests) ---
  int32_t PopupTrophy() const { return popupTrophy_; }
  const std::string& CloseCmd() const { return closeCommand_; }
  const std::string& IdleCmd() const { return idleCommand_; }
  const std::string& PopupCmd() const { return popupCommand_; }
  // Trophies waiting for their reveal, the first being revealed.
  int32_t RevealCount() const { return static_cast<int32_t>(reveals_.size()); }
  int32_t RevealingTrophy() const { return reveals_.empty() ? 0 : reveals_.front().trophy; }
  float RevealElapsed() const { return reveals_.empty() ? 0.0f : reveals_.front().elapsed; }
  const ui::UISprite* RevealGlow() const { return reveals_.empty() ? nullptr : &reveals_.front().glow; }
  ui::UIWidget* Icon(int32_t trophy);
  part2d::Part2D& Particles() { return particles_; }

  // Forgets the reveals and particles; the ordered shutdown calls it.
  void Shutdown();

  static std::string SpriteName(int32_t trophy, const char* state);

 private:
  static inline KivTrophyScreen* s_live = nullptr;

  struct Reveal {
    int32_t trophy = 0;
    ui::WidgetHandle icon;
    ui::UISprite glow;
    float elapsed = 0.0f;
  };

  // Looks the panels and widgets up by name (at construction, and again once a panel held
  // went); the tooltip's texts start as the room's title.
  void LookUpWidgets();
  // A panel went, or a missing one came, since the last look-up.
  void RefreshWidgets();
  void SetTooltip(const std::string& name, const std::string& description);
  // The popup's title, picture and description of the trophy.
  void ShowPopupTrophy(int32_t trophy);
  void ShowOwned(ui::UIWidget* icon, int32_t trophy);
  void ShowLocked(ui::UIWidget* icon, int32_t trophy);
  static void RunCommand(std::string& command);

  ui::WidgetHandle room_;
  ui::WidgetHandle popup_;
  ui::WidgetHandle tooltip_;
  ui::WidgetHandle tooltipName_;
  ui::WidgetHandle tooltipDesc_;
  ui::WidgetHandle icons_[kIconCount];
  bool roomFound_ = false;
  bool popupFound_ = false;
  int32_t popupTrophy_ = 0;
  std::string closeCommand_;
  std::string idleCommand_;
  std::string popupCommand_;
  std::deque<Reveal> reveals_;
  part2d::Part2D particles_;
  bool enabled_ = false;
  bool popupEnabled_ = false;
};

// The global function "GetTrophyScreen" of the scripts.
KivTrophyScreen* GetTrophyScreen();
