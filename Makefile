# The two commands of the README: `make run` and `make test`. Everything else is a step of those.
BUILD      ?= build
ASAN_BUILD ?= build-asan
WEB_BUILD  ?= build-web
PORT       ?= 8000
JOBS       ?= 2
PROGRAM    ?= showcase-fs
ARGS       ?=
PREFIX     ?= /usr/local
DESTDIR    ?=
# Sub-makes (the CMake builds) print no "Entering directory" lines.
MAKEFLAGS += --no-print-directory
# Configures a build folder only when it is new or older than the top CMakeLists.txt (which names the targets
# that make run builds); the build itself notices any other change of the CMake files.
CONFIGURE_IF_NEEDED = [ -f $(BUILD)/CMakeCache.txt ] && [ $(BUILD)/Makefile -nt CMakeLists.txt ] || \
	scripts/stage "configuring $(BUILD)" cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo

.PHONY: all deps deps-run deps-capture deps-web deps-install deps-deb configure build run install deb test test-release release-data sanitizer-build sanitizer-suite test-asan test-fuzz fuzz-build fuzz capture contact-sheet bench format clean web serve

all: build

# The Debian packages (and the browser build's sources and npm packages) each target needs, and only those:
# deps for the tests is everything; deps-run only what building and playing the show needs.
deps deps-run deps-capture deps-web deps-install deps-deb:
	@scripts/install-deps $(if $(subst deps,,$@),$(@:deps-%=%),test)

configure: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null

build: configure
	@cmake --build $(BUILD) -j$(JOBS)

# Only what the show needs (the engine, the two programs, the data generator and the data), one line a stage.
run: deps-run
	@$(CONFIGURE_IF_NEEDED)
	@scripts/stage "building the engine, the two programs and the data tree in $(BUILD)/data" \
		cmake --build $(BUILD) -j$(JOBS) --target show
	@scripts/run-show $(BUILD) $(PROGRAM) $(ARGS)

# The programs, the scene tools, the data tree, man pages, desktop entries, icons and AppStream metadata.
# Configured again every time: a build folder that make run configured did not yet have help2man.
install: deps-install
	@scripts/stage "configuring $(BUILD)" cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo
	@scripts/stage "building what an install holds" cmake --build $(BUILD) -j$(JOBS) --target installable
	@DESTDIR="$(DESTDIR)" cmake --install $(BUILD) --prefix "$(PREFIX)"

# The Debian package build/showcase_VERSION_amd64.deb, and what lintian says of it.
deb: deps-deb
	@scripts/stage "configuring $(BUILD)" cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo
	@scripts/stage "building what the package holds" cmake --build $(BUILD) -j$(JOBS) --target installable
	@scripts/stage "packing the Debian package" sh -c 'cd $(BUILD) && cpack -G DEB'
	@ls $(BUILD)/showcase_*.deb
	@lintian --pedantic --display-info $(BUILD)/showcase_*.deb || true

# The release suite (with the browser build), the sanitizer suite and a short fuzzing run; the sanitizer
# build and the fuzz targets are compiled at the lowest priority while the release build and suite run
# (scripts/test).
test: deps
	@BUILD=$(BUILD) ASAN_BUILD=$(ASAN_BUILD) WEB_BUILD=$(WEB_BUILD) JOBS=$(JOBS) scripts/test

test-release: build web
	@cd $(BUILD) && SHOWCASE_WEB_BUILD=$(CURDIR)/$(WEB_BUILD) ctest --output-on-failure -j$(JOBS) --timeout 1200

# The release build's data tree, which the sanitizer build links instead of generating its own.
release-data: deps
	@$(CONFIGURE_IF_NEEDED)
	@cmake --build $(BUILD) -j$(JOBS) --target data

# The sanitizer build: only the test programs and what they need, at -O1 with line tables only, which
# compiles in half the time of -O2 -g and reports the same faults with file and line.
sanitizer-build:
	@cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSHOWCASE_SANITIZE=ON -DSHOWCASE_BENCH=OFF \
		-DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1 -DNDEBUG" -DSHOWCASE_REUSE_DATA=$(CURDIR)/$(BUILD)/data >/dev/null
	@cmake --build $(ASAN_BUILD) -j$(JOBS) --target testprograms

# The engine-level suites, one tour and a short soak under AddressSanitizer and UndefinedBehaviorSanitizer,
# on the release build's data tree; the programs' own suites (label e2e) run in the release build, and so
# does the walk at twice the size, whose larger frames the engine-level suites check.
test-asan: release-data
	@$(MAKE) sanitizer-build
	@$(MAKE) sanitizer-suite

# The sanitizer suite alone, on a sanitizer build already made.
sanitizer-suite:
	@cd $(ASAN_BUILD) && ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1 \
		ctest --output-on-failure -j$(JOBS) --timeout 2400 -LE "e2e|no-sanitizer" -E "AtTwiceTheSizeEveryScreen"

# The three readers fuzzed side by side, twenty seconds each in make test; make fuzz runs them for
# FUZZ_SECONDS (default five minutes).
FUZZ_SECONDS ?= 300
test-fuzz: deps
	@FUZZ_SECONDS=20 scripts/fuzz

fuzz-build:
	@scripts/fuzz build

fuzz: deps
	@FUZZ_SECONDS=$(FUZZ_SECONDS) scripts/fuzz

# The browser build: the data tree and the poster from the desktop build, the programs compiled by emscripten,
# and the folder to publish, $(WEB_BUILD)/site; one line a stage.
web: deps-web
	@$(CONFIGURE_IF_NEEDED)
	@scripts/stage "building the data tree and the desktop program in $(BUILD)" \
		cmake --build $(BUILD) -j$(JOBS) --target data showcase-fs
	@scripts/stage "configuring $(WEB_BUILD)" env NODE_PATH=/usr/share/nodejs \
		emcmake cmake -S web -B $(WEB_BUILD) -DSHOWCASE_DATA_DIR=$(CURDIR)/$(BUILD)/data \
		-DSHOWCASE_DESKTOP_BUILD=$(CURDIR)/$(BUILD)
	@scripts/stage "compiling the browser build and writing the site" env NODE_PATH=/usr/share/nodejs \
		cmake --build $(WEB_BUILD) -j$(JOBS)
	@echo "The site is $(WEB_BUILD)/site/ (publish that folder as it is); make serve shows it here."

serve: web
	@echo "The show is at http://127.0.0.1:$(PORT)/ (fixed mode: http://127.0.0.1:$(PORT)/?mode=fixed); Ctrl+C stops it"
	@cd $(WEB_BUILD)/site && python3 -m http.server $(PORT) --bind 127.0.0.1

# Only what the show needs, as for make run, and ffmpeg.
capture: deps-capture
	@$(CONFIGURE_IF_NEEDED)
	@scripts/stage "building the engine, the two programs and the data tree in $(BUILD)/data" \
		cmake --build $(BUILD) -j$(JOBS) --target show
	@scripts/capture $(BUILD) $(PROGRAM)

contact-sheet: build
	@cmake --build $(BUILD) --target contact-sheet

bench: build
	@for b in $(BUILD)/bench/bench_*; do echo "== $$b"; $$b --benchmark_min_time=0.2; done

format:
	@clang-format -i $$(git ls-files 'src/*.cpp' 'src/*.h' 'tools/*.cpp' 'tools/*.h' 'tests/*.cpp' 'tests/*.h' 'bench/*.cpp')

clean:
	@rm -rf $(BUILD) $(ASAN_BUILD) $(WEB_BUILD)
