# make run: set up, build and start the demo; make test: set up, build and run every test;
# make test-package: the installed and packaged engine; make package: the Debian packages.
BUILD_DIR ?= build
SANITIZE_DIR ?= build-sanitize
SHARED_DIR ?= build-shared
JOBS ?= $(shell nproc)
ARGS ?=

# $(call configure_build,DIR,BUILD_TYPE,TARGETS,CMAKE_OPTIONS): configures DIR and builds
# TARGETS there (everything when empty).
configure_build = cmake -S . -B $(1) -DCMAKE_BUILD_TYPE=$(2) $(4) && \
	cmake --build $(1) -j$(JOBS) $(if $(3),--target $(3))

# The scripts import the test harness package, tests/support/tarvotest, as the tests do.
PYTHON = PYTHONPATH=$(CURDIR)/tests/support /usr/bin/python3

SANITIZER_ENV = ASAN_OPTIONS=detect_leaks=1 \
	LSAN_OPTIONS=suppressions=$(CURDIR)/scripts/lsan.supp:print_suppressions=0 \
	UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1

.PHONY: setup build run run-climb test test-sanitize test-package package docs screenshots gifs golden \
	examples-golden bench bench-demo fuzz soak soak-sanitize monkey monkey-rss clean

setup:
	@scripts/setup.sh

build: setup
	$(call configure_build,$(BUILD_DIR),RelWithDebInfo)

# Only what the demo needs; the user's arguments come first, so their own -game wins.
run: setup
	$(call configure_build,$(BUILD_DIR),RelWithDebInfo,morwenfall pak)
	./$(BUILD_DIR)/morwenfall $(ARGS) -game $(BUILD_DIR)/base

# Kelda's Climb, built against the engine staged in BUILD_DIR/stage, started in its build
# folder, where its pak (base/) and defaults file lie.
run-climb: setup
	$(call configure_build,$(BUILD_DIR),RelWithDebInfo,climb)
	cd $(BUILD_DIR)/climb && ./climb $(ARGS)

test: build
	ctest --test-dir $(BUILD_DIR) --output-on-failure -j$(JOBS)

test-sanitize: setup
	$(call configure_build,$(SANITIZE_DIR),RelWithDebInfo,,-DTARVO_SANITIZE=ON)
	$(SANITIZER_ENV) ctest --test-dir $(SANITIZE_DIR) --output-on-failure -j$(JOBS)

# The API reference from the public headers' comments, into build/docs/html (docs/Doxyfile);
# any Doxygen warning, an undocumented declaration among them, fails it.
docs:
	scripts/setup.sh --docs
	mkdir -p build/docs
	TARVO_VERSION=$$(sed -n 's/^#define TARVO_VERSION_[A-Z]* //p' include/tarvo/version.h | \
		paste -sd.) doxygen docs/Doxyfile

# The engine as its users get it (tests/package): installed into a temporary prefix and built
# against with CMake and pkg-config, moved, as the shared library built alone in SHARED_DIR, and
# as the Debian packages unpacked into a temporary root (the game's among them), after the API
# reference builds. Installs nowhere else.
test-package: build docs
	scripts/setup.sh --package
	TARVO_SOURCE_DIR=$(CURDIR) TARVO_BUILD_DIR=$(abspath $(BUILD_DIR)) \
		TARVO_SHARED_BUILD_DIR=$(abspath $(SHARED_DIR)) JOBS=$(JOBS) \
		$(PYTHON) tests/package/package_e2e.py

# The Debian packages tarvo-dev and morwenfall, written into BUILD_DIR (cmake/packaging.cmake),
# then the game's, climb, into BUILD_DIR/climb (games/climb/install.cmake).
package: build
	scripts/setup.sh --package
	cd $(BUILD_DIR) && cpack
	cd $(BUILD_DIR)/climb && cpack

# Walks every stage under Xvfb and saves one picture per stage into docs/screenshots.
screenshots: build
	$(PYTHON) scripts/screenshots.py --program $(BUILD_DIR)/morwenfall \
		--pak $(BUILD_DIR)/base/pak000.zip --out docs/screenshots

# One animation per stage into docs/anim, rendered headless from the golden walk's replay.
gifs: build
	$(PYTHON) scripts/gifs.py --program $(BUILD_DIR)/morwenfall \
		--pak $(BUILD_DIR)/base/pak000.zip --out docs/anim

