#!/bin/bash
# Runs the program with standard input at its end (the screen still on the terminal).
exec "$STGC_UNDER_TEST" </dev/null
