#!/usr/bin/env python3
"""Writes the library's reference (docs/reference/*.md) from the sources that make the exports.

    reference.py <source root> <output folder> [--pages-only]

What it reads, and nothing else (reference_c.py reads the headers and export lists, reference_lua.py the
Lua tables, reference_text.py holds the readers of source text they share):
  - include/*.h: each member-row macro (`#define X_MEMBERS(M)`: name, kind, expression, Lua result and
    arguments give the signature and the line of meaning; a row's own `/* ... */` after its arguments is
    added to that line, or is the whole line where the expression is a named helper such as
    `cells(...)`, which would tell a reader nothing); rows of other row macros expanded into
    declarations by a declaring macro of the header; and every declaration written by hand
    (`TARVO_API ...;`, or a declaring macro of the header used on a line of its own), whose meaning is
    the comment directly above it: one line (`/* Returns the book's name; EmptyString on failure. */`)
    for one function, or several lines for the run of declarations right below it (up to a blank line
    or another comment); a comment after a declaration on its line describes that one. The other forms
    of a function (W, A, U) need no comment of their own. Longer comments standing apart are kept as
    the page's running text.
  - */exports.def: what the library exports.
  - lua/*.cpp: every luaL_Reg table: the Lua names, the function each row wraps (wrap<...>) or the
    hand-written function, whose count check gives the counts.
The output folder gets one page per family, index.md, and (unless --pages-only, as for the committed copy
in docs/reference) names.tsv (`c` or `lua`, name, page, and
for Lua the counts) for the tests. Problems (an export nowhere declared, a declaration without its
comment) are written to problems.txt and printed; the pages are written all the same."""
import re
import sys
from pathlib import Path

sys.dont_write_bytecode = True  # the build runs this in the source tree: no __pycache__ beside it
from reference_c import HeaderReader  # noqa: E402
from reference_lua import LuaReader  # noqa: E402

PAGES = [
    ("core", "Core, registers and strings", ["xcore.h", "xstring.h"], ["core.cpp"]),
    ("text", "Text utilities and hashing", ["xtext.h"], ["hashing.cpp"]),
    ("dates", "Dates", [], ["date.cpp"]),
    ("memory", "Memory: collected heap, element arrays, byte buffers, keyed table",
     ["xgc.h", "xmm.h", "xtable.h"], ["table.cpp"]),
    ("lua", "The Lua module TARVO: conventions", ["xlua.h"], []),
    ("com", "COM: late-bound calls from scripts", [], ["com.cpp"]),
    ("excel", "Excel and WPS spreadsheets, sheet reading, LibXL", ["xexcel.h"],
     ["excel.cpp", "sheetread.cpp", "libxl.cpp"]),
    ("sap", "SAP GUI scripting", ["xsap.h"], ["sap.cpp"]),
    ("op", "Desktop automation object (op.opsoft)", ["xop.h"], ["op.cpp"]),
    ("files", "Files, paths and INI files", ["xfile.h", "xpath.h", "xini.h"], ["files.cpp", "paths.cpp", "ini.cpp"]),
    ("processes", "Processes, windows and the daemon thread", ["xprocess.h"],
     ["processes.cpp", "windows.cpp", "daemon.cpp"]),
    ("http", "HTTP client", ["xhttp.h"], []),
    ("ui", "Native windows, dialogs and the input box", ["xui.h", "xdialog.h"], ["dialogs.cpp"]),
]

LUA_PAGE_TEXT = """\
`require "TARVO"` returns one table holding every function below and on the family pages. The
module is opened by the script engine through `luaopen_TARVO`.

- **Argument counts.** Every function checks how many arguments it got; a count outside the
  function's range raises the Lua error "param count error !". The reference gives each function's
  range (`1-3`: one to three; `2+`: two or more).
- **Defaults.** An argument written `name = value` may be left out; the value shown is used.
- **Text** arrives and leaves as UTF-8; functions calling a W export convert it to UTF-16 for the
  call. Library texts are released by the wrapper after the push: a script never frees anything.
- **Handles** (automation objects, buffers, tables, windows, processes) are integers. An
  automation object handed to a script is one reference the script owns: release it with
  `COM_Release`.
- **Numbers** read as integers take their low 32 bits for 32-bit parameters; flags accept a boolean
  or a number (non-zero is true).
- **Lists and records** are tables made by the engine's `BasicLib.NewTable`.
- **Registers.** `sRet()`, `iRet()`, `iRetSize()`, `iRet64()`, `dRet()`, `LastError()` and
  `LastErrorID()` read the core record's registers, which hold the latest call's secondary results
  (see the core page).
"""

RESULT_RELEASE_NOTE = (
    "Text results (`char *`, `wchar_t *`) are the caller's, released with `xCore_free`, and "
    "`xCore.EmptyString` stands for no text, unless the line says otherwise. Automation handles are "
    "one reference the caller owns (`COM_Release` from scripts, `IDispatch::Release` from C).")


class Reference(HeaderReader, LuaReader):
    def __init__(self, root):
        self.root = Path(root)
        self.problems = []
        self.exports = {}       # name -> Export
        self.order = {}         # header -> [item]: ("text", paragraph) or ("fn", base name)
        self.bases = {}         # (header, base) -> [Export]
        self.row_macros = {}    # macro name -> (header, [row argument lists])
        self.header_intro = {}
        self.header_title = {}
        self.lua_titles = {}
        self.lua = []           # dicts: name, page, source, args, counts, result, calls, meaning
        self.exported = set()
        self.lua_kinds = {}
        self.kind_defaults = {}