# The golden walk's frame list, made afresh from tests/golden/walk.replay; RECORD=1 first
# records the walk again under Xvfb with real key presses.
golden: build
	$(PYTHON) scripts/golden.py --program $(BUILD_DIR)/morwenfall \
		--pak $(BUILD_DIR)/base/pak000.zip $(if $(RECORD),--record)

# The examples' replays, frame lists and pictures made afresh (scripts/examples.py): each example
# built against build/ installed into a temporary prefix and replayed headless.
examples-golden: build
	$(PYTHON) scripts/examples.py --build $(BUILD_DIR)

# Speed is measured here, by hand, never in the tests.
# renderbench needs Allegro 4, which only this target installs; the table goes to docs.
bench: setup
	scripts/setup.sh --bench
	$(call configure_build,build-bench,Release,renderbench)
	./build-bench/bench/renderbench --markdown docs/performance.md

# Every libFuzzer target (fuzz/NAME.cpp) for FUZZ_SECONDS each, or those in FUZZ_TARGETS,
# built by CMake with clang into build-fuzz/fuzz/NAME; new inputs go to build-fuzz/corpus/NAME.
# Huge allocations fail instead of ending the run, and the libraries' chatter on stderr is
# dropped (libFuzzer's own lines and crash reports still show).
FUZZ_SECONDS ?= 600
FUZZ_TARGETS ?= $(basename $(notdir $(wildcard fuzz/*.cpp)))
fuzz: setup
	scripts/setup.sh --fuzz
	$(call configure_build,build-fuzz,RelWithDebInfo,$(addprefix fuzzer_,$(FUZZ_TARGETS)),\
		-DTARVO_FUZZ=ON -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14)
	for target in $(FUZZ_TARGETS); do \
		mkdir -p build-fuzz/corpus/$$target && \
		ASAN_OPTIONS=allocator_may_return_null=1 ./build-fuzz/fuzz/$$target \
			-max_total_time=$(FUZZ_SECONDS) -rss_limit_mb=2048 -close_fd_mask=2 \
			build-fuzz/corpus/$$target fuzz/corpus/$$target || exit 1; \
	done

# The whole demo replayed as fast as it draws, in the Release build; the table goes into
# docs/performance.md between the bench-demo markers.
bench-demo: setup
	$(call configure_build,build-bench,Release,morwenfall pak)
	$(PYTHON) scripts/benchdemo.py --program build-bench/morwenfall \
		--pak build-bench/base/pak000.zip

# The soak (scripts/soak.py): 1,200,000 polygon ticks, three camera tours, a minute of sound,
# with resident memory watched. soak-sanitize plays it in the sanitized build, by hand.
SOAK = $(PYTHON) scripts/soak.py
soak: setup
	$(call configure_build,$(BUILD_DIR),RelWithDebInfo,morwenfall pak)
	$(SOAK) --program $(BUILD_DIR)/morwenfall --pak $(BUILD_DIR)/base/pak000.zip

soak-sanitize: setup
	$(call configure_build,$(SANITIZE_DIR),RelWithDebInfo,morwenfall pak,-DTARVO_SANITIZE=ON)
	$(SANITIZER_ENV) $(SOAK) --program $(SANITIZE_DIR)/morwenfall \
		--pak $(SANITIZE_DIR)/base/pak000.zip --rss skip

# The monkey's long form: MONKEY_SECONDS of random keys, focus changes and restores under
# Xvfb, in the sanitizer build; monkey-rss runs it in the normal build and also fails when
# resident memory grows by more than MONKEY_RSS_KIB after the warm-up.
MONKEY_SECONDS ?= 300
MONKEY_RSS_KIB ?= 1024
monkey: setup
	$(call configure_build,$(SANITIZE_DIR),RelWithDebInfo,morwenfall pak,-DTARVO_SANITIZE=ON)
	$(SANITIZER_ENV) TARVO_XSESSION_ASAN_OPTIONS=detect_leaks=0 $(PYTHON) scripts/monkey.py \
		--program $(SANITIZE_DIR)/morwenfall --pak $(SANITIZE_DIR)/base/pak000.zip \
		--seconds $(MONKEY_SECONDS)

monkey-rss: setup
	$(call configure_build,$(BUILD_DIR),RelWithDebInfo,morwenfall pak)
	$(PYTHON) scripts/monkey.py --program $(BUILD_DIR)/morwenfall \
		--pak $(BUILD_DIR)/base/pak000.zip --seconds $(MONKEY_SECONDS) \
		--max-rss-growth $(MONKEY_RSS_KIB)

clean:
	rm -rf $(BUILD_DIR) $(SANITIZE_DIR) $(SHARED_DIR) build-bench build-fuzz
