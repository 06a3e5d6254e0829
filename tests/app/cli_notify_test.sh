#!/usr/bin/env bash
# check --notify through the real binary: one notification naming the posts with new
# replies, sent to a notification service of our own on a private session bus; none when
# nothing is new; a clear word on standard error when there is no bus.
# Usage: cli_notify_test.sh BINARY FAKE-NOTIFICATIONS
source "$(dirname "$0")/cli_common.sh"
source "$(dirname "$0")/loopback_nginx.sh"
fake=$2

www=$tmp/www
mkdir -p "$www"
for page in a b; do head -c 1000 /dev/zero | tr '\0' 'a' >"$www/$page.html"; done
trap 'stop_loopback_nginx; rm -rf "$tmp"' EXIT
start_loopback_nginx "$tmp/nginx" "$www" || { echo "nginx did not start"; exit 1; }
site=http://127.0.0.1:$nginx_port

d=$tmp/data-dir
"$bin" watch --data-dir "$d" "$site/a.html?x=1&y=2" >/dev/null 2>&1
"$bin" watch --data-dir "$d" "$site/b.html" >/dev/null 2>&1

# A private session bus that starts no services of its own, so that no notification
# daemon installed on this machine stands in for ours.
cat >"$tmp/bus.conf" <<CONF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:tmpdir=$tmp</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
CONF
bus() { dbus-run-session --config-file="$tmp/bus.conf" -- "$@"; }

# check_on_bus LOG [fake options]: runs check --notify on a private bus with the fake
# service; its output in $tmp/out and $tmp/err, its status in $tmp/rc.
check_on_bus() {
    local log=$1
    shift
    rm -f "$log" "$tmp/ready"
    bus bash -c '
        "$1" "$2" "$3" "${@:7}" & fake=$!
        for _ in $(seq 100); do [[ -e $3 ]] && break; sleep 0.05; done
        "$4" check --notify --data-dir "$5" >"$6/out" 2>"$6/err"
        echo $? >"$6/rc"
        kill $fake' _ "$fake" "$log" "$tmp/ready" "$bin" "$d" "$tmp" "$@"
}

# Nothing new: no notification at all, though the service was there to take one.
check_on_bus "$tmp/none.log"
if [[ $(cat "$tmp/rc") == 0 && -e $tmp/ready && ! -e $tmp/none.log ]]; then pass "no new replies, no notification"; else fail "no new replies (exit $(cat "$tmp/rc"))"; cat "$tmp/none.log" "$tmp/err"; fi

# Both grow by more than 500 bytes: one notification names both, in list order.
for page in a b; do head -c 600 /dev/zero | tr '\0' 'b' >>"$www/$page.html"; done
check_on_bus "$tmp/markup.log"
check "results still printed" "$site/a.html?x=1&y=2\\t+600 bytes\\t\\n$site/b.html\\t+600 bytes\\t\\n" "$tmp/out"
printf '%s\n' "app_name=Boardcast" "replaces_id=0" "app_icon=example.quillfen.Boardcast" \
    "summary=New replies in 2 threads" "body=$site/a.html?x=1&amp;y=2 (+600 bytes)\\n$site/b.html (+600 bytes)" \
    "actions=" "hint category=network" "hint desktop-entry=example.quillfen.Boardcast" \
    "expire_timeout=-1" "end" >"$tmp/want.log"
if cmp -s "$tmp/want.log" "$tmp/markup.log"; then pass "one notification naming both posts"; else fail "notification"; diff "$tmp/want.log" "$tmp/markup.log"; cat "$tmp/err"; fi

# A service that does not read markup gets the address as it is.
check_on_bus "$tmp/plain.log" --no-markup
if grep -qxF "body=$site/a.html?x=1&y=2 (+600 bytes)\\n$site/b.html (+600 bytes)" "$tmp/plain.log"; then pass "plain body for a service without markup"; else fail "plain body"; cat "$tmp/plain.log"; fi

# No session bus: the results are printed, the status is the check's, and it says why.
DBUS_SESSION_BUS_ADDRESS=unix:path=$tmp/no-bus DISPLAY= "$bin" check --notify --data-dir "$d" \
    >"$tmp/out" 2>"$tmp/err"
rc=$?
if [[ $rc -eq 0 ]] && grep -q 'no desktop session bus' "$tmp/err" && [[ $(wc -l <"$tmp/out") -eq 2 ]]; then
    pass "without a bus: says so, still prints, exit 0"
else
    fail "without a bus (exit $rc)"; cat "$tmp/err"
fi

# A bus without a notification service: the same, with the service's reason.
bus "$bin" check --notify --data-dir "$d" >"$tmp/out" 2>"$tmp/err"
rc=$?
if [[ $rc -eq 0 ]] && grep -q 'did not show the notification' "$tmp/err" && [[ $(wc -l <"$tmp/out") -eq 2 ]]; then
    pass "without a service: says so, still prints"
else
    fail "without a service (exit $rc)"; cat "$tmp/err"
fi
finish
