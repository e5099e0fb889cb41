#pragma once

// The ordered end of the process-wide services, run by the program entry after the
// application object is gone and before main returns:
//
//   int main() {
//     const int status = RunApplication(caption, factory);
//     ShutdownProcessObjects();
//     return status;
//   }
//
// Each service is a function-local static whose destructor would do the same work at
// exit, in the reverse order of first use. Some of that work cannot wait for the C++
// runtime's exit routines: the settings script kv.lua is written through a Lua state and
// logged, and Lua states with script bindings must close while the binding library's own
// statics still exist. Those statics are built after the services that use them, so they
// are destroyed before them. So the services stop here, explicitly, in that same order
// (the reverse of their first use in a run):
//
//   game flow (delayed scripts, states), user interface (panels, sprite sets), console
//   (the main Lua state), fonts, draw queue, input devices, resources, language strings,
//   file system (archives), settings (kv.lua saved, its Lua state closed), log (closed,
//   with its closing banner).
//
// The audio manager, the highscore request and the frame clock have nothing that needs
// an order (the audio library was freed with the application object); their destructors
// only free memory. Afterwards every exit routine finds its object empty and does
// nothing. Running it twice does nothing more.
void ShutdownProcessObjects();
