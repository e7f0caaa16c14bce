#include "ui/InputWidgets.h"

#include "core/Text.h"
#include "rating/ControlInterface.h"
#include "ui/QtText.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFocusEvent>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

const char *const kFixedCurrencyFormat = ",0.00;-,0.00";
constexpr double kMostWidthScale = 1.6;

// A number field: right-aligned, shown in its display format, and as the plain number while
// the agent edits it.
class TCurrencyEdit final : public QLineEdit
{
public:
    TCurrencyEdit(std::string format, int decimals, QWidget *parent)
        : QLineEdit(parent), m_format(std::move(format)), m_decimals(decimals)
    {
        setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    }

    // The model's text: a number, or anything typed that is none.
    void SetValueText(const std::string &text)
    {
        m_value = text;
        Show();
    }
    std::string ValueText() const { return m_editing ? FromQString(text()) : m_value; }

protected:
    void focusInEvent(QFocusEvent *event) override
    {
        if (!isReadOnly()) {
            m_editing = true;
            setText(ToQString(Trim(m_value)));
        }
        QLineEdit::focusInEvent(event);
    }
    void focusOutEvent(QFocusEvent *event) override
    {
        if (m_editing && event->reason() != Qt::ActiveWindowFocusReason &&
            event->reason() != Qt::PopupFocusReason) {
            m_value = FromQString(text());
            m_editing = false;
            Show();
        }
        QLineEdit::focusOutEvent(event);
    }

private:
    void Show()
    {
        if (m_editing) {
            if (FromQString(text()) != m_value) {
                setText(ToQString(m_value));
            }
            return;
        }
        double number = 0;
        const std::string plain = ReplaceAll(ReplaceAll(Trim(m_value), ",", ""), "$", "");
        // Text that holds no number is shown as it is, so nothing typed disappears.
        setText(ToQString(TryStrToFloat(plain, number) || plain.empty()
                              ? FormatFloat(m_format, number, m_decimals)
                              : m_value));
    }

    std::string m_format;
    int m_decimals;
    std::string m_value;
    bool m_editing = false;
};

// Focus moving inside the program, not the window losing it to a message box or a menu.
bool LeavesControl(const QFocusEvent *event)
{
    return event->reason() != Qt::ActiveWindowFocusReason &&
        event->reason() != Qt::PopupFocusReason && event->reason() != Qt::MenuBarFocusReason;
}

// Sets a flag for the time of a scope and puts the old value back.
class TFlagScope
{
public:
    explicit TFlagScope(bool &flag) : m_flag(flag), m_old(flag) { m_flag = true; }
    ~TFlagScope() { m_flag = m_old; }
    TFlagScope(const TFlagScope &) = delete;
    TFlagScope &operator=(const TFlagScope &) = delete;

private:
    bool &m_flag;
    bool m_old;
};

QString ItemText(const QComboBox *box, int i)
{
    return box->itemText(i);
}

QString ItemText(const QListWidget *list, int i)
{
    return list->item(i)->text();
}

template<typename TList>
bool SameEntries(const TList *list, const TRatingControl &control)
{
    const auto &entries = control.Entries();
    if (list->count() != static_cast<int>(entries.size())) {
        return false;
    }
    for (int i = 0; i < list->count(); ++i) {
        if (ItemText(list, i) != ToQString(entries[static_cast<size_t>(i)]->Text)) {
            return false;
        }
    }
    return true;
}

} // namespace

TInputWidgets::TInputWidgets(TControlInterface &controls, QWidget *parent)
    : QObject(parent), m_controls(controls)
{
    for (const auto &control : controls.Controls()) {
        if (!control->Spec().Active) {
            continue;
        }
        m_bindings.push_back(TBinding {control.get(), nullptr, {}, 0, 0});
        TBinding &binding = m_bindings.back();
        binding.Widget = MakeWidget(binding, parent);
    }
    for (TBinding &binding : m_bindings) {
        TRatingControl *control = binding.Control;
        binding.ChangeId = control->OnChange([this](TRatingControl &changed) {
            if (const TBinding *bound = BindingOf(changed)) {
                ShowModel(*bound);
            }
        });
        binding.StateId = control->OnStateChange([this](TRatingControl &changed) {
            if (const TBinding *bound = BindingOf(changed)) {
                ShowState(*bound);
            }
        });
        ShowModel(binding);
        ShowState(binding);
    }
    controls.OnRemove([this](TRatingControl &removed) { Forget(removed); });
    Place();
    SetTabOrder();
}

