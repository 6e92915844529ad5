#include "core/cfgfile.h"
#include "support/capturedlog.h"

#include <cstdio>
#include <gtest/gtest.h>
#include <string>

namespace
{

struct Values {
    bool fullscreen, accelblits, doublebuffer, enablesfx, enablemusic;
    int channels;
};

const Values kBuiltIn = {false, false, false, true, true, 16};

std::string writeConfig(const std::string& text)
{
    char name[] = "/tmp/tarvo-cfg-XXXXXX";
    const int fd = mkstemp(name);
    EXPECT_GE(fd, 0);
    FILE* file = fdopen(fd, "w");
    std::fwrite(text.data(), 1, text.size(), file);
    std::fclose(file);
    return name;
}

void expectValues(const Config& config, const Values& v, const std::string& what)
{
    EXPECT_EQ(config.fullscreen, v.fullscreen) << what;
    EXPECT_EQ(config.accelblits, v.accelblits) << what;
    EXPECT_EQ(config.doublebuffer, v.doublebuffer) << what;
    EXPECT_EQ(config.enablesfx, v.enablesfx) << what;
    EXPECT_EQ(config.enablemusic, v.enablemusic) << what;
    EXPECT_EQ(config.numsfxchannels, v.channels) << what;
}

TEST(Config, ReadsValuesAndLimitsTheChannelCount)
{
    struct Case {
        const char* text;
        Values values;
    };
    const Case cases[] = {
        {"", kBuiltIn},
        {"FullScreen = TRUE\n", {true, false, false, true, true, 16}},
        {"accelblits = yes\ndoublebuffer = On\nenablesfx = off\nenablemusic = NO\n",
         {false, true, true, false, false, 16}},
        {"numsfxchannels = 0", {false, false, false, true, true, 1}},
        {"numsfxchannels = -5", {false, false, false, true, true, 1}},
        {"numsfxchannels = 100", {false, false, false, true, true, 64}},
        {"numsfxchannels = 0x20", {false, false, false, true, true, 32}},
        {"numsfxchannels = 010 # octal\n", {false, false, false, true, true, 8}},
    };
    for (const Case& c : cases) {
        CapturedLog log;
        const std::string path = writeConfig(c.text);
        Config config(path);
        config.parse();
        expectValues(config, c.values, c.text);
        EXPECT_EQ(log.text(), "") << c.text;
        std::remove(path.c_str());
    }
}

TEST(Config, FaultyFileFallsBackWhollyToBuiltInValues)
{
    const char* faulty[] = {
        "enablesfx = false\nvolume = 3\n", // a key outside the table
        "numsfxchannels = 8\nfullscreen = maybe\n",
        "numsfxchannels = lots\n",
        "fullscreen = true\n{{{ = \n",
        "\x7f\x45\x4c\x46\x02\x01\x01\x00\xff\xfe",
    };
    for (const char* text : faulty) {
        CapturedLog log;
        const std::string path = writeConfig(text);
        Config config(path);
        config.fullscreen = true; // whatever was there before must not survive
        config.numsfxchannels = 3;
        config.parse();
        expectValues(config, kBuiltIn, text);
        EXPECT_EQ(log.text(), "Warning: error parsing cfg file " + path + "\n") << text;
        std::remove(path.c_str());
    }
}

TEST(Config, MissingOrUnreadableFileWarnsAndUsesBuiltInValues)
{
    // A directory opens like a file but cannot be read; the parser must not see it.
    for (const char* path : {"/nonexistent/kelda.cfg", "/tmp"}) {
        CapturedLog log;
        Config config(path);
        config.enablesfx = false;
        config.parse();
        expectValues(config, kBuiltIn, path);
        EXPECT_EQ(log.text(), std::string("Warning: couldn't read defaults from ") + path + "\n");
    }
}

} // namespace
