// The command tree and the Help screens against golden files: every table's size, entries and
// hot keys. How the pull-downs look, down to very narrow and very wide terminals, the screen
// scripts check.
#include <regex.h>
#include <string>

#include <gtest/gtest.h>

#include "app/help.h"
#include "app/menus.h"
#include "code/commands.h"
#include "export/disk_commands.h"
#include "export/table_commands.h"
#include "gen/commands.h"
#include "tests/support/test_support.h"
#include "tui/tui.h"

using testing_support::read_file;

namespace {

// Every table of the tree: its size, then each entry (and the terminator) with its hot key,
// then for every key that selects something, what it selects from each entry in turn ("." for
// nothing).
TEST(CommandTree, TablesMatchTheGoldenFile) {
    menu* const tables[] = {
        MainMenu,    SubMenu_File, SubMenu_STGC, SubMenu_Export, SubSubMenu_GerberExcellon,
        SubMenu_Help};
    // clang-format off
    const FUNC actions[] = {sub_File, sub_STGC, sub_Export, sub_Help, sub_Load, sub_Save,
        sub_Manual, DoExit, sub_GenQual, sub_GenCog, sub_Test, sub_ChangeGeometry, sub_SVG,
        sub_Gerber, sub_ASM, sub_CPP, sub_TXT, do_Gerb_0, do_Gerb_1, do_Gerb_2, do_Gerb_3,
        sub_instruction_manual, sub_about_buid, sub_about_authors};
    // clang-format on
    const FUNC* action = actions;
    std::string out;
    for (menu* table : tables) {
        int n = 0, w = 0;
        menudim(table, &n, &w);
        out += "== " + std::to_string(n) + " x " + std::to_string(w) + "\n";
        for (int i = 0; i <= n; ++i) {
            const menu& m = table[i];
            EXPECT_EQ(m.action, i < n ? *action++ : nullptr) << m.label;
            out += std::string(m.label) + " | " + m.description + " | " +
                   static_cast<char>(hotkey(m.label) ? hotkey(m.label) : '-') + "\n";
        }
        for (int key = ' '; key < 127; ++key) {
            std::string from;
            for (int i = 0; i < n; ++i) {
                const int to = find_hotkey(table, n, i, key);
                from += to < 0 ? " ." : " " + std::to_string(to);
            }
            if (from.find_first_not_of(" .") != std::string::npos)
                out += std::string(1, static_cast<char>(key)) + ":" + from + "\n";
        }
    }
    EXPECT_EQ(out, read_file(STGC_SOURCE_DIR "/tests/data/app/menus.txt"));
}

TEST(Help, ScreensMatchTheGoldenFile) {
    testing_support::MessageLog log;
    sub_instruction_manual();
    sub_about_authors();
    EXPECT_EQ(log.body(), read_file(STGC_SOURCE_DIR "/tests/data/app/help.txt"));
    log.clear();
    sub_about_buid(); // the build's date and time, and the pointer width
    const std::string pattern = "^-{48}\nProgram STGC v\\.150419c\nBuild: [A-Z][a-z]{2} [ 1-3][0-9] "
                                "[0-9]{4}, [0-9]{2}:[0-9]{2}:[0-9]{2} \\(" +
                                std::to_string(sizeof(void*) * 8) + " bit\\)\n-{48}\n$";
    regex_t re;
    ASSERT_EQ(regcomp(&re, pattern.c_str(), REG_EXTENDED | REG_NOSUB), 0);
    EXPECT_EQ(regexec(&re, log.body().c_str(), 0, nullptr, 0), 0)
        << log.body();
    regfree(&re);
}

} // namespace
