# vantorel liftorn: `make run` and `make test` are all a fresh machine needs.
.PHONY: all build run test fuzz bench dist clean

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
	tools/bench-queue.sh
	tools/bench-hotkeys.sh

# The installer, the portable zip, SHA256SUMS and the signed update manifest
# in build/dist. SIGNING_KEY=path/to/release-key.pem signs a release;
# SIGNING_KEY=dev the build's throw-away key; without either it refuses.
# SIGNING_CERT=cert.pfx (SIGNING_CERT_PASSWORD) signs the executables; a
# release without it is refused unless SIGNING_CERT=none.
dist:
	SIGNING_CERT="$(SIGNING_CERT)" scripts/dist.sh $(SIGNING_KEY)

clean:
	rm -rf build
