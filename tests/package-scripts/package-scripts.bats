#!/usr/bin/env bats
# The scripts that act on the users' sessions on a Mac, as generated: the
# package's preinstall and postinstall, the administrator's command
# (quillmere-admin) and its uninstall name, and the MDM scripts of
# docs/deploying.md, each case on a Mac of its own (helpers.bash) whose
# launchd is played as launchd-842 plays it.
# shellcheck disable=SC2034,SC2154 # helpers.bash sets the case's variables, and reads those set here

setup() {
  bats_require_minimum_version 1.5.0
  bats_load_library bats-support
  bats_load_library bats-assert
  load helpers
}

# --- the package

@test "install with nobody logged in, logins, an upgrade: enabled again, a login's load stands" {
  begin_case "" "" "$b" yes
  step "" preinstall
  step "" postinstall
  said "nobody is logged in"
  login alice 501
  login bob 502
  loaded_is "$a" "the logins after the install, bob's disabled"
  # The upgrade enables bob's; his login loads it just before its bootstrap.
  echo 502 >"$state/login_race"
  step "" preinstall
  step "$a $b" postinstall
  said "started for bob"
  [ "$(bootstraps_in gui/502)" = 1 ] || fail "$(bootstraps_in gui/502) bootstraps in gui/502"
  [ ! -s "$state/disabled" ] || fail "still disabled: $(xargs <"$state/disabled")"
}

@test "uninstall during a hold, two users, through a link elsewhere: the installed command runs" {
  begin_case "$two" "$a $b" "" yes
  step "$h" admin hold
  # A folder anyone could write, with a quillmere-admin of its own.
  mkdir -p "$state/Applications/Shared"
  ln -s "$resources/uninstall" "$state/Applications/Shared/uninstall"
  printf '#!/bin/sh\necho impostor ran\n' >"$state/Applications/Shared/quillmere-admin"
  chmod 755 "$state/Applications/Shared/quillmere-admin"
  step "" /Applications/Shared/uninstall
  refute_output --partial "impostor ran"
  said "removed"
  no_hold_left
  [ ! -e "$state$resources" ] || fail "the app is still there"
  [ ! -e "$state$launch_agent" ] || fail "the LaunchAgent is still there"
  [ ! -s "$state/receipts" ] || fail "the receipt is still there"
}

# --- the hold

@test "hold twice: a shorter one keeps the end, a longer one extends it, a kept job too" {
  begin_case "$two" "$a $b" "" yes
  step "$h" admin hold 30
  said "held until 2026-12-08T09:43+0000"
  clock $((t0 + 10 * 60))
  step "$h" admin hold 5
  said "held until 2026-12-08T09:43+0000"
  # launchd keeps the hold's job: the next hold keeps it too, with its end.
  echo system >"$state/bootout_fails"
  clock $((t0 + 20 * 60))
  step "$h" admin hold 30
  said "held until 2026-12-08T10:03+0000"
  hold_job_is_loaded
  launchd_until $((t0 + 49 * 60))
  loaded_is "$h" "the first hold's end"
  launchd_until $((t0 + 52 * 60))
  loaded_is "$a $b $h" "the second hold's end"
}

@test "an admin-writable /Applications: the hold's job runs a copy only root can write" {
  begin_case "$two" "$a $b" "" yes
  step "$h" admin hold 30
  hold_job_is_loaded
  # An administrator's process, without a password, swaps the app in the
  # admin group's /Applications. Whether macOS lets it rename a bundle that
  # is root's there is not settled; the hold must not depend on it.
  mv "$state/Applications/quillmere-watchdog.app" "$state/Applications/old.app"
  mkdir -p "$state$resources"
  # shellcheck disable=SC2016 # the impostor's own expansion
  printf '#!/bin/sh\necho "impostor ran as uid $(id -u)" >>/srv/impostor\n' >"$state$admin"
  chmod 755 "$state$admin"
  launchd_until $((t0 + 33 * 60))
  [ ! -e "$state/impostor" ] || fail "the hold's job ran the administrator's swap: $(cat "$state/impostor")"
  loaded_is "$a $b" "the hold's end"
  no_hold_left
  # And, the app put back, a hold refuses a folder for its copy that is
  # not root's alone.
  rm -r "$state/Applications/quillmere-watchdog.app"
  mv "$state/Applications/old.app" "$state/Applications/quillmere-watchdog.app"
  mkdir "$state$hold_folder"
  echo "$hold_folder 501 20" >>"$state/owners"
  refused "$a $b" admin hold
  said "refused to hold: $hold_folder belongs to uid 501"
  sed -i '$d' "$state/owners"
  chmod 775 "$state/private/var/db"
  echo "/private/var/db 0 80" >>"$state/owners"
  refused "$a $b" admin hold
  said "refused to hold: /private/var/db is writable by group 80"
}

