#!/usr/bin/env bash
# Plants the faults of scripts/faults.txt one at a time in a scratch copy of the tree, builds,
# runs the tests that cover the fault's subsystem plus every end-to-end test (for the package
# subsystem, make test-package's driver instead), and prints one line per fault: "ID caught" (a
# test failed or did not build) or "ID missed".
#
#   scripts/plantfaults.sh [--check] [--work DIR] [FAULT-ID ...]
#
# --check only verifies, without building, that each fault's old text occurs exactly once and,
# when no FAULT-ID is given, that every long file of include, src and tools has a fault of its
# own.
# --work DIR keeps the scratch copy and its build in DIR, so a later run rebuilds only what
# changed; without it a temporary directory is used and removed.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
exec /usr/bin/env python3 - "$root" "$@" <<'PYTHON'
import json, os, re, shutil, subprocess, sys, tempfile

# Tests covering each subsystem, matched against a test's name and, for GoogleTest cases, the
# name of their binary; the fuzz targets replay their seeds and past findings in well under a
# second. A pattern that matches no registered test stops the run as stale.
COVERS = {
    "core": [r"^core_", r"^fuzz_(config|replay)$"],
    "fs": [r"^fs_", r"^fuzz_(archive|image)$"],
    "video": [r"^video_", r"^fuzz_image$"],
    "audio": [r"^audio_"],
    "render3d": [r"^render3d_", r"^fuzz_scene$"],
    "tiles": [r"^tiles_", r"^tools_levelformat_", r"^fuzz_(level|tiled)$"],
    "demo": [r"^demo_"],
    "engine": [r"^engine_"],
    "tools": [r"^tools_", r"^fuzz_(level|scene|tiled)$"],
    "data": [r"^data_"],
    "package": [],  # not ctest's: the driver of make test-package, PACKAGE_TESTS
    "climb": [r"^climb_"],  # Kelda's Climb (games/climb), built in the build tree's climb/
}
# Always run. The long runs (soak, monkey, stall) run only for their own subsystem's faults:
# each takes tens of seconds.
END_TO_END = r"^(?!demo_(soak|monkey|stall)_)\w*e2e"
# Every file of these folders this long (non-blank lines) holds at least one fault.
PLANTED_FOLDERS, PLANTED_MIN_LINES = ["include", "src", "tools"], 150
# Built with any fault.
PRODUCTS = ["morwenfall", "levelc", "leveldump", "polyraster", "pak", "assets", "climb"]
# The package subsystem's faults are in what is installed and packaged: make test-package's
# driver installs and packages the whole build, with the shared library built beside it.
PACKAGE_TESTS = "tests/package/package_e2e.py"


def load_faults(path):
    """[(id, subsystem, file, old, new)] from the list; see its first lines for the format."""
    faults, block, blank = [], None, False
    for line in open(path, encoding="utf-8").read().splitlines():
        if blank and line.startswith("# "):
            continue  # a comment, in or between blocks
        blank = not line.strip()
        if line.startswith("== "):
            block = {"head": line[3:].split(), "old": [], "new": []}
            faults.append(block)
        elif block and line in ("--- old", "+++ new"):
            block["part"] = line[4:]
        elif block and "part" in block:
            block[block["part"]].append(line)
    result = []
    for f in faults:
        old, new = ("\n".join(f[k]).rstrip("\n") for k in ("old", "new"))
        if len(f["head"]) != 3 or f["head"][1] not in COVERS or not old or old == new:
            sys.exit("plantfaults: malformed fault: " + " ".join(f["head"]))
        result.append((*f["head"], old, new))
    return result


def unplanted(source, faults):
    """[(path, lines)] of the long code files of PLANTED_FOLDERS that no fault is planted in."""
    planted = {f[2] for f in faults}
    names = subprocess.run(["git", "-C", source, "ls-files", "-z", "--", *PLANTED_FOLDERS],
                           check=True, capture_output=True).stdout.decode().split("\0")
    result = []
    for name in sorted(filter(None, names)):
        path = os.path.join(source, name)
        if name in planted or not name.endswith((".cpp", ".h", ".py")) or not os.path.isfile(path):
            continue
        lines = sum(1 for line in open(path, encoding="utf-8") if line.strip())
        if lines > PLANTED_MIN_LINES:
            result.append((name, lines))
    return result


def run(command, log, env=None):
    with open(log, "a") as out:
        return subprocess.run(command, stdin=subprocess.DEVNULL, stdout=out,
                              stderr=subprocess.STDOUT, env=env).returncode


def run_tests(build, log, *options):
    """ctest with a fresh temporary directory: some tests write fixed names under it, and what
    a faulty run left there must not fail the next run."""
    scratch = tempfile.mkdtemp(prefix="tests-", dir=os.path.dirname(build))
    env = dict(os.environ, TMPDIR=scratch, TEST_TMPDIR=scratch)
    try:
        return run(["ctest", "--test-dir", build, "--timeout", "120", "-j2", *options], log, env)
    finally:
        shutil.rmtree(scratch, ignore_errors=True)


