#!/bin/sh
# The native library exports exactly the eight printer functions and imports
# the host libraries by name.
#   check_so_exports.sh NM READELF LIBRARY
set -eu
# Global symbols only (upper-case type): a local one in the dynamic table,
# such as the coverage build's section bounds, binds nothing outside.
names=$("$1" -D --defined-only "$3" | awk '$2 ~ /^[A-Z]$/ {print $3}' | sort)
expected=$(printf '%s\n' ClosePrinter_16_FUNC InitPrinter_16_FUNC PutPrinter_16_FUNC SendPrinter_16_FUNC \
  StartPrinter_16_FUNC StatPrinter_16_FUNC StopPrinter_16_FUNC WritePrinter_16_FUNC | sort)
[ "$names" = "$expected" ] || { echo "exports differ:"; echo "$names"; exit 1; }
needed=$("$2" -d "$3")
for lib in libtessaro.so libvindal.so libombrix.so; do
  printf '%s\n' "$needed" | grep -q "(NEEDED).*\[$lib\]" || { echo "no import of $lib"; exit 1; }
done
echo "eight exports, host libraries imported by name"
