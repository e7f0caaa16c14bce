#pragma once

// The widgets of a rating input set. One widget per active control of a control set, placed on
// a panel where the input table puts it, named after the control, and kept in step with the
// control's model both ways: what the agent types, picks or ticks goes into the model (whose
// change notifications the quote follows), leaving a widget raises the model's exit
// notification, and whatever the quote sets in the model (a text, a selection, enabled,
// visible, an entry removed) shows at once. A control the quote removes takes its widget along.

#include "ui/DisplayFormat.h"

#include <QObject>
#include <QPointer>
#include <QSize>

#include <string>
#include <vector>

class QWidget;
class TControlInterface;
class TRatingControl;

class TInputWidgets final : public QObject
{
    Q_OBJECT

public:
    // Builds a widget for every active control of `controls` on `parent`.
    TInputWidgets(TControlInterface &controls, QWidget *parent);
    // Takes the widgets away and stops following the models.
    ~TInputWidgets() override;
    TInputWidgets(const TInputWidgets &) = delete;
    TInputWidgets &operator=(const TInputWidgets &) = delete;

    QWidget *WidgetOf(const TRatingControl *control) const;
    // The widget of the control of that name (ignoring case), or none.
    QWidget *WidgetNamed(const std::string &name) const;
    TRatingControl *ControlOf(const QWidget *widget) const;
    // Every widget, in tab order.
    std::vector<QWidget *> TabOrder() const;
    // The extent of the visible widgets: right and bottom edge.
    QSize ContentSize() const;
    // How much wider than the table's pixels the widgets are placed, for the desktop's font.
    double Scale() const { return m_scale; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct TBinding
    {
        TRatingControl *Control = nullptr;
        QPointer<QWidget> Widget;
        TEditMask Mask;
        int ChangeId = 0;
        int StateId = 0;
    };

    QWidget *MakeWidget(TBinding &binding, QWidget *parent);
    void ShowModel(const TBinding &binding);
    void ShowState(const TBinding &binding);
    void TakeFromWidget(const TBinding &binding);
    TBinding *BindingOf(const QObject *object);
    TBinding *BindingOf(const TRatingControl &control);
    void Forget(TRatingControl &control);
    void SetTabOrder();
    double WidthScale() const;
    void Place();

    TControlInterface &m_controls;
    std::vector<TBinding> m_bindings;
    // Set while a model change is shown in a widget, so the widget's signal does not feed it
    // back.
    bool m_showing = false;
    double m_scale = 1.0;
};
