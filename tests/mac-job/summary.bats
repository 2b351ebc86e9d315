#!/usr/bin/env bats
# The Mac job's verdicts (macos-release/smoke/lib.sh) and its summary
# (macos-release/smoke/summary) on Linux, with a stand-in for sw_vers.

bats_load_library bats-support
bats_load_library bats-assert

smoke="$BATS_TEST_DIRNAME/../../macos-release/smoke"

setup() {
  build="$BATS_TEST_TMPDIR/build"
  mkdir -p "$build/smoke-test/results" "$BATS_TEST_TMPDIR/bin"
  printf '#!/bin/sh\necho 15.5\n' >"$BATS_TEST_TMPDIR/bin/sw_vers"
  chmod +x "$BATS_TEST_TMPDIR/bin/sw_vers"
  PATH="$BATS_TEST_TMPDIR/bin:$PATH"
  unset GITHUB_STEP_SUMMARY GITHUB_ACTIONS
}

# step VERDICT COMMANDS: COMMANDS as a step of the smoke test whose failure
# is recorded under VERDICT.
step() {
  local name=$1
  shift
  run bash -c "STEP=test VERDICT=$name; . '$smoke/lib.sh' '$build'; $*"
}

@test "a verdict not exercised is a warning annotation with its reason on GitHub" {
  GITHUB_ACTIONS=true step app-nap 'verdict app-nap not-exercised "the control kept the bound: 100% on time"'
  assert_success
  assert_line "::warning title=smoke test, test::app-nap not exercised: the control kept the bound: 100%25 on time"
  run cat "$build/smoke-test/results/verdicts.txt"
  assert_output "app-nap not-exercised the control kept the bound: 100% on time"
}

@test "a step that fails records its verdict as failed, with the reason, and notes the failure" {
  step hung-command 'fail "the supervisor ended 3.2 s after its ps hung"'
  assert_failure 1
  run cat "$build/smoke-test/results/verdicts.txt"
  assert_output "hung-command fail the supervisor ended 3.2 s after its ps hung"
  [ -f "$build/smoke-test/failed" ]
}

@test "a step that ends unsuccessfully without a reason still fails its verdict" {
  step hold 'false'
  assert_failure 1
  run cat "$build/smoke-test/results/verdicts.txt"
  assert_output --regexp '^hold fail the step ended with status 1'
}

@test "the summary has a line for every verdict, and says which were not run" {
  step install 'verdict install pass "one supervisor"; verdict keyboard-start not-exercised "never activated"; verdict keyboard-open fail "a|b"'
  assert_success
  run "$smoke/summary" "$build"
  assert_success
  run cat "$build/smoke-test/summary.md"
  assert_line "| Install under launchd | pass | one supervisor |"
  assert_line "| Keyboard at start-up | not exercised | never activated |"
  assert_line '| Keyboard when opened | **fail** | a\|b |'
  for title in "Tick punctuality (shipped app)" "App Nap" "Hung command" "Hold without release"; do
    assert_line "| $title | not run | an earlier step failed, or this one ended before its verdict |"
  done
  assert_equal "$(grep -c '^| .* | \(pass\|\*\*fail\*\*\|not exercised\|not run\) |' "$build/smoke-test/summary.md")" 10
}

@test "the summary carries the tick table with each run's start-up" {
  local round app
  for round in 1 2; do
    for app in shipped without-key control; do
      awk -v app="$app" -v n="$round" 'BEGIN {
        printf "listing %s %s %.3f\n", app, n, 1000 * n
        for (k = 0; k < 12; k++) printf "listing %s %s %.3f\n", app, n, 1000 * n + 7.5 + 5 * k
        printf "end %s %s %.3f\n", app, n, 1000 * n + 65 }'
    done
  done >"$BATS_TEST_TMPDIR/runs"
  awk -f "$smoke/stats.awk" -f "$smoke/ticks.awk" "$BATS_TEST_TMPDIR/runs" >"$build/smoke-test/results/ticks.txt"
  : >"$build/smoke-test/results/verdicts.txt"
  GITHUB_STEP_SUMMARY="$BATS_TEST_TMPDIR/step-summary" run "$smoke/summary" "$build"
  assert_success
  run cat "$BATS_TEST_TMPDIR/step-summary"
  assert_line "| shipped | 1 | 7.500 | 11 | +0.000 | +0.000 | 0 | on-time |"
  assert_line --regexp '^\| control \| all 2 \| \| 22 \| \+0\.000 \| \+0\.000 \| 0 \| on-time \(late in 0 runs\) \|$'
}

@test "without a smoke test under way, the summary says so" {
  rm -rf "$build/smoke-test"
  run "$smoke/summary" "$build"
  assert_success
  run cat "$build/smoke-test/summary.md"
  assert_line "The smoke test did not start: a step before it failed (see the job's log)."
}
