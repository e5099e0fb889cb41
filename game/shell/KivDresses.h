#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "engine/core/StringMap.h"

class KivHana;

// One row of the clothes table: a piece the heroine can wear, keyed by its sprite name.
// The stat, part and override names are kept in lower case.
struct DressItem {
  std::string SpriteName;
  std::string Name;
  std::string Description;
  std::string Stat1;  // first bonus, empty for none
  float Prob1 = 0.0f;  // its amount in percent
  std::string Stat2;
  float Prob2 = 0.0f;
  std::string PartID;    // kept; nothing reads it
  std::string Override;  // the slot ("head", "upper", "lower") the piece hides, or empty
};

// The clothes catalogue, read from "scripts/items.lua" (global table "Clothes": rows with
// the fields of DressItem; strings default to empty, numbers to 0; a row without a
// SpriteName is dropped; of two rows of one SpriteName, ignoring case, the first wins),
// and the one heroine of the game, made right after the catalogue is read.
class KivDresses {
 public:
  static constexpr const char* kItemsFile = "scripts/items.lua";
  static constexpr const char* kItemsTable = "Clothes";

  // A bonus of a worn piece: its name and its value in percent.
  using Stat = std::pair<std::string, float>;

  // The process-wide catalogue, built on first use.
  static KivDresses& Instance();
  // The catalogue when it has been built, else null.
  static KivDresses* Existing();
  // Ends the process-wide catalogue (the ordered shutdown; tests start the next afresh).
  static void Destroy();

  explicit KivDresses(const std::string& itemsFile = kItemsFile);
  ~KivDresses();
  KivDresses(const KivDresses&) = delete;
  KivDresses& operator=(const KivDresses&) = delete;

  // Reads the catalogue; a file that does not run logs one line and leaves it empty.
  bool Load(const std::string& file);
  // The item of that sprite name (ignoring case), or null.
  const DressItem* Find(std::string_view spriteName) const;
  size_t ItemCount() const { return items_.Size(); }

  // Appends the bonuses of every piece the avatar shows, part by part: (Stat1, Prob1) and
  // (Stat2, Prob2) of each catalogue item, each only when its name is set. A null avatar
  // adds nothing.
  void CollectStats(const KivHana* avatar, std::vector<Stat>& out) const;

  KivHana* GetHana() const { return hana_.get(); }

 private:
  StringMap<DressItem> items_;
  std::unique_ptr<KivHana> hana_;
};
