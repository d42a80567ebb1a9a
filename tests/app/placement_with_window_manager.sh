#!/usr/bin/env bash
# placement_with_window_manager.sh QUILLMOOR SAMPLES
#
# The stored placement under a real window manager (Xvfb with openbox): the
# first start stores the frame the window manager gave the window (not 0,0
# and not the bare client size), and that placement comes back unchanged
# through restarts, also when the program is ended without a close (TERM).
# Exit 0 when it holds, 1 otherwise; 77 (skip) when Xvfb or openbox are
# missing outside CI.
set -u
PROGRAM=${1:?usage: placement_with_window_manager.sh QUILLMOOR SAMPLES}
SAMPLES=${2:?usage: placement_with_window_manager.sh QUILLMOOR SAMPLES}

fail() { echo "placement_with_window_manager: FAILED: $*"; exit 1; }
. "$(dirname "$0")/x_display.sh"
need_tools placement_with_window_manager Xvfb openbox
start_display 1280x800
# The settings file lands beside the program: give it a folder of its own.
cp "$PROGRAM" "$work/quillmoor" || fail "cannot copy $PROGRAM"
ini=$work/Quillmoor.ini

value() { sed -n "s/^$1=\([-0-9]*\)\r*$/\1/p" "$ini"; }

# Starts the program, waits until the window stores a placement (and a
# moment longer), then ends it with TERM as a session end or kill would.
run_once() {
  QT_QPA_PLATFORM=xcb "$work/quillmoor" --simulate "$SAMPLES" >"$work/run.log" 2>&1 &
  local pid=$!
  for _ in $(seq 100); do grep -q '^HEIGHT=' "$ini" 2>/dev/null && break; sleep 0.1; done
  sleep 1
  kill -TERM "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null
  grep -q '^HEIGHT=' "$ini" || { cat "$work/run.log"; fail "no placement was stored"; }
}

run_once
cp "$ini" "$work/first.ini"
left=$(value LEFT); top=$(value TOP); width=$(value WIDTH); height=$(value HEIGHT)
echo "first start stored LEFT=$left TOP=$top WIDTH=$width HEIGHT=$height (twips)"
# openbox places a new window away from the corner and gives it a frame:
# the frame is wider and higher than the designed client area (786 x 412
# pixels plus the menu bar).
[ "$left" != 0 ] || [ "$top" != 0 ] || fail "the stored position is 0,0, not where the window manager put the window"
[ "$width" -gt $((786 * 15)) ] || fail "the stored width $width is not the framed window's"
[ "$height" -gt $((430 * 15)) ] || fail "the stored height $height is not the framed window's"

for round in 2 3; do
  run_once
  diff "$work/first.ini" "$ini" >/dev/null || { diff "$work/first.ini" "$ini"; fail "start $round moved or resized the window"; }
done
echo "placement_with_window_manager: the framed placement is stored and comes back unchanged"
