#!/usr/bin/env bash
# alerts_with_notification_server.sh QUILLMOOR SAMPLES PICTURES
#
# The alerts with a real notification server (dunst) on a private session
# bus, under Xvfb and openbox, as a user meets them:
# - the sample set's failing and worn drives are told at once, one
#   notification per drive and reason, in Japanese with model and serial;
#   the hot drive once its temperature stayed high for two passes (F5 asks
#   for a pass);
# - choosing a notification brings the minimised window up;
# - a restart, with the state kept under XDG_STATE_HOME, tells nothing again.
# Saves alerts.png into PICTURES. Exit 0 when it holds, 1 otherwise; 77
# (skip) when a tool is missing outside CI.
set -u
PROGRAM=${1:?usage: alerts_with_notification_server.sh QUILLMOOR SAMPLES PICTURES}
SAMPLES=${2:?usage: alerts_with_notification_server.sh QUILLMOOR SAMPLES PICTURES}
PICTURES=${3:?usage: alerts_with_notification_server.sh QUILLMOOR SAMPLES PICTURES}
CAPTION="Quillmoor Ver1.2.0"

NAME=alerts_with_notification_server
. "$(dirname "$0")/display.sh"
require_tools Xvfb openbox dunst dunstctl dbus-run-session dbus-send xdotool xprop import jq

# The rest runs on a bus of its own, so that no desktop's server answers.
if [ -z "${QM_PRIVATE_BUS:-}" ]; then
  QM_PRIVATE_BUS=1 exec dbus-run-session -- bash "$0" "$@"
fi
start_display 1024x700

wait_for() { local n=$1; shift; for _ in $(seq "$n"); do "$@" && return 0; sleep 0.1; done; return 1; }
server_up() {
  dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
    org.freedesktop.DBus.NameHasOwner string:org.freedesktop.Notifications 2>/dev/null | grep -q 'boolean true'
}
# Every notification the server received, shown or not.
received() { echo $(($(dunstctl count displayed) + $(dunstctl count waiting) + $(dunstctl count history))); }
at_least() { [ "$(received)" -ge "$1" ]; }
shown() { [ -n "$(xdotool search --onlyvisible --name "^$CAPTION\$" 2>/dev/null)" ]; }
iconic() { xprop -id "$window" WM_STATE 2>/dev/null | grep -q Iconic; }

dunst >"$work/dunst.log" 2>&1 &
pids+=($!)
wait_for 100 server_up || fail "dunst did not take the notification service"

cp "$PROGRAM" "$work/quillmoor" || fail "cannot copy $PROGRAM"
start_program() {
  XDG_STATE_HOME=$work/state QT_QPA_PLATFORM=xcb "$work/quillmoor" --simulate "$SAMPLES" >>"$work/run.log" 2>&1 &
  program=$!
  pids+=($program)
  wait_for 100 shown || { cat "$work/run.log"; fail "the window did not appear"; }
  window=$(xdotool search --onlyvisible --name "^$CAPTION\$" | head -1)
}
pass() { xdotool windowactivate --sync "$window" 2>/dev/null; xdotool key --window "$window" F5; }

# Four reasons on the failing drive, two on the worn NVMe drive.
start_program
wait_for 150 at_least 6 || fail "the failing and worn drives were not told: $(received) notifications"
pass
wait_for 100 at_least 7 || fail "the hot drive was not told after a second pass: $(received) notifications"
sleep 1
[ "$(received)" -eq 7 ] || fail "expected 7 notifications, got $(received)"
import -window root "$PICTURES/alerts.png"

xdotool windowminimize "$window"
wait_for 30 iconic || fail "the window did not minimise"
dunstctl action 0 >/dev/null 2>&1 || fail "dunstctl could not choose a notification"
wait_for 50 bash -c "! xprop -id $window WM_STATE | grep -q Iconic" || fail "choosing a notification did not bring the window up"

dunstctl close-all
wait_for 30 bash -c '[ "$(dunstctl count displayed)" -eq 0 ]'
dunstctl history >"$work/history.json"
texts=$(jq -r '.data[0][] | select(.appname.data == "Quillmoor") | .summary.data + "|" + .body.data' "$work/history.json")
for expected in "QM-HD500B（シリアル番号 QMB05F19PX82）" "代替処理待ちセクタ数: 24" "QM-NV1000D（シリアル番号 QMD10N7H2204）" \
  "温度が高くなっています" "温度: 59 °C（注意の範囲）"; do
  grep -qF "$expected" <<<"$texts" || fail "no notification says \"$expected\": $texts"
done

# A restart knows what it told.
kill "$program"; wait "$program" 2>/dev/null
before=$(received)
start_program
pass
sleep 3
[ "$(received)" -eq "$before" ] || fail "the restart told old facts again: $(($(received) - before)) more"
[ -f "$work/state/quillmoor/alerts.ini" ] || fail "no alert state under XDG_STATE_HOME"
kill "$program"; wait "$program" 2>/dev/null
echo "$NAME: $before notifications, the window brought up by one, none again after a restart"
