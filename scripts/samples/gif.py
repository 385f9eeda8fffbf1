"""A small GIF89a writer: indexed frames with their own delays, one transparent
colour, and the looping extension, so that previews animate for ever."""
import struct


def _lzw(indices, min_code_size):
    clear = 1 << min_code_size
    end = clear + 1
    codes = []
    table = {(i,): i for i in range(clear)}
    next_code = end + 1
    width = min_code_size + 1
    codes.append((clear, width))
    current = ()
    for index in indices:
        candidate = current + (index,)
        if candidate in table:
            current = candidate
            continue
        codes.append((table[current], width))
        if next_code < 4096:
            table[candidate] = next_code
            next_code += 1
            if next_code - 1 == (1 << width) and width < 12:
                width += 1
        else:
            codes.append((clear, width))
            table = {(i,): i for i in range(clear)}
            next_code = end + 1
            width = min_code_size + 1
        current = (index,)
    if current:
        codes.append((table[current], width))
    codes.append((end, width))
    out = bytearray()
    bits = 0
    nbits = 0
    for code, size in codes:
        bits |= code << nbits
        nbits += size
        while nbits >= 8:
            out.append(bits & 0xFF)
            bits >>= 8
            nbits -= 8
    if nbits:
        out.append(bits & 0xFF)
    return bytes(out)


def _blocks(data):
    out = bytearray()
    for start in range(0, len(data), 255):
        chunk = data[start:start + 255]
        out.append(len(chunk))
        out += chunk
    out.append(0)
    return bytes(out)


def write_gif(path, width, height, palette, frames, transparent=0):
    """palette: up to 256 (r, g, b); frames: list of (pixels, delay in 1/100 s),
    pixels a flat list of palette indices, row by row."""
    size_bits = max(1, (len(palette) - 1).bit_length())
    colours = list(palette) + [(0, 0, 0)] * ((1 << size_bits) - len(palette))
    out = bytearray(b"GIF89a")
    out += struct.pack("<HHBBB", width, height, 0x80 | 0x70 | (size_bits - 1), 0, 0)
    for r, g, b in colours:
        out += bytes((r, g, b))
    out += b"\x21\xFF\x0BNETSCAPE2.0\x03\x01\x00\x00\x00"
    min_code_size = max(2, size_bits)
    for pixels, delay in frames:
        # Disposal 2 (restore to background) so transparent frames do not smear.
        out += struct.pack("<BBBBHBB", 0x21, 0xF9, 4, (2 << 2) | 1, delay, transparent, 0)
        out += struct.pack("<BHHHHB", 0x2C, 0, 0, width, height, 0)
        out.append(min_code_size)
        out += _blocks(_lzw(pixels, min_code_size))
    out.append(0x3B)
    with open(path, "wb") as handle:
        handle.write(out)
