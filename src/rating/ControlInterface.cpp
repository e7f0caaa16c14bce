#include "rating/ControlInterface.h"

#include "core/AppInfo.h"
#include "core/Text.h"
#include "db/CBDatabase.h"
#include "db/TableValues.h"

#include <algorithm>
#include <cstdlib>

namespace {

// Key columns hold their numbers as left-aligned text.
void StoreKeyNumber(TCBTable &table, const std::string &field, int32_t value)
{
    table.SetString(field, IntText(value));
}

} // namespace

void TControlSpec::LoadFromTable(const TCBTable &table)
{
    ID = TextInteger(table, "ID");
    ID2 = TextInteger(table, "ID2");
    FORM_ID = TextInteger(table, "FORM_ID");
    Index = TextInteger(table, "Index");
    Active = table.GetBoolean("Active");
    Caption = TrimmedString(table, "Caption");
    Name = TrimRight(table.GetString("Name"));
    Type = TextInteger(table, "Type");
    Left = TextInteger(table, "Left");
    Top = TextInteger(table, "Top");
    Height = TextInteger(table, "Height");
    Width = TextInteger(table, "Width");
    Tab_Order = TextInteger(table, "Tab_Order");
    Max_Length = TextInteger(table, "Max_Length");
    Decimals = TextInteger(table, "Decimals");
    Mask = TrimRight(table.GetString("Mask"));
    Enabled = table.GetBoolean("Enabled");
    Visible = table.GetBoolean("Visible");
    Read_Only = table.GetBoolean("Read_Only");
    Checked = table.GetBoolean("Checked");
    Value = table.GetDouble("Value");
    Data_Field = TextInteger(table, "Data_Field");
}

void TControlSpec::StoreInTable(TCBTable &table) const
{
    StoreKeyNumber(table, "ID", ID);
    StoreKeyNumber(table, "ID2", ID2);
    StoreKeyNumber(table, "FORM_ID", FORM_ID);
    table.SetInteger("Index", Index);
    table.SetBoolean("Active", Active);
    table.SetString("Caption", Caption);
    table.SetString("Name", Name);
    table.SetInteger("Type", Type);
    table.SetInteger("Left", Left);
    table.SetInteger("Top", Top);
    table.SetInteger("Height", Height);
    table.SetInteger("Width", Width);
    table.SetInteger("Tab_Order", Tab_Order);
    table.SetInteger("Max_Length", Max_Length);
    table.SetInteger("Decimals", Decimals);
    table.SetString("Mask", Mask);
    table.SetBoolean("Enabled", Enabled);
    table.SetBoolean("Visible", Visible);
    table.SetBoolean("Read_Only", Read_Only);
    table.SetBoolean("Checked", Checked);
    table.SetDouble("Value", Value);
    table.SetInteger("Data_Field", Data_Field);
}

void TComboItemData::LoadFromTable(const TCBTable &table)
{
    ID = TextInteger(table, "ID");
    Ctrl_ID = TextInteger(table, "Ctrl_ID");
    Form_ID = TextInteger(table, "Form_ID");
    Year = TextInteger(table, "Year");
    Index = TextInteger(table, "Index");
    Text = TrimmedString(table, "Text");
    Default = table.GetBoolean("Default");
    Data1 = table.GetDouble("Data1");
    Data2 = table.GetDouble("Data2");
    Data_Type = TextInteger(table, "Data_Type");
}

void TComboItemData::StoreInTable(TCBTable &table) const
{
    StoreKeyNumber(table, "ID", ID);
    StoreKeyNumber(table, "Ctrl_ID", Ctrl_ID);
    StoreKeyNumber(table, "Form_ID", Form_ID);
    StoreKeyNumber(table, "Year", Year);
    StoreKeyNumber(table, "Index", Index);
    table.SetString("Text", Text);
    table.SetBoolean("Default", Default);
    table.SetDouble("Data1", Data1);
    table.SetDouble("Data2", Data2);
    table.SetInteger("Data_Type", Data_Type);
}

TRatingControl::TRatingControl(TControlSpec spec)
    : m_spec(std::move(spec)),
      m_top(m_spec.Top),
      m_text(m_spec.Caption),
      m_checked(m_spec.Checked),
      m_storedValue(m_spec.Value),
      m_enabled(m_spec.Enabled),
      m_visible(m_spec.Visible)
{ }

