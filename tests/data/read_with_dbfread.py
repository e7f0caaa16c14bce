#!/usr/bin/python3
"""Reads every delivered table with Debian's python3-dbfread and compares it with its sources.

    read_with_dbfread.py SOURCE_TABLES_FOLDER PROGRAM_DATA_FOLDER

Each table must have the fields of its schema (name, type, width, decimals) and exactly the
rows of its CSV, value for value. Exits non-zero with one line per difference.
"""
import csv
import datetime
import os
import re
import sys

import dbfread


def read_schema(path):
    table, fields = None, []
    for line in open(path, encoding='utf-8'):
        line = re.sub(r'(^|\s)#.*$', '', line).strip()
        words = line.split()
        if not words:
            continue
        if words[0] == 'table':
            table = words[1]
        elif words[0] == 'field':
            kind = words[2]
            width = int(words[3]) if len(words) > 3 else {'L': 1, 'D': 8, 'M': 10}[kind]
            decimals = int(words[4]) if len(words) > 4 else 0
            fields.append((words[1], kind, width, decimals))
    return table, fields


def read_rows(path):
    if not os.path.exists(path):
        return []
    with open(path, encoding='utf-8', newline='') as f:
        rows = list(csv.reader(f))
    header = [name.upper() for name in rows[0]]
    return [{name: value for name, value in zip(header, row) if not name.startswith('#')} for row in rows[1:]]


def expected_value(kind, text):
    if kind == 'C' or kind == 'M':
        return text.rstrip()
    if kind in 'NF':
        return None if text.strip() == '' else float(text)
    if kind == 'L':
        return {'T': True, 'Y': True, 'F': False, 'N': False}.get(text.strip().upper())
    if kind == 'D':
        if text.strip() == '':
            return None
        if '/' in text:
            return datetime.datetime.strptime(text, '%m/%d/%Y').date()
        return datetime.datetime.strptime(text, '%Y%m%d').date()
    raise ValueError(kind)


def same(kind, read, expected):
    if kind == 'C' or kind == 'M':
        return (read or '').rstrip() == expected
    if kind in 'NF' and read is not None and expected is not None:
        return abs(read - expected) < 1e-9
    return read == expected


def check_table(schema_path, data_folder):
    problems = []
    table_file, fields = read_schema(schema_path)
    path = os.path.join(data_folder, table_file)
    if not os.path.exists(path):
        return [f'{table_file}: missing']
    table = dbfread.DBF(path, encoding='cp1252', char_decode_errors='strict', load=True)
    read_fields = [(f.name.upper(), f.type, f.length, f.decimal_count) for f in table.fields]
    want_fields = [(name.upper(), kind, width, decimals) for name, kind, width, decimals in fields]
    if read_fields != want_fields:
        problems.append(f'{table_file}: fields {read_fields} instead of {want_fields}')
        return problems
    rows = read_rows(schema_path[:-len('.schema')] + '.csv')
    if len(table.records) != len(rows):
        problems.append(f'{table_file}: {len(table.records)} records instead of {len(rows)}')
    if table.deleted:
        problems.append(f'{table_file}: {len(table.deleted)} deleted records')
    for number, (record, row) in enumerate(zip(table.records, rows), start=1):
        for name, kind, _, _ in fields:
            values = {key.upper(): value for key, value in record.items()}
            expected = expected_value(kind, row.get(name.upper(), ''))
            if not same(kind, values[name.upper()], expected):
                problems.append(f'{table_file} record {number} {name}: {values[name.upper()]!r} '
                                f'instead of {expected!r}')
    return problems


def main():
    source, data = sys.argv[1], sys.argv[2]
    schemas = sorted(f for f in os.listdir(source) if f.endswith('.schema'))
    problems = []
    for schema in schemas:
        problems += check_table(os.path.join(source, schema), data)
    for problem in problems:
        print(problem)
    print(f'{len(schemas)} tables read, {len(problems)} differences')
    return 1 if problems or not schemas else 0


if __name__ == '__main__':
    sys.exit(main())
