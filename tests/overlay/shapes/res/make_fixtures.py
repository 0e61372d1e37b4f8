# Writes the icon and bitmap inputs of the resource-compiled test modules
# (run once; the outputs are kept beside this script).
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))


def ico(color, size=16):
    """One-colour 24-bpp icon; the top-left 4 x 4 pixels are transparent."""
    w = h = size
    r, g, b = color
    xor = b''
    andm = b''
    for y in range(h):  # rows bottom-up
        top = h - 1 - y
        xor += b''.join(bytes([0, 0, 0]) if (x < 4 and top < 4) else bytes([b, g, r])
                        for x in range(w))
        bits = sum(1 << (31 - x) for x in range(w) if x < 4 and top < 4)
        andm += struct.pack('>I', bits)
    bih = struct.pack('<IiiHHIIiiII', 40, w, h * 2, 1, 24, 0, len(xor) + len(andm), 0, 0, 0, 0)
    img = bih + xor + andm
    return struct.pack('<HHH', 0, 1, 1) + struct.pack('<BBBBHHII', w, h, 0, 0, 1, 24, len(img), 22) + img


def bmp(w, h, colour):
    row = (w * 3 + 3) // 4 * 4
    data = b''
    for y in range(h):
        top = h - 1 - y
        line = b''.join(bytes([c[2], c[1], c[0]]) for c in (colour(x, top) for x in range(w)))
        data += line + b'\0' * (row - len(line))
    bih = struct.pack('<IiiHHIIiiII', 40, w, h, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    return struct.pack('<2sIHHI', b'BM', 54 + len(data), 0, 0, 54) + bih + data


def write(name, data):
    with open(os.path.join(HERE, name), 'wb') as f:
        f.write(data)


write('red.ico', ico((255, 0, 0)))
write('blue.ico', ico((0, 0, 255)))
write('green.ico', ico((0, 255, 0)))
write('yellow.ico', ico((255, 255, 0)))
write('logo.bmp', bmp(8, 6, lambda x, y: (255, 0, 255) if x in (0, 7) or y in (0, 5) else (0, 0, 255)))
