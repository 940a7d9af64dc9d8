#!/usr/bin/env python3
"""Build the expected clipboard text of one record of "0_Data_Input".

Usage: expected_line.py DB_FILE RECORD_ID WITH_TITLE(0|1) OUT_PREFIX
Reads the record's fields with the sqlite3 command-line tool and writes
OUT_PREFIX.big5 (the Big5 bytes) and OUT_PREFIX.utf8 (the same text in UTF-8).
Exit 2 when the record's CJ_Code is empty or longer than 5 bytes (no export).
"""
import subprocess
import sys

FIELDS = ["CJ_Code", "B5_Word", "Li_Chang_B", "Li_Chang", "Xian_Xiang_B", "Xian_Xiang",
          "Ren_Zhi_B", "Ren_Zhi", "Si_Bei_B", "Si_Bei", "8_XI_B", "Gai_Nian",
          "Gai_Nian_Hex", "CJ_Input"]

def read_values(db, rec_id):
    # One field per query keeps values with any character intact (hex of the UTF-8 text).
    values = {}
    for name in FIELDS:
        hexed = subprocess.run(
            ["sqlite3", db, 'SELECT hex(CAST(IFNULL("%s", \'\') AS BLOB)) FROM "0_Data_Input" '
             'WHERE ID = %d' % (name, rec_id)],
            check=True, capture_output=True, text=True).stdout.strip()
        values[name] = bytes.fromhex(hexed).decode("utf-8").encode("cp950")
    return values

F = "\u3000".encode("cp950")  # A1 40
H = b" "
FILL = {1: F + F + F + H, 2: F + F + F, 3: F + F + H, 4: F + F, 5: F + H}


def lower_az(data):
    return bytes(b + 32 if 0x41 <= b <= 0x5A else b for b in data)


def build_line(v, with_title):
    """The Big5 bytes of the export line of field values v (Big5 bytes each); None when no export."""
    n = len(v["CJ_Code"])
    if n not in FILL:
        return None
    line = (F + v["B5_Word"] + F
            + v["Li_Chang_B"] + H + v["Li_Chang"] + F
            + v["Xian_Xiang_B"] + H + v["Xian_Xiang"] + F
            + v["Ren_Zhi_B"] + H + v["Ren_Zhi"] + F
            + v["Si_Bei_B"] + v["Si_Bei"] + F
            + v["8_XI_B"] + H + v["Gai_Nian"] + F
            + v["Gai_Nian_Hex"] + v["Gai_Nian"] + F
            + lower_az(v["CJ_Code"]) + FILL[n]
            + v["CJ_Input"])
    if with_title:
        title = "選字　立場觀　現象族　認知類　四別屬　八種細目　基本概念　倉頡碼　基　因　定　義"
        line = title.encode("cp950") + b"\r\n" + line
    return line


if __name__ == "__main__":
    db, rec_id, with_title, out = sys.argv[1], int(sys.argv[2]), sys.argv[3] == "1", sys.argv[4]
    line = build_line(read_values(db, rec_id), with_title)
    if line is None:
        sys.exit(2)
    with open(out + ".big5", "wb") as f:
        f.write(line)
    with open(out + ".utf8", "wb") as f:
        f.write(line.decode("cp950").encode("utf-8"))
