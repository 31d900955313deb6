// The client's item view: one item of the folder in the nine tabs of the item form's
// description, display only. It shows a copy of the item taken as it opens, so nothing that
// later fills the shared record buffer changes what it shows, and it never writes.
#include <QCheckBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>
#include <cmath>
#include <map>

#include "client/client.h"
#include "model/globals.h"
#include "model/item_fields.h"
#include "model/managers.h"
#include "model/item_layout.h"
#include "model/user_fields.h"
#include "model/valuation.h"
#include "runtime/error_manager.h"
#include "runtime/gui.h"
#include "runtime/help.h"
#include "runtime/image.h"
#include "runtime/message.h"
#include "runtime/picture.h"
#include "runtime/text.h"
#include "runtime/window.h"

namespace client {

namespace {

namespace layout = inventory::layout;
using K = layout::Kind;

const rt::FieldDef &masField(std::string_view name)
{
    return dict::MasterInventoryDef.fields[static_cast<std::size_t>(dict::MasterInventoryDef.fieldIndex(name))];
}

// A value through its display picture, as the form's entries show it once left.
std::string shown(const MasterInventoryRecord &item, const char *field, const char *picture)
{
    const rt::FieldDef &f = masField(field);
    if (f.kind == rt::FieldKind::STRING)
        return picture ? rt::formatText(picture, rt::fieldText(f, &item)) : rt::fieldText(f, &item);
    const std::int64_t n = rt::fieldNumber(f, &item);
    if (!picture)
        return std::to_string(n);
    if (rt::Picture::parse(picture).kind == rt::Picture::Date)
        return rt::formatDate(picture, static_cast<std::int32_t>(n));
    return rt::formatNumber(picture, n, f.kind == rt::FieldKind::DEC ? f.places : 0);
}

void setTip(QWidget *w, const layout::Control &c)
{
    // Every field's own tip, user fields and picture paths included (the item form's layout
    // carries only some of them).
    const char *own = c.field ? model::itemFieldTip(c.field) : nullptr;
    const char *tip = own ? own : c.tip;
    if (tip)
        w->setToolTip(tip);
}

// The memo, read only: Enter is no key for it and must not reach the window's default button.
class MemoView : public QPlainTextEdit {
public:
    using QPlainTextEdit::QPlainTextEdit;

protected:
    void keyPressEvent(QKeyEvent *e) override
    {
        if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
            e->accept();
            return;
        }
        QPlainTextEdit::keyPressEvent(e);
    }
};

// A check box or radio that shows a value and takes no input.
template <typename Box>
Box *showOnly(Box *b)
{
    b->setAttribute(Qt::WA_TransparentForMouseEvents);
    b->setFocusPolicy(Qt::NoFocus);
    return b;
}

class ItemView : public rt::WindowProcedure {
public:
    ItemView(QWidget *parent) : rt::WindowProcedure("UpdateMasterInventory", parent)
    {
        setHelpContext("~VIEW_HOME_INVENTORY_ITEM");
    }

    int init() override
    {
        request = rt::takeRequest();
        if (request == rt::InsertRecord || request == rt::DeleteRecord) {
            rt::message(request == rt::InsertRecord ? "This form cannot be used to insert a record"
                                                    : "This form cannot be used to delete a record",
                        "Invalid Request", rt::Icon::Exclamation, rt::BUTTON_OK);
            return rt::LevelNotify;
        }
        static_cast<MasterInventoryRecord &>(item_) = MAS;
        item_.MEMO = MAS.MEMO;
        if (openFiles({Relate::ClientSystemFile, Relate::MasterInventory}) != 0)
            return rt::LevelFatal;
        readTitles();
        // An item that is not appraised shows no appraisal.
        if (item_.APPRAISED != 1) {
            item_.APPRAISALDATE = 0;
            item_.APPRAISEDVALUE.setCents(0);
            item_.APPRAISER = "";
        }
        build();
        setWindowTitle("View Master Inventory Record  (" + QString::fromStdString(item_.DESCRIPTION.str()) + ")");
        resize(820, 600);
        return 0;
    }

private:
    void readTitles()
    {
        Glo.ClientFileError = 0;
        ClientSystemFileRecord csf;
        rt::clearRecord(dict::ClientSystemFileDef, &csf);
        std::string error;
        if (readClientSystemRecord(csf, error) != 0) {
            Glo.ClientFileError = 1;
            rt::beep();
            rt::message("Error reading client system file", "File Error", rt::Icon::Exclamation, rt::BUTTON_ABORT);
            return;
        }
        titles_ = {csf.TITLEUSERFIELD1.str(), csf.TITLEUSERFIELD2.str(), csf.TITLEUSERFIELD3.str(),
                   csf.TITLEUSERFIELD4.str()};
    }