std::string TRatingControl::Text() const
{
    if (Kind() == TControlKind::DropDownList || Kind() == TControlKind::ListBox) {
        const TComboItemData *entry = SelectedEntry();
        return entry != nullptr ? entry->Text : std::string();
    }
    return m_text;
}

void TRatingControl::SetText(std::string_view text)
{
    if (Kind() == TControlKind::DropDownList || Kind() == TControlKind::ListBox) {
        int32_t found = -1;
        for (size_t i = 0; i < m_entries.size(); ++i) {
            if (SameText(m_entries[i]->Text, Trim(text))) {
                found = static_cast<int32_t>(i);
                break;
            }
        }
        SetItemIndex(found);
        return;
    }
    if (m_text == text) {
        return;
    }
    m_text = std::string(text);
    Notify(Event::Change);
}

namespace {

bool ReadNumber(const std::string &text, double &value)
{
    return TryStrToFloat(ReplaceAll(ReplaceAll(Trim(text), ",", ""), "$", ""), value);
}

} // namespace

double TRatingControl::Number(double def) const
{
    double value = 0;
    return ReadNumber(Text(), value) ? value : def;
}

bool TRatingControl::HasNumber() const
{
    double value = 0;
    return ReadNumber(Text(), value);
}

void TRatingControl::SetChecked(bool checked)
{
    if (m_checked == checked) {
        return;
    }
    m_checked = checked;
    Notify(Event::Change);
}

void TRatingControl::SetValue(std::string_view text, bool checked)
{
    if (IsCheckBox()) {
        SetChecked(checked);
    } else {
        SetText(text);
    }
}

void TRatingControl::AddEntry(std::unique_ptr<TComboItemData> entry)
{
    m_entries.push_back(std::move(entry));
}

void TRatingControl::RemoveEntry(std::string_view text)
{
    for (size_t i = 0; i < m_entries.size(); ++i) {
        if (m_entries[i]->Text != text) {
            continue;
        }
        const auto at = static_cast<int32_t>(i);
        const bool selectionMoves = m_itemIndex >= at;
        if (m_defaultIndex == at) {
            m_defaultIndex = -1;
        } else if (m_defaultIndex > at) {
            --m_defaultIndex;
        }
        if (m_itemIndex == at) {
            m_itemIndex = -1;
        } else if (m_itemIndex > at) {
            --m_itemIndex;
        }
        m_entries.erase(m_entries.begin() + at);
        // A list shown on screen must lose the entry even when the value stays.
        Notify(selectionMoves ? Event::Change : Event::State);
        return;
    }
}

void TRatingControl::ClearEntries()
{
    const bool hadSelection = m_itemIndex >= 0;
    m_entries.clear();
    m_itemIndex = -1;
    m_defaultIndex = -1;
    if (hadSelection) {
        Notify(Event::Change);
    }
}

void TRatingControl::SetItemIndex(int32_t index)
{
    if (index < -1 || index >= static_cast<int32_t>(m_entries.size())) {
        index = -1;
    }
    if (index == m_itemIndex) {
        return;
    }
    m_itemIndex = index;
    Notify(Event::Change);
}

const TComboItemData *TRatingControl::SelectedEntry() const
{
    if (m_itemIndex < 0 || m_itemIndex >= static_cast<int32_t>(m_entries.size())) {
        return nullptr;
    }
    return m_entries[static_cast<size_t>(m_itemIndex)].get();
}

void TRatingControl::SetEnabled(bool enabled)
{
    if (m_enabled == enabled) {
        return;
    }
    m_enabled = enabled;
    Notify(Event::State);
}

void TRatingControl::SetVisible(bool visible)
{
    if (m_visible == visible) {
        return;
    }
    m_visible = visible;
    Notify(Event::State);
}

int TRatingControl::OnChange(THandler handler)
{
    return Subscribe(Event::Change, std::move(handler));
}

int TRatingControl::OnExit(THandler handler)
{
    return Subscribe(Event::Exit, std::move(handler));
}

int TRatingControl::OnStateChange(THandler handler)
{
    return Subscribe(Event::State, std::move(handler));
}

