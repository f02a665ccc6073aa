#!/usr/bin/env bash
# Measures setup.exe against a mainstream installer built from the very same
# payload, side by side in one Wine prefix on one virtual display:
#
#   bench/installer_bench.sh [RUNS]          (RUNS >= 7, default 7)
#
# It builds two NSIS 3 installers (non-solid and solid LZMA) from the staged
# payload folder that program.lz is packed from. Their silent mode
# (/S /D=<folder>) does what LG.lua does on a first installation: the same
# folders and files in the same order, the device tool's removal run before
# the files (it fails to start on a first installation, as ours does), the
# driver installation or the filter registration after them (the branch our
# install script takes on this system), the counter tool, the move of the
# default settings and the clean-up of the data folder.
#
# Then, warm and alternately, RUNS times each, it measures
#   - install time: our headless install (luarun --package, the worker's
#     interpreter state and extraction) and the wizard's install (install
#     click to finish page, from the end-to-end harness's walk,
#     out/tests/wizardwalk.exe) against the NSIS silent installs;
#   - start to first painted window: setup.exe against the NSIS installers'
#     first page, with setup.exe's own start-up phases (median per phase:
#     process creation to its entry, library hardening, guards, integrity
#     check, framework and skin, Lua, script, markup, window and layout,
#     show, first paint);
#   - peak working set of the installing process;
#   - sizes: setup.exe against the NSIS exes, its code part (setup.exe minus
#     its resources) against the NSIS code part (exe minus its install data);
#   - extraction throughput: the 35 members written by the worker's
#     extractFile against `xz --format=lzma -d -T1` of the same streams into
#     files (the stored members copied with cp);
# and prints the medians with the spread (min-max) and the ratios.
# Raw figures land in build/bench/results/.
#
# Needs the trees that ./test.sh builds; builds what is missing.
set -euo pipefail

cd "$(dirname "$0")/.."
root=$PWD
runs=${1:-7}
[ "$runs" -ge 7 ] 2>/dev/null || { echo "usage: bench/installer_bench.sh [RUNS>=7]" >&2; exit 2; }

# --- tools and build ---------------------------------------------------------
if ! command -v makensis >/dev/null 2>&1; then
  echo "bench: installing nsis" >&2
  export DEBIAN_FRONTEND=noninteractive
  apt-get install -y -qq nsis >/dev/null 2>&1 \
    || { apt-get update -qq >/dev/null && apt-get install -y -qq nsis >/dev/null; }
fi
. tools/build.sh
nelvo_build >&2

