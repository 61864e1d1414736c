"""The shipped programs load on Windows XP SP3: they import only system
DLLs, no secure-CRT function from msvcrt (XP's msvcrt has none), and only
Win32 functions that XP has. The last is proved the way the headers know it:
a file that takes the address of every imported function must compile with
_WIN32_WINNT and WINVER at 0x0501, since MinGW-w64's headers declare a
function only for the systems that have it."""
import os
import re
import subprocess
import tempfile
import unittest
from pathlib import Path

import pefile

ROOT = Path(__file__).resolve().parents[2]
PRODUCT = Path(os.environ.get("HEYU_PRODUCT_DIR", ROOT / "build"))
# heyu-tones.exe, the test build's twin, is checked where it was built.
PROGRAMS = [PRODUCT / "heyu.exe"] + [exe for exe in [PRODUCT / "heyu-tones.exe"] if exe.exists()]

# The known DLLs of every Windows from XP SP3 to 11: the platform loads these
# from the system folder whatever folder a file of the same name lies in.
# (HKLM\SYSTEM\CurrentControlSet\Control\Session Manager\KnownDLLs; XP
# lists advapi32, comdlg32, gdi32, imagehlp, kernel32, lz32, ole32, oleaut32,
# olecli32, olecnv32, olesvr32, olethk32, rpcrt4, shell32, url, urlmon,
# user32, version, wininet, wldap32; 7, 10 and 11 keep all of these but
# lz32, olecli32, olecnv32, olesvr32, olethk32, url, version and, from 10 on,
# urlmon and wininet.) Everything else the program needs it loads at run
# time by full path, where the compiler has checked each function against
# XP's headers.
KNOWN_DLLS = {"advapi32.dll", "comdlg32.dll", "gdi32.dll", "imagehlp.dll", "kernel32.dll",
              "ole32.dll", "oleaut32.dll", "rpcrt4.dll", "shell32.dll", "user32.dll",
              "wldap32.dll"}
# The C runtime, which every program of this compiler imports before its
# own code runs: a known DLL from Windows 7 on; on XP it is not, and a copy
# planted beside the program would load there (XP's loader offers nothing
# the program could do about it before its first line runs).
C_RUNTIME = "msvcrt.dll"

# The headers that declare everything the program calls; GDI+'s flat
# functions live in a namespace of their own.
DECLARATIONS = """\
#include <windows.h>
#include <mmsystem.h>
#include <objbase.h>
#include <rpc.h>
#include <shellapi.h>
#include "base/gdiplus_api.h"
using namespace Gdiplus;
using namespace Gdiplus::DllExports;
"""


def imports(exe: Path) -> dict:
    """{dll name in lower case: [function names]}; an import by ordinal is
    listed as '#N'."""
    pe = pefile.PE(str(exe), fast_load=True)
    pe.parse_data_directories(
        directories=[pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_IMPORT"]])
    table = {}
    for entry in pe.DIRECTORY_ENTRY_IMPORT:
        names = [i.name.decode() if i.name else "#%d" % i.ordinal for i in entry.imports]
        table.setdefault(entry.dll.decode().lower(), []).extend(names)
    pe.close()
    return table


def product_compiler() -> str:
    """The C++ compiler the shipped programs were built with, as their build
    recorded it."""
    found = sorted(PRODUCT.glob("CMakeFiles/*/CMakeCXXCompiler.cmake"))
    assert found, "%s holds no record of its C++ compiler" % PRODUCT
    compiler = re.search(r'^set\(CMAKE_CXX_COMPILER "([^"]+)"\)', found[-1].read_text(), re.M)
    assert compiler, "%s names no C++ compiler" % found[-1]
    return compiler.group(1)


def undeclared_on_xp(functions) -> list:
    """The functions the headers do not declare for Windows XP, or the
    compiler's whole complaint if it failed otherwise."""
    body = "".join("    (void)&%s;\n" % name for name in functions)
    source = DECLARATIONS + "void takeEveryImport() {\n" + body + "}\n"
    with tempfile.TemporaryDirectory() as scratch:
        path = Path(scratch) / "imports.cpp"
        path.write_text(source)
        run = subprocess.run(
            [product_compiler(), "-std=c++17", "-fsyntax-only", "-fmax-errors=0",
             "-D_WIN32_WINNT=0x0501", "-DWINVER=0x0501", "-DUNICODE", "-D_UNICODE",
             "-DNOMINMAX", "-I" + str(ROOT), str(path)],
            capture_output=True, text=True, env=dict(os.environ, LC_ALL="C"))
    if run.returncode == 0:
        return []
    missing = sorted(set(re.findall(r"'(\w+)' was not declared", run.stderr)))
    return missing or [run.stderr]


class LoadsOnWindowsXp(unittest.TestCase):
    def test_only_known_dlls_are_imported(self):
        for exe in PROGRAMS:
            foreign = sorted(set(imports(exe)) - KNOWN_DLLS - {C_RUNTIME})
            self.assertEqual(foreign, [], "%s imports DLLs that are not known DLLs" % exe.name)

    def test_no_secure_crt_function_is_imported(self):
        for exe in PROGRAMS:
            secure = [name for name in imports(exe).get(C_RUNTIME, []) if name.endswith("_s")]
            self.assertEqual(secure, [], "%s imports from msvcrt what XP's lacks" % exe.name)

    def test_every_win32_import_exists_on_xp(self):
        for exe in PROGRAMS:
            functions = sorted({name for dll, names in imports(exe).items()
                                if dll != C_RUNTIME for name in names})
            by_ordinal = [name for name in functions if name.startswith("#")]
            self.assertEqual(by_ordinal, [], "%s imports by ordinal" % exe.name)
            self.assertGreater(len(functions), 100, "%s: the import table was not read" % exe.name)
            self.assertEqual(undeclared_on_xp(functions), [],
                             "%s imports functions that Windows XP does not have" % exe.name)


if __name__ == "__main__":
    unittest.main()
