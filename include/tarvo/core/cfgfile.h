// The defaults file kelda.cfg: seven video, audio and capture settings, read once at start-up.
#pragma once

#include "tarvo/api.h"

#include <string>

namespace tarvo
{

class TARVO_API Config
{
public:
    explicit Config(const std::string& filename) : filename(filename) {}

    // Reads the file; a missing or faulty file gives a warning and the built-in values.
    // Throws Exception only for a parser result it does not know.
    void parse();
    void setDefaults();

    std::string filename;
    // The built-in values, written only here.
    bool fullscreen = false;
    bool accelblits = false;
    bool doublebuffer = false;
    bool enablesfx = true;
    bool enablemusic = true;
    int numsfxchannels = 16; // always within 1..64 after parse()
    int gifmaxseconds = 60;  // the longest recording F9 makes; always within 1..600 after parse()
};

extern TARVO_API Config* gConfig;

} // namespace tarvo
