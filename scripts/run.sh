#!/usr/bin/env bash
# The run command: installs what is missing, builds, and starts vantro.exe
# under Wine.
#
#   scripts/run.sh [--screenshot FILE] [--timeout SECONDS] [-- VANTRO ARGS...]
#
# With DISPLAY set, vantro.exe runs on that display until it exits.
#
# Without DISPLAY it runs headless: a private Xvfb (1024x768), a target window
# titled "C:\ - ｴｸｽﾌﾟﾛｰﾗ" and vantro.exe. Once the pad has docked on the target's
# caption bar, a screenshot of the whole screen is saved (default
# build/screenshots/pad.png), its path printed, and everything started here is
# stopped again. Exits non-zero if the pad does not dock in time (default 60 s).
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$root/build/mingw"
bin="$build/bin"
shot="$root/build/screenshots/pad.png"
timeout_s=60
target_title='C:\ - ｴｸｽﾌﾟﾛｰﾗ'

while [ $# -gt 0 ]; do
  case "$1" in
    --screenshot) shot="$(realpath -m -- "$2")"; shift 2 ;;
    --timeout) timeout_s="$2"; shift 2 ;;
    --) shift; break ;;
    -h|--help) sed -n '2,14p' "$0"; exit 0 ;;
    *) echo "run: unknown option $1 (see --help)" >&2; exit 64 ;;
  esac
done

cd "$root"
bash "$root/scripts/deps.sh"
cmake --preset mingw
cmake --build --preset mingw -j "${VANTRO_JOBS:-$(nproc)}" --target vantro targetwin

if [ -n "${DISPLAY:-}" ]; then
  exec "$root/scripts/wine-run.sh" "$build" "$bin/vantro.exe" "$@"
fi

# --- headless: dock on a target window and take a screenshot ---------------
# shellcheck source=xvfb.sh
. "$root/scripts/xvfb.sh"

work="$(mktemp -d)"
target_pid=""
vantro_pid=""
stop_all() {
  local p
  for p in "$vantro_pid" "$target_pid"; do
    if [ -n "$p" ]; then
      kill "$p" 2>/dev/null || true
      wait "$p" 2>/dev/null || true
    fi
  done
  WINEPREFIX="$build/wineprefix" wineserver -k >/dev/null 2>&1 || true
  xvfb_stop
  rm -rf "$work"
}
trap stop_all EXIT

# Gives up: says why, keeps a screenshot of the screen for diagnosis, and exits.
fail() {
  echo "run: $*" >&2
  local failed="${shot%.png}-failed.png"
  if [ -n "$XVFB_PID" ] && xvfb_shot "$failed" 2>/dev/null; then
    echo "run: screenshot of the failed state: $failed" >&2
  fi
  exit 1
}
trap 'exit 143' TERM
trap 'exit 130' INT

rm -f "$shot" "${shot%.png}-failed.png"
xvfb_start 1024x768x24
"$root/scripts/wine-run.sh" "$build" --init

# DISPLAY is set now, so wine-run.sh execs Wine: these pids are the programs'.
# The target watches a little longer than this script waits, so that it is
# still on screen for the screenshot when the pad fails to dock.
"$root/scripts/wine-run.sh" "$build" "$bin/targetwin.exe" --wait-docked "$((timeout_s + 30))" \
  "$target_title" >"$work/target.out" 2>"$work/target.err" &
target_pid=$!

if ! wait_line "$work/target.out" '^ready' 30 "$target_pid"; then
  cat "$work/target.err" >&2
  fail "the target window did not start"
fi

"$root/scripts/wine-run.sh" "$build" "$bin/vantro.exe" "$@" &
vantro_pid=$!

waited=0
wait_line "$work/target.out" '^docked' "$timeout_s" "$target_pid" "$vantro_pid" || waited=$?
if [ "$waited" = 2 ] && ! proc_alive "$target_pid"; then
  code=0; wait "$target_pid" || code=$?; target_pid=""
  cat "$work/target.err" >&2
  fail "the target window exited (code $code) before the pad docked"
elif [ "$waited" = 2 ]; then
  code=0; wait "$vantro_pid" || code=$?; vantro_pid=""
  fail "vantro.exe exited (code $code) before the pad docked"
elif [ "$waited" = 1 ]; then
  fail "the pad did not dock on the target window within ${timeout_s} s"
fi

echo "run: $(grep '^docked' "$work/target.out")"
sleep 1   # let both windows finish painting
xvfb_shot "$shot"
echo "$shot"