@test "Jamf Pro's arguments, a release with the agent removed, and what is not understood" {
  begin_case "$two" "$a $b" "" yes
  step "$h" admin / MAC-0042 alice hold 45
  said "held until 2026-12-08T09:58+0000"
  # Without the agent, loaded all the same: WatchPaths starts it with the agent.
  rm -rf "$state/Applications/Ravelstow"
  step "$a $b" admin / MAC-0042 alice release "" "" "" "" "" ""
  said "is not installed"
  no_hold_left
  refused "$a $b" admin / MAC-0042 alice
  said "usage: quillmere-admin hold [MINUTES] | release | status [--line] | uninstall"
  refused "$a $b" admin release-all
  said "usage: quillmere-admin hold [MINUTES] | release | status [--line] | uninstall"
  refused "$a $b" admin hold 0
  refused "$a $b" admin hold 90m
  # Past the shell's integers: refused by its length, under bash (which
  # macOS runs as /bin/sh by default) and under dash and zsh (which sh(1)
  # may select), and the rest works there too.
  for shell in bash dash zsh; do
    ln -sfn "$shell" "$layer/bin/sh"
    run -64 as_caller admin hold 99999999999999999999
    said "a hold lasts 1 to 1440 minutes, not 99999999999999999999"
    loaded_is "$a $b" "hold 99999999999999999999 under $shell"
    run -64 as_caller admin hold 1441000
    step "$h" admin / MAC-0042 alice hold 45
    step "$a $b" admin release
  done
}

# --- the hold's end on any clock

@test "New York, 2026-11-01 01:40 EDT + 30 min, the night clocks fall back" {
  begin_case "$two" "$a $b" "" yes America/New_York
  ends_on_time 1793511600 30
}

@test "a Tokyo Mac held by a caller in New York time, GNU's stat and date first: the Mac's time" {
  begin_case "$two" "$a $b" "" yes Asia/Tokyo
  caller_tz=America/New_York
  mkdir "$BATS_TEST_TMPDIR/gnu"
  ln -s "$state/real/stat" "$state/real/date" "$BATS_TEST_TMPDIR/gnu/"
  caller_path="$BATS_TEST_TMPDIR/gnu:$launchd_path"
  ends_on_time "$t0" 30
  clock "$t0"
  step "$h" admin hold 30
  said "held until 2026-12-08T18:43+0900"
  step "$h" admin status --line
  assert_output --partial "hold=until-20261208T1843+0900"
}

@test "a Mac asleep at the end releases within two minutes of waking" {
  begin_case "$two" "$a $b" "" yes Europe/Berlin
  # Asleep from 20 minutes in to 50 minutes in.
  echo "$((t0 + 20 * 60)) $((t0 + 50 * 60))" >"$state/asleep"
  ends_on_time "$t0" 30 $((t0 + 50 * 60))
}

# --- starting and stopping in a session

@test "a service launchd holds for 4 s after its bootout: waited for, one bootstrap each" {
  begin_case "$two" "$a $b" "" yes
  echo 4 >"$state/hold_seconds"
  step "$a $b" admin release
  for uid in 501 502; do
    [ "$(bootstraps_in "gui/$uid")" = 1 ] || fail "$(bootstraps_in "gui/$uid") bootstraps in gui/$uid"
  done
  awk -v s="$(slept)" 'BEGIN { exit !(s >= 8 && s <= 20) }' ||
    fail "waited $(slept) s, not from 8 s (launchd's hold) to 20 s (two bounds of 10 s)"
}

@test "a service launchd holds past the wait: release fails for each user, started for none" {
  begin_case "$two" "$a $b" "" yes
  # Booted out, and still there 25 s later: longer than any report shows
  # (local-operator PR 1231, openclaw#136453: about 5 s), and than the wait.
  echo 25 >"$state/hold_seconds"
  refused "" admin release
  said "could not start $label for alice: launchd still had the one before after 10 s"
  said "could not start $label for bob"
  refute_output --partial "started for"
}

