#!/usr/bin/env bash
# Installs every Debian package the build, the app and the tests need.
# Idempotent: when everything is present it only runs dpkg-query and returns.
set -euo pipefail
PACKAGES=(
  build-essential cmake ninja-build pkg-config git
  qt6-base-dev qt6-base-dev-tools qt6-svg-dev qt6-tools-dev-tools qt6-l10n-tools
  libqt6svg6 qcoro-qt6-dev
  libx11-dev libx11-xcb-dev libxcb1-dev libxcb-shm0-dev libxcb-xfixes0-dev libxcb-randr0-dev
  libxcb-composite0-dev libxcb-damage0-dev libxcb-xtest0-dev libxcb-ewmh-dev libxcb-res0-dev libxcb-xkb-dev
  libxcb-image0-dev libxcb-util-dev libxcb-icccm4-dev libxcb-shape0-dev libxkbcommon-dev libxkbcommon-x11-dev
  libicu-dev libbenchmark-dev
  xvfb xauth openbox tint2 x11-utils x11-xkb-utils x11-xserver-utils xdotool
  haskell-gtk-sni-tray-utils
  fonts-dejavu-core fonts-noto-cjk
  libatspi2.0-dev at-spi2-core dbus-daemon libxcb-xinput-dev
  qt6-webengine-dev qt6-pdf-dev qpdf dbus-x11
  fonts-material-design-icons-iconfont
  libpam0g-dev libpam-wrapper
  qt6-translations-l10n
  chromium evince xterm firefox-esr zenity mousepad
  xcompmgr
  xclip
  iproute2 python3
  libtesseract-dev tesseract-ocr-deu tesseract-ocr-eng tesseract-ocr-spa tesseract-ocr-fra tesseract-ocr-ita
  tesseract-ocr-jpn tesseract-ocr-rus tesseract-ocr-tur tesseract-ocr-chi-sim
)
missing=()
for p in "${PACKAGES[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$p")
done
if ((${#missing[@]})); then
  SUDO=""; [[ $(id -u) -eq 0 ]] || SUDO=sudo
  echo "Installing: ${missing[*]}"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
