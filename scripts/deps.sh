#!/usr/bin/env bash
# Installs what building and running Vantro Pad on Debian 12 (Wine 8, MinGW-w64
# GCC 12) or Debian 13 (Wine 10, GCC 14) needs, under the same package names on
# both (Debian 13 still splits Wine into `wine` and `wine64`), and enables
# the ja_JP.UTF-8 locale (Wine takes its code page, 932, from it) and the
# en_US.UTF-8 one (code page 1252, the tests' second system locale).
# Does no network work when everything is already there. Needs root (or sudo).
set -euo pipefail

PACKAGES=(
  cmake make procps
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  googletest
  wine wine64
  xvfb xauth x11-utils imagemagick xdotool
  locales fonts-ipafont-gothic fonts-liberation fonts-wine
  # scripts/check-release.sh reads the CI workflow with PyYAML.
  python3 python3-yaml
  # The build makes the guide page from README.ja.md with Python-Markdown.
  python3-markdown
  # X extensions Wine's display driver uses (rendering, pointer, screens);
  # listed because --no-install-recommends would leave them out.
  libxrender1 libxrandr2 libxi6 libxcursor1 libxinerama1 libxcomposite1
  libxfixes3 libxxf86vm1
)

SUDO=()
if [ "$(id -u)" -ne 0 ]; then SUDO=(sudo); fi

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "deps: installing ${missing[*]}" >&2
  export DEBIAN_FRONTEND=noninteractive
  "${SUDO[@]}" apt-get update -q </dev/null
  "${SUDO[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}" </dev/null
fi

# ja_JP.UTF-8 gives Wine the system code page 932; en_US.UTF-8 (code page
# 1252) is the second system locale the tests run under.
for loc in ja_JP en_US; do
  if ! locale -a 2>/dev/null | grep -qix "${loc}.utf8"; then
    echo "deps: generating the ${loc}.UTF-8 locale" >&2
    if grep -q "^[#[:space:]]*${loc}.UTF-8 UTF-8" /etc/locale.gen; then
      "${SUDO[@]}" sed -i "s/^[#[:space:]]*${loc}.UTF-8 UTF-8/${loc}.UTF-8 UTF-8/" /etc/locale.gen
    else
      echo "${loc}.UTF-8 UTF-8" | "${SUDO[@]}" tee -a /etc/locale.gen >/dev/null
    fi
    "${SUDO[@]}" locale-gen >/dev/null
  fi
done
