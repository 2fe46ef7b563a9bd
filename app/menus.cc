#include "app/menus.h"

#include "app/help.h"
#include "code/commands.h"
#include "export/disk_commands.h"
#include "export/table_commands.h"
#include "gen/commands.h"

menu MainMenu[] = {
    {"File", sub_File, "File Open, Save, Input. +Exit"},
    {"STGC", sub_STGC, "Sigle Track Gray Code generator"},
    {"Export", sub_Export, "SVG, Gerber, Excellon, Assembler, C++"},
    {"Help", sub_Help, "Information about program"},
    {"", nullptr, ""},
};

menu SubMenu_File[] = {
    {"Load", sub_Load, "Load STGC from file"},
    {"Save", sub_Save, "Save STGC to file"},
    {"Manual input", sub_Manual, "Input STGC manually"},
    {"Exit", DoExit, "Terminate program"},
    {"", nullptr, ""},
};

menu SubMenu_STGC[] = {
    {"Generate STGC by Quality", sub_GenQual, "Generate Single Track Gray Code"},
    {"Generate STGC by Cog Number", sub_GenCog, "Generate Single Track Gray Code"},
    {"Test STGC", sub_Test, "Test Single Track Gray Code"},
    {"", nullptr, ""},
};

menu SubMenu_Export[] = {
    {"Change Geometry", sub_ChangeGeometry, "Change geometry of disk"},
    {"SVG plot", sub_SVG, "Technical plot of STGC Disk"},
    {"Gerber/Excellon plot", sub_Gerber, "Files for CNC production"},
    {"Assembler code", sub_ASM, "Assembler table for hardware decoder"},
    {"C++ code", sub_CPP, "C++ array for software decoder"},
    {"Text file", sub_TXT, "Text file for manual test"},
    {"", nullptr, ""},
};

menu SubSubMenu_GerberExcellon[] = {
    {"Gerber only", do_Gerb_0, "All holes in Gerber file"},
    {"Gerber+Excellon for mount", do_Gerb_1, "Central in gerber, mount in Excellon"},
    {"Gerber+Excellon for central", do_Gerb_2, "Central in Excellon, mount in gerber"},
    {"Gerber+Excellon for holes", do_Gerb_3, "All holes in Excellon"},
    {"", nullptr, ""},
};

menu SubMenu_Help[] = {
    {"Instruction Manual", sub_instruction_manual, "Instruction manual"},
    {"Build Info", sub_about_buid, "Information about Build"},
    {"Authors Info", sub_about_authors, "Information about authors"},
    {"", nullptr, ""},
};

void sub_File() { domenu(SubMenu_File); }
void sub_STGC() { domenu(SubMenu_STGC); }
void sub_Export() { domenu(SubMenu_Export); }
void sub_Help() { domenu(SubMenu_Help); }
void sub_Gerber() { domenu(SubSubMenu_GerberExcellon); }
