"""Holds the kits' C#, VBA and Pascal files against the one source of what
they restate, so that a changed prototype, export or result fails here:
  - vekxapi.h and vekxapi.def: every plain standard-convention export is
    declared, by name, with its arguments' count, sizes and passing (by value,
    or the address of 8- or 16-bit data) and a 16-bit result, in the standard
    convention, in VBA's #If VBA7 branch (PtrSafe) and its #Else branch
    alike; no C-convention twin is declared (VB cannot call one: error 49);
  - result_meanings.txt: the words of every library, sockets and vekxsim row;
  - common/ktrv_fields.h: every field name the examples use.

    declarations_test.py CHECKOUT [LANGUAGES]   (LANGUAGES: a kit's languages/)
"""

import re
import sys
from pathlib import Path

C_KINDS = {"int16_t": "int16", "int32_t": "int32", "const char *": "8-bit data address",
           "void *": "8-bit data address", "const void *": "8-bit data address", "int16_t *": "int16 address"}
CSHARP_KINDS = {"short": "int16", "int": "int32", "byte[]": "8-bit data address", "out short": "int16 address"}
VBA_KINDS = {"ByVal Integer": "int16", "ByVal Long": "int32", "ByVal String": "8-bit data address",
             "ByRef Byte": "8-bit data address", "ByRef Integer": "int16 address"}
PASCAL_KINDS = {"SmallInt": "int16", "LongInt": "int32", "PAnsiChar": "8-bit data address",
                "var SmallInt": "int16 address"}
WINDOWS_STDCALL = "{$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external VekxLibrary;"


def prototypes(header: str) -> tuple[dict[str, list[str]], set[str]]:
    """The standard-convention functions with their argument kinds, and the C twins' names."""
    found = re.findall(r"int16_t (VEKX_STDCALL|VEKX_CDECL) (\w+)\(([^)]*)\)", header)
    kinds = {name: [C_KINDS[re.sub(r"\s*\b\w+$", "", a.strip()).replace("*", " *").replace("  ", " ").strip()]
                    for a in arguments.split(",") if a.strip() != "void"]
             for convention, name, arguments in found if convention == "VEKX_STDCALL"}
    return kinds, {name for convention, name, _ in found if convention == "VEKX_CDECL"}


def compare(problems: list[str], where: str, declared: dict[str, tuple[list[str], str]],
            wanted: dict[str, list[str]], twins: set[str]) -> None:
    for name in sorted(set(wanted) - set(declared)):
        problems.append(f"{where}: {name} is not declared")
    for name, (kinds, result) in sorted(declared.items()):
        if name in twins:
            problems.append(f"{where}: {name} is a C-convention twin: declare {name[:-1]}, the standard one "
                            "(VB's error 49, Bad DLL calling convention)")
        elif name not in wanted:
            problems.append(f"{where}: {name} is no export of vekxapi.def")
        elif result != "int16":
            problems.append(f"{where}: {name} returns {result}, where vekxapi.h returns int16_t")
        elif kinds != wanted[name]:
            problems.append(f"{where}: {name} takes ({', '.join(kinds)}), where vekxapi.h has "
                            f"({', '.join(wanted[name])})")


def csharp(text: str) -> dict[str, tuple[list[str], str]]:
    declared = {}
    for attribute, result, name, arguments in re.findall(
            r"\[DllImport\(([^]]*)\)\]\s*public static extern (\w+) (\w+)\(([^)]*)\);", text):
        kinds = [CSHARP_KINDS.get(re.sub(r"\s+\w+$", "", a.strip()), a.strip()) for a in arguments.split(",") if a.strip()]
        if "CallingConvention.StdCall" not in attribute or not attribute.startswith("Dll,"):
            kinds.append("not StdCall from Dll")
        declared[name] = (kinds, CSHARP_KINDS.get(result, result))
    return declared


def vba(text: str, problems: list[str]) -> None:
    branches: dict[str, dict[str, tuple[list[str], str]]] = {"VBA7": {}, "older VBA and VB6": {}}
    branch = "outside #If VBA7"
    for line in text.replace(" _\n", " ").splitlines():
        branch = {"#If VBA7 Then": "VBA7", "#Else": "older VBA and VB6", "#End If": "after #End If"}.get(line, branch)
        match = re.match(r"(?:Public |Private )?Declare (PtrSafe )?Function (\w+) Lib \"([^\"]+)\"(?: Alias \"(\w+)\")?"
                         r" \(([^)]*)\) As (\w+)$", line)
        if not match:
            if re.search(r"\bDeclare\b", line) and not line.startswith("'"):
                problems.append(f"VekxApi.bas: a Declare not read: {line}")
            continue
        ptr_safe, name, lib, alias, arguments, result = match.groups()
        if branch not in branches or (ptr_safe is not None) != (branch == "VBA7") or lib != "VEKXAPI.dll" or alias:
            problems.append(f"VekxApi.bas: {name} is declared {line.split(' Lib ')[0]} from {lib} in {branch}: "
                            "PtrSafe under #If VBA7 only, Lib \"VEKXAPI.dll\", no Alias")
        kinds = []
        for argument in filter(None, (a.strip() for a in arguments.split(","))):
            passing, _, kind = re.match(r"(?:(ByVal|ByRef) )?(\w+) As (\w+)$", argument).groups()
            kinds.append(VBA_KINDS.get(f"{passing or 'ByRef'} {kind}", f"{passing or 'ByRef'} {kind}"))
        branches.get(branch, {})[name] = (kinds, {"Integer": "int16", "Long": "int32"}.get(result, result))
    for branch, declared in branches.items():
        compare(problems, f"VekxApi.bas ({branch})", declared, WANTED, TWINS)


