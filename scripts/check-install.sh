#!/usr/bin/env bash
# Checks the install: installs into a scratch prefix, validates the desktop
# entry and the metainfo, checks the icons, the manual pages and the shell
# completion, then builds the Debian package and checks its control file.
# Needs no network.
#   scripts/check-install.sh [BUILD_DIR]
# Without BUILD_DIR it builds build/ first (as scripts/build.sh does).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
if [ $# -ge 1 ]; then
  build=$(cd "$1" && pwd)
else
  "$root/scripts/build.sh"
  build=$root/build
fi

for tool in desktop-file-validate appstreamcli man file dpkg-deb dpkg-shlibdeps cpack; do
  command -v "$tool" >/dev/null || { echo "check-install: $tool is missing (run scripts/setup.sh)" >&2; exit 1; }
done

scratch=$(mktemp -d "${TMPDIR:-/tmp}/norvane-install.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
prefix=$scratch/usr
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
step() { echo "--- $*"; }

step "cmake --install into $prefix"
cmake --install "$build" --prefix "$prefix" >/dev/null

step "programs"
for program in norvane norvane-cli; do
  [ -x "$prefix/bin/$program" ] || fail "bin/$program is not installed"
done
version=$("$prefix/bin/norvane-cli" --version) || fail "norvane-cli --version failed"
[[ $version == "norvane-cli "[0-9]* ]] || fail "norvane-cli --version printed '$version'"

step "desktop entry"
desktop=$prefix/share/applications/org.example.Norvane.desktop
if [ -f "$desktop" ]; then
  desktop-file-validate "$desktop" || fail "desktop-file-validate rejects $desktop"
  mime=$(sed -n 's/^MimeType=//p' "$desktop")
  for type in application/mbox message/rfc822; do
    [[ ";$mime" == *";$type;"* ]] || fail "the desktop entry does not offer $type"
  done
  [[ ";$mime" != *";text/plain;"* ]] || fail "the desktop entry claims text/plain"
  grep -qx 'Icon=org.example.Norvane' "$desktop" || fail "the desktop entry's icon is not org.example.Norvane"
else
  fail "$desktop is not installed"
fi

step "metainfo"
metainfo=$prefix/share/metainfo/org.example.Norvane.metainfo.xml
if [ -f "$metainfo" ]; then
  appstreamcli validate --no-net "$metainfo" >"$scratch/appstream.log" 2>&1 ||
    { cat "$scratch/appstream.log" >&2; fail "appstreamcli rejects $metainfo"; }
else
  fail "$metainfo is not installed"
fi

step "icons"
for size in 16 32 48 64 128 256; do
  icon=$prefix/share/icons/hicolor/${size}x${size}/apps/org.example.Norvane.png
  if [ -f "$icon" ]; then
    [[ $(file -b "$icon") == "PNG image data, $size x $size,"* ]] ||
      fail "$icon is not a $size x $size PNG: $(file -b "$icon")"
  else
    fail "$icon is not installed"
  fi
done
svg=$prefix/share/icons/hicolor/scalable/apps/org.example.Norvane.svg
if [ -f "$svg" ]; then
  [[ $(file -b "$svg") == "SVG Scalable Vector Graphics image"* ]] || fail "$svg is not an SVG: $(file -b "$svg")"
else
  fail "$svg is not installed"
fi

step "manual pages"
for page in norvane norvane-cli; do
  man1=$prefix/share/man/man1/$page.1.gz
  if [ ! -f "$man1" ]; then
    fail "$man1 is not installed"
    continue
  fi
  for locale in C.UTF-8 C; do
    LC_ALL=$locale MANWIDTH=80 man --warnings -l "$man1" >"$scratch/man.out" 2>"$scratch/man.err" ||
      fail "man -l $man1 failed"
    [ ! -s "$scratch/man.err" ] || { cat "$scratch/man.err" >&2; fail "$page.1 warns under LC_ALL=$locale"; }
  done
  grep -q "^NAME" "$scratch/man.out" || fail "$page.1 renders without a NAME section"
done

step "bash completion"
completion=$prefix/share/bash-completion/completions/norvane-cli
if [ -f "$completion" ]; then
  "$root/tests/install/completion-test.sh" "$completion" "$prefix/bin/norvane-cli" || fail "the completion test failed"
else
  fail "$completion is not installed"
fi

step "cpack -G DEB"
(cd "$build" && cpack -G DEB -B "$scratch/package" >"$scratch/cpack.log" 2>&1) ||
  { cat "$scratch/cpack.log" >&2; fail "cpack -G DEB failed"; }
debs=("$scratch"/package/norvane_*.deb)
if [ -f "${debs[0]}" ]; then
  deb=${debs[0]}
  echo "$(basename "$deb")"
  [ "$(dpkg-deb -f "$deb" Package)" = norvane ] || fail "the package is not named norvane"
  [ "$(dpkg-deb -f "$deb" Section)" = mail ] || fail "the package's section is not mail"
  depends=$(dpkg-deb -f "$deb" Depends)
  echo "Depends: $depends"
  # The run-time packages Qt does not declare, and the computed libraries.
  for package in qt6-qpa-plugins qt6-translations-l10n fonts-ipafont-gothic libc6 libstdc++6 libqt6widgets6; do
    [[ ", $depends," == *", $package"[\ ,]* ]] || fail "the package does not depend on $package"
  done
  dpkg-deb -c "$deb" >"$scratch/contents"
  for path in ./usr/bin/norvane ./usr/bin/norvane-cli \
      ./usr/share/applications/org.example.Norvane.desktop \
      ./usr/share/metainfo/org.example.Norvane.metainfo.xml \
      ./usr/share/icons/hicolor/scalable/apps/org.example.Norvane.svg \
      ./usr/share/man/man1/norvane.1.gz ./usr/share/man/man1/norvane-cli.1.gz \
      ./usr/share/bash-completion/completions/norvane-cli; do
    grep -q " $path\$" "$scratch/contents" || fail "the package lacks $path"
  done
  dpkg-deb -x "$deb" "$scratch/unpacked"
  "$scratch/unpacked/usr/bin/norvane-cli" --version >/dev/null || fail "the packaged norvane-cli does not run"
else
  fail "cpack made no norvane_*.deb"
fi

if [ "$failures" -gt 0 ]; then
  echo "check-install: $failures failed" >&2
  exit 1
fi
echo "check-install: all passed"
