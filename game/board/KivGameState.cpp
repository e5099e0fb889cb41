// The level state: loading a level, its frame, its input, pause and the flash help, and
// the end of the level.

#include "game/board/KivGameState.h"

#include <algorithm>
#include <cstdio>

#include "engine/app/GameFlowManager.h"
#include "engine/app/Keyboard.h"
#include "engine/app/Mouse.h"
#include "engine/background/BGEditor.h"
#include "engine/background/BGScene.h"
#include "engine/core/Console.h"
#include "engine/core/Log.h"
#include "engine/core/MemoryManager.h"
#include "engine/graphics/Camera.h"
#include "engine/graphics/DrawQueue.h"
#include "engine/graphics/FontManager.h"
#include "engine/graphics/Graphics.h"
#include "engine/ui/UIManager.h"
#include "engine/ui/UIWidget.h"
#include "game/board/KivHelp.h"
#include "game/board/KivScore.h"
#include "game/board/KivEndPopup.h"
#include "game/board/KivSummary.h"
#include "game/board/KivTooltip.h"
#include "game/board/KivWell.h"
#include "game/board/LevelInfo.h"
#include "game/shell/KivDresses.h"
#include "game/shell/KivFashionPopup.h"
#include "game/shell/KivFashionStudio.h"
#include "game/shell/KivHana.h"
#include "game/shell/KivHanaWidget.h"
#include "game/shell/KivTrophyData.h"
#include "game/shell/KivTrophyScreen.h"
#include "game/shell/KivUITransition.h"
#include "game/shell/KivVars.h"
#include "game/shell/MenuScreens.h"
#include "game/shell/Music.h"

namespace {

bool TrophyRoomEnabled() {
  const KivTrophyScreen* room = KivTrophyScreen::Existing();
  return room && room->IsEnabled();
}

}  // namespace

KivGameState::KivGameState(camera::Camera* stateCamera)
    : GameScreen(stateCamera, kPanelFile, kEnterScript, kExitScript) {
  KeyboardListener::enabled = true;
  moveThrottle_.duration = kMoveInterval;
  moveThrottle_.remaining = kMoveInterval;

  LevelInfo& info = LevelInfo::Instance();
  info.LoadGoals(LevelInfo::kGoalsFile);
  info.LoadLevels(LevelInfo::kLevelsFile);
  // The profile's level counts (levels open, the free-play goal) run over the slots of the
  // level table's levels: without this they would see no level at all, and the free-play
  // goal would be met before any level was won.
  KivVars::Instance().levelCount = [] {
    const LevelInfo* levels = LevelInfo::Existing();
    return levels ? static_cast<int32_t>(levels->LevelCount()) : 0;
  };
  KivTrophyData::Instance().Load("scripts/trophies.lua");
  KivScore::Instance().Load();

  pausePanel_.Renew();
  if (helpPanel_.Renew()) HideHelpMovies();
}

KivGameState::~KivGameState() {
  board_.reset();
  retired_.clear();
  ShareBoard();
}

void KivGameState::RetireBoard() {
  // A script run from inside the board's tick (the summary waits for the score server
  // while frames go on) may load another level: the board on the stack is kept until the
  // next frame.
  if (boardTicks_ > 0 && board_) {
    retired_.push_back(std::move(board_));
  } else {
    board_.reset();
  }
}

void KivGameState::ShareBoard() {
  if (board_) {
    KivSummary::Instance().SetBoard(board_.get());
  } else if (KivSummary* summary = KivSummary::Existing()) {
    summary->SetBoard(nullptr);
  }
}

bool KivGameState::IsCurrent() const {
  return gameflow::GameFlowManager::Instance().current == this;
}

background::BGScene* KivGameState::BoardScene() const {
  return board_ ? board_->GetScene() : nullptr;
}

bool KivGameState::SceneEditorActive() const {
  const background::BGScene* scene = BoardScene();
  return scene && scene->editor;
}

// --- Enter and exit ---

