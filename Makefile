# Two commands for a newcomer: `make run` and `make test`.
# Both install the Debian packages that are missing, then build in build/.

SHELL := /bin/bash
BUILD ?= build
SAN_BUILD ?= build-sanitize
WIN_BUILD ?= build-windows
PKG_BUILD ?= build-package
JOBS ?= $(shell nproc)
FUZZ_SECONDS ?= 300
SMOKE_SECONDS ?= 30
FUZZERS := normalise evaluate numbers cli live_run
SAN_ENV := ASAN_OPTIONS=halt_on_error=1:abort_on_error=1:detect_leaks=1 \
           UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
           LSAN_OPTIONS=suppressions=$(CURDIR)/fuzz/lsan.supp:print_suppressions=0

PACKAGES := cmake ninja-build g++ make pkg-config \
            libgtest-dev libgmock-dev libbenchmark-dev \
            qt6-base-dev qt6-qpa-plugins fonts-wqy-microhei \
            nodejs bc clang libclang-rt-14-dev \
            xvfb xauth xdotool xclip \
            g++-mingw-w64-x86-64-posix wine64 googletest zip \
            dpkg-dev lintian desktop-file-utils appstream

SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

.PHONY: deps configure build test unit-test san-configure san-build sanitize-test fuzz-smoke fuzz run bench clean \
        pkg-configure package package-check

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

# Every test, then the whole suite again under AddressSanitizer and UndefinedBehaviorSanitizer,
# then each fuzz target for $(SMOKE_SECONDS) seconds on its corpus, then the Windows build's tests
# under Wine, then the Debian package's checks.
test: unit-test sanitize-test fuzz-smoke windows-test package-check

unit-test: build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

san-configure: deps
	@[ -f $(SAN_BUILD)/build.ninja ] || \
	  CC=clang CXX=clang++ cmake -S . -B $(SAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	    -DTAVREL_SANITIZE=address,undefined -DTAVREL_WITH_FUZZ=ON -DTAVREL_WITH_BENCH=OFF

san-build: san-configure
	cmake --build $(SAN_BUILD) -j $(JOBS)

sanitize-test: san-build
	$(SAN_ENV) ctest --test-dir $(SAN_BUILD) --output-on-failure -j $(JOBS)

# Runs every fuzz target for $(1) seconds on a scratch copy of its corpus.
define run_fuzzers
	@set -e; for f in $(FUZZERS); do \
	  mkdir -p fuzz-out/$$f; \
	  echo "== fuzz-$$f for $(1) s"; \
	  $(SAN_ENV) $(SAN_BUILD)/fuzz/fuzz-$$f -max_total_time=$(1) -max_len=4096 -timeout=10 \
	    -rss_limit_mb=4096 -print_final_stats=1 -artifact_prefix=fuzz-out/$$f- \
	    fuzz-out/$$f fuzz/corpus/$$f > fuzz-out/$$f.log 2>&1 \
	    || { tail -n 60 fuzz-out/$$f.log; echo "fuzz-$$f failed"; exit 1; }; \
	  grep -E '^(Done|stat::number_of_executed_units|stat::peak_rss_mb)' fuzz-out/$$f.log || true; \
	done
endef

fuzz-smoke: san-build
	$(call run_fuzzers,$(SMOKE_SECONDS))

fuzz: san-build
	$(call run_fuzzers,$(FUZZ_SECONDS))

# The Windows programs, cross-built with mingw-w64 in $(WIN_BUILD)/ and packed into
# dist/tavrel-<version>-windows-x86_64.zip; their tests run under Wine in a prefix of their own
# inside $(WIN_BUILD)/, without a display. tavrel-cli.exe is compared with the Linux tavrel-cli,
# which windows-test builds first.
.PHONY: windows-configure windows windows-test
LINUX_CLI := $(abspath $(BUILD))/app/cli/tavrel-cli
windows-configure: deps
	@[ -f $(WIN_BUILD)/build.ninja ] && \
	  grep -qxF 'TAVREL_LINUX_CLI:FILEPATH=$(LINUX_CLI)' $(WIN_BUILD)/CMakeCache.txt || \
	  cmake -S . -B $(WIN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release \
	    -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DTAVREL_LINUX_CLI=$(LINUX_CLI)

windows: windows-configure
	cmake --build $(WIN_BUILD) -j $(JOBS)

windows-test: build windows
	env -u DISPLAY -u WAYLAND_DISPLAY ctest --test-dir $(WIN_BUILD) --output-on-failure -j $(JOBS)

# The Windows window's keystroke benchmark, under Wine on a virtual X server in the window
# tests' own prefix; it prints figures and is not part of test.
.PHONY: windows-bench
WIN_WINDOW_PREFIX := $(WIN_BUILD)/window-test/wine-prefix
windows-bench: windows-configure
	cmake --build $(WIN_BUILD) -j $(JOBS) --target tavrel-bench-win32-window
	@scripts/wine-prefix $(WIN_WINDOW_PREFIX)
	@status=0; TAVREL_WINE_TIMEOUT=1200 xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" \
	  scripts/wine-run $(WIN_WINDOW_PREFIX) $(WIN_BUILD)/bench/win32/tavrel-bench-win32-window.exe \
	  || status=$$?; scripts/wine-prefix --stop $(WIN_WINDOW_PREFIX); exit $$status

# The Debian package is built in its own tree with Debian's build flags (hardening, fortified
# libc calls), into dist/; package-check runs lintian, desktop-file-validate and appstreamcli on it.
PKG_FLAGS := DEB_BUILD_MAINT_OPTIONS=hardening=+all DEB_CXXFLAGS_MAINT_STRIP=-g
pkg-configure: deps
	@[ -f $(PKG_BUILD)/build.ninja ] || \
	  CXXFLAGS="$$($(PKG_FLAGS) dpkg-buildflags --get CPPFLAGS) $$($(PKG_FLAGS) dpkg-buildflags --get CXXFLAGS)" \
	  LDFLAGS="$$($(PKG_FLAGS) dpkg-buildflags --get LDFLAGS)" \
	  cmake -S . -B $(PKG_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release -DTAVREL_WITH_BENCH=OFF

package: pkg-configure
	cmake --build $(PKG_BUILD) -j $(JOBS) --target deb

package-check: pkg-configure
	cmake --build $(PKG_BUILD) -j $(JOBS) --target deb_check

run: build
	@scripts/run-window $(BUILD)

bench: build
	@for b in $(BUILD)/bench/tavrel-bench-*; do echo "== $$b"; "$$b"; done

clean:
	rm -rf $(BUILD) $(SAN_BUILD) $(WIN_BUILD) $(PKG_BUILD) fuzz-out dist
