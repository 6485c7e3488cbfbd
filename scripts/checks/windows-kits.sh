#!/usr/bin/env bash
# The two Windows kits as a Windows user gets them (tools/windows/bundle.sh):
#   - two builds, the second in another folder, give the same zips;
#   - each zip holds exactly its folder's twelve files and doc/, the manual
#     pages of the library and the programs as web pages; each page opens
#     and its links lead to pages and anchors there; its text files end
#     their lines as Windows does, and README.txt fits one screen and points
#     to doc\index.html;
#   - KTRVtest.exe and VEKXAPI.dll: images of the kit's architecture for
#     Windows XP (5.1; 5.2 for 64 bits), without debug sections, symbols or
#     a path of the build machine (the import libraries neither), importing
#     nothing outside the functions of XP's system DLLs listed below, with
#     a version resource; the console with its icon and its manifest;
#   - vekxsim.exe and vekx.exe: images of the kit's architecture for
#     Windows 7 (6.1), stripped likewise, with a version resource, importing
#     only from the system DLLs of Windows 7 listed below (their headers,
#     told the system is Windows 7, declare nothing later) and VEKXAPI.dll;
#   - VEKXAPI.dll's exports, calling conventions and import libraries
#     (tools/windows/check-dll.sh);
#   - read_weight.c builds as README.txt says, against each import library;
#   - vekxapi.h compiles as Visual C++ before 2010 reads it, which has no
#     <stdint.h>;
#   - languages/: the C#, VBA and Pascal declarations, result meanings and
#     field names agree with vekxapi.h, vekxapi.def, result_meanings.txt and
#     the console's fields (packaging/windows/languages/tests).
# Each kit is unzipped into an empty folder and run under Wine (wine32 for
# x86, wine64 for x64) against vekxsim on loopback: read_weight.exe, built
# there, reads the weight; tests/windows/export_calls.c, built there, sets
# the ports with SetEnvironmentVariableA, reads the weight and calls each
# export through GetProcAddress, and the stack pointer must be the same
# after each call (a callee that cleans up otherwise than its prototype
# says moves it); the kit's KTRVtest.exe, worked by the window driver,
# shows the weight.
# The x64 kit's C# example built with mcs and run by Mono, its Pascal example
# built with fpc -Mdelphi and its Python example with the kit's wheel read the
# weight through this machine's libvekxapi.so.1.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
source "$root/scripts/lib/kit-console.sh"

