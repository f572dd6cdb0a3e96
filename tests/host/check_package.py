#!/usr/bin/env python3
"""The release package: made from the build into a scratch folder, it holds tarvo.dll, its import library,
every public header, the reference and the examples, every program the build made (apphost, launcher), nothing
of the stand-ins, tests or benchmarks; every DLL and program in it imports only system DLLs (the programs carry
their own copy of the runtime, so none imports tarvo.dll), and the zip holds the same files.

    check_package.py <objdump> <source root> <x64 build> <x86 build>"""
import re
import subprocess
import sys
import tempfile
import zipfile
from pathlib import Path

sys.dont_write_bytecode = True  # run in the source tree: no __pycache__ beside it
from check_dll import dump, import_faults  # noqa: E402

objdump, root, x64, x86 = sys.argv[1:5]
root = Path(root)
with tempfile.TemporaryDirectory() as out:
    made = subprocess.run([sys.executable, str(root / "tools" / "package.py"), str(root), x64, x86, out],
                          capture_output=True, text=True)
    folder = Path(out) / "tarvo"
    files = {p.relative_to(folder).as_posix() for p in folder.rglob("*") if p.is_file()}
    faults = [f"package.py failed: {made.stderr}"] * (made.returncode != 0)
    wanted = {"README.txt", "bin/x64/tarvo.dll", "lib/x64/libtarvo.dll.a", "reference/index.md"}
    wanted |= {f"include/{h.name}" for h in (root / "include").glob("*.h")}
    wanted |= {f"examples/{p.relative_to(root / 'examples').as_posix()}" for p in (root / "examples").rglob("*")
               if p.is_file()}
    wanted |= {f"bin/{arch}/{p}" for arch, build in (("x64", x64), ("x86", x86))
               for p in ("apphost.exe", "launcher.exe") if (Path(build) / "bin" / p).is_file()}
    faults += [f"missing: {f}" for f in sorted(wanted - files)]
    faults += [f"not for users: {f}" for f in sorted(files) if re.search(r"standin|test|bench|lunrun|lunhost|gtest", f, re.I)]
    faults += [f"unexpected: {f}" for f in sorted(files - wanted)
               if not re.fullmatch(r"reference/\w+\.md", f)]
    for f in sorted(files):
        if f.endswith((".dll", ".exe")):
            faults += [f"{f}: {fault}" for fault in import_faults(dump(objdump, str(folder / f)))]
    with zipfile.ZipFile(Path(out) / "tarvo.zip") as z:
        if {n[len("tarvo/"):] for n in z.namelist()} != files:
            faults.append("the zip and the folder differ")
print(*faults, f"{len(files)} files checked", sep="\n")
sys.exit(1 if faults else 0)
