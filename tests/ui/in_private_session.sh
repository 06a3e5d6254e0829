#!/usr/bin/env bash
# Runs a command in a D-Bus session of its own, with a home of its own; with KEYRING=1 (the
# first argument) a gnome-keyring unlocked for it answers there as the Secret Service.
set -euo pipefail
keyring=$1
shift
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
export HOME=$home XDG_DATA_HOME=$home/.local/share XDG_CONFIG_HOME=$home/.config \
    XDG_CACHE_HOME=$home/.cache XDG_RUNTIME_DIR=$home/run
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
exec dbus-run-session -- bash -c '
    if [[ $0 == 1 ]]; then
        printf test | gnome-keyring-daemon --unlock --components=secrets >/dev/null
    fi
    exec "$@"' "$keyring" "$@" 2> >(grep -v "Failed to set fd limit" >&2)
