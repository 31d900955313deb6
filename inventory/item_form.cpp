#include "inventory/item_form.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QStandardItemModel>
#include <QTabWidget>
#include <QTreeView>
#include <QStatusBar>
#include <QVBoxLayout>
#include <climits>
#include <cmath>
#include <map>
#include <stdexcept>

#include "model/dictionary.h"
#include "model/globals.h"
#include "model/managers.h"
#include "model/item_layout.h"
#include "runtime/browse.h"
#include "runtime/dates.h"
#include "runtime/file_drop.h"
#include "runtime/gui.h"
#include "runtime/help.h"
#include "runtime/image.h"
#include "runtime/message.h"
#include "runtime/picture.h"
#include "runtime/update_form.h"

namespace inventory {

namespace {

PictureChooser &chooser()
{
    static PictureChooser c = [](QWidget *owner, const QString &title, const QString &filter, const QString &start) {
        return QFileDialog::getOpenFileName(owner, title, start, filter);
    };
    return c;
}

const char *const kImageFilter = "JPG Files (*.jpg);;BMP Files (*.bmp);;GIF Files (*.gif);;All Files (*)";

const rt::FieldDef &masField(std::string_view name)
{
    return dict::MasterInventoryDef.fields[static_cast<std::size_t>(dict::MasterInventoryDef.fieldIndex(name))];
}

using rt::FileDrop;

// One picture tab: the path entry and the area the picture is fitted into.
struct PictureTab {
    const char *field;
    QLineEdit *path = nullptr;
    QLabel *display = nullptr;
};

// A control as built from its description, with the prompt label before it if it has one.
struct BuiltControl {
    const layout::Control *control;
    QLabel *prompt;
    QWidget *widget;
};

class ItemForm : public rt::UpdateForm, private ItemOkHost {
public:
    ItemForm(const model::Edition &edition, Variant variant, const std::string &word, int req)
        : rt::UpdateForm(itemFormName(variant), *Relate::MasterInventory, req, "Master Inventory"),
          edition_(edition), variant_(variant), word_(word)
    {
        setWindowTitle("Update the MasterInventory File");
        setHelpContext("~UPDATE_HOME_INVENTORY");
        alsoOpen = {Relate::Category,  Relate::Location, Relate::Conditions,    Relate::QORSubject,
                    Relate::Heirs,     Relate::Vendors,  Relate::Manufacturers, Relate::UserFields};
        preflight = [this] { return opening(); };
        primeRecord = [this] {
            primeNewItem(MAS, variant_, word_, Glo.LastLocation.str(), rt::today());
            newItem_ = true;
        };
        setupWindow = [this] { return setup(); };
        validate = [this] { return checkOk(); };
        afterWrite = [this] { Glo.LastLocation = locationToRemember(MAS, settings_); };
    }

private:
    // ---- opening --------------------------------------------------------------------------
    int opening()
    {
        MainSystemFileRecord settings;
        if (edition_.readSettings && edition_.readSettings(settings))
            settings_ = ItemSettings::from(settings);
        if (edition_.userFieldTitles)
            titles_ = edition_.userFieldTitles();
        return 0;
    }

    int setup()
    {
        unit_ = fontMetrics().averageCharWidth() / 4.0;
        auto *outer = new QVBoxLayout(this);
        tabs_ = new QTabWidget;
        tabs_->setObjectName("sheet");
        outer->addWidget(tabs_);
        for (const layout::Tab &t : layout::itemTabs())
            buildTab(t);
        // Read-only entries ahead of the first typed control are bound last, so that the cursor
        // starts in a control one can change.
        for (auto &[e, c] : boundLast_)
            bindEntry(e, c->field, c->picture ? c->picture : "");

        addStandardButtons(outer);
        // The status line: why a picture named on a tab is not shown, when that is not damage.
        status_ = new QStatusBar;
        status_->setObjectName("status");
        status_->setSizeGripEnabled(false);
        outer->addWidget(status_);

        setCaptions("Adding a Master Inventory Record  (New)",
                    "Changing a Master Inventory Record  (" + QString::fromStdString(MAS.DESCRIPTION.str()) + ")");
        if (variant_ == Variant::Category) {
            hideForCategory();
            drop("CATEGORY").combo()->setEnabled(false);
        }
        if (variant_ == Variant::Location)
            drop("LOCATION").combo()->setEnabled(false);
        showExtended();
        for (auto &[field, t] : pictures_)
            if (!fieldText(t.field).empty())
                fit(t, QString::fromStdString(fieldText(t.field)));
        if (MAS.APPRAISED != 1)
            clearAppraisal();
        showAppraisal(MAS.APPRAISED == 1);
        fillLists();
        return 0;
    }

