#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks what lands there: the two programs
# side by side, the desktop entry, the session autostart entry, the AppStream metadata and
# the icons; the desktop entries and the metadata pass their validators.
#
# Usage: installed_layout.sh BUILD_FOLDER
set -euo pipefail

build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT

fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$prefix" >/dev/null

readonly id=org.brellow.Brellow2
for program in bin/Brellow2 bin/Spinnet; do
    [ -x "$prefix/$program" ] || fail "$program is not installed as a program"
done
for file in "share/applications/$id.desktop" "etc/xdg/autostart/$id.desktop" \
            "share/metainfo/$id.metainfo.xml" "share/icons/hicolor/scalable/apps/$id.svg"; do
    [ -f "$prefix/$file" ] || fail "$file is missing"
done
for size in 16 22 24 32 48 64 128 256; do
    icon="$prefix/share/icons/hicolor/${size}x${size}/apps/$id.png"
    [ -f "$icon" ] || fail "the ${size}px icon is missing"
    kind=$(file -b "$icon")
    [[ "$kind" == "PNG image data, $size x $size,"* ]] || fail "the ${size}px icon is: $kind"
done

desktop-file-validate "$prefix/share/applications/$id.desktop" || fail "the desktop entry does not validate"
desktop-file-validate "$prefix/etc/xdg/autostart/$id.desktop" || fail "the autostart entry does not validate"
appstreamcli validate --no-net "$prefix/share/metainfo/$id.metainfo.xml" >/dev/null ||
    fail "the AppStream metadata does not validate: $(appstreamcli validate --no-net "$prefix/share/metainfo/$id.metainfo.xml")"

entry="$prefix/share/applications/$id.desktop"
for line in 'Name=Brellow2' 'Categories=Utility;Archiving;' "Icon=$id" 'Exec=Brellow2'; do
    grep -qxF "$line" "$entry" || fail "the desktop entry lacks: $line"
done
grep -q '^Name\[ja\]=' "$entry" && grep -q '^Comment\[ja\]=' "$entry" || fail "the desktop entry has no Japanese name or comment"
metainfo="$prefix/share/metainfo/$id.metainfo.xml"
grep -q '<summary xml:lang="ja">' "$metainfo" && grep -q '<p xml:lang="ja">' "$metainfo" ||
    fail "the metadata has no Japanese summary or description"
grep -q "release version=\"$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")\"" "$metainfo" ||
    fail "the metadata does not carry the project's version"
echo "installed layout and validators: fine"
