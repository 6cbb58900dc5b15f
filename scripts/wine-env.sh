# Shared by the scripts: a private Wine prefix and a virtual display.
# Source it; it defines functions and exports nothing until they are called.

# mv_arch: the Windows target of the build: MV_ARCH if set, else x86_64
# (64-bit Wine), which every machine here can run. i686 is an optional
# build for 32-bit Windows and needs a kernel that runs 32-bit programs.
mv_arch() {
  echo "${MV_ARCH:-x86_64}"
}

# mv_wine_path: put the matching `wine` first on PATH.
mv_wine_path() {
  export MV_ARCH="$(mv_arch)"
  if [ "$MV_ARCH" = x86_64 ]; then
    local shim
    shim="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/wine64"
    case ":$PATH:" in *":$shim:"*) ;; *) export PATH="$shim:$PATH" ;; esac
  fi
}

# mv_wine_prefix <dir>: export the Wine settings for a prefix and create it
# once (a lock keeps parallel callers from booting it twice).
mv_wine_prefix() {
  export WINEPREFIX="$1"
  mv_wine_path
  if [ "$MV_ARCH" = x86_64 ]; then export WINEARCH=win64; else export WINEARCH=win32; fi
  export WINEDEBUG="${WINEDEBUG:--all}"
  # No Mono or Gecko installer dialogs; nothing here needs them.
  export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree=;mshtml=}"
  if [ -f "$WINEPREFIX/.mirvostan-ready" ]; then mv_wine_fonts; return 0; fi
  mkdir -p "$(dirname "$WINEPREFIX")"
  (
    flock 9
    if [ ! -f "$WINEPREFIX/.mirvostan-ready" ]; then
      rm -rf "$WINEPREFIX"
      DISPLAY= wine wineboot -i >/dev/null 2>&1 || true
      # A crashing program must end, not wait behind a crash dialog.
      DISPLAY= wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1 || true
      # Windows the X server manages take 2 s each to close without a window manager.
      DISPLAY= wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1 || true
      wineserver -w
      touch "$WINEPREFIX/.mirvostan-ready"
    fi
  ) 9>"$WINEPREFIX.lock"
  mv_wine_fonts
}

# mv_wine_fonts: the System font of Windows (Wine's copy, fonts-wine), so
# the dialog base units measure 8 x 16 as there and controls land where the
# skin painted them; the dialog font's stand-in named once, and linked to a
# CJK font as Windows links its own, so Chinese texts show. Once per prefix.
mv_wine_fonts() {
  local font=/usr/share/wine/fonts/vgasys.fon
  local nt='HKLM\Software\Microsoft\Windows NT\CurrentVersion'
  [ -f "$WINEPREFIX/.mirvostan-fonts-2" ] && return 0
  (
    flock 9
    if [ ! -f "$WINEPREFIX/.mirvostan-fonts-2" ]; then
      [ -f "$font" ] && cp "$font" "$WINEPREFIX/drive_c/windows/Fonts/"
      DISPLAY= wine reg add "$nt\FontSubstitutes" /v "Microsoft Sans Serif" /t REG_SZ /d "DejaVu Sans" /f >/dev/null 2>&1 || true
      DISPLAY= wine reg add "$nt\FontLink\SystemLink" /v "DejaVu Sans" /t REG_MULTI_SZ \
        /d "wqy-microhei.ttc,WenQuanYi Micro Hei" /f >/dev/null 2>&1 || true
      # The registry is on disk before another server (another user) opens it.
      wineserver -w
      touch "$WINEPREFIX/.mirvostan-fonts-2"
    fi
  ) 9>"$WINEPREFIX.lock"
}

# mv_start_xvfb: start a virtual display on a free number and export DISPLAY.
# Sets MV_XVFB_PID for mv_stop_xvfb.
mv_start_xvfb() {
  # Xvfb picks a free display itself and writes its number to the fd, so
  # two test runs on one machine never take the same one.
  local fifo n
  fifo="$(mktemp -u)"
  mkfifo "$fifo"
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
  MV_XVFB_PID=$!
  read -r -t 20 n <"$fifo" || n=""
  rm -f "$fifo"
  if [ -z "$n" ]; then
    echo "Xvfb did not start" >&2
    return 1
  fi
  export DISPLAY=":${n}"
}

mv_stop_xvfb() {
  if [ -n "${MV_XVFB_PID:-}" ]; then kill "$MV_XVFB_PID" 2>/dev/null || true; wait "$MV_XVFB_PID" 2>/dev/null || true; fi
  MV_XVFB_PID=""
}

# mv_display_works: is DISPLAY set and reachable?
mv_display_works() {
  [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1
}

# mv_wine_warm [seconds]: keep a wineserver for the prefix (for good, or for
# the given seconds after the last program) and start Wine's own services
# now, with their output on /dev/null. Started later by a test, they would
# inherit its output pipe and keep CTest waiting after the test has ended.
mv_wine_warm() {
  wineserver "-p${1:-}" 2>/dev/null || true
  wine cmd /c exit >/dev/null 2>&1 </dev/null || true
  export MV_WINE_WARM=1
}
