/// @file
/// The defaults file kelda.cfg: seven video, audio and capture settings, read once at start-up.
#pragma once

#include "tarvo/api.h"

#include <string>

namespace tarvo
{

/// The settings of the defaults file, or the built-in values where it gives none.
///
/// Start-up reads the working directory's file into gConfig before the window opens, and the
/// command line overrides it where an option says so (-fullscreen, -window, -nosfx, ...).
class TARVO_API Config
{
public:
    /// A Config holding the built-in values, for the file at filename (not read yet).
    explicit Config(const std::string& filename) : filename(filename) {}

    /// Reads the file. A missing or faulty file logs a warning and gives the built-in values:
    /// one bad line or unknown key discards the whole file. Throws Exception only for a parser
    /// result it does not know.
    void parse();
    /// Puts back the built-in values, keeping filename.
    void setDefaults();

    std::string filename; ///< The file parse reads.
    // The built-in values, written only here.
    bool fullscreen = false;   ///< Start full-screen.
    bool accelblits = false;   ///< Ask for a hardware screen surface.
    bool doublebuffer = false; ///< Double-buffered screen: the flip waits for the vertical blank.
    bool enablesfx = true;     ///< Open sound effects' mixer channels.
    bool enablemusic = true;   ///< Allow music.
    int numsfxchannels = 16;   ///< Mixer channels for effects; always within 1..64 after parse().
    /// The longest recording F9 makes, in seconds of game time; always within 1..600 after
    /// parse().
    int gifmaxseconds = 60;
};

/// The run's settings: set by start-up before the game's first load, null outside a run.
extern TARVO_API Config* gConfig;

} // namespace tarvo
