#!/usr/bin/env bash
# Demonstration run: every example answers file in examples/ is fed to its
# program inside the output folder, so that the data files land there, and
# each data file is drawn with tools/jj_plot; then one parameter scan of
# examples/scan/ runs there with tools/jj_scan and its map is drawn.
#   tools/demo.sh BUILD_DIR OUTPUT_DIR
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
out=${2:-demo-output}
tools=$(cd "$(dirname "$0")" && pwd)
examples=$(cd "$tools/../examples" && pwd)
mkdir -p "$out"
cd "$out"

drawing=1
if ! command -v gnuplot >/dev/null; then
  echo "gnuplot is not installed (Debian package gnuplot-nox): the data files are not drawn."
  drawing=0
fi
undrawn=()

# examples/jj_<program>_<case>.txt is answered by build/jj_<program>; its
# console goes to <name>.console beside the data file <name>.dat it names
# (jj_bench writes none), which is drawn as <name>.png.
for answers in "$examples"/jj_*_*.txt; do
  name=$(basename "$answers" .txt)
  program=$(echo "$name" | cut -d_ -f1-2)
  echo "== $program < examples/$name.txt"
  rm -f "$name.dat"
  "$build/$program" < "$answers" > "$name.console"
  if ((drawing)) && [[ -f $name.dat ]]; then
    "$tools/jj_plot" "$name.dat" "$name.png" | sed 's/^/   /' || undrawn+=("$name.dat")
  fi
done

# One parameter scan (tools/jj_scan, runs spread over the cores by GNU
# parallel): jj_ivnorm for every rf amplitude I1 of examples/scan/, merged into
# one table and drawn as the map of the Shapiro tongues.
scan=scan-ivnorm_shapiro_tongues
echo "== tools/jj_scan jj_ivnorm examples/scan/ivnorm_shapiro_tongues.txt 0:0.05:6"
if command -v parallel >/dev/null; then
  rm -rf "$scan"
  "$tools/jj_scan" --dir "$scan" "$build/jj_ivnorm" "$examples/scan/ivnorm_shapiro_tongues.txt" 0:0.05:6 |
    sed 's/^/   /' || undrawn+=("$scan/scan.dat")
else
  echo "GNU parallel is not installed (Debian package parallel): the scan is not run."
fi

echo
echo "Wrote in $(pwd):"
ls -l
if ((${#undrawn[@]})); then
  echo "Could not draw: ${undrawn[*]}" >&2
  exit 1
fi
