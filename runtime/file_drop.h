// A drop list filled from a reference file in key order (categories, types of a category,
// boxes of a location, conditions, ...). The value the record already holds is always one of
// the choices, even when the file does not hold it (an imported or since renamed value), so
// showing a form never changes the record.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

#include "runtime/view.h"

class QComboBox;
class QStandardItemModel;

namespace rt {

class FileManager;

class FileDrop {
public:
    // The list shows `fields` of each row (the first is the value chosen) under `headers`;
    // with more than one field it drops down as a table.
    FileDrop(QComboBox *combo, FileManager &manager, const KeyDef *key, std::vector<const char *> fields,
             QStringList headers);

    // Rows limited to a value of the record (types of its category, boxes of its location);
    // asked again at every fill.
    std::function<std::vector<Condition>()> filter;

    // Read the list again and choose `keep`. Returns the error code of the read; the list then
    // holds what could be read, and `keep` in any case.
    int fill(const QString &keep);
    int reload();
    QComboBox *combo() const { return combo_; }

private:
    QComboBox *combo_;
    FileManager &manager_;
    const KeyDef *key_;
    std::vector<int> fields_;
    QStandardItemModel *model_;
};

}  // namespace rt
