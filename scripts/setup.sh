#!/usr/bin/env bash
# Installs what building and running need on Debian 12 ("setup.sh run"), or
# that and everything the tests, fuzzers and benchmarks use ("setup.sh", the
# default); nothing when it is all there already.
set -euo pipefail

packages=(
    g++ cmake ninja-build pkg-config
    qt6-base-dev qt6-svg-dev qt6-translations-l10n qt6-charts-dev libqt6opengl6-dev
    libqt6sql6-sqlite libqt6sql6-psql
    fonts-dejavu-core fonts-liberation2
)
if [ "${1:-all}" != run ]; then
    packages+=(
        xvfb xauth
        clang clang-format libclang-rt-14-dev libbenchmark-dev libinih-dev hyperfine
        desktop-file-utils appstream shared-mime-info xdg-utils dpkg-dev file strace
        at-spi2-core dbus python3-pyatspi poppler-utils
        postgresql-15
    )
fi

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
# The tests start PostgreSQL servers of their own: installing the server
# creates no cluster of the machine's own (pg_createcluster reads its
# defaults from PGSYSCONFDIR), so none is started either.
pgconf=$(mktemp -d)
echo "create_main_cluster = false" >"$pgconf/createcluster.conf"
chmod -R a+rX "$pgconf"
# Without --no-install-recommends apt pulls in GTK and mesa upgrades.
$sudo apt-get update -qq
$sudo env PGSYSCONFDIR="$pgconf" apt-get install -y -qq --no-install-recommends "${missing[@]}"
rm -rf "$pgconf"