double TInputWidgets::WidthScale() const
{
    // The tables were laid out for a narrower font than the desktop's: widths grow as much as
    // the longest caption needs, so no caption is cut and the columns stay aligned.
    double scale = 1.0;
    for (const TBinding &binding : m_bindings) {
        const QWidget *widget = binding.Widget;
        const int width = binding.Control->Width();
        if (widget == nullptr || width <= 0) {
            continue;
        }
        int needed = 0;
        const QFontMetrics metrics(widget->font());
        switch (binding.Control->Kind()) {
        case TControlKind::Label:
            needed = metrics.horizontalAdvance(static_cast<const QLabel *>(widget)->text()) + 4;
            break;
        case TControlKind::CheckBox:
            needed = widget->sizeHint().width();
            break;
        default:
            break;
        }
        scale = std::max(scale, static_cast<double>(needed) / width);
    }
    return std::min(scale, kMostWidthScale);
}

void TInputWidgets::Place()
{
    m_scale = WidthScale();
    for (const TBinding &binding : m_bindings) {
        if (QWidget *widget = binding.Widget) {
            const TRatingControl &control = *binding.Control;
            widget->setGeometry(
                static_cast<int>(std::lround(control.Left() * m_scale)), control.Top(),
                static_cast<int>(std::lround(control.Width() * m_scale)), control.Height());
        }
    }
}

TInputWidgets::~TInputWidgets()
{
    m_controls.OnRemove({});
    for (TBinding &binding : m_bindings) {
        binding.Control->Unsubscribe(binding.ChangeId);
        binding.Control->Unsubscribe(binding.StateId);
        if (binding.Widget) {
            binding.Widget->removeEventFilter(this);
            delete binding.Widget;
        }
    }
}

QWidget *TInputWidgets::MakeWidget(TBinding &binding, QWidget *parent)
{
    TRatingControl &control = *binding.Control;
    const TControlSpec &spec = control.Spec();
    QWidget *widget = nullptr;
    switch (control.Kind()) {
    case TControlKind::Label: {
        auto *label = new QLabel(parent);
        label->setTextFormat(Qt::PlainText);
        widget = label;
        break;
    }
    case TControlKind::DropDownList: {
        auto *box = new QComboBox(parent);
        box->setFrame(m_controls.Raised());
        connect(box, &QComboBox::currentIndexChanged, this, [this, box](int index) {
            if (!m_showing) {
                if (TBinding *bound = BindingOf(box)) {
                    bound->Control->SetItemIndex(index);
                }
            }
        });
        widget = box;
        break;
    }
    case TControlKind::ListBox: {
        auto *list = new QListWidget(parent);
        connect(list, &QListWidget::currentRowChanged, this, [this, list](int row) {
            if (!m_showing) {
                if (TBinding *bound = BindingOf(list)) {
                    bound->Control->SetItemIndex(row);
                }
            }
        });
        widget = list;
        break;
    }
    case TControlKind::MaskedEdit:
    case TControlKind::Edit: {
        auto *edit = new QLineEdit(parent);
        if (control.Kind() == TControlKind::MaskedEdit) {
            binding.Mask = ConvertEditMask(spec.Mask);
            edit->setInputMask(binding.Mask.QtMask);
        }
        if (spec.Max_Length > 0 && binding.Mask.QtMask.isEmpty()) {
            edit->setMaxLength(spec.Max_Length);
        }
        edit->setReadOnly(spec.Read_Only);
        connect(edit, &QLineEdit::textEdited, this, [this, edit] {
            if (const TBinding *bound = BindingOf(edit)) {
                TakeFromWidget(*bound);
            }
        });
        widget = edit;
        break;
    }
    case TControlKind::CurrencyField:
    case TControlKind::CurrencyFieldFixed: {
        const bool fixed = control.Kind() == TControlKind::CurrencyFieldFixed;
        auto *edit = new TCurrencyEdit(fixed ? kFixedCurrencyFormat : spec.Mask,
                                       fixed ? 2 : spec.Decimals, parent);
        if (!fixed && spec.Read_Only) {
            edit->setReadOnly(true);
            // A figure the agent cannot change is not a stop on the way through the inputs.
            edit->setFocusPolicy(Qt::ClickFocus);
        }
        connect(edit, &QLineEdit::textEdited, this, [this, edit] {
            if (const TBinding *bound = BindingOf(edit)) {
                TakeFromWidget(*bound);
            }
        });
        widget = edit;
        break;
    }
    case TControlKind::CheckBox: {
        auto *check = new QCheckBox(parent);
        connect(check, &QCheckBox::toggled, this, [this, check](bool on) {
            if (!m_showing) {
                if (TBinding *bound = BindingOf(check)) {
                    bound->Control->SetChecked(on);
                }
            }
        });
        widget = check;
        break;
    }
    case TControlKind::Button: {
        auto *button = new QPushButton(parent);
        // A button holds no value: pressing it is the only thing it tells.
        connect(button, &QPushButton::clicked, this, [this, button] {
            if (TBinding *bound = BindingOf(button)) {
                bound->Control->NotifyExit();
            }
        });
        widget = button;
        break;
    }
    default: {
        // A kind the program does not know still shows its caption where the table puts it.
        auto *label = new QLabel(parent);
        label->setTextFormat(Qt::PlainText);
        widget = label;
        break;
    }
    }
    widget->setObjectName(ToQString(control.Name()));
    widget->installEventFilter(this);
    return widget;
}

