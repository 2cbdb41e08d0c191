#!/usr/bin/env bash
# Runs every benchmark of a Release build, then prints one summary table: the median and the
# worst of each figure, its target and the command behind it. Google Benchmark programs run 15
# repetitions (worst = the slowest repetition); the benchmarks that start the real program run
# each on an X server of its own (tests/private-x.sh, with -noreset), and the play benchmarks
# print their own median and worst; the latency and pacing benches run the program on three
# displays (no vsync, and 60 Hz and 144 Hz simulated by bench/display_sim.cpp), one column each.
set -euo pipefail
build_dir=${1:-build-release}
bench_dir="$build_dir/bench"
private_x="$(cd "$(dirname "$0")/.." && pwd)/tests/private-x.sh"
results=$(mktemp -d)
# The program plays its sound to a device paced as a sound card is, on any machine: the disk
# driver, writing to nowhere. A driver given beforehand stays.
export SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-disk} SDL_DISKAUDIOFILE=${SDL_DISKAUDIOFILE:-/dev/null}
trap 'rm -rf "$results"' EXIT

google_bench() {
  local name=$1 runner=()
  [ "$name" = startup_bench ] && runner=("$private_x")
  echo "== $name"
  (cd "$bench_dir" && "${runner[@]}" "./$name" --benchmark_repetitions=15 \
      --benchmark_display_aggregates_only=true --benchmark_out="$results/$name.csv" \
      --benchmark_out_format=csv)
}

play_bench() {
  local name=$1 status
  echo "== $name"
  set +e
  (cd "$bench_dir" && "$private_x" "./$name") | tee "$results/$name.txt" |
    grep -v -e '^result' -e '^modes'
  status=${PIPESTATUS[0]}
  set -e
  return "$status"
}

# A row from a Google Benchmark CSV: the median of the repetitions of the benchmark of the name
# (whatever its arguments after a slash) and the slowest repetition, in the column and unit asked
# for.
google_row() {
  local file=$1 name=$2 column=$3 scale=$4 unit=$5 decimals=$6 what=$7 target=$8 command=$9
  [ -f "$file" ] || return 0
  awk -F, -v name="$name" -v column="$column" -v scale="$scale" -v unit="$unit" \
      -v decimals="$decimals" -v what="$what" -v target="$target" -v command="$command" '
    { base = $1; gsub(/"/, "", base); sub(/_(mean|median|stddev|cv)$/, "", base); sub(/\/.*/, "", base) }
    base == name {
      value = $column * scale
      if ($1 ~ /_median"$/) { median = value }
      else if ($1 !~ /_(mean|stddev|cv)"$/ && (worst == "" || value > worst)) { worst = value }
    }
    END {
      if (median == "") exit
      format = "| %s | %." decimals "f %s | %." decimals "f %s | %s | `%s` |\n"
      printf format, what, median, unit, worst, unit, target, command
    }' "$file"
}

failed=()
for name in tick_bench records_bench render_bench startup_bench; do
  if [ -x "$bench_dir/$name" ]; then google_bench "$name" || failed+=("$name"); fi
done
for name in cpu_bench pacing_bench latency_bench audio_bench; do
  if [ -x "$bench_dir/$name" ]; then play_bench "$name" || failed+=("$name"); fi
done

# The slower of the two frames that do the most work, by median.
slowest=$(awk -F, '/^"(LockFlashWriteFrame|LineClearCollapseFrame)_median"/ {
    gsub(/"|_median/, "", $1); if ($4 > best) { best = $4; name = $1 } } END { print name }' \
    "$results/tick_bench.csv" 2>/dev/null || true)
case "$slowest" in
  LockFlashWriteFrame) slowest_what="LOCKFLASH frame that writes the piece and finds four full rows" ;;
  *) slowest=LineClearCollapseFrame; slowest_what="LINECLEAR frame that collapses four rows" ;;
esac

echo
echo "== summary (load average $(cut -d' ' -f1-3 /proc/loadavg), $(nproc) cores)"
echo
echo "| What | Median | Worst | Target | Command |"
echo "|---|---|---|---|---|"
google_row "$results/tick_bench.csv" ActiveFrame 4 1 ns 0 \
  "one tick and its two record copies, ACTIVE frame (CPU time)" "< 0.2 µs" \
  "$bench_dir/tick_bench --benchmark_filter=ActiveFrame"
google_row "$results/tick_bench.csv" ActiveFrameRecorded 4 1 ns 0 \
  "the same with its controls recorded, a new run every tick (CPU time)" "≤ 1.1 × the row above" \
  "$bench_dir/tick_bench --benchmark_filter=ActiveFrame"
google_row "$results/tick_bench.csv" "$slowest" 4 1 ns 0 \
  "the same, slowest frame: $slowest_what" "< 1 µs" \
  "$bench_dir/tick_bench --benchmark_filter=$slowest"
google_row "$results/render_bench.csv" BM_RenderBusyFrame 3 1 ms 2 \
  "one RenderFrame of a busy board at 960×720, llvmpipe, finished (glFinish)" "< 7 ms" \
  "$bench_dir/render_bench"
google_row "$results/startup_bench.csv" BM_StartToFirstGameFrame 3 1 ms 0 \
  "start-up: process start to the first presented game frame" "< 300 ms" \
  "$bench_dir/startup_bench --benchmark_filter=FirstGameFrame"
google_row "$results/startup_bench.csv" BM_StartToFirstGameFrameFullRanking 3 1 ms 0 \
  "the same with a ranking of ten games to read" "within noise of the row above" \
  "$bench_dir/startup_bench --benchmark_filter=FirstGameFrame"
google_row "$results/records_bench.csv" VerifyInProcess 4 1 ms 2 \
  "--verify of a ten-minute game (37,953 ticks): the replay read and played (CPU time)" "< 50 ms" \
  "$bench_dir/records_bench --benchmark_filter=VerifyInProcess"
google_row "$results/records_bench.csv" VerifyTheProgram 3 1 ms 1 \
  "velmora --verify of that game, process start to end (real time)" "< 50 ms" \
  "$bench_dir/records_bench --benchmark_filter=VerifyTheProgram"
for name in cpu_bench pacing_bench latency_bench audio_bench; do
  [ -f "$results/$name.txt" ] || continue
  awk -F'\t' -v command="$bench_dir/$name" '$1 == "result" {
      printf "| %s | %s | %s | %s | `%s` |\n", $2, $3, $4, $5, command }' "$results/$name.txt"
done
echo
echo "| On three displays: median / worst | no vsync | 60 Hz | 144 Hz | Target | Command |"
echo "|---|---|---|---|---|---|"
for name in pacing_bench latency_bench; do
  [ -f "$results/$name.txt" ] || continue
  awk -F'\t' -v command="$bench_dir/$name" '$1 == "modes" {
      printf "| %s | %s | %s | %s | %s | `%s` |\n", $2, $3, $4, $5, $6, command }' \
      "$results/$name.txt"
done

if [ ${#failed[@]} -gt 0 ]; then
  echo "failed: ${failed[*]}" >&2
  exit 1
fi
