#include "core/import_wizard.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <cstdio>
#include <sys/stat.h>

#include "model/dictionary.h"
#include "model/globals.h"
#include "model/import_lines.h"
#include "model/import_process.h"
#include "model/managers.h"
#include "runtime/errors.h"
#include "runtime/gui.h"
#include "runtime/help.h"
#include "runtime/message.h"
#include "runtime/text.h"
#include "runtime/window.h"

using namespace importing;

namespace {

QString q(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<int>(s.size())); }

QLabel *bold(const QString &text)
{
    auto *l = new QLabel(text);
    QFont f = l->font();
    f.setBold(true);
    l->setFont(f);
    return l;
}

std::int64_t fileSize(const std::string &path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? static_cast<std::int64_t>(st.st_size) : 0;
}

// The small window shown while the lines of a file are counted.
class CountingWindow : public QDialog {
public:
    explicit CountingWindow(QWidget *parent) : QDialog(parent)
    {
        setObjectName("FindingRecords");
        setWindowTitle("Finding Records to Import");
        setWindowFlag(Qt::WindowContextHelpButtonHint, false);
        auto *v = new QVBoxLayout(this);
        v->addWidget(bold("Totaling records to import"));
        auto *row = new QHBoxLayout;
        row->addWidget(new QLabel("Records found:"));
        count_ = new QLabel("0");
        row->addWidget(count_);
        row->addStretch();
        v->addLayout(row);
        v->addWidget(new QLabel("Please wait..."));
    }
    void show(std::int64_t n)
    {
        count_->setText(QString::number(n));
        QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }

private:
    QLabel *count_;
};

// "Results of Import": waits for a key or a click.
class ResultsWindow : public rt::WindowProcedure {
public:
    ResultsWindow(const Outcome &out, QWidget *parent) : rt::WindowProcedure("ImportResults", parent)
    {
        setKeepsPosition(false);
        setWindowTitle("Results of Import");
        auto *v = new QVBoxLayout(this);
        v->addWidget(bold("Import Results"), 0, Qt::AlignHCenter);
        auto *row = new QHBoxLayout;
        row->addWidget(new QLabel("Number of items added to Home Inventory:"));
        auto *added = new QLabel(QString::number(out.itemsAdded));
        added->setObjectName("ItemsAdded");
        row->addWidget(added);
        v->addLayout(row);
        auto *details = new QLabel;
        details->setObjectName("ImportDetails");
        QStringList lines;
        for (const std::string &l : resultLines(out))
            if (l.rfind("Number of items added", 0) != 0)
                lines << q(l);
        details->setText(lines.join('\n'));
        v->addWidget(details);
        v->addWidget(new QLabel("Press any key to continue..."), 0, Qt::AlignHCenter);
    }

protected:
    void keyPressEvent(QKeyEvent *) override { finish(rt::RequestCompleted); }
    void mousePressEvent(QMouseEvent *) override { finish(rt::RequestCompleted); }
};

// "Progress...": runs the import in slices, Cancel between them.
class ProgressWindow : public rt::WindowProcedure {
public:
    ProgressWindow(Importer &importer, QWidget *parent) : rt::WindowProcedure("ImportCollection", parent), imp_(importer)
    {
        setWindowTitle("Processing Records");
        auto *v = new QVBoxLayout(this);
        bar_ = new QProgressBar;
        bar_->setRange(0, 100);
        bar_->setValue(0);
        v->addWidget(bar_);
        v->addWidget(new QLabel("Importing Collection"), 0, Qt::AlignHCenter);
        done_ = new QLabel("0% Completed");
        done_->setObjectName("Completed");
        v->addWidget(done_, 0, Qt::AlignHCenter);
        auto *cancel = new QPushButton("Cancel");
        v->addWidget(cancel, 0, Qt::AlignHCenter);
        connect(cancel, &QPushButton::clicked, this, [this] { imp_.cancel(); });
        setMinimumWidth(320);
    }
    int init() override
    {
        QTimer::singleShot(0, this, [this] { work(); });
        return 0;
    }

protected:
    bool canClose() override
    {
        imp_.cancel();
        return false;  // the import ends at its next slice
    }

private:
    void work()
    {
        QPointer<ProgressWindow> alive(this);
        while (imp_.stepFor(std::chrono::milliseconds(250))) {
            bar_->setValue(imp_.percent());
            done_->setText(QString::number(imp_.percent()) + "% Completed");
            QApplication::processEvents();
            // The wizard closed from outside (another client chosen) takes this window along.
            if (!alive)
                return;
        }
        finish(imp_.outcome().cancelled ? rt::RequestCancelled : rt::RequestCompleted);
    }
    Importer &imp_;
    QProgressBar *bar_;
    QLabel *done_;
};

