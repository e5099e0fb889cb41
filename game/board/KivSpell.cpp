// The spells the player arms with zen: their cursors, the cells they would affect, and
// what each does to the board when it is cast.

#include "game/board/KivSpell.h"

#include <algorithm>
#include <array>
#include <cstdio>

#include "engine/core/Console.h"
#include "engine/core/MemoryManager.h"
#include "engine/core/Random.h"
#include "game/board/KivBlock.h"
#include "game/board/KivWell.h"
#include "game/board/KivWellSFX.h"
#include "game/shell/CursorSet.h"

namespace {

constexpr const char* kCursorImage = "castle_off";
constexpr const char* kShadowImage = "Effect_Overlay_Shadow";

// The effect set that marks each cell a spell acted on, by spell index.
constexpr std::array<int32_t, kSpellCount> kEffectSets = {18, 19, 20, 21, -1, 22};
constexpr std::array<int32_t, kSpellCount> kDefaultPowers = {6, 3, 1, 1, 0, 3};

// The eight neighbour directions, clockwise from the upper left.
constexpr std::array<std::pair<int32_t, int32_t>, 8> kClockwise = {
    {{-1, -1}, {0, -1}, {1, -1}, {1, 0}, {1, 1}, {0, 1}, {-1, 1}, {-1, 0}}};
// The eight neighbours row by row, as the flower blast sends its spreads.
constexpr std::array<std::pair<int32_t, int32_t>, 8> kRowOrder = {
    {{-1, -1}, {0, -1}, {1, -1}, {-1, 0}, {1, 0}, {-1, 1}, {0, 1}, {1, 1}}};

bool Live(const KivBlock* block) { return block && !block->IsDying(); }

bool IsFlowerKind(int32_t kind) { return kind < 3; }

}  // namespace

// --- Making a spell ---

int32_t KivSpell::DefaultPower(int32_t index) {
  if (index < 0 || index >= kSpellCount) return 0;
  return kDefaultPowers[static_cast<size_t>(index)];
}

std::unique_ptr<KivSpell> KivSpell::FromName(const std::string& name, KivWell* board) {
  const SpellBrushSpec spec = ParseSpellBrushName(name);
  const int32_t index = SpellIndex(spec.name);
  int32_t power = spec.power > 0 ? spec.power : DefaultPower(index);
  // A power beyond the number of cells reaches nothing more and would only make every
  // frame scan a larger square.
  if (board) power = std::min(power, std::max(1, board->GetWidth() * board->GetHeight()));
  MEMORY_OWNER("KivSpell::FromName");
  switch (index) {
    case kSpellMatch:
      return std::make_unique<KivMatchSpell>(board, power);
    case kSpellFireball:
      return std::make_unique<KivFireballSpell>(board, power);
    case kSpellTilegrab:
      return std::make_unique<KivTilegrabSpell>(board, power);
    case kSpellFlowerblast:
      return std::make_unique<KivFlowerblastSpell>(board, power);
    case kSpellLightning:
      return std::make_unique<KivLightningSpell>(board, power);
    default:
      return nullptr;
  }
}

KivSpell::KivSpell(KivWell* board, int32_t index, int32_t power)
    : board_(board), name_(SpellName(index)), index_(index), power_(power) {
  cursorEffect_.Load("effects/cursor_" + name_ + ".p2d");
}

KivSpell::~KivSpell() {
  if (!cursorSet_) return;
  if (CursorSet* cursors = CursorSet::Existing()) cursors->SelectDefault();
}

void KivSpell::Begin() {
  cursor_.LoadImage(kCursorImage);
  cursor_.SetTransform(math::Vec2(0.0f, 0.0f), cursor_.GetImageSize(), 0.0f, 1.0f, 0xFFFFFFFF);
  shadow_.LoadImage(kShadowImage);
  shadow_.uv1 = math::Vec2(0.0f, 0.0f);
  shadow_.uv2 = math::Vec2(1.0f, 1.0f);
  shadow_.size = board_->CellToOffset(1, 1);
  name_ = SpellName(index_);
  const int32_t cursor = index_ + 1;
  CursorSet& cursors = CursorSet::Instance();
  if (cursor < CursorSet::kSlotCount && cursors.current != cursor) {
    cursors.Select(cursor);
    cursorSet_ = true;
  }
}

// --- Following the pointer ---

void KivSpell::SetMousePos(const math::Vec2& pos) {
  pointer_ = pos;
  cursor_.position = pos - cursor_.size * 0.5f;
  board_->ScreenToCell(pos, cellX_, cellY_);
}

