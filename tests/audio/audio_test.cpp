// Sound effects and music on an open mixer (SDL's dummy driver) with sound files on the search
// path: channel guards, which failures are logged, the music volume, fades and file ownership.
#include "support/capturedlog.h"
#include "support/gamedir.h"
#include "tarvo/audio/music.h"
#include "tarvo/audio/sound.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <gtest/gtest.h>
#include <string>

using namespace tarvo;

namespace
{

constexpr int kUntouchedVolume = 99;

// 4410 frames of mono 16-bit 44.1 kHz silence.
const std::string kWave = std::string("RIFF\x98\x22\0\0WAVEfmt \x10\0\0\0\1\0\1\0\x44\xAC\0\0"
                                      "\x88\x58\1\0\2\0\x10\0data\x74\x22\0\0",
                                      44) +
                          std::string(8820, '\0');

// One track of four half-second piano notes.
std::string midi()
{
    std::string out("MThd\0\0\0\6\0\0\0\1\1\xE0MTrk\0\0\0\x2B\0\xC0\0", 25);
    for (const char note : {60, 64, 67, 72}) {
        out += {'\0', '\x90', note, 100, '\x83', '\x60', '\x80', note, '\0'};
    }
    return out + std::string("\0\xFF\x2F\0", 4);
}

// The file system refuses to unmount a directory while one of its files is open.
bool hasOpenFiles(const GameDir& dir)
{
    return !vfsUnmount(dir.path.c_str()) || !vfsMount(dir.path.c_str());
}

class AudioTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        setenv("SDL_AUDIODRIVER", "dummy", 0); // never the machine's sound card
        prepareMidi();
        ASSERT_EQ(SDL_Init(SDL_INIT_AUDIO), 0) << SDL_GetError();
        ASSERT_EQ(Mix_OpenAudio(44100, AUDIO_S16SYS, 2, 1024), 0) << SDL_GetError();
        game.write("tone.wav", kWave);
        game.write("song.mid", midi());
        game.write("garbage.wav", std::string(4096, 'Z'));
        game.write("garbage.mid", std::string(4096, 'Z'));
        Mix_VolumeMusic(kUntouchedVolume);
    }
    void TearDown() override
    {
        Mix_CloseAudio();
        SDL_Quit();
    }

    const GameDir game;
};

TEST_F(AudioTest, ChannelsAreAllocatedAndPlayedOnlyWithinTheCount)
{
    Mix_Chunk* const tone = Mix_LoadWAV((game.path + "/tone.wav").c_str());
    ASSERT_NE(tone, nullptr);
    {
        SoundBank bank;
        for (const int count : {0, -3}) { // -3 only asks how many there are
            EXPECT_EQ(bank.allocateChannels(count), 0);
            EXPECT_FALSE(bank.isEnabled()) << "a non-positive request enabled the bank";
        }
        for (const int count : {64, 1, 0, 16}) {
            EXPECT_EQ(bank.allocateChannels(count), count);
            EXPECT_EQ(Mix_AllocateChannels(-1), count);
            EXPECT_TRUE(bank.isEnabled());
        }
        EXPECT_EQ(bank.play(5, nullptr, -1), 0);
        EXPECT_EQ(bank.play(-1, nullptr, -1), 0);
        EXPECT_EQ(Mix_Playing(-1), 0) << "a null sound played";
        EXPECT_EQ(bank.play(12, tone, -1), 12);
        bank.allocateChannels(2);
        EXPECT_EQ(Mix_Playing(-1), 0) << "a channel beyond the new count still plays";
        for (const int channel : {12, 2, -7}) {
            EXPECT_EQ(bank.setPanning(channel, 255, 0), 0);
            EXPECT_EQ(SDL_GetError(), "No such channel: " + std::to_string(channel));
            EXPECT_EQ(bank.play(channel, tone, -1), -1) << channel;
        }
        EXPECT_NE(bank.setPanning(1, 0, 255), 0) << SDL_GetError();
        EXPECT_EQ(bank.play(-1, tone, -1), 0);
        EXPECT_EQ(bank.play(-1, tone, -1), 1);
        EXPECT_EQ(bank.play(-1, tone, -1), -1) << "no channel was free";
        bank.haltChannel(7);
        bank.haltChannel(0);
        EXPECT_EQ(Mix_Playing(0), 0);
        EXPECT_EQ(Mix_Playing(1), 1) << "not just channel 0 halted";
    }
    EXPECT_EQ(Mix_Playing(-1), 0) << "destroying the bank left a channel playing";
    Mix_FreeChunk(tone);
}

