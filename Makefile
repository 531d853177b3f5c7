# Dendrova: the two everyday commands are `make run` and `make test`.
BUILD_DIR ?= build
BUILD_TYPE ?= RelWithDebInfo
JOBS ?= $(shell nproc 2>/dev/null || echo 2)

.PHONY: all deps configure build run test bench pictures format clean install uninstall deb

all: build

deps:
	@bash scripts/install-deps

configure: deps
	@cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) >/dev/null

build: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	@cd $(BUILD_DIR) && ./dendrova

test: build
	@cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS)

BENCH_FLAGS ?= --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
bench: build
	@$(BUILD_DIR)/bench/dendrova-bench $(BENCH_FLAGS)
	@xvfb-run -a -s "-screen 0 1280x1024x24" $(BUILD_DIR)/bench/dendrova-frame-bench $(BENCH_FLAGS)
	@xvfb-run -a -s "-screen 0 1280x1024x24" $(BUILD_DIR)/bench/dendrova-drag-bench
	@$(BUILD_DIR)/bench/dendrova-export-bench $(BENCH_FLAGS)

# Redraws the built-in pictures under resources/.
pictures: build
	@$(BUILD_DIR)/tools/picgen/dendrova-picgen resources

# Installs the program with its menu entry, icons and manual page under PREFIX (and under
# DESTDIR when given, for staging); uninstall removes what an install to the same place
# from this build folder wrote.
PREFIX ?= /usr/local
install: build
	@DESTDIR="$(DESTDIR)" cmake --install $(BUILD_DIR) --prefix $(PREFIX)

uninstall:
	@DESTDIR="$(DESTDIR)" cmake -DRECORDS=$(BUILD_DIR)/installed -DPREFIX=$(PREFIX) -P packaging/Uninstall.cmake

# Builds the Debian package dendrova_VERSION_ARCH.deb in the build folder.
deb: build
	@cd $(BUILD_DIR) && cpack -G DEB

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	@rm -rf $(BUILD_DIR)
