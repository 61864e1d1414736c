# make run    build, then show the program (under Wine)
# make test   build, then run every test
# make build  build only: build/heyu.exe and the test executables beside it
# make art    rebuild the pictures in assets/art/
# make tracks rebuild the sound tracks in assets/tracks/
BUILD ?= build
JOBS ?= 2
RUN_SECONDS ?= 20
export RUN_SECONDS

.PHONY: run test build machine art tracks

run: build
	python3 tests/lab/showcase.py $(BUILD)

test: build
	cd $(BUILD) && ctest --output-on-failure --timeout 900

build: machine $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j$(JOBS)

machine:
	@sh tests/lab/prepare-machine.sh

$(BUILD)/CMakeCache.txt:
	cmake -S . -B $(BUILD) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=Release

art:
	@sh tests/lab/prepare-machine.sh librsvg2-bin
	sh tools/art/make-art.sh

tracks: machine
	sh tools/sound/make-tracks.sh
