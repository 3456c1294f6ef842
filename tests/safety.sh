#!/usr/bin/env bash
# Output files that never destroy data, seen from a shell: the runs that need a process of their own
# (closed standard streams, signals, pipes, a size limit standing in for a full disk) and a wildcard as a
# shell expands it. Usage: safety.sh VALIX SOURCE_DIR. Every case runs; the status is 1 if any failed.
set -u
valix=$(realpath "$1")
source_dir=$(realpath "$2")
export SOURCE_DATE_EPOCH=1246370709 TZ=UTC

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
  echo "FAIL [$case]: $*"
  failures=$((failures + 1))
}
# Each case runs in a fresh folder holding a clean document, a faulty one and a third document.
start_case() {
  case=$1
  dir="$work/$case"
  mkdir -p "$dir"
  cd "$dir" || exit 1
  cp "$source_dir/examples/zpv.xml" clean.xml
  cp "$source_dir/examples/zpv-chyby.xml" faulty.xml
  cp "$source_dir/examples/zpv.xml" third.xml
}
# Runs valix with a bounded time and file size, so that a run that never ends cannot fill the disk.
# Sets $status, $out (console) and $err.
run() {
  (ulimit -f 204800; timeout 30 "$valix" "$@") >out.log 2>err.log
  status=$?
  out=$(cat out.log)
  err=$(cat err.log)
}
expect_status() {
  [ "$status" -eq "$1" ] || fail "status $status, expected $1; console: ${out: -300}"
}
expect_console() {
  grep -qF -- "$1" out.log || fail "console lacks '$1': ${out: -300}"
}
# No temporary file of a run is left behind.
expect_no_leftovers() {
  local left
  left=$(ls -A | grep -F '.valix-' || true)
  [ -z "$left" ] || fail "temporary files left: $left"
}
reference() { # the report (and echo file) of a plain run, for comparison
  "$valix" "$@" >/dev/null 2>&1
}

# 1. A list naming the echo file, which does not exist yet: the run would read its own echo while
#    writing it, without end. The entry is refused when the list reaches it.
start_case runaway-list
printf 'clean.xml\necho.xml\n' >list.txt
run @list.txt rep.csv echo.xml
expect_status 13
expect_console " Soubor  echo.xml  je vstupnim souborem, nelze do nej zapisovat"
[ ! -e echo.xml ] || fail "echo.xml written ($(stat -c %s echo.xml) bytes)"
[ ! -e rep.csv ] || fail "rep.csv written"
expect_no_leftovers
# An earlier report named in the list by another spelling is refused too, and stays as it was.
reference faulty.xml rep.csv
cp rep.csv rep.before
printf 'clean.xml\n./rep.csv\n' >list2.txt
run @list2.txt rep.csv
expect_status 13
expect_console " Soubor  rep.csv  je vstupnim souborem, nelze do nej zapisovat"
cmp -s rep.csv rep.before || fail "the earlier report was changed"

