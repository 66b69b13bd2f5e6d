#!/bin/sh
# A manual page renders without a warning and, given its program, documents every option that
# the program's --help lists.
#   check-manpage.sh PAGE [PROGRAM]
set -eu
page=$1
warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$page" 2>&1 >/dev/null) ||
    { echo "$page does not render: $warnings" >&2; exit 1; }
if [ -n "$warnings" ]; then
    echo "$page: $warnings" >&2
    exit 1
fi
[ $# -lt 2 ] && exit 0

help=$("$2" --help) || { echo "$2 --help failed" >&2; exit 1; }
options=$(printf '%s\n' "$help" | grep -o -- '--[a-z][a-z0-9-]*' | sort -u)
[ -n "$options" ] || { echo "$2 --help lists no options" >&2; exit 1; }
missing=""
for option in $options; do
    # The page writes each hyphen of an option as \- .
    written=$(printf '%s' "$option" | sed 's/-/\\-/g')
    grep -qF -- "$written" "$page" || missing="$missing $option"
done
if [ -n "$missing" ]; then
    echo "$page does not document:$missing" >&2
    exit 1
fi
