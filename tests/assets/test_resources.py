"""The shipped programs' identity as their resources hold it: the icon group
IDI_HEYU first, carrying every image of the committed icon; the version
information with one Chinese (PRC) Unicode string table; the application
manifest with Common Controls 6, the supported systems, per-monitor DPI
awareness and no execution level. The icon is in every executable that links the core
(the unit tests load it too); version and manifest only in the programs.

Needs Debian's python3-pefile: run it with /usr/bin/python3."""
import os
import re
import struct
import unittest
import xml.etree.ElementTree as ElementTree
from pathlib import Path

import pefile

ROOT = Path(__file__).resolve().parents[2]
BUILD = Path(os.environ.get("HEYU_BUILD_DIR", ROOT / "build"))
PROGRAMS = Path(os.environ.get("HEYU_PROGRAM_DIR", BUILD))
ICON = ROOT / "assets" / "art" / "heyu.ico"

RT_ICON, RT_GROUP_ICON, RT_VERSION, RT_MANIFEST = 3, 14, 16, 24
IDI_HEYU = 1
ICON_SIZES = [16, 20, 24, 32, 40, 48, 64, 256]
PNG_SIGNATURE = b"\x89PNG\r\n\x1a\n"

VERSION = re.search(r"project\(heyu VERSION (\d+\.\d+\.\d+)",
                    (ROOT / "CMakeLists.txt").read_text()).group(1)
COMMON_CONTROLS = {"type": "win32", "name": "Microsoft.Windows.Common-Controls", "version": "6.0.0.0",
                   "processorArchitecture": "*", "publicKeyToken": "6595b64144ccf1df", "language": "*"}
SUPPORTED_OS = {
    "{e2011457-1546-43c5-a5fe-008deee3d3f0}",  # Vista
    "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",  # 7
    "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",  # 8
    "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",  # 8.1
    "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",  # 10 and 11
}


def build_setting(name):
    for line in (PROGRAMS / "CMakeCache.txt").read_text().splitlines():
        if line.startswith(name + ":"):
            return line.split("=", 1)[1]
    raise AssertionError("%s is not in the build's CMake cache" % name)


def icon_file_images():
    """The images of the committed icon file, as stored, in file order."""
    data = ICON.read_bytes()
    count = struct.unpack_from("<H", data, 4)[0]
    images = []
    for k in range(count):
        length, offset = struct.unpack_from("<II", data, 6 + 16 * k + 8)
        images.append(data[offset:offset + length])
    return images


class Executable:
    def __init__(self, path):
        self.pe = pefile.PE(str(path))
        self.types = {entry.id: entry for entry in self.pe.DIRECTORY_ENTRY_RESOURCE.entries}

    def ids(self, kind):
        return [entry.id for entry in self.types[kind].directory.entries] if kind in self.types else []

    def data(self, kind, ident):
        entry = next(e for e in self.types[kind].directory.entries if e.id == ident)
        item = entry.directory.entries[0].data.struct
        return self.pe.get_data(item.OffsetToData, item.Size)