// A file that is no text is refused before anything is shown or added.
bool refusedAsNoText(const std::string &path)
{
    const std::string refusal = checkImportFile(path);
    if (refusal.empty())
        return false;
    rt::beep();
    rt::message(refusal, "File Error", rt::Icon::Exclamation, rt::BUTTON_OK);
    return true;
}

void openTextFileError()
{
    rt::beep();
    rt::message("Error opening the text file|Error: " + rt::errorText(), "File Error", rt::Icon::Exclamation,
                rt::BUTTON_ABORT);
}

class ImportWizard;
QPointer<ImportWizard> &openWizard()
{
    static QPointer<ImportWizard> w;
    return w;
}

class ImportWizard : public rt::WindowProcedure {
public:
    ImportWizard() : rt::WindowProcedure("ImportDatabase") {}

    int init() override
    {
        request = rt::takeRequest();
        setWindowTitle("Import ASCII File");
        setHelpContext("~IMPORT_DATABASE");
        Glo.ImportFormat = kCommaFormat;
        Glo.ImportFileName.clear();
        Glo.ImportHeader = 0;
        Glo.ImportDeleteQuotes = 1;
        Glo.ImportTest = 0;
        Glo.ImportTestRecords = 0;
        current_ = 1;
        // The links of an earlier import never carry over.
        if (ImportFields.isOpen())
            ImportFields.close();
        std::remove(rt::clip(ImportFields.name).c_str());
        Glo.Request = 0;
        Glo.Response = 0;
        if (int level = openFiles({Relate::ImportFields}))
            return level;
        if (Access::ImportFields->useFile() != 0)
            return rt::LevelFatal;
        build();
        previous_->setEnabled(false);
        showTestEntry();
        openWizard() = this;
        return 0;
    }

    void kill() override
    {
        if (isKilled())
            return;
        rt::WindowProcedure::kill();
        if (ImportASCIITab.isOpen())
            ImportASCIITab.close();
        Glo.Response = rt::RequestCancelled;
    }

    QTableWidget *list() const { return list_; }

private:
    void build()
    {
        auto *v = new QVBoxLayout(this);
        QFont hf("Arial");
        hf.setPointSize(13);
        hf.setBold(true);
        auto *heading = new QLabel("Import Home Inventory Database");
        heading->setFont(hf);
        v->addWidget(heading, 0, Qt::AlignHCenter);
        auto *top = new QHBoxLayout;
        top->addLayout(buildFormatStep());
        top->addLayout(buildFileSteps(), 1);
        v->addLayout(top);
        buildLinkStep(v);
        auto *bottom = new QHBoxLayout;
        bottom->addLayout(buildRulesStep(), 1);
        bottom->addLayout(buildImportStep());
        v->addLayout(bottom);
    }

    // Step 1: the format.
    QLayout *buildFormatStep()
    {
        auto *step1 = new QVBoxLayout;
        step1->addWidget(bold("Step 1:"));
        step1->addWidget(new QLabel("Select Database Format"));
        auto *formatBox = new QGroupBox("Database file format");
        auto *fv = new QVBoxLayout(formatBox);
        comma_ = new QRadioButton(kCommaFormat);
        tab_ = new QRadioButton(kTabFormat);
        comma_->setChecked(true);
        fv->addWidget(comma_);
        fv->addWidget(tab_);
        step1->addWidget(formatBox);
        return step1;
    }

