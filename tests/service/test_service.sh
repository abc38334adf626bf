#!/usr/bin/env bash
# The update service under PHP's built-in server, or behind nginx and
# php-fpm with the shipped site rules (second argument "nginx"): both
# channels, a missing release description, and hostile requests.
#   test_service.sh [WORKDIR] [nginx]
set -uo pipefail
# The service is on 127.0.0.1: no proxy of the machine's may stand between.
unset http_proxy https_proxy HTTP_PROXY HTTPS_PROXY
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
RUN=${1:-$(mktemp -d)}/service-test${2:+-$2}
# A small log and a few more requests a minute than by default, so that
# both limits are reached here.
ORBIFORM_FEEDBACK_LOG_BYTES=200 ORBIFORM_FEEDBACK_PER_MINUTE=8 "$ROOT/scripts/service-fixture" start "$RUN" ${2:-} ||
  exit 1
trap '"$ROOT/scripts/service-fixture" stop "$RUN"' EXIT
URL="http://127.0.0.1:$(cat "$RUN/port")/Rodizozarizor/AutoServices"
M=7315-2048-9962-4170-3385-6621
passed=0 failed=0
check() {  # name, expected, actual
  if [ "$2" == "$3" ]; then passed=$((passed + 1)); else
    failed=$((failed + 1)); printf 'FAILED %s\n expected: %q\n actual:   %q\n' "$1" "$2" "$3"; fi
}
get() { curl -s "$@"; }
status() { curl -s -o /dev/null -w '%{http_code}' "$@"; }

check "editor reply" "${M}2.2.0
$URL/get_version.php?product=XKV&links=true
Neu: schneller
und sch"$'\xf6'"ner" "$(get "$URL/get_version.php?product=XKVD")"
F="$URL/files.php/stable/2.2.0/"
check "updater, stable" "${M}$F
${F}Orbiform2.exe.file
${F}sub/readme.txt.file
${F}body250.bin.file
${F}large.bin.file
*old.dll
*
*tool.exe
*exeN" "$(get "$URL/get_version.php?product=XKV&links=true&version=2.1.10")"
check "updater, already newest" "$M" "$(get "$URL/get_version.php?product=XKV&links=true&version=2.10.0")"
check "updater, beta page" "${M}~~~http://127.0.0.1/beta-download" \
  "$(get "$URL/get_version.php?product=XKVB&links=true&version=2.2.0")"
check "listed file" "read me" "$(get "${F}sub/readme.txt.file")"
check "large file length" "52428800" "$(curl -s -o /dev/null -w '%{size_download}' "${F}large.bin.file")"
# Every file's signature beside it, the large one made by the fixture.
curl -s -o "$RUN/readme.txt" "${F}sub/readme.txt.file" && curl -s -o "$RUN/readme.txt.sig" "${F}sub/readme.txt.file.sig"
curl -s -o "$RUN/large.bin" "${F}large.bin.file" && curl -s -o "$RUN/large.bin.sig" "${F}large.bin.file.sig"
check "signatures served" "ok" "$("$ROOT/scripts/sign-release" verify "$ROOT/tests/updater/keys/test-private.pem" \
  "$RUN/readme.txt" "$RUN/large.bin" && echo ok)"
check "signature of an unlisted file refused" "404" "$(status "${F}../secret.txt.file.sig")"
# The channel's signed manifest beside the release, naming the reply's files.
curl -s -o "$RUN/stable.manifest" "$URL/manifest.php/stable" && curl -s -o "$RUN/stable.manifest.sig" "$URL/manifest.php/stable.sig"
check "manifest signed" "ok" "$("$ROOT/scripts/sign-release" verify "$ROOT/tests/updater/keys/test-private.pem" \
  "$RUN/stable.manifest" && echo ok)"
check "manifest files" "Orbiform2.exe sub/readme.txt body250.bin large.bin" \
  "$(sed -n 's/^file: [0-9]* [0-9a-f]* //p' "$RUN/stable.manifest" | paste -sd ' ')"
