# PLL — build, run and test on Debian 12.
#   make run    install what is missing, build, start the program
#   make test   install what is missing, build, run every test, then fuzz the experiment file
#               reader for 25 s (make fuzz)
#   make bench  build, print the benchmark figures (headless, then the real program under Xvfb)
#   make package       build, make the Debian package build/pll_VERSION_ARCH.deb, print its path
#   make test-package  as root: lintian, install that package, check it and the installed program
#                      (on Xvfb and on a headless Wayland compositor), remove it
#   make test-print    as root: print for real on a PDF printer, through a print service of its own
#   make test-long      100000 random user actions on the window (make test runs 10000), a day
#                       of the lab's loop time (make test runs an hour), and 2 minutes of fuzzing
#   make fuzz   libFuzzer on the experiment file reader, built with clang in build-fuzz/, for
#               FUZZ_SECONDS; an input that fails is kept in build-fuzz/artifacts/
#   make test-sanitize  every test again, built with AddressSanitizer and UBSan, in build-sanitize/
#   make test-memcheck  a short tour of every page under valgrind's memcheck
#   make clean  remove build/

SHELL      := /bin/bash
BUILD      ?= build
BUILD_TYPE ?= RelWithDebInfo
JOBS       ?= $(shell nproc 2>/dev/null || echo 2)

DEPS      := cmake g++ make qt6-base-dev qt6-svg-dev libgl-dev qt6-translations-l10n
# poppler-utils reads the saved PDFs' text and images back; librsvg2-bin draws the saved SVGs.
# clang-14 and libclang-rt-14-dev (libFuzzer, the sanitizers' runtimes) build the fuzz target;
# llvm-14's symbolizer names the lines in a report.
TEST_DEPS := $(DEPS) xvfb xdotool xclip imagemagick x11-utils python3 strace tesseract-ocr tesseract-ocr-fra \
             at-spi2-core python3-pyatspi dbus-daemon poppler-utils librsvg2-bin \
             clang-14 libclang-rt-14-dev llvm-14
PACKAGE_DEPS      := $(DEPS) dpkg-dev file
# shared-mime-info builds the MIME database the installed package's type goes into; gio
# (libglib2.0-bin) names a file by that database as a file manager does.
TEST_PACKAGE_DEPS := $(PACKAGE_DEPS) lintian desktop-file-utils appstream xvfb xdotool x11-utils imagemagick weston \
                     shared-mime-info libglib2.0-bin
# The PDF printer brings the print service (cups) and Ghostscript; poppler-utils renders its pages.
PRINT_TEST_DEPS   := $(TEST_DEPS) printer-driver-cups-pdf poppler-utils

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

.PHONY: deps test-deps build run test bench clean package test-package test-print test-long test-sanitize test-memcheck fuzz
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
	@$(MAKE) fuzz

bench: test-deps build
	QT_QPA_PLATFORM=offscreen $(BUILD)/bench/bench_tick
	QT_QPA_PLATFORM=offscreen $(BUILD)/bench/bench_step_back
	$(BUILD)/bench/bench_model
	$(BUILD)/bench/bench_measures
	$(BUILD)/bench/bench_experiment
	$(BUILD)/bench/bench_lock_ranges
	bash bench/xvfb_timing.sh $(BUILD)

# CPack runs dpkg-shlibdeps (dpkg-dev) and file to find the libraries the program needs.
package: build
	$(call install_missing,$(PACKAGE_DEPS))
	@rm -f $(BUILD)/pll_*.deb
	@cd $(BUILD) && cpack >cpack.log 2>&1 || { cat cpack.log; exit 1; }
	@ls $(BUILD)/pll_*.deb

test-package: package
	$(call install_missing,$(TEST_PACKAGE_DEPS))
	bash tests/packaging/check_package.sh $(BUILD)/pll_*.deb

