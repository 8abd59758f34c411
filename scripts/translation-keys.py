#!/usr/bin/env python3
"""Lists the German texts passed to Localizer::t that strings.json lacks for a language.

Usage: scripts/translation-keys.py [LANG]   (default: every language)
Prints a JSON object {lang: [missing texts]} for the translator."""
import json, pathlib, re, sys

root = pathlib.Path(__file__).resolve().parent.parent
call = re.compile(r'(?:Localizer::t\(\s*(?:QStringLiteral\(|QString::fromUtf8\(|QLatin1String\()?|ZENTU_TEXT\()\s*"((?:[^"\\]|\\.)*)"')
keys = set()
for path in list((root / "src").rglob("*.cpp")) + list((root / "src").rglob("*.h")):
    for m in call.finditer(path.read_text(encoding="utf-8")):
        keys.add(m.group(1).replace('\\n', '\n').replace('\\"', '"').replace('\\\\', '\\'))
tables = json.loads((root / "src/resources/strings.json").read_text(encoding="utf-8"))
langs = sys.argv[1:] or ["en", "fr", "tr", "ru", "it", "es", "zh", "ja"]
print(json.dumps({l: sorted(k for k in keys if k not in tables.get(l, {})) for l in langs}, ensure_ascii=False, indent=1))
