#!/usr/bin/env python3
"""Adds or replaces one key in every station language file, each in its own code page.

Usage: tools/lang-add.py KEY TEXTS.json
TEXTS.json maps the language file's stem without the code page ("English", "German",
"Chinese936", "Chinese950", ...) or the full file name to the text. Every shipped file must
get a text. "-" as the file reads the JSON from standard input.
"""
import json
import pathlib
import re
import sys

LANG_DIR = pathlib.Path(__file__).resolve().parent.parent / "resources" / "lang"
# The number in a file name is its Windows code page; 442 stands for Cyrillic.
CODECS = {"442": "cp1251", "936": "gbk", "950": "cp950", "932": "cp932", "949": "cp949",
          "874": "cp874", "1254": "cp1254", "1251": "cp1251", "1252": "cp1252"}


def names_for(path):
    stem = path.stem
    lang = re.sub(r"\d+$", "", stem)
    return [path.name, stem, lang]


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    key = sys.argv[1]
    src = sys.stdin if sys.argv[2] == "-" else open(sys.argv[2], encoding="utf-8")
    texts = json.load(src)
    files = sorted(LANG_DIR.glob("*.ini"))
    for path in files:
        text = next((texts[n] for n in names_for(path) if n in texts), None)
        if text is None:
            sys.exit(f"no text for {path.name}")
        codec = CODECS[re.search(r"(\d+)$", path.stem).group(1)]
        raw = path.read_bytes().decode(codec)
        lines = raw.split("\r\n")
        if lines and lines[-1] == "":
            lines.pop()
        entry = f"{key}={text}"
        pattern = re.compile(rf"^{re.escape(key)}=", re.IGNORECASE)
        for i, line in enumerate(lines):
            if pattern.match(line):
                lines[i] = entry
                break
        else:
            lines.append(entry)
        path.write_bytes(("\r\n".join(lines) + "\r\n").encode(codec))


if __name__ == "__main__":
    main()
