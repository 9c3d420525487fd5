# Entry points for people and CI. Everything a fresh Debian 12 machine needs is
# installed by scripts/deps.sh, which every target runs first.
BUILD      ?= build
ASAN_BUILD ?= build-asan
TSAN_BUILD ?= build-tsan
JOBS       ?= $(shell nproc)
GENERATOR  ?= Ninja
# ON turns compiler warnings into errors; CI sets it.
WERROR     ?= OFF

PREFIX     ?= /usr/local

.PHONY: format-check all deps build test asan-test tsan-test demo bench screenshots fuzz fuzz-smoke install \
	package package-check clean

all: build

deps:
	@scripts/deps.sh

$(BUILD)/build.ninja: CMakeLists.txt | deps
	cmake -S . -B $(BUILD) -G $(GENERATOR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMIREL_WERROR=$(WERROR)

build: deps $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS)

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# Installs the programs, the plugin, the man pages, the desktop entry and
# the docs under PREFIX (DESTDIR is honoured, as cmake --install does).
install: build
	cmake --install $(BUILD) --prefix $(PREFIX)

# The Debian package $(BUILD)/mirel_<version>_<arch>.deb (CPack).
package: build
	cd $(BUILD) && cpack -G DEB

# Builds the package and tries it from a dpkg -x folder: the programs, a
# migration and its restore, the workbench and its plugin, the man pages.
package-check: build
	scripts/package-check.sh $(BUILD)

# The same suite under AddressSanitizer and UndefinedBehaviorSanitizer; any
# report fails the run (halt_on_error, and -fno-sanitize-recover for UBSan).
asan-test: deps
	cmake -S . -B $(ASAN_BUILD) -G $(GENERATOR) -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g" -DMIREL_SANITIZE=ON -DMIREL_WERROR=$(WERROR)
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && ASAN_OPTIONS=halt_on_error=1:detect_leaks=1:abort_on_error=0 \
	  LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp:print_suppressions=0 \
	  UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
	  ctest --output-on-failure -j $(JOBS)

# The run's tests under ThreadSanitizer: a run converts files on worker
# threads, and these tests run it with several.
tsan-test: deps
	cmake -S . -B $(TSAN_BUILD) -G $(GENERATOR) -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g" -DMIREL_TSAN=ON -DMIREL_WERROR=$(WERROR)
	cmake --build $(TSAN_BUILD) -j $(JOBS) --target mirel_tests_replace
	TSAN_OPTIONS=halt_on_error=1 $(TSAN_BUILD)/bin/mirel_tests_replace

# Migrates a copy of the BDE example project, shows the log and the changes,
# and restores it.
demo: build
	@scripts/demo.sh $(BUILD)

# The pictures in docs/images: the wizard's pages and the workbench.
screenshots: build
	scripts/screenshots.sh $(BUILD)

# libFuzzer on every input reader of the engine (clang, ASan, UBSan), in its
# own build folder: FUZZ_SECONDS per target (make fuzz), or a short run of
# each (make fuzz-smoke, what CI runs). A crash leaves its input in
# fuzz/crashes/<target>/.
FUZZ_BUILD   ?= build-fuzz
FUZZ_SECONDS ?= 300
$(FUZZ_BUILD)/build.ninja: CMakeLists.txt | deps
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -G $(GENERATOR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMIREL_WERROR=$(WERROR) \
	  -DMIREL_FUZZ=ON -DMIREL_BUILD_GUI=OFF -DMIREL_BUILD_TESTS=OFF

fuzz: deps $(FUZZ_BUILD)/build.ninja
	cmake --build $(FUZZ_BUILD) -j $(JOBS)
	scripts/fuzz.sh $(FUZZ_BUILD) $(FUZZ_SECONDS)

fuzz-smoke: deps $(FUZZ_BUILD)/build.ninja
	cmake --build $(FUZZ_BUILD) -j $(JOBS)
	scripts/fuzz.sh $(FUZZ_BUILD) 30

# Speed against cp -a and Free Pascal, peak memory, nesting; writes
# bench/results/latest.txt. Uses its own Release build in build-bench.
bench: deps
	bench/run.sh build-bench

# The formatting of .clang-format on every C++ file of src/, tests/ and
# bench/; fails on the first file that differs (clang-format -i fixes it).
format-check: deps
	find src tests bench \( -name '*.cpp' -o -name '*.h' \) -print0 | xargs -0 clang-format --dry-run --Werror

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(TSAN_BUILD) $(FUZZ_BUILD) build-bench
