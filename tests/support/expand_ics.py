#!/usr/bin/python3
"""The occurrences an independent expander (python3-icalendar with python3-recurring-ical-events) gives
for the events of an iCalendar file: for each task, its event together with the events RELATED-TO it,
the first COUNT starts as "UID<TAB>YYYY-MM-DD HH:MM:SS" lines, tasks in UID order.

usage: expand_ics.py FILE COUNT
"""
import datetime
import sys

import icalendar
import recurring_ical_events


def first_starts(events, count):
    calendar = icalendar.Calendar()
    for event in events:
        calendar.add_component(event)
    start = min(event["DTSTART"].dt for event in events)
    span = datetime.timedelta(days=2)
    last = datetime.datetime(9000, 1, 1)
    if isinstance(start, datetime.datetime) and start.tzinfo is not None:
        last = last.replace(tzinfo=start.tzinfo)
    elif not isinstance(start, datetime.datetime):
        last = last.date()
    while True:
        found = recurring_ical_events.of(calendar).between(start, start + span)
        starts = sorted(event["DTSTART"].dt for event in found)
        if len(starts) >= count or span * 4 > last - start:
            return starts[:count]
        span *= 4


def main(path, count):
    with open(path, "rb") as file:
        calendar = icalendar.Calendar.from_ical(file.read())
    tasks = {}
    for event in calendar.walk("VEVENT"):
        key = str(event["RELATED-TO"]) if "RELATED-TO" in event else str(event["UID"])
        tasks.setdefault(key, []).append(event)
    for uid in sorted(tasks):
        for start in first_starts(tasks[uid], count):
            print(f"{uid}\t{start:%Y-%m-%d %H:%M:%S}")


if __name__ == "__main__":
    main(sys.argv[1], int(sys.argv[2]))
