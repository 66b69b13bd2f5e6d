#!/bin/sh
# Builds the Debian package into a temporary folder and checks it: its files and no others, its
# control fields and the libraries it depends on, and that its programs run from where it puts
# them: zelctl finds the stream control with no registration and watches the packaged camsim.
#   check-deb.sh BUILD_FOLDER VERSION MODULE_FOLDER APP_ID
set -eu
build=$1
version=$2
modules=$3
id=$4
work=$(mktemp -d)
camsim=""
cleanup() {
    if [ -n "$camsim" ]; then kill "$camsim" 2>/dev/null || true; fi
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

cpack --config "$build/CPackConfig.cmake" -B "$work" >"$work/cpack.log" 2>&1 || {
    cat "$work/cpack.log" >&2
    fail "cpack could not build the package"
}
arch=$(dpkg --print-architecture)
deb="$work/lumenfold_${version}_${arch}.deb"
[ -f "$deb" ] || fail "no $(basename "$deb") in: $(ls "$work")"

dpkg-deb --fsys-tarfile "$deb" | tar -t | grep -v '/$' | sed 's|^\./|/|' | sort >"$work/files"
sort >"$work/expected" <<FILES
/usr/bin/lumenfold-camsim
/usr/bin/zelctl
/usr/bin/zelppc
/usr/$modules/libCamImgCE.so
/usr/share/applications/$id.desktop
/usr/share/doc/lumenfold/changelog.gz
/usr/share/doc/lumenfold/copyright
/usr/share/doc/lumenfold/zelppc.htm
/usr/share/icons/hicolor/256x256/apps/$id.png
/usr/share/icons/hicolor/48x48/apps/$id.png
/usr/share/icons/hicolor/scalable/apps/$id.svg
/usr/share/man/man1/lumenfold-camsim.1.gz
/usr/share/man/man1/zelctl.1.gz
/usr/share/man/man1/zelppc.1.gz
/usr/share/metainfo/$id.metainfo.xml
FILES
diff -u "$work/expected" "$work/files" >&2 || fail "the package's files differ from the expected ones"

field() { dpkg-deb --field "$deb" "$1"; }
[ "$(field Package)" = lumenfold ] || fail "Package: $(field Package)"
[ "$(field Version)" = "$version" ] || fail "Version: $(field Version)"
[ "$(field Architecture)" = "$arch" ] || fail "Architecture: $(field Architecture)"
depends=$(field Depends)
names=$(printf '%s\n' "$depends" | tr ',' '\n' | sed 's/^ *//; s/ .*//')
for package in libqt6widgets6 libqt6gui6 libqt6core6 libcurl4 libjpeg62-turbo libc6 libstdc++6; do
    printf '%s\n' "$names" | grep -qxF "$package" || fail "Depends lacks $package: $depends"
done
echo "Depends: $depends"

dpkg-deb -x "$deb" "$work/root"
bin="$work/root/usr/bin"
for size in 48 256; do
    file "$work/root/usr/share/icons/hicolor/${size}x$size/apps/$id.png" | grep -q "$size x $size" ||
        fail "the $size px icon is not $size x $size pixels"
done
[ "$("$bin/zelppc" --version)" = "zelppc $version" ] || fail "zelppc --version: $("$bin/zelppc" --version)"
[ "$("$bin/zelctl" --version)" = "zelctl $version" ] || fail "zelctl --version: $("$bin/zelctl" --version)"
[ "$("$bin/lumenfold-camsim" --version)" = "camsim $version" ] ||
    fail "lumenfold-camsim --version: $("$bin/lumenfold-camsim" --version)"

# An empty data root holds no registration: the stream control must be found from bin/.
export LUMENFOLD_ROOT="$work/data"
mkdir "$LUMENFOLD_ROOT"
"$bin/lumenfold-camsim" --port 0 >"$work/camsim.out" &
camsim=$!
tries=0
until grep -q '^camsim: stream ' "$work/camsim.out"; do
    tries=$((tries + 1))
    [ $tries -le 100 ] || fail "camsim printed no stream URL within 10 s"
    sleep 0.1
done
url=$(sed -n 's/^camsim: stream //p' "$work/camsim.out")
"$bin/zelctl" stream "$url" --seconds 1 >"$work/stream.out" 2>&1 || {
    cat "$work/stream.out" >&2
    fail "zelctl stream from the package did not start the stream"
}
grep -q '^OnSize 640 480$' "$work/stream.out" || fail "no picture: $(cat "$work/stream.out")"