bool KivGameState::OnEnter() {
  GameScreen::OnEnter();
  KeyboardListener::enabled = true;
  MouseListener::enabled = true;
  console::GetConsole().Do("InitTweaks()");
  KivHelp::Instance().Reset();
  if (camera) {
    camera->LookAt(math::Vec3(0.0f, 0.0f, -20.0f), math::Vec3(0.0f, 0.0f, 0.0f), math::Vec3(0.0f, 1.0f, 0.0f));
    camera->SetClearColor(kClearColour);
  }
  pauseMode_ = kPlaying;
  levelEnded_ = false;
  zenBreak_ = false;
  ShareBoard();
  if (board_) board_->InitUI();
  // A display found anew has its tooltips and the heroine's copy already.
  const bool displayNew = FollowPanels();
  if (!displayNew) AttachTooltips();
  ApplyPause();
  if (!displayNew) MakeAvatar();
  KivFashionPopup::Instance().Enable(false);
  KivFashionStudio::Instance().Enable(false);
  // The summary waits for its script, and the trophy room stays closed in a level.
  KivSummary::Instance().Enable(false);
  if (KivTrophyScreen* room = KivTrophyScreen::Existing()) room->Enable(false);
  GameScreen::OnEnter();
  return true;
}

bool KivGameState::OnExit() {
  FollowPanels();
  GameScreen::OnExit();
  KeyboardListener::enabled = false;
  MouseListener::enabled = false;
  if (camera) camera->SetController(nullptr);
  if (board_) board_->HidePopups();
  if (pausePanel_) pausePanel_->SetIsVisible(false);
  if (helpPanel_) helpPanel_->SetIsVisible(false);
  if (KivSummary* summary = KivSummary::Existing()) summary->Enable(false);
  if (KivTrophyScreen* room = KivTrophyScreen::Existing()) room->Enable(false);
  if (KivFashionPopup* popup = KivFashionPopup::Existing()) popup->Enable(false);
  if (KivFashionStudio* studio = KivFashionStudio::Existing()) studio->Enable(false);
  GameScreen::OnExit();
  return true;
}

// --- Panels rebuilt under the level ---

bool KivGameState::FollowPanels() {
  if (pausePanel_.Renew()) pausePanel_->SetIsVisible(pauseMode_ == kPaused);
  if (helpPanel_.Renew()) {
    // Rebuilt while the help shows, the help plays its movies again.
    if (pauseMode_ == kHelpShown) {
      console::GetConsole().Do("SetupFlashHelp()");
    } else {
      HideHelpMovies();
    }
  }
  const bool displayNew = displayPanel_.Renew();
  if (displayNew) {
    AttachTooltips();
    MakeAvatar();
  }
  if (board_) board_->FollowDisplay();
  return displayNew;
}

void KivGameState::HideHelpMovies() {
  if (!helpPanel_) return;
  for (const char* flash : {"flash_1", "flash_2"}) {
    if (ui::UIWidget* widget = helpPanel_->GetWidgetByName(flash)) widget->SetIsVisible(false);
  }
}

void KivGameState::AttachTooltips() {
  ui::UIWidget* display = displayPanel_.Get();
  if (!display) {
    tooltips_.Reset();
    return;
  }
  auto* carrier = dynamic_cast<KivTooltipWidget*>(display->GetWidgetByName("tooltip_helper"));
  if (!carrier && !display->GetWidgetByName("tooltip_helper")) {
    MEMORY_OWNER("KivGameState::AttachTooltips");
    carrier = new KivTooltipWidget(display, "tooltip_helper");
    if (!display->AddChild(carrier)) {
      delete carrier;
      carrier = nullptr;
    }
  }
  tooltips_.Reset(carrier);
  if (!carrier) return;
  for (const auto& [name, text] : tooltipTexts_) {
    carrier->GetTooltips().SetTooltip(display->GetWidgetByName(name), text);
  }
}

// --- The heroine in the display ---

KivHanaWidget* KivGameState::GetAvatar() const {
  // The handle holds only the widget this state made.
  return static_cast<KivHanaWidget*>(avatar_.Get());
}