    void build()
    {
        unit_ = fontMetrics().averageCharWidth() / 4.0;
        auto *outer = new QVBoxLayout(this);
        auto *tabs = new QTabWidget;
        tabs->setObjectName("sheet");
        outer->addWidget(tabs);
        for (const layout::Tab &t : layout::itemTabs())
            tabs->addTab(page(t), t.title);
        auto *row = new QHBoxLayout;
        auto *close = new QPushButton("Close");
        close->setObjectName("Close");
        close->setDefault(true);
        auto *help = new QPushButton("Help");
        help->setAutoDefault(false);
        row->addStretch(1);
        row->addWidget(close);
        row->addWidget(help);
        outer->addLayout(row);
        connect(close, &QPushButton::clicked, this, [this] { finish(rt::RequestCancelled); });
        connect(help, &QPushButton::clicked, this, [this, tabs] {
            rt::showHelp(tabs->tabText(tabs->currentIndex()) == "Image 1" ? "~PICTURE_TAB" : helpContext());
        });
    }

    static bool hasPrompt(K k)
    {
        return k == K::Entry || k == K::ReadOnlyEntry || k == K::Display || k == K::DropList ||
               k == K::PicturePath || k == K::PictureFor;
    }

    QWidget *page(const layout::Tab &t)
    {
        auto *page = new QWidget;
        auto *v = new QVBoxLayout(page);
        if (t.heading)
            v->addWidget(new QLabel(t.heading));
        bool fills = false;
        for (const layout::Section &s : t.sections) {
            QGridLayout *g = new QGridLayout;
            if (s.caption) {
                auto *box = new QGroupBox(s.caption);
                box->setLayout(g);
                v->addWidget(box);
            } else {
                v->addLayout(g);
            }
            std::map<std::pair<int, int>, QHBoxLayout *> cells;
            std::map<std::pair<int, int>, int> inCell;
            for (const layout::Control &c : s.controls)
                if (shows(c.kind))
                    ++inCell[{c.row, c.col}];
            for (const layout::Control &c : s.controls) {
                if (!shows(c.kind))
                    continue;
                if (hasPrompt(c.kind)) {
                    auto *prompt = new QLabel(c.userTitle ? QString::fromStdString(titles_[c.userTitle - 1])
                                                          : QString(c.prompt));
                    if (c.userTitle)
                        prompt->setObjectName(QString("Title %1").arg(c.userTitle));
                    g->addWidget(prompt, c.row, c.col - 1);
                }
                QWidget *w = control(c);
                if (inCell[{c.row, c.col}] > 1) {
                    QHBoxLayout *&h = cells[{c.row, c.col}];
                    if (!h) {
                        h = new QHBoxLayout;
                        g->addLayout(h, c.row, c.col);
                    }
                    h->addWidget(w);
                } else if (c.kind == K::PictureArea) {
                    g->addWidget(w, c.row, c.col, c.rowSpan, c.colSpan, Qt::AlignLeft | Qt::AlignTop);
                } else {
                    g->addWidget(w, c.row, c.col, c.rowSpan, c.colSpan);
                }
                fills = fills || c.kind == K::Memo;
            }
            if (s.gapColumn >= 0)
                g->setColumnMinimumWidth(s.gapColumn, 16);
            for (int col : s.stretchColumns)
                g->setColumnStretch(col, 1);
            if (s.stretchRow >= 0)
                g->setRowStretch(s.stretchRow, 1);
        }
        if (!fills)
            v->addStretch(1);
        return page;
    }

