#!/usr/bin/env bash
# Demonstration run: every example answers file in examples/ is fed to its
# program inside the output folder, so that the data files land there, and
# each data file is drawn with tools/jj_plot.
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

echo
echo "Wrote in $(pwd):"
ls -l
if ((${#undrawn[@]})); then
  echo "Could not draw: ${undrawn[*]}" >&2
  exit 1
fi
