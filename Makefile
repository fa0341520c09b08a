# Two entry points: `make run` plays at the console, `make test` builds and
# runs every test. Both configure CMake on first use.
BUILD ?= build
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
SHELL := /bin/bash

.PHONY: all build run test test-order slow bench bench-eval same timeuse match calibrate sprt games openings test-asan test-tsan fuzz fuzz-smoke fuzz-corpus clean

all: build

$(BUILD)/CMakeCache.txt:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release

build: $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS)

# Debian's opening book is installed first when it is missing and we may
# (root, apt-get); without it Vorn plays, searching from the first move.
run: build
	@if [ ! -f /usr/share/games/gnuchess/book.bin ] && [ "$$(id -u)" = 0 ] && command -v apt-get > /dev/null; then \
	  echo "installing gnuchess-book (the opening book)"; \
	  DEBIAN_FRONTEND=noninteractive apt-get install -y -q gnuchess-book > /dev/null 2>&1 || \
	  { apt-get update -q > /dev/null 2>&1 && DEBIAN_FRONTEND=noninteractive apt-get install -y -q gnuchess-book > /dev/null 2>&1; } || \
	  echo "gnuchess-book could not be installed: playing without a book"; \
	fi
	./$(BUILD)/vorn

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS) -LE slow

# The whole fast suite once more, all of it in one process and in a shuffled
# order (fixed by ORDER_SEED, so a failure can be repeated): a test that
# leans on what another left behind, or leaves something that breaks
# another, fails here. It runs one test at a time: a minute or so.
ORDER_SEED ?= 7
test-order: build
	./$(BUILD)/tests/vorn_tests --gtest_shuffle --gtest_random_seed=$(ORDER_SEED) --gtest_brief=1

slow: build
	cd $(BUILD) && ctest --output-on-failure -L slow

# Speed on this machine, each figure a ratio against its yardstick: perft 6
# against stockfish, "-bench" at a fixed depth (BENCH_DEPTH, default 12)
# against a previous build (PREVIOUS=/path/to/old/vorn) and stockfish, the
# short benchmark (BENCH_SHORT, default 7) against the long one, start-up to
# "uciok" and its memory, a game's first search against a later one; every
# figure the best of BENCH_RUNS runs (default 5), the engines by turns.
PREVIOUS ?=
bench: build
	scripts/bench.sh ./$(BUILD)/vorn $(PREVIOUS)

# Nanoseconds per static evaluation (needs Google Benchmark).
bench-eval: $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) --target vorn_eval_bench -j $(JOBS)
	./$(BUILD)/tests/vorn_eval_bench

# How long each kind of "go" takes against the time it was given (UCI
# movetime and clocks, xboard st), on the build and on any other binaries
# given: make timeuse VORN_OTHERS=/path/to/older/vorn. A benchmark: the
# figures depend on the machine's load.
timeuse: build
	scripts/timeuse.py ./$(BUILD)/vorn $(VORN_OTHERS)

# Proof that the working tree behaves byte for byte like BASE (a git
# revision, default HEAD) at fixed depth: benchmarks, perft, the EPD tools
# and console, xboard and UCI sessions on both binaries, only the wall-clock
# figures masked (scripts/same.sh). BASE is built once per commit in build-same/.
# WORK_FLAGS and BASE_FLAGS go before every case's arguments on that side:
# `make same BASE=REV WORK_FLAGS=-classic` proves the classic engine
# unchanged since REV.
BASE ?= HEAD
BASE_FLAGS ?=
WORK_FLAGS ?=
same: build
	scripts/same.sh --base $(BASE) --work $(BUILD)/vorn --base-flags "$(BASE_FLAGS)" --work-flags "$(WORK_FLAGS)"

# An SPRT of the build against BASE (a git revision, built once in
# build-same/ as `make same` builds it, or a binary): game pairs from
# scripts/openings-2000.epd at SPRT_TC (default 8+0.08) or SPRT_NODES nodes
# a move, SPRT_CONCURRENCY games at once (default one a core), until the
# test of ELO0 against ELO1 (defaults 0 and 5, alpha = beta = 0.05)
# decides. Every game goes to SPRT_PGN. Not part of `make test`.
SPRT_TC ?= 8+0.08
SPRT_NODES ?=
ELO0 ?= 0
ELO1 ?= 5
SPRT_CONCURRENCY ?= $(JOBS)
SPRT_PGN ?= $(BUILD)/sprt.pgn
sprt: build
	scripts/sprt.sh --base $(BASE) --new $(BUILD)/vorn --tc $(SPRT_TC) $(if $(SPRT_NODES),--nodes $(SPRT_NODES)) \
	  --elo0 $(ELO0) --elo1 $(ELO1) --concurrency $(SPRT_CONCURRENCY) --pgn $(SPRT_PGN)

# Any two UCI engines with the game runner, its arguments in ARGS:
#   make games ARGS='--engine cmd=build/vorn arg=-uci --engine cmd=/usr/games/stockfish
#                    --tc 1+0.01 --rounds 4 --pgn games.pgn'
ARGS ?=
games: build
	./$(BUILD)/vorn-games $(ARGS)

