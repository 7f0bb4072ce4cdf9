# The two commands of the quick start: `make run` and `make test`.
BUILD ?= build
JOBS  ?= $(shell nproc)

.PHONY: setup build run test bench clean tour images

setup:
	@bash scripts/setup.sh

build: setup
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release
	cmake --build $(BUILD) -j $(JOBS)

# Starts the program; with no display it renders the tour into ./tour instead.
run: build
	@if [ -n "$$DISPLAY$$WAYLAND_DISPLAY" ]; then \
	  ./$(BUILD)/lumo; \
	else \
	  echo "No display: rendering every screen into ./tour"; \
	  QT_QPA_PLATFORM=offscreen ./$(BUILD)/lumo --tour tour && echo "Pictures are in $$(pwd)/tour"; \
	fi

tour: build
	QT_QPA_PLATFORM=offscreen ./$(BUILD)/lumo --tour tour

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# Rebuilds the clinical bitmaps of res/bitmaps (deterministic: the same bytes every time).
images: build
	./$(BUILD)/lumo_imagegen res/bitmaps

bench: build
	./$(BUILD)/bench/lumo_bench

clean:
	rm -rf $(BUILD)
