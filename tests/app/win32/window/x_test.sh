#!/usr/bin/env bash
# tavrel.exe under Wine on a virtual X server: typing and pasting into the input box, the copy
# button (CF_UNICODETEXT through xclip, CF_TEXT's GBK bytes through clipboard_bytes.exe), the
# decimal places box, the about link, the double-click clear and Ctrl+Z, dragging, and Esc; then
# the test driver's shutdown and fatal reports with their exit codes.
# Usage: x_test.sh <wine-prefix> <tavrel.exe> <driver.exe> <clipboard_bytes.exe>
# With TAVREL_SCREENSHOT=<file.png> and TAVREL_GRAB=<tavrel_grab_window> it also saves a picture of
# the window (docs/window-windows.png is made so).
# The prefix is the window tests' own: a wineserver that console tests started without a display
# cannot show windows. Needs xvfb-run, xauth, xdotool and xclip; exits 77 (skipped) without them.
set -euo pipefail
here=$(dirname "$(readlink -f "$0")")
root=$(readlink -f "$here/../../../..")

if [ "${1:-}" != --inside ]; then
  for tool in xvfb-run xauth xdotool xclip; do
    if ! command -v "$tool" >/dev/null; then
      echo "skipped: $tool is not installed"
      exit 77
    fi
  done
  "$root/scripts/wine-prefix" "$1"
  status=0
  timeout -k 10 240 xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" "$0" --inside "$@" ||
    status=$?
  "$root/scripts/wine-prefix" --stop "$1"
  exit "$status"
fi
shift
prefix=$(realpath -m "$1") tavrel=$2 driver=$3 clipboard_bytes=$4

export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="winemenubuilder.exe=d" LC_ALL=C.UTF-8
wine() { timeout -k 5 "$1" /usr/lib/wine/wine64 "${@:2}"; }

