#include "runtime/update_form.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <algorithm>
#include <cstring>

#include "runtime/dates.h"
#include "runtime/error_manager.h"
#include "runtime/file_manager.h"
#include "runtime/help.h"
#include "runtime/message.h"
#include "runtime/picture.h"

namespace rt {

namespace {
std::map<QString, std::vector<unsigned char>> &histories()
{
    static std::map<QString, std::vector<unsigned char>> h;
    return h;
}

// Entries of a string field accept no more bytes than the field holds.
class ByteLimit : public QValidator {
public:
    ByteLimit(int bytes, QObject *parent) : QValidator(parent), bytes_(bytes) {}
    State validate(QString &input, int &) const override
    {
        return input.toUtf8().size() <= bytes_ ? Acceptable : Invalid;
    }

private:
    int bytes_;
};

}  // namespace

void showAndFocus(QWidget *w)
{
    if (!w)
        return;
    // The tab page that holds the widget comes to the front before the cursor goes into it.
    for (QWidget *p = w->parentWidget(); p; p = p->parentWidget())
        if (auto *tabs = qobject_cast<QTabWidget *>(p))
            for (int i = 0; i < tabs->count(); ++i)
                if (tabs->widget(i)->isAncestorOf(w))
                    tabs->setCurrentIndex(i);
    w->setFocus();
    if (auto *e = qobject_cast<QLineEdit *>(w))
        e->selectAll();
}

void fitEntryToCharacters(QLineEdit *entry, int characters)
{
    if (!entry || characters <= 0)
        return;
    characters = std::min(characters, kEntryCharacters);
    const QFontMetrics fm = entry->fontMetrics();
    // The entry's own frame and margins: what its size hint adds to the 17 characters it allows.
    const int margins = std::max(0, entry->sizeHint().width() - 17 * fm.horizontalAdvance(QLatin1Char('x')));
    const int perCharacter = std::max(fm.averageCharWidth(), fm.horizontalAdvance(QLatin1Char('n')));
    const int width = characters * perCharacter + margins + fm.horizontalAdvance(QLatin1Char(' '));
    if (width > entry->minimumWidth())
        entry->setMinimumWidth(width);
}

int entryCharacters(const FieldDef &field, std::string_view picture)
{
    const Picture pic = Picture::parse(picture);
    switch (pic.kind) {
    case Picture::String:
        if (pic.width > 0)
            return pic.width;
        break;
    case Picture::Number:
        if (pic.width > 0)
            return pic.width;
        break;
    case Picture::Pattern:
        return static_cast<int>(pic.pattern.size());
    case Picture::Date:
        return static_cast<int>(formatDate(picture, makeDate(12, 28, 2000)).size());
    default:
        break;
    }
    return field.kind == FieldKind::STRING ? field.size : 0;
}

std::vector<unsigned char> *formHistory(const QString &procedureName)
{
    auto it = histories().find(procedureName);
    return it == histories().end() ? nullptr : &it->second;
}

UpdateForm::UpdateForm(const QString &procedureName, RelationManager &primary, int request, const QString &what)
    : WindowProcedure(procedureName), primary_(primary), request_(request), what_(what)
{
    this->request = request;
    insertCaption_ = "Adding a " + what + " Record";
    changeCaption_ = "Changing a " + what + " Record";
}

void UpdateForm::setCaptions(const QString &insert, const QString &change)
{
    insertCaption_ = insert;
    changeCaption_ = change;
}

const FieldDef &UpdateForm::fieldDef(int field) const
{
    return primary_.me.file.def().fields[static_cast<std::size_t>(field)];
}

QLineEdit *UpdateForm::bindEntry(QLineEdit *entry, std::string_view field, std::string picture)
{
    int f = primary_.me.file.def().fieldIndex(field);
    if (f >= 0 && fieldDef(f).kind == FieldKind::STRING && Picture::parse(picture).kind != Picture::Pattern)
        entry->setValidator(new ByteLimit(fieldDef(f).size, entry));
    if (f >= 0 && fieldDef(f).kind != FieldKind::STRING)
        entry->setAlignment(Qt::AlignRight);
    if (f >= 0)
        fitEntryToCharacters(entry, entryCharacters(fieldDef(f), picture));
    bindings_.push_back({entry, f, std::move(picture), {}, false, 0, {}});
    entry->installEventFilter(this);
    // Connected before the form's own handlers, so that they see the text as the picture shows it.
    connect(entry, &QLineEdit::editingFinished, this, [this, entry] {
        // A form that has ended loses its focus on the way out, when its record may be gone.
        if (isKilled() || !isVisible())
            return;
        for (Binding &b : bindings_)
            if (b.widget == entry)
                showThroughPicture(b);
    });
    return entry;
}

QCheckBox *UpdateForm::bindCheck(QCheckBox *box, std::string_view field)
{
    bindings_.push_back({box, primary_.me.file.def().fieldIndex(field), {}, {}, false, 0, {}});
    box->installEventFilter(this);
    return box;
}

QComboBox *UpdateForm::bindCombo(QComboBox *combo, std::string_view field)
{
    int f = primary_.me.file.def().fieldIndex(field);
    bindings_.push_back({combo, f, {}, {}, false, 0, {}});
    if (combo->isEditable() && f >= 0)
        combo->lineEdit()->setValidator(new ByteLimit(fieldDef(f).size, combo));
    combo->installEventFilter(this);
    return combo;
}

QPlainTextEdit *UpdateForm::bindMemo(QPlainTextEdit *memo)
{
    bindings_.push_back({memo, -1, {}, {}, false, 0, {}});
    memo->installEventFilter(this);
    return memo;
}

void UpdateForm::bindRadios(std::string_view field, const std::vector<std::pair<QAbstractButton *, std::string>> &choices)
{
    QWidget *first = choices.empty() ? nullptr : choices.front().first;
    Binding b{first, primary_.me.file.def().fieldIndex(field), {}, {}, false, 0, choices};
    bindings_.push_back(b);
}

void UpdateForm::setButtons(QPushButton *ok, QPushButton *cancel)
{
    ok_ = ok;
    cancel_ = cancel;
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, [this] { completeForm(); });
    connect(cancel, &QPushButton::clicked, this, [this] {
        if (canClose())
            finish(RequestCancelled);
    });
}

