#!/usr/bin/env python3
"""A differential trial of the checksum tool against the tools that write
each list form: random names, forms, algorithms and list names, with files
damaged or deleted at random, each list judged by `fsum -c` and by the tool
that wrote it. The verdict must agree (status 0, or not), and no damaged
file may ever be OK. A fixed seed, so that a failure comes back.

    tests/fuzz/differential.py FSUM [TRIALS] [SEED]
Closes with "N passed, M failed"."""
import os
import random
import shutil
import subprocess
import sys
import tempfile

# SHA3-224's GNU lines checked by Python's hashlib: rhash -c, which writes
# them, drops the blanks a name begins with.
HASHLIB_SHA3_224 = [sys.executable, "-c", """import hashlib, sys
good = True
for line in open(sys.argv[1], "rb"):
    digest, name = line.rstrip(b"\\n").split(b"  ", 1)
    try:
        good &= hashlib.sha3_224(open(name, "rb").read()).hexdigest().encode() == digest
    except OSError:
        good = False
sys.exit(0 if good else 1)"""]

# The forms: the command that writes the list, the one that checks it, and
# the names a list of that form may have, besides names that say nothing
# (but for b2sum -l, whose digests only a name that says BLAKE2b tells from
# MD5's and XXH128's).
FORMS = [
    (["md5sum"], ["md5sum", "-c"], ["MD5SUMS", "list.md5"]),
    (["md5sum", "--tag"], ["md5sum", "-c"], ["list.md5"]),
    (["sha1sum"], ["sha1sum", "-c"], ["SHA1SUMS", "list.sha1"]),
    (["sha224sum"], ["sha224sum", "-c"], ["SHA224SUMS", "list.sha224"]),
    (["sha256sum"], ["sha256sum", "-c"], ["SHA256SUMS", "list.sha256"]),
    (["rhash", "--sha3-224"], HASHLIB_SHA3_224, ["list.sha3-224"]),
    (["sha256sum", "--tag"], ["sha256sum", "-c"], ["SHA256SUMS"]),
    (["sha512sum"], ["sha512sum", "-c"], ["SHA512SUMS", "list.sha512"]),
    (["b2sum"], ["b2sum", "-c"], ["B2SUMS", "list.b2"]),
    (["b2sum", "-l", "128"], ["b2sum", "-c"], ["B2SUMS", "list.b2sum"], False),
    (["rhash", "--simple", "-C"], ["rhash", "-c"], []),
    (["rhash", "--bsd", "-C", "-M"], ["rhash", "-c"], []),
    (["cksfv", "-b", "--"], ["cksfv", "-q", "-f"], ["list.sfv"]),
]
NEUTRAL = ["CHECKSUMS.txt", "SUMS", "list.txt"]
# Name parts the forms all write as they are: blanks inside and before,
# '#', ';' and '*' inside, accents and CJK.
PARTS = ["a", "B", "file", "01", "x y", " lead", "#hash", "mid;semi", "st*ar", "café", "日本", "(1)", "-"]


def name(rng, taken):
    while True:
        text = "".join(rng.choice(PARTS) for _ in range(rng.randint(1, 3))) + rng.choice(["", ".bin", ".iso"])
        # cksfv takes ';' at a line's start for a comment, as the tool does;
        # "-" first would be an option or standard input to the writer.
        if text not in taken and text[0] not in ";-" and text.strip() == text.lstrip():
            return text


def trial(fsum, rng, folder):
    write, checker, names, *neutral = rng.choice(FORMS)
    files = []
    for _ in range(rng.randint(1, 4)):
        files.append(name(rng, files))
        with open(os.path.join(folder, files[-1]), "wb") as f:
            f.write(rng.randbytes(rng.choice([0, 1, 64, 1000, 70000])))
    listed = subprocess.run(write + files, cwd=folder, capture_output=True)
    lines = [l for l in listed.stdout.split(b"\n") if l and not l.startswith(b";")]
    if listed.returncode != 0 or len(lines) != len(files):
        return None  # a name that tool cannot write: no trial
    list_name = rng.choice(names + (NEUTRAL if neutral != [False] else []))
    with open(os.path.join(folder, list_name), "wb") as f:
        f.write(b"\n".join(lines) + b"\n")
    damaged = set()
    for file in files:
        path = os.path.join(folder, file)
        roll = rng.random()
        if roll < 0.15:
            os.remove(path)
        elif roll < 0.35:
            with open(path, "ab") as f:
                f.write(b"!")
            damaged.add(file)
    theirs = subprocess.run(checker + [list_name], cwd=folder, capture_output=True).returncode
    ours = subprocess.run([fsum, "-c", list_name], cwd=folder, capture_output=True)
    report = ours.stdout.decode("utf-8", "replace")
    faults = []
    if (ours.returncode == 0) != (theirs == 0):
        faults.append(f"status {ours.returncode}, {os.path.basename(checker[0])} says {theirs}")
    said_ok = {line[12:].split("  (")[0] for line in report.splitlines() if line.startswith("OK          ")}
    faults += [f"{file!r} is damaged and said OK" for file in damaged & said_ok]
    what = f"{' '.join(write)} as {list_name!r}: {files!r}"
    return what, faults, report


def main():
    fsum = os.path.abspath(sys.argv[1])
    trials = int(sys.argv[2]) if len(sys.argv) > 2 else 300
    rng = random.Random(int(sys.argv[3]) if len(sys.argv) > 3 else 46)
    passed = failed = 0
    for _ in range(trials):
        folder = tempfile.mkdtemp()
        try:
            outcome = trial(fsum, rng, folder)
        finally:
            shutil.rmtree(folder)
        if outcome is None:
            continue
        what, faults, report = outcome
        if faults:
            failed += 1
            print(f"FAIL {what}: {'; '.join(faults)}\n{report}")
        else:
            passed += 1
    print(f"differential: {passed} passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
