#!/usr/bin/env python3
"""Writes the library's reference (docs/reference/*.md) from the sources that make the exports.

    reference.py <source root> <output folder> [--pages-only]

What it reads, and nothing else:
  - include/*.h: each member-row macro (`#define X_MEMBERS(M)`: name, kind, expression, Lua result and
    arguments give the signature and the line of meaning); rows of other row macros expanded into
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
import os
import re
import sys
from pathlib import Path

# Pages in reading order: slug, title, headers, Lua sources (functions that call no export of a
# header land on their source's page). A header or Lua source not named here gets a page of its own.
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
SKIP_HEADERS = {"tarvo_api.h", "tarvo_members.h"}

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

# ---- small parsing helpers ------------------------------------------------------------------------


def split_top(text, sep=","):
    """Splits at `sep` outside parentheses, brackets, angle brackets and string literals."""
    parts, depth, cur, quote, i = [], 0, "", None, 0
    while i < len(text):
        c = text[i]
        if quote:
            cur += c
            if c == "\\" and i + 1 < len(text):
                cur += text[i + 1]
                i += 1
            elif c == quote:
                quote = None
        elif c in "\"'":
            quote = c
            cur += c
        elif c in "([{<":
            depth += 1
            cur += c
        elif c in ")]}>":
            depth -= 1
            cur += c
        elif c == sep and depth == 0:
            parts.append(cur.strip())
            cur = ""
        else:
            cur += c
        i += 1
    if cur.strip():
        parts.append(cur.strip())
    return parts


def calls(text, name):
    """The argument texts of every call `name(...)` in text (balanced parentheses, strings skipped)."""
    out = []
    for m in re.finditer(r"\b%s\(" % re.escape(name), text):
        depth, i, quote = 1, m.end(), None
        while i < len(text) and depth:
            c = text[i]
            if quote:
                if c == "\\":
                    i += 1
                elif c == quote:
                    quote = None
            elif c in "\"'":
                quote = c
            elif c == "(":
                depth += 1
            elif c == ")":
                depth -= 1
            i += 1
        out.append(text[m.end():i - 1])
    return out


def strip_comment(line):
    m = re.fullmatch(r"\s*/\*\s*(.*?)\s*\*/\s*", line)
    return m.group(1) if m else None


def macro_bodies(text):
    """name -> (parameters, body) of every #define with parameters, continuation lines joined."""
    out = {}
    lines = text.split("\n")
    i = 0
    while i < len(lines):
        m = re.match(r"\s*#\s*define\s+(\w+)\(([^)]*)\)\s?(.*)", lines[i])
        if m:
            body = m.group(3)
            while body.endswith("\\") and i + 1 < len(lines):
                i += 1
                body = body[:-1] + "\n" + lines[i]
            out[m.group(1)] = ([p.strip() for p in m.group(2).split(",") if p.strip()], body)
        i += 1
    return out


def substitute(params, body, args):
    """One expansion of a function-like macro: #p, a##b, __VA_ARGS__."""
    names = dict(zip([p for p in params if p != "..."], args))
    if "..." in params:
        names["__VA_ARGS__"] = ", ".join(args[len(params) - 1:])
    body = re.sub(r"(?<![#\w])#(?!#)\s*(\w+)", lambda m: '"%s"' % names[m.group(1)] if m.group(1) in names else m.group(0), body)
    body = re.sub(r"\b\w+\b", lambda m: names.get(m.group(0), m.group(0)), body)
    return re.sub(r"\s*##\s*", "", body)


# ---- member rows ----------------------------------------------------------------------------------

ARG_TYPES_W = {"Obj": "xComObject", "Int": "int32_t", "Flag": "int32_t", "Num": "double", "Text": "const wchar_t *",
               "Pos": "int32_t"}
