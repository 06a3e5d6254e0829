# Shared by the command-line tests: a private folder for settings and data, and byte-exact
# checks that count passes and failures. Source it with the binary as $1.
set -u
bin=$1
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
export XDG_CONFIG_HOME=$tmp/config XDG_DATA_HOME=$tmp/data
passes=0
failures=0

pass() { echo "ok   $1"; passes=$((passes + 1)); }
fail() { echo "FAIL $1"; failures=$((failures + 1)); }

# check NAME WANT-PRINTF-FORMAT GOT-FILE
check() {
    printf "$2" >"$tmp/want"
    if cmp -s "$tmp/want" "$3"; then
        pass "$1"
    else
        fail "$1"
        echo "  want: $(od -c "$tmp/want" | head -5)"
        echo "  got:  $(od -c "$3" | head -5)"
    fi
}

finish() {
    echo "$passes passed, $failures failed"
    [[ $failures -eq 0 ]]
}
