#!/usr/bin/env python3
"""Mutation testing: makes every small fault that a fixed set of operators allows in the
program's sources, one at a time, and runs the test suite on each.

    scripts/mutants.py [options] [FILE ...]      (make mutants FILES='src/game/*.cpp')

FILE names sources (globs allowed); by default every .cpp and .h under src/ except the embedded
images in src/render/images/. Nobody chooses which faults exist: a suite that catches them all
has not been tuned to a list.

Operators, applied at every place where they fit:
  relational   <  <=, >  >=, ==  !=  (each way)
  arithmetic   +  -, *  /, % -> * (also their compound assignments)
  logical      &&  ||
  operand      one operand of && or || dropped, with the operator
  negation     if (x) -> if (!(x)), while (x) -> while (!(x))
  constant     an integer literal +1, -1 and -> 0
  boolean      true  false
  deletion     a whole assignment, increment or call statement removed
  return       return X; -> return {}; (the type's zero)
Comments, string and character literals, preprocessor lines and template arguments are never
mutated. The code follows .clang-format, so a binary operator is the one with a space on both
sides: that tells a < b from a template's brackets and a * b from a pointer.

Each mutant is built and tested in a work tree of this script's own under build-mutants/ (or
--work; tree-1, tree-2, ... one per job): a copy of the developer's tracked and untracked files,
never the checkout itself. The trees keep their builds (Ninja, -O1 with the standard library's
assertions, so that a read past an array's end fails), so each mutant rebuilds only what its
file touches; a mutant that does not build is counted apart. The mutated file's objects are
compiled first and compared with the unmutated ones: when the compiler makes the very same code,
the two programs cannot differ, and the mutant is counted as equivalent ("same code") untested.
Code that this build does not compile (the browser's shell, another system's branch of an #if)
is counted apart as "not built here": the browser and Windows tests check it. The tests run,
stopping at the first that fails, are the ones that cover the file's folder and run code
compiled from the file:
  src/game/             CTest labels game|fuzz
  the other folders     everything but e2e; then, for a survivor, the threaded tests under
                        ThreadSanitizer (a race shows only there); then e2e, which stop at
                        their first failing case
A test that fails is run again once, and kills the mutant only if it fails again: a test that
failed by timing alone does not kill. Each test has a time limit (five times as long as its
stage's tests took together unmutated, at least 30 s); a mutant that hangs is killed by it.

A survivor in src/render/ is measured: the render bench draws its scenes (a full board, a
checkered one whose blocks show every face that the camera sees, a game over) with the mutant
and without it (bench/render_bench --pictures), and the report states how many pixels change
and by how much. One whose largest change of a colour channel is within the tests' tolerance
(24 of 255) is counted "below tolerance": no test that reads the picture as a player does could
tell it.

Equivalent mutants, which change no behaviour at all, are listed in
scripts/mutants-equivalent.txt, one a line: "path | definition | operator | mutated line | why",
the definition being the first line of the function (or table) that the mutant lies in. They are
not run. A mutant that changes behaviour nobody observes is not equivalent: a test should read
that behaviour, or the code should not have it.

The report, build-mutants/report.md, lists survivors first: file, line, operator, the changed
line and the verdict (killed by which test, survived, did not build, equivalent), then totals per
folder and the time taken. build-mutants/results.jsonl holds one line per mutant as it ends.
"""

import argparse
import concurrent.futures
import fnmatch
import glob
import hashlib
import json
import os
import random
import re
import shutil
import subprocess
import sys
import tempfile
import threading
import time
import xml.etree.ElementTree as ElementTree
from dataclasses import dataclass, field

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
EQUIVALENT_LIST = os.path.join(ROOT, "scripts", "mutants-equivalent.txt")
EXCLUDED = ("src/render/images/",)
OPERATORS = ("relational", "arithmetic", "logical", "operand", "negation", "constant", "boolean",
             "deletion", "return")

# ---------------------------------------------------------------------------------------------
# Reading C++: tokens with their places, enough to find where each operator applies.

PUNCTUATORS = sorted("""
    <=> <<= >>= ... ->* -> ++ -- << >> <= >= == != && || += -= *= /= %= &= |= ^= ::
    { } [ ] ( ) ; : , . ? ~ ! + - * / % ^ & | = < > #
""".split(), key=len, reverse=True)


@dataclass
class Token:
    kind: str  # "name", "number", "text" (string or character literal), "punct"
    text: str
    start: int
    end: int
    spaced_before: bool = False
    spaced_after: bool = False
    in_template: bool = False  # inside a template's argument list


