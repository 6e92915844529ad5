// Log lines flushed at once and cut at 1,023 characters, a second open ignored, and Exception's
// report with and without a location. The console when no file opens is seen by start-up's test.
#include "support/gamedir.h"
#include "tarvo/core/exception.h"
#include "tarvo/core/log.h"

#include <gtest/gtest.h>
#include <string>

using namespace tarvo;

namespace
{

TEST(Log, WritesFlushedLinesCutAt1023Characters)
{
    const TempDir dir;
    const std::string path = dir.file("log");
    Log log;
    log.open(path.c_str());
    ASSERT_TRUE(log.isOpen());
    const std::string longText(2000, 'x');
    log.print("%s", longText.c_str());
    log.print("value %d", 42);
    // Flushed at once: readable before the log is closed.
    EXPECT_EQ(readFile(path), std::string(1023, 'x') + "\nvalue 42\n");

    // A second open keeps the first file.
    const std::string other = path + "-other";
    log.open(other.c_str());
    log.print("still here");
    log.close();
    EXPECT_FALSE(log.isOpen());
    EXPECT_EQ(readFile(path), std::string(1023, 'x') + "\nvalue 42\nstill here\n");
    EXPECT_EQ(readFile(other), "");
}

TEST(Exception, ReportsWithAndWithoutLocation)
{
    testing::internal::CaptureStderr();
    Exception("Failed to init SDL library.").report();
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "General Exception.\nMessage: Failed to init SDL library.\n");

    testing::internal::CaptureStderr();
    const Exception located("Unknown error code from Config::parse", "cfgfile", 121);
    const Exception copy = located;
    copy.report();
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "Exception at cfgfile, line 121.\nMessage: Unknown error code from Config::parse\n");
    EXPECT_STREQ(copy.what(), "Unknown error code from Config::parse");
}

} // namespace