    // ---- building the tabs from their description -----------------------------------------------
    QPushButton *smallButton(const QString &text, const QString &tip)
    {
        auto *b = new QPushButton(text);
        b->setObjectName(tip);
        b->setToolTip(tip);
        b->setAutoDefault(false);
        b->setMaximumWidth(std::max(30, fontMetrics().horizontalAdvance(text) + 16));
        return b;
    }

    static bool hasPromptLabel(layout::Kind k)
    {
        using K = layout::Kind;
        return k == K::Entry || k == K::ReadOnlyEntry || k == K::Display || k == K::DropList ||
               k == K::PicturePath || k == K::PictureFor;
    }

    void buildTab(const layout::Tab &t)
    {
        auto *page = new QWidget;
        QVBoxLayout *v = nullptr;
        if (t.heading) {
            v = new QVBoxLayout(page);
            v->addWidget(new QLabel(t.heading));
        }
        bool fills = false;
        for (const layout::Section &s : t.sections)
            fills = buildSection(s, page, v) || fills;
        if (v && !fills)
            v->addStretch(1);
        tabs_->addTab(page, t.title);
    }

    // The grid a section's controls go in: on the page, or in a box when it has a caption. For
    // a section of two columns, the left column's grid, with `right` the right column's.
    static QGridLayout *sectionGrid(const layout::Section &s, QWidget *page, QVBoxLayout *v, QGridLayout *&right)
    {
        QGridLayout *g;
        if (s.caption) {
            auto *box = new QGroupBox(s.caption);
            g = new QGridLayout(box);
            v->addWidget(box);
        } else if (v) {
            g = new QGridLayout;
            v->addLayout(g);
        } else {
            g = new QGridLayout(page);
        }
        right = nullptr;
        // A section of two columns lays each out on its own, so that what a category hides in
        // one column closes up there instead of leaving a gap beside the other.
        if (s.gapColumn >= 0) {
            right = new QGridLayout;
            auto *left = new QGridLayout;
            left->setContentsMargins(0, 0, 0, 0);
            right->setContentsMargins(0, 0, 0, 0);
            g->addLayout(left, 0, 0, Qt::AlignTop);
            g->addLayout(right, 0, 2, Qt::AlignTop);
            g->setColumnMinimumWidth(1, 16);
            g->setColumnStretch(0, 1);
            g->setColumnStretch(2, 1);
            g->setRowStretch(1, 1);
            g = left;
        }
        return g;
    }

    // A section's controls in their cells; true when one of them is a memo, which fills the page.
    bool buildSection(const layout::Section &s, QWidget *page, QVBoxLayout *v)
    {
        QGridLayout *right = nullptr;
        QGridLayout *g = sectionGrid(s, page, v, right);
        // Controls sharing a cell sit side by side in it.
        std::map<std::pair<int, int>, int> inCell;
        for (const layout::Control &c : s.controls)
            ++inCell[{c.row, c.col}];
        std::map<std::pair<int, int>, QHBoxLayout *> rows;
        bool fills = false;
        for (const layout::Control &c : s.controls) {
            const bool onRight = right && c.col > s.gapColumn;
            QHBoxLayout **shared = inCell[{c.row, c.col}] > 1 ? &rows[{c.row, c.col}] : nullptr;
            place(c, onRight ? right : g, onRight ? c.col - s.gapColumn - 1 : c.col, shared);
            fills = fills || c.kind == layout::Kind::Memo;
        }
        for (int col : s.stretchColumns) {
            if (right && col > s.gapColumn)
                right->setColumnStretch(col - s.gapColumn - 1, 1);
            else
                g->setColumnStretch(col, 1);
        }
        if (s.stretchRow >= 0 && !right)
            g->setRowStretch(s.stretchRow, 1);
        return fills;
    }

