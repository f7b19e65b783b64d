#!/usr/bin/env bash
# Installs what Norvane needs to build, test and run on Debian 12.
# Does nothing when everything is present.
set -euo pipefail

packages=(
  g++ cmake ninja-build libgtest-dev pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev qt6-qpa-plugins
  # lrelease and lupdate for the translations, and Qt's own catalogues
  qt6-l10n-tools qt6-translations-l10n
  xvfb xauth fonts-ipafont-gothic fonts-ipafont-mincho
  # the install check and the Debian package (scripts/check-install.sh)
  desktop-file-utils appstream man-db groff-base dpkg-dev file
  # the tests that read the tool's JSON records
  python3
  # the tests that apply the tool's --diff output
  patch
  # the fuzz targets (scripts/fuzz.sh): the compiler, and the fuzzer and
  # sanitizer runtime, which clang only recommends
  clang libclang-rt-14-dev
  # sample mails with named attachments for the attachment saving tests
  libpython3.11-testsuite
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "setup: installing ${missing[*]}" >&2
if [ "$(id -u)" -ne 0 ]; then
  SUDO=sudo
else
  SUDO=
fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q
$SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
