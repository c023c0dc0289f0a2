#!/bin/sh
# Installs the Debian 12 packages that building, running and testing Tintwright need.
# Only what is missing is installed; sudo is used when not running as root.
set -e
packages="cmake make g++ clang libclang-rt-14-dev googletest python3
g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 wine wine64 xvfb x11-utils x11-xserver-utils x11-apps
libstb-dev imagemagick xdotool openbox nsis zip chromium fonts-liberation fonts-wine libchm-bin clang-format
desktop-file-utils libglib2.0-bin shared-mime-info"
# Building and running only: the cross compiler, Wine with its fonts, and xdpyinfo.
[ "$1" = "--run-only" ] && packages="cmake make g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
wine wine64 fonts-liberation fonts-wine libstb-dev x11-utils"
# The help file's compiler, chmcmd, comes with Free Pascal's utilities unless it is there already.
command -v chmcmd >/dev/null 2>&1 || packages="$packages fp-utils"

missing=""
for p in $packages; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
[ -z "$missing" ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "Installing:$missing"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends $missing >/dev/null
