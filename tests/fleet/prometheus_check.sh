#!/usr/bin/env bash
# The fleet outputs with the real parts: `cmake --install` into a temporary
# prefix puts the service, the timer and the rules in place; promtool accepts
# the metrics of the sample set, the installed rules and their unit tests;
# systemd-analyze accepts the installed units; Debian's node_exporter serves the textfile the
# report wrote, and a real Prometheus scraping it answers, for every sample
# drive with a temperature, the temperature the text report printed.
# Everything it starts listens on 127.0.0.1 only, on free ports, and is
# stopped by it; every wait is bounded.
#   prometheus_check.sh REPORT SOURCE_ROOT BUILD_DIR
set -euo pipefail
report=$1
root=$2
build=$3
started=$(date +%s%N)
for tool in promtool prometheus prometheus-node-exporter systemd-analyze python3 jq; do
  command -v "$tool" >/dev/null 2>&1 || { echo "prometheus_check: $tool is missing (scripts/setup.sh installs it)"; exit 1; }
done

work=$(mktemp -d)
pids=()
# Stops a process this check started: TERM, up to 5 s, then KILL.
stop() {
  local pid=$1 i
  kill -TERM "$pid" 2>/dev/null || return 0
  for i in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  kill -KILL "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
}
cleanup() {
  local pid
  for pid in "${pids[@]}"; do stop "$pid"; done
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "prometheus_check: $*"
  for log in "$work"/*.log; do [ -f "$log" ] && { echo "--- $(basename "$log")"; tail -n 20 "$log"; }; done
  exit 1
}

# GET of a local address; the body on standard output, nothing on failure.
get() {
  python3 - "$1" <<'EOF' 2>/dev/null
import sys, urllib.request
print(urllib.request.urlopen(sys.argv[1], timeout=2).read().decode())
EOF
}

# Two free TCP ports on the loopback address.
read -r node_port prom_port < <(python3 - <<'EOF'
import socket
sockets = [socket.socket() for _ in range(2)]
for s in sockets:
    s.bind(("127.0.0.1", 0))
print(*(s.getsockname()[1] for s in sockets))
for s in sockets:
    s.close()
EOF
)

# --- the files, installed and checked by the tools of their formats
cmake --install "$build" --prefix "$work/prefix" >"$work/install.log" 2>&1 || fail "cmake --install failed"
units=$work/prefix/lib/systemd/system
rules_file=$work/prefix/share/quillmoor/prometheus/quillmoor.rules.yml
for file in "$units/quillmoor-report.service" "$units/quillmoor-report.timer" "$rules_file"; do
  [ -f "$file" ] || fail "cmake --install did not install $file"
done
grep -qx "ExecStart=$work/prefix/bin/quillmoor-report --textfile /var/lib/prometheus/node-exporter" \
  "$units/quillmoor-report.service" || fail "the installed service does not start the installed program"
rm -f "$work/install.log"
mkdir "$work/textfile"
"$report" --simulate "$root/samples" --textfile "$work/textfile" || fail "quillmoor-report --textfile failed"
promtool check metrics <"$work/textfile/quillmoor.prom" >"$work/promtool.log" 2>&1 ||
  fail "promtool check metrics refuses the report's metrics: $(cat "$work/promtool.log")"
promtool check rules "$rules_file" >"$work/promtool.log" 2>&1 ||
  fail "promtool check rules refuses the rules: $(cat "$work/promtool.log")"
promtool test rules "$root/tests/fleet/rules_test.yml" >"$work/promtool.log" 2>&1 ||
  fail "the rules' unit tests fail: $(cat "$work/promtool.log")"
verify=$(systemd-analyze verify --man=no "$units/quillmoor-report.service" "$units/quillmoor-report.timer" 2>&1) &&
  [ -z "$verify" ] || fail "systemd-analyze verify: $verify"
rm -f "$work/promtool.log"

# --- what the text report says: device -> temperature
declare -A want
while IFS=$'\t' read -r slot temperature; do
  want["sim$slot"]=$temperature
done < <("$report" --simulate "$root/samples" | LC_ALL=C.UTF-8 awk -F '\t' '
  /^== slot / { split($0, f, " "); slot = f[3]; next }
  $1 == "現在の温度" && $2 != "--" { print slot "\t" $2 }')
[ "${#want[@]}" -ge 1 ] || fail "the text report shows no temperature"

# --- node_exporter serving the folder, Prometheus scraping it
prometheus-node-exporter --web.listen-address="127.0.0.1:$node_port" --collector.disable-defaults \
  --collector.textfile --collector.textfile.directory="$work/textfile" >"$work/node-exporter.log" 2>&1 &
pids+=($!)
cat >"$work/prometheus.yml" <<EOF
global:
  scrape_interval: 1s
  evaluation_interval: 1s
rule_files:
  - $rules_file
scrape_configs:
  - job_name: node
    static_configs:
      - targets: ['127.0.0.1:$node_port']
EOF
prometheus --config.file="$work/prometheus.yml" --storage.tsdb.path="$work/data" \
  --web.listen-address="127.0.0.1:$prom_port" >"$work/prometheus.log" 2>&1 &
pids+=($!)

api="http://127.0.0.1:$prom_port/api/v1"
query="$api/query?query=quillmoor_device_temperature_celsius"
got=""
for _ in $(seq 150); do  # at most 30 s
  body=$(get "$query" || true)
  got=$(printf '%s' "$body" | jq -r '.data.result[]? | "\(.metric.device)\t\(.value[1])"' 2>/dev/null | sort || true)
  [ "$(printf '%s' "$got" | grep -c .)" -ge "${#want[@]}" ] && break
  sleep 0.2
done
expected=$(for device in "${!want[@]}"; do printf '%s\t%s\n' "$device" "${want[$device]}"; done | sort)
[ "$got" = "$expected" ] ||
  fail "Prometheus answers the temperatures"$'\n'"${got:-(nothing)}"$'\n'"the text report printed"$'\n'"$expected"

# Nothing was wrong with the file, and the rules loaded.
errors=$(get "$api/query?query=node_textfile_scrape_error" | jq -r '.data.result[0].value[1]')
[ "$errors" = 0 ] || fail "node_exporter's textfile collector reports an error ($errors)"
rules=$(get "$api/rules" | jq -r '[.data.groups[].rules[] | select(.health == "ok")] | length')
[ "$rules" = 4 ] || fail "Prometheus loaded $rules healthy rules, not 4"

elapsed_ms=$((($(date +%s%N) - started) / 1000000))
echo "prometheus_check: promtool, systemd-analyze, node_exporter and Prometheus agree with the report;"
echo "prometheus_check: temperatures $(printf '%s' "$expected" | tr '\t\n' '= ' ) in $((elapsed_ms / 1000)).$(printf '%03d' $((elapsed_ms % 1000))) s"
