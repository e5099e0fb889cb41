#pragma once

// The translation of the renderer's small enumerations into Direct3D 8 values.

#include <optional>

#include "engine/graphics/Graphics.h"
#include "platform/d3d8/D3D8Types.h"

namespace dx8 {

// The render state an engine state sets; none for values outside the table.
std::optional<D3DRENDERSTATETYPE> RenderStateOf(uint32_t state);
// Any other value than the listed ones is source alpha.
D3DBLEND BlendOf(uint32_t factor);
// 0 clockwise, 2 none, anything else counter-clockwise.
D3DCULL CullOf(uint32_t mode);
// The value passed with an engine state (blend and cull values translated).
uint32_t RenderStateValueOf(uint32_t state, uint32_t value);
// Any other kind is the colour operation.
D3DTEXTURESTAGESTATETYPE StageKindOf(uint32_t kind);
// Operations and arguments share one enumeration; any other value is modulate.
uint32_t StageValueOf(uint32_t value);
// Any other kind is the view transform.
D3DTRANSFORMSTATETYPE TransformOf(uint32_t kind);
// The primitive of an engine type and its count for n vertices (or indices); any type
// above 5 draws triangles.
D3DPRIMITIVETYPE PrimitiveOf(uint32_t type);
uint32_t PrimitiveCount(uint32_t type, uint32_t n);

}  // namespace dx8
