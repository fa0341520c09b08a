# Two entry points: `make run` plays at the console, `make test` builds and
# runs every test. Both configure CMake on first use.
BUILD ?= build
JOBS ?= $(shell nproc 2>/dev/null || echo 2)

.PHONY: all build run test slow bench-eval clean

all: build

$(BUILD)/CMakeCache.txt:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release

build: $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS)

run: build
	./$(BUILD)/vorn

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS) -LE slow

slow: build
	cd $(BUILD) && ctest --output-on-failure -L slow

# Nanoseconds per static evaluation (needs Google Benchmark).
bench-eval: $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) --target vorn_eval_bench -j $(JOBS)
	./$(BUILD)/tests/vorn_eval_bench

clean:
	rm -rf $(BUILD)