void TInputWidgets::ShowModel(const TBinding &binding)
{
    QWidget *widget = binding.Widget;
    if (widget == nullptr) {
        return;
    }
    const TFlagScope showing(m_showing);
    TRatingControl &control = *binding.Control;
    const QString text = ToQString(control.Text());
    switch (control.Kind()) {
    case TControlKind::DropDownList: {
        auto *box = static_cast<QComboBox *>(widget);
        if (!SameEntries(box, control)) {
            box->clear();
            for (const auto &entry : control.Entries()) {
                box->addItem(ToQString(entry->Text));
            }
        }
        box->setCurrentIndex(control.ItemIndex());
        break;
    }
    case TControlKind::ListBox: {
        auto *list = static_cast<QListWidget *>(widget);
        if (!SameEntries(list, control)) {
            list->clear();
            for (const auto &entry : control.Entries()) {
                list->addItem(ToQString(entry->Text));
            }
        }
        list->setCurrentRow(control.ItemIndex());
        break;
    }
    case TControlKind::MaskedEdit:
    case TControlKind::Edit: {
        auto *edit = static_cast<QLineEdit *>(widget);
        const QString shown = binding.Mask.QtMask.isEmpty()
            ? edit->text()
            : MaskedText(edit->displayText(), binding.Mask);
        if (shown != text) {
            edit->setText(text);
        }
        break;
    }
    case TControlKind::CurrencyField:
    case TControlKind::CurrencyFieldFixed:
        static_cast<TCurrencyEdit *>(widget)->SetValueText(control.Text());
        break;
    case TControlKind::CheckBox: {
        auto *check = static_cast<QCheckBox *>(widget);
        check->setText(text);
        check->setChecked(control.Checked());
        break;
    }
    case TControlKind::Button:
        static_cast<QPushButton *>(widget)->setText(text);
        break;
    default:
        static_cast<QLabel *>(widget)->setText(text);
        break;
    }
}

void TInputWidgets::ShowState(const TBinding &binding)
{
    if (binding.Control->IsDropDownList() || binding.Control->Kind() == TControlKind::ListBox) {
        ShowModel(binding); // the entries may have changed
    }
    if (QWidget *widget = binding.Widget) {
        widget->setEnabled(binding.Control->Enabled());
        widget->setVisible(binding.Control->Visible());
    }
}

