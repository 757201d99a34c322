# Two commands to start: `make run` and `make test`.
BUILD      ?= build
SANITIZE   ?= build-sanitize
WINDOWS    ?= build-windows
JOBS       ?= $(shell nproc)

.PHONY: setup build run test test-sanitize test-valgrind bench install package clean \
        windows test-windows windows-package

setup:
	@tools/setup.sh

$(BUILD)/CMakeCache.txt: | setup
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: setup $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS)

run: build
	./$(BUILD)/zolta

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS) -LE windows

# Mesa renders on the calling thread there (LP_NUM_THREADS=0): fewer threads for the leak
# checker to stop at exit, and two tests at a time share the two cores evenly.
test-sanitize: setup
	cmake -S . -B $(SANITIZE) -DCMAKE_BUILD_TYPE=Debug -DZOLTA_SANITIZE=ON
	cmake --build $(SANITIZE) -j $(JOBS)
	cd $(SANITIZE) && LP_NUM_THREADS=0 ctest --output-on-failure -j $(JOBS) -LE 'e2e|windows'

# Memcheck over 300 frames of the real program: about ten minutes on two cores, so CI runs it
# beside the sanitizer run rather than in `make test`.
test-valgrind: build
	tests/valgrind/memcheck_frames.sh $(BUILD)/zolta-frames $(CURDIR) 300

bench: build
	@for b in $(BUILD)/bench/*_bench; do $$b; done

install: build
	cmake --install $(BUILD)

# The Debian package, $(BUILD)/zolta_<version>_<arch>.deb.
package: build
	cmake --build $(BUILD) --target package

# ---- Windows: $(WINDOWS)/zolta.exe cross-built with MinGW-w64 against the real Win32 and
# Direct3D 9. libopenmpt and KISS FFT are cross-built from Debian's sources once per build tree
# (about 7 minutes on two cores); the pictures come from the Linux build's artwork generator.
windows: setup $(BUILD)/CMakeCache.txt
	@tools/setup.sh tools/windows/debian-packages.txt
	cmake --build $(BUILD) -j $(JOBS) --target zolta_artwork
	tools/windows/build-deps.sh $(WINDOWS)/deps-work $(WINDOWS)/deps
	cmake -S . -B $(WINDOWS) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
	  -DCMAKE_BUILD_TYPE=Release -DZOLTA_ARTWORK=$(CURDIR)/$(BUILD)/tools/artwork/zolta_artwork
	cmake --build $(WINDOWS) -j $(JOBS)

# The Windows build's tests, under Wine on Xvfb with a Wine prefix inside $(WINDOWS).
test-windows: windows build
	cd $(WINDOWS) && ctest --output-on-failure -j $(JOBS)
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS) -L windows

# $(WINDOWS)/zolta-<version>-win64.zip: zolta.exe, the default tunes and README.txt.
windows-package: windows
	cmake --build $(WINDOWS) --target package

clean:
	rm -rf $(BUILD) $(SANITIZE) $(WINDOWS)
