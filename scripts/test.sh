#!/usr/bin/env bash
# The test command: installs what is missing, configures and builds with the
# "mingw" preset (which fails when vantro.exe is over its size budget), checks
# the CI workflow and the package (scripts/check-release.sh), then runs every
# test under Wine on a private Xvfb display.
#
#   scripts/test.sh [CTEST ARGS...]      e.g. scripts/test.sh -R acp_test
#
# A private display is used even when DISPLAY is set, because the tests move
# the pointer and hold keys. Exits with ctest's exit code, or 1 when a check
# before it failed.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
build="$root/build/mingw"

bash "$root/scripts/deps.sh"

cmake --preset mingw
# The build also checks the size of vantro.exe against its budget.
cmake --build --preset mingw -j "${VANTRO_JOBS:-$(nproc)}"

# The CI workflow (valid YAML, only documented commands) and the package.
code=0
bash "$root/scripts/check-release.sh" "$build" || code=1

# shellcheck source=xvfb.sh
. "$root/scripts/xvfb.sh"

# The Wine prefixes of the runs: the main one, the one at 144 pixels per inch
# and the one under an English system locale (see CMakeLists.txt).
prefixes=("$build" "$build/dpi144" "$build/cp1252")
cleanup() {
  for dir in "${prefixes[@]}"; do
    if [ -d "$dir/wineprefix" ]; then
      WINEPREFIX="$dir/wineprefix" wineserver -k >/dev/null 2>&1 || true
    fi
  done
  xvfb_stop
}
trap cleanup EXIT
trap 'exit 143' TERM
trap 'exit 130' INT

xvfb_start "${VANTRO_SCREEN:-1024x768x24}"
echo "test: Xvfb on $DISPLAY (pid $XVFB_PID)"
# Every prefix is made (or found made) before ctest runs, so that no test
# spends its time limit on it.
"$root/scripts/wine-run.sh" "$build" --init
VANTRO_WINE_LOGPIXELS=144 "$root/scripts/wine-run.sh" "$build/dpi144" --init
VANTRO_WINE_LC_ALL=en_US.UTF-8 "$root/scripts/wine-run.sh" "$build/cp1252" --init

# The pure settings rules, built natively under the sanitizers and fuzzed for a
# bounded time (skipped when only some tests were asked for). They run first so
# that ctest's summary closes the output.
if [ $# -eq 0 ]; then
  bash "$root/scripts/native-tests.sh" || code=1
fi
ctest --test-dir "$build" --output-on-failure "$@" || code=$?
exit "$code"
