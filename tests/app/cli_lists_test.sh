#!/usr/bin/env bash
# The headless list commands and the data files every start creates, through the real binary.
source "$(dirname "$0")/cli_common.sh"

# A first start in an empty folder creates the five files, two bytes each.
# Whatever the umask, the folder and every file in it are the user's alone.
d=$tmp/first
(umask 022 && "$bin" posts --data-dir "$d" >"$tmp/out" 2>"$tmp/err")
check "first start lists nothing" '' "$tmp/out"
for f in htmltemp.txt messages.txt posts.txt posts2.txt sizes.txt; do
    check "created $f" '\r\n' "$d/$f"
done
stat -c '%n %a' "$d" "$d"/*.txt | sed "s|$d|D|" >"$tmp/mode"
check "owner-only under umask 022" 'D 700\nD/htmltemp.txt 600\nD/messages.txt 600\nD/posts.txt 600\nD/posts2.txt 600\nD/sizes.txt 600\n' "$tmp/mode"

# The commands load Qt Core and Network, never the desktop's libraries.
for args in "posts --data-dir $d" "forums --data-dir $d" "--version" "convert --bare"; do
    # shellcheck disable=SC2086
    LD_DEBUG=files "$bin" $args </dev/null 2>"$tmp/ld" >/dev/null
    if grep -qE 'file=libQt6(Gui|Widgets|WebEngine)' "$tmp/ld"; then
        fail "$args loads $(grep -oE 'libQt6(Gui|Widgets|WebEngine)[A-Za-z]*' "$tmp/ld" | sort -u | tr '\n' ' ')"
    elif grep -q 'file=libQt6Core' "$tmp/ld"; then
        pass "$args loads no desktop library"
    else
        fail "$args: LD_DEBUG showed nothing"
    fi
done

# Without --data-dir the per-user data folder is used.
"$bin" forums >"$tmp/out" 2>"$tmp/err"
check "default folder" '\r\n' "$tmp/data/Boardcast/posts.txt"

# Watched posts with one size missing: it reads "not measured".
printf 'http://ann:secret@a/1\r\n\r\nhttp://b/2\r\n\r\n' >"$d/posts.txt"
printf '1500\r\n\r\n' >"$d/sizes.txt"
"$bin" posts --data-dir "$d" >"$tmp/out" 2>"$tmp/err"
check "posts with baselines, passwords hidden" 'http://ann:***@a/1\t1500\t\t\t\nhttp://b/2\tnot measured\t\t\t\n' "$tmp/out"

# Forums print their usernames, never a password.
printf 'http://f/1|alice|secret1\r\n\r\nhttp://f/2\r\n\r\nhttp://f/3|bob\r\n' >"$d/posts2.txt"
"$bin" forums --data-dir "$d" >"$tmp/out" 2>"$tmp/err"
check "forums with usernames" 'http://f/1\talice\nhttp://f/2\t\nhttp://f/3\tbob\n' "$tmp/out"
if grep -q secret "$tmp/out"; then fail "password printed"; else pass "no password printed"; fi

# A list file that cannot be read is an error with its name, and exit status 1.
rm "$d/sizes.txt" && mkdir "$d/sizes.txt"
"$bin" posts --data-dir "$d" >"$tmp/out" 2>"$tmp/err"
rc=$?
echo "$rc" >"$tmp/rc"
check "unreadable file exits 1" '1\n' "$tmp/rc"
if grep -q sizes.txt "$tmp/err"; then pass "error names sizes.txt"; else fail "error names sizes.txt"; fi

finish
