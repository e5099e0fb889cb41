#include "game/shell/KivFashionPopup.h"

#include <algorithm>
#include <cstdio>
#include <memory>

#include "engine/core/StringUtil.h"
#include "engine/ui/SpriteSet.h"
#include "engine/ui/UIManager.h"
#include "game/board/KivHelp.h"
#include "game/board/KivSpellNames.h"
#include "game/board/KivTooltip.h"
#include "game/shell/KivDresses.h"
#include "game/shell/KivHana.h"
#include "game/shell/KivVars.h"

namespace {

std::unique_ptr<KivFashionPopup>& Slot() {
  static std::unique_ptr<KivFashionPopup> popup;
  return popup;
}

std::string Numbered(const char* format, int32_t a, int32_t b = 0) {
  char name[48];
  std::snprintf(name, sizeof(name), format, static_cast<int>(a), static_cast<int>(b));
  return name;
}

// The panel's tooltip carrier of that name, made as the panel's last child when the panel
// has no widget of the name; null when a widget of another kind holds the name.
KivTooltipWidget* FindOrAddTooltips(ui::UIWidget* panel, const char* name) {
  if (ui::UIWidget* found = panel->GetWidgetByName(name)) return dynamic_cast<KivTooltipWidget*>(found);
  auto* carrier = new KivTooltipWidget(panel, name);
  if (panel->AddChild(carrier)) return carrier;
  delete carrier;
  return nullptr;
}

// The tooltip of a widget in the carrier's table; an empty text removes it.
void SetTip(const ui::WidgetHandle& carrier, ui::UIWidget* widget, const std::string& text) {
  // The handle holds only a carrier that FindOrAddTooltips gave.
  if (carrier) static_cast<KivTooltipWidget*>(carrier.Get())->GetTooltips().SetTooltip(widget, text);
}

bool ValidBoxNumber(int32_t box) { return box >= 1 && box <= KivFashionPopup::kBoxCount; }

// The picture an offer shows of a piece. A piece's own sprite is a frame of the heroine's
// whole figure that keeps the piece in its place on her, mostly empty round it: fitted
// into a box, the piece came out small in one corner. The content's crop of the piece,
// "shop_<piece>", is shown where there is one.
std::string ShopImage(const std::string& piece) {
  const std::string crop = KivFashionPopup::kShopImagePrefix + piece;
  return ui::GetSpriteSet().Find(crop) ? crop : piece;
}

std::string UpperCase(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return text;
}

}  // namespace

// A zen power shows its power's icon and tip. Any other bonus (a flower colour, a block
// kind) shows an icon and a text of its own: read as a spell, it would fall back to the
// fireball's icon and tell of a power the piece does not give.
KivFashionPopup::BonusIcon KivFashionPopup::IconOfBonus(const std::string& stat) {
  const std::string name = ToLowerCase(stat);
  const int32_t spell = SpellIndex(name);
  if (SpellName(spell) == name) return {Numbered("wildcard%03i", spell + 1), KivHelp::GetSpellTipName(spell)};
  return {kBonusIconPrefix + name, kBonusTipPrefix + UpperCase(name)};
}

KivFashionPopup& KivFashionPopup::Instance() {
  std::unique_ptr<KivFashionPopup>& popup = Slot();
  if (!popup) popup = std::make_unique<KivFashionPopup>();
  return *popup;
}

KivFashionPopup* KivFashionPopup::Existing() { return Slot().get(); }

void KivFashionPopup::Destroy() { Slot().reset(); }

KivFashionPopup* GetFashionPopup() { return &KivFashionPopup::Instance(); }

KivFashionPopup::KivFashionPopup() { LookUpWidgets(); }

KivFashionPopup::~KivFashionPopup() = default;

