#!/usr/bin/python3
"""Turns the UTF-8 agreement texts into the installer's text resources: UTF-16 LE with a
byte-order mark, CR LF line ends and a '%' after the last line end that marks the end.
Usage: make_agreements.py SOURCE.txt OUTPUT.utf16"""
import sys

source, output = sys.argv[1], sys.argv[2]
with open(source, encoding="utf-8") as f:
    text = f.read()
if "%" in text:
    sys.exit(f"{source}: '%' would end the agreement early")
lines = text.replace("\r\n", "\n").rstrip("\n").split("\n")
body = "".join(line + "\r\n" for line in lines) + "%"
with open(output, "wb") as f:
    f.write(b"\xff\xfe" + body.encode("utf-16-le"))
