#!/bin/sh
# Installs the Debian packages the build, the tests and the benchmarks need.
# Idempotent: asks dpkg first and only calls apt-get when something is missing,
# so `make` stays fast on a machine that already has everything.
set -eu

PACKAGES="
cmake
ninja-build
g++
pkg-config
libgtest-dev
libgmock-dev
libbenchmark-dev
libxml2-dev
libcli11-dev
fp-compiler
time
qt6-base-dev
libdtl-dev
nettle-dev
libgit2-dev
git
patch
libgl-dev
fonts-dejavu-core
xvfb
xauth
clang
libclang-rt-14-dev
nlohmann-json3-dev
clang-format
help2man
dpkg-dev
file
man-db
desktop-file-utils
lintian
"

missing=""
for p in $PACKAGES; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing="$missing $p"
  fi
done

[ -z "$missing" ] && exit 0

echo "deps: installing$missing" >&2
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
# shellcheck disable=SC2086
$SUDO apt-get install -y -qq --no-install-recommends $missing
