#!/usr/bin/env python3
"""Writes a short, silent MP3 with an ID3v1 tag: make_sample_mp3.py FILE.

A tenth of a second of silent MPEG-1 Layer III frames (128 kbit/s, 44.1 kHz,
so any player opens it) followed by the 128-byte tag that the launcher
searches when MP3 support is on. The tag's words are not in the file name,
so a query finds the file only through them.
"""
import sys

TITLE, ARTIST, ALBUM, YEAR, COMMENT = "Velnor Theme", "Plovant Players", "First Steps", "2024", "A sample"
GENRE_AMBIENT = 26
TRACK = 1

# Frame header: sync, MPEG-1, Layer III, no CRC; 128 kbit/s, 44.1 kHz, no
# padding; joint stereo. All-zero side information and main data decode as
# silence. Frame length: 144 * 128000 / 44100 = 417 bytes.
FRAME = bytes([0xFF, 0xFB, 0x90, 0x44]) + bytes(417 - 4)
FRAMES = 4


def field(text, size):
    data = text.encode("latin-1")
    assert len(data) <= size, text
    return data.ljust(size, b"\0")


def tag():
    # ID3v1.1: a zero byte before the last byte of the comment marks that
    # byte as the track number.
    body = (b"TAG" + field(TITLE, 30) + field(ARTIST, 30) + field(ALBUM, 30) + field(YEAR, 4)
            + field(COMMENT, 28) + bytes([0, TRACK, GENRE_AMBIENT]))
    assert len(body) == 128
    return body


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: make_sample_mp3.py FILE")
    with open(sys.argv[1], "wb") as out:
        out.write(FRAME * FRAMES + tag())


if __name__ == "__main__":
    main()
