#!/usr/bin/env bash
# Runs one script test case under Wine: prepares the case's scratch folder
# under the prefix's drive_c, runs lua/<case>.lua with luarun and checks the
# results from outside the prefix (files, `wine reg query`, exit codes).
#
#   scripttest.sh CASE        needs WINEPREFIX and NELVO_OUT
#
# Exit codes: 0 passed, 1 failed, 77 skipped.
set -uo pipefail

case_name=${1:?usage: scripttest.sh CASE}
here=$(cd "$(dirname "$0")" && pwd)
: "${WINEPREFIX:?}" "${NELVO_OUT:?}"
export WINEDEBUG=${WINEDEBUG:--all}
drive_c=$WINEPREFIX/drive_c
scratch=$drive_c/nelvo-script-tests/$case_name
probe=$NELVO_OUT/tests/scriptprobe.exe

fail() { echo "FAIL ($case_name): $*" >&2; exit 1; }

winpath() { local p=${1//\//\\}; echo "Z:$p"; }

# luarun [ARG...]: runs this case's script; fails the test on a script error.
# Bounded, so that a box nobody answers cannot hold the run.
luarun() {
    timeout -k 5 120 wine "$NELVO_OUT/luarun.exe" "$(winpath "$here/lua/${luarun_case:-$case_name}.lua")" "$@" || fail "script failed"
}

reg_query() { wine reg query "$@" 2>/dev/null | tr -d '\r'; }

# Wine starts its own background programs (services, the desktop) with the
# first program of a session and ends them soon after the last one; they
# inherit that program's output and keep it open. So the case runs with its
# output in a file, which is shown when it ends, and a keeper program holds
# the session for the whole case, so that no window of a case meets a
# desktop that is shutting down.
if [ -z "${SCRIPTTEST_INNER:-}" ]; then
    log=$(mktemp)
    SCRIPTTEST_INNER=1 bash "$0" "$@" </dev/null >"$log" 2>&1
    rc=$?
    cat "$log"
    rm -f "$log"
    exit $rc
fi
wine "$probe" sleep 600000 </dev/null >/dev/null 2>&1 &
keeper=$!
trap 'kill $keeper 2>/dev/null; wait $keeper 2>/dev/null' EXIT
wine cmd /c exit </dev/null >/dev/null 2>&1

rm -rf "$scratch"
mkdir -p "$scratch"
# Relative names that a script makes land in the scratch folder.
cd "$scratch"

case $case_name in
files)
    rm -rf "$drive_c/A"
    mkdir -p empty full tree/sub outside plain/one/two
    echo x > full/x.txt; echo a > afile.txt; echo a > tree/a.txt
    echo ro > ro.txt; echo ro > tree/sub/ro.txt; echo p > tree/sub/plain.txt
    echo keep > outside/keep.txt; echo f > plain/one/two/f.txt
    chmod a-w ro.txt tree/sub/ro.txt
    ln -s ../outside tree/link
    ln -s outside linkdir
    luarun
    [ -d "$drive_c/A/B" ] || fail "C:\\A\\B was not made"
    [ -f tree/sub/ro.txt ] || fail "the read-only file was removed"
    [ -f outside/keep.txt ] || fail "removeDirectory went through the link"
    rm -rf "$drive_c/A"
    ;;
volumes)
    # Four free letters: one left free, three mapped for the case as a CD
    # drive, a removable drive and a network drive.
    free=()
    for l in q r s t u v w x y; do
        [ -e "$WINEPREFIX/dosdevices/$l:" ] || free+=("$l")
    done
    [ ${#free[@]} -ge 4 ] || fail "fewer than four free drive letters"
    mkdir -p "$scratch/volume"
    unmap() { for l in "${free[@]:1:3}"; do wine "$probe" drive "$l" none >/dev/null 2>&1; done; }
    trap unmap EXIT
    types=(cdrom removable remote)
    for i in 0 1 2; do
        wine "$probe" drive "${free[$((i + 1))]}" "${types[$i]}" "$scratch/volume" ||
            fail "cannot map ${free[$((i + 1))]}: as ${types[$i]}"
    done
    luarun $(printf '%s\n' "${free[@]:0:4}" | tr a-z A-Z)
    ;;
folders)
    # What the system says its version is, e.g. "Microsoft Windows 6.1.7601".
    version=$(wine cmd /c ver 2>/dev/null | tr -d '\r' | grep -o '[0-9]*\.[0-9]*\.[0-9]*' | head -1)
    major=${version%%.*}; rest=${version#*.}; minor=${rest%%.*}
    [ -n "$major" ] || fail "could not read the system version"
    # The program declares Vista and 7 only, so a later system reports 6.2.
    if [ "$major" -gt 6 ] || { [ "$major" -eq 6 ] && [ "$minor" -gt 2 ]; }; then major=6; minor=2; fi
    vista=false; win8=false
    [ "$major" -gt 5 ] && vista=true
    [ "$major" -gt 5 ] && [ "$minor" -gt 1 ] && win8=true
    out=$(luarun "$vista" "$win8") || exit 1
    echo "$out"
    for name in getAppDataFolder getProgramFolder getDesktopFolder getStartMenuFolder getTempFolder; do
        win=$(echo "$out" | tr -d '\r' | sed -n "s/^$name=C:\\\\//p")
        [ -n "$win" ] || fail "$name is not on drive C:"
        [ -d "$drive_c/${win//\\//}" ] || fail "$name: no folder $drive_c/${win//\\//}"
    done
    ;;
registry)
    key='HKCU\Software\NelvoScriptTest'
    mkey='HKLM\Software\NelvoScriptTest'
    wine reg delete "$key" /f >/dev/null 2>&1
    wine reg delete "$mkey" /f /reg:32 >/dev/null 2>&1
    wine reg add "$key" /v expand /t REG_EXPAND_SZ /d '%TEMP%' /f >/dev/null 2>&1 || fail "reg add expand"
    wine reg add "$key" /v ones /t REG_DWORD /d 0xffffffff /f >/dev/null 2>&1 || fail "reg add ones"
    for n in 259 260 261; do
        wine "$probe" rawsz 'Software\NelvoScriptTest' raw$n $n || fail "probe rawsz $n"
    done
    luarun
    reg_query "$key" /v Answer | grep -q 'Answer *REG_DWORD *0x80003' || fail "Answer is not REG_DWORD 0x80003"
    reg_query "$key" /v number | grep -q 'number *REG_SZ *42' || fail "number is not REG_SZ 42"
    reg_query "$key\Tree" >/dev/null && fail "the deleted tree is still there"
    reg_query "$mkey" /v machine /reg:32 | grep -q 'machine *REG_SZ *yes' || fail "HKLM value not in the 32-bit view"
    reg_query "$mkey" /v machine /reg:64 | grep -q machine && fail "HKLM value in the 64-bit view"
    wine reg delete "$key" /f >/dev/null 2>&1
    wine reg delete "$mkey" /f /reg:32 >/dev/null 2>&1
    ;;
shell)
    luarun
    target=$(wine "$scratch/probe.exe" resolve 'C:\nelvo-script-tests\shell\probe.lnk' | tr -d '\r') \
        || fail "the link does not resolve"
    [ "$target" = 'C:\nelvo-script-tests\shell\probe.exe' ] || fail "the link resolves to '$target'"
    ;;
