#!/usr/bin/env bash
# The Windows bundle: builds build-win32/ktrvtest-windows-x86.zip, lists it,
# and checks that it holds exactly the six files, that both binaries are
# 32-bit Windows images, and that each imports only the DLLs it should:
# VEKXAPI.dll the sockets, the kernel and the C runtime; KTRVtest.exe the
# kernel, the window and drawing APIs, the common controls (its tooltip)
# and the C runtime (no mingw DLL).
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
zip="$root/build-win32/ktrvtest-windows-x86.zip"
folder=ktrvtest-windows-x86

bash "$root/tools/windows/bundle.sh" "$root/build-win32"
unzip -l "$zip"

failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
pass() { echo "ok: $*"; }

want="$(printf "$folder/%s\n" KTRVtest.exe LICENSE README.md VEKXAPI.dll libVEKXAPI.dll.a vekxapi.h | sort)"
have="$(zipinfo -1 "$zip" | grep -v '/$' | sort)"
if [ "$have" = "$want" ]; then pass "the zip holds exactly: $(echo $(basename -a $have))"; else
  fail "the zip holds:"; diff <(echo "$want") <(echo "$have") >&2 || true
fi

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
unzip -q "$zip" -d "$work"

# binary, what `file` must say, the imports it may and must have (no more)
check_binary() {
  local binary=$1 kind=$2 imports=$3 path="$work/$folder/$1"
  local described; described="$(file -b "$path")"
  if [[ "$described" == "PE32 executable ($kind) "*"Intel 80386"* ]]; then pass "$binary: $described"; else
    fail "$binary is not a 32-bit $kind: $described"
  fi
  local have; have="$(i686-w64-mingw32-objdump -p "$path" | awk '/DLL Name:/{print $3}' | sort -f | tr '\n' ' ')"
  if [ "${have,,}" = "${imports,,} " ]; then pass "$binary imports: $have"; else
    fail "$binary imports: $have(want: $imports)"
  fi
}
check_binary VEKXAPI.dll DLL "KERNEL32.dll msvcrt.dll WSOCK32.dll"
check_binary KTRVtest.exe GUI "COMCTL32.dll GDI32.dll KERNEL32.dll msvcrt.dll USER32.dll"

if cmp -s "$work/$folder/README.md" "$root/README.md" && cmp -s "$work/$folder/LICENSE" "$root/LICENSE"; then
  pass "README.md and LICENSE are the repository's"
else
  fail "README.md or LICENSE differs from the repository's"
fi

if [ "$failures" -ne 0 ]; then
  echo "Windows bundle check: $failures failure(s)" >&2
  exit 1
fi
echo "Windows bundle check: all passed ($zip)"
