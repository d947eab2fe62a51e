# Convenience targets over CMake presets.
# `build`, `run` and `test` use the normal build (build/), where an edit
# recompiles only what it touches; `release`, `test-release` and `bench`
# the profile-guided build (build-release/), which trains the engine's
# profile on the example models and compiles the engine with it.
JOBS ?= $(shell nproc)

.PHONY: build run test release test-release build-sanitize test-sanitize bench clean

build:
	cmake --preset default >/dev/null
	cmake --build --preset default -j $(JOBS)

run: build
	rm -rf build/run-bank
	bash examples/run-model.sh examples/bank.txt build/run-bank

test: build
	ctest --preset default -j $(JOBS)

release:
	cmake --preset release >/dev/null
	cmake --build --preset release -j $(JOBS)

test-release: release
	ctest --preset release -j $(JOBS)

build-sanitize:
	cmake --preset sanitize >/dev/null
	cmake --build --preset sanitize -j $(JOBS)

test-sanitize: build-sanitize
	ctest --preset sanitize -j $(JOBS)

# BEFORE=<engine binary or git revision> times the engine beside that one.
bench: release
	JOBS=$(JOBS) bash bench/run.sh build-release $(BEFORE)

clean:
	rm -rf build build-release build-sanitize