void KivSpell::Render() {
  FindTargets();
  if (shadow_.IsLoaded()) {
    for (const auto& [x, y] : targets_) {
      shadow_.position = board_->CellToScreen(x, y);
      shadow_.Render();
    }
  }
  if (cursor_.IsLoaded()) cursor_.Render();
  if (cursorEffect_.GroupC() > 0) cursorEffect_.Render(math::Vec2(0.0f, 0.0f));
  Update(board_->GetClock().GetDelta());
}

void KivSpell::Update(float dt) {
  cursor_.Animate(dt);
  shadow_.Animate(dt);
  if (cursorEffect_.GroupC() > 0) {
    cursorEffect_.EmitInRect(dt, pointer_, math::Vec2(0.0f, 0.0f));
    cursorEffect_.Tick(dt);
  }
}

std::vector<std::pair<int32_t, int32_t>> KivSpell::SquareCells() const {
  std::vector<std::pair<int32_t, int32_t>> cells;
  const int32_t lo = -((power_ - 1) / 2);
  const int32_t hi = power_ / 2;
  // Only the part of the square inside the grid: the order stays column by column.
  const int32_t x0 = std::max(cellX_ + lo, 0);
  const int32_t x1 = std::min(cellX_ + hi, board_->GetWidth() - 1);
  const int32_t y0 = std::max(cellY_ + lo, 0);
  const int32_t y1 = std::min(cellY_ + hi, board_->GetHeight() - 1);
  for (int32_t x = x0; x <= x1; ++x) {
    for (int32_t y = y0; y <= y1; ++y) cells.emplace_back(x, y);
  }
  return cells;
}

// --- Reports ---

void KivSpell::ShowEffect(int32_t x, int32_t y) const {
  KivWellSFX* sfx = board_->GetKivSFX();
  if (!sfx) return;
  const math::Vec2 centre =
      board_->CellToScreen(x, y) + board_->GetCellSize() * 0.5f + board_->GetViewOffset();
  sfx->EmitAt(kEffectSets[static_cast<size_t>(index_)], static_cast<int32_t>(kEffectParticles),
              centre);
}

void KivSpell::RunReport(const std::string& name, bool ok) {
  char script[96];
  std::snprintf(script, sizeof script, ok ? "SpellTriggered('%s', true)" : "SpellTriggered('%s', false)",
                name.c_str());
  console::GetConsole().Do(script);
}

void KivSpell::Succeeded() {
  KivWell::PlaySoundNow("zenpower_" + name_);
  board_->RestartHintTimer();
  RunReport(name_, true);
}

void KivSpell::Failed() { RunReport(name_, false); }

// --- Match ---

KivMatchSpell::KivMatchSpell(KivWell* board, int32_t power) : KivSpell(board, kSpellMatch, power) {}

void KivMatchSpell::SetMousePos(const math::Vec2& pos) {
  KivSpell::SetMousePos(pos);
  if (cellX_ == lastX_ && cellY_ == lastY_) return;
  lastX_ = cellX_;
  lastY_ = cellY_;
  Search();
}

void KivMatchSpell::ForgetBlocks() {
  chain_.clear();
  targets_.clear();
  // The next pointer position searches again, whatever its cell.
  lastX_ = -1;
  lastY_ = -1;
}

void KivMatchSpell::Search() {
  ++searches_;
  minX_ = std::clamp(cellX_ - (power_ - 1) / 2, 0, board_->GetWidth());
  maxX_ = std::clamp(cellX_ + power_ / 2, 0, board_->GetWidth());
  minY_ = std::clamp(cellY_ - (power_ - 1) / 2, 0, board_->GetHeight());
  maxY_ = std::clamp(cellY_ + power_ / 2, 0, board_->GetHeight());
  chain_.clear();
  board_->RebuildCells();
  BuildChain(cellX_, cellY_);
  if (chain_.size() > 2) {
    board_->SelectSoundFlag(static_cast<int32_t>(chain_.size()));
  } else {
    chain_.clear();
  }
  board_->SetChainPreview(board_->ChainScore(chain_), static_cast<int32_t>(chain_.size()));
}

void KivMatchSpell::BuildChain(int32_t x, int32_t y) {
  if (!board_->IsInGrid(x, y)) return;
  KivBlock* block = board_->GetKivBlock(x, y);
  if (!block || block->state == kBlockEncased || block->kind > kKindHard) return;
  if (block->kind < 4) {
    Flood(chain_, x, y, -1, -1, nullptr);
    return;
  }
  // A free block links its neighbours: the longest chain that starts next to it.
  for (const auto& [dx, dy] : kClockwise) {
    std::vector<KivBlock*> trial;
    Flood(trial, x + dx, y + dy, x, y, block);
    if (trial.size() > 2 && trial.size() > chain_.size()) chain_ = std::move(trial);
  }
}