void TRatingControl::Unsubscribe(int id)
{
    std::erase_if(m_subscriptions, [id](const Subscription &s) { return s.id == id; });
}

void TRatingControl::NotifyExit()
{
    Notify(Event::Exit);
}

int TRatingControl::Subscribe(Event event, THandler handler)
{
    m_subscriptions.push_back(Subscription {++m_lastId, event, std::move(handler)});
    return m_lastId;
}

bool TRatingControl::NotifyRound(Event event)
{
    const std::shared_ptr<bool> alive = m_alive;
    // A handler may subscribe or unsubscribe while it runs: work on a copy.
    const std::vector<Subscription> subscriptions = m_subscriptions;
    for (const Subscription &s : subscriptions) {
        if (s.event == event && s.handler) {
            s.handler(*this);
            if (!*alive) {
                return false;
            }
        }
    }
    return true;
}

void TRatingControl::Notify(Event event)
{
    const unsigned bit = 1U << static_cast<unsigned>(event);
    if ((m_notifying & bit) != 0) {
        m_raisedAgain |= bit;
        return;
    }
    const std::shared_ptr<bool> alive = m_alive;
    m_notifying |= bit;
    m_raisedAgain &= ~bit;
    try {
        bool live = NotifyRound(event);
        if (live && (m_raisedAgain & bit) != 0) {
            m_raisedAgain &= ~bit;
            live = NotifyRound(event);
            if (live && (m_raisedAgain & bit) != 0) {
                AppLogLine("ControlInterface - Notify - " + Name() +
                           " - raised again while its handlers ran; not announced again");
            }
        }
    } catch (...) {
        if (*alive) {
            m_notifying &= ~bit;
            m_raisedAgain &= ~bit;
        }
        throw;
    }
    if (*alive) {
        m_notifying &= ~bit;
        m_raisedAgain &= ~bit;
    }
}

std::vector<TControlSpec> ReadControlSpecs(TCBTable &inputTable, int32_t stateId, int32_t rateSet,
                                           int32_t form)
{
    std::vector<TControlSpec> specs;
    const bool allForms = form < 0;
    if (allForms) {
        inputTable.Seek(KeyNumber(stateId) + KeyNumber(rateSet), "ID_ONLY");
    } else {
        inputTable.Seek(KeyNumber(stateId) + KeyNumber(rateSet) + KeyNumber(form) +
                            KeyNumberRightAligned(1, 3),
                        "ID_INDEX");
    }
    // A set whose first control is not number 1 still starts where the seek stopped.
    while (!inputTable.Eof()) {
        if (TextInteger(inputTable, "ID") != stateId || TextInteger(inputTable, "ID2") != rateSet ||
            (!allForms && TextInteger(inputTable, "FORM_ID") != form)) {
            break;
        }
        if (!inputTable.Deleted()) {
            TControlSpec spec;
            spec.LoadFromTable(inputTable);
            specs.push_back(std::move(spec));
        }
        inputTable.Next();
    }
    return specs;
}

TComboItemList ReadListEntries(TCBTable &dataTable, int32_t stateId, int32_t form,
                               int32_t controlIndex, int32_t rateSet)
{
    TComboItemList entries;
    const std::string listKey =
        KeyNumber(stateId) + KeyNumber(form) + KeyNumber(controlIndex) + KeyNumber(rateSet);
    for (int32_t n = 1; dataTable.Seek(listKey + KeyNumber(n), "ID_FRM_CTL"); ++n) {
        if (dataTable.Deleted()) {
            continue;
        }
        auto entry = std::make_unique<TComboItemData>();
        entry->LoadFromTable(dataTable);
        entries.push_back(std::move(entry));
    }
    return entries;
}