    // A control, and its prompt in the column before it, in its cell of `cg`; `shared` is the
    // row of the controls that share the cell (null when it has the cell alone).
    void place(const layout::Control &c, QGridLayout *cg, int col, QHBoxLayout **shared)
    {
        QLabel *prompt = nullptr;
        if (hasPromptLabel(c.kind)) {
            prompt = new QLabel(c.userTitle ? QString::fromStdString(titles_[static_cast<std::size_t>(c.userTitle - 1)])
                                            : QString(c.prompt));
            if (c.userTitle)
                prompt->setObjectName(QString("Title %1").arg(c.userTitle));
            cg->addWidget(prompt, c.row, col - 1);
        }
        QWidget *w = build(c);
        if (shared) {
            if (!*shared) {
                *shared = new QHBoxLayout;
                cg->addLayout(*shared, c.row, col);
            }
            (*shared)->addWidget(w);
        } else if (c.kind == layout::Kind::PictureArea) {
            cg->addWidget(w, c.row, col, c.rowSpan, c.colSpan, Qt::AlignLeft | Qt::AlignTop);
        } else {
            cg->addWidget(w, c.row, col, c.rowSpan, c.colSpan);
        }
        built_.push_back({&c, prompt, w});
        if (c.field) {
            if (prompt)
                parts_[c.field].push_back(prompt);
            parts_[c.field].push_back(w);
        }
        hook(c, w);
    }

    QWidget *build(const layout::Control &c)
    {
        using K = layout::Kind;
        switch (c.kind) {
        case K::Entry:
        case K::ReadOnlyEntry:
        case K::PicturePath: return makeEntry(c);
        case K::Display: return makeDisplay(c);
        case K::DropList: return makeDropList(c);
        case K::Check: return makeCheck(c);
        case K::Radios: return makeRadios(c);
        case K::Calendar: return makeCalendarButton(c);
        case K::Today: return makeTodayButton(c);
        case K::Lookup: return makeLookupButton(c);
        case K::Clear: return makeClearButton(c);
        case K::PictureFor: return makePictureFor(c);
        case K::PictureChoose: return makePictureChooseButton(c);
        case K::PictureArea: return makePictureArea(c);
        case K::Memo: return makeMemo(c);
        }
        return nullptr;
    }

    // ---- the controls bound to the item's fields ---------------------------------------------
    QWidget *makeEntry(const layout::Control &c)
    {
        using K = layout::Kind;
        const char *field = c.field;
        auto *e = new QLineEdit;
        e->setObjectName(field);
        if (c.tip)
            e->setToolTip(c.tip);
        if (c.kind == K::ReadOnlyEntry && !anyBound_)
            boundLast_.push_back({e, &c});
        else
            bindEntry(e, field, c.picture ? c.picture : "");
        anyBound_ = true;
        e->setReadOnly(c.kind == K::ReadOnlyEntry || c.readOnly);
        entries_[field] = e;
        if (c.kind == K::PicturePath) {
            pictures_[field].field = field;
            pictures_[field].path = e;
        }
        return e;
    }

    QWidget *makeDisplay(const layout::Control &c)
    {
        extended_ = new QLineEdit;
        extended_->setObjectName(c.name);
        extended_->setReadOnly(true);
        extended_->setAlignment(Qt::AlignRight);
        return extended_;
    }

