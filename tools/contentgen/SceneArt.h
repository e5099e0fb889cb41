#pragma once

#include <string>

// The scenes' art, drawn by program: the decal pictures (a cloud, a paper lantern, a strip
// of light), the five parts of a small bird, the bird's idle animation
// "bganim/bird_idle.sbp" computed from key frames, the pictures behind the boards of each
// region of the levels ("scenes/<region>_bg.jpg") and the goal icons of the level pack
// that the board's own art has not ("img/goal_blocks.png", "img/goal_sets.png",
// "img/goal_moves.png").
namespace contentgen {

// Writes every picture and animation under the output folder; false when one cannot be
// written.
bool MakeSceneArt(const std::string& outDir);

// The text of the bird's idle animation: two seconds at 30 frames a second that loop
// (breathing, a head turn and one wing flap).
std::string BirdIdleAnimation();

}  // namespace contentgen
