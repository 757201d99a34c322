# Two commands to start: `make run` and `make test`.
BUILD      ?= build
SANITIZE   ?= build-sanitize
JOBS       ?= $(shell nproc)

.PHONY: setup build run test test-sanitize test-valgrind bench install package clean

setup:
	@tools/setup.sh

$(BUILD)/CMakeCache.txt: | setup
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: setup $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS)

run: build
	./$(BUILD)/zolta

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# Mesa renders on the calling thread there (LP_NUM_THREADS=0): fewer threads for the leak
# checker to stop at exit, and two tests at a time share the two cores evenly.
test-sanitize: setup
	cmake -S . -B $(SANITIZE) -DCMAKE_BUILD_TYPE=Debug -DZOLTA_SANITIZE=ON
	cmake --build $(SANITIZE) -j $(JOBS)
	cd $(SANITIZE) && LP_NUM_THREADS=0 ctest --output-on-failure -j $(JOBS) -LE e2e

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

clean:
	rm -rf $(BUILD) $(SANITIZE)
