#pragma once

// The rating inputs of a quote as a headless control set. Each record of the input table
// describes one control; each record of the input data table one entry of a drop-down list.
// The control set reads them for (state, rate set, form) and keeps one control model per
// record: its value text, checked flag, selected list entry, attached tiers, enabled and
// visible flags. The quote finds controls by name and subscribes to their change and exit
// notifications; the window layer builds widgets from the same specifications, feeds what
// the user does into the models and follows their notifications to keep widgets in step.

#include "rating/TierPremium.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class TCBTable;

// Control kinds of the "Type" column.
enum class TControlKind : int32_t {
    Label = 1,
    DropDownList = 2, // fixed list style
    MaskedEdit = 3,
    ListBox = 4,
    Edit = 5,
    CurrencyField = 6, // `Decimals` places, display format `Mask`
    CurrencyFieldFixed = 7, // display format ",0.00;-,0.00"
    CheckBox = 8,
    Button = 9,
};

// One record of the input table.
struct TControlSpec
{
    int32_t ID = 0; // state number
    int32_t ID2 = 0; // rate set
    int32_t FORM_ID = 0; // 1 the adjustments panel, 2 the Premium Detail window
    int32_t Index = 0; // control number within the form; keys its list entries
    bool Active = false;
    std::string Caption; // trimmed
    std::string Name; // trailing blanks removed
    int32_t Type = 0;
    int32_t Left = 0;
    int32_t Top = 0; // negative: this many pixels below the last visible control placed
    int32_t Height = 0;
    int32_t Width = 0;
    int32_t Tab_Order = 0;
    int32_t Max_Length = 0;
    int32_t Decimals = 0;
    std::string Mask; // trailing blanks removed
    bool Enabled = false;
    bool Visible = false;
    bool Read_Only = false;
    bool Checked = false;
    double Value = 0; // form 2: the number of the export value shown
    int32_t Data_Field = 0;

    void LoadFromTable(const TCBTable &table);
    void StoreInTable(TCBTable &table) const;
};

// One record of the input data table: an entry of a drop-down list.
struct TComboItemData
{
    int32_t ID = 0; // state number
    int32_t Ctrl_ID = 0; // the control's Index
    int32_t Form_ID = 0;
    int32_t Year = 0; // rate set
    int32_t Index = 0; // entry number from 1
    std::string Text; // trimmed
    bool Default = false;
    double Data1 = 0;
    double Data2 = 0;
    int32_t Data_Type = 0;

    void LoadFromTable(const TCBTable &table);
    void StoreInTable(TCBTable &table) const;
};

using TComboItemList = std::vector<std::unique_ptr<TComboItemData>>;

// The model of one control.
class TRatingControl
{
public:
    using THandler = std::function<void(TRatingControl &)>;

    explicit TRatingControl(TControlSpec spec);
    ~TRatingControl() { *m_alive = false; }
    TRatingControl(const TRatingControl &) = delete;
    TRatingControl &operator=(const TRatingControl &) = delete;

    const TControlSpec &Spec() const { return m_spec; }
    const std::string &Name() const { return m_spec.Name; }
    TControlKind Kind() const { return static_cast<TControlKind>(m_spec.Type); }
    bool IsDropDownList() const { return Kind() == TControlKind::DropDownList; }
    bool IsCheckBox() const { return Kind() == TControlKind::CheckBox; }

    // Placement with a negative Top resolved.
    int32_t Left() const { return m_spec.Left; }
    int32_t Top() const { return m_top; }
    int32_t Width() const { return m_spec.Width; }
    int32_t Height() const { return m_spec.Height; }
    void SetTop(int32_t top) { m_top = top; }

    // The value as text: what an edit holds, the selected entry's text of a list, the caption
    // of a label, button or check box.
    std::string Text() const;
    // A list selects the first entry with that text (ignoring case; nothing when none has it).
    void SetText(std::string_view text);
    // The text read as a number (blanks, "$" and group separators allowed); `def` when the
    // text holds none.
    double Number(double def = 0) const;
    bool HasNumber() const;

    bool Checked() const { return m_checked; }
    void SetChecked(bool checked);

    // Sets the control from a stored value: a check box takes the flag, any other kind the text.
    void SetValue(std::string_view text, bool checked);

    // List entries, in entry order; -1 when nothing is selected.
    const TComboItemList &Entries() const { return m_entries; }
    void AddEntry(std::unique_ptr<TComboItemData> entry);
    void RemoveEntry(std::string_view text); // the first entry with that text
    void ClearEntries();
    int32_t ItemIndex() const { return m_itemIndex; }
    void SetItemIndex(int32_t index);
    const TComboItemData *SelectedEntry() const;
    // The entry selected when the list was filled (-1 for none) and whether it still is.
    int32_t DefaultIndex() const { return m_defaultIndex; }
    void SetDefaultIndex(int32_t index) { m_defaultIndex = index; }
    bool IsDefaultSelected() const { return m_itemIndex == m_defaultIndex; }

