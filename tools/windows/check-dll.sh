#!/usr/bin/env bash
# Reads a built VEKXAPI.dll, 32-bit or 64-bit, and checks what Windows
# callers bind to:
#   - a PE image of its architecture whose export directory names it
#     "VEKXAPI.dll";
#   - exactly the 19 exports, undecorated, with ordinals 1 to 19, none by
#     ordinal only and none forwarded;
#   - imports from WSOCK32.dll (exactly the Windows Sockets 1.1 calls the
#     library makes), KERNEL32.dll and the C runtime only: no mingw DLL;
#   - 32-bit: by disassembly, that each standard-convention export returns
#     with `ret 4*N` (N 32-bit argument slots) and each C twin with a plain
#     `ret`;
#   - each import library names every function as its linker looks for it:
#     VEKXAPI.lib (Microsoft's format) by its symbols, for 32 bits
#     _VekRead@16 and __imp__VekRead@16 importing "VekRead" (C twins
#     _VekReadC, "VekReadC"), for 64 bits VekRead and __imp_VekRead;
#   - a C program calling all 19 through vekxapi.h links against each import
#     library and imports them from VEKXAPI.dll by their plain names.
# Usage: check-dll.sh [--symbols DEBUG-FILE] path/to/VEKXAPI.dll [IMPORT-LIBRARY...]
#   (import libraries by default: libVEKXAPI.dll.a and VEKXAPI.lib beside
#   the DLL, or in lib/; symbols by default: the DLL's own)
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
symbols=""
if [ "${1:-}" = --symbols ]; then
  symbols="$2"
  shift 2
fi
dll="${1:?usage: check-dll.sh [--symbols DEBUG-FILE] path/to/VEKXAPI.dll [IMPORT-LIBRARY...]}"
symbols="${symbols:-$dll}"
shift
import_libs=("$@")
if [ ${#import_libs[@]} -eq 0 ]; then
  folder="$(dirname "$dll")"
  [ -f "$folder/VEKXAPI.lib" ] || folder="$folder/lib"
  import_libs=("$folder/libVEKXAPI.dll.a" "$folder/VEKXAPI.lib")
fi

source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/lib/check-steps.sh"

[ -f "$dll" ] || { echo "FAIL: no DLL at $dll" >&2; exit 1; }
case "$(x86_64-w64-mingw32-objdump -f "$dll")" in
  *"file format pei-i386"*) bits=32 triple=i686-w64-mingw32 ;;
  *"file format pei-x86-64"*) bits=64 triple=x86_64-w64-mingw32 ;;
  *) echo "FAIL: $dll is no PE image of x86 or x64" >&2; exit 1 ;;
esac
pass "$bits-bit PE image"
objdump=$triple-objdump
headers="$($objdump -p "$dll")"

# Ordinal, name, convention and argument count, in export order.
expected_exports="
1 VekCloseProcess stdcall 0
2 VekDisplayText stdcall 2
3 VekFormattedRead stdcall 4
4 VekFormattedWrite stdcall 3
5 VekRead stdcall 4
6 VekReadP stdcall 3
7 VekRegisterProcess stdcall 3
8 VekResetDisplay stdcall 1
9 VekSendKeystroke stdcall 3
10 VekWrite stdcall 3
11 VekCloseProcessC cdecl 0
12 VekDisplayTextC cdecl 2
13 VekFormattedReadC cdecl 4
14 VekFormattedWriteC cdecl 3
15 VekReadC cdecl 4
16 VekRegisterProcessC cdecl 3
17 VekResetDisplayC cdecl 1
18 VekSendKeystrokeC cdecl 3
19 VekWriteC cdecl 3"

# --- DLL name ------------------------------------------------------------------
dll_name="$(awk '/^Name[ \t]+[0-9a-f]+ /{print $3; exit}' <<<"$headers")"
if [ "$dll_name" = "VEKXAPI.dll" ]; then pass "export directory name VEKXAPI.dll"; else fail "export directory name '$dll_name'"; fi

# --- export table ------------------------------------------------------------
base="$(awk '/^Ordinal Base/{print $3; exit}' <<<"$headers")"
[ "$base" = "1" ] || fail "ordinal base $base, not 1"
# Export address table: "[   0] +base[   1] 1510 Export RVA".
address_table="$(sed -n '/^Export Address Table -- Ordinal Base/,/^$/p' <<<"$headers" |
  sed -n 's/^[[:space:]]*\[ *[0-9]*\] +base\[ *\([0-9]*\)\] \([0-9a-f]*\) \(.*\)$/\1 \2 \3/p')"
