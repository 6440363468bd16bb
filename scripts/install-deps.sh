#!/usr/bin/env bash
# Installs the Debian 12 packages that building, testing and running Tessaly need. Does nothing when
# they are all present already. Run as root.
set -euo pipefail

packages=(
  build-essential cmake pkg-config git
  libgtest-dev libgmock-dev libbenchmark-dev
  libgtk-3-dev libwebkit2gtk-4.1-dev libxerces-c-dev libcurl4-openssl-dev libssl-dev libx11-dev libxcb1-dev libxtst-dev
  libcpp-httplib-dev qtbase5-dev python3
  xvfb xauth x11-utils imagemagick fonts-dejavu-core binutils openbox
  libxml2-utils libfontconfig-dev
  help2man dpkg-dev file lintian
  weston
)
# The locale tests run a host under a non-C locale, generated from the locale data below.
packages+=(locales)
# The Windows build: the mingw-w64 cross compilers (posix thread model) for 32-bit Windows, which is
# what ships, and for 64-bit Windows; Wine to run the Windows tests, with gnutls for its BCrypt.
packages+=(
  g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix mingw-w64-i686-dev binutils-mingw-w64-i686
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix mingw-w64-x86-64-dev binutils-mingw-w64-x86-64
  mingw-w64-tools wine wine64 wine32:i386 libgnutls30:i386 libgnutls30 zip unzip
)
if [ "${TESSALY_EXTRA_PACKAGES:-}" ]; then
  read -r -a extra <<<"$TESSALY_EXTRA_PACKAGES"
  packages+=("${extra[@]}")
fi

# Wine's 32-bit half comes from the i386 architecture.
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
# de_DE.UTF-8 for the locale tests, generated once when the machine lacks it.
ensure_test_locale() {
  locale -a 2>/dev/null | grep -qix 'de_DE.utf8' || localedef -i de_DE -f UTF-8 de_DE.UTF-8
}
if [ ${#missing[@]} -eq 0 ]; then
  ensure_test_locale
  exit 0
fi
echo "installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
ensure_test_locale
