#pragma once

class LuaState;

// Registers the game shell's script classes and globals in the state (wrap_Shell.cpp):
// "KivVars" and "GetVars", "kiv_music" and "GetMusic", "KivTrophyData" and "GetTrophyData",
// "KivUITransition" and "GetUITransition", "KivTrophyScreen" and "GetTrophyScreen", the
// heroine's "KivHana" with "GetHana", "KivFashionPopup" with "GetFashionPopup",
// "KivFashionStudio" with "GetStudio", and the board's class "KivWell", the level state's "GameState", the tips' "KivHelp" with
// "GetHelp" and the summary's "KivSummary" with "GetSummary". False, with a log line, when
// there is no state or luabind refuses them.
bool RegisterShellScripts(LuaState* state);

// Ends the game shell's process-wide objects in order while the audio manager and the
// log still exist: the trophy screen and the popup transitions let their pictures and
// particles go, the fashion popup and studio and then the clothes catalogue with the
// heroine end, the trophy table lets its records go, the music forgets its samples and channel,
// the game variables their in-memory values. The program entry calls it before the engine's own ordered shutdown.
void ShutdownShellObjects();