# The functions of Windows XP's system DLLs that the kits may import, as
# "DLL: functions"; "[x64]" or "[x86]" marks those that only one of XP's
# 32-bit and 64-bit (XP x64, NT 5.2) editions has. Sources:
#   KERNEL32, USER32, GDI32: Microsoft's Win32 API reference, whose
#     Requirements name Windows XP or an earlier system as each function's
#     minimum supported client (the 64-bit exception-handling functions:
#     the 64-bit kernel32.dll from XP x64 on; ReactOS's kernel32.spec, which
#     tags what came after NT 5.2, lists them untagged);
#   COMCTL32: the DLL version the reference names (InitCommonControlsEx
#     4.70, _TrackMouseEvent 4.71); Windows XP ships comctl32.dll 5.82;
#   WSOCK32: Windows Sockets 1.1, in every Windows since Windows 95 and NT;
#   msvcrt: mingw-w64's lib-common/msvcrt.def.in, which groups the DLL's
#     exports by the Windows version whose msvcrt.dll first had them: here
#     those up to "added in Windows XP"; the first 64-bit msvcrt.dll (XP x64)
#     has all of them.
xp_functions="
KERNEL32: CloseHandle CreateSemaphoreW DeleteCriticalSection EnterCriticalSection ExitProcess FormatMessageW
KERNEL32: FreeLibrary GetCurrentThreadId GetLastError GetModuleHandleA GetModuleHandleW GetProcAddress
KERNEL32: GetEnvironmentVariableA GetStartupInfoA GetStdHandle GetTickCount InitializeCriticalSection IsDBCSLeadByteEx
KERNEL32: LeaveCriticalSection LoadLibraryA LoadLibraryW LocalFree MultiByteToWideChar RaiseException
KERNEL32: ReleaseSemaphore RtlCaptureContext SetLastError SetUnhandledExceptionFilter Sleep TlsAlloc TlsFree
KERNEL32: TlsGetValue TlsSetValue VirtualProtect VirtualQuery WaitForSingleObject WideCharToMultiByte WriteFile
KERNEL32: lstrcmpW
KERNEL32 [x64]: RtlLookupFunctionEntry RtlUnwindEx RtlVirtualUnwind __C_specific_handler
USER32: AdjustWindowRectEx BeginPaint ClientToScreen CreateWindowExW DefWindowProcW DestroyWindow
USER32: DispatchMessageW DrawFocusRect DrawTextW EndPaint EnumThreadWindows FillRect GetClassNameW
USER32: GetClientRect GetCursorPos GetDlgCtrlID GetDlgItem GetFocus GetKeyState GetMessageW GetSysColor
USER32: GetSysColorBrush GetWindowLongW GetWindowRect GetWindowTextLengthW GetWindowTextW InflateRect
USER32: InvalidateRect IsChild IsDialogMessageW IsWindow KillTimer LoadBitmapW LoadCursorW LoadIconW
USER32: MessageBeep MessageBoxW OffsetRect PeekMessageW PostMessageW PostQuitMessage RegisterClassExW
USER32: ScreenToClient SendMessageW SetFocus SetTimer SetWindowLongW SetWindowPos SetWindowTextW ShowWindow
USER32: TrackMouseEvent TranslateMessage UnregisterClassW UpdateWindow
USER32: GetDC ReleaseDC SetCursor WindowFromPoint
USER32 [x64]: GetWindowLongPtrW SetWindowLongPtrW
GDI32: BitBlt CreateCompatibleDC CreateFontW CreateSolidBrush DeleteDC DeleteObject GetObjectW SelectObject
GDI32: GetTextExtentPoint32W SetBkColor SetBkMode SetTextColor
COMCTL32: InitCommonControls InitCommonControlsEx _TrackMouseEvent
WSOCK32: WSACleanup WSAGetLastError WSAStartup __WSAFDIsSet bind closesocket connect htons ioctlsocket recv
WSOCK32: select send socket
msvcrt: ___lc_codepage_func ___mb_cur_max_func __getmainargs __initenv __iob_func __mb_cur_max
msvcrt: __set_app_type __setusermatherr _acmdln _amsg_exit _cexit _close _commode _errno _exit _fmode _initterm
msvcrt: _iob _lock _onexit _read _unlock abort atoi calloc exit fflush fprintf fputc fputs free fwrite getenv
msvcrt: localeconv malloc memchr memcmp memcpy memmove memset realloc setlocale signal strchr strcmp
msvcrt: strerror strlen strncmp vfprintf wcslen
msvcrt [x86]: __p__acmdln __p__commode __p__fmode
"
# The DLLs that vekxsim.exe and vekx.exe may import from: Windows 7's own
# (Windows Sockets 2 and its extensions, the C runtime, the kernel and its
# security calls, the shell's parser of the wide command line) and the kit's
# VEKXAPI.dll.
win7_dlls="ADVAPI32.DLL KERNEL32.DLL MSVCRT.DLL MSWSOCK.DLL SHELL32.DLL USER32.DLL VEKXAPI.DLL WS2_32.DLL WSOCK32.DLL"

# "DLL function" per line, in upper case, for one architecture.
xp_allowed() {
  awk -v arch="$1" -F': ' 'NF == 2 {
      split($1, head, " "); if (head[2] != "" && head[2] != "[" arch "]") next
      n = split($2, f, " "); for (i = 1; i <= n; i++) print toupper(head[1] ".dll " f[i]) }' <<<"$xp_functions" | sort -u
}

