#!/usr/bin/env bash
# One writer per data folder, through the real binary: two watch commands racing, the
# desktop program holding the folder (a second one and watch give way), a killed holder's
# lock taken over, and a list cut at its cap never written back.
source "$(dirname "$0")/cli_common.sh"
source "$(dirname "$0")/loopback_nginx.sh"

www=$tmp/www
mkdir -p "$www"
printf 'page one' >"$www/a.html"
printf 'page two!' >"$www/b.html"
desktop_pid=
trap 'stop_loopback_nginx; [[ -n $desktop_pid ]] && kill -9 $desktop_pid 2>/dev/null; rm -rf "$tmp"' EXIT
start_loopback_nginx "$tmp/nginx" "$www" || { echo "nginx did not start"; exit 1; }
site=http://127.0.0.1:$nginx_port

# Two watch commands at once, ten times: neither loses the other's post.
lost=0
for round in $(seq 10); do
    d=$tmp/race$round
    "$bin" watch --data-dir "$d" "$site/a.html" >/dev/null 2>"$tmp/err.a" &
    a=$!
    "$bin" watch --data-dir "$d" "$site/b.html" >/dev/null 2>"$tmp/err.b" &
    b=$!
    wait $a; ra=$?
    wait $b; rb=$?
    "$bin" posts --data-dir "$d" | sort >"$tmp/out"
    printf '%s\t8\t\t%s\t\n%s\t9\t\t%s\t\n' "$site/a.html" "$site/a.html" "$site/b.html" "$site/b.html" >"$tmp/want"
    if [[ $ra -ne 0 || $rb -ne 0 ]] || ! cmp -s "$tmp/want" "$tmp/out"; then
        lost=$((lost + 1)); cat "$tmp/err.a" "$tmp/err.b" "$tmp/out"
    fi
done
if [[ $lost -eq 0 ]]; then pass "racing watch commands keep both posts (10 rounds)"; else fail "racing watch lost posts in $lost of 10 rounds"; fi

# The desktop program holds the folder.
d=$tmp/desk
export QT_QPA_PLATFORM=offscreen QTWEBENGINE_DISABLE_SANDBOX=1 QTWEBENGINE_CHROMIUM_FLAGS="--disable-gpu --no-sandbox"
# wait_for_request PATH: whether nginx was asked for PATH within 20 seconds.
wait_for_request() {
    for _ in $(seq 200); do grep -qF "GET $1 " "$tmp/nginx/access.log" && return 0; sleep 0.1; done
    return 1
}
# Started on an address, as the desktop entry starts it, it opens that page.
"$bin" --data-dir "$d" "$site/a.html?start" >"$tmp/desk.out" 2>&1 &
desktop_pid=$!
for _ in $(seq 100); do grep -q '^desktop' "$d/.lock" 2>/dev/null && break; sleep 0.1; done
if wait_for_request "/a.html?start"; then pass "the desktop program opens the address it was given"; else fail "address at start not opened"; cat "$tmp/desk.out"; fi
start_ms=$(date +%s%N)
"$bin" watch --data-dir "$d" "$site/a.html" >"$tmp/out" 2>"$tmp/err"
rc=$?
waited_ms=$(( ($(date +%s%N) - start_ms) / 1000000 ))
if [[ $rc -eq 4 ]] && grep -q 'Boardcast is open on the data folder' "$tmp/err" && (( waited_ms < 2000 )); then
    pass "watch gives way to the desktop program at once, exit 4"
else
    fail "watch beside the desktop program (exit $rc, ${waited_ms} ms)"; cat "$tmp/err"
fi
start=$(date +%s)
timeout 20 "$bin" --data-dir "$d" "$site/b.html?handed" "$site/a.html?second" >"$tmp/out" 2>"$tmp/err"
rc=$?
if [[ $rc -eq 0 ]] && grep -q 'already open' "$tmp/err" && (( $(date +%s) - start < 10 )); then pass "a second desktop program says it is open and ends"; else fail "second desktop program (exit $rc)"; cat "$tmp/err"; fi
if wait_for_request "/b.html?handed" && wait_for_request "/a.html?second"; then pass "the open program opens the addresses handed over"; else fail "handed-over addresses not opened"; cat "$tmp/desk.out"; fi
"$bin" posts --data-dir "$d" >"$tmp/out"
rc=$?
if [[ $rc -eq 0 ]]; then pass "read-only commands run beside it"; else fail "posts beside the desktop program (exit $rc)"; fi

# A killed holder's lock is taken over at once.
kill -9 $desktop_pid; wait $desktop_pid 2>/dev/null; desktop_pid=
"$bin" watch --data-dir "$d" "$site/a.html" >"$tmp/out" 2>"$tmp/err"
rc=$?
check "watch after the desktop program was killed" "$site/a.html\\t8\\n" "$tmp/out"

# A data folder that cannot be locked for another reason than a holder: exit 1, with it.
printf 'x' >"$tmp/afile"
"$bin" watch --data-dir "$tmp/afile" "$site/a.html" >"$tmp/out" 2>"$tmp/err"
rc=$?
if [[ $rc -eq 1 ]] && grep -q 'Not a directory' "$tmp/err"; then pass "a file for a data folder: exit 1 with the reason"; else fail "a file for a data folder (exit $rc)"; cat "$tmp/err"; fi

# A list cut at its cap is never written back, so watch refuses rather than delete.
d=$tmp/full
mkdir -p "$d"
for i in $(seq 32768); do printf 'http://h/%d\r\n\r\n' "$i"; done >"$d/posts.txt"
cp "$d/posts.txt" "$tmp/posts.before"
"$bin" watch --data-dir "$d" "$site/b.html" >"$tmp/out" 2>"$tmp/err"
rc=$?
if [[ $rc -eq 1 ]] && grep -q 'not stored' "$tmp/err" && cmp -s "$tmp/posts.before" "$d/posts.txt"; then
    pass "a list cut at its cap is not written back"
else
    fail "cap with watch (exit $rc)"; cat "$tmp/err"
fi

finish