ARG_NAMES = {"Obj": "object", "Int": "n", "Flag": "flag", "Num": "number", "Text": "text", "Pos": "position"}
KIND_RESULT = {
    "create": ("xComObject", "0", "handle"), "attach": ("xComObject", "0", "handle"),
    "moniker": ("xComObject", "0", "handle"), "put": ("int32_t", "0", "1"), "call": ("int32_t", "0", "1"),
    "object": ("xComObject", "0", "handle"), "int": ("int32_t", "0", "value"),
    "int_else_1": ("int32_t", "1", "value"), "int_as_double": ("double", "0.0", "value"),
    "number": ("double", "0.0", "value"), "flag": ("int32_t", "0", "-1 or 0"), "exists": ("int32_t", "0", "1"),
    "text": ("wchar_t *", "EmptyString", "text"),
}
KIND_MEANING = {
    "create": "Creates the automation object {e}; the caller owns the handle.",
    "attach": "Attaches to the running {e}; the caller owns the handle.",
    "moniker": "Gets the object of the display name and member {e}; the caller owns the handle.",
    "put": "Sets {e} on the object: 1 when done.",
    "call": "Calls {e} on the object: 1 when done.",
    "object": "Gets the object {e}: a handle the caller owns.",
    "int": "Reads {e} as an integer.",
    "int_else_1": "Reads {e} as an integer; 1 on failure.",
    "int_as_double": "Reads {e} as an integer, given as a double.",
    "number": "Reads {e} as a number.",
    "flag": "Reads {e}: -1 for true, 0 for false.",
    "exists": "1 when {e} gives an object (released at once), else 0.",
    "text": "Reads {e} as text: a copy the caller releases with `xCore_free`.",
}


def arg_base(arg):
    m = re.match(r"(\w+)(?:\((.*)\))?$", arg.strip())
    return (m.group(1), m.group(2)) if m else (arg.strip(), None)


def member_params(args, wide):
    """The C parameters of a row's arguments: [(type, name)]."""
    out, seen = [], {}
    for a in args:
        base, value = arg_base(a)
        base = {"IntOr": "Int", "FlagOr": "Flag"}.get(base, base)
        if base in ("Fixed", "Void"):
            continue
        if base == "Cells":
            out += [("int32_t", n) for n in ("row1", "col1", "row2", "col2")]
            continue
        if base == "Rec":
            out.append((value + " *", "handle"))
            continue
        t = ARG_TYPES_W.get(base, base)
        if base == "Text" and not wide:
            t = "const char *"
        name = ARG_NAMES.get(base, "a")
        seen[name] = seen.get(name, 0) + 1
        out.append((t, name))
    # Numbered only where a name repeats.
    counts = {}
    for _, n in out:
        counts[n] = counts.get(n, 0) + 1
    numbered, final = {}, []
    for t, n in out:
        if counts[n] > 1 and n not in ("row1", "col1", "row2", "col2"):
            numbered[n] = numbered.get(n, 0) + 1
            n = "%s%d" % (n, numbered[n])
        final.append((t, n))
    return final


def format_params(params):
    if not params:
        return "void"
    return ", ".join(t + ("" if t.endswith("*") else " ") + n for t, n in params)


def lua_member_kinds(args):
    """The Lua argument kinds of a row, as wrap<> kinds: [(kind name, default)]."""
    kinds = []
    for a in args:
        base, value = arg_base(a)
        if base in ("Fixed", "Void"):
            continue
        if base == "Cells":
            kinds += [("Int", None)] * 4
        elif base in ("IntOr", "FlagOr"):
            kinds.append((base, value))
        else:
            kinds.append(({"Flag": "AnyFlag", "Num": "Number", "Rec": "Int", "Obj": "Int", "Pos": "Int"}.get(base, base),
                          None))
    return kinds


# ---- the model ------------------------------------------------------------------------------------


class Export:
    def __init__(self, name, base, form, ret, params, meaning, header, result=None, failure=None):
        self.name, self.base, self.form, self.ret, self.params = name, base, form, ret, params
        self.meaning, self.header, self.result, self.failure = meaning, header, result, failure


