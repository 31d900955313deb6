// The item form's description against the record it edits.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

#include "model/dictionary.h"
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
