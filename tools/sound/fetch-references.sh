#!/bin/sh
# fetch-references.sh DIR
# Puts eight real field recordings (birds, fireplace, rain, storm, waves,
# summer-night, wind, stream) into DIR as mono 20 kHz WAV files, with the
# package's copyright file beside them as DIR/copyright. They are the
# yardstick of realism.py and stay in the build tree: nothing taken from
# them enters the repository or a track.
#
# They come from Debian 13's package blanket, which ships them inside a
# GResource bundle. The package is fetched with apt options of its own (a
# private source list, index and cache under DIR), so the machine's sources
# never name trixie and nothing is installed: the package is only unpacked.
# Does nothing when the recordings are already there. On failure the last
# line of stderr says why.
set -eu
dir=$(mkdir -p "$1" && cd "$1" && pwd)
names="birds fireplace rain storm waves summer-night wind stream"

have=1
for name in $names; do
    [ -s "$dir/$name.wav" ] || have=0
done
[ -s "$dir/copyright" ] || have=0
[ "$have" = 1 ] && exit 0

apt_dir="$dir/apt"
mkdir -p "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial"
echo "deb http://deb.debian.org/debian trixie main" > "$apt_dir/sources.list"
apt_private() {
    apt-get -q -o Dir::Etc::SourceList="$apt_dir/sources.list" -o Dir::Etc::SourceParts=- \
        -o Dir::State::Lists="$apt_dir/lists" -o Dir::Cache="$apt_dir/cache" \
        -o APT::Sandbox::User=root "$@"
}

if ! apt_private update >"$apt_dir/update.log" 2>&1; then
    echo "the trixie index could not be fetched (see $apt_dir/update.log)" >&2
    exit 1
fi
rm -f "$apt_dir"/blanket_*.deb
if ! (cd "$apt_dir" && apt_private download blanket) >"$apt_dir/download.log" 2>&1; then
    echo "trixie refused the blanket package (see $apt_dir/download.log)" >&2
    exit 1
fi
rm -rf "$dir/unpacked"
dpkg-deb -x "$apt_dir"/blanket_*.deb "$dir/unpacked"
bundle="$dir/unpacked/usr/share/blanket/blanket.gresource"
for name in $names; do
    if ! gresource extract "$bundle" "/com/rafaelmardojai/Blanket/sounds/$name.ogg" \
        > "$dir/$name.ogg" 2>/dev/null; then
        echo "the blanket package holds no $name recording" >&2
        exit 1
    fi
    ffmpeg -v error -y -i "$dir/$name.ogg" -ac 1 -ar 20000 -c:a pcm_s16le "$dir/$name.wav"
    rm -f "$dir/$name.ogg"
done
zcat -f "$dir/unpacked/usr/share/doc/blanket/copyright" > "$dir/copyright"
rm -rf "$dir/unpacked" "$apt_dir"/blanket_*.deb
