#pragma once

#include <cstdint>
#include <string>

#include "engine/ui/WidgetHandle.h"

class KivHanaWidget;

// The fashion studio: the panel "fashion_studio", where the player dresses the heroine with
// the pieces she owns. Per slot (head, upper, lower) it shows the worn piece's name and
// description ("<slot>_name", "<slot>_desc"), its box ("<slot>_box", the piece's picture in
// it) and the buttons that step through the owned pieces ("<slot>_prev", "<slot>_next"),
// shown while two or more are owned; a dressed copy of the
// heroine stands in "hana_pos", the coins in "coins_box", and the tooltips of the panel's
// widgets show through "studio_tooltip". After every refresh it runs
// "RefreshFashionZenPowers()", through which the scripts show the outfit's powers. Scripts
// reach it as the class "KivFashionStudio" through "GetStudio".
//
// The panel must be loaded (by "OnInitUI()") before anything makes the object. Its widgets
// are held through handles; when the panel is dropped or reloaded they are looked up again
// by name at the next call.
class KivFashionStudio {
 public:
  static constexpr const char* kPanel = "fashion_studio";
  static constexpr const char* kAvatarFrame = "hana_pos";
  static constexpr const char* kTooltip = "studio_tooltip";
  static constexpr const char* kCoins = "coins_box";
  static constexpr const char* kNotAvailable = "NOT_AVAILABLE";
  static constexpr const char* kRefreshScript = "RefreshFashionZenPowers()";
  // The worn piece's picture inside "<slot>_box": a widget made by the studio.
  static constexpr const char* kPieceSuffix = "_piece";
  static constexpr int32_t kSlotCount = 3;

  // The process-wide studio, built on first use.
  static KivFashionStudio& Instance();
  // The studio when it has been built, else null.
  static KivFashionStudio* Existing();
  // Ends the process-wide studio (the ordered shutdown; tests start the next afresh).
  static void Destroy();

  KivFashionStudio();
  virtual ~KivFashionStudio();
  KivFashionStudio(const KivFashionStudio&) = delete;
  KivFashionStudio& operator=(const KivFashionStudio&) = delete;

  // --- The script class, in its registration order ---
  void Enable(bool on) { enabled_ = on; }
  bool GetIsVisible();
  // Shown: enabled, visible and drawn above every other panel; hidden: disabled, hidden
  // and drawn first.
  void SetIsVisible(bool show);
  // Steps the slot to the next (forward) or previous owned piece, wrapping around; a slot
  // that a worn item hides does not change.
  void ChangePart(const std::string& slot, bool forward);
  // Dresses the heroine from the profile, copies her to the studio's avatar and refreshes
  // every text, box and button, then runs kRefreshScript.
  void RefreshParts();
  // The tooltip of a widget of the panel; an empty text removes it.
  void SetTooltip(const std::string& widget, const std::string& text);

  // --- For the program only ---
  // True once after a refresh while enabled: the screens that show the heroine dress her
  // again then.
  bool TakePartsChanged();
  bool IsEnabled() const { return enabled_; }
  KivHanaWidget* Avatar();

 private:
  enum Row { kName, kDesc, kPrev, kNext, kBox, kRowCount };

  void LookUpWidgets();
  void RefreshWidgets();
  // The pieces of the slot's part that a piece number can reach: 1 to the smaller of 32
  // and the part's list.
  static int32_t PieceLimit(int32_t slot);

  ui::WidgetHandle panel_;
  ui::WidgetHandle widgets_[kRowCount][kSlotCount];
  ui::WidgetHandle pieces_[kSlotCount];
  ui::WidgetHandle coins_;
  ui::WidgetHandle tooltip_;
  ui::WidgetHandle avatar_;
  bool panelFound_ = false;
  bool enabled_ = false;
  bool partsChanged_ = false;
};

// The global function "GetStudio" of the scripts.
KivFashionStudio* GetStudio();
