// The three Help screens as they reach the message pane.
#include <cstdio>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/help.h"
#include "tests/support/test_support.h"

namespace {

const std::string separator(48, '-');

// The lines a Help screen appends, after checking that choosing it again appends it again.
std::vector<std::string> shown_twice(void (*screen)()) {
    testing_support::MessageLog log;
    screen();
    const std::string once = log.body();
    std::vector<std::string> lines = log.lines();
    screen();
    EXPECT_EQ(log.body(), once + once);
    EXPECT_EQ(once.back(), '\n');
    return lines;
}

TEST(Help, InstructionManual) {
    EXPECT_EQ(
        shown_twice(sub_instruction_manual),
        (std::vector<std::string>{
            separator, "*** Single Track Gray Code (STGC) )Generator ***", "1. File.",
            "1.1. Load = Load data from FILE", "1.2. Save = Save data to FILE",
            "1.3. Manual Input = Input data by keyoard", "1.4. Exit = Close program", "2. STGC.",
            "2.1. Generate STGC by Quality = GENERATE",
            "2.2. Generate STGC by Cog Number = GENERATE",
            "2.3. Test STGC = Test generated or loaded STGC", "3. Export.",
            "3.1. Change Geometry = Change sizes of Cogwheel",
            "3.2. SVG plot = Draw Plot of Cogwheel",
            "3.3. Gerber/Excellon plot = Cogwheel files for CNC",
            "3.4. Assembler code = Decoder array for AVR", "3.5. C++ code = Decoder array for C++",
            "3.6. Text file = Text file with STGC table", separator}));
}

TEST(Help, BuildInfoAndAuthors) {
    std::vector<std::string> build = shown_twice(sub_about_buid);
    ASSERT_EQ(build.size(), 4u);
    EXPECT_EQ(build[0] + build[3], separator + separator);
    EXPECT_EQ(build[1], "Program STGC v.150419c");
    // "Build: Mmm dd yyyy, hh:mm:ss (64 bit)", the build's date and time and pointer bits.
    char month[4] = {0};
    int day = 0, year = 0, hour = 0, minute = 0, second = 0, bits = 0, end = 0;
    EXPECT_EQ(sscanf(build[2].c_str(), "Build: %3s %d %d, %d:%d:%d (%d bit)%n", month, &day, &year,
                     &hour, &minute, &second, &bits, &end),
              7);
    EXPECT_EQ(static_cast<size_t>(end), build[2].size()) << build[2];
    EXPECT_GE(year, 2024);
    EXPECT_EQ(bits, static_cast<int>(sizeof(void*) * 8));

    std::vector<std::string> authors = shown_twice(sub_about_authors);
    ASSERT_EQ(authors.size(), 5u);
    EXPECT_EQ(authors[0] + authors[4], separator + separator);
    const std::string labels[] = {"Chief:", "Programmer:", "Algorithm:"};
    for (int i = 0; i < 3; ++i) { // the label padded to 12 columns, then a name
        const std::string& line = authors[static_cast<size_t>(i) + 1];
        EXPECT_EQ(line.substr(0, 12), labels[i] + std::string(12 - labels[i].size(), ' '));
        EXPECT_TRUE(line.size() > 12 && line[12] != ' ') << line;
    }
}

} // namespace
