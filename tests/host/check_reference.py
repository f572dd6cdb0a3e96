#!/usr/bin/env python3
"""The generated reference against the built library and the contract.

    check_reference.py complete <objdump> <dll> <contract folder> <reference folder>
    check_reference.py current <reference folder> <committed copy>

complete: the generator found nothing undocumented; the reference names exactly the DLL's exports; its
Lua functions are contract names with the contract's argument counts, and a family it names is named whole.
current: the committed copy (docs/reference) is the generated one, page for page."""
import sys
from pathlib import Path

sys.dont_write_bytecode = True  # run in the source tree: no __pycache__ beside it
from check_dll import dump, exports  # noqa: E402


def contract(path):
    rows = [line.split("\t") for line in Path(path).read_text(encoding="utf-8").splitlines() if "\t" in line]
    return {r[0]: (r[1], r[2].replace("exactly ", "") if len(r) > 2 else "") for r in rows}


def complete(objdump, dll, contract_dir, ref):
    ref = Path(ref)
    faults = [p for p in (ref / "problems.txt").read_text(encoding="utf-8").splitlines() if p]
    names = [line.split("\t") for line in (ref / "names.tsv").read_text(encoding="utf-8").splitlines()]
    pages = {p.stem: p.read_text(encoding="utf-8") for p in ref.glob("*.md")}
    faults += [f"{n} is not on its page {page}" for _, n, page, _ in names if f"`{n}`" not in pages.get(page, "")]
    exported = exports(dump(objdump, dll))
    c_names = {n for kind, n, _, _ in names if kind == "c"}
    faults += [f"exported but not in the reference: {n}" for n in sorted(exported - c_names)]
    faults += [f"in the reference but not exported: {n}" for n in sorted(c_names - exported)]
    for kind, table_name in (("c", "exports.tsv"), ("lua", "lua.tsv")):
        rows = contract(Path(contract_dir) / table_name)
        mine = {n: counts for k, n, _, counts in names if k == kind}
        faults += [f"{kind} name outside the contract: {n}" for n in sorted(mine.keys() - rows.keys())]
        if kind == "lua":
            faults += [f"Lua {n} accepts {mine[n]} arguments, the contract {rows[n][1]}" for n in sorted(mine)
                       if n in rows and rows[n][1] != mine[n]]
        present = {rows[n][0] for n in mine if n in rows}
        faults += [f"missing {kind} name of the {f} family: {n}" for n, (f, _) in rows.items()
                   if f in present and n not in mine]
    print(*faults, f"{len(c_names)} exports and {len(names) - len(c_names)} Lua functions checked", sep="\n")
    return faults


def current(ref, committed):
    made = {p.name: p.read_bytes() for p in Path(ref).glob("*.md")}
    kept = {p.name: p.read_bytes() for p in Path(committed).glob("*.md")}
    faults = [f"{name}: differs from the generated page" for name in sorted(made) if kept.get(name) != made[name]]
    faults += [f"{name}: no such page is generated" for name in sorted(kept.keys() - made.keys())]
    if faults:
        faults.append(f"regenerate it: python3 tools/reference.py . docs/reference --pages-only")
    print(*faults, f"{len(made)} pages compared", sep="\n")
    return faults


if __name__ == "__main__":
    mode, args = sys.argv[1], sys.argv[2:]
    sys.exit(1 if (complete(*args) if mode == "complete" else current(*args)) else 0)
