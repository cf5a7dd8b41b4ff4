# vantorel liftorn: `make run` and `make test` are all a fresh machine needs.
.PHONY: all build run test fuzz bench clean

all: build

build:
	scripts/build.sh all

run:
	scripts/run.sh

test:
	scripts/test.sh

fuzz:
	scripts/fuzz.sh $(FUZZ_SECONDS)

# Figures only: never part of the tests.
bench: build
	tools/bench-upload.sh
	tools/bench-zip.sh
	tools/bench-paint.sh
	tools/bench-startup.sh
	tools/bench-capture.sh

clean:
	rm -rf build