void TControlInterface::Build(TCBTable &inputTable, TCBTable &dataTable, bool raised,
                              int32_t rateSet, int32_t form, int32_t stateId)
{
    Clear();
    m_raised = raised;
    int32_t reference = 0; // top of the last visible control placed
    for (TControlSpec &spec : ReadControlSpecs(inputTable, stateId, rateSet, form)) {
        auto control = std::make_unique<TRatingControl>(std::move(spec));
        if (control->Spec().Active) {
            const int32_t top = control->Spec().Top;
            control->SetTop(top < 0 ? reference + std::abs(top) : top);
            if (control->Spec().Visible) {
                reference = control->Top();
            }
            if (control->IsDropDownList()) {
                TComboItemList entries = ReadListEntries(
                    dataTable, stateId, control->Spec().FORM_ID, control->Spec().Index, rateSet);
                std::string defaultText;
                bool hasDefault = false;
                for (const auto &entry : entries) {
                    if (entry->Default) {
                        defaultText = entry->Text;
                        hasDefault = true;
                    }
                }
                int32_t selected = -1;
                for (size_t i = 0; hasDefault && selected < 0 && i < entries.size(); ++i) {
                    if (SameText(entries[i]->Text, defaultText)) {
                        selected = static_cast<int32_t>(i);
                    }
                }
                for (auto &entry : entries) {
                    control->AddEntry(std::move(entry));
                }
                control->SetItemIndex(selected);
                control->SetDefaultIndex(selected);
            }
        }
        m_controls.push_back(std::move(control));
    }
}

TRatingControl *TControlInterface::FindControl(std::string_view name) const
{
    TRatingControl *found = nullptr;
    for (const auto &control : m_controls) {
        if (control->Spec().Active && SameText(control->Name(), name)) {
            found = control.get();
        }
    }
    return found;
}

void TControlInterface::RemoveControl(std::string_view name)
{
    TRatingControl *control = FindControl(name);
    if (control == nullptr) {
        return;
    }
    Free(std::find_if(m_controls.begin(), m_controls.end(),
                      [control](const auto &c) { return c.get() == control; }));
}

void TControlInterface::Free(std::vector<std::unique_ptr<TRatingControl>>::iterator at)
{
    if (m_onRemove) {
        m_onRemove(**at);
    }
    m_controls.erase(at);
}

const TControlSpec *TControlInterface::SpecificationOf(const TRatingControl *control) const
{
    for (const auto &c : m_controls) {
        if (c.get() == control) {
            return &c->Spec();
        }
    }
    return nullptr;
}

void TControlInterface::SetValue(TRatingControl &control, std::string_view text, bool checked)
{
    control.SetValue(text, checked);
}

const TComboItemData *TControlInterface::SelectedEntry(const TRatingControl *list) const
{
    return list != nullptr ? list->SelectedEntry() : nullptr;
}

void TControlInterface::AttachTiers(TRatingControl &control, std::unique_ptr<TTierList> tiers)
{
    control.AttachTiers(std::move(tiers));
}

void TControlInterface::Clear()
{
    // List entries go with their controls.
    while (!m_controls.empty()) {
        Free(m_controls.end() - 1);
    }
}

void TControlInterface::CopyInputSet(TCBTable &inputTable, TCBTable &dataTable, int32_t fromStateId,
                                     int32_t fromRateSet, int32_t newStateId, int32_t newRateSet)
{
    if (fromStateId == newStateId && fromRateSet == newRateSet) {
        return;
    }
    // Everything is read before the first append, so the copies never join the walk.
    const std::vector<TControlSpec> specs =
        ReadControlSpecs(inputTable, fromStateId, fromRateSet, -1);
    TComboItemList entries;
    dataTable.Seek(KeyNumber(fromStateId) + KeyNumber(fromRateSet), "ID_YEAR");
    while (!dataTable.Eof() && TextInteger(dataTable, "ID") == fromStateId &&
           TextInteger(dataTable, "Year") == fromRateSet) {
        if (!dataTable.Deleted()) {
            auto entry = std::make_unique<TComboItemData>();
            entry->LoadFromTable(dataTable);
            entries.push_back(std::move(entry));
        }
        dataTable.Next();
    }
    for (TControlSpec spec : specs) {
        spec.ID = newStateId;
        spec.ID2 = newRateSet;
        inputTable.AppendBlank();
        spec.StoreInTable(inputTable);
    }
    inputTable.Flush();
    for (const auto &entry : entries) {
        TComboItemData copy = *entry;
        copy.ID = newStateId;
        copy.Year = newRateSet;
        dataTable.AppendBlank();
        copy.StoreInTable(dataTable);
    }
    dataTable.Flush();
}
