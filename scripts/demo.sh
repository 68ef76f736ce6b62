#!/usr/bin/env bash
# Builds tamro and tamro-compile and runs their main jobs on the bundled samples:
# converts the DUIB files of samples/uifiles (-file mode) and the UIFILE resources
# of samples/modules/demo.dll (-sys mode) into a fresh output folder, then compiles
# the texts back into blobs and converts those again, which gives the same texts.
set -euo pipefail
cd "$(dirname "$0")/.."

echo "Building tamro and tamro-compile (scripts/build.sh) ..."
scripts/build.sh >/dev/null
bin=build/release
out=build/demo-output
rm -rf "$out"
mkdir -p "$out"

# Shows the command as it would be typed, then runs it.
run() {
  local program=$1 shown="" a
  shift
  for a in "$@"; do
    case "$a" in
      *[\ \*\?]*) shown+=" \"$a\"" ;;
      *) shown+=" $a" ;;
    esac
  done
  echo
  echo "\$ $program$shown"
  "$bin/$program" "$@"
}

run tamro -file "samples/uifiles/*" "$out/files"
run tamro -sys samples/modules/demo.dll "*" "$out/module"
run tamro-compile "$out/files/*.tamro.txt" "$out/blobs"
run tamro -file "$out/blobs/*" "$out/again"

echo "Output files:"
(cd "$out" && find . -type f | sort | sed 's|^\./|  |')
echo
echo "$out/files/40960.tamro.txt:"
echo
cat "$out/files/40960.tamro.txt"
echo
if diff -r "$out/files" "$out/again" >/dev/null; then
  echo "The compiled blobs convert to the same texts ($out/again)."
else
  echo "The compiled blobs convert to other texts:" >&2
  diff -r "$out/files" "$out/again" >&2
  exit 1
fi
