#!/usr/bin/env bash
# watch and check through the real binary against a real nginx on 127.0.0.1 port 80 (plain
# http addresses always go to port 80). Exits 77 (skipped) when port 80 cannot be had.
source "$(dirname "$0")/cli_common.sh"

source "$(dirname "$0")/loopback_nginx.sh"

www=$tmp/www
mkdir -p "$www"
head -c 1000 /dev/zero | tr '\0' 'a' >"$www/grows.html"
head -c 2000 /dev/zero | tr '\0' 'b' >"$www/same.html"
trap 'stop_loopback_nginx; rm -rf "$tmp"' EXIT
start_loopback_nginx "$tmp/nginx" "$www" || { echo "port 80 not available: skipped"; exit 77; }

d=$tmp/data-dir
"$bin" watch --data-dir "$d" http://127.0.0.1/grows.html >"$tmp/out" 2>"$tmp/err"
check "watch prints the baseline" 'http://127.0.0.1/grows.html\t1000\n' "$tmp/out"
"$bin" watch --data-dir "$d" http://127.0.0.1/same.html >"$tmp/out" 2>"$tmp/err"
check "second watch" 'http://127.0.0.1/same.html\t2000\n' "$tmp/out"
check "sizes saved" '1000\r\n\r\n2000\r\n\r\n' "$d/sizes.txt"

# A page that cannot be reached is still watched, with no baseline, and says why.
"$bin" watch --data-dir "$d" http://127.0.0.1:1/x >"$tmp/out" 2>"$tmp/err"
rc=$?
if [[ $rc -ne 0 ]] && grep -q "could not be measured" "$tmp/err"; then pass "unreachable page fails"; else fail "unreachable page fails (exit $rc)"; cat "$tmp/err"; fi
"$bin" posts --data-dir "$d" >"$tmp/out"
check "unreachable page kept unmeasured" 'http://127.0.0.1/grows.html\t1000\nhttp://127.0.0.1/same.html\t2000\nhttp://127.0.0.1:1/x\tnot measured\n' "$tmp/out"

# Growth of exactly 500 bytes is no reply; 501 is. The unreachable post is skipped and the
# run still finishes.
head -c 500 /dev/zero | tr '\0' 'c' >>"$www/grows.html"
"$bin" check --data-dir "$d" >"$tmp/out" 2>"$tmp/err"
check "500 bytes more is not new" '' "$tmp/out"
head -c 1 /dev/zero | tr '\0' 'c' >>"$www/grows.html"
"$bin" check --data-dir "$d" >"$tmp/out" 2>"$tmp/err"
rc=$?
check "501 bytes more is new" 'http://127.0.0.1/grows.html\n' "$tmp/out"
if [[ $rc -eq 0 ]] && grep -q '^finished - 1 new replies found$' "$tmp/err" && grep -q '^checking post 3$' "$tmp/err"; then
    pass "check reports its progress"
else
    fail "check reports its progress (exit $rc)"; cat "$tmp/err"
fi

finish
