#!/usr/bin/env python3
"""Checks of the installed package, the way a user meets it.

  check_installed.py exports LIBRARY INCLUDE_DIR
      every function and class declared with LX_EXPORT under INCLUDE_DIR is
      in the library's dynamic symbol table, and no installed header
      declares a function that is not
  check_installed.py paths LIBRARY [--sanitized] FOLDER...
      the library holds none of the FOLDERs (absolute build paths); with
      --sanitized, but for the source file names the sanitizers embed
  check_installed.py detail-log PROGRAM LIBRARY_DIR
      the program runs with "lxappdetail.log" present, which then holds its
      trace record
  check_installed.py debug-stderr PROGRAM LIBRARY_DIR
      the program runs with QUELVIX_DEBUG_STDERR=1, its records on stderr
  check_installed.py runtime-only PROGRAM LIBRARY_DIR
      the program runs from a folder holding only libquelvixcore.so.5*, and
      from the installed folder (with the development link)
"""
import os
import re
import shutil
import subprocess
import sys
import tempfile

LOG_FOLDER = os.path.join('Veltmarshoptronica', 'TORVEL5.30')


def fail(message):
    print('FAILED: ' + message)
    sys.exit(1)


def exported_symbols(library):
    out = subprocess.run(['nm', '-D', '--defined-only', '-C', library], check=True,
                         capture_output=True, text=True).stdout
    symbols = []
    for line in out.splitlines():
        parts = line.split(' ', 2)
        if len(parts) == 3:
            symbols.append(parts[2])
    return symbols


def strip_comments_and_strings(text):
    text = re.sub(r'//[^\n]*', '', text)
    text = re.sub(r'/\*.*?\*/', '', text, flags=re.S)
    text = re.sub(r'"(\\.|[^"\\])*"', '""', text)
    text = re.sub(r"'(\\.|[^'\\])*'", "''", text)
    # Preprocessor lines, with their continuations.
    text = re.sub(r'^[ \t]*#([^\n]*\\\n)*[^\n]*', '', text, flags=re.M)
    return text


def namespace_statements(text):
    """Statements at namespace scope (inside namespaces and extern "C"
    blocks, outside classes and function bodies), each with the character
    that ended it (';' or '{')."""
    statements = []
    stack = []  # True: a transparent scope (namespace, extern "C")
    current = ''
    for c in text:
        opaque = any(not s for s in stack)
        if c == '{':
            head = current.strip()
            transparent = not opaque and (re.match(r'^(inline\s+)?namespace\b', head) or
                                          re.match(r'^extern\s+""$', head))
            if not opaque:
                statements.append((head, '{'))
            stack.append(bool(transparent))
            current = ''
        elif c == '}':
            if stack:
                stack.pop()
            current = ''
        elif c == ';':
            if not opaque:
                statements.append((current.strip(), ';'))
            current = ''
        else:
            current += c
    return statements


SKIPPED_STARTS = ('typedef', 'using', 'static_assert', 'template', 'friend', 'extern template',
                  'enum', 'class', 'struct', 'union', 'inline', 'constexpr', 'static')


def declared_function_name(statement):
    s = ' '.join(statement.split())
    if not s or s.startswith(SKIPPED_STARTS) or '(' not in s:
        return None
    if re.search(r'\boperator\b', s):
        return None
    head = s[:s.index('(')]
    match = re.search(r'([A-Za-z_][A-Za-z_0-9]*)\s*$', head)
    if not match or ' ' not in head.strip() and 'LX_EXPORT' not in head:
        # A bare call such as a macro invocation, not a declaration.
        return None
    return match.group(1)


def out_of_line_members(text, body_start):
    """Names of the member functions that the class body starting at
    body_start declares without defining them (their code must then be in
    the library)."""
    members = []
    depth = 1
    current = ''
    i = body_start
    while i < len(text) and depth > 0:
        c = text[i]
        if c == '{':
            if depth == 1:
                current = ''  # an inline definition or a nested type
            depth += 1
        elif c == '}':
            depth -= 1
            current = ''
        elif c == ';' and depth == 1:
            s = ' '.join(current.split())
            s = re.sub(r'^(public|protected|private)\s*:\s*', '', s)
            if ('(' in s and not s.startswith(SKIPPED_STARTS[:6]) and
                    not re.search(r'=\s*(default|delete|0)\s*$', s) and
                    not re.search(r'\boperator\b', s) and
                    not s.startswith(('using', 'typedef', 'friend', 'static_assert'))):
                head = s[:s.index('(')]
                name = re.search(r'(~?[A-Za-z_][A-Za-z_0-9]*)\s*$', head)
                if name and not name.group(1).startswith('~'):
                    members.append(name.group(1))
            current = ''
        elif depth == 1:
            current += c
        i += 1
    return members


