# The suite's single entry point: `make demo` runs the demonstration,
# `make test` builds and runs every test, in the release build and again in
# the sanitizer build (AddressSanitizer and UndefinedBehaviorSanitizer), where
# the tests include a sample of the robustness harness. `make robustness` runs
# the whole harness on the sanitizer build, `make fuzz` the fuzzer
# (tools/fuzz.sh). Each configures its build as needed.
BUILD ?= build
SANITIZE_BUILD ?= build-asan
JOBS ?= $(shell nproc 2>/dev/null || echo 2)

.PHONY: all build build-sanitize test test-sanitize robustness fuzz demo bench clean

all: build

build:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release
	cmake --build $(BUILD) -j $(JOBS)

build-sanitize:
	cmake -S . -B $(SANITIZE_BUILD) -DCMAKE_BUILD_TYPE=Release -DJJ_SANITIZE=ON -DJJ_BUILD_BENCH=OFF
	cmake --build $(SANITIZE_BUILD) -j $(JOBS)

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)
	$(MAKE) test-sanitize

test-sanitize: build-sanitize
	cd $(SANITIZE_BUILD) && ctest --output-on-failure -j $(JOBS)

robustness: build-sanitize
	$(SANITIZE_BUILD)/robustness --bin $(SANITIZE_BUILD) --data tests --random 100 --jobs $(JOBS) --table

fuzz:
	tools/fuzz.sh

demo: build
	tools/demo.sh $(BUILD) demo-output

bench: build
	$(BUILD)/steppers_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
	$(BUILD)/workloads_bench --benchmark_min_time=0.1 --benchmark_repetitions=5 \
	  --benchmark_report_aggregates_only=true

clean:
	rm -rf $(BUILD) $(SANITIZE_BUILD) build-fuzz demo-output