# Name table: "[   4] VekRead", the bracket holding the ordinal less the base.
name_table="$(sed -n '/^\[Ordinal\/Name Pointer\] Table/,/^$/p' <<<"$headers" |
  sed -n 's/^[[:space:]]*\[ *\([0-9]*\)\] \(.*\)$/\1 \2/p' |
  awk -v base="$base" '{print $1 + base, $2}' | sort -n)"

want_names="$(awk 'NF{print $1, $2}' <<<"$expected_exports")"
if [ "$name_table" = "$want_names" ]; then
  pass "exactly the 19 names with ordinals 1..19, undecorated"
else
  fail "exported names and ordinals differ:"
  diff <(echo "$want_names") <(echo "$name_table") >&2 || true
fi
entries="$(grep -c . <<<"$address_table" || true)"
[ "$entries" = "19" ] && pass "19 entries in the export address table, none without a name" ||
  fail "$entries entries in the export address table"
if grep -qv ' Export RVA$' <<<"$address_table"; then fail "forwarded exports present"; fi

# --- import table ------------------------------------------------------------
imports="$(awk '/DLL Name:/{print $3}' <<<"$headers" | sort -f)"
bad_imports="$(grep -viE '^(WSOCK32|KERNEL32|msvcrt)\.dll$|^api-ms-win-crt-.*\.dll$' <<<"$imports" || true)"
if [ -n "$bad_imports" ]; then fail "unexpected imports: $(echo $bad_imports)"; else pass "imports only: $(echo $imports)"; fi
grep -qix 'WSOCK32.dll' <<<"$imports" || fail "WSOCK32.dll not imported"
grep -qix 'KERNEL32.dll' <<<"$imports" || fail "KERNEL32.dll not imported"
sockets_calls="$(sed -n '/DLL Name: [Ww][Ss][Oo][Cc][Kk]32/,/^$/p' <<<"$headers" |
  awk 'NF == 3 && $1 ~ /^[0-9a-f]+$/ {print $3}' | sort)"
want_sockets="$(printf '%s\n' WSAStartup WSACleanup socket bind connect ioctlsocket select __WSAFDIsSet \
  send recv closesocket WSAGetLastError htons | sort)"
if [ "$sockets_calls" = "$want_sockets" ]; then
  pass "from WSOCK32.dll exactly: $(echo $sockets_calls)"
else
  fail "calls imported from WSOCK32.dll differ:"
  diff <(echo "$want_sockets") <(echo "$sockets_calls") >&2 || true
fi

# --- calling conventions, by disassembly (32 bits) -----------------------------
# Each function's body runs from its entry to the next function's, as the
# symbols say: the DLL's own, or, for a stripped DLL, those of its debug
# file. Its out-of-line parts (exception landing pads) jump back into the
# body to return.
image_base="$(awk '/^ImageBase/{print $2; exit}' <<<"$headers")"
functions="$($triple-nm -n --defined-only "$symbols" 2>/dev/null | while read -r address type symbol; do
  if [[ "$type" == [Tt] ]]; then echo "$((16#$address)) $symbol"; fi
done)"
if [ "$bits" = 32 ] && [ -z "$functions" ]; then fail "no symbols in $symbols: give the debug file with --symbols"; fi
while read -r ordinal name convention argc; do
  [ -n "$ordinal" ] && [ "$bits" = 32 ] && [ -n "$functions" ] || continue
  rva="$(awk -v o="$ordinal" '$1 == o {print $2}' <<<"$address_table")"
  if [ -z "$rva" ]; then fail "$name: no address"; continue; fi
  start=$(( 0x$image_base + 0x$rva ))
  if [ "$convention" = stdcall ] && [ "$argc" -gt 0 ]; then
    want_ret="$(printf 'ret $0x%x' $((4 * argc)))"
    want_symbol="_${name}@$((4 * argc))"
  else
    want_ret="ret"
    if [ "$convention" = stdcall ]; then want_symbol="_${name}@0"; else want_symbol="_${name}"; fi
  fi
  symbol="$(awk -v at="$start" -v want="$want_symbol" \
    '$1 == at {found = $2; if ($2 == want) exit} END {print found}' <<<"$functions")"
  stop="$(awk -v at="$start" '$1 > at {print $1; exit}' <<<"$functions")"
  body="$($objdump -d --no-show-raw-insn --start-address=$start --stop-address=${stop:-$((start + 0x1000))} "$dll")"
  rets="$(grep -E $'\t(repz |rep )?ret[lw]? *' <<<"$body" || true)"
  rets="$(sed -E 's/.*\t(repz |rep )?(ret[lw]?)[[:space:]]*(.*)$/\2 \3/; s/[[:space:]]+$//' <<<"$rets" | sort -u)"
  if [ -z "$rets" ]; then
    fail "$name (ordinal $ordinal): no ret found in its body"
  elif [ "$rets" != "$want_ret" ]; then
    fail "$name (ordinal $ordinal, $convention, $argc arguments): returns with '$(echo $rets)', want '$want_ret'"
  elif [ "$symbol" != "$want_symbol" ]; then
    fail "$name (ordinal $ordinal): entry is '$symbol', want $want_symbol"
  else
    pass "$name (ordinal $ordinal, $convention, $argc arguments): $want_ret at $symbol"
  fi