class Reference:
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

    # -- headers --
    def read_headers(self):
        for path in sorted((self.root / "include").glob("*.h")):
            if path.name not in SKIP_HEADERS:
                self.read_header(path)

    def add(self, header, export):
        if export.name in self.exports:
            return
        self.exports[export.name] = export
        key = (header, export.base)
        if key not in self.bases:
            self.bases[key] = []
            self.order[header].append(("fn", export.base))
        self.bases[key].append(export)

    def read_header(self, path):
        text = path.read_text(encoding="utf-8")
        header = path.name
        self.order[header] = []
        intro = re.match(r"\s*/\*(.*?)\*/", text, re.S)
        if intro:
            paragraph = clean_comment(intro.group(1))
            self.header_intro[header] = paragraph
            self.header_title[header] = re.split(r"[:.]", paragraph, maxsplit=1)[0].strip()
        macros = macro_bodies(text)
        for name, (params, body) in macros.items():
            rows = calls(body, params[0]) if len(params) == 1 else []
            if rows and params[0] in ("M", "S") or (rows and name.endswith(("_MEMBERS", "_ROWS"))):
                self.row_macros[name] = (header, [split_top(r) for r in rows], body)
        lines = text.split("\n")
        # Member rows and other row macros, where the header expands them into declarations.
        for m in re.finditer(r"^(\w+)\((\w+)\)\s*$", text, re.M):
            rows_name, declare = m.group(1), m.group(2)
            if rows_name not in self.row_macros:
                continue
            _, rows, body = self.row_macros[rows_name]
            for row in rows:
                if declare == "TARVO_MEMBER_DECLARE":
                    self.add_member(header, row, body)
                elif declare in macros:
                    self.add_declared(header, row, macros[declare], body)
        # Hand-written declarations, outside macros, in order, with the comments between them. A comment
        # directly above a declaration describes it and the declarations right below it (up to a blank line
        # or another comment); a comment after a declaration on its own line describes that one alone; a
        # function's other forms share the description of its first.
        i, block, run, pending, in_macro, run_covers_more = 0, [], None, None, False, False
        meanings = {}
        while i < len(lines):
            line = lines[i]
            if in_macro or re.match(r"\s*#\s*define", line):
                in_macro = line.rstrip().endswith("\\")
                run = None
                i += 1
                continue
            if line.lstrip().startswith("/*"):
                j = i
                while "*/" not in lines[j]:
                    j += 1
                block_text = clean_comment("\n".join(lines[i:j + 1]).strip()[2:-2])
                run = None
                if j + 1 < len(lines) and declares(lines[j + 1], macros):
                    # A comment of several lines may speak of the run of declarations below it; a comment of
                    # one line speaks of the one function below it (and its forms).
                    pending = (block_text, j > i)
                elif j > i and not (intro and i == text[:intro.start(1)].count("\n")):
                    block.append(block_text)
                i = j + 1
                continue
            if not declares(line, macros):
                if line.strip():
                    run = None
                i += 1
                continue
            invocation = re.match(r"(\w+)\(([^()]*)\)\s*$", line)
            j = i
            while not invocation and ";" not in lines[j]:
                j += 1
            decl = " ".join(l.strip() for l in lines[i:j + 1])
            trailing = re.search(r";\s*/\*\s*(.*?)\s*\*/\s*$", lines[j])
            first_of_run = pending is not None
            if invocation:
                params, body = macros[invocation.group(1)]
                decl = substitute(params, body, split_top(invocation.group(2)))
            if pending is not None:
                (run, run_covers_more), pending = pending, None
            for d in re.findall(r"(?:TARVO_API|TARVO_DATA)[^;]*;", re.sub(r"\s+", " ", decl)):
                export = self.parse_declaration(header, d)
                if not export:
                    continue
                if block:
                    self.order[header].append(("text", "\n\n".join(block)))
                    block = []
                export.meaning = (trailing.group(1) if trailing else None) or meanings.get(export.base) or (
                    run if first_of_run or run_covers_more else None)
                first_of_run = False
                if not export.meaning:
                    self.problems.append("%s: %s has no comment directly above it" % (header, export.name))
                    export.meaning = ""
                self.add(header, export)
                meanings.setdefault(export.base, export.meaning)
            i = j + 1
        if block:
            self.order[header].append(("text", "\n\n".join(block)))

    def parse_declaration(self, header, decl):
        m = re.match(r"(TARVO_API|TARVO_DATA)\s+(.*?)\s*\b(\w+)\s*\((.*)\)\s*;", decl)
        if not m:
            m = re.match(r"TARVO_DATA\s+(\w+)\s+(\w+)\s*;", decl)
            if m:
                return Export(m.group(2), m.group(2), "", m.group(1), None, "", header)
            return None
        ret, name, params = m.group(2).strip(), m.group(3), m.group(4).strip()
        return Export(name, base_name(name), form_of(name), ret, params, "", header)

    def add_member(self, header, row, body):
        form, name, kind, expression, lua = row[:5]
        args = row[5:]
        note = row_note(body, name)
        ret, failure, result = KIND_RESULT.get(kind, ("?", "?", "?"))
        e = show_expression(expression)
        meaning = KIND_MEANING.get(kind, "{e}").format(e=e) + sentence(note)
        forms = {"One": [("", True)], "W": [("W", True)], "WA": [("W", True), ("A", False)]}.get(form, [])
        for suffix, wide in forms:
            r = ret if wide or ret != "wchar_t *" else "char *"
            self.add(header, Export(name + suffix, name, suffix, r, format_params(member_params(args, wide)),
                                    meaning, header, result, failure))

    def add_declared(self, header, row, declare, body):
        params, decl_body = declare
        text = substitute(params, decl_body, row)

        def expand(m, wide):
            return format_params(member_params(split_top(m), wide))
        for kw, wide in (("XM_PARAMS_W", True), ("XM_PARAMS_A", False)):
            for inner in calls(text, kw):
                text = text.replace("%s(%s)" % (kw, inner), expand(inner, wide))
        note = row_note(body, row[0])
        expression = next((a for a in row if a.startswith("L\"")), "")
        for decl in re.findall(r"TARVO_API[^;]*;", text):
            export = self.parse_declaration(header, re.sub(r"\s+", " ", decl))
            if export:
                export.meaning = ("Calls %s on the object." % show_expression(expression)) + sentence(note)
                self.add(header, export)

    # -- exports and Lua --
    def read_exports(self):
        for path in sorted(self.root.glob("*/exports.def")):
            for line in path.read_text(encoding="utf-8").splitlines():
                words = line.split()
                if words and not line.startswith(";"):
                    self.exported.add(words[0])
        for name in sorted(self.exported - self.exports.keys()):
            self.problems.append("%s is exported but declared in no public header" % name)

    def read_lua_kinds(self):
        """Argument kinds: name -> (Lua arguments taken, required)."""
        kinds = {}
        # Twice: a kind may be named from another defined in a file read later.
        for path in 2 * sorted((self.root / "lua").glob("*.[ch]pp")):
            text = path.read_text(encoding="utf-8")
            for m in re.finditer(r"using\s+(\w+)\s*=\s*(ValueKind|TextKind)<(.*?)>\s*;", text):
                targs = split_top(m.group(3))
                required = len(targs) < 2 or targs[1] != "false"
                taken = int(targs[2]) if m.group(2) == "ValueKind" and len(targs) > 2 else 1
                kinds[m.group(1)] = (taken, required)
            for m in re.finditer(r"using\s+(\w+)\s*=\s*(\w+)(?:<(.*?)>)?\s*;", text):
                if m.group(2) in kinds and m.group(1) not in kinds:
                    kinds[m.group(1)] = kinds[m.group(2)] if not m.group(3) else (kinds[m.group(2)][0], False)
                    if m.group(3):
                        self.kind_defaults[m.group(1)] = m.group(3)  # an alias with its default: Style = IntOr<0>
            # A kind written as a struct of its own: its kLuaArgs and kRequired, in either order.
            for m in re.finditer(r"struct\s+(\w+)\s*\{([^{}]*)", text):
                taken = re.search(r"kLuaArgs\s*=\s*(\d+)", m.group(2))
                required = re.search(r"kRequired\s*=\s*(\w+)", m.group(2))
                if taken and required:
                    kinds[m.group(1)] = (int(taken.group(1)), required.group(1) == "true")
        self.lua_kinds = kinds

    def read_lua(self):
        self.read_lua_kinds()
        header_macros = {}
        for path in sorted((self.root / "include").glob("*.h")):
            header_macros.update(macro_bodies(path.read_text(encoding="utf-8")))
        for path in sorted((self.root / "lua").glob("*.cpp")):
            text = path.read_text(encoding="utf-8")
            first = re.match(r"//\s*(.*)", text)
            if first:  # the title of a page of script-only functions: the file's first comment line
                self.lua_titles[path.name] = re.split(r"[:.]", first.group(1), maxsplit=1)[0].strip()
            local = macro_bodies(text)
            functions = hand_written_functions(text)
            for m in re.finditer(r"const\s+luaL_Reg\s+\w+\[\]\s*=\s*\{(.*?)\n\};", text, re.S):
                for item in self.table_items(m.group(1), local):
                    self.add_lua(path.name, item, functions, text)

    def table_items(self, body, local):
        """The rows of a luaL_Reg table: ("row", name, definition) or ("member", row)."""
        items = []
        # A row's own comment: the // lines directly above it (kept as "\x00comment\x00").
        body = re.sub(r"((?:^[ \t]*//[^\n]*\n)+)", lambda m: "\x00" + " ".join(
            l.strip()[2:].strip() for l in m.group(1).splitlines()) + "\x00\n", body, flags=re.M)
        for m in re.finditer(r"(?:\x00([^\x00]*)\x00\s*)?(?:\b(\w+)\((\w+)\)|\{\s*\"(\w+)\"\s*,\s*"
                             r"((?:[^{}]|\{[^{}]*\})*?)\})", body):
            comment = m.group(1)
            m = FakeMatch(m.group(2), m.group(3), m.group(4), m.group(5))
            if m.group(3):
                items.append(("row", m.group(3), m.group(4).strip(), comment))
                continue
            rows_name, expander = m.group(1), m.group(2)
            if rows_name not in self.row_macros:
                continue
            for row in self.row_macros[rows_name][1]:
                if expander == "TARVO_MEMBER_LUA":
                    items.append(("member", row))
                elif expander in local:
                    params, macro = local[expander]
                    expanded = substitute(params, macro, row)
                    for inner in calls(expanded, "XM_MAP"):
                        kinds = split_top(inner)[1:]
                        names = "".join(", " + k for k, _ in lua_member_kinds(kinds))  # each with its comma
                        expanded = expanded.replace("XM_MAP(%s)" % inner, names)
                    r = re.match(r"\s*\{\s*\"(\w+)\"\s*,\s*(.*)\}\s*,?\s*$", expanded, re.S)
                    if r:
                        items.append(("row", r.group(1), r.group(2).strip(), None))
        return items

    def add_lua(self, source, item, functions, text=""):
        if item[0] == "member":
            form, name, kind, expression, lua = item[1][:5]
            if lua == "NoLua":
                return
            kinds = lua_member_kinds(item[1][5:])
            target = name + ("W" if form in ("W", "WA") else "")
            params = [n for _, n in member_params(item[1][5:], True)]
            result = {"Lbool": "boolean", "Lint": "integer", "Lnum": "number", "Ltext": "text",
                      "Ltrunc": "integer (cut toward zero)", "Lnone": "nothing", "Lint_spare": "integer"}[lua]
            self.add_wrapped(source, name, target, kinds, params, result, spare=lua == "Lint_spare")
            return
        _, name, definition, row_comment = item
        w = re.match(r"(?:::tarvo::lua::)?wrap(?:_spare)?<(.*)>$", definition, re.S)
        if w:
            parts = split_top(w.group(1))
            fn, ret, kinds = parts[0], parts[1], parts[2:]
            parsed = []
            for k in kinds:
                k = re.sub(r"^(::)?tarvo::lua::", "", k.strip())
                km = re.match(r"(\w+)(?:<(.*)>)?$", k)
                parsed.append((km.group(1), km.group(2)) if km else (k, None))
            target = self.export_in(fn)
            params = []
            if target and self.exports.get(target) and self.exports[target].params:
                params = [param_name(p) for p in split_top(self.exports[target].params)]
            adapter = self.adapter(text, fn)
            meaning = row_comment
            if adapter and fn.split("<")[0].split("::")[-1] not in self.exported:
                # A small function between the row and the library, in the Lua source or a project header.
                params = [param_name(p) for p in split_top(adapter[0])] if adapter[0].strip() else []
                target = target if target in self.exported else self.export_in(adapter[1])
                meaning = meaning or adapter[2]
            result = describe_ret(ret)
            self.add_wrapped(source, name, target, parsed, params, result, spare="wrap_spare" in definition,
                             meaning=meaning)
            return
        fn = functions.get(definition)
        if not fn:
            self.problems.append("lua/%s: %s is neither wrap<> nor a function of the file" % (source, name))
            return
        low, high = fn["counts"] if fn["counts"] else (None, None)
        if low is None:
            self.problems.append("lua/%s: no count check found for %s" % (source, name))
        args, meaning = lua_comment_signature(row_comment or fn["comment"], name, whole=bool(row_comment))
        self.lua.append(dict(name=name, source=source, args=args, low=low, high=high,
                             result="see its meaning", calls=self.export_in(fn["body"]), meaning=meaning))

    def adapter(self, text, fn):
        """(parameters, body, comment) of the function a wrap<> row names: in the Lua source, else declared
        in a header of the project."""
        found = adapter_of(text, fn)
        if found:
            return found
        name = re.sub(r"<.*", "", fn).split("::")[-1].lstrip("&")
        if not hasattr(self, "hpp_texts"):
            self.hpp_texts = {p.name: p.read_text(encoding="utf-8") for p in sorted(self.root.glob("*/*.hpp"))
                              if p.parts[-2] not in ("tests", "standins", "bench", "build")}
        # The headers the Lua source includes first.
        included = [self.hpp_texts[h] for h in re.findall(r'#include "(\w+\.hpp)"', text) if h in self.hpp_texts]
        for t in included + list(self.hpp_texts.values()):
            m = re.search(r"((?:^[ \t]*//[^\n]*\n)*)^[\w:<>\*& ]*?\b%s\(([^;{)]*)\)\s*;" % re.escape(name), t, re.M)
            if m:
                comment = " ".join(l.strip()[2:].strip() for l in m.group(1).splitlines())
                return m.group(2), "", comment
        return None

    def add_wrapped(self, source, name, target, kinds, params, result, spare=False, meaning=None):
        shown, low, high, pi = [], 0, 0, 0
        for kind, value in kinds:
            taken, required = self.lua_kinds.get(kind, (1, True))
            pname = params[pi] if pi < len(params) else KIND_NAMES.get(kind, kind.lower())
            pi += 1
            if taken == 0:
                continue
            high += taken
            if required:
                low += taken
                shown.append(pname)
            else:
                default = {"LengthOf": "its length"}.get(kind, value or self.kind_defaults.get(kind))
                shown.append("%s = %s" % (pname, default) if default is not None else "[%s]" % pname)
        if spare:
            high += 1
        self.lua.append(dict(name=name, source=source, args=", ".join(shown), low=low, high=high, result=result,
                             calls=target,
                             meaning=meaning or (self.exports[target].meaning if target in self.exports else "")))

    def export_in(self, text):
        """The first export named in a text (a wrapped function or a hand-written body)."""
        for word in re.findall(r"\b\w+\b", text):
            if word in self.exported and word != "xCore_free":
                return word
        return None


