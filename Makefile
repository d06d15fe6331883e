# Quomtel: top-level commands. `make deps`, `make`, `make test`, `make run`.

BUILD_DIR ?= build
BUILD_TYPE ?= RelWithDebInfo
GENERATOR ?= Ninja

# Everything the build, the tests, the GUI tests and the screenshots need, from Debian's archive.
PACKAGES := g++ cmake ninja-build pkg-config \
	qt6-base-dev qt6-svg-dev libgl-dev libxkbcommon-dev \
	libgtest-dev libgmock-dev libbenchmark-dev \
	xvfb xauth imagemagick fonts-dejavu-core emf2svg \
	clang libclang-rt-14-dev appstream

SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

.PHONY: all deps build test test-asan fuzz run screenshots bench clean format

all: build

deps:
	@missing=$$(for p in $(PACKAGES); do dpkg -s $$p >/dev/null 2>&1 || echo $$p; done); \
	if [ -n "$$missing" ]; then \
		echo "Installing:" $$missing; \
		$(SUDO) apt-get update -qq && \
		DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq --no-install-recommends $$missing; \
	fi

$(BUILD_DIR)/CMakeCache.txt:
	cmake -S . -B $(BUILD_DIR) -G "$(GENERATOR)" -DCMAKE_BUILD_TYPE=$(BUILD_TYPE)

build: $(BUILD_DIR)/CMakeCache.txt
	cmake --build $(BUILD_DIR) --parallel

test: deps
	$(MAKE) build
	tools/run_tests.sh $(BUILD_DIR)

# The whole suite built with AddressSanitizer (leaks included) and UndefinedBehaviorSanitizer.
ASAN_DIR ?= build-asan
SANITIZE := -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined
test-asan: deps
	cmake -S . -B $(ASAN_DIR) -G "$(GENERATOR)" -DCMAKE_BUILD_TYPE=Debug \
		-DCMAKE_CXX_FLAGS="$(SANITIZE)" -DCMAKE_EXE_LINKER_FLAGS="$(SANITIZE)"
	cmake --build $(ASAN_DIR) --parallel
	ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 tools/run_tests.sh $(ASAN_DIR)

# Each reader fuzz target for FUZZ_SECONDS (clang's libFuzzer; findings in build-fuzz/artifacts/).
FUZZ_SECONDS ?= 60
fuzz: deps
	tools/fuzz.sh $(FUZZ_SECONDS)

run: deps
	$(MAKE) build
	tools/run_gui.sh $(BUILD_DIR)

# The pictures in docs/images/, taken of the real window under Xvfb.
screenshots: deps
	$(MAKE) build
	tools/screenshots.sh $(BUILD_DIR)

bench: deps
	$(MAKE) build
	$(BUILD_DIR)/bin/quomtel-bench

# The programs, the desktop entry, icon and file types, the documents and the examples under
# PREFIX (DESTDIR, if set, is put in front of every path, for packaging).
PREFIX ?= /usr/local
.PHONY: install
install:
	$(MAKE) build
	DESTDIR="$(DESTDIR)" cmake --install $(BUILD_DIR) --prefix "$(PREFIX)"

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD_DIR) $(ASAN_DIR) build-fuzz
