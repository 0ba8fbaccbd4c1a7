# Fruitwake: `make run` and `make test` set up a fresh Debian machine themselves.
SHELL := /bin/bash
BUILD ?= build
ASAN_BUILD ?= build-asan
FUZZ_BUILD ?= build-fuzz
BENCH_BUILD ?= build-bench
JOBS ?= $(shell nproc)
FUZZ_SECONDS ?= 60

# Debian packages the build, the tests and the sound layer need.
PACKAGES := cmake ninja-build g++ clang libclang-rt-14-dev pkg-config \
  qt6-base-dev qt6-multimedia-dev qt6-svg-dev libqt6svg6 qt6-qpa-plugins libgl-dev \
  gstreamer1.0-plugins-base gstreamer1.0-plugins-good \
  fonts-wqy-microhei xvfb xauth x11-utils libfaketime faketime \
  desktop-file-utils appstream dpkg-dev file valgrind qt6-translations-l10n \
  at-spi2-core python3-pyatspi dbus openbox trayer xdotool xterm xfonts-base python3-dbus python3-gi
# GNOME Shell nested with its Xwayland, the AppIndicator tray and Qt on Wayland, for the
# desktop tests.
PACKAGES += gnome-shell gnome-shell-extension-appindicator xwayland dbus-bin libglib2.0-bin qt6-wayland
# libxcb headers: the tray port asks X11 whether a tray is there.
PACKAGES += libxcb1-dev
# The package's own checks: lintian, and man-db to render the manual page.
PACKAGES += lintian man-db

# Private audio servers, a share that hangs, and the sound benchmark's mp3.
PACKAGES += pulseaudio pulseaudio-utils pipewire pipewire-pulse wireplumber fuse3 python3-fusepy \
  gir1.2-gstreamer-1.0

SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

.PHONY: setup build run test unit-test e2e-test asan-test fuzz-test bench package clean format

setup:
	@missing=""; for p in $(PACKAGES); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q 'ok installed' || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "Installing:$$missing"; \
	  $(SUDO) apt-get update -qq && DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq $$missing; \
	fi

$(BUILD)/build.ninja:
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: setup $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS)

run: build
	./$(BUILD)/src/app/fruitwake

# Units and widgets, offscreen.
unit-test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS) -LE e2e

# The real program from outside: Xvfb, window managers, buses, audio servers.
e2e-test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS) -L e2e

asan-test: setup
	cmake -S . -B $(ASAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DFW_SANITIZE=ON -DFW_BENCH=OFF
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=1 \
	  LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp UBSAN_OPTIONS=print_stacktrace=1 \
	  ctest --output-on-failure -j $(JOBS) -LE e2e

fuzz-test: setup
	cmake -S . -B $(FUZZ_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DFW_FUZZ=ON -DFW_TESTS=OFF \
	  -DFW_BENCH=OFF -DCMAKE_CXX_COMPILER=clang++
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target fuzzers
	@for t in $(FUZZ_BUILD)/fuzz/fuzz_*; do \
	  [ -f "$$t" ] && [ -x "$$t" ] || continue; name=$$(basename $$t); \
	  mkdir -p $(FUZZ_BUILD)/corpus/$$name; \
	  echo "== $$name for $(FUZZ_SECONDS) s"; \
	  $$t -max_total_time=$(FUZZ_SECONDS) -max_len=20000 $(FUZZ_BUILD)/corpus/$$name fuzz/corpus/$$name || exit 1; \
	done

test: unit-test e2e-test asan-test fuzz-test

bench: setup
	cmake -S . -B $(BENCH_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release -DFW_TESTS=OFF
	cmake --build $(BENCH_BUILD) -j $(JOBS)
	bench/run.sh $(BENCH_BUILD)

# Only the fresh package is checked; an error or a warning from lintian fails.
package: build
	rm -f $(BUILD)/fruitwake_*.deb
	cd $(BUILD) && cpack -G DEB && lintian --fail-on error,warning fruitwake_*.deb

format:
	find src tests bench fuzz tools -name '*.cpp' -o -name '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD) $(BENCH_BUILD)
