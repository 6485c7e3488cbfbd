#!/usr/bin/env bash
# Reads a built 32-bit VEKXAPI.dll and checks what Windows callers bind to:
#   - a 32-bit x86 DLL whose export directory names it "VEKXAPI.dll";
#   - exactly the 19 exports, undecorated, with ordinals 1 to 19, none by
#     ordinal only and none forwarded;
#   - imports from WSOCK32.dll (exactly the Windows Sockets 1.1 calls the
#     library makes), KERNEL32.dll and the C runtime only: no mingw DLL;
#   - by disassembly, that each standard-convention export returns with
#     `ret 4*N` (N 32-bit argument slots) and each C twin with a plain `ret`;
#   - that a C program calling all 19 through vekxapi.h links against the
#     import library and imports them from VEKXAPI.dll by their plain names.
# Usage: check-dll.sh [path/to/VEKXAPI.dll [path/to/libVEKXAPI.dll.a]]
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
dll="${1:-$root/build-win32/VEKXAPI.dll}"
import_lib="${2:-$(dirname "$dll")/lib/libVEKXAPI.dll.a}"
objdump=i686-w64-mingw32-objdump

failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
pass() { echo "ok: $*"; }

[ -f "$dll" ] || { echo "FAIL: no DLL at $dll" >&2; exit 1; }
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

# --- file format and DLL name ------------------------------------------------
if $objdump -f "$dll" | grep -q 'file format pei-i386'; then pass "32-bit x86 PE image"; else fail "not a pei-i386 image"; fi
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

# --- calling conventions, by disassembly --------------------------------------
image_base="$(awk '/^ImageBase/{print $2; exit}' <<<"$headers")"
while read -r ordinal name convention argc; do
  [ -n "$ordinal" ] || continue
  rva="$(awk -v o="$ordinal" '$1 == o {print $2}' <<<"$address_table")"
  if [ -z "$rva" ]; then fail "$name: no address"; continue; fi
  start=$(( 0x$image_base + 0x$rva ))
  # The function body: from its entry to the next symbol or the end of the
  # section. Its out-of-line parts (exception landing pads) jump back into
  # this body to return.
  body="$($objdump -d --no-show-raw-insn --start-address=$start --stop-address=$((start + 0x1000)) "$dll" |
    awk 'done {next}
         found && /^[0-9a-f]+ <.*>:$/ {done = 1; next}
         /^[0-9a-f]+ <.*>:$/ {found = 1; print; next}
         found && NF == 0 && started {done = 1; next}
         found && NF {started = 1; print}')"
  symbol="$(head -n1 <<<"$body" | sed -n 's/^[0-9a-f]* <\(.*\)>:$/\1/p')"
  rets="$(grep -E $'\t(repz |rep )?ret[lw]? *' <<<"$body" || true)"
  rets="$(sed -E 's/.*\t(repz |rep )?(ret[lw]?)[[:space:]]*(.*)$/\2 \3/; s/[[:space:]]+$//' <<<"$rets" | sort -u)"
  if [ "$convention" = stdcall ] && [ "$argc" -gt 0 ]; then
    want_ret="$(printf 'ret $0x%x' $((4 * argc)))"
    want_symbol="_${name}@$((4 * argc))"
  else
    want_ret="ret"
    if [ "$convention" = stdcall ]; then want_symbol="_${name}@0"; else want_symbol="_${name}"; fi
  fi
  if [ -z "$rets" ]; then
    fail "$name (ordinal $ordinal): no ret found in its body"
  elif [ "$rets" != "$want_ret" ]; then
    fail "$name (ordinal $ordinal, $convention, $argc arguments): returns with '$(echo $rets)', want '$want_ret'"
  elif [ -n "$symbol" ] && [ "$symbol" != "$want_symbol" ]; then
    fail "$name (ordinal $ordinal): entry is $symbol, want $want_symbol"
  else
    pass "$name (ordinal $ordinal, $convention, $argc arguments): $want_ret${symbol:+ at $symbol}"
  fi
done <<<"$expected_exports"

# --- binding through the import library ----------------------------------------
if [ -f "$import_lib" ]; then
  work="$(mktemp -d)"
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
  if i686-w64-mingw32-gcc -Wall -Wextra -I"$root/vekxapi/include" "$work/caller.c" "$import_lib" \
       -o "$work/caller.exe" 2>"$work/link.log"; then
    bound="$($objdump -p "$work/caller.exe" | sed -n '/DLL Name: VEKXAPI.dll/,/^$/p' |
      awk 'NF == 3 && $1 ~ /^[0-9a-f]+$/ {print $3}' | sort)"
    if [ "$bound" = "$(awk 'NF{print $2}' <<<"$expected_exports" | sort)" ]; then
      pass "a caller built with vekxapi.h and the import library imports the 19 plain names from VEKXAPI.dll"
    else
      fail "a caller imports from VEKXAPI.dll: $(echo $bound)"
    fi
  else
    fail "a caller does not link against $import_lib: $(cat "$work/link.log")"
  fi
  rm -rf "$work"
else
  fail "no import library at $import_lib"
fi

if [ "$failures" -ne 0 ]; then
  echo "VEKXAPI.dll check: $failures failure(s)" >&2
  exit 1
fi
echo "VEKXAPI.dll check: all passed ($dll)"
