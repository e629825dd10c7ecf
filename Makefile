# The front door: `make run` and `make test`. Both set the machine up first.
.PHONY: all bootstrap host win32 win32-product win64 test test-host test-windows run clean fuzz

all: host win32

bootstrap:
	@scripts/bootstrap

host: bootstrap
	@cmake --preset host >/dev/null
	@cmake --build --preset host

# The product: 32-bit Windows executables.
win32: bootstrap
	@cmake --preset win32 >/dev/null
	@cmake --build --preset win32

# Just the executables that ship or that `make run` starts.
win32-product: bootstrap
	@cmake --preset win32 >/dev/null
	@cmake --build --preset win32 --target VelmoraScheduler velmora_standin velmora_close_scheduler

# The same sources for 64-bit Windows, to test under Wine where 32-bit code cannot run.
win64: bootstrap
	@cmake --preset win64 >/dev/null
	@cmake --build --preset win64

test: test-host test-windows

test-host: host
	ctest --preset host -j2

test-windows: bootstrap
	@scripts/test-windows

run: win32-product
	@scripts/run-applet

# libFuzzer on the host build, FUZZ_SECONDS per target; not part of `make test`.
FUZZ_SECONDS ?= 60
fuzz: bootstrap
	@cmake --preset fuzz >/dev/null
	@cmake --build --preset fuzz
	@FUZZ_SECONDS=$(FUZZ_SECONDS) scripts/fuzz

clean:
	rm -rf build

# Endurance and performance, by hand (not part of `make test`). Under Wine they
# run the build this machine can run: the product, or its 64-bit twin where
# 32-bit code cannot run; size and imports are always the product's.
WINE_PRESET := $(shell scripts/can-run-32bit && echo win32 || echo win64)
.PHONY: soak bench

soak: win32 $(WINE_PRESET)
	@scripts/soak

bench: win32 $(WINE_PRESET)
	@scripts/bench