    // Steps 2 and 3: the file, and how many lines it holds.
    QLayout *buildFileSteps()
    {
        auto *step23 = new QVBoxLayout;
        step23->addWidget(bold("Step 2:"));
        auto *fileRow = new QHBoxLayout;
        fileRow->addWidget(new QLabel("Data File to Import:"));
        fileName_ = new QLineEdit;
        fileName_->setObjectName("FileName");
        fileName_->setMaxLength(80);
        fileName_->setMinimumWidth(280);
        fileRow->addWidget(fileName_, 1);
        auto *lookup = new QPushButton("...");
        lookup->setObjectName("LookupFile");
        lookup->setToolTip("Select File To Import");
        lookup->setMaximumWidth(32);
        fileRow->addWidget(lookup);
        connect(lookup, &QPushButton::clicked, this, [this] { chooseFile(); });
        step23->addLayout(fileRow);
        step23->addWidget(bold("Step 3:"));
        auto *displayRow = new QHBoxLayout;
        auto *display = new QPushButton("Display the file");
        display->setToolTip("Display the file");
        displayRow->addWidget(display);
        connect(display, &QPushButton::clicked, this, [this] { displayFile(); });
        displayRow->addSpacing(12);
        displayRow->addWidget(new QLabel("Number of records to import:"));
        count_ = new QLabel("0");
        count_->setObjectName("RecordCount");
        count_->setMinimumWidth(60);
        displayRow->addWidget(count_);
        displayRow->addStretch();
        step23->addLayout(displayRow);
        return step23;
    }

    // Step 4: the lines of the file, field by field, and the item fields they go to.
    void buildLinkStep(QVBoxLayout *v)
    {
        v->addWidget(bold("Step 4: Assign Fields"));
        line_ = new QLineEdit;
        line_->setObjectName("CurrentLine");
        line_->setReadOnly(true);
        line_->setFocusPolicy(Qt::NoFocus);
        v->addWidget(line_);
        auto *middle = new QHBoxLayout;
        auto *listSide = new QVBoxLayout;
        list_ = new QTableWidget(0, 4);
        list_->setObjectName("Browsing Records");
        list_->setAccessibleName("Browsing Records");
        list_->setHorizontalHeaderLabels({"Field Number", "Field Contents", "Link To Name", "Link To Field"});
        list_->setSelectionBehavior(QAbstractItemView::SelectRows);
        list_->setSelectionMode(QAbstractItemView::SingleSelection);
        list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
        list_->verticalHeader()->hide();
        list_->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
        list_->setMinimumSize(520, 220);
        listSide->addWidget(list_);
        auto *moveRow = new QHBoxLayout;
        previous_ = new QPushButton("<< Previous");
        next_ = new QPushButton("Next >>");
        moveRow->addStretch();
        moveRow->addWidget(previous_);
        moveRow->addWidget(next_);
        moveRow->addStretch();
        connect(next_, &QPushButton::clicked, this, [this] { nextLine(); });
        connect(previous_, &QPushButton::clicked, this, [this] { previousLine(); });
        listSide->addLayout(moveRow);
        middle->addLayout(listSide, 1);
        auto *links = new QGridLayout;
        int i = 0;
        for (const LinkTarget &t : linkTargets()) {
            auto *b = new QPushButton(t.name);
            b->setObjectName(QString("Link ") + t.name);
            links->addWidget(b, i / 2, i % 2);
            connect(b, &QPushButton::clicked, this, [this, t] { link(t); });
            ++i;
        }
        auto *clearAll = new QPushButton("Clear All");
        clearAll->setToolTip("Clear all links and start over");
        links->addWidget(clearAll, i / 2, i % 2);
        connect(clearAll, &QPushButton::clicked, this, [this] { clearAllLinks(); });
        middle->addLayout(links);
        v->addLayout(middle, 1);
    }

    // Step 5: the rules the lines are read by.
    QLayout *buildRulesStep()
    {
        auto *rules = new QVBoxLayout;
        rules->addWidget(bold("Step 5: Rules"));
        header_ = new QCheckBox("First Record Is Header");
        header_->setToolTip("Is this first record in the file a header");
        upper_ = new QCheckBox("Force Uppercase");
        upper_->setToolTip("Import in all upper case?");
        upper_->setChecked(Glo.ImportUppercase == 1);
        quotes_ = new QCheckBox("Delete Quotes");
        quotes_->setToolTip("Delete \" delimiters on fields");
        quotes_->setChecked(true);
        test_ = new QCheckBox("Test Import");
        test_->setToolTip("Test the import before doing complete import");
        connect(test_, &QCheckBox::toggled, this, [this] { showTestEntry(); });
        auto *checks = new QGridLayout;
        checks->addWidget(header_, 0, 0);
        checks->addWidget(upper_, 0, 1);
        checks->addWidget(quotes_, 1, 0);
        checks->addWidget(test_, 1, 1);
        rules->addLayout(checks);
        auto *testRow = new QHBoxLayout;
        testLabel_ = new QLabel("Records To Import:");
        testRecords_ = new QSpinBox;
        testRecords_->setObjectName("RecordsToImport");
        testRecords_->setRange(0, 9999999);
        testRecords_->setToolTip("Number of records to import");
        testRow->addWidget(testLabel_);
        testRow->addWidget(testRecords_);
        testRow->addStretch();
        rules->addLayout(testRow);
        return rules;
    }

