#!/usr/bin/python3
"""Judges a download: builds the phonebook and short-message records a project file must
give, straight from its tables, and compares them with the state korva-devsim wrote.

    oracle.py PROJECT.cmb STATE.json    exit 0 when the device holds exactly the project,
                                        1 with the first difference, 2 on bad input
    oracle.py PROJECT.cmb               print the expected records as JSON, in sending order

Written apart from the C++ code on purpose: it shares none of it.
"""
import json
import sqlite3
import sys

STATION = 247
ALL_GROUPS = 0
NO_GROUP = 0xFF          # a zone whose target names no group: nobody is notified


def truthy(value):
    """A yes/no field as the database may hold it (0/1, or text)."""
    if value is None:
        return False
    if isinstance(value, str):
        return value.strip().lower() not in ("", "0", "false")
    return bool(value)


def text(value):
    return "" if value is None else str(value)


def rows(db, table, fields):
    return db.execute("SELECT %s FROM %s ORDER BY rowid" % (", ".join(fields), table)).fetchall()


def group_number(groups, name):
    upper = name.upper()
    for i, g in enumerate(groups):
        if g.upper() == upper:
            return i + 1
    return 0


def message_bytes(message, unicode):
    if unicode:
        return message.encode("utf-16-be")
    return message.encode("cp950", errors="replace")


def expected(path):
    db = sqlite3.connect("file:%s?mode=ro" % path, uri=True)
    try:
        groups = [text(g) for (g,) in rows(db, "UserGroups", ["GroupName"]) if text(g) != ""]
        phonebook = {}
        k = 0
        for phone, disabled, membership in rows(db, "Users", ["PhoneNumber", "IsDisable", "GroupName"]):
            number = text(phone).strip()
            digits = bytes(ord(c) if ord(c) < 0x80 else ord("?") for c in number)
            for element in text(membership).split("\r\n"):
                if element.strip() == "":
                    continue
                k += 1
                head = bytes([STATION, 0x50, 0x43, k & 0xFF, (len(digits) + 4) & 0xFF,
                              0x80 if truthy(disabled) else 0x00,
                              group_number(groups, element.strip()) & 0xFF, len(digits) & 0xFF, k & 0xFF])
                phonebook[k] = head + digits
        basic = rows(db, "Basic", ["IsUnicode"])
        unicode = truthy(basic[0][0]) if basic else False
        messages = {}
        for zone, target, alarm, reset, disabled in rows(
                db, "Zones", ["ZoneNo", "GroupName", "AlarmSMS", "ResetSMS", "IsDisable"]):
            target = text(target)
            group = ALL_GROUPS if target.upper() == "ALL" else (group_number(groups, target) or NO_GROUP)
            flags = 0x40 | (0x80 if truthy(disabled) else 0) | (0x01 if unicode else 0)
            for code, message in ((int(zone) + 1, text(alarm)), (int(zone) + 65, text(reset))):
                if message == "":
                    continue
                data = message_bytes(message, unicode)
                head = bytes([STATION, 0x50, 0x53, code & 0xFF, (len(data) + 4) & 0xFF, flags, group,
                              len(data) & 0xFF, 0x00])
                messages[code] = head + data
        return phonebook, messages
    finally:
        db.close()


def held(state):
    phonebook = {e["index"]: bytes.fromhex(e["record"]) for e in state.get("phonebook", [])}
    messages = {e["code"]: bytes.fromhex(e["record"]) for e in state.get("shortMessages", [])}
    return phonebook, messages


def first_difference(area, want, got):
    for key in sorted(set(want) | set(got)):
        if key not in got:
            return "%s %d: missing on the device (expected %s)" % (area, key, want[key].hex(" "))
        if key not in want:
            return "%s %d: on the device but not in the project (%s)" % (area, key, got[key].hex(" "))
        if want[key] != got[key]:
            return "%s %d: expected %s, device holds %s" % (area, key, want[key].hex(" "), got[key].hex(" "))
    return None


def main(argv):
    if len(argv) not in (2, 3):
        print(__doc__, file=sys.stderr)
        return 2
    try:
        phonebook, messages = expected(argv[1])
        if len(argv) == 2:
            print(json.dumps({"phonebook": [v.hex() for v in phonebook.values()],
                              "shortMessages": [v.hex() for v in messages.values()]}, indent=1))
            return 0
        with open(argv[2], encoding="utf-8") as f:
            got_phonebook, got_messages = held(json.load(f))
    except (OSError, ValueError, KeyError, sqlite3.Error) as e:
        print("oracle: %s" % e, file=sys.stderr)
        return 2
    for area, want, got in (("phonebook k", phonebook, got_phonebook),
                            ("message code", messages, got_messages)):
        difference = first_difference(area, want, got)
        if difference:
            print(difference)
            return 1
    print("equal: %d phonebook records, %d messages" % (len(phonebook), len(messages)))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
