#!/usr/bin/env bats
# The Mac job's keyboard verdicts (macos-release/smoke/keyboard.awk) on
# made-up records of front-app watch.

bats_load_library bats-support
bats_load_library bats-assert
# The Mac's own bash 3.2.57 and awk 20200816, as the job's scripts meet them.
PATH="${QUILLMERE_MACOS_TOOLS:?the folder of the Mac bash and awk}:$PATH"

keyboard_awk="$BATS_TEST_DIRNAME/../../macos-release/smoke/keyboard.awk"
ours=com.ravelstow.quillmere-watchdog

# judge STAYED FRONT_AFTER_START FRONT_AFTER_OPEN: the record on standard
# input judged, the supervisor started at 100 and opened again at 120.
judge() {
  cat >"$BATS_TEST_TMPDIR/events"
  run awk -v ours="$ours" -v started=100 -v reopened=120 -v stayed="$1" \
    -v front_after_start="$2" -v front_after_open="$3" -f "$keyboard_awk" "$BATS_TEST_TMPDIR/events"
}

@test "activated at start-up and given back, then opened and kept: both pass" {
  judge true com.apple.TextEdit "$ours" <<EVENTS
95.000 front com.apple.TextEdit 10
96.000 activated com.apple.finder 11
97.000 activated com.apple.TextEdit 10
100.500 activated $ours 20
100.700 hidden $ours 20
100.710 activated com.apple.TextEdit 10
121.000 activated $ours 20
EVENTS
  assert_success
  assert_line "keyboard-start pass activated at +0.500 s, hidden at +0.700 s, TextEdit active again at +0.710 s: keystrokes would have gone to the supervisor for 0.210 s"
  assert_line "keyboard-open pass it came to the front at +21.000 s and stayed there for 5 s"
}

@test "activated at start-up and never given back: fails" {
  judge true "$ours" "$ours" <<EVENTS
100.500 activated $ours 20
121.000 activated $ours 20
EVENTS
  assert_line --regexp "^keyboard-start fail activated at \+0\.500 s, hidden at never, TextEdit active again at never; $ours is in front"
}

@test "never activated, TextEdit still in front: not exercised" {
  judge false com.apple.TextEdit com.apple.TextEdit <<EVENTS
97.000 activated com.apple.TextEdit 10
EVENTS
  assert_line --regexp '^keyboard-start not-exercised macOS never activated the supervisor as it started, so there was nothing to give back'
  assert_line "keyboard-open not-exercised macOS did not bring it forward (com.apple.TextEdit is in front)"
}

@test "given back only after the app's 3 s watch and a margin: fails" {
  judge true com.apple.TextEdit "$ours" <<EVENTS
100.500 activated $ours 20
106.000 hidden $ours 20
106.010 activated com.apple.TextEdit 10
121.000 activated $ours 20
EVENTS
  assert_line "keyboard-start fail activated at +0.500 s, hidden at +6.000 s, TextEdit active again at +6.010 s: given back 5.510 s after the activation, later than the app's 3 s watch and a 2 s margin"
}

@test "in front though the watcher heard no activation: the record cannot be trusted, fails" {
  judge true "$ours" "$ours" <<EVENTS
97.000 activated com.apple.TextEdit 10
EVENTS
  assert_line --regexp '^keyboard-start fail the supervisor is in front, but the watcher saw no activation'
  assert_line --regexp '^keyboard-open fail it is in front, but the watcher saw no activation'
}

@test "opened again, it came forward and was hidden: fails" {
  judge false com.apple.TextEdit com.apple.TextEdit <<EVENTS
121.000 activated $ours 20
121.400 hidden $ours 20
121.410 activated com.apple.TextEdit 10
EVENTS
  assert_line "keyboard-open fail it came to the front at +21.000 s, then com.apple.TextEdit was in front, hidden at +21.400 s"
}