    QWidget *makeDropList(const layout::Control &c)
    {
        const char *field = c.field;
        auto *combo = new QComboBox;
        combo->setObjectName(field);
        if (c.tip)
            combo->setToolTip(c.tip);
        combo->setMinimumWidth(170);
        bindCombo(combo, field);
        anyBound_ = true;
        const layout::Drop &d = *c.drop;
        std::vector<const char *> fields = d.fields;
        QStringList headers;
        for (const char *h : d.headers)
            headers << h;
        auto fileDrop = std::make_unique<FileDrop>(combo, **d.manager, d.file->key(d.key), std::move(fields), headers);
        if (d.limitedBy) {
            const layout::Drop *dp = &d;
            fileDrop->filter = [this, dp] {
                return std::vector<rt::Condition>{rt::Condition::equals(
                    *dp->file, dp->limitedBy, drop(dp->limitedBy).combo()->currentText().toStdString())};
            };
            // Choosing the value the list is limited by reads the list again.
            FileDrop *limited = fileDrop.get();
            connect(drop(d.limitedBy).combo(), &QComboBox::activated, this, [limited] { limited->reload(); });
        }
        drops_.push_back({field, std::move(fileDrop)});
        return combo;
    }

    QWidget *makeCheck(const layout::Control &c)
    {
        auto *box = new QCheckBox(c.prompt);
        box->setObjectName(c.field);
        if (c.tip)
            box->setToolTip(c.tip);
        bindCheck(box, c.field);
        anyBound_ = true;
        return box;
    }

    QWidget *makeRadios(const layout::Control &c)
    {
        const char *field = c.field;
        auto *how = new QGroupBox(c.prompt);
        auto *hl = new QGridLayout(how);
        std::vector<std::pair<QAbstractButton *, std::string>> choices;
        int i = 0;
        for (const char *t : c.choices) {
            auto *rb = new QRadioButton(t);
            rb->setObjectName(QString(field) + " " + t);
            hl->addWidget(rb, i / 4, i % 4);
            choices.push_back({rb, t});
            ++i;
        }
        bindRadios(field, choices);
        anyBound_ = true;
        return how;
    }

    QWidget *makeMemo(const layout::Control &c)
    {
        auto *memo = new QPlainTextEdit;
        memo->setObjectName(c.field);
        bindMemo(memo);
        anyBound_ = true;
        return memo;
    }

    // ---- the buttons beside the fields ---------------------------------------------------------
    QWidget *makeCalendarButton(const layout::Control &c)
    {
        const char *field = c.field;
        auto *b = smallButton(c.prompt, QString(field) + " calendar");
        b->setToolTip(c.tip);
        connect(b, &QPushButton::clicked, this, [this, field] {
            rt::runProcedure("SelectDate");
            if (Glo.DatePicked == 1) {
                rt::setFieldNumber(masField(field), static_cast<MasterInventoryRecord *>(&MAS), Glo.SelectedDate);
                displayField(field);
            }
        });
        return b;
    }

    QWidget *makeTodayButton(const layout::Control &c)
    {
        const char *field = c.field;
        QPushButton *b = smallButton(c.prompt, c.tip);
        connect(b, &QPushButton::clicked, this, [this, field] {
            rt::setFieldNumber(masField(field), static_cast<MasterInventoryRecord *>(&MAS), rt::today());
            displayField(field);
        });
        return b;
    }

    QWidget *makeLookupButton(const layout::Control &c)
    {
        const char *field = c.field;
        QPushButton *b = smallButton(c.prompt, c.tip);
        lookups_[field] = &c;
        connect(b, &QPushButton::clicked, this, [this, field] { lookupClicked(field); });
        return b;
    }

    QWidget *makeClearButton(const layout::Control &c)
    {
        const char *field = c.field;
        QPushButton *b = smallButton(c.prompt, c.tip);
        if (c.name)
            b->setObjectName(c.name);
        const char *focus = c.focus;
        connect(b, &QPushButton::clicked, this, [this, field, focus] {
            if (focus)
                clearList(field, drop(field), drop(focus).combo());
            else
                setPicturePath(pictures_.at(field), QString());
        });
        return b;
    }

    // ---- the picture tabs ----------------------------------------------------------------------
    QWidget *makePictureFor(const layout::Control &c)
    {
        auto *forLabel = new QLabel;
        forLabel->setObjectName(c.name);
        connect(entries_.at(c.field), &QLineEdit::textChanged, forLabel, &QLabel::setText);
        return forLabel;
    }

