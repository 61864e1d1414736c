#!/bin/sh
# Installs what building and testing need on Debian 12, only what is missing:
# the MinGW-w64 cross compiler, Wine (32-bit), a virtual display with a
# window manager, a sound server with a recorder, fonts for the Chinese
# texts, the tools the tests use, and debootstrap, which makes the Debian 13
# root of the newer Wine's lane (tests/lab/trixie-root.sh). Also makes the
# zh_CN.UTF-8 locale, without which Wine cannot spell file names beyond
# ASCII. Extra package names may be given as arguments (`make art` asks for
# its renderer this way).
#
# The package index can stay broken for hours (a mirror caught mid-sync).
# So a failed `apt-get update` is retried and then passed over, and a failed
# install is tried once more with the main archive as target release: without
# the security index the machine's amd64 libraries may sit at security
# versions that their i386 twins (which wine32 needs) cannot match, and
# `-t bookworm` gives both architectures the same candidate.
set -eu

packages="g++-mingw-w64-i686 cmake make python3 locales wine xvfb xdotool
x11-utils openbox imagemagick fonts-wqy-microhei pulseaudio pulseaudio-utils sox lame ffmpeg
googletest librsvg2-bin clang cppcheck python3-pefile python3-numpy python3-scipy debootstrap $*"

# The lab runs Wine of the architecture this machine can run (lab-arch.sh):
# 32-bit Wine with its MPEG decoder, or, where the kernel runs no 32-bit
# code, 64-bit Wine and the 64-bit compiler for the test build. There the
# shipped 32-bit program still runs in a lane of its own, under 32-bit Wine
# through a user-mode emulator: wine32 and the emulator are wanted but not
# required, and the lane reports itself skipped without them.
here=$(dirname "$0")
lab_arch=$(sh "$here/lab-arch.sh")
lane_packages=""
if [ "$lab_arch" = i686 ]; then
    packages="$packages wine32:i386 gstreamer1.0-plugins-good:i386"
else
    packages="$packages wine64 g++-mingw-w64-x86-64-posix gstreamer1.0-plugins-good"
    lane_packages="wine32:i386"
fi

update_tries=3
update_pause=10

not_installed() {
    for package in "$@"; do
        status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
        [ "$status" = "install ok installed" ] || printf ' %s' "$package"
    done
}
# Lists of words on purpose.
# shellcheck disable=SC2086
missing=$(not_installed $packages)
# shellcheck disable=SC2086
lane_missing=$(not_installed $lane_packages)

fail() {
    echo "prepare-machine: $1 failed. Try by hand, as root:" >&2
    echo "    $2" >&2
    exit 1
}

update_index() {
    try=1
    while ! apt-get update -q; do
        if [ "$try" -ge "$update_tries" ]; then
            echo "prepare-machine: the package index is still partly broken after $try tries; going on with what was fetched"
            return 0
        fi
        echo "prepare-machine: apt-get update failed (try $try of $update_tries); trying again in ${update_pause} s"
        sleep "$update_pause"
        try=$((try + 1))
    done
}

# install_packages PACKAGES...: succeeds if the packages could be installed, with the
# main archive as target release if need be.
install_packages() {
    export DEBIAN_FRONTEND=noninteractive
    apt-get install -y -q "$@" && return 0
    echo "prepare-machine: the install failed; trying again with the main archive as target release (-t bookworm)"
    apt-get install -y -q -t bookworm "$@"
}

if [ -n "$missing$lane_missing" ]; then
    echo "Installing:$missing$lane_missing"
    if [ "$(id -u)" != 0 ]; then
        echo "prepare-machine: run as root to install packages" >&2
        exit 1
    fi
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
        dpkg --add-architecture i386 || fail "dpkg --add-architecture i386" "dpkg --add-architecture i386"
    fi
    update_index
    # shellcheck disable=SC2086
    if [ -n "$missing" ] && ! install_packages $missing; then
        fail "apt-get install -t bookworm" "apt-get update; apt-get install -y -t bookworm$missing"
    fi
    # shellcheck disable=SC2086
    if [ -n "$lane_missing" ] && ! install_packages $lane_missing; then
        echo "prepare-machine: could not install$lane_missing; the 32-bit program's lane will be skipped"
    fi
fi

# The emulator for that lane is unpacked into the build (QEMU_USER_DIR, set
# by the Makefile), never installed.
if [ "$lab_arch" = x86_64 ] && [ -n "${QEMU_USER_DIR:-}" ]; then
    sh "$here/qemu-user.sh" "$QEMU_USER_DIR" >/dev/null \
        || echo "prepare-machine: no qemu-user; the 32-bit program's lane will be skipped"
fi

if ! locale -a 2>/dev/null | grep -qix 'zh_CN.utf8'; then
    echo "Making the zh_CN.UTF-8 locale"
    localedef -i zh_CN -f UTF-8 zh_CN.UTF-8 \
        || fail "making the zh_CN.UTF-8 locale" "localedef -i zh_CN -f UTF-8 zh_CN.UTF-8"
fi
