#!/usr/bin/env python3
"""Writes AppCfg.ini from AppCfg.utf8.ini.

The profile-string functions keep an ini file Unicode only when it is
UTF-16LE with a byte-order mark; a file in an 8-bit code page would lose the
Chinese texts at the first LangId write. Comment lines stay in the source.
"""
import pathlib

here = pathlib.Path(__file__).resolve().parent
lines = (here / "AppCfg.utf8.ini").read_text(encoding="utf-8").splitlines()
kept = [line for line in lines if not line.startswith(";")]
while kept and not kept[0].strip():
    kept.pop(0)
text = "\r\n".join(kept) + "\r\n"
(here / "AppCfg.ini").write_bytes(b"\xff\xfe" + text.encode("utf-16-le"))
