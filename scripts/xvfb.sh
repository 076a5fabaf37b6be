# Sourced by the other scripts: start and stop a private Xvfb server by pid.
#
#   proc_alive PID       true while the process runs (a zombie counts as gone)
#   xvfb_start [WxHxD]   starts Xvfb on a free display number; sets XVFB_PID and
#                        exports DISPLAY. Returns non-zero if it did not come up.
#   xvfb_stop            stops the server started by xvfb_start, if any.

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
  local fdfile
  fdfile="$(mktemp)"
  # -displayfd: the server picks a free display and writes its number once ready.
  Xvfb -displayfd 3 -screen 0 "$geometry" -nolisten tcp -noreset 3>"$fdfile" >/dev/null 2>&1 &
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