# The balanced openings again (scripts/make-openings.sh: book lines of 8 to
# 10 plies scored by stockfish), into OPENINGS_OUT.
OPENINGS_OUT ?= scripts/openings-2000.epd
openings: build
	scripts/make-openings.sh $(OPENINGS_OUT)

# Games against an engine from Debian's packages inside xboard, headless
# under Xvfb (scripts/match.sh; installs xboard, Xvfb and the opponent when
# missing). Each opening of scripts/openings.epd is played twice with the
# colours reversed; at the end it prints the score, the Elo difference with
# its 95% margin, time and depth a move of both sides and every fault of
# Vorn's. VORN= plays another binary (then nothing is built); FIRST=11
# continues a match in the same OUT folder; THREADS= sets Vorn's search
# threads (xboard's -smpCores, which an opponent that plays on threads gets
# too). OPPONENT=vorn plays Vorn against Vorn: the binary of
# OPPONENT_VORN= (the same one by default) at OPPONENT_THREADS= threads.
# OPENINGS= plays from another EPD file: OPENINGS=scripts/start.epd plays
# every game from the start position, Vorn's openings from its book.
# Not part of `make test`.
OPPONENT ?= fairymax
PROTOCOL ?= xboard
GAMES ?= 10
FIRST ?= 1
TC ?= 0:20
MPS ?= 40
INC ?=
VORN ?=
OUT ?=
THREADS ?= 1
OPPONENT_VORN ?=
OPPONENT_THREADS ?= 1
OPENINGS ?=
# VARIANT=fischerandom: Chess960 from start positions shuffled by SEED.
VARIANT ?=
SEED ?=
ELO ?=
VORN_ELO ?=
match: $(if $(VORN),,build)
	scripts/match.sh --opponent $(OPPONENT) --protocol $(PROTOCOL) --games $(GAMES) --first $(FIRST) \
	  --tc $(TC) $(if $(INC),--inc $(INC),--mps $(MPS)) --vorn $(or $(VORN),$(BUILD)/vorn) \
	  --threads $(THREADS) --opponent-threads $(OPPONENT_THREADS) \
	  $(if $(OPPONENT_VORN),--opponent-vorn $(OPPONENT_VORN)) $(if $(OUT),--out $(OUT)) \
	  $(if $(OPENINGS),--openings $(OPENINGS)) \
	  $(if $(VARIANT),--variant $(VARIANT)) $(if $(SEED),--seed $(SEED)) \
	  $(if $(ELO),--elo $(ELO)) $(if $(VORN_ELO),--vorn-elo $(VORN_ELO))

# The strength levels against Debian's stockfish at the same UCI_Elo, inside
# xboard, at 60 s + 0.6 s a game (scripts/calibrate.py, through match.sh):
# CAL_GAMES games a level (default 30) from the balanced openings, both
# colours, CAL_PARALLEL levels side by side, and full strength against
# stockfish at CAL_FULL (or at each of several figures: CAL_FULL=2000,2200;
# CAL_LEVELS= plays no level). Each level keeps its games in
# CAL_OUT/elo-N; run it again to continue where it stopped. Takes hours;
# not part of `make test`.
CAL_LEVELS ?= 1400,1600,1800,2000
CAL_GAMES ?= 30
CAL_PARALLEL ?= 2
CAL_FULL ?= 2100
CAL_OUT ?= $(BUILD)/calibrate
calibrate: build
	scripts/calibrate.py --levels "$(CAL_LEVELS)" --games $(CAL_GAMES) --parallel $(CAL_PARALLEL) \
	  --full "$(CAL_FULL)" --out $(CAL_OUT) --vorn $(BUILD)/vorn

# The whole fast suite built with AddressSanitizer and UndefinedBehavior-
# Sanitizer. Reports stop the process (no recovery) and are also written to
# files, so a report from an engine process that a test drives over pipes
# fails the run even when the test itself did not notice. The time-control
# tests are left to `make test`: they bound wall-clock time, which the
# sanitizers' slowdown oversteps.
ASAN_BUILD ?= build-asan
SANITIZERS = -fsanitize=address,undefined -fno-sanitize-recover=all
SAN_LOGS = $(CURDIR)/$(ASAN_BUILD)/sanitizer-logs
SAN_ENV = ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:log_path=$(SAN_LOGS)/asan \
	UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1:log_path=$(SAN_LOGS)/ubsan

$(ASAN_BUILD)/CMakeCache.txt:
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Release \
	  -DCMAKE_CXX_FLAGS="$(SANITIZERS) -g -fno-omit-frame-pointer" \
	  -DCMAKE_EXE_LINKER_FLAGS="$(SANITIZERS)"

