#!/usr/bin/env bash
# Installs the Debian packages that building and testing Boardcast need, skipping those
# already present. Runs apt-get as root directly, otherwise through sudo. Packages given as
# arguments are installed too (`make fuzz` asks for clang this way).
set -euo pipefail

packages=(
  g++ make cmake pkg-config clang-format
  qt6-base-dev qt6-webengine-dev qt6-webchannel-dev qt6-svg-dev libgl-dev qtkeychain-qt6-dev gnome-keyring
  zlib1g-dev
  pandoc desktop-file-utils appstream man-db dbus-daemon dpkg-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  nginx-light openssl curl
  "$@"
)

# npm installs the editors the browser tests load; any npm on the path will do.
command -v npm >/dev/null || packages+=(npm)

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ $status == "install ok installed" ]] || missing+=("$p")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "Installing missing packages: ${missing[*]}"
sudo=()
[[ $(id -u) -eq 0 ]] || sudo=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -q
"${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
