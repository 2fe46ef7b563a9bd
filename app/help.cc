#include "app/help.h"

#include <cstdio>

#include "tui/ui.h"

namespace {

const char separator[] = "------------------------------------------------\n";

const char* const manual[] = {
    separator,
    "*** Single Track Gray Code (STGC) )Generator ***\n",
    "1. File.\n",
    "1.1. Load = Load data from FILE\n",
    "1.2. Save = Save data to FILE\n",
    "1.3. Manual Input = Input data by keyoard\n",
    "1.4. Exit = Close program\n",
    "2. STGC.\n",
    "2.1. Generate STGC by Quality = GENERATE\n",
    "2.2. Generate STGC by Cog Number = GENERATE\n",
    "2.3. Test STGC = Test generated or loaded STGC\n",
    "3. Export.\n",
    "3.1. Change Geometry = Change sizes of Cogwheel\n",
    "3.2. SVG plot = Draw Plot of Cogwheel\n",
    "3.3. Gerber/Excellon plot = Cogwheel files for CNC\n",
    "3.4. Assembler code = Decoder array for AVR\n",
    "3.5. C++ code = Decoder array for C++\n",
    "3.6. Text file = Text file with STGC table\n",
    separator,
};

} // namespace

void sub_instruction_manual() {
    for (const char* line : manual) bodymsg(line);
}

void sub_about_buid() {
    char line[128];
    bodymsg(separator);
    snprintf(line, sizeof line, "Program STGC v.%s\n", "150419c");
    bodymsg(line);
    snprintf(line, sizeof line, "Build: %s, %s (%i bit)\n", __DATE__, __TIME__,
             static_cast<int>(sizeof(void*) * 8));
    bodymsg(line);
    bodymsg(separator);
}

void sub_about_authors() {
    bodymsg(separator);
    bodymsg("Chief:      Project lead\n");
    bodymsg("Programmer: Development team\n");
    bodymsg("Algorithm:  Code search team\n");
    bodymsg(separator);
}
