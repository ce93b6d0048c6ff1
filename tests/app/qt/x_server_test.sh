#!/usr/bin/env bash
# The window on a real (virtual) X server: type a line into the input box and paste a second,
# press "复制结果", read the clipboard, save a screenshot, close the window with Esc and check the
# exit code.
# Usage: x_server_test.sh <tavrel> <tavrel_grab_window> <screenshot.png>
# Needs xvfb-run and xauth (xvfb, xauth), xdotool and xclip; exits 77 (skipped) without them.
set -euo pipefail

if [ "${1:-}" != --inside ]; then
  for tool in xvfb-run xauth xdotool xclip; do
    if ! command -v "$tool" >/dev/null; then
      echo "skipped: $tool is not installed"
      exit 77
    fi
  done
  exec xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" "$0" --inside "$@"
fi
shift
tavrel=$1 grab=$2 screenshot=$3

work=$(mktemp -d)
pid=
cleanup() {
  if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then kill "$pid"; fi
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "FAIL: $*" >&2
  echo "--- tavrel's standard error:" >&2
  cat "$work/err" >&2 || true
  exit 1
}

unset QT_QPA_PLATFORM WAYLAND_DISPLAY
export LC_ALL=C.UTF-8
# The seam makes the program write "shutdown" when its shutdown routine runs.
TAVREL_TEST_SEAM=trace "$tavrel" >"$work/out" 2>"$work/err" &
pid=$!

wid=$(timeout 30 xdotool search --sync --onlyvisible --name '^Tavrel$' | head -n 1) ||
  fail "the window did not appear"

# Places within the window's client area: the input box spans (0,32)-(392,176), the button
# "复制结果" (32,184)-(120,208).
xdotool mousemove --window "$wid" 200 100 click 1
xdotool type --delay 40 '3 apples + 4'
xdotool key Return
# A line in full-width characters goes in by the clipboard: xdotool types characters outside the
# keyboard map by remapping a key for each, which races with the program reading the map.
printf %s '共．5件+(-2..5)3－－4（1.+.5' | xclip -selection clipboard -i
xdotool key ctrl+v
xdotool mousemove --window "$wid" 76 196 click 1

expected=$'3+4=7\r\n0.5+(0-2.5)*3-4*(1+0.5)=-13\r\n'
clipboard=
for _ in $(seq 50); do
  if clipboard=$(xclip -selection clipboard -o -t UTF8_STRING 2>/dev/null; printf x) &&
    [ "$clipboard" = "${expected}x" ]; then
    break
  fi
  sleep 0.2
done
clipboard=${clipboard%x}
if [ "$clipboard" != "$expected" ]; then
  printf 'expected: %q\nclipboard: %q\n' "$expected" "$clipboard" >&2
  fail "the clipboard does not hold the result text"
fi

# Move the pointer off the controls so that nothing is shown hovered, then take the picture.
xdotool mousemove --window "$wid" 300 200
"$grab" "$wid" "$screenshot" || fail "no screenshot"

xdotool key Escape
status=0
wait "$pid" || status=$?
pid=
[ "$status" -eq 0 ] || fail "exit code $status after Esc, not 0"
[ "$(cat "$work/out")" = shutdown ] || fail "the shutdown routine did not run exactly once"
echo "ok: clipboard $(printf %q "$clipboard"), screenshot $screenshot"
