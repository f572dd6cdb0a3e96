"""The C side of the reference: the exports of the public headers, from member rows (name, kind, expression,
arguments), from rows a header's own declaring macro expands, and from declarations written by hand with
their comments."""
import re

from reference_text import calls, clean_comment, macro_bodies, sentence, split_top, substitute

SKIP_HEADERS = {"tarvo_api.h", "tarvo_members.h"}

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


class Export:
    def __init__(self, name, base, form, ret, params, meaning, header, result=None, failure=None):
        self.name, self.base, self.form, self.ret, self.params = name, base, form, ret, params
        self.meaning, self.header, self.result, self.failure = meaning, header, result, failure


class HeaderReader:
    """Fills exports, order, bases, row_macros, header_intro, header_title and problems of the reference."""

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
        if note and not is_plain(expression):
            # A named helper says nothing to a reader: the row's comment is the meaning.
            meaning = sentence(note).strip()
        else:
            meaning = KIND_MEANING.get(kind, "{e}").format(e=show_expression(expression)) + sentence(note)
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


def is_plain(expression):
    """True for a member expression that is one string literal (not a named helper)."""
    return re.fullmatch(r'L"(.*)"', expression.strip()) is not None


def show_expression(expression):
    e = expression.strip()
    m = re.fullmatch(r'L"(.*)"', e)
    return "`%s`" % (m.group(1) if m else e)


def row_note(body, name):
    """The comment of a row: written after its arguments, before the line's backslash, on any of the row's
    lines, and it may run on over the next lines (macro text, continuation lines joined)."""
    m = re.search(r"\b[A-Z]\((?:\s*\w+,)?\s*%s\b" % re.escape(name), body)
    if not m:
        return ""
    lines = body[m.start():].split("\n")
    row = [lines[0]]
    for line in lines[1:]:
        if re.match(r"\s*[A-Z]\(", line) or not line.strip():
            break  # the next row, or the blank continuation between groups of rows
        row.append(line)
    notes = re.findall(r"/\*(.*?)\*/", "\n".join(row), re.S)
    return " ".join(" ".join(n.split()) for n in notes)
