# The two commands a new user needs: `make run` and `make test`.
BUILD ?= build
CMAKE_FLAGS ?=
ifeq ($(WENDAL_WERROR),ON)
CMAKE_FLAGS += -DWENDAL_WERROR=ON
endif

.PHONY: all deps configure build test run bench clean format

all: build

deps:
	@./scripts/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD)

test: build
	@cd $(BUILD) && ctest --output-on-failure -j2

run: configure
	@cmake --build $(BUILD) --target wendal-run
	@$(BUILD)/tools/wendal-run --frames 250 --text

bench: build
	@$(BUILD)/bench/wendal-bench-core
	@$(BUILD)/bench/wendal-bench-render
	@printf "wendal-run, ROM start-up screen: " && $(BUILD)/tools/wendal-run --frames 25000 --speed
	@printf "wendal-run, workload snapshot:   " && \
	  $(BUILD)/tools/wendal-run --frames 25000 --speed $(BUILD)/bench/workload.sna
	@./bench/instructions_per_tstate.sh $(BUILD)

format:
	@clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	@rm -rf $(BUILD)
