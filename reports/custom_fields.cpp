#include "reports/custom_fields.h"

#include <algorithm>

#include "model/dictionary.h"
#include "model/user_fields.h"
#include "runtime/text.h"

namespace reports {

std::vector<ReportField> &reportFieldList()
{
    static std::vector<ReportField> list;
    return list;
}

namespace {

const ReportField kFixed[] = {
    {"Asset", "Asset", 5},
    {"Description Long", "Description", 32},
    {"Description Short", "Description", 13},
    {"Model #", "Model #", 13},
    {"Serial #", "Serial #", 13},
    {"Category", "Category", 13},
    {"Location", "Location", 13},
    {"Type", "Type", 13},
    {"Box #", "Box #", 13},
    {"Condition", "Condition", 7},
    {"Color", "Color", 13},
    {"MFG", "MFG", 13},
    {"Quantity", "Qty", 5},
    {"Orig Cost", "Orig Cost", 7},
    {"Rplc Cost", "Rplc Cost", 7},
    {"MSRP", "MSRP", 7},
    {"Market Value", "MV", 7},
    {"Extended MV", "Ext MV", 7},
    {"Extended Cost", "Ext Cost", 7},
    {"Limited Edition", "LE", 5},
    {"Quantity Made", "Made", 5},
    {"Edition Number", "Ed #", 9},
    {"Date Entered", "Enter", 7},
    {"Date Purchased", "Purch", 7},
    {"Purchased From", "Vendor", 13},
    {"Carat WT", "CT", 7},
    {"Tot WT", "Tot WT", 7},
    {"Insured", "Ins", 5},
    {"Bus Use", "B Use", 5},
    {"Pay Method", "Pay Meth", 7},
    {"Fam Heir", "F Heir", 5},
    {"Engraved", "Engr", 5},
    {"Heir", "Heir", 25},
    {"Appraised", "Appr", 5},
    {"App Date", "App Date", 7},
    {"App Value", "App Val", 7},
    {"Appraiser", "Appraiser", 13},
    {"Artist", "Artist", 20},
    {"Signed", "Signed", 5},
    {"Yr Org", "Yr Org", 6},
    {"Warranty", "War", 5},
    {"Warranty Expir", "War Exp", 7},
    {"Subject", "Subject", 13},
    {"Star", "Star", 25},
    {"Co-Star", "C0-Star", 25},
};

bool before(const ReportField &a, const ReportField &b) { return rt::compareNoCase(a.name, b.name) < 0; }

// Names compare as the keys do: case-blind, trailing blanks ignored.
bool sameName(std::string_view a, std::string_view b) { return rt::compareNoCase(rt::clip(a), rt::clip(b)) == 0; }

}  // namespace

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
    for (const ReportField &f : reports::kFixed)
        add(f);
    for (const std::string &title : model::titlesOf(USF)) {
        const std::string t = rt::clip(title);
        if (!t.empty())
            add({t, t, 25});
    }
}
