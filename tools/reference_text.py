"""Reading C and C++ source text for the reference: splitting at top-level commas, calls, comments and
function-like macros."""
import re


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


def sentence(note):
    """A row's own comment as a sentence after the derived one."""
    if not note:
        return ""
    note = note[0].upper() + note[1:]
    return " " + note + ("" if note.endswith((".", "!", "?")) else ".")


def first_sentence(text):
    m = re.match(r"(.*?\.)(\s|$)", text)
    return (m.group(1) if m else text).strip()
