#include "forms/FormViewer.h"

#include "core/Encoding.h"
#include "core/Text.h"
#include "forms/AbortForm.h"
#include "forms/FormNumbers.h"
#include "forms/OutputPrinter.h"
#include "printing/QtCanvas.h"

#include <QApplication>
#include <QCheckBox>
#include <QContextMenuEvent>
#include <QDialogButtonBox>
#include <QFontMetricsF>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPainter>
#include <QPrinter>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace {

QString ToQt(const std::string &text)
{
    return QString::fromStdString(Windows1252ToUtf8(text));
}

std::string FromQt(const QString &text)
{
    return Utf8ToWindows1252(text.toStdString());
}

QColor ToColor(TCanvasColor colour)
{
    return {colour.R, colour.G, colour.B};
}

} // namespace

// --- Dialogs ----------------------------------------------------------------------------------

TfrmRequirements::TfrmRequirements(QWidget *parent, const std::string &message,
                                   const std::vector<std::string> &names)
    : QDialog(parent)
{
    setObjectName("frmRequirements");
    setWindowTitle("Required Fields");
    auto *layout = new QVBoxLayout(this);
    lblMessage = new QLabel(ToQt(message), this);
    lblMessage->setObjectName("lblMessage");
    lblMessage->setWordWrap(true);
    layout->addWidget(lblMessage);
    lstFields = new QListWidget(this);
    lstFields->setObjectName("lstFields");
    for (const std::string &name : names) {
        lstFields->addItem(ToQt(name));
    }
    lstFields->setMinimumHeight(60);
    lstFields->setMaximumHeight(names.size() > 1 ? 160 : 40);
    layout->addWidget(lstFields);
    lblNote = new QLabel("Required fields will be highlighted when you click Close", this);
    lblNote->setObjectName("lblNote");
    layout->addWidget(lblNote);
    chkIgnore = new QCheckBox("Ignore Requirements", this);
    chkIgnore->setObjectName("chkIgnore");
    layout->addWidget(chkIgnore);
    btnClose = new QPushButton("&Close", this);
    btnClose->setObjectName("btnClose");
    btnClose->setDefault(true);
    auto *buttons = new QHBoxLayout();
    buttons->addStretch();
    buttons->addWidget(btnClose);
    layout->addLayout(buttons);
    connect(btnClose, &QPushButton::clicked, this, &QDialog::accept);
    setMinimumWidth(420);
}

TFieldInfo::TFieldInfo(QWidget *parent, const TFormField &field) : QDialog(parent)
{
    setObjectName("FieldInfo");
    setWindowTitle("Field Information");
    auto *layout = new QVBoxLayout(this);
    lblName = new QLabel(ToQt(field.FieldName), this);
    lblName->setObjectName("lblName");
    layout->addWidget(lblName);
    lblKind = new QLabel(ToQt(field.KindName()), this);
    lblKind->setObjectName("lblKind");
    layout->addWidget(lblKind);
    lstGroup = new QListWidget(this);
    lstGroup->setObjectName("lstGroup");
    if (field.Kind == fkRadioButton) {
        for (const TFormField *member : field.RingMembers()) {
            lstGroup->addItem(ToQt(member->FieldName));
        }
    }
    lstGroup->setVisible(field.Kind == fkRadioButton);
    layout->addWidget(lstGroup);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons);
}

void TPrintOptions::SetAllPageFlags(bool flag)
{
    for (std::string &entry : PageFlags) {
        entry = flag ? "Y" : "N";
    }
}

void TPrintOptions::SetPageFlag(int n, bool flag)
{
    if (n >= 1 && n <= static_cast<int>(PageFlags.size())) {
        PageFlags[static_cast<size_t>(n - 1)] = flag ? "Y" : "N";
    }
}

// --- The editor -------------------------------------------------------------------------------

TFormFieldEdit::TFormFieldEdit(TQorFormViewer &viewer)
    : QLineEdit(viewer.viewport()), m_viewer(viewer)
{
    setObjectName("FieldEdit");
    setFrame(false);
    setFocusPolicy(Qt::ClickFocus);
    setAttribute(Qt::WA_MacShowFocusRect, false);
    hide();
    connect(this, &QLineEdit::textEdited, this, &TFormFieldEdit::TextEdited);
}

void TFormFieldEdit::Attach(TFormField *field)
{
    if (field == m_field) {
        if (field != nullptr) {
            Place();
        }
        return;
    }
    TFormField *old = m_field;
    m_field = nullptr;
    if (old != nullptr) {
        m_viewer.RefreshField(*old);
        if (m_viewer.OnExitField) {
            m_viewer.OnExitField(this, old);
        }
    }
    m_field = field;
    if (field == nullptr) {
        hide();
        return;
    }
    Place();
    ShowValue(-1);
    selectAll();
    if (m_viewer.OnEnterField) {
        m_viewer.OnEnterField(this, field);
    }
}

