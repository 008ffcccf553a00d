# make run    build, then run setup.exe on the bundled sample application
# make test   build and run every test (host, fuzz, Win32 under Wine)
# make build  build everything
# make setup PAYLOAD=DIR [BEST=1]   build/custom/setup.exe carrying the files of DIR
# make fuzz [FUZZ_SECONDS=600]   run the fuzzers for longer
# B=DIR puts the build trees elsewhere (default: build).
B ?= build
JOBS ?= $(shell nproc)
FUZZ_SECONDS ?= 600
SRC := $(CURDIR)

.PHONY: all build deps host win32 fuzzbuild test run setup fuzz bench clean

all: build

deps:
	@./scripts/install-deps

$(B)/host/CMakeCache.txt: | deps
	cmake -S . -B $(B)/host -DCMAKE_BUILD_TYPE=Release

$(B)/fuzz/CMakeCache.txt: | deps
	CC=clang CXX=clang++ cmake -S . -B $(B)/fuzz -DKORVU_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo

$(B)/win32/CMakeCache.txt: | deps
	cmake -S . -B $(B)/win32 -DCMAKE_TOOLCHAIN_FILE=$(SRC)/cmake/mingw-i686.cmake \
	      -DCMAKE_BUILD_TYPE=MinSizeRel -DMCFTOOL=$(abspath $(B))/host/tools/mcftool/mcftool

host: deps $(B)/host/CMakeCache.txt
	cmake --build $(B)/host -j $(JOBS)

fuzzbuild: deps $(B)/fuzz/CMakeCache.txt
	cmake --build $(B)/fuzz -j $(JOBS)

win32: host $(B)/win32/CMakeCache.txt
	cmake --build $(B)/win32 -j $(JOBS)

build: host fuzzbuild win32

# One ctest run over all three trees (the host tree includes the others),
# so the run ends with one summary line. Wine under Xvfb now and then loses
# a program to an X error at start-up; a failed test is run once more, and
# its first failure stays in the log.
test: build
	@printf 'subdirs("%s" "%s")\n' "$(abspath $(B))/fuzz" "$(abspath $(B))/win32" > $(B)/host/extra-tests.cmake
	cd $(B)/host && ctest --output-on-failure -j 2 --repeat until-pass:2 $(CTEST_ARGS)

run: win32
	./scripts/run-demo $(B)

# The installer of DIR: mcftool build writes the files of DIR into a copy
# of the built setup.exe. The folder's name reaches mcftool through the
# environment, never through a shell command line, so any name works; an
# earlier installer is removed first, so a failure leaves none behind.
setup: export KORVU_SETUP_PAYLOAD = $(value PAYLOAD)
setup: host $(B)/win32/CMakeCache.txt
	@test -n "$$KORVU_SETUP_PAYLOAD" || { echo "usage: make setup PAYLOAD=DIR [BEST=1]" >&2; exit 2; }
	cmake --build $(B)/win32 -j $(JOBS) --target setup
	@mkdir -p $(B)/custom
	rm -f $(B)/custom/setup.exe
	$(B)/host/tools/mcftool/mcftool build --stub $(B)/win32/setup.exe $(if $(BEST),--best) \
	    $(B)/custom/setup.exe "$$KORVU_SETUP_PAYLOAD"

fuzz: fuzzbuild
	./fuzz/run-all $(B)/fuzz $(FUZZ_SECONDS)

bench: host
	$(B)/host/bench/korvu_bench

clean:
	rm -rf $(B)