done <<<"$expected_exports"

# --- the import libraries -------------------------------------------------------
# The symbols a linker looks for and the name each one imports, as
# llvm-readobj gives them for a library in Microsoft's format: "name type,
# symbol" per function. A 32-bit name is undecorated (the leading _ and the
# @N go) or has its prefix taken off.
want_lib_symbols="$(while read -r ordinal name convention argc; do
  [ -n "$ordinal" ] || continue
  if [ "$bits" = 64 ]; then
    echo "name __imp_$name $name"
  elif [ "$convention" = stdcall ]; then
    echo "undecorate __imp__$name@$((4 * argc)) _$name@$((4 * argc))"
  else
    echo "noprefix __imp__$name _$name"
  fi
done <<<"$expected_exports" | sort)"

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cat >"$work/caller.c" <<'C'
#include <stddef.h>
#include "vekxapi.h"
int main(void) {
  char b[4];
  int16_t n;
  return VekCloseProcess() + VekDisplayText(1, "") + VekFormattedRead("", 4, b, &n) +
         VekFormattedWrite("", 1, b) + VekRead("", 4, b, &n) + VekReadP("", 4, b) +
         VekRegisterProcess(1, "", 0) + VekResetDisplay(1) + VekSendKeystroke(1, 1, 0) + VekWrite("", 1, b) +
         VekCloseProcessC() + VekDisplayTextC(1, "") + VekFormattedReadC("", 4, b, &n) +
         VekFormattedWriteC("", 1, b) + VekReadC("", 4, b, &n) + VekRegisterProcessC(1, "", 0) +
         VekResetDisplayC(1) + VekSendKeystrokeC(1, 1, 0) + VekWriteC("", 1, b);
}
C
for import_lib in "${import_libs[@]}"; do
  library="$(basename "$import_lib")"
  if [ ! -f "$import_lib" ]; then fail "no import library at $import_lib"; continue; fi
  if [[ "$library" == *.lib ]]; then
    have="$(llvm-readobj --coff-imports "$import_lib" |
      awk '/Name type:/ {type = $3; n = 0} /Symbol:/ {s[++n] = $2} n == 2 {print type, s[1], s[2]; n = 0}' | sort)"
    names="$(llvm-nm "$import_lib" | awk '$2 == "T" {print $3}' | sort)"
    if [ "$have" = "$want_lib_symbols" ] && [ "$names" = "$(awk '{print $2; print $3}' <<<"$have" | sort)" ]; then
      pass "$library names each function as Microsoft's linker looks for it, e.g. $(awk '$3 ~ /^_?VekRead(@16)?$/ {
        print $3, "and", $2, "importing VekRead (name type " $1 ")"}' <<<"$have")"
    else
      fail "$library's symbols differ (name type, import symbol, symbol):"
      diff <(echo "$want_lib_symbols") <(echo "$have") >&2 || true
    fi
  fi
  if $triple-gcc -Wall -Wextra -I"$root/vekxapi/include" "$work/caller.c" "$import_lib" \
       -o "$work/caller.exe" 2>"$work/link.log"; then
    bound="$($objdump -p "$work/caller.exe" | sed -n '/DLL Name: VEKXAPI.dll/,/^$/p' |
      awk 'NF == 3 && $1 ~ /^[0-9a-f]+$/ {print $3}' | sort)"
    if [ "$bound" = "$(awk 'NF{print $2}' <<<"$expected_exports" | sort)" ]; then
      pass "a caller built with vekxapi.h and $library imports the 19 plain names from VEKXAPI.dll"
    else
      fail "a caller linked with $library imports from VEKXAPI.dll: $(echo $bound)"
    fi
  else
    fail "a caller does not link against $import_lib: $(cat "$work/link.log")"
  fi
done

checks_done "VEKXAPI.dll check" "$dll"
