// The level editor: tile and token painting on the running level's board, erasing, saving,
// reverting and stepping through numbered well files.

#include "game/board/KivEditor.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>

#include "engine/app/Input.h"
#include "engine/app/Keyboard.h"
#include "engine/core/Console.h"
#include "engine/core/MemoryManager.h"
#include "engine/graphics/DrawQueue.h"
#include "engine/graphics/FontManager.h"
#include "game/board/KivBlock.h"
#include "game/board/KivWell.h"

namespace {

constexpr uint32_t kWhite = 0xFFFFFFFF;

// Token index -> block kind.
constexpr std::array<int32_t, KivTokenTool::kTokenCount> kTokenKinds = {
    kKindFrozen, kKindLocked, kKindGem,  kKindHCut, kKindVCut,  kKindSlashCut,
    kKindBackslashCut, kKindXCut, kKindPlusCut, kKindStarCut, kKindDouble, kKindTriple,
    kKindTime, kKindZen, kKindStone, kKindTileBlast};

}  // namespace

// --- Tools ---

KivEditorTool::KivEditorTool(KivEditor* owner, const std::string& toolName, int32_t initial)
    : editor(owner), name(toolName), value(initial) {}

KivWell* KivEditorTool::Board() const { return editor->GetBoard(); }

void KivEditorTool::RenderPreview() {
  KivWell* board = Board();
  int32_t x = 0;
  int32_t y = 0;
  board->ScreenToCell(position, x, y);
  preview.SetTransform(board->CellToScreen(x, y), board->GetCellSize(), 0.0f, 1.0f, kWhite);
  // A picture of a strip shows the strip's frame: the board's pictures share one image.
  preview.Animate(0.0f);
  if (preview.IsLoaded()) preview.Render();
}

KivTileTool::KivTileTool(KivEditor* owner) : KivEditorTool(owner, "Tiles", kMinValue) {
  UpdateSprite();
}

void KivTileTool::ChangeValue(int32_t step) {
  value = std::clamp(value + step, kMinValue, kMaxValue);
  UpdateSprite();
}

void KivTileTool::UpdateSprite() {
  char image[32];
  std::snprintf(image, sizeof image, "bg_tile_%03i", value);
  preview.LoadImage(image);
}

void KivTileTool::Apply() {
  KivWell* board = Board();
  int32_t x = 0;
  int32_t y = 0;
  board->ScreenToCell(position, x, y);
  if (!board->IsInGrid(x, y)) return;
  const KivBlock* block = board->GetKivBlock(x, y);
  if (block && block->kind == kKindWall) return;
  board->SetTileValue(x, y, value);
  board->RefreshWallAround(x, y);
}

KivTokenTool::KivTokenTool(KivEditor* owner) : KivEditorTool(owner, "Tokens", 0) {
  UpdateSprite();
}

int32_t KivTokenTool::TokenKind(int32_t token) {
  if (token < 0 || token >= kTokenCount) return kKindFrozen;
  return kTokenKinds[static_cast<size_t>(token)];
}

const char* KivTokenTool::KindPreview(int32_t kind) {
  switch (kind) {
    case kKindLocked:
      return "tile_locked";
    case kKindGem:
      return "gold_tiles_001";
    case kKindHCut:
      return "cuth";
    case kKindVCut:
      return "cutv";
    case kKindSlashCut:
      return "cutslash";
    case kKindBackslashCut:
      return "cutbackslash";
    case kKindXCut:
      return "cutx";
    case kKindPlusCut:
      return "cutplus";
    case kKindStarCut:
      return "cutstar";
    case kKindDouble:
      return "multiply_tiles_001";
    case kKindTriple:
      return "multiply_tiles_002";
    case kKindTime:
      return "timeblock_tiles";
    case kKindZen:
      return "zen_off_001";
    case kKindStone:
      return "stone_block";
    case kKindTileBlast:
      return "tileblast_tiles";
    default:
      return "tile_frozen";
  }
}

void KivTokenTool::ChangeValue(int32_t step) {
  // Wraps round the sixteen tokens whatever the step.
  value = ((value + step) % kTokenCount + kTokenCount) % kTokenCount;
  UpdateSprite();
}

void KivTokenTool::UpdateSprite() { preview.LoadImage(KindPreview(TokenKind(value))); }

void KivTokenTool::Apply() {
  KivWell* board = Board();
  board->RebuildCells();
  int32_t x = 0;
  int32_t y = 0;
  board->ScreenToCell(position, x, y);
  if (!board->IsInGrid(x, y)) return;
  if (board->GetTileValue(x, y) == 0) {
    board->SetTileValue(x, y, 1);
    board->RefreshWallAround(x, y);
  }
  if (KivBlock* block = board->GetKivBlock(x, y)) {
    if (value == kGemToken && block->kind == kKindGem) {
      auto* gem = static_cast<KivGemBlock*>(block);
      gem->SetValue(gem->value + 1);
      return;
    }
    // Deleted at once: the editor's board holds no chain, hint or spell that could still
    // point at it.
    board->DropBlock(block, true);
  }
  MEMORY_OWNER("KivTokenTool::Apply");
  well::WellBlock* made =
      board->CreateBlock(KivBlock::TypeName(TokenKind(value)), "blue", x, y, 1, 1);
  if (made) board->AddBlock(made, x, y, -1.0f);
}

// --- The editor ---

