#include "game/shell/KivFashionStudio.h"

#include <algorithm>
#include <bit>
#include <cstdio>
#include <memory>

#include "engine/core/Console.h"
#include "engine/ui/UIManager.h"
#include "engine/ui/UIWidget.h"
#include "game/board/KivHelp.h"
#include "game/board/KivTooltip.h"
#include "game/shell/KivDresses.h"
#include "game/shell/KivHana.h"
#include "game/shell/KivHanaWidget.h"
#include "game/shell/KivPieceWidget.h"
#include "game/shell/KivVars.h"

namespace {

constexpr const char* kSlotNames[KivFashionStudio::kSlotCount] = {"head", "upper", "lower"};
constexpr const char* kPartNames[KivFashionStudio::kSlotCount] = {"hair", "dress", "skirt"};
constexpr const char* kRowSuffix[] = {"_name", "_desc", "_prev", "_next", "_box"};
// Where a slot's pieces lie in their pictures (frames of the whole figure), as fractions of
// the picture: the hair round the head, the top from the shoulders, the skirt from the
// waist down. The box of the slot shows that window.
struct PieceWindow {
  float x1, y1, x2, y2;
};
constexpr PieceWindow kPieceWindows[KivFashionStudio::kSlotCount] = {
    {0.3f, 0.02f, 0.7f, 0.42f}, {0.3f, 0.3f, 0.7f, 0.7f}, {0.3f, 0.5f, 0.7f, 0.9f}};

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

std::unique_ptr<KivFashionStudio>& Slot() {
  static std::unique_ptr<KivFashionStudio> studio;
  return studio;
}

void Show(const ui::WidgetHandle& widget, bool show) {
  if (widget) widget->SetIsVisible(show);
}

void SetText(const ui::WidgetHandle& widget, const std::string& text) {
  if (widget) widget->SetText(text);
}

}  // namespace

KivFashionStudio& KivFashionStudio::Instance() {
  std::unique_ptr<KivFashionStudio>& studio = Slot();
  if (!studio) studio = std::make_unique<KivFashionStudio>();
  return *studio;
}

KivFashionStudio* KivFashionStudio::Existing() { return Slot().get(); }

void KivFashionStudio::Destroy() { Slot().reset(); }

KivFashionStudio* GetStudio() { return &KivFashionStudio::Instance(); }

KivFashionStudio::KivFashionStudio() { LookUpWidgets(); }

KivFashionStudio::~KivFashionStudio() = default;

void KivFashionStudio::LookUpWidgets() {
  panel_.Reset(ui::GetUIMan().GetPanel(kPanel));
  // Once found, a panel that goes is looked for again at every call until it is back.
  panelFound_ = panelFound_ || static_cast<bool>(panel_);
  for (auto& row : widgets_) {
    for (ui::WidgetHandle& widget : row) widget.Reset();
  }
  for (ui::WidgetHandle& piece : pieces_) piece.Reset();
  coins_.Reset();
  tooltip_.Reset();
  avatar_.Reset();
  if (!panel_) return;

  ui::UIWidget* frame = panel_->GetWidgetByName(kAvatarFrame);
  KivHana* hana = KivDresses::Instance().GetHana();
  if (frame && hana) {
    auto* avatar = new KivHanaWidget(*hana);
    frame->InsertChild(avatar, true, "");
    avatar_.Reset(avatar);
  }
  for (int32_t row = 0; row < kRowCount; ++row) {
    for (int32_t slot = 0; slot < kSlotCount; ++slot) {
      widgets_[row][slot].Reset(panel_->GetWidgetByName(std::string(kSlotNames[slot]) + kRowSuffix[row]));
    }
  }
  for (int32_t slot = 0; slot < kSlotCount; ++slot) {
    ui::UIWidget* box = widgets_[kBox][slot].Get();
    if (!box) continue;
    const std::string name = std::string(kSlotNames[slot]) + kPieceSuffix;
    ui::UIWidget* piece = box->GetWidgetByName(name);
    if (!piece) {
      const PieceWindow& window = kPieceWindows[slot];
      piece = new KivPieceWidget(box, name, math::Vec2(window.x1, window.y1), math::Vec2(window.x2, window.y2));
      if (!box->AddChild(piece)) {
        delete piece;
        continue;
      }
    }
    pieces_[slot].Reset(dynamic_cast<KivPieceWidget*>(piece));
  }
  coins_.Reset(panel_->GetWidgetByName(kCoins));
  tooltip_.Reset(FindOrAddTooltips(panel_.Get(), kTooltip));
  for (int32_t slot = 0; slot < kSlotCount; ++slot) {
    SetText(widgets_[kName][slot], "");
    SetText(widgets_[kDesc][slot], "");
  }
}

void KivFashionStudio::RefreshWidgets() {
  if (panelFound_ && !panel_) LookUpWidgets();
}

KivHanaWidget* KivFashionStudio::Avatar() {
  RefreshWidgets();
  // The handle holds only the widget this object made.
  return static_cast<KivHanaWidget*>(avatar_.Get());
}

bool KivFashionStudio::GetIsVisible() {
  RefreshWidgets();
  return panel_ && panel_->GetIsVisible();
}

