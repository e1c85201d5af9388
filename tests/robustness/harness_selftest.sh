#!/usr/bin/env bash
# The harness must catch what it is for: runs the robustness harness on the
# faulty stand-in in faulty/ and checks that it reports each of the stand-in's
# faults, and no fault on a sound run.
#   harness_selftest.sh ROBUSTNESS_BINARY TESTS_FOLDER
set -uo pipefail
harness=$1
tests=$2
report=$("$harness" --bin "$tests/robustness/faulty" --data "$tests" --program jj_bench \
  --random 0 --timeout 1)
status=$?
failed=0
expect() {
  if ! grep -q -- "$1" <<<"$report"; then
    echo "not reported: $1"
    failed=1
  fi
}
expect "killed by signal Segmentation fault"
expect "sanitizer report: ==1==ERROR: AddressSanitizer"
expect "exit 0 where the run must stop (unreadable answer)"
expect "still running after 1 s (killed)"
expect "exit status 3"
if grep -q "FAULT jj_bench \[valid stream\]" <<<"$report"; then
  echo "a sound run reported as a fault"
  failed=1
fi
if ((status == 0)); then
  echo "the harness exited 0 on faulty runs"
  failed=1
fi
((failed)) && { echo "$report"; exit 1; }
echo "1 passed, 0 failed"
