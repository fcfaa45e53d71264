#!/usr/bin/python3
"""Compare a book made by quirefold-batch with the PDFs it was made from.

Usage: bench/book_diff.py [--batch PATH] [--pages-per-source N] [--threshold T] [--json] FOLDER

FOLDER's PDFs are copied into a temporary folder and compiled there with
`quirefold-batch --compile --no-blank-sheets --json`; FOLDER itself is never written to.
For each source it reports only what differs in the book: sampled pages rendered at
20 dpi in gray (first, last and evenly spaced between; a page differs when the mean
absolute difference per pixel is above T, default 1.0 of 255), form fields, widgets,
widgets not reachable from the book's /AcroForm /Fields, the calculation order,
document-level scripts and attached files (kept in the book as "FILENAME/name").
For the whole book: /NeedAppearances, `qpdf --check`, and streams written more than once.
Needs python3-pikepdf, python3-pil and poppler-utils. Exits 0 unless quirefold-batch fails.
"""
import argparse
import bisect
import hashlib
import json
import os
import shutil
import subprocess
import sys
import tempfile
from collections import defaultdict
from concurrent.futures import ThreadPoolExecutor

import pikepdf
from PIL import Image, ImageChops, ImageStat

BOOK = "PDFCompile Output/CompiledPDFDocument.pdf"


def key_of(obj):
    """Identity of an indirect object; a direct one has none and cannot be referred to."""
    return obj.objgen if obj.is_indirect else None


def name_tree(node, out=None, seen=None, depth=0):
    """Every (name, value) of a name tree; broken trees must not stop the check."""
    out = {} if out is None else out
    seen = set() if seen is None else seen
    if not isinstance(node, pikepdf.Dictionary) or depth > 64 or key_of(node) in seen:
        return out
    if node.is_indirect:
        seen.add(key_of(node))
    names = node.get("/Names")
    if isinstance(names, pikepdf.Array):
        for i in range(0, len(names) - 1, 2):
            if isinstance(names[i], pikepdf.String):
                out[str(names[i])] = names[i + 1]
    for kid in node.get("/Kids", []):
        name_tree(kid, out, seen, depth + 1)
    return out


def payload(value, kind):
    """Bytes a script or attachment carries, so the book's copy can be matched to the source's."""
    try:
        if kind == "/JavaScript":
            js = value.get("/JS")
            return js.read_bytes() if isinstance(js, pikepdf.Stream) else bytes(js)
        ef = value.get("/EF", {})
        f = ef.get("/F") or ef.get("/UF")
        return f.read_bytes()
    except Exception:
        return None


def names_of(pdf, kind):
    names = pdf.Root.get("/Names")
    if not isinstance(names, pikepdf.Dictionary) or kind not in names:
        return {}
    return {k: payload(v, kind) for k, v in name_tree(names[kind]).items()}


def terminal_fields(pdf):
    """(field, [widgets]) for every terminal field under /AcroForm /Fields."""
    out, seen = [], set()

    def walk(node, depth):
        if not isinstance(node, pikepdf.Dictionary) or depth > 64 or key_of(node) in seen:
            return
        if node.is_indirect:
            seen.add(key_of(node))
        kids = [k for k in node.get("/Kids", []) if isinstance(k, pikepdf.Dictionary)]
        sub = [k for k in kids if "/T" in k]
        widgets = [k for k in kids if "/T" not in k]
        if node.get("/Subtype") == "/Widget":
            widgets.append(node)
        for k in sub:
            walk(k, depth + 1)
        if widgets or not sub:
            out.append((node, widgets))

    form = pdf.Root.get("/AcroForm")
    if isinstance(form, pikepdf.Dictionary):
        for f in form.get("/Fields", []):
            walk(f, 0)
    return out


def page_annots(pdf):
    """Per page, its widgets, and where each annotation sits."""
    widgets, where = [], {}
    for i, page in enumerate(pdf.pages):
        w = []
        annots = page.obj.get("/Annots")
        for a in annots if isinstance(annots, pikepdf.Array) else []:
            if isinstance(a, pikepdf.Dictionary):
                if a.is_indirect:
                    where.setdefault(key_of(a), i)
                if a.get("/Subtype") == "/Widget":
                    w.append(a)
        widgets.append(w)
    return widgets, where


