#!/usr/bin/env bash
# Times `boardcast check` over 1,000 watched posts served by nginx on 127.0.0.1 port 80,
# beside a sequential curl loop fetching the same addresses. Not part of `make test`.
# Usage: bench/check_bench.sh [build/boardcast] [count]
set -euo pipefail
bin=${1:-build/boardcast}
count=${2:-1000}
tmp=$(mktemp -d)
www=$tmp/www
mkdir -p "$www" "$tmp/data"
source "$(dirname "$0")/../tests/app/loopback_nginx.sh"
trap 'stop_loopback_nginx; rm -rf "$tmp"' EXIT
start_loopback_nginx "$tmp/nginx" "$www"

page=$(head -c 20000 /dev/zero | tr '\0' 'p')
: >"$tmp/data/posts.txt"
: >"$tmp/data/sizes.txt"
for i in $(seq "$count"); do
    printf '%s' "$page" >"$www/t$i.html"
    printf 'http://127.0.0.1/t%d.html\r\n\r\n' "$i" >>"$tmp/data/posts.txt"
    printf '20000\r\n\r\n' >>"$tmp/data/sizes.txt"
done
export XDG_CONFIG_HOME=$tmp/config

start=$(date +%s.%N)
"$bin" check --data-dir "$tmp/data" >/dev/null 2>"$tmp/check.err"
end=$(date +%s.%N)
tail -1 "$tmp/check.err"
printf 'boardcast check, %d posts: %.2f s\n' "$count" "$(awk "BEGIN { print $end - $start }")"

start=$(date +%s.%N)
for i in $(seq "$count"); do curl -s -o /dev/null "http://127.0.0.1/t$i.html"; done
end=$(date +%s.%N)
printf 'sequential curl, %d posts: %.2f s\n' "$count" "$(awk "BEGIN { print $end - $start }")"
