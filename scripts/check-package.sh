#!/usr/bin/env bash
# Makes the Debian package from a build folder and checks it as a user's machine gets it: lintian finds no
# error, apt could install it with its dependencies, and unpacked into a fresh root its desktop entry and
# metainfo validate and the installed programs run from the installed files alone (wagetrove-cli states, the
# demo quarter over a fresh data folder, wagetrove offscreen). A file the package lacks fails here.
#   scripts/check-package.sh BUILD_DIR   (the package is left in BUILD_DIR/package/)
set -euo pipefail
cd "$(dirname "$0")/.."

build="$(realpath "${1:?usage: scripts/check-package.sh BUILD_DIR}")"
output="$build/package"
rm -rf "$output"
(cd "$build" && cpack -G DEB -B "$output")
rm -rf "$output/_CPack_Packages"
debs=("$output"/wagetrove_*.deb)
deb="${debs[0]}"
version="$(dpkg-deb --field "$deb" Version)"
release="${version%-*}"

echo "== lintian"
lintian --fail-on error "$deb"

echo "== apt's view of the dependencies: $(dpkg-deb --field "$deb" Depends)"
apt-get install --simulate --no-install-recommends "$deb" >/dev/null

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
root="$work/root"
dpkg-deb --extract "$deb" "$root"
usr="$root/usr"

echo "== desktop entry, metainfo and icons"
desktop-file-validate "$usr/share/applications/wagetrove.desktop"
appstreamcli validate --no-net "$usr/share/metainfo/com.wagetrove.wagetrove.metainfo.xml"
grep -q '<svg' "$usr/share/icons/hicolor/scalable/apps/wagetrove.svg"
file --brief "$usr/share/icons/hicolor/256x256/apps/wagetrove.png" | grep -q '^PNG image data, 256 x 256,'

expect() {
    if [ "$1" != "$2" ]; then
        printf 'expected: %s\n     got: %s\n' "$2" "$1" >&2
        exit 1
    fi
}

echo "== the installed programs"
expect "$("$usr/bin/wagetrove-cli" --version)" "wagetrove-cli $release"
expect "$("$usr/bin/wagetrove" --version)" "wagetrove $release"
"$usr/bin/wagetrove-cli" --data-folder "$work/states-data" states
expect "$("$usr/bin/wagetrove-cli" --data-folder "$work/states-data" states | wc -l)" 13

DEMO_OUTPUT="$work/demo" bash scripts/demo.sh "$usr"

smoke="$(WAGETROVE_DOCUMENTS_DIR="$work/documents" QT_QPA_PLATFORM=offscreen "$usr/bin/wagetrove" --smoke-test)"
expect "$smoke" "Wagetrove $release
$work/documents/Tarrow Software/Wagetrove/"
test -f "$work/documents/Tarrow Software/Wagetrove/Suta.mdb"

echo "Package checked: $deb"
