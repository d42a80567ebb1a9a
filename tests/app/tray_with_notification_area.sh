#!/usr/bin/env bash
# tray_with_notification_area.sh QUILLMOOR SAMPLES PICTURES
#
# The temperature icons in a real notification area (Xvfb, openbox and
# trayer), with the icons switched on and the panel started after the
# program, as at log-on:
# - without a notification area a minimised window stays on the taskbar;
# - once the panel runs, the four drives with a temperature get their icons
#   within a minute; closing the window then hides it behind them;
# - a left click on an icon brings the window back; the right button opens
#   the one-item pop-up, whose item ends the program like the file menu's
#   (placement saved, icons removed).
# Saves tray-icons.png, tray-tooltip.png and tray-popup.png into PICTURES.
# Exit 0 when it holds, 1 otherwise; 77 (skip) when a tool is missing
# outside CI.
set -u
PROGRAM=${1:?usage: tray_with_notification_area.sh QUILLMOOR SAMPLES PICTURES}
SAMPLES=${2:?usage: tray_with_notification_area.sh QUILLMOOR SAMPLES PICTURES}
PICTURES=${3:?usage: tray_with_notification_area.sh QUILLMOOR SAMPLES PICTURES}
CAPTION="Quillmoor Ver1.2.0"

NAME=tray_with_notification_area
. "$(dirname "$0")/display.sh"
require_tools Xvfb openbox trayer xdotool xwininfo xprop import
start_display 1024x700
# The settings file lands beside the program: give it a folder of its own.
cp "$PROGRAM" "$work/quillmoor" || fail "cannot copy $PROGRAM"
ini=$work/Quillmoor.ini
printf '[SETTING]\r\nTASKICON=Y\r\nQM-HD1000A-QMA10H4K27Z1=/ /home\r\n' >"$ini"

# Waits up to $1 tenths of a second for the command after it to succeed.
wait_for() { local n=$1; shift; for _ in $(seq "$n"); do "$@" && return 0; sleep 0.1; done; return 1; }
shown() { [ -n "$(xdotool search --onlyvisible --name "^$CAPTION\$" 2>/dev/null)" ]; }
iconic() { xprop -id "$window" WM_STATE 2>/dev/null | grep -q Iconic; }
# The program's icons inside the panel, one "x y" (their centre) per line.
icons() { xwininfo -root -tree | sed -n 's/.*"quillmoor": ("quillmoor" "quillmoor")  \([0-9]*\)x\([0-9]*\)+[-0-9]*+[-0-9]*  +\([0-9]*\)+\([0-9]*\).*/\3 \4 \1 \2/p' |
  awk '{ print $1 + int($3 / 2), $2 + int($4 / 2) }'; }
four_icons() { [ "$(icons | wc -l)" -eq 4 ]; }
press() { xdotool mousemove "$1" "$2"; sleep 0.3; xdotool mousedown "$3"; sleep 0.1; xdotool mouseup "$3"; }
# The centre of the program's open pop-up menu (a short, wide window).
popup() {
  local id X Y WIDTH HEIGHT
  for id in $(xdotool search --onlyvisible --class quillmoor 2>/dev/null); do
    eval "$(xdotool getwindowgeometry --shell "$id")"
    if [ "$HEIGHT" -lt 40 ] && [ "$WIDTH" -gt 50 ]; then echo "$((X + WIDTH / 2)) $((Y + HEIGHT / 2))"; return 0; fi
  done
  return 1
}

QT_QPA_PLATFORM=xcb "$work/quillmoor" --simulate "$SAMPLES" >"$work/run.log" 2>&1 &
program=$!
pids+=($program)
wait_for 100 shown || { cat "$work/run.log"; fail "the window did not appear"; }
window=$(xdotool search --onlyvisible --name "^$CAPTION\$" | head -1)

# No notification area yet: minimising leaves the window on the taskbar.
xdotool windowminimize "$window"
wait_for 30 iconic || fail "the window did not minimise"
sleep 1
iconic || fail "without a notification area the minimised window left the taskbar"
xdotool windowactivate "$window" 2>/dev/null
wait_for 30 shown || fail "the window did not come back from the taskbar"

# The panel starts; the minute pass adds the icons.
trayer --edge bottom --align right --widthtype request --height 24 --SetDockType true \
  --transparent false --tint 0xd0d0d0 >"$work/trayer.log" 2>&1 &
pids+=($!)
started=$(date +%s)
wait_for 700 four_icons || fail "no four icons within 70 seconds of the panel's start"
echo "icons appeared $(($(date +%s) - started)) s after the panel started"
sleep 0.5
import -window root "$PICTURES/tray-icons.png"

# Closing now hides the window behind the icons; the program runs on.
xdotool windowactivate --sync "$window" 2>/dev/null
xdotool key alt+F4  # through the window manager, as a user would
wait_for 30 bash -c '! xdotool search --onlyvisible --name "^'"$CAPTION"'\$" >/dev/null' || fail "closing did not hide the window"
kill -0 "$program" 2>/dev/null || fail "closing ended the program although icons are shown"

read -r x y < <(icons | sort -n | tail -1)
xdotool mousemove "$x" "$y"
sleep 3
import -window root "$PICTURES/tray-tooltip.png"
xdotool mousemove 500 300
sleep 1

press "$x" "$y" 1
wait_for 30 shown || fail "a left click on an icon did not bring the window back"

# Again and again, hidden by closing and by minimising: it always comes back.
for round in 1 2 3 4; do
  xdotool windowactivate --sync "$window" 2>/dev/null
  if [ $((round % 2)) = 1 ]; then xdotool key alt+F4; else xdotool windowminimize "$window"; fi
  wait_for 30 bash -c '! xdotool search --onlyvisible --name "^'"$CAPTION"'\$" >/dev/null' || fail "round $round did not hide the window"
  sleep 0.5
  xdotool mousemove 500 300
  press "$x" "$y" 1
  wait_for 30 shown || fail "round $round: a left click on an icon did not bring the window back"
done

read -r x y < <(icons | sort -n | head -1)
press "$x" "$y" 3
wait_for 30 popup || fail "the right button opened no pop-up menu"
sleep 0.5
import -window root "$PICTURES/tray-popup.png"
read -r x y < <(popup)
press "$x" "$y" 1
wait_for 50 bash -c "! kill -0 $program 2>/dev/null" || fail "the pop-up's item did not end the program"
[ "$(icons | wc -l)" -eq 0 ] || fail "icons remain after the exit"
grep -q '^HEIGHT=' "$ini" || fail "the exit did not save the placement"
echo "tray_with_notification_area: late icons, hiding, click, pop-up and exit work"