void TFormFieldEdit::ShowValue(int caret)
{
    if (m_field == nullptr) {
        return;
    }
    const QSignalBlocker blocker(this);
    std::string shown = m_field->NamesMode ? m_field->FieldName : m_field->Value;
    if (m_field->Kind == fkCircleBox && !m_field->NamesMode) {
        shown.clear();
    }
    setText(ToQt(shown));
    if (caret >= 0) {
        setCursorPosition(std::min(caret, static_cast<int>(text().size())));
    }
}

void TFormFieldEdit::Place()
{
    if (m_field == nullptr) {
        hide();
        return;
    }
    const TFormViewerOptions &options = m_viewer.Options();
    const QRect rect = m_viewer.LogicalRectToPixels(m_field->Rect);
    const double h = (m_field->Rect.Height() + 3) * m_viewer.CurrentMapping().ScaleY;
    const int height = std::max(static_cast<int>(std::lround(h)), options.MinEditSize);
    QFont font(ResolvedFontFamily("Courier New"));
    // The line of the editor's font is the field height, as the field's own text.
    font.setPixelSize(1000);
    const QFontMetricsF metrics(font);
    const double linePerEm = (metrics.ascent() + metrics.descent()) / 1000.0;
    font.setPixelSize(std::max(1, static_cast<int>(std::lround(h / linePerEm))));
    font.setBold(m_field->Bold && m_field->Kind != fkCircleBox);
    setFont(font);
    int width = rect.width();
    if ((m_field->Kind == fkText || m_field->Kind == fkCircleBox) && width < 50 && h > 0) {
        width = static_cast<int>(std::lround(width * height / h));
    }
    width = std::min(width, m_viewer.viewport()->width());
    if (m_field->Kind == fkCircleBox) {
        width = 0;
        m_viewer.RefreshField(*m_field);
    }
    setAlignment(m_field->RightAligned() && !m_field->NamesMode ? Qt::AlignRight | Qt::AlignVCenter
                                                                : Qt::AlignLeft | Qt::AlignVCenter);
    setGeometry(rect.left(), rect.top(), width, height);
    setReadOnly(m_viewer.Document().FieldReadOnly(*m_field) || m_field->NamesMode);
    UpdateColour();
    show();
}

void TFormFieldEdit::UpdateColour()
{
    if (m_field == nullptr) {
        return;
    }
    const TFormViewerOptions &options = m_viewer.Options();
    QColor colour;
    if ((m_field->Kind == fkCheckBox || m_field->Kind == fkRadioButton) &&
        !m_field->Value.empty() && options.FilledCheckboxes) {
        colour = Qt::black;
    } else if (m_field->Kind == fkCircleBox) {
        colour = Qt::white;
    } else if (options.HighlightRequiredFields && m_viewer.Document().NeedsValue(*m_field)) {
        colour = QColor(255, 224, 255);
    } else {
        colour = ToColor(options.FieldBackgroundColor);
    }
    QPalette palette = this->palette();
    palette.setColor(QPalette::Base, colour);
    palette.setColor(QPalette::Text, colour == Qt::black ? Qt::white : Qt::black);
    setPalette(palette);
}

void TFormFieldEdit::keyPressEvent(QKeyEvent *event)
{
    const int key = event->key();
    const bool ctrl = (event->modifiers() & Qt::ControlModifier) != 0;
    if ((key == Qt::Key_Tab || key == Qt::Key_Backtab) && ctrl) {
        hide();
        m_viewer.keyPressEvent(event);
        return;
    }
    if (key == Qt::Key_Tab || key == Qt::Key_Backtab || key == Qt::Key_Return ||
        key == Qt::Key_Enter) {
        m_viewer.TabToField(key == Qt::Key_Backtab ||
                            (event->modifiers() & Qt::ShiftModifier) != 0);
        return;
    }
    if (key == Qt::Key_PageUp || key == Qt::Key_PageDown || key == Qt::Key_F2 ||
        key == Qt::Key_F8) {
        m_viewer.keyPressEvent(event);
        return;
    }
    const QString typed = event->text();
    if (typed.size() == 1 && typed[0].unicode() >= 32 && typed[0].unicode() != 127) {
        const QChar c = typed[0];
        if (m_field == nullptr) {
            return;
        }
        const bool boxes = m_field->Kind == fkCheckBox || m_field->Kind == fkRadioButton;
        if (boxes && !m_field->NamesMode) {
            const bool toggles = c == ' ' || (c.toUpper() >= 'A' && c.toUpper() <= 'Z');
            if (toggles && !m_viewer.Document().FieldReadOnly(*m_field)) {
                m_viewer.SetFieldValue(*m_field, m_field->Value.empty() ? "X" : "");
                ShowValue(-1);
                UpdateColour();
                m_viewer.FieldChanged(*m_field);
            }
            return;
        }
        if (m_field->Kind == fkCircleBox && !m_field->NamesMode) {
            if (c == ' ' && !m_viewer.Document().FieldReadOnly(*m_field)) {
                m_viewer.SetFieldMarked(*m_field, !m_field->Marked);
                m_viewer.FieldChanged(*m_field);
            }
            return;
        }
        const std::string bytes = FromQt(typed);
        if (!m_field->NamesMode && (bytes.size() != 1 || !AcceptsCharacter(*m_field, bytes[0]))) {
            return;
        }
    }
    QLineEdit::keyPressEvent(event);
}

