#!/bin/sh
# qemu-user.sh DIR
# Makes DIR/usr/bin/qemu-i386 a user-mode emulator that can run 32-bit Wine,
# for machines whose kernel runs no 32-bit code; prints its path. Does
# nothing but print the path when it is already there.
#
# Debian 12's own qemu-user-static (7.2) cannot run Wine: it ignores
# MAP_FIXED_NOREPLACE and every Wine process dies within a minute. The
# bookworm-backports build can. It is fetched with apt options of its own (a
# private source list, index and cache under DIR), so the machine's sources
# never name backports and nothing is installed: the package is only
# unpacked into DIR. On failure the last line of stderr says why.
set -eu
dir=$(mkdir -p "$1" && cd "$1" && pwd)
qemu="$dir/usr/bin/qemu-i386"
if [ -x "$qemu" ]; then
    echo "$qemu"
    exit 0
fi

apt_dir="$dir/apt"
mkdir -p "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial"
echo "deb http://deb.debian.org/debian bookworm-backports main" > "$apt_dir/sources.list"
apt_private() {
    apt-get -q -o Dir::Etc::SourceList="$apt_dir/sources.list" -o Dir::Etc::SourceParts=- \
        -o Dir::State::Lists="$apt_dir/lists" -o Dir::Cache="$apt_dir/cache" \
        -o APT::Sandbox::User=root "$@"
}

if ! apt_private update >"$apt_dir/update.log" 2>&1; then
    echo "qemu-user: the bookworm-backports index could not be fetched (see $apt_dir/update.log)" >&2
    exit 1
fi
rm -f "$apt_dir"/qemu-user_*.deb
if ! (cd "$apt_dir" && apt_private download qemu-user) >"$apt_dir/download.log" 2>&1; then
    echo "qemu-user: bookworm-backports refused the qemu-user package (see $apt_dir/download.log)" >&2
    exit 1
fi
dpkg-deb -x "$apt_dir"/qemu-user_*.deb "$dir/unpacked"
# Only the i386 emulator is kept (the package holds some forty others).
mkdir -p "$dir/usr/bin"
mv "$dir/unpacked/usr/bin/qemu-i386" "$qemu"
rm -rf "$dir/unpacked" "$apt_dir"/qemu-user_*.deb
echo "$qemu"
