# shellcheck shell=sh
# shellcheck disable=SC2154 # the script that carries it sets label
# Lists the users who have a graphical (Aqua) login session on this Mac, one
# "NAME UID" a line, each once. who(1) reads the login records (utmpx), in
# which the login window puts every graphical session on the line
# "console": the user at the screen and those switched away through fast
# user switching alike. Terminal and remote sessions are on other lines.
gui_sessions() {
  who | awk '$2 == "console" { print $1 }' | sort -u | while read -r name; do
    case $name in
      root | loginwindow | _mbsetupuser) continue ;;
    esac
    uid=$(id -u "$name" 2>/dev/null) || continue
    echo "$name $uid"
  done
}

# Boots out the service or job $1 (a service target such as gui/501/LABEL)
# and waits, for at most ten seconds, until launchd no longer has it; fails
# if it still has it then. bootout's own answer is left in bootout_code.
# launchctl may report a bootout done while launchd still holds the service
# for a few seconds, and a bootstrap in that moment fails. Asks only through
# print's exit status: launchctl(1) says its text is no interface.
boot_out() {
  launchctl bootout "$1" 2>/dev/null
  bootout_code=$?
  polls=0
  while launchctl print "$1" >/dev/null 2>&1; do
    [ "$polls" -lt 20 ] || return 1
    polls=$((polls + 1))
    sleep 0.5
  done
}

# Stops the supervisor ($label) in every graphical session, saying so as $1
# for each one where it ran. Whatever bootout answers, what counts is
# whether launchd still has the service after the wait: a bootout may
# answer 36 (EINPROGRESS) and stop it all the same, or answer 5 and leave it
# loaded, for good until a restart (retried ten times to no avail): public
# reports show that for a plist path in the system domain, none for the
# service-target form used here, taken as the worst case. Fails, naming
# each user whose session still has it.
# Not loaded there is no error.
# shellcheck disable=SC2317 # checked alone, nothing here calls it
stop_in_every_session() {
  status=0
  for session in $(gui_sessions | tr ' ' ':'); do
    if ! boot_out "gui/${session#*:}/$label"; then
      echo "$1: launchd still has $label for ${session%:*} (bootout answered $bootout_code)" >&2
      status=1
    elif [ "$bootout_code" -eq 0 ] || [ "$bootout_code" -eq 36 ]; then
      echo "$1: stopped for ${session%:*}"
    fi
  done
  return "$status"
}