    // The buttons that pick, clear or look up a value change the item: a view has none.
    static bool shows(K k)
    {
        return k != K::Calendar && k != K::Today && k != K::Lookup && k != K::Clear && k != K::PictureChoose;
    }

    QLineEdit *field(const QString &name, const std::string &text, bool number)
    {
        auto *e = new QLineEdit(QString::fromStdString(text));
        e->setObjectName(name);
        e->setReadOnly(true);
        if (number)
            e->setAlignment(Qt::AlignRight);
        e->setCursorPosition(0);
        return e;
    }

    QWidget *control(const layout::Control &c)
    {
        const char *f = c.field;
        switch (c.kind) {
        case K::Entry:
        case K::ReadOnlyEntry:
        case K::DropList:
        case K::PicturePath: {
            QLineEdit *e = field(f, shown(item_, f, c.picture), masField(f).kind != rt::FieldKind::STRING);
            setTip(e, c);
            return e;
        }
        case K::Display:
            return field(c.name, rt::formatNumber(c.picture, valuation::extendedValue(item_), 2), true);
        case K::Check: {
            auto *b = showOnly(new QCheckBox(c.prompt));
            b->setObjectName(f);
            setTip(b, c);
            b->setChecked(rt::fieldNumber(masField(f), &item_) != 0);
            return b;
        }
        case K::Radios: {
            auto *box = new QGroupBox(c.prompt);
            box->setObjectName(f);
            setTip(box, c);
            auto *g = new QGridLayout(box);
            const std::string value = rt::fieldText(masField(f), &item_);
            int i = 0;
            for (const char *choice : c.choices) {
                auto *r = showOnly(new QRadioButton(choice));
                r->setObjectName(QString(f) + " " + choice);
                r->setAutoExclusive(false);
                r->setChecked(rt::equalNoCase(value, choice));
                g->addWidget(r, i / 4, i % 4);
                ++i;
            }
            return box;
        }
        case K::PictureFor: {
            auto *l = new QLabel(QString::fromStdString(item_.DESCRIPTION.str()));
            l->setObjectName(c.name);
            l->setFont(QFont("Arial", l->font().pointSize()));
            return l;
        }
        case K::PictureArea:
            return pictureArea(f);
        case K::Memo: {
            auto *m = new MemoView(QString::fromStdString(item_.MEMO));
            m->setObjectName(f);
            m->setReadOnly(true);
            return m;
        }
        default:
            return new QWidget;
        }
    }

    // The picture fitted into its area; a name that is not one of the folder's pictures, or a
    // file that cannot be read, leaves the area empty.
    QWidget *pictureArea(const char *f)
    {
        QLabel *display = nullptr;
        QFrame *area = rt::pictureArea(unit_, f, display);
        const QString path = picturePath(rt::fieldText(masField(f), &item_));
        if (path.isEmpty())
            return area;
        const QSize units = rt::fitPicture(rt::pictureSize(path));
        if (units.isEmpty())
            return area;
        const QSize px(std::max(1, static_cast<int>(std::lround(units.width() * unit_))),
                       std::max(1, static_cast<int>(std::lround(units.height() * unit_))));
        const QImage image = rt::loadPicture(path, px);
        if (image.isNull())
            return area;
        display->setProperty("units", units);
        display->setFixedSize(px);
        display->setPixmap(QPixmap::fromImage(image.scaled(px, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)));
        display->show();
        return area;
    }

    MasterInventoryBuffer item_;
    model::UserFieldTitles titles_;
    double unit_ = 1.5;
};

}  // namespace

void UpdateMasterInventory() { rt::setResponse(rt::runModal(new ItemView(rt::modalParent()))); }

}  // namespace client