void TFormFieldEdit::TextEdited(const QString &edited)
{
    if (m_changing || m_field == nullptr) {
        return;
    }
    m_changing = true;
    TFormField &field = *m_field;
    int caret = cursorPosition();
    if (field.NamesMode) {
        SetFieldName(field, FromQt(edited));
        m_viewer.RefreshField(field);
        m_changing = false;
        return;
    }
    std::string text = FromQt(edited);
    const std::string trimmed = Trim(text);
    const bool full = field.MaxLength > 0 && static_cast<int>(trimmed.size()) >= field.MaxLength;
    const bool changed = trimmed != Trim(field.Value);
    if (full && static_cast<int>(trimmed.size()) > field.MaxLength) {
        text = text.substr(0, static_cast<size_t>(field.MaxLength));
    }
    if (changed) {
        text = ApplyCaseMode(field.CaseMode, text);
    }
    // What does not fit in the field is not taken.
    Canvas &measure = m_viewer.Measure();
    measure.SetFont(m_viewer.Document().FieldFont(measure, field));
    if (measure.TextWidth(text) > field.Rect.Width()) {
        size_t fits = text.size();
        while (fits > 0 && measure.TextWidth(text.substr(0, fits)) > field.Rect.Width()) {
            --fits;
        }
        text.resize(fits);
        caret = static_cast<int>(fits);
    }
    m_viewer.SetFieldValue(field, text);
    m_viewer.FieldChanged(field);
    ShowValue(std::min(caret, static_cast<int>(text.size())));
    m_changing = false;
    if (full && field.AutoAdvance && changed) {
        m_viewer.TabToField(false);
    }
}

// --- The viewer -------------------------------------------------------------------------------

TQorFormViewer::TQorFormViewer(QWidget *parent) : QAbstractScrollArea(parent)
{
    setObjectName("QorFormViewer");
    setFocusPolicy(Qt::StrongFocus);
    setFrameShape(QFrame::StyledPanel);
    setFrameShadow(QFrame::Sunken);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    viewport()->setMouseTracking(true);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent, true);
    m_editor = new TFormFieldEdit(*this);
    m_popup = new QMenu(this);
    QAction *info = m_popup->addAction("Field &Info...");
    connect(info, &QAction::triggered, this, [this] {
        if (m_fieldUnderMouse != nullptr) {
            TFieldInfo dialog(this, *m_fieldUnderMouse);
            dialog.exec();
        }
    });
    ShowRequirements = [this](const std::string &message, const std::vector<std::string> &names) {
        TfrmRequirements dialog(this, message, names);
        dialog.exec();
        return dialog.chkIgnore->isChecked();
    };
    connect(verticalScrollBar(), &QScrollBar::actionTriggered, this, [this](int action) {
        if (m_editor->hasFocus() == false && !hasFocus()) {
            setFocus();
        }
        QScrollBar *bar = verticalScrollBar();
        if (action == QAbstractSlider::SliderSingleStepSub && bar->value() <= bar->minimum() &&
            m_currentPage > 1) {
            PageUpKey();
        } else if (action == QAbstractSlider::SliderSingleStepAdd &&
                   bar->value() >= bar->maximum() && m_currentPage < PageCount()) {
            PageDownKey();
        }
    });
    UpdateScrollRanges();
}

TQorFormViewer::~TQorFormViewer() = default;

Canvas &TQorFormViewer::Measure()
{
    if (!m_measure) {
        m_measureImage = std::make_unique<QImage>(8, 8, QImage::Format_RGB32);
        m_measure = std::make_unique<QtCanvas>(*m_measureImage);
    }
    return *m_measure;
}

void TQorFormViewer::SetFormsPath(const std::string &path)
{
    m_document.SetFormsPath(path);
}

void TQorFormViewer::SetFormName(const std::string &name)
{
    if (name == m_document.FormName() && !name.empty()) {
        return;
    }
    m_editor->Attach(nullptr);
    m_currentPage = 0;
    m_fieldUnderMouse = nullptr;
    InvalidateArtwork();
    try {
        m_document.Load(name);
    } catch (...) {
        viewport()->update();
        throw;
    }
    if (!name.empty()) {
        GoToPage(1);
    }
    viewport()->update();
}

