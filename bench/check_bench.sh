#!/usr/bin/env bash
# Times `boardcast check`. Not part of `make test`.
# 1. Throughput: 1,000 watched posts served by nginx on 127.0.0.1, with --jobs 1 and 8, the
#    desktop program's check (bench_desktop_check), and a sequential curl loop.
# 2. Latency: 200 posts on 8 loopback hosts (127.0.0.1 to 127.0.0.8), and 100 posts on 1
#    and on 8 hosts, whose server waits 300 ms before each answer, with --jobs 1 and the
#    defaults, and urlwatch (Debian's, when installed) with its default workers.
# 3. Posts: 10,000 watched pages of real thread HTML captured from MyBB, FluxBB and SMF
#    (tests/data/forums), checked against pages of the same sizes without markup.
# 4. The window: 2,000 posts with titles, 50 of them grown, checked by `check` and by the
#    desktop program in a real window under Xvfb (bench_desktop_check).
# Usage: bench/check_bench.sh [build/boardcast] [count]
set -euo pipefail
bin=$(realpath "${1:-build/boardcast}")
count=${2:-1000}
tmp=$(mktemp -d)
www=$tmp/www
mkdir -p "$www" "$tmp/data" "$tmp/slow"
source "$(dirname "$0")/../tests/app/loopback_nginx.sh"
slow_pid=
trap 'stop_loopback_nginx; [[ -n $slow_pid ]] && kill $slow_pid; rm -rf "$tmp"' EXIT
start_loopback_nginx "$tmp/nginx" "$www"
export XDG_CONFIG_HOME=$tmp/config

seconds() { awk "BEGIN { printf \"%.2f\", $2 - $1 }"; }

# time_check DATA-FOLDER WHAT: `check` with --jobs 1 and with the default 8.
time_check() {
    for jobs in 1 8; do
        local start end
        start=$(date +%s.%N)
        "$bin" check --jobs "$jobs" --data-dir "$1" >/dev/null 2>"$tmp/check.err"
        end=$(date +%s.%N)
        echo "boardcast check --jobs $jobs, $2: $(seconds "$start" "$end") s ($(tail -1 "$tmp/check.err"))"
    done
}

page=$(head -c 20000 /dev/zero | tr '\0' 'p')
: >"$tmp/data/posts.txt"
: >"$tmp/data/sizes.txt"
for i in $(seq "$count"); do
    printf '%s' "$page" >"$www/t$i.html"
    printf 'http://127.0.0.1:%d/t%d.html\r\n\r\n' "$nginx_port" "$i" >>"$tmp/data/posts.txt"
    printf '20000\r\n\r\n' >>"$tmp/data/sizes.txt"
done

# One host: the defaults (8 at once, 6 from a host) against one page at a time.
time_check "$tmp/data" "$count posts on one host"
# The desktop program's check on the same posts, with the same defaults.
desktop=$(dirname "$bin")/bench/bench_desktop_check
if [[ -x $desktop ]]; then
    echo "desktop check (window, offscreen), $count posts on one host: $("$desktop" "$tmp/data" 2>/dev/null | tail -1)"
else
    echo "desktop check: build bench_desktop_check first (make bench)"
fi

start=$(date +%s.%N)
for i in $(seq "$count"); do curl -s -o /dev/null "http://127.0.0.1:$nginx_port/t$i.html"; done
end=$(date +%s.%N)
echo "sequential curl, $count posts: $(seconds "$start" "$end") s"

# The latency case.
python3 "$(dirname "$0")/slow_server.py" 0.3 8 >"$tmp/slow.out" &
slow_pid=$!
for _ in $(seq 50); do grep -q ready "$tmp/slow.out" 2>/dev/null && break; sleep 0.1; done
slow_port=$(awk '{ print $2 }' "$tmp/slow.out")
# slow_posts FOLDER COUNT HOSTS: COUNT posts spread over the first HOSTS loopback hosts,
# with urlwatch's list of the same pages in FOLDER/urls.yaml.
slow_posts() {
    mkdir -p "$1"
    : >"$1/posts.txt"
    : >"$1/sizes.txt"
    : >"$1/urls.yaml"
    for i in $(seq "$2"); do
        local url="http://127.0.0.$(( (i - 1) % $3 + 1 )):$slow_port/t/$i"
        printf '%s\r\n\r\n' "$url" >>"$1/posts.txt"
        printf '20000\r\n\r\n' >>"$1/sizes.txt"
        printf -- '---\nurl: %s\n' "$url" >>"$1/urls.yaml"
    done
}

# time_urlwatch FOLDER WHAT: urlwatch with its default workers on FOLDER/urls.yaml.
time_urlwatch() {
    if ! command -v urlwatch >/dev/null; then
        echo "urlwatch is not installed (apt-get install urlwatch): skipped for $2"
        return
    fi
    printf 'report:\n  text:\n    enabled: false\n  stdout:\n    enabled: false\n' >"$1/urlwatch.yaml"
    local start end
    start=$(date +%s.%N)
    HOME=$tmp urlwatch --urls "$1/urls.yaml" --config "$1/urlwatch.yaml" \
        --cache "$1/urlwatch.db" >/dev/null 2>&1 || true
    end=$(date +%s.%N)
    echo "urlwatch (default workers), $2: $(seconds "$start" "$end") s"
}