# The sources of the manual pages a kit carries in doc/.
kit_pages="KTRVtest.1.scd vekx.1.scd vekxsim.1.scd vekxapi.3.scd Vek*.3.scd vekx-fields.7.scd"
# What holds only on Linux, which no page of a kit may say: a shared object,
# the run path, the virtual display, a path of the Linux tree, Qt's variables,
# the signals that stop a program there.
linux_only_words='\.so([^a-zA-Z]|$)|\$ORIGIN|xvfb-run|/usr/|QT_|SIG(TERM|INT|HUP)'

version="$(sed -n 's/^project([^ ]* VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")"
product="$(sed -n 's/^Name=//p' "$root/packaging/ktrvtest.desktop")"

echo "-- the kits, built twice"
bash "$root/tools/windows/bundle.sh"
# The second build lies beside the first, so that a compiler cache shared by
# the two (scripts/test-all.sh) gives it the first's objects: it compiles
# again only what reads differently the second time (a source generated at
# build time, a date), and links, strips and zips everything again; a path
# of the build folder written into a program is refused below in each image.
again="$root/build-again-windows"
rm -rf "$again"-*
bash "$root/tools/windows/bundle.sh" "$again" >/dev/null
for arch in $windows_arches; do
  zip="build-windows-$arch/ktrvtest-windows-$arch.zip"
  if cmp -s "$root/$zip" "$again-$arch/ktrvtest-windows-$arch.zip"; then
    pass "$zip: the same bytes from a second build in another folder"
  else
    fail "$zip differs from a second build's: the build is not reproducible"
  fi
done
rm -rf "$again"-*

# --- each kit ----------------------------------------------------------------
check_image() { # kit-folder image arch [win7]
  local image="$1/$2" arch=$3 major=5 minor=1 format=pei-i386 headers imports outside
  [ "$arch" = x64 ] && minor=2 format=pei-x86-64
  [ "${4:-}" = win7 ] && major=6 minor=1
  headers="$(x86_64-w64-mingw32-objdump -p "$image")"
  if grep -q "file format $format" <<<"$(x86_64-w64-mingw32-objdump -f "$image")" &&
    [ "$(awk '/^M(aj|in)or(OSystem|Subsystem)Version/ {printf "%s ", $2}' <<<"$headers")" = "$major $minor $major $minor " ]; then
    pass "$2: $format, for Windows $major.$minor and later"
  else
    fail "$2: not a $format image for Windows $major.$minor: $(grep -E 'format|Version' <<<"$headers" | tr -s '\t\n' '  ')"
  fi
  if grep -qE ' \.z?debug' <<<"$(x86_64-w64-mingw32-objdump -h "$image")"; then fail "$2 has debug sections"; fi
  if ! grep -q 'SymbolCount: 0$' <<<"$(llvm-readobj --file-headers "$image")"; then fail "$2 has a symbol table"; fi
  imports="$(llvm-readobj --coff-imports "$image" | awk '/Name:/ {dll = toupper($2)} /Symbol:/ {print dll, toupper($2)}' | sort -u)"
  if [ "${4:-}" = win7 ]; then
    outside="$(awk '{print $1}' <<<"$imports" | sort -u | comm -23 - <(tr ' ' '\n' <<<"$win7_dlls" | sort))"
    if [ -z "$outside" ]; then pass "$2: its $(grep -c . <<<"$imports") imports all come from DLLs of Windows 7 or the kit"; else
      fail "$2 imports from DLLs that are not Windows 7's (or not listed above yet): $(echo $outside)"
    fi
  else
    outside="$(comm -23 <(echo "$imports") <(xp_allowed "$arch"))"
    if [ -z "$outside" ]; then pass "$2: its $(grep -c . <<<"$imports") imports are all functions Windows XP has"; else
      fail "$2 imports what Windows XP lacks (or what the list above does not name yet): $(echo $outside)"
    fi
  fi
  # Version strings are UTF-16: each key is followed by its value.
  local strings; strings="$(strings -a -el "$image")"
  if grep -A1 -x ProductName <<<"$strings" | grep -qx "$product" &&
    grep -A1 -x FileVersion <<<"$strings" | grep -qx "$version"; then
    pass "$2: version resource, ProductName \"$product\", FileVersion $version"
  else
    fail "$2: no version resource with ProductName \"$product\" and FileVersion $version"
  fi
}

