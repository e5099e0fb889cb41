#pragma once

#include <string>
#include <vector>

namespace oggenc {

// Encodes interleaved float samples (-1..1) as an Ogg Vorbis file in memory, at the given
// VBR quality (-0.1..1). Returns "" when the encoder refuses the format.
std::string EncodeOgg(const std::vector<float>& interleaved, int channels, int rate,
                      float quality);

}  // namespace oggenc