void TInputWidgets::TakeFromWidget(const TBinding &binding)
{
    const QWidget *widget = binding.Widget;
    if (m_showing || widget == nullptr) {
        return;
    }
    TRatingControl &control = *binding.Control;
    switch (control.Kind()) {
    case TControlKind::MaskedEdit:
    case TControlKind::Edit: {
        const auto *edit = static_cast<const QLineEdit *>(widget);
        control.SetText(FromQString(binding.Mask.QtMask.isEmpty()
                                        ? edit->text()
                                        : MaskedText(edit->displayText(), binding.Mask)));
        break;
    }
    case TControlKind::CurrencyField:
    case TControlKind::CurrencyFieldFixed:
        control.SetText(static_cast<const TCurrencyEdit *>(widget)->ValueText());
        break;
    default:
        break;
    }
}

bool TInputWidgets::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::FocusIn) {
        // Entering a box selects its text, so what is typed replaces the value.
        if (auto *edit = qobject_cast<QLineEdit *>(watched); edit && !edit->isReadOnly()) {
            QTimer::singleShot(0, edit, [edit] {
                if (edit->hasFocus()) {
                    edit->selectAll();
                }
            });
        }
    } else if (event->type() == QEvent::FocusOut &&
               LeavesControl(static_cast<QFocusEvent *>(event))) {
        if (TBinding *binding = BindingOf(watched)) {
            TakeFromWidget(*binding);
            // The exit may show a message or recalculate; the model may be gone afterwards.
            TRatingControl *control = binding->Control;
            control->NotifyExit();
        }
    }
    return QObject::eventFilter(watched, event);
}

TInputWidgets::TBinding *TInputWidgets::BindingOf(const QObject *object)
{
    for (TBinding &binding : m_bindings) {
        if (binding.Widget == object) {
            return &binding;
        }
    }
    return nullptr;
}

TInputWidgets::TBinding *TInputWidgets::BindingOf(const TRatingControl &control)
{
    for (TBinding &binding : m_bindings) {
        if (binding.Control == &control) {
            return &binding;
        }
    }
    return nullptr;
}

void TInputWidgets::Forget(TRatingControl &control)
{
    const auto found =
        std::find_if(m_bindings.begin(), m_bindings.end(),
                     [&control](const TBinding &b) { return b.Control == &control; });
    if (found == m_bindings.end()) {
        return;
    }
    control.Unsubscribe(found->ChangeId);
    control.Unsubscribe(found->StateId);
    if (QWidget *widget = found->Widget) {
        widget->removeEventFilter(this);
        widget->hide();
        // A removal may come from inside one of the widget's own signals.
        widget->deleteLater();
    }
    m_bindings.erase(found);
}

void TInputWidgets::SetTabOrder()
{
    const std::vector<QWidget *> order = TabOrder();
    for (size_t i = 1; i < order.size(); ++i) {
        QWidget::setTabOrder(order[i - 1], order[i]);
    }
}

std::vector<QWidget *> TInputWidgets::TabOrder() const
{
    std::vector<const TBinding *> sorted;
    for (const TBinding &binding : m_bindings) {
        if (binding.Widget && binding.Widget->focusPolicy() & Qt::TabFocus) {
            sorted.push_back(&binding);
        }
    }
    std::stable_sort(sorted.begin(), sorted.end(), [](const TBinding *a, const TBinding *b) {
        return a->Control->Spec().Tab_Order < b->Control->Spec().Tab_Order;
    });
    std::vector<QWidget *> widgets;
    for (const TBinding *binding : sorted) {
        widgets.push_back(binding->Widget);
    }
    return widgets;
}

QWidget *TInputWidgets::WidgetOf(const TRatingControl *control) const
{
    for (const TBinding &binding : m_bindings) {
        if (binding.Control == control) {
            return binding.Widget;
        }
    }
    return nullptr;
}

QWidget *TInputWidgets::WidgetNamed(const std::string &name) const
{
    return WidgetOf(m_controls.FindControl(name));
}

TRatingControl *TInputWidgets::ControlOf(const QWidget *widget) const
{
    for (const TBinding &binding : m_bindings) {
        if (binding.Widget == widget) {
            return binding.Control;
        }
    }
    return nullptr;
}

QSize TInputWidgets::ContentSize() const
{
    QSize size;
    for (const TBinding &binding : m_bindings) {
        if (const QWidget *widget = binding.Widget; widget && binding.Control->Visible()) {
            const QRect area = widget->geometry();
            size = size.expandedTo(QSize(area.right() + 1, area.bottom() + 1));
        }
    }
    return size;
}