KIND_NAMES = {"Text": "text", "TextOr": "text", "TextOrEmpty": "text", "AnsiText": "text", "Int": "n", "IntOr": "n",
              "Flag": "flag", "FlagOr": "flag", "AnyFlag": "flag", "AnyFlagOr": "flag", "Number": "x",
              "Bytes": "bytes", "Char": "char", "LengthOf": "length", "NullableText": "text"}


class FakeMatch:
    def __init__(self, *groups):
        self.groups_ = (None,) + groups

    def group(self, i):
        return self.groups_[i]


def adapter_of(text, fn):
    """(parameters, body, comment) of the function a wrap<> row names, when the Lua source defines it."""
    name = re.sub(r"<.*", "", fn).split("::")[-1].lstrip("&")
    head = r"((?:^[ \t]*//[^\n]*\n)*)(?:^template <[^\n]*\n)?^[\w:<>\*& ]*?\b%s\(([^;{]*?)\)\s*\{" % re.escape(name)
    m = re.search(head + r"([^\n]*)\}$", text, re.M) or re.search(head + r"(.*?)^\}", text, re.S | re.M)
    if not m:
        return None
    return m.group(2), m.group(3), " ".join(l.strip()[2:].strip() for l in m.group(1).splitlines())


def declares(line, macros):
    """True for the first line of a declaration: TARVO_API, or a declaring macro of the header used."""
    invocation = re.match(r"(\w+)\(([^()]*)\)\s*$", line)
    return bool(re.match(r"\s*(TARVO_API|TARVO_DATA)\b", line) or (
        invocation and "TARVO_API" in macros.get(invocation.group(1), ((), ""))[1]))


