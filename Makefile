# Quick start on a fresh Debian 12 machine: `make run` or `make test`.
# Missing Debian packages are installed first, with apt-get (as root, or through sudo).

BUILD_DIR ?= build
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
PROGRAM := $(BUILD_DIR)/app/dryx-plc-test

# What building, testing and looking at the tool need from Debian.
PACKAGES := cmake g++ make pkg-config qt6-base-dev qt6-serialport-dev libgl-dev \
            libxkbcommon-dev xvfb xauth xdotool imagemagick x11-utils \
            fonts-liberation fonts-dejavu-core fonts-lato python3

SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

.PHONY: all deps build test run bench screenshot format clean

all: build

deps:
	@missing=$$(for p in $(PACKAGES); do \
	    dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q 'ok installed' || echo $$p; done); \
	if [ -n "$$missing" ]; then \
	    echo "Installing missing Debian packages:" $$missing; \
	    $(SUDO) apt-get update -qq && \
	    DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq --no-install-recommends $$missing; \
	fi

build: deps
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BUILD_DIR) -j $(JOBS)

test: build
	cd $(BUILD_DIR) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

# Both on the virtual line (read it with `cat -v /tmp/dryx-line`). With a display: the window.
# Without one: headless, started, tracing every tick; Ctrl-C stops the run and ends it.
run: build
	@if [ -n "$$DISPLAY$$WAYLAND_DISPLAY" ]; then \
	    $(PROGRAM) --settings examples/setup.ini --virtual-port=/tmp/dryx-line; \
	else \
	    $(PROGRAM) --headless --settings examples/setup.ini --virtual-port=/tmp/dryx-line --start --trace; \
	fi

# Timing, CPU and memory of headless runs on the virtual line, measured by a separate reader
# (about 12 minutes; BENCH_SECONDS and BENCH_LONG_SECONDS shorten it).
bench: build
	$(BUILD_DIR)/bench/dryx-bench --program $(PROGRAM) \
	    --seconds $${BENCH_SECONDS:-60} --long-seconds $${BENCH_LONG_SECONDS:-600}

# docs/window.png: the window photographed on a virtual display, after Start and "A1".
screenshot: build
	docs/screenshot.sh $(PROGRAM) docs/window.png

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf $(BUILD_DIR)
