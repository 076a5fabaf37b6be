#!/usr/bin/env bash
# Makes the README's screenshots of the real program:
#
#   scripts/screenshots.sh [--out DIR]      (default DIR: docs/)
#
#   screenshot-pad.png         the pad docked on a target window, SHIFT latched
#   screenshot-settings.png    the settings dialog
#   screenshot-add-target.png  the add-target dialog beside the settings dialog
#
# Installs what is missing and builds like scripts/run.sh, then runs on a
# private Xvfb display (even when DISPLAY is set) in a Wine prefix of its own
# (build/screenshots/wine/wineprefix), so that tests running at the same time
# in build/mingw are not disturbed. vantro.exe runs from a fresh folder, so it
# starts with its first-run settings. tests/tools/vantroshot.cpp clicks the
# program with real mouse input. Everything started here is stopped again.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$root/build/mingw"
bin="$build/bin"
winedir="$root/build/screenshots/wine"
out="$root/docs"
target_title='C:\ - ｴｸｽﾌﾟﾛｰﾗ'
# The target window's outer rectangle on the 1024x768 screen: left top width height.
target_rect=(60 80 480 150)
margin=8

while [ $# -gt 0 ]; do
  case "$1" in
    --out) out="$(realpath -m -- "$2")"; shift 2 ;;
    -h|--help) sed -n '2,16p' "$0"; exit 0 ;;
    *) echo "screenshots: unknown option $1 (see --help)" >&2; exit 64 ;;
  esac
done

cd "$root"
bash "$root/scripts/deps.sh"
cmake --preset mingw
cmake --build --preset mingw -j "${VANTRO_JOBS:-$(nproc)}" --target vantro targetwin vantroshot

# shellcheck source=xvfb.sh
. "$root/scripts/xvfb.sh"
unset DISPLAY

work="$(mktemp -d)"
pids=()
stop_all() {
  local i
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
    kill "${pids[i]}" 2>/dev/null || true
    wait "${pids[i]}" 2>/dev/null || true
  done
  WINEPREFIX="$winedir/wineprefix" wineserver -k >/dev/null 2>&1 || true
  xvfb_stop
  rm -rf "$work"
}
trap stop_all EXIT
trap 'exit 143' TERM
trap 'exit 130' INT

fail() {
  echo "screenshots: $*" >&2
  if [ -n "$XVFB_PID" ] && xvfb_shot "$work/failed.png" 2>/dev/null; then
    mkdir -p "$root/build/screenshots"
    cp "$work/failed.png" "$root/build/screenshots/failed.png"
    echo "screenshots: screenshot of the failed state: build/screenshots/failed.png" >&2
  fi
  exit 1
}

wine_run() { "$root/scripts/wine-run.sh" "$winedir" "$@"; }

# Saves the screen region L T R B, widened by the margin on every side, to FILE.
shot_region() {
  local file="$1" l="$2" t="$3" r="$4" b="$5"
  l=$((l - margin < 0 ? 0 : l - margin))
  t=$((t - margin < 0 ? 0 : t - margin))
  r=$((r + margin)) b=$((b + margin))
  xvfb_shot "$work/screen.png"
  mkdir -p "$(dirname "$file")"
  convert "$work/screen.png" -crop "$((r - l))x$((b - t))+$l+$t" +repage "$file"
  echo "$file"
}

# Runs one vantroshot command and prints the rectangle it reports ("L T R B").
drive() {
  local line
  line="$(wine_run "$bin/vantroshot.exe" "$1" 2>"$work/vantroshot.err" | tr -d '\r')" ||
    { cat "$work/vantroshot.err" >&2; fail "vantroshot $1 failed"; }
  [[ "$line" == ready\ * ]] || fail "vantroshot $1 said: $line"
  echo "${line#ready }"
}

rm -f "$root/build/screenshots/failed.png"
# The first-run settings: vantro.exe keeps its settings file beside itself.
# A file that holds only the default option gives the defaults everywhere, and
# keeps the first start's notification off the pictures.
cp "$bin/vantro.exe" "$work/vantro.exe"
printf '[Target]\r\nAll=0\r\n' >"$work/vantro.ini"

# A white root window: the margins around the crops stay plain.
xvfb_start 1024x768x24 -wr || fail "Xvfb did not start"
wine_run --init

wine_run "$bin/targetwin.exe" --wait-docked 120 --rect "${target_rect[@]}" "$target_title" \
  >"$work/target.out" 2>"$work/target.err" &
pids+=($!)
if ! wait_line "$work/target.out" '^ready' 30 "${pids[0]}"; then
  cat "$work/target.err" >&2
  fail "the target window did not start"
fi

wine_run "$work/vantro.exe" &
pids+=($!)
if ! wait_line "$work/target.out" '^docked' 60 "${pids[@]}"; then
  cat "$work/target.err" >&2
  fail "the pad did not dock on the target window"
fi
sleep 1   # let both windows finish painting

# 1. The pad with SHIFT latched, on the top of the target window.
drive latch >/dev/null
tl=${target_rect[0]} tt=${target_rect[1]}
shot_region "$out/screenshot-pad.png" "$tl" "$tt" "$((tl + target_rect[2]))" "$((tt + 60))"

# 2. The settings dialog, opened from the pad's name label.
rect="$(drive settings)"
read -r l t r b <<<"$rect"
shot_region "$out/screenshot-settings.png" "$l" "$t" "$r" "$b"

# 3. The add-target dialog, opened from the settings dialog.
rect="$(drive add)"
read -r l t r b <<<"$rect"
shot_region "$out/screenshot-add-target.png" "$l" "$t" "$r" "$b"
