#!/usr/bin/env python3
"""Builds the catalogue of hostile document packages under packages/.

Each case is a folder holding DOC.pgcd (and any input a command needs), made
from packages the command-line tool itself writes and then damaged here, so
no byte is edited by hand. packages/cases.json says, for each case, which
commands to run and how each must fail (or succeed). tst_CliHostile runs it.

    make_package_cases.py --cli build/debug/src/cli/rowsmith-cli
"""

import argparse
import json
import os
import shutil
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "packages")
PASSWORD = {"ROWSMITH_PASSWORD_TITLE": "keeper", "ROWSMITH_PASSWORD": "s3cret"}
OPTION = {"title": "noop", "sources": [{"title": "one", "code": "=1"}]}


def run_cli(cli, args, env=None):
    full = dict(os.environ, QT_QPA_PLATFORM="offscreen", **(env or {}))
    done = subprocess.run([cli] + args, env=full, capture_output=True, text=True)
    if done.returncode != 0:
        sys.exit("%s failed: %s" % (" ".join(args), done.stderr))


def base_packages(cli, work):
    with open(os.path.join(work, "stock.csv"), "w") as f:
        f.write("ID0,Name,Count\n1,bolt,10\n2,nut,25\n3,washer,7\n")
    with open(os.path.join(work, "other.csv"), "w") as f:
        f.write("Code,Price\nA,1\nB,2\n")
    two = os.path.join(work, "two.pgcd")
    run_cli(cli, ["new", two, "--import", os.path.join(work, "stock.csv"), "--title", "Stock",
                  "--import", os.path.join(work, "other.csv"), "--title", "Other"])
    locked = os.path.join(work, "locked.pgcd")
    run_cli(cli, ["new", locked, "--import", os.path.join(work, "stock.csv"), "--title", "Stock",
                  "--protect"], PASSWORD)
    return two, locked


def list_file(package, title_index):
    return os.path.join(package, "id%d.listItems" % title_index)


def write(path, data):
    with open(path, "wb") as f:
        f.write(data)


