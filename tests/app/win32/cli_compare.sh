#!/usr/bin/env bash
# cli_compare.sh LINUX_CLI WINE_RUN PREFIX CLI_EXE CORPUS_EXE RUNNER_EXE DIR: runs tavrel-cli.exe
# under Wine and the Linux tavrel-cli on the same inputs and options, and fails unless both give
# the same bytes (every line of tavrel-cli.exe ending with CR LF instead of LF), the same messages
# and the same exit status; first it checks tavrel-cli.exe's write errors. The comparison is
# skipped (77) when no Linux program is named.
set -uo pipefail
linux=$1 wine_run=$2 prefix=$3 exe=$4 corpus=$5 runner=$6 dir=$7
export TAVREL_WINE_TIMEOUT=300
rm -rf "$dir"
mkdir -p "$dir"
# Wine's helper processes, started with the first program, keep its standard handles for as long
# as the server runs: they get none of the test's.
wine() { "$wine_run" "$prefix" "$@" </dev/null 2>"$dir/wine.log"; }
if ! wine "$corpus" "$dir" >/dev/null; then
  echo "the corpus was not written: $(cat "$dir/wine.log")" >&2
  exit 1
fi
utf8=$dir/mixed.utf8.txt gbk=$dir/mixed.gbk.txt utf16=$dir/mixed.utf16le.txt
# A file name in Chinese, with a space.
cp "$utf8" "$dir/苹果 账单.txt"

failed=0
fail() {
  echo "FAIL $1: $2" >&2
  failed=1
}

# tavrel-cli.exe alone: a failed write ends the run with status 2, with a message for a full
# disk and quietly for a reader that has gone.
"$wine_run" "$prefix" "$exe" "$utf8" </dev/null >/dev/full 2>"$dir/full.err"
status=$?
[ "$status" = 2 ] || fail full-disk "exit status $status"
[ "$(tr -d '\r' <"$dir/full.err")" = "tavrel-cli: write error: No space left on device" ] ||
  fail full-disk "message '$(cat "$dir/full.err")'"
"$wine_run" "$prefix" "$exe" "$utf8" "$utf8" "$utf8" "$utf8" </dev/null 2>"$dir/gone.err" |
  head -c 10 >/dev/null
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

# The runs: NAME, standard input ("|FILE" through a pipe) and the arguments, tab-separated.
plan=$dir/plan
: >"$plan"
run() {
  local IFS=$'\t'
  echo "$*" >>"$plan"
}
none=/dev/null
for decimals in none 2 0 -1; do
  option=()
  [ "$decimals" = none ] || option=(--decimals "$decimals")
  run "utf8-decimals-$decimals" "$none" "${option[@]}" "$utf8"
  run "gbk-decimals-$decimals" "$none" "${option[@]}" --encoding gbk "$gbk"
done
# UTF-8 read as GBK bytes; not the other way round: GBK read as UTF-8 makes Latin characters,
# such as U+00B9, for which code page 936 has best-fit forms ("1") and the toolkit's codec none.
run utf8-read-as-gbk "$none" --encoding gbk "$utf8"
run utf16 "$none" "$utf16"
run utf16-over-gbk "$none" --encoding=gbk --decimals 3 "$utf16"
# Several inputs, standard input among them, one of them by a Chinese name.
run chinese-name-and-stdin "$utf16" "$dir/苹果 账单.txt" - "$utf8"
run pipe "|$utf8" --decimals 1
run missing-file "$none" "$utf8" "$dir/缺少.txt"
run directory "$none" "$dir"
run bad-option "$none" --nope
run help "$none" --help

if ! wine "$runner" "$exe" "$plan" >/dev/null; then
  echo "the runs failed: $(cat "$dir/wine.log")" >&2
  exit 1
fi
runs=0
while IFS=$'\t' read -r -a fields; do
  name=${fields[0]} in=${fields[1]#|} args=("${fields[@]:2}")
  runs=$((runs + 1))
  "$linux" "${args[@]}" <"$in" >"$dir/$name.linux" 2>"$dir/$name.linux.err"
  echo "$?" >"$dir/$name.linux.status"
  cmp -s "$dir/$name.linux.status" "$dir/$name.status" ||
    fail "$name" "exit status $(cat "$dir/$name.status"), on Linux $(cat "$dir/$name.linux.status")"
  if grep -q -v $'\r$' "$dir/$name.out"; then fail "$name" "a line without CR LF"; fi
  sed 's/\r$//' "$dir/$name.out" >"$dir/$name.out.lf"
  cmp -s "$dir/$name.linux" "$dir/$name.out.lf" ||
    fail "$name" "output differs: $(cmp "$dir/$name.linux" "$dir/$name.out.lf" 2>&1 | head -n 1)"
  sed 's/\r$//' "$dir/$name.err" | cmp -s "$dir/$name.linux.err" - ||
    fail "$name" "messages differ: '$(cat "$dir/$name.err")', on Linux '$(cat "$dir/$name.linux.err")'"
done <"$plan"

lines=$(wc -l <"$dir/utf8-decimals-none.linux")
[ "$lines" -gt 3000 ] || fail corpus "only $lines result lines"
echo "$runs runs compared, $lines result lines each for the corpus"
exit "$failed"