def field_page(node, where, page_index, depth=0):
    """The page of a field's first widget, for telling which source it came from."""
    if not isinstance(node, pikepdf.Dictionary) or depth > 64:
        return None
    if key_of(node) in where:
        return where[key_of(node)]
    for kid in node.get("/Kids", []):
        p = field_page(kid, where, page_index, depth + 1)
        if p is not None:
            return p
    p = node.get("/P")
    return page_index.get(p.objgen) if isinstance(p, pikepdf.Dictionary) else None


def duplicate_streams(pdf):
    groups = defaultdict(list)
    for obj in pdf.objects:
        if not isinstance(obj, pikepdf.Stream):
            continue
        try:
            d = obj.stream_dict
            head = tuple(sorted((k, d[k].unparse()) for k in d.keys() if k != "/Length"))
            raw = obj.read_raw_bytes()
        except Exception:
            continue
        groups[(head, hashlib.sha256(raw).digest())].append((obj.objgen[0], len(raw)))
    dups = [g for g in groups.values() if len(g) > 1]
    wasted = sum((len(g) - 1) * g[0][1] for g in dups)
    return dups, wasted


def sample(n, want):
    if n <= want or want < 2:
        return list(range(min(n, want)))
    return sorted({round(i * (n - 1) / (want - 1)) for i in range(want)})


def render(path, page, prefix):
    r = subprocess.run(["pdftoppm", "-r", "20", "-gray", "-f", str(page), "-l", str(page),
                        "-singlefile", path, prefix], capture_output=True)
    if r.returncode != 0 or not os.path.exists(prefix + ".pgm"):
        return None
    with Image.open(prefix + ".pgm") as im:
        im.load()
    os.remove(prefix + ".pgm")
    return im


def compare_page(src, src_page, book, book_page, prefix, threshold):
    a = render(src, src_page, prefix + "s")
    b = render(book, book_page, prefix + "b")
    if a is None or b is None:
        return "" if a is None and b is None else f"only the {'book' if a is None else 'source'} renders"
    if a.size != b.size:
        return f"size {a.size[0]}x{a.size[1]} became {b.size[0]}x{b.size[1]}"
    mad = ImageStat.Stat(ImageChops.difference(a, b)).mean[0]
    return f"mean difference {mad:.2f}" if mad > threshold else ""


def compile_book(batch, folder, scratch):
    work = os.path.join(scratch, os.path.basename(os.path.normpath(folder)) or "book")
    os.mkdir(work)
    sources = sorted(f for f in os.listdir(folder)
                     if f.lower().endswith(".pdf") and os.path.isfile(os.path.join(folder, f)))
    for f in sources:
        shutil.copyfile(os.path.join(folder, f), os.path.join(work, f))
    # Pinned so that a change of default cannot show up as a difference.
    cmd = [batch, "--compile", "--no-blank-sheets", "--json", "-q", "--no-page-numbers",
           "--no-index-page", "--no-volumes", work]
    r = subprocess.run(cmd, capture_output=True, text=True)
    try:
        out = json.loads(r.stdout)
    except ValueError:
        out = None
    book = os.path.join(work, BOOK)
    # Exit 1 only says some PDFs were left out or damaged; those are reported per source.
    if r.returncode not in (0, 1) or out is None or not os.path.exists(book):
        sys.exit(f"book_diff: quirefold-batch failed (exit {r.returncode}):\n{r.stderr.strip()}")
    return work, sources, out, book


def place_sources(work, sources, out):
    """start page (1-based) and page count of each source in the book, and what was left out."""
    messages = defaultdict(list)
    for p in out.get("problems", []):
        messages[os.path.basename(p.get("file") or "")].append(p.get("reason", ""))
    placed = {d["file"]: (d["start_page"], d["pages"]) for d in out.get("documents", [])
              if "start_page" in d}
    if not placed:  # an older tool: walk the page counts in file-name order
        start = 1
        for f in sources:
            if any("left out" in m for m in messages[f]):
                continue
            try:
                with pikepdf.open(os.path.join(work, f)) as pdf:
                    n = len(pdf.pages)
            except Exception:
                continue
            placed[f], start = (start, n), start + n
    return placed, messages


