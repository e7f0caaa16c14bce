#include "ui/PremiumDetail.h"

#include "core/Rounding.h"
#include "db/VereDivoDatabase.h"
#include "rating/VereDivoQuote.h"
#include "ui/InputWidgets.h"

#include <QLineEdit>
#include <QPushButton>

namespace {

constexpr int kMargin = 8;
constexpr int kCloseGap = 12; // between the total and the button
constexpr int kTotalPremiumValue = 16;

} // namespace

TfrmPremiumDetail::TfrmPremiumDetail(TVereDivoQuote &quote, QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmPremiumDetail"));
    setWindowTitle(QStringLiteral("Premium Detail"));
    setModal(true);

    pnlDetail = new QWidget(this);
    pnlDetail->setObjectName(QStringLiteral("pnlDetail"));
    TVereDivoDatabase &tables = quote.Application().Database();
    m_controls.Build(tables.Inputs(), tables.InputData(), false, quote.RatePeriod(), 2,
                     quote.StateId);
    const TRatingControl *bottom = nullptr;
    for (const auto &control : m_controls.Controls()) {
        if (!control->Spec().Active || control->Kind() != TControlKind::CurrencyField) {
            continue;
        }
        const int32_t number = RoundAmount(control->Spec().Value);
        control->SetText(quote.GetExportValue(number));
        if (number == kTotalPremiumValue) {
            bottom = control.get();
        }
    }
    m_widgets = std::make_unique<TInputWidgets>(m_controls, pnlDetail);
    const QSize content = m_widgets->ContentSize();
    pnlDetail->setGeometry(kMargin, kMargin, content.width(), content.height());

    btnClose = new QPushButton(QStringLiteral("&Close"), this);
    btnClose->setObjectName(QStringLiteral("btnClose"));
    btnClose->setDefault(true);
    connect(btnClose, &QPushButton::clicked, this, &QDialog::accept);
    const QSize button(96, 25);
    int top = kMargin + content.height() + kCloseGap;
    int right = kMargin + content.width();
    if (bottom != nullptr) {
        top = kMargin + bottom->Top() + bottom->Height() + kCloseGap;
        right = kMargin + bottom->Left() + bottom->Width();
    }
    btnClose->setGeometry(right - button.width(), top, button.width(), button.height());
    setFixedSize(kMargin + content.width() + kMargin, top + button.height() + kMargin);
    btnClose->setFocus();
}

TfrmPremiumDetail::~TfrmPremiumDetail() = default;

QString TfrmPremiumDetail::FigureText(int number) const
{
    for (const auto &control : m_controls.Controls()) {
        if (control->Spec().Active && control->Kind() == TControlKind::CurrencyField &&
            RoundAmount(control->Spec().Value) == number) {
            if (const auto *edit =
                    qobject_cast<const QLineEdit *>(m_widgets->WidgetOf(control.get()))) {
                return edit->text();
            }
        }
    }
    return {};
}