processes)
    cp "$probe" "$scratch/watched.exe"
    wine "$probe" runwait 'C:\nelvo-script-tests\processes\code.txt' \
        'C:\nelvo-script-tests\processes\watched.exe sleep 60000' &
    waiter=$!
    luarun
    wait $waiter || fail "the waiting probe failed"
    code=$(tr -d '\r\n' < "$scratch/code.txt")
    [ "$code" = -8 ] || fail "the watched probe ended with '$code', not -8"
    ;;
block-empty|block-text|block-nofinal)
    luarun_case=block luarun "${case_name#block-}"
    ;;
block-final)
    # The order of ending shows in the debugger output: each entry, then the
    # file name it ends, from the last entry to the first; then Nelvo.exe.
    WINEDEBUG=warn+seh luarun_case=block luarun final 2> "$scratch/../block-final.log" \
        || { cat "$scratch/../block-final.log" >&2; fail "script failed"; }
    order=$(sed -n 's/.*OutputDebugStringA "\(.*\)"$/\1/p' "$scratch/../block-final.log" | tr '\n' ' ')
    rm -f "$scratch/../block-final.log"
    expected='D:\\b.exe b.exe C:\\P\\a.exe a.exe Nelvo.exe '
    [ "$order" = "$expected" ] || fail "debugger output was '$order', not '$expected'"
    ;;