    // The stored value ("Value"); the quote may replace a marker with the looked-up value.
    double StoredValue() const { return m_storedValue; }
    void SetStoredValue(double value) { m_storedValue = value; }

    // A tier table the quote attached, or none.
    const TTierList *Tiers() const { return m_tiers.get(); }
    void AttachTiers(std::unique_ptr<TTierList> tiers) { m_tiers = std::move(tiers); }

    bool Enabled() const { return m_enabled; }
    void SetEnabled(bool enabled);
    bool Visible() const { return m_visible; }
    void SetVisible(bool visible);

    // Observers: a value change (text, checked flag or selection), the user leaving the
    // control, and a change of the enabled or visible flag or of the list entries around an
    // unchanged selection. Each returns an id for
    // Unsubscribe. Handlers run in the order they subscribed.
    //
    // What a handler may do while it runs:
    // - read and change any control, this one included. A notification of a control raised
    //   while the same notification of that control is being handled is not nested: when the
    //   running round ends, every handler hears of it once more (so all of them see the final
    //   value); a change raised in that second round is not announced again, but logged, so
    //   two handlers that keep changing each other's values cannot loop. Notifications of other
    //   controls, and the other kinds of this one (a change from an exit handler), run at once.
    // - subscribe and unsubscribe; the running round calls the handlers it started with.
    // - remove any control through its control set, this one included; the handlers of a
    //   removed control that have not run yet are not called.
    int OnChange(THandler handler);
    int OnExit(THandler handler);
    int OnStateChange(THandler handler);
    void Unsubscribe(int id);
    // The window calls this when the user leaves the control.
    void NotifyExit();

private:
    enum class Event { Change, Exit, State };
    struct Subscription
    {
        int id;
        Event event;
        THandler handler;
    };

    int Subscribe(Event event, THandler handler);
    void Notify(Event event);
    // Runs the handlers of one event once; false when the control was freed by one of them.
    bool NotifyRound(Event event);

    TControlSpec m_spec;
    int32_t m_top = 0;
    std::string m_text;
    bool m_checked = false;
    TComboItemList m_entries;
    int32_t m_itemIndex = -1;
    int32_t m_defaultIndex = -1;
    double m_storedValue = 0;
    std::unique_ptr<TTierList> m_tiers;
    bool m_enabled = false;
    bool m_visible = false;
    std::vector<Subscription> m_subscriptions;
    int m_lastId = 0;
    // The events whose handlers are running, and those raised again meanwhile (bit per Event).
    unsigned m_notifying = 0;
    unsigned m_raisedAgain = 0;
    // Cleared when the control is freed; a handler that freed it leaves Notify at once.
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};

class TControlInterface
{
public:
    TControlInterface() = default;
    TControlInterface(const TControlInterface &) = delete;
    TControlInterface &operator=(const TControlInterface &) = delete;

    // Clears the set and reads the controls of (stateId, rateSet, form). A negative form reads
    // every form of the state and rate set. `raised` asks the window for raised edit borders.
    void Build(TCBTable &inputTable, TCBTable &dataTable, bool raised, int32_t rateSet,
               int32_t form, int32_t stateId);
    bool Raised() const { return m_raised; }

    // Every control read, in read order (inactive ones included, marked by their spec).
    const std::vector<std::unique_ptr<TRatingControl>> &Controls() const { return m_controls; }
    // The active control of that name, ignoring case (the last one when several match).
    TRatingControl *FindControl(std::string_view name) const;
    // Frees the control; unknown names do nothing. The window hears of it first.
    void RemoveControl(std::string_view name);
    const TControlSpec *SpecificationOf(const TRatingControl *control) const;
    void SetValue(TRatingControl &control, std::string_view text, bool checked);
    const TComboItemData *SelectedEntry(const TRatingControl *list) const;
    void AttachTiers(TRatingControl &control, std::unique_ptr<TTierList> tiers);
    void Clear();

    // The window follows removals (the quote removes controls it does not use after the
    // widgets were built) with this observer; it runs before the control is freed.
    void OnRemove(TRatingControl::THandler handler) { m_onRemove = std::move(handler); }

    // Appends a copy of the input set (fromStateId, fromRateSet) under (newStateId,
    // newRateSet) to both tables, list entries included. The controls of this set are not
    // touched.
    static void CopyInputSet(TCBTable &inputTable, TCBTable &dataTable, int32_t fromStateId,
                             int32_t fromRateSet, int32_t newStateId, int32_t newRateSet);

private:
    void Free(std::vector<std::unique_ptr<TRatingControl>>::iterator at);

    std::vector<std::unique_ptr<TRatingControl>> m_controls;
    TRatingControl::THandler m_onRemove;
    bool m_raised = false;
};

// Reads the specifications of an input set in index order; a negative form reads all forms.
std::vector<TControlSpec> ReadControlSpecs(TCBTable &inputTable, int32_t stateId, int32_t rateSet,
                                           int32_t form);
// The entries of one drop-down list, entry 1, 2, ... until the first missing number.
TComboItemList ReadListEntries(TCBTable &dataTable, int32_t stateId, int32_t form,
                               int32_t controlIndex, int32_t rateSet);
