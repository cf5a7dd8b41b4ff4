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

clean:
	rm -rf build