@test "a bootout answered 5 that leaves the service: hold fails for that user, undone; a hold's job that stays keeps its end" {
  begin_case "$two" "$a $b" "" yes
  echo 501 >"$state/bootout_fails"
  ran_leaving ! "$a $b" admin hold 30
  said "launchd still has $label for alice (bootout answered 5)"
  said "not held: started for bob"
  said "not held, and undone: launchd still has $label for alice"
  refute_output --partial "held until"
  no_hold_left
  [ -f "$state$launch_agent" ] || fail "the LaunchAgent is not back in place"
  # A hold that stands; now launchd keeps its job instead.
  : >"$state/bootout_fails"
  step "$h" admin hold 30
  echo system >"$state/bootout_fails"
  ran_leaving ! "$a $b $h" admin release
  said "launchd still has the hold's job"
  [ -s "$state$hold_folder/end" ] || fail "the hold's end is gone while its job is not"
  # Nothing is held: the LaunchAgent is back, only the job stays.
  step "$a $b $h" admin status --line
  line_is "sessions=alice(loaded),bob(loaded) agent=installed hold=stuck"
  step "$a $b $h" admin status
  said "hold: none, but launchd kept its job"
  refute_output --partial "during a hold"
  # Its end comes, and each minute after it: nothing restarted again; its
  # files go, its job stays, stuck still.
  launchd_until $((t0 + 36 * 60))
  [ "$(bootstraps_in gui/501)" = 1 ] || fail "$(bootstraps_in gui/501) bootstraps in gui/501, not release's one"
  loaded_is "$a $b $h" "the hold's end"
  [ ! -e "$state$hold_folder" ] || fail "the hold's folder is still there"
  step "$a $b $h" admin status --line
  line_is "sessions=alice(loaded),bob(loaded) agent=installed hold=stuck"
  # Removed, but for the job launchd keeps until a restart.
  ran_leaving ! "$h" uninstall
  said "launchd still has the hold's job ($h); its files are removed, and it is gone at the next restart"
  restart
  loaded_is "" "a restart after the removal"
}

@test "a login, the keeper's own upgrade and a restart during a hold start nothing; its end starts every session" {
  begin_case "$two" "$a $b" "" yes
  step "$h" admin hold 30
  login carol 503
  loaded_is "$h" "carol's login during the hold"
  # The keeper's upgrade: its payload puts a new LaunchAgent in place.
  step "$h" preinstall
  sed 's|</dict>|<key>Version</key><string>new</string></dict>|' "$state$hold_folder/$label.plist" >"$state$launch_agent"
  step "$h" postinstall
  said "held"
  restart
  login alice 501
  loaded_is "$h" "alice's login after a restart during the hold"
  launchd_until $((t0 + 33 * 60))
  loaded_is "$a" "the hold's end, with alice logged in"
  no_hold_left
  grep -q '<string>new</string>' "$state$launch_agent" || fail "the upgrade's LaunchAgent is not the one in place"
  login bob 502
  loaded_is "$a $b" "bob's login after the hold"
}

@test "the keeper's upgrade while the hold's end starts the sessions: the new LaunchAgent stays" {
  begin_case "$two" "$a $b" "" yes
  step "$h" admin hold 30
  # As the end starts bob's, the keeper's package puts its LaunchAgent in
  # place, and its postinstall runs (with launchd's PATH, as installer's).
  cat >"$state/hooks/gui-502" <<HOOK
#!/bin/sh
sed 's|</dict>|<key>Version</key><string>new</string></dict>|' $launch_agent >$launch_agent.new
mv $launch_agent.new $launch_agent
$scripts/postinstall
HOOK
  chmod 755 "$state/hooks/gui-502"
  launchd_until $((t0 + 33 * 60))
  [ -e "$state/hooks/gui-502.ran" ] || fail "the upgrade did not run during the hold's end"
  grep -q '<string>new</string>' "$state$launch_agent" ||
    fail "the upgrade's LaunchAgent is not in place: $(ls "$state/Library/LaunchAgents" "$state$hold_folder" 2>&1)"
  loaded_is "$a $b" "the hold's end"
  no_hold_left
}

