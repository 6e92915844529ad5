// CommandLine: whole, case-sensitive option words after the program path, the first one
// counting, and an option's value as the next word whatever it is.
#include "support/words.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace tarvo;

namespace
{

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
        EXPECT_EQ(Words(c.words).line.findOption(c.option), c.index) << c.option;
    }
}

TEST(CommandLine, ValueIsTheNextWordWhateverItIs)
{
    const Words words({"prog", "-logfile", "-window", "-game"});
    const CommandLine& line = words.line;
    ASSERT_STREQ(line.optionValue(line.findOption("-logfile")), "-window");
    EXPECT_EQ(line.findOption("-window"), 2u);
    EXPECT_EQ(line.optionValue(line.findOption("-game")), nullptr);
}

} // namespace
