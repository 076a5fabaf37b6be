#!/usr/bin/env bash
# The pad's benchmark (not part of the test command): how fast vantro.exe
# follows its target and what it costs when idle, side by side with
# barepoll.exe, a bare Win32 program that polls the foreground every 100 ms and
# moves a strip onto the target's caption (bench/barepoll.cpp). Both run
# in the same Wine session on a private Xvfb display, one after the other,
# measured by bench/padbench.cpp:
#
#   scripts/bench.sh [--rounds N] [--idle SECONDS]
#
# dock: from the target coming to the front until the strip is shown on it;
# move: from the target moving 40 px until the strip is at its new place;
# idle CPU: the program's processor time with the target in front, as a share
# of one core; private mem: its private bytes (under Wine: those of its Linux
# process, read at the start of the idle time).
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$root/build/mingw"
cd "$root"
bash "$root/scripts/deps.sh"
cmake --preset mingw >/dev/null
cmake --build --preset mingw -j "${VANTRO_JOBS:-$(nproc)}" --target vantro barepoll padbench >/dev/null
echo "bench: $(wine --version 2>/dev/null || echo wine), $(nproc) cores, $(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -n1)"

# Wine reports no processor times or memory of another process: under Wine the
# idle figures are read from the program's Linux process instead, between the
# "idle NAME begin" and "idle NAME end" lines of padbench.
ticks=$(getconf CLK_TCK)
linux_pid() { pgrep -n -f "padbench\.[0-9]+.$1" || true; }
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat" 2>/dev/null || echo 0; }
private_kb() { awk '/^Private_(Clean|Dirty):/ { kb += $2 } END { print kb + 0 }' "/proc/$1/smaps_rollup" 2>/dev/null || echo 0; }
extra=""
# Without DISPLAY the runner starts a private Xvfb and stops it afterwards.
while IFS= read -r line; do
  line=${line%$'\r'}
  case "$line" in
    "idle "*" begin")
      name=${line#idle }; name=${name% begin}
      pid=$(linux_pid "$name"); kb=$(private_kb "${pid:-0}"); c0=$(cpu_ticks "${pid:-0}"); t0=$(date +%s.%N) ;;
    "idle "*" end")
      c1=$(cpu_ticks "${pid:-0}"); t1=$(date +%s.%N)
      extra+=$(awk -v n="$name" -v c="$((c1 - c0))" -v hz="$ticks" -v a="$t0" -v b="$t1" -v kb="$kb" \
        'BEGIN { printf "%-14s %8.2f%% %9d KB\n", n, 100 * c / hz / (b - a), kb }')$'\n' ;;
    *) printf '%s\n' "$line" ;;
  esac
done < <(env -u DISPLAY "$root/scripts/wine-run.sh" "$build" "$build/bin/padbench.exe" "$@" \
  vantro.exe TVTform barepoll.exe BarePollPad)
if [ -n "$extra" ]; then
  echo "as Linux processes under Wine:   idle CPU  private mem"
  printf '%s' "$extra"
fi
