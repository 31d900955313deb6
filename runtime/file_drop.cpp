#include "runtime/file_drop.h"

#include <QComboBox>
#include <QHeaderView>
#include <QSignalBlocker>
#include <QStandardItemModel>
#include <QTreeView>

#include "runtime/file_manager.h"
#include "runtime/file_report.h"

namespace rt {

FileDrop::FileDrop(QComboBox *combo, FileManager &manager, const KeyDef *key, std::vector<const char *> fields,
                   QStringList headers)
    : combo_(combo), manager_(manager), key_(key)
{
    for (const char *f : fields)
        fields_.push_back(manager.file.def().fieldIndex(f));
    model_ = new QStandardItemModel(0, static_cast<int>(fields_.size()), combo);
    model_->setHorizontalHeaderLabels(headers);
    combo->setModel(model_);
    if (fields_.size() > 1) {
        auto *view = new QTreeView;
        view->setRootIsDecorated(false);
        view->setAllColumnsShowFocus(true);
        view->header()->setStretchLastSection(true);
        combo->setView(view);
        view->setMinimumWidth(420);
        view->header()->resizeSection(0, 150);
    }
}

int FileDrop::fill(const QString &keep)
{
    QSignalBlocker block(combo_);
    model_->removeRows(0, model_->rowCount());
    int code = manager_.useFile() == 0 ? 0 : (errorCode() ? errorCode() : static_cast<int>(err::NotOpen));
    if (code != 0)
        reportFileFailure(FileFailure::Open, manager_.file);
    if (code == 0) {
        const TableDef &def = manager_.file.def();
        View rows(manager_.file, key_, filter ? filter() : std::vector<Condition>{});
        // Reference files are short, but read in slices all the same.
        constexpr std::size_t kSlice = 200;
        std::vector<ViewRow> slice;
        code = rows.read(kSlice, slice);
        while (code == 0) {
            for (const ViewRow &row : slice) {
                QList<QStandardItem *> items;
                for (int f : fields_)
                    items << new QStandardItem(
                        f < 0 ? QString()
                              : QString::fromStdString(fieldText(def.fields[static_cast<std::size_t>(f)], row.record.data())));
                model_->appendRow(items);
            }
            if (slice.size() < kSlice)
                break;
            ViewRow last = slice.back();
            code = rows.readAfter(last, kSlice, slice);
        }
        if (code != 0)
            reportFileFailure(FileFailure::Read, manager_.file);
    }
    int at = -1;
    for (int r = 0; r < model_->rowCount() && at < 0; ++r)
        if (model_->item(r, 0)->text() == keep)
            at = r;
    if (at < 0) {
        model_->insertRow(0, new QStandardItem(keep));
        at = 0;
    }
    combo_->setCurrentIndex(at);
    return code;
}

int FileDrop::reload() { return fill(combo_->currentText()); }

}  // namespace rt
