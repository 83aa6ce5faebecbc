#!/usr/bin/env bash
# Installs the Debian 12 packages that building and testing Wagetrove needs.
# Only packages that are missing are installed, so a second run is quick. Packages named as arguments are
# installed too (fuzz/run.sh adds clang's).
set -euo pipefail

packages=(
    build-essential
    cmake
    ninja-build
    qt6-base-dev
    qt6-base-dev-tools
    qt6-httpserver-dev
    qt6-websockets-dev
    qt6-qpa-plugins
    libqt6sql6-sqlite
    libsqlite3-dev
    libgl-dev
    pkg-config
    libzip-dev
    libexpat1-dev
    libqpdf-dev
    qpdf
    poppler-utils
    fonts-dejavu-core
    python3-openpyxl
    libreoffice-calc-nogui
    # Packaging: the 256 px icon is rendered from its SVG, CPack's Debian generator finds the programs' shared
    # libraries with file and dpkg-shlibdeps, and the package's test checks the result with the validators.
    librsvg2-bin
    dpkg-dev
    file
    lintian
    desktop-file-utils
    appstream
    "$@"
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

sudo=""
if [ "$(id -u)" -ne 0 ]; then
    sudo="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
