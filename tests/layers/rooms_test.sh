#!/usr/bin/env bash
# The rooms' rules. Includes: each row plants one include in a tree of its
# own and says whether the check must accept it; then the real tree. Links:
# each row adds one link to stand-ins of the rooms' libraries and says
# whether configuring must accept it.
#   rooms_test.sh SOURCE_ROOT
set -uo pipefail
source_root=$1
check=$source_root/cmake/check_includes.cmake
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

failures=0
#   file in the room              header it includes             verdict
rows=(
  "base/a.cpp                     ini/inifile.h                  refused"
  "base/a.cpp                     base/text.h                    accepted"
  "ini/a.cpp                      settings/settings.h            refused"
  "settings/a.cpp                 ini/inifile.h                  accepted"
  "drives/device.h                ini/inifile.h                  refused"
  "smart/a.cpp                    settings/settings.h            refused"
  "smart/a.cpp                    ini/inifile.h                  refused"
  "smart/a.cpp                    drives/linux/sat.h             refused"
  "smart/a.cpp                    drives/device.h                accepted"
  "drives/linux/a.cpp             drives/sim/skdump.h            refused"
  "drives/linux/a.cpp             settings/program_folder.h      refused"
  "drives/sim/a.cpp               drives/linux/sat.h             refused"
  "drives/sim/a.cpp               ini/inifile.h                  accepted"
  "drives/select/a.cpp            drives/linux/linux_drives.h    refused"
  "drives/select/a.cpp            drives/real_drives.h           accepted"
  "tools/smart_helper/a.cpp       ini/inifile.h                  refused"
  "tools/smart_helper/a.cpp       commands/csv_export.h          refused"
  "tools/smart_helper/a.cpp       drives/linux/sat.h             accepted"
  "tools/report/a.cpp             drives/select/select_provider.h refused"
  "tools/report/a.cpp             smart/shown_rows.h             accepted"
  "monitor/a.cpp                  drives/sim/sim_drives.h        refused"
  "app/a.cpp                      drives/select/select_provider.h accepted"
)
for row in "${rows[@]}"; do
  read -r file header verdict <<<"$row"
  tree="$work/tree"
  rm -rf "$tree"
  mkdir -p "$tree/$(dirname "$file")"
  printf '#include "%s"\n' "$header" >"$tree/$file"
  if cmake -DROOT="$tree" -P "$check" >"$work/out" 2>&1; then got=accepted; else got=refused; fi
  if [ "$got" != "$verdict" ]; then
    echo "FAIL: $file including $header was $got, should be $verdict"
    cat "$work/out"
    failures=$((failures + 1))
  elif [ "$got" = refused ] && ! grep -q "$file includes $header" "$work/out"; then
    echo "FAIL: the refusal of $file including $header does not name them"
    cat "$work/out"
    failures=$((failures + 1))
  fi
done

if ! cmake -DROOT="$source_root" -P "$check" >"$work/out" 2>&1; then
  echo "FAIL: the source tree breaks the rules"
  cat "$work/out"
  failures=$((failures + 1))
fi

#   library               links               verdict
links=(
  "none                   none                accepted"
  "qm_base                qm_ini              refused"
  "qm_smart               qm_settings         refused"
  "qm_smart               qm_ini              refused"
  "qm_drives              qm_settings         refused"
  "qm_drives_linux        qm_drives_sim       refused"
  "qm_drives_sim          qm_drives_linux     refused"
  "qm_drives_linux        qm_settings         refused"
  "quillmoor-smart-helper qm_ini              refused"
  "quillmoor-smart-helper qm_drives_sim       refused"
  "qm_report_core         qm_drives_sim       refused"
)
for row in "${links[@]}"; do
  read -r from to verdict <<<"$row"
  plant=()
  [ "$from" != none ] && plant=(-DPLANT="$from:$to")
  rm -rf "$work/links"
  if cmake -S "$source_root/tests/layers/link_fixture" -B "$work/links" -DQM_SOURCE_ROOT="$source_root" \
       "${plant[@]}" >"$work/out" 2>&1; then got=accepted; else got=refused; fi
  if [ "$got" != "$verdict" ]; then
    echo "FAIL: $from linking $to was $got, should be $verdict"
    cat "$work/out"
    failures=$((failures + 1))
  elif [ "$got" = refused ] && ! grep -q "$from links $to; it may link only" "$work/out"; then
    echo "FAIL: the refusal of $from linking $to does not name it"
    cat "$work/out"
    failures=$((failures + 1))
  fi
done

[ "$failures" -eq 0 ] && echo "all ${#rows[@]} include rows, ${#links[@]} link rows and the source tree as expected"
[ "$failures" -eq 0 ]
