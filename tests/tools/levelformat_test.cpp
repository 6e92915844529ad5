// The level text: where levelc points at a mistake, and that text and binary convert into each
// other without loss.
#include "levelformat.h"
#include "tarvo/tiles/levelfile.h"
#include "tools/randomlevel.h"

#include <gtest/gtest.h>

using namespace tarvo;

namespace
{

const std::string kMinimal = "header 00 00 00 00 00 00 00 00 00 00 00 00\n"
                             "reserved1 00 00 00 00 00 00 00 00\n"
                             "values 0 0 0 0 0 0\n"
                             "reserved2 00 00\n"
                             "layer 1 2 1\n"
                             "|   .   3\n"
                             "layer 2 0 0\n"
                             "reserved3 00 00 00\n"
                             "layer 3 0 0\n";

TEST(LevelFormatTest, ReportsTheLineOfEachMistake)
{
    const auto edit = [](const std::string& from, const std::string& to) {
        return std::string(kMinimal).replace(kMinimal.find(from), from.size(), to);
    };
    const std::tuple<std::string, int, const char*> cases[] = {
        {edit("values 0 0 0", "values 0 0 32768"), 3, "value 3 must be a number from -32768"},
        {edit("|   .   3", "| 256 ."), 6, "a cell must be"},
        // The next directive stands where the second row should be.
        {edit("layer 1 2 1", "layer 1 2 2"), 7, "expected a row of layer 1"},
        {edit("layer 3 0 0", "layer 3 1 1"), 9, "layer 3 is missing 1 rows"},
        {edit("layer 2 0 0\n", ""), 8, "missing 'layer 2'"},
        {"# level\n\n" + edit("values", "valuez"), 5, "unknown directive 'valuez'"},
        {kMinimal + "tileprop 0 solid\n", 10, "tile 0 is not one of the level's 0 tiles"},
        {kMinimal + "tile 0 3\ntileprop 0 hp int 07\n", 11, "property hp is not valid: not an int"},
        {kMinimal + "objectprop hp int 1\n", 10, "objectprop before any object"},
        {kMinimal + "object 1 \"a b 0 0 0 0 -1\n", 10, "a quoted word does not end"},
        {kMinimal + "trailer 01\nobject 1 \"a\" \"\" 0 0 0 0 -1 # x\n", 11,
         "a trailer cannot be stored beside the extension block"},
        {kMinimal, 0, ""},
    };
    for (const auto& [text, expectedLine, expected] : cases) {
        LevelFile level;
        int line = 0;
        std::string message;
        EXPECT_EQ(levelFromText(text, level, line, message), expectedLine == 0) << text;
        EXPECT_EQ(line, expectedLine) << expected;
        EXPECT_NE(message.find(expected), std::string::npos) << message;
    }
}

TEST(LevelFormatTest, TextAndBinaryConvertWithoutLoss)
{
    std::mt19937 random(24);
    for (int round = 0; round < 30; ++round) {
        SCOPED_TRACE(round);
        const LevelFile level = randomLevel(random);
        // binary -> text -> binary, through the reader the engine loads with
        std::vector<uint8_t> bytes;
        LevelError error;
        ASSERT_TRUE(writeLevelFile(level, bytes, error)) << error.message;
        LevelFile read;
        MemoryLevelSource source(bytes.data(), bytes.size());
        ASSERT_TRUE(readLevelFile(source, read, error, true)) << error.message;
        const std::string text = levelToText(read);
        EXPECT_EQ(text, levelToText(level));
        LevelFile parsed;
        int line = 0;
        std::string message;
        ASSERT_TRUE(levelFromText(text, parsed, line, message)) << line << ": " << message;
        std::vector<uint8_t> again;
        ASSERT_TRUE(writeLevelFile(parsed, again, error)) << error.message;
        EXPECT_EQ(again, bytes);
    }
}

} // namespace
