#!/usr/bin/env bats
# The Mac job's tick analysis (macos-release/smoke/ticks.awk) on listings
# made up here: each run as the logging `ls` would note it under launchd.

bats_load_library bats-support
bats_load_library bats-assert

smoke="$BATS_TEST_DIRNAME/../../macos-release/smoke"

# run_lines APP RUN STARTUP LATE...: one run's lines. Start-up's listing at
# a time of the run's own, the first tick STARTUP s later (start-up arms it
# five seconds ahead, so STARTUP is 5 s plus start-up's own time), then the
# tick of each following slot LATE s after its due time, or none for "-";
# the measurement ends 65 s after start-up's listing, as the job's does.
run_lines() {
  local app=$1 number=$2 startup=$3
  shift 3
  awk -v app="$app" -v n="$number" -v startup="$startup" -v lates="$*" 'BEGIN {
    start = 1765000000 + 1000 * n + (app == "without-key" ? 300 : app == "control" ? 600 : 0)
    first = start + startup
    printf "listing %s %s %.3f\n", app, n, start
    printf "listing %s %s %.3f\n", app, n, first
    k = split(lates, late, " ")
    for (i = 1; i <= k; i++) if (late[i] != "-") printf "listing %s %s %.3f\n", app, n, first + 5 * i + late[i]
    printf "end %s %s %.3f\n", app, n, start + 65
  }'
}
on_time="0.010 0.012 0.008 0.011 0.009 0.010 0.013 0.010 0.009 0.011 0.010 0.012"

# Runs that alternate the three apps, twice: SHIPPED, WITHOUT_KEY and
# CONTROL are each "STARTUP LATE..." for both of that app's runs, unless
# CONTROL_2 gives the control's second run.
alternating() {
  local round
  for round in 1 2; do
    # shellcheck disable=SC2086 # one value a word
    run_lines shipped "$round" $SHIPPED
    # shellcheck disable=SC2086
    run_lines without-key "$round" $WITHOUT_KEY
    if [ "$round" = 2 ] && [ -n "${CONTROL_2:-}" ]; then
      # shellcheck disable=SC2086
      run_lines control "$round" $CONTROL_2
    else
      # shellcheck disable=SC2086
      run_lines control "$round" ${CONTROL:?}
    fi
  done
}

judge() {
  alternating >"$BATS_TEST_TMPDIR/runs"
  run awk -f "$smoke/stats.awk" -f "$smoke/ticks.awk" "$BATS_TEST_TMPDIR/runs"
}

@test "on time after a slow start-up: passes, start-up reported on its own" {
  # 8 s from start-up's listing to the first tick: 3 s of start-up itself.
  SHIPPED="8.000 $on_time" WITHOUT_KEY="8.000 $on_time" CONTROL="8.000 $on_time" judge
  assert_success
  assert_line "startup shipped 1 8.000"
  assert_line "slot shipped 1 1 +0.010 served"
  assert_line --regexp '^verdict ticks pass '
  assert_line --regexp '^note the shipped app met the goal'
  assert_line --regexp '^verdict app-nap not-exercised the control kept the bound too'
}

@test "one stall of the control among many ticks on time: not App Nap at work" {
  # The fifth slot's tick 8 s late, so the app skips the sixth slot.
  stalled="5.100 0.010 0.012 0.008 0.011 8.000 - 0.013 0.010 0.009 0.011 0.010 0.012"
  SHIPPED="5.100 $on_time" WITHOUT_KEY="5.100 $on_time" CONTROL="$stalled" CONTROL_2="5.100 $on_time" judge
  assert_success
  assert_line --regexp '^verdict app-nap not-exercised the control was late in some runs only'
  refute_line --regexp '^verdict app-nap (pass|fail)'
  assert_line --regexp '^verdict ticks pass '
  # The stalled tick, and the slot it skipped, served by it 3 s late.
  assert_line "slot control 1 5 +8.000 served"
  assert_line "slot control 1 6 +3.000 served"
}

@test "the control steadily late: App Nap at work, and the shipped app kept the bound" {
  # A start-up of 1.5 s, which counts for no tick.
  late="6.500 3.000 2.800 3.100 2.900 3.000 3.200 2.700 3.000 3.100 2.900 3.000 3.000"
  SHIPPED="6.500 $on_time" WITHOUT_KEY="6.500 $on_time" CONTROL="$late" judge
  assert_success
  assert_line --regexp '^app control 2 [0-9]+ \+3\.000 .* late 2$'
  assert_line --regexp '^verdict app-nap pass App Nap was at work'
  assert_line --regexp '^note without LSAppNapIsDisabled the ticks kept the bound in some run'
  assert_line --regexp '^verdict ticks pass '
}

@test "the shipped app past the bound: the tick verdict fails, and so does the job" {
  late="5.100 1.500 1.600 1.400 1.500 1.500 1.700 1.500 1.400 1.600 1.500 1.500 1.500"
  SHIPPED="$late" WITHOUT_KEY="5.100 $on_time" CONTROL="5.100 $on_time" judge
  assert_failure 1
  assert_line --regexp '^verdict ticks fail the shipped app: median \+1\.500 s, 22 of 22 slots past'
}

@test "a run without a tick cannot be judged" {
  SHIPPED="5.100 $on_time" WITHOUT_KEY="5.100 $on_time" CONTROL="70.000" judge
  assert_failure 2
  assert_line "error control run 1: no tick after the start-up listing"
}

@test "a tick still missing at the end counts as overdue" {
  # The last ticks never come: the app stopped ticking after the fifth.
  SHIPPED="5.100 0.010 0.010 0.010 0.010 0.010" WITHOUT_KEY="5.100 $on_time" CONTROL="5.100 $on_time" judge
  assert_failure 1
  assert_line "slot shipped 1 6 +29.900 overdue"
}
