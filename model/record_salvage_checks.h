// The record's limits as the salvage checks them: a text no longer than its field, a number
// that its field can hold. Beside the salvage, which knows record files only as SQLite does.
#pragma once

#include <cstdint>
#include <vector>

#include "model/record_salvage.h"
#include "runtime/record.h"

namespace salvage {

inline std::vector<ColumnCheck> checksFor(const rt::TableDef &def)
{
    std::vector<ColumnCheck> checks;
    for (const rt::FieldDef &f : def.fields) {
        ColumnCheck c;
        c.column = rt::TableDef::columnName(f);
        switch (f.kind) {
        case rt::FieldKind::STRING:
            c.maxBytes = f.size;
            break;
        case rt::FieldKind::BYTE:
            c.minValue = 0;
            c.maxValue = 255;
            break;
        case rt::FieldKind::LONG:
            c.minValue = INT32_MIN;
            c.maxValue = INT32_MAX;
            break;
        case rt::FieldKind::DEC: {
            std::int64_t limit = 1;
            for (int i = 0; i < f.digits && i < 18; ++i)
                limit *= 10;
            c.minValue = -(limit - 1);
            c.maxValue = limit - 1;
            break;
        }
        }
        checks.push_back(c);
    }
    if (def.memoName) {
        ColumnCheck c;
        c.column = def.memoColumn();
        c.maxBytes = def.memoMax;
        checks.push_back(c);
    }
    return checks;
}

}  // namespace salvage
