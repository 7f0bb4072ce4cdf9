# The two commands of the quick start: `make run` and `make test`.
BUILD ?= build
JOBS  ?= $(shell nproc)

.PHONY: setup build run test sanitize bench package clean tour images

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

# Every test again, built with AddressSanitizer and UndefinedBehaviorSanitizer in
# build-asan: the first report of either stops the program that made it and fails the run.
# Leak checking is off: Qt and fontconfig keep caches until exit, which is no fault of ours.
# A failed huge allocation returns null as it does without the sanitizer (Qt reading a
# damaged settings file asks for one and copes). The soak test measures stack depth and
# resident memory, which the sanitizer's own stacks and quarantine change: it runs in
# `make test` only. The build step gets the same settings: listing tests runs them.
ASAN_BUILD ?= build-asan
SANITIZER_ENV = ASAN_OPTIONS=halt_on_error=1:abort_on_error=1:detect_leaks=0:allocator_may_return_null=1:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1 \
  UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
sanitize: setup
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Release -DLUMO_SANITIZE=ON
	$(SANITIZER_ENV) cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && $(SANITIZER_ENV) ctest --output-on-failure -j $(JOBS) -E '^Soak\.'

# Start-up time and memory against a minimal Qt Widgets program (on a private X server,
# so that "mapped" means mapped on a display, as a user sees it), the press time of every
# drawing handler, the lab window's longest stall and its time to a result, the drawing
# micro-benchmarks, then the reconstruction lab against scikit-image (python3-skimage,
# installed here for the benchmark only). Fails when a goal is missed.
BENCH_TARGETS = lumo lumo_minimal_qt lumo_startup_bench lumo_handler_bench lumo_lab_ui_bench lumo_bench lumo_lab_bench
bench: setup
	@if ! dpkg-query -W -f='$${Status}' python3-skimage 2>/dev/null | grep -q 'install ok installed'; then \
	  if [ "$$(id -u)" -eq 0 ]; then sudo=""; else sudo="sudo"; fi; \
	  echo "Installing: python3-skimage"; \
	  DEBIAN_FRONTEND=noninteractive $$sudo apt-get update -qq && \
	  DEBIAN_FRONTEND=noninteractive $$sudo apt-get install -y -qq --no-install-recommends python3-skimage; \
	fi
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release
	cmake --build $(BUILD) -j $(JOBS) --target $(BENCH_TARGETS)
	@status=0; \
	if command -v xvfb-run >/dev/null; then \
	  xvfb-run -a -s "-screen 0 1280x1024x24" env QT_QPA_PLATFORM=xcb \
	    ./$(BUILD)/bench/lumo_startup_bench ./$(BUILD)/lumo ./$(BUILD)/bench/lumo_minimal_qt || status=1; \
	else \
	  echo "xvfb-run is missing: start-up measured on the offscreen platform"; \
	  ./$(BUILD)/bench/lumo_startup_bench ./$(BUILD)/lumo ./$(BUILD)/bench/lumo_minimal_qt || status=1; \
	fi; \
	echo; ./$(BUILD)/bench/lumo_handler_bench || status=1; \
	echo; QT_QPA_PLATFORM=offscreen ./$(BUILD)/bench/lumo_lab_ui_bench || status=1; \
	echo; ./$(BUILD)/bench/lumo_bench || status=1; \
	echo; ./$(BUILD)/bench/lumo_lab_bench bench/lab/skimage_times.py || status=1; \
	exit $$status

# A Debian package in $(BUILD): the program, its desktop entry and icons.
package: setup
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release
	cmake --build $(BUILD) -j $(JOBS) --target lumo
	cd $(BUILD) && cpack -G DEB

clean:
	rm -rf $(BUILD)
