#include "game/shell/KivDresses.h"

#include "engine/core/Log.h"
#include "engine/core/Script.h"
#include "game/shell/KivHana.h"
#include "platform/luaplus/LuaState.h"

namespace {

std::unique_ptr<KivDresses>& Slot() {
  static std::unique_ptr<KivDresses> dresses;
  return dresses;
}

std::string LowerAscii(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

}  // namespace

KivDresses& KivDresses::Instance() {
  std::unique_ptr<KivDresses>& dresses = Slot();
  if (!dresses) dresses = std::make_unique<KivDresses>();
  return *dresses;
}

KivDresses* KivDresses::Existing() { return Slot().get(); }

void KivDresses::Destroy() { Slot().reset(); }

KivHana* GetHana() { return KivDresses::Instance().GetHana(); }

KivDresses::KivDresses(const std::string& itemsFile) {
  Load(itemsFile);
  hana_ = std::make_unique<KivHana>(this);
}

// The heroine first: her parts name items of the catalogue.
KivDresses::~KivDresses() { hana_.reset(); }

bool KivDresses::Load(const std::string& file) {
  LuaState* state = script::CreateLuaState();
  if (!script::LoadScript(state, file)) {
    LOG_LINE(MSG_ERROR) << "Unable to load dress data " << file << "!";
    LuaState::Destroy(state);
    return false;
  }
  const LuaObject rows = script::GetGlobal(state, kItemsTable);
  if (rows.IsTable()) {
    const int count = rows.GetTableCount();
    for (int i = 1; i <= count; ++i) {
      const LuaObject row = rows.GetByIndex(i);
      if (!row.IsTable()) continue;
      auto item = std::make_unique<DressItem>();
      item->SpriteName = script::GetString(row, "SpriteName", "");
      item->Name = script::GetString(row, "Name", "");
      item->Description = script::GetString(row, "Description", "");
      item->Stat1 = script::GetString(row, "Stat1", "");
      item->Prob1 = script::GetFloat(row, "Prob1", 0.0f);
      item->Stat2 = script::GetString(row, "Stat2", "");
      item->Prob2 = script::GetFloat(row, "Prob2", 0.0f);
      item->PartID = script::GetString(row, "PartID", "");
      item->Override = script::GetString(row, "Override", "");
      if (item->SpriteName.empty()) continue;
      item->Stat1 = LowerAscii(item->Stat1);
      item->Stat2 = LowerAscii(item->Stat2);
      item->PartID = LowerAscii(item->PartID);
      item->Override = LowerAscii(item->Override);
      const std::string key = item->SpriteName;
      // The first row of a sprite name wins; a refused item stays ours to delete.
      if (items_.Insert(key, item.get())) item.release();
    }
  }
  LuaState::Destroy(state);
  return true;
}

const DressItem* KivDresses::Find(std::string_view spriteName) const { return items_.Find(spriteName); }

void KivDresses::CollectStats(const KivHana* avatar, std::vector<Stat>& out) const {
  if (!avatar) return;
  for (const auto& part : avatar->Parts()) {
    const DressItem* item = Find(part->current);
    if (!item) continue;
    if (!item->Stat1.empty()) out.emplace_back(item->Stat1, item->Prob1);
    if (!item->Stat2.empty()) out.emplace_back(item->Stat2, item->Prob2);
  }
}