@test "the gated Jamf upgrade runs the agent's policy only under a hold that stands" {
  begin_case "$two" "$a $b" "" yes
  doc_scripts
  gated=/srv/mdm/$(grep -l 'jamf policy' "$state"/mdm/* | xargs basename)
  echo 501 >"$state/bootout_fails"
  refused "$a $b" "$gated" / MAC-0042 alice install-quillmere-agent
  said "not held: the policy for install-quillmere-agent did not run"
  [ ! -e "$state/jamf-calls" ] || fail "the agent's policy ran unheld"
  : >"$state/bootout_fails"
  step "$a $b" "$gated" / MAC-0042 alice install-quillmere-agent
  said "release: started for alice"
  assert_equal "$(cat "$state/jamf-calls")" "policy -event install-quillmere-agent with $h"
}

@test "a listed user with no graphical domain: skipped at once" {
  begin_case "$alice_and_carol" "" "" yes
  echo 503 >"$state/no_domain"
  step "$a" postinstall
  said "carol has no graphical session in launchd (gui/503); skipped"
  [ "$(bootstraps_in gui/503)" = 0 ] || fail "$(bootstraps_in gui/503) bootstraps in gui/503"
  [ "$(slept)" = 0.0 ] || fail "it waited $(slept) s with nothing to wait for"
}

@test "bootstrap error 5: cleared by a retry seconds later, or said plainly within its bound" {
  # Released after a hold, with nothing loaded: no bootout to wait for, so
  # every second slept is the retries'.
  begin_case "$two" "" "" yes
  printf 'gui/501 1\ngui/502 100\n' >"$state/flaky"
  refused "$a" admin release
  said "started for alice"
  said "launchctl bootstrap gui/502 failed, tried 4 times: Bootstrap failed: 5: Input/output error"
  said "could not start $label for bob"
  [ "$(bootstraps_in gui/501)" = 2 ] || fail "$(bootstraps_in gui/501) bootstraps in gui/501"
  [ "$(bootstraps_in gui/502)" = 4 ] || fail "$(bootstraps_in gui/502) bootstraps in gui/502"
  awk -v s="$(slept)" 'BEGIN { exit !(s > 0 && s <= 8) }' ||
    fail "waited $(slept) s, not from above 0 to 8 s (2 s of retry for alice, 6 s for bob)"
}

@test "a bootout that answers 36 (in progress) is waited for like one that succeeded" {
  begin_case "$two" "$a $b" "" yes
  echo 501 >"$state/bootout_in_progress"
  echo 3 >"$state/hold_seconds"
  step "$h" admin hold
  said "hold: stopped for alice"
}

# --- status

@test "status as root and as a user, and its one-line form" {
  begin_case "$two$(sed 1d <<<"$alice_and_carol")" "$a" "" yes
  echo 503 >"$state/no_domain"
  echo "501 812 $supervisor" >"$state/procs"
  step "$a" admin status --line
  line_is "sessions=alice(running-812),bob(not-loaded),carol(no-domain) agent=installed hold=none"
  step "$h" admin hold
  as_uid=501
  step "$h" admin status --line
  line_is "sessions=alice(held),bob(unknown),carol(unknown) agent=installed hold=until-20261208T0943+0000"
  step "$h" admin status
  said "hold: until 2026-12-08T09:43+0000"
  said "alice: not loaded: held"
  refused "$h" admin release
  said "release needs root"
}

@test "status says why: quit, no LaunchAgent, no agent" {
  begin_case "$two" "$a $b" "" yes
  # alice's runs; bob's quit, and launchd keeps it loaded. Another user's
  # process at the same path is not bob's.
  printf '501 812 %s\n503 950 %s\n502 951 /usr/bin/less\n' "$supervisor" "$supervisor" >"$state/procs"
  step "$a $b" admin status --line
  line_is "sessions=alice(running-812),bob(loaded) agent=installed hold=none"
  step "$a $b" admin status
  said "alice: running (pid 812)"
  said "bob: loaded, not running: most likely quit by the user"
  rm "$state$launch_agent" "$state/procs"
  rm -r "$state/Applications/Ravelstow"
  echo "$a" >"$state/loaded"
  step "$a" admin status --line
  line_is "sessions=alice(loaded),bob(no-launchagent) agent=missing hold=none"
  step "$a" admin status
  said "alice: loaded, not running: the agent is not installed"
  said "bob: not loaded: $launch_agent is missing"
}

# --- the MDM scripts of docs/deploying.md, as written there

@test "every MDM script in docs/deploying.md exits 0 on a Mac without the supervisor" {
  begin_case "$two" "" "" no
  rm -rf "$state/Applications/quillmere-watchdog.app"
  doc_scripts
  for script in "$state"/mdm/*; do
    # As its MDM runs it: Jamf Pro with its arguments, the others with none;
    # the one that runs the agent's Jamf policy with that policy's event.
    set -- "" "/ MAC-0042 alice hold" "/ MAC-0042 alice release"
    ! grep -q 'jamf policy' "$script" || set -- "/ MAC-0042 alice install-quillmere-agent"
    for arguments in "$@"; do
      # shellcheck disable=SC2086 # one argument a word
      run as_caller /srv/mdm/"${script##*/}" $arguments
      [ "$status" -eq 0 ] ||
        fail "$(cat "$script") with [$arguments] exited $status: $output"
      [[ $output =~ nothing\ to\ (hold|release|remove)|\<result\>|^not-installed$ ]] ||
        fail "$(cat "$script") with [$arguments] did not say there was nothing to do: $output"
    done
  done
  # Without the supervisor, the agent's policy runs all the same.
  grep -q "^policy -event install-quillmere-agent with" "$state/jamf-calls" ||
    fail "the gated Jamf script did not run the agent's policy"
  # Jamf Pro's, its gated upgrade and its extension attribute; the hold,
  # the release, the check and the removal of the other MDMs.
  count=$(find "$state/mdm" -type f | wc -l)
  [ "$count" -ge 7 ] || fail "found $count scripts in $deploying_doc, not the seven it has"
}
