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

cleanup() {
  WINEPREFIX="$build/wineprefix" wineserver -k >/dev/null 2>&1 || true
  # The prefix of the tests that run at 144 pixels per inch.
  if [ -d "$build/dpi144/wineprefix" ]; then
    WINEPREFIX="$build/dpi144/wineprefix" wineserver -k >/dev/null 2>&1 || true
  fi
  xvfb_stop
}
trap cleanup EXIT
trap 'exit 143' TERM
trap 'exit 130' INT

xvfb_start "${VANTRO_SCREEN:-1024x768x24}"
echo "test: Xvfb on $DISPLAY (pid $XVFB_PID)"
"$root/scripts/wine-run.sh" "$build" --init

# The pure settings rules, built natively under the sanitizers and fuzzed for a
# bounded time (skipped when only some tests were asked for). They run first so
# that ctest's summary closes the output.
if [ $# -eq 0 ]; then
  bash "$root/scripts/native-tests.sh" || code=1
fi
ctest --test-dir "$build" --output-on-failure "$@" || code=$?
exit "$code"