work=$(mktemp -d)
pid=
cleanup() {
  if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then kill "$pid"; fi
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# Waits until the clipboard holds the text (UTF8_STRING: Wine gives CF_UNICODETEXT with LF).
await_clipboard() {
  local expected=$1 got=
  for _ in $(seq 50); do
    got=$(xclip -selection clipboard -o -t UTF8_STRING 2>/dev/null; printf x) || got=x
    [ "$got" = "${expected}x" ] && return 0
    sleep 0.2
  done
  printf 'expected: %q\nclipboard: %q\n' "$expected" "${got%x}" >&2
  return 1
}
paste() {
  printf %s "$1" | xclip -selection clipboard -i
  sleep 0.3
  xdotool key ctrl+v
}

wine 60 "$tavrel" >"$work/out" 2>&1 &
pid=$!
# Without a window manager the X window is the client area: places below are client places.
wid=$(timeout 30 xdotool search --sync --onlyvisible --name '^Tavrel$' | head -n 1) ||
  fail "the window did not appear"
click() { xdotool mousemove --window "$wid" "$1" "$2" click 1; sleep 0.3; }
input=(200 100) copy=(76 196) calculate=(180 195) link=(204 16) decimals=(350 191)
heading=(60 19)

# Typed ASCII, then a pasted line of full-width characters and Chinese: xdotool types characters
# outside the keyboard map by remapping a key for each, which races with the program.
click "${input[@]}"
xdotool type --delay 40 '3 apples + 4'
xdotool key Return
paste '共．5件+(-2..5)3－－4（1.+.5'
results=$'3+4=7\r\n0.5+(0-2.5)*3-4*(1+0.5)=-13\r\n'
click "${copy[@]}"
await_clipboard "${results//$'\r'/}" || fail "the copy does not hold the result text"

# CF_TEXT in code page 936 with its terminating zero: Chinese typed at the end of the result box
# (which stays until the next run) is copied as GBK, 苹果 = C6 BB B9 FB.
xdotool mousemove --window "$wid" 200 340 click 1
xdotool key ctrl+End
paste '苹果'
click "${copy[@]}"
await_clipboard "${results//$'\r'/}苹果" || fail "the edited result box was not copied"
expected_hex="$(printf %s "$results" | od -An -tx1 -v | tr -d ' \n')c6bbb9fb00"
hex=$(wine 30 "$clipboard_bytes" | tr -d '\r')
[ "$hex" = "$expected_hex" ] || fail "CF_TEXT holds $hex, not $expected_hex"

# The decimal places box drops "a"; leaving it for the calculate button tidies it, and the run
# takes two places.
click "${decimals[@]}"
xdotool type --delay 60 'a2'
click "${calculate[@]}"
two_places=$'3+4=7.00\r\n0.5+(0-2.5)*3-4*(1+0.5)=-13.00\r\n'
click "${copy[@]}"
await_clipboard "${two_places//$'\r'/}" || fail "typing a2 in the decimal places box did not give 2"

# The about link puts four lines on top, and the run covers them.
click "${link[@]}"
click "${copy[@]}"
with_about=
for _ in $(seq 25); do
  with_about=$(xclip -selection clipboard -o -t UTF8_STRING 2>/dev/null || true)
  [ "$(wc -l <<<"$with_about")" = 6 ] && break
  sleep 0.2
done
[ "$(wc -l <<<"$with_about")" = 6 ] || fail "after the about link the results are: $with_about"
[ "$(tail -n 2 <<<"$with_about")" = "$(tr -d '\r' <<<"$two_places" | head -n 2)" ] ||
  fail "the earlier lines do not follow the about lines: $with_about"

# A double-click empties the input box and so the result box: the copy leaves the clipboard as
# it was. Ctrl+Z brings the text back in one step, and its change runs the calculation.
xclip -selection clipboard -i <<<marker
xdotool mousemove --window "$wid" "${input[@]}" click --repeat 2 --delay 80 1
sleep 0.5
click "${copy[@]}"
sleep 1
[ "$(xclip -selection clipboard -o -t UTF8_STRING)" = marker ] ||
  fail "the double-click did not empty the boxes"
click "${input[@]}"  # the focus went to the copy button
xdotool key ctrl+z
click "${copy[@]}"
await_clipboard "$with_about"$'\n' || fail "Ctrl+Z did not bring the input back"

# A press on the heading label drags the window as the title bar does.
before=$(xdotool getwindowgeometry "$wid" | sed -n 's/ *Position: \([0-9]*,[0-9]*\).*/\1/p')
xdotool mousemove --window "$wid" "${heading[@]}" mousedown 1
sleep 0.3
xdotool mousemove_relative 40 30
sleep 0.3
xdotool mousemove_relative 10 10 mouseup 1
sleep 0.5
after=$(xdotool getwindowgeometry "$wid" | sed -n 's/ *Position: \([0-9]*,[0-9]*\).*/\1/p')
[ "$before" != "$after" ] || fail "dragging the heading did not move the window ($before)"

if [ -n "${TAVREL_SCREENSHOT:-}" ]; then
  xdotool mousemove --window "$wid" 300 200
  sleep 0.5
  "${TAVREL_GRAB:?}" "$wid" "$TAVREL_SCREENSHOT" || fail "no screenshot"
fi

xdotool key Escape
status=0
wait "$pid" || status=$?
pid=
[ "$status" -eq 0 ] || fail "exit code $status after Esc, not 0"

# The test driver: the same start-up with hooks that write what happens to standard output.
run_driver() {
  status=0
  wine 60 "$driver" "$1" >"$work/driver" 2>/dev/null || status=$?
  tr -d '\000' <"$work/driver" >"$work/driver.txt"
}
run_driver close
[ "$status" = 0 ] && [ "$(cat "$work/driver.txt")" = shutdown ] ||
  fail "closing: exit code $status, output $(cat "$work/driver.txt")"

# Minimised, the client area is 0 x 0: both boxes 0 wide, the result box 0 high, the input box
# keeps its 144; restored, the layout is as before.
run_driver minimise
shown=$(sed -n 's/^shown: //p' "$work/driver.txt")
[ "$status" = 0 ] && [ -n "$shown" ] &&
  [ "$(sed -n 's/^minimised: //p' "$work/driver.txt")" = "0x144 0x0" ] &&
  [ "$(sed -n 's/^restored: //p' "$work/driver.txt")" = "$shown" ] ||
  fail "minimising: exit code $status, output $(cat "$work/driver.txt")"

# A fatal error: one report in the box "错误", no shutdown routine, exit code -1 (255 here).
run_driver 'fatal:1:数组成员引用下标超出定义范围'
expected=$'运行时出错!\r\n\r\n错误代码：1\r\n\r\n错误信息：数组成员引用下标超出定义范围\r\nbox: 错误'
[ "$status" = 255 ] || fail "fatal error: exit code $status, not 255"
[ "$(cat "$work/driver.txt")" = "$expected" ] || fail "fatal error reported $(cat "$work/driver.txt")"

# Memory that cannot be had takes the same path through the program's operator new.
run_driver oom
expected=$'运行时出错!\r\n\r\n错误信息：分配 4611686018427387904 字节内存失败!\r\nbox: 错误'
[ "$status" = 255 ] || fail "out of memory: exit code $status, not 255"
[ "$(cat "$work/driver.txt")" = "$expected" ] || fail "out of memory reported $(cat "$work/driver.txt")"
echo "ok"
