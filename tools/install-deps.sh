#!/bin/sh
# Installs the Debian packages of a package list that are missing; does nothing when all are
# there. Uses sudo when not run as root.
set -eu
list=${1:-$(dirname "$0")/packages.txt}
missing=""
for package in $(grep -v '^#' "$list"); do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
        missing="$missing $package"
    fi
done
[ -z "$missing" ] && exit 0
echo "Installing:$missing"
if [ "$(id -u)" -eq 0 ]; then sudo=""; else sudo="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
# shellcheck disable=SC2086
$sudo apt-get install -y -qq --no-install-recommends $missing
