# One entry point for building, testing and running Zirbin.
#   make run    - install what is missing, build, run the demo tour in batch mode
#   make test   - install what is missing, build, run the whole test suite (ctest)
#   make asan   - the same suite in a Debug build with AddressSanitizer and UBSan
#   make fuzz   - the libFuzzer targets of fuzz/ (clang, sanitizers), each run briefly;
#                 part of make test
#   make bench  - build and run the benchmarks under bench/
BUILD      ?= build
ASAN_BUILD ?= build-asan
FUZZ_BUILD ?= build-fuzz
JOBS       ?= 2
SUDO       := $(shell [ "$$(id -u)" = 0 ] || echo sudo)
PACKAGES   := g++ clang libclang-rt-14-dev cmake make libgsl-dev libopenblas-dev libgtest-dev librsvg2-bin libcairo2-dev libjpeg-dev pkg-config fonts-liberation qt6-base-dev xvfb xauth libreadline-dev python3-pexpect parallel

.PHONY: all deps configure build run run-batch test asan fuzz bench clean

all: build

# Installs only the packages that are missing, so a ready machine skips apt-get.
deps:
	@missing=""; for p in $(PACKAGES); do \
	  dpkg -s $$p >/dev/null 2>&1 || missing="$$missing $$p"; done; \
	if [ -n "$$missing" ]; then \
	  echo "installing:$$missing"; \
	  $(SUDO) apt-get update -q && \
	  DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -q $$missing; \
	fi

$(BUILD)/CMakeCache.txt: | deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release

configure: deps $(BUILD)/CMakeCache.txt

build: configure
	cmake --build $(BUILD) -j $(JOBS)

# The demos run with a state directory of their own, so that they neither meet the
# variables of the user's saved session nor leave theirs in it.
DEMO_STATE ?= $(BUILD)/demo-state

# With a display the tour is typed into the console window; without one the demos run in
# batch.
run: build
	rm -rf $(DEMO_STATE) && mkdir -p $(DEMO_STATE)
	@if [ -n "$$DISPLAY$$WAYLAND_DISPLAY" ]; then \
	  cd $(BUILD)/bin && ZIRBIN_HOME=$(abspath $(DEMO_STATE)) ./zirbin2020 demo/tour.zrb; \
	  exit 0; fi; \
	$(MAKE) --no-print-directory run-batch

run-batch:
	cd $(BUILD)/bin && ZIRBIN_HOME=$(abspath $(DEMO_STATE)) ./zirbin2020 --batch demo/tour.zrb </dev/null
	@echo "plots demo: SVG files written to $(BUILD)/bin/demo/"
	cd $(BUILD)/bin && ZIRBIN_HOME=$(abspath $(DEMO_STATE)) ./zirbin2020 --batch demo/plots.zrb </dev/null
	@echo "analysis demo: decay.txt, decay_fit.jmt and decay.svg written to $(BUILD)/bin/demo/"
	cd $(BUILD)/bin && ZIRBIN_HOME=$(abspath $(DEMO_STATE)) ./zirbin2020 --batch demo/analysis.zrb </dev/null
	@echo "physics demo: pendulum.svg written to $(BUILD)/bin/demo/"
	cd $(BUILD)/bin && ZIRBIN_HOME=$(abspath $(DEMO_STATE)) ./zirbin2020 --batch demo/physics.zrb </dev/null

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)
	$(MAKE) fuzz

# The readers of untrusted files under libFuzzer: a build of its own with clang.
fuzz: deps
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DZIRBIN_SANITIZE=ON -DZIRBIN_FUZZ=ON
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target fuzz_targets
	cd $(FUZZ_BUILD) && ctest -R '^fuzz/' --output-on-failure

asan: deps
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DZIRBIN_SANITIZE=ON
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && ctest --output-on-failure -j $(JOBS)

bench: build
	$(BUILD)/bin/bench_blas
	bench/qt/disp_loop.sh $(BUILD)

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD)
