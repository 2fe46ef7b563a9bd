// The command tree: labels, descriptions, order, openers, pull-down sizes and hot keys.
#include <string>
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

void expect_table(const menu* table, const std::vector<Row>& rows, const char* name) {
    size_t i = 0;
    for (; table[i].action; ++i) {
        ASSERT_LT(i, rows.size()) << name << " has more entries than expected";
        EXPECT_STREQ(table[i].label, rows[i].label) << name << " entry " << i;
        EXPECT_EQ(table[i].action, rows[i].action) << name << " entry " << i;
        EXPECT_STREQ(table[i].description, rows[i].description) << name << " entry " << i;
    }
    EXPECT_EQ(i, rows.size()) << name;
    EXPECT_STREQ(table[i].label, "") << name << " terminator";
    EXPECT_STREQ(table[i].description, "") << name << " terminator";
}

TEST(CommandTree, TablesHoldTheEntriesInOrder) {
    expect_table(MainMenu,
                 {{"File", sub_File, "File Open, Save, Input. +Exit"},
                  {"STGC", sub_STGC, "Sigle Track Gray Code generator"},
                  {"Export", sub_Export, "SVG, Gerber, Excellon, Assembler, C++"},
                  {"Help", sub_Help, "Information about program"}},
                 "MainMenu");
    expect_table(SubMenu_File,
                 {{"Load", sub_Load, "Load STGC from file"},
                  {"Save", sub_Save, "Save STGC to file"},
                  {"Manual input", sub_Manual, "Input STGC manually"},
                  {"Exit", DoExit, "Terminate program"}},
                 "SubMenu_File");
    expect_table(SubMenu_STGC,
                 {{"Generate STGC by Quality", sub_GenQual, "Generate Single Track Gray Code"},
                  {"Generate STGC by Cog Number", sub_GenCog, "Generate Single Track Gray Code"},
                  {"Test STGC", sub_Test, "Test Single Track Gray Code"}},
                 "SubMenu_STGC");
    expect_table(SubMenu_Export,
                 {{"Change Geometry", sub_ChangeGeometry, "Change geometry of disk"},
                  {"SVG plot", sub_SVG, "Technical plot of STGC Disk"},
                  {"Gerber/Excellon plot", sub_Gerber, "Files for CNC production"},
                  {"Assembler code", sub_ASM, "Assembler table for hardware decoder"},
                  {"C++ code", sub_CPP, "C++ array for software decoder"},
                  {"Text file", sub_TXT, "Text file for manual test"}},
                 "SubMenu_Export");
    expect_table(
        SubSubMenu_GerberExcellon,
        {{"Gerber only", do_Gerb_0, "All holes in Gerber file"},
         {"Gerber+Excellon for mount", do_Gerb_1, "Central in gerber, mount in Excellon"},
         {"Gerber+Excellon for central", do_Gerb_2, "Central in Excellon, mount in gerber"},
         {"Gerber+Excellon for holes", do_Gerb_3, "All holes in Excellon"}},
        "SubSubMenu_GerberExcellon");
    expect_table(SubMenu_Help,
                 {{"Instruction Manual", sub_instruction_manual, "Instruction manual"},
                  {"Build Info", sub_about_buid, "Information about Build"},
                  {"Authors Info", sub_about_authors, "Information about authors"}},
                 "SubMenu_Help");
}

TEST(CommandTree, BarEntriesAreEightColumnsAndPullDownsHaveTheirSizes) {
    int n = 0, w = 0;
    menudim(MainMenu, &n, &w);
    EXPECT_EQ(n, 4);
    EXPECT_EQ(w, 8);
    struct Size {
        const menu* table;
        int rows, cols;
    } sizes[] = {{SubMenu_File, 6, 16},
                 {SubMenu_STGC, 5, 31},
                 {SubMenu_Export, 8, 24},
                 {SubSubMenu_GerberExcellon, 6, 31},
                 {SubMenu_Help, 5, 22}};
    for (const Size& size : sizes) {
        menudim(size.table, &n, &w);
        EXPECT_EQ(n + 2, size.rows) << size.table[0].label;
        EXPECT_EQ(w + 2, size.cols) << size.table[0].label;
    }
}

TEST(CommandTree, SharedHotKeysSelectTheNextMatchingEntry) {
    // STGC: from "Generate STGC by Quality" g runs "by Cog Number"; from "Test STGC", "by Quality".
    EXPECT_EQ(find_hotkey(SubMenu_STGC, 3, 0, 'g'), 1);
    EXPECT_EQ(find_hotkey(SubMenu_STGC, 3, 2, 'g'), 0);
    // Export: G selects "Gerber/Excellon plot"; C alternates between the two C entries.
    EXPECT_EQ(find_hotkey(SubMenu_Export, 6, 0, 'G'), 2);
    EXPECT_EQ(find_hotkey(SubMenu_Export, 6, 0, 'c'), 4);
    EXPECT_EQ(find_hotkey(SubMenu_Export, 6, 4, 'c'), 0);
    // Gerber/Excellon: G from the first entry runs the second.
    EXPECT_EQ(find_hotkey(SubSubMenu_GerberExcellon, 4, 0, 'G'), 1);
    EXPECT_EQ(find_hotkey(SubSubMenu_GerberExcellon, 4, 3, 'G'), 0);
    // The bar and File.
    EXPECT_EQ(find_hotkey(MainMenu, 4, 0, 'h'), 3);
    EXPECT_EQ(find_hotkey(MainMenu, 4, 0, 'f'), 0);
    EXPECT_EQ(find_hotkey(SubMenu_File, 4, 0, 'e'), 3);
    EXPECT_EQ(find_hotkey(SubMenu_File, 4, 0, 'x'), -1);
}

} // namespace