void UpdateForm::addStandardButtons(QBoxLayout *layout)
{
    auto *buttons = new QHBoxLayout;
    auto *ok = new QPushButton("OK");
    auto *cancel = new QPushButton("Cancel");
    auto *help = new QPushButton("Help");
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    buttons->addWidget(help);
    layout->addLayout(buttons);
    setButtons(ok, cancel);
    connect(help, &QPushButton::clicked, this, [this] { showHelp(helpContext()); });
}

void UpdateForm::displayBinding(Binding &b)
{
    const void *rec = primary_.me.file.record();
    if (b.field < 0 && !b.radios.empty())
        return;
    if (b.field < 0) {
        if (auto *m = qobject_cast<QPlainTextEdit *>(b.widget)) {
            std::string *memo = primary_.me.file.memo();
            m->setPlainText(memo ? QString::fromStdString(*memo) : QString());
        }
        return;
    }
    const FieldDef &f = fieldDef(b.field);
    if (!b.radios.empty()) {
        std::string v = fieldText(f, rec);
        for (auto &[button, value] : b.radios)
            button->setChecked(equalClipped(v, value));
        return;
    }
    if (auto *c = qobject_cast<QCheckBox *>(b.widget)) {
        c->setChecked(fieldNumber(f, rec) != 0);
        return;
    }
    QString text;
    Picture pic = Picture::parse(b.picture);
    if (f.kind == FieldKind::STRING)
        text = QString::fromStdString(pic.kind == Picture::Pattern ? formatText(b.picture, fieldText(f, rec))
                                                                   : fieldText(f, rec));
    else if (pic.kind == Picture::Date)
        text = QString::fromStdString(formatDate(b.picture, static_cast<std::int32_t>(fieldNumber(f, rec))));
    else if (pic.kind == Picture::Number)
        text = QString::fromStdString(formatNumber(pic, fieldNumber(f, rec), f.kind == FieldKind::DEC ? f.places : 0));
    else
        text = QString::fromStdString(fieldText(f, rec));
    b.shown = text;
    b.holds = false;
    if (auto *e = qobject_cast<QLineEdit *>(b.widget))
        e->setText(text);
    else if (auto *cb = qobject_cast<QComboBox *>(b.widget)) {
        if (cb->isEditable())
            cb->setEditText(text);
        else
            cb->setCurrentIndex(std::max(0, cb->findText(text, Qt::MatchFixedString)));
    }
}