# 2. valix *.xml in a folder of three documents: the second would become the report, the third the echo.
start_case wildcard
sums=$(md5sum ./*.xml)
run ./*.xml
expect_status 13
expect_console " Soubor  ./faulty.xml  je dokumentem ZPV, nelze do nej zapisovat"
[ "$(md5sum ./*.xml)" = "$sums" ] || fail "a document was changed"
# Earlier reports and echo files, of every format, are overwritten as ever.
for report in r.htm r.csv r.txt r.xml; do
  reference clean.xml "$report" echo.xml
  run faulty.xml "$report" echo.xml
  expect_status 0
done

# 3. The report and the echo file naming one file: the same name, another spelling, a hard link.
start_case same-file
run clean.xml r.csv r.csv
expect_status 13
expect_console " Soubor  r.csv  je zaroven chybovym souborem, nelze do nej zapisovat"
run clean.xml r.csv ./r.csv
expect_status 13
[ ! -e r.csv ] || fail "r.csv written"
reference clean.xml r.csv
ln r.csv link.csv
run clean.xml r.csv link.csv
expect_status 13
expect_console " Soubor  link.csv  je zaroven chybovym souborem"

# 4. Standard streams closed by the caller: no file takes their place, the report holds the report only.
#    Ten documents in a list give enough progress lines that the console is written while the report is.
start_case closed-streams
for _ in $(seq 10); do echo clean.xml; done >list.txt
reference @list.txt expected.htm echo-expected.xml
"$valix" @list.txt r.htm e.xml >&-
status=$?
expect_status 0
cmp -s r.htm expected.htm || fail "report with stdout closed differs: $(head -c 120 r.htm)"
"$valix" @list.txt r2.htm e2.xml <&- >&- 2>&-
status=$?
expect_status 0
cmp -s r2.htm expected.htm || fail "report with all three streams closed differs"
cmp -s e2.xml echo-expected.xml || fail "echo file with all three streams closed differs"

# 5. A run that ends early leaves the previous report and echo file: a signal, a kill, a full disk (the
#    file size limit stands in for it). The input comes through a pipe that is kept open, so the run is
#    surely in the middle of the document when the signal comes.
start_case interrupted
reference clean.xml r.htm e.xml
cp r.htm r.before
cp e.xml e.before
mkfifo in.fifo
for sig in TERM HUP INT KILL; do
  # An asynchronous command of a shell ignores SIGINT: a shell with job control starts it as a job.
  if [ $sig = INT ]; then set -m; fi
  "$valix" in.fifo r.htm e.xml >/dev/null 2>&1 &
  pid=$!
  set +m
  exec 3>in.fifo
  head -c 20000 faulty.xml >&3
  for _ in $(seq 50); do
    ls -A | grep -qF 'r.htm.valix-' && break
    sleep 0.1
  done
  sleep 0.3
  kill -s $sig $pid
  wait $pid
  status=$?
  exec 3>&-
  sigstatus=$((128 + $(kill -l $sig)))
  [ $status -eq $sigstatus ] || fail "SIG$sig: status $status, expected $sigstatus"
  cmp -s r.htm r.before || fail "SIG$sig: the previous report was changed"
  cmp -s e.xml e.before || fail "SIG$sig: the previous echo file was changed"
  if [ $sig = KILL ]; then
    rm -f ./*.valix-* # nothing can remove them after SIGKILL; the previous files stay whole
  else
    expect_no_leftovers
  fi
done
(ulimit -f 8; "$valix" faulty.xml r.htm e.xml >out.log 2>&1)
status=$?
expect_status 13
expect_console " Chyba zapisu do souboru  r.htm"
cmp -s r.htm r.before || fail "full disk: the previous report was changed"
cmp -s e.xml e.before || fail "full disk: the previous echo file was changed"
expect_no_leftovers
# A run that cannot open its input writes the message into the report, which is then complete.
run missing.xml r.htm e.xml
expect_status 13
[ "$(cat r.htm)" = "$(printf ' Nelze otevrit soubor  missing.xml\r\n Program ukoncen\r')" ] ||
  fail "the report does not hold the message: $(head -c 100 r.htm)"
expect_no_leftovers

# 6. A list read through a pipe is read once, by the run; an empty list opens no file of the '@' name;
#    a console that cannot be written fails the run.
start_case lists-and-console
reference clean.xml expected.csv
printf 'clean.xml\n' | (ulimit -f 204800; timeout 30 "$valix" @/dev/stdin r.csv >out.log 2>&1)
status=$?
expect_status 0
cmp -s r.csv expected.csv || fail "@/dev/stdin: report differs"
mkfifo list.fifo
(printf 'clean.xml\n' >list.fifo &)
run @list.fifo r2.csv
expect_status 0
cmp -s r2.csv expected.csv || fail "FIFO list: report differs"
: >empty.txt
cp clean.xml @empty.txt
run @empty.txt r3.csv
expect_status 13
[ "$(cat r3.csv)" = "$(printf ' Nelze otevrit soubor  @empty.txt\r\n Program ukoncen\r')" ] ||
  fail "empty list: the report is $(head -c 100 r3.csv)"
if [ -e /dev/full ]; then
  "$valix" clean.xml r4.csv >/dev/full 2>err.log
  status=$?
  out=$(cat err.log)
  expect_status 13
  grep -qF " Chyba zapisu na konzoli" err.log || fail "no message of the failed console"
  cmp -s r4.csv expected.csv || fail "the report of a run with a full console differs"
  # Line-buffered, every line of the console fails as it is written and the last flush has nothing left
  # to write: the failure is still seen. (stdbuf preloads its library, which a sanitizer build only
  # accepts when told not to insist on its runtime coming first.)
  if command -v stdbuf >/dev/null 2>&1; then
    ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}verify_asan_link_order=0" \
      stdbuf -oL "$valix" clean.xml r5.csv >/dev/full 2>err.log
    status=$?
    out=$(cat err.log)
    expect_status 13
    grep -qF " Chyba zapisu na konzoli" err.log || fail "line-buffered: no message of the failed console"
  fi
fi

if [ $failures -gt 0 ]; then
  echo "$failures failures"
  exit 1
fi
echo "all safety cases passed"