void TQorFormViewer::SetMagnification(int percent)
{
    if (percent < 0) {
        percent = 0;
    }
    if (percent == m_magnification) {
        return;
    }
    m_magnification = percent;
    InvalidateArtwork();
    UpdateScrollRanges();
    m_editor->Place();
    if (m_editor->Field() == nullptr) {
        m_editor->hide();
    }
    viewport()->update();
    if (OnMagnifyChange) {
        OnMagnifyChange(this, percent);
    }
}

void TQorFormViewer::SetReadOnly(bool on)
{
    Options().ReadOnly = on;
    for (TFormField *field : m_document.AllFields()) {
        field->ReadOnly = on || field->IsMirror();
    }
    m_editor->Place();
    viewport()->update();
}

void TQorFormViewer::SetFormVisible(bool on)
{
    Options().FormVisible = on;
    viewport()->update();
}

void TQorFormViewer::SetBoldFields(bool on)
{
    Options().BoldFields = on;
    for (TFormField *field : m_document.AllFields()) {
        field->Bold = on;
    }
    m_editor->Place();
    viewport()->update();
}

void TQorFormViewer::SetHighlightRequiredFields(bool on)
{
    Options().HighlightRequiredFields = on;
    m_editor->UpdateColour();
    viewport()->update();
}

// --- Mapping ----------------------------------------------------------------------------------

TQorFormViewer::Mapping TQorFormViewer::CurrentMapping() const
{
    Mapping map;
    const double w = std::max(1, viewport()->width());
    const double h = std::max(1, viewport()->height());
    const double m = std::max(1, m_magnification);
    map.Ew = std::max(1, RoundHalfEven(w / logicalDpiX() * 100000.0 / m));
    map.Eh = std::max(1, RoundHalfEven(h / logicalDpiY() * 100000.0 / m));
    const int hscroll = horizontalScrollBar()->value();
    map.OriginX = map.Ew <= 8000 ? hscroll : hscroll - (static_cast<int>(map.Ew) - 8000) / 2;
    map.OriginY = verticalScrollBar()->value();
    map.ScaleX = w / map.Ew;
    map.ScaleY = h / map.Eh;
    return map;
}

QPoint TQorFormViewer::PixelOrigin() const
{
    const Mapping map = CurrentMapping();
    return {static_cast<int>(std::lround(map.OriginX * map.ScaleX)),
            static_cast<int>(std::lround(map.OriginY * map.ScaleY))};
}

QPointF TQorFormViewer::LogicalToPixels(double x, double y) const
{
    const Mapping map = CurrentMapping();
    const QPoint origin = PixelOrigin();
    return {x * map.ScaleX - origin.x(), y * map.ScaleY - origin.y()};
}

QPointF TQorFormViewer::PixelsToLogical(QPointF point) const
{
    const Mapping map = CurrentMapping();
    const QPoint origin = PixelOrigin();
    return {(point.x() + origin.x()) / map.ScaleX, (point.y() + origin.y()) / map.ScaleY};
}

QRect TQorFormViewer::LogicalRectToPixels(const TLogicalRect &rect) const
{
    const QPointF topLeft = LogicalToPixels(rect.Left, rect.Top);
    const QPointF bottomRight = LogicalToPixels(rect.Right, rect.Bottom);
    return QRectF(topLeft, bottomRight).toAlignedRect();
}

void TQorFormViewer::UpdateScrollRanges()
{
    const Mapping map = CurrentMapping();
    QScrollBar *h = horizontalScrollBar();
    QScrollBar *v = verticalScrollBar();
    h->setRange(0, std::max(0, 8010 - static_cast<int>(map.Ew)));
    v->setRange(0, std::max(0, 11000 - static_cast<int>(map.Eh)));
    h->setSingleStep(std::max(1, static_cast<int>(std::lround(20 / map.ScaleX))));
    v->setSingleStep(std::max(1, static_cast<int>(std::lround(20 / map.ScaleY))));
    h->setPageStep(
        std::max(1, static_cast<int>(std::lround((viewport()->width() - 20) / map.ScaleX))));
    v->setPageStep(
        std::max(1, static_cast<int>(std::lround((viewport()->height() - 20) / map.ScaleY))));
}

void TQorFormViewer::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    InvalidateArtwork();
    UpdateScrollRanges();
    m_editor->Place();
    if (m_editor->Field() == nullptr) {
        m_editor->hide();
    }
}

void TQorFormViewer::scrollContentsBy(int, int)
{
    // The scroll bars hold logical units; the window content moves by whole pixels and only
    // the uncovered strip is painted.
    const QPoint origin = PixelOrigin();
    const QPoint before = m_shownOrigin;
    m_shownOrigin = origin;
    viewport()->scroll(before.x() - origin.x(), before.y() - origin.y());
    if (m_editor->Field() != nullptr) {
        m_editor->Place();
    }
}

