#!/usr/bin/env bash
# Installs every Debian package needed to build, test, benchmark and run both programs.
# Idempotent: prints nothing and does nothing when everything is already there.
set -euo pipefail

packages=(
  build-essential cmake ninja-build clang clang-format libclang-rt-14-dev
  libsdl2-dev qt6-base-dev libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth xdotool imagemagick x11-apps x11-utils python3
  dpkg-dev fakeroot file lintian desktop-file-utils appstream libxml2-utils man-db
  emscripten node-acorn chromium
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

line="apt-get install -y --no-install-recommends ${missing[*]}"
if [ "$(id -u)" -ne 0 ]; then
  echo "Missing packages: ${missing[*]}" >&2
  echo "Install them as root with:" >&2
  echo "  apt-get update && $line" >&2
  exit 1
fi

echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
