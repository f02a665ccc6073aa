#!/usr/bin/env bash
# Measures setup.exe against a mainstream installer built from the very same
# payload, side by side in one Wine prefix on one virtual display:
#
#   [LARGE_MB=400] [LARGE_RUNS=3] bench/installer_bench.sh [RUNS]
#                                            (RUNS >= 7, default 7)
#
# It builds two NSIS 3 installers (non-solid and solid LZMA) from the staged
# payload folder that program.lz is packed from. Their silent mode
# (/S /D=<folder>) does what LG.lua does on a first installation: the same
# folders and files in the same order, the device tool's removal run before
# the files (it fails to start on a first installation, as ours does), the
# driver installation or the filter registration after them (the branch our
# install script takes on this system), the product's registration (the
# same registry values and uninstall entry, the crash dumper's library
# registered with regsvr32, the three shortcuts), the counter tool, the move
# of the default settings and the clean-up of the data folder. Our install
# does the registration on its worker before the finish page, so both
# measures include it.
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
# Then the same for a large payload of incompressible media (LARGE_MB,
# default 400, generated at run time and deleted afterwards; 0 leaves it
# out), LARGE_RUNS rounds (default 3), against NSIS non-solid: both built
# from it (ours with tools/make-setup.sh, with build time and peak memory),
# install times, first windows, peak working set, and the speed of
# setup.exe's payload digest (out/bench/digest_bench.exe).
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
  # The product's registration, as LG.lua's registerNelvo does it before
  # the finish page: the same values, the crash dumper's library, the
  # shortcuts for all users.
  local policy='SOFTWARE\Microsoft\Internet Explorer\Low Rights\ElevationPolicy\{CACBA33C-A5E5-43CD-9287-8C075425FC26}'
  local entry='Software\Microsoft\Windows\CurrentVersion\Uninstall\QuentNelvo'
  cat <<EOF
  WriteRegStr HKCU "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run" "QuentNelvo Daemon" "\$APPDATA\\Nelvo\\codecs\\nelvomon.exe"
  WriteRegStr HKCU "Software\\QuentNelvo" "InstallPath" "\$INSTDIR\\"
  WriteRegStr HKCU "Software\\QuentNelvo" "Run" "\$INSTDIR\\Nelvo.exe"
  WriteRegDWORD HKCU "Software\\QuentNelvo" "Skin" 1
  WriteRegStr HKCU "Software\\QuentNelvo" "Source" "web"
  WriteRegStr HKCU "Software\\QuentNelvo" "Version" "2.0.0.69"
  WriteRegStr HKLM "$policy" "AppName" "Nelvo.exe"
  WriteRegStr HKLM "$policy" "AppPath" "\$INSTDIR\\"
  WriteRegDWORD HKLM "$policy" "Policy" 524291
  WriteRegStr HKCR "zhibo" "" "URL:Quent直播专用链"
  WriteRegStr HKCR "zhibo" "URL Protocol" "\$INSTDIR\\Nelvo.exe"
  WriteRegStr HKCR "zhibo\\shell\\open\\command" "" '"\$INSTDIR\\Nelvo.exe" %1'
  WriteRegStr HKCR ".flv" "" "qxflv"
  WriteRegStr HKCR "qxflv\\shell\\open\\command" "" '"\$INSTDIR\\Nelvo.exe" %1'
  WriteRegStr HKCR ".m4a" "" "qxm4a"
  WriteRegStr HKCR "qxm4a\\shell\\open\\command" "" '"\$INSTDIR\\Nelvo.exe" %1'
  WriteRegStr HKLM "$entry" "DisplayIcon" '"\$INSTDIR\\Nelvo.exe"'
  WriteRegStr HKLM "$entry" "DisplayName" "Nelvo"
  WriteRegStr HKLM "$entry" "DisplayVersion" "2.0.0.69"
  WriteRegStr HKLM "$entry" "Publisher" "Quent Technology Co., Ltd."
  WriteRegStr HKLM "$entry" "UninstallString" '"\$INSTDIR\\unins000.exe"'
  WriteRegStr HKLM "$entry" "URLInfoAbout" "https://www.quent.example/nelvo"
  WriteRegStr HKLM "$entry" "InstallLocation" "\$INSTDIR\\"
  WriteRegDWORD HKLM "$entry" "EstimatedSize" 18000
  WriteRegStr HKLM "$entry" "InstallDate" "20261208"
  WriteRegDWORD HKLM "$entry" "NoModify" 1
  WriteRegDWORD HKLM "$entry" "NoRepair" 1
  ExecWait 'regsvr32 /s "\$INSTDIR\\nelvodumper.dll"'
  ReadRegStr \$1 HKLM "Software\\Classes\\CLSID\\{F93A0F10-9A4D-4EF4-B8DC-04AFAC5C73E6}\\InprocServer32" ""
  SetShellVarContext all
  CreateDirectory "\$SMPROGRAMS\\Nelvo"
  CreateShortCut "\$SMPROGRAMS\\Nelvo\\Nelvo.lnk" "\$INSTDIR\\Nelvo.exe"
  CreateShortCut "\$SMPROGRAMS\\Nelvo\\卸载 Nelvo.lnk" "\$INSTDIR\\unins000.exe"
  CreateShortCut "\$DESKTOP\\Nelvo.lnk" "\$INSTDIR\\Nelvo.exe"
  SetShellVarContext current
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

