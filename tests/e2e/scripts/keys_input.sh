#!/bin/bash
# Runs the program with its keys in a file of the session's directory (the screen still on the
# terminal).
exec "$STGC_UNDER_TEST" <keys
