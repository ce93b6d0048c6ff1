# Two commands for a newcomer: `make run` and `make test`.
# Both install the Debian packages that are missing, then build in build/.

SHELL := /bin/bash
BUILD ?= build
JOBS ?= $(shell nproc)

PACKAGES := cmake ninja-build g++ make pkg-config \
            libgtest-dev libgmock-dev libbenchmark-dev \
            qt6-base-dev qt6-qpa-plugins fonts-wqy-microhei \
            nodejs clang libclang-rt-14-dev \
            xvfb xauth xdotool xclip

SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

.PHONY: deps configure build test run bench clean

deps:
	@missing=""; \
	for p in $(PACKAGES); do \
	  dpkg-query -W -f='$${Status}\n' "$$p" 2>/dev/null | grep -q 'install ok installed' \
	    || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "Installing missing packages:$$missing"; \
	  $(SUDO) apt-get update && \
	  $(SUDO) env DEBIAN_FRONTEND=noninteractive apt-get install -y $$missing; \
	fi

configure: deps
	@[ -f $(BUILD)/build.ninja ] || \
	  cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release

build: configure
	cmake --build $(BUILD) -j $(JOBS)

test: build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

run: build
	@scripts/run-window $(BUILD)

bench: build
	@for b in $(BUILD)/bench/tavrel-bench-*; do echo "== $$b"; "$$b"; done

clean:
	rm -rf $(BUILD)
