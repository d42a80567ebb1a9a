#!/usr/bin/env bash
# Installs every Debian package that building, testing and running Quillmoor
# needs. Idempotent: installs only what is missing. Run as root (or with sudo
# available) on Debian 12.
set -euo pipefail

packages=(
  # build
  cmake ninja-build g++ pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev
  # tests and benchmarks
  libgtest-dev libgmock-dev libbenchmark-dev
  libxcb1-dev                     # the start-up check's map timer (bench/startup_check.sh)
  clang-14 libclang-rt-14-dev     # the fuzz targets (libFuzzer, sanitizers; scripts/fuzz.sh)
  libatasmart-bin smartmontools   # independent S.M.A.R.T. readers used as oracles
  xvfb xauth openbox              # a display and a window manager for the window's end-to-end checks
  xdotool python3                 # keys for the display checks, and a stand-in opener
  dbus-daemon dbus-bin dunst      # a private session bus and a real notification service for the alerts
  desktop-file-utils libglib2.0-bin  # desktop-file-validate and gio read the desktop entries
  systemd                         # its autostart generator and systemd-analyze check the autostart entry
  trayer x11-utils imagemagick    # a notification area, window states and pictures for the icons' check
  # the end-to-end check on emulated disks (a throw-away virtual machine)
  qemu-system-x86 busybox-static cpio kmod e2fsprogs xz-utils
  jq                              # reads smartctl's JSON of the emulated NVMe drive, and Prometheus's answers
  # the fleet check: node_exporter serves the report's textfile, a Prometheus
  # server scrapes it on 127.0.0.1 (promtool comes with prometheus)
  prometheus prometheus-node-exporter
  # run: Japanese faces for the window's texts; IPA's proportional Gothic
  # stands in for the lists' designed face with the same widths
  fonts-noto-cjk fonts-ipafont-gothic
  qt6-translations-l10n           # Qt's own dialogs in Japanese
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "setup: installing ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