    QWidget *makePictureChooseButton(const layout::Control &c)
    {
        const char *field = c.field;
        auto *select = new QPushButton(c.prompt);
        select->setObjectName(c.name);
        select->setAutoDefault(false);
        const bool fileSelector = c.fileSelector;
        const char *dialog = c.dialog;
        connect(select, &QPushButton::clicked, this, [this, field, fileSelector, dialog] {
            choosePicture(pictures_.at(field), fileSelector, dialog);
        });
        return select;
    }

    QWidget *makePictureArea(const layout::Control &c)
    {
        PictureTab &t = pictures_[c.field];
        return rt::pictureArea(unit_, c.field, t.display);
    }

    // The behaviours that belong to particular fields.
    void hook(const layout::Control &c, QWidget *w)
    {
        if (!c.field)
            return;
        const std::string field = c.field;
        if (c.kind == layout::Kind::Entry && (field == "QUANTITY" || field == "MARKETVALUE"))
            connect(static_cast<QLineEdit *>(w), &QLineEdit::editingFinished, this,
                    [this] { showExtendedFromScreen(); });
        if (c.kind == layout::Kind::Check && field == "APPRAISED")
            connect(static_cast<QCheckBox *>(w), &QCheckBox::clicked, this, [this](bool on) {
                if (!on)
                    clearAppraisal();
                showAppraisal(on);
            });
        if (c.kind == layout::Kind::Entry && field == "HEIR") {
            connect(static_cast<QLineEdit *>(w), &QLineEdit::textEdited, this, [this] { heirTyped_ = true; });
            connect(static_cast<QLineEdit *>(w), &QLineEdit::editingFinished, this, [this] { heirAccepted(); });
        }
    }

    // What a look-up writes into the item from the record chosen.
    void takeLookedUp(const std::string &field)
    {
        if (field == "MANUFACTURER")
            MAS.MANUFACTURER = MAN.MANUFACTURER;
        else if (field == "PURCHASEDFROM")
            MAS.PURCHASEDFROM = VEN.VENDOR;
        else if (field == "HEIR")
            MAS.HEIR = HEI.NAME;
        displayField(field);
    }

    bool lookUp(const std::string &field)
    {
        if (rt::callWithRequest(lookups_.at(field)->procedure, rt::SelectRecord) != rt::RequestCompleted)
            return false;
        takeLookedUp(field);
        return true;
    }

    void lookupClicked(const std::string &field)
    {
        // The heir look-up opens on the name typed so far.
        if (field == "HEIR")
            HEI.NAME = entries_.at("HEIR")->text().toStdString();
        if (lookUp(field) && field == "HEIR")
            heirTyped_ = false;
    }

    FileDrop &drop(const std::string &field)
    {
        for (auto &[f, d] : drops_)
            if (f == field)
                return *d;
        throw std::logic_error("no drop list for " + field);
    }

    // ---- behaviour ----------------------------------------------------------------------------
    std::string fieldText(const char *field) const
    {
        return rt::fieldText(masField(field), static_cast<const MasterInventoryRecord *>(&MAS));
    }

    void fillLists()
    {
        for (auto &[field, d] : drops_)
            d->fill(QString::fromStdString(fieldText(field.c_str())));
    }

    // A clear button: the field blank, the cursor to the list it depends on, every list read
    // again so that types and boxes follow the category and location on screen.
    void clearList(const char *field, FileDrop &drop, QComboBox *focus)
    {
        rt::setFieldText(masField(field), static_cast<MasterInventoryRecord *>(&MAS), "");
        drop.fill(QString());
        for (auto &[f, d] : drops_)
            if (d.get() != &drop)
                d->reload();
        rt::showAndFocus(focus);
    }

    void showExtended() { showExtendedValue(extendedValue(MAS)); }
    void showExtendedFromScreen()
    {
        std::int64_t qty = 0, market = 0;
        // Text that the fields could not hold is refused at OK; until then the product shows
        // only for values the fields take, so it cannot overflow.
        if (!rt::parseDecimal(entries_.at("QUANTITY")->text().toStdString(), 0, qty) ||
            !rt::parseDecimal(entries_.at("MARKETVALUE")->text().toStdString(), 2, market) || !rt::Dec72::fits(market) ||
            qty > INT32_MAX || qty < INT32_MIN)
            return;
        std::int64_t cents = 0;
        if (valuation::extendedValue(qty, market, cents))
            showExtendedValue(cents);
    }
    void showExtendedValue(std::int64_t cents)
    {
        extended_->setText(QString::fromStdString(rt::formatNumber("@n12.2", cents, 2)));
    }