    // Step 6: the import started, or the wizard left.
    QLayout *buildImportStep()
    {
        auto *step6 = new QVBoxLayout;
        step6->addWidget(bold("Step 6: Import Data"));
        auto *buttons = new QHBoxLayout;
        auto *import = new QPushButton("Import");
        import->setToolTip("Start the import process");
        auto *cancel = new QPushButton("Cancel");
        auto *help = new QPushButton("Help");
        buttons->addWidget(import);
        buttons->addWidget(cancel);
        buttons->addWidget(help);
        step6->addLayout(buttons);
        step6->addStretch();
        connect(import, &QPushButton::clicked, this, [this] { startImport(); });
        connect(cancel, &QPushButton::clicked, this, [this] { finish(rt::RequestCancelled); });
        connect(help, &QPushButton::clicked, this, [this] { rt::showHelp(helpContext()); });
        return step6;
    }

    // The screen's values into the globals the process reads.
    void copyScreen()
    {
        Glo.ImportFormat = tab_->isChecked() ? kTabFormat : kCommaFormat;
        Glo.ImportFileName = fileName_->text().toStdString();
        Glo.ImportHeader = header_->isChecked();
        Glo.ImportUppercase = upper_->isChecked();
        Glo.ImportDeleteQuotes = quotes_->isChecked();
        Glo.ImportTest = test_->isChecked();
        Glo.ImportTestRecords = testRecords_->value();
    }

    void showTestEntry()
    {
        testLabel_->setVisible(test_->isChecked());
        testRecords_->setVisible(test_->isChecked());
        // The entry makes the rules taller: the window grows with it rather than squeeze the
        // list under its buttons.
        if (QWidget *outer = outerWindow()) {
            layout()->activate();
            const QSize extra = outer->size() - size();
            outer->resize(outer->size().expandedTo(minimumSizeHint() + extra));
        }
    }

    void chooseFile()
    {
        copyScreen();
        QString chosen = askImportFile(this, fileName_->text());
        fileName_->setText(q(rt::cutUtf8(chosen.toStdString(), 80)));
    }

    void deleteAllLinks()
    {
        while (ImportFields.setFileOrder() == 0 && ImportFields.next() == 0)
            if (ImportFields.del() != 0)
                break;
        rt::clearError();
    }

    // Split the line and add one link record per column.
    void showLine(const std::string &raw)
    {
        std::string text = lineText(raw, current_ == 1);
        text = std::string(rt::cutUtf8(text, kMaxLineBytes));
        line_->setText(q(text));
        for (const Column &c : splitLine(text, tab_->isChecked() ? Format::Tab : Format::Comma)) {
            rt::clearRecord(ImportFields.def(), &IMP);
            IMP.FIELDNUMBER = static_cast<rt::Byte>(c.number);
            if (ImportFields.get(*ImportFields.def().key("FIELDNUMBERKEY")) == 0)
                continue;
            rt::clearRecord(ImportFields.def(), &IMP);
            IMP.FIELDNUMBER = static_cast<rt::Byte>(c.number);
            IMP.FIELDCONTENTS = c.text;
            ImportFields.add();
        }
        refresh();
    }

    void refresh(int keepNumber = 0)
    {
        list_->setRowCount(0);
        ImportFields.set(*ImportFields.def().key("FIELDNUMBERKEY"));
        int row = 0, select = 0;
        while (ImportFields.next() == 0) {
            list_->insertRow(row);
            auto cell = [&](int col, const QString &text, bool number) {
                auto *item = new QTableWidgetItem(text);
                if (number)
                    item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
                list_->setItem(row, col, item);
            };
            cell(0, QString::number(IMP.FIELDNUMBER), true);
            cell(1, q(IMP.FIELDCONTENTS.view()), false);
            cell(2, q(IMP.LINKTONAME.view()), false);
            cell(3, QString::number(IMP.LINKTOFIELD), true);
            if (IMP.FIELDNUMBER == keepNumber)
                select = row;
            ++row;
        }
        rt::clearError();
        if (row > 0)
            list_->selectRow(select);
    }

