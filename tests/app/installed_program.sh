#!/usr/bin/env bash
# installed_program.sh BUILD SAMPLES
#
# `cmake --install` into a temporary prefix, then the installation moved to
# another prefix: the files are where the desktop looks for them, and the
# moved program starts (Xvfb with openbox), keeps its settings in
# $XDG_CONFIG_HOME/quillmoor/ (this test runs as whoever runs CTest, root in
# CI), writes nothing into its installation, and hands its own help file and
# pages to the desktop's opener when their menu items are chosen.
# Exit 0 when it holds, 1 otherwise; 77 (skip) when a tool is missing
# outside CI.
set -u
BUILD=${1:?usage: installed_program.sh BUILD SAMPLES}
SAMPLES=${2:?usage: installed_program.sh BUILD SAMPLES}

NAME=installed_program
. "$(dirname "$0")/display.sh"
require_tools Xvfb openbox xdotool desktop-file-validate python3
start_display

# Install, check the desktop's files, then move the whole installation.
cmake --install "$BUILD" --prefix "$work/first prefix" >"$work/install.log" 2>&1 || { cat "$work/install.log"; fail "cmake --install"; }
first="$work/first prefix"
for file in bin/quillmoor bin/quillmoor-report share/quillmoor/ヘルプ.txt share/quillmoor/site/index.htm \
            share/quillmoor/site/quillmoor/hddmaxvalue.htm share/applications/quillmoor.desktop \
            share/icons/hicolor/32x32/apps/quillmoor.png share/man/man1/quillmoor-report.1; do
  [ -s "$first/$file" ] || fail "$file is not installed"
done
desktop-file-validate "$first/share/applications/quillmoor.desktop" || fail "the desktop entry is not valid"
python3 - "$first/share/icons/hicolor/32x32/apps/quillmoor.png" <<'PY' || fail "the icon is not a 32 x 32 PNG"
import struct, sys
data = open(sys.argv[1], 'rb').read(24)
assert data[:8] == b'\x89PNG\r\n\x1a\n' and struct.unpack('>II', data[16:24]) == (32, 32)
PY
"$first/bin/quillmoor-report" --simulate "$SAMPLES" --slot 0 | grep -q 'QM-HD1000A' || fail "quillmoor-report does not run"
prefix="$work/moved/prefix"
mkdir -p "$work/moved" && mv "$first" "$prefix" || fail "cannot move the installation"
touch "$work/installed"

# A desktop opener that records what it is given and whether that file exists.
mkdir -p "$work/path"
cat >"$work/path/xdg-open" <<'SH'
#!/bin/sh
python3 -c '
import sys, urllib.parse
url = sys.argv[1]
path = urllib.parse.unquote(url[len("file://"):]) if url.startswith("file://") else ""
import os
print(url if not path else ("exists " if os.path.isfile(path) else "missing ") + path)
' "$1" >>"$OPENED"
SH
chmod +x "$work/path/xdg-open"
export OPENED="$work/opened"
: >"$OPENED"

ini="$work/config/quillmoor/Quillmoor.ini"
XDG_CONFIG_HOME="$work/config" PATH="$work/path:$PATH" QT_QPA_PLATFORM=xcb \
  "$prefix/bin/quillmoor" --simulate "$SAMPLES" >"$work/run.log" 2>&1 &
program=$!
pids+=($program)
for _ in $(seq 100); do grep -q '^HEIGHT=' "$ini" 2>/dev/null && break; sleep 0.1; done
grep -q '^HEIGHT=' "$ini" || { cat "$work/run.log"; fail "no settings in \$XDG_CONFIG_HOME/quillmoor"; }

# The menus by their keys: ヘルプ → ヘルプ, ヘルプ → 作者ホームページ, and
# 表示 → メーカー別属性最大値の確認 (the menu's last item).
window=$(xdotool search --sync --onlyvisible --pid "$program" | head -n 1)
[ -n "$window" ] || fail "no window"
xdotool windowactivate --sync "$window" 2>/dev/null || xdotool windowfocus --sync "$window"
keys() { xdotool key --clearmodifiers "$@"; sleep 0.7; }
keys alt+h; keys h
keys alt+h; keys w
keys alt+v; keys Up; keys Return
for _ in $(seq 50); do [ "$(wc -l <"$OPENED")" -ge 3 ] && break; sleep 0.1; done
expected="exists $prefix/share/quillmoor/ヘルプ.txt
exists $prefix/share/quillmoor/site/index.htm
exists $prefix/share/quillmoor/site/quillmoor/hddmaxvalue.htm"
[ "$(cat "$OPENED")" = "$expected" ] || { echo "opened:"; cat "$OPENED"; fail "the help file and the pages were not handed over"; }

kill -TERM "$program"; wait "$program" 2>/dev/null
written=$(find "$prefix" -newer "$work/installed" -print)
[ -z "$written" ] || fail "the program wrote into its installation: $written"
echo "installed_program: installed, moved, started; settings in \$XDG_CONFIG_HOME/quillmoor; help and pages found"