void KivMatchSpell::Flood(std::vector<KivBlock*>& chain, int32_t x, int32_t y, int32_t px,
                          int32_t py, const KivBlock* excluded) {
  if (!board_->IsInGrid(x, y)) return;
  KivBlock* block = board_->GetKivBlock(x, y);
  if (!block || block == excluded || block->state == kBlockEncased || block->kind >= 15) return;
  if (!chain.empty()) {
    if (std::find(chain.begin(), chain.end(), block) != chain.end()) return;
    if (!board_->CanJoin(block, chain)) return;
  }
  chain.push_back(block);
  for (const auto& [dx, dy] : kClockwise) {
    const int32_t nx = x + dx;
    const int32_t ny = y + dy;
    if (nx < minX_ || nx > maxX_ || ny < minY_ || ny > maxY_) continue;
    if (nx == px && ny == py) continue;
    Flood(chain, nx, ny, x, y, excluded);
  }
}

void KivMatchSpell::FindTargets() {
  targets_.clear();
  for (const KivBlock* block : chain_) {
    int32_t x = 0;
    int32_t y = 0;
    block->GetCell(x, y);
    if (board_->GetTileValue(x, y) != 0) targets_.emplace_back(x, y);
  }
}

bool KivMatchSpell::CanCast() { return chain_.size() > 2; }

bool KivMatchSpell::Cast(const math::Vec2&) {
  // A block of the chain may have died since the search (a refill or an effect replaced
  // it while the pointer rested in one cell): search again rather than score it.
  const bool stale = std::any_of(chain_.begin(), chain_.end(),
                                 [](const KivBlock* block) { return !Live(block); });
  if (stale) Search();
  if (chain_.size() <= 2) {
    Failed();
    return false;
  }
  for (const KivBlock* block : chain_) {
    int32_t x = 0;
    int32_t y = 0;
    block->GetCell(x, y);
    ShowEffect(x, y);
  }
  const std::vector<KivBlock*> chain = std::move(chain_);
  chain_.clear();
  board_->ResolveChain(chain, false, false);
  Succeeded();
  return true;
}

// --- Fireball ---

KivFireballSpell::KivFireballSpell(KivWell* board, int32_t power)
    : KivSpell(board, kSpellFireball, power) {}

void KivFireballSpell::FindTargets() {
  targets_.clear();
  for (const auto& cell : SquareCells()) {
    if (board_->GetTileValue(cell.first, cell.second) != 0) targets_.push_back(cell);
  }
}

bool KivFireballSpell::CanCast() {
  for (const auto& [x, y] : SquareCells()) {
    if (board_->GetTileValue(x, y) != 0) return true;
  }
  return false;
}

bool KivFireballSpell::Cast(const math::Vec2&) {
  bool hit = false;
  for (const auto& [x, y] : SquareCells()) {
    KivBlock* block = board_->GetKivBlock(x, y);
    if (!Live(block) || block->kind == kKindWall) continue;
    block->Kill();
    ShowEffect(x, y);
    hit = true;
  }
  if (hit) {
    Succeeded();
  } else {
    Failed();
  }
  return hit;
}

// --- Tilegrab ---

KivTilegrabSpell::KivTilegrabSpell(KivWell* board, int32_t power)
    : KivSpell(board, kSpellTilegrab, power) {}

void KivTilegrabSpell::FindTargets() {
  targets_.clear();
  for (const auto& cell : SquareCells()) {
    if (board_->GetTileValue(cell.first, cell.second) != 0) targets_.push_back(cell);
  }
}

bool KivTilegrabSpell::CanCast() {
  for (const auto& [x, y] : SquareCells()) {
    if (board_->GetTileValue(x, y) > 1) return true;
  }
  return false;
}

bool KivTilegrabSpell::Cast(const math::Vec2&) {
  bool grabbed = false;
  for (const auto& [x, y] : SquareCells()) {
    const int32_t value = board_->GetTileValue(x, y);
    if (value < 2) continue;
    board_->SetTileValue(x, y, value - 1);
    ShowEffect(x, y);
    grabbed = true;
  }
  if (grabbed) {
    Succeeded();
    board_->CountTiles();
  } else {
    Failed();
  }
  return grabbed;
}

// --- Flowerblast ---

KivFlowerblastSpell::KivFlowerblastSpell(KivWell* board, int32_t power)
    : KivSpell(board, kSpellFlowerblast, power) {}

void KivFlowerblastSpell::FindTargets() {
  targets_.clear();
  if (board_->IsInGrid(cellX_, cellY_) && board_->GetTileValue(cellX_, cellY_) != 0) {
    targets_.emplace_back(cellX_, cellY_);
  }
}

bool KivFlowerblastSpell::CanCast() {
  if (!board_->IsInGrid(cellX_, cellY_)) return false;
  const KivBlock* block = board_->GetKivBlock(cellX_, cellY_);
  return Live(block) && block->kind == kKindFlower;
}

