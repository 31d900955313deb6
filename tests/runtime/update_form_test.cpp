// Entries of an update form: a value its field cannot hold is refused with a message naming it,
// whether it overflows the field or the arithmetic that reads it.
#include <gtest/gtest.h>

#include <QLineEdit>

#include "runtime/error_manager.h"
#include "runtime/file_manager.h"
#include "runtime/update_form.h"
#include "tests/support/test_support.h"

using namespace rt;
using testing_support::ScriptedMessages;

TEST(UpdateFormInput, AmountsAndDatesTooLargeAreRefusedWithAMessage)
{
    struct R {
        Dec72 market;
        Long purchased;
    } r{};
    TableDef t;
    t.label = "Items";
    t.prefix = "ITM";
    t.recordSize = sizeof(R);
    t.fields = {{"MARKETVALUE", FieldKind::DEC, 0, 4, 7, 2}, {"DATEPURCHASED", FieldKind::LONG, 4, 4, 4, 0}};
    RecordFile file(t, &r);
    ErrorManager errors;
    FileManager fm(file, errors);
    RelationManager rm(fm);
    auto *form = new UpdateForm("UpdateItem", rm, InsertRecord, "Item");
    auto *market = form->bindEntry(new QLineEdit(form), "MARKETVALUE", "@n9.2");
    auto *date = form->bindEntry(new QLineEdit(form), "DATEPURCHASED", "@d2");
    ScriptedMessages messages;

    r.market.setCents(1250);
    for (const char *text : {"184467440737095517", "-184467440737095517", "100000"}) {
        market->setText(text);
        messages.clear();
        EXPECT_FALSE(form->takeScreen()) << text;
        EXPECT_TRUE(messages.sawText(std::string("The value ") + text + " is too large for this field.")) << text;
        EXPECT_EQ(r.market.cents(), 1250) << text;
    }
    market->setText("12x");
    messages.clear();
    EXPECT_FALSE(form->takeScreen());
    EXPECT_TRUE(messages.sawText("Invalid number: 12x"));

    market->setText("99,999.99");
    date->setText("1/1/4294969296");
    messages.clear();
    EXPECT_FALSE(form->takeScreen());
    EXPECT_TRUE(messages.sawText("Invalid date: 1/1/4294969296"));
    EXPECT_EQ(r.purchased.get(), 0);
    date->setText("3/4/2021");
    EXPECT_TRUE(form->takeScreen());
    EXPECT_EQ(r.market.cents(), 9999999);
    delete form;
}