def tokenize(source):
    tokens = []
    i, n = 0, len(source)
    line_start = True
    while i < n:
        c = source[i]
        if c == "\n":
            line_start = True
            i += 1
            continue
        if c.isspace():
            i += 1
            continue
        if source.startswith("//", i):
            i = source.find("\n", i)
            i = n if i < 0 else i
            continue
        if source.startswith("/*", i):
            i = source.find("*/", i + 2)
            i = n if i < 0 else i + 2
            continue
        if c == "#" and line_start:  # a preprocessor line, with its continuations
            while i < n and source[i] != "\n":
                i = i + 2 if source.startswith("\\\n", i) else i + 1
            continue
        line_start = False
        raw = re.match(r'(?:u8|u|U|L)?R"([^(\s]*)\(', source[i:])
        if raw:
            close = source.find(")" + raw.group(1) + '"', i + raw.end())
            end = n if close < 0 else close + len(raw.group(1)) + 2
            tokens.append(Token("text", source[i:end], i, end))
            i = end
            continue
        quoted = re.match(r"(?:u8|u|U|L)?(['\"])", source[i:])
        if quoted:
            quote, j = quoted.group(1), i + quoted.end()
            while j < n and source[j] != quote:
                j += 2 if source[j] == "\\" else 1
            tokens.append(Token("text", source[i:j + 1], i, j + 1))
            i = j + 1
            continue
        number = re.match(r"\.?[0-9](?:[eEpP][+-]|[0-9A-Za-z_.']|)*", source[i:])
        if number:
            tokens.append(Token("number", number.group(0), i, i + number.end()))
            i += number.end()
            continue
        name = re.match(r"[A-Za-z_][A-Za-z_0-9]*", source[i:])
        if name:
            tokens.append(Token("name", name.group(0), i, i + name.end()))
            i += name.end()
            continue
        punct = next((p for p in PUNCTUATORS if source.startswith(p, i)), c)
        tokens.append(Token("punct", punct, i, i + len(punct)))
        i += len(punct)
    for index, token in enumerate(tokens):
        token.spaced_before = index == 0 or source[tokens[index - 1].end:token.start] != ""
        token.spaced_after = index == len(tokens) - 1 or source[token.end:tokens[index + 1].start] != ""
    mark_template_arguments(tokens)
    return tokens


def mark_template_arguments(tokens):
    # Formatted code writes a template's "<" right after its name; a comparison has spaces.
    depth = 0
    for index, token in enumerate(tokens):
        previous = tokens[index - 1] if index else None
        if token.text == "<" and not token.spaced_before and previous and (
                previous.kind == "name" or previous.text == ">"):
            depth += 1
        elif depth and token.text in (">", ">>") and not token.spaced_before:
            depth = max(depth - len(token.text), 0)
            continue
        elif depth and token.text in (";", "{", "}"):
            depth = 0
        token.in_template = depth > 0


# ---------------------------------------------------------------------------------------------
# The operators.

@dataclass
class Mutant:
    path: str
    operator: str
    start: int  # the span of the original source that is replaced
    end: int
    replacement: str
    line: int = 0
    original_line: str = ""
    mutated_line: str = ""
    scope: str = ""  # the first line of the definition the mutant lies in
    ident: str = ""
    verdict: str = ""
    detail: str = ""
    seconds: float = 0.0
    conditional: bool = False  # between #if and #endif: perhaps another platform's code


SWAPS = {
    "relational": {"<": "<=", "<=": "<", ">": ">=", ">=": ">", "==": "!=", "!=": "=="},
    "arithmetic": {"+": "-", "-": "+", "*": "/", "/": "*", "%": "*",
                   "+=": "-=", "-=": "+=", "*=": "/=", "/=": "*=", "%=": "*="},
    "logical": {"&&": "||", "||": "&&"},
    "boolean": {"true": "false", "false": "true"},
}
ASSIGNMENTS = {"=", "+=", "-=", "*=", "/=", "%=", "&=", "|=", "^=", "<<=", ">>="}
OPENERS, CLOSERS = {"(": ")", "[": "]", "{": "}"}, {")", "]", "}"}
NOT_STATEMENTS = set("""
    return if else for while do switch case default break continue goto using typedef namespace
    template class struct enum union static_assert const constexpr static inline extern auto
    unsigned signed int bool char float double long short void friend public private protected
    throw try catch new delete operator virtual explicit mutable volatile thread_local
""".split())
# Return values that are their type's zero already. An empty string literal is one for the
# std::string that every function returning "" here returns (none returns a bare char pointer).
ZEROS = {"{}", "0", "0u", "false", "nullptr", "0.0", "0.0f", '""'}


