#pragma once

#include <cstdint>
#include <string>

#include "engine/ui/UISprite.h"
#include "engine/ui/UIWidget.h"
#include "engine/ui/WidgetHandle.h"

// The fashion popup: the panel "buy_popup", offering up to three clothing pieces side by
// side. Each offer shows the piece's image in its box ("item_box1" to "item_box3"), the
// icons of the zen powers it gives ("power<box>_<n>", n 1 and 2, centred in
// "item_window<box>", with tooltips through "studio_popup_tooltip") and, under the mouse,
// its name and description ("item_name", "item_desc"); the offer under the mouse grows and
// casts a shadow. The purchase belongs to the scripts; OnBuyItem lets them buy once per
// opening. Scripts reach it as the class "KivFashionPopup" through "GetFashionPopup".
//
// The panel must be loaded (by "OnInitUI()") before anything makes the object. Its widgets
// are held through handles; when the panel is dropped or reloaded they are looked up again
// by name at the next call.
class KivFashionPopup {
 public:
  static constexpr const char* kPanel = "buy_popup";
  static constexpr const char* kHelperName = "fashion_helper";
  static constexpr const char* kTooltip = "studio_popup_tooltip";
  static constexpr const char* kSelectText = "SELECT_FASHION";
  static constexpr int32_t kBoxCount = 3;
  static constexpr int32_t kIconCount = 2;
  // An image fills at most this share of its box.
  static constexpr float kFill = 0.8333333f;
  static constexpr float kMaxZoom = 1.2f;
  static constexpr uint32_t kShadowColour = 0x96000000;
  // The sprite an offer shows of a piece, where the sprite sheets have one: the piece's
  // picture cut to the piece.
  static constexpr const char* kShopImagePrefix = "shop_";

  // The icon and the tooltip of a piece's bonus: a zen power's "wildcard<nnn>" and its
  // tip; any other bonus "bonus_<name>" and the text "BONUS_<NAME>".
  static constexpr const char* kBonusIconPrefix = "bonus_";
  static constexpr const char* kBonusTipPrefix = "BONUS_";
  struct BonusIcon {
    std::string image;
    std::string tip;
  };
  static BonusIcon IconOfBonus(const std::string& stat);

  // One offer.
  struct ItemBox {
    ui::UISprite sprite;
    std::string piece;
    float x = 0.0f, y = 0.0f, w = 0.0f, h = 0.0f;      // the image at zoom 1
    float x1 = 0.0f, y1 = 0.0f, x2 = 0.0f, y2 = 0.0f;  // the box's frame; drawing is cut to it
    float zoom = 1.0f;
    bool hovered = false;
    bool valid = false;
  };

  // The process-wide popup, built on first use.
  static KivFashionPopup& Instance();
  // The popup when it has been built, else null.
  static KivFashionPopup* Existing();
  // Ends the process-wide popup (the ordered shutdown; tests start the next afresh).
  static void Destroy();

  KivFashionPopup();
  virtual ~KivFashionPopup();
  KivFashionPopup(const KivFashionPopup&) = delete;
  KivFashionPopup& operator=(const KivFashionPopup&) = delete;

  // --- The script class, in its registration order ---
  void Enable(bool on);
  // Offers piece number `piece` of the slot's part in the box (1 to 3); an empty slot name
  // clears the offer.
  void SetItem(int32_t box, const std::string& slot, int32_t piece);
  void OnMouseOver(int32_t box);
  void OnMouseLeave(int32_t box);
  // True once per opening: it disables the popup, so a purchase cannot happen twice.
  bool OnBuyItem(int32_t box);
  // The tooltip of a widget of the panel; an empty text removes it.
  void SetTooltip(const std::string& widget, const std::string& text);

  // --- From the driver widget ---
  // Hovered offers grow to kMaxZoom and the others shrink to 1, at 1 a second.
  void Tick(float dt);
  // Each offer with its shadow, cut to its box.
  void Render();

  bool IsEnabled() const { return enabled_; }
  const ItemBox& Box(int32_t box) const { return boxes_[box - 1]; }
  ui::UIWidget* Icon(int32_t box, int32_t n) const { return icons_[box - 1][n - 1].Get(); }

 private:
  void LookUpWidgets();
  void RefreshWidgets();
  void SetTexts(const std::string& name, const std::string& description);
  void ShowIcons(int32_t box, const struct DressItem& item);

  ItemBox boxes_[kBoxCount];
  ui::WidgetHandle panel_;
  ui::WidgetHandle name_;
  ui::WidgetHandle description_;
  ui::WidgetHandle icons_[kBoxCount][kIconCount];
  ui::WidgetHandle windows_[kBoxCount];
  ui::WidgetHandle tooltip_;
  bool panelFound_ = false;
  bool enabled_ = false;
};

// Drives the popup from the user interface's frame: a tiny widget of the popup's panel
// whose tick ticks the popup and whose highlight pass draws it, after the panel's widgets.
class KivFashionHelper : public ui::UIWidget {
 public:
  explicit KivFashionHelper(ui::UIWidget* panel);
  ~KivFashionHelper() override;
  bool Tick(float dt) override;
  void RenderHighlight() override;
};

// The global function "GetFashionPopup" of the scripts.
KivFashionPopup* GetFashionPopup();
