#include "game/shell/KivHana.h"

#include <strings.h>

#include <algorithm>

#include "engine/core/Log.h"
#include "engine/core/Script.h"
#include "game/shell/KivDresses.h"
#include "game/shell/KivVars.h"
#include "platform/luaplus/LuaState.h"

namespace {

// The clothing slots in their order, the parts that show them and their game variables.
struct Slot {
  const char* slot;
  const char* part;
  int32_t owned;
  int32_t worn;
};
constexpr Slot kSlots[3] = {
    {"head", "hair", KivVars::kHeadOwned, KivVars::kHeadWorn},
    {"upper", "dress", KivVars::kUpperOwned, KivVars::kUpperWorn},
    {"lower", "skirt", KivVars::kLowerOwned, KivVars::kLowerWorn},
};

// Setup pixels to play-area fractions.
constexpr float kPixelToX = 0.00125f;
constexpr float kPixelToY = 0.0016666667f;

}  // namespace

KivHana::KivHana(const KivDresses* catalogue, const std::string& setupFile) : catalogue_(catalogue) {
  Load(setupFile);
}

KivHana::~KivHana() = default;

bool KivHana::Load(const std::string& file) {
  setupFile_ = file;
  parts_.clear();
  LuaState* state = script::CreateLuaState();
  if (!script::LoadScript(state, file)) {
    LOG_LINE(MSG_ERROR) << "Unable to load character " << file << "!";
    LuaState::Destroy(state);
    return false;
  }
  const LuaObject rows = script::GetGlobal(state, kSetupTable);
  if (rows.IsTable()) {
    const int count = rows.GetTableCount();
    for (int i = 1; i <= count; ++i) {
      const LuaObject row = rows.GetByIndex(i);
      if (!row.IsTable()) continue;
      auto part = std::make_unique<HanaPart>();
      part->Name = script::GetString(row, "Name", "");
      const math::Vec2 pixels = script::GetVec2(row, "Offset", math::Vec2(0.0f, 0.0f));
      part->offset = math::Vec2(pixels.x * kPixelToX, pixels.y * kPixelToY);
      const LuaObject pieces = script::GetField(row, "Parts");
      if (pieces.IsTable()) {
        const int pieceCount = pieces.GetTableCount();
        for (int n = 1; n <= pieceCount; ++n) part->pieces.push_back(script::ToString(pieces.GetByIndex(n), ""));
      }
      if (part->Name.empty() || part->pieces.empty()) continue;
      parts_.push_back(std::move(part));
      HanaPart& added = *parts_.back();
      SetPiece(added.Name, added.pieces.front());
    }
  }
  LuaState::Destroy(state);
  return true;
}

HanaPart* KivHana::FindPart(std::string_view name) const {
  for (const auto& part : parts_) {
    if (part->Name.size() == name.size() && strncasecmp(part->Name.data(), name.data(), name.size()) == 0) {
      return part.get();
    }
  }
  return nullptr;
}

void KivHana::ShowPiece(HanaPart& part, const std::string& piece) {
  // The piece shown already keeps its sprite and its animation clock.
  if (piece == part.current) return;
  part.current = piece;
  part.sprite.Init(piece, math::Vec2(0.0f, 0.0f), math::Vec2(1.0f, 1.0f), false);
  part.size = part.sprite.size;
}

void KivHana::SetPiece(const std::string& part, const std::string& piece) {
  if (HanaPart* found = FindPart(part)) ShowPiece(*found, piece);
}

void KivHana::SetNext(const std::string& part, const std::string& piece) {
  if (HanaPart* found = FindPart(part)) found->next = piece;
}

math::Vec2 KivHana::GetSize() const {
  math::Vec2 extent(0.0f, 0.0f);
  for (const auto& part : parts_) {
    extent.x = std::max(extent.x, scale_ * part->offset.x + scale_ * part->size.x);
    extent.y = std::max(extent.y, scale_ * part->offset.y + scale_ * part->size.y);
  }
  return extent;
}

void KivHana::Reset() {
  parts_.clear();
  Load(setupFile_);
  ReloadCurrent();
}

bool KivHana::IsAvailable(const std::string& slot) const {
  const KivVars& vars = KivVars::Instance();
  for (const Slot& each : kSlots) {
    const HanaPart* part = FindPart(each.part);
    if (!part) continue;
    const int32_t piece = vars.GetValue(each.worn);
    if (piece < 1 || static_cast<size_t>(piece) > part->pieces.size()) continue;
    const DressItem* item = catalogue_ ? catalogue_->Find(part->pieces[static_cast<size_t>(piece) - 1]) : nullptr;
    if (item && strcasecmp(item->Override.c_str(), slot.c_str()) == 0) return false;
  }
  return true;
}

void KivHana::ReloadCurrent() {
  KivVars& vars = KivVars::Instance();
  for (const Slot& each : kSlots) {
    if (!IsAvailable(each.slot)) {
      SetPiece(each.part, kNoPiece);
      continue;
    }
    HanaPart* part = FindPart(each.part);
    if (!part) continue;
    int32_t piece = vars.GetValue(each.worn);
    if (piece < 1) {
      // Nothing chosen yet: the slot's first piece becomes owned and worn.
      vars.SetValue(each.owned, vars.GetValue(each.owned) | 1);
      vars.SetValue(each.worn, 1);
      piece = 1;
    }
    if (static_cast<size_t>(piece) <= part->pieces.size()) {
      ShowPiece(*part, part->pieces[static_cast<size_t>(piece) - 1]);
    }
  }
}

std::unique_ptr<KivHana> KivHana::Clone() const {
  auto clone = std::make_unique<KivHana>(catalogue_);
  clone->SetPieces(*this);
  return clone;
}

void KivHana::SetPieces(const KivHana& other) {
  for (const auto& part : other.parts_) SetPiece(part->Name, part->current);
}

void KivHana::Tick(float dt) {
  if (!visible_) return;
  for (const auto& part : parts_) {
    // A running animation finishes its loop before the queued piece shows.
    if (part->sprite.strip && part->sprite.Animate(dt)) continue;
    if (part->next.empty()) continue;
    const std::string next = part->next;
    part->next.clear();
    ShowPiece(*part, next);
  }
}

void KivHana::Render() {
  if (!visible_) return;
  for (const auto& part : parts_) {
    part->sprite.SetTransform(position_ + part->offset * scale_, part->size * scale_, 0.0f, 1.0f, 0xFFFFFFFF);
    part->sprite.Render();
  }
}
