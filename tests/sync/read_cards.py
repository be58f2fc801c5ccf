"""Prints "FN|first mobile number" for every card file in the folder given."""
import pathlib
import sys

import vobject

for path in sorted(pathlib.Path(sys.argv[1]).glob("*.vcf")):
    card = vobject.readOne(path.read_text(encoding="utf-8"))
    phones = [tel.value for tel in card.contents.get("tel", [])
              if "CELL" in [t.upper() for t in tel.params.get("TYPE", [])]]
    print(f"{card.fn.value}|{phones[0] if phones else ''}")
