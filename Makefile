# The commands of the project, over CMake.
#   make run      installs what is missing, builds, makes the sample price list
#                 when there is none, and starts the program
#   make test     installs what is missing, builds, runs every test; then the
#                 same tests again in a build with AddressSanitizer and
#                 UndefinedBehaviorSanitizer, and a short fuzzing run
#   make bench    the benchmark (built by make test, run only here)
#   make package  a Debian package of the program, checked as Debian checks
#                 its own (lintian)

BUILD ?= build
SANITIZE_BUILD ?= build-sanitize
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
TEST_ENV = QT_QPA_PLATFORM=offscreen
SANITIZE_ENV = $(TEST_ENV) ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
	UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1

.PHONY: run test build build-sanitize deps bench package format

deps:
	@bash scripts/install-deps.sh

build: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	@cmake --build $(BUILD) --parallel $(JOBS)

build-sanitize: deps
	@cmake -S . -B $(SANITIZE_BUILD) -DCMAKE_BUILD_TYPE=Debug -DLOCKER_SANITIZE=ON >/dev/null
	@cmake --build $(SANITIZE_BUILD) --parallel $(JOBS)

run: build
	@$(BUILD)/locker-estimate --create-sample-pricelist
	$(BUILD)/locker-estimate $(ARGS)

test: build build-sanitize
	cd $(BUILD) && $(TEST_ENV) ctest --output-on-failure --parallel $(JOBS)
	cd $(SANITIZE_BUILD) && $(SANITIZE_ENV) ctest --output-on-failure --parallel $(JOBS)
	@bash scripts/fuzz.sh

bench: build
	@bash bench/run.sh $(BUILD)

# The package, then its checks: the software centre's entry, the desktop
# entry, and lintian on the package (a warning fails too).
package: build
	@bash scripts/install-deps.sh lintian appstream desktop-file-utils
	@rm -f $(BUILD)/locker-estimate_*.deb
	@cd $(BUILD) && cpack -G DEB
	appstreamcli validate --no-net data/org.example.LockerEstimate.metainfo.xml
	desktop-file-validate data/org.example.LockerEstimate.desktop
	@bash scripts/lintian-deb.sh $(BUILD)/locker-estimate_*.deb

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')
