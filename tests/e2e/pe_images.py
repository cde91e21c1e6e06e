"""PE images read from their headers, without running them: machine, format, subsystem,
exports and imports."""

import pathlib
import struct
from dataclasses import dataclass
from typing import List

I386, AMD64 = 0x14C, 0x8664
PE32, PE32_PLUS = 0x10B, 0x20B


@dataclass(frozen=True)
class PeImage:
    machine: int
    characteristics: int
    optional_magic: int
    subsystem: int
    exports: List[str]
    imports: List[str]


def read_pe_image(path: pathlib.Path) -> PeImage:
    data = path.read_bytes()
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    assert data[pe:pe + 4] == b"PE\0\0", f"{path} is no PE image"
    machine, section_count, _, _, _, optional_size, characteristics = struct.unpack_from("<HHIIIHH", data, pe + 4)
    optional = pe + 24
    optional_magic, = struct.unpack_from("<H", data, optional)
    subsystem, = struct.unpack_from("<H", data, optional + 68)
    directories = optional + (96 if optional_magic == PE32 else 112)
    sections = [struct.unpack_from("<IIII", data, optional + optional_size + 40 * index + 8)
                for index in range(section_count)]

    def offset(rva: int) -> int:
        for virtual_size, address, raw_size, raw_offset in sections:
            if address <= rva < address + max(virtual_size, raw_size):
                return raw_offset + rva - address
        raise ValueError(f"RVA {rva:#x} is in no section of {path}")

    def text_at(rva: int) -> str:
        start = offset(rva)
        return data[start:data.index(b"\0", start)].decode("ascii")

    def u32_at(rva: int, index: int = 0) -> int:
        return struct.unpack_from("<I", data, offset(rva) + 4 * index)[0]

    export_rva, import_rva = (struct.unpack_from("<I", data, directories + 8 * index)[0] for index in (0, 1))
    exports = [text_at(u32_at(u32_at(export_rva + 32), index))
               for index in range(u32_at(export_rva + 24))] if export_rva else []
    imports = []
    while import_rva and u32_at(import_rva + 12):
        imports.append(text_at(u32_at(import_rva + 12)))
        import_rva += 20
    return PeImage(machine, characteristics, optional_magic, subsystem, exports, imports)


def image_bits(path: pathlib.Path) -> int:
    """32 or 64: the width of the program or DLL at path."""
    image = read_pe_image(path)
    return {(I386, PE32): 32, (AMD64, PE32_PLUS): 64}[(image.machine, image.optional_magic)]
