#!/usr/bin/env bash
# watch and check through the real binary against a real nginx on a port of 127.0.0.1.
source "$(dirname "$0")/cli_common.sh"

source "$(dirname "$0")/loopback_nginx.sh"

www=$tmp/www
mkdir -p "$www"
head -c 1000 /dev/zero | tr '\0' 'a' >"$www/grows.html"
# A page of 2000 bytes with a title.
titled() { printf '<title>%s</title>' "$1"; head -c $((2000 - 15 - ${#1})) /dev/zero | tr '\0' 'b'; }
titled 'Widgets &amp; more' >"$www/same.html"
trap 'stop_loopback_nginx; rm -rf "$tmp"' EXIT
start_loopback_nginx "$tmp/nginx" "$www" || { echo "nginx did not start"; exit 1; }
site=http://127.0.0.1:$nginx_port

d=$tmp/data-dir
"$bin" watch --data-dir "$d" "$site/grows.html#p2" >"$tmp/out" 2>"$tmp/err"
check "watch prints the baseline" "$site/grows.html#p2\\t1000\\n" "$tmp/out"
# /moved leads to the same page: the thread is watched already, and measured again.
"$bin" watch --data-dir "$d" "$site/moved" >"$tmp/out" 2>"$tmp/err"
check "a moved page is measured where it went, one entry a thread" "$site/grows.html#p2\\t1000\\n" "$tmp/out"
grep -q "watched already as $site/grows.html#p2" "$tmp/err" && pass "says the thread is watched already" || fail "says the thread is watched already"
"$bin" watch --data-dir "$d" "$site/same.html" >"$tmp/out" 2>"$tmp/err"
check "third watch" "$site/same.html\\t2000\\n" "$tmp/out"
check "sizes saved" '1000\r\n\r\n2000\r\n\r\n' "$d/sizes.txt"

# A page that cannot be reached is still watched, with no baseline, and says why.
"$bin" watch --data-dir "$d" http://127.0.0.1:1/x >"$tmp/out" 2>"$tmp/err"
rc=$?
if [[ $rc -eq 1 ]] && grep -q "could not be measured" "$tmp/err"; then pass "unreachable page fails"; else fail "unreachable page fails (exit $rc)"; cat "$tmp/err"; fi
"$bin" posts --data-dir "$d" >"$tmp/out"
check "unreachable page kept unmeasured, titles and latest pages beside" "$site/grows.html#p2\\t1000\\t\\t$site/grows.html\\t\\n$site/same.html\\t2000\\tWidgets & more\\t$site/same.html\\t\\nhttp://127.0.0.1:1/x\\tnot measured\\t\\t\\t\\n" "$tmp/out"

# Growth of exactly 500 bytes is no reply; 501 is. The unreachable post is named, the run
# still finishes, and the exit status says that not every post could be checked.
head -c 500 /dev/zero | tr '\0' 'c' >>"$www/grows.html"
"$bin" check --data-dir "$d" >"$tmp/out" 2>"$tmp/err"
rc=$?
check "500 bytes more is not new" '' "$tmp/out"
head -c 1 /dev/zero | tr '\0' 'c' >>"$www/grows.html"
"$bin" check --data-dir "$d" >"$tmp/out" 2>"$tmp/err"
rc=$?
check "501 bytes more is new, judged by size" "$site/grows.html#p2\\t+501 bytes\\t\\n" "$tmp/out"
if [[ $rc -eq 3 ]] && grep -q '^finished - 1 new replies found (1 could not be checked)$' "$tmp/err" \
    && grep -q '^boardcast: could not check http://127.0.0.1:1/x: ' "$tmp/err"; then
    pass "check names what it could not check, exit 3"
else
    fail "check names what it could not check (exit $rc)"; cat "$tmp/err"
fi
"$bin" check --jobs 4 --data-dir "$d" >"$tmp/out4" 2>"$tmp/err"
rc=$?
if [[ $rc -eq 3 ]] && cmp -s "$tmp/out" "$tmp/out4"; then pass "check --jobs 4 prints the same"; else fail "check --jobs 4 (exit $rc)"; cat "$tmp/out4"; fi

# Without the unreachable post every post is checked: exit 0.
printf '%s\r\n\r\n' "$site/same.html" >"$d/posts.txt"
printf '2000\r\n\r\n' >"$d/sizes.txt"
"$bin" check --data-dir "$d" >"$tmp/out" 2>"$tmp/err"
rc=$?
if [[ $rc -eq 0 ]] && grep -q '^finished - 0 new replies found$' "$tmp/err"; then pass "all checked, exit 0"; else fail "all checked (exit $rc)"; cat "$tmp/err"; fi
# A check takes the title the page has now.
titled 'Widgets, renamed' >"$www/same.html"
"$bin" check --data-dir "$d" >/dev/null 2>&1
"$bin" posts --data-dir "$d" >"$tmp/out"
check "a check refreshes the title" "$site/same.html\\t2000\\tWidgets, renamed\\t$site/same.html\\t\\n" "$tmp/out"

"$bin" check --jobs 17 --data-dir "$d" >"$tmp/out" 2>"$tmp/err"
rc=$?
if [[ $rc -eq 2 ]] && grep -q -- '--jobs takes a number from 1 to 16' "$tmp/err"; then pass "bad --jobs is a usage error"; else fail "bad --jobs (exit $rc)"; fi

finish
