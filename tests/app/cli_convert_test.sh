#!/usr/bin/env bash
# The headless convert command, end to end through the real binary and real settings file.
set -u
bin=$1
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
export XDG_CONFIG_HOME=$tmp/config XDG_DATA_HOME=$tmp/data
failures=0
passes=0

# expect NAME EXPECTED-PRINTF-FORMAT INPUT-PRINTF-FORMAT ARGS...
expect() {
    local name=$1 want=$2 input=$3
    shift 3
    printf "$want" >"$tmp/want"
    printf "$input" | "$bin" convert "$@" >"$tmp/got" 2>"$tmp/err"
    local rc=$?
    if [[ $rc -ne 0 ]] || ! cmp -s "$tmp/want" "$tmp/got"; then
        echo "FAIL $name (exit $rc)"
        echo "  want: $(od -c "$tmp/want" | head -5)"
        echo "  got:  $(od -c "$tmp/got" | head -5)"
        cat "$tmp/err"
        failures=$((failures + 1))
    else
        echo "ok   $name"
        passes=$((passes + 1))
    fi
}

expect "html" "W <a href='http://a.com '>http://a.com </a>W\r\n\r\n" 'W http://a.com W' --format html
expect "bare" "W [url=http://a.com ]http://a.com [/url]W" 'W http://a.com W' --format ubb --bare
expect "unknown format converts nothing" 'W http://a.com W\r\n\r\n' 'W http://a.com W' --format nope
expect "default is text" 'a\nb\r\nc\r\n\r\n' 'a\nb\r\nc'
expect "bytes unchanged" '\001\377\000x\r\n\r\n' '\001\377\000x'
expect "empty input" '' '' --bare

# Templates and the remembered choice come from the settings the desktop program writes.
mkdir -p "$tmp/config/Boardcast"
cat >"$tmp/config/Boardcast/Boardcast.ini" <<'INI'
[data]
lastConvert=4
cust02Name=bb
cust02LinkOpen01=(
cust02LinkOpen02=|
cust02LinkClose01=)
cust02MailCall01=m:
INI
expect "remembered custom choice" 'x (m:a@b |a@b )y\r\n\r\n' 'x a@b y'
expect "named custom format" '(http://q |http://q )z' 'http://q z' --format bb --bare

"$bin" convert --format >/dev/null 2>&1 </dev/null
if [[ $? -ne 2 ]]; then echo "FAIL usage error should exit 2"; failures=$((failures + 1)); else passes=$((passes + 1)); fi

echo "$passes passed, $failures failed"
[[ $failures -eq 0 ]]