void UpdateForm::showThroughPicture(Binding &b)
{
    auto *e = qobject_cast<QLineEdit *>(b.widget);
    if (!e || b.field < 0 || !b.radios.empty())
        return;
    const FieldDef &f = fieldDef(b.field);
    const Picture pic = Picture::parse(b.picture);
    const std::string typed = e->text().toStdString();
    // Text that the picture cannot read stays as typed: OK refuses it with its message.
    QString text;
    if (f.kind == FieldKind::STRING) {
        if (pic.kind != Picture::Pattern)
            return;
        text = QString::fromStdString(formatText(b.picture, deformatPattern(typed)));
    } else if (pic.kind == Picture::Date) {
        if (e->text() == b.shown)
            return;
        std::int32_t d = 0;
        if (!deformatDate(typed, d))
            return;
        text = QString::fromStdString(formatDate(b.picture, d));
        // A date shown with a two-digit year would read back in another century: the entry
        // holds the date it was given.
        b.shown = text;
        b.holds = true;
        b.held = d;
    } else if (pic.kind == Picture::Number) {
        const int places = f.kind == FieldKind::DEC ? f.places : 0;
        std::int64_t units = 0;
        std::vector<unsigned char> scratch(primary_.me.file.def().recordSize);
        if (!parseDecimal(typed, places, units) || !setFieldNumber(f, scratch.data(), units))
            return;
        const std::string shown = formatNumber(pic, units, places);
        if (!shown.empty() && shown.find_first_not_of('#') == std::string::npos)
            return;  // wider than the picture
        text = QString::fromStdString(shown);
    } else {
        return;
    }
    if (text != e->text())
        e->setText(text);
}

void UpdateForm::display()
{
    for (Binding &b : bindings_)
        displayBinding(b);
}

void UpdateForm::displayField(std::string_view field)
{
    int f = primary_.me.file.def().fieldIndex(field);
    for (Binding &b : bindings_)
        if (b.field == f)
            displayBinding(b);
}

bool UpdateForm::takeBinding(Binding &b, void *rec, std::string *memo, bool report)
{
    auto refuse = [&](const std::string &text) {
        if (report) {
            beep();
            message(text, "Invalid Entry", Icon::Exclamation, BUTTON_OK);
            showAndFocus(b.widget);
        }
        return false;
    };
    if (b.field < 0) {
        if (auto *m = qobject_cast<QPlainTextEdit *>(b.widget); m && memo)
            *memo = std::string(cutUtf8(m->toPlainText().toStdString(), primary_.me.file.def().memoMax));
        return true;
    }
    const FieldDef &f = fieldDef(b.field);
    if (!b.radios.empty()) {
        for (auto &[button, value] : b.radios)
            if (button->isChecked())
                setFieldText(f, rec, value);
        return true;
    }
    if (auto *c = qobject_cast<QCheckBox *>(b.widget)) {
        setFieldNumber(f, rec, c->isChecked() ? 1 : 0);
        return true;
    }
    QString text;
    if (auto *e = qobject_cast<QLineEdit *>(b.widget))
        text = e->text();
    else if (auto *cb = qobject_cast<QComboBox *>(b.widget))
        text = cb->currentText();
    Picture pic = Picture::parse(b.picture);
    if (f.kind == FieldKind::STRING) {
        std::string v = text.toStdString();
        if (pic.kind == Picture::Pattern)
            v = deformatPattern(v);  // the digits only; an entry left blank stays blank
        setFieldText(f, rec, v);
        return true;
    }
    if (pic.kind == Picture::Date) {
        if (text == b.shown) {
            // Untouched: a two-digit year on screen must not change the stored date.
            if (b.holds)
                setFieldNumber(f, rec, b.held);
            return true;
        }
        std::int32_t d = 0;
        if (!deformatDate(text.toStdString(), d))
            return refuse("Invalid date: " + text.toStdString());
        setFieldNumber(f, rec, d);
        return true;
    }
    std::int64_t units = 0;
    int places = f.kind == FieldKind::DEC ? f.places : 0;
    DecimalText read = readDecimal(text.toStdString(), places, units);
    if (read == DecimalText::NotANumber)
        return refuse("Invalid number: " + text.toStdString());
    if (read == DecimalText::TooLarge || !setFieldNumber(f, rec, units))
        return refuse("The value " + trim(text.toStdString()) + " is too large for this field.");
    return true;
}

bool UpdateForm::takeScreen()
{
    RecordFile &file = primary_.me.file;
    for (Binding &b : bindings_)
        if (!takeBinding(b, file.record(), file.memo(), true))
            return false;
    return true;
}

bool UpdateForm::changed()
{
    RecordFile &file = primary_.me.file;
    std::vector<unsigned char> probe(static_cast<unsigned char *>(file.record()),
                                     static_cast<unsigned char *>(file.record()) + file.def().recordSize);
    std::string memo = file.memo() ? *file.memo() : std::string();
    for (Binding &b : bindings_)
        takeBinding(b, probe.data(), &memo, false);
    return std::memcmp(probe.data(), original_.data(), original_.size()) != 0 || memo != originalMemo_;
}