print)
    WINEDEBUG=warn+seh luarun 2> "$scratch/../print.log" || { cat "$scratch/../print.log" >&2; fail "script failed"; }
    lines=$(sed -n 's/.*OutputDebugStringA "\(.*\)"$/\1/p' "$scratch/../print.log" | tr '\n' '|')
    rm -f "$scratch/../print.log"
    # One write per call, no line ends added, nothing of the second argument.
    [ "$lines" = 'first|42|||last|' ] || fail "debugger output was '$lines'"
    ;;
msgbox)
    [ -n "${DISPLAY:-}" ] || { echo "SKIP (msgbox): no display"; exit 77; }
    luarun
    ;;
restart)
    luarun || exit 1
    expected=0000000000000000
    shutdown=$(reg_query 'HKLM\SYSTEM\CurrentControlSet\Control\Windows' /v ShutdownTime \
        | sed -n 's/.*ShutdownTime *REG_BINARY *//p')
    [ -n "$shutdown" ] && expected=$(echo "$shutdown" | tr 'A-F' 'a-f')
    actual=$(reg_query 'HKLM\Software\QuentNelvo' /v RestartPending /reg:32 \
        | sed -n 's/.*RestartPending *REG_BINARY *//p' | tr 'A-F' 'a-f')
    [ "$actual" = "$expected" ] || fail "the marker holds '$actual', not $expected"
    # Under Wine a marker of zeros counts as a pending restart (there is no
    # ShutdownTime); leave none behind for the setup program's tests.
    wine reg delete 'HKLM\Software\QuentNelvo' /f /reg:32 >/dev/null 2>&1
    ;;
registration)
    luarun one two
    ;;
