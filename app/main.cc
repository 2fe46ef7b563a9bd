#include <clocale>

#include "app/menus.h"

int main() {
    setlocale(LC_ALL, "");
    startmenu(MainMenu, "Single Track Gray Code Generator.");
    return 0;
}