void TQorFormViewer::InvalidateArtwork()
{
    m_artwork = QPixmap();
    m_artworkPage = 0;
}

const QPixmap *TQorFormViewer::Artwork()
{
    const Mapping map = CurrentMapping();
    const QSize size(static_cast<int>(std::ceil(8000 * map.ScaleX)) + 1,
                     static_cast<int>(std::ceil(10800 * map.ScaleY)) + 1);
    if (!m_artwork.isNull() && m_artworkPage == m_currentPage && m_artworkZoom == m_magnification &&
        m_artworkSize == size) {
        return &m_artwork;
    }
    // Very large zooms are drawn straight onto the window instead.
    if (static_cast<double>(size.width()) * size.height() > 40e6) {
        return nullptr;
    }
    m_artwork = QPixmap(size);
    m_artwork.fill(Qt::white);
    QtCanvas canvas(m_artwork);
    canvas.Begin();
    canvas.SetMapping({0, 0, static_cast<int32_t>(map.Ew), static_cast<int32_t>(map.Eh), 0, 0,
                       std::max(1, viewport()->width()), std::max(1, viewport()->height())});
    m_document.BeginDrawing();
    m_document.DrawPage(canvas, m_currentPage, false, true, false);
    canvas.End();
    m_artworkPage = m_currentPage;
    m_artworkZoom = m_magnification;
    m_artworkSize = size;
    return &m_artwork;
}

void TQorFormViewer::paintEvent(QPaintEvent *event)
{
    QtCanvas canvas(*viewport());
    if (!canvas.Begin()) {
        return;
    }
    QPainter &painter = canvas.Painter();
    painter.fillRect(event->rect(), Qt::white);
    m_shownOrigin = PixelOrigin();
    if (m_magnification == 0 || !Options().FormVisible ||
        m_document.Page(m_currentPage) == nullptr) {
        return;
    }
    const Mapping map = CurrentMapping();
    const QPoint origin = PixelOrigin();
    const TCanvasMapping mapping {0,
                                  0,
                                  static_cast<int32_t>(map.Ew),
                                  static_cast<int32_t>(map.Eh),
                                  -origin.x(),
                                  -origin.y(),
                                  std::max(1, viewport()->width()),
                                  std::max(1, viewport()->height())};
    try {
        if (const QPixmap *artwork = Artwork()) {
            painter.drawPixmap(-origin, *artwork);
            canvas.SetMapping(mapping);
            m_document.BeginDrawing();
        } else {
            canvas.SetMapping(mapping);
            m_document.BeginDrawing();
            m_document.DrawPage(canvas, m_currentPage, false, true, false);
        }
        // Fields over the artwork, where the window is exposed.
        const QRect exposed = event->rect();
        for (TFormField *field : m_document.Page(m_currentPage)->Fields) {
            TLogicalRect area = field->Rect;
            if (field->Kind == fkCircleBox) {
                area = {field->Origin.X - 30, field->Origin.Y - 30,
                        std::max(area.Right, field->Origin.X + 2000), area.Bottom + 200};
            }
            if (LogicalRectToPixels(area).adjusted(-2, -2, 2, 2).intersects(exposed)) {
                field->Printing = false;
                m_document.DrawField(canvas, *field, false);
            }
        }
    } catch (const std::exception &) {
        // A page that cannot be drawn stays white; loading already told the user.
    }
    canvas.End();
}

// --- Pages ------------------------------------------------------------------------------------

void TQorFormViewer::GoToPage(int n)
{
    if (m_document.PageCount() == 0) {
        m_currentPage = 0;
        viewport()->update();
        return;
    }
    n = std::clamp(n, 1, m_document.PageCount());
    if (n == m_currentPage) {
        return;
    }
    horizontalScrollBar()->setValue(0);
    verticalScrollBar()->setValue(0);
    const bool focusInside = hasFocus() || m_editor->hasFocus();
    m_editor->Attach(nullptr);
    m_currentPage = n;
    if (TFormField *field = m_document.FirstFieldOfPage(n)) {
        m_editor->Attach(field);
        if (focusInside) {
            m_editor->setFocus();
        }
    } else if (focusInside) {
        setFocus();
    }
    DoPageChange();
    viewport()->update();
}

void TQorFormViewer::DoPageChange()
{
    if (OnPageChange) {
        OnPageChange(this, m_currentPage);
    }
}

void TQorFormViewer::PageDownKey()
{
    const Mapping map = CurrentMapping();
    const double visibleBottom = map.OriginY + map.Eh;
    if (visibleBottom > 10799) {
        if (m_currentPage < PageCount()) {
            GoToPage(m_currentPage + 1);
        }
        return;
    }
    QScrollBar *bar = verticalScrollBar();
    bar->setValue(bar->value() + bar->pageStep());
    if (const TFormPage *page = m_document.Page(m_currentPage)) {
        for (TFormField *field : page->Fields) {
            if (field->Rect.Top > visibleBottom && m_document.MayReceiveFocus(*field)) {
                m_editor->Attach(field);
                break;
            }
        }
    }
}

