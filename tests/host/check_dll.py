#!/usr/bin/env python3
"""The DLL imports only system DLLs (no MinGW runtime DLL may be needed) and exports exactly the contract's
names: nothing outside the list, and no family half-done (once one name of a family is exported, all must be)."""
import re
import subprocess
import sys

SYSTEM = re.compile(r"(kernel32|user32|gdi32|shell32|shlwapi|ole32|oleaut32|imm32|advapi32|comdlg32|comctl32|wininet"
                    r"|msvcrt|psapi|version|uuid)\.dll|api-ms-win-.*")


def dump(objdump, path):
    return subprocess.run([objdump, "-p", path], capture_output=True, text=True, check=True).stdout


def imports(out):
    """The DLL names a PE file imports (lower case), from objdump -p output."""
    return [name.lower() for name in re.findall(r"^\s*DLL Name: (\S+)", out, re.M)]


def exports(out):  # the names a DLL exports, from objdump -p output
    table = re.split(r"\n\s*\n", out.partition("[Ordinal/Name Pointer] Table")[2], maxsplit=1)[0]
    return set(re.findall(r"^\s*\[\s*\d+\]\s+(\S+)", table, re.M))


def import_faults(out, allowed=()):
    found = imports(out)
    return ["no imports found"] * (not found) + [f"not a system DLL: {n}" for n in found
                                                 if not SYSTEM.fullmatch(n) and n not in allowed]


if __name__ == "__main__":
    objdump, dll, table = sys.argv[1:4]
    out = dump(objdump, dll)
    exported = exports(out)
    contract = dict(row.split("\t")[:2] for row in open(table, encoding="utf-8").read().splitlines() if "\t" in row)
    started = {contract[n] for n in exported if n in contract}
    faults = import_faults(out)
    faults += [f"exported but not in the contract: {n}" for n in sorted(exported - contract.keys())]
    faults += [f"missing export of the {f} family: {n}" for n, f in contract.items() if f in started and n not in exported]
    print(*faults, f"{len(imports(out))} imports and {len(exported)} exports checked", sep="\n")
    sys.exit(1 if faults else 0)
