#pragma once

#include "forms/FormDocument.h"

#include <string>

// The form data file of a filled form: one line per field, pages in order and the fields of each
// page in file order, "NAME=VALUE"; a circle box writes "X" when it is marked and nothing
// otherwise. Windows-1252 text.

// Reads a form data file into the form: the name is the text before the first "=", the value
// the text after it; a line whose field is not found is passed over (and counted), a circle box
// is marked when the value is not blank, every other field takes the value by its kind rules.
// ReadOnly flags are left as they are. Returns the number of lines passed over; a file that
// cannot be read raises EFormFileError, one that is no form data file (binary bytes, too
// large) the form data error, before any field changes.
int LoadFormData(TFormDocument &document, const std::string &path);

// The form data file's text for the form as it is filled.
std::string FormDataText(const TFormDocument &document);
// Writes it in place of the old file, durably and never half written; raises EFormFileError
// when the file cannot be written (the old file then stays as it was).
void SaveFormData(const TFormDocument &document, const std::string &path);
