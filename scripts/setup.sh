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
# creates no cluster of the machine's own, so none is started either. The
# server's package reads that from createcluster.conf, which is kept as it is
# written here when postgresql-common comes in the same install.
if [[ " ${missing[*]} " == *" postgresql-15 "* ]]; then
    conf=/etc/postgresql-common/createcluster.conf
    $sudo mkdir -p /etc/postgresql-common
    if [ -e "$conf" ] && grep -q '^[[:space:]]*create_main_cluster' "$conf"; then
        $sudo sed -i 's/^[[:space:]]*create_main_cluster.*/create_main_cluster = false/' "$conf"
    else
        echo "create_main_cluster = false" | $sudo tee -a "$conf" >/dev/null
    fi
fi
# Without --no-install-recommends apt pulls in GTK and mesa upgrades.
$sudo apt-get update -qq
$sudo env UCF_FORCE_CONFFOLD=1 apt-get install -y -qq --no-install-recommends \
    -o Dpkg::Options::=--force-confold "${missing[@]}"