TEST_F(AudioTest, LoadLogsOnlyWhenEnabledAndFailing)
{
    const struct {
        bool music, enabled;
        const char* path;
        bool loads;
        std::string logStart; // empty: nothing logged
    } rows[] = {
        {false, false, "missing.wav", false, ""},
        {false, true, "tone.wav", true, ""},
        {false, true, "garbage.wav", false, ""}, // the decoder's failure is not logged
        {false, true, "missing.wav", false,
         "Failed to load sound effect \"missing.wav\":\n\tPhysicsFS error: "},
        {true, false, "song.mid", false, ""},
        {true, true, "song.mid", true, ""},
        {true, true, "missing.mid", false,
         "Failed to load music \"missing.mid\":\n\tPhysicsFS error: "},
        {true, true, "garbage.mid", false, "Failed to load music \"garbage.mid\":\n\t"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.path) + (row.enabled ? " enabled" : " disabled"));
        Mix_VolumeMusic(kUntouchedVolume);
        SoundBank bank;
        bank.allocateChannels(row.enabled ? 8 : 0);
        MusicPlayer music;
        music.volume = 30;
        if (row.music && row.enabled) {
            music.enable();
            ASSERT_TRUE(music.load("song.mid")); // to be replaced
        }
        CapturedLog log;
        Mix_Chunk* const chunk = row.music ? nullptr : bank.loadSound(row.path);
        EXPECT_EQ(row.music ? music.load(row.path) : chunk != nullptr, row.loads);
        Mix_FreeChunk(chunk);
        music.play(-1, 0);
        const bool playing = row.music && row.loads;
        EXPECT_EQ(Mix_PlayingMusic(), playing);
        EXPECT_EQ(Mix_VolumeMusic(-1), playing ? 30 : kUntouchedVolume);
        EXPECT_EQ(hasOpenFiles(game), playing) << "a file left open, or closed under the mixer";
        const std::string text = log.text();
        if (row.logStart.empty()) {
            EXPECT_EQ(text, "");
        } else { // two lines: the file, then a reason after the tab
            EXPECT_EQ(text.compare(0, row.logStart.size(), row.logStart), 0) << text;
            EXPECT_EQ(text.find('\n', row.logStart.size() + 1), text.size() - 1) << text;
        }
    }
    SoundBank disabled;
    SDL_RWops* const stream = SDL_RWFromFile((game.path + "/tone.wav").c_str(), "rb");
    EXPECT_EQ(disabled.loadSoundFromStream(stream, 1), nullptr);
    EXPECT_EQ(SDL_RWtell(stream), 0) << "a disabled bank touched the stream";
    EXPECT_EQ(SDL_RWclose(stream), 0);
}

TEST_F(AudioTest, MusicVolumeFadesAndASecondLoadWhilePlaying)
{
    const GameDir other;
    other.write("other.mid", midi());
    CapturedLog log;
    MusicPlayer music;
    music.enable();
    music.volume = 30;
    ASSERT_TRUE(music.load("song.mid"));
    EXPECT_EQ(Mix_VolumeMusic(-1), kUntouchedVolume) << "volume applied before playing";
    music.play(-1, -5);
    EXPECT_EQ(Mix_FadingMusic(), MIX_NO_FADING);
    music.applyVolume(70);
    EXPECT_EQ(Mix_VolumeMusic(-1), 70);
    EXPECT_EQ(music.volume, 30) << "applyVolume changed what the next start applies";
    ASSERT_TRUE(music.load("other.mid"));
    EXPECT_FALSE(hasOpenFiles(game)) << "the first piece kept its file";
    EXPECT_EQ(Mix_PlayingMusic(), 0) << "the first piece plays on, or the second started";
    music.play(-1, 500);
    EXPECT_EQ(Mix_FadingMusic(), MIX_FADING_IN);
    EXPECT_EQ(Mix_VolumeMusic(-1), 30);
    music.stop(400);
    EXPECT_EQ(Mix_FadingMusic(), MIX_FADING_OUT);
    music.stop(0);
    EXPECT_EQ(Mix_PlayingMusic(), 0);
    EXPECT_TRUE(hasOpenFiles(other)) << "stopping released the stream";
    music.unload();
    EXPECT_FALSE(hasOpenFiles(other));
    EXPECT_EQ(log.text(), "");
}

} // namespace
