#pragma once

#include <functional>
#include <string>

class LuaState;

// Registers the game's script interface in the state (wrap_Shell.cpp), in this order: the
// level state "GameState" with the board's "KivWell" and the scene classes; "KivHana" with
// "GetHana"; "GetMenuState" and "GetShopScreen"; "KivVars" and "GetVars";
// "KivFashionPopup" and "GetFashionPopup"; "KivFashionStudio" and "GetStudio";
// "KivSummary" and "GetSummary"; "KivHighscoreState" and "GetHighscore";
// "KivTrophyScreen" and "GetTrophyScreen"; "GetTrophyState"; "KivTrophyData" and
// "GetTrophyData"; "KivStoryState" and "GetStoryState"; "KivUITransition" and
// "GetUITransition"; "KivHelp" and "GetHelp"; "kiv_music" and "GetMusic". `registered`,
// when given, hears the name of each group as it is done. False, with a log line, when
// there is no state or luabind refuses them.
bool RegisterShellScripts(LuaState* state, const std::function<void(const std::string&)>& registered = {});

// Ends the game shell's process-wide objects in order while the audio manager and the
// log still exist: the trophy screen and the popup transitions let their pictures and
// particles go, the fashion popup and studio and then the clothes catalogue with the
// heroine end, the trophy table lets its records go, the music forgets its samples and channel,
// the game variables their in-memory values. The program entry calls it before the engine's own ordered shutdown.
void ShutdownShellObjects();
