#!/usr/bin/env python3
"""Checks that the files CMake joins into one unity source can share it.

A unity build compiles the files of a batch as one translation unit, one
after the other. Most clashes then fail to compile (two definitions of one
name), but some compile and change the program silently: an internal helper
of one file that a later file's call now reaches (a better overload), a
using-directive or a macro that leaks into the files after it, a pragma left
pushed. This reads the batches CMake wrote (Unity/unity_*.cxx in the build
tree) and reports, for each batch:
  - a name with internal linkage (anonymous namespace, static, a constant
    at namespace scope) of one file that a later file names,
  - a #define or #undef a file leaves behind (a fallback definition under
    #ifndef of the same name is allowed: it changes nothing),
  - a using-directive at namespace scope that not every later file has,
  - a #pragma push without its pop.
A file that must stay alone gets SKIP_UNITY_BUILD_INCLUSION, with a reason.
Usage: unity_check.py <build dir>; exit status 1 when anything is reported.
"""
import pathlib
import re
import sys

TOKEN = re.compile(r"""
    (?P<ws>\s+)
  | (?P<comment>//[^\n]*|/\*.*?\*/)
  | (?P<pp>^[ \t]*\#(?:\\\n|[^\n])*)
  | (?P<raw>(?:u8|[uUL])?R"(?P<delim>[^(\s]*)\(.*?\)(?P=delim)")
  | (?P<string>(?:u8|[uUL])?"(?:\\.|[^"\\\n])*")
  | (?P<char>(?:u8|[uUL])?'(?:\\.|[^'\\\n])+')
  | (?P<number>\.?[0-9](?:'?[0-9a-zA-Z_.]|[eEpP][+-])*)
  | (?P<ident>[A-Za-z_][A-Za-z_0-9]*)
  | (?P<punct>::|->|<<=|>>=|<<|>>|\.\.\.|.)
""", re.S | re.M | re.X)

CLASS_KEYS = {"struct", "class", "union", "enum"}
NOT_NAMES = {"operator", "static_assert", "decltype", "alignas", "noexcept", "sizeof", "typename", "template",
             "const", "constexpr", "static", "inline", "volatile", "unsigned", "signed", "int", "char", "bool",
             "void", "long", "short", "float", "double", "auto", "wchar_t"}

# Words after which a name is used, not declared.
EXPRESSION_WORDS = {"return", "case", "throw", "co_return", "co_yield", "co_await", "else", "do", "delete", "new",
                    "sizeof", "alignof", "typeid", "not", "and", "or"}


def tokenize(text):
    """Returns the code's tokens (kind, text) and its preprocessor lines."""
    tokens, directives = [], []
    for m in TOKEN.finditer(text):
        kind = m.lastgroup if m.lastgroup != "delim" else "raw"
        if kind in ("ws", "comment"):
            continue
        if kind == "pp":
            directives.append(re.sub(r"\\\n", " ", m.group()).strip())
            continue
        tokens.append((kind, m.group()))
    return tokens, directives


def skip_template_header(stmt):
    """The statement without a leading template <...>."""
    if not stmt or stmt[0] != "template" or len(stmt) < 2 or stmt[1] != "<":
        return stmt
    depth, i = 0, 1
    while i < len(stmt):
        t = stmt[i]
        depth += {"<": 1, ">": -1, ">>": -2}.get(t, 0)
        i += 1
        if depth <= 0:
            break
    return stmt[i:]


def declared_name(stmt):
    """The name a namespace-scope declaration introduces, or None; with
    whether it is a function and whether it is a constant."""
    stmt = skip_template_header(stmt)
    if not stmt or stmt[0] in ("friend", "using", "typedef", "extern"):
        if len(stmt) >= 3 and stmt[0] == "using" and stmt[2] == "=":
            return stmt[1], False, False
        return None, False, False
    words = [t for t in stmt if t not in ("static", "inline", "constexpr", "const", "[[", "]]")]
    if len(words) >= 2 and words[0] in CLASS_KEYS:
        rest = words[1:]
        if rest[0] in ("class", "struct"):
            rest = rest[1:]
        if rest and re.match(r"[A-Za-z_]", rest[0]) and (len(rest) == 1 or rest[1] in ("{", ":", ";", "final")):
            return rest[0], False, False
    depth = 0
    for i, t in enumerate(stmt):
        if t in ("<",):
            depth += 1
        elif t in (">",):
            depth -= 1
        elif t == ">>":
            depth -= 2
        elif depth <= 0 and t in ("(", "=", "{", ";", "["):
            if i == 0 or (i == 1 and stmt[0] not in NOT_NAMES and t == "("):
                return None, False, False  # a macro's call, not a declaration
            name = stmt[i - 1]
            if not re.match(r"[A-Za-z_]\w*$", name) or name in NOT_NAMES or (i >= 2 and stmt[i - 2] in ("::", "operator")):
                return None, False, False
            constant = any(w in ("const", "constexpr") for w in stmt[:i])
            return name, t == "(", constant
    return None, False, False


def has_initializer(stmt):
    """Whether the declaration has an "=" outside parentheses: a variable
    whose braces end before its semicolon (a lambda, a list)."""
    depth = 0
    for t in stmt:
        depth += {"(": 1, ")": -1}.get(t, 0)
        if t == "=" and depth == 0:
            return True
    return False


