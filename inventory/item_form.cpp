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
#include <QVBoxLayout>
#include <climits>
#include <cmath>
#include <map>

#include "core/dictionary.h"
#include "core/globals.h"
#include "core/managers.h"
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
        buildGeneral();
        buildAppraisal();
        buildArtist();
        buildUserFields();
        buildPictureTab(image1_, "Image 1", "Image 1 for:", "Path to Image 1:", "Select image 1", true);
        buildPictureTab(image2_, "Image 2", "Image 2 for:", "Path to Image 2:", "Select image 2", true);
        buildPictureTab(receipt_, "Receipt", "Receipt for:", "Path to receipt:", "Lookup path to receipt", false);
        buildPictureTab(warranty_, "Warranty", "Warranty for:", "Path to warranty:", "Lookup the path to the warranty",
                        false);
        buildMemo();
        bindEntry(asset_, "ASSETNUMBER", "@n_7");

        addStandardButtons(outer);

        setCaptions("Adding a Master Inventory Record  (New)",
                    "Changing a Master Inventory Record  (" + QString::fromStdString(MAS.DESCRIPTION.str()) + ")");
        if (variant_ == Variant::Category) {
            hideForCategory();
            category_->combo()->setEnabled(false);
        }
        if (variant_ == Variant::Location)
            location_->combo()->setEnabled(false);
        showExtended();
        for (PictureTab *t : {&image1_, &image2_, &receipt_, &warranty_})
            if (!fieldText(t->field).empty())
                fit(*t, QString::fromStdString(fieldText(t->field)));
        if (MAS.APPRAISED != 1)
            clearAppraisal();
        showAppraisal(MAS.APPRAISED == 1);
        fillLists();
        return 0;
    }

    // ---- building the tabs --------------------------------------------------------------------
    QLabel *prompt(QGridLayout *g, int row, int col, const char *text)
    {
        auto *l = new QLabel(text);
        g->addWidget(l, row, col);
        return l;
    }
    QLineEdit *entry(QGridLayout *g, int row, int col, const char *text, const char *field, std::string picture,
                     const char *tip = nullptr)
    {
        QLabel *p = prompt(g, row, col, text);
        auto *e = new QLineEdit;
        e->setObjectName(field);
        if (tip)
            e->setToolTip(tip);
        g->addWidget(e, row, col + 1);
        bindEntry(e, field, std::move(picture));
        parts_[field] = {p, e};
        return e;
    }
    QPushButton *smallButton(const QString &text, const QString &tip)
    {
        auto *b = new QPushButton(text);
        b->setObjectName(tip);
        b->setToolTip(tip);
        b->setAutoDefault(false);
        b->setMaximumWidth(std::max(30, fontMetrics().horizontalAdvance(text) + 16));
        return b;
    }
    QComboBox *dropList(QGridLayout *g, int row, int col, const char *text, const char *field, const char *tip = nullptr)
    {
        QLabel *p = prompt(g, row, col, text);
        auto *c = new QComboBox;
        c->setObjectName(field);
        if (tip)
            c->setToolTip(tip);
        c->setMinimumWidth(170);
        g->addWidget(c, row, col + 1);
        bindCombo(c, field);
        parts_[field] = {p, c};
        return c;
    }
    QPushButton *calendarButton(const char *field)
    {
        auto *b = smallButton("...", QString(field) + " calendar");
        b->setToolTip("Pick the date from a calendar");
        connect(b, &QPushButton::clicked, this, [this, field] {
            rt::runProcedure("SelectDate");
            if (Glo.DatePicked == 1) {
                rt::setFieldNumber(masField(field), static_cast<MasterInventoryRecord *>(&MAS), Glo.SelectedDate);
                displayField(field);
            }
        });
        return b;
    }

    void buildGeneral()
    {
        auto *page = new QWidget;
        auto *g = new QGridLayout(page);
        const rt::TableDef &cat = dict::CategoryDef, &typ = dict::TypeDef, &loc = dict::LocationDef,
                           &box = dict::BoxNumberDef;
        int r = 0;
        prompt(g, r, 0, "Asset Number:");
        asset_ = new QLineEdit;
        asset_->setObjectName("ASSETNUMBER");
        asset_->setReadOnly(true);
        g->addWidget(asset_, r++, 1);

        QComboBox *c = dropList(g, r++, 0, "Category:", "CATEGORY", "Category of item");
        category_ = std::make_unique<FileDrop>(c, *Access::Category, cat.key("CATEGORYKEY"),
                                               std::vector<const char *>{"CATEGORY"}, QStringList{"Category"});
        connect(c, &QComboBox::activated, this, [this] { type_->reload(); });

        c = dropList(g, r, 0, "Type:", "TYPE");
        type_ = std::make_unique<FileDrop>(c, *Access::Type, typ.key("CATEGORYTYPEKEY"),
                                           std::vector<const char *>{"TYPE", "DESCRIPTION"},
                                           QStringList{"Type", "Description"});
        type_->filter = [this] {
            return std::vector<rt::Condition>{rt::Condition::equals(dict::TypeDef, "CATEGORY",
                                                                    category_->combo()->currentText().toStdString())};
        };
        QPushButton *clearType = smallButton("X", "Clear the type field");
        g->addWidget(clearType, r++, 2);
        connect(clearType, &QPushButton::clicked, this, [this] { clearList("TYPE", *type_, category_->combo()); });

        c = dropList(g, r, 0, "Subject:", "SUBJECT");
        subject_ = std::make_unique<FileDrop>(c, *Access::QORSubject, dict::QORSubjectDef.key("SUBJECTKEY"),
                                              std::vector<const char *>{"SUBJECT"}, QStringList{"Subject"});
        QPushButton *clearSubject = smallButton("X", "Cleat the subject field");
        g->addWidget(clearSubject, r++, 2);
        parts_["SUBJECT"].push_back(clearSubject);
        connect(clearSubject, &QPushButton::clicked, this, [this] { clearList("SUBJECT", *subject_, subject_->combo()); });

        c = dropList(g, r++, 0, "Location:", "LOCATION");
        location_ = std::make_unique<FileDrop>(c, *Access::Location, loc.key("LOCATIONKEY"),
                                               std::vector<const char *>{"LOCATION"}, QStringList{"Location"});
        connect(c, &QComboBox::activated, this, [this] { box_->reload(); });

        c = dropList(g, r, 0, "Box Number:", "BOXNUMBER");
        box_ = std::make_unique<FileDrop>(c, *Access::BoxNumber, box.key("BOXKEY"),
                                          std::vector<const char *>{"BOXNUMBER", "DESCRIPTION"},
                                          QStringList{"Box Number", "Description"});
        box_->filter = [this] {
            return std::vector<rt::Condition>{rt::Condition::equals(dict::BoxNumberDef, "LOCATION",
                                                                    location_->combo()->currentText().toStdString())};
        };
        QPushButton *clearBox = smallButton("X", "Clear the box field");
        g->addWidget(clearBox, r++, 2);
        parts_["BOXNUMBER"].push_back(clearBox);
        connect(clearBox, &QPushButton::clicked, this, [this] { clearList("BOXNUMBER", *box_, location_->combo()); });

        entry(g, r++, 0, "Serial Number:", "SERIALNUMBER", "@s20");
        entry(g, r++, 0, "Model Number:", "MODELNUMBER", "@s20");
        description_ = entry(g, r++, 0, "Description:", "DESCRIPTION", "@s60");
        entry(g, r, 0, "Manufacturer:", "MANUFACTURER", "@s20");
        QPushButton *mfg = smallButton("...", "Select a manufacturer");
        g->addWidget(mfg, r++, 2);
        connect(mfg, &QPushButton::clicked, this, [this] {
            if (rt::callWithRequest("LookupMfg", rt::SelectRecord) == rt::RequestCompleted) {
                MAS.MANUFACTURER = MAN.MANUFACTURER;
                displayField("MANUFACTURER");
            }
        });
        c = dropList(g, r++, 0, "Condition:", "CONDITION");
        condition_ = std::make_unique<FileDrop>(c, *Access::Conditions, dict::ConditionsDef.key("DISPLAYKEY"),
                                                std::vector<const char *>{"CONDITION"}, QStringList{"Condition"});
        entry(g, r++, 0, "Color:", "COLOR", "@s20");
        entry(g, r++, 0, "Star/Artist/Author:", "STARARTISTAUTHOR", "@s40");
        entry(g, r++, 0, "CoStar/Artist/Author:", "COSTARARTISTAUTHOR", "@s40");

        // The right-hand column: purchase, weights and money.
        r = 0;
        const int R = 4;
        entry(g, r, R, "Date Purchased:", "DATEPURCHASED", "@d1b");
        {
            auto *h = new QHBoxLayout;
            h->addWidget(calendarButton("DATEPURCHASED"));
            QPushButton *today = smallButton("Today", "Today");
            connect(today, &QPushButton::clicked, this, [this] {
                MAS.DATEPURCHASED = rt::today();
                displayField("DATEPURCHASED");
            });
            h->addWidget(today);
            g->addLayout(h, r++, R + 2);
        }
        entry(g, r, R, "Purchased From:", "PURCHASEDFROM", "@s20", "Vendor item was purchased from");
        QPushButton *vendor = smallButton("...", "Select a vendor");
        g->addWidget(vendor, r++, R + 2);
        connect(vendor, &QPushButton::clicked, this, [this] {
            if (rt::callWithRequest("LookupVendor", rt::SelectRecord) == rt::RequestCompleted) {
                MAS.PURCHASEDFROM = VEN.VENDOR;
                displayField("PURCHASEDFROM");
            }
        });
        entry(g, r++, R, "Carat Weight:", "CARATWEIGHT", "@n5.2b", "Main stone carat weight");
        entry(g, r++, R, "Total Weight:", "TOTALWEIGHT", "@n5.2b");
        quantity_ = entry(g, r++, R, "Quantity:", "QUANTITY", "@n5");
        entry(g, r++, R, "Original cost:", "ORIGINALCOST", "@n9.2");
        entry(g, r++, R, "Replacement cost:", "REPLACEMENTCOST", "@n9.2");
        entry(g, r++, R, "MSRP:", "MSRP", "@n9.2", "Manufacturers Suggested Retail Price");
        market_ = entry(g, r++, R, "Market Value:", "MARKETVALUE", "@n9.2");
        prompt(g, r, R, "Extended Value:");
        extended_ = new QLineEdit;
        extended_->setObjectName("Extended Value");
        extended_->setReadOnly(true);
        extended_->setAlignment(Qt::AlignRight);
        g->addWidget(extended_, r++, R + 1);
        connect(quantity_, &QLineEdit::editingFinished, this, [this] { showExtendedFromScreen(); });
        connect(market_, &QLineEdit::editingFinished, this, [this] { showExtendedFromScreen(); });
        {
            auto *h = new QHBoxLayout;
            auto *insured = new QCheckBox("Insured");
            insured->setObjectName("INSURED");
            insured->setToolTip("Is this item insured under a separate policy?");
            bindCheck(insured, "INSURED");
            auto *business = new QCheckBox("Business Use");
            business->setObjectName("BUSINESSUSE");
            bindCheck(business, "BUSINESSUSE");
            h->addWidget(insured);
            h->addWidget(business);
            g->addLayout(h, r++, R + 1);
        }
        entry(g, r++, R, "Date Entered:", "DATEENTERED", "@d1b")->setReadOnly(true);
        auto *how = new QGroupBox("How was this item purchased?");
        auto *hl = new QGridLayout(how);
        std::vector<std::pair<QAbstractButton *, std::string>> choices;
        int i = 0;
        for (const char *t : {"Cash", "Check", "Credit Card", "Loan", "Gift", "Other", "???"}) {
            auto *rb = new QRadioButton(t);
            rb->setObjectName(QString("HOWPURCHASED ") + t);
            hl->addWidget(rb, i / 4, i % 4);
            choices.push_back({rb, t});
            ++i;
        }
        bindRadios("HOWPURCHASED", choices);
        g->addWidget(how, r, R, 3, 3);
        g->setColumnMinimumWidth(3, 16);
        g->setColumnStretch(1, 1);
        g->setColumnStretch(R + 1, 1);
        g->setRowStretch(14, 1);
        tabs_->addTab(page, "General");
    }

    void buildAppraisal()
    {
        auto *page = new QWidget;
        auto *v = new QVBoxLayout(page);
        v->addWidget(new QLabel("Please enter the appraisal information"));
        auto *g = new QGridLayout;
        auto *appraised = new QCheckBox("Appraised");
        appraised->setObjectName("APPRAISED");
        bindCheck(appraised, "APPRAISED");
        g->addWidget(appraised, 0, 0, 1, 2);
        appraisalDate_ = entry(g, 1, 0, "Appraisal Date:", "APPRAISALDATE", "@d1b");
        QPushButton *cal = calendarButton("APPRAISALDATE");
        g->addWidget(cal, 1, 2);
        appraisedValue_ = entry(g, 2, 0, "Appraised Value:", "APPRAISEDVALUE", "@n12.2");
        entry(g, 3, 0, "Appraiser:", "APPRAISER", "@s25", "Appraised by whom?");
        appraisalControls_ = {parts_["APPRAISALDATE"][0], parts_["APPRAISALDATE"][1], cal,
                              parts_["APPRAISEDVALUE"][0], parts_["APPRAISEDVALUE"][1],
                              parts_["APPRAISER"][0], parts_["APPRAISER"][1]};
        connect(appraised, &QCheckBox::clicked, this, [this](bool on) {
            if (!on)
                clearAppraisal();
            showAppraisal(on);
        });
        g->setColumnStretch(1, 1);
        v->addLayout(g);

        auto *heirs = new QGroupBox("Heir for this item");
        auto *hg = new QGridLayout(heirs);
        auto *heirloom = new QCheckBox("Family Heirloom");
        heirloom->setObjectName("FAMILYHEIRLOOM");
        bindCheck(heirloom, "FAMILYHEIRLOOM");
        auto *engraved = new QCheckBox("Engraved");
        engraved->setObjectName("ENGRAVED");
        bindCheck(engraved, "ENGRAVED");
        hg->addWidget(heirloom, 0, 0, 1, 2);
        hg->addWidget(engraved, 1, 0, 1, 2);
        heir_ = entry(hg, 2, 0, "Heir:", "HEIR", "@s40");
        QPushButton *look = smallButton("...", "Select an heir");
        hg->addWidget(look, 2, 2);
        hg->setColumnStretch(1, 1);
        connect(look, &QPushButton::clicked, this, [this] {
            HEI.NAME = heir_->text().toStdString();
            if (lookupHeir())
                heirTyped_ = false;
        });
        connect(heir_, &QLineEdit::textEdited, this, [this] { heirTyped_ = true; });
        connect(heir_, &QLineEdit::editingFinished, this, [this] { heirAccepted(); });
        v->addWidget(heirs);
        v->addStretch(1);
        tabs_->addTab(page, "Heirs / Appraisal");
    }

    void buildArtist()
    {
        auto *page = new QWidget;
        auto *v = new QVBoxLayout(page);
        v->addWidget(new QLabel("Use these fields for the artist and/or antique information"));
        auto *g = new QGridLayout;
        entry(g, 0, 0, "Artist:", "ARTIST", "@s30");
        auto *sig = new QCheckBox("Signed");
        sig->setObjectName("SIGNED");
        sig->setToolTip("Is this an original signed piece?");
        bindCheck(sig, "SIGNED");
        g->addWidget(sig, 1, 1);
        entry(g, 2, 0, "Year Origin:", "YEARORIGIN", "@n4b", "Year of orgin");
        auto *limited = new QCheckBox("Limited Edition");
        limited->setObjectName("LIMITEDEDITION");
        bindCheck(limited, "LIMITEDEDITION");
        g->addWidget(limited, 3, 1);
        entry(g, 4, 0, "Edition Number:", "EDITIONNUMBER", "@s20");
        entry(g, 5, 0, "Total Number:", "TOTALNUMBER", "@n10b");
        g->setColumnStretch(1, 1);
        v->addLayout(g);
        v->addStretch(1);
        tabs_->addTab(page, "Artist / Antique");
    }

    void buildUserFields()
    {
        auto *page = new QWidget;
        auto *v = new QVBoxLayout(page);
        v->addWidget(new QLabel("Use these fields for any additional information you wish"));
        auto *g = new QGridLayout;
        for (int i = 0; i < 4; ++i) {
            auto *title = new QLabel(QString::fromStdString(titles_[static_cast<std::size_t>(i)]));
            title->setObjectName(QString("Title %1").arg(i + 1));
            g->addWidget(title, i, 0);
            auto *e = new QLineEdit;
            const std::string field = "USERFIELD" + std::to_string(i + 1);
            e->setObjectName(QString::fromStdString(field));
            e->setToolTip(QString("User defined field # %1").arg(i + 1));
            bindEntry(e, field, "@s40");
            g->addWidget(e, i, 1);
        }
        g->setColumnStretch(1, 1);
        v->addLayout(g);
        v->addStretch(1);
        tabs_->addTab(page, "User Fields");
    }

    void buildPictureTab(PictureTab &t, const char *title, const char *forText, const char *pathText,
                         const char *buttonText, bool fileSelector)
    {
        static const std::map<std::string, const char *> fields{{"Image 1", "IMAGE"},
                                                                {"Image 2", "IMAGE2"},
                                                                {"Receipt", "RECEIPTIMAGE"},
                                                                {"Warranty", "WARRANTYIMAGE"}};
        t.field = fields.at(title);
        auto *page = new QWidget;
        auto *g = new QGridLayout(page);
        int r = 0;
        g->addWidget(new QLabel(forText), r, 0);
        auto *forLabel = new QLabel;
        forLabel->setObjectName(QString(title) + " for");
        g->addWidget(forLabel, r++, 1, 1, 2);
        connect(description_, &QLineEdit::textChanged, forLabel, &QLabel::setText);
        if (std::string(title) == "Warranty") {
            entry(g, r, 0, "Warranty Expiration:", "WARRANTYEXPIRATION", "@d1b");
            g->addWidget(calendarButton("WARRANTYEXPIRATION"), r++, 2);
            auto *has = new QCheckBox("Warranty");
            has->setObjectName("WARRANTY");
            has->setToolTip("Does this item have a warranty?");
            bindCheck(has, "WARRANTY");
            g->addWidget(has, r++, 1);
        }
        t.path = entry(g, r, 0, pathText, t.field, "@s120");
        t.path->setReadOnly(fileSelector);
        auto *buttons = new QHBoxLayout;
        auto *select = new QPushButton(buttonText);
        select->setObjectName(buttonText);
        select->setAutoDefault(false);
        const char *clearTip = fileSelector ? "Clear the path to image"
                                            : (std::string(title) == "Receipt" ? "Clear receipt" : "Clear the warranty");
        QPushButton *clear = smallButton("X", clearTip);
        clear->setObjectName(QString("Clear ") + title);
        buttons->addWidget(select);
        buttons->addWidget(clear);
        g->addLayout(buttons, r++, 2);
        // The area keeps its size whether or not a picture shows in it.
        auto *area = new QFrame;
        area->setFrameShape(QFrame::StyledPanel);
        area->setFixedSize(static_cast<int>(std::lround(rt::kPictureBoxWidth * unit_)) + 4,
                           static_cast<int>(std::lround(rt::kPictureBoxHeight * unit_)) + 4);
        auto *al = new QVBoxLayout(area);
        al->setContentsMargins(2, 2, 2, 2);
        t.display = new QLabel;
        t.display->setObjectName(QString(t.field) + " picture");
        t.display->hide();
        al->addWidget(t.display, 0, Qt::AlignCenter);
        g->addWidget(area, r++, 1, 1, 2, Qt::AlignLeft | Qt::AlignTop);
        g->setColumnStretch(1, 1);
        g->setRowStretch(r, 1);
        tabs_->addTab(page, title);

        PictureTab *tab = &t;
        connect(select, &QPushButton::clicked, this, [this, tab, fileSelector, title] {
            choosePicture(*tab, fileSelector, title);
        });
        connect(clear, &QPushButton::clicked, this, [this, tab] { setPicturePath(*tab, QString()); });
    }

    void buildMemo()
    {
        auto *page = new QWidget;
        auto *v = new QVBoxLayout(page);
        v->addWidget(new QLabel("Enter any notes, additional description, or memos here"));
        auto *memo = new QPlainTextEdit;
        memo->setObjectName("MEMO");
        bindMemo(memo);
        v->addWidget(memo);
        tabs_->addTab(page, "Memo");
    }

    // ---- behaviour ----------------------------------------------------------------------------
    std::string fieldText(const char *field) const
    {
        return rt::fieldText(masField(field), static_cast<const MasterInventoryRecord *>(&MAS));
    }

    void fillLists()
    {
        category_->fill(QString::fromStdString(MAS.CATEGORY.str()));
        type_->fill(QString::fromStdString(MAS.TYPE.str()));
        subject_->fill(QString::fromStdString(MAS.SUBJECT.str()));
        location_->fill(QString::fromStdString(MAS.LOCATION.str()));
        box_->fill(QString::fromStdString(MAS.BOXNUMBER.str()));
        condition_->fill(QString::fromStdString(MAS.CONDITION.str()));
    }

    // A clear button: the field blank, the cursor to the list it depends on, every list read
    // again so that types and boxes follow the category and location on screen.
    void clearList(const char *field, FileDrop &drop, QComboBox *focus)
    {
        rt::setFieldText(masField(field), static_cast<MasterInventoryRecord *>(&MAS), "");
        drop.fill(QString());
        for (FileDrop *d : {category_.get(), type_.get(), subject_.get(), location_.get(), box_.get(), condition_.get()})
            if (d != &drop)
                d->reload();
        rt::showAndFocus(focus);
    }

    void showExtended() { showExtendedValue(extendedValue(MAS)); }
    void showExtendedFromScreen()
    {
        std::int64_t qty = 0, market = 0;
        // Text that the fields could not hold is refused at OK; until then the product shows
        // only for values the fields take, so it cannot overflow.
        if (!rt::parseDecimal(quantity_->text().toStdString(), 0, qty) ||
            !rt::parseDecimal(market_->text().toStdString(), 2, market) || !rt::Dec72::fits(market) ||
            qty > INT32_MAX || qty < INT32_MIN)
            return;
        showExtendedValue(qty * market);
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
        for (QWidget *w : appraisalControls_)
            w->setVisible(on);
    }

    void hideForCategory()
    {
        HiddenControls h = hiddenForCategory(word_);
        auto hide = [this](const char *field) {
            for (QWidget *w : parts_[field])
                w->hide();
        };
        if (h.subject)
            hide("SUBJECT");
        if (h.starArtist) {
            hide("STARARTISTAUTHOR");
            hide("COSTARARTISTAUTHOR");
        }
        if (h.serial)
            hide("SERIALNUMBER");
        if (h.model)
            hide("MODELNUMBER");
        if (h.box)
            hide("BOXNUMBER");
        if (h.weights) {
            hide("CARATWEIGHT");
            hide("TOTALWEIGHT");
        }
        for (const std::string &t : h.tabs)
            for (int i = 0; i < tabs_->count(); ++i)
                if (tabs_->tabText(i).toStdString() == t)
                    tabs_->setTabVisible(i, false);
    }

    bool lookupHeir()
    {
        if (rt::callWithRequest("LookupHeir", rt::SelectRecord) != rt::RequestCompleted)
            return false;
        MAS.HEIR = HEI.NAME;
        displayField("HEIR");
        return true;
    }

    // An heir typed by hand must be one of the client's heirs: an unknown name opens the
    // look-up, and closing it sends the cursor back.
    void heirAccepted()
    {
        if (!heirTyped_ || checkingHeir_)
            return;
        heirTyped_ = false;
        MAS.HEIR = heir_->text().toStdString();
        if (MAS.HEIR.blank())
            return;
        checkingHeir_ = true;
        HEI.NAME = MAS.HEIR;
        if (Access::Heirs->tryFetch(*dict::HeirsDef.key("NAMEKEY")) != 0 && !lookupHeir())
            rt::showAndFocus(heir_);
        checkingHeir_ = false;
    }

    void choosePicture(PictureTab &t, bool fileSelector, const char *title)
    {
        QString current = t.path->text().trimmed();
        QString chosen;
        if (fileSelector) {
            chosen = chooser()(this, "Select An Image", kImageFilter,
                               current.isEmpty() ? QString() : QFileInfo(current).absolutePath());
        } else {
            // The receipt and warranty dialogs share the name last used by either of them.
            if (!current.isEmpty())
                lastPickerName_ = current;
            chosen = chooser()(this, std::string(title) == "Receipt" ? "Select A Receipt" : "Select Warranty File",
                               kImageFilter, lastPickerName_);
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
        QSize units = rt::fitPicture(rt::pictureSize(path));
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
        case ItemControl::AppraisalDate: rt::showAndFocus(appraisalDate_); break;
        case ItemControl::AppraisedValue: rt::showAndFocus(appraisedValue_); break;
        case ItemControl::Category: rt::showAndFocus(category_->combo()); break;
        case ItemControl::Location: rt::showAndFocus(location_->combo()); break;
        case ItemControl::MarketValue: rt::showAndFocus(market_); break;
        case ItemControl::Quantity: rt::showAndFocus(quantity_); break;
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
    QLineEdit *asset_ = nullptr, *description_ = nullptr, *quantity_ = nullptr, *market_ = nullptr,
              *extended_ = nullptr, *heir_ = nullptr, *appraisalDate_ = nullptr, *appraisedValue_ = nullptr;
    std::unique_ptr<FileDrop> category_, type_, subject_, location_, box_, condition_;
    std::map<std::string, std::vector<QWidget *>> parts_;
    std::vector<QWidget *> appraisalControls_;
    PictureTab image1_, image2_, receipt_, warranty_;
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
