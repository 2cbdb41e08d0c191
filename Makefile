# make run   installs what is missing, builds and starts the game
# make test  installs what is missing, builds and runs every test, plus the sanitizer runs
# make package builds the Debian package build/velmora_<version>_amd64.deb and checks it with
#            desktop-file-validate, appstreamcli and lintian
# make bench builds in Release and runs the benchmarks
# make fuzz  fuzzes the rules, then the replay and ranking readers, then the settings reader, with
#            libFuzzer (clang) for FUZZ_SECONDS each, from the saved corpora
# make soak  plays SOAK_GAMES seeded games of the rules under AddressSanitizer and UBSan
# make mutants makes every fault that scripts/mutants.py's operators allow, one at a time, and runs
#            the tests on each; FILES='src/game/*.cpp' for a part, MUTANTS_FLAGS='--sample 40' for
#            a quick look (scripts/mutants.py --help)
# make windows builds build-windows/velmora-<version>-windows-x64.zip with MinGW-w64, on SDL2 and
#            GLEW built from Debian's sources (once: they are kept in build-windows/deps)
# make windows-test plays that zip's program through under Wine, as the end-to-end test plays
#            the Linux build
# make web  builds build-web/site, the game for the browser (WebAssembly on WebGL 2) with Debian's
#            Emscripten, on SDL2 built from Debian's sources (once: kept in build-web/deps)
# make web-run serves that site on http://127.0.0.1:8000/
# make web-test plays the site in Debian's Chromium, headless, through puppeteer-core
# make web-bench measures the site's tick cadence and key-to-tick delay in that browser
JOBS ?= $(shell nproc)
CMAKE_FLAGS := -DVELMORA_WERROR=$(if $(VELMORA_WERROR),$(VELMORA_WERROR),OFF)
WITH_DISPLAY := scripts/with-display.sh
# The test programs whose tests carry the label "threaded", run again under ThreadSanitizer.
THREADED_TESTS := app_handover_tests audio_ring_tests
FUZZ_SECONDS ?= 300
SOAK_GAMES ?= 5000
FILES ?=
MUTANTS_FLAGS ?=

.PHONY: deps build run test test-plain test-asan test-tsan package bench fuzz soak mutants windows \
	windows-test web web-run web-test web-bench format clean

deps:
	@scripts/install-deps.sh

build: deps
	cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_FLAGS) >/dev/null
	cmake --build build -j $(JOBS)

run: build
	@scripts/run-game.sh build

test: test-plain test-asan test-tsan

test-plain: build
	ctest --test-dir build --no-tests=error --output-on-failure -j $(JOBS)

test-asan: deps
	cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DVELMORA_SANITIZE=address,undefined -DCMAKE_CXX_FLAGS=-D_GLIBCXX_ASSERTIONS $(CMAKE_FLAGS) >/dev/null
	cmake --build build-asan -j $(JOBS)
	ASAN_OPTIONS=detect_leaks=0:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
		ctest --test-dir build-asan --no-tests=error --output-on-failure -j $(JOBS) -LE e2e

test-tsan: deps
	cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=Debug -DVELMORA_SANITIZE=thread $(CMAKE_FLAGS) >/dev/null
	cmake --build build-tsan -j $(JOBS) --target $(THREADED_TESTS)
	TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 \
		ctest --test-dir build-tsan --no-tests=error --output-on-failure -L threaded

# CPack installs the install rules of packaging/ under the prefix /usr and strips the program.
package: build
	@scripts/install-deps.sh package
	rm -f build/velmora_*.deb
	cd build && cpack -G DEB
	scripts/check-package.sh build/velmora_*_amd64.deb

bench: deps
	cmake -S . -B build-release -DCMAKE_BUILD_TYPE=Release -DVELMORA_BENCHMARKS=ON $(CMAKE_FLAGS) >/dev/null
	cmake --build build-release -j $(JOBS)
	$(WITH_DISPLAY) scripts/run-benchmarks.sh build-release

