#!/usr/bin/env bash
# Checks a built .deb: its contents and dependencies, then (as root) that
# apt installs it and that both programs start from it.
set -euo pipefail
deb=$(readlink -f "$1")
contents=$(dpkg-deb -c "$deb" | awk '{print $6}')
for path in ./usr/bin/quivara ./usr/bin/quivara-builder ./usr/bin/quivara-convert \
        ./usr/share/applications/org.example.Quivara.desktop \
        ./usr/share/applications/org.example.QuivaraBuilder.desktop \
        ./usr/share/mime/packages/org.example.Quivara.xml \
        ./usr/share/metainfo/org.example.Quivara.metainfo.xml \
        ./usr/share/metainfo/org.example.QuivaraBuilder.metainfo.xml \
        ./usr/share/icons/hicolor/scalable/apps/org.example.Quivara.svg \
        ./usr/share/icons/hicolor/scalable/apps/org.example.QuivaraBuilder.svg \
        ./usr/share/icons/hicolor/scalable/mimetypes/application-x-quivara.svg \
        ./usr/share/quivara/samples/geography.quivara \
        ./usr/share/quivara/samples/geography-exam.quivara \
        ./usr/share/quivara/postgresql.sql; do
    grep -qxF "$path" <<<"$contents" || { echo "missing from the package: $path"; exit 1; }
done
depends=$(dpkg-deb -f "$deb" Depends)
for dep in libqt6widgets6 libqt6svg6 qt6-qpa-plugins libqt6sql6-sqlite libqt6sql6-psql libqt6charts6; do
    grep -q "$dep" <<<"$depends" || { echo "the package does not depend on $dep"; exit 1; }
done
echo "package contents: ok"

if [ "$(id -u)" -ne 0 ] || [ -z "${CI:-}" ]; then
    echo "installing the package is checked in CI only (as root)"
    exit 0
fi
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$deb" >/dev/null
runtime=$(mktemp -d)
chmod 700 "$runtime"
for program in quivara quivara-builder; do
    # A program that is still running after three seconds has started.
    status=0
    XDG_RUNTIME_DIR="$runtime" QT_QPA_PLATFORM=offscreen \
        timeout 3 "/usr/bin/$program" /usr/share/quivara/samples/geography.quivara || status=$?
    [ "$status" -eq 124 ] || { echo "$program did not start (exit status $status)"; exit 1; }
done
# The converter turns the installed sample into GIFT and back.
work=$(mktemp -d)
quivara-convert /usr/share/quivara/samples/geography.quivara "$work/g.gift"
quivara-convert "$work/g.gift" "$work/g.quivara"
grep -q '^LastQ=' "$work/g.quivara" || { echo "quivara-convert wrote no test"; exit 1; }
rm -rf "$work"
echo "package installs with apt, both programs start and the converter converts: ok"
