#!/usr/bin/python3
"""Writes a fixed corpus of damaged, foreign and hostile project files.

usage: make_corpus.py TEMPLATE OUTDIR [SEED]

Every file is made from the template filled with groups, contacts and zone messages, then
damaged in one way. OUTDIR/manifest.tsv lists each file with what opening it must give:
  open        opens; the last column is the number of contacts it must show
  damaged     refused as a damaged file
  notproject  refused as a file that is not a project
  any         either opens or is refused with one message (random damage)
Files with a journal or log beside them get it as NAME-wal or NAME-journal.
"""
import os
import random
import shutil
import sqlite3
import sys

template, out = sys.argv[1], sys.argv[2]
rng = random.Random(int(sys.argv[3]) if len(sys.argv) > 3 else 12)
os.makedirs(out, exist_ok=True)
manifest = []
base = os.path.join(out, "base.db")
CONTACTS = 40


def run(path, sql):
    con = sqlite3.connect(path)
    con.executescript(sql)
    con.commit()
    con.close()


def make_base():
    shutil.copyfile(template, base)
    groups = "".join(f"INSERT INTO UserGroups(GroupName,GroupDsc) VALUES('g{i}','組{i}');"
                     for i in range(4))
    users = "".join(
        f"INSERT INTO Users(UserName,PhoneNumber,IsDisable,UserDsc,GroupName) "
        f"VALUES('u{i}','09{i:08d}',{i % 2},'聯絡人{i}','g{i % 4}');" for i in range(CONTACTS))
    run(base, groups + users +
        "UPDATE Zones SET ZoneName='區'||ZoneNo, AlarmSMS='警報 zone '||ZoneNo,"
        " ResetSMS='復歸 zone '||ZoneNo||' reset message';"
        "UPDATE Basic SET CreatedBy='corpus', ProjectDsc='損壞測試';")


def new(name):
    path = os.path.join(out, name + ".cmb")
    shutil.copyfile(base, path)
    return path


def add(name, expect, count=""):
    manifest.append(f"{name}.cmb\t{expect}\t{count}")


def with_sql(name, expect, sql, count=""):
    run(new(name), sql)
    add(name, expect, CONTACTS if expect == "open" and count == "" else count)


def with_bytes(name, expect, data):
    with open(os.path.join(out, name + ".cmb"), "wb") as f:
        f.write(data)
    add(name, expect)


make_base()
raw = open(base, "rb").read()
page = int.from_bytes(raw[16:18], "big")
size = len(raw)

# Sound files and acceptable variations.
with_sql("sound", "open", "")
with_sql("extra-column", "open", "ALTER TABLE Users ADD COLUMN Extra TEXT;")
with_sql("extra-index", "open", "CREATE INDEX ix ON Users(UserName);")
with_sql("extra-table", "open", "CREATE TABLE Notes(x TEXT); INSERT INTO Notes VALUES('n');")
with_sql("null-model", "open", "UPDATE Basic SET DeviceModelName=NULL;")
with_sql("unknown-model", "open", "UPDATE Basic SET DeviceModelName='ZZ-9000';")
with_sql("null-fields", "open",
         "UPDATE Users SET PhoneNumber=NULL, UserDsc=NULL, GroupName=NULL;"
         "UPDATE Zones SET ZoneName=NULL, AlarmSMS=NULL, ResetSMS=NULL;"
         "UPDATE Basic SET CreatedDate=NULL, ModifiedDate=NULL;")
with_sql("wrong-types", "open",
         "UPDATE Users SET PhoneNumber=12345, IsDisable='maybe', UserName=x'00ff';"
         "UPDATE Zones SET ZoneNo='abc', AlarmSMS=3.5;"
         "UPDATE Basic SET CreatedDate='not a date', IsUnicode='yes';")
with_sql("empty-tables", "open", "DELETE FROM Users; DELETE FROM UserGroups; DELETE FROM Zones;",
         0)
with_sql("many-rows", "open",
         "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM n WHERE i<10000) "
         "INSERT INTO Users(UserName,PhoneNumber,IsDisable,UserDsc,GroupName) "
         "SELECT 'm'||i,'0911',0,'',''  FROM n;", CONTACTS + 10000)
with_sql("long-text-64k", "open", "UPDATE Basic SET ProjectDsc=printf('%.*c',60000,'x');")

# Foreign files and missing parts.
with_bytes("empty", "notproject", b"")
with_bytes("text", "notproject", b"[Comm]\r\nTimeOut=2\r\nRetry=3\r\n" * 40)
with_bytes("header-only", "damaged", raw[:100])
for i in range(6):
    with_bytes(f"random-{i}", "notproject",
               bytes(rng.getrandbits(8) for _ in range(rng.choice([17, 512, 4096, 20000]))))
for t in ("Basic", "UserGroups", "Users", "Zones"):
    with_sql(f"no-table-{t}", "notproject", f"DROP TABLE {t};")
for t, c in (("Basic", "DeviceModelName"), ("Users", "PhoneNumber"), ("Zones", "ResetSMS"),
             ("UserGroups", "GroupDsc")):
    with_sql(f"no-column-{t}-{c}", "notproject", f"ALTER TABLE {t} DROP COLUMN {c};")
with_sql("no-basic-row", "notproject", "DELETE FROM Basic;")
with_sql("table-renamed", "notproject", "ALTER TABLE Users RENAME TO People;")

