#!/bin/bash
# Runs the program under a shell with job control: when Ctrl-Z stops it, says so, waits for a
# line and brings it back to the foreground.
set -m
"$STGC_UNDER_TEST"
status=$?
if [ $status -eq 148 ]; then
    echo "stopped by Ctrl-Z"
    read -r answer
    fg >/dev/null
    status=$?
fi
exit $status
