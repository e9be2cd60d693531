# Plovant Velnor: build, test and run on Debian 12 (native Linux tree for
# the portable core and tools, mingw-w64 cross tree for the Windows program,
# Wine under Xvfb for the Windows tests). The recipes live in scripts/.

SHELL := /bin/bash
.DEFAULT_GOAL := build

.PHONY: deps build test run dist screenshots bench clean

# Installs only the Debian packages that are missing.
deps:
	@scripts/install-deps.sh

# build/native/velnor-cli, build/windows/velnor.exe, build/windows/velnor-cli.exe
build: deps
	@scripts/build.sh

# Everything: native, ASan/UBSan, fuzz, Windows under Wine, end-to-end.
# Builds what it tests; ends with "N passed, N failed".
test: deps
	@scripts/test.sh

# velnor.exe under Wine in a virtual desktop window on $$DISPLAY (or a new Xvfb).
run: build
	@scripts/run.sh

# build/dist/: the installer and the portable zip of the Windows programs.
dist: deps
	@scripts/dist.sh

# docs/screenshots/*.png: the program under Wine, photographed on a
# prepared database. Run by hand, and the pictures committed.
screenshots: build
	@scripts/screenshots.sh

bench: deps
	@scripts/bench.sh

clean:
	@source scripts/wine-env.sh; \
	for reg in $$(find build -maxdepth 4 -name system.reg 2>/dev/null); do \
	  stop_wineserver "$$(dirname "$$reg")"; \
	done; \
	rm -rf build
