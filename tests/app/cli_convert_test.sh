#!/usr/bin/env bash
# The headless convert command, end to end through the real binary and real settings file.
source "$(dirname "$0")/cli_common.sh"

# expect NAME EXPECTED-PRINTF-FORMAT INPUT-PRINTF-FORMAT ARGS...
expect() {
    local name=$1 want=$2 input=$3
    shift 3
    printf "$input" | "$bin" convert "$@" >"$tmp/got" 2>"$tmp/err"
    local rc=$?
    [[ $rc -eq 0 ]] || { cat "$tmp/err"; echo "exit $rc" >>"$tmp/got"; }
    check "$name" "$want" "$tmp/got"
}

expect "html" "W <a href='http://a.com'>http://a.com</a> W\r\n\r\n" 'W http://a.com W' --format html
expect "bare" "W [url=http://a.com]http://a.com[/url] W" 'W http://a.com W' --format ubb --bare
expect "LF line ends keep the break" "Visit [url=http://a.com]http://a.com[/url]\nnext" 'Visit http://a.com\nnext' --format ubb --bare
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
expect "remembered custom choice" 'x (m:a@b.c|a@b.c) y\r\n\r\n' 'x a@b.c y'
expect "named custom format" '(http://q|http://q) z' 'http://q z' --format bb --bare
# The remembered choice by name wins over its index while the name is listed.
printf '[data]\nlastConvert=4\nlastConvertName=html\ncust02Name=bb\n' >"$tmp/config/Boardcast/Boardcast.ini"
expect "remembered name" "<a href='http://q'>http://q</a>" 'http://q' --bare

"$bin" convert --format >/dev/null 2>&1 </dev/null
if [[ $? -eq 2 ]]; then pass "usage error exits 2"; else fail "usage error exits 2"; fi

finish
