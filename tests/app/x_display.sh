# Sourced by the display checks: a throw-away X display (Xvfb) with a window
# manager (openbox) and a temporary folder, both taken down on exit.
#   need_tools NAME TOOL...   skip (exit 77) when a tool is missing, fail in CI
#   start_display SIZE        Xvfb of SIZE (e.g. 1280x800) and openbox; sets
#                             DISPLAY, $work (the temporary folder) and $pids
# The caller defines fail() before sourcing.

need_tools() {
  local name=$1 tool
  shift
  for tool in "$@"; do
    if ! command -v "$tool" >/dev/null; then
      [ -n "${CI:-}" ] && fail "$tool is not installed"
      echo "$name: SKIPPED: $tool is not installed"; exit 77
    fi
  done
}

start_display() {
  work=$(mktemp -d "${TMPDIR:-/tmp}/qm-display.XXXXXX") || fail "no temporary folder"
  pids=()
  trap 'kill "${pids[@]}" 2>/dev/null; wait 2>/dev/null; rm -rf "$work"' EXIT
  exec 3>"$work/display"
  Xvfb -displayfd 3 -screen 0 "$1x24" -nolisten tcp >"$work/xvfb.log" 2>&1 &
  pids+=($!)
  local _
  for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
  [ -s "$work/display" ] || fail "Xvfb did not start"
  export DISPLAY=:$(cat "$work/display")
  openbox >"$work/openbox.log" 2>&1 &
  pids+=($!)
  sleep 1
}