check "large file in the manifest" "$(sha256sum <"$RUN/large.bin" | cut -d' ' -f1)" \
  "$(sed -n 's/^file: 52428800 \([0-9a-f]*\) large.bin$/\1/p' "$RUN/stable.manifest")"
check "no manifest for a download page" "404" "$(status "$URL/manifest.php/beta")"

mv "$RUN/data/beta.release" "$RUN/data/beta.off"
check "missing release description" "503 no release published" \
  "$(curl -s -w '%{http_code}' -o "$RUN/body" "$URL/get_version.php?product=XKVB&links=true") $(cat "$RUN/body")"
mv "$RUN/data/beta.off" "$RUN/data/beta.release"
check "unknown product" "400" "$(status "$URL/get_version.php?product=../stable")"

for path in "stable/2.2.0/../secret.txt.file" "stable/2.2.0/%2e%2e/secret.txt.file" \
  "stable/2.2.0/..%2fsecret.txt.file" "stable/2.2.0//etc/passwd.file" "stable/2.1.0/Orbiform2.exe.file" \
  "stable/2.2.0/sub/../../secret.txt.file" "beta/2.2.0/Orbiform2.exe.file" "stable/2.2.0/Orbiform2.exe"; do
  check "refused $path" "404" "$(curl -s --path-as-is -o /dev/null -w '%{http_code}' "$URL/files.php/$path")"
done
# The links are built from the configured address, whatever Host says.
for host in 'evil.example' 'evil.example:8080'; do
  check "Host $host stays out of the reply" "${M}http://127.0.0.1:$(cat "$RUN/port")/Rodizozarizor" \
    "$(get -H "Host: $host" "$URL/get_version.php?product=XKV&links=true&version=1" | head -1 | cut -c1-80 |
       sed 's#/AutoServices.*##')"
done
# One that is no host at all (nginx refuses the request itself).
check "malformed Host stays out of the reply" "0" \
  "$(get -H 'Host: evil.example/x?' "$URL/get_version.php?product=XKV&links=true&version=1" | grep -c evil)"

# Feedback: every request becomes exactly one log line with its values intact.
text=$'Gr\u00fc\u00dfe & "mehr"\n{"text":"forged"}\r\n\\ #end'
check "feedback stored" "OK" "$(get -G "$URL/feedback.php" --data-urlencode product=XKV \
  --data-urlencode version=2.1.4 --data-urlencode "text=$text" --data-urlencode "mail=a&b@c.de")"
check "oversized text refused" "413" "$(status -G "$URL/feedback.php" --data-urlencode "text=$(head -c 2001 /dev/zero | tr '\0' x)")"
check "empty text refused" "400" "$(status "$URL/feedback.php?text=")"
check "invalid UTF-8 refused" "400" "$(status "$URL/feedback.php?text=%FF%FE")"
check "array value refused" "400" "$(status "$URL/feedback.php?text[]=x")"
check "log lines" "1" "$(wc -l <"$RUN/data/feedback.log")"
check "log entry" "$text|a&b@c.de|2.1.4" "$(php -r '$e = json_decode(trim(file_get_contents($argv[1])), true);
  echo $e["text"], "|", $e["mail"], "|", $e["version"];' "$RUN/data/feedback.log")"

# The log rotates at its size: the older entries move to feedback.log.1.
check "second feedback stored" "OK" "$(get "$URL/feedback.php?product=XKV&version=2.1.4&text=zweite+Nachricht")"
check "log rotated" "1 zweite Nachricht|1" "$(wc -l <"$RUN/data/feedback.log") $(php -r '
  echo json_decode(trim(file_get_contents($argv[1])), true)["text"];' "$RUN/data/feedback.log")|$(
  grep -c forged "$RUN/data/feedback.log.1")"
# Eight requests a minute from one address, refusals included; the ninth is refused.
check "still allowed" "400 400" "$(status "$URL/feedback.php?text=") $(status "$URL/feedback.php?text=")"
check "too many from one address" "429" "$(status "$URL/feedback.php?product=XKV&text=dritte+Nachricht")"
check "nothing more stored" "1" "$(wc -l <"$RUN/data/feedback.log")"

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
