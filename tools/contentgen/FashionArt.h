#pragma once

#include <string>

// The heroine and her clothes, and the fashion screens' pictures, into OUTDIR/hana:
//   - the figure's pieces, every one a transparent picture of one 240 x 240 frame that lies
//     on the figure ("body", "face", "hair1" to "hair6", "dress1" to "dress6", "skirt1" to
//     "skirt6", and "none", which shows nothing); the animated ones ("face", "hair3",
//     "dress4", "skirt6") are strips of their frames side by side;
//   - the six zen power icons "wildcard001" to "wildcard006" (48 x 48);
//   - the backgrounds of the fashion popup ("popup_bg.png"), its item boxes
//     ("item_box.png") and the studio ("studio_bg.png").
// data/hana/sprites.lua names them for the sprite set.
namespace contentgen {

bool MakeFashionArt(const std::string& outDir);

}  // namespace contentgen
