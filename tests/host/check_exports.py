#!/usr/bin/env python3
"""The DLL exports exactly the contract's names: nothing outside the list, and
no family half-done: once one name of a family is exported, all of its names
must be."""
import re
import subprocess
import sys

objdump, dll, table = sys.argv[1:4]

out = subprocess.run([objdump, "-p", dll], capture_output=True, text=True, check=True).stdout
exports, in_table = set(), False
for line in out.splitlines():
    if line.startswith("[Ordinal/Name Pointer] Table"):
        in_table = True
        continue
    if in_table:
        m = re.match(r"\s*\[\s*\d+\]\s+(\S+)", line)
        if m:
            exports.add(m.group(1))
        elif not line.strip():
            in_table = False

contract = {}
for row in open(table, encoding="utf-8"):
    row = row.rstrip("\n").split("\t")
    if len(row) >= 2:
        contract[row[0]] = row[1]

started = {contract[n] for n in exports if n in contract}
unexpected = sorted(exports - contract.keys())
missing = sorted(n for n, family in contract.items() if family in started and n not in exports)
for n in unexpected:
    print("exported but not in the contract:", n)
for n in missing:
    print(f"missing export of the {contract[n]} family:", n)
print(f"{len(exports)} exports checked")
sys.exit(1 if unexpected or missing else 0)
