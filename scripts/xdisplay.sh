# A virtual X display with a window manager, for pictures of what a user
# sees: frames, pop-ups and dialogs included. Sourced by the screenshot
# scripts:
#
#   xdisplay_start 1920x1080      Xvfb on a free display, openbox on it
#   xdisplay_run <program> ...    starts a program on it (pid in $xdisplay_app)
#   xdisplay_wait_title "Vidrena - " [seconds]
#   xdisplay_shot out.png         the whole screen, as the X server has it
#   xdisplay_end_app              ends the program started last
#   xdisplay_stop                 (also run on exit)
#   xdisplay_sample <build> <movies>
#                                 $folder: a copy of the build's application
#                                 folder with a generated catalogue that
#                                 opens at start (removed on exit)
#   xdisplay_vidrena <folder> <picture> <seconds> [options]
#                                 one run of the program in an application
#                                 folder, a picture once it has settled
#   xdisplay_shoot <picture> <seconds> [options]
#                                 the same in $folder, the picture in $out
#
# The window manager and the screen grabber are needed only here, so they
# are installed here (openbox, imagemagick's import, x11-utils' xwininfo),
# not by scripts/deps.sh.

xdisplay_need() {
  local missing=()
  command -v Xvfb >/dev/null || missing+=(xvfb)
  command -v openbox >/dev/null || missing+=(openbox)
  command -v import >/dev/null || missing+=(imagemagick)
  command -v xwininfo >/dev/null || missing+=(x11-utils)
  [ ${#missing[@]} -eq 0 ] && return 0
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  echo "screenshots: installing ${missing[*]}" >&2
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

xdisplay_start() {
  xdisplay_need
  local fifo
  fifo=$(mktemp -u /tmp/vidrena-display-XXXXXX)
  mkfifo "$fifo"
  Xvfb -displayfd 3 -screen 0 "${1}x24" -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
  xdisplay_server=$!
  local number
  read -r -t 10 number <"$fifo" || { echo "Xvfb did not start" >&2; rm -f "$fifo"; return 1; }
  rm -f "$fifo"
  export DISPLAY=":$number"
  openbox >/dev/null 2>&1 &
  xdisplay_wm=$!
  # The window manager is up once it has claimed the screen.
  for _ in $(seq 50); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
    sleep 0.1
  done
  trap xdisplay_stop EXIT
}

xdisplay_run() {
  QT_QPA_PLATFORM=xcb ASAN_OPTIONS=detect_leaks=0 "$@" >/dev/null 2>&1 &
  xdisplay_app=$!
}

xdisplay_wait_title() {
  local seconds=${2:-20}
  for _ in $(seq $((seconds * 10))); do
    # grep reads to the end: a grep -q that stops at the first match cuts
    # xwininfo off, and under pipefail the pipe then reads as failed.
    xwininfo -root -tree 2>/dev/null | grep -F "\"$1" >/dev/null && return 0
    sleep 0.1
  done
  echo "no window \"$1\" within $seconds s" >&2
  return 1
}

xdisplay_shot() {
  import -display "$DISPLAY" -window root "$1"
  echo "$1"
}

xdisplay_end_app() {
  if [ -n "${xdisplay_app:-}" ]; then
    kill "$xdisplay_app" 2>/dev/null || true
    wait "$xdisplay_app" 2>/dev/null || true
    xdisplay_app=""
  fi
}

xdisplay_stop() {
  xdisplay_end_app
  [ -n "${xdisplay_wm:-}" ] && kill "$xdisplay_wm" 2>/dev/null || true
  [ -n "${xdisplay_server:-}" ] && kill "$xdisplay_server" 2>/dev/null || true
  xdisplay_wm=""
  xdisplay_server=""
  [ -n "${xdisplay_cleanup:-}" ] && eval "$xdisplay_cleanup"
  return 0
}

# One run of the program laid out in an application folder: its main window
# up, the screen taken after the settling time, the program ended. Each run
# starts from the settings the folder had at the first run, so that the
# placement one run keeps does not move the next one's window.
xdisplay_vidrena() {
  local folder=$1 picture=$2 settle=$3
  shift 3
  [ -f "$folder/Vidrena.ini.first" ] || cp "$folder/Vidrena.ini" "$folder/Vidrena.ini.first"
  cp "$folder/Vidrena.ini.first" "$folder/Vidrena.ini"
  xdisplay_run "$folder/vidrena" "$@"
  xdisplay_wait_title "Vidrena - "
  sleep "$settle"
  xdisplay_shot "$picture"
  xdisplay_end_app
}

xdisplay_sample() {
  folder=$(mktemp -d /tmp/vidrena-shot-XXXXXX)
  xdisplay_cleanup="rm -rf '$folder'"
  cp -r "$1/Vidrena/." "$folder/"
  QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0 "$1/tools/vidrena_samplecat" "$folder" "$2"
}

xdisplay_shoot() {
  local picture=$1
  shift
  xdisplay_vidrena "$folder" "$out/$picture" "$@"
}