    void displayFile()
    {
        copyScreen();
        ImportASCIITab.name = Glo.ImportFileName.str();
        if (ImportASCIITab.isOpen())
            ImportASCIITab.close();
        if (ImportASCIITab.open(rt::mode::ReadWriteDenyWrite) != 0) {
            openTextFileError();
            return;
        }
        // Another file's columns and links never stay beside this one's, nor beside a refused one.
        deleteAllLinks();
        line_->clear();
        if (refusedAsNoText(rt::clip(ImportASCIITab.name))) {
            ImportASCIITab.close();
            count_->setText("0");
            refresh();
            return;
        }
        {
            QApplication::setOverrideCursor(Qt::WaitCursor);
            auto *counting = new CountingWindow(this);
            counting->QDialog::show();
            std::int64_t n = 0;
            ImportASCIITab.set();
            while (ImportASCIITab.next() == 0)
                if (++n % 500 == 0)
                    counting->show(n);
            counting->show(n);
            QApplication::restoreOverrideCursor();
            delete counting;
            count_->setText(QString::number(n));
        }
        current_ = 1;
        previous_->setEnabled(false);
        next_->setEnabled(true);
        ImportASCIITab.set();
        if (ImportASCIITab.next() != 0) {
            refresh();
            return;
        }
        showLine(ImportASCIITab.line());
    }

    bool readFailed(int rc)
    {
        if (rc == 0)
            return false;
        rt::message("Error reading text file|Error: " + rt::errorText(), "File Error", rt::Icon::Exclamation,
                    rt::BUTTON_OK);
        refresh();
        return true;
    }
    int readLine() { return ImportASCIITab.isOpen() ? ImportASCIITab.next() : (rt::setError(rt::err::NotOpen), rt::err::NotOpen); }

    void nextLine()
    {
        copyScreen();
        previous_->setEnabled(true);
        ++current_;
        deleteAllLinks();
        line_->clear();
        if (readFailed(readLine()))
            return;
        showLine(ImportASCIITab.line());
        list_->setFocus();
    }

    void previousLine()
    {
        copyScreen();
        --current_;
        deleteAllLinks();
        line_->clear();
        if (current_ <= 1) {
            previous_->setEnabled(false);
            current_ = 1;
        }
        int rc = ImportASCIITab.isOpen() ? ImportASCIITab.set() : (rt::setError(rt::err::NotOpen), rt::err::NotOpen);
        for (std::int64_t i = 0; i < current_ && rc == 0; ++i)
            rc = ImportASCIITab.next();
        if (readFailed(rc))
            return;
        showLine(ImportASCIITab.line());
        list_->setFocus();
    }

    void link(const LinkTarget &t)
    {
        copyScreen();
        auto rows = list_->selectionModel()->selectedRows();
        if (rows.isEmpty())
            return;
        const int number = list_->item(rows.first().row(), 0)->text().toInt();
        rt::clearRecord(ImportFields.def(), &IMP);
        IMP.FIELDNUMBER = static_cast<rt::Byte>(number);
        if (ImportFields.get(*ImportFields.def().key("FIELDNUMBERKEY")) != 0)
            return;
        if (IMP.LINKTOFIELD != 0) {
            IMP.LINKTOFIELD = 0;
            IMP.LINKTONAME.clear();
        } else {
            IMP.LINKTOFIELD = static_cast<rt::Byte>(t.number);
            IMP.LINKTONAME = t.name;
        }
        ImportFields.put();
        next_->setEnabled(false);
        previous_->setEnabled(false);
        refresh(number);
    }

    void clearAllLinks()
    {
        copyScreen();
        ImportFields.setFileOrder();
        while (ImportFields.next() == 0) {
            IMP.LINKTOFIELD = 0;
            IMP.LINKTONAME.clear();
            ImportFields.put();
        }
        rt::clearError();
        next_->setEnabled(true);
        previous_->setEnabled(false);
        refresh();
    }

