"""Reading and writing 24-bit uncompressed Windows bitmaps (BMP, 40-byte header).

Pixels are kept top row first as a bytearray of R, G, B triples; the file is
written bottom-up as Windows expects, with rows padded to four bytes.
"""

import struct

FILE_HEADER = struct.Struct("<2sIHHI")          # bfType, bfSize, reserved, reserved, bfOffBits
INFO_HEADER = struct.Struct("<IiiHHIIiiII")     # biSize .. biClrImportant


class Image:
    def __init__(self, width, height, rgb=None, fill=(255, 255, 255)):
        self.width = width
        self.height = height
        if rgb is None:
            rgb = bytearray(bytes(fill) * (width * height))
        if len(rgb) != width * height * 3:
            raise ValueError("pixel data is %d bytes, expected %d" % (len(rgb), width * height * 3))
        self.rgb = bytearray(rgb)

    def get(self, x, y):
        i = (y * self.width + x) * 3
        return tuple(self.rgb[i:i + 3])

    def set(self, x, y, colour):
        i = (y * self.width + x) * 3
        self.rgb[i:i + 3] = bytes(colour)

    def fill_rect(self, x0, y0, x1, y1, colour):
        """Fills columns x0..x1 and rows y0..y1, inclusive."""
        row = bytes(colour) * (x1 - x0 + 1)
        for y in range(y0, y1 + 1):
            i = (y * self.width + x0) * 3
            self.rgb[i:i + len(row)] = row

    def paste(self, other, left, top):
        for y in range(other.height):
            src = other.rgb[y * other.width * 3:(y + 1) * other.width * 3]
            i = ((top + y) * self.width + left) * 3
            self.rgb[i:i + len(src)] = src

    def blend_mask(self, mask, mw, mh, left, top, colour):
        """Paints colour through an 8-bit coverage mask (mw x mh) placed at left, top."""
        r, g, b = colour
        for y in range(mh):
            if not 0 <= top + y < self.height:
                continue
            row = mask[y * mw:(y + 1) * mw]
            base = ((top + y) * self.width + left) * 3
            for x, a in enumerate(row):
                if a and 0 <= left + x < self.width:
                    i = base + x * 3
                    px = self.rgb
                    px[i] = (px[i] * (255 - a) + r * a + 127) // 255
                    px[i + 1] = (px[i + 1] * (255 - a) + g * a + 127) // 255
                    px[i + 2] = (px[i + 2] * (255 - a) + b * a + 127) // 255


def encode(img, pixels_per_metre=5905):
    stride = (img.width * 3 + 3) & ~3
    pad = b"\0" * (stride - img.width * 3)
    rows = []
    for y in range(img.height - 1, -1, -1):
        row = img.rgb[y * img.width * 3:(y + 1) * img.width * 3]
        bgr = bytearray(len(row))
        bgr[0::3] = row[2::3]
        bgr[1::3] = row[1::3]
        bgr[2::3] = row[0::3]
        rows.append(bytes(bgr) + pad)
    bits = b"".join(rows)
    info = INFO_HEADER.pack(40, img.width, img.height, 1, 24, 0, len(bits),
                            pixels_per_metre, pixels_per_metre, 0, 0)
    offset = FILE_HEADER.size + INFO_HEADER.size
    head = FILE_HEADER.pack(b"BM", offset + len(bits), 0, 0, offset)
    return head + info + bits


def write(path, img, pixels_per_metre=5905):
    with open(path, "wb") as f:
        f.write(encode(img, pixels_per_metre))


class Header:
    """The fields of a BMP file's two headers, as found."""

    def __init__(self, data):
        if len(data) < FILE_HEADER.size + INFO_HEADER.size:
            raise ValueError("shorter than a BMP header")
        (self.type, self.file_size, _, _, self.offset) = FILE_HEADER.unpack_from(data, 0)
        (self.info_size, self.width, self.height, self.planes, self.bit_count,
         self.compression, self.image_size, self.x_ppm, self.y_ppm,
         self.colours_used, self.colours_important) = INFO_HEADER.unpack_from(data, FILE_HEADER.size)


def decode(data):
    """The pixels of a 24-bit uncompressed BMP (either row order) as an Image."""
    h = Header(data)
    if h.type != b"BM" or h.bit_count != 24 or h.compression != 0:
        raise ValueError("not a 24-bit uncompressed BMP")
    width, height = h.width, abs(h.height)
    stride = (width * 3 + 3) & ~3
    if h.offset + stride * height > len(data):
        raise ValueError("pixel data cut short")
    rgb = bytearray(width * height * 3)
    for row in range(height):
        y = height - 1 - row if h.height > 0 else row
        src = data[h.offset + row * stride:h.offset + row * stride + width * 3]
        dst = y * width * 3
        rgb[dst:dst + width * 3:3] = src[2::3]
        rgb[dst + 1:dst + width * 3:3] = src[1::3]
        rgb[dst + 2:dst + width * 3:3] = src[0::3]
    return Image(width, height, rgb)


def read(path):
    with open(path, "rb") as f:
        return decode(f.read())