install-win7)
    # The driver-removal branch: a first installation, one over it while two
    # copies of the product run and the device tool asks for a restart, and
    # one that the user stops at the list of running programs.
    . "$here/installtest.sh"
    payload_extract "$scratch/members" || fail "cannot extract the payload package"
    dir=$scratch/Nelvo
    # What earlier versions of the product left in its data folder.
    product_data=${codecs%/*}
    mkdir -p "$product_data"/Effect/{skinwhitening,边框/sub,灯光,动画,挂件,keep} "$codecs"
    touch "$product_data"/Effect/{边框/sub/a.png,effects.json,keep/b.png} "$codecs/manifest"
    lg_run win7 "$payload_package" "$dir"
    expected_run win7 "$(cpath "$dir")\\" > expected.txt
    expect expected.txt "first installation"
    check_installed "$scratch/members" "$dir"
    for old in Effect/skinwhitening Effect/边框 Effect/灯光 Effect/动画 Effect/挂件 Effect/effects.json codecs/manifest; do
        [ -e "$product_data/$old" ] && fail "the installation left $old in the product's data folder"
    done
    [ -f "$product_data/Effect/keep/b.png" ] || fail "the installation removed more than the old effects"
    [ -e "$dir/DevconExe.log" ] && fail "a first installation ran the device tool: $(cat "$dir/DevconExe.log")"
    wait_line "$dir/NelvoCount.log" "app install 2.0.0.69"
    filter=$(reg_query 'HKCR\CLSID\{4C7A1D52-9E3B-4F08-A6D1-5B2E8F90C317}\InprocServer32' /ve /reg:32 \
        | sed -n 's/.*REG_SZ *//p')
    [ "$filter" = "$(cpath "$dir")\Nelvo.ax" ] || fail "Nelvo.ax is registered as '$filter'"
    # The crash-dump library registers itself the same way, as the wizard
    # expects; unregistering takes either class away again.
    dumper='HKCR\CLSID\{F93A0F10-9A4D-4EF4-B8DC-04AFAC5C73E6}\InprocServer32'
    timeout 60 wine regsvr32 /s "$(cpath "$dir")\nelvodumper.dll" >/dev/null 2>&1
    [ "$(reg_query "$dumper" /ve /reg:32 | sed -n 's/.*REG_SZ *//p')" = "$(cpath "$dir")\nelvodumper.dll" ] \
        || fail "nelvodumper.dll did not register itself"
    timeout 60 wine regsvr32 /s /u "$(cpath "$dir")\nelvodumper.dll" >/dev/null 2>&1
    timeout 60 wine regsvr32 /s /u "$(cpath "$dir")\Nelvo.ax" >/dev/null 2>&1
    reg_query "$dumper" /reg:32 >/dev/null && fail "nelvodumper.dll is still registered"
    reg_query 'HKCR\CLSID\{4C7A1D52-9E3B-4F08-A6D1-5B2E8F90C317}' /reg:32 >/dev/null \
        && fail "Nelvo.ax is still registered"

    # start_product COPY: starts Nelvo.exe from the folder COPY (below the
    # scratch folder) and waits until it has listed itself; $! is its
    # process.
    started=
    trap 'kill $keeper $started 2>/dev/null; wait $keeper 2>/dev/null' EXIT
    start_product() {
        mkdir -p "$1"
        cp "$dir/Nelvo.exe" "$1/"
        rm -f "$1/Nelvo.log"
        timeout 120 wine "$(cpath "$scratch/$1")\\Nelvo.exe" </dev/null >/dev/null 2>&1 &
        started="$started $!"
        wait_line "$1/Nelvo.log" ""
    }
    # Two copies in the install folder, and one elsewhere that is listed
    # too but is not the installation's to end.
    start_product Nelvo/one
    first=$!
    start_product Nelvo/two
    second=$!
    start_product elsewhere
    third=$!
    echo 'remove 1' > "$dir/devcon-outcome.txt"
    lg_run win7 "$payload_package" "$dir" 10=1
    running="$(cpath "$dir")\\one\\Nelvo.exe\\r\\n$(cpath "$dir")\\two\\Nelvo.exe\\r\\n"
    running="$running$(cpath "$scratch")\\elsewhere\\Nelvo.exe\\r\\n"
    expected_run win7 "$(cpath "$dir")\\" "running=$running update restart" > expected.txt
    expect expected.txt "installation over a running product"
    wait $first || fail "the first copy of Nelvo.exe was not ended"
    wait $second || fail "the second copy of Nelvo.exe was not ended"
    kill -0 $third 2>/dev/null || fail "the copy of Nelvo.exe outside the install folder was ended"
    kill $third
    wait $third
    grep -qxF '64|remove|nelvo' "$dir/DevconExe.log" || fail "the device tool did not remove the driver"
    check_installed "$scratch/members" "$dir"

    start_product one
    first=$!
    lg_run win7 "$payload_package" "$dir" 10=2
    printf '{code=1}\n{code=3,range=50}\n{code=10,file=[[%s]]}\n' "$(cpath "$scratch")\\one\\Nelvo.exe\\r\\n" \
        > expected.txt
    expect expected.txt "the user keeps the product running"
    kill -0 $first 2>/dev/null || fail "Nelvo.exe was ended although the user said no"
    kill $first
    wait $first
    forget_registration
    ;;
install-win8)
    # The driver-installation branch into a folder whose name holds "]]":
    # the device tool succeeds, asks for a restart, fails.
    . "$here/installtest.sh"
    payload_extract "$scratch/members" || fail "cannot extract the payload package"
    dir=$scratch/Nel]]vo
    lg_run win8 "$payload_package" "$dir"
    expected_run win8 "$(cpath "$dir")\\" > expected.txt
    expect expected.txt "first installation"
    check_installed "$scratch/members" "$dir"
    grep -qxF "64|install|$(cpath "$dir")\\nelvo.inf|nelvo" "$dir/DevconExe.log" \
        || fail "the device tool was not asked to install: $(cat "$dir/DevconExe.log")"
    wait_line "$dir/NelvoCount.log" "app install 2.0.0.69"

    # Each in a folder of its own, where the outcome waits beside the tool:
    # the counter that a run starts last may still be running from there.
    dir=$scratch/restart
    mkdir -p "$dir"
    echo 'install 1' > "$dir/devcon-outcome.txt"
    lg_run win8 "$payload_package" "$dir"
    expected_run win8 "$(cpath "$dir")\\" restart > expected.txt
    expect expected.txt "the driver needs a restart"

    dir=$scratch/failed
    mkdir -p "$dir"
    echo 'install -1' > "$dir/devcon-outcome.txt"
    lg_run win8 "$payload_package" "$dir"
    expected_run win8 "$(cpath "$dir")\\" | head -n -2 > expected.txt
    echo '{code=6,error=[[安装虚拟摄像头驱动失败]]}' >> expected.txt
    expect expected.txt "the driver installation fails"
    wait_line "$dir/NelvoCount.log" "app err_driverins 2.0.0.69"
    sleep 1
    grep -q 'app install' "$dir/NelvoCount.log" && fail "a failed installation was counted as installed"
    forget_registration
    ;;