QWidget *UpdateForm::firstEntry() const
{
    for (const Binding &b : bindings_)
        if (b.widget && b.widget->isEnabled())
            return b.widget;
    return nullptr;
}

int UpdateForm::init()
{
    std::vector<RelationManager *> files{&primary_};
    files.insert(files.end(), alsoOpen.begin(), alsoOpen.end());
    if (openFiles(files) != 0)
        return LevelFatal;
    RecordFile &file = primary_.me.file;
    if (request_ == ChangeRecord || request_ == DeleteRecord) {
        asRead_.assign(static_cast<unsigned char *>(file.record()),
                       static_cast<unsigned char *>(file.record()) + file.def().recordSize);
        asReadMemo_ = file.memo() ? *file.memo() : std::string();
    }
    if (preflight) {
        int level = preflight();
        if (level != 0)
            return level;
    }
    if (request_ == DeleteRecord) {
        // A delete opens no window: the question, then the delete with the relation's rule. The
        // record is deleted only as it was read: not an item another program put in its place
        // meanwhile (SQLite gives it the same number, its keys may match), nor one it changed.
        Stored found = Stored::AsRead;
        int level = primary_.deleteRecord(true, [&] {
            std::vector<unsigned char> disk;
            std::string diskMemo;
            found = compareStored(disk, diskMemo);
            return found == Stored::AsRead;
        });
        // Said once the delete's transaction has ended, so that no lock waits on the user.
        if (found == Stored::Deleted) {
            beep();
            message("Another program deleted this record after you opened it.|Nothing has been deleted.",
                    "Record Deleted", Icon::Exclamation, BUTTON_OK);
        } else if (found == Stored::Changed) {
            beep();
            message("Another program changed this record after you opened it.|Nothing has been deleted.",
                    "Record Changed", Icon::Exclamation, BUTTON_OK);
        } else if (found == Stored::Unreadable) {
            primary_.me.errors.throwFile(msg::DeleteFailed, clip(file.name));
        }
        response = level == 0 ? RequestCompleted : RequestCancelled;
        return LevelNotify;
    }
    if (request_ == InsertRecord) {
        primary_.me.primeRecord();
        if (primeRecord)
            primeRecord();
    }
    if (setupWindow) {
        int level = setupWindow();
        if (level != 0)
            return level;
    }
    original_.assign(static_cast<unsigned char *>(file.record()),
                     static_cast<unsigned char *>(file.record()) + file.def().recordSize);
    originalMemo_ = file.memo() ? *file.memo() : std::string();
    setWindowTitle(request_ == InsertRecord ? insertCaption_ : changeCaption_);
    display();
    if (QWidget *w = firstEntry())
        w->setFocus();
    return 0;
}

bool UpdateForm::completeForm()
{
    if (!takeScreen())
        return false;
    // Checked before the form's own checks, so that nobody answers their questions for a
    // record that cannot be saved as it stands.
    if (request_ == ChangeRecord && !stillAsRead())
        return false;
    if (validate && !validate())
        return false;
    RecordFile &file = primary_.me.file;
    int level;
    if (request_ == InsertRecord) {
        level = primary_.me.insert();  // a duplicate is refused with the key's description
    } else {
        // Checked once more where no other program can write between the check and the write.
        level = primary_.update(true, [this] { return storedIsAsRead(); });
        if (level == LevelCancel) {
            stillAsRead();  // says what happened meanwhile
            return false;
        }
    }
    if (level != 0) {
        if (QWidget *w = firstEntry())
            showAndFocus(w);
        return false;
    }
    // The history keeps the record completed last, for Ctrl+' in a later use of the form.
    histories()[procedureName()].assign(static_cast<unsigned char *>(file.record()),
                                        static_cast<unsigned char *>(file.record()) + file.def().recordSize);
    if (afterWrite)
        afterWrite();
    finish(RequestCompleted);
    return true;
}

bool UpdateForm::sameRecord(const unsigned char *stored) const
{
    // SQLite gives a new record the number of the last one deleted, so the number alone does not
    // tell an item from the one another program put in its place: its unique keys do.
    const TableDef &def = primary_.me.file.def();
    for (const KeyDef &k : def.keys) {
        if (!k.unique)
            continue;
        for (const KeyPart &part : k.parts) {
            const FieldDef &f = def.fields[static_cast<std::size_t>(part.field)];
            const std::string was = fieldText(f, asRead_.data()), is = fieldText(f, stored);
            if (f.kind == FieldKind::STRING ? !equalNoCase(was, is) : was != is)
                return false;
        }
    }
    return true;
}

