// The save folder: saveFile and loadFile over a folder of the test's own, under a full disk and
// a kill before the rename; and tarvo::run choosing the player's, -savedir's or a temporary one.
#include "core/replayfile.h"
#include "engine/savefolder.h"
#include "support/capturedlog.h"
#include "support/gamedir.h"
#include "support/words.h"
#include "tarvo/engine/game.h"
#include "tarvo/engine/save.h"

#include <csignal>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <set>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace tarvo;

namespace
{

// The save folder of a run, at root/saves, and the log, for the test's lifetime.
struct Saves {
    Saves() { openSaveFolder(folder.c_str(), "test", false); }
    ~Saves() { closeSaveFolder(); }

    const TempDir root;
    const std::string folder = root.path + "/saves";
    const CapturedLog log;
};

std::vector<uint8_t> bytes(const std::string& text)
{
    return {text.begin(), text.end()};
}

// The file's text, or "(none)".
std::string text(const std::optional<std::vector<uint8_t>>& file)
{
    return file ? std::string(file->begin(), file->end()) : "(none)";
}

// The folder's entries, hidden ones too.
std::set<std::string> entries(const std::string& folder)
{
    std::set<std::string> names;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        names.insert(entry.path().filename());
    }
    return names;
}

TEST(SaveFile, WhatIsSavedLoadsBack)
{
    const struct {
        const char* name;
        const char* file;
        const char* old; // null: none
        const char* saved;
    } cases[] = {
        {"a first save, with the folder", "slot", nullptr, "progress"},
        {"an empty file is not a missing one", "slot", nullptr, ""},
        {"a shorter file over a longer one", "slot", "a longer old file", "new"},
        {"every allowed character", "Az09._-x", nullptr, "x"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Saves saves;
        if (c.old) {
            ASSERT_TRUE(saveFile(c.file, bytes(c.old)));
        }
        EXPECT_TRUE(saveFile(c.file, bytes(c.saved)));
        EXPECT_EQ(text(loadFile(c.file)), c.saved);
        EXPECT_EQ(entries(saves.folder), std::set<std::string>{c.file});
        EXPECT_EQ(saves.log.text(), "");
    }
}

TEST(SaveFile, MissingFileLoadsAsNoneWithoutAWarning)
{
    const Saves saves;
    EXPECT_EQ(text(loadFile("slot")), "(none)");
    EXPECT_EQ(saves.log.text(), "");
}

TEST(SaveFile, NamesOutsideTheAllowedOnesAreRefused)
{
    for (const std::string name :
         {"", ".hidden", "..", "../escape", "a/b", "with space", "caf\xc3\xa9", "tab\t"}) {
        SCOPED_TRACE(name);
        const Saves saves;
        EXPECT_FALSE(saveFile(name, bytes("x")));
        EXPECT_EQ(text(loadFile(name)), "(none)");
        const std::string warning = "Warning: \"" + name + "\" is not a valid save name\n";
        EXPECT_EQ(saves.log.text(), warning + warning);
        EXPECT_TRUE(entries(saves.root.path).empty());
    }
}

TEST(SaveFolder, PlayerFolderFollowsXdgDataHome)
{
    const struct {
        const char* name;
        const char* dataHome;
        const char* home;
        const char* game;
        const char* folder;
    } cases[] = {
        {"an absolute XDG_DATA_HOME", "/data", "/home/p", "game", "/data/tarvo/game"},
        {"a relative one is ignored", "data", "/home/p", "game", "/home/p/.local/share/tarvo/game"},
        {"an empty one is ignored", "", "/home/p", "game", "/home/p/.local/share/tarvo/game"},
        {"none", nullptr, "/home/p", "game", "/home/p/.local/share/tarvo/game"},
        {"no absolute home either", nullptr, "home", "game", ""},
        {"a game name that is no save name", "/data", "/home/p", "../game", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(playerSaveFolder(c.dataHome, c.home, c.game), c.folder) << c.name;
    }
}

// Past a file-size limit a write fails as on a full disk.
TEST(SaveFile, FullDiskKeepsTheOldFile)
{
    const Saves saves;
    ASSERT_TRUE(saveFile("slot", bytes("old")));
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    const rlimit small{1024, limit.rlim_max};
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &small);
    const bool saved = saveFile("slot", std::vector<uint8_t>(4096, 'n'));
    setrlimit(RLIMIT_FSIZE, &limit);
    std::signal(SIGXFSZ, previous);
    EXPECT_FALSE(saved);
    EXPECT_EQ(saves.log.text(), "Warning: couldn't save slot (File too large)\n");
    EXPECT_EQ(text(loadFile("slot")), "old");
    EXPECT_EQ(entries(saves.folder), std::set<std::string>{"slot"});
}

TEST(SaveFile, KillBeforeTheRenameKeepsTheOldFileAndTheNextSaveSweeps)
{
    const Saves saves;
    ASSERT_TRUE(saveFile("slot", bytes("old")));
    const pid_t child = fork();
    if (child == 0) {
        gBeforeSaveRename = [] { raise(SIGKILL); };
        saveFile("slot", bytes("new"));
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
    EXPECT_EQ(text(loadFile("slot")), "old");
    // The kill came once the new bytes were written in full.
    std::set<std::string> left = entries(saves.folder);
    left.erase("slot");
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(readFile(saves.folder + "/" + *left.begin()), "new");
    EXPECT_TRUE(saveFile("other", bytes("x")));
    EXPECT_EQ(entries(saves.folder), (std::set<std::string>{"other", "slot"}));
}

TEST(SaveFile, SweepLeavesWhatNoKilledSaveLeft)
{
    const Saves saves;
    const std::string kept[] = {
        ".slot.Xy34Zw.tarvo-part", // another run's save in progress, locked
        ".notes",                  // a hidden file of the folder's own
        "x.tarvo-part",            // a save named like a temporary
    };
    std::filesystem::create_directories(saves.folder);
    for (const std::string& name : kept) {
        std::ofstream(saves.folder + "/" + name) << "kept";
    }
    const int lock = open((saves.folder + "/" + kept[0]).c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_EQ(flock(lock, LOCK_EX), 0);
    EXPECT_TRUE(saveFile("slot", bytes("x")));
    close(lock);
    EXPECT_EQ(entries(saves.folder), (std::set<std::string>{kept[0], kept[1], kept[2], "slot"}));
}

// Loads "slot" and quits in load(false); saves "slot" in unload, as a game saving at shutdown.
struct SavingGame : Game {
    void load(bool) override
    {
        folder = saveFolder();
        loaded = text(loadFile("slot"));
        requestQuit();
    }
    void update() override {}
    void handleEvent(const SDL_Event&) override {}
    void draw() override {}
    void unload() override { saved = saveFile("slot", bytes("new")); }

    std::string folder, loaded;
    bool saved = false;
};

TEST(SaveRun, RecordingsAndReplaysSaveInAnEmptyFolderRemovedAtTheEnd)
{
    const TempDir root;
    const std::string player = root.path + "/data/tarvo/test";
    root.write("replay",
               encodeReplayHeader(ReplayHeader()) + encodeReplayRecord({0, ReplayRecordType::End}));
    setenv("XDG_DATA_HOME", (root.path + "/data").c_str(), 1);
    enum Where { Player, Temporary, SaveDir };
    const struct {
        const char* name;
        std::vector<std::string> args;
        Where where;
        const char* loaded;
    } cases[] = {
        {"a live run: the player's folder", {}, Player, "old"},
        {"-record: a temporary folder", {"-record", root.file("recorded")}, Temporary, "(none)"},
        {"-replay: a temporary folder", {"-replay", root.file("replay")}, Temporary, "(none)"},
        {"-savedir DIR, even with -replay",
         {"-replay", root.file("replay"), "-savedir", root.file("dir")},
         SaveDir,
         "(none)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        root.write("data/tarvo/test/slot", "old");
        std::vector<std::string> args = {"save_test", "-logfile", root.file("log"), "-game",
                                         root.path};
        args.insert(args.end(), c.args.begin(), c.args.end());
        Words words(args);
        SavingGame game;
        EXPECT_EQ(run(static_cast<int>(words.pointers.size()), words.pointers.data(),
                      GameInfo{"test", "Test", "test.cfg", "test"}, game),
                  0);
        EXPECT_EQ(game.loaded, c.loaded);
        EXPECT_TRUE(game.saved);
        EXPECT_EQ(readFile(player + "/slot"), c.where == Player ? "new" : "old");
        if (c.where == SaveDir) {
            EXPECT_EQ(game.folder, root.file("dir"));
            EXPECT_EQ(readFile(root.file("dir/slot")), "new");
        }
        if (c.where == Temporary) {
            EXPECT_EQ(game.folder.rfind(std::filesystem::temp_directory_path(), 0), 0u);
            EXPECT_FALSE(std::filesystem::exists(game.folder));
        }
    }
    unsetenv("XDG_DATA_HOME");
}

} // namespace