void KivGameState::MakeAvatar() {
  if (ui::UIWidget* old = avatar_.Get()) {
    if (old->parent) {
      old->parent->DeleteChild(old, true);
    } else {
      delete old;
    }
  }
  avatar_.Reset();
  KivHana* hana = KivDresses::Instance().GetHana();
  ui::UIWidget* holder = displayPanel_ ? displayPanel_->GetWidgetByName("hana") : nullptr;
  // Without its place in the display the copy would never be drawn.
  if (!hana || !holder) return;
  auto* avatar = new KivHanaWidget(*hana);
  holder->InsertChild(avatar, false, "ui_timer_001");
  avatar_.Reset(avatar);
  avatar->FitToParent();
}

void KivGameState::RedressAvatar() {
  if (!KivFashionStudio::Instance().TakePartsChanged()) return;
  KivHana* hana = KivDresses::Instance().GetHana();
  if (!hana) return;
  hana->ReloadCurrent();
  if (KivHanaWidget* avatar = GetAvatar(); avatar && avatar->GetHana()) avatar->GetHana()->SetPieces(*hana);
}

// --- Frame ---

bool KivGameState::Tick(float dt) {
  if (boardTicks_ == 0) retired_.clear();
  FollowPanels();
  KivUITransition::Instance().Tick(dt);
  moveThrottle_.Tick(dt);
  const bool result = GameScreen::Tick(dt);
  RedressAvatar();
  if (TrophyRoomEnabled()) {
    KivTrophyScreen::Instance().Tick(dt);
    return result;
  }
  KivHelp& help = KivHelp::Instance();
  help.Tick(dt);
  if (help.ShowsHint()) return result;

  if (SceneEditorActive()) {
    BoardScene()->Update(dt);
  } else if (opening_ && animating_) {
    if (background::BGScene* scene = BoardScene()) scene->Update(dt);
  } else if (board_ && pauseMode_ == kPlaying) {
    KivWell* board = board_.get();
    // While the studio is open over the level only the scene lives on: the level's clock
    // and its blocks wait for the player to come back.
    if (KivFashionStudio::Instance().GetIsVisible()) {
      if (background::BGScene* scene = BoardScene()) scene->Update(dt);
    } else {
      ++boardTicks_;
      board->Tick(dt);
      --boardTicks_;
    }
    KivSummary::Instance().Tick(dt);
    if (!levelEnded_ && board_ && board_->IsOverlayDone()) {
      levelEnded_ = true;
      console::GetConsole().Do(board_->HasWon() ? "NextLevel()" : "ReplayLevel()");
    }
  }

  if (pendingTrophy_ != 0) {
    const int32_t trophy = pendingTrophy_;
    pendingTrophy_ = 0;
    if (KivVars::Instance().AddTrophy(trophy)) {
      KivTrophyScreen& room = KivTrophyScreen::Instance();
      room.SetAllCmds("", "OnTrophyIdle()", "OnTrophyPopupClose()");
      room.EnablePopup(true, trophy);
    }
  }
  return true;
}

void KivGameState::DrawFrame() {
  // A script or the console run since the tick may have rebuilt the panels.
  FollowPanels();
  Graphics* graphics = GetGraphics();
  if (graphics) graphics->ResetRenderStates();
  const KivTrophyScreen* room = KivTrophyScreen::Existing();
  const bool roomOnly = room && room->IsEnabled() && !room->IsPopupEnabled();
  bool boardDrawn = false;
  if (!roomOnly) {
    if (SceneEditorActive() || (opening_ && animating_)) {
      if (background::BGScene* scene = BoardScene()) {
        scene->Render();
        scene->RenderForeground();
      }
    } else if (board_) {
      board_->Render();
      boardDrawn = true;
    }
  }
  // What the board draws over its display (the chain's value, the goal icons, the
  // effects' overlay) belongs to the display: once the display is put away at the end of a
  // level it is not drawn at all, and while a card or a popup is up (the pause card, a
  // prompt, the help, the end of the level's panels) the effects' overlay waits. The tips
  // go under the panels then, so that none covers the card's texts and buttons.
  const bool boardLayer = boardDrawn && board_ && DisplayShown();
  const bool under = PopupShown();
  if (under) KivHelp::Instance().Render();
  ui::GetUIMan().Render();
  if (boardLayer) board_->RenderUI(pauseMode_ != kPlaying || under);
  if (room && room->IsEnabled()) KivTrophyScreen::Instance().Render();
  KivUITransition::Instance().Render();
  if (!under) KivHelp::Instance().Render();
  console::GetConsole().Render();
  FontManager::Get().RenderText();
  dd::Manager::Instance().Render2D();
}

