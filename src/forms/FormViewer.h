#pragma once

#include "forms/FormDocument.h"

#include <QAbstractScrollArea>
#include <QDialog>
#include <QLineEdit>
#include <QPixmap>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class QCheckBox;
class QLabel;
class QListWidget;
class QMenu;
class QPrinter;
class QPushButton;
class QtCanvas;
class TQorFormViewer;

// The in-place editor of a form viewer: a borderless line edit laid over the field it edits.
class TFormFieldEdit : public QLineEdit
{
    Q_OBJECT

public:
    explicit TFormFieldEdit(TQorFormViewer &viewer);

    TFormField *Field() const { return m_field; }
    // Attaches the editor to a field (nullptr detaches and hides it).
    void Attach(TFormField *field);
    // Lays the editor over its field at the viewer's magnification.
    void Place();
    void UpdateColour();

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void TextEdited(const QString &text);
    void ShowValue(int caret);

    TQorFormViewer &m_viewer;
    TFormField *m_field = nullptr;
    bool m_changing = false; // re-entry guard of the change processing
    friend class TQorFormViewer;
};

// The "Required Fields" dialog of the completion checks.
class TfrmRequirements : public QDialog
{
    Q_OBJECT

public:
    TfrmRequirements(QWidget *parent, const std::string &message,
                     const std::vector<std::string> &names);

    QLabel *lblMessage = nullptr;
    QListWidget *lstFields = nullptr;
    QLabel *lblNote = nullptr;
    QCheckBox *chkIgnore = nullptr;
    QPushButton *btnClose = nullptr;
};

// The "Field Information" dialog of the field-names mode.
class TFieldInfo : public QDialog
{
    Q_OBJECT

public:
    TFieldInfo(QWidget *parent, const TFormField &field);

    QLabel *lblName = nullptr;
    QLabel *lblKind = nullptr;
    QListWidget *lstGroup = nullptr;
};

// Print adjustments of one printing run.
struct TPrintOptions
{
    std::vector<std::string> PageFlags; // "Y" or "N" per page
    double LeftAdjust = 0; // inches
    double TopAdjust = 0; // inches
    double Scale = 1.0;
    bool FieldsOnly = false;

    void SetAllPageFlags(bool flag);
    void SetPageFlag(int n, bool flag);
};

// Shows a form page by page at a chosen magnification, lets the user fill its fields in place
// and prints its pages. The form itself (pages, fields, rules, drawing) is the document; the
// viewer adds the scroll bars, the zoom, the editor, the keys and the printer.
class TQorFormViewer : public QAbstractScrollArea
{
    Q_OBJECT

public:
    explicit TQorFormViewer(QWidget *parent = nullptr);
    ~TQorFormViewer() override;

    TFormDocument &Document() { return m_document; }
    const TFormDocument &Document() const { return m_document; }
    TFormViewerOptions &Options() { return m_document.Options; }

    // Properties.
    std::string FormsPath() const { return m_document.FormsPath(); }
    void SetFormsPath(const std::string &path);
    int Magnification() const { return m_magnification; }
    void SetMagnification(int percent);
    std::string FormName() const { return m_document.FormName(); }
    // Loads the form; an error clears the form name and reaches the caller.
    void SetFormName(const std::string &name);
    void SetReadOnly(bool on);
    void SetFormVisible(bool on);
    void SetBoldFields(bool on);
    void SetHighlightRequiredFields(bool on);

    // Events.
    std::function<void(TQorFormViewer *, int)> OnPageChange;
    std::function<void(TQorFormViewer *, int)> OnMagnifyChange;
    std::function<void(QObject *, TFormField *)> OnEnterField;
    std::function<void(QObject *, TFormField *)> OnModifyField;
    std::function<void(QObject *, TFormField *)> OnExitField;
    std::function<void(TQorFormViewer *, TAcordFormUserImage *)> OnUserImageClick;

    // Pages.
    int CurrentPage() const { return m_currentPage; }
    int PageCount() const { return m_document.PageCount(); }
    virtual void GoToPage(int n);
    virtual void DoPageChange();
    void PageUpKey();
    void PageDownKey();

