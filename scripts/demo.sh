#!/usr/bin/env bash
# Builds tamro and runs its main job on the bundled samples: converts the DUIB
# files of samples/uifiles (-file mode) and the UIFILE resources of
# samples/modules/demo.dll (-sys mode) into a fresh output folder.
set -euo pipefail
cd "$(dirname "$0")/.."

echo "Building tamro (scripts/build.sh) ..."
scripts/build.sh >/dev/null
tamro=build/release/tamro
out=build/demo-output
rm -rf "$out"
mkdir -p "$out"

# Shows the command as it would be typed, then runs it.
run() {
  local shown="" a
  for a in "$@"; do
    case "$a" in
      *[\ \*\?]*) shown+=" \"$a\"" ;;
      *) shown+=" $a" ;;
    esac
  done
  echo
  echo "\$ tamro$shown"
  "$tamro" "$@"
}

run -file "samples/uifiles/*" "$out/files"
run -sys samples/modules/demo.dll "*" "$out/module"

echo "Output files:"
(cd "$out" && find . -type f | sort | sed 's|^\./|  |')
echo
echo "$out/files/40960.tamro.txt:"
echo
cat "$out/files/40960.tamro.txt"
