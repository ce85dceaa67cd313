#!/bin/sh
# Checks that a DLL exports exactly the eight printer functions, by their
# undecorated names, and imports the host libraries by name.
#   check_exports.sh OBJDUMP DLL
set -eu
objdump=$1 dll=$2
table=$("$objdump" -p "$dll")
names=$(printf '%s\n' "$table" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' | sed -n 's/^[[:space:]]*\[ *[0-9]*\] //p' | sort)
expected=$(printf '%s\n' ClosePrinter_16_FUNC InitPrinter_16_FUNC PutPrinter_16_FUNC SendPrinter_16_FUNC \
  StartPrinter_16_FUNC StatPrinter_16_FUNC StopPrinter_16_FUNC WritePrinter_16_FUNC | sort)
if [ "$names" != "$expected" ]; then
  echo "exports differ:"; echo "$names"; exit 1
fi
for lib in tessaro.dll vindal.dll ombrix.dll WINSPOOL.DRV; do
  printf '%s\n' "$table" | grep -q "DLL Name: $lib" || { echo "no import of $lib"; exit 1; }
done
# The copy bitmaps are read through tessaro's functions, imported by name.
tessaro=$(printf '%s\n' "$table" | sed -n '/DLL Name: tessaro.dll/,/DLL Name: [^t]/p')
for fn in OpenCopyBitmap SeekCopyBitmap ReadCopyBitmap CloseCopyBitmap; do
  printf '%s\n' "$tessaro" | grep -qw "$fn" || { echo "no import of $fn from tessaro.dll"; exit 1; }
done
echo "exports and imports as expected"