def pascal(text: str) -> dict[str, tuple[list[str], str]]:
    declared = {}
    for name, arguments, result, rest in re.findall(r"^function (\w+)(?:\(([^)]*)\))?: (\w+);([^\n]*\n[^\n]*)",
                                                   text.split("\nimplementation\n")[0], re.M):
        if "external" not in rest:
            continue  # the unit's own helpers
        kinds = []
        for group in filter(None, (g.strip() for g in arguments.split(";"))):
            names, kind = group.split(":")
            passing = "var " if names.startswith("var ") else ""
            kinds += [PASCAL_KINDS.get(passing + kind.strip(), passing + kind.strip())] * len(names.split(","))
        if rest.strip() != WINDOWS_STDCALL:
            kinds.append("not stdcall on Windows")
        declared[name] = (kinds, PASCAL_KINDS.get(result, result))
    return declared


def main() -> int:
    global WANTED, TWINS
    root = Path(sys.argv[1])
    languages = Path(sys.argv[2]) if len(sys.argv) > 2 else root / "packaging/windows/languages"
    WANTED, TWINS = prototypes((root / "vekxapi/include/vekxapi.h").read_text())
    problems: list[str] = []
    exports = set(re.findall(r"^\s+(\w+)\s+@\d+", (root / "vekxapi/src/vekxapi.def").read_text(), re.M))
    if exports != set(WANTED) | TWINS:
        problems.append(f"vekxapi.def and vekxapi.h name other functions: {sorted(exports ^ (set(WANTED) | TWINS))}")
    files = {name: (languages / name).read_text(encoding="utf-8") for name in
             ("csharp/VekxApi.cs", "csharp/ReadWeight.cs", "vba/VekxApi.bas", "vba/ReadWeight.bas",
              "pascal/VekxApi.pas", "pascal/ReadWeight.dpr", "python/read_weight.py")}
    if 'public const string Dll = "VEKXAPI.dll";' not in files["csharp/VekxApi.cs"] or \
            "{$IFDEF MSWINDOWS}\n  VekxLibrary = 'VEKXAPI.dll';" not in files["pascal/VekxApi.pas"]:
        problems.append("VekxApi.cs or VekxApi.pas does not name VEKXAPI.dll")
    compare(problems, "VekxApi.cs", csharp(files["csharp/VekxApi.cs"]), WANTED, TWINS)
    vba(files["vba/VekxApi.bas"], problems)
    compare(problems, "VekxApi.pas", pascal(files["pascal/VekxApi.pas"]), WANTED, TWINS)

    rows = [[cell.strip() for cell in line.split("|")] for line in (root / "common/result_meanings.txt").read_text()
            .splitlines() if line.strip() and not line.lstrip().startswith("#")]
    meanings = {(int(code), words) for origin, code, _, words, _ in rows if origin != "one-way"}
    patterns = {"csharp/VekxApi.cs": r"\{ (-?\d+), \"([^\"]+)\" \}", "vba/VekxApi.bas": r"Case (-?\d+): \w+ = \"([^\"]+)\"",
                "pascal/VekxApi.pas": r"(-?\d+): Result := '((?:[^']|'')+)'"}
    for name, pattern in patterns.items():
        found = {(int(code), words.replace("''", "'")) for code, words in re.findall(pattern, files[name])}
        if found != meanings:
            problems.append(f"{name}: result meanings differ from result_meanings.txt: missing "
                            f"{sorted(meanings - found)}, not in the table {sorted(found - meanings)}")
    fields = set(re.findall(r'"(/t1/\w+)"', (root / "common/ktrv_fields.h").read_text()))
    for name, text in files.items():
        for field in sorted(set(re.findall(r"/t1/\w+", text)) - fields):
            problems.append(f"{name}: {field} is no field of common/ktrv_fields.h")

    print("\n".join(f"FAIL: {p}" for p in problems) or f"ok: the {len(WANTED)} standard-convention exports, "
          f"{len(meanings)} result meanings and the field names agree in C#, VBA and Pascal")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
