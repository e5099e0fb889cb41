#pragma once

#include <cstdint>
#include <string>

#include "engine/core/Math.h"
#include "engine/core/Script.h"

namespace part2d {

// An integer key of a .p2d table: the number truncated toward zero after clamping to the
// integer range (NaN gives the default), so that no hostile value reaches a cast that the
// language leaves undefined. Anything but a number gives the default.
inline int32_t ReadClampedInt(const LuaObject& table, const std::string& key, int32_t defaultValue,
                              double scale = 1.0) {
  const LuaObject field = script::GetField(table, key);
  if (!field.IsNumber()) return defaultValue;
  return math::ToClampedInt(field.GetNumber() * scale, defaultValue);
}

}  // namespace part2d
