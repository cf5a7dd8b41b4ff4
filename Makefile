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
	@if [ -x tools/bench-paint.sh ]; then tools/bench-paint.sh; fi

clean:
	rm -rf build
