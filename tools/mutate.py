#!/usr/bin/env python3
"""Mutation testing: plants each fault of tools/mutations.py in turn, builds, runs the tests, restores the file.

    python3 tools/mutate.py --check             every mutation applies; nothing is built
    python3 tools/mutate.py --list              the mutations
    python3 tools/mutate.py [--only a,b] [--resume] [--jobs 2] [--build build-mutate]

Relative paths are taken from the checkout's root, where the builds and tests run.

A mutant is killed when a test fails or times out, survives when every test passes, and is invalid when it does
not build. The tests of the changed file's own folder (tests/<subsystem>) are built and run first, as they are the
likeliest to fail; only a mutant they miss is built whole and run against every test. Each result is appended to the results file as it comes; the report is rewritten after each one.
"""

import argparse
import collections
import json
import os
import re
import runpy
import signal
import subprocess
import sys
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
KINDS = {"limit", "check", "layout", "value", "order", "exit-status", "failure-path", "parsing", "safety"}
SLOW = "tst_killed|tst_badinputs|package_install|tst_cli"
FIELDS = {"id", "file", "find", "replace", "kind", "why"}
PROGRAMS = ["wagetrove", "wagetrove-cli", "program_data"]


class Stopped(Exception):
    """SIGTERM or SIGHUP: ends the run through the same restoring paths as Ctrl-C."""


def on_signal(signum, _frame):
    raise Stopped(signal.Signals(signum).name)


def load_mutations():
    return runpy.run_path(str(ROOT / "tools" / "mutations.py"))["MUTATIONS"]


def subsystem(mutation):
    return mutation["file"].split("/", 1)[0]


def problems_of(mutations):
    """Why each mutation could not be planted; empty when all of them can."""
    problems, seen = [], set()
    for number, m in enumerate(mutations, 1):
        name = m.get("id", f"#{number}")
        missing = FIELDS - m.keys()
        if missing:
            problems.append(f"{name}: lacks {', '.join(sorted(missing))}")
            continue
        if not re.fullmatch(r"[a-z0-9][a-z0-9-]*", m["id"]):
            problems.append(f"{name}: the id is not a short slug")
        if m["id"] in seen:
            problems.append(f"{name}: the id is used twice")
        seen.add(m["id"])
        if m["kind"] not in KINDS:
            problems.append(f"{name}: unknown kind {m['kind']!r}")
        if m["find"] == m["replace"]:
            problems.append(f"{name}: the replacement changes nothing")
        path = ROOT / m["file"]
        if not path.is_file():
            problems.append(f"{name}: {m['file']} is missing")
            continue
        count = path.read_bytes().decode("utf-8").count(m["find"])
        wanted = m.get("occurrence")
        if wanted is None and count != 1:
            problems.append(f"{name}: the text occurs {count} times in {m['file']}, not once")
        elif wanted is not None and count < wanted:
            problems.append(f"{name}: occurrence {wanted} asked for, the text occurs {count} times")
    return problems


def mutated_text(text, mutation):
    """The file's text with the mutation's occurrence of `find` replaced."""
    at = -1
    for _ in range(mutation.get("occurrence") or 1):
        at = text.index(mutation["find"], at + 1)
    return text[:at] + mutation["replace"] + text[at + len(mutation["find"]):]


class Planted:
    """The mutation in its file for the duration of a with block; the original bytes come back however it ends.
    A note in the build folder names the file while it is changed, so that a run killed outright is undone by
    the next one."""

    def __init__(self, mutation, note):
        self.path, self.note, self.mutation = ROOT / mutation["file"], note, mutation

    def __enter__(self):
        self.original = self.path.read_bytes()
        mutant = mutated_text(self.original.decode("utf-8"), self.mutation).encode("utf-8")
        self.note.write_text(json.dumps({"file": str(self.path), "bytes": self.original.hex()}))
        try:
            self.path.write_bytes(mutant)
        except BaseException:
            self.__exit__()
            raise
        return self

    def __exit__(self, *_):
        # No signal may cut the restoring write short. Written anew, the file is newer than the mutant's
        # objects, so the next build compiles it again.
        blocked = signal.pthread_sigmask(signal.SIG_BLOCK, {signal.SIGINT, signal.SIGTERM, signal.SIGHUP})
        try:
            self.path.write_bytes(self.original)
            self.note.unlink(missing_ok=True)
        finally:
            signal.pthread_sigmask(signal.SIG_SETMASK, blocked)


def undo_interrupted_run(note):
    if note.exists():
        saved = json.loads(note.read_text())
        Path(saved["file"]).write_bytes(bytes.fromhex(saved["bytes"]))
        note.unlink()
        print(f"restored {saved['file']}, left mutated by an interrupted run")


def run(command, cwd, log):
    """Runs a command in a process group of its own, output to log; the group is ended if the run is stopped."""
    with open(log, "a", encoding="utf-8") as out:
        out.write(f"\n$ {' '.join(command)}\n")
        out.flush()
        process = subprocess.Popen(command, cwd=cwd, stdout=out, stderr=subprocess.STDOUT, start_new_session=True)
        try:
            return process.wait()
        except BaseException:
            stop_group(process)
            raise


