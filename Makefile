# make run    build, then run setup.exe on the bundled sample application
# make test   build and run every test (host, fuzz, Win32 under Wine)
#             WINE=32 or WINE=64: the Win32 tests of one build only
#             REPEAT=N: the whole suite N times, then each test that failed and how often
# make build  build everything
# make setup PAYLOAD=DIR [BEST=1] [SIGN=CMD]   build/custom/setup.exe carrying the files of DIR
# make fuzz [FUZZ_SECONDS=600]   run the fuzzers for longer
# B=DIR puts the build trees elsewhere (default: build).
B ?= build
JOBS ?= $(shell nproc)
FUZZ_SECONDS ?= 600
SRC := $(CURDIR)

# Two Win32 trees from the same sources: build/win32 (i686, the product) is
# always built; build/win64 (x86_64) is its twin for wine64, the only Wine
# that can run where the kernel does not execute 32-bit x86 code. Whether
# it does is found by running a tiny 32-bit program.
CAN_RUN_I386 := $(shell ./scripts/can-run-i386 && echo yes)
WINE ?=
ifeq ($(WINE),32)
  WIN_TREES := win32
  WINE_EXCLUDE :=
  WINE_NOTE := the Win32 tests of the i686 build only (WINE=32)
else ifeq ($(WINE),64)
  WIN_TREES := win32 win64
  WINE_EXCLUDE := -LE wine-i686
  WINE_NOTE := the Win32 tests of the x86_64 build only (WINE=64); the i686 build checked statically
else ifeq ($(WINE),)
  WIN_TREES := win32 win64
  ifeq ($(CAN_RUN_I386),yes)
    WINE_EXCLUDE :=
    WINE_NOTE := every Win32 test on both builds: i686 under Wine, x86_64 under wine64
  else
    WINE_EXCLUDE := -LE wine-i686
    WINE_NOTE := this machine does not execute 32-bit x86 code: the Win32 tests run on the x86_64 build under wine64, the i686 build is checked statically
  endif
else
  $(error WINE must be 32, 64 or empty (both where the machine allows), not "$(WINE)")
endif
ifeq ($(CAN_RUN_I386),yes)
  RUN_TREE := win32
  RUN_NOTE := the i686 setup.exe under Wine (this machine executes 32-bit x86 code)
else
  RUN_TREE := win64
  RUN_NOTE := the x86_64 twin under wine64, because this machine does not execute 32-bit x86 code
endif

.PHONY: all build deps host win32 win64 fuzzbuild test check-wine run setup fuzz bench clean

all: build

deps: check-wine
	@./scripts/install-deps

$(B)/host/CMakeCache.txt: | deps
	cmake -S . -B $(B)/host -DCMAKE_BUILD_TYPE=Release -DKORVU_WERROR=ON

$(B)/fuzz/CMakeCache.txt: | deps
	CC=clang CXX=clang++ cmake -S . -B $(B)/fuzz -DKORVU_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo

# The two Win32 trees: win32 with the i686 toolchain, win64 with the x86_64 one.
TOOLCHAIN_win32 := i686
TOOLCHAIN_win64 := x86_64
$(B)/win32/CMakeCache.txt $(B)/win64/CMakeCache.txt: $(B)/%/CMakeCache.txt: | deps
	cmake -S . -B $(B)/$* -DCMAKE_TOOLCHAIN_FILE=$(SRC)/cmake/mingw-$(TOOLCHAIN_$*).cmake \
	      -DCMAKE_BUILD_TYPE=MinSizeRel -DMCFTOOL=$(abspath $(B))/host/tools/mcftool/mcftool

host: deps $(B)/host/CMakeCache.txt
	cmake --build $(B)/host -j $(JOBS)

fuzzbuild: deps $(B)/fuzz/CMakeCache.txt
	cmake --build $(B)/fuzz -j $(JOBS)

win32: host $(B)/win32/CMakeCache.txt
	cmake --build $(B)/win32 -j $(JOBS)

win64: host $(B)/win64/CMakeCache.txt
	cmake --build $(B)/win64 -j $(JOBS)

build: host fuzzbuild $(WIN_TREES)

