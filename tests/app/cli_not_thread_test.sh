#!/usr/bin/env bash
# Pages that stand where a thread should, through the real binary against nginx on
# 127.0.0.1: an error status, a bot challenge, an engine's login or missing-thread notice.
# watch exits 1 and says why (the address stays on the list, not measured); check exits 3
# and names each with its reason.
source "$(dirname "$0")/cli_common.sh"
source "$(dirname "$0")/loopback_nginx.sh"

data=$(cd "$(dirname "$0")/../data/forums" && pwd)
www=$tmp/www
mkdir -p "$www"
cp "$data/challenge/cloudscraper-js-challenge-2020.html" "$www/cf.html"
cp "$data/mybb/members-only.html" "$www/members.html"
cp "$data/mybb/missing.html" "$www/missing.html"
nginx_extra='
        location = /cf-header { add_header cf-mitigated challenge always; return 403 "<title>x</title>"; }
        location = /cf-page { error_page 503 /cf.html; return 503; }
        location = /busy { return 429 "slow down"; }
        location = /down { return 503 "<h1>Back soon</h1>"; }'
trap 'stop_loopback_nginx; rm -rf "$tmp"' EXIT
start_loopback_nginx "$tmp/nginx" "$www" || { echo "nginx did not start"; exit 1; }
site=http://127.0.0.1:$nginx_port

bot="the forum's bot protection stopped the check; open the thread in the browser"
cases=(
    "/cf-header|$bot"
    "/cf-page|$bot"
    "/busy|the forum answered 429 Too Many Requests"
    "/gone|the forum answered 404 Not Found"
    "/down|the forum answered 503 Service Temporarily Unavailable"
    "/members.html|the forum shows this thread only to members who are logged in; log in to 127.0.0.1:$nginx_port in the browser again"
    "/missing.html|the forum says this thread does not exist"
)
d=$tmp/data-dir
for c in "${cases[@]}"; do
    path=${c%%|*} reason=${c#*|}
    "$bin" watch --data-dir "$d" "$site$path" >"$tmp/out" 2>"$tmp/err"
    rc=$?
    if [[ $rc -eq 1 ]] && grep -qxF "boardcast: $site$path was added but could not be measured: $reason" "$tmp/err" && [[ ! -s $tmp/out ]]; then
        pass "watch $path exits 1: $reason"
    else
        fail "watch $path (exit $rc)"; cat "$tmp/err"
    fi
done
"$bin" check --data-dir "$d" >"$tmp/out" 2>"$tmp/err"
rc=$?
if [[ $rc -eq 3 ]] && grep -q '^finished - 0 new replies found (7 could not be checked)$' "$tmp/err"; then pass "check exits 3"; else fail "check (exit $rc)"; cat "$tmp/err"; fi
check "no thread is listed with replies" '' "$tmp/out"
for c in "${cases[@]}"; do
    path=${c%%|*} reason=${c#*|}
    grep -qxF "boardcast: could not check $site$path: $reason" "$tmp/err" && pass "check names $path" || fail "check names $path"
done
finish
