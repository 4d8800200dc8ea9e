#!/usr/bin/env bash
# Runs the real orvendi-cli binary the way a user or a batch job would and compares what it
# prints and writes. Needs bash and coreutils only.
# Usage: end_to_end.sh PATH/TO/orvendi-cli WORK_FOLDER
set -u
cli=$1
work=$2
rm -rf "$work"
mkdir -p "$work"
cd "$work" || exit 1
export LC_ALL=C

failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}
# expect_status STATUS COMMAND...: runs the command with its output in out.txt and err.txt.
expect_status() {
  local want=$1
  shift
  "$@" >out.txt 2>err.txt
  local got=$?
  [ "$got" -eq "$want" ] || fail "$* exited with $got, not $want: $(cat err.txt)"
}
same_file() { cmp -s "$1" "$2" || fail "$1 and $2 differ"; }

# ---- new, validate, calculate on the default design
expect_status 0 "$cli" new design.json
expect_status 0 "$cli" new
same_file out.txt design.json
expect_status 0 "$cli" validate design.json
[ "$(cat out.txt)" = "design.json: no problems" ] || fail "validate printed: $(cat out.txt)"

expect_status 0 "$cli" calculate design.json --points points.csv --summary summary.json
[ -s err.txt ] && fail "calculate wrote to a standard error that is no terminal: $(cat err.txt)"
# The default design's figures; "Positional Error..." in the window shows them as 0.000235 and 0.000170.
expected_calculation="max_error_m: 0.00023518821345808112
rms_error_m: 0.00016962050679222883
points: 36
failed_points: 0"
[ "$(cat out.txt)" = "$expected_calculation" ] || fail "calculate printed: $(cat out.txt)"
cp out.txt calculate.txt
max=$(sed -n 's/^max_error_m: //p' calculate.txt)
grep -q "\"max_error_m\": $max," summary.json || fail "the summary lacks max_error_m $max: $(cat summary.json)"
[ "$(head -n 1 points.csv)" = "first_index,second_index,true_x_m,true_y_m,true_z_m,estimated_x_m,estimated_y_m,estimated_z_m,error_m" ] ||
  fail "points.csv header: $(head -n 1 points.csv)"
[ "$(wc -l <points.csv)" -eq 37 ] || fail "points.csv has $(wc -l <points.csv) lines"

# ---- --threads does not change a result
expect_status 0 "$cli" calculate design.json --threads 1 --points threads1.csv
expect_status 0 "$cli" calculate design.json --threads 2 --points threads2.csv
same_file threads1.csv threads2.csv
same_file threads1.csv points.csv

# ---- a sweep of three values of a key equals three calculations of edited files
noisy() { sed "s/\"noise_peak_v\": [^,]*,/\"noise_peak_v\": $1,/" design.json >"$2"; }
expect_status 0 "$cli" sweep design.json --vary noise_peak_v=0:4e-5:3 --out sweep.csv
[ "$(head -n 1 sweep.csv)" = "noise_peak_v,max_error_m,rms_error_m,failed_points" ] ||
  fail "sweep header: $(head -n 1 sweep.csv)"
{
  head -n 1 sweep.csv
  # The sweep writes each value as the shortest text that reads back to it, so the edited file
  # holds exactly the swept value.
  for value in $(tail -n +2 sweep.csv | cut -d, -f1); do
    noisy "$value" edited.json
    "$cli" calculate edited.json >edited.txt || fail "calculate of noise_peak_v $value failed"
    printf '%s,%s,%s,%s\n' "$value" "$(sed -n 's/^max_error_m: //p' edited.txt)" \
      "$(sed -n 's/^rms_error_m: //p' edited.txt)" "$(sed -n 's/^failed_points: //p' edited.txt)"
  done
} >calculated.csv
same_file sweep.csv calculated.csv
[ "$(tail -n +2 sweep.csv | cut -d, -f1 | tr '\n' ' ')" = "0 2e-05 4e-05 " ] || fail "sweep values: $(cat sweep.csv)"
[ "$(sed -n 2p sweep.csv | cut -d, -f3)" = "$(sed -n 's/^rms_error_m: //p' calculate.txt)" ] ||
  fail "the sweep's first row is not the default design's calculation"

# ---- shards joined without their repeated headers are the whole sweep, byte for byte
vary=(--vary noise_peak_v=0:4e-5:4 --vary algorithm_type=1:2:2 --runs 2 --seed 5)
expect_status 0 "$cli" sweep design.json "${vary[@]}" --out whole.csv
for i in 1 2 3; do
  expect_status 0 "$cli" sweep design.json "${vary[@]}" --shard "$i/3" --out "shard$i.csv"
done
{
  cat shard1.csv
  tail -n +2 shard2.csv
  tail -n +2 shard3.csv
} >joined.csv
same_file whole.csv joined.csv
[ "$(wc -l <whole.csv)" -eq 9 ] || fail "whole.csv has $(wc -l <whole.csv) lines"
grep -q ',mc_rms_error_m,' whole.csv || fail "a sweep with --runs 2 lacks the Monte-Carlo columns"

