#pragma once

#include <string>

// LibreOffice as a converter of documents: it turns the Office 2003 template (.DOC) into a
// DOCX the document layer fills, and filled documents into PDF.

// The soffice program: $VEREDIVO_SOFFICE when set, else "soffice" found on $PATH; empty when
// LibreOffice is not installed.
std::string FindLibreOffice();

// The message for a conversion that needs LibreOffice where none is installed.
std::string LibreOfficeMissingMessage(const std::string &what);

// Converts `input` into `output`, whose extension names the format ("docx", "doc", "pdf").
// LibreOffice runs headless with a profile of its own ($VEREDIVO_OFFICE_PROFILE, else
// $XDG_CACHE_HOME/veredivo/office-profile), one conversion at a time per profile, and is
// stopped after `timeoutSeconds`. The output appears whole or not at all. Raises
// EDocumentError saying why a conversion failed (LibreOffice missing included).
void ConvertWithLibreOffice(const std::string &input, const std::string &output,
                            int timeoutSeconds = 180);

// A template ready to be filled: a DOCX as it is; a .DOC converted once (kept in the temporary
// folder beside its size and time, so a changed template is converted again).
std::string FillableTemplate(const std::string &templatePath);