bool KivFlowerblastSpell::Cast(const math::Vec2&) {
  const int32_t x = cellX_;
  const int32_t y = cellY_;
  const KivBlock* block = board_->IsInGrid(x, y) ? board_->GetKivBlock(x, y) : nullptr;
  if (!Live(block) || block->kind != kKindFlower) {
    Failed();
    return false;
  }
  const std::string colour = FlowerColorName(block->color);
  for (const auto& [dx, dy] : kRowOrder) {
    board_->SpreadFlower(x + dx, y + dy, dx, dy, power_ - 1, colour);
  }
  ShowEffect(x, y);
  Succeeded();
  return true;
}

// --- Lightning ---

KivLightningSpell::KivLightningSpell(KivWell* board, int32_t power)
    : KivSpell(board, kSpellLightning, power) {}

void KivLightningSpell::FindTargets() {
  targets_.clear();
  if (board_->IsInGrid(cellX_, cellY_) && board_->GetTileValue(cellX_, cellY_) != 0) {
    targets_.emplace_back(cellX_, cellY_);
  }
}

// Any click casts the lightning: without a block under the pointer it reports a failure.
bool KivLightningSpell::CanCast() { return true; }

bool KivLightningSpell::Strike(KivBlock* block, int32_t x, int32_t y) {
  if (!Live(block) || block->kind == kKindWall) return false;
  block->Kill();
  board_->TurnTile(x, y, false);
  ShowEffect(x, y);
  return true;
}

bool KivLightningSpell::Cast(const math::Vec2& pointer) {
  const int32_t x = cellX_;
  const int32_t y = cellY_;
  KivBlock* clicked = board_->IsInGrid(x, y) ? board_->GetKivBlock(x, y) : nullptr;
  if (!clicked) {
    Failed();
    return false;
  }
  const int32_t colour = IsFlowerKind(clicked->kind)
                             ? clicked->color
                             : static_cast<int32_t>(board_->GetColourWeights().Pick());
  const std::string colourName = FlowerColorName(colour);

  std::vector<KivBlock*> candidates;
  std::vector<well::WellBlock*> all;
  board_->GetAllBlocks(all);
  for (well::WellBlock* entry : all) {
    auto* block = static_cast<KivBlock*>(entry);
    if (block == clicked || block->kind == kKindWall) continue;
    const bool flowerLike = IsFlowerKind(block->kind) || block->kind == kKindFrozen ||
                            block->kind == kKindLocked;
    if (flowerLike && block->color == colour) continue;
    candidates.push_back(block);
  }

  int32_t count = 0;
  const int32_t kindBefore = clicked->kind;
  if (Strike(clicked, x, y)) {
    count = 1;
    if (kindBefore == kKindFrozen || kindBefore == kKindLocked) {
      clicked->SetColor(colour);
      clicked->RefreshImage();
    } else {
      board_->ReplaceBlock(x, y, "flower", colourName);
    }
  }

  while (!candidates.empty() && count < power_) {
    const size_t pick = num::Random::Instance().Next() % candidates.size();
    KivBlock* block = candidates[pick];
    candidates.erase(candidates.begin() + static_cast<std::ptrdiff_t>(pick));
    int32_t bx = 0;
    int32_t by = 0;
    block->GetCell(bx, by);
    if (!Strike(block, bx, by)) continue;
    if (KivWellSFX* sfx = board_->GetKivSFX()) {
      sfx->AddLightning(pointer, board_->CellToScreen(bx, by) + board_->GetCellSize() * 0.5f);
    }
    ++count;
    if (block->kind == kKindFrozen || block->kind == kKindLocked) {
      block->SetColor(colour);
      block->RefreshImage();
    } else {
      board_->ReplaceBlock(bx, by, "flower", colourName);
    }
  }

  if (count == 0) {
    Failed();
    return false;
  }
  Succeeded();
  board_->MarkDirty();
  board_->RebuildCells();
  board_->CountTiles();
  return true;
}

// --- The brush ---

KivSpellBrush::KivSpellBrush(KivWell* board, const std::string& name)
    : board_(board), name_(name), armedAt_(board->GetClock().GetTime()) {
  spell_ = KivSpell::FromName(name, board);
  if (spell_) spell_->Begin();
}

KivSpellBrush::~KivSpellBrush() = default;

void KivSpellBrush::Update() {
  if (!spell_) return;
  spell_->SetMousePos(board_->GetPointer());
  spell_->Render();
}

void KivSpellBrush::TryCast() {
  if (board_->GetClock().GetTime() - armedAt_ < kArmDelay) return;
  if (board_->IsChanging() || !spell_) return;
  // The spell acts where the release is, even when no frame was drawn since the last move.
  spell_->SetMousePos(board_->GetPointer());
  if (!spell_->CanCast()) return;
  spell_->Cast(board_->GetPointer());
  finished_ = true;
}
