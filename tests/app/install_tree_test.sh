#!/usr/bin/env bash
# The install tree: `cmake --install` into a scratch prefix (and staged with DESTDIR), then
# the desktop's own validators, the man page rendered, and every file where the desktop
# entry and the metadata say it is. Usage: install_tree_test.sh BUILD-FOLDER APP-ID
source "$(dirname "$0")/cli_common.sh" /dev/null
build=$1
app_id=$2
prefix=$tmp/prefix

if cmake --install "$build" --prefix "$prefix" >"$tmp/install.log" 2>&1; then pass "cmake --install"; else fail "cmake --install"; cat "$tmp/install.log"; fi
installed=$prefix/bin/boardcast
if [[ -x $installed ]] && "$installed" --version | grep -q '^Boardcast '; then pass "installed program runs"; else fail "installed program"; fi

# The installed program starts the desktop program from its own folder, out of PATH: the
# process that holds the data folder as "desktop" is the one started as boardcast.
if [[ -x $prefix/libexec/boardcast/boardcast-desktop && ! -e $prefix/bin/boardcast-desktop ]]; then
    pass "desktop program in libexec/boardcast"
else
    fail "desktop program not in libexec/boardcast"
fi
QT_QPA_PLATFORM=offscreen QTWEBENGINE_DISABLE_SANDBOX=1 "$installed" --data-dir "$tmp/desk" \
    >"$tmp/desk.log" 2>&1 &
desk=$!
for _ in $(seq 100); do
    [[ -s $tmp/desk/.lock ]] && break
    sleep 0.1
done
if [[ $(cat "$tmp/desk/.lock" 2>/dev/null) == "desktop $desk" && $(cat /proc/$desk/comm) == boardcast-deskt* ]]; then
    pass "boardcast with no command starts the desktop program"
else
    fail "desktop start: lock '$(cat "$tmp/desk/.lock" 2>/dev/null)', $(cat "$tmp/desk.log")"
fi
kill "$desk" 2>/dev/null
wait "$desk" 2>/dev/null

# Desktop entry: valid (hints allowed), and it starts what was installed with %U.
entry=$prefix/share/applications/$app_id.desktop
desktop-file-validate "$entry" >"$tmp/v" 2>&1
if [[ $? -eq 0 ]] && ! grep -qE 'error|warning' "$tmp/v"; then pass "desktop-file-validate"; else fail "desktop-file-validate"; cat "$tmp/v"; fi
key() { sed -n "s/^$1=//p" "$entry" | head -1; }
exec_line=$(key Exec)
if [[ -x $prefix/bin/${exec_line%% *} && $exec_line == *' %U' && -x $prefix/bin/$(key TryExec) ]]; then
    pass "Exec and TryExec name the installed program"
else
    fail "Exec=$exec_line"
fi
for category in Network Utility; do
    if key Categories | tr ';' '\n' | grep -qx "$category"; then pass "category $category"; else fail "category $category"; fi
done

# Icons: the name the entry gives, at each size in the folder of its size, and scalable.
icon=$(key Icon)
sizes=0
for png in "$prefix"/share/icons/hicolor/*x*/apps/"$icon".png; do
    side=${png#"$prefix"/share/icons/hicolor/}; side=${side%%x*}
    # PNG width and height, big-endian, at bytes 16 to 23.
    read -r w h < <(od -An -tu1 -j16 -N8 "$png" | awk '{print $1*16777216+$2*65536+$3*256+$4, $5*16777216+$6*65536+$7*256+$8}')
    if [[ $w == "$side" && $h == "$side" ]]; then sizes=$((sizes + 1)); else fail "$png is ${w}x$h"; fi
done
if [[ $icon == "$app_id" && $sizes -ge 6 ]]; then pass "icon $icon at $sizes sizes"; else fail "icon $icon at $sizes sizes"; fi
svg=$prefix/share/icons/hicolor/scalable/apps/$icon.svg
if grep -q '<svg' "$svg" 2>/dev/null; then pass "scalable icon"; else fail "scalable icon"; fi

# AppStream metadata: valid, with the id, the launchable and the binary that are installed.
meta=$prefix/share/metainfo/$app_id.metainfo.xml
if appstreamcli validate --no-net "$meta" >"$tmp/v" 2>&1; then pass "appstreamcli validate"; else fail "appstreamcli validate"; cat "$tmp/v"; fi
tag() { sed -n "s|.*<$1[^>]*>\\(.*\\)</$1>.*|\\1|p" "$meta" | head -1; }
if [[ $(tag id) == "$app_id" && -f $prefix/share/applications/$(tag launchable) && -x $prefix/bin/$(tag binary) ]]; then
    pass "metadata names the installed entry and program"
else
    fail "metadata: id $(tag id), launchable $(tag launchable), binary $(tag binary)"
fi
if grep -q '<screenshot type="default">' "$meta" && [[ -n $(tag image) ]]; then pass "metadata has a screenshot"; else fail "no screenshot"; fi

# Man page: renders without warnings, and names every command and option the program has.
page=$prefix/share/man/man1/boardcast.1.gz
MANWIDTH=80 man --warnings -l "$page" >"$tmp/man.txt" 2>"$tmp/man.err"
if [[ -s $tmp/man.txt && ! -s $tmp/man.err ]]; then pass "man -l renders"; else fail "man -l"; cat "$tmp/man.err"; fi
for section in NAME SYNOPSIS COMMANDS OPTIONS 'EXIT STATUS' FILES ENVIRONMENT; do
    grep -q "^$section" "$tmp/man.txt" || fail "man page has no $section"
done
missing=
for command in "" convert watch check posts forums; do
    words=$("$installed" $command --help | grep -oE -- '(^  [a-z]+ |--[a-z-]+)' | sed 's/^ *//; s/ $//' | sort -u)
    for word in $words; do grep -qF -- "$word" "$tmp/man.txt" || missing+=" $word"; done
done
for status in 0 1 2 3 4; do grep -qE "^ +$status( |$)" "$tmp/man.txt" || missing+=" status-$status"; done
if [[ -z $missing ]]; then pass "man page covers every command, option and exit status"; else fail "man page lacks:$missing"; fi

for unit in boardcast-check.service boardcast-check.timer; do
    [[ -f $prefix/share/doc/boardcast/examples/$unit ]] || fail "example $unit not installed"
done
pass "example systemd units installed"

# Staged for packaging: everything lands below DESTDIR.
DESTDIR=$tmp/stage cmake --install "$build" --prefix /usr/local >/dev/null 2>&1
if [[ -x $tmp/stage/usr/local/bin/boardcast && -f $tmp/stage/usr/local/share/applications/$app_id.desktop ]]; then
    pass "DESTDIR honoured"
else
    fail "DESTDIR"
fi
finish
