"""Holds the kits' C#, VBA and Pascal files against what they restate, so
that a changed prototype, export, result or field fails here:
  - vekxapi.h and vekxapi.def: each plain standard-convention export is
    declared with its arguments' count, sizes and passing (by value, or the
    address of 8- or 16-bit data) and a 16-bit result, in the standard
    convention; VBA's #If VBA7 branch (PtrSafe) and #Else branch alike; no
    C twin (VB cannot call one: error 49);
  - result_meanings.txt: the words of every library, sockets and vekxsim row;
  - common/ktrv_fields.h: every field name of the examples.

    declarations_test.py CHECKOUT [LANGUAGES]   (LANGUAGES: a kit's languages/)
"""

import re
import sys
from pathlib import Path

# A type as C, C#, Pascal or VBA writes it, and what crosses.
KINDS = dict.fromkeys(["int16_t", "short", "SmallInt", "ByVal Integer", "Integer"], "int16") | dict.fromkeys(
    ["int32_t", "int", "LongInt", "ByVal Long", "Long"], "int32") | dict.fromkeys(
    ["const char *", "void *", "const void *", "byte[]", "PAnsiChar", "ByVal String", "ByRef Byte"],
    "8-bit data address") | dict.fromkeys(["int16_t *", "out short", "var SmallInt", "ByRef Integer"], "int16 address")
DECLARATIONS = {  # name, arguments, result; a declaration in another form is not found
    "csharp/VekxApi.cs": r"\[DllImport\(Dll, CallingConvention = CallingConvention\.StdCall, ExactSpelling = true\)\]"
                         r"\s*public static extern (?P<result>\w+) (?P<name>\w+)\((?P<arguments>[^)]*)\);",
    "pascal/VekxApi.pas": r"\nfunction (?P<name>\w+)(?:\((?P<arguments>[^)]*)\))?: (?P<result>\w+);\s*"
                          r"\{\$IFDEF MSWINDOWS\}stdcall\{\$ELSE\}cdecl\{\$ENDIF\}; external VekxLibrary;",
    "vba": r"Public Declare (?P<ptr_safe>PtrSafe )?Function (?P<name>\w+) Lib \"VEKXAPI\.dll\" "
           r"\((?P<arguments>[^)]*)\) As (?P<result>\w+)\n",
}
MEANINGS = {"csharp/VekxApi.cs": r"\{ (-?\d+), \"([^\"]+)\" \}", "vba/VekxApi.bas": r"Case (-?\d+): \w+ = \"([^\"]+)\"",
            "pascal/VekxApi.pas": r"(-?\d+): Result := '((?:[^']|'')+)'"}


def kind(argument: str) -> str:
    """What an argument, as C, C#, Pascal or VBA declares it, passes."""
    if " As " in argument:  # VBA passes ByRef unless told ByVal
        argument = re.sub(r"^(ByVal |ByRef )?\w+ As ", lambda m: m[1] or "ByRef ", argument)
    elif ":" in argument:  # Pascal
        argument = re.sub(r"^(var )?\w+: ", r"\1", argument)
    else:  # C and C#: the name last
        argument = re.sub(r"\s*\b\w+$", "", argument).replace("*", " *").replace("  ", " ")
    return KINDS.get(argument, argument)


def declared(pattern: str, text: str, separator: str = ",") -> dict[str, tuple[list[str], str]]:
    return {m["name"]: ([kind(a.strip()) for a in (m["arguments"] or "").split(separator) if a.strip() not in ("", "void")],
                        KINDS.get(m["result"], m["result"])) for m in re.finditer(pattern, text)}