# One ctest run over all three trees (the host tree includes the others),
# so the run ends with one summary line. A test gives the same answer every
# run: nothing is run twice to pass. REPEAT=N runs the whole suite N times
# and ends with every test that failed in any run and how often.
REPEAT ?= 1
test: build
	@case "$(REPEAT)" in ''|*[!0-9]*|0) echo "make: REPEAT must be a whole number from 1, not \"$(REPEAT)\"" >&2; exit 2 ;; esac
	@printf 'subdirs("%s"' "$(abspath $(B))/fuzz" > $(B)/host/extra-tests.cmake
	@for t in $(WIN_TREES); do printf ' "%s"' "$(abspath $(B))/$$t"; done >> $(B)/host/extra-tests.cmake
	@printf ')\n' >> $(B)/host/extra-tests.cmake
	@echo "make test: $(WINE_NOTE)"
	@cd $(B)/host && rm -f failed-runs.txt && status=0 && \
	for run in $$(seq $(REPEAT)); do \
	    [ $(REPEAT) = 1 ] || echo "make test: run $$run of $(REPEAT)"; \
	    rm -f Testing/Temporary/LastTestsFailed.log; \
	    echo "ctest --output-on-failure -j 2 $(WINE_EXCLUDE) $(CTEST_ARGS)"; \
	    ctest --output-on-failure -j 2 $(WINE_EXCLUDE) $(CTEST_ARGS) || status=1; \
	    if [ -f Testing/Temporary/LastTestsFailed.log ]; then \
	        cut -d: -f2- Testing/Temporary/LastTestsFailed.log >> failed-runs.txt; fi; \
	done; \
	if [ -s failed-runs.txt ]; then \
	    echo "make test: the tests that failed, and in how many of the $(REPEAT) run(s):"; \
	    sort failed-runs.txt | uniq -c | awk '{ printf "  %s  %d of $(REPEAT)\n", $$2, $$1 }'; \
	elif [ $(REPEAT) != 1 ]; then echo "make test: no test failed in $(REPEAT) runs"; fi; \
	exit $$status

# WINE=32 where 32-bit code cannot run: say so at once, before any build.
check-wine:
	@if [ "$(WINE)" = 32 ] && [ "$(CAN_RUN_I386)" != yes ]; then \
	    echo "make: WINE=32: this machine does not execute 32-bit x86 code, so Wine's 32-bit loader cannot run; use WINE=64" >&2; exit 1; fi

run: $(RUN_TREE)
	@echo "make run: $(RUN_NOTE)"
	./scripts/run-demo $(B) $(RUN_TREE)

# The installer of DIR: mcftool build writes the files of DIR into a copy
# of the built setup.exe. The folder's name reaches mcftool through the
# environment, never through a shell command line, so any name works; an
# earlier installer is removed first, so a failure leaves none behind.
# SIGN, the signing command, goes the same way to mcftool build --sign.
setup: export KORVU_SETUP_PAYLOAD = $(value PAYLOAD)
setup: export KORVU_SETUP_SIGN = $(value SIGN)
setup: host $(B)/win32/CMakeCache.txt
	@test -n "$$KORVU_SETUP_PAYLOAD" || { echo "usage: make setup PAYLOAD=DIR [BEST=1] [SIGN=CMD]" >&2; exit 2; }
	cmake --build $(B)/win32 -j $(JOBS) --target setup
	@mkdir -p $(B)/custom
	rm -f $(B)/custom/setup.exe
	$(B)/host/tools/mcftool/mcftool build --stub $(B)/win32/setup.exe $(if $(BEST),--best) \
	    $(if $(SIGN),--sign "$$KORVU_SETUP_SIGN") $(B)/custom/setup.exe "$$KORVU_SETUP_PAYLOAD"

fuzz: fuzzbuild
	./fuzz/run-all $(B)/fuzz $(FUZZ_SECONDS)

# The host table (decoder and CRC-32 beside zlib), then the same decoder as
# the installer builds it, under Wine: the i686 tree where this machine runs
# 32-bit code, else its x86_64 twin under wine64.
bench: host $(B)/$(RUN_TREE)/CMakeCache.txt
	$(B)/host/bench/korvu_bench
	cmake --build $(B)/$(RUN_TREE) -j $(JOBS) --target win32_decode_bench
	./bench/run-win32 $(B)/host $(B)/$(RUN_TREE)
	./bench/nsis-vs-setup.sh $(B)

clean:
	rm -rf $(B)
