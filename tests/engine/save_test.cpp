// The save folder: saveFile and loadFile in a folder of the test's own, under a full disk and a
// kill before the rename; and the folder tarvo::run picks: the player's, -savedir's, a temporary.
#include "engine/savefolder.h"
#include "support/capturedlog.h"
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

using namespace tarvo;
using Names = std::set<std::string>;

namespace
{

// A run's save folder, root/saves (made by the first save), and its log.
struct Saves {
    Saves() { openSaveFolder(folder.c_str(), "test", false); }
    ~Saves() { closeSaveFolder(); }
    // Hidden ones too.
    Names entries() const
    {
        Names names;
        std::error_code error;
        for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
            names.insert(entry.path().filename());
        }
        return names;
    }

    const TempDir root;
    const std::string folder = root.path + "/saves";
    const CapturedLog log;
};

bool save(const std::string& name, const std::string& text)
{
    return saveFile(name, {text.begin(), text.end()});
}

std::string load(const std::string& name)
{
    const auto file = loadFile(name);
    return file ? std::string(file->begin(), file->end()) : "(none)";
}

TEST(SaveFile, WhatIsSavedLoadsBack)
{
    const struct {
        const char *name, *file, *saved;
    } cases[] = {
        {"nothing saved: none, and no warning", "slot", nullptr},
        {"an empty file is not a missing one", "slot", ""},
        {"every allowed character", "Az09._-x", "bytes"},
    };
    for (const auto& c : cases) {
        const Saves saves;
        EXPECT_TRUE(!c.saved || save(c.file, c.saved)) << c.name;
        EXPECT_EQ(load(c.file), c.saved ? c.saved : "(none)") << c.name;
        EXPECT_EQ(saves.log.text(), "") << c.name;
    }
}

TEST(SaveFile, NamesOutsideTheAllowedOnesAreRefused)
{
    for (const std::string name : {"", ".hidden", "..", "../out", "a/b", "a b", "caf\xc3\xa9"}) {
        const Saves saves;
        EXPECT_FALSE(save(name, "x")) << name;
        EXPECT_EQ(load(name), "(none)") << name;
        const std::string warning = "Warning: \"" + name + "\" is not a valid save name\n";
        EXPECT_EQ(saves.log.text(), warning + warning);
        EXPECT_TRUE(std::filesystem::is_empty(saves.root.path)) << name;
    }
}

TEST(SaveFolder, PlayerFolderFollowsXdgDataHome)
{
    const struct {
        const char *name, *dataHome, *home, *game, *folder;
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
TEST(SaveFile, FullDiskKeepsTheOldFileAndNoTemporary)
{
    const Saves saves;
    ASSERT_TRUE(save("slot", "old"));
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    const rlimit small{1024, limit.rlim_max};
    std::signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &small);
    EXPECT_FALSE(save("slot", std::string(4096, 'n')));
    setrlimit(RLIMIT_FSIZE, &limit);
    EXPECT_EQ(saves.log.text(), "Warning: couldn't save slot (File too large)\n");
    EXPECT_EQ(load("slot"), "old");
    EXPECT_EQ(saves.entries(), Names{"slot"});
}

TEST(SaveFile, KillBeforeTheRenameKeepsTheOldFileAndTheNextSaveSweepsOnlyItsTemporary)
{
    const Saves saves;
    ASSERT_TRUE(save("slot", "old"));
    if (fork() == 0) {
        gBeforeSaveRename = [] { raise(SIGKILL); };
        save("slot", "new");
        _exit(0);
    }
    int status = 0;
    wait(&status);
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(load("slot"), "old");
    // Killed once written in full: its temporary (the first name) holds the new bytes.
    ASSERT_EQ(saves.entries().size(), 2u);
    EXPECT_EQ(readFile(saves.folder + "/" + *saves.entries().begin()), "new");
    // Not left by a killed save: another run's save in progress (locked), a hidden file, a save.
    const std::string locked = ".b.Xy34Zw.tarvo-part";
    for (const std::string& name : {locked, std::string(".notes"), std::string("x.tarvo-part")}) {
        std::ofstream(saves.folder + "/" + name) << "kept";
    }
    ASSERT_EQ(flock(open((saves.folder + "/" + locked).c_str(), O_RDONLY), LOCK_EX), 0);
    EXPECT_TRUE(save("other", "x"));
    EXPECT_EQ(saves.entries(), (Names{locked, ".notes", "other", "slot", "x.tarvo-part"}));
}

// Loads "slot" and quits in load(false); saves "slot" in unload, as a game saving at its end.
struct SavingGame : Game {
    void load(bool) override
    {
        folder = saveFolder();
        loaded = ::load("slot");
        requestQuit();
    }
    void update() override {}
    void handleEvent(const SDL_Event&) override {}
    void draw() override {}
    void unload() override { saved = save("slot", "new"); }

    std::string folder, loaded;
    bool saved = false;
};

// In order: the live run finds the player's "slot"; -replay plays what -record recorded.
TEST(SaveRun, RecordingsAndReplaysSaveInAnEmptyFolderRemovedAtTheEnd)
{
    const TempDir root;
    root.write("data/tarvo/test/slot", "old");
    setenv("XDG_DATA_HOME", (root.path + "/data").c_str(), 1);
    const std::string replay = root.file("replay"), removed = "(none) in a removed folder";
    const struct {
        const char* name;
        std::vector<std::string> args;
        std::string found; // what load(false) found in the folder unload saved to
    } cases[] = {
        {"a live run: the player's", {}, "old in data/tarvo/test"},
        {"-record: a temporary one", {"-record", replay}, removed},
        {"-replay: a temporary one", {"-replay", replay}, removed},
        {"-savedir DIR, even with -replay",
         {"-replay", replay, "-savedir", root.file("d")},
         "(none) in d"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = {"save_test", "-logfile", root.file("log"), "-game",
                                         root.path};
        args.insert(args.end(), c.args.begin(), c.args.end());
        Words words(args);
        SavingGame game;
        EXPECT_EQ(run(static_cast<int>(args.size()), words.pointers.data(),
                      GameInfo{"test", "Test", "test.cfg", "test"}, game),
                  0);
        const std::string where = std::filesystem::exists(game.folder)
                                      ? std::filesystem::relative(game.folder, root.path).string()
                                      : "a removed folder";
        EXPECT_EQ(game.loaded + " in " + where, c.found) << c.name;
        EXPECT_TRUE(game.saved) << c.name;
    }
    unsetenv("XDG_DATA_HOME");
}

} // namespace
