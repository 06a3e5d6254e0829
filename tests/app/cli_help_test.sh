#!/usr/bin/env bash
# The command line's conventions through the real binary: help, version and wrong words,
# with their output streams and exit statuses. Usage: cli_help_test.sh BINARY VERSION
source "$(dirname "$0")/cli_common.sh"
version=$2

# run NAME WANT-STATUS WANT-STREAM(out|err) PATTERN ARGS...
# The pattern must be on the wanted stream and the other stream must stay empty.
run() {
    local name=$1 want=$2 stream=$3 pattern=$4
    shift 4
    "$bin" "$@" >"$tmp/out" 2>"$tmp/err" </dev/null
    local rc=$? other=err
    [[ $stream == err ]] && other=out
    if [[ $rc -eq $want ]] && grep -q -- "$pattern" "$tmp/$stream" && [[ ! -s $tmp/$other ]]; then
        pass "$name"
    else
        fail "$name (exit $rc)"; head -5 "$tmp/out" "$tmp/err"
    fi
}

run "--help: the overview on standard output" 0 out '^Usage: boardcast \[--data-dir DIR\] \[URL\.\.\.\]' --help
run "-h names every command" 0 out '^  forums' -h
run "check --help: the command's own help" 0 out '^  --notify' check --help
run "--help before the command" 0 out '^Usage: boardcast watch URL' --help watch
run "--version" 0 out "^Boardcast $version\$" --version
run "-v with a command" 0 out "^Boardcast $version\$" posts -v
run "unknown option: says which, exit 2" 2 err "^boardcast: Unknown option 'frob'\.\$" --frob
run "unknown option shows the usage" 2 err '^Usage: boardcast' check --frob
run "unknown command: exit 2" 2 err '^boardcast: Unknown command frob\.$' frob
run "an address of another scheme is refused" 2 err 'only http, https and file addresses' ftp://a/b
run "a bare file name is no address" 2 err 'Unknown command notes.html' notes.html
run "an option of another command" 2 err 'belongs to the check command' posts --notify

# Nothing was created by any of them: a wrong command line changes nothing.
if [[ ! -e $tmp/data ]]; then pass "no data folder made"; else fail "a data folder was made"; fi
finish
