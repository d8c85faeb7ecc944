.PHONY: all build test run clean dist bench

all: build

build:
	scripts/build.sh

test:
	scripts/test.sh

run:
	scripts/run.sh

dist:
	scripts/dist.sh

bench:
	scripts/bench.sh

clean:
	rm -rf build dist
