# PLL — build, run and test on Debian 12.
#   make run    install what is missing, build, start the program
#   make test   install what is missing, build, run every test
#   make bench  build, print the benchmark figures
#   make package       build, make the Debian package build/pll_VERSION_ARCH.deb, print its path
#   make test-package  as root: install that package, check it and the installed program, remove it
#   make clean  remove build/

SHELL      := /bin/bash
BUILD      ?= build
BUILD_TYPE ?= RelWithDebInfo
JOBS       ?= $(shell nproc 2>/dev/null || echo 2)

DEPS      := cmake g++ make qt6-base-dev libgl-dev qt6-translations-l10n
TEST_DEPS := $(DEPS) xvfb xdotool imagemagick x11-utils python3
PACKAGE_DEPS      := $(DEPS) dpkg-dev file
TEST_PACKAGE_DEPS := $(PACKAGE_DEPS) desktop-file-utils appstream xvfb xdotool x11-utils

export DEBIAN_FRONTEND := noninteractive
MAKEFLAGS += --no-print-directory

# Installs the Debian packages of $(1) that are not installed yet: as root,
# through sudo if it works without a password, or tells what to run.
define install_missing
@missing=""; \
for p in $(1); do \
  [ "$$(dpkg-query -W -f='$${Status}' $$p 2>/dev/null)" = "install ok installed" ] || missing="$$missing $$p"; \
done; \
[ -z "$$missing" ] && exit 0; \
if [ "$$(id -u)" = 0 ]; then sudo=""; \
elif command -v sudo >/dev/null && sudo -n true 2>/dev/null; then sudo="sudo env DEBIAN_FRONTEND=noninteractive"; \
else \
  echo "Missing Debian packages:$$missing"; \
  echo "Install them with:  sudo apt-get update && sudo apt-get install -y --no-install-recommends$$missing"; \
  exit 1; \
fi; \
echo "Installing:$$missing"; \
$$sudo apt-get update && $$sudo apt-get install -y --no-install-recommends $$missing
endef

.PHONY: deps test-deps build run test bench clean package test-package
.NOTPARALLEL:

deps:
	$(call install_missing,$(DEPS))

test-deps:
	$(call install_missing,$(TEST_DEPS))

build: deps
	@[ -f $(BUILD)/CMakeCache.txt ] || cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE)
	cmake --build $(BUILD) -j$(JOBS)

run: build
	@if [ -z "$$DISPLAY" ] && [ -z "$$WAYLAND_DISPLAY" ]; then \
	  echo "No display found: run \`make run\` from a graphical session (or set DISPLAY)."; \
	  exit 1; \
	fi
	$(BUILD)/pll

test: test-deps build
	ctest --test-dir $(BUILD) --output-on-failure

bench: build
	QT_QPA_PLATFORM=offscreen $(BUILD)/bench/bench_tick

# CPack runs dpkg-shlibdeps (dpkg-dev) and file to find the libraries the program needs.
package: build
	$(call install_missing,$(PACKAGE_DEPS))
	@rm -f $(BUILD)/pll_*.deb
	@cd $(BUILD) && cpack >cpack.log 2>&1 || { cat cpack.log; exit 1; }
	@ls $(BUILD)/pll_*.deb

test-package: package
	$(call install_missing,$(TEST_PACKAGE_DEPS))
	bash tests/packaging/check_package.sh $(BUILD)/pll_*.deb

clean:
	rm -rf $(BUILD)
