"""Static checks of the program's sources; they read the sources only.

  check.py clang    --root DIR --define D... --flag F... SOURCE...
  check.py cppcheck --root DIR --define D... --suppressions FILE SOURCE...

clang: a second compiler reads every source as the 32-bit MinGW build does
(its target, its C and C++ library headers, our definitions) and must find
no warning (the flags end in -Werror).

cppcheck: the analyser reads the same sources with the Windows API described
by its own Windows library (no system headers: faster, and its findings are
about our code); every finding fails the check unless the suppressions file
names it, and a suppression that no longer matches anything fails it too.
"""
import argparse
import os
import shutil
import subprocess
import sys
from concurrent.futures import ThreadPoolExecutor

# The product is the 32-bit program, built with the win32-thread compiler
# whatever build runs the tests.
TARGET = "i686-w64-mingw32"
GCC = TARGET + "-g++-win32"


def need(program):
    path = shutil.which(program)
    if not path:
        sys.exit("%s is not installed; run tests/lab/prepare-machine.sh as root" % program)
    return path


def mingw_include_dirs():
    """The C++ library and C library header folders of the MinGW compiler,
    in its order; GCC's private folders (its intrinsics) are left to clang's
    own."""
    run = subprocess.run([need(GCC), "-xc++", "-E", "-v", os.devnull],
                         capture_output=True, text=True, check=True)
    lines = run.stderr.splitlines()
    start = lines.index("#include <...> search starts here:") + 1
    end = lines.index("End of search list.")
    dirs = [os.path.normpath(line.strip()) for line in lines[start:end]]
    return [d for d in dirs if "/c++" in d or d.endswith("/%s/include" % TARGET)]


def run_clang(args):
    clang = need("clang++")
    command = [clang, "--target=" + TARGET, "-std=c++17", "-fsyntax-only",
               # Only the MinGW headers, never the host's.
               "-nostdinc++", "-nostdlibinc"]
    for d in mingw_include_dirs():
        command += ["-isystem", d]
    command += ["-I" + args.root] + ["-D" + d for d in args.define] + args.flag

    def check(source):
        run = subprocess.run(command + [source], capture_output=True, text=True)
        return source, run.returncode, run.stdout + run.stderr

    failed = 0
    with ThreadPoolExecutor(max_workers=2) as pool:
        for source, code, output in pool.map(check, args.sources):
            if code != 0:
                failed += 1
                print("FAIL %s\n%s" % (os.path.relpath(source, args.root), output))
    print("clang: %d of %d sources have findings" % (failed, len(args.sources)))
    return 1 if failed else 0


def run_cppcheck(args):
    command = [need("cppcheck"), "--std=c++17", "--language=c++",
               "--platform=win32W", "--library=windows",
               "--enable=warning,style,performance,portability,information",
               "--suppressions-list=" + args.suppressions,
               "--error-exitcode=1", "--quiet", "-j2",
               "--template={file}:{line}: {severity} [{id}] {message}",
               "-I" + args.root] + ["-D" + d for d in args.define] + args.sources
    run = subprocess.run(command, capture_output=True, text=True)
    print(run.stdout + run.stderr)
    print("cppcheck: %s over %d sources" % ("findings" if run.returncode else "no finding",
                                             len(args.sources)))
    return run.returncode


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("tool", choices=["clang", "cppcheck"])
    parser.add_argument("--root", required=True)
    parser.add_argument("--define", action="append", default=[])
    parser.add_argument("--flag", action="append", default=[])
    parser.add_argument("--suppressions")
    parser.add_argument("sources", nargs="+")
    args = parser.parse_args()
    sys.exit(run_clang(args) if args.tool == "clang" else run_cppcheck(args))


if __name__ == "__main__":
    main()