def integer_value(text):
    match = re.fullmatch(r"(0[xX][0-9A-Fa-f']+|0[bB][01']+|[0-9][0-9']*)([uUlLzZ]*)", text)
    if not match:
        return None
    digits = match.group(1).replace("'", "")
    if digits.lower().startswith("0x"):
        return int(digits, 16), match.group(2), "x"
    if digits.lower().startswith("0b"):
        return int(digits, 2), match.group(2), "b"
    if len(digits) > 1 and digits.startswith("0"):
        return int(digits, 8), match.group(2), "o"
    return int(digits), match.group(2), "d"


def written_like(value, suffix, base):
    if value < 0:
        return "-" + written_like(-value, suffix, base)
    if base == "x":
        return f"0x{value:X}{suffix}"
    if base == "b":
        return f"0b{value:b}{suffix}"
    if base == "o" and value:
        return f"0{value:o}{suffix}"
    return f"{value}{suffix}"


def matching(tokens, index, step=1):
    """Index of the bracket that closes the one at index (step 1), or opens it (step -1); the
    far end of the tokens when there is none."""
    depth = 0
    inward, outward = (OPENERS, CLOSERS) if step > 0 else (CLOSERS, OPENERS)
    for j in range(index, len(tokens) if step > 0 else -1, step):
        if tokens[j].text in inward:
            depth += 1
        elif tokens[j].text in outward:
            depth -= 1
            if depth == 0:
                return j
    return len(tokens) - 1 if step > 0 else -1


def operand_bounds(tokens, index, weaker):
    """The operands either side of the && or || at index: token ranges [a, index) and
    (index, b], at the same nesting, up to a token that binds no more tightly."""
    stops = weaker | {",", ";", "?", ":", "return", "{", "}"} | ASSIGNMENTS

    def walk(step):
        depth, j, last = 0, index + step, index
        while 0 <= j < len(tokens):
            text = tokens[j].text
            if text in (OPENERS if step > 0 else CLOSERS):
                depth += 1
            elif text in (CLOSERS if step > 0 else OPENERS):
                if depth == 0:
                    break
                depth -= 1
            elif depth == 0 and text in stops:
                break
            last, j = j, j + step
        return last

    return walk(-1), walk(+1)


def is_declaration(tokens):
    if not tokens or tokens[0].text in NOT_STATEMENTS:
        return True
    for first, second in zip(tokens, tokens[1:]):
        if second.kind == "name" and (first.kind == "name" or first.text in (">", "*", "&")):
            return True
    return False


def statement_mutants(tokens, add):
    """Whole assignment, increment and call statements, and returns of a value."""
    starts_after = {";", "{", "}", "else"}
    depth = 0
    index = 0
    while index < len(tokens):
        token = tokens[index]
        previous = tokens[index - 1].text if index else ";"
        at_start = depth == 0 and (previous in starts_after or (
            previous == ":" and index >= 2 and tokens[index - 2].text in ("default", "case")))
        if token.text in ("(", "["):
            depth += 1
        elif token.text in (")", "]"):
            depth = max(depth - 1, 0)
            # the body of an if, for or while without braces starts here
            opener = matching(tokens, index, -1)
            if depth == 0 and opener > 0 and tokens[opener - 1].text in ("if", "for", "while"):
                body = index + 1
                if body < len(tokens) and tokens[body].text != "{":
                    consider_statement(tokens, body, add)
        if at_start and token.text not in ("{", "}", ";"):
            consider_statement(tokens, index, add)
        index += 1


def consider_statement(tokens, first, add):
    depth, j = 0, first
    while j < len(tokens):
        text = tokens[j].text
        if text in OPENERS:
            if text == "{" and depth == 0:
                return
            depth += 1
        elif text in CLOSERS:
            if depth == 0:
                return
            depth -= 1
        elif text == ";" and depth == 0:
            break
        j += 1
    else:
        return
    body = tokens[first:j]
    if not body:
        return
    if body[0].text == "return":
        value = "".join(t.text for t in body[1:])
        if value and value not in ZEROS:
            add("return", body[1].start, body[-1].end, "{}")
        return
    level = []
    depth = 0
    for t in body:
        if t.text in OPENERS:
            depth += 1
        elif t.text in CLOSERS:
            depth -= 1
        elif depth == 0:
            level.append(t)
    assigns = [t for t in level if t.text in ASSIGNMENTS]
    increments = body[0].text in ("++", "--") or body[-1].text in ("++", "--")
    if assigns:
        left = body[:body.index(assigns[0])]
        if is_declaration(left):
            return
    elif not increments:
        is_call = (body[0].kind == "name" and body[0].text not in NOT_STATEMENTS
                   and body[-1].text == ")" and not is_declaration(level))
        if not is_call:
            return
    add("deletion", body[0].start, tokens[j].end, "{}")


