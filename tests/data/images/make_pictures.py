#!/usr/bin/env python3
"""Writes the picture fixtures of the mark-up renderer byte by byte:
frames3.gif (three 8x8 frames: red, green, blue, each behind a graphic
control extension), frames3_truncated.gif (the same cut inside the second
frame), red_8x8.png (an 8x8 opaque red PNG)."""
import struct
import zlib


def lzw_uncompressed(pixels, min_code_size=2):
    # Codes of 3 bits: a clear code before every two pixels keeps the
    # decoder's table from growing past the code size.
    clear, eoi, size = 1 << min_code_size, (1 << min_code_size) + 1, min_code_size + 1
    codes = []
    for i in range(0, len(pixels), 2):
        codes.append(clear)
        codes.extend(pixels[i:i + 2])
    codes.append(eoi)
    bits, nbits, out = 0, 0, bytearray()
    for c in codes:
        bits |= c << nbits
        nbits += size
        while nbits >= 8:
            out.append(bits & 0xFF)
            bits >>= 8
            nbits -= 8
    if nbits:
        out.append(bits & 0xFF)
    blocks = bytearray([min_code_size])
    for i in range(0, len(out), 255):
        chunk = out[i:i + 255]
        blocks.append(len(chunk))
        blocks += chunk
    blocks.append(0)
    return bytes(blocks)


def gif(frames, width=8, height=8):
    palette = bytes([255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255])
    data = bytearray(b"GIF89a")
    data += struct.pack("<HHBBB", width, height, 0x81, 0, 0)  # global table of 4 colours
    data += palette
    data += b"\x21\xff\x0bNETSCAPE2.0\x03\x01\x00\x00\x00"
    for index in frames:
        data += b"\x21\xf9\x04\x00\x0a\x00\x00\x00"  # 0.1 s, no transparency
        data += b"\x2c" + struct.pack("<HHHHB", 0, 0, width, height, 0)
        data += lzw_uncompressed([index] * (width * height))
    data += b"\x3b"
    return bytes(data)


def png_red(width=8, height=8):
    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))
    raw = b"".join(b"\x00" + b"\xff\x00\x00" * width for _ in range(height))
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(raw)) + chunk(b"IEND", b""))


three = gif([0, 1, 2])
open("frames3.gif", "wb").write(three)
second = three.find(b"\x21\xf9\x04", three.find(b"\x21\xf9\x04") + 1)
open("frames3_truncated.gif", "wb").write(three[:second + 20])
open("red_8x8.png", "wb").write(png_red())
