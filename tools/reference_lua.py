"""The Lua side of the reference: every luaL_Reg table of lua/*.cpp, its rows (wrap<> lines, member rows,
hand-written functions), the arguments, defaults and counts each accepts, and the export each calls."""
import re

from reference_c import member_params, lua_member_kinds
from reference_text import calls, first_sentence, macro_bodies, split_top, substitute


class LuaReader:
    """Fills lua, lua_titles, lua_kinds and kind_defaults of the reference; needs its exports first."""

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
            comment, rows_name, expander, name, definition = m.groups()
            if name:
                items.append(("row", name, definition.strip(), comment))
                continue
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
        fn = functions.get(definition) or self.template_instance(definition)
        if not fn:
            self.problems.append("lua/%s: %s is neither wrap<> nor a function of the file" % (source, name))
            return
        low, high = fn["counts"] if fn["counts"] else (None, None)
        if low is None:
            self.problems.append("lua/%s: no count check found for %s" % (source, name))
        args, meaning = lua_comment_signature(row_comment or fn["comment"], name, whole=bool(row_comment))
        self.lua.append(dict(name=name, source=source, args=args, low=low, high=high,
                             result="see its meaning", calls=self.export_in(fn["body"]), meaning=meaning))

    def template_instance(self, definition):
        """A row naming an instance of a function template of the Lua headers (name_or_index<ByIndex, ByName>):
        the template's comment and count check, and its arguments, which name the exports it calls."""
        t = re.match(r"(?:::tarvo::lua::)?(\w+)<(.*)>$", definition, re.S)
        if not t:
            return None
        for header in sorted((self.root / "lua").glob("*.hpp")):
            text = re.sub(r"^template <[^\n]*>\n", "", header.read_text(encoding="utf-8"), flags=re.M)
            fn = hand_written_functions(text).get(t.group(1))
            if fn:
                return dict(fn, body=t.group(2) + fn["body"])
        return None

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


def adapter_of(text, fn):
    """(parameters, body, comment) of the function a wrap<> row names, when the Lua source defines it."""
    name = re.sub(r"<.*", "", fn).split("::")[-1].lstrip("&")
    head = r"((?:^[ \t]*//[^\n]*\n)*)(?:^template <[^\n]*\n)?^[\w:<>\*& ]*?\b%s\(([^;{]*?)\)\s*\{" % re.escape(name)
    m = re.search(head + r"([^\n]*)\}$", text, re.M) or re.search(head + r"(.*?)^\}", text, re.S | re.M)
    if not m:
        return None
    return m.group(2), m.group(3), " ".join(l.strip()[2:].strip() for l in m.group(1).splitlines())


def param_name(param):
    m = re.search(r"(\w+)\s*(\[\])?$", param.strip())
    return m.group(1) if m and param.strip() not in ("void", "...") else param.strip()


def describe_ret(ret):
    ret = re.sub(r"^(::)?tarvo::lua::", "", ret.strip())
    return {"Ret::Integer": "integer", "Ret::Boolean": "boolean", "Ret::Number": "number", "Ret::Text": "text",
            "Ret::Constant": "text", "Ret::Bytes": "bytes (a string)", "Ret::List": "list table",
            "Ret::None": "nothing", "Ret::Truncated": "integer (cut toward zero)",
            "PushFound": "result, x, y"}.get(ret, ret)


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