work=$root/build/bench
results=$work/results
mkdir -p "$work" "$results"
rm -f "$results"/*.txt
stage=$root/build/win32/resources/stage/payload
members_list=$root/resources/payload/members.txt
. tools/payload/member-walk.sh
program_lz=$root/build/win32/resources/packages/program.lz
[ -d "$stage" ] && [ -f "$program_lz" ] || { echo "bench: no staged payload in $stage" >&2; exit 1; }

. tools/wine-session.sh
export WINEPREFIX=$work/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wine_session_start "$WINEPREFIX" xvfb "$root/out/tests/keepalive.exe" >&2
trap 'wine_session_stop' EXIT

drive_c=$WINEPREFIX/drive_c
winpath() { winepath -w "$1" 2>/dev/null; }
target_dir='C:\NelvoBench'
target_unix=$drive_c/NelvoBench
app_data_unix=$(winepath -u "$(wine cmd /c echo %APPDATA% 2>/dev/null | tr -d '\r')" 2>/dev/null)

# --- which branch the install script takes here ------------------------------
probe=$work/probe.lua
echo "io.write(tostring(isWin8()), ' ', tostring(isWOW32()), '\\n')" > "$probe"
read -r win8 wow32 < <(wine "$root/out/luarun.exe" "$(winpath "$probe")" 2>/dev/null)
devcon=$([ "$wow32" = true ] && echo devconexe.exe || echo devconexe64.exe)
echo "bench: this system: isWin8 $win8, isWOW32 $wow32" >&2

# --- the NSIS installers -----------------------------------------------------
# write_nsi SOLID OUT.exe: the script, from members.txt in LG.lua's order: each
# folder is made before the first file inside it.
write_nsi() {
  local solid=$1 out=$2 kind path folder out_folder=
  cat <<EOF
Unicode true
!include MUI2.nsh
Name "Nelvo"
OutFile "$out"
InstallDir "\$PROGRAMFILES\\Nelvo"
RequestExecutionLevel admin
SetCompressor /FINAL $([ "$solid" = solid ] && echo /SOLID) lzma
; The systems our manifest declares, so that both see the same version.
ManifestSupportedOS {e2011457-1546-43c5-a5fe-008deee3d3f0} {35138b9a-5d96-4fbd-8e2d-a2440225f93a}
!insertmacro MUI_PAGE_LICENSE "$work/licence.txt"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_LANGUAGE "SimpChinese"
Section
  CreateDirectory "\$APPDATA\\Nelvo\\codecs"
  ClearErrors
  CreateDirectory "\$INSTDIR"
  IfErrors 0 +2
    Abort
  SetOutPath "\$INSTDIR"
EOF
  if [ "$win8" != true ]; then
    echo "  ExecWait '\"\$INSTDIR\\$devcon\" remove nelvo' \$0"
  fi
  while read -r kind path; do
    if [ "$kind" = folder ]; then
      echo "  CreateDirectory \"\$INSTDIR\\$path\""
      continue
    fi
    folder=${path%\\*}
    [ "$folder" != "$path" ] || folder=
    # Only where the folder changes (the header set $INSTDIR): NSIS is not
    # slowed by needless calls.
    if [ "$folder" != "$out_folder" ]; then
      echo "  SetOutPath \"\$INSTDIR${folder:+\\$folder}\""
      out_folder=$folder
    fi
    echo "  File \"$stage/${path//\\//}\""
  done < <(member_walk "$members_list")
  if [ "$win8" = true ]; then
    cat <<EOF
  ExecWait '"\$INSTDIR\\$devcon" install "\$INSTDIR\\nelvo.inf" nelvo' \$0
EOF
  else
    echo "  ExecWait 'regsvr32 /s \"\$INSTDIR\\Nelvo.ax\"'"
  fi
  cat <<EOF
  Exec '"\$INSTDIR\\nelvocount.exe" app install 2.0.0.69'
  Rename "\$INSTDIR\\config_default" "\$APPDATA\\Nelvo\\codecs\\config_default"
  RMDir "\$APPDATA\\Nelvo\\Effect\\skinwhitening"
  RMDir "\$APPDATA\\Nelvo\\Effect\\边框"
  RMDir "\$APPDATA\\Nelvo\\Effect\\灯光"
  RMDir "\$APPDATA\\Nelvo\\Effect\\动画"
  RMDir "\$APPDATA\\Nelvo\\Effect\\挂件"
  Delete "\$APPDATA\\Nelvo\\Effect\\effects.json"
  Delete "\$APPDATA\\Nelvo\\Codecs\\manifest"
SectionEnd
EOF
}

printf 'Nelvo 最终用户许可协议\r\n\r\n请仔细阅读以下条款。安装即表示您同意本协议。\r\n' > "$work/licence.txt"
declare -A nsis_exe nsis_code
for kind in nonsolid solid; do
  nsis_exe[$kind]=$work/nelvo-nsis-$kind.exe
  write_nsi $kind "${nsis_exe[$kind]}" > "$work/nelvo-$kind.nsi"
  makensis -V2 -INPUTCHARSET UTF8 "$work/nelvo-$kind.nsi" > "$work/makensis-$kind.log" 2>&1 \
    || { cat "$work/makensis-$kind.log" >&2; exit 1; }
  # The code part: the stub ("EXE header size: <stored> / <raw> bytes") and
  # the compressed script ("Install code: <stored> / <raw>", a solid build
  # compresses it with the data and shows no stored size).
  nsis_code[$kind]=$(makensis -V4 -INPUTCHARSET UTF8 "$work/nelvo-$kind.nsi" 2>/dev/null | awk '
    /^EXE header size:/ { sum += $4 }
    /^Install code:/ && $3 ~ /^[0-9]+$/ { sum += $3 }
    END { print sum }')
done

# --- measuring ---------------------------------------------------------------
watch() { wine "$root/out/bench/procwatch.exe" "$@" 2>>"$results/errors.txt" | tr -d '\r'; }

# A first installation each time: no install folder, no moved settings.
clean() {
  local i
  for i in 1 2 3 4 5; do
    rm -rf "$target_unix" 2>/dev/null && break
    sleep 0.2
  done
  rm -f "$app_data_unix/Nelvo/codecs/config_default"
}

# The counter tool runs on after an install; wait for it so that it does not
# run into the next measurement.
settle() {
  local i
  for i in $(seq 1 100); do
    grep -q install "$target_unix/NelvoCount.log" 2>/dev/null && return 0
    sleep 0.05
  done
  echo "bench: the counter tool never ran" >&2
}

# record NAME LINE: keeps ms and peak_kb of a procwatch line.
record() {
  local ms peak shown
  ms=$(sed -n 's/^ms=\([0-9.]*\).*/\1/p' <<< "$2")
  peak=$(sed -n 's/.*peak_kb=\([0-9]*\).*/\1/p' <<< "$2")
  [ -n "$ms" ] || { echo "bench: $1 failed: $2" >&2; return 1; }
  echo "$ms" >> "$results/$1.ms.txt"
  echo "$peak" >> "$results/$1.kb.txt"
  shown=$(sed -n 's/.*shown_ms=\([0-9.]*\).*/\1/p' <<< "$2")
  [ -z "$shown" ] || echo "$shown" >> "$results/$1.shown.txt"
}