# ---- bed and montecarlo
expect_status 0 "$cli" bed design.json
grep -q '^Open loop bed voltages (V)$' out.txt || fail "bed printed: $(cat out.txt)"
grep -q '^  generator 2:  X .*  Y .*  Z ' out.txt || fail "bed printed: $(cat out.txt)"
expect_status 0 "$cli" bed design.json --json
grep -q '"currents_a"' out.txt || fail "bed --json printed: $(cat out.txt)"
noisy 2e-05 noisy.json
expect_status 0 "$cli" montecarlo noisy.json --runs 3 --seed 9 --points mc.csv --summary mc.json
for key in runs max_trueness_m mean_trueness_m max_precision_m mean_precision_m rms_error_m p95_error_m \
  failed_estimates; do
  grep -q "\"$key\": " mc.json || fail "the Monte-Carlo summary lacks $key"
  grep -q "^$key: " out.txt || fail "montecarlo does not print $key"
done
[ "$(wc -l <mc.csv)" -eq 37 ] || fail "mc.csv has $(wc -l <mc.csv) lines"

# ---- a German desktop still reads and writes "."
if locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
  LC_ALL=de_DE.UTF-8 "$cli" calculate design.json --points de_points.csv --summary de_summary.json >de.txt 2>&1 ||
    fail "calculate under de_DE.UTF-8 failed: $(cat de.txt)"
  same_file de.txt calculate.txt
  same_file de_points.csv points.csv
  same_file de_summary.json summary.json
  LC_ALL=de_DE.UTF-8 "$cli" sweep design.json --vary noise_peak_v=0:4e-5:3 --out de_sweep.csv >/dev/null 2>&1 ||
    fail "sweep under de_DE.UTF-8 failed"
  same_file de_sweep.csv sweep.csv
  LC_ALL=de_DE.UTF-8 "$cli" sweep design.json --vary noise_peak_v=0:2.5e-5:2 --out de_vary.csv >/dev/null 2>&1 ||
    fail "a sweep under de_DE.UTF-8 does not read 2.5e-5"
  grep -q '^2\.5e-05,' de_vary.csv || fail "de_vary.csv: $(cat de_vary.csv)"
  grep -q '[0-9]\.[0-9]' de.txt || fail "no '.' decimals under de_DE.UTF-8: $(cat de.txt)"
else
  fail "the locale de_DE.UTF-8 is missing (scripts/install-deps generates it)"
fi

# ---- --help on every subcommand
for command in new validate calculate bed montecarlo sweep; do
  expect_status 0 "$cli" "$command" --help
  grep -q "orvendi-cli $command" out.txt || fail "$command --help printed: $(cat out.txt)"
done
expect_status 0 "$cli" --help

# ---- a standard output that cannot be written is a failure
if [ -w /dev/full ]; then
  "$cli" calculate design.json >/dev/full 2>err.txt
  [ $? -eq 1 ] || fail "calculate into /dev/full did not exit with 1"
fi

# ---- new - is standard output; a value without physical sense is warned of, the status stays 0
expect_status 0 "$cli" new -
same_file out.txt design.json
sed 's/"frequency_hz": [^,]*,/"frequency_hz": 0,/' design.json >zero_hz.json
for command in validate calculate; do
  expect_status 0 "$cli" "$command" zero_hz.json
  grep -qx 'warning: zero_hz.json: frequency_hz: 0 is not above 0;.*' err.txt || fail "$command warned: $(cat err.txt)"
done

# ---- a command that fails, into /dev/full or on a target it may not replace, leaves every output as it was
printf 'old' | tee old.csv >old.json
before=$(ls -A)
for command in "calculate design.json" "montecarlo noisy.json --runs 2" "sweep design.json --vary offset_v=0:1:2"; do
  outputs=(--points old.csv --summary old.json)
  [ "${command%% *}" = sweep ] && outputs=(--out old.csv)
  # shellcheck disable=SC2086
  "$cli" $command "${outputs[@]}" >/dev/full 2>err.txt
  got=$?
  [ "$got" -eq 1 ] || fail "$command into /dev/full exited with $got, not 1"
  [ "$(cat old.csv old.json)$(ls -A)" = "oldold$before" ] || fail "$command into /dev/full changed files: $(ls -A)"
done
if [ "$(id -u)" -eq 0 ]; then
  sticky=$(mktemp -d)
  cp "$cli" "$sticky/orvendi-cli" && cp design.json old.csv old.json "$sticky/"
  chmod 1777 "$sticky" && chmod 666 "$sticky/old.json" && chown nobody "$sticky/old.csv"
  # As another user, old.json (root's) cannot be replaced in a sticky folder; old.csv (the user's) could.
  (cd "$sticky" && setpriv --reuid=nobody --regid=nogroup --clear-groups ./orvendi-cli calculate design.json \
    --points old.csv --summary old.json) >out.txt 2>err.txt
  got=$?
  [ "$got" -eq 2 ] || fail "an old.json that cannot be replaced gave status $got, not 2: $(cat err.txt)"
  [ "$(cat "$sticky/old.csv" "$sticky/old.json")$(ls -A "$sticky" | wc -l)" = "oldold4" ] || fail "the sticky folder changed"
  rm -rf "$sticky"
