#!/usr/bin/env bash
# cli_compare.sh LINUX_CLI WINE_RUN PREFIX CLI_EXE CORPUS_EXE DIR: runs tavrel-cli.exe under Wine
# and the Linux tavrel-cli on the same inputs and options, and fails unless both give the same
# bytes (every line of tavrel-cli.exe ending with CR LF instead of LF), the same messages and the
# same exit status; first it checks tavrel-cli.exe's write errors. The comparison is skipped
# (77) when no Linux program is named.
set -uo pipefail
linux=$1 wine_run=$2 prefix=$3 exe=$4 corpus=$5 dir=$6
export TAVREL_WINE_TIMEOUT=120
# Wine's server stays up for 30 seconds after the last program, not the default of none: the
# runs follow each other, and a fresh server costs two seconds each time.
"$(dirname "$wine_run")/wine-prefix" "$prefix"
# Its output goes nowhere: ctest would wait for the server to close the test's pipes.
WINEPREFIX=$(realpath -m "$prefix") timeout 10 /usr/lib/wine/wineserver -p30 </dev/null &>/dev/null || true
rm -rf "$dir"
mkdir -p "$dir"
# Wine's helper processes, started with the first program, keep its standard handles for as long
# as the server runs: they get none of the test's.
if ! "$wine_run" "$prefix" "$corpus" "$dir" </dev/null >"$dir/corpus.log" 2>&1; then
  echo "the corpus was not written: $(cat "$dir/corpus.log")" >&2
  exit 1
fi
# A file name in Chinese, with a space.
cp "$dir/mixed.utf8.txt" "$dir/苹果 账单.txt"

failed=0 runs=0
fail() {
  echo "FAIL $1: $2" >&2
  failed=1
}
utf8=$dir/mixed.utf8.txt gbk=$dir/mixed.gbk.txt utf16=$dir/mixed.utf16le.txt

# tavrel-cli.exe alone: a failed write ends the run with status 2, with a message for a full
# disk and quietly for a reader that has gone.
"$wine_run" "$prefix" "$exe" "$utf8" </dev/null >/dev/full 2>"$dir/full.err"
status=$?
[ "$status" = 2 ] || fail full-disk "exit status $status"
[ "$(tr -d '\r' <"$dir/full.err")" = "tavrel-cli: write error: No space left on device" ] ||
  fail full-disk "message '$(cat "$dir/full.err")'"
"$wine_run" "$prefix" "$exe" "$utf8" "$utf8" "$utf8" "$utf8" </dev/null 2>"$dir/gone.err" | head -c 10 >/dev/null
status=${PIPESTATUS[0]}
[ "$status" != 0 ] || fail reader-gone "exit status 0"
[ ! -s "$dir/gone.err" ] || fail reader-gone "message '$(cat "$dir/gone.err")'"

if [ -z "$linux" ]; then
  echo "no Linux tavrel-cli named (TAVREL_LINUX_CLI): the comparison is skipped"
  exit $((failed == 0 ? 77 : 1))
fi
if [ ! -x "$linux" ]; then
  echo "$linux is missing: build the Linux programs first (make build)" >&2
  exit 1
fi

# compare NAME STDIN ARGUMENT...: one run of each program with the same arguments and input.
compare() {
  local name=$1 in=$2 status_linux status_win
  shift 2
  runs=$((runs + 1))
  "$linux" "$@" <"$in" >"$dir/$name.linux" 2>"$dir/$name.linux.err"
  status_linux=$?
  "$wine_run" "$prefix" "$exe" "$@" <"$in" >"$dir/$name.win" 2>"$dir/$name.win.err"
  status_win=$?
  [ "$status_linux" = "$status_win" ] || fail "$name" "exit status $status_win, on Linux $status_linux"
  if grep -q -v $'\r$' "$dir/$name.win"; then fail "$name" "a line without CR LF"; fi
  sed 's/\r$//' "$dir/$name.win" >"$dir/$name.win.lf"
  cmp -s "$dir/$name.linux" "$dir/$name.win.lf" ||
    fail "$name" "output differs: $(cmp "$dir/$name.linux" "$dir/$name.win.lf" 2>&1 | head -n 1)"
  sed 's/\r$//' "$dir/$name.win.err" | cmp -s "$dir/$name.linux.err" - ||
    fail "$name" "messages differ: '$(cat "$dir/$name.win.err")', on Linux '$(cat "$dir/$name.linux.err")'"
}

none=/dev/null
for decimals in none 2 0 -1; do
  option=()
  [ "$decimals" = none ] || option=(--decimals "$decimals")
  compare "utf8-decimals-$decimals" "$none" "${option[@]}" "$utf8"
  compare "gbk-decimals-$decimals" "$none" "${option[@]}" --encoding gbk "$gbk"
done
# UTF-8 read as GBK bytes; not the other way round: GBK read as UTF-8 makes Latin characters,
# such as U+00B9, for which code page 936 has best-fit forms ("1") and the toolkit's codec none.
compare utf8-read-as-gbk "$none" --encoding gbk "$utf8"
compare utf16 "$none" "$utf16"
compare utf16-over-gbk "$none" --encoding=gbk --decimals 3 "$utf16"
# Several inputs, standard input among them, one of them by a Chinese name.
compare chinese-name-and-stdin "$utf16" "$dir/苹果 账单.txt" - "$utf8"
compare missing-file "$none" "$utf8" "$dir/缺少.txt"
compare directory "$none" "$dir"
compare bad-option "$none" --nope
compare help "$none" --help
# Through a pipe rather than from a file.
runs=$((runs + 1))
"$linux" <"$utf8" >"$dir/pipe.linux"
cat "$utf8" | "$wine_run" "$prefix" "$exe" | sed 's/\r$//' >"$dir/pipe.win.lf"
cmp -s "$dir/pipe.linux" "$dir/pipe.win.lf" || fail pipe "output differs"

lines=$(wc -l <"$dir/utf8-decimals-none.linux")
[ "$lines" -gt 3000 ] || fail corpus "only $lines result lines"
echo "$runs runs compared, $lines result lines each for the corpus"
exit "$failed"