    // Fields.
    TFormField *FindField(const std::string &name) const { return m_document.FindField(name); }
    TFormField *FindFieldByNumber(int number) const { return m_document.FindFieldByNumber(number); }
    virtual TFormField *FieldAt(QPoint point) const;
    virtual TAcordFormUserImage *UserImageAt(QPoint point) const;
    TFormFieldEdit &Editor() { return *m_editor; }
    // Gives a field a value (the kind rules, the mirrors) and shows it.
    void SetFieldValue(TFormField &field, const std::string &value);
    void SetFieldMarked(TFormField &field, bool marked);
    // A click on a field: the editor attaches; check boxes, radio buttons and circle boxes toggle.
    void SelectField(TFormField *field);
    // Brings a field into view with the editor on it.
    void GoToField(TFormField *field);
    virtual void TabToField(bool backwards = false);
    void SetNamesMode(bool on);

    // Completion checks before printing (the "Required Fields" dialog when one fails).
    bool CheckBeforePrint();
    bool CheckRules();
    // The dialog; the viewer shows TfrmRequirements. Returns whether "Ignore Requirements" was
    // ticked.
    std::function<bool(const std::string &, const std::vector<std::string> &)> ShowRequirements;

    // Printing. `printer` is the printer the job goes to (the system's default when none).
    void PrintPages(int first, int last, QPrinter *printer = nullptr);
    void PrintWithOptions(const TPrintOptions &options, QPrinter *printer = nullptr);
    // CheckBeforePrint, then PrintPages; false when a check stopped the printing.
    bool PrintChecked(int first, int last, QPrinter *printer = nullptr);
    void SetTopOffset(int thousandths) { m_topOffset = thousandths; }
    void SetLeftOffset(int thousandths) { m_leftOffset = thousandths; }
    void SetPrintScale(double scale) { m_printScale = scale; }
    int TopOffset() const { return m_topOffset; }
    int LeftOffset() const { return m_leftOffset; }
    double PrintScale() const { return m_printScale; }
    bool Printing() const { return m_printing; }
    // Whether the last printing run was cancelled in its progress window.
    bool PrintAborted() const { return m_printAborted; }
    // Print jobs started by this viewer.
    int PrintJobs() const { return m_printJobs; }
    std::string Version() const { return "2.0"; }

    // Screen mapping: logical units (1/1000 inch of the page) to viewport pixels and back.
    QPointF LogicalToPixels(double x, double y) const;
    QPointF PixelsToLogical(QPointF point) const;
    QRect LogicalRectToPixels(const TLogicalRect &rect) const;
    // Repaints the area of one field.
    void RefreshField(const TFormField &field);
    // Drops the cached drawing of the artwork (a picture slot changed).
    void InvalidateArtwork();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    bool event(QEvent *event) override;
    bool focusNextPrevChild(bool next) override;

private:
    friend class TFormFieldEdit;
    void UpdateScrollRanges();
    struct Mapping
    {
        double Ew = 0;
        double Eh = 0;
        double OriginX = 0;
        double OriginY = 0;
        double ScaleX = 1; // pixels per logical unit
        double ScaleY = 1;
    };
    Mapping CurrentMapping() const;
    QPoint PixelOrigin() const;
    const QPixmap *Artwork();
    void FieldChanged(TFormField &field);
    void RefreshRadioGroup(const TFormField &field);
    void PrintRun(int first, int last, QPrinter *printer);
    // A canvas for measuring field text in logical units.
    Canvas &Measure();

    TFormDocument m_document;
    int m_magnification = 100;
    int m_currentPage = 0;
    TFormFieldEdit *m_editor = nullptr;
    QMenu *m_popup = nullptr;
    TFormField *m_fieldUnderMouse = nullptr;
    int m_topOffset = 0;
    int m_leftOffset = 0;
    double m_printScale = 1.0;
    bool m_printing = false;
    bool m_printAborted = false;
    bool m_f2Down = false;
    int m_printJobs = 0;
    QPoint m_shownOrigin; // the pixel origin the window shows
    // The artwork of the current page at the current magnification, drawn once.
    QPixmap m_artwork;
    int m_artworkPage = 0;
    int m_artworkZoom = 0;
    QSize m_artworkSize;
    std::unique_ptr<QImage> m_measureImage;
    std::unique_ptr<QtCanvas> m_measure;
};
