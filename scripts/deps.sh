#!/usr/bin/env bash
# Makes sure the Debian packages that building and testing Miradex need are installed.
# As root it installs what is missing with apt-get; otherwise it prints the exact command and
# stops. Usage: scripts/deps.sh [build|test|arm64]
#   build  what the normal build needs
#   test   that and what the tests, checks and the package check need
#   arm64  the build's packages and the cross build for arm64: Debian's cross toolchain, the arm64
#          multiarch libraries (the architecture is added to dpkg first) and qemu-user to run the
#          arm64 programs and tests; moc and rcc stay the amd64 ones of qt6-base-dev
set -euo pipefail

build_packages=(cmake ninja-build g++ pkg-config libfreetype-dev fonts-dejavu-core libpng-dev
                libgtest-dev libbenchmark-dev libdrm-dev pci.ids qt6-base-dev qt6-translations-l10n
                libasound2-dev curl nlohmann-json3-dev scdoc)
test_packages=(clang gcovr libclang-rt-14-dev clang-format xvfb xauth desktop-file-utils appstream
               libxml2-utils shared-mime-info xdotool dbus at-spi2-core python3-pyatspi dpkg-dev
               file lintian man-db python3 x11-utils openbox wmctrl weston qt6-wayland ansible-core)
arm64_packages=(crossbuild-essential-arm64 qemu-user dpkg-dev file lintian python3
                qt6-base-dev:arm64 qt6-qpa-plugins:arm64 libgtest-dev:arm64 libfreetype-dev:arm64
                libpng-dev:arm64 libasound2-dev:arm64 libdrm-dev:arm64)

packages=("${build_packages[@]}")
case "${1:-build}" in
test) packages+=("${test_packages[@]}") ;;
arm64) packages+=("${arm64_packages[@]}") ;;
esac

# A name without an architecture means the machine's own (or an architecture-free package): once
# arm64 is added, dpkg-query lists both architectures of a library for its bare name.
native=$(dpkg --print-architecture)
installed() {
    local name=$1 architectures="$native all"
    case "$name" in *:*) architectures=${name#*:} ;; esac
    local arch
    for arch in $architectures; do
        dpkg-query -W -f='${Status} ${Architecture}\n' "$name" 2>/dev/null |
            grep -qx "install ok installed $arch" && return 0
    done
    return 1
}
missing=()
for p in "${packages[@]}"; do
    installed "$p" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
    echo "Miradex braucht diese Pakete. Bitte als root ausführen:" >&2
    echo "apt-get install -y ${missing[*]}" >&2
    exit 1
fi
echo "Installiere: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
if [ "${1:-build}" = arm64 ] && ! dpkg --print-foreign-architectures | grep -qx arm64; then
    dpkg --add-architecture arm64
fi
apt-get update -q
apt-get install -y -q --no-install-recommends "${missing[@]}"
