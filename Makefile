# Convenience targets over CMake presets.
JOBS ?= $(shell nproc)

.PHONY: build run test build-sanitize test-sanitize bench clean

build:
	cmake --preset default >/dev/null
	cmake --build --preset default -j $(JOBS)

run: build
	rm -rf build/run-bank
	bash examples/run-model.sh examples/bank.txt build/run-bank

test: build
	ctest --preset default -j $(JOBS)

build-sanitize:
	cmake --preset sanitize >/dev/null
	cmake --build --preset sanitize -j $(JOBS)

test-sanitize: build-sanitize
	ctest --preset sanitize -j $(JOBS)

# BEFORE=<engine binary or git revision> times the engine beside that one.
bench: build
	bash bench/run.sh build $(BEFORE)

clean:
	rm -rf build build-sanitize
