#!/usr/bin/env python3
"""Merges translations into src/resources/strings.json.

Usage: scripts/merge-translations.py FILE.json
FILE holds {"en": {"German text": "translation", ...}, "fr": {...}, ...};
entries replace existing ones, an entry whose translation is null removes that
German text from the language, and the table is written back sorted."""
import json, pathlib, sys

root = pathlib.Path(__file__).resolve().parent.parent
target = root / "src/resources/strings.json"
tables = json.loads(target.read_text(encoding="utf-8"))
for lang, entries in json.loads(pathlib.Path(sys.argv[1]).read_text(encoding="utf-8")).items():
    table = tables.setdefault(lang, {})
    for german, translation in entries.items():
        if translation is None:
            table.pop(german, None)
        else:
            table[german] = translation
target.write_text(json.dumps(tables, ensure_ascii=False, indent=1, sort_keys=True) + "\n", encoding="utf-8")
