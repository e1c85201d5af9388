#!/usr/bin/env bash
# tools/jj_scan: the merged table holds exactly the data lines of the single
# runs, a scan killed half way keeps its finished runs and its resumption runs
# only the others, a value the program refuses is reported and never merged,
# faulty answers templates are refused, and the remote options carry the runs
# there and back. Exits 77 (skipped) when GNU parallel or gnuplot is missing.
#   tests/jj_scan_test.sh JJ_IVNORM
set -uo pipefail

here=$(cd "$(dirname "$0")" && pwd)
scan=$here/../tools/jj_scan
plot=$here/../tools/jj_plot
ivnorm=$(realpath "${1:?usage: jj_scan_test.sh JJ_IVNORM}")

for tool in parallel gnuplot; do
  if ! command -v "$tool" >/dev/null; then
    echo "SKIP: $tool is not installed"
    exit 77
  fi
done

scratch=$(mktemp -d "${TMPDIR:-/tmp}/jj_scan_test.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
cd "$scratch" || exit 1
passed=0
failed=0

pass() { passed=$((passed + 1)); }
fail() {
  echo "FAIL: $*"
  failed=$((failed + 1))
}
check() {
  local what=$1
  shift
  if "$@"; then pass; else fail "$what"; fi
}

# A tiny IV run of the rf-driven junction, continuous from rest (so every run
# is reproducible): five currents, a few rf periods. {I1} is scanned.
cat >tiny.txt <<'EOF'
# IV of the rf-driven junction over I1
anything.dat
1.0
1.0
{I1}
0.1
0
12.6
6.3
0
1
0.25
1
1
0
EOF
# The same run over BetaC, which the program refuses to be 0.
sed -e 's/^{I1}$/1.2/' -e '0,/^1\.0$/s//{BetaC}/' tiny.txt >beta.txt

# The data lines of a direct run of jj_ivnorm with ANSWERS, each behind VALUE.
direct_lines() {
  local answers=$1 value=$2
  mkdir -p direct
  (cd direct && "$ivnorm" <"../$answers" >/dev/null 2>&1)
  grep -v '^#' "direct/runs/$value.dat" | sed "s/^/$value\t/"
}

# --- Two values: the merged table is the runs' data lines behind their value,
# in the order of the values; each answers file names runs/VALUE.dat first and
# holds the value in place of the placeholder.
"$scan" -d two "$ivnorm" tiny.txt 1.5 0.5 >out 2>err
status=$?
check "two-value scan succeeds: $(cat err)" test "$status" -eq 0
check "answers of 0.5: first answer runs/0.5.dat, then the template with 0.5 for {I1}" \
  cmp -s two/answers/0.5.txt <(grep -v '^#' tiny.txt | sed -e 's|anything.dat|runs/0.5.dat|' -e 's/{I1}/0.5/')
mkdir -p direct/runs
{ direct_lines two/answers/0.5.txt 0.5; direct_lines two/answers/1.5.txt 1.5; } >expected
check "merged data lines equal the direct runs" cmp -s <(grep -v '^#' two/scan.dat) expected
check "merged table has 10 data lines" test "$(grep -vc '^#' two/scan.dat)" -eq 10
check "merged header line" test "$(head -n1 two/scan.dat)" == "# jj_scan jj_ivnorm I1"
check "merged column titles" grep -qx '# I1-I0-V media-phi(0)-v(0)' two/scan.dat
check "jj_plot tells a scan table" test "$("$plot" --kind two/scan.dat)" == scan
check "map drawn" test -s two/scan.png
check "series: one row per value" test "$("$plot" --series two/scan.dat | cut -f1,2 | tr '\t\n' ':,')" == "I1 = 0.5:5,I1 = 1.5:5,"

# --- Killed half way: a wrapper counts every run of the program and keeps
# each run alive a moment after the program has written its data file, so
# that the kill finds runs whose file is written but whose job is not done.
mkdir counting
cat >counting/jj_ivnorm <<EOF
#!/usr/bin/env bash
# The job runs the program in .work/VALUE.XXXXXX.
folder=\$(basename "\$PWD")
echo "start \${folder%.*}" >>"$scratch/executions"
"$ivnorm"
status=\$?
echo "written \${folder%.*}" >>"$scratch/executions"
sleep 0.4
echo "end \${folder%.*}" >>"$scratch/executions"
exit \$status
EOF
chmod +x counting/jj_ivnorm
setsid "$scan" -d killed -j 2 counting/jj_ivnorm tiny.txt 0:0.25:1.25 >/dev/null 2>&1 &
leader=$!
# Values whose program has written its file but whose run has not ended.
under_way() { awk '$1 == "written" { run[$2] = 1 } $1 == "end" { delete run[$2] } END { for (v in run) print v }' executions 2>/dev/null; }
for _ in $(seq 400); do
  (($(find killed/runs -name '*.dat' 2>/dev/null | wc -l) >= 2)) && [[ -n $(under_way) ]] && break
  sleep 0.02
done
# (Quietly: the shell would report the kill.)
{
  kill -KILL -- -"$leader"
  wait "$leader"
} 2>/dev/null
finished=$(find killed/runs -name '*.dat' -printf '%f\n' | sed 's/\.dat$//' | sort)
count=$(grep -c . <<<"$finished")
check "the kill came half way ($count of 6 runs finished)" test "$count" -ge 2 -a "$count" -lt 6
unfinished=$(under_way)
check "the kill stopped runs under way" test -n "$unfinished"
counted=0
for value in $unfinished; do
  [[ -e killed/runs/$value.dat ]] && counted=1
done
check "no run killed under way left a data file" test "$counted" -eq 0
complete=1
for value in $finished; do
  [[ $(grep -vc '^#' "killed/runs/$value.dat") -eq 5 ]] || complete=0
done
check "every finished run is complete" test "$complete" -eq 1
check "nothing else among the runs" test -z "$(find killed/runs -mindepth 1 ! -name '*.dat')"
"$scan" -d killed -j 2 counting/jj_ivnorm tiny.txt 0:0.25:1.25 >out 2>err
status=$?
check "resumed scan succeeds: $(cat err)" test "$status" -eq 0
once=1
for value in $finished; do
  [[ $(grep -cx -- "start $value" executions) -eq 1 ]] || once=0
done
check "no finished run was computed again: $(grep start executions | sort | uniq -c | tr '\n' ' ')" test "$once" -eq 1
check "every value ran to the end" test "$(grep '^end' executions | sort -u | wc -l)" -eq 6
check "resumed table has all 30 data lines" test "$(grep -vc '^#' killed/scan.dat)" -eq 30
: >executions
"$scan" -d killed -j 2 counting/jj_ivnorm tiny.txt 0:0.25:1.25 >/dev/null 2>&1
check "a finished scan runs nothing again" test ! -s executions
check "job log: one entry per value" test "$(tail -n +2 killed/joblog | wc -l)" -eq 6

# --- A refused value (BetaC = 0): reported with its answers file and the
# program's error, listed as missing, and no data line of it merged.
"$scan" -d refused "$ivnorm" beta.txt 0 1 >out 2>err
status=$?
check "scan with a refused value exits with status 1 (got $status)" test "$status" -eq 1
check "failure names the answers file: $(cat err)" grep -q 'answers: answers/0.txt' err
check "failure quotes the program's error" grep -q 'refused: any non-zero BetaC' err
check "no data file of the refused value" test ! -e refused/runs/0.dat
check "table lists the missing value" grep -q '^# Missing BetaC = 0: failed, exit status 1: jj_ivnorm: answer "0" to "BetaC ?" refused' refused/scan.dat
check "no data line of the refused value" test -z "$(grep -v '^#' refused/scan.dat | awk '$1 == 0')"
check "the accepted value is merged" test "$(grep -v '^#' refused/scan.dat | awk '$1 == 1' | wc -l)" -eq 5
check "the map shows the missing row" grep -q $'BetaC = 0 missing\t0' <("$plot" --series refused/scan.dat)

# --- A Slurm array: the prepared folder runs nothing; task i runs the value
# on line i; --missing lists the other lines; the merge takes what is done.
"$scan" --prepare -d slurm "$ivnorm" tiny.txt 0:0.5:2 >/dev/null 2>err
check "prepared folder holds no run" test -z "$(ls slurm/runs)"
check "job array of 5 tasks" grep -qx '#SBATCH --array=1-5' slurm/slurm.sh
(cd slurm && SLURM_ARRAY_TASK_ID=2 bash slurm.sh && SLURM_ARRAY_TASK_ID=3 bash slurm.sh)
check "task 2 ran the value on line 2" test -f slurm/runs/0.5.dat
check "missing tasks listed as an array" test "$("$scan" --missing slurm)" == "1,4-5"
"$scan" --merge slurm >/dev/null 2>&1
check "merged the two finished tasks" test "$(grep -v '^#' slurm/scan.dat | cut -f1 | sort -u | tr '\n' ' ')" == "0.5 1 "

# --- Faulty templates and values are refused before anything runs.
printf 'a.dat\n{I1}\n{BetaC}\n' >two_placeholders.txt
printf '{out}\n1\n' >placeholder_first.txt
printf 'a.dat\n1\nx{I1}\n' >inside_word.txt
while IFS='|' read -r template values message; do
  # shellcheck disable=SC2086
  "$scan" -d refusal "$ivnorm" "$template" $values >/dev/null 2>err
  status=$?
  if ((status == 0)) || ! grep -qF -- "$message" err; then
    fail "$template $values: status $status, message '$(cat err)', expected '$message'"
  else
    pass
  fi
done <<'EOF'
two_placeholders.txt|1|several placeholders
placeholder_first.txt|1|the first answer is the output file
inside_word.txt|1|a placeholder is a whole answer
tiny.txt|1 x|x: not a number or a range
tiny.txt|2:-1:3|leads away from LAST
EOF
check "refused templates create no runs" test -z "$(ls refusal/runs 2>/dev/null)"
"$scan" -d two "$ivnorm" beta.txt 1 >/dev/null 2>err
check "a folder of other answers is refused" grep -q 'a scan of other answers' err

# --- Several machines: GNU parallel's own transfer, return and cleanup, with
# an ssh stand-in that runs the "remote" command in a home folder per host on
# this machine. Needs rsync, as GNU parallel's transfers do.
if command -v rsync >/dev/null; then
  cat >fake_ssh <<EOF
#!/usr/bin/env bash
while [[ \$1 == -* ]]; do shift; done
home=$scratch/hosts/\$1
shift
[[ \$1 == -- ]] && shift
# A login shell's environment, as sshd gives it: GNU parallel's remote side
# runs the command with \$SHELL.
mkdir -p "\$home" && cd "\$home" && exec env -i HOME="\$home" SHELL=/bin/bash PATH="\$PATH" bash -c "\$*"
EOF
  chmod +x fake_ssh
  "$scan" -d remote -S 1/alpha,1/beta -P --ssh="$scratch/fake_ssh" "$ivnorm" tiny.txt 0.5 1.5 >out 2>err
  status=$?
  check "remote scan succeeds: $(cat err)" test "$status" -eq 0
  check "remote table equals the local one" cmp -s <(grep -v '^#' remote/scan.dat) <(grep -v '^#' two/scan.dat)
  check "runs went to both machines" test "$(tail -n +2 remote/joblog | cut -f2 | sort -u | tr '\n' ' ')" == "alpha beta "
  check "remote work folders removed" test -z "$(find hosts -type f)"
else
  echo "(rsync is not installed: the remote case is not run)"
fi

echo "jj_scan: $passed passed, $failed failed"
((failed == 0))
