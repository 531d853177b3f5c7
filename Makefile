# Dendrova: the two everyday commands are `make run` and `make test`.
BUILD_DIR ?= build
BUILD_TYPE ?= RelWithDebInfo
JOBS ?= $(shell nproc 2>/dev/null || echo 2)

.PHONY: all deps configure build run test bench sanitize fuzz pictures gallery format clean install\
	uninstall deb consumers

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

# Levels of detail with wind (--lods 4 --wind) imported by Blender (headless), shown by f3d
# and read by assimp; installs them first when missing. Not part of `make test` or CI.
consumers: build
	@tests/consumers/run-consumers.sh $(BUILD_DIR)/dendrova tests/data

BENCH_FLAGS ?= --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
bench: build
	@$(BUILD_DIR)/bench/dendrova-bench $(BENCH_FLAGS)
	@xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" $(BUILD_DIR)/bench/dendrova-frame-bench $(BENCH_FLAGS)
	@xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" $(BUILD_DIR)/bench/dendrova-drag-bench
	@xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" $(BUILD_DIR)/bench/dendrova-motion-bench
	@xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" $(BUILD_DIR)/bench/dendrova-drag-memory-bench
	@$(BUILD_DIR)/bench/dendrova-export-bench $(BENCH_FLAGS)
	@$(BUILD_DIR)/bench/dendrova-variants-bench $(BENCH_FLAGS)

# The whole suite built with AddressSanitizer and UndefinedBehaviorSanitizer in its own
# folder. Leaks inside Mesa and D-Bus are suppressed (tests/sanitize/lsan.supp says why);
# the preloaded helper keeps run-time loaded libraries in place so the leak report can
# name them. Any other report fails its test.
SANITIZE_DIR ?= build-sanitize
SANITIZE_ENV = LD_PRELOAD=$(abspath $(SANITIZE_DIR))/tests/sanitize/libdendrova_keep_loaded.so \
	ASAN_OPTIONS=detect_leaks=1:verify_asan_link_order=0 \
	UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	LSAN_OPTIONS=suppressions=$(CURDIR)/tests/sanitize/lsan.supp:print_suppressions=0
sanitize: deps
	@cmake -S . -B $(SANITIZE_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DDENDROVA_SANITIZE=ON >/dev/null
	@cmake --build $(SANITIZE_DIR) -j $(JOBS)
	@cd $(SANITIZE_DIR) && $(SANITIZE_ENV) ctest --output-on-failure -j $(JOBS)

# Fuzzes the parameter file loader and saver for FUZZ_SECONDS with clang's libFuzzer,
# starting from the seeds in tests/fuzz/corpus; new inputs collect in $(FUZZ_DIR)/corpus.
FUZZ_DIR ?= build-fuzz
FUZZ_SECONDS ?= 60
fuzz: deps
	@cmake -S . -B $(FUZZ_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
		-DCMAKE_CXX_COMPILER=clang++-14 -DDENDROVA_FUZZ=ON >/dev/null
	@cmake --build $(FUZZ_DIR) --target model_config_fuzz
	@mkdir -p $(FUZZ_DIR)/corpus
	@$(FUZZ_DIR)/tests/fuzz/model_config_fuzz -max_total_time=$(FUZZ_SECONDS) \
		-print_final_stats=1 -artifact_prefix=$(FUZZ_DIR)/ $(FUZZ_DIR)/corpus tests/fuzz/corpus

# Redraws the built-in pictures under resources/.
pictures: build
	@$(BUILD_DIR)/tools/picgen/dendrova-picgen resources

# Draws every built-in preset into docs/presets/ (the README's gallery), for each
# parameter five trees from its minimum to its maximum into docs/params/, and the contact
# sheet of six variants of "Umbrella" into docs/variants.png.
gallery: build
	@tools/make-gallery.sh $(BUILD_DIR)/dendrova docs/presets
	@tools/make-param-strips.sh $(BUILD_DIR)/dendrova docs/params
	@$(BUILD_DIR)/dendrova --preset Umbrella --seed 42 --variants 6 --size 400x260 \
		--render docs/variants.png

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
