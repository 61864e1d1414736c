# make run    build, then show the program (under Wine)
# make test   build, then run every test
# make bench  build, then run the benchmarks; the table goes to bench/results.md
# make soak   build, then play the test tones for SOAK_MINUTES (10) and check
#             that every channel keeps looping, the settings stay well-formed
#             and memory stays flat
# make build  build only: build/heyu.exe and the test executables
# make art    rebuild the pictures in assets/art/
# make tracks rebuild the sound tracks in assets/tracks/
BUILD ?= build
JOBS ?= 2
RUN_SECONDS ?= 20
export RUN_SECONDS
SOAK_MINUTES ?= 10
export SOAK_MINUTES

# build/heyu.exe is the 32-bit program. Wine runs it where the kernel runs
# 32-bit code; elsewhere the tests and `make run` use a 64-bit build of the
# same sources in build/x86_64 (see tests/lab/lab-arch.sh).
LAB_ARCH := $(shell sh tests/lab/lab-arch.sh)
ifeq ($(LAB_ARCH),i686)
LAB_BUILD := $(BUILD)
else
LAB_BUILD := $(BUILD)/x86_64
endif
CONFIGURE = cmake -DCMAKE_BUILD_TYPE=Release

.PHONY: run test bench soak build machine art tracks

run: build
	python3 tests/lab/showcase.py $(LAB_BUILD)

test: build
	cd $(LAB_BUILD) && ctest --output-on-failure --timeout 900

# The benchmarks run in a lab of their own (build/x86_64/bench-lab or
# build/bench-lab), so they never meet a test run's lab.
bench: build
	HEYU_BUILD_DIR=$(abspath $(LAB_BUILD)) python3 tests/bench/bench.py --out bench/results.md

# The soak run, too, starts a lab of its own (soak-lab beside bench-lab).
soak: build
	HEYU_BUILD_DIR=$(abspath $(LAB_BUILD)) python3 tests/soak/soak.py

build: machine $(BUILD)/CMakeCache.txt $(LAB_BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j$(JOBS)
ifneq ($(LAB_BUILD),$(BUILD))
	cmake --build $(LAB_BUILD) -j$(JOBS)
endif

# The emulator for the 32-bit program's lane, where one is needed, is
# unpacked beside the tests that use it.
machine:
	@QEMU_USER_DIR=$(abspath $(LAB_BUILD))/qemu-user sh tests/lab/prepare-machine.sh

$(BUILD)/CMakeCache.txt:
	$(CONFIGURE) -S . -B $(BUILD) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake \
	  -DBUILD_TESTING=$(if $(filter i686,$(LAB_ARCH)),ON,OFF)

ifneq ($(LAB_BUILD),$(BUILD))
$(LAB_BUILD)/CMakeCache.txt:
	$(CONFIGURE) -S . -B $(LAB_BUILD) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-$(LAB_ARCH).cmake
endif

art:
	@sh tests/lab/prepare-machine.sh librsvg2-bin
	sh tools/art/make-art.sh

tracks: machine
	sh tools/sound/make-tracks.sh
