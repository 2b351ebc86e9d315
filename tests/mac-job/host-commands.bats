#!/usr/bin/env bats
# The Mac job's host command timings (macos-release/smoke/commands.awk) on
# made-up logs of the timed stand-ins.

bats_load_library bats-support
bats_load_library bats-assert

smoke="$BATS_TEST_DIRNAME/../../macos-release/smoke"

@test "each of the first ticks: ls, the ps | grep pipeline and open -g, in milliseconds" {
  cat >"$BATS_TEST_TMPDIR/commands" <<'LOG'
shipped 1 ls 100.000 100.010 0
shipped 1 ls 105.000 105.004 0
shipped 1 ps 105.005 105.020 0
shipped 1 grep 105.006 105.031 0
shipped 1 open 105.040 107.540 0
shipped 1 ls 110.000 110.003 0
shipped 1 ps 110.004 110.014 0
shipped 1 grep 110.005 110.012 0
control 1 ls 200.000 200.020 0
LOG
  run awk -v first=2 -f "$smoke/stats.awk" -f "$smoke/commands.awk" "$BATS_TEST_TMPDIR/commands"
  assert_success
  assert_line "tick shipped 1 0 10 - -"
  assert_line "tick shipped 1 1 4 26 2500"
  refute_line --regexp '^tick shipped 1 2 '
  assert_line "tick control 1 0 20 - -"
  assert_line "command ls 4 7 20"
  assert_line "command open 1 2500 2500"
}

@test "a line that is not a command's is refused" {
  run awk -f "$smoke/stats.awk" -f "$smoke/commands.awk" <<<"shipped 1 ls 100.000"
  assert_failure 2
}
