#!/usr/bin/env python3
"""Checks that Windows binaries load on Windows XP.

Reads each binary's import table (ordinary and delay-load, by name and by
ordinal) and its header, and reports every import that the reference of
Windows XP exports does not list, every import from one of the given binaries
that this binary does not export, and header versions above 5.1.

    check_imports.py --reference windows_xp_exports.txt --binaries list.txt [more.dll ...]

The list file names one binary a line. Exit code 0 when nothing was found,
1 with one line per finding otherwise, 2 when a file cannot be read.
"""

import argparse
import os
import re
import struct
import sys

# Windows XP is 5.1; its loader refuses higher subsystem versions.
XP_VERSION = (5, 1)
IMAGE_FILE_MACHINE_I386 = 0x14C
PE32 = 0x10B
PE32_PLUS = 0x20B
DIR_EXPORT, DIR_IMPORT, DIR_DELAY_IMPORT = 0, 1, 13
DLL_NAME = re.compile(r"^[A-Za-z0-9_.\-]+\.dll$", re.IGNORECASE)
IDENTIFIER = re.compile(r"^[A-Za-z_?@$][A-Za-z0-9_?@$ ]*$")


class PeError(Exception):
    pass


class Import:
    __slots__ = ("dll", "name", "ordinal", "delayed")

    def __init__(self, dll, name=None, ordinal=None, delayed=False):
        self.dll, self.name, self.ordinal, self.delayed = dll, name, ordinal, delayed

    def describe(self):
        what = self.name if self.name is not None else "ordinal %d" % self.ordinal
        return "%s!%s%s" % (self.dll, what, " (delay-load)" if self.delayed else "")


class PeImage:
    """The parts of a PE file that decide whether it loads: header versions, imports, exports."""

    def __init__(self, path):
        self.path = path
        with open(path, "rb") as f:
            self.data = f.read()
        d = self.data
        if len(d) < 0x40 or d[:2] != b"MZ":
            raise PeError("not an MZ executable")
        pe = self._u32(0x3C)
        if d[pe:pe + 4] != b"PE\0\0":
            raise PeError("no PE signature")
        self.machine, nsections = struct.unpack_from("<HH", d, pe + 4)
        opt_size, self.characteristics = struct.unpack_from("<HH", d, pe + 20)
        opt = pe + 24
        self.magic = self._u16(opt)
        if self.magic == PE32:
            self.image_base = self._u32(opt + 28)
            dirs, self.thunk_size = opt + 96, 4
        elif self.magic == PE32_PLUS:
            self.image_base = struct.unpack_from("<Q", d, opt + 24)[0]
            dirs, self.thunk_size = opt + 112, 8
        else:
            raise PeError("unknown optional header magic 0x%x" % self.magic)
        self.os_version = struct.unpack_from("<HH", d, opt + 40)
        self.subsystem_version = struct.unpack_from("<HH", d, opt + 48)
        ndirs = self._u32(dirs - 4)
        self.directories = [struct.unpack_from("<II", d, dirs + 8 * i) if i < ndirs else (0, 0)
                            for i in range(16)]
        self.sections = []
        for i in range(nsections):
            s = opt + opt_size + 40 * i
            vsize, va, rawsize, rawptr = struct.unpack_from("<IIII", d, s + 8)
            self.sections.append((va, max(vsize, rawsize), rawptr, rawsize))

    def _u16(self, off):
        return struct.unpack_from("<H", self.data, off)[0]

    def _u32(self, off):
        return struct.unpack_from("<I", self.data, off)[0]

    def _offset(self, rva):
        for va, size, rawptr, rawsize in self.sections:
            if va <= rva < va + size:
                if rva - va >= rawsize:
                    raise PeError("RVA 0x%x lies in uninitialised data" % rva)
                return rawptr + rva - va
        raise PeError("RVA 0x%x is outside every section" % rva)

    def _string(self, rva):
        off = self._offset(rva)
        end = self.data.index(b"\0", off)
        return self.data[off:end].decode("latin-1")

    def _thunks(self, rva):
        """(name, ordinal) for each entry of an import name table."""
        fmt, flag = ("<I", 1 << 31) if self.thunk_size == 4 else ("<Q", 1 << 63)
        off = self._offset(rva)
        while True:
            value = struct.unpack_from(fmt, self.data, off)[0]
            if value == 0:
                return
            if value & flag:
                yield None, value & 0xFFFF
            else:
                # Hint (two bytes), then the name.
                yield self._string((value & 0x7FFFFFFF) + 2), None
            off += self.thunk_size

    def imports(self):
        result = []
        rva, size = self.directories[DIR_IMPORT]
        if rva and size:
            off = self._offset(rva)
            while True:
                names, _, _, dll_name, iat = struct.unpack_from("<IIIII", self.data, off)
                if dll_name == 0:
                    break
                dll = self._string(dll_name)
                # Without a name table the import address table still holds the names.
                for name, ordinal in self._thunks(names or iat):
                    result.append(Import(dll, name, ordinal))
                off += 20
        for attrs, dll_name, names in self._delay_descriptors():
            # Old-style descriptors hold addresses instead of RVAs.
            base = 0 if attrs & 1 else self.image_base
            dll = self._string(dll_name - base)
            for name, ordinal in self._thunks(names - base):
                result.append(Import(dll, name, ordinal, delayed=True))
        return result

    def _delay_descriptors(self):
        """(attributes, name, name table) of each delay-load descriptor."""
        rva, size = self.directories[DIR_DELAY_IMPORT]
        if rva and size:
            off = self._offset(rva)
            while True:
                attrs, dll_name, _, _, names = struct.unpack_from("<IIIII", self.data, off)
                if dll_name == 0:
                    return
                yield attrs, dll_name, names
                off += 32
        # GNU ld writes the descriptors of dlltool's delay-load libraries but
        # leaves the directory entry empty, so look for them.
        for va, _, rawptr, rawsize in self.sections:
            for off in range(rawptr, rawptr + rawsize - 31, 4):
                if self._u32(off) != 1:
                    continue
                attrs, dll_name, hmod, iat, names = struct.unpack_from("<IIIII", self.data, off)
                if self._delay_descriptor_at(dll_name, hmod, iat, names):
                    yield attrs, dll_name, names

    def _delay_descriptor_at(self, dll_name, hmod, iat, names):
        try:
            for rva in (hmod, iat):
                self._offset(rva)
            name = self._string(dll_name)
            if not DLL_NAME.match(name):
                return False
            entries = list(self._thunks(names))
            return bool(entries) and all(n is None or IDENTIFIER.match(n) for n, _ in entries)
        except (PeError, ValueError, struct.error, UnicodeError):
            return False

    def exports(self):
        """(names, ordinals) this image exports."""
        rva, size = self.directories[DIR_EXPORT]
        if not (rva and size):
            return set(), set()
        off = self._offset(rva)
        base, nfuncs, nnames, funcs, names, _ = struct.unpack_from("<IIIIII", self.data, off + 16)
        ordinals = set()
        for i in range(nfuncs):
            if self._u32(self._offset(funcs + 4 * i)):
                ordinals.add(base + i)
        exported = {self._string(self._u32(self._offset(names + 4 * i))) for i in range(nnames)}
        return exported, ordinals


