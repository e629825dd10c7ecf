# The front door: `make run` and `make test`. Both set the machine up first.
.PHONY: all bootstrap host win32 test test-host test-win32 run clean

all: host win32

bootstrap:
	@scripts/bootstrap

host: bootstrap
	@cmake --preset host >/dev/null
	@cmake --build --preset host

win32: bootstrap
	@cmake --preset win32 >/dev/null
	@cmake --build --preset win32

test: test-host test-win32

test-host: host
	ctest --preset host -j2

# One X server for the whole Wine run; tests share the build's private prefix
# and the registry, so they run one at a time.
test-win32: win32
	scripts/with-display ctest --preset win32

run: win32
	@scripts/run

clean:
	rm -rf build
