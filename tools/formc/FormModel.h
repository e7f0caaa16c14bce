#pragma once

#include "forms/FormItems.h"

#include <cstdint>
#include <string>
#include <vector>

// Everything the three files of a form hold, as the program's readers see it. The compiler
// writes a model to the files and reads files back into a model; writing is a function of the
// model alone, so files written from a model read back into the same model and a decompiled
// form compiles to the same bytes.
struct TFormModel
{
    std::string Name;
    std::vector<TCrdDirective> Directives; // the "!QOR" lines, in order
    int32_t RecordLength = kFieldRecordPart3;
    int32_t SideCount = 0; // sides written to the .crd (each with all six section headers)

    std::vector<TShadeItem> Shades;
    std::vector<TBoxItem> Boxes;
    std::vector<TTextItem> Texts;
    std::vector<TImageItem> Images;
    std::vector<TBoxItem> Separators;
    std::vector<TUserImageItem> Slots;
    std::vector<TFieldItem> Fields;
    std::vector<TLogicItem> Rules;

    // The highest side any item or field names.
    int32_t HighestSide() const;
};

// Puts the artwork items in side order (stable) and gives them their running numbers, the
// texts their predecessors and font, the fields the form name: what reading the files gives.
void NormalizeModel(TFormModel &model);

// The three files' contents. The .crd is Windows-1252 text with CR LF line ends.
std::string CrdText(const TFormModel &model);
std::string CrfBytes(const TFormModel &model);
std::string LgcBytes(const TFormModel &model);

// Reads the three files of `name` in `folder` with the program's readers.
TFormModel ReadFormModel(const std::string &folder, const std::string &name);
// Reads a model from file contents held in memory.
TFormModel ModelFromBytes(const std::string &name, const std::string &crd, const std::string &crf,
                          const std::string &lgc);

// Writes the three files and reads them back; raises std::runtime_error naming the first item
// that would not read back as the model holds it (a comma in a slot name, a description too
// long for its record, a field number beyond 16 bits...).
void WriteFormFiles(const TFormModel &model, const std::string &folder);
// The check WriteFormFiles makes, on the contents alone.
void VerifyFormBytes(const TFormModel &model, const std::string &crd, const std::string &crf,
                     const std::string &lgc);
