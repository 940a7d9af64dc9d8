#!/usr/bin/env python3
"""Build the expected clipboard bytes of one record straight from an Access (Jet 3) file.

Usage: expected_line_from_jet.py JET_FILE RECORD_ID OUT_FILE
The field values are the bytes stored in the Jet file, read with mdb-export told to pass
every byte through (Latin-1 in and out), so the expectation does not depend on the import
or on any Big5 codec. Exit 2 when the record has no export line.
"""
import csv
import io
import os
import subprocess
import sys

from expected_line import FIELDS, build_line

jet, rec_id, out = sys.argv[1], sys.argv[2], sys.argv[3]
env = dict(os.environ, MDB_JET3_CHARSET="ISO-8859-1", MDBICONV="ISO-8859-1")
exported = subprocess.run(["mdb-export", jet, "0_Data_Input"], check=True, capture_output=True, env=env).stdout
rows = csv.DictReader(io.StringIO(exported.decode("latin-1"), newline=""))
record = next((row for row in rows if row["ID"] == rec_id), None)
if record is None:
    sys.exit("no record %s in %s" % (rec_id, jet))
line = build_line({name: record[name].encode("latin-1") for name in FIELDS}, False)
if line is None:
    sys.exit(2)
with open(out, "wb") as f:
    f.write(line)
