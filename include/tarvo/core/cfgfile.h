/// @file
/// The defaults file kelda.cfg: the video, audio, capture and pad settings and the game's action
/// bindings, read once at start-up.
#pragma once

#include "tarvo/api.h"

#include <string>
#include <vector>

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
    /// Puts back the built-in values, keeping filename and the declared lists.
    void setDefaults();
    /// Declares a string-list key for parse(), with its built-in values: a game's action and
    /// its default inputs. The file's `NAME = {...}` replaces them, `NAME += {...}` adds to
    /// them. False, declaring nothing, when name is already a key in any case.
    bool addList(const std::string& name, const std::vector<std::string>& values);
    /// The values of the declared list key name: the file's, else the built-in ones; empty for
    /// a name never declared.
    const std::vector<std::string>& list(const std::string& name) const;

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
    /// How far from rest, out of 32767, a pad's stick or trigger must move to count as down;
    /// always within 0..32767 after parse().
    int paddeadzone = 8000;

private:
    struct List {
        std::string name;
        std::vector<std::string> builtIn, values;
    };
    std::vector<List> lists; // in the order declared
};

/// The run's settings: set by start-up before the game's first load, null outside a run.
extern TARVO_API Config* gConfig;

} // namespace tarvo