bool KivGameState::DisplayShown() const {
  const ui::UIManager* manager = ui::UIManager::Existing();
  return displayPanel_ && manager && manager->IsPanel(displayPanel_.Get()) && displayPanel_->GetIsVisible();
}

bool KivGameState::PopupShown() const {
  const ui::UIManager* manager = ui::UIManager::Existing();
  if (!manager) return false;
  for (const ui::UIWidget* panel : manager->GetPanels()) {
    if (panel && panel != displayPanel_.Get() && panel->GetIsVisible()) return true;
  }
  return false;
}

bool KivGameState::Render() {
  Graphics* graphics = GetGraphics();
  if (camera) {
    if (!camera->BeginRender(1)) return false;
  } else {
    if (!graphics || !graphics->BeginFrame()) return false;
    graphics->Clear(kClearColour, 1.0f, 0, true, true, true);
  }
  DrawFrame();
  gameflow::GameFlowManager::Instance().transitions.Render();
  if (camera) {
    camera->EndRender();
    return camera->Present();
  }
  graphics->EndFrame();
  return graphics->Present();
}

void KivGameState::OnPause() {
  if (board_ && board_->IsBusy()) return;
  if (IsCurrent() && pauseMode_ == kPlaying) {
    pauseMode_ = kPaused;
    ApplyPause();
  }
}

// --- Input ---

void KivGameState::MouseButtonPressed(const input::MouseButton* button, const math::Vec2* position) {
  if (!button || !position) return;
  if (zenBreak_) {
    console::GetConsole().Do("DoZenBreak(false)");
    zenBreak_ = false;
    return;
  }
  if (pauseMode_ != kPlaying || !board_) return;
  if (background::BGScene* scene = BoardScene()) scene->MouseButtonPressed(static_cast<int>(button->id), *position);
  if (!SceneEditorActive()) board_->MouseButtonPressed(button->id, *position);
}

void KivGameState::MouseButtonReleased(const input::MouseButton* button, const math::Vec2* position) {
  if (!button || !position || pauseMode_ != kPlaying || !board_) return;
  KivHelp& help = KivHelp::Instance();
  if (help.ShowsHint()) {
    if (button->id == 0) help.CloseHint();
    return;
  }
  if (!SceneEditorActive()) board_->MouseButtonReleased(button->id, *position);
}

void KivGameState::MouseButtonDown(const input::MouseButton* button, const math::Vec2* position) {
  if (!button || !position || pauseMode_ != kPlaying || !board_) return;
  if (!SceneEditorActive()) board_->MouseButtonDown(button->id, *position);
}

void KivGameState::MouseWheel(int delta, const math::Vec2* position) {
  if (!position || pauseMode_ != kPlaying || !board_) return;
  if (background::BGScene* scene = BoardScene()) scene->MouseWheel(delta);
  if (!SceneEditorActive()) board_->MouseWheel(delta, *position);
}

void KivGameState::MouseMoved(const math::Vec2* oldPosition, const math::Vec2* newPosition) {
  if (!oldPosition || !newPosition) return;
  if (ui::GetUIMan().IsMouseBlocked(*newPosition)) return;
  if (background::BGScene* scene = BoardScene()) scene->MouseMoved(*oldPosition, *newPosition);
  if (!board_ || SceneEditorActive() || !moveThrottle_.IsDone()) return;
  moveThrottle_.remaining = moveThrottle_.duration;
  board_->MouseMoved(*oldPosition, *newPosition);
}