check_installed() {
  local member
  while read -r member; do
    [ "$member" = config_default ] && continue
    cmp -s "$stage/$member" "$target_unix/$member" || { echo "bench: $1 did not install $member" >&2; exit 1; }
  done < "$members_list"
}

install_ours() {
  clean
  local line
  line=$(watch "$luarun" --package "$(winpath "$program_lz")" "$(winpath "$root/out/resources/LG.lua")" \
    --config "{installPath=[[$target_dir\\]]}" | tail -1)
  settle
  [ "${1:-}" = warm ] || { check_installed ours; record install-ours "$line"; }
}

install_nsis() {
  clean
  local line
  line=$(watch "${nsis_exe[$1]}" /S "/D=$target_dir" | tail -1)
  settle
  [ "${2:-}" = warm ] || { check_installed "nsis-$1"; record "install-nsis-$1" "$line"; }
}

# setup.exe sends its own start-up phases on the debugger output channel
# after its first paint (base/StartupPhases.h); procwatch listens there and
# writes them to the file, after the time it reports.
phases_win='C:\nelvo-phases.txt'
phases_unix=$drive_c/nelvo-phases.txt
window() {
  local line
  if [ "$1" = setup ]; then
    rm -f "$phases_unix"
    line=$(watch --window --phases "$phases_win" "$2" | tail -1)
    [ "${3:-}" = warm ] || tr -d '\r' < "$phases_unix" >> "$results/phases.txt" 2>/dev/null \
      || echo "bench: setup.exe wrote no start-up phases" >&2
  else
    line=$(watch --window "$2" | tail -1)
  fi
  [ "${3:-}" = warm ] || record "window-$1" "$line"
}

# The wizard's install, from the end-to-end harness's walk: install click (the
# button's release) to finish page, with real input on the display. The
# product it starts at the end is ended at once.
install_wizard() {
  local line ms
  line=$(NELVO_OUT=$root/out timeout 300 wine "$root/out/tests/wizardwalk.exe" 2>>"$results/errors.txt" | tr -d '\r' \
    | grep 'install click to finish page') || true
  wine taskkill /f /im Nelvo.exe >/dev/null 2>&1 || true
  ms=$(sed -n 's/.*install click to finish page: \([0-9]*\) ms.*/\1/p' <<< "$line")
  [ -n "$ms" ] || { echo "bench: the wizard's walk failed (see $results/errors.txt)" >&2; return 0; }
  [ "${1:-}" = warm ] || echo "$ms" >> "$results/install-wizard.ms.txt"
}