void TQorFormViewer::PageUpKey()
{
    const Mapping map = CurrentMapping();
    const double visibleTop = map.OriginY;
    if (visibleTop <= 0) {
        if (m_currentPage <= 1) {
            return;
        }
        m_editor->Attach(nullptr);
        GoToPage(m_currentPage - 1);
        verticalScrollBar()->setValue(verticalScrollBar()->maximum());
        m_editor->Attach(m_document.LastFieldOfPage(m_currentPage));
        return;
    }
    QScrollBar *bar = verticalScrollBar();
    bar->setValue(bar->value() - bar->pageStep());
    if (const TFormPage *page = m_document.Page(m_currentPage)) {
        for (auto it = page->Fields.rbegin(); it != page->Fields.rend(); ++it) {
            if ((*it)->Rect.Bottom < visibleTop && m_document.MayReceiveFocus(**it)) {
                m_editor->Attach(*it);
                break;
            }
        }
    }
}

// --- Fields -----------------------------------------------------------------------------------

TFormField *TQorFormViewer::FieldAt(QPoint point) const
{
    const TFormPage *page = m_document.Page(m_currentPage);
    if (m_magnification == 0 || page == nullptr) {
        return nullptr;
    }
    const QPointF logical = PixelsToLogical(point);
    for (TFormField *field : page->Fields) {
        if (field->Rect.Contains(static_cast<int32_t>(logical.x()),
                                 static_cast<int32_t>(logical.y()))) {
            return field;
        }
    }
    return nullptr;
}

TAcordFormUserImage *TQorFormViewer::UserImageAt(QPoint point) const
{
    const TFormPage *page = m_document.Page(m_currentPage);
    if (m_magnification == 0 || page == nullptr) {
        return nullptr;
    }
    const QPointF logical = PixelsToLogical(point);
    for (const auto &object : page->Objects) {
        if (auto *slot = dynamic_cast<TAcordFormUserImage *>(object.get())) {
            if (slot->Rect.Contains(static_cast<int32_t>(logical.x()),
                                    static_cast<int32_t>(logical.y()))) {
                return slot;
            }
        }
    }
    return nullptr;
}

void TQorFormViewer::RefreshField(const TFormField &field)
{
    if (field.Side != m_currentPage) {
        return;
    }
    TLogicalRect area = field.Rect;
    if (field.Kind == fkCircleBox) {
        area = {field.Origin.X - 40, field.Origin.Y - 40,
                std::max(area.Right, field.Origin.X + 2000), area.Bottom + 200};
    }
    viewport()->update(LogicalRectToPixels(area).adjusted(-3, -3, 3, 3));
}

void TQorFormViewer::RefreshRadioGroup(const TFormField &field)
{
    RefreshField(field);
    for (const TFormField *member : field.RingMembers()) {
        RefreshField(*member);
    }
    for (const TFormField *mirror : field.Mirrors) {
        RefreshField(*mirror);
    }
}

void TQorFormViewer::SetFieldValue(TFormField &field, const std::string &value)
{
    SetValue(field, value);
    RefreshRadioGroup(field);
    for (const TFormField *member : field.RingMembers()) {
        for (const TFormField *mirror : member->Mirrors) {
            RefreshField(*mirror);
        }
    }
    if (&field == m_editor->Field() && !m_editor->m_changing) {
        m_editor->ShowValue(-1);
    }
}

void TQorFormViewer::SetFieldMarked(TFormField &field, bool marked)
{
    SetMarked(field, marked);
    RefreshRadioGroup(field);
}

void TQorFormViewer::FieldChanged(TFormField &field)
{
    RefreshRadioGroup(field);
    if (OnModifyField) {
        OnModifyField(this, &field);
    }
}

void TQorFormViewer::SelectField(TFormField *field)
{
    if (field == nullptr) {
        return;
    }
    if (m_editor->Field() != field) {
        m_editor->Attach(field);
    }
    if (m_document.FieldReadOnly(*field)) {
        return;
    }
    if (field->Kind == fkCheckBox || field->Kind == fkRadioButton) {
        SetFieldValue(*field, Trim(field->Value).empty() ? "X" : "");
        m_editor->ShowValue(-1);
        m_editor->UpdateColour();
        FieldChanged(*field);
    } else if (field->Kind == fkCircleBox) {
        SetFieldMarked(*field, !field->Marked);
        FieldChanged(*field);
    }
}