void KivGameState::KeyPressed(const input::KeyEvent* event) {
  if (!event || console::GetConsole().IsOpen() || !board_) return;
  if (background::BGScene* scene = BoardScene()) {
    // The scene editor's key only with the developer switch on.
    if (event->code != kKeyF2 || KivVars::Instance().LoadDevData()) scene->KeyPressed(event->code);
  }
  if (!SceneEditorActive()) board_->KeyPressed(event->code);
}

void KivGameState::KeyDown(const input::KeyEvent* event) {
  if (!event) return;
  if (background::BGScene* scene = BoardScene()) scene->KeyHeld(event->code);
}

// --- Pause and flash help ---

void KivGameState::ApplyPause() {
  KivUITransition& transition = KivUITransition::Instance();
  const bool helpVisible = helpPanel_ && helpPanel_->visible;
  switch (pauseMode_) {
    case kPaused:
      if (pausePanel_) {
        pausePanel_->SetIsVisible(true);
        ui::GetUIMan().PushPanelToFront(pausePanel_.Get());
      }
      if (helpVisible) {
        console::GetConsole().Do("ShutdownFlashHelp()");
        transition.PopdownWidget("help_flash", "help_bg");
      }
      break;
    case kHelpShown:
      if (pausePanel_) pausePanel_->SetIsVisible(false);
      if (helpPanel_) transition.PopupWidget("help_flash", "help_bg", "SetupFlashHelp()");
      break;
    default:
      if (pausePanel_) pausePanel_->SetIsVisible(false);
      if (helpVisible) {
        console::GetConsole().Do("ShutdownFlashHelp()");
        transition.PopdownWidget("help_flash", "help_bg");
      }
      break;
  }
}

void KivGameState::Pause(bool on) {
  if (!IsCurrent() || on == (pauseMode_ != kPlaying)) return;
  pauseMode_ = on ? kPaused : kPlaying;
  ApplyPause();
}

void KivGameState::ShowHelp(bool on) {
  if (!IsCurrent()) return;
  pauseMode_ = on ? kHelpShown : kPlaying;
  ApplyPause();
}

void KivGameState::Reshuffle() {
  if (pauseMode_ != kPlaying && IsCurrent()) {
    pauseMode_ = kPlaying;
    ApplyPause();
  }
  if (board_) board_->Reshuffle();
}

// --- Levels ---

void KivGameState::LoadLevel(const std::string& name) {
  RetireBoard();
  if (LevelData* level = LevelInfo::Instance().FindLevel(name)) {
    MEMORY_OWNER("KivGameState::LoadLevel");
    board_ = std::make_unique<KivWell>(camera);
    board_->InitUI();
    board_->Load(level->layout, level);
    levelName_ = name;
    ::LogLineWriter(MSG_COMMENT, kLogSource, __LINE__) << "Level loaded successfully!";
  }
  ShareBoard();
  levelEnded_ = false;
}

void KivGameState::SaveWell(const std::string& path) {
  if (board_) board_->Save(path, well::kWellAll);
}

void KivGameState::LoadWell(const std::string& path) {
  if (board_) {
    board_->ClearWell();
    board_->InitUI();
    board_->LoadWell(path);
  }
  levelEnded_ = false;
}

void KivGameState::ShutdownLevel() {
  RetireBoard();
  ShareBoard();
}

std::string KivGameState::SpellBrushName(int32_t spell, int32_t level) {
  if (spell <= 0) return "";
  const char* name = "fireball";
  switch (spell) {
    case 1:
      name = "match";
      break;
    case 3:
      name = "tilegrab";
      break;
    case 4:
      name = "flowerblast";
      break;
    case 6:
      name = "lightning";
      break;
    default:
      break;
  }
  std::string brush = name;
  if (level > 0) {
    char suffix[16];
    std::snprintf(suffix, sizeof suffix, "[%d]", level);
    brush += suffix;
  }
  return brush;
}

void KivGameState::TriggerSpell(int32_t spell, int32_t level) {
  if (!board_ || board_->IsOverlayDone()) return;
  if (spell == 5) {
    // The time spell arms no brush: it acts at once at the pointer. A level of 0 (as the
    // display's buttons give) counts as 1, as a spell without a power takes its default.
    board_->CastTimeSpell(std::max(level, 1));
    console::GetConsole().Do("SpellTriggered('time', true)");
    return;
  }
  board_->SpellBrush(SpellBrushName(spell, level));
}