streams=$work/streams
extract_ours() {
  local line
  rm -rf "$drive_c/NelvoExtract"
  line=$(wine "$root/out/bench/extract_bench.exe" "$(winpath "$program_lz")" "$(winpath "$members_list")" \
    'C:\NelvoExtract' 1 2>>"$results/errors.txt" | tr -d '\r' | grep '^ms=')
  record extract-ours "$line"
}
extract_xz() {
  local t0 t1
  rm -rf "$streams/out" && mkdir -p "$streams/out" && cp "$streams"/*.lzma "$streams/out/"
  # One xz for all the streams, so that its start-up counts once.
  t0=$(date +%s%N)
  xz --format=lzma -d -f -T1 "$streams"/out/*.lzma
  for f in "$streams"/*.raw; do cp "$f" "$streams/out/$(basename "$f" .raw)"; done
  t1=$(date +%s%N)
  awk -v n=$((t1 - t0)) 'BEGIN { printf "%.1f\n", n / 1e6 }' >> "$results/extract-xz.ms.txt"
}

rm -rf "$streams" && mkdir -p "$streams"
# luarun as setup.exe ships: without debug information, which Wine would
# otherwise keep in memory with the image.
luarun=$work/luarun.exe
i686-w64-mingw32-strip -o "$luarun" "$root/out/luarun.exe"
unpacked=$("$root/build/native/bench/lzma_streams" "$program_lz" "$streams")

echo "bench: warming up" >&2
install_ours warm
install_wizard warm
install_nsis nonsolid warm
install_nsis solid warm
window setup "$root/out/setup.exe" warm
window nsis-nonsolid "${nsis_exe[nonsolid]}" warm

load_before=$(cut -d' ' -f1-3 /proc/loadavg)
for i in $(seq 1 "$runs"); do
  echo "bench: round $i of $runs" >&2
  install_ours
  install_wizard
  install_nsis nonsolid
  install_nsis solid
  window setup "$root/out/setup.exe"
  window nsis-nonsolid "${nsis_exe[nonsolid]}"
  window nsis-solid "${nsis_exe[solid]}"
  extract_ours
  extract_xz
done
load_after=$(cut -d' ' -f1-3 /proc/loadavg)
clean

# --- the table ---------------------------------------------------------------
# stats FILE: median min max
stats() { sort -g "$1" | awk '{ v[NR] = $1 } END { m = NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2; printf "%.1f %.1f %.1f", m, v[1], v[NR] }'; }
median() { stats "$1" | cut -d' ' -f1; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", (b > 0 ? a / b : 0) }'; }
# verdict RATIO OP TARGET
verdict() { awk -v r="$1" -v t="$3" -v op="$2" 'BEGIN { ok = op == "le" ? r <= t : r >= t; print ok ? "met" : "MISSED" }'; }

# row LABEL FILE-OURS FILE-NONSOLID FILE-SOLID OP TARGET [both]: with "both",
# the target holds against either NSIS installer, else against non-solid.
row() {
  local o n s r rs judged
  read -r o omin omax <<< "$(stats "$2")"
  read -r n nmin nmax <<< "$(stats "$3")"
  read -r s smin smax <<< "$(stats "$4")"
  r=$(ratio "$o" "$n")
  rs=$(ratio "$o" "$s")
  judged=$r
  [ "${7:-}" = both ] && judged=$(awk -v a="$r" -v b="$rs" 'BEGIN { print (a > b ? a : b) }')
  printf '| %s | %s (%s-%s) | %s (%s-%s) | %s (%s-%s) | %s (solid %s) | %s %s | %s |\n' "$1" \
    "$o" "$omin" "$omax" "$n" "$nmin" "$nmax" "$s" "$smin" "$smax" "$r" "$rs" \
    "$([ "$5" = le ] && echo '<=' || echo '>=')" "$6$([ "${7:-}" = both ] && echo ' of both')" \
    "$(verdict "$judged" "$5" "$6")"
}

# The phases, in the order setup.exe wrote them: median (min-max) of each
# phase's duration, and the median time it ended since process creation.
phase_table() {
  local name d dmin dmax
  [ -s "$results/phases.txt" ] || return 0
  echo
  echo "Start-up phases of setup.exe (ms), as it measures them itself, $runs runs:"
  echo
  echo "| phase | duration: median (min-max) | ends at: median |"
  echo "|---|---|---|"
  cut -f1 "$results/phases.txt" | awk '!seen[$0]++' | while IFS= read -r name; do
    awk -F'\t' -v n="$name" '$1 == n { print $2 }' "$results/phases.txt" > "$work/phase.txt"
    read -r d dmin dmax <<< "$(stats "$work/phase.txt")"
    awk -F'\t' -v n="$name" '$1 == n { print $3 }' "$results/phases.txt" > "$work/phase.txt"
    printf '| %s | %s (%s-%s) | %s |\n' "$name" "$d" "$dmin" "$dmax" "$(median "$work/phase.txt")"
  done
}

setup_size=$(stat -c %s "$root/out/setup.exe")
resources_size=0
for f in "$root"/out/resources/{frame.lz,style.lz,program.lz,UI.lua,LG.lua,SL.lua}; do
  resources_size=$((resources_size + $(stat -c %s "$f")))
done
ns_size=$(stat -c %s "${nsis_exe[nonsolid]}")
s_size=$(stat -c %s "${nsis_exe[solid]}")
xz_med=$(median "$results/extract-xz.ms.txt")
ours_ex_med=$(median "$results/extract-ours.ms.txt")
ours_mbs=$(awk -v b="$unpacked" -v ms="$ours_ex_med" 'BEGIN { printf "%.1f", b / 1e6 / (ms / 1000) }')
xz_mbs=$(awk -v b="$unpacked" -v ms="$xz_med" 'BEGIN { printf "%.1f", b / 1e6 / (ms / 1000) }')
ex_ratio=$(ratio "$ours_mbs" "$xz_mbs")

{
  echo "Nelvo setup against NSIS $(makensis -VERSION), $runs runs each, alternating, warm"
  echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ *//'); load average before $load_before, after $load_after"
  echo "this system: isWin8 $win8 (driver $([ "$win8" = true ] && echo installation || echo "removal + filter registration")), device tool $devcon"
  echo
  echo "| measure | ours: median (min-max) | NSIS non-solid | NSIS solid | ratio to non-solid | target | |"
  echo "|---|---|---|---|---|---|---|"
  row "install time, headless (ms)" "$results/install-ours.ms.txt" "$results/install-nsis-nonsolid.ms.txt" \
    "$results/install-nsis-solid.ms.txt" le 0.7
  if [ -f "$results/install-wizard.ms.txt" ]; then
    row "install time, wizard (ms)" "$results/install-wizard.ms.txt" "$results/install-nsis-nonsolid.ms.txt" \
      "$results/install-nsis-solid.ms.txt" le 0.7
  else
    echo "| install time, wizard (ms) | (the wizard's end-to-end harness is not in this tree yet) | | | | <= 0.7 | |"
  fi
  row "first painted window (ms)" "$results/window-setup.ms.txt" "$results/window-nsis-nonsolid.ms.txt" \
    "$results/window-nsis-solid.ms.txt" le 0.75 both
  row "(first window visible, unpainted) (ms)" "$results/window-setup.shown.txt" \
    "$results/window-nsis-nonsolid.shown.txt" "$results/window-nsis-solid.shown.txt" le 0.75 both
  row "peak working set, headless install (KB)" "$results/install-ours.kb.txt" "$results/install-nsis-nonsolid.kb.txt" \
    "$results/install-nsis-solid.kb.txt" le 1.0
  printf '| setup.exe size (bytes) | %s | %s | %s | %s (solid %s) | | |\n' "$setup_size" "$ns_size" \
    "$s_size" "$(ratio "$setup_size" "$ns_size")" "$(ratio "$setup_size" "$s_size")"
  code=$((setup_size - resources_size))
  printf '| code part (bytes) | %s | %s | %s | %s | <= 700 KB | %s |\n' "$code" \
    "${nsis_code[nonsolid]}" "${nsis_code[solid]}" "$(ratio "$code" "${nsis_code[nonsolid]}")" \
    "$([ "$code" -le 716800 ] && echo met || echo MISSED)"
  printf '| extraction (MB/s, %s bytes) | %s (%s ms) | xz -T1: %s (%s ms) | | %s of xz | >= 1.5 | %s |\n' \
    "$unpacked" "$ours_mbs" "$ours_ex_med" "$xz_mbs" "$xz_med" "$ex_ratio" "$(verdict "$ex_ratio" ge 1.5)"
  phase_table
} | tee "$results/table.md"