void KivFashionPopup::LookUpWidgets() {
  panel_.Reset(ui::GetUIMan().GetPanel(kPanel));
  // Once found, a panel that goes is looked for again at every call until it is back.
  panelFound_ = panelFound_ || static_cast<bool>(panel_);
  name_.Reset();
  description_.Reset();
  tooltip_.Reset();
  for (int32_t b = 0; b < kBoxCount; ++b) {
    windows_[b].Reset();
    for (ui::WidgetHandle& icon : icons_[b]) icon.Reset();
  }
  if (!panel_) return;

  name_.Reset(panel_->GetWidgetByName("item_name"));
  if (name_) name_->SetText("");
  description_.Reset(panel_->GetWidgetByName("item_desc"));
  if (description_) description_->SetText(kSelectText);
  if (!panel_->GetWidgetByName(kHelperName)) panel_->AddChild(new KivFashionHelper(panel_.Get()));
  tooltip_.Reset(FindOrAddTooltips(panel_.Get(), kTooltip));
  for (int32_t b = 1; b <= kBoxCount; ++b) {
    ItemBox& box = boxes_[b - 1];
    if (ui::UIWidget* frame = panel_->GetWidgetByName(Numbered("item_box%d", b))) {
      box.x1 = frame->position.x;
      box.y1 = frame->position.y;
      box.x2 = frame->position.x + frame->size.x;
      box.y2 = frame->position.y + frame->size.y;
    }
    for (int32_t n = 1; n <= kIconCount; ++n) {
      ui::UIWidget* icon = panel_->GetWidgetByName(Numbered("power%d_%d", b, n));
      if (icon) icon->SetIsVisible(false);
      icons_[b - 1][n - 1].Reset(icon);
    }
    windows_[b - 1].Reset(panel_->GetWidgetByName(Numbered("item_window%d", b)));
  }
}

void KivFashionPopup::RefreshWidgets() {
  if (panelFound_ && !panel_) LookUpWidgets();
}

void KivFashionPopup::Enable(bool on) {
  RefreshWidgets();
  enabled_ = on;
}

void KivFashionPopup::SetTexts(const std::string& name, const std::string& description) {
  if (name_) name_->SetText(name);
  if (description_) description_->SetText(description);
}

void KivFashionPopup::SetItem(int32_t boxNumber, const std::string& slot, int32_t piece) {
  RefreshWidgets();
  if (!enabled_ || !ValidBoxNumber(boxNumber)) return;
  ItemBox& box = boxes_[boxNumber - 1];
  if (slot.empty()) {
    box.valid = false;
    for (ui::WidgetHandle& icon : icons_[boxNumber - 1]) {
      if (icon) icon->SetIsVisible(false);
    }
    return;
  }
  const KivDresses& catalogue = KivDresses::Instance();
  const KivHana* hana = catalogue.GetHana();
  if (!hana) return;
  const HanaPart* part = hana->FindPart(KivVars::PieceTypeName(slot));
  if (!part || piece < 1 || static_cast<size_t>(piece) > part->pieces.size()) return;
  const std::string& name = part->pieces[static_cast<size_t>(piece) - 1];
  if (!box.sprite.Init(ShopImage(name), math::Vec2(0.0f, 0.0f), math::Vec2(1.0f, 1.0f), false)) return;

  float w = box.sprite.size.x;
  float h = box.sprite.size.y;
  const float maxW = kFill * (box.x2 - box.x1);
  const float maxH = kFill * (box.y2 - box.y1);
  if (w > maxW) {
    h = h / w * maxW;
    w = maxW;
  }
  if (h > maxH) {
    w = w / h * maxH;
    h = maxH;
  }
  box.zoom = 1.0f;
  box.w = w;
  box.h = h;
  box.x = (box.x1 + box.x2 - w) * 0.5f;
  box.y = (box.y1 + box.y2 - h) * 0.5f;
  box.piece = name;
  box.hovered = false;
  box.valid = true;

  // A piece without a row in the catalogue shows without icons: an empty row hides those
  // of the box's earlier offer.
  const DressItem* item = catalogue.Find(name);
  ShowIcons(boxNumber, item ? *item : DressItem{});
}