def main() -> int:
    root = Path(sys.argv[1])
    languages = Path(sys.argv[2]) if len(sys.argv) > 2 else root / "packaging/windows/languages"
    header = (root / "vekxapi/include/vekxapi.h").read_text()
    wanted = declared(r"(?P<result>int16_t) VEKX_STDCALL (?P<name>\w+)\((?P<arguments>[^)]*)\)", header)
    twins = set(re.findall(r"VEKX_CDECL (\w+)\(", header))
    exports = set(re.findall(r"^\s+(\w+)\s+@\d+", (root / "vekxapi/src/vekxapi.def").read_text(), re.M))
    problems = []
    if exports != set(wanted) | twins:
        problems.append(f"vekxapi.def and vekxapi.h differ in {sorted(exports ^ (set(wanted) | twins))}")
    files = {name: (languages / name).read_text(encoding="utf-8") for name in ["csharp/VekxApi.cs", "csharp/ReadWeight.cs",
             "vba/VekxApi.bas", "vba/ReadWeight.bas", "pascal/VekxApi.pas", "pascal/ReadWeight.dpr", "python/read_weight.py"]}
    vba = files["vba/VekxApi.bas"].replace(" _\n    ", " ")
    vba7, older = vba.split("#If VBA7 Then\n")[-1].split("#End If")[0].split("#Else\n")
    if len(re.findall(r"\bDeclare\b", re.sub(r"'.*", "", vba))) != len(re.findall(DECLARATIONS["vba"], vba7 + older)) or \
            "PtrSafe" in older or vba7.count("PtrSafe") != vba7.count("Declare"):
        problems.append("VekxApi.bas: a Declare outside #If VBA7, from another Lib, with an Alias, or without PtrSafe "
                        "under VBA7 only")
    for where, found in [("VekxApi.cs", declared(DECLARATIONS["csharp/VekxApi.cs"], files["csharp/VekxApi.cs"])),
                         ("VekxApi.pas", declared(DECLARATIONS["pascal/VekxApi.pas"], files["pascal/VekxApi.pas"], ";")),
                         ("VekxApi.bas (VBA7)", declared(DECLARATIONS["vba"], vba7)),
                         ("VekxApi.bas (older VBA and VB6)", declared(DECLARATIONS["vba"], older))]:
        for name in sorted(set(wanted) - set(found)):
            problems.append(f"{where}: {name} is not declared (in the standard convention, from VEKXAPI.dll)")
        for name, (kinds, result) in sorted(found.items()):
            if name in twins:
                problems.append(f"{where}: {name} is a C-convention twin: declare {name[:-1]}, the standard one "
                                "(VB's error 49, Bad DLL calling convention)")
            elif name not in wanted:
                problems.append(f"{where}: {name} is no export of vekxapi.def")
            elif (kinds, result) != wanted[name]:
                problems.append(f"{where}: {name} takes ({', '.join(kinds)}) and returns {result}, where vekxapi.h has "
                                f"({', '.join(wanted[name][0])}) and int16")

    rows = [[c.strip() for c in line.split("|")] for line in (root / "common/result_meanings.txt").read_text().splitlines()
            if line.strip() and not line.lstrip().startswith("#")]
    meanings = {(int(code), words) for origin, code, _, words, _ in rows if origin != "one-way"}
    for name, pattern in MEANINGS.items():
        found = {(int(code), words.replace("''", "'")) for code, words in re.findall(pattern, files[name])}
        if found != meanings:
            problems.append(f"{name}: result meanings differ from result_meanings.txt: missing {sorted(meanings - found)}, "
                            f"not in the table {sorted(found - meanings)}")
    fields = set(re.findall(r'"(/t1/\w+)"', (root / "common/ktrv_fields.h").read_text()))
    problems += [f"{name}: {field} is no field of common/ktrv_fields.h"
                 for name, text in files.items() for field in sorted(set(re.findall(r"/t1/\w+", text)) - fields)]
    print("\n".join(f"FAIL: {p}" for p in problems) or f"ok: the {len(wanted)} standard-convention exports, "
          f"{len(meanings)} result meanings and the field names agree in C#, VBA and Pascal")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