UpdateForm::Stored UpdateForm::compareStored(std::vector<unsigned char> &disk, std::string &diskMemo)
{
    RecordFile &file = primary_.me.file;
    if (asRead_.size() != static_cast<std::size_t>(file.def().recordSize) || file.position() == 0)
        return Stored::AsRead;  // nothing was read: the write itself reports what is wrong
    disk = asRead_;
    diskMemo.clear();
    const int code = file.readPosition(file.position(), disk.data(), file.memo() ? &diskMemo : nullptr);
    if (code == 0 && disk == asRead_ && (!file.memo() || diskMemo == asReadMemo_))
        return Stored::AsRead;
    if (code == err::RecordNotFound || (code == 0 && !sameRecord(disk.data())))
        return Stored::Deleted;
    return code == 0 ? Stored::Changed : Stored::Unreadable;
}

bool UpdateForm::storedIsAsRead()
{
    std::vector<unsigned char> disk;
    std::string diskMemo;
    return compareStored(disk, diskMemo) == Stored::AsRead;
}

bool UpdateForm::stillAsRead()
{
    RecordFile &file = primary_.me.file;
    std::vector<unsigned char> disk;
    std::string diskMemo;
    const Stored stored = compareStored(disk, diskMemo);
    if (stored == Stored::AsRead)
        return true;
    if (stored == Stored::Deleted) {
        beep();
        message("Another program deleted this record after you opened it.|Your changes have not been saved.",
                "Record Deleted", Icon::Exclamation, BUTTON_OK);
        return false;
    }
    if (stored == Stored::Unreadable) {
        primary_.me.errors.throwFile(msg::UpdateFailed, clip(file.name));
        return false;
    }
    beep();
    const int answer = message("Another program changed this record after you opened it.|Your changes have not been saved."
                               "||Yes: show the record as it is now (Ctrl+' recalls your entry in a field)."
                               "|No: keep your changes in the form (OK then saves them over the other change).",
                               "Record Changed", Icon::Exclamation, BUTTON_YES | BUTTON_NO, BUTTON_YES);
    // Either way the change now seen is the one the next OK is measured against.
    asRead_ = disk;
    asReadMemo_ = diskMemo;
    if (answer == BUTTON_YES) {
        // The user's own values become the history, so that Ctrl+' brings any of them back.
        histories()[procedureName()].assign(static_cast<unsigned char *>(file.record()),
                                            static_cast<unsigned char *>(file.record()) + file.def().recordSize);
        std::memcpy(file.record(), disk.data(), disk.size());
        if (file.memo())
            *file.memo() = diskMemo;
        original_ = disk;
        originalMemo_ = diskMemo;
        display();
    }
    if (QWidget *w = firstEntry())
        showAndFocus(w);
    return false;
}

bool UpdateForm::canClose()
{
    if (asking_ || response == RequestCompleted)
        return true;
    if ((request_ == InsertRecord || request_ == ChangeRecord) && changed()) {
        asking_ = true;
        int level = primary_.me.errors.throwMessage(msg::ConfirmCancel);
        asking_ = false;
        if (level != LevelBenign) {
            if (QWidget *w = firstEntry())
                showAndFocus(w);
            return false;
        }
    }
    response = RequestCancelled;
    return true;
}

void UpdateForm::recallHistory(QWidget *w)
{
    std::vector<unsigned char> *h = formHistory(procedureName());
    if (!h)
        return;
    RecordFile &file = primary_.me.file;
    for (Binding &b : bindings_) {
        if (b.widget != w || b.field < 0)
            continue;
        // Show the remembered value without touching the rest of the record.
        std::vector<unsigned char> keep(static_cast<unsigned char *>(file.record()),
                                        static_cast<unsigned char *>(file.record()) + file.def().recordSize);
        const FieldDef &f = fieldDef(b.field);
        std::memcpy(static_cast<unsigned char *>(file.record()) + f.offset, h->data() + f.offset, f.size);
        displayBinding(b);
        b.shown.clear();  // the recalled value counts as typed
        std::memcpy(file.record(), keep.data(), keep.size());
    }
}

bool UpdateForm::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        auto *k = static_cast<QKeyEvent *>(event);
        if (k->key() == Qt::Key_Apostrophe && (k->modifiers() & Qt::ControlModifier)) {
            recallHistory(static_cast<QWidget *>(watched));
            return true;
        }
    }
    return WindowProcedure::eventFilter(watched, event);
}

}  // namespace rt
