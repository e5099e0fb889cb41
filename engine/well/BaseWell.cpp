#include "engine/well/BaseWell.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "engine/core/Log.h"
#include "engine/core/Script.h"
#include "engine/core/WriteLua.h"
#include "engine/well/WellBlock.h"
#include "engine/well/WellDecoration.h"
#include "engine/well/WellEffect.h"
#include "engine/well/WellSFX.h"

namespace well {

BaseWell::BaseWell(void* context, FrameTimer& clock) : context_(context), clock_(clock) {
  stepTimer_.duration = kStepInterval;
  stepTimer_.remaining = kStepInterval;
}

BaseWell::~BaseWell() {
  sfx_.reset();
  overlay_.reset();
  ClearDecorations();
  // Blocks still waiting to land belong to the board as much as the placed ones.
  for (const PendingDrop& drop : pending_) delete drop.block;
  pending_.clear();
}

void BaseWell::SetSFX(WellSFX* sfx) { sfx_.reset(sfx); }

void BaseWell::SetOverlay(WellEffect* overlay) { overlay_.reset(overlay); }

// --- Cell geometry ---

math::Vec2 BaseWell::CellToScreen(int32_t x, int32_t y) const {
  return math::Vec2(static_cast<float>(x) * cellSize_.x - viewOffset_.x + origin_.x,
                    static_cast<float>(y) * cellSize_.y - viewOffset_.y + origin_.y);
}

math::Vec2 BaseWell::CellToScreenNoView(int32_t x, int32_t y) const {
  return math::Vec2(static_cast<float>(x) * cellSize_.x + origin_.x,
                    static_cast<float>(y) * cellSize_.y + origin_.y);
}

math::Vec2 BaseWell::CellToOffset(int32_t x, int32_t y) const {
  return math::Vec2(static_cast<float>(x) * cellSize_.x, static_cast<float>(y) * cellSize_.y);
}

namespace {
// Truncation toward zero that stays defined for any float (out-of-range values and NaN
// give a cell far outside every grid).
int32_t TruncateToCell(float value) {
  if (!(value > -2.0e9f && value < 2.0e9f)) return INT32_MIN;
  return static_cast<int32_t>(value);
}
}  // namespace

void BaseWell::ScreenToCell(const math::Vec2& point, int32_t& x, int32_t& y) const {
  x = TruncateToCell((point.x - origin_.x + viewOffset_.x) / cellSize_.x);
  y = TruncateToCell((point.y - origin_.y + viewOffset_.y) / cellSize_.y);
}

int32_t BaseWell::CellIndex(int32_t x, int32_t y) const {
  if (!IsInGrid(x, y)) return 0;
  return y * width_ + x;
}

bool BaseWell::CanPlace(int32_t x, int32_t y, int32_t w, int32_t h) {
  // All four edges: a rectangle reaching left of or above the grid does not fit either.
  if (x < 0 || y < 0) return false;
  if (int64_t{x} + w > width_ || int64_t{y} + h > height_) return false;
  for (int32_t cx = x; cx < x + w; ++cx) {
    for (int32_t cy = y; cy < y + h; ++cy) {
      if (GetBlock(cx, cy)) return false;
    }
  }
  return true;
}

WellBlock* BaseWell::GetBlockAt(const math::Vec2& point) {
  int32_t x = 0;
  int32_t y = 0;
  ScreenToCell(point, x, y);
  return GetBlock(x, y);
}

void BaseWell::GetBlocksInRect(int32_t x0, int32_t y0, int32_t x1, int32_t y1,
                               std::vector<WellBlock*>& out) {
  RebuildCells();
  for (int32_t x = x0; x <= x1; ++x) {
    for (int32_t y = y0; y <= y1; ++y) {
      WellBlock* block = GetBlock(x, y);
      if (!block) continue;
      int32_t bx = 0;
      int32_t by = 0;
      block->GetCell(bx, by);
      const bool atColumn = bx == x || (bx < x0 && x == x0);
      const bool atRow = by == y || (by < y0 && y == y0);
      if (atColumn && atRow) out.push_back(block);
    }
  }
}

void BaseWell::SetGrid(int32_t gridWidth, int32_t gridHeight, const math::Vec2& origin,
                       const math::Vec2& extent, const math::Vec2& cellSize) {
  width_ = std::max(gridWidth, 0);
  height_ = std::max(gridHeight, 0);
  origin_ = origin;
  extent_ = extent;
  cellSize_ = cellSize;
}

void BaseWell::Create(int32_t gridWidth, int32_t gridHeight, const math::Vec2& origin,
                      const math::Vec2& extent, const math::Vec2& cellSize) {
  SetGrid(gridWidth, gridHeight, origin, extent, cellSize);
}

// --- Blocks over time ---

WellBlock* BaseWell::AddBlock(WellBlock* block, int32_t x, int32_t y, float delay) {
  if (delay > 0.0f) {
    pending_.push_back({block, GameTime() + delay, x, y});
    pendingSortNeeded_ = true;
    changing_ = true;
  } else {
    PlaceBlock(block, x, y);
  }
  return block;
}

void BaseWell::ProcessPendingBlocks() {
  const float now = GameTime();
  while (!pending_.empty()) {
    // Latest first, so the earliest is at the end. A block that queues another when it
    // is placed sorts the list again.
    if (pendingSortNeeded_) {
      std::sort(pending_.begin(), pending_.end(),
                [](const PendingDrop& a, const PendingDrop& b) { return a.due > b.due; });
      pendingSortNeeded_ = false;
    }
    const PendingDrop drop = pending_.back();
    if (!(drop.due < now)) break;
    pending_.pop_back();
    RebuildCells();
    PlaceBlock(drop.block, drop.x, drop.y);
    MarkDirty();
  }
}

void BaseWell::PeriodicStep() {
  RebuildCells();
  if (gravity_) ApplyGravity();
  ProcessPendingBlocks();
  SweepDeadBlocks();
  MarkDirty();
}

void BaseWell::Tick(float dt) {
  const bool wasChanging = changing_;
  changing_ = false;
  UpdateBlocks(dt);
  elapsed_ += dt;

  stepTimer_.Update(dt);
  if (stepTimer_.remaining < 0.0f) {
    stepTimer_.remaining = stepTimer_.duration;
    PeriodicStep();
  }

  if (wasChanging && !changing_) {
    OnSettled();
    SweepDeadBlocks();
  }
  if (overlay_) overlay_->Tick(dt);
  if (sfx_) sfx_->Tick(dt);
}

void BaseWell::Render() {
  if (overlay_) overlay_->Render();
}

bool BaseWell::IsOverlayDone() const { return overlay_ && overlay_->IsDone(); }

// --- Decorations ---

void BaseWell::AddDecoration(const std::string& image, int32_t x, int32_t y, int32_t width,
                             int32_t height, const math::Vec2& offset, int32_t layer,
                             int32_t rotation) {
  auto* decoration = new WellDecoration(this);
  decoration->SetImage(image);
  decoration->SetPosition(x, y, offset);
  decoration->layer = std::max(layer, 0);
  decoration->rotation = rotation;
  // Sorted by layer, highest first; inserting in place keeps it so.
  auto at = std::upper_bound(decorations_.begin(), decorations_.end(), decoration->layer,
                             [](int32_t value, const WellDecoration* d) { return value > d->layer; });
  decorations_.insert(at, decoration);
}

WellDecoration* BaseWell::FindDecorationAt(const math::Vec2& point) {
  for (size_t i = decorations_.size(); i-- > 0;) {
    WellDecoration* decoration = decorations_[i];
    if (decoration->HitTest(point)) {
      decorations_.erase(decorations_.begin() + static_cast<std::ptrdiff_t>(i));
      return decoration;
    }
  }
  return nullptr;
}

bool BaseWell::DeleteDecoration(const math::Vec2& point) {
  WellDecoration* decoration = FindDecorationAt(point);
  delete decoration;
  return decoration != nullptr;
}

void BaseWell::ClearDecorations() {
  for (WellDecoration* decoration : decorations_) delete decoration;
  decorations_.clear();
}

void BaseWell::RenderDecorations(bool clipX, bool clipY, bool lower) {
  const bool clipped = clipX || clipY;
  const math::Vec2 clipMin(0.0f, 0.0f);
  const math::Vec2 clipMax(clipX ? origin_.x + extent_.x : 1.0f,
                           clipY ? origin_.y + extent_.y : 1.0f);
  for (WellDecoration* decoration : decorations_) {
    if ((decoration->layer < kUpperLayer) != lower) continue;
    if (clipped) {
      decoration->DrawClipped(clipMin, clipMax);
    } else {
      decoration->Draw();
    }
  }
}

// --- Well files ---

bool BaseWell::Load(const std::string& path, void* arg, uint32_t flags) {
  filePath_ = path;
  LuaState* state = script::CreateLuaState();
  if (!script::LoadScript(state, path)) {
    LOG_LINE(MSG_ERROR) << "Unable to load well from file " << path << "!";
    LuaState::Destroy(state);
    return false;
  }
  if (LoadHeader(state)) {
    if (flags & kWellBlocks) LoadBlocks(state, -1.0f);
    if (!SkipsScenery()) {
      if (flags & kWellDecorations) LoadDecorations(state);
      if (flags & kWellInfo) LoadInfo(state);
    }
    if (flags & kWellExtra) LoadExtra(state);
  }
  LuaState::Destroy(state);
  return true;
}

void BaseWell::LoadBlocks(LuaState* state, float delay) {
  const LuaObject table = script::GetGlobal(state, "Blocks");
  if (!table.IsTable()) return;
  const int count = table.GetTableCount();
  // Every entry is read: one that cannot stand (outside the grid, or on a taken cell,
  // which the board's cell checks refuse) leaves the entries after it their chance.
  if (count > kMaxBlockEntries) {
    LOG_LINE(MSG_WARNING) << "Well file " << filePath_ << " lists " << count
                          << " blocks; those after the first " << kMaxBlockEntries
                          << " are skipped";
  }
  for (int i = 1; i <= count && i <= kMaxBlockEntries; ++i) {
    const LuaObject entry = table.GetByIndex(i);
    const std::string type = script::GetString(entry, "Type", "normal");
    const std::string color = script::GetString(entry, "Color", "red");
    const int32_t x = script::GetInt(entry, "X", 0);
    const int32_t y = script::GetInt(entry, "Y", 0);
    // A block of no cells could never be chained or cleared: it takes one cell at least.
    const int32_t w = std::max(script::GetInt(entry, "Width", 0), 1);
    const int32_t h = std::max(script::GetInt(entry, "Height", 0), 1);
    if (x < 0 || y < 0 || int64_t{x} + w > width_ || int64_t{y} + h > height_) {
      LOG_LINE(MSG_WARNING) << "Well file " << filePath_ << ": block " << i << " at (" << x
                            << ", " << y << ") of " << w << " x " << h
                            << " does not lie inside the grid; skipped";
      continue;
    }
    if (WellBlock* block = CreateBlock(type, color, x, y, w, h)) AddBlock(block, x, y, delay);
  }
}

float BaseWell::ReadOffset(const LuaObject& entry, const char* key, int index) const {
  const float offset = script::GetFloat(entry, key, 0.0f);
  if (std::isfinite(offset)) return offset;
  // Mend: an infinite or undefined offset would be kept and written back as "1/0", which
  // no well file may hold; it reads as no offset.
  LOG_LINE(MSG_WARNING) << "Well file " << filePath_ << ": decoration " << index << " has no finite "
                        << key << "; 0 is used";
  return 0.0f;
}

void BaseWell::LoadDecorations(LuaState* state) {
  const LuaObject table = script::GetGlobal(state, "Decorations");
  if (!table.IsTable()) return;
  const int count = table.GetTableCount();
  for (int i = 1; i <= count; ++i) {
    if (decorations_.size() >= kMaxDecorations) {
      LOG_LINE(MSG_WARNING) << "Well file " << filePath_ << ": more than " << kMaxDecorations
                            << " decorations; the rest are skipped";
      break;
    }
    const LuaObject entry = table.GetByIndex(i);
    const std::string image = script::GetString(entry, "Image", "");
    if (image.empty()) continue;
    const math::Vec2 offset(ReadOffset(entry, "OffsetX", i), ReadOffset(entry, "OffsetY", i));
    // Layer and Rotation are numbers, truncated to whole ones.
    AddDecoration(image, script::GetInt(entry, "X", 0), script::GetInt(entry, "Y", 0),
                  script::GetInt(entry, "Width", 0), script::GetInt(entry, "Height", 0), offset,
                  script::GetInt(entry, "Layer", kUpperLayer), script::GetInt(entry, "Rotation", 0));
  }
}

void BaseWell::LoadInfo(LuaState* state) {
  const LuaObject table = script::GetGlobal(state, "Info");
  if (!table.IsTable()) return;
  background_ = script::GetString(table, "Background", "random");
  effect_ = script::GetString(table, "Effect", "none");
}

bool BaseWell::Save(const std::string& path, uint32_t flags) {
  // The text goes to a temporary file that replaces the well file only once it is
  // complete, so a failed save keeps the old file whole.
  const std::string temporary = path + ".tmp";
  WriteLua writer;
  if (!writer.Open(temporary)) return false;
  SaveHeader(writer);
  if (flags & kWellBlocks) SaveBlocks(writer);
  if (flags & kWellDecorations) SaveDecorations(writer);
  if (flags & kWellExtra) SaveExtra(writer);
  if (flags & kWellInfo) SaveInfo(writer);
  bool ok = writer.Close();
  ok = ok && std::rename(temporary.c_str(), path.c_str()) == 0;
  if (!ok) {
    LOG_LINE(MSG_ERROR) << "Unable to save well file " << path;
    std::remove(temporary.c_str());
  }
  return ok;
}

void BaseWell::SaveBlocks(WriteLua& writer) {
  std::vector<WellBlock*> blocks;
  GetAllBlocks(blocks);
  writer.BeginTable("Blocks");
  for (WellBlock* block : blocks) {
    if (!block->HasImage()) continue;
    int32_t x = 0;
    int32_t y = 0;
    block->GetCell(x, y);
    writer.BeginTable("");
    writer.WriteString("Type", block->GetTypeName());
    writer.WriteString("Color", GetColorName(block->color));
    writer.WriteInt("X", x);
    writer.WriteInt("Y", y);
    writer.WriteInt("Width", block->width);
    writer.WriteInt("Height", block->height);
    writer.EndTable(true);
  }
  writer.EndTable(false);
}

void BaseWell::SaveDecorations(WriteLua& writer) {
  if (decorations_.empty()) return;
  writer.BeginTable("Decorations");
  for (const WellDecoration* decoration : decorations_) {
    writer.BeginTable("");
    writer.WriteString("Image", decoration->imageName);
    writer.WriteInt("X", decoration->x);
    writer.WriteInt("Y", decoration->y);
    writer.WriteFloat("OffsetX", decoration->offset.x);
    writer.WriteFloat("OffsetY", decoration->offset.y);
    writer.WriteInt("Layer", decoration->layer);
    writer.WriteInt("Rotation", decoration->rotation);
    writer.EndTable(true);
  }
  writer.EndTable(false);
}

void BaseWell::SaveInfo(WriteLua& writer) {
  writer.BeginTable("Info");
  writer.WriteString("Background", background_);
  writer.WriteString("Effect", effect_);
  writer.EndTable(false);
}

}  // namespace well
