# make run    install what is missing, build, start the program from its program folder
# make test   install what is missing, build with sanitizers, run every test and the fuzz pass
# make fuzz   the fuzz pass alone: seeds, past findings and a fixed number of inputs per target
# make fuzz-campaign FUZZ_SECONDS=600 FUZZ_JOBS=8
#             a real fuzzing campaign: FUZZ_SECONDS per target from random seeds, FUZZ_JOBS
#             targets at a time (FUZZ_TARGETS="a b" for some only); findings in build-fuzz/campaign
# make bench  build optimised and run the benchmarks
JOBS ?= $(shell nproc)
FUZZ_SECONDS ?= 600
FUZZ_JOBS ?= $(JOBS)
FUZZ_TARGETS ?=

.PHONY: all deps build run test unit fuzz fuzz-build fuzz-campaign bench clean

all: build

deps:
	@bash tools/install-deps.sh

build: deps
	cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	cmake --build build -j $(JOBS)

run: build
	@if [ -x build/bin/VelSlatoraEdu ]; then \
	  cd build/bin && ./VelSlatoraEdu; \
	else \
	  echo "VelSlatoraEdu was not built."; exit 1; \
	fi

test: deps unit fuzz

unit:
	cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DVSE_SANITIZE=ON >/dev/null
	cmake --build build-asan -j $(JOBS)
	cd build-asan && ctest --output-on-failure -j $(JOBS)

fuzz-build:
	cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVSE_FUZZ=ON \
	  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
	cmake --build build-fuzz -j $(JOBS)

fuzz: fuzz-build
	bash tools/run-fuzzers.sh build-fuzz/fuzz "$(FUZZ_TARGETS)"

fuzz-campaign: deps fuzz-build
	bash tools/fuzz-campaign.sh build-fuzz/fuzz $(FUZZ_SECONDS) $(FUZZ_JOBS) "$(FUZZ_TARGETS)"

bench: deps
	cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	cmake --build build -j $(JOBS)
	bash tools/run-benchmarks.sh build/bench

clean:
	rm -rf build build-asan build-fuzz