void KivFashionStudio::SetIsVisible(bool show) {
  RefreshWidgets();
  if (!panel_) return;
  ui::UIManager& manager = ui::GetUIMan();
  if (!show) {
    enabled_ = false;
    manager.PushPanelToBack(panel_.Get());
    panel_->SetIsVisible(false);
    return;
  }
  enabled_ = true;
  panel_->SetIsVisible(true);
  if (manager.IsPanel(panel_.Get())) {
    ui::UIWidget* panel = panel_.Get();
    manager.DropPanel(panel, false);
    manager.AttachPanel(panel);
  }
}

int32_t KivFashionStudio::PieceLimit(int32_t slot) {
  const KivHana* hana = KivDresses::Instance().GetHana();
  const HanaPart* part = hana ? hana->FindPart(kPartNames[slot]) : nullptr;
  if (!part) return 0;
  return static_cast<int32_t>(std::min<size_t>(KivVars::kPieceCount, part->pieces.size()));
}

void KivFashionStudio::ChangePart(const std::string& slotName, bool forward) {
  const KivHana* hana = KivDresses::Instance().GetHana();
  if (!enabled_ || !hana || !hana->IsAvailable(slotName)) return;
  const int32_t slot = KivVars::PieceSlotFromName(slotName) - 1;
  KivVars& vars = KivVars::Instance();
  const int32_t worn = KivVars::kHeadWorn + slot;
  const auto owned = static_cast<uint32_t>(vars.GetValue(KivVars::kHeadOwned + slot));
  const int32_t current = std::max(1, vars.GetValue(worn));
  // Only the pieces the part's list holds: a number beyond it would show nothing while the
  // board reads the bonuses of what is drawn.
  const int32_t limit = PieceLimit(slot);
  for (int32_t step = 1; step <= limit; ++step) {
    const int32_t offset = forward ? current - 1 + step : current - 1 - step;
    const int32_t candidate = ((offset % limit) + limit) % limit + 1;
    if (candidate == current) continue;
    if (owned & (1u << (candidate - 1))) {
      vars.SetValue(worn, candidate);
      // A piece tried on: the level's tip that sends her to the studio for her new clothes
      // is no longer due (else it would come once the piece is already worn).
      KivHelp::MarkShownInProfile(KivHelp::kStudioTip);
      RefreshParts();
      return;
    }
  }
}

void KivFashionStudio::RefreshParts() {
  RefreshWidgets();
  KivHana* hana = KivDresses::Instance().GetHana();
  if (!enabled_ || !hana) return;
  KivVars& vars = KivVars::Instance();
  if (coins_) {
    char coins[16];
    std::snprintf(coins, sizeof(coins), "%d", static_cast<int>(vars.GetValue(KivVars::kCoins)));
    coins_->SetText(coins);
  }
  hana->ReloadCurrent();
  if (KivHanaWidget* avatar = Avatar(); avatar && avatar->GetHana()) {
    avatar->GetHana()->SetPieces(*hana);
    avatar->FitToParent();
  }
  partsChanged_ = true;

  const KivDresses& catalogue = KivDresses::Instance();
  for (int32_t slot = 0; slot < kSlotCount; ++slot) {
    const HanaPart* part = hana->FindPart(kPartNames[slot]);
    const int32_t piece = vars.GetValue(KivVars::kHeadWorn + slot);
    const bool available = hana->IsAvailable(kSlotNames[slot]);
    const int32_t limit = PieceLimit(slot);
    const uint32_t reachable = limit >= 32 ? 0xFFFFFFFFu : (1u << limit) - 1u;
    const int owned = std::popcount(static_cast<uint32_t>(vars.GetValue(KivVars::kHeadOwned + slot)) & reachable);
    const auto index = static_cast<size_t>(std::clamp(piece - 1, 0, 31));
    const bool choosable = available && owned >= 2;
    // A slot she wears one piece in shows that piece, with nothing to step to: only a
    // slot that a worn piece hides is not available (it once said so for any slot with
    // fewer than two pieces owned, while she visibly wore one there).
    if (!available) {
      SetText(widgets_[kName][slot], "");
      SetText(widgets_[kDesc][slot], kNotAvailable);
      Show(widgets_[kBox][slot], false);
    } else if (part && index < part->pieces.size()) {
      if (const DressItem* item = catalogue.Find(part->pieces[index])) {
        Show(widgets_[kBox][slot], true);
        if (auto* shown = static_cast<KivPieceWidget*>(pieces_[slot].Get())) shown->SetPiece(part->pieces[index]);
        SetText(widgets_[kName][slot], item->Name);
        SetText(widgets_[kDesc][slot], item->Description);
      }
    }
    Show(widgets_[kPrev][slot], choosable);
    Show(widgets_[kNext][slot], choosable);
  }
  console::GetConsole().Do(kRefreshScript);
}

bool KivFashionStudio::TakePartsChanged() {
  if (!enabled_ || !partsChanged_) return false;
  partsChanged_ = false;
  return true;
}

void KivFashionStudio::SetTooltip(const std::string& widget, const std::string& text) {
  RefreshWidgets();
  if (!panel_ || !tooltip_) return;
  if (ui::UIWidget* target = panel_->GetWidgetByName(widget)) SetTip(tooltip_, target, text);
}
