#!/usr/bin/env python3
"""Every command example in the README and in the portable copy's README.txt,
run with the tool in a folder made for it (Windows paths made native): each
must end with status 0, and a session's report lines must begin as the
README shows them. So the README cannot drift from the tool.
   readme_test.py FSUM SOURCE-ROOT"""
import os
import re
import shutil
import subprocess
import sys
import tempfile

fsum, root = sys.argv[1], sys.argv[2]
# Syntax summaries, not examples: they hold placeholders.
PLACEHOLDER = re.compile(r"[\[<]|\.\.\.")


def examples():
    """(command, the report lines shown after it) for each example."""
    found = []
    readme = open(os.path.join(root, "README.md"), encoding="utf-8").read()
    for block in re.findall(r"```\n(.*?)```", readme, re.S):
        lines = block.splitlines()
        for i, line in enumerate(lines):
            if line.startswith("> fsum "):
                shown = [l for l in lines[i + 1:] if l and not l.startswith(">")]
                found.append((line[2:], shown))
    found += [(" ".join(code.split()), []) for code in re.findall(r"`(fsum [^`]+)`", readme)]
    text = open(os.path.join(root, "installer", "README.txt"), encoding="utf-8").read()
    found += [(code, []) for code in re.findall(r"(?<=  )(fsum [^\n]*?)(?=  |\n)", text)]
    # A command that ends in an option names its switches, not an example.
    return [(c, s) for c, s in found if not PLACEHOLDER.search(c) and not c.split()[-1].startswith("-")]


def native(command):
    """The command as a POSIX shell runs it: Windows paths made relative,
    and masks left to the tool, as cmd leaves them."""
    command = re.sub(r"[A-Z]:\\\\?", "", command).replace("\\", "/")
    return " ".join(f"'{word}'" if "*" in word else word for word in command.split(" "))


def run(*args, **kw):
    return subprocess.run(args, check=True, capture_output=True, **kw)


def fixture(work):
    """The files the examples name, signed by keys made here."""
    folder = os.path.join(work, "fixture")
    os.makedirs(os.path.join(folder, "Releases"))
    env = dict(os.environ, GNUPGHOME=os.path.join(work, "gnupg"))
    os.makedirs(env["GNUPGHOME"], mode=0o700)
    uid = "Example Release <release@example.org>"
    run("gpg", "--batch", "--passphrase", "", "--quick-gen-key", uid, "ed25519", "sign", "0", env=env)
    key = run("gpg", "--batch", "--armor", "--export", uid, env=env).stdout
    for name in ("debian-cd.asc", "key file", "file"):
        open(os.path.join(folder, name), "wb").write(key)
    open(os.path.join(folder, "file.iso"), "wb").write(b"test")
    for name in ("debian-13.2.0-amd64-netinst.iso", "setup.exe"):
        open(os.path.join(folder, name), "wb").write(os.urandom(4096))
    sums = run("sha256sum", "debian-13.2.0-amd64-netinst.iso", cwd=folder).stdout
    open(os.path.join(folder, "SHA256SUMS"), "wb").write(sums)
    for signed, out in (("SHA256SUMS", "SHA256SUMS.sign"), ("setup.exe", "setup.exe.sig"),
                        ("file.iso", "file.iso.sig")):
        run("gpg", "--batch", "-b", "-o", out, signed, cwd=folder, env=env)
    run("minisign", "-G", "-W", "-p", "corvane.pub", "-s", os.path.join(work, "corvane.key"), cwd=folder)
    run("minisign", "-S", "-s", os.path.join(work, "corvane.key"), "-m", "SHA256SUMS", cwd=folder,
        stdin=subprocess.DEVNULL)
    open(os.path.join(folder, "a.sfv"), "wb").write(run(fsum, "file.iso", cwd=folder).stdout)
    open(os.path.join(folder, "a.sha256"), "wb").write(run("sha256sum", "file.iso", cwd=folder).stdout)
    for name in ("a.sfv", "file.iso"):
        shutil.copy(os.path.join(folder, name), os.path.join(folder, "Releases", name))
    # A folder audited: a.txt damaged, b.txt moved, new.txt new, empty gone.
    photos = os.path.join(folder, "Photos")
    os.makedirs(photos)
    for name, text in (("a.txt", b"a"), ("b.txt", b"b"), ("c.txt", b"c"), ("d.txt", b"d"), ("e.txt", b"e"),
                       ("empty", b"")):
        open(os.path.join(photos, name), "wb").write(text)
    listed = run("sha256sum", "a.txt", "b.txt", "c.txt", "d.txt", "e.txt", "empty", cwd=photos).stdout
    open(os.path.join(photos, "SHA256SUMS"), "wb").write(listed)
    open(os.path.join(photos, "a.txt"), "ab").write(b"damage")
    os.rename(os.path.join(photos, "b.txt"), os.path.join(photos, "b2.txt"))
    os.remove(os.path.join(photos, "empty"))
    open(os.path.join(photos, "new.txt"), "wb").write(b"new")
    # The publisher's key is trusted, as after the README's steps.
    keys = os.path.join(work, "config", "fsum", "keys")
    os.makedirs(keys)
    shutil.copy(os.path.join(folder, "debian-cd.asc"), keys)
    return folder


def main():
    work = tempfile.mkdtemp()
    passed = failed = 0
    failures = []
    try:
        folder = fixture(work)
        env = dict(os.environ, XDG_CONFIG_HOME=os.path.join(work, "config"))
        for number, (command, shown) in enumerate(examples()):
            case = os.path.join(work, f"case{number}")
            shutil.copytree(folder, case)
            line = native(command).replace("fsum ", f"'{fsum}' ", 1)
            done = subprocess.run(line, shell=True, cwd=case, env=env, capture_output=True, text=True,
                                  stdin=subprocess.DEVNULL, timeout=120)
            report = done.stdout.splitlines()
            # A shown line must begin as the real one does, up to its first
            # quote or parenthesis (names, keys and digests differ).
            missing = [s for s in shown if not any(r.startswith(re.split(r'["(]', s)[0]) for r in report)]
            # A session that shows a failure ends with status 1.
            failure = any(re.match(r"(FAILED|MISSING|NEW|MOVED) ", s) for s in shown)
            if done.returncode == (1 if failure else 0) and not missing:
                passed += 1
            else:
                failed += 1
                failures.append(command)
                print(f"FAIL {command}: status {done.returncode}, {missing or ''}\n{done.stdout}{done.stderr}")
    finally:
        subprocess.run(["gpgconf", "--homedir", os.path.join(work, "gnupg"), "--kill", "all"],
                       capture_output=True)
        shutil.rmtree(work, ignore_errors=True)
    names = (": " + ", ".join(failures)) if failures else ""
    print(f"{passed} passed, {failed} failed{names}")
    return 1 if failed else 0


sys.exit(main())
