#!/bin/sh
# Writes the six test tracks that the end-to-end test build embeds in place
# of the nature tracks: OUTDIR/tone1.mp3 ... tone6.mp3.
#
# Each channel gets one steady sine tone of its own frequency, so a recording
# of the program's mix shows, window by window, which channels sound and how
# loud (tests/e2e/sound.py band-passes the recording around each tone). The
# frequencies are well apart and no one lies within 7 % of the 2nd to 10th
# harmonic of another, so a band of +-15 % around each tone holds that tone
# only, even after MP3 coding. The lengths differ: channel 6 is the shortest
# (it ends and restarts while all the others still play) and channel 4 the
# longest.
#
# Every tone: 44.1 kHz, the same signal on both sides, peak -20 dBFS (six
# summed stay below -4 dBFS), 20 ms half-sine fades so start and end neither
# click nor blur an onset. LAME encodes at a constant 320 kbit/s with its
# "Info" frame, and an ID3v2.3 tag titled "test tone N" leads the file; there
# is no ID3v1 tag. The output is byte-identical from run to run.
#
# The channel table below is repeated as TONES and TONE_SECONDS in
# tests/e2e/sound.py; change both together.
#
#   tools/sound/make-test-tracks.sh OUTDIR
set -eu

[ $# -eq 1 ] || { echo "usage: make-test-tracks.sh OUTDIR" >&2; exit 2; }
out=$1
for tool in sox lame; do
    command -v "$tool" >/dev/null || { echo "make-test-tracks: $tool is not installed" >&2; exit 1; }
done
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# channel  frequency (Hz)  length (s)
while read -r channel frequency seconds; do
    # -R: repeatable; -D: no dither, so the samples are a clean sine.
    sox -R -D -n -r 44100 -b 16 -c 2 "$work/tone$channel.wav" \
        synth "$seconds" sine "$frequency" gain -20 fade h 0.02 "$seconds" 0.02
    # A file, not a pipe: LAME seeks back to fill in the Info frame.
    lame --quiet -b 320 --cbr --add-id3v2 --id3v2-only --id3v2-latin1 --tt "test tone $channel" \
        "$work/tone$channel.wav" "$work/tone$channel.mp3"
    mv "$work/tone$channel.mp3" "$out/tone$channel.mp3"
done <<EOF
1 380 20
2 670 18
3 1000 16
4 1660 24
5 2460 22
6 4360 6
EOF
