# make run   installs what is missing, builds and starts the program
# make test  installs what is missing, builds and runs every test
# make sanitize  the tests again under AddressSanitizer, UBSan and ThreadSanitizer (CI runs it)
# make soak  the monitor over 10,000 rows against a faulty loopback marketplace (CI runs it)
# make fuzz  every fuzz target for FUZZ_SECONDS (default 60) each; fails on any finding
# make demo  builds and runs the program against a simulated marketplace
BUILD    ?= build
JOBS     ?= $(shell nproc)
DATA_DIR ?=

.PHONY: all deps configure build run test sanitize soak fuzz bench clean demo

all: build

deps:
	@scripts/install-deps.sh

$(BUILD)/build.ninja:
	cmake -S . -B $(BUILD) -G Ninja

configure: deps $(BUILD)/build.ninja

build: configure
	cmake --build $(BUILD) -j $(JOBS)

run: build
	@if [ -z "$$DISPLAY" ] && [ -z "$$WAYLAND_DISPLAY" ]; then \
	    echo "No display. Run it headless with:"; \
	    echo "  xvfb-run -a -s '-screen 0 1280x800x24' $(BUILD)/korvane-monitor"; \
	    exit 1; \
	fi
	$(BUILD)/korvane-monitor $(if $(DATA_DIR),--data-dir $(DATA_DIR))

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

sanitize: deps
	JOBS=$(JOBS) scripts/sanitize.sh

fuzz: deps
	fuzz/run.sh

soak: build
	$(BUILD)/tests/monitor_soak

demo: build
	@tools/run-demo.sh $(BUILD)

bench: build
	@for b in $(BUILD)/bench/*; do [ -x "$$b" ] && [ -f "$$b" ] && "$$b"; done

clean:
	rm -rf $(BUILD)
