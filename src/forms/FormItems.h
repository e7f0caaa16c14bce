#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// The three files of a form definition and the item lists read from them. A form "NAME" is
// NAME.crd (text: artwork by side and section), NAME.crf (binary: fill-in fields) and NAME.lgc
// (binary: completion rules) in one folder. Every text is Windows-1252. Positions are held in
// hundredths of a column (1/10 inch) across and of a line (1/6 inch) down, from the top-left
// corner of the printable area.

// One font style set per character of a text (the canvas's style bits: bold 1, italic 2,
// underline 4, strike-out 8); the files underline only.
using TStringFontStyles = std::vector<uint8_t>;
inline constexpr uint8_t kStyleUnderline = 4;

struct TFormRect
{
    int32_t Left = 0;
    int32_t Top = 0;
    int32_t Right = 0;
    int32_t Bottom = 0;
    bool operator==(const TFormRect &) const = default;
};

struct TFormPoint
{
    int32_t X = 0;
    int32_t Y = 0;
    bool operator==(const TFormPoint &) const = default;
};

// Field kinds of the .crf records.
enum TFieldKind : uint8_t {
    fkText = 0,
    fkCheckBox = 1,
    fkRadioButton = 2,
    fkCircleBox = 3,
};

// Rule kinds of the .lgc records.
enum TRuleKind : int32_t {
    rkAtLeastOne = 0, // at least one member must have a value
    rkAllOrNone = 1, // if any member has a value, all must
};

class TFormItem
{
public:
    virtual ~TFormItem() = default;
    // For the .crd items the running number within its list, from 1; for fields the field
    // number of the record; rules use neither.
    int32_t Number = 0;
    int32_t Side = 0;
};

class TBoxItem : public TFormItem
{
public:
    TFormRect Rect;
    int32_t LineWidth = 0; // 1/300 inch
};

class TShadeItem : public TFormItem
{
public:
    TFormRect Rect;
    double Shade = 0; // fraction of black, 0 to 1
};

class TImageItem : public TFormItem
{
public:
    TFormRect Rect;
    std::string FileName;
};

class TUserImageItem : public TFormItem
{
public:
    TFormRect Rect;
    std::string SlotName;
    std::string SlotText;
    int32_t SlotValue = 0;
    bool IsStampSlot = false;
};

class TTextItem : public TFormItem
{
public:
    double FontSize = 0; // points
    bool Bold = false;
    bool Italic = false;
    bool Reverse = false; // white text
    std::string XExpression;
    int32_t Line = 0; // bottom of the text cell, hundredths of a line
    int32_t Alignment =
        0; // 0 left, 1 justified over Width, 2 centred in Width, 3 after predecessor
    int32_t Width = 0; // hundredths of a column
    std::string Text;
    TStringFontStyles Styles; // one entry per character of Text
    int32_t PreviousNumber = 0;
    std::string FontName;
    uint32_t Colour = 0; // 0xBBGGRR
};

class TFieldItem : public TFormItem
{
public:
    std::string FormName;
    std::string FieldName;
    TFormRect Rect;
    TFormPoint Origin; // top-left of the value text
    uint8_t Kind = fkText;
    int32_t LinkNumber = 0;
    bool Required = false;
    std::string Description;
    int32_t MaxLength = 0;
    bool AutoAdvance = false;
    uint8_t CaseMode = 0;
    uint8_t InputClass = 0;
    std::string ExtraName;
};

class TLogicItem : public TFormItem
{
public:
    int32_t RuleKind = rkAtLeastOne;
    std::vector<int16_t> FieldNumbers;
    std::string Message;
};

// The lines of a file as the form readers see them: split at CR LF, LF or CR.
std::vector<std::string> SplitFormLines(std::string_view bytes);
// The whole file; false when it cannot be read.
bool ReadFormFile(const std::string &path, std::string &bytes);

// Base of every item list: the folder of the form's files and the items, which it owns.
class TFormItems
{
public:
    // `folder` gets a trailing "/" when it has none.
    explicit TFormItems(std::string_view folder);
    virtual ~TFormItems();
    TFormItems(const TFormItems &) = delete;
    TFormItems &operator=(const TFormItems &) = delete;

