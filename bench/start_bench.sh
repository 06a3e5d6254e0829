#!/usr/bin/env bash
# How long a headless command takes to start, against the least a Qt Core program takes:
# builds a program that only creates a QCoreApplication, then times N starts of each and
# of `boardcast posts` on an empty data folder, and prints the ratio.
# Usage: bench/start_bench.sh [BUILD-FOLDER] [N]
set -euo pipefail
build=${1:-build}
runs=${2:-200}
bin=$build/boardcast
[[ -x $bin ]] || { echo "no $bin: build first (make)" >&2; exit 1; }
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
export XDG_CONFIG_HOME=$tmp/config XDG_DATA_HOME=$tmp/data

cat >"$tmp/minimal.cpp" <<'CPP'
#include <QCoreApplication>
int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    return 0;
}
CPP
# shellcheck disable=SC2046
g++ -std=c++20 -O2 -fPIC "$tmp/minimal.cpp" -o "$tmp/minimal" $(pkg-config --cflags --libs Qt6Core)

mkdir -p "$tmp/empty"
"$bin" posts --data-dir "$tmp/empty" >/dev/null  # creates the data files once

# Mean milliseconds per start over $runs starts.
time_starts() {
    local start end
    start=$(date +%s%N)
    for ((i = 0; i < runs; i++)); do "$@" >/dev/null; done
    end=$(date +%s%N)
    awk -v ns=$((end - start)) -v n="$runs" 'BEGIN { printf "%.2f", ns / n / 1000000 }'
}

time_starts "$tmp/minimal" >/dev/null  # warm the caches
minimal=$(time_starts "$tmp/minimal")
posts=$(time_starts "$bin" posts --data-dir "$tmp/empty")
printf 'minimal Qt Core program   %6s ms\n' "$minimal"
printf 'boardcast posts           %6s ms\n' "$posts"
awk -v a="$posts" -v b="$minimal" 'BEGIN { printf "ratio                     %6.2f\n", a / b }'
