// The Help screens: each appends its text to the message pane, again on every call.
#pragma once

void sub_instruction_manual();
void sub_about_buid();
void sub_about_authors();