# The text files of a kit's languages/.
language_texts="csharp/VekxApi.cs csharp/ReadWeight.cs vba/VekxApi.bas vba/ReadWeight.bas pascal/VekxApi.pas
  pascal/ReadWeight.dpr python/read_weight.py result_meanings.txt"
for arch in $windows_arches; do
  windows_arch "$arch"
  name="ktrvtest-windows-$arch"
  zip="$root/build-windows-$arch/$name.zip"
  kit="$work/$arch/$name"
  echo "-- $name.zip"
  unzip -l "$zip"
  unzip -q "$zip" -d "$work/$arch"
  # doc/: the manual pages of what the kit holds, as web pages, and their index.
  # shellcheck disable=SC2086 # the list's patterns are expanded in doc/man
  pages="$(cd "$root/doc/man" && ls $kit_pages | sed 's/\.scd$/.html/')"
  # shellcheck disable=SC2086 # one page a word
  want="$({
    printf "$name/%s\n" KTRVtest.exe LICENSE.txt README.md README.txt VEKXAPI.dll VEKXAPI.lib \
      libVEKXAPI.dll.a read_weight.c vekx.exe vekxapi.def vekxapi.h vekxsim.exe
    printf "$name/languages/%s\n" $language_texts python/vekxapi-$version-py3-none-any.whl
    printf "$name/doc/%s\n" index.html $pages csharp.html vba.html pascal.html python.html
  } | sort)"
  have="$(zipinfo -1 "$zip" | grep -v '/$' | sort)"
  if [ "$have" = "$want" ]; then pass "the zip holds exactly: $(echo $(basename -a $have))"; else
    fail "the zip holds:"; diff <(echo "$want") <(echo "$have") >&2 || true
  fi
  # shellcheck disable=SC2086 # one file a word
  for text in LICENSE.txt README.md README.txt read_weight.c vekxapi.def vekxapi.h $(printf 'languages/%s ' $language_texts); do
    awk '!/\r$/ {exit 1}' "$kit/$text" || fail "$text has lines without CR LF"
  done
  if python3 "$root/scripts/lib/html-links.py" "$kit/doc" >"$work/links.log"; then
    pass "doc/: each of its $(find "$kit/doc" -name '*.html' | wc -l) web pages opens, and each link leads to its page and anchor"
  else
    fail "doc/: $(cat "$work/links.log")"
  fi
  linux_only="$(grep -o -E "$linux_only_words" "$kit"/doc/*.html | sort -u || true)"
  if [ -z "$linux_only" ]; then pass "doc/: no page says what holds only on Linux"; else
    fail "doc/ says what holds only on Linux: $(echo $linux_only)"
  fi
  if grep -q -F 'doc\index.html' "$kit/README.txt"; then pass "README.txt points to doc\index.html"; else
    fail "README.txt does not point to doc\index.html"
  fi
  # The status list: whole (no status line after the first line that is not
  # one), in ascending order, each code one of the table of result meanings.
  listed="$(awk '/^Status in the weight box/ {list = 1; next}
    /^ +-?[0-9]+(  | and up)/ {print (list ? "" : "outside the list: ") $1 + 0; next}
    list && /^      / {next} {list = 0}' "$kit/README.txt")"
  table="$(awk -F'|' '!/^#/ && NF == 5 {print $2 + 0}' "$root/common/result_meanings.txt" | sort -u)"
  if [ -n "$listed" ] && [ "$listed" = "$(sort -n <<<"$listed")" ] && [ -z "$(comm -23 <(sort -u <<<"$listed") <(echo "$table"))" ]; then
    pass "README.txt lists the statuses $(echo $listed) in one block, in order, each from the table of result meanings"
  else
    fail "README.txt's status list is split, out of order or not in common/result_meanings.txt: $(echo $listed)"
  fi
  if awk 'length($0) > 80 {long = 1} END {exit long || NR > 50}' "$kit/README.txt"; then
    pass "README.txt: $(wc -l <"$kit/README.txt") lines of at most 79 characters, CR LF"
  else
    fail "README.txt is longer than a screen (50 lines of 79 characters)"
  fi

  check_image "$kit" KTRVtest.exe $arch
  check_image "$kit" VEKXAPI.dll $arch
  check_image "$kit" vekxsim.exe $arch win7
  check_image "$kit" vekx.exe $arch win7
  manifest="$(tr -d '\r\n' <"$kit/KTRVtest.exe" | grep -a -o '<assembly.*</assembly>' || true)"
  if grep -q 'level="asInvoker"' <<<"$manifest" && [ "$(grep -o '<supportedOS ' <<<"$manifest" | wc -l)" = 5 ] &&
    ! grep -q 'Common-Controls' <<<"$manifest"; then
    pass "KTRVtest.exe: manifest asInvoker, five supported systems, no visual styles"
  else
    fail "KTRVtest.exe's manifest: '$manifest'"
  fi
  if grep -q 'Type: GROUP_ICON' <<<"$(llvm-readobj --coff-resources "$kit/KTRVtest.exe")"; then pass "KTRVtest.exe has its icon"; else
    fail "KTRVtest.exe has no icon"
  fi
  # No path of this machine (the checkout's, as text or as dlltool spells it
  # in symbol names), nor a source file's path from the toolchain's
  # libraries (their debug information, or an assertion's text).
  # vekxsim.exe and vekx.exe carry assertion texts of the posix runtime and
  # of the C++ library linked into them, which name their sources relative
  # to the toolchain's trees (./mingw-w64-libraries/..., ../../src/...): no
  # path of this machine, and not to be stripped; absolute ones still fail.
  for file in KTRVtest.exe VEKXAPI.dll vekxsim.exe vekx.exe VEKXAPI.lib libVEKXAPI.dll.a; do
    if grep -a -q -e "$root" -e "$(tr '/.-' '___' <<<"$root")" "$kit/$file"; then fail "$file holds the path $root"; fi
    relative='^$'
    case $file in vekxsim.exe | vekx.exe) relative='^\.\.?/' ;; esac
    sources="$(strings -a "$kit/$file" | grep -E '/[^ ]*\.(c|cc|cpp|h)$' | grep -v -E "$relative" || true)"
    [ -z "$sources" ] || fail "$file names source files: $(echo $sources | cut -c1-200)"
  done

  bash "$root/tools/windows/check-dll.sh" --symbols "$root/build-windows-$arch/$name-debug/VEKXAPI.dll.debug" \
    "$kit/VEKXAPI.dll" "$kit/libVEKXAPI.dll.a" "$kit/VEKXAPI.lib" || failures=$((failures + 1))

  # read_weight.c as README.txt builds it with MinGW, and against VEKXAPI.lib.
  gcc=$triple-gcc
  for library in "-L. -lVEKXAPI" VEKXAPI.lib; do
    # shellcheck disable=SC2086 # the library's words are separate arguments
    if (cd "$kit" && $gcc read_weight.c -o read_weight.exe $library 2>"$work/link.log") &&
      [ "$(llvm-readobj --coff-imports "$kit/read_weight.exe" | awk '/Name:/ {dll = $2} /Symbol:/ && dll == "VEKXAPI.dll" {print $2}' |
        sort | tr '\n' ' ')" = "VekCloseProcess VekRead VekRegisterProcess " ]; then
      pass "read_weight.c builds with $gcc and $library, importing its three functions from VEKXAPI.dll"
    else
      fail "read_weight.c and $library: $(cat "$work/link.log")"
    fi
  done

  if python3 "$root/packaging/windows/languages/tests/declarations_test.py" "$root" "$kit/languages" >"$work/decl.log"; then
    pass "languages/: $(cat "$work/decl.log")"
  else
    fail "languages/: $(cat "$work/decl.log")"
  fi

  # The kit's header as Visual C++ before 2010 reads it: no <stdint.h> (no
  # system header at all), and the two types it gives itself are signed
  # and as wide as their names say.
  cat >"$work/old_compiler.c" <<'EOF_C'
