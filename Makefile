# The two commands a new user needs: `make run` and `make test`.
BUILD ?= build
CMAKE_FLAGS ?=
ifeq ($(WENDAL_WERROR),ON)
CMAKE_FLAGS += -DWENDAL_WERROR=ON
endif

.PHONY: all deps configure build test run bench clean format install package

all: build

deps:
	@./scripts/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD)

test: build
	@cd $(BUILD) && ctest --output-on-failure -j2

# The desktop program on a display; without one, the headless runner shows the ROM's screen.
run: configure
	@if [ -n "$$DISPLAY$$WAYLAND_DISPLAY" ]; then \
	  cmake --build $(BUILD) --target wendal && $(BUILD)/app/wendal; \
	else \
	  echo "No display (neither DISPLAY nor WAYLAND_DISPLAY is set): running the headless runner instead."; \
	  cmake --build $(BUILD) --target wendal-run && $(BUILD)/tools/wendal-run --frames 250 --text; \
	fi

bench: build
	@$(BUILD)/bench/wendal-bench-core
	@$(BUILD)/bench/wendal-bench-render
	@$(BUILD)/bench/wendal-bench-sound
	@printf "wendal-run, ROM start-up screen: " && $(BUILD)/tools/wendal-run --frames 25000 --speed
	@printf "wendal-run, workload snapshot:   " && \
	  $(BUILD)/tools/wendal-run --frames 25000 --speed $(BUILD)/bench/workload.sna
	@./bench/instructions_per_tstate.sh $(BUILD)
	@./bench/desktop_bench.sh $(BUILD)

# Installs the programs, menu entry, file types, icons and manual pages under PREFIX.
PREFIX ?= /usr/local
install: build
	@cmake --install $(BUILD) --prefix $(PREFIX)

# The Debian package, $(BUILD)/wendal_<version>_<arch>.deb.
package: build
	@cd $(BUILD) && cpack -G DEB

format:
	@clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	@rm -rf $(BUILD)

# The fuzz targets (fuzz/), built with clang in a folder of their own and run FUZZ_SECONDS each.
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 120
.PHONY: fuzz
fuzz: deps
	@CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DWENDAL_FUZZ=ON $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(FUZZ_BUILD) -j2
	@./fuzz/run_fuzz.sh $(FUZZ_BUILD) $(FUZZ_SECONDS)
