#!/usr/bin/env bash
# Makes sure the Debian packages that building and testing Miradex need are installed.
# As root it installs what is missing with apt-get; otherwise it prints the exact command and
# stops. Usage: scripts/deps.sh [build|test]
set -euo pipefail

build_packages=(cmake ninja-build g++ pkg-config libfreetype-dev fonts-dejavu-core libpng-dev
                libgtest-dev libbenchmark-dev libdrm-dev pci.ids qt6-base-dev qt6-translations-l10n
                libasound2-dev curl nlohmann-json3-dev scdoc)
test_packages=(clang gcovr libclang-rt-14-dev clang-format xvfb xauth desktop-file-utils appstream
               libxml2-utils shared-mime-info xdotool dbus at-spi2-core python3-pyatspi dpkg-dev
               file lintian man-db python3 x11-utils openbox wmctrl weston qt6-wayland)

packages=("${build_packages[@]}")
if [ "${1:-build}" = test ]; then
    packages+=("${test_packages[@]}")
fi

missing=()
for p in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
    [ "$status" = "install ok installed" ] || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
    echo "Miradex braucht diese Pakete. Bitte als root ausführen:" >&2
    echo "apt-get install -y ${missing[*]}" >&2
    exit 1
fi
echo "Installiere: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -q
apt-get install -y -q --no-install-recommends "${missing[@]}"
