#!/bin/sh
# Prints the Windows architecture whose programs this machine can run under
# Wine: i686 where the kernel runs 32-bit x86 code, else x86_64. Some
# virtual machines run 64-bit user code only (an i386 exec fails with "Exec
# format error"); there the lab uses 64-bit Wine and the tests run a 64-bit
# build of the same sources. The check execs a 93-byte i386 program that
# only exits with 0, so it needs no installed package.
set -eu
probe=$(mktemp)
trap 'rm -f "$probe"' EXIT
printf '\177\105\114\106\001\001\001\000\000\000\000\000\000\000\000\000\002\000\003\000\001\000\000\000\124\200\004\010\064\000\000\000\000\000\000\000\000\000\000\000\064\000\040\000\001\000\000\000\000\000\000\000\001\000\000\000\000\000\000\000\000\200\004\010\000\200\004\010\135\000\000\000\135\000\000\000\005\000\000\000\000\020\000\000\270\001\000\000\000\061\333\315\200' > "$probe"
chmod +x "$probe"
if "$probe" 2>/dev/null; then echo i686; else echo x86_64; fi
