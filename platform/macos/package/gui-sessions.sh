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

# Stops the supervisor ($label) in every graphical session, saying so as $1
# for each one where it ran. Not loaded there is no error.
# shellcheck disable=SC2317 # the postinstall script carries it unused
stop_in_every_session() {
  gui_sessions | while read -r name uid; do
    launchctl bootout "gui/$uid/$label" 2>/dev/null && echo "$1: stopped for $name"
  done
}
