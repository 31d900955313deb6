// Entries of an update form: a value its field cannot hold is refused with a message naming it,
// whether it overflows the field or the arithmetic that reads it.
#include <gtest/gtest.h>

#include <QLineEdit>

#include "runtime/error_manager.h"
#include "runtime/file_manager.h"
#include "runtime/update_form.h"
#include "tests/support/record_damage.h"
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

// SQLite gives a record added after a delete the number of the deleted one. A change form open
// on the item must not take the new item for its own, whether the other program struck before OK
// (the check) or between the check and the write (here from within the form's own checks); nor
// may a delete, asked while its question is open, delete the new item.
TEST(UpdateFormChange, ItemReplacedUnderTheSameRowidIsTakenForDeletedAndNeverOverwritten)
{
    testing_support::TempHome home;
    struct R {
        Long asset;
        char description[20];
    } r{};
    TableDef t;
    t.label = "Items";
    t.prefix = "ITM";
    t.recordSize = sizeof(R);
    t.fields = {{"ASSETNUMBER", FieldKind::LONG, 0, 4, 0, 0}, {"DESCRIPTION", FieldKind::STRING, 4, 20, 0, 0}};
    KeyDef k;
    k.name = "ASSETKEY";
    k.parts = {{0}};
    k.unique = true;
    t.keys = {k};
    const std::string replace = "DELETE FROM data; INSERT INTO data (assetnumber, description) VALUES (555, 'Grand piano')";
    const struct Case {
        const char *name;
        int request;
        const char *beforeOk, *duringOk;  // for a delete: while "Confirm Delete" is open
    } cases[] = {
        {"replaced before OK", ChangeRecord, replace.c_str(), ""},
        {"replaced between the check and the write", ChangeRecord, "", replace.c_str()},
        {"asset number changed before OK", ChangeRecord, "UPDATE data SET assetnumber = 556", ""},
        {"replaced while the delete is asked", DeleteRecord, "", replace.c_str()},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        RecordFile file(t, &r);
        file.name = home.file(std::string("items") + std::to_string(&c - cases) + ".tps");
        ASSERT_EQ(file.create(), 0);
        ASSERT_EQ(file.open(), 0);
        r.asset.set(7);
        setFieldText(t.fields[1], &r, "Old chair");
        ASSERT_EQ(file.add(), 0);
        ErrorManager errors;
        FileManager fm(file, errors);
        RelationManager rm(fm);
        ScriptedMessages messages;
        MessageHandler answer = setMessageHandler(nullptr);
        setMessageHandler([&](const MessageRequest &m) {
            if (m.title == "Confirm Delete") {
                EXPECT_EQ(testing_support::sqliteExec(file.name, c.duringOk), "");
            }
            return answer(m);
        });
        auto *form = new UpdateForm("UpdateItem", rm, c.request, "Item");
        auto *description = form->bindEntry(new QLineEdit(form), "DESCRIPTION");
        form->validate = [&] {
            if (*c.duringOk) {
                EXPECT_EQ(testing_support::sqliteExec(file.name, c.duringOk), "");
            }
            return true;
        };
        if (c.request == DeleteRecord) {
            form->init();
            EXPECT_TRUE(messages.sawTitle("Confirm Delete"));
            EXPECT_TRUE(messages.sawTitle("Record Deleted"));
            EXPECT_EQ(form->response, RequestCancelled);
        } else {
            ASSERT_EQ(form->init(), 0);
            description->setText("Mine");
        }
        if (*c.beforeOk) {
            EXPECT_EQ(testing_support::sqliteExec(file.name, c.beforeOk), "");
        }
        for (int ok = 0; c.request == ChangeRecord && ok < 2; ++ok) {  // OK again after the message changes nothing
            messages.clear();
            EXPECT_FALSE(form->completeForm());
            EXPECT_TRUE(messages.sawTitle("Record Deleted"));
        }
        EXPECT_EQ(testing_support::sqliteText(file.name, "SELECT group_concat(assetnumber || ' ' || description) FROM data"),
                  std::string(*c.beforeOk == 'U' ? "556 Old chair" : "555 Grand piano"));
        setMessageHandler(answer);
        delete form;
        file.close();
    }
}
