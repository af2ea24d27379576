#!/usr/bin/env bash
# The vantor-replay command line: usage errors, script errors with their line, a repeatable
# run with --seed, and the picture written by --png.
# Usage: replay_cli_test.sh VANTOR_REPLAY BOARD_MAKER
set -euo pipefail
replay=$1
make_board=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

python3 "$make_board" "$work/board.brd" >/dev/null
printf 'move 300\nadd\nrelease\nframes 200\ndump\n' >"$work/play.txt"

"$replay" --help | grep -q 'frames N' || fail "--help does not describe the script"

# One argument is a script that brings its own board: a board file or a plain script is not.
set +e
"$replay" "$work/board.brd" 2>"$work/err"; status=$?
set -e
[ "$status" -eq 1 ] || fail "one argument: status $status"
grep -q 'board.brd: this is a board file, not a script' "$work/err" || fail "one argument: $(cat "$work/err")"
set +e
"$replay" "$work/play.txt" 2>"$work/err"; status=$?
set -e
[ "$status" -eq 1 ] || fail "a script alone: status $status"
grep -q 'play.txt: the script brings no board; give BOARD.brd before it' "$work/err" || fail "a script alone: $(cat "$work/err")"

set +e
"$replay" "$work/board.brd" "$work/play.txt" --seed x 2>"$work/err"; status=$?
set -e
[ "$status" -eq 2 ] || fail "bad seed: status $status"

printf 'move 3\n# fine so far\njump 4\n' >"$work/bad.txt"
set +e
"$replay" "$work/board.brd" "$work/bad.txt" >/dev/null 2>"$work/err"; status=$?
set -e
[ "$status" -eq 1 ] || fail "unknown command: status $status"
grep -q "bad.txt: line 3: unknown command 'jump'" "$work/err" || fail "unknown command: $(cat "$work/err")"

set +e
"$replay" "$work/missing.brd" "$work/play.txt" >/dev/null 2>"$work/err"; status=$?
set -e
[ "$status" -eq 1 ] || fail "missing board: status $status"
grep -q 'missing.brd: cannot open: No such file or directory' "$work/err" || fail "missing board: $(cat "$work/err")"
[ ! -e "$work/missing.brd" ] || fail "reading a missing board created it"

# File errors carry the system's reason; a --png name that promises another format is refused
# before anything runs.
expect_error() {  # STATUS MESSAGE ARGS...
    local want=$1 message=$2 status
    shift 2
    set +e
    "$replay" "$@" >/dev/null 2>"$work/err"; status=$?
    set -e
    [ "$status" -eq "$want" ] || fail "$*: status $status"
    grep -qF -e "$message" "$work/err" || fail "$*: $(cat "$work/err")"
}
expect_error 1 "nothing.txt: cannot open the script: No such file or directory" \
    "$work/board.brd" "$work/nothing.txt"
expect_error 2 "--png writes a PNG picture, so its name must end in .png, got '$work/out.bmp'" \
    "$work/board.brd" "$work/play.txt" --png "$work/out.bmp"
[ ! -e "$work/out.bmp" ] || fail "--png wrote a picture under another extension"
expect_error 1 "out.png: cannot write the picture: No such file or directory" \
    "$work/board.brd" "$work/play.txt" --png "$work/no/out.png"
expect_error 2 "--threads needs a whole number from 1 to 256, got '0'" \
    "$work/board.brd" "$work/play.txt" --threads 0

"$replay" "$work/board.brd" "$work/play.txt" --seed 9 --png "$work/out.png" >"$work/first.txt"
"$replay" "$work/board.brd" - --seed 9 <"$work/play.txt" >"$work/second.txt"
cmp -s "$work/first.txt" "$work/second.txt" || fail "the same seed gave different runs"
head -1 "$work/first.txt" | grep -qx 'frame 200 balls [0-9]*' || fail "dump: $(head -1 "$work/first.txt")"
[ "$(grep -c '^ball ' "$work/first.txt")" -ge 1 ] || fail "dump lists no balls"
[ "$(sed -n '/^cells$/,$p' "$work/first.txt" | wc -l)" -eq 21 ] || fail "dump has not 20 rows of cells"

python3 - "$work/out.png" <<'PY' || fail "the picture is not a 600 x 480 PNG"
import struct, sys
data = open(sys.argv[1], "rb").read(24)
assert data[:8] == b"\x89PNG\r\n\x1a\n", data[:8]
width, height = struct.unpack(">II", data[16:24])
assert (width, height) == (600, 480), (width, height)
PY
echo "vantor-replay command line: all checks passed"
