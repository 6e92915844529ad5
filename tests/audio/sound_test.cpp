#include "audio/sound.h"
#include "audiotest.h"
#include "support/capturedlog.h"

#include <string>

namespace
{

class SoundBankTest : public AudioTest
{
protected:
    void SetUp() override
    {
        AudioTest::SetUp();
        if (HasFatalFailure()) {
            return;
        }
        dir = mountNewDirectory();
        writeFile(dir + "/tone.wav", toneWave(4410));
        writeFile(dir + "/garbage.wav", garbage());
    }

    std::string dir;
};

TEST_F(SoundBankTest, ChannelCountFollowsTheLastPositiveRequest)
{
    SoundBank bank;
    // A non-positive request only reports; it must not enable the bank.
    EXPECT_EQ(bank.allocateChannels(0), 0);
    EXPECT_FALSE(bank.isEnabled());
    EXPECT_EQ(bank.allocateChannels(-3), 0);
    EXPECT_FALSE(bank.isEnabled());

    struct Row {
        int request;
        int granted;
    };
    for (const Row& row : {Row{16, 16}, Row{8, 8}, Row{1, 1}, Row{64, 64}, Row{0, 0}}) {
        SCOPED_TRACE(row.request);
        EXPECT_EQ(bank.allocateChannels(row.request), row.granted);
        EXPECT_EQ(Mix_AllocateChannels(-1), row.granted);
        // Once enabled, nothing turns the bank off again.
        EXPECT_TRUE(bank.isEnabled());
    }
}

TEST_F(SoundBankTest, PlayReachesOnlyChannelsTheMixerHas)
{
    SoundBank bank;
    bank.allocateChannels(16);
    Mix_Chunk* const tone = bank.loadSound("tone.wav");
    ASSERT_NE(tone, nullptr);
    EXPECT_EQ(bank.play(-1, nullptr, 0), 0);
    EXPECT_EQ(bank.play(5, nullptr, -1), 0);
    EXPECT_EQ(Mix_Playing(-1), 0) << "a null sound played";

    EXPECT_EQ(bank.play(12, tone, -1), 12);
    bank.allocateChannels(2);
    EXPECT_EQ(Mix_Playing(-1), 0) << "a channel beyond the new count still plays";
    // Channels the mixer does not have are refused rather than passed on.
    for (const int channel : {12, 2, -7}) {
        EXPECT_EQ(bank.play(channel, tone, 0), -1) << channel;
    }
    EXPECT_EQ(Mix_Playing(-1), 0);
    // Both channels busy: the first-free request finds none, and panning that non-channel is
    // refused.
    EXPECT_EQ(bank.play(-1, tone, -1), 0);
    EXPECT_EQ(bank.play(-1, tone, -1), 1);
    EXPECT_EQ(bank.play(-1, tone, -1), -1);
    EXPECT_EQ(bank.setPanning(-1, 255, 0), 0);
    EXPECT_NE(bank.setPanning(1, 255, 0), 0);
    bank.haltChannel(0);
    EXPECT_EQ(Mix_Playing(0), 0);
    EXPECT_EQ(Mix_Playing(1), 1);
    bank.haltChannel(-1);
    EXPECT_EQ(Mix_Playing(-1), 0);
    Mix_FreeChunk(tone);
}

TEST_F(SoundBankTest, LoadResultsOnAnEnabledBank)
{
    struct Row {
        const char* path;
        bool loads;
        std::string logStart; // empty: nothing logged
    };
    const Row rows[] = {
        {"tone.wav", true, ""},
        // The decoder's own failure is not logged.
        {"garbage.wav", false, ""},
        {"missing.wav", false, "Failed to load sound effect \"missing.wav\":\n\tPhysicsFS error: "},
    };
    SoundBank bank;
    bank.allocateChannels(8);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.path);
        CapturedLog log;
        Mix_Chunk* const chunk = bank.loadSound(row.path);
        EXPECT_EQ(chunk != nullptr, row.loads);
        if (chunk) {
            // Converted to the device's format: 4410 mono frames become 4410 stereo 16-bit ones.
            EXPECT_EQ(chunk->alen, 4410u * 4);
            Mix_FreeChunk(chunk);
        }
        const std::string text = log.text();
        EXPECT_EQ(text.compare(0, row.logStart.size(), row.logStart), 0) << text;
        if (row.logStart.empty()) {
            EXPECT_EQ(text, "");
        } else {
            // One reason after the tab, and the line ends there.
            EXPECT_GT(text.size(), row.logStart.size() + 1);
            EXPECT_EQ(text.find('\n', row.logStart.size()), text.size() - 1);
        }
        // Whether decoded or not, the archive file has been closed.
        EXPECT_FALSE(hasOpenFiles(dir));
    }
}

TEST_F(SoundBankTest, DisabledBankIsSilent)
{
    CapturedLog log;
    SoundBank bank;
    EXPECT_EQ(bank.loadSound("tone.wav"), nullptr);
    EXPECT_EQ(bank.loadSound("missing.wav"), nullptr);
    EXPECT_FALSE(hasOpenFiles(dir));

    SDL_RWops* const stream = SDL_RWFromFile((dir + "/tone.wav").c_str(), "rb");
    ASSERT_NE(stream, nullptr);
    EXPECT_EQ(bank.loadSoundFromStream(stream, 1), nullptr);
    // Left untouched: still open, still at its start.
    EXPECT_EQ(SDL_RWtell(stream), 0);
    EXPECT_EQ(SDL_RWclose(stream), 0);

    EXPECT_EQ(bank.play(-1, bank.loadSound("tone.wav"), 0), 0);
    EXPECT_EQ(Mix_Playing(-1), 0);
    EXPECT_EQ(log.text(), "");
}

TEST_F(SoundBankTest, DestructionHaltsEveryChannel)
{
    Mix_Chunk* tone = nullptr;
    {
        SoundBank bank;
        bank.allocateChannels(4);
        tone = bank.loadSound("tone.wav");
        ASSERT_NE(tone, nullptr);
        bank.play(-1, tone, -1);
        bank.play(3, tone, -1);
        EXPECT_EQ(Mix_Playing(-1), 2);
    }
    EXPECT_EQ(Mix_Playing(-1), 0);
    Mix_FreeChunk(tone);
}

} // namespace
