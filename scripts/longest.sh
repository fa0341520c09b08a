#!/usr/bin/env bash
# The N longest function definitions (default 10) of the engine's code, the
# tests left out: name, file, first line and length in lines, from the first
# line of the signature to the closing brace. A brace matcher, not a C++
# parser: comments, strings and character literals are skipped; a brace at
# namespace or class level opens a function when the text before it has a
# parameter list and no "=" outside brackets (an initialised table is data);
# lambdas and local classes count as part of their function.
#
#   scripts/longest.sh [tree] [N]     (default: the tree this script is in, 10)
set -u
tree=${1:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}
count=${2:-10}
cd "$tree" || exit 2

python3 - "$count" board movegen eval search engine tools <<'EOF'
import glob, re, sys

count = int(sys.argv[1])
folders = sys.argv[2:]


def code_only(text):
    """The text with comments, strings, character literals and preprocessor
    lines blanked, line breaks kept, so that offsets keep their line."""
    out = []
    i, n = 0, len(text)
    at_line_start = True
    while i < n:
        c = text[i]
        if c == '\n':
            out.append(c)
            at_line_start = True
            i += 1
            continue
        if at_line_start and c == '#':
            # A directive, with its continuation lines.
            while i < n and text[i] != '\n':
                if text[i] == '\\' and i + 1 < n and text[i + 1] == '\n':
                    out.append(' \n')
                    i += 2
                    continue
                out.append(' ')
                i += 1
            continue
        if not c.isspace():
            at_line_start = False
        if text.startswith('//', i):
            while i < n and text[i] != '\n':
                out.append(' ')
                i += 1
        elif text.startswith('/*', i):
            end = text.find('*/', i + 2)
            end = n if end < 0 else end + 2
            out.append(''.join('\n' if ch == '\n' else ' ' for ch in text[i:end]))
            i = end
        elif c in '"\'':
            if c == '"' and i > 0 and text[i - 1] == 'R':
                # A raw string: R"delim( ... )delim".
                open_end = text.find('(', i)
                delim = ')' + text[i + 1:open_end] + '"'
                end = text.find(delim, open_end)
                end = n if end < 0 else end + len(delim)
            else:
                end = i + 1
                while end < n and text[end] != c:
                    end += 2 if text[end] == '\\' else 1
                end += 1
            out.append(c + ''.join('\n' if ch == '\n' else ' ' for ch in text[i + 1:end - 1]) + c)
            i = end
        else:
            out.append(c)
            i += 1
    return ''.join(out)


def outside_brackets(header):
    """The header with everything inside (), [] and <> template lists removed."""
    depth = 0
    kept = []
    for ch in header:
        if ch in '([':
            depth += 1
        elif ch in ')]':
            depth -= 1
        elif depth == 0:
            kept.append(ch)
    return ''.join(kept)


NAME = re.compile(r'((?:[A-Za-z_]\w*\s*::\s*)*~?\s*(?:operator\s*[^\s(]+|[A-Za-z_]\w*))\s*$')
SCOPES = re.compile(r'^(?:template\s*<.*>\s*)?(?:namespace|class|struct|union|extern\s*"\s*")\b')


def functions(path):
    text = code_only(open(path, encoding='utf-8', errors='replace').read())
    found = []
    header_start = 0  # where the text before the next brace begins
    i, n = 0, len(text)
    while i < n:
        c = text[i]
        if c in ';}':
            header_start = i + 1
        elif c == '{':
            header = text[header_start:i]
            flat = ' '.join(header.split())
            flat = re.sub(r'^(?:(?:public|private|protected)\s*:\s*)+', '', flat)
            is_function = ('(' in flat and '=' not in outside_brackets(flat).replace('==', '')
                           and not SCOPES.match(flat) and not flat.startswith('enum'))
            if SCOPES.match(flat) or flat == '':
                # namespace, class or struct body: its members are looked at
                header_start = i + 1
            else:
                # a function body, or data (an initialiser, an enum): skipped whole
                depth, j = 0, i
                while j < n:
                    if text[j] == '{':
                        depth += 1
                    elif text[j] == '}':
                        depth -= 1
                        if depth == 0:
                            break
                    j += 1
                if is_function:
                    name_part = flat[:flat.index('(')]
                    m = NAME.search(name_part)
                    name = re.sub(r'\s+', '', m.group(1)) if m else name_part
                    lead = len(header) - len(header.lstrip())
                    first = text.count('\n', 0, header_start + lead) + 1
                    last = text.count('\n', 0, j) + 1
                    found.append((last - first + 1, name, path, first))
                i = j
                header_start = j + 1
        i += 1
    return found


everything = []
for folder in folders:
    for path in sorted(glob.glob(folder + '/*.cpp') + glob.glob(folder + '/*.h')):
        everything.extend(functions(path))
everything.sort(key=lambda f: (-f[0], f[2], f[3]))
print('%5s  %-40s %s' % ('lines', 'function', 'file:line'))
for length, name, path, first in everything[:count]:
    print('%5d  %-40s %s:%d' % (length, name, path, first))
EOF
