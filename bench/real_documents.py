#!/usr/bin/env python3
"""The helper of bench/real_documents.sh and bench/corpus/fetch.sh.

  neighbours PAGE                      the files a web page needs (style sheets, pictures,
                                       scripts, frames), relative to its folder, one a line
  stage MANIFEST CORPUS START ITEMS    copies the corpus flat into START under unique names,
                                       each web page with its neighbours; writes ITEMS (tsv)
  stamp LOG -- COMMAND...              runs COMMAND, writes each line of its standard error
                                       with the seconds since the start into LOG
  report ITEMS OURS OURS_LOG PEER PEER_TIMES
                                       compares both sides' PDFs, prints the tables
"""
import collections
import html.parser
import os
import re
import shutil
import subprocess
import sys
import time
import urllib.parse


def local_reference(value):
    """A relative path inside the page's own tree, or None (links elsewhere are never followed)."""
    value = value.strip()
    if not value or value.startswith(('#', '/', '\\')):
        return None
    parsed = urllib.parse.urlsplit(value)
    if parsed.scheme or parsed.netloc:
        return None
    path = os.path.normpath(urllib.parse.unquote(parsed.path))
    if path.startswith('..') or path == '.':
        return None
    return path


class References(html.parser.HTMLParser):
    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.found = []

    def handle_starttag(self, tag, attrs):
        attrs = dict(attrs)
        wanted = []
        if tag == 'link' and 'stylesheet' in (attrs.get('rel') or '').lower():
            wanted.append(attrs.get('href'))
        if tag in ('img', 'script', 'frame', 'iframe', 'embed', 'input', 'source'):
            wanted.append(attrs.get('src'))
        if tag == 'object':
            wanted.append(attrs.get('data'))
        wanted.append(attrs.get('background'))
        for style in [attrs.get('style') or '']:
            wanted += re.findall(r'url\(\s*[\'"]?([^\'")]+)', style)
        self.found += [w for w in wanted if w]


def neighbours(page):
    folder = os.path.dirname(os.path.abspath(page))
    with open(page, 'rb') as f:
        text = f.read().decode('utf-8', 'replace')
    parser = References()
    parser.feed(text)
    found = set()
    for value in parser.found + re.findall(r'url\(\s*[\'"]?([^\'")]+)', text):
        path = local_reference(value)
        if path and os.path.isfile(os.path.join(folder, path)):
            found.add(path)
    # Pictures and imports that the style sheets name, relative to each sheet.
    for sheet in [p for p in found if p.lower().endswith('.css')]:
        with open(os.path.join(folder, sheet), 'rb') as f:
            css = f.read().decode('utf-8', 'replace')
        for value in re.findall(r'url\(\s*[\'"]?([^\'")]+)', css) + re.findall(
                r'@import\s+[\'"]([^\'"]+)', css):
            inner = local_reference(value)
            if not inner:
                continue
            path = os.path.normpath(os.path.join(os.path.dirname(sheet), inner))
            if not path.startswith('..') and os.path.isfile(os.path.join(folder, path)):
                found.add(path)
    return sorted(found)


def manifest_rows(manifest):
    with open(manifest, encoding='utf-8') as f:
        for line in f:
            line = line.rstrip('\n')
            if not line or line.startswith('#'):
                continue
            fields = line.split('\t') + ['']
            yield fields[0], fields[1], fields[2] or os.path.basename(fields[1])


def kind(name):
    ext = os.path.splitext(name)[1].lower()
    return ext if ext else '(none)'


def stage(manifest, corpus, start, items):
    os.makedirs(start, exist_ok=True)
    neighbour_owner = {}
    with open(items, 'w', encoding='utf-8') as out:
        for number, (package, path, name) in enumerate(manifest_rows(manifest), 1):
            source = os.path.join(corpus, package + os.path.dirname(path), name)
            if not os.path.isfile(source):
                print(f'real_documents: not in the corpus: {package} {path}', file=sys.stderr)
                continue
            # The number keeps every name apart, also after the run cuts the ending off.
            staged = f'{number:03d}-{name}'
            shutil.copyfile(source, os.path.join(start, staged))
            if kind(name) in ('.html', '.htm'):
                for needed in neighbours(source):
                    target = os.path.join(start, needed)
                    if os.path.exists(target):
                        if open(target, 'rb').read() != open(os.path.join(os.path.dirname(source), needed), 'rb').read():
                            print(f'real_documents: {staged} and {neighbour_owner[needed]} need '
                                  f'different files named {needed}; the first one is kept',
                                  file=sys.stderr)
                        continue
                    os.makedirs(os.path.dirname(target), exist_ok=True)
                    shutil.copyfile(os.path.join(os.path.dirname(source), needed), target)
                    neighbour_owner[needed] = staged
            out.write(f'{staged}\t{kind(name)}\t{package}\t{path}\t{os.path.getsize(source)}\n')


def stamp(log, command):
    started = time.monotonic()
    with open(log, 'w', encoding='utf-8', errors='replace') as out:
        process = subprocess.Popen(command, stderr=subprocess.PIPE, stdout=subprocess.DEVNULL)
        for raw in process.stderr:
            out.write(f'{time.monotonic() - started:.3f}\t{raw.decode("utf-8", "replace").rstrip()}\n')
            out.flush()
        process.wait()
        out.write(f'{time.monotonic() - started:.3f}\t(exit status {process.returncode})\n')
    return process.returncode