class ProgramIdentity(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        shipped = [PROGRAMS / "heyu.exe", PROGRAMS / "heyu-tones.exe"]
        if not shipped[0].exists():
            raise AssertionError("%s is not built" % shipped[0])
        cls.executables = [(path.name, Executable(path)) for path in shipped if path.exists()]

    def each_program(self, check):
        for name, exe in self.executables:
            with self.subTest(program=name):
                check(exe)

    def test_first_icon_group_is_the_committed_icon_at_every_size(self):
        def check(exe):
            self.assertEqual(exe.ids(RT_GROUP_ICON)[:1], [IDI_HEYU], "the shell shows the first icon group")
            group = exe.data(RT_GROUP_ICON, IDI_HEYU)
            _, kind, count = struct.unpack_from("<HHH", group)
            entries = [struct.unpack_from("<BBBBHHIH", group, 6 + 14 * k) for k in range(count)]
            self.assertEqual(kind, 1)
            self.assertEqual([width or 256 for width, *_ in entries], ICON_SIZES)
            self.assertEqual({bits for *_, bits, _, _ in entries}, {32})
            images = [exe.data(RT_ICON, ident) for *_, ident in entries]
            for size, image, committed in zip(ICON_SIZES, images, icon_file_images()):
                self.assertTrue(image == committed, "the %d px image is not the committed one" % size)
                if size == 256:
                    self.assertEqual(image[:8], PNG_SIGNATURE)
                    self.assertEqual(struct.unpack_from(">II", image, 16), (256, 256))
                else:
                    self.assertEqual(struct.unpack_from("<IiiHH", image), (40, size, 2 * size, 1, 32))
        self.each_program(check)

    def test_version_information_names_the_program_in_chinese(self):
        expected = {
            "CompanyName": build_setting("HEYU_COMPANY_NAME"),
            "FileDescription": "墨川大自然背景音",
            "FileVersion": VERSION,
            "InternalName": "heyu.exe",
            "LegalCopyright": build_setting("HEYU_LEGAL_COPYRIGHT"),
            "OriginalFilename": "heyu.exe",
            "ProductName": "墨川禾语听泉",
            "ProductVersion": VERSION,
        }
        quad = [int(part) for part in VERSION.split(".")] + [0]

        def check(exe):
            self.assertEqual(exe.ids(RT_VERSION), [1])
            tables, translations = [], []
            for info in exe.pe.FileInfo[0]:
                if info.Key == b"StringFileInfo":
                    tables += [(t.LangID, {k.decode(): v.decode() for k, v in t.entries.items()})
                               for t in info.StringTable]
                else:
                    translations += [v.entry for v in info.Var]
            self.assertEqual(tables, [(b"080404b0", expected)])
            self.assertEqual(translations, [{b"Translation": "0x0804 0x04b0"}])
            fixed = exe.pe.VS_FIXEDFILEINFO[0]
            for high, low in ((fixed.FileVersionMS, fixed.FileVersionLS),
                              (fixed.ProductVersionMS, fixed.ProductVersionLS)):
                self.assertEqual([high >> 16, high & 0xFFFF, low >> 16, low & 0xFFFF], quad)
            self.assertEqual((fixed.FileOS, fixed.FileType), (0x40004, 1), "VOS_NT_WINDOWS32, VFT_APP")
        self.each_program(check)

    def test_manifest_asks_for_common_controls_6_dpi_awareness_and_nothing_that_changes_file_access(self):
        asm = "{urn:schemas-microsoft-com:asm.v1}"
        settings = "{urn:schemas-microsoft-com:asm.v3}application/{urn:schemas-microsoft-com:asm.v3}windowsSettings/"
        awareness = {"{http://schemas.microsoft.com/SMI/2005/WindowsSettings}dpiAware": "true/pm",
                     "{http://schemas.microsoft.com/SMI/2016/WindowsSettings}dpiAwareness":
                         "PerMonitorV2, PerMonitor"}

        def check(exe):
            self.assertEqual(exe.ids(RT_MANIFEST), [1], "CREATEPROCESS_MANIFEST_RESOURCE_ID")
            root = ElementTree.fromstring(exe.data(RT_MANIFEST, 1))
            names = {element.tag.split("}")[-1] for element in root.iter()}
            self.assertEqual(root.find(asm + "assemblyIdentity").get("version"), VERSION + ".0")
            dependency = root.find(asm + "dependency/" + asm + "dependentAssembly/" + asm + "assemblyIdentity")
            self.assertEqual(dependency.attrib, COMMON_CONTROLS)
            self.assertEqual({e.get("Id") for e in root.iter() if e.tag.endswith("}supportedOS")}, SUPPORTED_OS)
            # The systems read awareness only in these namespaces; anywhere
            # else they would stretch the window as a bitmap.
            for tag, value in awareness.items():
                self.assertEqual(root.findtext(settings + tag), value, tag)
            # An execution level would end file virtualisation, and with it
            # config.ini under Program Files.
            for name in ("trustInfo", "requestedExecutionLevel"):
                self.assertNotIn(name, names)
        self.each_program(check)

    def test_unit_tests_carry_the_icon_but_not_the_programs_identity(self):
        tests = sorted(BUILD.glob("*_test.exe"))
        if not tests:
            self.skipTest("no unit tests built")
        exe = Executable(tests[0])
        self.assertEqual(exe.ids(RT_GROUP_ICON)[:1], [IDI_HEYU])
        self.assertEqual((exe.ids(RT_VERSION), exe.ids(RT_MANIFEST)), ([], []))


if __name__ == "__main__":
    unittest.main()