class Source:
    def __init__(self, path):
        self.path = path
        self.tokens, self.directives = tokenize(pathlib.Path(path).read_text(encoding="utf-8", errors="replace"))
        self.internal = set()       # names of internal linkage declared at namespace scope
        self.usings = set()         # using-directives at namespace scope
        self.scan()

    def scan(self):
        # Scopes: "ns" (named namespace or extern "C"), "anon", "block".
        scopes, stmt, continue_to_semicolon = [], [], False
        toks = [t for _, t in self.tokens]
        i = 0
        while i < len(toks):
            t = toks[i]
            at_ns = all(s != "block" for s in scopes)
            if t == "{":
                if at_ns:
                    if stmt and stmt[0] == "namespace" or stmt[:2] == ["inline", "namespace"]:
                        named = [w for w in stmt if w not in ("inline", "namespace")]
                        scopes.append("ns" if named else "anon")
                        stmt = []
                    elif stmt[:1] == ["extern"] and len(stmt) == 2:
                        scopes.append("ns")
                        stmt = []
                    else:
                        self.declare(stmt, scopes)
                        continue_to_semicolon = has_initializer(stmt) or stmt[:1] in (["struct"], ["class"],
                                                                                       ["union"], ["enum"])
                        scopes.append("block")
                else:
                    scopes.append("block")
            elif t == "}":
                closed = scopes.pop() if scopes else "ns"
                if closed == "block" and all(s != "block" for s in scopes) and not continue_to_semicolon:
                    stmt = []
            elif at_ns:
                if t == ";":
                    if continue_to_semicolon:
                        continue_to_semicolon = False
                    else:
                        self.declare(stmt, scopes)
                    stmt = []
                else:
                    stmt.append(t)
            i += 1

    def declare(self, stmt, scopes):
        if stmt[:2] == ["using", "namespace"]:
            self.usings.add(" ".join(stmt))
            return
        name, function, constant = declared_name(stmt)
        if not name:
            return
        plain = skip_template_header(stmt)
        if "anon" in scopes or plain[:1] == ["static"] or (constant and not function):
            self.internal.add(name)

    def names_used(self):
        """Identifiers that may resolve to a name declared before: not the
        member after . or ->, nor a name this file declares as a variable,
        member or parameter of its own (Type name; Type* name = ...), which
        hides the other."""
        used, toks = set(), self.tokens
        for i, (kind, t) in enumerate(toks):
            if kind != "ident":
                continue
            prev = toks[i - 1] if i else ("", "")
            after = toks[i + 1][1] if i + 1 < len(toks) else ""
            if prev[1] in (".", "->"):
                continue
            declared = (prev[0] == "ident" and prev[1] not in EXPRESSION_WORDS) or prev[1] in ("*", "&", "&&")
            if declared and after in (";", "=", "{", ",", ")", "[", ":"):
                continue
            used.add(t)
        return used

    def macro_problems(self):
        problems, defined, ifndef = [], {}, None
        for d in self.directives:
            m = re.match(r"#\s*(\w+)\s*(\w*)", d)
            if not m:
                continue
            word, name = m.groups()
            if word == "ifndef":
                ifndef = name
                continue
            if word == "define":
                defined[name] = name == ifndef
            elif word == "undef":
                if name in defined:
                    del defined[name]
                else:
                    problems.append(f"#undef {name} leaks into the files after it")
            ifndef = None
        problems += [f"#define {n} leaks into the files after it" for n, fallback in defined.items() if not fallback]
        pushes = {}
        for d in self.directives:
            m = re.match(r"#\s*pragma\s+(GCC diagnostic|pack)\s*\(?\s*(push|pop)", d)
            if m:
                pushes[m.group(1)] = pushes.get(m.group(1), 0) + (1 if m.group(2) == "push" else -1)
        problems += [f"#pragma {kind} push without its pop" for kind, n in pushes.items() if n]
        return problems


def batches(build):
    """The unity sources the build compiles (a batch that a change of the
    build left behind stays on disk), each with the files it includes."""
    build = pathlib.Path(build)
    named = re.findall(r"[^\s:$]*/Unity/unity_\w+\.(?:cxx|c)(?=[\s:]|$)", (build / "build.ninja").read_text(), re.M)
    for name in sorted(set(named)):
        unity = build / name
        files = re.findall(r'^#include "([^"]+)"', unity.read_text(), re.M)
        if files:
            yield unity, files


def main(build):
    problems, count = [], 0
    for unity, files in batches(build):
        count += 1
        sources = [Source(f) for f in files]
        where = unity.relative_to(build) if unity.is_relative_to(build) else unity
        for n, a in enumerate(sources):
            later = sources[n + 1:]
            if not later:
                continue
            for p in a.macro_problems():
                problems.append(f"{where}: {a.path}: {p}")
            for u in sorted(a.usings):
                if any(u not in b.usings for b in later):
                    problems.append(f"{where}: {a.path}: '{u}' reaches the files after it")
            for b in later:
                for name in sorted(a.internal & b.names_used()):
                    problems.append(f"{where}: '{name}' is internal to {a.path} and named in {b.path}")
    for p in problems:
        print("unity:", p)
    if count == 0:
        print(f"unity: no unity batches in {build}")
        return 1
    print(f"unity: {count} batches checked, {len(problems)} problems")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
