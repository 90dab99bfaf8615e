BUILD_DIR ?= build
SANITIZE_DIR ?= build-sanitize
FUZZ_DIR ?= build-fuzz
BUILD_TYPE ?= RelWithDebInfo
JOBS ?= $(shell nproc)
# Seconds each fuzzer runs: long under `make fuzz`, a smoke run under `make test`.
FUZZ_SECONDS ?= 60
SMOKE_SECONDS ?= 5
# `make run PLANS=1`: the sandbox starts new accounts without a subscription.
PLANS ?= 0

SANITIZER_ENV = \
	ASAN_OPTIONS=halt_on_error=1:detect_stack_use_after_return=1 \
	UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1:suppressions=$(CURDIR)/tests/sanitizers/ubsan.supp \
	LSAN_OPTIONS=suppressions=$(CURDIR)/tests/sanitizers/lsan.supp:print_suppressions=0

.PHONY: setup configure build package run test unit-test sanitize-test fuzz-smoke fuzz bench bench-startup bench-keystroke mutants clean

setup:
	@scripts/setup

configure: setup
	@cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) >/dev/null

build: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS)

# The Debian package, $(BUILD_DIR)/tolvan_VERSION_ARCH.deb.
package: build
	@cmake --build $(BUILD_DIR) --target package

# The desktop app against tolvan-sandbox on a free loopback port, printing its
# sign-in codes (PLANS=1: new accounts start unsubscribed); without a display,
# a walkthrough of tolvan-cli against it.
run: build
	@PLANS=$(PLANS) scripts/run-app $(BUILD_DIR)

# Every test, headless: no display is used, and each test that needs a
# service (a keyring, a stand-in server, an X server) starts its own. Then the
# same suite under AddressSanitizer and UndefinedBehaviorSanitizer, and a short
# run of every fuzzer.
test: unit-test sanitize-test fuzz-smoke

unit-test: build
	@cd $(BUILD_DIR) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

sanitize-test: setup
	@cmake -S . -B $(SANITIZE_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTOLVAN_SANITIZE=ON >/dev/null
	@cmake --build $(SANITIZE_DIR) -j $(JOBS)
	@cd $(SANITIZE_DIR) && $(SANITIZER_ENV) QT_QPA_PLATFORM=offscreen \
		ctest --output-on-failure -j $(JOBS)

fuzz-build: setup
	@cmake -S . -B $(FUZZ_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
		-DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DTOLVAN_FUZZ=ON >/dev/null
	@cmake --build $(FUZZ_DIR) --target tolvan_fuzzers -j $(JOBS)

fuzz-smoke: fuzz-build
	@cd $(FUZZ_DIR) && TOLVAN_FUZZ_SECONDS=$(SMOKE_SECONDS) $(SANITIZER_ENV) \
		ctest --output-on-failure -j $(JOBS)

# Every fuzzer for FUZZ_SECONDS, one after another; findings land in $(FUZZ_DIR)/findings.
fuzz: fuzz-build
	@cd $(FUZZ_DIR) && TOLVAN_FUZZ_SECONDS=$(FUZZ_SECONDS) $(SANITIZER_ENV) \
		ctest --output-on-failure -j 1
	@for log in $(FUZZ_DIR)/findings/*/last-run.log; do \
		printf '%s: ' "$$(basename "$$(dirname "$$log")")"; \
		grep -E '^stat::number_of_executed_units' "$$log" | tr '\n' ' '; \
		grep -oE 'cov: [0-9]+ ft: [0-9]+' "$$log" | tail -n 1; \
	done

bench: build
	@cmake --build $(BUILD_DIR) --target tolvan_bench
	@$(BUILD_DIR)/bench/tolvan_bench

# Launch to first frame, memory and idle cost of tolvan beside bare Qt Quick
# and Qt Widgets windows, under a private Xvfb (ROUNDS, WARMUP, IDLE_SECONDS).
bench-startup: build
	@cmake --build $(BUILD_DIR) --target tolvan_startup_subjects
	@/usr/bin/python3 bench/startup/startupbench.py $(BUILD_DIR)

# A keystroke at the end of a full Translate input of the running app, from
# the key press until the app reads the new text back (ROUNDS).
bench-keystroke: build
	@/usr/bin/python3 bench/keystroke/keystrokebench.py $(BUILD_DIR)

# Plants each fault of tests/mutants/ in turn and reports which the suite
# catches (not part of `make test`).
mutants: setup
	@scripts/mutants --jobs $(JOBS)

clean:
	@rm -rf $(BUILD_DIR) $(SANITIZE_DIR) $(FUZZ_DIR) build-mutants
