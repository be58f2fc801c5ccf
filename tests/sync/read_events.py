"""Prints "SUMMARY|DTSTART|RRULE|reminders|DESCRIPTION" for every event file in the folder
given, sorted; the description's lines joined by "/". Files without an event are left out."""
import pathlib
import sys

import vobject

lines = []
for path in pathlib.Path(sys.argv[1]).glob("*.ics"):
    calendar = vobject.readOne(path.read_text(encoding="utf-8"))
    if not hasattr(calendar, "vevent"):
        continue
    event = calendar.vevent
    rule = event.rrule.value if hasattr(event, "rrule") else ""
    reminders = len(event.contents.get("valarm", []))
    description = event.description.value if hasattr(event, "description") else ""
    start = event.dtstart.value.strftime("%Y-%m-%d %H:%M:%S")
    lines.append(f"{event.summary.value}|{start}|{rule}|{reminders}|"
                 + description.replace("\n", "/"))
print("\n".join(sorted(lines)))