test-asan: $(ASAN_BUILD)/CMakeCache.txt
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	rm -rf $(SAN_LOGS) && mkdir -p $(SAN_LOGS)
	cd $(ASAN_BUILD) && $(SAN_ENV) ctest --output-on-failure -j $(JOBS) -LE slow -E '^TimeControlTest\.'
	@if [ -n "$$(ls -A $(SAN_LOGS))" ]; then cat $(SAN_LOGS)/*; echo "sanitizer reports above"; exit 1; fi

# ThreadSanitizer over the searches of several threads: the in-process
# tests of the parallel search (searches stopped, pondered, budgeted and
# timed at random moments, the table resized between them, table slots
# written by two threads at once) and an engine process driven with
# several threads over UCI and xboard (stop, ponderhit, isready, a table
# resize, quit during a search). Any report, also one from the engine
# process, fails.
TSAN_BUILD ?= build-tsan
TSAN_LOGS = $(CURDIR)/$(TSAN_BUILD)/sanitizer-logs
TSAN_TESTS = ^(SearchThreadsTest|ThreadedSearchTest|ThreadedProtocolTest)\.

$(TSAN_BUILD)/CMakeCache.txt:
	cmake -S . -B $(TSAN_BUILD) -DCMAKE_BUILD_TYPE=Release \
	  -DCMAKE_CXX_FLAGS="-fsanitize=thread -g" -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=thread"

test-tsan: $(TSAN_BUILD)/CMakeCache.txt
	cmake --build $(TSAN_BUILD) -j $(JOBS) --target vorn vorn_tests
	rm -rf $(TSAN_LOGS) && mkdir -p $(TSAN_LOGS)
	cd $(TSAN_BUILD) && TSAN_OPTIONS=halt_on_error=0:log_path=$(TSAN_LOGS)/tsan \
	  ctest --output-on-failure -j $(JOBS) -R '$(TSAN_TESTS)'
	@if [ -n "$$(ls -A $(TSAN_LOGS))" ]; then cat $(TSAN_LOGS)/*; echo "ThreadSanitizer reports above"; exit 1; fi

# valgrind's memcheck over a short UCI and a short xboard session with the
# normal build: any error or leak (the tables kept for the program's life
# are still reachable, which is no leak) fails.
VALGRIND = valgrind -q --tool=memcheck --leak-check=full --error-exitcode=9

valgrind: build
	@for session in tests/hardening/sessions/*.txt; do \
	  echo "== memcheck $$session"; \
	  $(VALGRIND) ./$(BUILD)/vorn < $$session > /dev/null || exit 1; \
	done

# libFuzzer targets (clang), built in their own folder; `make fuzz-smoke`
# runs each briefly from its seed corpus (copied, so the tree stays clean),
# `make fuzz-run TARGET=FenFuzz FUZZ_SECONDS=600` runs one for longer.
FUZZ_BUILD ?= build-fuzz
FUZZ_TARGETS = FenFuzz CommandLineFuzz SuiteFuzz XboardFuzz UciFuzz PGNFuzz BookFuzz
FUZZ_SMOKE_SECONDS ?= 20
FUZZ_FLAGS = -seed=1 -timeout=60 -rss_limit_mb=4096 -max_len=4096

$(FUZZ_BUILD)/CMakeCache.txt:
	cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_COMPILER=clang++ -DVORN_FUZZ=ON

fuzz: $(FUZZ_BUILD)/CMakeCache.txt
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target $(FUZZ_TARGETS)

fuzz-smoke: fuzz
	@for t in $(FUZZ_TARGETS); do \
	  dir=$(FUZZ_BUILD)/smoke/$$t; rm -rf $$dir && mkdir -p $$dir && echo "== $$t" && \
	  if ./$(FUZZ_BUILD)/tests/$$t $(FUZZ_FLAGS) $$([ -f tests/fuzz/$$t.dict ] && echo -dict=tests/fuzz/$$t.dict) \
	       -max_total_time=$(FUZZ_SMOKE_SECONDS) -artifact_prefix=$$dir/ $$dir tests/fuzz/corpus/$$t > $$dir.log 2>&1; \
	  then grep -E '^Done' $$dir.log; \
	  else tail -40 $$dir.log; echo "the input is kept in $$dir/"; exit 1; fi; \
	done

# Every kept input of every target run once, with no mutation: the same
# inputs every time, so CI sees regressions without new random findings.
fuzz-corpus: fuzz
	@for t in $(FUZZ_TARGETS); do \
	  echo "== $$t" && \
	  ./$(FUZZ_BUILD)/tests/$$t $(FUZZ_FLAGS) -runs=0 tests/fuzz/corpus/$$t 2>&1 | grep -E '^(#[0-9]+ +(INITED|DONE))|ERROR|SUMMARY|Done' ; \
	  [ $${PIPESTATUS[0]} -eq 0 ] || exit 1; \
	done

TARGET ?= FenFuzz
FUZZ_SECONDS ?= 600
fuzz-run: fuzz
	mkdir -p $(FUZZ_BUILD)/corpus/$(TARGET)
	./$(FUZZ_BUILD)/tests/$(TARGET) $(FUZZ_FLAGS) $(if $(wildcard tests/fuzz/$(TARGET).dict),-dict=tests/fuzz/$(TARGET).dict) \
	  -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 \
	  $(FUZZ_BUILD)/corpus/$(TARGET) tests/fuzz/corpus/$(TARGET)

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD)