    // Builds items from the lines of a .crd file (the .crd lists; the others ignore it).
    virtual void Parse(const std::vector<std::string> &lines);
    // Reads Folder + FormName + ".crd" and parses it; the field and rule lists read their own
    // files instead.
    virtual void Load(const std::string &formName);

    // Position of the item whose Number equals `number`; false when there is none.
    bool IndexOfNumber(int32_t number, size_t &index) const;

    const std::string &Folder() const { return m_folder; }
    size_t Count() const { return m_items.size(); }
    const TFormItem &Item(size_t index) const { return *m_items[index]; }
    void Clear() { m_items.clear(); }

protected:
    void Add(std::unique_ptr<TFormItem> item) { m_items.push_back(std::move(item)); }

private:
    std::string m_folder;
    std::vector<std::unique_ptr<TFormItem>> m_items;
};

// An item list of one item class.
template<class T>
class TFormItemList : public TFormItems
{
public:
    using TFormItems::TFormItems;
    const T &operator[](size_t index) const { return static_cast<const T &>(Item(index)); }
    std::vector<const T *> All() const
    {
        std::vector<const T *> items;
        for (size_t i = 0; i < Count(); ++i) {
            items.push_back(&(*this)[i]);
        }
        return items;
    }
};

class TShadeItems : public TFormItemList<TShadeItem>
{
public:
    using TFormItemList::TFormItemList;
    void Parse(const std::vector<std::string> &lines) override;
};

class TBoxItems : public TFormItemList<TBoxItem>
{
public:
    using TFormItemList::TFormItemList;
    void Parse(const std::vector<std::string> &lines) override;
};

class TTextItems : public TFormItemList<TTextItem>
{
public:
    using TFormItemList::TFormItemList;
    void Parse(const std::vector<std::string> &lines) override;
};

class TImageItems : public TFormItemList<TImageItem>
{
public:
    using TFormItemList::TFormItemList;
    void Parse(const std::vector<std::string> &lines) override;
};

// Separators are box-shaped items without a line width.
class TSeperatorItems : public TFormItemList<TBoxItem>
{
public:
    using TFormItemList::TFormItemList;
    void Parse(const std::vector<std::string> &lines) override;
};

class TUserImageItems : public TFormItemList<TUserImageItem>
{
public:
    using TFormItemList::TFormItemList;
    void Parse(const std::vector<std::string> &lines) override;
};

// Record lengths of the .crf layouts: the base part and the three extensions.
inline constexpr int32_t kFieldRecordBase = 56;
inline constexpr int32_t kFieldRecordPart1 = 158;
inline constexpr int32_t kFieldRecordPart2 = 166;
inline constexpr int32_t kFieldRecordPart3 = 198;

class TFieldItems : public TFormItemList<TFieldItem>
{
public:
    using TFormItemList::TFormItemList;
    // Reads Folder + FormName + ".crf"; a file that is missing or cannot be opened gives no
    // fields.
    void Load(const std::string &formName) override;
    // Reads the records of a .crf file held in memory.
    void ReadRecords(std::string_view bytes, const std::string &formName);
    // The record length the last file was read with (one of the four layouts).
    int32_t RecordLength() const { return m_recordLength; }

private:
    int32_t m_recordLength = kFieldRecordBase;
};

class TLogicItems : public TFormItemList<TLogicItem>
{
public:
    using TFormItemList::TFormItemList;
    // Reads Folder + FormName + ".lgc"; a file that is missing or cannot be opened gives no
    // rules.
    void Load(const std::string &formName) override;
    void ReadRules(std::string_view bytes);
};

// What the .crd readers share, for the compiler and the tests.
struct TCrdDirective
{
    std::string Name;
    std::string Value;
};
// The directive lines before "SIDE 1", in file order.
std::vector<TCrdDirective> CrdDirectives(const std::vector<std::string> &lines);
// The font face of every text of the form: the FONT directive (at most 30 characters), else
// "Helvetica".
std::string CrdFontName(const std::vector<std::string> &lines);
// Number of sides the readers take from the file.
int32_t CrdSideCount(const std::vector<std::string> &lines);

// One text line of the "FORM TEXT" section, parsed as the text reader parses it (Number,
// Side, PreviousNumber and FontName are left to the caller).
void ParseTextLine(std::string_view line, TTextItem &item);
