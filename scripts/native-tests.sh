#!/usr/bin/env bash
# Builds the platform-free settings rules (settings/IniRules.cpp) with the host
# compiler under AddressSanitizer and UndefinedBehaviorSanitizer, then runs their
# unit test and fuzzes them for a bounded time. Uses clang with libFuzzer when
# it is there (and installs it when it is missing), otherwise g++ with a
# bounded random-input driver. Exits non-zero on any failure or sanitizer report.
#
#   scripts/native-tests.sh            fuzz for 20 s
#   VANTRO_FUZZ_SECONDS=120 scripts/native-tests.sh
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$root/build/native"
seconds="${VANTRO_FUZZ_SECONDS:-20}"

SUDO=()
if [ "$(id -u)" -ne 0 ]; then SUDO=(sudo); fi

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'ok installed'; }

install_missing() {  # PACKAGE...; returns non-zero when apt-get fails
  local missing=() p
  for p in "$@"; do installed "$p" || missing+=("$p"); done
  [ ${#missing[@]} -eq 0 ] && return 0
  command -v apt-get >/dev/null || return 1
  echo "native-tests: installing ${missing[*]}" >&2
  export DEBIAN_FRONTEND=noninteractive
  "${SUDO[@]}" apt-get update -q </dev/null >/dev/null &&
    "${SUDO[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}" </dev/null >/dev/null
}

if command -v dpkg-query >/dev/null; then
  install_missing cmake make g++ googletest
  # libFuzzer lives in clang's runtime package; without it, fall back to g++.
  install_missing clang libclang-rt-14-dev ||
    echo "native-tests: clang/libFuzzer not installable, using g++ and the random-input driver" >&2
fi

compiler=g++
if command -v clang++ >/dev/null; then compiler=clang++; fi

# A compiler change needs a fresh configure.
if [ -f "$build/CMakeCache.txt" ] && ! grep -q "CMAKE_CXX_COMPILER:.*$compiler\$" "$build/CMakeCache.txt"; then
  rm -rf "$build"
fi
cmake -S "$root/tests/native" -B "$build" -DCMAKE_CXX_COMPILER="$compiler" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j "${VANTRO_JOBS:-$(nproc)}"

export ASAN_OPTIONS="abort_on_error=1:detect_leaks=1"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"

echo "native-tests: unit tests"
"$build/inirules_test"
"$build/targettext_test"

echo "native-tests: fuzzing for ${seconds} s"
corpus="$build/corpus"
mkdir -p "$corpus" "$build/artifacts"
# A few seeds of the shapes the rules know; libFuzzer grows the corpus from them.
printf '0x1F' >"$corpus/seed-hex"
printf '  -2147483648' >"$corpus/seed-dec"
printf '2147483647' >"$corpus/seed-max"
printf '$0FFFFFFFF' >"$corpus/seed-pattern"
printf '\xa2abc\xa3' >"$corpus/seed-text"
printf 'C:\\\x83\x5c\\\x95\x5c.EXE' >"$corpus/seed-path"
log="$build/fuzz.log"
code=0
if [ "$(cat "$build/fuzz-engine.txt")" = libfuzzer ]; then
  "$build/inirules_fuzz" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -use_value_profile=1 \
    -artifact_prefix="$build/artifacts/" -print_final_stats=1 "$corpus" >"$log" 2>&1 || code=$?
else
  "$build/inirules_fuzz" -max_total_time="$seconds" >"$log" 2>&1 || code=$?
fi
tail -n 15 "$log"
if [ "$code" -ne 0 ] || grep -qE 'ERROR: (AddressSanitizer|LeakSanitizer|libFuzzer)|runtime error:|inirules_fuzz: ' "$log"; then
  echo "native-tests: the fuzz target failed (exit $code); see $log and $build/artifacts" >&2
  exit 1
fi
echo "native-tests: passed"
