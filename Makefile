# The README's commands. Each one installs what is missing and builds before it acts.
#   make run     build and start the game on the bundled default board
#   make editor  build and start the board editor
#   make test    build the test configuration (warnings as errors, ASan + UBSan) and run every test,
#                then the ball frame's threads under ThreadSanitizer (build/tsan)
#   make bench   build optimised and run the benchmarks
#   make fuzz    build the fuzz targets with clang and run each for FUZZ_SECONDS (default 60)
#   make soak    build optimised and play 200 000 frames with up to 50 000 balls, headless
#   make format  reformat every source file
#   make install install the programs and their desktop files under PREFIX (default /usr/local),
#                into DESTDIR when it is set
#   make uninstall  remove what the last make install put in place (files changed since stay)
#   make package build the Debian package build/vantor_VERSION_ARCH.deb
#   make web     build the game for the browser into build/web (Emscripten)
#   make web-run build it and serve it on 127.0.0.1 (WEB_PORT, default 8000)

JOBS      ?= $(shell nproc)
GENERATOR := $(shell command -v ninja >/dev/null 2>&1 && echo Ninja || echo "Unix Makefiles")
TEST_DIR  := build/test
REL_DIR   := build/release
FUZZ_DIR  := build/fuzz
SOAK_DIR  := build/soak
TSAN_DIR  := build/tsan
WEB_DIR   := build/web
WEB_PORT  ?= 8000
FUZZ_SECONDS ?= 60
PREFIX    ?= /usr/local
SOURCES    = $(shell git ls-files '*.cpp' '*.h' 2>/dev/null)
# The game alone (the soak and browser builds) needs nothing of Qt; the soak build makes sure of
# it by not letting CMake find Qt, and Emscripten has no Qt to find anyway.
GAME_ONLY := -DVANTOR_TOOLS=OFF -DVANTOR_EDITOR=OFF

.PHONY: deps run editor test bench format format-check release test-build fuzz soak install \
        uninstall package \
        web web-run web-if-available thread-check-build

deps:
	@scripts/install-deps.sh

# The build players run and the package is made from carries Debian's hardening flags (fortify,
# stack protector, format checks, relro, bind-now); the optimisation stays the build type's.
HARDENING_ENV := DEB_BUILD_MAINT_OPTIONS=hardening=+all DEB_CXXFLAGS_MAINT_STRIP="-g -O2"
HARDENED_CXXFLAGS := $(shell command -v dpkg-buildflags >/dev/null 2>&1 && \
    $(HARDENING_ENV) dpkg-buildflags --get CPPFLAGS && $(HARDENING_ENV) dpkg-buildflags --get CXXFLAGS)
HARDENED_LDFLAGS := $(shell command -v dpkg-buildflags >/dev/null 2>&1 && \
    $(HARDENING_ENV) dpkg-buildflags --get LDFLAGS)

release: deps
	@cmake -S . -B $(REL_DIR) -G "$(GENERATOR)" -DCMAKE_BUILD_TYPE=Release \
	    -DVANTOR_TESTS=OFF -DVANTOR_BENCH=ON -DCMAKE_CXX_FLAGS="$(HARDENED_CXXFLAGS)" \
	    -DCMAKE_EXE_LINKER_FLAGS="$(HARDENED_LDFLAGS)" >/dev/null
	@cmake --build $(REL_DIR) -j $(JOBS)

install: release
	DESTDIR="$(DESTDIR)" cmake --install $(REL_DIR) --prefix "$(PREFIX)"

uninstall:
	@cmake -DRECORD=$(CURDIR)/$(REL_DIR)/install_record.txt -P packaging/uninstall.cmake

# The package holds the programs for /usr; it is written to build/.
package: release
	@cd $(REL_DIR) && cpack -G DEB -B $(CURDIR)/build | grep "generated"

run: release
	$(REL_DIR)/game/Vantor

editor: release
	$(REL_DIR)/editor/Brickwright

test-build: deps
	@cmake -S . -B $(TEST_DIR) -G "$(GENERATOR)" -DCMAKE_BUILD_TYPE=Debug \
	    -DVANTOR_SANITIZE=ON -DVANTOR_WERROR=ON >/dev/null
	@cmake --build $(TEST_DIR) -j $(JOBS)

# After the tests, each fuzz target runs briefly from the inputs collected so far. The browser
# build comes first, when Emscripten is there, so that its tests run too.
test: test-build web-if-available format-check thread-check-build
	cd $(TEST_DIR) && ctest --output-on-failure -j $(JOBS)
	cd $(TSAN_DIR) && ctest --output-on-failure
	@FUZZ_BUILD_DIR=$(CURDIR)/$(FUZZ_DIR) fuzz/run.sh 20

# The ball frame's threads under ThreadSanitizer: the core, the game logic and the one test that
# plays the frame on several threads.
thread-check-build: deps
	@cmake -S . -B $(TSAN_DIR) -G "$(GENERATOR)" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	    $(GAME_ONLY) -DVANTOR_THREAD_CHECK=ON -DVANTOR_WERROR=ON >/dev/null
	@cmake --build $(TSAN_DIR) -j $(JOBS)

fuzz: deps
	@FUZZ_BUILD_DIR=$(CURDIR)/$(FUZZ_DIR) fuzz/run.sh $(FUZZ_SECONDS)

soak: deps
	@cmake -S . -B $(SOAK_DIR) -G "$(GENERATOR)" -DCMAKE_BUILD_TYPE=Release \
	    -DVANTOR_TESTS=ON $(GAME_ONLY) -DCMAKE_DISABLE_FIND_PACKAGE_Qt6=ON >/dev/null
	@cmake --build $(SOAK_DIR) -j $(JOBS) --target reliability_soak_tests
	VANTOR_SOAK=full $(SOAK_DIR)/tests/reliability/reliability_soak_tests

bench: release
	@for b in $(REL_DIR)/bench/bench_*; do [ -x "$$b" ] && "$$b" --benchmark_min_time=0.2 --benchmark_repetitions=3 --benchmark_display_aggregates_only=true || exit 1; done

web: deps
	@NODE_PATH=/usr/share/nodejs emcmake cmake -S . -B $(WEB_DIR) -G "$(GENERATOR)" \
	    -DCMAKE_BUILD_TYPE=Release $(GAME_ONLY) -DVANTOR_TESTS=OFF -DVANTOR_WERROR=ON \
	    $(if $(shell command -v ccache),-DCMAKE_CXX_COMPILER_LAUNCHER=ccache) >/dev/null
	@NODE_PATH=/usr/share/nodejs cmake --build $(WEB_DIR) -j $(JOBS)

web-if-available:
	@if command -v emcmake >/dev/null 2>&1; then $(MAKE) --no-print-directory web; \
	else echo "Emscripten is not installed: the browser build and its tests are skipped"; fi

web-run: web
	@echo "Vantor in the browser: http://127.0.0.1:$(WEB_PORT)/index.html, Brickwright: .../editor.html (Ctrl+C stops)"
	@cd $(WEB_DIR) && python3 -m http.server $(WEB_PORT) --bind 127.0.0.1

format-check:
	@clang-format --dry-run --Werror $(SOURCES)

format:
	@clang-format -i $(SOURCES)