    // An item that is not appraised has no appraisal date, value or appraiser.
    void clearAppraisal()
    {
        MAS.APPRAISALDATE = 0;
        MAS.APPRAISEDVALUE.setCents(0);
        MAS.APPRAISER = "";
        for (const char *f : {"APPRAISALDATE", "APPRAISEDVALUE", "APPRAISER"})
            displayField(f);
    }

    void showAppraisal(bool on)
    {
        for (const char *f : {"APPRAISALDATE", "APPRAISEDVALUE", "APPRAISER"})
            for (QWidget *w : parts_[f])
                w->setVisible(on);
    }

    void hideForCategory()
    {
        HiddenControls h = hiddenForCategory(word_);
        for (const BuiltControl &b : built_)
            if (b.control->hiddenBy && h.*(b.control->hiddenBy)) {
                if (b.prompt)
                    b.prompt->hide();
                b.widget->hide();
            }
        for (const std::string &t : h.tabs)
            for (int i = 0; i < tabs_->count(); ++i)
                if (tabs_->tabText(i).toStdString() == t)
                    tabs_->setTabVisible(i, false);
    }

    // An heir typed by hand must be one of the client's heirs: an unknown name opens the
    // look-up, and closing it sends the cursor back.
    void heirAccepted()
    {
        if (!heirTyped_ || checkingHeir_)
            return;
        heirTyped_ = false;
        QLineEdit *heir = entries_.at("HEIR");
        MAS.HEIR = heir->text().toStdString();
        if (MAS.HEIR.blank())
            return;
        checkingHeir_ = true;
        HEI.NAME = MAS.HEIR;
        if (Access::Heirs->tryFetch(*dict::HeirsDef.key("NAMEKEY")) != 0 && !lookUp("HEIR"))
            rt::showAndFocus(heir);
        checkingHeir_ = false;
    }

    void choosePicture(PictureTab &t, bool fileSelector, const char *dialog)
    {
        QString current = t.path->text().trimmed();
        QString chosen;
        if (fileSelector) {
            chosen = chooser()(this, dialog, kImageFilter,
                               current.isEmpty() ? QString() : QFileInfo(current).absolutePath());
        } else {
            // The receipt and warranty dialogs share the name last used by either of them.
            if (!current.isEmpty())
                lastPickerName_ = current;
            chosen = chooser()(this, dialog, kImageFilter, lastPickerName_);
            if (!chosen.isEmpty())
                lastPickerName_ = chosen;
        }
        // A cancelled dialog leaves the path as it was.
        if (!chosen.isEmpty())
            setPicturePath(t, chosen);
        else
            fit(t, current);
    }

    void setPicturePath(PictureTab &t, const QString &path)
    {
        rt::setFieldText(masField(t.field), static_cast<MasterInventoryRecord *>(&MAS), path.toStdString());
        displayField(t.field);
        fit(t, t.path->text());
    }

    // The picture fitted into its box without distortion; anything unreadable leaves the box
    // empty.
    void fit(PictureTab &t, const QString &path)
    {
        t.display->hide();
        t.display->clear();
        QString why;
        QSize units = rt::fitPicture(rt::pictureSize(path, &why));
        if (statusFrom_ == t.field) {
            status_->clearMessage();
            statusFrom_.clear();
        }
        if (!why.isEmpty()) {
            status_->showMessage(why + ": " + path.trimmed());
            statusFrom_ = t.field;
        }
        if (units.isEmpty())
            return;
        QSize px(std::max(1, static_cast<int>(std::lround(units.width() * unit_))),
                 std::max(1, static_cast<int>(std::lround(units.height() * unit_))));
        QImage image = rt::loadPicture(path, px);
        if (image.isNull())
            return;
        t.display->setFixedSize(px);
        t.display->setPixmap(QPixmap::fromImage(image.scaled(px, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)));
        t.display->show();
    }