def base_name(name):
    # xCore_W2A converts to A: a conversion's last letter names no form.
    return name[:-1] if re.search(r"[a-z013-9_][WAU]$", name) and not name.endswith("_W") else name


def form_of(name):
    return name[-1] if base_name(name) != name else ""


def param_name(param):
    m = re.search(r"(\w+)\s*(\[\])?$", param.strip())
    return m.group(1) if m and param.strip() not in ("void", "...") else param.strip()


def describe_ret(ret):
    ret = re.sub(r"^(::)?tarvo::lua::", "", ret.strip())
    return {"Ret::Integer": "integer", "Ret::Boolean": "boolean", "Ret::Number": "number", "Ret::Text": "text",
            "Ret::Constant": "text", "Ret::Bytes": "bytes (a string)", "Ret::List": "list table",
            "Ret::None": "nothing", "Ret::Truncated": "integer (cut toward zero)",
            "PushFound": "result, x, y"}.get(ret, ret)


def clean_comment(text):
    lines = [re.sub(r"^\s*\*?\s?", "", l) for l in text.strip().split("\n")]
    paragraphs, cur = [], []
    for l in lines:
        if l.strip():
            cur.append(l.rstrip())
        elif cur:
            paragraphs.append(" ".join(cur))
            cur = []
    if cur:
        paragraphs.append(" ".join(cur))
    return "\n\n".join(paragraphs)


