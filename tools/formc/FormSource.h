#pragma once

#include "FormModel.h"

#include <string>

// The form source: one text file per form, UTF-8, one statement a line, "#" comments. See
// tools/formc/README.md for the statements.

// Reads a source file (and the files it includes). Raises std::runtime_error with the file,
// the line and what is wrong.
TFormModel ParseFormSource(const std::string &path);
// The same on text in memory; includes are looked up relative to `folder`.
TFormModel ParseFormSourceText(const std::string &text, const std::string &fileName,
                               const std::string &folder);

// The source of a model: every item written out, so that compiling it gives the model back.
std::string FormSourceText(const TFormModel &model);