def run_checks(args, scratch):
    work, sources, out, book_path = compile_book(args.batch, args.folder, scratch)
    placed, messages = place_sources(work, sources, out)
    book = pikepdf.open(book_path)
    page_index = {p.obj.objgen: i for i, p in enumerate(book.pages)}
    book_widgets, where = page_annots(book)
    starts = sorted((s - 1, f) for f, (s, _) in placed.items())
    first_pages = [s for s, _ in starts]

    def owner(page):
        i = -1 if page is None else bisect.bisect_right(first_pages, page) - 1
        if i < 0:
            return None
        f = starts[i][1]
        return f if page < starts[i][0] + placed[f][1] else None

    reachable, book_fields, book_co = set(), defaultdict(int), defaultdict(int)
    for field, widgets in terminal_fields(book):
        reachable.update(key_of(w) for w in widgets if w.is_indirect)
        book_fields[owner(field_page(field, where, page_index))] += 1
    form = book.Root.get("/AcroForm")
    form = form if isinstance(form, pikepdf.Dictionary) else {}
    for f in form.get("/CO", []):
        book_co[owner(field_page(f, where, page_index))] += 1
    book_names = {k: names_of(book, k) for k in ("/JavaScript", "/EmbeddedFiles")}

    reports, jobs, src_dups, src_lost = [], [], [0, 0], 0
    pool = ThreadPoolExecutor(max_workers=os.cpu_count() or 4)
    for f in sources:
        rep = {"file": f, "differences": [], "tool": messages.get(f, [])}
        reports.append(rep)
        if f not in placed:
            rep["differences"].append("left out of the book: " + ("; ".join(rep["tool"]) or "no reason given"))
            continue
        start, count = placed[f]
        rep.update(start_page=start, pages=count)
        diff = rep["differences"]
        src_path = os.path.join(work, f)
        for i in sample(count, args.pages_per_source):
            jobs.append((rep, i + 1, pool.submit(
                compare_page, src_path, i + 1, book_path, start + i,
                os.path.join(scratch, f"r{len(jobs)}"), args.threshold)))
        try:
            src = pikepdf.open(src_path)
        except Exception as e:
            diff.append(f"pikepdf cannot open the source: {e}")
            continue
        with src:
            n = len(src.pages)
            if n != count:
                diff.append(f"{n} pages in the source, {count} in the book")
            src_widgets, _ = page_annots(src)
            mine = [w for ws in book_widgets[start - 1:start - 1 + count] for w in ws]
            fields = terminal_fields(src)
            src_reach = {key_of(w) for _, ws in fields for w in ws if w.is_indirect}
            # Widgets the source already leaves out of /Fields are the source's fault, not the book's.
            lost_before = sum(key_of(w) not in src_reach for ws in src_widgets for w in ws)
            src_lost += lost_before
            pairs = [("terminal fields", len(fields), book_fields[f]),
                     ("widgets", sum(map(len, src_widgets)), len(mine)),
                     ("widgets not reachable from /AcroForm /Fields", lost_before,
                      sum(key_of(w) not in reachable for w in mine))]
            sform = src.Root.get("/AcroForm")
            sco = sform.get("/CO", []) if isinstance(sform, pikepdf.Dictionary) else []
            pairs.append(("calculation order entries", len(sco), book_co[f]))
            for kind, label in (("/JavaScript", "scripts"), ("/EmbeddedFiles", "attached files")):
                theirs = names_of(src, kind)
                ours = {k[len(f) + 1:]: v for k, v in book_names[kind].items() if k.startswith(f + "/")}
                pairs.append((label, len(theirs), len(ours)))
                missing = sorted(set(theirs) - set(ours))
                changed = sorted(k for k in set(theirs) & set(ours) if theirs[k] != ours[k])
                if missing:
                    diff.append(f"{label} missing under \"{f}/\": {', '.join(missing[:5])}")
                if changed:
                    diff.append(f"{label} whose content changed: {', '.join(changed[:5])}")
            rep["counts"] = {label: [a, b] for label, a, b in pairs}
            diff.extend(f"{label}: {a} in the source, {b} in the book" for label, a, b in pairs if a != b)
            d, w = duplicate_streams(src)
            src_dups[0] += len(d)
            src_dups[1] += w
    rendered = differing = 0
    for rep, page, fut in jobs:
        result = fut.result()
        rendered += 1
        if result:
            differing += 1
            rep["differences"].append(f"page {page} (book page {rep['start_page'] + page - 1}): {result}")
    pool.shutdown()

    known = tuple(f + "/" for f in placed)
    stray = {kind: sorted(k for k in names if not k.startswith(known)) for kind, names in book_names.items()}
    dups, wasted = duplicate_streams(book)
    dups.sort(key=lambda g: -(len(g) - 1) * g[0][1])
    qc = subprocess.run(["qpdf", "--check", book_path], capture_output=True, text=True)
    qmsgs = [l for l in (qc.stdout + qc.stderr).splitlines()
             if l.startswith(("WARNING", "ERROR", "qpdf:")) and qc.returncode]
    totals = {
        "sources": len(sources), "in book": len(placed), "left out": len(sources) - len(placed),
        "with differences": sum(bool(r["differences"]) for r in reports),
        "book pages": len(book.pages), "pages rendered": rendered, "pages differing": differing,
        "terminal fields in book": sum(book_fields.values()),
        "fields on no source's pages": book_fields[None],
        "widgets in book": sum(map(len, book_widgets)),
        "widgets not reachable from /Fields": sum(key_of(w) not in reachable for ws in book_widgets for w in ws),
        "of those, already so in their sources": src_lost,
        "calculation order entries in book": len(form.get("/CO", [])),
        "calculation order entries on no source's pages": book_co[None],
        "scripts in book": len(book_names["/JavaScript"]),
        "attached files in book": len(book_names["/EmbeddedFiles"]),
        "names without a source prefix": sum(map(len, stray.values())),
        "NeedAppearances true": bool(form.get("/NeedAppearances", False)),
    }
    report = {
        "folder": os.path.abspath(args.folder), "threshold": args.threshold,
        "tool_exit_status": out.get("exit_status"), "sources": reports, "totals": totals,
        "stray_names": stray,
        "other_problems": [p for p in out.get("problems", [])
                           if os.path.basename(p.get("file") or "") not in sources],
        "qpdf_check": {"exit_status": qc.returncode, "messages": qmsgs[:20]},
        "duplicate_streams": {
            "groups": len(dups), "wasted_bytes": wasted,
            "within_sources": {"groups": src_dups[0], "wasted_bytes": src_dups[1]},
            "largest": [{"objects": [o for o, _ in g], "bytes": g[0][1]} for g in dups[:10]]},
    }
    book.close()
    return report