def condition_mutants(tokens, add):
    for index, token in enumerate(tokens[:-1]):
        if token.text not in ("if", "while") or tokens[index + 1].text != "(":
            continue
        if index and tokens[index - 1].text == "do":
            continue
        close = matching(tokens, index + 1)
        first = index + 2
        depth = 0
        for j in range(first, close):  # if (init; condition): only the condition
            text = tokens[j].text
            depth += text in OPENERS
            depth -= text in CLOSERS
            if depth == 0 and text == ";":
                first = j + 1
            if depth == 0 and text == "=":  # a declaration in the condition
                first = None
                break
        if first is None or first >= close:
            continue
        add("negation", tokens[first].start, tokens[close - 1].end, None)


def definition_starts(tokens, source):
    """The outermost braces that are not a namespace's, each as (start, end, the first line of
    what they belong to): a function's body, a class or a table."""
    found = []
    index = 0
    while index < len(tokens):
        if tokens[index].text != "{":
            index += 1
            continue
        back = index - 1
        while back >= 0 and tokens[back].text not in (";", "{", "}"):
            back -= 1
        opener = tokens[back + 1]
        if opener.text in ("namespace", "extern"):  # their braces hold definitions
            index += 1
            continue
        close = matching(tokens, index)
        line_start = source.rfind("\n", 0, opener.start) + 1
        line_end = source.find("\n", opener.start)
        found.append((tokens[index].start, tokens[close].end,
                      " ".join(source[line_start:line_end].split())))
        index = close + 1
    return found


def conditional_lines(source):
    depth, inside = 0, set()
    for number, line in enumerate(source.splitlines(), 1):
        directive = line.strip()
        if re.match(r"#\s*if", directive):
            depth += 1
        elif re.match(r"#\s*endif", directive):
            depth -= 1
        elif depth:
            inside.add(number)
    return inside


def mutants_of(path, source):
    tokens = tokenize(source)
    found = []

    def add(operator, start, end, replacement):
        if replacement is None:  # negation wraps the span
            replacement = "!(" + source[start:end] + ")"
        found.append(Mutant(path, operator, start, end, replacement))

    for index, token in enumerate(tokens):
        text = token.text
        binary = token.spaced_before and token.spaced_after and not token.in_template
        if token.kind == "punct" and binary:
            for operator in ("relational", "arithmetic", "logical"):
                if text in SWAPS[operator]:
                    add(operator, token.start, token.end, SWAPS[operator][text])
            if text in ("&&", "||"):
                weaker = {"&&", "||"} if text == "&&" else {"||"}
                left, right = operand_bounds(tokens, index, weaker)
                if left < index:
                    add("operand", tokens[left].start, tokens[index + 1].start if index + 1 < len(tokens) else token.end, "")
                if right > index:
                    add("operand", tokens[index - 1].end, tokens[right].end, "")
        elif token.kind == "name" and text in SWAPS["boolean"]:
            add("boolean", token.start, token.end, SWAPS["boolean"][text])
        elif token.kind == "number" and not token.in_template:
            parsed = integer_value(text)
            if parsed is None:
                continue
            value, suffix, base = parsed
            negative = index and tokens[index - 1].text == "-" and not tokens[index - 1].spaced_after
            choices = [value + 1, value - 1, 0]
            if negative:  # -N: mutate N only upward or to 0, so that "--N" never appears
                choices = [value + 1, 0] + ([value - 1] if value > 1 else [])
            seen = {value}
            for choice in choices:
                if choice not in seen and not (negative and choice < 0):
                    seen.add(choice)
                    add("constant", token.start, token.end, written_like(choice, suffix, base))
    condition_mutants(tokens, add)
    statement_mutants(tokens, add)

    scopes = definition_starts(tokens, source)
    conditional = conditional_lines(source)
    counters = {}
    unique = {}
    for mutant in found:
        mutated = source[:mutant.start] + mutant.replacement + source[mutant.end:]
        mutant.line = source.count("\n", 0, mutant.start) + 1
        mutant.conditional = mutant.line in conditional
        line_end = source.find("\n", mutant.end)
        last = mutated.find("\n", mutant.start + len(mutant.replacement))
        first = source.rfind("\n", 0, mutant.start) + 1
        mutant.original_line = " ".join(source[first:line_end if line_end >= 0 else None].split())
        mutant.mutated_line = " ".join(mutated[first:last if last >= 0 else None].split())
        if mutant.operator == "deletion":
            mutant.mutated_line = "deleted: " + " ".join(source[mutant.start:mutant.end].split())
        if mutant.mutated_line == mutant.original_line:
            continue
        mutant.scope = next((text for start, end, text in scopes if start <= mutant.start < end),
                            mutant.original_line)
        key = (mutant.line, mutant.operator, mutant.mutated_line)
        if key in unique:
            continue
        unique[key] = mutant
        number = counters.get((mutant.line, mutant.operator), 0) + 1
        counters[(mutant.line, mutant.operator)] = number
        mutant.ident = f"{path}:{mutant.line}:{mutant.operator}:{number}"
    return sorted(unique.values(), key=lambda m: (m.line, m.start, m.operator))


