#include "platform/d3d8/FixedFunctionKey.h"

#include <cstring>

#include "platform/d3d8/DeviceBase.h"

namespace d3d8 {

namespace {

bool IsKnownOperation(uint32_t op) {
  return op >= D3DTOP_SELECTARG1 && op <= D3DTOP_BLENDCURRENTALPHA;
}

// Operations the pipeline does not know combine as MODULATE does.
uint8_t Operation(uint32_t op) {
  if (op == D3DTOP_DISABLE) return D3DTOP_DISABLE;
  return static_cast<uint8_t>(IsKnownOperation(op) ? op : D3DTOP_MODULATE);
}

// The select and its modifiers; selects of registers the pipeline does not have read zero.
uint8_t Argument(uint32_t arg) {
  const uint32_t select = arg & D3DTA_SELECTMASK;
  const uint32_t modifiers = arg & (D3DTA_COMPLEMENT | D3DTA_ALPHAREPLICATE);
  return static_cast<uint8_t>((select > D3DTA_TFACTOR ? kArgZero : select) | modifiers);
}

uint8_t Select(uint8_t arg) { return arg & D3DTA_SELECTMASK; }

// An alpha argument is read for its alpha only, which replicating the alpha leaves alone.
uint8_t AlphaArgument(uint32_t arg) {
  return static_cast<uint8_t>(Argument(arg) & ~D3DTA_ALPHAREPLICATE);
}

uint8_t CompareFunction(uint32_t func) {
  return static_cast<uint8_t>(func >= D3DCMP_NEVER && func <= D3DCMP_ALWAYS ? func : D3DCMP_ALWAYS);
}

// Fills a running stage's operations and the arguments they read.
void SetOperations(const uint32_t* ts, StageKey* stage) {
  stage->colorOp = Operation(ts[D3DTSS_COLOROP]);
  if (OperationReadsArg1(stage->colorOp)) stage->colorArg1 = Argument(ts[D3DTSS_COLORARG1]);
  if (OperationReadsArg2(stage->colorOp)) stage->colorArg2 = Argument(ts[D3DTSS_COLORARG2]);
  stage->alphaOp = Operation(ts[D3DTSS_ALPHAOP]);
  if (stage->alphaOp == D3DTOP_DISABLE) return;
  if (OperationReadsArg1(stage->alphaOp)) stage->alphaArg1 = AlphaArgument(ts[D3DTSS_ALPHAARG1]);
  if (OperationReadsArg2(stage->alphaOp)) stage->alphaArg2 = AlphaArgument(ts[D3DTSS_ALPHAARG2]);
}

bool StageReadsTexture(const StageKey& stage) {
  const bool colour = OperationReadsTexture(stage.colorOp) ||
                      (OperationReadsArg1(stage.colorOp) && Select(stage.colorArg1) == kArgTexture) ||
                      (OperationReadsArg2(stage.colorOp) && Select(stage.colorArg2) == kArgTexture);
  if (colour || stage.alphaOp == D3DTOP_DISABLE) return colour;
  return OperationReadsTexture(stage.alphaOp) ||
         (OperationReadsArg1(stage.alphaOp) && Select(stage.alphaArg1) == kArgTexture) ||
         (OperationReadsArg2(stage.alphaOp) && Select(stage.alphaArg2) == kArgTexture);
}

// Arguments an operation does not read are zero in the key (the diffuse select), so any
// factor select found is one that is read.
bool StageReadsFactor(const StageKey& stage) {
  const uint8_t args[4] = {stage.colorArg1, stage.colorArg2, stage.alphaArg1, stage.alphaArg2};
  for (uint8_t arg : args) {
    if (Select(arg) == kArgFactor) return true;
  }
  return OperationReadsFactor(stage.colorOp) ||
         (stage.alphaOp != D3DTOP_DISABLE && OperationReadsFactor(stage.alphaOp));
}

}  // namespace

bool OperationReadsTexture(uint8_t op) {
  return op == D3DTOP_BLENDTEXTUREALPHA || op == D3DTOP_BLENDTEXTUREALPHAPM;
}

bool OperationReadsFactor(uint8_t op) { return op == D3DTOP_BLENDFACTORALPHA; }

bool OperationReadsArg1(uint8_t op) { return op != D3DTOP_DISABLE && op != D3DTOP_SELECTARG2; }

bool OperationReadsArg2(uint8_t op) { return op != D3DTOP_DISABLE && op != D3DTOP_SELECTARG1; }

bool FixedFunctionKey::operator==(const FixedFunctionKey& other) const {
  return std::memcmp(this, &other, sizeof *this) == 0;
}

size_t FixedFunctionKey::Hash() const {
  // FNV-1a over the key's bytes (it has no padding).
  const auto* bytes = reinterpret_cast<const uint8_t*>(this);
  uint64_t hash = 1469598103934665603ull;
  for (size_t i = 0; i < sizeof *this; ++i) hash = (hash ^ bytes[i]) * 1099511628211ull;
  return static_cast<size_t>(hash);
}

bool FixedFunctionKey::UsesFactor() const {
  for (int s = 0; s < 2; ++s) {
    if (Runs(s) && StageReadsFactor(stages[s])) return true;
  }
  return false;
}

bool FixedFunctionKey::UsesCameraSpace() const {
  return stages[0].coords == kCoordsCameraSpace || stages[1].coords == kCoordsCameraSpace;
}

static_assert(sizeof(FixedFunctionKey) == 2 * sizeof(StageKey) + 2,
              "the key is compared and hashed as bytes, so it has no padding");

FixedFunctionKey MakeFixedFunctionKey(const DeviceState& state, const bool hasTexture[2]) {
  FixedFunctionKey key;
  std::memset(&key, 0, sizeof key);
  for (int s = 0; s < 2; ++s) {
    StageKey& stage = key.stages[s];
    const uint32_t* ts = state.stageStates[s];
    // The chain ends at the first stage that is off.
    if (ts[D3DTSS_COLOROP] == D3DTOP_DISABLE || (s > 0 && !key.Runs(s - 1))) {
      stage.colorOp = D3DTOP_DISABLE;
      continue;
    }
    SetOperations(ts, &stage);
    if (!hasTexture[s] || !StageReadsTexture(stage)) continue;
    stage.texture = 1;
    const uint32_t index = ts[D3DTSS_TEXCOORDINDEX];
    if ((index & 0xFFFF0000u) == D3DTSS_TCI_CAMERASPACEPOSITION) {
      stage.coords = kCoordsCameraSpace;
    } else {
      stage.coords = (index & 0xFFFF) == 1 ? kCoordsSet1 : kCoordsSet0;
    }
    stage.transform = (ts[D3DTSS_TEXTURETRANSFORMFLAGS] & 0xFF) != D3DTTFF_DISABLE ? 1 : 0;
  }
  key.alphaFunc = state.RenderState(D3DRS_ALPHATESTENABLE)
                      ? CompareFunction(state.RenderState(D3DRS_ALPHAFUNC))
                      : static_cast<uint8_t>(D3DCMP_ALWAYS);
  key.pretransformed = (state.vertexShader & D3DFVF_POSITION_MASK) == D3DFVF_XYZRHW ? 1 : 0;
  return key;
}

}  // namespace d3d8