def stop_group(process):
    """Ends the process group of a command this script started, its tests included."""
    for signum, wait in ((signal.SIGTERM, 10), (signal.SIGKILL, None)):
        try:
            os.killpg(process.pid, signum)
        except ProcessLookupError:
            break
        try:
            process.wait(timeout=wait)
            break
        except subprocess.TimeoutExpired:
            continue


def configure(options):
    """Configures the build folder when there is none yet, before any file is changed."""
    if options.build.exists():
        return True
    log = options.logs / "configure.log"
    log.write_text("", encoding="utf-8")
    command = ["cmake", "-S", ".", "-B", str(options.build), "-G", "Ninja", "-DCMAKE_BUILD_TYPE=Debug"]
    return run(command, ROOT, log) == 0


def build(options, log, targets=()):
    command = ["cmake", "--build", str(options.build), f"-j{options.jobs}"]
    if targets:
        command += ["--target", *targets]
    return run(command, ROOT, log) == 0


def nearby_tests(mutation):
    """The tests of the mutated file's subsystem, by the names their sources give them."""
    return sorted(path.stem for path in (ROOT / "tests" / subsystem(mutation)).glob("tst_*.cpp"))


def killing_test(output):
    """The test ctest names first among the failed ones, from its summary or else from its progress lines, with
    the first failing case QtTest printed, so that a kill by a test's own flakiness can be told apart."""
    test = failed_test(output)
    case = re.search(r"^FAIL!\s+:\s+\w+::(\S+?\(.*?\)|\S+)", output, re.M)
    return f"{test}: {case[1]}" if test and case else test


def failed_test(output):
    summary = output.split("The following tests FAILED:", 1)
    if len(summary) == 2:
        found = re.search(r"^\s*\d+\s+-\s+(\S+)\s+\((\w+)", summary[1], re.M)
        if found:
            return f"{found[1]} ({found[2]})"
    found = re.search(r"Test\s+#\d+:\s+(\S+)\s+\.*\s*\*\*\*(Failed|Timeout|Exception)", output)
    return f"{found[1]} ({found[2]})" if found else None


def run_tests(options, log, selections=(["-E", SLOW], ["-R", SLOW])):
    """None when every test passes, otherwise the test that failed. A phase that fails is run once more and kills
    only when it fails again, so that a test failing once by its own timing kills nothing."""
    common = ["--stop-on-failure", "--output-on-failure", f"-j{options.jobs}", "--timeout", "300"]
    for selection in selections:
        failures = []
        for _ in range(2):
            start = log.stat().st_size
            status = run(["ctest", *selection, *common], options.build, log)
            if status == 0:
                break
            with open(log, "rb") as text:
                text.seek(start)
                output = text.read().decode("utf-8", "replace")
            failures.append(killing_test(output) or f"ctest exit status {status}")
        if len(failures) == 2:
            return failures[1]
    return None


def try_mutation(mutation, options, note):
    log = options.logs / f"{mutation['id']}.log"
    log.write_text(f"{mutation['id']}: {mutation['file']}\n{mutation['why']}\n", encoding="utf-8")
    started = time.monotonic()
    nearby = nearby_tests(mutation)
    with Planted(mutation, note):
        killer = None
        if nearby and build(options, log, nearby + PROGRAMS):
            killer = run_tests(options, log, [["-R", f"^({'|'.join(nearby)})$"]])
        if killer is not None:
            result = "killed"
        elif not build(options, log):
            result = "invalid"
        else:
            killer = run_tests(options, log)
            result = "survived" if killer is None else "killed"
    return {"id": mutation["id"], "file": mutation["file"], "kind": mutation["kind"], "result": result,
            "killer": killer, "seconds": round(time.monotonic() - started, 1)}


def read_results(path):
    results = {}
    if path.exists():
        for line in path.read_text(encoding="utf-8").splitlines():
            if line.strip():
                record = json.loads(line)
                results[record["id"]] = record
    return results


def counts_table(title, groups):
    lines = [f"| {title} | planted | killed | survived | invalid |", "|---|---|---|---|---|"]
    for name, group in sorted(groups.items()):
        tally = collections.Counter(r for _, r in group)
        lines.append(f"| {name} | {len(group)} | {tally['killed']} | {tally['survived']} | {tally['invalid']} |")
    return lines