#include "vekxapi.h"
typedef char int16_t_is_signed_16_bits[sizeof(int16_t) == 2 && (int16_t)-1 < 0 ? 1 : -1];
typedef char int32_t_is_signed_32_bits[sizeof(int32_t) == 4 && (int32_t)-1 < 0 ? 1 : -1];
EOF_C
  if $gcc -nostdinc -D_MSC_VER=1500 -D_WIN32 -fsyntax-only -I"$kit" "$work/old_compiler.c" 2>"$work/old.log"; then
    pass "vekxapi.h compiles as Visual C++ 2008 (_MSC_VER 1500) reads it, without <stdint.h>, with $gcc"
  else
    fail "vekxapi.h as Visual C++ 2008 reads it (-nostdinc -D_MSC_VER=1500): $(head -5 "$work/old.log")"
  fi
done

# --- the x64 kit's other languages, against this machine's library ----------
kit="$work/x64/ktrvtest-windows-x64"
[ -f "$root/build/CMakeCache.txt" ] || cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$root/build" -j"$(nproc)" --target vekxapi vekxsim >/dev/null
for language in csharp pascal python; do
  if bash "$root/packaging/windows/languages/tests/examples_test.sh" $language "$kit/languages" \
    "$root/build/lib/libvekxapi.so.1" "$root/build/bin/vekxsim" >"$work/$language.log" 2>&1; then
    pass "the kit's $language files: $(sed -n 's/^ok: //p' "$work/$language.log" | paste -sd ';' -)"
  else
    fail "the kit's $language files: $(cat "$work/$language.log")"
  fi