# ---------------------------------------------------------------------------------------------
# Work trees, builds and tests.

def tracked_files():
    listed = subprocess.run(["git", "-C", ROOT, "ls-files", "-z", "--cached", "--others",
                             "--exclude-standard"], check=True, capture_output=True).stdout
    return [name for name in listed.decode().split("\0") if name and os.path.isfile(os.path.join(ROOT, name))]


def sync_tree(tree, files):
    """Makes the tree's copy match the developer's files, touching only what differs, so that
    its builds stay incremental."""
    wanted = set(files)
    for name in files:
        source, target = os.path.join(ROOT, name), os.path.join(tree, name)
        with open(source, "rb") as handle:
            content = handle.read()
        try:
            with open(target, "rb") as handle:
                same = handle.read() == content
        except OSError:
            same = False
        if not same:
            os.makedirs(os.path.dirname(target), exist_ok=True)
            shutil.copy2(source, target)
            os.utime(target)
    for folder, subfolders, names in os.walk(tree):
        relative = os.path.relpath(folder, tree)
        if relative.split(os.sep)[0].startswith("build"):
            subfolders[:] = []
            continue
        for name in names:
            path = os.path.normpath(os.path.join(relative, name))
            if path not in wanted:
                os.remove(os.path.join(folder, name))


@dataclass
class Tree:
    folder: str
    jobs: int
    objects: dict = field(default_factory=dict)  # build kind -> source or header -> its objects
    baseline: dict = field(default_factory=dict)  # object of the plain build -> digest, unmutated
    targets: dict = field(default_factory=dict)  # stage name -> (its build targets, their objects)

    def build_dir(self, kind):
        return os.path.join(self.folder, "build" if kind == "plain" else "build-tsan")

    def configure(self, kind):
        """Configures the build, or configures it again: a second time costs a second or two and
        changes nothing that is built. The plain build has the benchmarks, since the render
        bench draws the pictures that a renderer's survivor is measured against."""
        flags = ["-DCMAKE_BUILD_TYPE=", "-DCMAKE_CXX_FLAGS=-O1 -D_GLIBCXX_ASSERTIONS", "-DVELMORA_BENCHMARKS=ON"]
        if kind == "tsan":
            flags = ["-DCMAKE_BUILD_TYPE=Debug", "-DVELMORA_SANITIZE=thread"]
        run(["cmake", "-G", "Ninja", "-S", self.folder, "-B", self.build_dir(kind), "-DVELMORA_WERROR=OFF"] + flags,
            check=True)

    def build(self, kind, targets):
        command = ["cmake", "--build", self.build_dir(kind), "-j", str(self.jobs)]
        if targets:
            command += ["--target"] + targets
        return run(command).returncode == 0


def object_files(tree, kind):
    """Each source's and header's object files in a build, from Ninja's record of what each
    compile read."""
    build = tree.build_dir(kind)
    listed = run(["ninja", "-C", build, "-t", "deps"], check=True).stdout
    objects, current = {}, None
    for line in listed.splitlines():
        if not line.startswith(" "):
            current = line.split(":")[0] if line.strip() else None
            continue
        read = os.path.normpath(os.path.join(build, line.strip()))
        if current and read.startswith(tree.folder + os.sep):
            objects.setdefault(os.path.relpath(read, tree.folder), []).append(current)
    return objects


def digest(path):
    with open(path, "rb") as handle:
        return hashlib.sha256(handle.read()).hexdigest()


def run(command, check=False, timeout=None, env=None):
    result = subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True,
                            timeout=timeout, env=env)
    if check and result.returncode != 0:
        sys.stderr.write(result.stdout[-4000:])
        raise SystemExit(f"mutants: {' '.join(command[:3])} failed")
    return result


@dataclass
class Stage:
    kind: str  # which build: "plain" or "tsan"
    labels: list  # ctest's label arguments
    name: str


def stages_for(path):
    if path.startswith("src/game/"):
        return [Stage("plain", ["-L", "game|fuzz"], "rules")]
    return [Stage("plain", ["-LE", "e2e"], "suite"), Stage("tsan", ["-L", "threaded"], "tsan"),
            Stage("plain", ["-L", "e2e"], "e2e")]


def stage_targets(tree, stage):
    """The programs that the stage's tests run, as build targets (e2e: everything, since the
    end-to-end tests install the whole program first)."""
    if stage.name == "e2e":
        return []
    build = tree.build_dir(stage.kind)
    listed = run(["ctest", "--test-dir", build, "--show-only=json-v1"] + stage.labels, check=True)
    targets = set()
    for test in json.loads(listed.stdout).get("tests", []):
        for argument in test.get("command", []):
            if argument.startswith(build) and os.access(argument, os.X_OK) and os.path.isfile(argument):
                targets.add(os.path.basename(argument))
    return sorted(targets)


