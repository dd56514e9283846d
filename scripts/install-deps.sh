#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing need.
# Idempotent: quiet and quick when everything is already there.
#   --bench   also what bench/run.sh needs: the programs it compares with and the profilers
#   --matrix  also the other window managers, trays and sound server that the headless desktop
#             can start (scripts/headless-desktop.sh --wm/--tray/--sound): about 265 packages
set -euo pipefail

packages=(
  build-essential pkg-config cmake ninja-build clang-format ccache
  qt6-base-dev qt6-base-dev-tools qt6-translations-l10n
  libxcb1-dev libxcb-ewmh-dev libxcb-icccm4-dev libxcb-randr0-dev libxcb-xtest0-dev
  libxcb-xkb-dev libxcb-xinput-dev libxcb-shape0-dev
  libpulse-dev libsm-dev libice-dev
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  xvfb openbox trayer xdotool wmctrl xterm x11-apps x11-utils x11-xserver-utils
  pulseaudio pulseaudio-utils dbus dbus-x11
  fonts-ipafont-gothic imagemagick procps desktop-file-utils
  dpkg-dev file lintian appstream gzip man-db groff-base
)
for arg in "$@"; do
  case $arg in
    --bench) packages+=(kdocker strace valgrind) ;;
    --matrix)
      packages+=(xfwm4 metacity mutter kwin-x11 kwin-style-breeze marco mate-settings-daemon-common
        icewm fluxbox i3-wm xfce4-panel xfconf pipewire pipewire-pulse wireplumber) ;;
    *) echo "install-deps.sh: unknown option $arg" >&2; exit 2 ;;
  esac
done

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q '^install ok installed$'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
echo "Installing ${#missing[@]} Debian packages: ${missing[*]}" >&2
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq >/dev/null
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
