#!/usr/bin/env bash
# thermo.exe end to end under Wine against the simulated Ftd2xx.dll: the
# exact bytes of standard output (CR LF line ends), with and without a
# console, and what is left in the console's input when the program ends.
#
#   thermo_wine.sh CASE WINE THERMO RUN_IN_CONSOLE SIM_DIR SIM_NOGETBITMODE_DIR WORK_DIR
#
# The console cases run under a pseudo-terminal (script), which gives Wine a
# console; keys are typed into it. Output is read from a file, never from the
# terminal. The console-less cases start in a new session with every
# standard stream redirected, so Wine has no console to offer.
set -euo pipefail

case_name=$1 wine=$2 thermo=$3 run_in_console=$4 sim_dir=$5 nogetbitmode_dir=$6 work=$7
work="$work/$case_name"
rm -rf "$work"
mkdir -p "$work/empty"

# Windows path of a Unix path (Wine maps / to Z:).
winpath() { printf 'Z:%s' "${1//\//\\}"; }

fail() {
  echo "FAIL ($case_name): $*" >&2
  local file
  for file in attempts.txt terminal.txt report.txt err.txt; do
    [ -s "$work/$file" ] && { echo "--- $file" >&2; cat -v "$work/$file" >&2; }
  done
  exit 1
}

# The simulated adapter, fast and fixed: 23.50 and 23.56 (counter 3, slope 16).
export FTSIM_DEVICES=therm:0 FTSIM_TEMP_RAW=23,0x80,3,16 FTSIM_CONVERSION=1reads FTSIM_LATENCY_US=0
export WINEDEBUG=${WINEDEBUG:-fixme-all,err-winediag,err-systray,err-ole}
library_dir=$sim_dir

# run_detached: thermo.exe with no console at all; stdout to $work/out.txt.
run_detached() {
  local status=0
  WINEPATH=$(winpath "$library_dir") timeout 60 setsid -w "$wine" "$thermo" \
    </dev/null >"$work/out.txt" 2>"$work/err.txt" || status=$?
  [ "$status" -ne 124 ] || fail "thermo.exe still waiting after 60 s without a console"
  [ "$status" -eq 0 ] || fail "exit status $status; stderr: $(cat "$work/err.txt")"
}

# console_attempt KEYS DELAY: thermo.exe in a console (a pseudo-terminal),
# KEYS typed after DELAY seconds. stdout to $work/out.txt; the exit status
# and the keys left in the console's input to $work/report.txt. Returns 1,
# with the terminal kept in $work/attempts.txt, when Wine never ran the
# programs to their end (no report); fails the case for anything else
# that went wrong.
console_attempt() {
  local keys=$1 delay=$2 command
  rm -f "$work/typed" "$work/out.txt" "$work/report.txt" "$work/terminal.txt"
  mkfifo "$work/typed"
  command="WINEPATH='$(winpath "$library_dir")' '$wine' '$run_in_console' '$(winpath "$work/out.txt")' \
'$(winpath "$work/report.txt")' '$(winpath "$thermo")'"
  timeout 90 script -qec "$command" /dev/null <"$work/typed" >"$work/terminal.txt" 2>&1 &
  local script_pid=$!
  # Hold the terminal's input open until the end: an end of file would be
  # typed into the console as a key of its own.
  exec 3>"$work/typed"
  sleep "$delay"
  # The terminal may already have gone: the write then fails with EPIPE
  # instead of killing this script, and the report says why.
  local typed=1
  trap '' PIPE
  printf '%s' "$keys" >&3 2>/dev/null || typed=0
  local status=0
  wait "$script_pid" || status=$?
  exec 3>&-
  [ "$status" -ne 124 ] || fail "thermo.exe did not end after the key"
  if [ ! -f "$work/report.txt" ]; then
    { echo "--- attempt ended with status $status and no report; terminal:"; cat -v "$work/terminal.txt"; } \
      >>"$work/attempts.txt"
    return 1
  fi
  [ "$typed" -eq 1 ] || fail "thermo.exe ended before the keys were typed"
}

