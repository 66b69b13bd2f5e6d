#!/bin/sh
# Runs a checker that prints nothing when all is well: fails when it fails or says anything,
# hints included.
#   check-quiet.sh COMMAND [ARGUMENT...]
set -u
output=$("$@" 2>&1)
status=$?
if [ $status -ne 0 ] || [ -n "$output" ]; then
    printf '%s\n' "$output" >&2
    echo "$1 exited $status" >&2
    exit 1
fi