def pdf_facts(pdf):
    """(pages, first page size in points, words) or None when there is no readable PDF."""
    if not os.path.isfile(pdf) or os.path.getsize(pdf) == 0:
        return None
    try:
        info = subprocess.run(['pdfinfo', '-f', '1', '-l', '1', pdf], capture_output=True,
                              timeout=60).stdout.decode('utf-8', 'replace')
        text = subprocess.run(['pdftotext', '-q', '-enc', 'UTF-8', pdf, '-'], capture_output=True,
                              timeout=120).stdout.decode('utf-8', 'replace')
    except subprocess.TimeoutExpired:
        return None
    pages = re.search(r'^Pages:\s+(\d+)', info, re.M)
    size = re.search(r'^Page\s+1 size:\s+([\d.]+) x ([\d.]+)', info, re.M)
    if not pages:
        return None
    first = (round(float(size.group(1))), round(float(size.group(2)))) if size else None
    return int(pages.group(1)), first, collections.Counter(text.split())


def ours_name(staged):
    return (staged[:-4] if len(staged) > 4 else staged) + '.PDF'


def peer_name(staged):
    return os.path.splitext(staged)[0] + '.pdf'


def our_times(log):
    """Seconds from the previous document's line to each document's own line, by name."""
    times, previous = {}, None
    line = re.compile(r'^\[\d+/\d+\] (.*): (\S.*)$')
    with open(log, encoding='utf-8', errors='replace') as f:
        for entry in f:
            at, _, text = entry.rstrip('\n').partition('\t')
            at = float(at)
            if previous is None:
                previous = 0.0
            match = line.match(text)
            if match:
                times[match.group(1)] = (at - previous, match.group(2))
                previous = at
    return times


def report(items, ours, ours_log, peer, peer_times):
    rows = [line.rstrip('\n').split('\t') for line in open(items, encoding='utf-8')]
    theirs = {}
    for line in open(peer_times, encoding='utf-8'):
        name, seconds, status = line.rstrip('\n').split('\t')
        theirs[name] = (float(seconds), status)
    ours_t = our_times(ours_log)
    by_kind = collections.OrderedDict()
    problems = []
    for staged, ext, package, path, size in rows:
        k = by_kind.setdefault(ext, collections.Counter())
        k['count'] += 1
        a = pdf_facts(os.path.join(ours, ours_name(staged)))
        b = pdf_facts(os.path.join(peer, peer_name(staged)))
        t_ours, status = ours_t.get(staged, (0.0, 'no line'))
        t_peer, peer_status = theirs.get(staged, (0.0, 'not run'))
        k['t_ours'] += t_ours
        k['t_peer'] += t_peer
        k.setdefault('fail_ours', [])
        k.setdefault('fail_peer', [])
        if a:
            k['ours'] += 1
        else:
            k['fail_ours'].append(staged)
            problems.append(f'- corvanta: {staged} ({package} {path}): {status}')
        if b:
            k['peer'] += 1
        else:
            k['fail_peer'].append(staged)
            problems.append(f'- soffice: {staged} ({package} {path}): {peer_status}')
        if a and b:
            k['both'] += 1
            k['pages_equal'] += a[0] == b[0]
            k['size_differs'] += a[1] != b[1]
            wanted = sum(b[2].values())
            if wanted:
                shared = sum(min(n, a[2][w]) for w, n in b[2].items())
                k['words'] += shared / wanted
                k['with_words'] += 1
            if a[0] != b[0] or a[1] != b[1]:
                problems.append(f'- differs: {staged}: pages {a[0]} / {b[0]}, first page '
                                f'{a[1]} / {b[1]} pt (corvanta / soffice)')
        if t_peer >= 55 or t_ours >= 55:
            problems.append(f'- slow: {staged}: corvanta {t_ours:.1f} s, soffice {t_peer:.1f} s')

    def pct(n, d):
        return f'{100 * n / d:.0f}%' if d else '-'

    print('| kind | count | corvanta | soffice | both | equal pages | first page size differs '
          '| shared words | corvanta s | soffice s |')
    print('|---|---|---|---|---|---|---|---|---|---|')
    total = collections.Counter()
    for ext, k in by_kind.items():
        print(f"| {ext} | {k['count']} | {k['ours']} | {k['peer']} | {k['both']} | "
              f"{k['pages_equal']} | {k['size_differs']} | {pct(k['words'], k['with_words'])} | "
              f"{k['t_ours']:.1f} | {k['t_peer']:.1f} |")
        for key in ('count', 'ours', 'peer', 'both', 'pages_equal', 'size_differs', 'words',
                    'with_words', 't_ours', 't_peer'):
            total[key] += k[key]
    k = total
    print(f"| all | {k['count']} | {k['ours']} | {k['peer']} | {k['both']} | {k['pages_equal']} "
          f"| {k['size_differs']} | {pct(k['words'], k['with_words'])} | {k['t_ours']:.1f} | "
          f"{k['t_peer']:.1f} |")
    print()
    print('Not converted, by kind (corvanta; soffice):')
    for ext, k in by_kind.items():
        if k['fail_ours'] or k['fail_peer']:
            print(f"- {ext}: corvanta {', '.join(k['fail_ours']) or '-'}; "
                  f"soffice {', '.join(k['fail_peer']) or '-'}")
    print()
    print('Details:')
    print('\n'.join(problems) or '- none')


def main(argv):
    if len(argv) >= 2 and argv[0] == 'neighbours':
        print('\n'.join(neighbours(argv[1])))
    elif len(argv) == 5 and argv[0] == 'stage':
        stage(*argv[1:])
    elif len(argv) >= 4 and argv[0] == 'stamp' and argv[2] == '--':
        return stamp(argv[1], argv[3:])
    elif len(argv) == 6 and argv[0] == 'report':
        report(*argv[1:])
    else:
        print(__doc__, file=sys.stderr)
        return 2
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv[1:]))
