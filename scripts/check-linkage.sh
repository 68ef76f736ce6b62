#!/usr/bin/env bash
# Checks that a Linux build of tamro needs no shared library but the C library,
# and states the oldest glibc it runs on: the newest GLIBC_ version among the
# symbol versions it asks for. Fails on any other library or symbol version.
# Two more parts of glibc itself (the same libc6 package, on every glibc system)
# are allowed: its loader, the program interpreter that starts every dynamic
# program, from which the statically linked C++ runtime takes __tls_get_addr; and
# libm, which an unoptimised build of fmt's floating-point code calls (ceil).
set -euo pipefail
program=${1:?usage: scripts/check-linkage.sh PROGRAM}

loader=$(readelf --program-headers --wide "$program" |
  sed -n 's|.*Requesting program interpreter: \(.*\)\]$|\1|p')
allowed=" libc.so.6 libm.so.6 ${loader##*/} "
needed=$(readelf --dynamic --wide "$program" | sed -n 's/.*(NEEDED).*\[\(.*\)\]$/\1/p')
# The version needs: one "File: lib" line per library, then its "Name: VERSION"s.
versions=$(readelf --version-info --wide "$program" |
  awk '/^Version needs section/ { inNeeds = 1; next }
       /^Version/ { inNeeds = 0 }
       inNeeds { for (i = 1; i < NF; ++i) {
                   if ($i == "File:") file = $(i + 1)
                   if ($i == "Name:") print file, $(i + 1) } }' | sort -u)

fail=0
for library in $needed; do
  if [[ $allowed != *" $library "* ]]; then
    echo "check-linkage: $program needs $library; only the C library is allowed" >&2
    fail=1
  fi
done
glibc=()
while read -r file version; do
  [ -z "$file" ] && continue
  if [[ $allowed != *" $file "* || $version != GLIBC_[0-9]* ]]; then
    echo "check-linkage: $program asks $file for $version" >&2
    fail=1
  else
    glibc+=("${version#GLIBC_}")
  fi
done <<<"$versions"
if [ ${#glibc[@]} -eq 0 ]; then
  echo "check-linkage: $program asks for no GLIBC_ version; is it a dynamic Linux program?" >&2
  exit 1
fi

newest=$(printf '%s\n' "${glibc[@]}" | sort -V | tail -n 1)
askers=$(readelf --dyn-syms --wide "$program" | awk -v v="@GLIBC_$newest" \
  '{ n = index($8, v); if (n > 0 && n + length(v) - 1 == length($8)) print substr($8, 1, n - 1) }')
echo "$program"
echo "  NEEDED: $(echo $needed)"
echo "  interpreter: $loader"
echo "  glibc versions asked for: $(printf '%s\n' "${glibc[@]}" | sort -u -V | tr '\n' ' ')"
echo "  oldest glibc it runs on: $newest (asked for by: $(echo $askers))"
exit $fail
