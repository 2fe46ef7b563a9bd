// Placeholder until the screen lands.
#include "tui/tui.h"
