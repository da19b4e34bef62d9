"""Screendumps (PPM, as qemu writes them) read without outside libraries."""

import subprocess


class Picture:
    def __init__(self, path):
        with open(path, "rb") as file:
            data = file.read()
        fields, at = [], 0
        while len(fields) < 4:  # P6, width, height, maximum
            while data[at:at + 1].isspace():
                at += 1
            end = at
            while not data[end:end + 1].isspace():
                end += 1
            fields.append(data[at:end])
            at = end
        if fields[0] != b"P6" or fields[3] != b"255":
            raise ValueError(f"{path}: not an 8-bit PPM picture")
        self.width, self.height = int(fields[1]), int(fields[2])
        self.pixels = data[at + 1:]

    def at(self, x, y):
        i = (y * self.width + x) * 3
        return tuple(self.pixels[i:i + 3])

    def cover(self, left, top, colour):
        """Paints everything right of and below (left, top) in colour (the
        pointer, which Tamrel parks in the bottom-right corner)."""
        pixels = bytearray(self.pixels)
        for y in range(top, self.height):
            start = (y * self.width + left) * 3
            pixels[start:(y + 1) * self.width * 3] = bytes(colour) * (self.width - left)
        self.pixels = bytes(pixels)

    def box_of(self, differs_from):
        """The smallest (left, top, right, bottom) holding every pixel not
        equal to differs_from, or None."""
        left, top, right, bottom = self.width, self.height, -1, -1
        for y in range(self.height):
            row = self.pixels[y * self.width * 3:(y + 1) * self.width * 3]
            xs = [x for x in range(self.width) if tuple(row[x * 3:x * 3 + 3]) != differs_from]
            if xs:
                left, right = min(left, xs[0]), max(right, xs[-1])
                top, bottom = min(top, y), y
        return None if right < 0 else (left, top, right, bottom)


def near(colour, expected, tolerance=8):
    return all(abs(a - b) <= tolerance for a, b in zip(colour, expected))


def to_png(ppm, png):
    subprocess.run(["convert", ppm, png], check=True)
