# Quick start on a fresh Debian 12 machine: `make run` or `make test`; `make package` for the
# Debian package. Missing Debian packages are installed first, with apt-get (as root, or
# through sudo).

# Every configuration (its folder, build type, flags) is a preset in CMakePresets.json; the
# recipes here install what each needs and call cmake, ctest and cpack on those presets.
BUILD_DIR := build
PACKAGE_DIR := build-package
SANITIZE_DIR := build-sanitize
FUZZ_DIR := build-fuzz
LINT_DIR := build-lint
VERSION := $(shell sed -n 's/^project.dryx-plc-test VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
DEB := $(PACKAGE_DIR)/dryx-plc-test_$(VERSION)_amd64.deb
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
PROGRAM := $(BUILD_DIR)/app/dryx-plc-test
# The virtual line's link for `make run` (another one: make run LINK=/tmp/my-line).
LINK ?= /tmp/dryx-line

# What building and running the program need from Debian (`make run`): the compiler, CMake and
# Ninja, Qt and the window's fonts.
PACKAGES := cmake ninja-build g++ make pkg-config qt6-base-dev qt6-serialport-dev libgl-dev \
            libxkbcommon-dev fonts-liberation fonts-dejavu-core fonts-lato

# What the tests and the pictures need besides (`make test`, `make screenshot`): a virtual
# display and its tools, the packaging tools and lintian, the manual page's and desktop entry's
# checkers.
TEST_PACKAGES := xvfb xauth xdotool imagemagick x11-utils python3 dpkg-dev file man-db \
                 groff-base desktop-file-utils bash-completion lintian

# What `make package` needs besides (dpkg-shlibdeps), and `make package-test` (file, lintian).
PACKAGE_PACKAGES := dpkg-dev file lintian

# What `make wine-test` needs besides: Wine (the wine package for `wine` on the PATH, wine64 for
# the 64-bit loader; no wine32, which would need the i386 architecture) and a C cross-compiler.
WINE_PACKAGES := wine wine64 gcc-mingw-w64-x86-64

# What `make net-test` needs besides: ser2net and pyserial (its clients).
NET_PACKAGES := ser2net python3-serial

# Fuzzing: clang with libFuzzer (its runtime is in libclang-rt-14-dev on Debian 12).
FUZZ_PACKAGES := clang libclang-rt-14-dev
FUZZ_SECONDS ?= 60
FUZZ_PARALLEL ?= 1
# The fuzz targets (the fuzz preset builds them): one a dictionary in tests/fuzz.
FUZZ_TARGETS := $(sort $(basename $(notdir $(wildcard tests/fuzz/fuzz_*.dict))))

# Static checks: clang-tidy with run-clang-tidy (both in the clang-tidy package on Debian 12).
LINT_PACKAGES := clang-tidy

SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

# Installs those of the Debian packages $(1) that are not installed yet.
define install-missing
@missing=$$(for p in $(1); do \
    dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q 'ok installed' || echo $$p; done); \
if [ -n "$$missing" ]; then \
    echo "Installing missing Debian packages:" $$missing; \
    $(SUDO) apt-get update -qq && \
    DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq --no-install-recommends $$missing; \
fi
endef

# Sets up the folder $(2) with the preset $(1) (and the cmake options $(3)). A folder that CMake's Makefile generator set up
# (before the presets chose Ninja) is set up anew: its cache goes, the build starts over.
define configure
@if [ -f $(2)/CMakeCache.txt ] && ! grep -qx 'CMAKE_GENERATOR:INTERNAL=Ninja' $(2)/CMakeCache.txt; then \
    echo "$(2) was set up for another generator: setting it up anew"; \
    rm -rf $(2)/CMakeCache.txt $(2)/CMakeFiles; \
fi
cmake --preset $(1) $(3)
endef

.PHONY: all deps test-deps build program test test-stress sanitize lint wine-test net-test run bench screenshot timing-diagram format clean package package-test fuzz-deps fuzz-build fuzz fuzz-merge

all: build

deps:
	$(call install-missing,$(PACKAGES))

test-deps: deps
	$(call install-missing,$(TEST_PACKAGES))

# The program, the tests and the bench.
build: test-deps
	$(call configure,dev,$(BUILD_DIR))
	cmake --build --preset dev -j $(JOBS)

# The program alone, in the same build folder: a new folder is set up without the tests and the
# bench (BUILD_TESTING is off by default); one that has them keeps them.
program: deps
	$(call configure,program,$(BUILD_DIR))
	cmake --build --preset program -j $(JOBS)

test: build
	ctest --preset dev -j $(JOBS)

# The whole suite 10 times in a row under two busy loops, as on a loaded CI machine
# (RUNS=N and HOGS=N change the figures).
test-stress: build
	tests/stress.sh $(BUILD_DIR)

# The whole suite once more, built with AddressSanitizer and UndefinedBehaviorSanitizer in one
# build of its own: any finding fails it. Qt's own leaks at exit are listed in the suppressions.
sanitize: test-deps
	$(call configure,sanitize,$(SANITIZE_DIR))
	cmake --build --preset sanitize -j $(JOBS)
	ctest --preset sanitize -j $(JOBS)

# clang-tidy with the checks of .clang-tidy over every source file the build compiles (the
# program, the tests, the bench, the packaging tools): any finding fails it. The lint preset's
# folder has the compile commands and the moc output clang-tidy needs (the autogen target, which
# builds nothing else); that folder's own generated sources are not checked, nor
# (HeaderFilterRegex) Qt's headers.
# clang-tidy's count of the warnings it generated, nearly all in Qt's headers and not shown, is
# left out of the output.
lint: deps
	$(call install-missing,$(LINT_PACKAGES))
	$(call configure,lint,$(LINT_DIR))
	cmake --build --preset lint -j $(JOBS)
	@{ run-clang-tidy -p $(LINT_DIR) -j $(JOBS) -quiet '^(?!$(CURDIR)/$(LINT_DIR)/)' 2>&1; \
	    echo $$? > $(LINT_DIR)/clang-tidy.status; } | \
	    grep --line-buffered -Ev '^[0-9]+ warnings? generated\.$$'; \
	status=$$(cat $(LINT_DIR)/clang-tidy.status); \
	[ "$$status" = 0 ] && echo "lint: no findings" || echo "lint: failed, see above"; \
	exit $$status

# A Windows program under Wine, started as "c:\program files\dryx\dryx.exe" with COM7 mapped to
# the virtual line, must receive whole data strings (about 25 s; 1.2 GB of packages, once).
wine-test: build
	$(call install-missing,$(WINE_PACKAGES))
	tests/wine/run_wine_test.sh $(PROGRAM)

# The virtual line served over TCP by ser2net from examples/ser2net.yaml (ports and link of its
# own): a raw TCP and an RFC 2217 client must read whole data strings at the line's pace (~10 s).
net-test: program
	$(call install-missing,$(NET_PACKAGES))
	tests/net/run_net_test.sh $(PROGRAM)

# Both on the virtual line (read it with `cat -v /tmp/dryx-line`). With a display: the window.
# Without one: headless, started, tracing every tick; Ctrl-C stops the run and ends it.
run: program
	@if [ -n "$$DISPLAY$$WAYLAND_DISPLAY" ]; then \
	    $(PROGRAM) --settings examples/setup.ini --virtual-port=$(LINK); \
	else \
	    $(PROGRAM) --headless --settings examples/setup.ini --virtual-port=$(LINK) --start --trace; \
	fi

# The Debian package, a release build without the tests in a folder of its own:
# $(DEB).
package: deps
	$(call install-missing,$(PACKAGE_PACKAGES))
	$(call configure,package,$(PACKAGE_DIR))
	cmake --build --preset package -j $(JOBS)
	cpack --preset package
	@echo "Package: $(DEB)"

# The package's contents, control fields and the program run from an extracted copy; lintian's
# errors and warnings fail it.
package-test: package
	packaging/tests/check-package.sh $(DEB) $(VERSION)

# Timing, CPU and memory of runs on the virtual line, headless and with the line window open
# (offscreen), measured by a separate reader (about 14 minutes; BENCH_SECONDS and
# BENCH_LONG_SECONDS shorten it); with a Qt kit for Windows at hand, the Windows program's under
# Wine beside them (see the Windows block below).
bench: build
	$(BUILD_DIR)/bench/dryx-bench --program $(PROGRAM) \
	    --seconds $${BENCH_SECONDS:-60} --long-seconds $${BENCH_LONG_SECONDS:-600} $(BENCH_WINDOWS)

# docs/window.png: the window photographed on a virtual display, after Start and "A1";
# docs/line-window.png: the line window, a garbled data string chosen.
screenshot: build
	docs/screenshot.sh $(PROGRAM) docs/window.png docs/line-window.png

# docs/timing.svg: the timing diagram, drawn from the --log records of two 12-second runs.
timing-diagram: program
	docs/timing-diagram.sh $(PROGRAM) docs/timing.svg

fuzz-deps:
	$(call install-missing,$(FUZZ_PACKAGES))

# The fuzz targets with libFuzzer and the address and undefined behaviour sanitizers.
fuzz-build: deps fuzz-deps
	$(call configure,fuzz,$(FUZZ_DIR))
	cmake --build --preset fuzz -j $(JOBS)

# Each target for FUZZ_SECONDS, from its committed corpus (tests/fuzz/corpus/<target>; `make
# test` replays it). New inputs go to $(FUZZ_DIR)/corpus/<target>, crashes and broken properties
# to $(FUZZ_DIR)/findings/, the whole output to $(FUZZ_DIR)/<target>.log. FUZZ_PARALLEL=2 runs
# two targets at a time.
fuzz: fuzz-build
	@$(MAKE) --no-print-directory -j $(FUZZ_PARALLEL) $(addprefix fuzz-run-,$(FUZZ_TARGETS))

fuzz-run-%:
	@mkdir -p $(FUZZ_DIR)/corpus/$* $(FUZZ_DIR)/findings
	@echo "$*: fuzzing for $(FUZZ_SECONDS) s"
	@status=0; \
	$(FUZZ_DIR)/tests/fuzz/$* -max_total_time=$(FUZZ_SECONDS) -timeout=10 -print_final_stats=1 \
	    -dict=tests/fuzz/$*.dict -artifact_prefix=$(FUZZ_DIR)/findings/$*- \
	    $(FUZZ_DIR)/corpus/$* tests/fuzz/corpus/$* > $(FUZZ_DIR)/$*.log 2>&1 || status=$$?; \
	grep -E '^(stat::|property broken|  on |==[0-9]+==ERROR|SUMMARY|artifact_prefix|Test unit)' \
	    $(FUZZ_DIR)/$*.log | sed 's/^/$*: /'; \
	echo "$*: $$(ls $(FUZZ_DIR)/corpus/$* | wc -l) new inputs in $(FUZZ_DIR)/corpus/$*"; \
	exit $$status

# What the runs found that the committed corpora do not cover yet, minimized into them.
fuzz-merge: fuzz-build
	for t in $(FUZZ_TARGETS); do \
	    $(FUZZ_DIR)/tests/fuzz/$$t -merge=1 tests/fuzz/corpus/$$t $(FUZZ_DIR)/corpus/$$t || exit 1; \
	done

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf $(BUILD_DIR) $(SANITIZE_DIR) $(PACKAGE_DIR) $(FUZZ_DIR) $(LINT_DIR)

# ---- Windows: the program for 64-bit Windows, cross-built here with MinGW-w64 and a Qt kit for
# it, tested under Wine (README, "On Windows"). The kit is QT_MINGW (a folder), else the archive
# QT_MINGW_ARCHIVE unpacked into $(WINDOWS_DIR)/qt6-mingw; `packaging/windows/build-qt-kit.sh`
# builds one where there is none (about an hour).
WINDOWS_DIR := build-windows
QT_MINGW_ARCHIVE ?= ../shared/windows/qt6.4.2-mingw-w64.tar.xz
WINDOWS_KIT := $(if $(QT_MINGW),$(QT_MINGW),$(WINDOWS_DIR)/qt6-mingw)
WINDOWS_ZIP := $(WINDOWS_DIR)/dryx-plc-test-$(VERSION)-win64.zip
WINDOWS_PACKAGES := g++-mingw-w64-x86-64-posix ninja-build wine wine64 zip unzip nsis xvfb openbox xdotool \
                    imagemagick python3

.PHONY: windows windows-deps windows-kit windows-build windows-test windows-ctest windows-clean

windows-deps: deps
	$(call install-missing,$(WINDOWS_PACKAGES))

windows-kit:
	@if [ -n "$(QT_MINGW)" ]; then \
	    [ -f "$(QT_MINGW)/lib/cmake/Qt6/qt.toolchain.cmake" ] || \
	        { echo "QT_MINGW=$(QT_MINGW) is not a Qt kit for MinGW-w64"; exit 1; }; \
	elif [ ! -f $(WINDOWS_KIT)/lib/cmake/Qt6/qt.toolchain.cmake ]; then \
	    [ -f "$(QT_MINGW_ARCHIVE)" ] || { echo "No Qt kit for Windows: neither QT_MINGW nor" \
	        "$(QT_MINGW_ARCHIVE); build one with packaging/windows/build-qt-kit.sh (README," \
	        "\"On Windows\")"; exit 1; }; \
	    mkdir -p $(WINDOWS_DIR) && tar -xJf "$(QT_MINGW_ARCHIVE)" -C $(WINDOWS_DIR); \
	fi

# The program (the windows preset), in $(WINDOWS_DIR)/app.
windows-build: windows-deps windows-kit
	$(call configure,windows,$(WINDOWS_DIR)/app,-DQT_MINGW=$(abspath $(WINDOWS_KIT)))
	cmake --build --preset windows -j $(JOBS)

# $(WINDOWS_ZIP), and the installer beside it.
windows: windows-build
	packaging/windows/pack.sh $(WINDOWS_DIR)/app $(WINDOWS_KIT) $(WINDOWS_DIR) $(VERSION)
	packaging/windows/make-installer.sh $(WINDOWS_DIR) $(VERSION)

# The tests cross-built and run by ctest under Wine (those on pseudo-terminals are Linux's).
# A test on the real clock gets up to three tries (the windows test preset): on a busy machine
# Wine's server can hold a wake-up back by more than 100 ms, which the timers rightly take for a
# stall.
windows-ctest: windows-build
	cmake --build $(WINDOWS_DIR)/app -j $(JOBS)
	ctest --preset windows -j $(JOBS)

# The zip in a fresh Wine prefix: the setup from the registry, COM1 on a pseudo-terminal read
# here byte for byte against the record, the window on a virtual display; then windows-ctest.
windows-test: windows
	tests/windows/run_windows_test.sh $(WINDOWS_ZIP)
	$(MAKE) --no-print-directory windows-ctest

# make bench: where a kit is at hand, first the alarms' lateness under Wine by each way Windows
# has (dryx-alarm-bench), then the Windows program's timing runs under Wine beside the Linux
# ones (dryx-bench --windows-program).
WINDOWS_KIT_AT_HAND := $(or $(QT_MINGW),$(wildcard $(QT_MINGW_ARCHIVE)),$(wildcard $(WINDOWS_DIR)/qt6-mingw/bin))
BENCH_WINDOWS = $(if $(WINDOWS_KIT_AT_HAND),--windows-program \
    $(abspath $(WINDOWS_DIR))/dryx-plc-test-$(VERSION)-win64/dryx-plc-test.exe)
.PHONY: windows-bench
windows-bench: windows
	cmake --build $(WINDOWS_DIR)/app -j $(JOBS) --target dryx-alarm-bench
	$(WINDOWS_DIR)/app/wine-run.sh $(WINDOWS_DIR)/app/dryx-alarm-bench.exe
bench: $(if $(WINDOWS_KIT_AT_HAND),windows-bench)

windows-clean:
	rm -rf $(WINDOWS_DIR)
clean: windows-clean