for case in "200 8" "100 1" "100 8"; do
    read -r count hosts <<<"$case"
    folder=$tmp/slow-$count-$hosts
    slow_posts "$folder" "$count" "$hosts"
    time_check "$folder" "$count posts on $hosts host(s) 300 ms away"
    time_urlwatch "$folder" "$count posts on $hosts host(s) 300 ms away"
done

# 3. Posts of real thread pages: the last pages of threads captured from MyBB, FluxBB and
# SMF (no next page to follow), against pages of the same sizes without markup, whose
# reading costs next to nothing: the difference is what reading posts adds to a check.
forums=$(cd "$(dirname "$0")/../tests/data/forums" && pwd)
captured=("$forums"/{mybb,fluxbb,smf}/{a-page3-before,b-page2-before}.html)
for kind in real plain; do
    mkdir -p "$www/$kind" "$tmp/$kind"
    : >"$tmp/$kind/posts.txt"
    : >"$tmp/$kind/sizes.txt"
done
for k in "${!captured[@]}"; do
    cp "${captured[$k]}" "$www/real/p$k.html"
    head -c "$(stat -c %s "${captured[$k]}")" /dev/zero | tr '\0' 'x' >"$www/plain/p$k.html"
done
for i in $(seq 10000); do
    for kind in real plain; do
        ln -s "$www/$kind/p$((i % ${#captured[@]})).html" "$www/$kind/t$i.html"
        printf 'http://127.0.0.1:%d/%s/t%d.html\r\n\r\n' "$nginx_port" "$kind" "$i" >>"$tmp/$kind/posts.txt"
        printf '999999\r\n\r\n' >>"$tmp/$kind/sizes.txt"
    done
done
declare -A took
for round in 1 2 3; do
    for kind in plain real; do
        start=$(date +%s.%N)
        "$bin" check --data-dir "$tmp/$kind" >/dev/null 2>"$tmp/check.err" || true
        end=$(date +%s.%N)
        took[$kind]="${took[$kind]:-} $(seconds "$start" "$end")"
    done
done
best() { tr ' ' '\n' <<<"$1" | grep . | sort -n | head -1; }
plain=$(best "${took[plain]}")
real=$(best "${took[real]}")
echo "boardcast check, 10000 captured thread pages: $real s; the same sizes without markup: $plain s (best of 3); reading posts adds $(awk "BEGIN { printf \"%.1f\", 100 * ($real - $plain) / $plain }")%"
reader=$(dirname "$bin")/bench/bench_thread_posts
if [[ -x $reader ]]; then
    "$reader" "${captured[@]}" --benchmark_format=csv 2>/dev/null >"$tmp/reader.csv"
    awk -F, '$1 ~ /readThreadPosts/ { printf "reading one page (bench_thread_posts, on the worker thread): %.0f us\n", $3 / 1000 }' "$tmp/reader.csv"
fi

# 4. The window against `check`: 2,000 posts with titles, 50 grown.
mkdir -p "$www/win" "$tmp/win"
: >"$tmp/win/posts.txt"
: >"$tmp/win/sizes.txt"
for i in $(seq 2000); do
    printf '<title>Thread number %d</title>%s' "$i" "$page" >"$www/win/t$i.html"
    printf 'http://127.0.0.1:%d/win/t%d.html\r\n\r\n' "$nginx_port" "$i" >>"$tmp/win/posts.txt"
    printf '%d\r\n\r\n' "$(stat -c %s "$www/win/t$i.html")" >>"$tmp/win/sizes.txt"
done
for i in $(seq 50); do head -c 600 /dev/zero | tr '\0' 'g' >>"$www/win/t$((i * 40)).html"; done
"$bin" check --data-dir "$tmp/win" >/dev/null 2>&1 || true  # the titles, as the window shows them
start=$(date +%s.%N)
"$bin" check --data-dir "$tmp/win" >/dev/null 2>"$tmp/check.err" || true
end=$(date +%s.%N)
echo "boardcast check, 2000 posts with titles, 50 grown: $(seconds "$start" "$end") s ($(tail -1 "$tmp/check.err"))"
if [[ -x $desktop ]] && command -v xvfb-run >/dev/null; then
    echo "desktop check (real window, Xvfb), the same posts: $(xvfb-run -a -s '-screen 0 1280x800x24' \
        env QT_QPA_PLATFORM=xcb QTWEBENGINE_DISABLE_SANDBOX=1 "$desktop" "$tmp/win" 2>/dev/null | tail -1)"
else
    echo "desktop check in a real window: needs bench_desktop_check (make bench) and xvfb-run"
fi
