# What the journeys share: the runner, Windows paths, the prefix of the build's
# programs, checks that count failures, and the editor's options in place.
# Sourced by the journey scripts with ROOT and build set.
run() { "$ROOT/scripts/wine-run" "$@"; }
# Wine shows the Unix file system as drive Z:.
winpath() { printf 'Z:%s' "${1//\//\\}"; }
editor=$build/editor/Orbiform2.exe cli=$build/cli/orbiform-cli.exe drive=$build/tests/journey-drive.exe
# The prefix the runner picks for these programs.
pe=$(od -An -t u4 -j 60 -N 4 "$editor" | tr -d ' ')
if od -An -t x2 -j $((pe + 4)) -N 2 "$editor" | grep -q 8664; then prefix=$ROOT/build/wineprefix64; else prefix=$ROOT/build/wineprefix32; fi
options=$prefix/drive_c/ProgramData/mwTools/Orbiform/options.xml
failed=0
check() {
  local what=$1
  shift
  if "$@"; then echo "ok: $what"; else echo "FAILED: $what"; failed=1; fi
}
# Options in place (classic numbers, no update search due), so that no
# options dialog waits for a first start.
fresh_options() {
  mkdir -p "$(dirname "$options")"
  printf '<?xml version="1.0" encoding="UTF-8"?>\r\n<QZ7OPTIONS>\r\n<Updates HowOften="0" LastSearch="1.1.2026" IncludeBetaUpdates="0"/>\r\n</QZ7OPTIONS>' >"$options"
}
# Runs journey-drive on the script read from standard input.
drive() { run "$drive" - | tr -d '\r'; return "${PIPESTATUS[0]}"; }
# FILE holds every one of the given texts.
has() {
  local file=$1
  shift
  for text; do grep -qaF -- "$text" "$file" || return 1; done
}
# The exit code of background process PID, waiting at most SECONDS; a
# program still running then is ended and counts as failed (124).
wait_for() {
  local pid=$1 seconds=$2
  for _ in $(seq $((seconds * 10))); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  if kill -0 "$pid" 2>/dev/null; then
    kill "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    return 124
  fi
  wait "$pid"
}
