.PHONY: all build test run clean

all: build

build:
	scripts/build.sh

test:
	scripts/test.sh

run:
	scripts/run.sh

clean:
	rm -rf build dist
