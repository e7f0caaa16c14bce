#!/usr/bin/env python3
"""Prints the form fields of a DOCX file in document order, one a line:
number, kind, name and result separated by tabs (tabs and line breaks of a result as \\t, \\n).

    read_form_fields.py FILE.docx

An independent reading for the tests: Python's zip and XML libraries, not the program's.
"""
import sys
import zipfile
import xml.etree.ElementTree as ET

W = "{http://schemas.openxmlformats.org/wordprocessingml/2006/main}"
SKIP = {W + "del", W + "moveFrom", W + "txbxContent",
        "{http://schemas.openxmlformats.org/markup-compatibility/2006}Fallback"}


def run_text(run):
    out = ""
    for part in run:
        if part.tag == W + "t":
            out += part.text or ""
        elif part.tag == W + "tab":
            out += "\t"
        elif part.tag in (W + "br", W + "cr"):
            out += "\n"
    return out


def main():
    root = ET.fromstring(zipfile.ZipFile(sys.argv[1]).read("word/document.xml"))
    slots = []   # entries in document order; None for fields that are not form fields
    stack = []   # open complex fields: dict(slot, instr, separated, data, result)

    def walk(node):
        for child in node:
            if child.tag in SKIP:
                continue
            if child.tag == W + "sdt":
                props = child.find(W + "sdtPr")
                tag = props.find(W + "tag") if props is not None else None
                name = tag.get(W + "val") if tag is not None else ""
                content = child.find(W + "sdtContent")
                placeholder = props is not None and props.find(W + "showingPlcHdr") is not None
                text = ""
                if content is not None and not placeholder:
                    text = "".join(run_text(r) for r in content.iter(W + "r"))
                slots.append(["control", name, text])
                if content is not None:
                    walk(content)
                continue
            if child.tag == W + "r":
                structural = False
                for part in child:
                    if part.tag == W + "fldChar":
                        structural = True
                        kind = part.get(W + "fldCharType")
                        if kind == "begin":
                            stack.append({"slot": len(slots), "instr": "", "separated": False,
                                          "data": part.find(W + "ffData"), "result": ""})
                            slots.append(None)
                        elif kind == "separate" and stack:
                            stack[-1]["separated"] = True
                        elif kind == "end" and stack:
                            field = stack.pop()
                            words = field["instr"].split()
                            first = words[0].upper() if words else ""
                            if first in ("FORMTEXT", "FORMCHECKBOX", "FORMDROPDOWN"):
                                data = field["data"]
                                name_node = data.find(W + "name") if data is not None else None
                                name = name_node.get(W + "val") if name_node is not None else ""
                                result = field["result"]
                                if first == "FORMCHECKBOX":
                                    box = data.find(W + "checkBox")
                                    checked = box.find(W + "checked")
                                    state = checked if checked is not None else box.find(W + "default")
                                    value = state.get(W + "val", "1") if state is not None else "0"
                                    result = "0" if value in ("0", "false") else "1"
                                elif first == "FORMDROPDOWN":
                                    lst = data.find(W + "ddList")
                                    chosen = lst.find(W + "result")
                                    index = int(chosen.get(W + "val")) if chosen is not None else 0
                                    entries = lst.findall(W + "listEntry")
                                    result = entries[index].get(W + "val") if entries else ""
                                kind_name = {"FORMTEXT": "text", "FORMCHECKBOX": "check",
                                             "FORMDROPDOWN": "list"}[first]
                                slots[field["slot"]] = [kind_name, name, result]
                    elif part.tag == W + "instrText":
                        structural = True
                        if stack and not stack[-1]["separated"]:
                            stack[-1]["instr"] += part.text or ""
                if not structural and stack and stack[-1]["separated"]:
                    stack[-1]["result"] += run_text(child)
                continue
            walk(child)

    walk(root.find(W + "body"))
    number = 0
    for slot in slots:
        if slot is None:
            continue
        number += 1
        kind, name, result = slot
        result = result.replace("\t", "\\t").replace("\n", "\\n")
        sys.stdout.write(f"{number}\t{kind}\t{name}\t{result}\n")


if __name__ == "__main__":
    main()