def show_expression(expression):
    e = expression.strip()
    m = re.fullmatch(r'L"(.*)"', e)
    return "`%s`" % (m.group(1) if m else e)


def row_note(body, name):
    m = re.search(r"\b%s\b[^\n]*?/\*\s*(.*?)\s*\*/\s*\\?\s*$" % re.escape(name), body, re.M)
    return m.group(1) if m else ""


def hand_written_functions(text):
    """name -> comment above, body text, counts (low, high; high None = no limit)."""
    out = {}
    pattern = r"((?:^//[^\n]*\n)*)^int (\w+)\(lua_State \*L(?:, ([^)]*))?\)\s*\{(?:([^\n]*)\}$|(.*?)^\})"
    for m in re.finditer(pattern, text, re.S | re.M):
        comment = " ".join(l[2:].strip() for l in m.group(1).splitlines())
        out[m.group(2)] = dict(comment=comment, body=m.group(4) or m.group(5), params=m.group(3), counts=None)
    for name, fn in out.items():
        fn["counts"] = count_check(fn["body"], {})
        if fn["counts"] is None:
            # A thin function handing on to another: return other(L, true).
            f = re.search(r"return (\w+)\(L((?:, \w+)*)\);", fn["body"])
            if f and f.group(1) in out and out[f.group(1)]["params"]:
                names = [param_name(p) for p in out[f.group(1)]["params"].split(",")]
                values = [v.strip() for v in f.group(2).split(",")[1:]]
                fn["counts"] = count_check(out[f.group(1)]["body"], dict(zip(names, values)))
                fn["body"] += out[f.group(1)]["body"]
                fn["comment"] = fn["comment"] or out[f.group(1)]["comment"]
    return out