class Reference:
    """Functions known to be exported by the system DLLs of Windows XP SP3.

    File format: a line "[name.dll]" opens a DLL's section; each following
    line names one exported function, or "@N" for an export by ordinal.
    Everything after "#" is a comment.
    """

    def __init__(self, path):
        self.names = {}
        self.ordinals = {}
        dll = None
        with open(path, encoding="utf-8") as f:
            for number, line in enumerate(f, 1):
                line = line.split("#", 1)[0].strip()
                if not line:
                    continue
                if line.startswith("[") and line.endswith("]"):
                    dll = line[1:-1].strip().lower()
                    self.names.setdefault(dll, set())
                    self.ordinals.setdefault(dll, set())
                elif dll is None:
                    raise PeError("%s:%d: a function before any [dll] section" % (path, number))
                elif line.startswith("@"):
                    self.ordinals[dll].add(int(line[1:]))
                elif " " in line or "\t" in line:
                    raise PeError("%s:%d: one function a line" % (path, number))
                else:
                    self.names[dll].add(line)

    def knows(self, dll):
        return dll in self.names

    def exports(self, dll):
        return self.names[dll], self.ordinals[dll]


def findings_for(image, reference, shipped_exports):
    """What keeps one image from loading on Windows XP, one text a finding."""
    found = []
    if image.machine != IMAGE_FILE_MACHINE_I386 or image.magic != PE32:
        found.append("not a 32-bit x86 image (machine 0x%x)" % image.machine)
    for what, version in (("subsystem", image.subsystem_version),
                          ("operating system", image.os_version)):
        if tuple(version) > XP_VERSION:
            found.append("requires %s version %d.%d" % (what, version[0], version[1]))
    for imp in image.imports():
        dll = imp.dll.lower()
        if dll in shipped_exports:
            names, ordinals = shipped_exports[dll]
            source = "our %s" % dll
        elif reference.knows(dll):
            names, ordinals = reference.exports(dll)
            source = "the Windows XP reference"
        else:
            found.append("imports %s: %s is not a DLL of the Windows XP reference"
                         % (imp.describe(), imp.dll))
            continue
        known = imp.name in names if imp.name is not None else imp.ordinal in ordinals
        if not known:
            found.append("imports %s, which %s does not export" % (imp.describe(), source))
    return found


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--reference", required=True)
    parser.add_argument("--binaries", help="file naming one binary a line")
    parser.add_argument("paths", nargs="*")
    args = parser.parse_args(argv)

    paths = list(args.paths)
    if args.binaries:
        with open(args.binaries, encoding="utf-8") as f:
            paths += [line.strip() for line in f if line.strip()]
    if not paths:
        print("no binaries to check", file=sys.stderr)
        return 2

    try:
        reference = Reference(args.reference)
        images = [PeImage(p) for p in paths]
    except (OSError, PeError) as e:
        print("cannot read: %s" % e, file=sys.stderr)
        return 2

    # Our own DLLs import from each other: those imports must match what they export.
    shipped_exports = {os.path.basename(i.path).lower(): i.exports()
                       for i in images if i.characteristics & 0x2000}
    failed = False
    for image in images:
        try:
            found = findings_for(image, reference, shipped_exports)
        except PeError as e:
            found = ["cannot read its tables: %s" % e]
        for text in found:
            print("%s: %s" % (image.path, text))
        failed = failed or bool(found)
    if failed:
        print("A binary that fails here does not load on Windows XP. If the function does exist on "
              "Windows XP, check its minimum version and add it to %s." % args.reference)
        return 1
    print("%d binaries checked: every import exists on Windows XP" % len(images))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
