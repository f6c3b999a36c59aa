# Sourced by the run and test commands: a Wine prefix inside the build folder,
# an X display, and a long-lived wineserver for the test programs.
#   bench_start BUILD_DIR   exports WINEPREFIX, DISPLAY, LANG, WINEDEBUG
#   bench_stop              stops only what bench_start started

bench_started_xvfb=""

bench_start() {
  local build_dir=$1
  mkdir -p "$build_dir"
  build_dir=$(cd "$build_dir" && pwd)
  export WINEPREFIX="$build_dir/wineprefix"
  export WINEDEBUG=${WINEDEBUG:--all}
  export LANG=pl_PL.UTF-8 LC_ALL=pl_PL.UTF-8
  # No Mono or Gecko installers on first start.
  export WINEDLLOVERRIDES="mscoree,mshtml="

  if [ -z "${DISPLAY:-}" ] || [ "${QB_FORCE_XVFB:-0}" = 1 ]; then
    local fifo="$build_dir/.xvfb-display"
    rm -f "$fifo"
    exec {xfd}>"$fifo"
    Xvfb -displayfd "$xfd" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    bench_started_xvfb=$!
    local i
    for i in $(seq 1 100); do
      [ -s "$fifo" ] && break
      sleep 0.1
    done
    exec {xfd}>&-
    export DISPLAY=":$(head -n1 "$fifo" | tr -d '[:space:]')"
    echo "bench: Xvfb on $DISPLAY"
  fi

  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "bench: creating Wine prefix in $WINEPREFIX"
    wineboot --init </dev/null >/dev/null 2>&1 || true
    wineserver -w
  fi
  # The server and the helper services that the first Wine program starts live
  # on; they must not hold the output pipe of a test runner, so start them here.
  wineserver -p </dev/null >/dev/null 2>&1
  wine cmd /c exit </dev/null >/dev/null 2>&1 || true

  # Xvfb has no window manager: Wine would wait two seconds for one at every
  # destroyed window unless it manages the windows itself.
  if [ -n "$bench_started_xvfb" ]; then
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
  else
    wine reg delete 'HKCU\Software\Wine\X11 Driver' /v Managed /f >/dev/null 2>&1 || true
  fi
}

bench_stop() {
  wineserver -k >/dev/null 2>&1 || true
  if [ -n "$bench_started_xvfb" ]; then
    kill "$bench_started_xvfb" 2>/dev/null || true
    wait "$bench_started_xvfb" 2>/dev/null || true
    bench_started_xvfb=""
  fi
}