# Each target in turn, one engine per core, sharing a working copy of its corpus (the saved
# corpora change only by hand, see README); each writes its log and any crashing input to
# build-fuzz/. Checked std::array indexing turns a read outside the board into a crash.
fuzz: deps
	cmake -S . -B build-fuzz -DCMAKE_CXX_COMPILER=clang++-14 -DCMAKE_BUILD_TYPE=RelWithDebInfo \
		-DVELMORA_GAME_ONLY=ON -DVELMORA_FUZZER=ON -DVELMORA_SANITIZE=address,undefined \
		-DCMAKE_CXX_FLAGS=-D_GLIBCXX_ASSERTIONS $(CMAKE_FLAGS) >/dev/null
	cmake --build build-fuzz -j $(JOBS) --target rules_fuzzer records_fuzzer settings_fuzzer
	set -e; for target in rules:corpus records:records_corpus settings:settings_corpus; do \
		name=$${target%%:*}; corpus=$${target#*:}; \
		rm -rf build-fuzz/$$name-corpus build-fuzz/fuzz-*.log; \
		cp -r tests/fuzz/$$corpus build-fuzz/$$name-corpus; \
		(cd build-fuzz && ASAN_OPTIONS=detect_leaks=0 tests/fuzz/$${name}_fuzzer -jobs=$(JOBS) \
			-workers=$(JOBS) -max_total_time=$(FUZZ_SECONDS) $$name-corpus >/dev/null 2>&1) \
			&& status=0 || status=$$?; echo "== $${name}_fuzzer"; \
		grep -h -E "DONE|invariant|broken|ERROR|Test unit written" build-fuzz/fuzz-*.log; \
		[ $$status -eq 0 ] || exit $$status; \
	done

# The property test of the rules, playing many more games than make test does.
soak: deps
	cmake -S . -B build-soak -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELMORA_GAME_ONLY=ON \
		-DVELMORA_SANITIZE=address,undefined -DCMAKE_CXX_FLAGS=-D_GLIBCXX_ASSERTIONS \
		$(CMAKE_FLAGS) >/dev/null
	cmake --build build-soak -j $(JOBS) --target game_tests
	ASAN_OPTIONS=detect_leaks=0:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
		VELMORA_SOAK_GAMES=$(SOAK_GAMES) build-soak/tests/game/game_tests \
		--gtest_filter='Rules.SeededGames*'

mutants: deps
	python3 scripts/mutants.py --jobs $(JOBS) $(MUTANTS_FLAGS) $(FILES)

# The icon is drawn by make_icon of the Linux build, which the cross build cannot run.
windows: deps
	@scripts/install-deps.sh windows
	@JOBS=$(JOBS) scripts/build-windows-deps.sh build-windows/deps
	cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_FLAGS) >/dev/null
	cmake --build build -j $(JOBS) --target make_icon
	cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=packaging/windows/toolchain.cmake \
		-DCMAKE_FIND_ROOT_PATH=$(CURDIR)/build-windows/deps/prefix -DCMAKE_BUILD_TYPE=Release \
		-DVELMORA_MAKE_ICON=$(CURDIR)/build/packaging/make_icon $(CMAKE_FLAGS) >/dev/null
	cmake --build build-windows -j $(JOBS)

windows-test: windows
	cmake --build build -j $(JOBS) --target e2e_tests
	scripts/windows-test.sh build-windows/velmora-*-windows-x64.zip build/tests/e2e/e2e_tests

# Emscripten's optimiser runs on node and finds its modules in Debian's folder, which a node
# from elsewhere does not search.
WEB_ENV := NODE_PATH=/usr/share/nodejs

web: deps
	@scripts/install-deps.sh web
	@JOBS=$(JOBS) scripts/build-web-deps.sh build-web/deps
	$(WEB_ENV) emcmake cmake -S . -B build-web -DCMAKE_BUILD_TYPE=MinSizeRel \
		-DCMAKE_FIND_ROOT_PATH=$(CURDIR)/build-web/deps/prefix $(CMAKE_FLAGS) >/dev/null
	$(WEB_ENV) cmake --build build-web -j $(JOBS)
	@scripts/web-size.sh build-web/site

web-run: web
	@echo "Velmora is served on http://127.0.0.1:8000/ (Ctrl+C ends)"
	python3 -m http.server 8000 --bind 127.0.0.1 --directory build-web/site

web-test: web
	@scripts/web-test.sh build-web/site

web-bench: web
	@scripts/web-test.sh build-web/site bench.mjs

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf build build-asan build-tsan build-release build-fuzz build-soak build-windows \
		build-mutants build-web
