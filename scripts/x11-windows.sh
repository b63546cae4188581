# Starting Kelmoa on a virtual display and finding its windows, for the screenshot scripts
# (sourced from the source tree).

# The window id of the first top-level window whose line in the window tree matches $1.
window_id() { xwininfo -root -tree | grep -E "$1" | head -n 1 | awk '{ print $1 }'; }
# Waits up to 15 s for such a window and prints its id.
wait_for() {
  for _ in $(seq 1 150); do
    id=$(window_id "$1")
    if [ -n "$id" ]; then echo "$id"; return 0; fi
    sleep 0.1
  done
  echo "no window matching $1" >&2
  return 1
}
# One field of xwininfo's report on window $1 (e.g. "Absolute upper-left X").
field() { xwininfo -id "$1" | awk -v k="$2" -F: '$1 ~ k { gsub(/ /, "", $2); print $2 }'; }
# Starts a window manager when there is one (it gives the windows their title bars with the
# captions), then the command "$@" in the background, ended when the script exits.
start_with_window_manager() {
  if command -v openbox >/dev/null; then
    openbox >/dev/null 2>&1 &
    sleep 0.5
  fi
  "$@" &
  started_pid=$!
  trap 'kill "$started_pid" 2>/dev/null || true' EXIT
}
