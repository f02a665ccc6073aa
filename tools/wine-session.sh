# Sourced by test.sh and run.sh: one Wine prefix inside the build tree, one
# X display (Xvfb when asked for or when there is none) and one long-lived
# wineserver for the whole run. Never touches ~/.wine.

WINE_SESSION_XVFB_PID=

# wine_prefix_init PREFIX: creates the prefix once (64-bit, no Mono or Gecko
# offers), with Chinese fonts linked so that message boxes and our windows
# show Chinese text instead of boxes. Wine's .NET runtime and HTML engine
# (mscoree, mshtml) are disabled by the environment and, for programs started
# without it, by the prefix's own DLL overrides: the prefix has no Mono or
# Gecko, and a disabled engine cannot offer to download one (a dialog that
# would wait for ever). The web browser control still comes up, empty.
wine_prefix_init() {
  local prefix=$1
  export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  # The stamp names the version of the settings below: a prefix made with
  # older settings gets the new ones.
  local stamp="$prefix/.nelvo-settings-3"
  [ -f "$stamp" ] && return 0
  if [ ! -f "$prefix/system.reg" ]; then
    echo "wine: creating the prefix $prefix (once; takes a minute)" >&2
    mkdir -p "$prefix"
    wineboot -i >/dev/null 2>&1 || { echo "wine: wineboot failed for $prefix" >&2; return 1; }
  fi
  local reg="$prefix/nelvo-fonts.reg"
  # regedit reads UTF-16 files, which keeps the Chinese value names intact.
  {
    printf 'Windows Registry Editor Version 5.00\r\n\r\n'
    printf '[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\FontLink\\SystemLink]\r\n'
    for face in Tahoma "Microsoft Sans Serif" "MS Shell Dlg" "MS Shell Dlg 2" Arial "Segoe UI"; do
      printf '"%s"=hex(7):%s\r\n' "$face" "$(printf 'wqy-microhei.ttc,WenQuanYi Micro Hei\0\0' | iconv -t UTF-16LE | od -An -tx1 -v | tr -s ' \n' ',' | sed 's/^,//; s/,$//')"
    done
    # Wine draws title bars itself, so screenshots on a display without a
    # window manager show them.
    printf '\r\n[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]\r\n"Managed"="N"\r\n"Decorated"="N"\r\n'
    printf '\r\n[HKEY_CURRENT_USER\\Software\\Wine\\DllOverrides]\r\n"mscoree"=""\r\n"mshtml"=""\r\n'
    printf '\r\n[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]\r\n'
    for face in 宋体 新宋体 微软雅黑 黑体 SimSun NSimSun "Microsoft YaHei" SimHei; do
      printf '"%s"="WenQuanYi Micro Hei"\r\n' "$face"
    done
  } | iconv -f UTF-8 -t UTF-16LE | { printf '\xff\xfe'; cat; } > "$reg"
  wine regedit /S "$(winepath -w "$reg" 2>/dev/null)" >/dev/null 2>&1 \
    || { echo "wine: could not write the font settings" >&2; return 1; }
  wineserver -w
  rm -f "$prefix"/.nelvo-ready "$prefix"/.nelvo-settings-*
  touch "$stamp"
}

# wine_session_start PREFIX [xvfb] [KEEPALIVE.exe]: a display (a fresh Xvfb if "xvfb" is
# given or DISPLAY is unset) and a wineserver that stays up until
# wine_session_stop.
wine_session_start() {
  local prefix=$1 want_xvfb=${2:-}
  if [ -n "$want_xvfb" ] || [ -z "${DISPLAY:-}" ]; then
    local n=91
    while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
    Xvfb ":$n" -screen 0 1280x900x24 -nolisten tcp >/dev/null 2>&1 &
    WINE_SESSION_XVFB_PID=$!
    export DISPLAY=":$n"
    local i
    for i in $(seq 1 100); do
      [ -e "/tmp/.X11-unix/X$n" ] && break
      sleep 0.1
    done
    [ -e "/tmp/.X11-unix/X$n" ] || { echo "wine: Xvfb did not start on :$n" >&2; return 1; }
  fi
  wine_prefix_init "$prefix" || return 1
  wineserver -p
  # Start Wine's own background processes now, detached from any output
  # pipe, and keep them up with one idle program for the whole session.
  # Otherwise they end with each test program and are restarted by the next
  # one, inheriting its output pipes, and CTest waits for those to close
  # until the test times out.
  if [ -n "${3:-}" ] && [ -f "$3" ]; then
    wine "$3" </dev/null >/dev/null 2>&1 &
  fi
  wine cmd /c exit </dev/null >/dev/null 2>&1 || true
}

wine_session_stop() {
  wineserver -k >/dev/null 2>&1 || true
  if [ -n "$WINE_SESSION_XVFB_PID" ]; then
    kill "$WINE_SESSION_XVFB_PID" 2>/dev/null || true
    wait "$WINE_SESSION_XVFB_PID" 2>/dev/null || true
    WINE_SESSION_XVFB_PID=
  fi
}
