#!/usr/bin/env bats
# macos-release/prove around the Mac job's steps, on Linux: a copy of it in
# a tree of its own whose steps are stand-ins that note their run, with
# sudo and caffeinate standing in as their manual pages describe them.

bats_load_library bats-support
bats_load_library bats-assert
# The Mac's own bash 3.2.57 and awk 20200816, as the job's scripts meet them.
PATH="${QUILLMERE_MACOS_TOOLS:?the folder of the Mac bash and awk}:$PATH"

setup() {
  local bin="$BATS_TEST_TMPDIR/bin" tree="$BATS_TEST_TMPDIR/tree" step
  calls="$BATS_TEST_TMPDIR/calls"
  package="$BATS_TEST_TMPDIR/quillmere-watchdog-1.0.pkg"
  prove="$tree/macos-release/prove"
  mkdir -p "$bin" "$tree/macos-release/smoke"
  PATH="$bin:$PATH"
  cp "$BATS_TEST_DIRNAME/../../macos-release/prove" "$prove"
  : >"$package"
  # Each step notes its run; the tick step takes three seconds.
  for step in check-release make-control smoke/install smoke/ticks smoke/agent smoke/keyboard \
    smoke/hung-command smoke/hold smoke/removal smoke/summary smoke/cleanup; do
    printf '#!/usr/bin/env bash\necho %s >>"%s"\n' "${step#smoke/}" "$calls" >"$tree/macos-release/$step"
  done
  echo "sleep 3" >>"$tree/macos-release/smoke/ticks"
  # sudo(8) and sudoers(5): -v asks for the password (taken as given) and
  # leaves a timestamp, unless timestamp_timeout is 0 ("always prompt");
  # -n without one fails, saying that a password is required.
  cat >"$bin/sudo" <<STAND_IN
#!/usr/bin/env bash
if [ "\$1" = -v ]; then
  [ "\$(cat "$BATS_TEST_TMPDIR/timestamp_timeout")" = 0 ] || touch "$BATS_TEST_TMPDIR/timestamp"
  exit 0
fi
if [ "\$1" = -n ]; then
  shift
  [ -e "$BATS_TEST_TMPDIR/timestamp" ] || { echo "sudo: a password is required" >&2 && exit 1; }
fi
[ "\$1" = -v ] || exec "\$@"
STAND_IN
  # caffeinate(8): -w PID holds its assertions until that process exits.
  cat >"$bin/caffeinate" <<'STAND_IN'
#!/usr/bin/env bash
while kill -0 "$3" 2>/dev/null; do sleep 0.1; done
STAND_IN
  chmod +x "$bin"/* "$tree"/macos-release/* "$tree"/macos-release/smoke/*
  echo 5 >"$BATS_TEST_TMPDIR/timestamp_timeout"
}

@test "prove stops at once where sudo keeps no timestamp, saying so and what to do" {
  echo 0 >"$BATS_TEST_TMPDIR/timestamp_timeout"
  run bash "$prove" "$package"
  assert_failure 69
  assert_output --partial "this Mac's sudo keeps no timestamp"
  assert_output --partial "a nonzero timestamp_timeout for this run"
  [ ! -e "$calls" ]
}

@test "a run ends with its pipe; the summary and the cleanup run once, after the steps" {
  run timeout 20 bash -c "'$prove' '$package' | cat"
  assert_success
  assert_line "prove: passed"
  run cat "$calls"
  assert_output "$(printf '%s\n' check-release make-control install ticks agent keyboard hung-command hold removal summary cleanup)"
}

@test "Ctrl-C, a closed terminal or a kill during a step runs the summary and the cleanup once, then stops" {
  local signal ended prove_pid target
  for signal in INT HUP TERM; do
    rm -f "$calls"
    # Started as from a terminal: a session of its own, INT not ignored.
    env --default-signal=INT setsid bash "$prove" "$package" >"$BATS_TEST_TMPDIR/log" 2>&1 &
    prove_pid=$!
    target=-$prove_pid
    # The terminal's Ctrl-C and hang-up reach its whole process group; a kill, prove alone.
    [ "$signal" != TERM ] || target=${target#-}
    until grep -qx ticks "$calls" 2>/dev/null; do sleep 0.1; done
    kill -s "$signal" -- "$target"
    ended=0
    wait "$prove_pid" || ended=$?
    run cat "$calls"
    assert_output "$(printf '%s\n' check-release make-control install ticks summary cleanup)"
    run cat "$BATS_TEST_TMPDIR/log"
    assert_line "prove: interrupted by SIG$signal at the ticks step"
    assert_equal "$ended" "$((128 + $(kill -l "$signal")))"
  done
}
