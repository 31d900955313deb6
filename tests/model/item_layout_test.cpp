// The item form's description against the record it edits.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

#include "model/dictionary.h"
#include "model/item_fields.h"
#include "model/item_layout.h"
#include "runtime/picture.h"

using namespace inventory::layout;

TEST(ItemLayout, NamesRealFieldsAndEditsEachFieldOnce)
{
    const rt::TableDef &mas = dict::MasterInventoryDef;
    // Kept on the item but edited elsewhere (sales, lending, disposal) or not at all.
    const std::set<std::string> elsewhere{"STATUS",       "DATESOLDDISPOSED", "HOWDISPOSED", "ASKINGPRICE",
                                          "PRICESOLD",    "BORROWED",         "LENTTO",      "DATELENT",
                                          "DATERETURN",   "IMAGE3"};
    std::map<std::string, int> edited;
    std::vector<std::string> titles;
    for (const Tab &t : itemTabs()) {
        titles.push_back(t.title);
        for (const Section &s : t.sections)
            for (const Control &c : s.controls) {
                if (c.kind == Kind::Memo) {
                    EXPECT_STREQ(c.field, mas.memoName);
                    ++edited[c.field];
                    continue;
                }
                if (c.field) {
                    EXPECT_GE(mas.fieldIndex(c.field), 0) << c.field;
                }
                if (c.picture) {
                    EXPECT_NE(rt::Picture::parse(c.picture).kind, rt::Picture::Invalid) << c.picture;
                }
                if (holdsField(c.kind)) {
                    ASSERT_NE(c.field, nullptr) << t.title;
                    ++edited[c.field];
                }
                if (c.drop) {
                    const rt::TableDef &file = *c.drop->file;
                    EXPECT_NE(file.key(c.drop->key), nullptr) << c.drop->key;
                    EXPECT_EQ(c.drop->fields.size(), c.drop->headers.size()) << c.field;
                    for (const char *f : c.drop->fields)
                        EXPECT_GE(file.fieldIndex(f), 0) << f;
                    if (c.drop->limitedBy) {
                        EXPECT_GE(file.fieldIndex(c.drop->limitedBy), 0) << c.drop->limitedBy;
                        EXPECT_GE(mas.fieldIndex(c.drop->limitedBy), 0) << c.drop->limitedBy;
                    }
                }
                if (c.kind == Kind::Lookup) {
                    EXPECT_NE(c.procedure, nullptr) << c.field;
                }
            }
    }
    EXPECT_EQ(titles, (std::vector<std::string>{"General", "Heirs / Appraisal", "Artist / Antique", "User Fields",
                                                "Image 1", "Image 2", "Receipt", "Warranty", "Memo"}));
    for (const rt::FieldDef &f : mas.fields) {
        const std::string name = f.name;
        if (elsewhere.count(name))
            EXPECT_EQ(edited.count(name), 0u) << name;
        else
            EXPECT_EQ(edited[name], 1) << name;
    }
    EXPECT_EQ(edited[mas.memoName], 1);
}

// The item fields' table: a row naming no field of the item would print or show nothing; a
// custom-report column name twice would make one of the two unreachable; a tip or catalog line
// given twice for a field would leave the second unread; a flag or user field with a picture, or
// a column with no width, would print otherwise than its kind says.
TEST(ItemFields, EachRowNamesAnItemFieldAndEachNameAndTipIsGivenOnce)
{
    const rt::TableDef &mas = dict::MasterInventoryDef;
    std::set<std::string> columns, tipped, labelled;
    for (const model::ItemField &f : model::itemFields()) {
        EXPECT_GE(mas.fieldIndex(std::string("MAS:") + f.field), 0) << f.field;
        if (f.tip)
            EXPECT_TRUE(tipped.insert(f.field).second) << f.field;
        if (f.label || f.user)
            EXPECT_TRUE(labelled.insert(f.field).second) << f.field;
        EXPECT_EQ(f.user != 0, f.kind == model::ItemFieldKind::User) << f.field;
        if (f.kind == model::ItemFieldKind::Flag)
            EXPECT_STREQ(f.picture, "") << f.field;
        if (!f.column)
            continue;
        EXPECT_TRUE(columns.insert(f.column).second) << f.column;
        EXPECT_GT(f.tenths, 0) << f.column;
        EXPECT_TRUE(f.header && *f.header) << f.column;
        EXPECT_EQ(f.value == model::ColumnValue::Cut, f.cut > 0) << f.column;
    }
    EXPECT_EQ(columns.size(), 45u);
    EXPECT_EQ(tipped.size(), 49u);
    EXPECT_EQ(labelled.size(), 42u);
    EXPECT_EQ(model::itemField("DESCRIPTION")->column, std::string("Description Long"));
    EXPECT_EQ(model::itemFieldTip("TOTALWEIGHT"), nullptr);
}
