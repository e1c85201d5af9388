# The suite's single entry point: `make demo` runs the demonstration,
# `make test` builds and runs every test. Both configure the build as needed.
BUILD ?= build
JOBS ?= $(shell nproc 2>/dev/null || echo 2)

.PHONY: all build test demo bench clean

all: build

build:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release
	cmake --build $(BUILD) -j $(JOBS)

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

demo: build
	tools/demo.sh $(BUILD) demo-output

bench: build
	$(BUILD)/steppers_bench

clean:
	rm -rf $(BUILD) demo-output
