#pragma once

#include <string>

#include "platform/d3d8/FixedFunctionKey.h"

namespace d3d8 {

// The GLSL of the fixed-function programs. The general program reads every stage setting
// from uniforms and runs all of Direct3D's operations behind branches on them; a program
// made for a key has that key's operations, arguments, coordinate sources and alpha test
// written in as constants, with the same arithmetic, so that both give the same pixels.
extern const char* const kGeneralVertexShader;
extern const char* const kGeneralFragmentShader;

std::string VertexShaderFor(const FixedFunctionKey& key);
std::string FragmentShaderFor(const FixedFunctionKey& key);

}  // namespace d3d8
