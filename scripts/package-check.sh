#!/usr/bin/env bash
# Packs a finished build (default build-ci/) as a Debian package and checks it the way a user
# meets it: lintian, `apt-get install ./miradex_*.deb`, the installed commands, desktop entry,
# AppStream data and manual pages, then `apt-get purge` and a search for anything left behind.
# Needs root and a machine where Miradex is not installed. A package for another architecture
# (the arm64 cross build's) is packed and checked (lintian, contents, its programs' architecture)
# but not installed. Usage: scripts/package-check.sh [BUILD]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-ci}

fail() {
    echo "package-check: $*" >&2
    exit 1
}
check_can_install() {
    [ "$(id -u)" -eq 0 ] || fail "braucht root (apt-get install und purge)"
    if dpkg-query -W -f='${Status}' miradex 2>/dev/null | grep -q ' installed$'; then
        fail "miradex ist schon installiert; das Paket wird nicht darüber geprüft"
    fi
}

# What the package holds (the programs bring the font, the sound and the profiler along), then
# CPack over the install of that build; in CI the build is complete and this builds nothing.
rm -f "$build"/miradex_*.deb
cmake --build "$build" --target miradex miradex_manpages miradex_changelog
(cd "$build" && cpack -G DEB)
debs=("$build"/miradex_*.deb)
if [ ${#debs[@]} -ne 1 ] || [ ! -f "${debs[0]}" ]; then
    fail "kein Paket in $build: ${debs[*]}"
fi
deb=$PWD/${debs[0]}
dpkg-deb --info "$deb"

# No errors; warnings are printed and kept (the README lists them and why).
lintian --fail-on error --tag-display-limit 0 "$deb"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
dpkg-deb --contents "$deb" >"$work/contents"
for page in miradex system_profiler; do
    grep -q " \./usr/share/man/man1/$page\.1\.gz$" "$work/contents" || fail "$page.1.gz fehlt im Paket"
done
grep -q '^-rwxr-xr-x .* \./usr/share/miradex/ansible/miradex\.fact$' "$work/contents" ||
    fail "das ausführbare miradex.fact fehlt im Paket"

architecture=$(dpkg-deb -f "$deb" Architecture)
if [ "$architecture" = arm64 ] && [ "$(dpkg --print-architecture)" != arm64 ]; then
    for program in MacOS/miradex Helpers/system_profiler; do
        dpkg-deb --fsys-tarfile "$deb" |
            tar -xOf - "./usr/lib/miradex/Miradex.app/Contents/$program" >"$work/program"
        file -b "$work/program" | grep -q "ARM aarch64" ||
            fail "$program ist kein arm64-Programm: $(file -b "$work/program")"
    done
    echo "package-check: $(basename "$deb") gepackt und geprüft; $architecture wird hier nicht installiert"
    exit 0
fi
check_can_install

# Slim container images tell dpkg to leave out /usr/share/man (path-exclude in
# /etc/dpkg/dpkg.cfg.d/). This install lets the package's own two pages in again with
# path-include options, which dpkg applies after its configuration; the machine's configuration
# stays as it is.
options=()
if grep -qs '^path-exclude=/usr/share/man' /etc/dpkg/dpkg.cfg /etc/dpkg/dpkg.cfg.d/*; then
    for page in miradex system_profiler; do
        options+=(-o "DPkg::Options::=--path-include=/usr/share/man/man1/$page.1.gz")
    done
fi
export DEBIAN_FRONTEND=noninteractive
apt-get install -y -q "${options[@]}" "$deb"
dpkg-query -L miradex >"$work/files"

echo "-- installed commands"
[ "$(command -v miradex)" = /usr/bin/miradex ] || fail "miradex nicht auf dem PATH"
[ "$(command -v system_profiler)" = /usr/bin/system_profiler ] || fail "system_profiler nicht auf dem PATH"
miradex --version
env MIRADEX_BENCH_ADDITIONS=1000 MIRADEX_PUBLIC_IP_HOST= MIRADEX_MODEL_HOST= \
    miradex --batch --new >"$work/report.txt"
cat "$work/report.txt"
grep -q '^Multi-Core         = .* GFLOPs$' "$work/report.txt" || fail "kein Bericht von miradex --batch --new"
env MIRADEX_BENCH_ADDITIONS=1000 MIRADEX_PUBLIC_IP_HOST= MIRADEX_MODEL_HOST= \
    miradex --batch --new --json | python3 -m json.tool >/dev/null
system_profiler -json | python3 -m json.tool >"$work/profile.json"
head -n 20 "$work/profile.json"
system_profiler -json -detailLevel mini | python3 -m json.tool >/dev/null
/usr/share/miradex/ansible/miradex.fact | python3 -m json.tool >/dev/null

echo "-- desktop entry, AppStream data, manual pages"
out=$(desktop-file-validate /usr/share/applications/io.miradex.miradex.desktop 2>&1)
[ -z "$out" ] || fail "desktop-file-validate: $out"
appstreamcli validate --no-net --pedantic /usr/share/metainfo/io.miradex.miradex.metainfo.xml
version=$(dpkg-query -W -f='${Version}' miradex)
grep -q "<release version=\"$version\"" /usr/share/metainfo/io.miradex.miradex.metainfo.xml ||
    fail "keine AppStream-Ausgabe für $version"
for page in miradex system_profiler; do
    [ "$(man -w "$page")" = "/usr/share/man/man1/$page.1.gz" ] || fail "man -w $page: $(man -w "$page" 2>&1)"
done

echo "-- purge"
apt-get purge -y -q miradex
if dpkg-query -W -f='${Status}' miradex 2>/dev/null | grep -q 'installed'; then
    fail "miradex ist nach dem Löschen noch eingetragen"
fi
# Every file of the package is gone; a folder may stay only while another package owns it or
# holds something of its own.
while read -r path; do
    if [ -d "$path" ] && [ ! -L "$path" ]; then
        dpkg-query -S "$path" >/dev/null 2>&1 || [ -n "$(ls -A "$path")" ] ||
            fail "leerer Ordner $path ist geblieben"
    elif [ -e "$path" ] || [ -L "$path" ]; then
        fail "$path ist geblieben"
    fi
done <"$work/files"
if grep -rqs 'miradex' /usr/share/mime/globs2 /usr/share/applications/mimeinfo.cache; then
    fail "der MIME- oder Desktop-Zwischenspeicher nennt Miradex noch"
fi
echo "package-check: $(basename "$deb") installiert, geprüft und rückstandslos gelöscht"