install-failures)
    # What stops an installation: folders that cannot be made, a file held
    # open by another program, a damaged member.
    . "$here/installtest.sh"

    echo x > afile
    lg_run win8 "$payload_package" "$scratch/afile/Nelvo"
    printf '{code=1}\n{code=3,range=49}\n{code=6,error=[[创建文件夹%s\\失败]],systemError=3}\n' "$(cpath "$scratch/afile/Nelvo")" \
        > expected.txt
    expect expected.txt "an install folder below a file"

    mkdir -p blocked
    echo x > blocked/Effect
    lg_run win8 "$payload_package" "$scratch/blocked"
    { echo '{code=1}'; echo '{code=3,range=49}'; table_steps 1 "$(cpath "$scratch/blocked")\\" | sed -n '1,11p'
      echo '{code=6,error=[[创建文件夹Effect失败]],systemError=183}'; } > expected.txt
    expect expected.txt "a table folder in the place of a file"

    # Retried after every answer 4 with the same file, until the answer 2.
    # $2: the system's error code each failure reports.
    held_steps() {
        echo '{code=1}'; echo '{code=3,range=49}'; table_steps 1 "$(cpath "$1")\\" | sed -n '1,3p'
        for _ in 1 2 3; do echo "{code=5,file=[[$(cpath "$1")\\nelvo.sys]],systemError=$2}"; done
    }
    mkdir -p held
    echo old > held/nelvo.sys
    timeout 120 wine "$probe" hold "$(cpath "$scratch")\\held\\nelvo.sys" 60000 </dev/null >/dev/null 2>&1 &
    holder=$!
    for _ in $(seq 1 100); do [ -e held/nelvo.sys.held ] && break; sleep 0.1; done
    [ -e held/nelvo.sys.held ] || fail "the probe did not open nelvo.sys"
    lg_run win8 "$payload_package" "$scratch/held" 5=4,4,2
    held_steps "$scratch/held" 32 > expected.txt
    expect expected.txt "a file held open"
    kill $holder
    wait $holder

    # Nothing is written through a link: not into an install folder that is
    # one, not into a folder of the table that leads outside.
    mkdir -p outside
    ln -s "$scratch/outside" linked-install
    lg_run win8 "$payload_package" "$scratch/linked-install"
    printf '{code=1}\n{code=3,range=49}\n{code=6,error=[[创建文件夹%s\\失败]],systemError=0}\n' "$(cpath "$scratch/linked-install")" \
        > expected.txt
    expect expected.txt "an install folder that is a link"
    mkdir -p linked
    ln -s "$scratch/outside" linked/Effect
    lg_run win8 "$payload_package" "$scratch/linked" 5=2
    { echo '{code=1}'; echo '{code=3,range=49}'; table_steps 1 "$(cpath "$scratch/linked")\\" | sed -n '1,11p'
      echo '{code=6,error=[[创建文件夹Effect失败]],systemError=5}'; } > expected.txt
    expect expected.txt "a table folder that is a link"
    [ -z "$(find outside -mindepth 1)" ] || fail "made through the link: $(find outside -mindepth 1)"

    perl "$here/../support/damage-member.pl" "$payload_package" damaged.lz nelvo.sys || fail "cannot damage the package"
    "$NELVO_OUT/lzpack" verify damaged.lz >/dev/null 2>&1 && fail "the damaged package verifies"
    lg_run win8 "$scratch/damaged.lz" "$scratch/damaged-install" 5=4,4,2
    held_steps "$scratch/damaged-install" 13 > expected.txt
    expect expected.txt "a damaged member"
    ;;