# The figures of the large payload's row are recorded under names with
# this suffix.
suffix=
install_ours() {
  clean
  local line
  line=$(watch "$luarun" --package "$(winpath "$program_lz")" "$(winpath "$root/out/resources/LG.lua")" \
    --config "{installPath=[[$target_dir\\]]}" | tail -1)
  settle
  [ "${1:-}" = warm ] || { check_installed ours; record "install-ours$suffix" "$line"; }
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
  [ "${3:-}" = warm ] || record "window-$1$suffix" "$line"
}

# The wizard's install, from the end-to-end harness's walk: install click (the
# button's release) to finish page, with real input on the display. The
# product it starts at the end is ended at once.
install_wizard() {
  local line ms
  line=$(NELVO_OUT=${wizard_out:-$root/out} timeout 300 wine "$root/out/tests/wizardwalk.exe" 2>>"$results/errors.txt" | tr -d '\r' \
    | grep 'install click to finish page') || true
  wine taskkill /f /im Nelvo.exe >/dev/null 2>&1 || true
  ms=$(sed -n 's/.*install click to finish page: \([0-9]*\) ms.*/\1/p' <<< "$line")
  [ -n "$ms" ] || { echo "bench: the wizard's walk failed (see $results/errors.txt)" >&2; return 0; }
  [ "${1:-}" = warm ] || echo "$ms" >> "$results/install-wizard$suffix.ms.txt"
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

# --- a large payload of incompressible media ---------------------------------
# What a video product's payload is mostly made of: the sound and the four
# frame pictures grown to about LARGE_MB (default 400; 0 leaves the row out)
# of random bytes, made here at run time and deleted at the end. Both
# installers are built from it as a vendor builds them: ours with
# tools/make-setup.sh (its tree warmed first with the usual payload, so that
# only packing and linking are timed), NSIS with this script's non-solid
# script from the folder make-setup staged. Build time and peak memory
# (the largest process of each build, GNU time's maximum resident set) of
# both; then LARGE_RUNS rounds (default 3) of the installs and first
# windows, alternating, and the speed of setup.exe's payload digest.
large_mb=${LARGE_MB:-400}
large_runs=${LARGE_RUNS:-3}
large=$work/large
if [ "$large_mb" -gt 0 ]; then
  command -v /usr/bin/time >/dev/null || { export DEBIAN_FRONTEND=noninteractive; apt-get install -y -qq time >/dev/null; }
  free_mb=$(df -Pm "$work" | awk 'NR == 2 { print $4 }')
  [ "$free_mb" -gt $((large_mb * 8)) ] || { echo "bench: $free_mb MB free, the large row needs $((large_mb * 8))" >&2; exit 1; }
  echo "bench: the ${large_mb} MB row: warming the make-setup tree" >&2
  rm -rf "$large" && mkdir -p "$large/payload" "$large/out/screenshots"
  tools/make-setup.sh --payload "$stage" --out "$large/warm.exe" >/dev/null 2>&1 \
    || { echo "bench: make-setup failed on the usual payload" >&2; exit 1; }
  cp -r "$stage/." "$large/payload/"
  rm -f "$large/payload/unins000.exe"
  head -c $((large_mb * 1024 * 1024 / 2)) /dev/urandom > "$large/payload/Resource/Test.wma"
  for pic in "$large"/payload/Resource/pic/[blrt]*.jpg; do
    head -c $((large_mb * 1024 * 1024 / 8)) /dev/urandom > "$pic"
  done
  large_bytes=$(du -sb "$large/payload" | cut -f1)

  echo "bench: building both from $large_bytes bytes" >&2
  /usr/bin/time -o "$results/build-large-ours.txt" -f '%e %M' \
    tools/make-setup.sh --payload "$large/payload" --out "$large/out/setup.exe" >/dev/null 2>&1 \
    || { echo "bench: make-setup failed on the large payload" >&2; exit 1; }
  saved_stage=$stage saved_program_lz=$program_lz
  stage=$root/build/make-setup/payload
  program_lz=$root/build/make-setup/resources/packages/program.lz
  nsis_exe[large]=$large/nelvo-nsis-large.exe
  write_nsi nonsolid "${nsis_exe[large]}" > "$large/nelvo-large.nsi"
  /usr/bin/time -o "$results/build-large-nsis.txt" -f '%e %M' \
    makensis -V2 -INPUTCHARSET UTF8 "$large/nelvo-large.nsi" > "$work/makensis-large.log" 2>&1 \
    || { cat "$work/makensis-large.log" >&2; exit 1; }

  suffix=-large
  wizard_out=$large/out
  install_ours warm
  install_nsis large warm
  large_load_before=$(cut -d' ' -f1-3 /proc/loadavg)
  for i in $(seq 1 "$large_runs"); do
    echo "bench: large round $i of $large_runs" >&2
    install_ours
    install_wizard
    install_nsis large
    window setup "$large/out/setup.exe"
    window nsis-large "${nsis_exe[large]}"
  done
  wine "$root/out/bench/digest_bench.exe" "$(winpath "$large/out/setup.exe")" "$large_runs" 2>>"$results/errors.txt" \
    | tr -d '\r' | sed -n 's/^ms=\([0-9.]*\) mb_s=\([0-9.]*\) intact=1$/\1 \2/p' > "$results/digest-large.txt"
  large_load_after=$(cut -d' ' -f1-3 /proc/loadavg)
  clean
  suffix= wizard_out= stage=$saved_stage program_lz=$saved_program_lz
  ours_large_size=$(stat -c %s "$large/out/setup.exe")
  nsis_large_size=$(stat -c %s "${nsis_exe[large]}")
  # Nothing of it stays: the payload, both installers, the large copies
  # in the make-setup tree (its next run stages and packs again), and what
  # the wizard installed in its default folder.
  rm -rf "$large" "$root/build/make-setup/payload" "$root/build/make-setup/out/setup.exe" \
    "$root/build/make-setup/resources/packages/program.lz" "$drive_c/Program Files (x86)/QuentNelvo"
fi

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

# row1 LABEL FILE-OURS FILE-NSIS OP TARGET: one installer to compare with.
row1() {
  local o n r
  read -r o omin omax <<< "$(stats "$2")"
  read -r n nmin nmax <<< "$(stats "$3")"
  r=$(ratio "$o" "$n")
  printf '| %s | %s (%s-%s) | %s (%s-%s) | %s | %s %s | %s |\n' "$1" "$o" "$omin" "$omax" "$n" "$nmin" "$nmax" \
    "$r" "$([ "$4" = le ] && echo '<=' || echo '>=')" "$5" "$(verdict "$r" "$4" "$5")"
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
  if [ "$large_mb" -gt 0 ]; then
    echo
    echo "The ${large_mb} MB payload of incompressible media ($large_bytes bytes), against NSIS non-solid, $large_runs runs each; load average before $large_load_before, after $large_load_after:"
    echo
    echo "| measure | ours: median (min-max) | NSIS non-solid | ratio | target | |"
    echo "|---|---|---|---|---|---|"
    row1 "install time, headless (ms)" "$results/install-ours-large.ms.txt" "$results/install-nsis-large.ms.txt" le 1.0
    if [ -s "$results/install-wizard-large.ms.txt" ]; then
      row1 "install time, wizard (ms)" "$results/install-wizard-large.ms.txt" "$results/install-nsis-large.ms.txt" le 1.0
    fi
    row1 "first painted window (ms)" "$results/window-setup-large.ms.txt" "$results/window-nsis-large-large.ms.txt" le 0.75
    row1 "peak working set, headless install (KB)" "$results/install-ours-large.kb.txt" \
      "$results/install-nsis-large.kb.txt" le 1.0
    printf '| setup.exe size (bytes) | %s | %s | %s | | |\n' "$ours_large_size" "$nsis_large_size" \
      "$(ratio "$ours_large_size" "$nsis_large_size")"
    read -r bo bom < "$results/build-large-ours.txt"
    read -r bn bnm < "$results/build-large-nsis.txt"
    printf '| build time (s) | %s (make-setup.sh) | %s (makensis) | %s | | |\n' "$bo" "$bn" "$(ratio "$bo" "$bn")"
    printf '| build peak memory (MB) | %s | %s | %s | a few hundred MB | %s |\n' "$((bom / 1024))" "$((bnm / 1024))" \
      "$(ratio "$bom" "$bnm")" "$([ "$bom" -le 409600 ] && echo met || echo MISSED)"
    if [ -s "$results/digest-large.txt" ]; then
      cut -d' ' -f1 "$results/digest-large.txt" > "$work/digest-ms.txt"
      cut -d' ' -f2 "$results/digest-large.txt" > "$work/digest-mbs.txt"
      read -r dm dmin dmax <<< "$(stats "$work/digest-ms.txt")"
      printf '| payload digest, on its thread (ms) | %s (%s-%s), %s MB/s | | | | |\n' "$dm" "$dmin" "$dmax" \
        "$(median "$work/digest-mbs.txt")"
    else
      echo "| payload digest, on its thread (ms) | (digest_bench failed: see errors.txt) | | | | |"
    fi
  fi
} | tee "$results/table.md"
