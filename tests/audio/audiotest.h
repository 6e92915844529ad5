// Shared set-up for the audio tests: an open mixer on SDL's dummy driver, PhysicsFS over temporary
// directories, and tiny effect and music files written by the tests themselves.
#pragma once

#include <SDL.h>
#include <SDL_mixer.h>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <physfs.h>
#include <string>
#include <vector>

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"

inline void writeFile(const std::string& path, const std::vector<uint8_t>& bytes)
{
    FILE* file = fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr) << path;
    fwrite(bytes.data(), 1, bytes.size(), file);
    fclose(file);
}

inline void putLe(std::vector<uint8_t>& out, uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i) {
        out.push_back(static_cast<uint8_t>(value >> (8 * i)));
    }
}

// Mono 16-bit 44.1 kHz sine tone.
inline std::vector<uint8_t> toneWave(int frames)
{
    std::vector<uint8_t> out = {'R', 'I', 'F', 'F'};
    putLe(out, 36 + 2 * frames, 4);
    for (const char c : std::string("WAVEfmt ")) {
        out.push_back(static_cast<uint8_t>(c));
    }
    putLe(out, 16, 4);
    putLe(out, 1, 2);         // PCM
    putLe(out, 1, 2);         // mono
    putLe(out, 44100, 4);     // rate
    putLe(out, 44100 * 2, 4); // bytes per second
    putLe(out, 2, 2);         // block align
    putLe(out, 16, 2);        // bits
    for (const char c : std::string("data")) {
        out.push_back(static_cast<uint8_t>(c));
    }
    putLe(out, 2 * frames, 4);
    for (int i = 0; i < frames; ++i) {
        const double sample = 12000.0 * std::sin(2.0 * M_PI * 440.0 * i / 44100.0);
        putLe(out, static_cast<uint32_t>(static_cast<int32_t>(sample)), 2);
    }
    return out;
}

// A one-track standard MIDI file: four half-second piano notes.
inline std::vector<uint8_t> shortMidi()
{
    std::vector<uint8_t> track = {0x00, 0xC0, 0x00};
    for (const uint8_t note : {60, 64, 67, 72}) {
        const std::vector<uint8_t> on = {0x00, 0x90, note, 100, 0x83, 0x60, 0x80, note, 0};
        track.insert(track.end(), on.begin(), on.end());
    }
    const std::vector<uint8_t> end = {0x00, 0xFF, 0x2F, 0x00};
    track.insert(track.end(), end.begin(), end.end());
    std::vector<uint8_t> out = {'M', 'T', 'h', 'd',  0,    0,   0,   6,   0,
                                0,   0,   1,   0x01, 0xE0, 'M', 'T', 'r', 'k'};
    for (int shift = 24; shift >= 0; shift -= 8) {
        out.push_back(static_cast<uint8_t>(track.size() >> shift));
    }
    out.insert(out.end(), track.begin(), track.end());
    return out;
}

// Bytes that no decoder recognises.
inline std::vector<uint8_t> garbage()
{
    return std::vector<uint8_t>(4096, 0x5A);
}

class AudioTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // Never the machine's sound card, however the test was started.
        setenv("SDL_AUDIODRIVER", "dummy", 0);
        ASSERT_EQ(SDL_Init(SDL_INIT_AUDIO), 0) << SDL_GetError();
        ASSERT_EQ(Mix_OpenAudio(44100, AUDIO_S16SYS, 2, 1024), 0) << SDL_GetError();
        ASSERT_NE(PHYSFS_init(nullptr), 0) << PHYSFS_getLastError();
    }

    void TearDown() override
    {
        Mix_CloseAudio();
        PHYSFS_deinit();
        SDL_Quit();
        for (const std::string& dir : dirs) {
            std::filesystem::remove_all(dir);
        }
    }

    // A fresh directory on the search path.
    std::string mountNewDirectory()
    {
        char name[] = "/tmp/tarvo-audio-XXXXXX";
        const char* const dir = mkdtemp(name);
        EXPECT_NE(dir, nullptr);
        dirs.push_back(name);
        EXPECT_NE(PHYSFS_addToSearchPath(name, 1), 0) << PHYSFS_getLastError();
        return name;
    }

    // PhysicsFS refuses to unmount a directory while one of its files is open.
    static bool hasOpenFiles(const std::string& dir)
    {
        if (PHYSFS_removeFromSearchPath(dir.c_str()) != 0) {
            PHYSFS_addToSearchPath(dir.c_str(), 1);
            return false;
        }
        return true;
    }

private:
    std::vector<std::string> dirs;
};

#pragma GCC diagnostic pop
