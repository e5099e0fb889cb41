#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "engine/app/GameScreen.h"
#include "engine/app/InputListener.h"
#include "engine/core/Timer.h"
#include "engine/ui/PanelHandle.h"
#include "engine/ui/WidgetHandle.h"
#include "game/board/KivGameHud.h"

class KivHanaWidget;
class KivWell;
class LuaState;
namespace background {
class BGEditor;
class BGScene;
}  // namespace background
namespace camera {
class Camera;
}
namespace ui {
class UIWidget;
}

// The game flow state "game", in which a level is played. It loads the level, goal, score
// and trophy tables once, builds the board of a named level on request, ticks and draws
// it with its scene, the panels and the overlays, routes the mouse and the keys to it,
// switches pause and the flash help, and once the board's end popup is done runs
// "NextLevel()" after a won level or "ReplayLevel()" after a lost one, once.
//
// Its panels ("pause", "help_flash", the display "in_game") are held by name: the UI
// manager may rebuild them from their files (RefreshActive, which the console lets anyone
// type) or a script drop and add them again. Each frame the state takes a rebuilt panel and
// puts back what the level had put into it (the heroine's copy, the tooltips, the help's
// movies), and the board does so for the display's numbers, bars and goals.
class KivGameState : public GameScreen, public input::KeyboardListener {
 public:
  static constexpr const char* kName = "game";
  static constexpr const char* kPanelFile = "ui/in_game.ui";
  static constexpr const char* kDisplayPanel = KivGameHud::kPanel;
  static constexpr const char* kEnterScript = "OnEnterGame()";
  static constexpr const char* kExitScript = "OnExitGame()";
  static constexpr float kMoveInterval = 0.05f;
  static constexpr uint32_t kClearColour = 0xFF323264;
  static constexpr uint32_t kKeyF2 = 0x3C;
  // The source name of the state's log lines.
  static constexpr const char* kLogSource = "kiv_game_state";

  enum PauseMode : int32_t { kPlaying = 0, kPaused = 1, kHelpShown = 2 };

  explicit KivGameState(camera::Camera* camera);
  ~KivGameState() override;

  // --- State ---
  bool OnEnter() override;
  bool OnExit() override;
  bool Tick(float dt) override;
  bool Render() override;
  void OnPause() override;

  // --- Mouse and keys ---
  void MouseButtonPressed(const input::MouseButton* button, const math::Vec2* position) override;
  void MouseButtonReleased(const input::MouseButton* button, const math::Vec2* position) override;
  void MouseButtonDown(const input::MouseButton* button, const math::Vec2* position) override;
  void MouseWheel(int delta, const math::Vec2* position) override;
  void MouseMoved(const math::Vec2* oldPosition, const math::Vec2* newPosition) override;
  void KeyPressed(const input::KeyEvent* event) override;
  void KeyDown(const input::KeyEvent* event) override;

  // --- The script class "GameState" ---
  void LoadLevel(const std::string& name);
  void SaveWell(const std::string& path);
  void LoadWell(const std::string& path);
  void ShutdownLevel();
  void Pause(bool on);
  void ShowHelp(bool on);
  bool IsPaused() const { return pauseMode_ != kPlaying; }
  void TriggerSpell(int32_t spell, int32_t level);
  void AddZen(int32_t amount, int32_t spell);
  int32_t GetZen(int32_t index) const;
  void SetSpellCost(int32_t spell, int32_t cost);
  void AddTrophy(int32_t trophy) { pendingTrophy_ = trophy; }
  void SetTooltip(const std::string& widget, const std::string& text);
  void StartLevelOpening();
  void StartLevelClosing();
  void StartLevelReplaying();
  void StartLevelReturnToMap(const std::string& script);
  void FinishLevelOpening();
  void StartLevelSummary();
  void SetZenBreak() { zenBreak_ = true; }
  void Reshuffle();

  // The script text that closes the level's panels and then runs script: quotes and
  // backslashes of script are escaped so that it stays one Lua string.
  static std::string CloseIngameScript(const std::string& script);
  // The brush name of a spell number and level ("fireball[2]"); empty for none.
  static std::string SpellBrushName(int32_t spell, int32_t level);

  KivWell* GetBoard() const { return board_.get(); }
  int32_t GetPauseMode() const { return pauseMode_; }
  bool HasLevelEnded() const { return levelEnded_; }
  bool IsZenBreak() const { return zenBreak_; }
  const std::string& GetLevelName() const { return levelName_; }
  int32_t GetPendingTrophy() const { return pendingTrophy_; }
  bool IsOpening() const { return opening_; }
  bool IsAnimating() const { return animating_; }
  // The display's tooltip carrier, null without the display panel.
  ui::UIWidget* GetTooltipCarrier() const { return tooltips_.Get(); }
  // Whether this state is the game flow's current one.
  bool IsCurrent() const;
  // The display panel ("in_game") is shown.
  bool DisplayShown() const;
  // A panel other than the display is shown over the level: a card or a popup.
  bool PopupShown() const;
  // The heroine's copy in the display ("hana"), made on entry; null while none stands there.
  KivHanaWidget* GetAvatar() const;

 private:
  void ApplyPause();
  // Takes the panels rebuilt since the last look and puts back what the level showed in
  // them; the board follows its display. True when the display was found anew.
  bool FollowPanels();
  // The display's "tooltip_helper" (made when the panel has none) with every tooltip set.
  void AttachTooltips();
  // The help's movies wait, hidden, until the help opens.
  void HideHelpMovies();
  // Gives the board (or none) to the summary.
  void ShareBoard();
  // Lets the board go: at once, or at the next frame while its tick is on the stack.
  void RetireBoard();
  bool SceneEditorActive() const;
  background::BGScene* BoardScene() const;
  void DrawFrame();
  // Replaces the heroine's copy in the display by a new one, fitted to its place.
  void MakeAvatar();
  // Dresses the heroine and her copy again after the studio changed her outfit.
  void RedressAvatar();

  int32_t pauseMode_ = kPlaying;
  std::unique_ptr<KivWell> board_;
  // Boards let go while their tick was running, deleted at the next frame.
  std::vector<std::unique_ptr<KivWell>> retired_;
  int32_t boardTicks_ = 0;
  CountdownTimer moveThrottle_;
  ui::PanelHandle pausePanel_{"pause"};
  ui::PanelHandle helpPanel_{"help_flash"};
  ui::PanelHandle displayPanel_{kDisplayPanel};
  // The display's "tooltip_helper" (a KivTooltipWidget); the panel owns it.
  ui::WidgetHandle tooltips_;
  // The tooltips set by name, in order, to set again on a rebuilt display.
  std::vector<std::pair<std::string, std::string>> tooltipTexts_;
  bool levelEnded_ = false;
  std::string levelName_;
  int32_t pendingTrophy_ = 0;
  bool zenBreak_ = false;
  bool opening_ = false;
  bool animating_ = false;
  // The display panel owns the avatar widget; the handle empties when the panel goes.
  ui::WidgetHandle avatar_;
};

// The script globals of the level state.
KivGameState* GetGame();
KivWell* GetWell();
background::BGScene* GetBG();
background::BGEditor* GetBGEditor();
