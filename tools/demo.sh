#!/usr/bin/env bash
# Demonstration run: every example answers file in examples/ is fed to its
# program inside the output folder, so that the data files land there.
#   tools/demo.sh BUILD_DIR OUTPUT_DIR
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
out=${2:-demo-output}
examples=$(cd "$(dirname "$0")/../examples" && pwd)
mkdir -p "$out"
cd "$out"

# examples/jj_<program>_<case>.txt is answered by build/jj_<program>; its
# console goes to <name>.console beside the data file it names.
for answers in "$examples"/jj_*_*.txt; do
  name=$(basename "$answers" .txt)
  program=$(echo "$name" | cut -d_ -f1-2)
  echo "== $program < examples/$name.txt"
  "$build/$program" < "$answers" > "$name.console"
done

echo
echo "Wrote in $(pwd):"
ls -l