const math::Vec2 KivEditor::kStatusPosition(0.215f, 0.002f);
const math::Vec2 KivEditor::kFileNamePosition(0.215f, 0.025f);
const math::Vec2 KivEditor::kTileValuePosition(0.83f, 0.002f);
const math::Vec2 KivEditor::kHelpPosition(0.83f, 0.04f);

KivEditor::KivEditor(KivWell* board) : board_(board) {
  MEMORY_OWNER("KivEditor::KivEditor");
  tool_ = std::make_unique<KivTileTool>(this);
}

KivEditor::~KivEditor() = default;

void KivEditor::SetTool(std::unique_ptr<KivEditorTool> tool) { tool_ = std::move(tool); }

void KivEditor::Render() {
  if (tool_) tool_->Render();
  const math::Vec2 origin = board_->GetOrigin();
  const float middle = origin.x + (1.0f - origin.x) * 0.5f;
  dd::Manager& lines = dd::Manager::Instance();
  lines.AddLine(math::Vec2(origin.x, 0.5f), math::Vec2(1.0f, 0.5f), kWhite, false);
  lines.AddLine(origin, math::Vec2(origin.x, 1.0f), kWhite, false);
  lines.AddLine(math::Vec2(middle, origin.y), math::Vec2(middle, 1.0f), kWhite, false);
  if (showHelp_) {
    FontManager& fonts = FontManager::Get();
    fonts.Printf(kTileValuePosition, "Tile Value: %d", board_->GetUnturnedTiles());
    fonts.Printf(kHelpPosition, "%s", helpText_.c_str());
  }
}

void KivEditor::RenderStatus() { FontManager::Get().Printf(kStatusPosition, "Editing"); }

void KivEditor::MouseButtonPressed(uint32_t button, const math::Vec2& position) {
  if (button == KivWell::kLeftButton) {
    if (!tool_) return;
    tool_->position = position;
    tool_->Apply();
    return;
  }
  if (button != KivWell::kRightButton) return;
  board_->RebuildCells();
  if (board_->DeleteDecoration(position)) return;
  int32_t x = 0;
  int32_t y = 0;
  board_->ScreenToCell(position, x, y);
  if (!board_->IsInGrid(x, y)) return;
  if (board_->GetTileValue(x, y) != 0) {
    board_->SetTileValue(x, y, 0);
    board_->RefreshWallAround(x, y);
  }
  if (KivBlock* block = board_->GetKivBlock(x, y)) board_->DropBlock(block, true);
}

void KivEditor::MouseButtonDown(uint32_t button, const math::Vec2& position) {
  const bool paint = button == KivWell::kLeftButton && tool_ && tool_->IsDragPaint();
  const bool erase = button == KivWell::kRightButton && ShiftHeld();
  if (paint || erase) MouseButtonPressed(button, position);
}

void KivEditor::MouseMoved(const math::Vec2&, const math::Vec2& newPosition) {
  if (tool_) tool_->position = newPosition;
}

void KivEditor::MouseWheel(int32_t delta) {
  if (tool_) tool_->Step(delta > 0 ? 1 : -1);
}

void KivEditor::KeyPressed(uint32_t key) {
  MEMORY_OWNER("KivEditor::KeyPressed");
  switch (key) {
    case kKey1:
      SetTool(std::make_unique<KivTileTool>(this));
      break;
    case kKey2:
      SetTool(std::make_unique<KivTokenTool>(this));
      break;
    case kKeySpace:
      SetTool(nullptr);
      break;
    case kKeyF7:
      board_->SaveWell(board_->GetWellFileName());
      break;
    case kKeyF8:
      board_->ReloadWell();
      break;
    case kKeyF9:
      console::GetConsole().Do("SaveEditorWell()");
      break;
    case kKeyF10:
      console::GetConsole().Do("LoadEditorWell()");
      break;
    case kKeyUp:
      if (tool_) tool_->ChangeValue(1);
      break;
    case kKeyDown:
      if (tool_) tool_->ChangeValue(-1);
      break;
    case kKeyPageUp:
    case kKeyPageDown: {
      const std::string next = NumberedFile(board_->GetWellFileName(), key == kKeyPageUp ? -1 : 1);
      if (!next.empty()) board_->StepEditorWell(next);
      break;
    }
    default:
      break;
  }
}

bool KivEditor::ShiftHeld() {
  const input::Keyboard* keyboard = input::GetDevices().keyboard;
  return keyboard && (keyboard->IsDown(kKeyLeftShift) || keyboard->IsDown(kKeyRightShift));
}

std::string KivEditor::NumberedFile(const std::string& path, int32_t step) {
  // The last run of digits in the name (after the last folder separator).
  const size_t nameStart = path.find_last_of("/\\") == std::string::npos ? 0 : path.find_last_of("/\\") + 1;
  size_t end = path.size();
  while (end > nameStart && !std::isdigit(static_cast<unsigned char>(path[end - 1]))) --end;
  size_t begin = end;
  while (begin > nameStart && std::isdigit(static_cast<unsigned char>(path[begin - 1]))) --begin;
  if (begin == end || end - begin > 9) return "";
  const int64_t number = std::stoll(path.substr(begin, end - begin)) + step;
  if (number < 0) return "";
  char digits[32];
  std::snprintf(digits, sizeof digits, "%0*lld", static_cast<int>(end - begin),
                static_cast<long long>(number));
  return path.substr(0, begin) + digits + path.substr(end);
}