# Code in the schema and huge values.
with_sql("trigger", "notproject",
         "CREATE TRIGGER t AFTER UPDATE ON Users BEGIN DELETE FROM Zones; END;")
with_sql("trigger-insert", "notproject",
         "CREATE TRIGGER t BEFORE INSERT ON Users BEGIN SELECT raise(ABORT,'no'); END;")
with_sql("view", "notproject", "CREATE VIEW v AS SELECT * FROM Users;")
with_sql("virtual-table", "notproject", "CREATE VIRTUAL TABLE r USING rtree(id,a,b);")
with_sql("generated-virtual", "notproject",
         "ALTER TABLE Zones ADD COLUMN G TEXT GENERATED ALWAYS AS "
         "(printf('%.*c',200000000,'x')) VIRTUAL;")
with_sql("generated-stored", "notproject",
         "CREATE TABLE Z2(a INT, b INT GENERATED ALWAYS AS (a*2) STORED);")
for i, (t, c) in enumerate((("Basic", "ProjectDsc"), ("Users", "UserDsc"), ("Zones", "AlarmSMS"),
                            ("UserGroups", "GroupDsc"))):
    with_sql(f"value-1mb-{t}", "notproject",
             f"UPDATE {t} SET {c}=printf('%.*c',1048576,'x') WHERE rowid=(SELECT min(rowid) "
             f"FROM {t});")

# Values the engine accepts but ours never hold.
with_sql("text-with-nul", "damaged", "UPDATE Zones SET ResetSMS=CAST(x'6162006364' AS TEXT);")
with_sql("text-not-utf8", "damaged", "UPDATE Users SET UserDsc=CAST(x'41c3284142' AS TEXT);")

# Truncated and extended files.
for cut in (1, 7, 100, page - 1, page, page + 1, size // 2, size - 100):
    if 0 < cut < size - 100 or cut in (1, 7, 100):
        with_bytes(f"short-{cut}", "damaged" if cut % page else "any", raw[:size - cut])
with_bytes("long-by-1", "damaged", raw + b"\0")
with_bytes("long-by-page", "any", raw + bytes(page))

# Zeroed pages and random damage.
for p in range(1, size // page):
    data = bytearray(raw)
    data[p * page:(p + 1) * page] = bytes(page)
    with_bytes(f"zero-page-{p}", "any", bytes(data))
for i in range(70):
    data = bytearray(raw)
    data[rng.randrange(size)] ^= 1 << rng.randrange(8)
    with_bytes(f"flip-1-{i}", "any", bytes(data))
for i in range(60):
    data = bytearray(raw)
    for _ in range(10):
        data[rng.randrange(size)] = rng.getrandbits(8)
    with_bytes(f"flip-10-{i}", "any", bytes(data))
for i in range(6):
    data = bytearray(raw)
    for _ in range(4):
        data[rng.randrange(100)] = rng.getrandbits(8)
    with_bytes(f"header-{i}", "any", bytes(data))

# A log or journal beside the file.
for i, sql in enumerate(("UPDATE Basic SET CreatedBy='wal'",
                         "INSERT INTO Users(UserName,PhoneNumber,IsDisable,UserDsc,GroupName) "
                         "VALUES('w','1',0,'','')")):
    path = new(f"wal-{i}")
    con = sqlite3.connect(path, isolation_level=None)
    con.execute("PRAGMA journal_mode=WAL")
    con.execute("PRAGMA wal_autocheckpoint=0")
    con.execute(sql)
    shutil.copyfile(path, path + ".tmp")
    shutil.copyfile(path + "-wal", path + "-wal.tmp")
    con.close()
    os.replace(path + ".tmp", path)
    os.replace(path + "-wal.tmp", path + "-wal")
    add(f"wal-{i}", "open", CONTACTS + i)
path = new("wal-garbage")
with open(path + "-wal", "wb") as f:
    f.write(bytes(rng.getrandbits(8) for _ in range(5000)))
add("wal-garbage", "open", CONTACTS)

for i in range(3):
    path = new(f"hot-journal-{i}")
    con = sqlite3.connect(path, isolation_level=None)
    con.execute("PRAGMA cache_size=2")
    con.execute("BEGIN")
    con.execute("UPDATE Users SET UserDsc=hex(randomblob(2000))")
    con.execute("DELETE FROM Zones WHERE ZoneNo > ?", (i * 10,))
    shutil.copyfile(path, path + ".tmp")
    shutil.copyfile(path + "-journal", path + "-journal.tmp")
    con.execute("ROLLBACK")
    con.close()
    os.replace(path + ".tmp", path)
    os.replace(path + "-journal.tmp", path + "-journal")
    add(f"hot-journal-{i}", "open", CONTACTS)
path = new("stale-journal-empty")
open(path + "-journal", "wb").close()
add("stale-journal-empty", "open", CONTACTS)
path = new("stale-journal-garbage")
with open(path + "-journal", "wb") as f:
    f.write(bytes(rng.getrandbits(8) for _ in range(3000)))
add("stale-journal-garbage", "open", CONTACTS)

os.remove(base)
with open(os.path.join(out, "manifest.tsv"), "w") as f:
    f.write("\n".join(manifest) + "\n")
print(len(manifest))
