// The game as played, with a view between the game and its windows that prints each new caption
// of the counters on stderr for reaction_accuracy. Never installed or shipped.

#include "Program.h"
#include "bench/reaction_accuracy/ReactionProbeView.h"

int main(int argc, char** argv)
{
    return Program::run(argc, argv, [](GameView& view) { return std::make_unique<ReactionProbeView>(view); });
}
