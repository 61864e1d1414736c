#!/bin/sh
# Installs what building and testing need on Debian 12, only what is missing:
# the MinGW-w64 cross compiler, Wine (32-bit), a virtual display, a sound
# server with a recorder, fonts for the Chinese texts, and the tools the
# tests use. Also makes the zh_CN.UTF-8 locale, without which Wine cannot
# spell file names beyond ASCII.
set -eu

packages="g++-mingw-w64-i686 cmake make python3 locales wine wine32:i386 xvfb xdotool
x11-utils imagemagick fonts-wqy-microhei pulseaudio pulseaudio-utils sox lame ffmpeg
googletest gstreamer1.0-plugins-good:i386 $*"

missing=""
for package in $packages; do
    status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
    [ "$status" = "install ok installed" ] || missing="$missing $package"
done

if [ -n "$missing" ]; then
    echo "Installing:$missing"
    if [ "$(id -u)" != 0 ]; then
        echo "prepare-machine: run as root to install packages" >&2
        exit 1
    fi
    dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
    apt-get update -q
    DEBIAN_FRONTEND=noninteractive apt-get install -y -q $missing
fi

if ! locale -a 2>/dev/null | grep -qix 'zh_CN.utf8'; then
    echo "Making the zh_CN.UTF-8 locale"
    localedef -i zh_CN -f UTF-8 zh_CN.UTF-8
fi
