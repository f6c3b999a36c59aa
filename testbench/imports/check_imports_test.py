#!/usr/bin/env python3
"""The import check on a fixture program whose imports are known.

    check_imports_test.py imports_fixture.exe imports_fixture_lib.dll
"""

import io
import os
import shutil
import struct
import sys
import tempfile
import unittest
from contextlib import redirect_stderr, redirect_stdout

# The source tree stays free of compiled files.
sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import check_imports  # noqa: E402

FIXTURE_EXE = FIXTURE_DLL = None

# A reference of the test's own, so that the real one can grow freely.
REFERENCE = """\
[kernel32.dll]
GetTickCount   # comments are allowed
[shell32.dll]
ShellExecuteW
[comctl32.dll]
@17
"""

NOT_IN_XP = "which the Windows XP reference does not export"
NOT_IN_OURS = "which our imports_fixture_lib.dll does not export"

# Each import of the fixture program, and the end of its finding (None: accepted).
CASES = [
    ("KERNEL32.dll!GetTickCount", None),
    ("KERNEL32.dll!GetTickCount64", NOT_IN_XP),
    ("shell32.dll!ShellExecuteW (delay-load)", None),
    ("shell32.dll!SHGetKnownFolderPath (delay-load)", NOT_IN_XP),
    ("comctl32.dll!ordinal 17", None),
    ("comctl32.dll!ordinal 410", NOT_IN_XP),
    ("imports_fixture_lib.dll!FixtureNamed", None),
    ("imports_fixture_lib.dll!ordinal 7", None),
    ("imports_fixture_lib.dll!FixtureMissing", NOT_IN_OURS),
    ("imports_fixture_lib.dll!ordinal 6", NOT_IN_OURS),
    ("bcrypt.dll!BCryptGenRandom", "bcrypt.dll is not a DLL of the Windows XP reference"),
]


def run_checker(*args):
    out, err = io.StringIO(), io.StringIO()
    with redirect_stdout(out), redirect_stderr(err):
        code = check_imports.main(list(args))
    return code, out.getvalue() + err.getvalue()


class ImportCheck(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.mkdtemp()
        self.reference = os.path.join(self.dir, "reference.txt")
        with open(self.reference, "w", encoding="utf-8") as f:
            f.write(REFERENCE)

    def tearDown(self):
        shutil.rmtree(self.dir)

    def findings(self, exe):
        return run_checker("--reference", self.reference, exe, FIXTURE_DLL)

    def test_reads_every_kind_of_import(self):
        read = {i.describe() for i in check_imports.PeImage(FIXTURE_EXE).imports()}
        for name, _ in CASES:
            with self.subTest(name):
                self.assertIn(name, read)

    def test_reports_exactly_the_imports_xp_lacks(self):
        code, output = self.findings(FIXTURE_EXE)
        self.assertEqual(code, 1)
        lines = output.splitlines()
        for name, finding in CASES:
            with self.subTest(name):
                mentions = [l for l in lines if (" %s," % name) in l or (" %s:" % name) in l]
                if finding is None:
                    self.assertEqual(mentions, [])
                else:
                    self.assertEqual(len(mentions), 1, output)
                    self.assertTrue(mentions[0].endswith(finding), mentions[0])

    def test_reports_a_header_version_above_xp(self):
        # The loader of XP (5.1) refuses an image that asks for a later subsystem.
        patched = os.path.join(self.dir, "vista.exe")
        shutil.copy(FIXTURE_EXE, patched)
        with open(patched, "r+b") as f:
            data = f.read()
            pe = struct.unpack_from("<I", data, 0x3C)[0]
            f.seek(pe + 24 + 48)
            f.write(struct.pack("<HH", 6, 0))
        self.assertNotIn("requires", self.findings(FIXTURE_EXE)[1])
        self.assertIn("vista.exe: requires subsystem version 6.0", self.findings(patched)[1])

    def test_nothing_to_check_is_an_error(self):
        empty = os.path.join(self.dir, "empty.txt")
        open(empty, "w").close()
        for args in (["--binaries", empty], [os.path.join(self.dir, "missing.dll")]):
            with self.subTest(args):
                self.assertEqual(run_checker("--reference", self.reference, *args)[0], 2)


if __name__ == "__main__":
    FIXTURE_EXE, FIXTURE_DLL = sys.argv[1:3]
    unittest.main(argv=sys.argv[:1], verbosity=2)
