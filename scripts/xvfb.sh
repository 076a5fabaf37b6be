# shellcheck shell=bash
# Sourced by the other scripts: start and stop a private Xvfb server by pid,
# take screenshots of it and wait for the programs running on it.
#
#   proc_alive PID       true while the process runs (a zombie counts as gone)
#   xvfb_start [WxHxD [XVFB ARGS...]]
#                        starts Xvfb on a free display number; sets XVFB_PID and
#                        exports DISPLAY. Returns non-zero if it did not come up.
#   xvfb_stop            stops the server started by xvfb_start, if any.
#   xvfb_shot FILE       saves a screenshot of the whole display (PNG, imagemagick).
#   wait_line FILE REGEX SECONDS [PID...]
#                        waits until a line of FILE matches REGEX (grep -E).
#                        Returns 0 then, 1 when SECONDS have passed, 2 as soon as
#                        one of the PIDs has ended without the line.

XVFB_PID=""

# True while the process runs. Unlike `kill -0`, a child that has exited but
# not been waited for (a zombie) counts as gone.
proc_alive() {
  local state
  state="$(ps -o stat= -p "$1" 2>/dev/null)" || return 1
  [[ "$state" != Z* ]]
}

xvfb_start() {
  local geometry="${1:-1280x1024x24}"
  shift || true
  local fdfile
  fdfile="$(mktemp)"
  # -displayfd: the server picks a free display and writes its number once ready.
  Xvfb -displayfd 3 -screen 0 "$geometry" -nolisten tcp -noreset "$@" 3>"$fdfile" >/dev/null 2>&1 &
  XVFB_PID=$!
  local i num=""
  for ((i = 0; i < 200; i++)); do
    if [ "$(wc -l <"$fdfile")" -ge 1 ]; then
      num="$(head -n1 "$fdfile")"
      break
    fi
    if ! proc_alive "$XVFB_PID"; then break; fi
    sleep 0.05
  done
  rm -f "$fdfile"
  if [ -z "$num" ]; then
    echo "xvfb: Xvfb did not start" >&2
    xvfb_stop
    return 1
  fi
  export DISPLAY=":$num"
}

xvfb_stop() {
  if [ -n "$XVFB_PID" ]; then
    kill "$XVFB_PID" 2>/dev/null || true
    wait "$XVFB_PID" 2>/dev/null || true
    XVFB_PID=""
  fi
}

xvfb_shot() {
  mkdir -p "$(dirname "$1")"
  import -window root "$1"
}

wait_line() {
  local file="$1" regex="$2" deadline=$((SECONDS + $3)) p
  shift 3
  while :; do
    grep -Eq -- "$regex" "$file" 2>/dev/null && return 0
    for p in "$@"; do
      if ! proc_alive "$p"; then
        # It may have written the line just before it ended.
        grep -Eq -- "$regex" "$file" 2>/dev/null && return 0
        return 2
      fi
    done
    [ "$SECONDS" -lt "$deadline" ] || return 1
    sleep 0.1
  done
}