void KivGameState::AddZen(int32_t amount, int32_t spell) {
  if (board_) board_->AddZen(amount, spell);
}

int32_t KivGameState::GetZen(int32_t index) const {
  if (!board_) return 0;
  if (index == 0) return board_->GetGold();
  if (index >= 1 && index <= KivWell::kSpellCount) return board_->GetSpellCharge(index - 1);
  return 0;
}

void KivGameState::SetSpellCost(int32_t spell, int32_t cost) {
  if (board_) board_->SetSpellCost(spell - 1, cost);
}

void KivGameState::SetTooltip(const std::string& widgetName, const std::string& text) {
  // Kept by name, so that a rebuilt display gets them again.
  auto kept = std::find_if(tooltipTexts_.begin(), tooltipTexts_.end(),
                           [&widgetName](const auto& entry) { return entry.first == widgetName; });
  if (kept != tooltipTexts_.end()) {
    if (text.empty()) {
      tooltipTexts_.erase(kept);
    } else {
      kept->second = text;
    }
  } else if (!text.empty()) {
    tooltipTexts_.emplace_back(widgetName, text);
  }
  auto* carrier = static_cast<KivTooltipWidget*>(tooltips_.Get());
  if (!displayPanel_ || !carrier || !ui::GetUIMan().IsPanel(displayPanel_.Get())) return;
  carrier->GetTooltips().SetTooltip(displayPanel_->GetWidgetByName(widgetName), text);
}

void KivGameState::StartLevelOpening() {
  opening_ = true;
  animating_ = true;
  if (!board_ || levelName_.empty()) return;
  if (const LevelData* level = LevelInfo::Instance().FindLevel(levelName_)) {
    KivMusic& music = KivMusic::Instance();
    music.SetTheme(level->music, false);
    music.SetSting("popup");
  }
}

void KivGameState::StartLevelClosing() {
  opening_ = false;
  animating_ = true;
}

std::string KivGameState::CloseIngameScript(const std::string& script) {
  std::string escaped;
  escaped.reserve(script.size());
  for (const char c : script) {
    if (c == '\\' || c == '\'' || c == '"') escaped += '\\';
    escaped += c;
  }
  return "CloseIngameUI('" + escaped + "')";
}

void KivGameState::StartLevelReplaying() {
  if (board_) board_->StartLeaveFade(CloseIngameScript("ReplayLevel()"));
}

void KivGameState::StartLevelReturnToMap(const std::string& script) {
  // The script is escaped: a quote in it would end the string early and run the rest.
  if (board_) board_->StartLeaveFade(CloseIngameScript(script));
}

void KivGameState::FinishLevelOpening() {
  animating_ = false;
  if (opening_ && board_) board_->StartEnterFade("");
}

void KivGameState::StartLevelSummary() {
  if (!board_) return;
  if (auto* popup = dynamic_cast<KivEndPopup*>(board_->GetOverlay())) popup->StartSummary();
}

// --- Script globals ---

KivGameState* GetGame() {
  return dynamic_cast<KivGameState*>(gameflow::GameFlowManager::Instance().states.Find(KivGameState::kName));
}

KivWell* GetWell() {
  KivGameState* game = GetGame();
  return game ? game->GetBoard() : nullptr;
}

background::BGScene* GetBG() {
  KivGameState* game = GetGame();
  if (game && game->GetBoard()) return game->GetBoard()->GetScene();
  // Without a level the scene in question is the menu's, while the menu is up.
  KivMenuScreen* menu = GetMenuState();
  return menu ? &menu->scene : nullptr;
}

background::BGEditor* GetBGEditor() {
  KivGameState* game = GetGame();
  background::BGScene* boardScene = game && game->GetBoard() ? game->GetBoard()->GetScene() : nullptr;
  if (boardScene && boardScene->editor) return boardScene->editor.get();
  KivMenuScreen* menu = GetMenuState();
  return menu ? menu->scene.editor.get() : nullptr;
}
