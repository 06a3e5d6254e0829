#!/usr/bin/env bash
# Installs the rich text editors that the auto-insert tests load (pinned in
# tests/ui/editors/package-lock.json) into the folder given, normally build/editors. Runs npm
# only when the lock file changed since the last install.
set -euo pipefail

source_dir="$(cd "$(dirname "$0")/../tests/ui/editors" && pwd)"
target=${1:?usage: install-editors.sh FOLDER}
mkdir -p "$target"

if [[ -d $target/node_modules ]] && cmp -s "$source_dir/package-lock.json" "$target/package-lock.json"; then
  exit 0
fi
if ! command -v npm >/dev/null; then
  echo "install-editors: npm is missing; scripts/install-deps.sh installs it" >&2
  exit 1
fi
echo "Installing the test editors into $target"
cp "$source_dir/package.json" "$source_dir/package-lock.json" "$target/"
(cd "$target" && npm ci --no-audit --no-fund --ignore-scripts --loglevel=error)