def run_stage(tree, stage, timeout):
    """The first test that fails twice in a row, or None when all pass."""
    build = tree.build_dir(stage.kind)
    with tempfile.NamedTemporaryFile(suffix=".xml", delete=False) as report:
        junit = report.name
    env = dict(os.environ, TSAN_OPTIONS="halt_on_error=1", ASAN_OPTIONS="detect_leaks=0",
               GTEST_FAIL_FAST="1")
    command = ["ctest", "--test-dir", build, "--stop-on-failure", "--repeat", "until-pass:2",
               "--timeout", str(timeout), "--output-junit", junit] + stage.labels
    try:
        result = run(command, timeout=timeout * 40, env=env)
        failed = junit_failures(junit)
    except subprocess.TimeoutExpired:
        return "(the whole stage timed out)"
    finally:
        os.unlink(junit)
    if failed:
        return failed[0]
    if result.returncode != 0:
        return "(ctest: " + (result.stdout.strip().splitlines() or ["failed"])[-1] + ")"
    return None


def junit_failures(junit):
    try:
        cases = ElementTree.parse(junit).getroot().iter("testcase")
    except (ElementTree.ParseError, OSError):
        return []
    return [case.get("name") for case in cases
            if case.get("status") == "fail" or case.find("failure") is not None]


def prepare(tree, files, stages, measured):
    os.makedirs(tree.folder, exist_ok=True)
    sync_tree(tree.folder, files)
    limits = {}
    for kind in sorted({stage.kind for stage in stages}):
        tree.configure(kind)
        if not tree.build(kind, []):
            raise SystemExit(f"mutants: the unmutated program does not build in {tree.folder}")
    for stage in stages:
        started = time.time()
        failed = run_stage(tree, stage, 600)
        if failed:
            raise SystemExit(f"mutants: {failed} fails without a mutant ({stage.name}); fix it first")
        limits[stage.name] = max(30, int(5 * (time.time() - started)))
    tree.objects = {kind: object_files(tree, kind) for kind in {stage.kind for stage in stages}}
    build = tree.build_dir("plain")
    tree.baseline = {o: digest(os.path.join(build, o)) for found in tree.objects["plain"].values()
                     for o in found}
    for stage in stages:
        targets = stage_targets(tree, stage)
        inputs = run(["ninja", "-C", tree.build_dir(stage.kind), "-t", "inputs"] + targets, check=True)
        tree.targets[stage.name] = (targets, set(inputs.stdout.split()) if targets else None)
    if any(path.startswith(MEASURED) for path in measured) and not draw_pictures(tree, "unmutated"):
        raise SystemExit(f"mutants: the render bench draws no pictures in {tree.folder}")
    return limits


# ---------------------------------------------------------------------------------------------
# A survivor in the renderer: how far it changes the picture.

MEASURED = "src/render/"
TOLERANCE = 24  # the most that the tests let a colour channel differ from the one they expect


def draw_pictures(tree, name):
    """The render bench's scenes (a full board, a checkered one, a game over) drawn into
    pictures-<name>/ of the tree; whether it drew them all."""
    folder = os.path.join(tree.folder, "pictures-" + name)
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    if not tree.build("plain", ["render_bench"]):
        return False
    bench = os.path.join(tree.build_dir("plain"), "bench")
    try:
        result = subprocess.run([os.path.join(tree.folder, "tests", "private-x.sh"), "./render_bench",
                                 "--pictures", folder], cwd=bench, capture_output=True, timeout=60)
    except subprocess.TimeoutExpired:
        return False
    return result.returncode == 0


def picture_change(tree):
    """The mutant's pictures against the unmutated ones: (largest difference of a colour channel,
    pixels that differ, pixels that differ by more than the tests' tolerance)."""
    largest = differ = beyond = 0
    for name in sorted(os.listdir(os.path.join(tree.folder, "pictures-unmutated"))):
        pictures = []
        for kind in ("unmutated", "mutant"):
            with open(os.path.join(tree.folder, "pictures-" + kind, name), "rb") as handle:
                pictures.append(handle.read())
        before, after = pictures
        if before == after:
            continue
        for pixel in range(0, min(len(before), len(after)) - 2, 3):
            change = max(abs(before[pixel + c] - after[pixel + c]) for c in range(3))
            largest = max(largest, change)
            differ += change > 0
            beyond += change > TOLERANCE
    return largest, differ, beyond