def print_text(r):
    t = r["totals"]
    # Damaged sources that came through unchanged still deserve a line after the differences.
    for s in sorted(r["sources"], key=lambda s: not s["differences"]):
        said = [m for m in s["tool"] if m not in " ".join(s["differences"])]
        if s["differences"] or said:
            where = f" (book pages {s['start_page']}-{s['start_page'] + s['pages'] - 1})" if "start_page" in s else ""
            print(f"{s['file']}{where}" + ("" if s["differences"] else ": no differences"))
            for d in s["differences"] + [f"quirefold-batch said: {m}" for m in said]:
                print(f"    {d}")
    print()
    print(f"Sources: {t['sources']}, in the book {t['in book']}, left out {t['left out']}, "
          f"with differences {t['with differences']}")
    print(f"Pages: {t['book pages']} in the book, {t['pages rendered']} compared, "
          f"{t['pages differing']} differ (mean difference per pixel above {r['threshold']} of 255)")
    nowhere = t["fields on no source's pages"]
    print(f"Forms: {t['terminal fields in book']} terminal fields ({nowhere} "
          f"on no source's pages), {t['widgets in book']} widgets, {t['widgets not reachable from /Fields']} "
          f"not reachable from /Fields ({t['of those, already so in their sources']} already so in their sources), "
          f"{t['calculation order entries in book']} calculation order entries, "
          f"NeedAppearances {'TRUE' if t['NeedAppearances true'] else 'not set'}")
    print(f"Names: {t['scripts in book']} scripts, {t['attached files in book']} attached files, "
          f"{t['names without a source prefix']} without a \"FILENAME/\" prefix")
    for p in r["other_problems"]:
        print(f"quirefold-batch said: {p.get('file', '')}: {p.get('reason', '')}")
    q = r["qpdf_check"]
    print(f"qpdf --check: exit {q['exit_status']}" + "".join(f"\n    {m}" for m in q["messages"][:5]))
    d = r["duplicate_streams"]
    print(f"Streams written more than once: {d['groups']} groups, {d['wasted_bytes']} bytes wasted "
          f"(within the sources themselves: {d['within_sources']['groups']} groups, "
          f"{d['within_sources']['wasted_bytes']} bytes)")


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n", 1)[0])
    ap.add_argument("folder")
    ap.add_argument("--batch", default="/work/main/build/quirefold-batch")
    ap.add_argument("--pages-per-source", type=int, default=5)
    ap.add_argument("--threshold", type=float, default=1.0)
    ap.add_argument("--json", action="store_true")
    args = ap.parse_args()
    with tempfile.TemporaryDirectory(prefix="book_diff-") as scratch:
        report = run_checks(args, scratch)
    if args.json:
        json.dump(report, sys.stdout, indent=2)
        print()
    else:
        print_text(report)


if __name__ == "__main__":
    main()