done

# --- each kit under Wine ------------------------------------------------------
# Unzipped as it ships, with the programs built there above: read_weight.exe
# reads the weight; export_calls.exe sets the ports at run time and calls
# every export as its declared prototype (tests/windows/export_calls.c); the
# kit's console, worked by the window driver, shows the weight.
vekxsim_start "$work" --weight 12.5
x_display_start
for arch in $windows_run_arches; do
  windows_arch "$arch"
  echo "-- the $arch kit under $(basename "$wine"), against vekxsim on 127.0.0.1"
  kit="$work/$arch/ktrvtest-windows-$arch"
  wine_prefix_create "$arch"
  read="$(cd "$kit" && timeout 60 "$wine" read_weight.exe 2>&1 | tr -d '\r')" || true
  if [ "$read" = "weight at 127.0.0.1:    12.50" ]; then pass "read_weight.exe: $read"; else
    fail "read_weight.exe says: '$read'"
  fi
  # -O0: the stack pointer is read at each call's edges, with nothing moved across them.
  if "$triple-gcc" -O0 -Wall -Wextra -I"$kit" "$root/tests/windows/export_calls.c" -o "$kit/export_calls.exe" \
    2>"$work/link.log"; then
    calls="$(cd "$kit" && env -u VEKX_TERMINAL_PORT -u VEKX_LOCAL_PORT timeout 120 "$wine" export_calls.exe \
      "$VEKX_TERMINAL_PORT" "$VEKX_LOCAL_PORT" 2>&1 | tr -d '\r')" || true
    if ! grep -q -v '^ok: ' <<<"$(grep -v '^weight:' <<<"$calls")" && [ "$(grep -c '^ok: ' <<<"$calls")" = 19 ] &&
      grep -qx 'weight:    12.50' <<<"$calls"; then
      pass "export_calls.exe: ports set with SetEnvironmentVariableA, the weight read, each of the 19 exports leaves the caller's stack as it was"
    else
      fail "export_calls.exe: $calls"
    fi
  else
    fail "tests/windows/export_calls.c does not build with $triple-gcc: $(cat "$work/link.log")"
  fi
  if kit_console "$kit"; then
    pass "the kit's KTRVtest.exe: Ctrl+A and 127.0.0.1 typed into the address box, Start, the weight shown, Close Program"
  else
    fail "the kit's KTRVtest.exe under $(basename "$wine")"
  fi
  wine_prefix_remove
done

windows_runs_left_out
checks_done "Windows kits check" \
  "$root/build-windows-x86/ktrvtest-windows-x86.zip, $root/build-windows-x64/ktrvtest-windows-x64.zip"
