// run and requestQuit: a run is start-up, the loop's passes until a quit is asked for, and
// shutdown; its exit status is returned, never passed to exit.
#include "tarvo/engine/game.h"

#include "engine/startup.h"
#include "tarvo/engine/mainloop.h"

#include <cstdio>
#include <exception>

namespace tarvo
{

namespace
{

struct RunState {
    bool running = false;
    bool quitRequested = false;
    int status = 0; // the first request's
};

RunState state;

} // namespace

int run(int argc, char** argv, const GameInfo& info, Game& game)
{
    if (state.running) {
        std::fputs("Error: tarvo::run is already running\n", stderr);
        std::fflush(stderr);
        return 1;
    }
    state = RunState{true, false, 0};
    // A failure is reported before shutdown, so the report comes first on standard error.
    bool failed = false;
    try {
        startEngine(argc, argv, info, game);
        while (gMainLoop->pass()) {
        }
    } catch (const std::exception& error) {
        reportFailure(error);
        failed = true;
    }
    failed = !stopEngine(game) || failed;
    const int status = failed ? 1 : state.status;
    state = RunState();
    return status;
}

void requestQuit(int status)
{
    if (state.running && !state.quitRequested) {
        state.quitRequested = true;
        state.status = status;
    }
}

bool quitRequested()
{
    return state.quitRequested;
}

} // namespace tarvo
