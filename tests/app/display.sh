# Sourced by the window's end-to-end checks: a virtual display (Xvfb) with a
# window manager (openbox), a temporary folder $work, and clean-up at exit.
# The sourcing script sets NAME first.

fail() { echo "$NAME: FAILED: $*"; exit 1; }

# Exits 77 (skip) when a tool is missing, except in CI, where that fails.
require_tools() {
  for tool in "$@"; do
    if ! command -v "$tool" >/dev/null; then
      [ -n "${CI:-}" ] && fail "$tool is not installed"
      echo "$NAME: SKIPPED: $tool is not installed"; exit 77
    fi
  done
}

# Makes $work and starts Xvfb (of the size given, 1280x800 by default) and
# openbox; DISPLAY is set afterwards. The processes started (listed in pids)
# end and $work goes when the script ends.
start_display() {
  work=$(mktemp -d "${TMPDIR:-/tmp}/qm-$NAME.XXXXXX") || fail "no temporary folder"
  pids=()
  trap 'kill "${pids[@]}" 2>/dev/null; wait 2>/dev/null; rm -rf "$work"' EXIT
  exec 3>"$work/display"
  Xvfb -displayfd 3 -screen 0 "${1:-1280x800}x24" -nolisten tcp >"$work/xvfb.log" 2>&1 &
  pids+=($!)
  for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
  [ -s "$work/display" ] || fail "Xvfb did not start"
  export DISPLAY=:$(cat "$work/display")
  openbox >"$work/openbox.log" 2>&1 &
  pids+=($!)
  sleep 1
}
