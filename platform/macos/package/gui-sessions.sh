# shellcheck shell=sh
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