# Not part of `make test`: it runs a print service, which a developer's machine need not have.
test-print: build
	@[ "$$(id -u)" = 0 ] || { echo "make test-print runs a print service of its own and needs root (CI runs it)."; exit 1; }
	$(call install_missing,$(PRINT_TEST_DEPS))
	bash tests/app/e2e_print.sh $(BUILD)/pll

# Qt Test stops a test function after 5 minutes unless told otherwise; this one takes longer.
test-long: test-deps build
	QT_QPA_PLATFORM=offscreen QTEST_FUNCTION_TIMEOUT=3600000 PLL_RANDOM_EVENTS=100000 $(BUILD)/tests/tst_random_use
	QT_QPA_PLATFORM=offscreen QTEST_FUNCTION_TIMEOUT=3600000 PLL_LAB_HOURS=24 $(BUILD)/tests/tst_lab hoursOfLoopTimeLoseNothing
	@$(MAKE) fuzz FUZZ_SECONDS=120

# Any sanitizer report ends the test that made it, leaks included.
SANITIZE_BUILD ?= build-sanitize
test-sanitize: test-deps
	@[ -f $(SANITIZE_BUILD)/CMakeCache.txt ] || cmake -S . -B $(SANITIZE_BUILD) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) -DPLL_SANITIZE=ON
	cmake --build $(SANITIZE_BUILD) -j$(JOBS)
	ASAN_OPTIONS=detect_leaks=1:halt_on_error=1:abort_on_error=0 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  ctest --test-dir $(SANITIZE_BUILD) --output-on-failure

# The start of the random-use test (every topic, section and picture, then 150 actions from a
# fixed seed) under memcheck; any error fails it. On the offscreen platform Qt itself reports
# nothing, so no suppressions are needed.
test-memcheck: test-deps build
	$(call install_missing,valgrind)
	QT_QPA_PLATFORM=offscreen PLL_RANDOM_SEED=1 PLL_RANDOM_EVENTS=150 \
	  valgrind --error-exitcode=1 --leak-check=full --errors-for-leak-kinds=definite \
	  --num-callers=40 $(BUILD)/tests/tst_random_use

# The experiment file reader fed by libFuzzer from the documented example and saved runs
# (tests/lab/fuzz_corpus), in a clang tree of its own: CMake cannot mix compilers in one tree.
# A crash, a sanitizer report, a leak, an input taking over 10 s or a check of the target
# failing stops it and fails the command. What it learns stays in $(FUZZ_BUILD)/corpus for the
# next run. Quiet but for a failure and the closing figures: -verbosity=1 shows its progress.
FUZZ_BUILD   ?= build-fuzz
FUZZ_SECONDS ?= 25
fuzz: test-deps
	@[ -f $(FUZZ_BUILD)/CMakeCache.txt ] || cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) \
	  -DCMAKE_CXX_COMPILER=clang++-14 -DPLL_FUZZ=ON
	cmake --build $(FUZZ_BUILD) -j$(JOBS) --target fuzz_experiment_file
	@mkdir -p $(FUZZ_BUILD)/corpus $(FUZZ_BUILD)/artifacts && cp docs/exemple.pll $(FUZZ_BUILD)/corpus/
	ASAN_SYMBOLIZER_PATH=/usr/lib/llvm-14/bin/llvm-symbolizer UBSAN_OPTIONS=print_stacktrace=1 \
	  $(FUZZ_BUILD)/fuzz_experiment_file -max_total_time=$(FUZZ_SECONDS) -timeout=10 -verbosity=0 -print_final_stats=1 \
	  -dict=tests/lab/fuzz_experiment_file.dict -artifact_prefix=$(FUZZ_BUILD)/artifacts/ \
	  $(FUZZ_BUILD)/corpus tests/lab/fuzz_corpus \
	  || { echo "fuzz: failed; the input is kept in $(FUZZ_BUILD)/artifacts/ (run $(FUZZ_BUILD)/fuzz_experiment_file FILE to replay it)"; exit 1; }

clean:
	rm -rf $(BUILD) $(SANITIZE_BUILD) $(FUZZ_BUILD)
