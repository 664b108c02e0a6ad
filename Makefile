# Quick start on a fresh Debian 12 machine: `make run` or `make test`.
# Missing Debian packages are installed first, with apt-get (as root, or through sudo).

BUILD_DIR ?= build
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
PROGRAM := $(BUILD_DIR)/app/dryx-plc-test

# What building, testing and looking at the tool need from Debian.
PACKAGES := cmake g++ make pkg-config qt6-base-dev qt6-serialport-dev libgl-dev \
            libxkbcommon-dev xvfb xauth xdotool imagemagick x11-utils \
            fonts-liberation fonts-urw-base35 fonts-dejavu-core python3

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

run: build
	$(PROGRAM) --settings examples/setup.ini

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf $(BUILD_DIR)
