# make run: set up, build and start the demo; make test: set up, build and run every test.
BUILD_DIR ?= build
SANITIZE_DIR ?= build-sanitize
JOBS ?= $(shell nproc)
ARGS ?=

SANITIZER_ENV = ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 \
	LSAN_OPTIONS=suppressions=$(CURDIR)/scripts/lsan.supp:print_suppressions=0 \
	UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1

.PHONY: setup build run test test-sanitize screenshots bench fuzz clean

setup:
	@scripts/setup.sh

build: setup
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BUILD_DIR) -j$(JOBS)

run: build
	./$(BUILD_DIR)/morwenfall $(ARGS)

test: build
	ctest --test-dir $(BUILD_DIR) --output-on-failure -j$(JOBS)

test-sanitize: setup
	cmake -S . -B $(SANITIZE_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARVO_SANITIZE=ON
	cmake --build $(SANITIZE_DIR) -j$(JOBS)
	$(SANITIZER_ENV) ctest --test-dir $(SANITIZE_DIR) --output-on-failure -j$(JOBS)

clean:
	rm -rf $(BUILD_DIR) $(SANITIZE_DIR) base
