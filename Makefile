# make run    build, then show the program (under Wine)
# make test   build, then run every test
# make bench  build, then run the benchmarks; the table goes to bench/results.md
# make soak   build, then play the test tones for SOAK_MINUTES (10) and check
#             that every channel keeps looping, the settings stay well-formed
#             and memory stays flat
# make build  build only: build/heyu.exe and the test executables
# make art    rebuild the pictures in assets/art/
# make tracks rebuild the sound tracks in assets/tracks/
# make realism measure the tracks against real recordings of their kinds
#             (fetches a Debian 13 package into build/realism; takes minutes)
BUILD ?= build
JOBS ?= 2
RUN_SECONDS ?= 20
export RUN_SECONDS
SOAK_MINUTES ?= 10
export SOAK_MINUTES

# build/heyu.exe is the shipped program: 32-bit, for Windows XP SP3 and
# later, built with the win32-thread compiler (cmake/mingw-i686-xp.cmake).
# The tests build in a tree of their own, build/i686 or build/x86_64, with
# the posix-thread compiler GoogleTest needs: Wine runs 32-bit programs where
# the kernel runs 32-bit code, and there the tests start the shipped programs
# themselves; elsewhere they start a 64-bit build of the same sources from
# their own tree (see tests/lab/lab-arch.sh).
LAB_ARCH := $(shell sh tests/lab/lab-arch.sh)
LAB_BUILD := $(BUILD)/$(LAB_ARCH)
ifeq ($(LAB_ARCH),i686)
PROGRAMS := $(BUILD)
else
PROGRAMS := $(LAB_BUILD)
endif
CONFIGURE = cmake -DCMAKE_BUILD_TYPE=Release

.PHONY: run test bench soak build machine art tracks realism

run: build
	python3 tests/lab/showcase.py $(PROGRAMS)

test: build
	cd $(LAB_BUILD) && ctest --output-on-failure --timeout 900

# The benchmarks run in a lab of their own (build/i686/bench-lab or
# build/x86_64/bench-lab), so they never meet a test run's lab.
TOOL_ENV = HEYU_BUILD_DIR=$(abspath $(LAB_BUILD)) HEYU_PROGRAM_DIR=$(abspath $(PROGRAMS))
bench: build
	$(TOOL_ENV) python3 tests/bench/bench.py --out bench/results.md

# The soak run, too, starts a lab of its own (soak-lab beside bench-lab).
soak: build
	$(TOOL_ENV) python3 tests/soak/soak.py

build: machine $(BUILD)/CMakeCache.txt $(LAB_BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j$(JOBS)
	cmake --build $(LAB_BUILD) -j$(JOBS)

# The emulator for the 32-bit program's lane, where one is needed, is
# unpacked beside the tests that use it.
machine:
	@QEMU_USER_DIR=$(abspath $(LAB_BUILD))/qemu-user sh tests/lab/prepare-machine.sh

# heyu-tones.exe, the program's twin with six test tones, builds beside it
# with the same compiler, so the tests hear the program as it ships.
$(BUILD)/CMakeCache.txt:
	$(CONFIGURE) -S . -B $(BUILD) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686-xp.cmake \
	  -DBUILD_TESTING=OFF -DHEYU_TEST_TRACKS=ON

$(LAB_BUILD)/CMakeCache.txt:
	$(CONFIGURE) -S . -B $(LAB_BUILD) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-$(LAB_ARCH).cmake \
	  -DHEYU_PRODUCT_DIR=$(abspath $(BUILD)) \
	  $(if $(filter i686,$(LAB_ARCH)),-DHEYU_PROGRAM_DIR=$(abspath $(BUILD)))

art:
	@sh tests/lab/prepare-machine.sh librsvg2-bin
	sh tools/art/make-art.sh

tracks: machine
	sh tools/sound/make-tracks.sh

# Debian's own Python, which has Debian's numpy and scipy.
realism:
	@sh tests/lab/prepare-machine.sh python3-numpy python3-scipy
	@/usr/bin/python3 tests/tools/sound/test_texture.py
	@/usr/bin/python3 tools/sound/realism.py $(BUILD)
