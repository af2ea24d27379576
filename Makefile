# The README's commands. Each one installs what is missing and builds before it acts.
#   make run     build and start the game on the bundled default board
#   make editor  build and start the board editor
#   make test    build the test configuration (warnings as errors, ASan + UBSan) and run every test
#   make bench   build optimised and run the benchmarks
#   make format  reformat every source file

JOBS      ?= $(shell nproc)
GENERATOR := $(shell command -v ninja >/dev/null 2>&1 && echo Ninja || echo "Unix Makefiles")
TEST_DIR  := build/test
REL_DIR   := build/release
SOURCES    = $(shell git ls-files '*.cpp' '*.h' 2>/dev/null)

.PHONY: deps run editor test bench format format-check release test-build

deps:
	@scripts/install-deps.sh

release: deps
	@cmake -S . -B $(REL_DIR) -G "$(GENERATOR)" -DCMAKE_BUILD_TYPE=Release \
	    -DVANTOR_TESTS=OFF -DVANTOR_BENCH=ON >/dev/null
	@cmake --build $(REL_DIR) -j $(JOBS)

run: release
	$(REL_DIR)/game/Vantor

editor: release
	$(REL_DIR)/editor/Brickwright

test-build: deps
	@cmake -S . -B $(TEST_DIR) -G "$(GENERATOR)" -DCMAKE_BUILD_TYPE=Debug \
	    -DVANTOR_SANITIZE=ON -DVANTOR_WERROR=ON >/dev/null
	@cmake --build $(TEST_DIR) -j $(JOBS)

test: test-build format-check
	cd $(TEST_DIR) && ctest --output-on-failure -j $(JOBS)

bench: release
	@for b in $(REL_DIR)/bench/bench_*; do [ -x "$$b" ] && "$$b" --benchmark_min_time=0.2 || exit 1; done

format-check:
	@clang-format --dry-run --Werror $(SOURCES)

format:
	@clang-format -i $(SOURCES)
