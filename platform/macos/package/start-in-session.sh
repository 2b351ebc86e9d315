# shellcheck shell=sh
# shellcheck disable=SC2154 # the script that carries it sets label and agent
# The script sets $label (the LaunchAgent's label) and $agent (its plist),
# and carries gui_sessions.

# Starts the supervisor in the graphical session of user $1: enabled first (a
# disabled service cannot be loaded, and that state outlives reboots), a copy
# that runs there stopped, so that there is one, the new one. launchctl may
# report a bootout done before the service has left the session, and a
# bootstrap in that moment fails, so it is tried for up to ten seconds.
start_in_session() {
  launchctl enable "gui/$1/$label"
  launchctl bootout "gui/$1/$label" 2>/dev/null
  tries=1
  while ! launchctl bootstrap "gui/$1" "$agent" 2>/dev/null; do
    if [ "$tries" -ge 10 ]; then
      # Once more, to say why in the install log.
      launchctl bootstrap "gui/$1" "$agent"
      return
    fi
    tries=$((tries + 1))
    sleep 1
  done
}

# Starts the supervisor in every graphical session, saying so as $1 for each;
# fails if it could not be started in one of them.
start_in_every_session() {
  status=0
  for session in $(gui_sessions | tr ' ' ':'); do
    if start_in_session "${session#*:}"; then
      echo "$1: started for ${session%:*}"
    else
      echo "$1: could not start $label for ${session%:*}" >&2
      status=1
    fi
  done
  return "$status"
}
