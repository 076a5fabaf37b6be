#!/usr/bin/env bash
# Runs a Windows program of this project under Wine, in a Wine prefix that
# belongs to one build folder. CMake uses it as the cross-compiling emulator,
# so ctest runs every test program through it.
#
#   scripts/wine-run.sh BUILD_DIR PROGRAM.exe [ARGS...]   run, return its exit code
#   scripts/wine-run.sh BUILD_DIR --init                  only create/configure the prefix
#
# The prefix is BUILD_DIR/wineprefix (never the user's own ~/.wine). It is
# created on first use, with the settings Vantro needs to look right: Wine draws
# window frames and captions itself (there may be no window manager), and
# Japanese fonts stand in for the Windows ones. Concurrent first runs wait for
# one another.
#
# With VANTRO_WINE_LOGPIXELS set (e.g. 144) a prefix that is being created gets
# that screen resolution (HKCU\Control Panel\Desktop LogPixels), which every
# program in it then sees; give such a prefix a BUILD_DIR of its own.
#
# With VANTRO_WINE_LC_ALL set (e.g. en_US.UTF-8) Wine runs under that locale
# instead of ja_JP.UTF-8, so the system's code page is another one (1252 for
# en_US); the programs' manifests still give them code page 932. Give such a
# run a BUILD_DIR of its own too.
#
# With DISPLAY set the program runs on that display. Without it the script
# starts its own Xvfb, and afterwards stops the Wine processes of the prefix
# and the Xvfb server again.
set -euo pipefail

if [ $# -lt 2 ]; then
  echo "usage: $0 BUILD_DIR PROGRAM.exe [ARGS...] | $0 BUILD_DIR --init" >&2
  exit 125
fi

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
mkdir -p "$1"
build="$(cd "$1" && pwd)"
shift

export WINEPREFIX="$build/wineprefix"
export WINEARCH=win64
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="   # no Mono/Gecko install prompts
# Wine's system code page follows the locale: 932 for ja_JP.
export LC_ALL="${VANTRO_WINE_LC_ALL:-ja_JP.UTF-8}"
unset LANGUAGE

# Bump when the prefix settings below change, so existing prefixes are redone.
PREFIX_STAMP="$WINEPREFIX/.vantro-prefix-v3"
MARLETT_TTF=/usr/share/wine/fonts/marlett.ttf   # package fonts-wine

# shellcheck source=xvfb.sh
. "$here/xvfb.sh"

if ! locale -a 2>/dev/null | grep -qix "$(echo "$LC_ALL" | sed 's/UTF-8$/utf8/')"; then
  echo "wine-run: locale $LC_ALL is missing (run scripts/deps.sh); Wine falls back to code page 1252" >&2
fi

reg_add() {  # KEY NAME TYPE DATA
  wine reg add "$1" /v "$2" /t "$3" /d "$4" /f >/dev/null
}

configure_prefix() {
  [ -f "$PREFIX_STAMP" ] && return 0
  exec 9>"$build/wineprefix.lock"
  flock 9
  if [ ! -f "$PREFIX_STAMP" ]; then
    echo "wine-run: creating Wine prefix $WINEPREFIX" >&2
    timeout 300 wineboot -i >/dev/null 2>&1
    # Caption buttons are drawn with the Marlett font. Wine does not find the copy
    # that the fonts-wine package installs, but it does load it from the
    # prefix's Fonts folder; without it the buttons show as the letters "0 1 r".
    if [ -f "$MARLETT_TTF" ]; then
      cp "$MARLETT_TTF" "$WINEPREFIX/drive_c/windows/Fonts/marlett.ttf"
    fi
    # Wine draws frames and captions itself instead of leaving them to a window manager.
    reg_add 'HKCU\Software\Wine\X11 Driver' Decorated REG_SZ N
    # Without a window manager, a managed window waits 2 s for the manager each
    # time it is hidden or destroyed; unmanaged windows do not.
    reg_add 'HKCU\Software\Wine\X11 Driver' Managed REG_SZ N
    if [ -n "${VANTRO_WINE_LOGPIXELS:-}" ]; then
      reg_add 'HKCU\Control Panel\Desktop' LogPixels REG_DWORD "$VANTRO_WINE_LOGPIXELS"
    fi
    # A crashing test program ends instead of opening Wine's crash dialog.
    reg_add 'HKCU\Software\Wine\WineDbg' ShowCrashDialog REG_DWORD 0
    # Fonts the program asks for, mapped to fonts installed on this machine.
    local repl='HKCU\Software\Wine\Fonts\Replacements'
    reg_add "$repl" 'ＭＳ Ｐゴシック' REG_SZ IPAPGothic
    reg_add "$repl" 'ＭＳ ゴシック' REG_SZ IPAGothic
    reg_add "$repl" 'MS UI Gothic' REG_SZ IPAPGothic
    reg_add "$repl" 'Arial' REG_SZ 'Liberation Sans'
    # Captions and dialogs use Tahoma, which has no Japanese glyphs: link a font that has them.
    local link='HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink'
    reg_add "$link" Tahoma REG_MULTI_SZ 'ipagp.ttf,IPAPGothic'
    reg_add "$link" 'Liberation Sans' REG_MULTI_SZ 'ipagp.ttf,IPAPGothic'
    # Let the server exit so that the registry is written to disk now.
    timeout 120 wineserver -w || true
    touch "$PREFIX_STAMP"
  fi
  flock -u 9
  exec 9>&-
}

own_display=0
child=""
cleanup() {
  if [ -n "$child" ]; then kill "$child" 2>/dev/null || true; fi
  if [ "$own_display" = 1 ]; then
    wineserver -k 2>/dev/null || true
    xvfb_stop
  fi
}

if [ -z "${DISPLAY:-}" ]; then
  xvfb_start 1280x1024x24
  own_display=1
  trap cleanup EXIT
  trap 'exit 143' TERM
  trap 'exit 130' INT
fi

configure_prefix

if [ "$1" = "--init" ]; then
  exit 0
fi

if [ "$own_display" = 0 ]; then
  exec wine "$@"
fi

# Own display: keep this shell alive to clean up after the program.
code=0
wine "$@" &
child=$!
wait "$child" || code=$?
child=""
exit "$code"
