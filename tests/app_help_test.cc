// The three Help screens as they reach the message pane.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/help.h"
#include "tests/support/test_support.h"

namespace {

const std::string separator(48, '-');

TEST(Help, InstructionManualIsNineteenLinesBetweenSeparators) {
    testing_support::MessageLog log;
    sub_instruction_manual();
    std::vector<std::string> expected = {
        separator,
        "*** Single Track Gray Code (STGC) )Generator ***",
        "1. File.",
        "1.1. Load = Load data from FILE",
        "1.2. Save = Save data to FILE",
        "1.3. Manual Input = Input data by keyoard",
        "1.4. Exit = Close program",
        "2. STGC.",
        "2.1. Generate STGC by Quality = GENERATE",
        "2.2. Generate STGC by Cog Number = GENERATE",
        "2.3. Test STGC = Test generated or loaded STGC",
        "3. Export.",
        "3.1. Change Geometry = Change sizes of Cogwheel",
        "3.2. SVG plot = Draw Plot of Cogwheel",
        "3.3. Gerber/Excellon plot = Cogwheel files for CNC",
        "3.4. Assembler code = Decoder array for AVR",
        "3.5. C++ code = Decoder array for C++",
        "3.6. Text file = Text file with STGC table",
        separator,
    };
    EXPECT_EQ(log.lines(), expected);
    EXPECT_EQ(log.body().back(), '\n');
}

TEST(Help, BuildInfoNamesVersionBuildTimeAndPointerBits) {
    testing_support::MessageLog log;
    sub_about_buid();
    std::vector<std::string> lines = log.lines();
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], separator);
    EXPECT_EQ(lines[1], "Program STGC v.150419c");
    // "Build: Mmm dd yyyy, hh:mm:ss (64 bit)"
    char month[4] = {0};
    int day = 0, year = 0, hour = 0, minute = 0, second = 0, bits = 0;
    ASSERT_EQ(sscanf(lines[2].c_str(), "Build: %3s %d %d, %d:%d:%d (%d bit)", month, &day, &year,
                     &hour, &minute, &second, &bits),
              7)
        << lines[2];
    EXPECT_GE(year, 2024);
    EXPECT_EQ(bits, static_cast<int>(sizeof(void*) * 8));
    EXPECT_EQ(lines[3], separator);
}

TEST(Help, AuthorsHaveTwelveColumnLabels) {
    testing_support::MessageLog log;
    sub_about_authors();
    std::vector<std::string> lines = log.lines();
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[0], separator);
    const char* labels[] = {"Chief:", "Programmer:", "Algorithm:"};
    for (int i = 0; i < 3; ++i) {
        const std::string& line = lines[static_cast<size_t>(i) + 1];
        ASSERT_GT(line.size(), 12u) << line;
        EXPECT_EQ(line.substr(0, strlen(labels[i])), labels[i]);
        EXPECT_EQ(line.substr(strlen(labels[i]), 12 - strlen(labels[i])),
                  std::string(12 - strlen(labels[i]), ' '))
            << line;
        EXPECT_NE(line[12], ' ') << line;
    }
    EXPECT_EQ(lines[4], separator);
}

TEST(Help, ChoosingAScreenAgainAppendsItAgain) {
    testing_support::MessageLog log;
    sub_about_authors();
    std::string once = log.body();
    sub_about_authors();
    EXPECT_EQ(log.body(), once + once);
}

} // namespace
