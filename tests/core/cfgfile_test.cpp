// Config::parse on files written here: case-insensitive keys and words, the channel count and
// the recording limit kept within their ranges, and a faulty or unreadable file replaced wholly by
// the built-in values.
#include "support/capturedlog.h"
#include "tarvo/core/cfgfile.h"

#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <tuple>

using namespace tarvo;

namespace
{

// fullscreen, accelblits, doublebuffer, enablesfx, enablemusic, numsfxchannels, gifmaxseconds
using Values = std::tuple<bool, bool, bool, bool, bool, int, int>;
const Values kBuiltIn = {false, false, false, true, true, 16, 60};

Values parsed(const std::string& path)
{
    Config config(path);
    // Whatever was there before must not survive: parse() sets all seven on every path.
    config.fullscreen = config.accelblits = config.doublebuffer = true;
    config.enablesfx = config.enablemusic = false;
    config.numsfxchannels = config.gifmaxseconds = 3;
    config.parse();
    return {config.fullscreen,  config.accelblits,     config.doublebuffer, config.enablesfx,
            config.enablemusic, config.numsfxchannels, config.gifmaxseconds};
}

TEST(Config, ReadsTheFileOrFallsBackWhollyToBuiltInValues)
{
    const struct {
        const char* text;
        Values values;
        bool faulty;
    } cases[] = {
        {"", kBuiltIn, false},
        {"FullScreen = TRUE\n", {true, false, false, true, true, 16, 60}, false},
        {"doublebuffer = on\n", {false, false, true, true, true, 16, 60}, false},
        {"accelblits = yes\ndoublebuffer = On\nenablesfx = off\nenablemusic = NO\n",
         {false, true, true, false, false, 16, 60},
         false},
        {"numsfxchannels = 0", {false, false, false, true, true, 1, 60}, false},
        {"numsfxchannels = -5", {false, false, false, true, true, 1, 60}, false},
        {"numsfxchannels = 100", {false, false, false, true, true, 64, 60}, false},
        {"numsfxchannels = 0x20", {false, false, false, true, true, 32, 60}, false},
        {"numsfxchannels = 010 # octal\n", {false, false, false, true, true, 8, 60}, false},
        {"GifMaxSeconds = 0", {false, false, false, true, true, 16, 1}, false},
        {"gifmaxseconds = 601", {false, false, false, true, true, 16, 600}, false},
        {"enablesfx = false\nvolume = 3\n", kBuiltIn, true}, // a key outside the table
        {"numsfxchannels = 8\nfullscreen = maybe\n", kBuiltIn, true},
        {"numsfxchannels = lots\n", kBuiltIn, true},
        {"fullscreen = true\n{{{ = \n", kBuiltIn, true},
        {"\x7f\x45\x4c\x46\x02\x01\x01\x00\xff\xfe", kBuiltIn, true},
    };
    const TempDir dir;
    const std::string path = dir.file("kelda.cfg");
    for (const auto& c : cases) {
        std::ofstream(path, std::ios::binary) << c.text;
        CapturedLog log;
        EXPECT_EQ(parsed(path), c.values) << c.text;
        EXPECT_EQ(log.text(), c.faulty ? "Warning: error parsing cfg file " + path + "\n" : "")
            << c.text;
    }
}

TEST(Config, MissingOrUnreadableFileWarnsAndUsesBuiltInValues)
{
    // A directory opens like a file but cannot be read; the parser must not see it.
    for (const std::string path : {"/nonexistent/kelda.cfg", "/tmp"}) {
        CapturedLog log;
        EXPECT_EQ(parsed(path), kBuiltIn) << path;
        EXPECT_EQ(log.text(), "Warning: couldn't read defaults from " + path + "\n");
    }
}

} // namespace

TEST(Config, PadDeadZoneIsKeptWithinItsRange)
{
    const std::pair<const char*, int> cases[] = {{"", 8000},
                                                 {"paddeadzone = -1", 0},
                                                 {"paddeadzone = 40000", 32767},
                                                 {"PadDeadZone = 0x10", 16}};
    const TempDir dir;
    for (const auto& [text, deadZone] : cases) {
        std::ofstream(dir.file("game.cfg")) << text;
        Config config(dir.file("game.cfg"));
        config.parse();
        EXPECT_EQ(config.paddeadzone, deadZone) << text;
    }
}
