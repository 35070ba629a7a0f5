#pragma once

#include "App.h"

// Start-up of the real program: the application object, the four media devices, the clock,
// the shell and where the record is kept, then App over them, and the event loop.
class Program {
public:
    // The program's exit status. `decorateView` as App takes it; empty for the game as played.
    static int run(int argc, char** argv, const App::ViewDecorator& decorateView = {});
};
