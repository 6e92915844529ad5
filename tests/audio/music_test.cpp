#include "audio/music.h"
#include "audiotest.h"
#include "support/capturedlog.h"

#include <string>

namespace
{

class MusicPlayerTest : public AudioTest
{
protected:
    void SetUp() override
    {
        prepareMidi(); // before the device opens
        AudioTest::SetUp();
        if (HasFatalFailure()) {
            return;
        }
        dir = mountNewDirectory();
        writeFile(dir + "/song.mid", shortMidi());
        writeFile(dir + "/garbage.mid", garbage());
        Mix_VolumeMusic(kUntouchedVolume);
    }

    static constexpr int kUntouchedVolume = 99;
    std::string dir;
};

TEST_F(MusicPlayerTest, DisabledPlayerDoesNothing)
{
    CapturedLog log;
    MusicPlayer music;
    music.volume = 30;
    EXPECT_FALSE(music.load("song.mid"));
    EXPECT_FALSE(music.load("missing.mid"));
    EXPECT_FALSE(hasOpenFiles(dir));
    music.play(-1, 0);
    EXPECT_EQ(Mix_PlayingMusic(), 0);
    music.applyVolume(10);
    EXPECT_EQ(Mix_VolumeMusic(-1), kUntouchedVolume);
    music.stop(0);
    music.unload();
    EXPECT_EQ(log.text(), "");
}

TEST_F(MusicPlayerTest, FailedLoadsLogAndHoldNothing)
{
    struct Row {
        const char* path;
        std::string logStart;
    };
    const Row rows[] = {
        {"missing.mid", "Failed to load music \"missing.mid\":\n\tPhysicsFS error: "},
        // The mixer's reason follows the tab.
        {"garbage.mid", "Failed to load music \"garbage.mid\":\n\t"},
    };
    MusicPlayer music;
    music.enable();
    for (const Row& row : rows) {
        SCOPED_TRACE(row.path);
        ASSERT_TRUE(music.load("song.mid"));
        CapturedLog log;
        EXPECT_FALSE(music.load(row.path));
        const std::string text = log.text();
        EXPECT_EQ(text.compare(0, row.logStart.size(), row.logStart), 0) << text;
        EXPECT_GT(text.size(), row.logStart.size() + 1) << "no reason given";
        EXPECT_EQ(text.find('\n', row.logStart.size()), text.size() - 1) << text;
        // Neither the replaced piece nor the failed one keeps a file open, and nothing plays.
        EXPECT_FALSE(hasOpenFiles(dir));
        music.volume = 40;
        music.play(-1, 0);
        EXPECT_EQ(Mix_PlayingMusic(), 0);
        EXPECT_EQ(Mix_VolumeMusic(-1), kUntouchedVolume);
        EXPECT_EQ(log.text(), text) << "play without music logged";
    }
}

TEST_F(MusicPlayerTest, VolumeIsAppliedWhenPlaybackStarts)
{
    struct Row {
        int fadeInMs;
        Mix_Fading fading;
    };
    for (const Row& row :
         {Row{0, MIX_NO_FADING}, Row{-5, MIX_NO_FADING}, Row{500, MIX_FADING_IN}}) {
        SCOPED_TRACE(row.fadeInMs);
        Mix_VolumeMusic(kUntouchedVolume);
        MusicPlayer music;
        music.enable();
        ASSERT_TRUE(music.load("song.mid"));
        music.volume = 30;
        EXPECT_EQ(Mix_VolumeMusic(-1), kUntouchedVolume) << "volume applied before playing";
        music.play(-1, row.fadeInMs);
        EXPECT_EQ(Mix_PlayingMusic(), 1);
        EXPECT_EQ(Mix_FadingMusic(), row.fading);
        EXPECT_EQ(Mix_VolumeMusic(-1), 30);
        // applyVolume reaches the mixer without changing what the next start applies.
        music.applyVolume(70);
        EXPECT_EQ(Mix_VolumeMusic(-1), 70);
        EXPECT_EQ(music.volume, 30);
        music.stop(0);
        EXPECT_EQ(Mix_PlayingMusic(), 0);
    }
}

TEST_F(MusicPlayerTest, StopFadesOutOnlyWithAPositiveTime)
{
    MusicPlayer music;
    music.enable();
    ASSERT_TRUE(music.load("song.mid"));
    music.play(-1, 0);
    music.stop(400);
    EXPECT_EQ(Mix_FadingMusic(), MIX_FADING_OUT);
    EXPECT_EQ(Mix_PlayingMusic(), 1);
    music.stop(0);
    EXPECT_EQ(Mix_PlayingMusic(), 0);
}

TEST_F(MusicPlayerTest, StreamIsHeldExactlyWhileItsMusicIsLoaded)
{
    const std::string other = mountNewDirectory();
    writeFile(other + "/other.mid", shortMidi());
    CapturedLog log;
    MusicPlayer music;
    music.enable();
    ASSERT_TRUE(music.load("song.mid"));
    EXPECT_TRUE(hasOpenFiles(dir));
    music.play(-1, 0);
    ASSERT_EQ(Mix_PlayingMusic(), 1);
    // A second load while playing fades out and frees the first piece with its file; the new
    // one waits for play.
    ASSERT_TRUE(music.load("other.mid"));
    EXPECT_FALSE(hasOpenFiles(dir));
    EXPECT_TRUE(hasOpenFiles(other));
    EXPECT_EQ(Mix_PlayingMusic(), 0);
    music.play(-1, 0);
    music.stop(0);
    EXPECT_TRUE(hasOpenFiles(other)) << "stopping released the stream";
    music.unload();
    EXPECT_FALSE(hasOpenFiles(other));
    music.unload();
    EXPECT_EQ(log.text(), "");
}

} // namespace
