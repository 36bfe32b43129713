# Sourced by test.sh and run.sh: installs the Debian packages the project
# needs, and only when one of them is missing.
TOLVANE_PACKAGES=(
  g++ clang-14 libclang-rt-14-dev cmake ninja-build pkg-config ccache
  qt6-base-dev qt6-svg-dev
  librtmidi-dev libasound2-dev
  jackd2 libjack-jackd2-dev
  pipewire pipewire-bin pipewire-jack wireplumber dbus-daemon
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth xdotool imagemagick
  desktop-file-utils appstream dpkg-dev
  fonts-roboto fonts-dseg
)

tolvane_ensure_deps() {
  local missing=()
  local p
  for p in "${TOLVANE_PACKAGES[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed"; then
      missing+=("$p")
    fi
  done
  if [ ${#missing[@]} -eq 0 ]; then
    return 0
  fi
  echo "Installing: ${missing[*]}"
  local sudo=""
  if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update
  $sudo apt-get install -y --no-install-recommends "${missing[@]}"
}

tolvane_build() {
  local dir="${1:-build}"
  if [ ! -f "$dir/build.ninja" ]; then
    cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
  fi
  cmake --build "$dir" -j "$(nproc)"
}
