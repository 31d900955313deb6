// The preview window: a finished report shown page by page, fitted or zoomed, with the choice
// of pages, copies and printer, printing of the page shown, and the report's text to a file.
#pragma once

#include <QDialog>
#include <QPointer>
#include <QSizeF>
#include <QTimer>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "previewer/display_strings.h"
#include "previewer/page_file.h"
#include "previewer/preview_engine.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPrinter;
class QScrollArea;
class QSpinBox;
class QToolButton;

namespace previewer {

// The caller's arguments, in the order the reports pass them (after the queue); the defaults
// are what every report passes.
struct PreviewArguments {
    int zoomPercent = 100;       // the zoom a click on the page goes to
    int builtInIniName = 0;      // not 0: the display strings come from "VURDRPTS.INI" whatever iniFile says
    int helpContextSwitch = 0;   // 0: helpContext when it is not blank, else the INI entry; 1: always the INI entry
    int helpFileSwitch = 0;      // the same for the help file
    int textOutputSwitch = 1;    // 0, with the second switch 0 and a text file, offers the text output
    long linesPerPage = 0;       // of the text output; 0: automatic
    int textOutputSwitch2 = 1;
    int options = 0;
    std::string helpContext;
    std::string helpFile;
    std::string textFile;        // "~name": the name is proposed in a save dialog
    std::string iniFile = std::string(kDisplayStringsFile);
};

// The report as the preview sees it: its title, and its copy count and collation, which the
// preview leaves as the user chose them.
struct PreviewReport {
    QString title;
    int copies = 1;
    bool collate = false;
    // The PDF file the print dialog named for this run's print; empty: asked for when printed.
    QString fileName;
};

// The print dialog's answer.
struct PrintChoice {
    bool accepted = false;
    long fromPage = 0;  // both 0: no range was chosen
    long toPage = 0;
    PageRanges ranges;  // several ranges chosen at once, in ascending order (then from and to are 0)
    int copies = 1;
    bool collate = false;
};

// What the preview uses from the desktop; tests replace them (a test machine has no printer
// and no one to answer a dialog).
struct PreviewServices {
    QPrinter *printer = nullptr;  // nullptr: the program's shared printer
    // Shows the print dialog "Select Printer..." on the printer for pages 1 to total.
    std::function<PrintChoice(QPrinter &printer, long total, bool collate, QWidget *parent)> printDialog;
    // The save dialog of the text output; nullopt when cancelled.
    std::function<std::optional<std::string>(const std::string &proposed, QWidget *parent)> saveName;
    std::function<PrinterCapabilities(const QPrinter &printer, bool collate)> capabilities;
};
// Installs services (the empty ones keep their desktop default); returns the ones replaced.
PreviewServices setPreviewServices(PreviewServices services);
// The printer the previewer prints on (the services' one, else the program's shared printer),
// and what it can do with `collate` as the setting (through the services' capabilities when set).
QPrinter &previewPrinter();
PrinterCapabilities previewCapabilities(bool collate);

// Shows the queue's pages and lets the user print them. Returns 1 when the user chose to print:
// the queue then holds the pages still to print (the chosen ones; the others and their files
// are gone), the report's copies and collation hold the user's choice, and the printer's page
// range is back to all pages. Returns 2 when nothing is to be printed, at once and without a
// window when the queue is empty.
int printPreview(std::vector<std::string> &queue, const PreviewArguments &args, PreviewReport &report,
                 QWidget *parent = nullptr);

// The report's pages as one job of `copyCount` copies on the preview's printer, titled with the
// report's title, to the PDF file the report names or else the destination chosen. Returns the
// pages printed; 0 when the job failed (the user has been told) or was given up.
int printReport(const std::vector<std::string> &queue, int copyCount, const PreviewReport &report,
                QWidget *parent = nullptr);

class PageView;
class PageNumberBox;

class PreviewWindow : public QDialog {
    Q_OBJECT
public:
    PreviewWindow(std::vector<std::string> &queue, const PreviewArguments &args, PreviewReport &report,
                  QWidget *parent = nullptr);
    ~PreviewWindow() override;

    int result() const { return result_; }
    long currentPage() const { return current_; }
    long total() const { return static_cast<long>(queue_.size()); }
    double displayFactor() const { return display_; }
    double zoomFactor() const { return zoomFactor_; }
    bool zoomed() const { return zoomed_; }
    const PageRanges &pageRanges() const { return ranges_; }
    QSizeF naturalSize() const { return natural_; }  // the page at 100%, in screen pixels
    const DisplayStrings &strings() const { return strings_; }

    void firstPage();
    void previousPage();
    void nextPage();
    void lastPage();
    void goToPage(long page);
    void fullWidth();
    void fullHeight();
    void zoomTo(long percent);
    // A click on the page at `pos` (page-view coordinates): zooms in there, or back out.
    void clickPage(QPointF pos);
    void printThisPage();
    void printingOptions();
    void exitWithoutPrinting();
    void textOutput();
    void showPopupMenu();

protected:
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void reject() override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildToolbar(QWidget *bar);
    void showPage(long page);
    void layOut();
    void computeFitFactors();
    void updateTitle();
    void pagesTextAccepted();
    void zoomAccepted();
    void scrollBy(int dx, int dy);
    QPrinter &printer() const;
    PrinterCapabilities capabilities() const;

    std::vector<std::string> &queue_;
    PreviewArguments args_;
    PreviewReport &report_;
    DisplayStrings strings_;
    std::string iniPath_;
    QString helpContext_;

    long current_ = 1;
    QSizeF natural_;
    double fitWidth_ = 1, fitHeight_ = 1;
    bool fitToHeight_ = false;
    double display_ = 1;
    double zoomFactor_ = 1;
    bool zoomed_ = false;
    PageRanges ranges_;
    bool collate_ = false;
    int result_ = 2;
    bool shown_ = false;
    bool textOffered_ = false;
    QString acceptedPagesText_;
    QString dialogPdf_;  // the PDF file this preview's print dialog named

    PageView *view_ = nullptr;
    QScrollArea *scroll_ = nullptr;
    QToolButton *widthButton_ = nullptr, *heightButton_ = nullptr;
    QComboBox *zoom_ = nullptr;
    QToolButton *firstButton_ = nullptr, *prevButton_ = nullptr, *nextButton_ = nullptr, *lastButton_ = nullptr;
    QToolButton *printPageButton_ = nullptr, *textButton_ = nullptr, *printButton_ = nullptr, *exitButton_ = nullptr;
    PageNumberBox *pageNo_ = nullptr;
    QLabel *ofLabel_ = nullptr;
    QLineEdit *pagesText_ = nullptr;
    QSpinBox *copies_ = nullptr;
    QTimer pageDelay_;
    QPointer<QMenu> popup_;
};

}  // namespace previewer
