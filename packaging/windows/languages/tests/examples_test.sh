#!/usr/bin/env bash
# Builds a language's example from the files as a kit ships them and runs it
# against LIBRARY (libvekxapi.so.1) and vekxsim on loopback: it must print
# the simulator's weight as read_weight.c does. Under Mono (a dllmap maps
# the files' VEKXAPI.dll to LIBRARY) WrapperChecks.cs runs too, and its
# display text must arrive as 16 Windows-1252 bytes padded with blanks.
#   examples_test.sh csharp|pascal|python LANGUAGES LIBRARY VEKXSIM
set -euo pipefail
language=$1 languages=$(cd "$2" && pwd) library=$(realpath "$3") vekxsim_program=$(realpath "$4")
root="$(cd "$(dirname "$0")/../../../.." && pwd)"
source "$root/scripts/lib/loopback-vekxsim.sh"
case $language in csharp) tools=(mcs mono) ;; pascal) tools=(fpc) ;; *) tools=(python3) ;; esac
command -v "${tools[@]}" >/dev/null || { echo "FAIL: no ${tools[*]}: run scripts/install-deps.sh"; exit 1; }
work="$(mktemp -d)"
trap 'vekxsim_stop; rm -rf "$work"' EXIT
cp "$languages/$language"/* "$work/"
cd "$work"
case $language in
  csharp)
    # C# 3, the language of the .NET Framework 3.5's compiler, which the
    # files say they build with.
    mcs -langversion:3 -out:ReadWeight.exe ReadWeight.cs VekxApi.cs
    mcs -langversion:3 -out:WrapperChecks.exe "$root/packaging/windows/languages/tests/WrapperChecks.cs" VekxApi.cs
    for p in ReadWeight WrapperChecks; do echo "<configuration><dllmap dll=\"VEKXAPI.dll\" target=\"$library\"/></configuration>" >$p.exe.config; done
    run=(mono ReadWeight.exe) ;;
  pascal)
    # fpc links -lvekxapi: the library's development name, here beside it.
    ln -s "$library" libvekxapi.so
    fpc -Mdelphi -Fl. -FE. ReadWeight.dpr >fpc.log || { cat fpc.log; exit 1; }
    LD_LIBRARY_PATH="$(dirname "$library")" && export LD_LIBRARY_PATH
    run=(./ReadWeight) ;;
  python)
    # A kit's wheel, unpacked as pip installs a pure one; else the checkout's package.
    export PYTHONPATH="$root/python" VEKXAPI_LIBRARY="$library" PYTHONDONTWRITEBYTECODE=1
    for wheel in "$languages"/python/*.whl; do [ -f "$wheel" ] && unzip -q "$wheel" -d site && PYTHONPATH="$work/site"; done
    run=(python3 read_weight.py) ;;
esac
vekxsim_start "$work" --weight 12.5 >/dev/null
said="$("${run[@]}" 2>&1)" || true
[ "$said" = "weight at 127.0.0.1:    12.50" ] || { echo "FAIL: the $language example says: '$said'"; exit 1; }
echo "ok: the $language example: $said"
if [ "$language" = csharp ]; then
  mono WrapperChecks.exe
  grep -F 'data=".Café €1         "' traffic.log || { echo "FAIL: display texts: $(grep display-text traffic.log)"; exit 1; }
fi