void TQorFormViewer::GoToField(TFormField *field)
{
    if (field == nullptr || !m_document.MayReceiveFocus(*field)) {
        m_editor->Attach(nullptr);
        return;
    }
    if (field->Side != m_currentPage) {
        GoToPage(field->Side);
    }
    const Mapping map = CurrentMapping();
    QScrollBar *v = verticalScrollBar();
    QScrollBar *h = horizontalScrollBar();
    const double top = map.OriginY;
    const double bottom = map.OriginY + map.Eh;
    if (field->Rect.Top < top) {
        v->setValue(field->Rect.Top - 50);
    } else if (field->Rect.Bottom > bottom) {
        const bool fits = field->Rect.Height() < map.Eh;
        v->setValue(fits ? static_cast<int>(field->Rect.Bottom - map.Eh + 50)
                         : field->Rect.Top - 50);
    }
    if (map.Ew < 8000) {
        const double left = h->value();
        const double right = left + map.Ew;
        if (field->Rect.Left < left) {
            h->setValue(field->Rect.Left - 50);
        } else if (field->Rect.Right > right) {
            const bool fits = field->Rect.Width() < map.Ew;
            h->setValue(fits ? static_cast<int>(field->Rect.Right - map.Ew + 50)
                             : field->Rect.Left - 50);
        }
    }
    if (m_editor->Field() != nullptr) {
        RefreshField(*m_editor->Field());
    }
    m_editor->Attach(field);
    m_editor->setFocus();
}

void TQorFormViewer::TabToField(bool backwards)
{
    TFormField *from = m_editor->Field();
    TFormField *next = backwards ? m_document.PreviousField(from, m_currentPage)
                                 : m_document.NextField(from, m_currentPage);
    if (next == nullptr) {
        m_editor->Attach(nullptr);
        setFocus();
        return;
    }
    GoToField(next);
}

void TQorFormViewer::SetNamesMode(bool on)
{
    m_document.SetNamesMode(on);
    if (m_editor->Field() != nullptr) {
        m_editor->Place();
        m_editor->ShowValue(-1);
    }
    viewport()->update();
}

// --- Keys and mouse ---------------------------------------------------------------------------

bool TQorFormViewer::event(QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) {
            keyPressEvent(key);
            return true;
        }
    }
    return QAbstractScrollArea::event(event);
}

bool TQorFormViewer::focusNextPrevChild(bool)
{
    // Tab moves between fields; Ctrl+Tab leaves the viewer (keyPressEvent).
    return false;
}

void TQorFormViewer::keyPressEvent(QKeyEvent *event)
{
    const int key = event->key();
    const bool ctrl = (event->modifiers() & Qt::ControlModifier) != 0;
    const bool shift = (event->modifiers() & Qt::ShiftModifier) != 0 || key == Qt::Key_Backtab;
    switch (key) {
    case Qt::Key_PageUp:
        PageUpKey();
        return;
    case Qt::Key_PageDown:
        PageDownKey();
        return;
    case Qt::Key_F2:
        m_f2Down = true;
        return;
    case Qt::Key_F8:
        if (m_f2Down) {
            SetNamesMode(!m_document.NamesMode());
        }
        return;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        if (ctrl) {
            m_editor->hide();
            QWidget *outside = shift ? previousInFocusChain() : nextInFocusChain();
            while (outside != nullptr && outside != this &&
                   (isAncestorOf(outside) || outside->focusPolicy() == Qt::NoFocus ||
                    !outside->isVisible())) {
                outside = shift ? outside->previousInFocusChain() : outside->nextInFocusChain();
            }
            if (outside != nullptr && outside != this) {
                outside->setFocus(shift ? Qt::BacktabFocusReason : Qt::TabFocusReason);
            }
            return;
        }
        TabToField(shift);
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        TabToField(shift);
        return;
    default:
        QAbstractScrollArea::keyPressEvent(event);
    }
}

void TQorFormViewer::keyReleaseEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_F2) {
        m_f2Down = false;
    }
    QAbstractScrollArea::keyReleaseEvent(event);
}

void TQorFormViewer::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mouseReleaseEvent(event);
        return;
    }
    TFormField *field = FieldAt(event->position().toPoint());
    if (field != nullptr && m_document.MayReceiveFocus(*field)) {
        SelectField(field);
        GoToField(field);
        return;
    }
    m_editor->Attach(nullptr);
    if (OnUserImageClick) {
        if (TAcordFormUserImage *slot = UserImageAt(event->position().toPoint())) {
            OnUserImageClick(this, slot);
        }
    }
}

void TQorFormViewer::mouseMoveEvent(QMouseEvent *event)
{
    m_fieldUnderMouse = FieldAt(event->position().toPoint());
    QAbstractScrollArea::mouseMoveEvent(event);
}

void TQorFormViewer::contextMenuEvent(QContextMenuEvent *event)
{
    if (m_document.NamesMode() && m_fieldUnderMouse != nullptr) {
        m_popup->exec(event->globalPos());
    }
}

