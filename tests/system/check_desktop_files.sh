#!/usr/bin/env bash
# Installs the build into a scratch prefix and checks what a desktop sees:
# valid desktop entries and AppStream data, the *.quivara file type with its
# icon, and Quivara as the program that opens a test (Builder offered too).
set -euo pipefail
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null
share=$prefix/share

desktop-file-validate "$share"/applications/*.desktop
appstreamcli validate --no-net "$share"/metainfo/*.metainfo.xml

update-mime-database "$share/mime"
grep -q '^50:application/x-quivara:\*\.quivara$' "$share/mime/globs2"
grep -q '^application/x-quivara:application-x-quivara$' "$share/mime/icons"
test -f "$share/icons/hicolor/scalable/mimetypes/application-x-quivara.svg"
test -f "$share/icons/hicolor/scalable/apps/org.example.Quivara.svg"
test -f "$share/icons/hicolor/scalable/apps/org.example.QuivaraBuilder.svg"

update-desktop-database "$share/applications"
grep -q '^application/x-quivara=org.example.Quivara.desktop;org.example.QuivaraBuilder.desktop;$' \
    "$share/applications/mimeinfo.cache"
default=$(HOME="$prefix/home" XDG_CONFIG_HOME="$prefix/config" XDG_DATA_HOME="$prefix/home" \
          XDG_DATA_DIRS="$share" xdg-mime query default application/x-quivara 2>/dev/null)
test "$default" = org.example.Quivara.desktop
echo "desktop files, file type and default program: ok"
