#include "reports/custom_fields.h"

#include <algorithm>

#include "model/dictionary.h"
#include "model/item_fields.h"
#include "model/user_fields.h"
#include "runtime/text.h"

namespace reports {

std::vector<ReportField> &reportFieldList()
{
    static std::vector<ReportField> list;
    return list;
}

namespace {

bool before(const ReportField &a, const ReportField &b) { return rt::compareNoCase(a.name, b.name) < 0; }

}  // namespace

bool sameName(std::string_view a, std::string_view b) { return rt::compareNoCase(rt::clip(a), rt::clip(b)) == 0; }

const model::ItemField *itemColumn(std::string_view name)
{
    for (const model::ItemField &f : model::itemFields())
        if (f.column && sameName(f.column, name))
            return &f;
    return nullptr;
}

const ReportField *findReportField(std::string_view name)
{
    const std::string wanted = rt::clip(name);
    if (wanted.empty())
        return nullptr;
    for (const ReportField &f : reportFieldList())
        if (sameName(f.name, wanted))
            return &f;
    return nullptr;
}

std::vector<std::string> definitionColumns(const CustomReportSetupsRecord &d)
{
    return {d.FIELD1.str(), d.FIELD2.str(), d.FIELD3.str(),  d.FIELD4.str(),  d.FIELD5.str(),  d.FIELD6.str(),
            d.FIELD7.str(), d.FIELD8.str(), d.FIELD9.str(), d.FIELD10.str(), d.FIELD11.str(), d.FIELD12.str()};
}

int configuredTenths(const CustomReportSetupsRecord &definition)
{
    int sum = 0;
    for (const std::string &name : definitionColumns(definition))
        if (const ReportField *f = findReportField(name))
            sum += f->tenths;
    return sum;
}

int maximumTenths(std::string_view orientation) { return sameName(orientation, "Portrait") ? 75 : 100; }

std::string inchesText(int tenths) { return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10); }

}  // namespace reports

void BuildReportFieldList()
{
    using reports::ReportField;
    std::vector<ReportField> &list = reports::reportFieldList();
    auto add = [&list](const ReportField &f) {
        if (reports::findReportField(f.name))
            return;
        list.insert(std::upper_bound(list.begin(), list.end(), f, reports::before), f);
    };
    for (const model::ItemField &f : model::itemFields())
        if (f.column)
            add({f.column, f.header, f.tenths});
    for (const std::string &title : model::titlesOf(USF)) {
        const std::string t = rt::clip(title);
        if (!t.empty())
            add({t, t, 25});
    }
}
