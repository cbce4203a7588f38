# The two commands of the README: `make run` and `make test`.
JOBS ?= $(shell nproc)
DEMO := $(shell ls /dev/video* >/dev/null 2>&1 || echo --demo-camera)

.PHONY: deps configure build run test test-asan bench format clean

deps:
	@bash scripts/install-deps.sh

configure: deps
	@cmake --preset default >/dev/null

build: configure
	@cmake --build build -j $(JOBS)

run: build
	./build/bin/scopedesk $(DEMO)

test: build
	cd build && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS) --timeout 300

test-asan: deps
	@cmake --preset asan >/dev/null
	cmake --build build-asan -j $(JOBS)
	cd build-asan && QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0 ctest --output-on-failure -j $(JOBS) --timeout 600

bench: build
	@for b in build/bin/bench_*; do echo "== $$b"; $$b --benchmark_min_time=0.2; done
	@bash bench/startup.sh

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf build build-asan
