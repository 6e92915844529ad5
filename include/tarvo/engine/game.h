/// @file
/// A game is a class: the engine's loop calls its load, update, handleEvent and draw, and run
/// brings the engine up around it, plays it to the end and takes the engine down again.
#pragma once

#include "tarvo/api.h"
#include "tarvo/engine/input.h"

#include <string>
#include <vector>

union SDL_Event;

namespace tarvo
{

/// What the engine needs to know about a game before it starts it.
struct GameInfo {
    /// The install and save-folder name: an installed game finds its data in
    /// `../share/games/NAME/base` beside its executable's folder.
    std::string name;
    /// The window's caption, and the game named in the log's "Now Playing" line.
    std::string title;
    /// The defaults file read at start-up, from the working directory or else from
    /// `../share/games/NAME/` beside the executable's folder.
    std::string configFile;
    /// The name of numbered screenshots and recordings: PREFIX-NNNN.png and PREFIX-NNNN.gif.
    std::string filePrefix;
    /// The game directory used when `-game` is not given and it exists in the working directory.
    std::string defaultGameDir = "base";
    /// The game's actions with their default inputs; each becomes a string-list key of the
    /// defaults file, read through held, pressed and released.
    std::vector<Action> actions = {};
};

/// A game driven by the engine's fixed-tick loop (60 ticks a second). The object is built
/// before run and must not touch the engine before load(false). The engine's globals (gScreen,
/// gSound, gMusic, gConfig, ...) exist from load(false) until unload has returned, gMainLoop
/// from the first tick on.
class TARVO_API Game
{
public:
    virtual ~Game() = default;
    /// Loads the game's assets once the engine is up (reload false, before the first tick),
    /// and again each time the window is restored from its icon (reload true), when images
    /// converted to the display format must be converted afresh.
    virtual void load(bool reload) = 0;
    /// Runs one tick of game logic. gMainLoop->tickCount is the tick's number.
    virtual void update() = 0;
    /// Receives each event of the tick, before its update, while the window is active: every
    /// key but the engine's own F5, F9 and F12, the open pads' events, focus and visibility
    /// changes. Not the window's close, which ends the run.
    virtual void handleEvent(const SDL_Event& event) = 0;
    /// Draws one frame into gScreen; the engine flips it afterwards. Not called while the
    /// window is iconified.
    virtual void draw() = 0;
    /// Frees what the game holds, after the last tick and before shutdown, with the engine
    /// still up. Called once load(false) has returned, also after a later failure.
    virtual void unload() {}
    /// The name of what draw draws now, for the rows of `-benchmark`'s table.
    virtual const char* stageName() const { return "game"; }
};

/// Starts the engine with the command line (log, defaults, SDL, audio, game data, video),
/// calls game.load(false), runs the loop until a quit is requested, then game.unload() and
/// shutdown. Returns the exit status: the first requestQuit's status, 0 for the window's close
/// button, SIGTERM, SIGINT and a replay's end record, or 1 after a failure reported on standard
/// error (a fatal error, a misused option, a `-gif` file that was not written). Never exits
/// the process. May be called again once it has returned, when everything starts afresh; a
/// call from inside run reports "Error: tarvo::run is already running" and returns 1.
TARVO_API int run(int argc, char** argv, const GameInfo& info, Game& game);

/// Ends the run with status once the current step is done. From handleEvent during tick k,
/// nothing more of tick k runs (no further event, no update, no frame) and a recording ends
/// at tick k; from update or draw of tick k, the frame of tick k is still drawn and flipped and
/// a recording ends at tick k + 1; from load(false), no tick runs and no frame is drawn. Only
/// the first request of a run counts; outside run it does nothing.
TARVO_API void requestQuit(int status = 0);

} // namespace tarvo
