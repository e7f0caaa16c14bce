#include "ui/RatingSnapshot.h"

#include "rating/ControlInterface.h"
#include "rating/VereDivoQuote.h"

std::vector<TInputValue> InputValues(const TControlInterface &controls)
{
    std::vector<TInputValue> values;
    for (const auto &control : controls.Controls()) {
        const TControlKind kind = control->Kind();
        if (!control->Spec().Active || kind == TControlKind::Label ||
            kind == TControlKind::Button) {
            continue;
        }
        values.push_back({control->Name(), control->Text(), control->Checked()});
    }
    return values;
}

void SetInputValues(const TControlInterface &controls, const std::vector<TInputValue> &values)
{
    for (const TInputValue &value : values) {
        if (TRatingControl *control = controls.FindControl(value.Name)) {
            control->SetValue(value.Text, value.Checked);
        }
    }
}

std::unique_ptr<TRatingSnapshot> TakeRatingSnapshot(const TVereDivoQuote &quote)
{
    auto snapshot = std::make_unique<TRatingSnapshot>();
    for (const TVereDivoClass *line : quote.Classes()) {
        auto copy = std::make_unique<TVereDivoClass>(line->CalcType);
        copy->CopyFrom(*line);
        snapshot->Classes.push_back(std::move(copy));
    }
    if (const TControlInterface *controls = quote.Controls()) {
        snapshot->Inputs = InputValues(*controls);
    }
    return snapshot;
}

void ApplyRatingSnapshot(TVereDivoQuote &quote, const TRatingSnapshot &snapshot)
{
    if (const TControlInterface *controls = quote.Controls()) {
        SetInputValues(*controls, snapshot.Inputs);
    }
    std::vector<const TVereDivoClass *> lines;
    for (const auto &line : snapshot.Classes) {
        lines.push_back(line.get());
    }
    quote.TakeOverClasses(lines);
}