luarun)
    # A script error: its position on stderr, exit code 1; a syntax error
    # likewise; a clean script exits with 0, os.exit with its code.
    printf 'local x = 1\nerror("stopped here")\n' > raises.lua
    printf 'local x = = 1\n' > broken.lua
    printf '#!/shebang line\nio.write(arg[0], "|", arg[1], "|", select("#", ...))\n' > clean.lua
    printf 'os.exit(7)\n' > exits.lua
    wine "$NELVO_OUT/luarun.exe" raises.lua 2> err.txt; rc=$?
    [ $rc -eq 1 ] || fail "a script error gave exit code $rc"
    grep -q 'raises.lua:2: stopped here' err.txt || fail "no position in: $(cat err.txt)"
    wine "$NELVO_OUT/luarun.exe" broken.lua 2> err.txt; rc=$?
    [ $rc -eq 1 ] || fail "a syntax error gave exit code $rc"
    grep -q 'broken.lua:1:' err.txt || fail "no position in: $(cat err.txt)"
    out=$(wine "$NELVO_OUT/luarun.exe" clean.lua 'a b') || fail "a clean script failed"
    [ "$out" = 'clean.lua|a b|1' ] || fail "clean script printed '$out'"
    wine "$NELVO_OUT/luarun.exe" exits.lua; rc=$?
    [ $rc -eq 7 ] || fail "os.exit(7) gave exit code $rc"
    wine "$NELVO_OUT/luarun.exe" missing.lua 2>/dev/null && fail "a missing script succeeded"
    ;;
headless)
    # luarun --package: every notification with its answer, one per line;
    # the answers of a code in order, the last one kept; the install path
    # (holding "]]") through the configuration chunk; a script error sent on
    # as code 6, exit code 1.
    mkdir -p payload/Effect/bg
    printf 'black background\n' > payload/Effect/bg/black.efc
    "$NELVO_OUT/lzpack" create payload.lz payload >/dev/null || fail "lzpack failed"
    echo 'notifyMessage("{code=2}")' > clean.lua
    out=$(timeout -k 5 120 wine "$NELVO_OUT/luarun.exe" --package payload.lz --answer 5=4 --answer 5=2 \
        --answer 10=2 "$(winpath "$here/lua/headless.lua")" \
        --config '{installPath=[==[C:\nelvo-script-tests\headless\a]]b\]==]}' 2> err.txt)
    rc=$?
    [ $rc -eq 1 ] || fail "the failing script gave exit code $rc: $(cat err.txt)"
    out=$(echo "$out" | tr -d '\r')
    expected='{code=1} -> 1
{code=4,position=1,text=[==[C:\nelvo-script-tests\headless\a]]b\]==]} -> 1
{code=5,file=[[x]]} -> 4
{code=5,file=[[x]]} -> 2
{code=10,file=[[a.exe\r\nb.exe]]} -> 2
not a table -> 1'
    [ "$(echo "$out" | head -6)" = "$expected" ] || fail "notifications were:
$out"
    echo "$out" | sed -n 7p | grep -q '^{code=6,error=\[\[.*headless\.lua:[0-9]*: stopped after 2 tries\]\]} -> 1$' \
        || fail "no code 6 for the error: $(echo "$out" | sed -n 7p)"
    grep -q 'stopped after 2 tries' err.txt || fail "no error on stderr"
    cmp -s payload/Effect/bg/black.efc 'a]]b/black.efc' || fail "black.efc differs or is missing"
    [ ! -e 'a]]b/absent.efc' ] || fail "absent.efc was made"
    out=$(wine "$NELVO_OUT/luarun.exe" --package payload.lz clean.lua | tr -d '\r') || fail "a clean run failed"
    [ "$out" = '{code=2} -> 1' ] || fail "clean run printed '$out'"
    wine "$NELVO_OUT/luarun.exe" --package payload.lz --answer 5 clean.lua 2>/dev/null; rc=$?
    [ $rc -eq 2 ] || fail "a bad --answer gave exit code $rc"
    ;;
*)
    fail "no such case"
    ;;
esac
chmod -R u+w "$scratch" 2>/dev/null
rm -rf "$scratch"
echo "PASS ($case_name)"