    void startImport()
    {
        copyScreen();
        if (Glo.ImportFileName.blank()) {
            rt::beep();
            rt::message("You must enter the name of the file you wish to import", "Data Error", rt::Icon::Exclamation,
                        rt::BUTTON_RETRY);
            fileName_->setFocus();
            return;
        }
        if (Glo.ImportTest == 1 && Glo.ImportTestRecords.get() == 0) {
            rt::beep();
            rt::message("You must enter the number of records you wish to import", "Data Error", rt::Icon::Exclamation,
                        rt::BUTTON_RETRY);
            testRecords_->setFocus();
            return;
        }
        // An import with nothing linked would add only empty items.
        bool any = false;
        for (std::uint8_t l : readLinks(ImportFields))
            any |= l != 0;
        if (!any) {
            rt::beep();
            rt::message("You must link at least one column to an item field before you import", "Data Error",
                        rt::Icon::Exclamation, rt::BUTTON_RETRY);
            list_->setFocus();
            return;
        }
        next_->setEnabled(false);
        previous_->setEnabled(false);
        if (ImportASCIITab.isOpen())
            ImportASCIITab.close();
        QPointer<ImportWizard> alive(this);
        ImportCollection();
        if (!alive)
            return;
        if (Glo.ImportTest != 1)
            finish(rt::RequestCancelled);
    }

    QRadioButton *comma_ = nullptr, *tab_ = nullptr;
    QLineEdit *fileName_ = nullptr, *line_ = nullptr;
    QLabel *count_ = nullptr, *testLabel_ = nullptr;
    QTableWidget *list_ = nullptr;
    QPushButton *previous_ = nullptr, *next_ = nullptr;
    QCheckBox *header_ = nullptr, *upper_ = nullptr, *quotes_ = nullptr, *test_ = nullptr;
    QSpinBox *testRecords_ = nullptr;
    std::int64_t current_ = 1;
};

}  // namespace

QString askImportFile(QWidget *parent, const QString &start)
{
    auto *dialog = new QFileDialog(parent, "Select File To Import", start);
    dialog->setObjectName("SelectFileToImport");
    // Our own dialog, whose masks match names case-blind (ITEMS.CSV under "*.csv").
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setFilter(dialog->filter() & ~QDir::CaseSensitive);
    dialog->setFileMode(QFileDialog::ExistingFile);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setNameFilters({"CSV Files (*.csv)", "Text Files (*.txt)", "All Files (*)"});
    QPointer<QFileDialog> alive(dialog);
    QString chosen;
    if (dialog->exec() == QDialog::Accepted && alive && !dialog->selectedFiles().isEmpty())
        chosen = dialog->selectedFiles().first();
    delete alive.data();
    return chosen;
}

void ImportCollection()
{
    rt::takeRequest();
    const Options options = Options::fromGlobals();
    ImportASCIITab.name = Glo.ImportFileName.str();
    if (ImportASCIITab.isOpen())
        ImportASCIITab.close();
    if (ImportASCIITab.open(rt::mode::ReadOnlyDenyNone) != 0) {
        openTextFileError();
        return;
    }
    if (refusedAsNoText(rt::clip(ImportASCIITab.name))) {
        ImportASCIITab.close();
        return;
    }
    const bool fields = Relate::ImportFields->open() == 0;
    const bool items = fields && Relate::MasterInventory->open() == 0;
    if (items && Access::ImportFields->useFile() == 0 && Access::MasterInventory->useFile() == 0) {
        Importer importer(ImportASCIITab, MasterInventory, options, readLinks(ImportFields),
                          fileSize(ImportASCIITab.name));
        rt::runModal(new ProgressWindow(importer, rt::modalParent()));
        importer.close();  // the window may have gone before the import ended
        rt::runModal(new ResultsWindow(importer.outcome(), rt::modalParent()));
    }
    if (items)
        Relate::MasterInventory->close();
    if (fields)
        Relate::ImportFields->close();
    ImportASCIITab.close();
}

void ImportDatabase()
{
    if (ImportWizard *open = openWizard()) {
        if (!open->isKilled()) {
            QWidget *outer = open->outerWindow();
            if (auto *sub = qobject_cast<QMdiSubWindow *>(outer); sub && sub->mdiArea())
                sub->mdiArea()->setActiveSubWindow(sub);
            outer->showNormal();
            outer->raise();
            outer->activateWindow();
            return;
        }
    }
    (new ImportWizard)->start();
}

void registerImportProcedures()
{
    rt::registerProcedure("ImportDatabase", ImportDatabase);
    rt::registerProcedure("ImportCollection", ImportCollection);
}
