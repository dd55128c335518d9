#!/usr/bin/env bash
# Installs the Debian 12 packages needed to build, run and test qx70-config.
# Only packages that are missing are installed; nothing is downloaded from
# anywhere but the Debian archive.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config git
    clang libclang-rt-14-dev
    qt6-base-dev qt6-tools-dev libqt6opengl6-dev qt6-qpa-plugins libgl-dev
    libjsoncpp-dev libcurl4-openssl-dev libxi-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    fonts-noto-cjk fonts-dejavu-core
    # end-to-end tests: a private X display with a window manager, real
    # input, screenshots and the session bus client
    dbus dbus-bin libglib2.0-bin xvfb xauth openbox xdotool x11-utils imagemagick
    # the Debian package (cpack: dpkg-shlibdeps, file) and the checks of the
    # desktop entry, metadata, manual page and package; the icon renderer
    dpkg-dev file desktop-file-utils appstream man-db lintian librsvg2-bin
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

echo "Installing: ${missing[*]}"
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
    sudo_cmd=(sudo)
fi
"${sudo_cmd[@]}" apt-get update -q
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