def check_exports(library, include_dir):
    symbols = exported_symbols(library)
    names = set()
    for symbol in symbols:
        head = symbol.split('(')[0]
        for identifier in re.findall(r'[A-Za-z_][A-Za-z_0-9]*', head):
            names.add(identifier)
    problems = []
    headers = 0
    for folder, _, files in os.walk(include_dir):
        for name in sorted(files):
            if not name.endswith('.h'):
                continue
            headers += 1
            path = os.path.join(folder, name)
            relative = os.path.relpath(path, include_dir)
            text = strip_comments_and_strings(open(path, encoding='utf-8').read())
            for match in re.finditer(r'\b(class|struct)\s+LX_EXPORT\s+([A-Za-z_][A-Za-z_0-9]*)[^;{]*\{',
                                     text):
                cls = match.group(2)
                for member in out_of_line_members(text, match.end()):
                    pattern = re.compile(r'(^|[^A-Za-z_0-9])%s(<[^()]*>)?::%s(\[abi:[^]]*\])?\(' %
                                         (re.escape(cls), re.escape(member)))
                    if not any(pattern.search(symbol) for symbol in symbols):
                        problems.append('%s: member %s::%s is not in the library' %
                                        (relative, cls, member))
            for statement, end in namespace_statements(text):
                function = declared_function_name(statement)
                if function and function not in names:
                    what = 'exported' if 'LX_EXPORT' in statement else 'declared'
                    problems.append('%s: %s function %s is not in the library' %
                                    (relative, what, function))
    if headers == 0:
        fail('no headers under ' + include_dir)
    for problem in problems:
        print(problem)
    if problems:
        fail('%d declarations without an export' % len(problems))
    print('%d headers, %d exported symbols: every declaration links' % (headers, len(symbols)))


SOURCE_NAME = re.compile(rb'/[A-Za-z0-9_.+/-]+\.(c|cc|cpp|h|hpp|inc|tcc)')


def check_paths(library, folders):
    # GCC writes the sanitizers' source locations (the names of the compiled
    # files and of the headers their inline code comes from) with the full
    # path, whatever the prefix maps say. Only those whole strings, naming a
    # source file that exists, are let pass in a sanitizer build.
    sanitized = bool(folders) and folders[0] == '--sanitized'
    if sanitized:
        folders = folders[1:]
    data = open(library, 'rb').read()
    ignored = 0
    for folder in folders:
        folder = os.path.realpath(folder).encode()
        start = data.find(folder)
        while start >= 0:
            end = data.find(b'\0', start)
            text = data[start:end]
            rest = text[len(folder):]
            # The name starts at the folder, not inside a longer path. What
            # precedes it is padding, a string's end or other constant data,
            # so any byte but a separator may come before.
            whole = start > 0 and data[start - 1] != ord('/')
            if not (sanitized and whole and SOURCE_NAME.fullmatch(rest) and
                    os.path.isfile(text.decode(errors='replace'))):
                fail('%s holds the build path in "%s"' % (library, text.decode(errors='replace')))
            ignored += 1
            start = data.find(folder, end)
    print('no build path in %s (%d sanitizer source names let pass)' % (library, ignored))


def run(program, library_dir, data_home, extra_env=None):
    env = dict(os.environ)
    env['LD_LIBRARY_PATH'] = library_dir
    env['XDG_DATA_HOME'] = data_home
    env.pop('QUELVIX_DEBUG_STDERR', None)
    env.update(extra_env or {})
    result = subprocess.run([program], env=env, capture_output=True, text=True, timeout=120)
    if result.returncode != 0:
        fail('%s exited with %d\nstdout: %s\nstderr: %s' %
             (program, result.returncode, result.stdout, result.stderr))
    return result


def check_detail_log(program, library_dir):
    with tempfile.TemporaryDirectory() as home:
        folder = os.path.join(home, LOG_FOLDER)
        os.makedirs(folder)
        log = os.path.join(folder, 'lxappdetail.log')
        open(log, 'wb').close()
        run(program, library_dir, home)
        text = open(log, 'rb').read().decode('utf-16-le', errors='replace')
        if 'lx_runs_at_load: detail log 1' not in text:
            fail('the detail log lacks the program\'s record:\n' + text)
        # Records name the library's sources relative to the repository.
        if 'File : w32_system/dynlib/LxDynLib.cpp\r\n' not in text:
            fail('the library\'s report does not name its source file relative to the '
                 'repository:\n' + text)
        if os.path.exists(os.path.join(folder, 'lxapp.log')):
            fail('the normal log was written in detail mode')
    print('runs with the detail log')


def check_debug_stderr(program, library_dir):
    with tempfile.TemporaryDirectory() as home:
        result = run(program, library_dir, home, {'QUELVIX_DEBUG_STDERR': '1'})
        if 'lx_runs_at_load: detail log 0' not in result.stderr:
            fail('no trace record on stderr:\n' + result.stderr)
    print('runs with QUELVIX_DEBUG_STDERR=1')


def check_runtime_only(program, library_dir):
    runtime = [n for n in os.listdir(library_dir) if n.startswith('libquelvixcore.so.5')]
    if not runtime:
        fail('no runtime files in ' + library_dir)
    with tempfile.TemporaryDirectory() as home, tempfile.TemporaryDirectory() as folder:
        for name in runtime:
            source = os.path.join(library_dir, name)
            target = os.path.join(folder, name)
            if os.path.islink(source):
                os.symlink(os.readlink(source), target)
            else:
                shutil.copy2(source, target)
        for where in (folder, library_dir):
            result = run(program, where, home)
            if 'made' not in result.stdout:
                fail('not made from ' + where)
    print('classes are made by name from the runtime files alone: ' + ', '.join(sorted(runtime)))


def main():
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    command, args = sys.argv[1], sys.argv[2:]
    if command == 'exports':
        check_exports(*args)
    elif command == 'paths':
        check_paths(args[0], args[1:])
    elif command == 'detail-log':
        check_detail_log(*args)
    elif command == 'debug-stderr':
        check_debug_stderr(*args)
    elif command == 'runtime-only':
        check_runtime_only(*args)
    else:
        sys.exit(__doc__)


if __name__ == '__main__':
    main()
