#!/usr/bin/env bash
# Checks a .deb that `make package` built: its control fields, that it holds every installed
# file under /usr, and that the program unpacked from it runs.
# Usage: scripts/check-package.sh boardcast_VERSION_ARCH.deb
set -uo pipefail
deb=$1
app_id=example.quillfen.Boardcast
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
failures=0
fail() { echo "FAIL $1"; failures=$((failures + 1)); }

dpkg-deb --info "$deb" >"$tmp/info" || fail "dpkg-deb --info"
field() { dpkg-deb --field "$deb" "$1"; }
[[ $(field Package) == boardcast ]] || fail "Package: $(field Package)"
[[ $(field Version) =~ ^[0-9]+\.[0-9]+\.[0-9]+$ ]] || fail "Version: $(field Version)"
[[ $(field Section) == web ]] || fail "Section: $(field Section)"
# The dependencies come from the libraries the program links, plus the display plugins.
for dep in libc6 libqt6core6 libqt6widgets6 libqt6webenginewidgets6 libqt6dbus6 libqt6network6 libqt6keychain1 qt6-qpa-plugins; do
    field Depends | tr ',' '\n' | grep -q "^ *$dep\b" || fail "Depends lacks $dep: $(field Depends)"
done

dpkg-deb --contents "$deb" | awk '{print $6}' >"$tmp/contents" || fail "dpkg-deb --contents"
for path in ./usr/bin/boardcast \
    ./usr/libexec/boardcast/boardcast-desktop \
    ./usr/share/applications/$app_id.desktop \
    ./usr/share/metainfo/$app_id.metainfo.xml \
    ./usr/share/icons/hicolor/scalable/apps/$app_id.svg \
    ./usr/share/icons/hicolor/48x48/apps/$app_id.png \
    ./usr/share/icons/hicolor/256x256/apps/$app_id.png \
    ./usr/share/man/man1/boardcast.1.gz \
    ./usr/share/doc/boardcast/copyright \
    ./usr/share/doc/boardcast/examples/boardcast-check.service \
    ./usr/share/doc/boardcast/examples/boardcast-check.timer; do
    grep -qxF "$path" "$tmp/contents" || fail "the package lacks $path"
done
grep -v '^\./usr/' "$tmp/contents" | grep -q . && fail "files outside /usr: $(grep -v '^\./usr/' "$tmp/contents" | head -3)"

dpkg-deb -x "$deb" "$tmp/root"
"$tmp/root/usr/bin/boardcast" --version | grep -qx "Boardcast $(field Version)" || fail "the packaged program's --version"
grep -qx 'Exec=boardcast %U' "$tmp/root/usr/share/applications/$app_id.desktop" || fail "desktop entry's Exec"

if [[ $failures -eq 0 ]]; then
    echo "package ok: $(basename "$deb"), $(wc -l <"$tmp/contents") entries, Depends: $(field Depends)"
fi
[[ $failures -eq 0 ]]
