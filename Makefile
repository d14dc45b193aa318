# The two commands of the README: `make run` and `make test`. Everything else is a step of those.
BUILD      ?= build
ASAN_BUILD ?= build-asan
WEB_BUILD  ?= build-web
PORT       ?= 8000
JOBS       ?= 2
PROGRAM    ?= showcase-fs
ARGS       ?=

.PHONY: all deps configure build run test test-release test-asan test-fuzz capture contact-sheet bench format clean web serve

all: build

deps:
	@scripts/install-deps

configure: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null

build: configure
	@cmake --build $(BUILD) -j$(JOBS)

run: build
	@scripts/run-show $(BUILD) $(PROGRAM) $(ARGS)

test: test-release test-asan test-fuzz

test-release: build web
	@cd $(BUILD) && SHOWCASE_WEB_BUILD=$(CURDIR)/$(WEB_BUILD) ctest --output-on-failure -j$(JOBS) --timeout 1200

test-asan: deps
	@cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSHOWCASE_SANITIZE=ON -DSHOWCASE_BENCH=OFF >/dev/null
	@cmake --build $(ASAN_BUILD) -j$(JOBS)
	@cd $(ASAN_BUILD) && ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1 \
		ctest --output-on-failure -j$(JOBS) --timeout 2400 -LE no-sanitizer

test-fuzz: deps
	@if [ -x scripts/fuzz-3ds ]; then scripts/fuzz-3ds; fi
	@scripts/fuzz-images

# The browser build: the data tree from the desktop build, the programs compiled by emscripten.
web: configure
	@cmake --build $(BUILD) --target data -j$(JOBS)
	@NODE_PATH=/usr/share/nodejs emcmake cmake -S web -B $(WEB_BUILD) -DSHOWCASE_DATA_DIR=$(CURDIR)/$(BUILD)/data >/dev/null
	@NODE_PATH=/usr/share/nodejs cmake --build $(WEB_BUILD) -j$(JOBS)

serve: web
	@echo "The show is at http://127.0.0.1:$(PORT)/ (fixed mode: http://127.0.0.1:$(PORT)/?mode=fixed); Ctrl+C stops it"
	@cd $(WEB_BUILD) && python3 -m http.server $(PORT) --bind 127.0.0.1

capture: build
	@scripts/capture $(BUILD) $(PROGRAM)

contact-sheet: build
	@cmake --build $(BUILD) --target contact-sheet

bench: build
	@for b in $(BUILD)/bench/bench_*; do echo "== $$b"; $$b --benchmark_min_time=0.2; done

format:
	@clang-format -i $$(git ls-files 'src/*.cpp' 'src/*.h' 'tools/*.cpp' 'tools/*.h' 'tests/*.cpp' 'tests/*.h' 'bench/*.cpp')

clean:
	@rm -rf $(BUILD) $(ASAN_BUILD) $(WEB_BUILD)
