# The two commands of the Quick start, over CMake.
#   make run    installs what is missing, builds, makes the sample price list
#               when there is none, and starts the program
#   make test   installs what is missing, builds, and runs every test

BUILD ?= build
JOBS ?= $(shell nproc 2>/dev/null || echo 2)

.PHONY: run test build deps format

deps:
	@bash scripts/install-deps.sh

build: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	@cmake --build $(BUILD) --parallel $(JOBS)

run: build
	@$(BUILD)/locker-estimate --create-sample-pricelist
	$(BUILD)/locker-estimate $(ARGS)

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure --parallel $(JOBS)

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')
