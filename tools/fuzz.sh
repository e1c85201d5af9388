#!/usr/bin/env bash
# Coverage-guided fuzzing of the programs' answer streams with libFuzzer
# (clang, Debian packages clang and libclang-rt-14-dev), under AddressSanitizer
# and UndefinedBehaviorSanitizer.
#
#   tools/fuzz.sh [SECONDS_PER_PROGRAM [PROGRAM...]]     (default 180 s, all seven)
#
# Each fuzz input is a program's answer stream after the output file name,
# which the entry point fixes to "fuzz.dat" (tests/fuzz/fuzz_program.cpp); the
# fuzzer runs in build-fuzz/fuzz/<program>/scratch, so no input writes outside
# it. The seeds are the base streams of the robustness harness. An input that
# runs longer than FUZZ_TIMEOUT seconds (default 3) is saved as a timeout
# artifact and fuzzing goes on; crashes are saved as crash artifacts. Saved
# artifacts are in build-fuzz/fuzz/<program>/artifacts; add the ones worth
# keeping to tests/fixtures/fuzz/<program>/ as whole streams
# ("fuzz.dat" line first), where the robustness harness runs them.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-180}
shift $(($# > 0 ? 1 : 0))
programs=("$@")
((${#programs[@]})) || programs=(jj_trace jj_iv jj_strobe jj_ivnorm jj_lyap jj_scatter jj_bench)
timeout=${FUZZ_TIMEOUT:-3}
build=${FUZZ_BUILD:-build-fuzz}

if ! command -v clang++ >/dev/null ||
   ! compgen -G "/usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a" >/dev/null; then
  sudo=""
  [[ $(id -u) -eq 0 ]] || sudo="sudo"
  $sudo apt-get update
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends clang libclang-rt-14-dev
fi

CXX=clang++ cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DJJ_SANITIZE=ON -DJJ_FUZZ=ON \
  -DJJ_BUILD_TESTS=OFF -DJJ_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" -j2 --target "${programs[@]/#/fuzz_}"

for program in "${programs[@]}"; do
  work="$build/fuzz/$program"
  mkdir -p "$work/seeds" "$work/corpus" "$work/artifacts" "$work/scratch"
  for stream in tests/robustness/streams/"$program"_*.txt; do
    # The answers column, without the file name (the entry point writes it).
    grep -v '^#' "$stream" | grep -v '^name ' | awk '{print $2}' >"$work/seeds/$(basename "$stream" .txt)"
  done
  echo "== $program: $seconds s"
  # -handle_xfsz=0: a write past the entry point's file size limit fails
  # (EFBIG) and the program must report it, instead of a crash in libFuzzer.
  (cd "$work/scratch" &&
    "../../../fuzz_$program" -fork=1 -ignore_crashes=1 -ignore_timeouts=1 -ignore_ooms=1 \
      -handle_xfsz=0 -timeout="$timeout" -rss_limit_mb=4096 -max_len=8192 \
      -max_total_time="$seconds" -dict=../../../../tests/fuzz/answers.dict \
      -artifact_prefix=../artifacts/ ../corpus ../seeds </dev/null) >"$work/fuzz.log" 2>&1 || true
  grep -E "^#[0-9]+:" "$work/fuzz.log" | tail -1
  echo "artifacts in $work/artifacts: $(ls "$work/artifacts" | wc -l)"
done