fi

# ---- SIGHUP, SIGTERM and two quick SIGINTs stop a sweep and leave no file behind
for signals in HUP TERM "INT INT"; do
  "$cli" sweep design.json --vary noise_peak_v=0:1e-4:1000000 --out long.csv --quiet 2>err.txt &
  pid=$!
  for _ in $(seq 200); do compgen -G '.long.csv.*' >/dev/null && break || sleep 0.1; done
  for signal in $signals; do kill -s "$signal" "$pid"; done
  for _ in $(seq 300); do kill -0 "$pid" 2>/dev/null && sleep 0.1 || break; done
  kill -s KILL "$pid" 2>/dev/null
  wait "$pid"
  got=$?
  [ "$got" -eq 130 ] && [ -z "$(compgen -G '*long.csv*')" ] || fail "a sweep sent $signals: status $got, $(ls -A)"
done

# ---- bad input: status 2, one line on standard error, nothing left behind
mkdir bad
cd bad || exit 1
cp ../design.json design.json
printf '{"format": "orvendi-design", "version": 1, "frequency_hz": ' >malformed.json
printf '{"format": "orvendi-drawing", "version": 1}\n' >other.json
mkdir folder
printf 'old' >kept.csv
ln kept.csv hard.csv
ln -s kept.csv soft.csv
before=$(ls -A)
bad() {
  "$cli" "$@" >out.txt 2>err.txt
  local got=$?
  [ "$got" -eq 2 ] || fail "$* exited with $got, not 2: $(cat err.txt)"
  [ "$(wc -l <err.txt)" -eq 1 ] || fail "$* wrote $(wc -l <err.txt) lines on standard error: $(cat err.txt)"
  [ -s out.txt ] && fail "$* wrote on standard output: $(cat out.txt)"
  rm -f out.txt err.txt
  [ "$(ls -A)" = "$before" ] || fail "$* left files behind: $(ls -A)"
  [ "$(cat kept.csv)" = "old" ] || fail "$* changed kept.csv"
}
bad calculate malformed.json --points kept.csv
grep -q . malformed.json || fail "malformed.json is empty"
bad calculate other.json --summary s.json
bad calculate none.json
bad validate none.json
bad frobnicate design.json
bad
bad calculate
bad calculate design.json --no-such-option
bad calculate design.json --threads 0
bad calculate design.json --points nowhere/points.csv
bad calculate design.json --points folder
bad calculate design.json --summary folder
bad bed design.json --threads many
bad sweep design.json --vary no_such_key=0:1:3 --out out.csv
bad sweep design.json --vary noise_peak_v=0:1:0 --out out.csv
bad sweep design.json --vary noise_peak_v=zero:one:3 --out out.csv
bad sweep design.json --vary noise_peak_v=0:1:x --out out.csv
bad sweep design.json --vary noise_peak_v=0:1:2 --shard 3/2 --out out.csv
bad sweep design.json --vary noise_peak_v=0:1:2 --runs 0 --out out.csv
bad sweep design.json --vary noise_peak_v=0:1:2 --out nowhere/out.csv
bad sweep design.json --vary noise_peak_v=0:1:2 --out folder
bad sweep design.json --vary noise_peak_v=0:1:2 --out kept.csv --runs -3
bad sweep design.json --vary scan_x_step=0.1:0:2 --out out.csv
bad sweep design.json --vary noise_peak_v=0:1:1001 --vary offset_v=0:1:1000 --out out.csv
grep -q '1001000 designs' <("$cli" sweep design.json --vary noise_peak_v=0:1:1001 --vary offset_v=0:1:1000 \
  --out out.csv 2>&1) || fail "a large sweep does not say how many designs it has"
bad montecarlo design.json --runs 0
bad montecarlo design.json
bad montecarlo design.json --runs 2 --seed -1
bad new nowhere/design.json
bad new folder
bad new ''
bad calculate design.json --points ''
bad sweep design.json --vary noise_peak_v=0:1:2 --out ''
# Two outputs naming one file, whether or not it exists, by any name; a file name that holds a line break.
bad calculate design.json --points p.csv --summary ./p.csv
bad montecarlo design.json --runs 2 --points kept.csv --summary ../bad/kept.csv
bad calculate design.json --points kept.csv --summary hard.csv
bad calculate design.json --points soft.csv --summary kept.csv
bad validate $'two\nlines\e[2J.json'
cd ..

if [ "$failures" -gt 0 ]; then
  echo "$failures checks failed" >&2
  exit 1
fi
echo "orvendi-cli end to end: all checks passed"