// --- Completion checks ------------------------------------------------------------------------

bool TQorFormViewer::CheckBeforePrint()
{
    TFormField *goTo = nullptr;
    const bool highlighted = Options().HighlightRequiredFields;
    const bool passed = m_document.CheckBeforePrint(ShowRequirements, goTo);
    if (Options().HighlightRequiredFields != highlighted) {
        m_editor->UpdateColour();
        viewport()->update();
    }
    if (!passed && goTo != nullptr) {
        GoToField(goTo);
    }
    return passed;
}

bool TQorFormViewer::CheckRules()
{
    TFormField *goTo = nullptr;
    const bool passed = m_document.CheckRules(ShowRequirements, goTo);
    viewport()->update();
    if (!passed && goTo != nullptr) {
        GoToField(goTo);
    }
    return passed;
}

// --- Printing ---------------------------------------------------------------------------------

bool TQorFormViewer::PrintChecked(int first, int last, QPrinter *printer)
{
    if (!CheckBeforePrint()) {
        return false;
    }
    PrintPages(first, last, printer);
    return true;
}

void TQorFormViewer::PrintPages(int first, int last, QPrinter *printer)
{
    if (first < 1) {
        first = 1;
    }
    if (first > PageCount()) {
        return;
    }
    if (last < 1 || last > PageCount()) {
        last = PageCount();
    }
    PrintRun(first, last, printer);
}

void TQorFormViewer::PrintRun(int first, int last, QPrinter *printer)
{
    std::unique_ptr<TQorOutputPrinter> output = printer != nullptr
        ? std::make_unique<TQorOutputPrinter>(*printer)
        : std::make_unique<TQorOutputPrinter>();
    output->SetTitle(FormName());
    output->BeginReport();
    ++m_printJobs;
    TAbortForm abort(this, *output);
    abort.Total = std::max(0, last - first + 1);
    abort.SetPage(0);
    abort.show();
    m_printing = true;
    m_printAborted = false;
    Canvas &canvas = output->GetCanvas();
    const bool fieldsOnly = Options().PrintFormFieldsOnly;
    m_document.BeginDrawing();
    for (int page = first; page <= last && !m_printAborted; ++page) {
        QApplication::processEvents();
        if (output->DeviceAborted()) {
            m_printAborted = true;
            break;
        }
        abort.SetPage(page - first + 1);
        canvas.SetMapping({-m_leftOffset, -m_topOffset, 8000, 10800, 0, 0,
                           RoundHalfEven(output->DeviceHorzRes() * m_printScale),
                           RoundHalfEven(output->DeviceVertRes() * m_printScale)});
        for (const auto &object : m_document.Page(page)->Objects) {
            QApplication::processEvents();
            if (output->DeviceAborted()) {
                m_printAborted = true;
                break;
            }
            object->Printing = true;
            if (auto *field = dynamic_cast<TFormField *>(object.get())) {
                field->FieldsOnly = fieldsOnly;
                m_document.DrawField(canvas, *field, true);
                field->FieldsOnly = false;
            } else if (!fieldsOnly) {
                object->Draw(canvas);
            }
            object->Printing = false;
        }
        if (!m_printAborted && page < last) {
            output->NewPage();
        }
    }
    if (!m_printAborted) {
        output->EndReport();
    }
    canvas.ResetMapping();
    m_printing = false;
}

void TQorFormViewer::PrintWithOptions(const TPrintOptions &options, QPrinter *printer)
{
    // The adjustments of this run, put back however it ends.
    struct Restore
    {
        TQorFormViewer &viewer;
        int top = viewer.m_topOffset;
        int left = viewer.m_leftOffset;
        double scale = viewer.m_printScale;
        bool fieldsOnly = viewer.Options().PrintFormFieldsOnly;
        ~Restore()
        {
            viewer.m_topOffset = top;
            viewer.m_leftOffset = left;
            viewer.m_printScale = scale;
            viewer.Options().PrintFormFieldsOnly = fieldsOnly;
        }
    } restore {*this};
    m_topOffset = RoundHalfEven(options.TopAdjust * 1000);
    m_leftOffset = RoundHalfEven(options.LeftAdjust * 1000);
    m_printScale = options.Scale;
    Options().PrintFormFieldsOnly = options.FieldsOnly;
    const bool all = std::all_of(options.PageFlags.begin(), options.PageFlags.end(),
                                 [](const std::string &flag) { return flag == "Y"; });
    if (all) {
        PrintPages(1, PageCount(), printer);
        return;
    }
    for (int page = 1; page <= PageCount(); ++page) {
        if (static_cast<size_t>(page) <= options.PageFlags.size() &&
            options.PageFlags[static_cast<size_t>(page - 1)] == "Y") {
            PrintPages(page, page, printer);
        }
    }
}
