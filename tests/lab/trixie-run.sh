#!/bin/sh
# trixie-run.sh ROOT PROGRAM [ARGS...]
# Runs PROGRAM inside the Debian root that trixie-root.sh made, in a mount
# namespace of its own: the root gets its own /proc, /sys, /dev (the few
# device nodes a program needs), /dev/pts and /dev/shm, and the source tree
# at the same path as outside, so paths mean the same on both sides. All of
# it is unmounted when PROGRAM ends, whatever way it ends; the machine sees
# none of it. HEYU_ROOT_BIND names one more folder to show there.
set -eu
root=$(cd "$1" && pwd)
shift
tree=$(cd "$(dirname "$0")/../.." && pwd)
# The inner script takes its own arguments, expanded there.
# shellcheck disable=SC2016
exec unshare --mount --propagation private sh -eu -c '
root=$1 tree=$2 extra=$3
shift 3
mount -t proc proc "$root/proc"
mount -t sysfs sysfs "$root/sys"
mount -t tmpfs -o mode=755,nosuid dev "$root/dev"
for node in null zero full random urandom tty; do
    touch "$root/dev/$node"
    mount --bind "/dev/$node" "$root/dev/$node"
done
mkdir "$root/dev/pts" "$root/dev/shm"
mount -t devpts -o newinstance,ptmxmode=0666,mode=620 devpts "$root/dev/pts"
ln -s pts/ptmx "$root/dev/ptmx"
mount -t tmpfs -o mode=1777,nosuid,nodev shm "$root/dev/shm"
ln -s /proc/self/fd "$root/dev/fd"
for folder in "$tree" $extra; do
    mkdir -p "$root$folder"
    mount --bind "$folder" "$root$folder"
done
exec chroot "$root" env -i PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
    HOME=/root TERM="${TERM:-dumb}" LANG=C.UTF-8 "$@"
' sh "$root" "$tree" "${HEYU_ROOT_BIND:-}" "$@"