def measure(tree, mutant):
    if not draw_pictures(tree, "mutant"):
        mutant.detail = "the render bench draws no pictures"
        return
    largest, differ, beyond = picture_change(tree)
    mutant.detail = f"{differ} pixels change, {beyond} beyond the tolerance, by up to {largest}"
    if largest <= TOLERANCE:
        mutant.verdict = "below tolerance"


def compiled_verdict(tree, mutant):
    """Compiles the mutated file's objects: "no build", "not built here" when this build
    compiles none of the mutated code, "same code" when the compiler makes the same objects as
    without the mutant (the two programs cannot differ), or None: test it."""
    objects = tree.objects["plain"].get(mutant.path, [])
    if not objects:
        return "not built here"
    build = tree.build_dir("plain")
    if run(["ninja", "-C", build] + objects).returncode != 0:
        return "no build"
    if all(digest(os.path.join(build, o)) == tree.baseline[o] for o in objects):
        return "not built here" if mutant.conditional else "same code"
    return None


def covers(tree, stage, path):
    """Whether the stage's tests run code compiled from the file (e2e's run everything)."""
    objects = tree.targets[stage.name][1]
    return objects is None or any(o in objects for o in tree.objects[stage.kind].get(path, []))


def try_mutant(tree, mutant, limits):
    path = os.path.join(tree.folder, mutant.path)
    with open(path, encoding="utf-8") as handle:
        original = handle.read()
    mutated = original[:mutant.start] + mutant.replacement + original[mutant.end:]
    started = time.time()
    try:
        with open(path, "w", encoding="utf-8") as handle:
            handle.write(mutated)
        mutant.verdict, mutant.detail = compiled_verdict(tree, mutant) or "survived", ""
        for stage in stages_for(mutant.path) if mutant.verdict == "survived" else []:
            if not covers(tree, stage, mutant.path):
                continue
            if not tree.build(stage.kind, tree.targets[stage.name][0]):
                mutant.verdict = "no build"
                break
            failed = run_stage(tree, stage, limits[stage.name])
            if failed:
                mutant.verdict, mutant.detail = "killed", failed
                break
        if mutant.verdict == "survived" and mutant.path.startswith(MEASURED):
            measure(tree, mutant)
    finally:
        with open(path, "w", encoding="utf-8") as handle:
            handle.write(original)
        os.utime(path)
    mutant.seconds = time.time() - started
    return mutant


# ---------------------------------------------------------------------------------------------
# The equivalent list and the report.

def read_equivalents():
    listed = {}
    if not os.path.exists(EQUIVALENT_LIST):
        return listed
    with open(EQUIVALENT_LIST, encoding="utf-8") as handle:
        for number, line in enumerate(handle, 1):
            if not line.strip() or line.lstrip().startswith("#"):
                continue
            parts = [part.strip() for part in line.split(" | ")]
            if len(parts) != 5 or parts[2] not in OPERATORS:
                raise SystemExit(f"mutants: {EQUIVALENT_LIST}:{number}: want "
                                 "'path | definition | operator | mutated line | why'")
            listed[(parts[0], " ".join(parts[1].split()), parts[2], " ".join(parts[3].split()))] = parts[4]
    return listed


def folder_of(path):
    parts = path.split("/")
    return "/".join(parts[:2]) + "/"


TOTALS_HEADING = ("| folder | mutants | killed | survived | below tolerance | did not build | not built here | "
                  "equivalent (listed) | equivalent (same code) |")


