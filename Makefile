# The two commands of the README: `make run` and `make test`.
JOBS ?= $(shell nproc)
DEMO := $(shell ls /dev/video* >/dev/null 2>&1 || echo --demo-camera)

.PHONY: deps configure build run run-viewer test test-asan fuzz test-tsan soak bench package check-package format clean

deps:
	@bash scripts/install-deps.sh

configure: deps
	@cmake --preset default >/dev/null

build: configure
	@cmake --build build -j $(JOBS)

run: build
	./build/bin/scopedesk $(DEMO)

# Orbilux against tools/wifiscope-sim on 127.0.0.1, with the network check answered for the run
# and the workspace kept inside the build tree.
SIM_WEB_PORT ?= 18080
SIM_STREAM_PORT ?= 18899
run-viewer: build
	@tools/wifiscope-sim --web-port $(SIM_WEB_PORT) --stream-port $(SIM_STREAM_PORT) & sim=$$!; \
	trap 'kill $$sim 2>/dev/null' EXIT INT TERM; \
	for i in $$(seq 150); do curl -sf -o /dev/null http://127.0.0.1:$(SIM_WEB_PORT)/sim/state && break; sleep 0.2; done; \
	echo "wifiscope-sim: press the snapshot button with: curl http://127.0.0.1:$(SIM_WEB_PORT)/sim/press"; \
	ORBILUX_HOME=$(CURDIR)/build/orbilux-demo ./build/bin/orbilux --wifi-host 127.0.0.1 \
	  --wifi-web-port $(SIM_WEB_PORT) --wifi-stream-port $(SIM_STREAM_PORT) \
	  --wifi-network-name AIRLOUPE01-simulator --connect-wifi

test: build
	cd build && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS) --timeout 300

test-asan: deps
	@cmake --preset asan >/dev/null
	cmake --build build-asan -j $(JOBS)
	cd build-asan && QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0 ctest --output-on-failure -j $(JOBS) --timeout 600

# Every parser harness under libFuzzer with ASan and UBSan for FUZZ_SECONDS each (clang is
# installed for this only); fails on any finding. `make test` replays the corpora without it.
FUZZ_SECONDS ?= 60
FUZZ_JOBS ?= 2
fuzz:
	@bash scripts/install-deps.sh fuzz
	@cmake --preset fuzz >/dev/null
	cmake --build build-fuzz --target fuzzers -j $(FUZZ_JOBS)
	@bash tests/fuzz/run-fuzzers.sh build-fuzz $(FUZZ_SECONDS) $(FUZZERS)

# The tests whose code crosses threads, under ThreadSanitizer (clang).
TSAN_TESTS := $(shell cat tests/tsan-tests.txt 2>/dev/null | grep -v '^\#' | tr '\n' ' ')
test-tsan:
	@bash scripts/install-deps.sh fuzz
	@cmake --preset tsan >/dev/null
	cmake --build build-tsan -j $(FUZZ_JOBS) --target $(TSAN_TESTS)
	cd build-tsan && QT_QPA_PLATFORM=offscreen \
	  TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 suppressions=$(CURDIR)/tests/tsan.supp" \
	  ctest --output-on-failure -j $(FUZZ_JOBS) --timeout 900 -L tsan

# The long run: both programs working for SOAK_MINUTES, memory sampled; see bench/soak.sh.
SOAK_MINUTES ?= 30
soak: build
	@bash bench/soak.sh $(SOAK_MINUTES)

bench: build
	@for b in build/bin/bench_*; do echo "== $$b"; $$b --benchmark_min_time=0.2; done
	@bash bench/startup.sh
	@bash bench/wifi_endtoend.sh
	@bash bench/viewer_record.sh
	@bash bench/ftp_throughput.sh
	@bash bench/record_endtoend.sh

# The Debian package of both programs: build/packages/quelmar_<version>_<arch>.deb.
package: build
	cmake --build build --target package

# Builds the package, checks it and starts its programs from a scratch root.
check-package:
	@bash scripts/check-package.sh

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf build build-asan build-fuzz build-tsan