def count_check(body, bound):
    m = re.search(r"count_ok\(L, ([^,]+), ([^)]+)\)", body)
    if not m:
        return None

    def value(v):
        t = re.fullmatch(r"(\w+) \? (-?\d+) : (-?\d+)", v.strip())
        if t:
            return int(t.group(2)) if bound.get(t.group(1)) == "true" else int(t.group(3))
        return int(v)
    low, high = value(m.group(1)), value(m.group(2))
    return low, None if high < 0 else high


def lua_comment_signature(comment, name, whole=False):
    """The arguments and meaning a hand-written function's comment gives ("Name(a, b [, c = 1]): ..."); the
    first sentence only of a function's comment, the whole of a row's."""
    def cut(text):
        text = text.strip() if whole else first_sentence(text)
        return text[:1].upper() + text[1:]
    m = re.search(r"\b%s\((.*?)\)(?::\s*|\s+)(.*)" % re.escape(name), comment)
    if m:
        return m.group(1), cut(m.group(2))
    return "", cut(comment)


def sentence(note):
    """A row's own comment as a sentence after the derived one."""
    if not note:
        return ""
    note = note[0].upper() + note[1:]
    return " " + note + ("" if note.endswith((".", "!", "?")) else ".")


def first_sentence(text):
    m = re.match(r"(.*?\.)(\s|$)", text)
    return (m.group(1) if m else text).strip()


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