def report(mutants, seconds, out):
    order = {"survived": 0, "below tolerance": 1, "equivalent": 2, "same code": 3, "killed": 4, "no build": 5,
             "not built here": 6}
    lines = ["# Mutants", "", "| file | line | operator | changed line | verdict |", "|---|---|---|---|---|"]
    for m in sorted(mutants, key=lambda m: (order.get(m.verdict, 0), m.path, m.line)):
        verdict = m.verdict + (f": {m.detail}" if m.detail else "")
        changed = m.mutated_line.replace("|", "\\|")
        lines.append(f"| {m.path} | {m.line} | {m.operator} | `{changed}` | {verdict} |")
    columns = ["killed", "survived", "below tolerance", "no build", "not built here", "equivalent", "same code"]
    lines += ["", TOTALS_HEADING, "|---" * (len(columns) + 2) + "|"]
    totals = {}
    for m in mutants:
        row = totals.setdefault(folder_of(m.path), dict.fromkeys(columns, 0))
        row[m.verdict] = row.get(m.verdict, 0) + 1
    for folder, row in sorted(totals.items()):
        lines.append(f"| {folder} | {sum(row.values())} | " + " | ".join(str(row[c]) for c in columns) + " |")
    lines += ["", f"Time taken: {seconds / 60:.1f} minutes."]
    with open(out, "w", encoding="utf-8") as handle:
        handle.write("\n".join(lines) + "\n")
    return lines


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("files", nargs="*", help="sources to mutate (globs); default: all of src/")
    parser.add_argument("--jobs", type=int, default=1, help="mutants tested at once, one work tree each")
    parser.add_argument("--sample", type=int, help="test only this many mutants, drawn at random")
    parser.add_argument("--seed", type=int, default=1, help="of the sample")
    parser.add_argument("--operators", help="comma-separated operators to apply (default: all)")
    parser.add_argument("--only", help="a regular expression: mutants whose id (path:line:operator:n) matches")
    parser.add_argument("--list", action="store_true", help="list the mutants, run nothing")
    parser.add_argument("--work", default=os.path.join(ROOT, "build-mutants"),
                        help="the folder of the work trees and the report (default: build-mutants)")
    args = parser.parse_args()

    os.chdir(ROOT)
    patterns = [f.replace("\\", "/") for f in args.files] or ["src/**/*.cpp", "src/**/*.h"]
    paths = sorted({p for pattern in patterns for p in glob.glob(pattern, recursive=True)
                    if p.endswith((".cpp", ".h")) and not p.startswith(EXCLUDED)})
    if not paths:
        raise SystemExit("mutants: no source matches " + " ".join(patterns))
    operators = set(args.operators.split(",")) if args.operators else set(OPERATORS)
    mutants = []
    for path in paths:
        with open(path, encoding="utf-8") as handle:
            mutants += [m for m in mutants_of(path, handle.read()) if m.operator in operators]
    if args.only:
        mutants = [m for m in mutants if re.search(args.only, m.ident)]
    if args.sample and args.sample < len(mutants):
        mutants = sorted(random.Random(args.seed).sample(mutants, args.sample), key=lambda m: (m.path, m.line))
    equivalents = read_equivalents()
    for m in mutants:
        why = equivalents.get((m.path, m.scope, m.operator, m.mutated_line))
        if why:
            m.verdict, m.detail = "equivalent", why
    if args.list:
        for m in mutants:
            print(f"{m.ident}\t{m.mutated_line}" + (f"\t(equivalent: {m.detail})" if m.verdict else ""))
        print(f"{len(mutants)} mutants in {len(paths)} files")
        return

    started = time.time()
    work = os.path.abspath(args.work)
    os.makedirs(work, exist_ok=True)
    files = tracked_files()
    jobs = max(1, args.jobs)
    build_jobs = max(1, (os.cpu_count() or 1) // jobs)
    trees = [Tree(os.path.join(work, f"tree-{n + 1}"), build_jobs) for n in range(jobs)]
    stages = {stage.name: stage for p in paths for stage in stages_for(p)}.values()
    print(f"Preparing {jobs} work tree(s) in {work}: build and baseline run", flush=True)
    with concurrent.futures.ThreadPoolExecutor(jobs) as pool:
        found = list(pool.map(lambda t: prepare(t, files, list(stages), paths), trees))
    limits = {name: max(tree[name] for tree in found) for name in found[0]}
    to_run = [m for m in mutants if not m.verdict]
    print(f"{len(mutants)} mutants ({len(mutants) - len(to_run)} listed as equivalent), test time "
          "limits " + ", ".join(f"{name} {limit} s" for name, limit in limits.items()), flush=True)

    queue = list(to_run)
    queue_lock = threading.Lock()
    done = [0]
    results = open(os.path.join(work, "results.jsonl"), "w", encoding="utf-8")

    def worker(tree):
        while True:
            with queue_lock:
                if not queue:
                    return
                mutant = queue.pop(0)
            try_mutant(tree, mutant, limits)
            with queue_lock:
                done[0] += 1
                print(f"[{done[0]}/{len(to_run)}] {mutant.ident} {mutant.verdict}"
                      f"{(' by ' if mutant.verdict == 'killed' else ': ') + mutant.detail if mutant.detail else ''}"
                      f" ({mutant.seconds:.1f} s){'' if mutant.verdict == 'killed' else '   ' + mutant.mutated_line}",
                      flush=True)
                results.write(json.dumps({"id": mutant.ident, "verdict": mutant.verdict, "by": mutant.detail,
                                          "line": mutant.mutated_line,
                                          "seconds": round(mutant.seconds, 1)}) + "\n")
                results.flush()

    with concurrent.futures.ThreadPoolExecutor(jobs) as pool:
        list(pool.map(worker, trees))
    results.close()
    out = os.path.join(work, "report.md")
    lines = report(mutants, time.time() - started, out)
    survivors = [line for line in lines if re.search(r"\| (survived|below tolerance)(: [^|]*)? \|$", line)]
    print("\n".join(survivors + lines[lines.index(TOTALS_HEADING):]))
    print(f"Report: {out}")


if __name__ == "__main__":
    main()
