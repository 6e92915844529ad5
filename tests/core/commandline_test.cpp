// CommandLine: whole, case-sensitive option words after the program path, the first one
// counting, and an option's value as the next word whatever it is.
#include "core/commandline.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace
{

struct Words {
    explicit Words(std::vector<std::string> list) : text(std::move(list))
    {
        for (auto& word : text) {
            pointers.push_back(word.data());
        }
    }
    CommandLine line() { return CommandLine(static_cast<int>(pointers.size()), pointers.data()); }

    std::vector<std::string> text;
    std::vector<char*> pointers;
};

TEST(CommandLine, FindsWholeCaseSensitiveWordsAfterTheProgramPath)
{
    struct Case {
        std::vector<std::string> words;
        const char* option;
        unsigned index;
    };
    const Case cases[] = {
        {{"-window", "-logfile"}, "-window", 0},            // word 0 is the program path
        {{"prog", "-LOGFILE"}, "-logfile", 0},              // case-sensitive
        {{"prog", "-windowed"}, "-window", 0},              // whole words only
        {{"prog", "-game", "x", "-game", "y"}, "-game", 1}, // first occurrence counts
        {{"prog", "a", "b", "-nosfx"}, "-nosfx", 3},
        {{"prog"}, "-nosfx", 0},
        {{}, "-nosfx", 0},
    };
    for (const Case& c : cases) {
        Words words(c.words);
        EXPECT_EQ(words.line().findOption(c.option), c.index) << c.option;
    }
}

TEST(CommandLine, ValueIsTheNextWordWhateverItIs)
{
    Words words({"prog", "-logfile", "-window", "-game"});
    const CommandLine line = words.line();
    ASSERT_STREQ(line.optionValue(line.findOption("-logfile")), "-window");
    EXPECT_EQ(line.findOption("-window"), 2u);
    EXPECT_EQ(line.optionValue(line.findOption("-game")), nullptr);
}

} // namespace
