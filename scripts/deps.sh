#!/usr/bin/env bash
# Installs, with apt-get, whatever build and test packages this machine lacks. The last row is what
# building and checking the Debian package needs: dpkg-shlibdeps (dpkg-dev, which reads programs
# with file) and the validators of the desktop entry and the AppStream metadata. Qt Charts draws
# the what-if curves; its CMake package needs Qt OpenGL's development files besides its own.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-charts-dev libqt6opengl6-dev libgl-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  nlohmann-json3-dev
  clang-format poppler-utils
  python3
  dpkg-dev file appstream desktop-file-utils
  clang libclang-rt-14-dev
  xvfb xauth openbox
)

missing=()
for pkg in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$pkg")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing missing packages: ${missing[*]}"
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
  sudo_cmd=(sudo)
fi
"${sudo_cmd[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
