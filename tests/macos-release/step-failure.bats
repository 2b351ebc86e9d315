#!/usr/bin/env bats
# The Mac job's steps (macos-release/smoke/lib.sh) on Linux: a step that
# fails leaves its reason in its verdict and notes the failure, so that the
# cleanup keeps launchd's view and the unified log for the run's artifacts;
# install and removal where their order matters.

bats_load_library bats-support
bats_load_library bats-assert
# The Mac's own bash 3.2.57 and awk 20200816, as the job's scripts meet them.
PATH="${QUILLMERE_MACOS_TOOLS:?the folder of the Mac bash and awk}:$PATH"

smoke="$BATS_TEST_DIRNAME/../../macos-release/smoke"

setup() {
  build="$BATS_TEST_TMPDIR/build"
  mkdir -p "$build/smoke-test/results"
  unset GITHUB_STEP_SUMMARY GITHUB_ACTIONS
}

# step VERDICT COMMANDS: COMMANDS as a step of the smoke test whose failure
# is recorded under VERDICT.
step() {
  local name=$1
  shift
  run bash -c "STEP=test VERDICT=$name; . '$smoke/lib.sh' '$build'; $*"
}

@test "a step that fails records its verdict as failed, with the reason, and notes the failure" {
  step hung-command 'fail "the supervisor ended 3.2 s after its ps hung"'
  assert_failure 1
  run cat "$build/smoke-test/results/verdicts.txt"
  assert_output "hung-command fail the supervisor ended 3.2 s after its ps hung"
  [ -f "$build/smoke-test/failed" ]
}

@test "a step's name and the verdict its failure is recorded under are its file's" {
  printf '#!/usr/bin/env bash\n. "%s/lib.sh"\nfail "no agent runs"\n' "$smoke" >"$BATS_TEST_TMPDIR/removal"
  run bash "$BATS_TEST_TMPDIR/removal" "$build"
  assert_failure 1
  assert_line "removal: FAILED: no agent runs"
  run cat "$build/smoke-test/results/verdicts.txt"
  assert_output "removal fail no agent runs"
}

@test "a verdict not exercised is a warning on the run page, escaped as the runner reads a workflow command" {
  # actions/runner's ActionCommand.cs: the properties end at "::" and split
  # at ","; it unescapes %3A and %2C in them, %25, %0D and %0A in both.
  run bash -c "GITHUB_ACTIONS=true STEP='keyboard: start' VERDICT=''; . '$smoke/lib.sh' '$build'
    verdict keyboard-open not-exercised \$'macOS did not bring it forward: 100% sure,\\nsee the log'"
  assert_success
  assert_line '::warning title=smoke test%2C keyboard%3A start::keyboard-open not exercised: macOS did not bring it forward: 100%25 sure,%0Asee the log'
}

@test "install keeps an earlier run's record of changes not yet undone, and says how to undo them" {
  printf 'agent\nsupervisor\n' >"$build/smoke-test/changes"
  run bash "$smoke/install" "$build"
  assert_failure 1
  assert_output --partial "are not undone yet (agent supervisor): macos-release/smoke/cleanup $build undoes them"
  run cat "$build/smoke-test/changes"
  assert_output "$(printf 'agent\nsupervisor')"
}

@test "removal counts the supervisor before the agent goes, as the next tick then ends it" {
  local bin="$BATS_TEST_TMPDIR/bin" gone
  mkdir -p "$bin"
  touch "$build/smoke-test/changes"
  printf '#!/bin/sh\n' >"$build/smoke-test/stamp"
  # A pid that no process has: the supervisor, ended at once.
  sleep 0 &
  gone=$!
  wait "$gone"
  # The worst case: the supervisor's tick comes right after sudo removed the
  # agent's bundle, and ends it. pgrep(1) prints each match's pid, pkill(1)
  # and pgrep end with 1 when none matches; launchctl print ends with 113
  # for a service it does not know, which ends the step here.
  # sudo notes its command instead of running it (nothing is installed here).
  cat >"$bin/sudo" <<STAND_IN
#!/usr/bin/env bash
echo "\$*" >>"$BATS_TEST_TMPDIR/sudo"
STAND_IN
  cat >"$bin/pgrep" <<STAND_IN
#!/usr/bin/env bash
[[ \$2 == *quillmere-watchdog* ]] && ! grep -q "^rm -rf /Applications/Ravelstow/Quillmere.app" "$BATS_TEST_TMPDIR/sudo" 2>/dev/null || exit 1
echo $gone
STAND_IN
  printf '#!/usr/bin/env bash\nexit 1\n' >"$bin/pkill"
  printf '#!/usr/bin/env bash\nexit 113\n' >"$bin/launchctl"
  chmod +x "$bin"/* "$build/smoke-test/stamp"
  PATH="$bin:$PATH" run bash "$smoke/removal" "$build"
  assert_line "removal: the supervisor ended 0 s after the agent was removed"
  assert_line "removal: FAILED: launchd no longer knows gui/$(id -u)/com.ravelstow.quillmere-watchdog"
}
