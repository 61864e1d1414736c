#!/bin/sh
# trixie-root.sh DIR
# Makes DIR a Debian 13 root with what the lab needs (Wine 10, its MP3
# decoder, a display with a window manager, a sound server with a recorder,
# the fonts for the Chinese texts, the tools the tests use, Python 3), and
# prints its path. Does nothing but print the path when the root is there
# and its marker names this very list; a stale or half-made root is made
# again from nothing.
#
# The root is made by debootstrap from the machine's own mirror and filled
# by apt inside it; every step runs inside `unshare --mount` (trixie-run.sh),
# so nothing it mounts is seen by the machine or outlives the step. On
# failure the last line of stderr says why.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
root=$(mkdir -p "$1" && cd "$1" && pwd)
log="$root.log"
mirror=http://deb.debian.org/debian

# Wine of the architecture this kernel runs, as the main lab has.
packages="wine gstreamer1.0-plugins-base gstreamer1.0-plugins-good xvfb openbox xdotool x11-utils
pulseaudio pulseaudio-utils imagemagick sox fonts-wqy-microhei python3 locales"
if [ "$(sh "$here/lab-arch.sh")" = i686 ]; then
    foreign=i386
    packages="$packages wine32:i386 gstreamer1.0-plugins-good:i386"
else
    foreign=""
    packages="$packages wine64"
fi
stamp="trixie minbase; $packages; zh_CN.UTF-8"
marker="$root/etc/heyu-lab-root"

if [ -f "$marker" ] && [ "$(cat "$marker")" = "$stamp" ]; then
    echo "$root"
    exit 0
fi

fail() {
    echo "trixie-root: $1 (see $log)" >&2
    exit 1
}

# A root is never removed while something is mounted in it.
if grep -q " $root/" /proc/self/mounts; then
    fail "something is still mounted under $root"
fi
command -v debootstrap >/dev/null || fail "debootstrap is not installed"
echo "trixie-root: making $root" >"$log"
rm -rf "$root"
mkdir -p "$root"
if ! unshare --mount --propagation private \
        debootstrap --variant=minbase trixie "$root" "$mirror" >>"$log" 2>&1; then
    fail "debootstrap of trixie from $mirror failed"
fi

run() {
    sh "$here/trixie-run.sh" "$root" "$@" >>"$log" 2>&1
}
cp /etc/resolv.conf "$root/etc/resolv.conf"
[ -z "$foreign" ] || run dpkg --add-architecture "$foreign" || fail "dpkg --add-architecture $foreign failed"

# As on the machine: a broken index is retried, then passed over, and the
# install is tried once more with the main archive as target release.
try=1
while ! run apt-get update -q; do
    if [ "$try" -ge 3 ]; then
        echo "trixie-root: the package index is still partly broken after $try tries; going on" >>"$log"
        break
    fi
    sleep 10
    try=$((try + 1))
done
# A list of words on purpose.
# shellcheck disable=SC2086
if ! run env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends $packages; then
    # shellcheck disable=SC2086
    run env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends -t trixie $packages \
        || fail "apt-get install in the root failed"
fi
run localedef -i zh_CN -f UTF-8 zh_CN.UTF-8 || fail "making the zh_CN.UTF-8 locale failed"
run apt-get clean
rm -rf "$root/var/lib/apt/lists/"*
echo "$stamp" >"$marker"
echo "$root"