void KivFashionPopup::ShowIcons(int32_t boxNumber, const DressItem& item) {
  const std::string* stats[kIconCount] = {&item.Stat1, &item.Stat2};
  ui::UIWidget* shown[kIconCount] = {};
  int32_t count = 0;
  for (int32_t n = 0; n < kIconCount; ++n) {
    ui::UIWidget* icon = icons_[boxNumber - 1][n].Get();
    if (!icon) continue;
    if (stats[n]->empty()) {
      icon->SetIsVisible(false);
      SetTip(tooltip_, icon, "");
      continue;
    }
    const BonusIcon look = IconOfBonus(*stats[n]);
    icon->SetIsVisible(true);
    icon->SetOffImage(look.image);
    shown[count++] = icon;
    SetTip(tooltip_, icon, look.tip);
  }
  const ui::WidgetHandle& window = windows_[boxNumber - 1];
  if (count == 0 || !window) return;
  // The icons shown are centred as a group, whichever of the two they are: a lone second
  // icon is centred too rather than left where the layout put it.
  const float left = window->position.x;
  const float right = left + window->size.x;
  const float width = shown[0]->size.x;
  for (int32_t k = 0; k < count; ++k) {
    const float x = (left + right - static_cast<float>(count) * width) * 0.5f + static_cast<float>(k) * width;
    shown[k]->SetPositionRelativeToParent(math::Vec2(x, shown[k]->position.y));
  }
}

void KivFashionPopup::OnMouseOver(int32_t boxNumber) {
  RefreshWidgets();
  if (!enabled_ || !ValidBoxNumber(boxNumber)) return;
  ItemBox& box = boxes_[boxNumber - 1];
  if (!box.valid) return;
  box.hovered = true;
  if (const DressItem* item = KivDresses::Instance().Find(box.piece)) {
    SetTexts(item->Name, item->Description);
  } else {
    SetTexts("", kSelectText);
  }
}

void KivFashionPopup::OnMouseLeave(int32_t boxNumber) {
  RefreshWidgets();
  if (!enabled_ || !ValidBoxNumber(boxNumber)) return;
  ItemBox& box = boxes_[boxNumber - 1];
  if (!box.valid) return;
  box.hovered = false;
  SetTexts("", kSelectText);
}

bool KivFashionPopup::OnBuyItem(int32_t) {
  const bool was = enabled_;
  enabled_ = false;
  return was;
}

void KivFashionPopup::SetTooltip(const std::string& widget, const std::string& text) {
  RefreshWidgets();
  if (!panel_ || !tooltip_) return;
  if (ui::UIWidget* target = panel_->GetWidgetByName(widget)) SetTip(tooltip_, target, text);
}

void KivFashionPopup::Tick(float dt) {
  if (!enabled_) return;
  for (ItemBox& box : boxes_) {
    if (!box.valid) continue;
    if (box.hovered && box.zoom < kMaxZoom) box.zoom = std::min(kMaxZoom, box.zoom + dt);
    if (!box.hovered && box.zoom > 1.0f) box.zoom = std::max(1.0f, box.zoom - dt);
  }
}

void KivFashionPopup::Render() {
  if (!enabled_) return;
  for (ItemBox& box : boxes_) {
    if (!box.valid) continue;
    const float w = box.zoom * box.w;
    const float h = box.zoom * box.h;
    const float x = box.x - (w - box.w) * 0.5f;
    const float y = box.y - (h - box.h) * 0.5f;
    const math::Vec2 clipMin(box.x1, box.y1);
    const math::Vec2 clipMax(box.x2, box.y2);
    // The shadow lies further off as the offer grows: 1 at rest, 3 at full zoom.
    const float k = (box.zoom - 1.0f) * 10.0f + 1.0f;
    box.sprite.SetTransform(math::Vec2(x - 0.00375f * k, y + 0.005f * k), math::Vec2(w, h), 0.0f, 1.0f, kShadowColour);
    box.sprite.RenderClipped(clipMin, clipMax);
    box.sprite.SetTransform(math::Vec2(x, y), math::Vec2(w, h), 0.0f, 1.0f, 0xFFFFFFFF);
    box.sprite.RenderClipped(clipMin, clipMax);
  }
}

KivFashionHelper::KivFashionHelper(ui::UIWidget* panel) : ui::UIWidget(panel, "") {
  Create(KivFashionPopup::kHelperName, math::Vec2(0.0f, 0.0f), math::Vec2(0.01f, 0.01f));
}

KivFashionHelper::~KivFashionHelper() = default;

bool KivFashionHelper::Tick(float dt) {
  if (KivFashionPopup* popup = KivFashionPopup::Existing()) popup->Tick(dt);
  return ui::UIWidget::Tick(dt);
}

void KivFashionHelper::RenderHighlight() {
  if (KivFashionPopup* popup = KivFashionPopup::Existing()) popup->Render();
}
