# The two commands a newcomer needs: `make run` and `make test`. `make package` builds the
# Debian package (build/zex-toolkit_VERSION_ARCH.deb).
BUILD_DIR ?= build
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
CMAKE_GENERATOR ?= Ninja

.PHONY: all deps configure build run test bench package format clean

all: build

deps:
	@./scripts/bootstrap.sh

configure: deps
	@cmake -S . -B $(BUILD_DIR) -G "$(CMAKE_GENERATOR)" >/dev/null

build: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	@./scripts/run.sh $(BUILD_DIR)

test: build
	@cd $(BUILD_DIR) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

package: build
	@cd $(BUILD_DIR) && cpack -G DEB

bench: build
	@for b in $(BUILD_DIR)/bench/bench_*; do [ -x "$$b" ] && "$$b"; done

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	@rm -rf $(BUILD_DIR)