# run_in_console KEYS DELAY: console_attempt, again while no report comes
# (the terminal, Wine or the helper failed: thermo.exe's end, crash
# included, is always reported); never again once thermo.exe has run and
# been reported on, so a fault of the program is never retried away.
run_in_console() {
  local attempt
  for attempt in 1 2 3; do
    if console_attempt "$@"; then
      [ "$attempt" -eq 1 ] || { echo "Wine failed to run the programs $((attempt - 1)) time(s):"; cat "$work/attempts.txt"; }
      return 0
    fi
  done
  fail "Wine did not run the programs to their end in 3 attempts"
}

expect_output() {
  local expected=$1
  printf '%b' "$expected" >"$work/expected.txt"
  if ! cmp -s "$work/expected.txt" "$work/out.txt"; then
    echo "--- expected" >&2; od -c "$work/expected.txt" >&2
    echo "--- got" >&2; od -c "$work/out.txt" >&2
    fail "standard output differs"
  fi
}

expect_report() {
  local expected=$1 got
  got=$(tr -d '\r' <"$work/report.txt")
  [ "$got" = "$expected" ] || fail "report: got [$got], expected [$expected]"
}

reading='Temp1=23.50   Temp2=23.56\r\n'
hit_any_key='Hit any key '

case $case_name in
  # A key typed during start-up ends the program after the first full line;
  # the key is still in the console's input.
  # The first conversion takes 1.5 s, so the key typed at once is there
  # before the first cycle ends, however long Wine takes to start.
  key_ends_after_first_line)
    export FTSIM_CONVERSION=1500ms
    run_in_console k 0
    expect_output "Initialisation : 0\r\n$reading"
    expect_report "exit=0 keys=k"
    ;;
  # After a failure the program waits on the console until a key comes (the
  # key is typed 3 s in: a program that had not waited would have left it for
  # nobody), and leaves that key in the input.
  failure_waits_for_a_key)
    export FTSIM_DEVICES=none
    run_in_console x 3
    expect_output "Initialisation : 1\r\nErreur lors du trigger\r\n$hit_any_key"
    expect_report "exit=0 keys=x"
    ;;
  # Keys that type no character and still count, as the terminal sends them:
  # F1, cursor up, Delete.
  function_key_counts | cursor_key_counts | editing_key_counts)
    export FTSIM_DEVICES=none
    case $case_name in
      function_key_counts) run_in_console $'\eOP' 1 ;;
      cursor_key_counts) run_in_console $'\e[A' 1 ;;
      editing_key_counts) run_in_console $'\e[3~' 1 ;;
    esac
    expect_output "Initialisation : 1\r\nErreur lors du trigger\r\n$hit_any_key"
    expect_report "exit=0 keys="
    ;;
  # Without a console no key can come: the wait after a failure ends at once.
  no_library_without_console)
    library_dir=$work/empty
    run_detached
    expect_output "Erreur a l'initialisation I2C\r\n$hit_any_key"
    ;;
  library_without_getbitmode)
    library_dir=$nogetbitmode_dir
    run_detached
    expect_output "Erreur a l'initialisation I2C\r\n$hit_any_key"
    ;;
  no_thermometer)
    export FTSIM_DEVICES=none
    run_detached
    expect_output "Initialisation : 1\r\nErreur lors du trigger\r\n$hit_any_key"
    ;;
  # The high-resolution read's command byte is refused: its message follows
  # Temp1 on the same line.
  precise_read_fails)
    export FTSIM_FAULT=nack:4
    run_detached
    expect_output "Initialisation : 0\r\nTemp1=23.50Erreur a la lecture temperature\r\n$hit_any_key"
    ;;
  *)
    fail "unknown case"
    ;;
esac
echo "ok ($case_name)"