# ---- writing ----------------------------------------------------------------------------------------


def counts_text(low, high):
    if low is None:
        return "?"
    if high is None:
        return "%d+" % low
    return str(low) if low == high else "%d-%d" % (low, high)


def cell(text):
    return (text or "").replace("|", "\\|").replace("\n", " ")


def write(ref, out, pages_only=False):
    out = Path(out)
    out.mkdir(parents=True, exist_ok=True)
    for old in out.glob("*.md"):
        old.unlink()  # a page whose family has gone must not stay behind
    pages, header_page, source_page = [], {}, {}
    for slug, title, headers, sources in PAGES:
        pages.append([slug, title, headers])
        for h in headers:
            header_page[h] = slug
        for s in sources:
            source_page[s] = slug
    for header in ref.order:
        if header not in header_page:
            slug = re.sub(r"^x", "", header[:-2])
            pages.append([slug, ref.header_title.get(header, slug), [header]])
            header_page[header] = slug
    lua_by_page = {}
    for fn in ref.lua:
        target = ref.exports.get(fn["calls"] or "")
        page = header_page.get(target.header) if target else None
        page = page or source_page.get(fn["source"])
        if not page:
            page = Path(fn["source"]).stem
            source_page[fn["source"]] = page
            if page not in [p[0] for p in pages]:
                pages.append([page, ref.lua_titles.get(fn["source"], page), []])
        lua_by_page.setdefault(page, []).append(fn)
    names = []
    index = ["# tarvo reference", "",
             "Generated from the public headers, the export lists and the Lua registry "
             "(`tools/reference.py`); do not edit by hand.", "",
             "`tarvo.dll` exports C functions in up to three text forms: `A` (ANSI code page), `W` (UTF-16) and `U` "
             "(UTF-8); the `W` form holds the logic. Secondary results (sizes, counts, status texts) are read from "
             "the `xCore` record's registers right after the call. " + RESULT_RELEASE_NOTE, "",
             "| Page | C exports | Lua functions |", "|---|---|---|"]
    for slug, title, headers in pages:
        lines = ["# " + title, "", "Generated from the sources by `tools/reference.py`; do not edit by hand. "
                 "Back to the [index](index.md).", ""]
        c_count = 0
        if slug == "lua":
            lines += [LUA_PAGE_TEXT]
        for header in headers:
            if header not in ref.order:
                continue
            lines += ["## C exports of `%s`" % header, ""]
            if ref.header_intro.get(header):
                lines += [ref.header_intro[header], ""]
            if c_count == 0:
                lines += [RESULT_RELEASE_NOTE, ""]
            table_open = False
            for kind, value in ref.order[header]:
                if kind == "text":
                    lines += ["", value, ""]
                    table_open = False
                    continue
                group = ref.bases[(header, value)]
                if not table_open:
                    lines += ["| Function | Forms | Signature | Result (failure) | Meaning |", "|---|---|---|---|---|"]
                    table_open = True
                first = group[0]
                for e in group:
                    names.append(("c", e.name, slug, ""))
                c_count += len(group)
                forms = ", ".join(e.form for e in group if e.form) or "one"
                if first.params is None:
                    signature = "%s %s (data)" % (first.ret, first.name)
                else:
                    signature = "%s%s%s(%s)" % (first.ret, "" if first.ret.endswith("*") else " ", first.name,
                                                first.params)
                if first.result:
                    result = "%s (%s)" % (first.result, first.failure)
                else:
                    result = first.ret
                names_shown = ", ".join("`%s`" % e.name for e in group)
                lines.append("| %s | %s | `%s` | %s | %s |" % (names_shown, forms, cell(signature), cell(result),
                                                               cell(first.meaning)))
            lines.append("")
        lua_fns = sorted(lua_by_page.get(slug, []), key=lambda f: f["name"].lower())
        if lua_fns:
            lines += ["## Lua functions", "",
                      "| Lua function | Arguments | Counts | Result | Calls | Meaning |", "|---|---|---|---|---|---|"]
            for fn in lua_fns:
                names.append(("lua", fn["name"], slug, counts_text(fn["low"], fn["high"])))
                lines.append("| `%s` | %s | %s | %s | %s | %s |" % (
                    fn["name"], cell(fn["args"]), counts_text(fn["low"], fn["high"]), cell(fn["result"]),
                    "`%s`" % fn["calls"] if fn["calls"] else "script only", cell(fn["meaning"])))
            lines.append("")
        (out / (slug + ".md")).write_text("\n".join(lines).rstrip() + "\n", encoding="utf-8")
        index.append("| [%s](%s.md) | %d | %d |" % (title, slug, c_count, len(lua_fns)))
    (out / "index.md").write_text("\n".join(index) + "\n", encoding="utf-8")
    if pages_only:
        return
    (out / "names.tsv").write_text("".join("\t".join(n) + "\n" for n in sorted(names)), encoding="utf-8")
    (out / "problems.txt").write_text("".join(p + "\n" for p in ref.problems), encoding="utf-8")


def main():
    root, out = sys.argv[1:3]
    pages_only = "--pages-only" in sys.argv[3:]
    ref = Reference(root)
    ref.read_headers()
    ref.read_exports()
    ref.read_lua()
    write(ref, out, pages_only)
    for p in ref.problems:
        print("reference: " + p, file=sys.stderr)


if __name__ == "__main__":
    main()