def write_report(path, mutations, results):
    rows = [(m, results.get(m["id"], {}).get("result", "not run")) for m in mutations]
    tally = collections.Counter(r for _, r in rows)
    valid = tally["killed"] + tally["survived"]
    rate = f"{100 * tally['killed'] / valid:.1f}%" if valid else "n/a"
    lines = ["# Mutation testing", "",
             f"{len(rows)} planted, {tally['killed']} killed, {tally['survived']} survived, "
             f"{tally['invalid']} invalid ({rate})" + (f"; {tally['not run']} not run" if tally["not run"] else ""),
             ""]
    by_subsystem, by_kind = collections.defaultdict(list), collections.defaultdict(list)
    for m, result in rows:
        by_subsystem[subsystem(m)].append((m, result))
        by_kind[m["kind"]].append((m, result))
    lines += counts_table("subsystem", by_subsystem) + [""] + counts_table("kind", by_kind) + [""]
    lines += ["| id | file | kind | result | killed by |", "|---|---|---|---|---|"]
    for m, result in rows:
        killer = results.get(m["id"], {}).get("killer") or ""
        lines.append(f"| {m['id']} | {m['file']} | {m['kind']} | {result} | {killer} |")
    lines += ["", "## Survivors", ""]
    survivors = [m for m, result in rows if result == "survived"]
    lines += [f"- **{m['id']}** ({m['file']}, {m['kind']}): {m['why']}" for m in survivors] or ["None."]
    path.write_text("\n".join(lines) + "\n", encoding="utf-8")


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--check", action="store_true", help="verify that every mutation applies, build nothing")
    parser.add_argument("--list", action="store_true", help="print the mutations")
    parser.add_argument("--only", help="comma-separated ids to run")
    parser.add_argument("--build", type=Path, default=Path("build-mutate"), help="build folder (build-mutate)")
    parser.add_argument("--jobs", type=int, default=2, help="parallel compile and test jobs (2)")
    parser.add_argument("--report", type=Path, default=Path("mutation-report.md"))
    parser.add_argument("--results", type=Path, default=Path("mutation-results.jsonl"))
    parser.add_argument("--logs", type=Path, default=Path("mutation-logs"), help="one build and test log a mutant")
    parser.add_argument("--resume", action="store_true", help="skip the ids the results file holds already")
    parser.add_argument("--report-only", action="store_true",
                        help="write the report of the mutations run so far (all of them, or --only), run nothing")
    parser.add_argument("--keep-going", action="store_true", default=True,
                        help="the default: a mutant that fails to build or to die never stops the run")
    options = parser.parse_args()
    for name in ("build", "report", "results", "logs"):
        setattr(options, name, (ROOT / getattr(options, name)).resolve())

    mutations = load_mutations()
    problems = problems_of(mutations)
    if options.check or options.list or problems:
        for problem in problems:
            print(f"PROBLEM {problem}")
        if options.list:
            for m in mutations:
                print(f"{m.get('id')}\t{m.get('file')}\t{m.get('kind')}\t{m.get('why')}")
        for name, count in sorted(collections.Counter(subsystem(m) for m in mutations).items()):
            print(f"{name:10} {count}")
        kinds = collections.Counter(m.get("kind") for m in mutations)
        print("kinds: " + ", ".join(f"{kind} {count}" for kind, count in sorted(kinds.items())))
        print(f"{len(mutations)} mutations, {len(problems)} problems")
        return 1 if problems else 0

    if options.only:
        wanted = set(options.only.split(","))
        unknown = wanted - {m["id"] for m in mutations}
        if unknown:
            sys.exit(f"unknown ids: {', '.join(sorted(unknown))}")
        mutations = [m for m in mutations if m["id"] in wanted]
    if options.report_only:
        results = read_results(options.results)
        if not options.only:
            mutations = [m for m in mutations if m["id"] in results]
        write_report(options.report, mutations, results)
        print(f"report: {options.report}")
        return 0
    done = read_results(options.results) if options.resume else {}
    pending = [m for m in mutations if m["id"] not in done]

    signal.signal(signal.SIGTERM, on_signal)
    signal.signal(signal.SIGHUP, on_signal)
    options.logs.mkdir(parents=True, exist_ok=True)
    note = options.build.with_name(options.build.name + ".mutant")
    undo_interrupted_run(note)
    if not configure(options):
        sys.exit(f"cmake could not configure {options.build}; see {options.logs / 'configure.log'}")
    planted = False
    try:
        for number, mutation in enumerate(pending, 1):
            print(f"[{number}/{len(pending)}] {mutation['id']} ({mutation['file']})", end=" ", flush=True)
            planted = True
            record = try_mutation(mutation, options, note)
            print(f"{record['result']}" + (f" by {record['killer']}" if record["killer"] else "")
                  + f" in {record['seconds']} s", flush=True)
            with open(options.results, "a", encoding="utf-8") as results:
                results.write(json.dumps(record) + "\n")
            write_report(options.report, mutations, read_results(options.results))
    except (KeyboardInterrupt, Stopped) as stop:
        print(f"\nstopped ({stop or 'interrupt'}); the file was restored; --resume continues", flush=True)
        return 130
    finally:
        if planted:
            # Every file is back as it was: the tree is left built from the sources as they stand.
            final = options.logs / "final-build.log"
            final.write_text("", encoding="utf-8")
            try:
                print("final build:", "done" if build(options, final) else f"FAILED, see {final}", flush=True)
            except (KeyboardInterrupt, Stopped):
                print("final build interrupted: the sources are restored, the build folder is not rebuilt")
    write_report(options.report, mutations, read_results(options.results))
    print(f"report: {options.report}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