def run_package_tests(work, build, log):
    env = dict(os.environ, TARVO_SOURCE_DIR=work, TARVO_BUILD_DIR=build,
               TARVO_SHARED_BUILD_DIR=build + "-shared")
    return (run(["cmake", "--build", build, "-j2"], log) or
            run(["/usr/bin/python3", os.path.join(work, PACKAGE_TESTS)], log, env))


def sync_tree(source, work):
    """Copies the tracked files as they are in the working tree; unchanged files keep their
    times, so a kept build recompiles only what differs."""
    names = subprocess.run(["git", "-C", source, "ls-files", "-z"], check=True,
                           capture_output=True).stdout.decode().split("\0")
    for name in filter(None, names):
        src, dst = os.path.join(source, name), os.path.join(work, name)
        if not os.path.isfile(src):
            continue
        if os.path.isfile(dst) and open(src, "rb").read() == open(dst, "rb").read():
            continue
        os.makedirs(os.path.dirname(dst), exist_ok=True)
        shutil.copyfile(src, dst)
        shutil.copymode(src, dst)


def list_tests(build):
    """{name: binary} of every registered test; binary is empty for scripts and for the game's
    tests, which its own build (the climb product) makes."""
    shown = subprocess.run(["ctest", "--test-dir", build, "--show-only=json-v1"], check=True,
                           capture_output=True).stdout
    tests, game = {}, os.path.join(build, "climb") + os.sep
    for test in json.loads(shown)["tests"]:
        command = (test.get("command") or [""])[0]
        program = os.path.basename(command)
        tests[test["name"]] = "" if program.startswith("python") or command.startswith(
            game) else program
    return tests


def main(source, args):
    check = "--check" in args
    args = [a for a in args if a != "--check"]
    work = None
    if "--work" in args:
        at = args.index("--work")
        work = os.path.abspath(args[at + 1])
        del args[at:at + 2]
    faults = load_faults(os.path.join(source, "scripts", "faults.txt"))
    unknown = set(args) - {f[0] for f in faults}
    if unknown or len({f[0] for f in faults}) != len(faults):
        sys.exit("plantfaults: unknown or repeated fault ids: " + " ".join(sorted(unknown)))
    status = 0
    if not args:
        for path, lines in unplanted(source, faults):
            print(f"{path} has {lines} lines and no planted fault", file=sys.stderr)
            status = 1
    faults = [f for f in faults if not args or f[0] in args]

    for ident, _, path, old, _ in faults:
        found = open(os.path.join(source, path), encoding="utf-8").read().count(old)
        if found != 1:
            print(f"{ident} stale: old text found {found} times in {path}", file=sys.stderr)
            status = 1
    if check or status:
        print(f"{len(faults)} faults checked, {'some stale or missing' if status else 'all apply'}")
        return status

    keep = work is not None
    work = work or tempfile.mkdtemp(prefix="plantfaults-")
    build, logs = os.path.join(work, "build"), os.path.join(work, "logs")
    os.makedirs(logs, exist_ok=True)
    sync_tree(source, work)
    base = os.path.join(logs, "baseline.log")
    if (run(["cmake", "-S", work, "-B", build, "-DCMAKE_BUILD_TYPE=RelWithDebInfo"], base) or
            run(["cmake", "--build", build, "-j2"], base) or
            run_tests(build, base) or
            (any(f[1] == "package" for f in faults) and run_package_tests(work, build, base))):
        sys.exit(f"plantfaults: the tree without faults does not build or pass; see {base}")
    tests = list_tests(build)
    stale = [p for patterns in COVERS.values() for p in patterns
             if not any(re.search(p, n) or re.search(p, b) for n, b in tests.items())]
    if stale:
        sys.exit("plantfaults: no registered test matches " + " ".join(stale))

    for ident, subsystem, path, old, new in faults:
        pattern = re.compile("|".join(COVERS[subsystem] + [END_TO_END]))
        chosen = [n for n, b in tests.items() if pattern.search(n) or (b and pattern.search(b))]
        regex = "^(" + "|".join(re.sub(r"([^A-Za-z0-9_])", r"\\\1", n) for n in chosen) + ")$"
        log, target = os.path.join(logs, ident + ".log"), os.path.join(work, path)
        original = open(target, encoding="utf-8").read()
        try:
            with open(target, "w", encoding="utf-8") as out:
                out.write(original.replace(old, new, 1))
            if subsystem == "package":
                failed = run_package_tests(work, build, log) != 0
                print(ident, "caught" if failed else "missed", flush=True)
                continue
            # Only the programs and the chosen tests' binaries: relinking every test binary
            # for each fault would cost more than running the tests.
            binaries = sorted({tests[n] for n in chosen if tests[n]})
            if run(["cmake", "--build", build, "-j2", "--target", *PRODUCTS, *binaries], log):
                if run(["cmake", "--build", build, "-j2", "--target", *PRODUCTS], log):
                    print(f"{ident} breaks the build of the program or its tools; see {log}",
                          file=sys.stderr)
                    status = 1
                    continue
                failed = True
            else:
                failed = run_tests(build, log, "-R", regex) != 0
            print(ident, "caught" if failed else "missed", flush=True)
        finally:
            with open(target, "w", encoding="utf-8") as out:
                out.write(original)
    if not keep:
        shutil.rmtree(work)
    return status


sys.exit(main(sys.argv[1], sys.argv[2:]))
PYTHON
