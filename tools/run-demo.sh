#!/bin/sh
# Starts the camera simulator's demonstration set and the viewer on a demonstration collection;
# stops the simulator when the viewer exits.
#   tools/run-demo.sh BUILD_FOLDER
set -eu
build=${1:-build}
bin="$build/bin"
export LUMENFOLD_ROOT="${LUMENFOLD_ROOT:-$PWD/$build/demo-root}"
mkdir -p "$LUMENFOLD_ROOT"
if [ ! -f "$LUMENFOLD_ROOT/ZelSettings.arc" ]; then
    "$bin/zelctl" archive init "$LUMENFOLD_ROOT/ZelSettings.arc" --demo
fi
"$bin/camsim" --demo &
camsim=$!
trap 'kill $camsim 2>/dev/null || true' EXIT INT TERM
echo "Demonstration collection in $LUMENFOLD_ROOT"
"$bin/zelppc"
