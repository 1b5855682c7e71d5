# Thin wrapper over CMake; docs/HACKING.md lists these targets.
PRESET ?= default
BUILD_DIR := build$(if $(filter-out default,$(PRESET)),-$(PRESET))
PREFIX ?= /usr/local

.PHONY: deps configure build run test test-asan test-tools board-picture bench screenshots install package clean

deps:
	@scripts/deps.sh

configure: deps
	@test -f $(BUILD_DIR)/build.ninja || cmake --preset $(PRESET)

build: configure
	cmake --build --preset $(PRESET)

run: build
	scripts/run.sh $(BUILD_DIR)/bin

test: build
	ctest --preset $(PRESET)

test-asan:
	$(MAKE) test PRESET=asan

# The tools alone, built as where Qt 6 is not found (in build-tools/), and
# their part of the suite.
test-tools:
	$(MAKE) test PRESET=tools

# Redraws the checked-in board picture of the reports after the skin changed.
board-picture: build
	QT_QPA_PLATFORM=offscreen $(BUILD_DIR)/bin/kbr_skin_gen --board-source resources/board

bench: build
	scripts/bench.sh $(BUILD_DIR)/bin

screenshots: build
	scripts/screenshots.sh $(BUILD_DIR)/bin build/screenshots

# DESTDIR, when set, stages the install in that folder.
install: build
	cmake --install $(BUILD_DIR) --prefix $(PREFIX)
	@scripts/udev-rule.sh $(PREFIX)
	@packaging/python-path.sh $(PREFIX)

# The Debian packages, into $(BUILD_DIR)/: kbr370-tools, kbr370 (the panel,
# when Qt is there) and python3-kbr370 (when the module is built), each
# checked by lintian when it is installed: an error or a warning fails.
DEBS = kbr370-tools kbr370 python3-kbr370
package: build
	rm -f $(foreach deb,$(DEBS),$(BUILD_DIR)/$(deb)_*.deb)
	cd $(BUILD_DIR) && cpack -G DEB
	@debs=$$(ls $(foreach deb,$(DEBS),$(BUILD_DIR)/$(deb)_*.deb) 2>/dev/null); \
	if command -v lintian >/dev/null; then \
	  echo "lintian" $$debs; lintian --fail-on error,warning $$debs; \
	else \
	  echo "lintian is not installed: the packages were not checked (apt install lintian)"; \
	fi

clean:
	rm -rf build build-asan build-tools
