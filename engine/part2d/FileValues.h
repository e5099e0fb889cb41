#pragma once

#include <cmath>
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

// A number key of a .p2d table; NaN and infinities give the default, so that no value of
// a file turns a particle's motion or its vertices into NaN.
inline float ReadFloat(const LuaObject& table, const std::string& key, float defaultValue) {
  const float value = script::GetFloat(table, key, defaultValue);
  return std::isfinite(value) ? value : defaultValue;
}

// A two-number key of a .p2d table; the default unless both numbers are finite.
inline math::Vec2 ReadVec2(const LuaObject& table, const std::string& key,
                           const math::Vec2& defaultValue) {
  const math::Vec2 value = script::GetVec2(table, key, defaultValue);
  return std::isfinite(value.x) && std::isfinite(value.y) ? value : defaultValue;
}

}  // namespace part2d
