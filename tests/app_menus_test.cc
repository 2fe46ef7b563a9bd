// The command tree: labels, actions, descriptions and order, pull-down sizes and hot keys.
#include <vector>

#include <gtest/gtest.h>

#include "app/help.h"
#include "app/menus.h"
#include "code/commands.h"
#include "export/disk_commands.h"
#include "export/table_commands.h"
#include "gen/commands.h"

namespace {

struct Row {
    const char* label;
    FUNC action;
    const char* description;
};

// Checks a table's entries and terminator, and the size of its pull-down with the border
// (the bar: 8 columns per entry).
void expect_table(const menu* table, int cols, const std::vector<Row>& rows) {
    SCOPED_TRACE(rows[0].label);
    size_t i = 0;
    for (; table[i].action && i < rows.size(); ++i) {
        EXPECT_STREQ(table[i].label, rows[i].label);
        EXPECT_EQ(table[i].action, rows[i].action) << rows[i].label;
        EXPECT_STREQ(table[i].description, rows[i].description);
    }
    EXPECT_EQ(table[i].action, nullptr) << "terminator after " << i << " entries";
    EXPECT_STREQ(table[i].label, "");
    EXPECT_STREQ(table[i].description, "");
    int n = 0, w = 0;
    menudim(table, &n, &w);
    EXPECT_EQ(n, static_cast<int>(rows.size()));
    EXPECT_EQ(w + 2, cols);
}

TEST(CommandTree, TablesHoldTheirEntriesInOrderAndGiveThePullDownSizes) {
    expect_table(MainMenu, 10,
                 {{"File", sub_File, "File Open, Save, Input. +Exit"},
                  {"STGC", sub_STGC, "Sigle Track Gray Code generator"},
                  {"Export", sub_Export, "SVG, Gerber, Excellon, Assembler, C++"},
                  {"Help", sub_Help, "Information about program"}});
    expect_table(SubMenu_File, 16,
                 {{"Load", sub_Load, "Load STGC from file"},
                  {"Save", sub_Save, "Save STGC to file"},
                  {"Manual input", sub_Manual, "Input STGC manually"},
                  {"Exit", DoExit, "Terminate program"}});
    expect_table(SubMenu_STGC, 31,
                 {{"Generate STGC by Quality", sub_GenQual, "Generate Single Track Gray Code"},
                  {"Generate STGC by Cog Number", sub_GenCog, "Generate Single Track Gray Code"},
                  {"Test STGC", sub_Test, "Test Single Track Gray Code"}});
    expect_table(SubMenu_Export, 24,
                 {{"Change Geometry", sub_ChangeGeometry, "Change geometry of disk"},
                  {"SVG plot", sub_SVG, "Technical plot of STGC Disk"},
                  {"Gerber/Excellon plot", sub_Gerber, "Files for CNC production"},
                  {"Assembler code", sub_ASM, "Assembler table for hardware decoder"},
                  {"C++ code", sub_CPP, "C++ array for software decoder"},
                  {"Text file", sub_TXT, "Text file for manual test"}});
    expect_table(
        SubSubMenu_GerberExcellon, 31,
        {{"Gerber only", do_Gerb_0, "All holes in Gerber file"},
         {"Gerber+Excellon for mount", do_Gerb_1, "Central in gerber, mount in Excellon"},
         {"Gerber+Excellon for central", do_Gerb_2, "Central in Excellon, mount in gerber"},
         {"Gerber+Excellon for holes", do_Gerb_3, "All holes in Excellon"}});
    expect_table(SubMenu_Help, 22,
                 {{"Instruction Manual", sub_instruction_manual, "Instruction manual"},
                  {"Build Info", sub_about_buid, "Information about Build"},
                  {"Authors Info", sub_about_authors, "Information about authors"}});
}

TEST(CommandTree, AHotKeySelectsTheNextMatchingEntryAfterTheSelectedOne) {
    // STGC: from "by Quality" g runs "by Cog Number"; from "Test STGC" the search wraps to
    // "by Quality"; the selected entry is tested last.
    EXPECT_EQ(find_hotkey(SubMenu_STGC, 3, 0, 'g'), 1);
    EXPECT_EQ(find_hotkey(SubMenu_STGC, 3, 2, 'g'), 0);
    EXPECT_EQ(find_hotkey(SubMenu_STGC, 3, 2, 't'), 2);
    // Export: G selects "Gerber/Excellon plot"; c alternates between the two C entries.
    EXPECT_EQ(find_hotkey(SubMenu_Export, 6, 0, 'G'), 2);
    EXPECT_EQ(find_hotkey(SubMenu_Export, 6, 0, 'c'), 4);
    EXPECT_EQ(find_hotkey(SubMenu_Export, 6, 4, 'c'), 0);
    EXPECT_EQ(find_hotkey(SubSubMenu_GerberExcellon, 4, 0, 'G'), 1);
    EXPECT_EQ(find_hotkey(SubSubMenu_GerberExcellon, 4, 3, 'G'), 0);
    EXPECT_EQ(find_hotkey(MainMenu, 4, 0, 'h'), 3);
    EXPECT_EQ(find_hotkey(SubMenu_File, 4, 0, 'e'), 3);
    EXPECT_EQ(find_hotkey(SubMenu_File, 4, 0, 'x'), -1);
}

} // namespace
