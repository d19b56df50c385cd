#!/usr/bin/env bash
# Installs the Debian packages that building, running, testing and packaging Vanteja need. PostgreSQL
# (server and client library) is for the books kept on a server and for the tests that start one.
set -euo pipefail
packages=(
    g++ cmake ninja-build pkg-config
    qt6-base-dev qt6-charts-dev libqt6opengl6-dev libqt6sql6-sqlite qt6-qpa-plugins libgl-dev
    qt6-translations-l10n
    libsqlite3-dev sqlite3
    fonts-liberation poppler-utils
    librsvg2-bin dpkg-dev file xvfb xauth x11-utils
    libofx-dev
    libqrencode-dev zbar-tools
    pxlib-dev
    python3
    postgresql libpq-dev
)
sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update
$sudo apt-get install -y --no-install-recommends "${packages[@]}"
