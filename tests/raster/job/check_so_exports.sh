#!/bin/sh
# The native library exports exactly the eight printer functions.
#   check_so_exports.sh NM LIBRARY
set -eu
names=$("$1" -D --defined-only "$2" | awk '{print $3}' | sort)
expected=$(printf '%s\n' ClosePrinter_16_FUNC InitPrinter_16_FUNC PutPrinter_16_FUNC SendPrinter_16_FUNC \
  StartPrinter_16_FUNC StatPrinter_16_FUNC StopPrinter_16_FUNC WritePrinter_16_FUNC | sort)
[ "$names" = "$expected" ] || { echo "exports differ:"; echo "$names"; exit 1; }
echo "eight exports"
