#!/usr/bin/env bash
# tools/jj_plot: the kind of every data file is told from its header, ping-pong
# sweeps are split into their two directions, every kind gives a PNG of the
# fixed size, values that are not finite are left out, and missing, empty and
# unknown files are refused. Exits 77 (skipped) when gnuplot is not installed.
set -uo pipefail

here=$(cd "$(dirname "$0")" && pwd)
plot=$here/../tools/jj_plot
fixtures=$here/fixtures/plot
readonly WIDTH=900 HEIGHT=600

if ! command -v gnuplot >/dev/null; then
  echo "SKIP: gnuplot is not installed"
  exit 77
fi

scratch=$(mktemp -d "${TMPDIR:-/tmp}/jj_plot_test.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
passed=0
failed=0

pass() { passed=$((passed + 1)); }
fail() {
  echo "FAIL: $*"
  failed=$((failed + 1))
}

# PNG signature, then the IHDR chunk with the width and height (big-endian).
png_size() {
  local bytes
  bytes=$(od -An -tx1 -N24 -v "$1" | tr -d ' \n')
  [[ ${bytes:0:16} == 89504e470d0a1a0a && ${bytes:24:8} == 49484452 ]] || return 1
  echo "$((16#${bytes:32:8}))x$((16#${bytes:40:8}))"
}

expect_picture() {
  local what=$1 png=$2 size
  if [[ ! -f $png ]]; then
    fail "$what: no picture $png"
  elif ! size=$(png_size "$png"); then
    fail "$what: $png is not a PNG file"
  elif [[ $size != "${WIDTH}x$HEIGHT" ]]; then
    fail "$what: picture is $size, not ${WIDTH}x$HEIGHT"
  else
    pass
  fi
}

# --- Kind detection: each program's file, and header-only files of the three
# programs that share the title "# Caratteristica IV giunzione Josephson",
# told apart without their column-title lines.
grep -v -e '^# I-<V>$' -e '^[0-9-]' "$fixtures/iv_up_down.dat" >"$scratch/iv_no_columns.dat"
grep -v -e '^# i0 - i - phi' -e '^[0-9-]' "$fixtures/trace_rf.dat" >"$scratch/trace_no_columns.dat"
while read -r file kind; do
  got=$("$plot" --kind "$file" 2>&1)
  if [[ $got == "$kind" ]]; then pass; else fail "--kind $(basename "$file"): '$got', expected $kind"; fi
done <<EOF
$fixtures/ivnorm_pingpong.dat ivnorm
$fixtures/ivnorm_no_sweeps.dat ivnorm
$fixtures/iv_up_down.dat iv
$scratch/iv_no_columns.dat iv
$fixtures/trace_rf.dat trace
$scratch/trace_no_columns.dat trace
$fixtures/strobe_chaotic.dat strobe
$fixtures/scatter_two_sweeps.dat scatter
$fixtures/lyap_two_sweeps.dat lyap
$fixtures/lyap_zero_span.dat lyap
$fixtures/scan_lyap_irregular.dat scan
EOF

# --- Ping-pong sweeps: jj_ivnorm's ascents stop short of the turning current
# (its descents start above their last point); jj_iv's ascent ends on it, so
# the turning current is written twice, once for each direction.
expect_series() {
  local file=$1 expected=$2 got
  [[ $file == /* ]] || file=$fixtures/$file
  got=$("$plot" --series "$file" | cut -f1,2 | tr '\t\n' ':,')
  if [[ $got == "$expected" ]]; then pass; else fail "--series $file: '$got', expected '$expected'"; fi
}
expect_series ivnorm_pingpong.dat "sweep 1 up:16,sweep 1 down:16,sweep 2 up:16,sweep 2 down:16,"
expect_series iv_up_down.dat "sweep 1 up:17,sweep 1 down:17,"
# A range of one current: one point up, the same current down.
grep -v -e '^0\.[0-35-9]' "$fixtures/iv_up_down.dat" >"$scratch/iv_one_current.dat"
expect_series "$scratch/iv_one_current.dat" "sweep 1 up:1,sweep 1 down:1,"
expect_series scatter_two_sweeps.dat "data:36,"
# A scan table: one row per scanned value, the missing one included.
expect_series scan_lyap_irregular.dat "DeltaI0 = 0 missing:0,DeltaI0 = 0.1:26,DeltaI0 = 0.15:18,DeltaI0 = 0.3:10,"

# --- A picture of the fixed size for every kind, also for files without data
# lines or without a finite value.
for fixture in "$fixtures"/*.dat; do
  name=$(basename "$fixture" .dat)
  [[ $name == unknown ]] && continue
  if "$plot" "$fixture" "$scratch/$name.png" >"$scratch/out" 2>&1; then
    expect_picture "$name" "$scratch/$name.png"
  else
    fail "$name: jj_plot failed: $(cat "$scratch/out")"
  fi
done

# Default picture name: .dat replaced by .png, or .png appended.
cp "$fixtures/strobe_chaotic.dat" "$scratch/default.dat"
cp "$fixtures/strobe_chaotic.dat" "$scratch/default.txt"
"$plot" "$scratch/default.dat" >/dev/null 2>&1
expect_picture "default name" "$scratch/default.png"
"$plot" "$scratch/default.txt" >/dev/null 2>&1
expect_picture "default name" "$scratch/default.txt.png"

# --- Values that are not finite ("nan", "-nan", "inf", as printf writes
# them) are left out of the picture and counted.
sed -e 's/^\(0\.1250000000\t\).*/\1-nan/' -e 's/^\(0\.3500000000\t\).*/\1inf/' \
  "$fixtures/iv_up_down.dat" >"$scratch/iv_nonfinite.dat"
report=$("$plot" "$scratch/iv_nonfinite.dat" 2>&1)
if [[ $report == *"34 data lines, 4 with values that are not finite"* ]]; then pass; else fail "non-finite iv: '$report'"; fi
expect_picture "non-finite iv" "$scratch/iv_nonfinite.png"
report=$("$plot" "$fixtures/lyap_zero_span.dat" "$scratch/zero_span.png" 2>&1)
if [[ $report == *"5 data lines, 5 with values that are not finite"* ]]; then pass; else fail "lyap zero span: '$report'"; fi

# --- Refused files: a clear message naming the file, a non-zero exit status
# and no picture.
: >"$scratch/empty.dat"
printf '\n  \n\t\n' >"$scratch/blank.dat"
cat "$fixtures/strobe_chaotic.dat" "$fixtures/scatter_two_sweeps.dat" >"$scratch/mixed.dat"
while read -r file message; do
  for mode in draw kind; do
    rm -f "$scratch/refused.png"
    if [[ $mode == draw ]]; then
      "$plot" "$file" "$scratch/refused.png" >"$scratch/out" 2>"$scratch/err"
    else
      "$plot" --kind "$file" >"$scratch/out" 2>"$scratch/err"
    fi
    status=$?
    err=$(cat "$scratch/err")
    if ((status == 0)); then
      fail "$mode $(basename "$file"): exit status 0"
    elif [[ $err != *"$file: $message"* ]]; then
      fail "$mode $(basename "$file"): message '$err', expected '$file: $message'"
    elif [[ -e $scratch/refused.png || -s $scratch/out ]]; then
      fail "$mode $(basename "$file"): wrote output although refused"
    else
      pass
    fi
  done
done <<EOF
$scratch/missing.dat no such file
$scratch/empty.dat empty file
$scratch/blank.dat empty file
$fixtures/unknown.dat unknown kind of file
$scratch/mixed.dat header lines of several kinds
EOF

# The data file is never overwritten by its own picture.
cp "$fixtures/lyap_two_sweeps.dat" "$scratch/self.dat"
if "$plot" "$scratch/self.dat" "$scratch/self.dat" >/dev/null 2>&1; then
  fail "drawing onto the data file itself was accepted"
elif ! cmp -s "$scratch/self.dat" "$fixtures/lyap_two_sweeps.dat"; then
  fail "the data file was changed"
else
  pass
fi

echo "jj_plot: $passed passed, $failed failed"
((failed == 0))
