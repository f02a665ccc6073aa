# Helpers of the install script cases, sourced by scripttest.sh: run the
# install script on the payload package and compare what it told the wizard
# and what it left on disk with what a run must give.

lg_script=$(winpath "$NELVO_OUT/resources/LG.lua")
members_list=$here/../../resources/payload/members.txt
. "$here/../../tools/payload/member-walk.sh"
payload_package=${NELVO_PAYLOAD:?}
[ -f "$payload_package" ] || fail "no payload package at $payload_package"

# cpath PATH: the C: path of a path under drive_c.
cpath() { local rel=${1#"$drive_c"/}; echo "C:\\${rel//\//\\}"; }

# payload_extract DIR [PACKAGE]: the members under DIR. lzpack leaves out a
# damaged member (and says so).
payload_extract() { "$NELVO_OUT/lzpack" extract "${2:-$payload_package}" -C "$1" >/dev/null 2>&1; }

# lg_run SYSTEM PACKAGE DIR [CODE=N[,N]...]...: runs the install script
# headless on PACKAGE into DIR, in a copy of luarun that the prefix tells it
# runs on SYSTEM (win7 or win8, which decides isWin8). The answers to a code
# are used in order, the last one repeating; others are answered 1. The
# notifications, without their answers, land in $scratch/got.txt.
lg_run() {
    local system=$1 package=$2 dir=$3 a n list
    shift 3
    local answers=()
    for a in "$@"; do
        IFS=, read -ra list <<< "${a#*=}"
        for n in "${list[@]}"; do answers+=(--answer "${a%%=*}=$n"); done
    done
    local runner=$scratch/lg-$system.exe
    if [ ! -f "$runner" ]; then
        cp "$NELVO_OUT/luarun.exe" "$runner"
        wine reg add "HKCU\\Software\\Wine\\AppDefaults\\lg-$system.exe" /v Version /d "$system" /f \
            >/dev/null 2>&1 || fail "cannot make $system the system of lg-$system.exe"
    fi
    timeout -k 5 120 wine "$runner" --package "$(winpath "$package")" "${answers[@]}" "$lg_script" \
        --config "{installPath=[==[$(cpath "$dir")\\]==]}" > "$scratch/got.txt" 2> "$scratch/stderr.txt" \
        || fail "the install script failed: $(cat "$scratch/stderr.txt")"
    tr -d '\r' < "$scratch/got.txt" | sed 's/ -> -\{0,1\}[0-9]*$//' > "$scratch/got.tmp"
    mv "$scratch/got.tmp" "$scratch/got.txt"
}

# text TEXT: TEXT in the long brackets a notification carries it in: one
# "=" when it holds "]]" (enough for the texts of these cases).
text() { case "$1]" in *]]*) echo "[=[$1]=]" ;; *) echo "[[$1]]" ;; esac; }

# table_steps FIRST DIR: the step of every entry of the file table, from
# position FIRST.
table_steps() {
    local position=$1 dir=$2 kind path
    while read -r kind path; do
        if [ "$kind" = folder ]; then
            echo "{code=4,position=$position,text=$(text "创建文件夹$dir$path")}"
        else
            echo "{code=4,position=$position,text=$(text "解压文件$path")}"
        fi
        position=$((position + 1))
    done < <(member_walk "$members_list")
}

# expected_run SYSTEM DIR [EVENTS]: the notifications of a run into DIR that
# gets through every step. EVENTS may hold "running=TEXT" (code 10 with
# that list), "update" (a device tool of an earlier installation is there,
# so the driver-removal branch removes the old driver after the extraction)
# and "restart" (the device tool asks for a restart).
expected_run() {
    local system=$1 dir=$2 events=${3:-} running position=43
    local removing='卸载虚拟摄像头驱动程序，请稍等...' installing='安装虚拟摄像头驱动程序，请稍等...'
    echo '{code=1}'
    if [ "$system" = win7 ]; then
        echo '{code=3,range=50}'
        running=$(sed -n 's/.*running=\([^ ]*\).*/\1/p' <<< "$events")
        [ -n "$running" ] && echo "{code=10,file=[[$running]]}"
        table_steps 1 "$dir"
        case $events in
        *update*)
            echo "{code=4,position=43,text=[[$removing]]}"
            echo "{code=8,text=[[$removing]]}"
            echo '{code=9}'
            case $events in *restart*) echo '{code=7}' ;; esac
            position=44
            ;;
        esac
        echo "{code=4,position=$position,text=[[注册Nelvo.ax...]]}"
    else
        echo '{code=3,range=49}'
        table_steps 1 "$dir"
        echo "{code=4,position=43,text=[[$installing]]}"
        echo "{code=8,text=[[$installing]]}"
        echo '{code=9}'
        case $events in *restart*) echo '{code=7}' ;; esac
    fi
    echo "{code=4,position=$((position + 1)),text=[[注册Nelvo...]]}"
    echo '{code=2}'
}

# forget_registration: what the install script registers (values, types,
# shortcuts) taken away again, so that the prefix's next tests start without
# the product.
forget_registration() {
    local key
    for key in 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\QuentNelvo' \
        'HKCU\Software\QuentNelvo' 'HKCR\zhibo' 'HKCR\.flv' 'HKCR\qxflv' 'HKCR\.m4a' 'HKCR\qxm4a' \
        'HKLM\SOFTWARE\Microsoft\Internet Explorer\Low Rights\ElevationPolicy\{CACBA33C-A5E5-43CD-9287-8C075425FC26}' \
        'HKCR\CLSID\{F93A0F10-9A4D-4EF4-B8DC-04AFAC5C73E6}' 'HKCR\CLSID\{4C7A1D52-9E3B-4F08-A6D1-5B2E8F90C317}'; do
        wine reg delete "$key" /f /reg:32 >/dev/null 2>&1
    done
    wine reg delete 'HKCU\SOFTWARE\Microsoft\Windows\CurrentVersion\Run' /v 'QuentNelvo Daemon' /f >/dev/null 2>&1
    rm -rf "$drive_c/users/$(id -un)/AppData/Roaming/Microsoft/Windows/Start Menu/Nelvo" \
        "$drive_c/users/$(id -un)/Desktop/Nelvo.lnk"
    return 0
}

# expect FILE WHAT: the notifications of the last run are the lines of FILE.
expect() {
    diff -u "$1" "$scratch/got.txt" >&2 || fail "$2: the notifications differ (- expected, + got)"
}

# check_installed MEMBERS DIR: every member in DIR byte for byte, except the
# default settings, which the script moved to the codecs folder.
check_installed() {
    local members=$1 dir=$2 member
    while read -r member; do
        if [ "$member" = config_default ]; then
            [ -e "$dir/config_default" ] && fail "config_default was left in the install folder"
            cmp -s "$members/config_default" "$codecs/config_default" \
                || fail "config_default did not reach $codecs"
        else
            cmp -s "$members/$member" "$dir/$member" || fail "$dir/$member differs from the package's member"
        fi
    done < "$members_list"
}

# wait_line FILE LINE: FILE gets LINE within 10 s.
wait_line() {
    local i
    for i in $(seq 1 100); do
        grep -qxF "$2" "$1" 2>/dev/null && return 0
        sleep 0.1
    done
    fail "$1 never got the line '$2'"
}

codecs=$drive_c/users/$(id -un)/AppData/Roaming/Nelvo/codecs
