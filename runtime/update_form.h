// The update form: one record of a file shown in entries, for an insert, a change or a delete.
// It primes a new record, writes the record when OK completes (an insert through the file
// manager, a change through the relation manager in one transaction), keeps a field history
// that Ctrl+' recalls, and warns before changes are thrown away.
#pragma once

#include <QString>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "runtime/window.h"

class QAbstractButton;
class QBoxLayout;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QWidget;

namespace rt {

class FileManager;
class RelationManager;
struct FieldDef;

class UpdateForm : public WindowProcedure {
    Q_OBJECT
public:
    // `request` is the caller's request (insert, change or delete); `what` names the record in
    // the captions ("Adding a Clients Record").
    UpdateForm(const QString &procedureName, RelationManager &primary, int request, const QString &what);

    // Entries bound to fields of the primary record. The picture decides how a number or a date
    // is shown and read back; a phone picture stores the digits only. Once the focus leaves an
    // entry it shows its value through the picture, and that text reads back as the same value.
    // The entry is made wide enough for the field's characters (up to kEntryCharacters).
    QLineEdit *bindEntry(QLineEdit *entry, std::string_view field, std::string picture = {});
    QCheckBox *bindCheck(QCheckBox *box, std::string_view field);
    QComboBox *bindCombo(QComboBox *combo, std::string_view field);
    QPlainTextEdit *bindMemo(QPlainTextEdit *memo);
    // A group of radio buttons holding one text value each.
    void bindRadios(std::string_view field, const std::vector<std::pair<QAbstractButton *, std::string>> &choices);

    // Show the record's values in the entries, or one field's value.
    void display();
    void displayField(std::string_view field);
    // Copy the entries into the record. A value that the field cannot hold is refused with a
    // message and the cursor goes to its entry; false then.
    bool takeScreen();

    QPushButton *okButton() const { return ok_; }
    QPushButton *cancelButton() const { return cancel_; }
    void setButtons(QPushButton *ok, QPushButton *cancel);
    // The form's usual button row (OK, Cancel, Help) at the foot of a layout.
    void addStandardButtons(QBoxLayout *layout);

    // Captions by request; defaults "Adding a <what> Record" and "Changing a <what> Record".
    void setCaptions(const QString &insert, const QString &change);

    int init() override;

    // Hooks: more files to open with the primary one; priming of a new record; checks before
    // the record is written (false keeps the form open); work after a successful write.
    std::vector<RelationManager *> alsoOpen;
    std::function<void()> primeRecord;
    std::function<bool()> validate;
    std::function<void()> afterWrite;
    // Checks once the files are open, before the record is primed or deleted; non-zero stops.
    std::function<int()> preflight;
    // Set up the window (entries, layout) once the record is primed; a non-zero level stops.
    std::function<int()> setupWindow;

    // OK: take the screen, check, write. Returns true when the form completed.
    bool completeForm();
    int formRequest() const { return request_; }
    RelationManager &primary() const { return primary_; }
    // True when any entry differs from the record as primed or read.
    bool changed();

protected:
    bool canClose() override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct Binding {
        QWidget *widget;
        int field;            // -1 for the memo
        std::string picture;
        QString shown;        // the text as last displayed, so an unchanged date keeps its value
        bool holds = false;   // `shown` stands for `held`, not for the record's value
        std::int64_t held = 0;
        std::vector<std::pair<QAbstractButton *, std::string>> radios;
    };
    const FieldDef &fieldDef(int field) const;
    void displayBinding(Binding &b);
    void showThroughPicture(Binding &b);
    bool takeBinding(Binding &b, void *record, std::string *memo, bool report);
    QWidget *firstEntry() const;
    void recallHistory(QWidget *w);
    // Before a change is written: true when the record on disk is still the one the form read.
    // Otherwise the user hears that another program changed or deleted it, and may load it as
    // it is now; the form stays open either way.
    bool stillAsRead();
    // The same question without a word to the user: the guard of the write itself.
    bool storedIsAsRead();
    // What the file holds now where the form read its record, read into `disk` and `diskMemo`:
    // the record as read, the item changed, no longer the item (deleted, or another put in its
    // place), or a read that failed. AsRead also when nothing was read.
    enum class Stored { AsRead, Changed, Deleted, Unreadable };
    Stored compareStored(std::vector<unsigned char> &disk, std::string &diskMemo);
    // True when a stored record is the item the form read, not another put in its place.
    bool sameRecord(const unsigned char *stored) const;

    RelationManager &primary_;
    int request_;
    QString what_;
    QString insertCaption_, changeCaption_;
    std::vector<Binding> bindings_;
    std::vector<unsigned char> original_;
    std::string originalMemo_;
    // The record as read from the file for a change, to find another program's change.
    std::vector<unsigned char> asRead_;
    std::string asReadMemo_;
    QPushButton *ok_ = nullptr;
    QPushButton *cancel_ = nullptr;
    bool asking_ = false;
};

// Puts the cursor into an entry, bringing the tab page that holds it to the front first.
void showAndFocus(QWidget *entry);

// The widest entry a field gets by its length: wider fields scroll within this many characters.
constexpr int kEntryCharacters = 40;
// Gives an entry room for `characters` characters of its font (at most kEntryCharacters); never
// narrows it.
void fitEntryToCharacters(QLineEdit *entry, int characters);
// The characters a field's entry shows with its picture: the picture's width, a pattern's or a
// date's length, else the field's size.
int entryCharacters(const FieldDef &field, std::string_view picture);

// The field history of every form of this run: the record each form last completed with OK.
std::vector<unsigned char> *formHistory(const QString &procedureName);

}  // namespace rt