def truncate_half(path):
    with open(path, "rb") as f:
        data = f.read()
    write(path, data[: len(data) // 2])


def flip_middle(path):
    with open(path, "rb") as f:
        data = bytearray(f.read())
    for i in range(len(data) // 3, len(data) // 3 + 16):
        data[i] ^= 0x5A
    write(path, bytes(data))


# Expected outcomes: a command (DOC stands for the case's package, OPTION for
# an option file beside it), the exit code, and text stderr must hold.
def fails(args, text, env=None):
    return {"args": args, "code": 1, "stderr": text, "env": env or {}}


def works(args, env=None, stdout=""):
    return {"args": args, "code": 0, "stdout": stdout, "env": env or {}}


def other_list_cases():
    unreadable = 'the list "Other" cannot be read'
    checks = [
        fails(["show", "DOC", "--list", "Other"], unreadable),
        fails(["export", "DOC", "--list", "Other", "-o", "OUT/other.csv", "--all"], unreadable),
        fails(["option", "DOC", "--list", "Other", "--set", "OPTION"], unreadable),
        works(["show", "DOC", "--list", "Stock"], stdout="rows:"),
    ]
    return {
        "other-list-missing": (lambda p: os.remove(list_file(p, 1)), checks),
        "other-list-empty": (lambda p: write(list_file(p, 1), b""), checks),
        "other-list-truncated": (lambda p: truncate_half(list_file(p, 1)), checks),
        "other-list-garbage": (lambda p: write(list_file(p, 1), b"not a list\n" * 40), checks),
        "other-list-is-link": (lambda p: (os.remove(list_file(p, 1)),
                                          os.symlink("id0.listItems", list_file(p, 1))), checks),
    }


def root_cases():
    root = "documentSource.pagestyle"
    path = lambda p: os.path.join(p, root)
    return {
        "root-missing": (lambda p: os.remove(path(p)), [fails(["info", "DOC"], "holds no " + root)]),
        "root-empty": (lambda p: write(path(p), b""), [fails(["info", "DOC"], root + " is empty")]),
        "root-truncated": (lambda p: truncate_half(path(p)), [fails(["info", "DOC"], root + " cannot be read")]),
        "root-damaged": (lambda p: flip_middle(path(p)), [fails(["info", "DOC"], root + " cannot be read")]),
        "root-garbage": (lambda p: write(path(p), b"\x00" * 300), [fails(["info", "DOC"], root + " cannot be read")]),
        "root-is-link": (lambda p: (os.remove(path(p)), os.symlink("../option.json", path(p))),
                         [fails(["info", "DOC"], "holds no " + root)]),
        "no-root-at-all": (lambda p: ([os.remove(os.path.join(p, n)) for n in os.listdir(p)],
                                      write(os.path.join(p, "readme.txt"), b"any folder\n")),
                           [fails(["info", "DOC"], "holds no " + root)]),
    }


def extra_entry_cases():
    def extras(p):
        write(os.path.join(p, "notes.bin"), b"\x00" * 4096)
        os.mkdir(os.path.join(p, "sub"))
        write(os.path.join(p, "sub", "deep.txt"), b"deep\n")
        os.symlink("sub", os.path.join(p, "sub-link"))
    # Opening takes only the document's own entries; a save writes those back.
    return {"extra-entries": (extras, [works(["info", "DOC"], stdout="lists: 2"),
                                       works(["option", "DOC", "--list", "Stock", "--set", "OPTION"])])}


def protection_cases(unprotected_condition):
    condition = "conditionOfTheFile.pagestyle"
    path = lambda p: os.path.join(p, condition)
    asks = [fails(["info", "DOC"], "is protected"),
            fails(["info", "DOC"], "wrong password", {"ROWSMITH_PASSWORD_TITLE": "keeper",
                                                      "ROWSMITH_PASSWORD": "guess"}),
            works(["info", "DOC"], PASSWORD, stdout="(protected)"),
            # A save by someone who opened it keeps the lock on.
            works(["option", "DOC", "--list", "Stock", "--set", "OPTION"], PASSWORD),
            fails(["info", "DOC"], "is protected")]
    return {
        "protected-condition-missing": (lambda p: os.remove(path(p)), asks),
        "protected-condition-empty": (lambda p: write(path(p), b""), asks),
        "protected-condition-garbage": (lambda p: flip_middle(path(p)), asks),
        "protected-condition-says-open": (lambda p: shutil.copyfile(unprotected_condition, path(p)), asks),
    }


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--cli", required=True)
    cli = os.path.abspath(parser.parse_args().cli)
    shutil.rmtree(OUT, ignore_errors=True)
    os.makedirs(OUT)
    catalogue = []
    with tempfile.TemporaryDirectory() as work:
        two, locked = base_packages(cli, work)
        cases = {}
        for group in (other_list_cases(), root_cases(), extra_entry_cases()):
            cases.update({name: (two, damage, checks) for name, (damage, checks) in group.items()})
        protection = protection_cases(os.path.join(two, "conditionOfTheFile.pagestyle"))
        cases.update({name: (locked, damage, checks) for name, (damage, checks) in protection.items()})
        for name in sorted(cases):
            source, damage, checks = cases[name]
            folder = os.path.join(OUT, name)
            os.makedirs(folder)
            package = os.path.join(folder, "DOC.pgcd")
            shutil.copytree(source, package, symlinks=True)
            damage(package)
            with open(os.path.join(folder, "option.json"), "w") as f:
                json.dump(OPTION, f)
            catalogue.append({"name": name, "checks": checks})
    with open(os.path.join(OUT, "cases.json"), "w") as f:
        json.dump(catalogue, f, indent=1, sort_keys=True)
        f.write("\n")


if __name__ == "__main__":
    main()