    bool checkOk()
    {
        bool ok = checkItemBeforeSave(MAS, newItem_, settings_, *this);
        displayField("MARKETVALUE");
        displayField("REPLACEMENTCOST");
        showExtended();
        return ok;
    }

    // ---- what the OK checks ask of the form ---------------------------------------------------
    void beep() override { rt::beep(); }
    int ask(const rt::MessageRequest &m) override
    {
        return rt::message(m.text, m.title, m.icon, m.buttons, m.defaultButton);
    }
    void focus(ItemControl c) override
    {
        switch (c) {
        case ItemControl::AppraisalDate: rt::showAndFocus(entries_.at("APPRAISALDATE")); break;
        case ItemControl::AppraisedValue: rt::showAndFocus(entries_.at("APPRAISEDVALUE")); break;
        case ItemControl::Category: rt::showAndFocus(drop("CATEGORY").combo()); break;
        case ItemControl::Location: rt::showAndFocus(drop("LOCATION").combo()); break;
        case ItemControl::MarketValue: rt::showAndFocus(entries_.at("MARKETVALUE")); break;
        case ItemControl::Quantity: rt::showAndFocus(entries_.at("QUANTITY")); break;
        }
    }
    bool vendorExists(const std::string &name) override
    {
        rt::clearRecord(dict::VendorsDef, &VEN);
        VEN.VENDOR = name;
        return Access::Vendors->tryFetch(*dict::VendorsDef.key("VENDORKEY")) == 0;
    }
    void addVendor(const std::string &name) override
    {
        rt::clearRecord(dict::VendorsDef, &VEN);
        VEN.VENDOR = name;
        Access::Vendors->tryInsert();
    }
    bool manufacturerExists(const std::string &name) override
    {
        rt::clearRecord(dict::ManufacturersDef, &MAN);
        MAN.MANUFACTURER = name;
        return Access::Manufacturers->tryFetch(*dict::ManufacturersDef.key("MANUFACTURERKEY")) == 0;
    }
    void addManufacturer(const std::string &name) override
    {
        rt::clearRecord(dict::ManufacturersDef, &MAN);
        MAN.MANUFACTURER = name;
        Access::Manufacturers->tryInsert();
    }

    const model::Edition &edition_;
    Variant variant_;
    std::string word_;
    ItemSettings settings_;
    model::UserFieldTitles titles_;
    bool newItem_ = false;
    bool heirTyped_ = false;
    bool checkingHeir_ = false;
    double unit_ = 1.5;
    QString lastPickerName_;
    QTabWidget *tabs_ = nullptr;
    QLineEdit *extended_ = nullptr;
    bool anyBound_ = false;
    std::vector<std::pair<QLineEdit *, const layout::Control *>> boundLast_;
    std::vector<BuiltControl> built_;
    std::map<std::string, QLineEdit *> entries_;
    // In the order of the form, which is the order they are filled and read again in.
    std::vector<std::pair<std::string, std::unique_ptr<FileDrop>>> drops_;
    std::map<std::string, const layout::Control *> lookups_;
    std::map<std::string, std::vector<QWidget *>> parts_;
    std::map<std::string, PictureTab> pictures_;
    QStatusBar *status_ = nullptr;
    std::string statusFrom_;  // the picture field whose reason the status line shows
};

}  // namespace

const char *itemFormName(Variant variant)
{
    switch (variant) {
    case Variant::Category: return "UpdateMasterInventorySpec";
    case Variant::Location: return "UpdateMasterInventoryLocation";
    case Variant::All: break;
    }
    return "UpdateMasterInventory";
}

PictureChooser setPictureChooser(PictureChooser c)
{
    PictureChooser old = chooser();
    chooser() = std::move(c);
    return old;
}

int runItemForm(Variant variant, const std::string &word, int request, const model::Edition &edition)
{
    rt::takeRequest();
    ItemForm form(edition, variant, word, request);
    return form.run();
}

}  // namespace inventory
