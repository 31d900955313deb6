#include "model/seeding.h"

#include <cstdlib>
#include <vector>

#include "model/dictionary.h"
#include "model/managers.h"
#include "model/user_fields.h"
#include "runtime/errors.h"
#include "model/default_rows.h"

namespace seeding {

namespace {

class Seeder {
public:
    Outcome out;

    bool stopped() const { return out.error != 0; }

    // The file really open for reading and adding; a file that cannot be opened stops the point.
    bool use(rt::FileManager &fm)
    {
        if (stopped())
            return false;
        if (fm.useFile() == 0)
            return true;
        stop(fm.file);
        return false;
    }

    // One default row: `keys` stores the values that the look-up uses, `rest` the fields of a
    // new row. Only "not found" adds the row; any other failure of the look-up stops the point,
    // since adding blindly could duplicate rows in a file whose keys cannot be read.
    template <class Keys, class Rest>
    bool row(rt::RecordFile &file, const rt::KeyDef &key, Keys keys, Rest rest)
    {
        if (stopped())
            return false;
        rt::clearRecord(file.def(), file.record());
        keys();
        int rc = file.get(key);
        if (rc == 0)
            return true;
        if (rc != rt::err::RecordNotFound) {
            stop(file);
            return false;
        }
        rest();
        // A row that cannot be added is tried again by the next seeding.
        if (file.add() == 0)
            ++out.added;
        return true;
    }

    void stop(const rt::RecordFile &file)
    {
        out.error = rt::errorCode() ? rt::errorCode() : rt::err::NotOpen;
        out.label = file.def().label;
        if (out.error == rt::err::DriverError) {
            out.driverText = rt::fileErrorText();
            out.driverCode = rt::fileErrorCode();
        }
    }
};

const rt::KeyDef &key(const rt::TableDef &def, const char *name) { return *def.key(name); }

void rooms(Seeder &s)
{
    if (!s.use(*Access::Location))
        return;
    const rt::KeyDef &k = key(dict::LocationDef, "LOCATIONKEY");
    for (const defaults::RoomRow &r : defaults::rooms())
        if (!s.row(::Location, k, [&] { LCT.LOCATION = r.location; }, [&] { LCT.DESCRIPTION = r.description; }))
            return;
}

void categories(Seeder &s, bool withLibrary)
{
    if (!s.use(*Access::Category) || !s.use(*Access::Type))
        return;
    const rt::KeyDef &catKey = key(dict::CategoryDef, "CATEGORYKEY");
    const rt::KeyDef &typeKey = key(dict::TypeDef, "CATEGORYTYPEKEY");
    for (const defaults::CategoryRow &c : defaults::categories()) {
        if (c.library && !withLibrary)
            continue;
        if (!s.row(::Category, catKey, [&] { CAT.CATEGORY = c.category; },
                   [&] { CAT.DESCRIPTION = c.description; }))
            return;
        // A category that was already there still gets its missing types.
        for (const defaults::TypeRow &t : c.types)
            if (!s.row(::Type, typeKey,
                       [&] {
                           TYP.CATEGORY = c.category;
                           TYP.TYPE = t.type;
                       },
                       [&] { TYP.DESCRIPTION = t.description; }))
                return;
    }
}

void conditions(Seeder &s)
{
    if (!s.use(*Access::Conditions))
        return;
    // The key is the display order alone: a row with the order, whatever its name, counts.
    const rt::KeyDef &k = key(dict::ConditionsDef, "DISPLAYKEY");
    for (const defaults::ConditionRow &r : defaults::conditions())
        if (!s.row(::Conditions, k,
                   [&] {
                       CON.DISPLAYORDER = r.displayOrder;
                       CON.CONDITION = r.condition;
                   },
                   [] {}))
            return;
}

void manufacturers(Seeder &s)
{
    if (!s.use(*Access::Manufacturers))
        return;
    const rt::KeyDef &k = key(dict::ManufacturersDef, "MANUFACTURERKEY");
    for (const char *name : defaults::manufacturers())
        if (!s.row(::Manufacturers, k, [&] { MAN.MANUFACTURER = name; }, [] {}))
            return;
}

void vendors(Seeder &s)
{
    if (!s.use(*Access::Vendors))
        return;
    const rt::KeyDef &k = key(dict::VendorsDef, "VENDORKEY");
    for (const char *name : defaults::vendors())
        if (!s.row(::Vendors, k, [&] { VEN.VENDOR = name; }, [] {}))
            return;
}

void subjects(Seeder &s)
{
    if (!s.use(*Access::QORSubject))
        return;
    const rt::KeyDef &k = key(dict::QORSubjectDef, "SUBJECTKEY");
    for (const char *subject : defaults::subjects())
        if (!s.row(::QORSubject, k, [&] { QOS.SUBJECT = subject; }, [] {}))
            return;
}

// The file has no key: its first record in file order is the titles record.
void userFields(Seeder &s)
{
    if (!s.use(*Access::UserFields))
        return;
    int rc = model::readTitlesRecord(::UserFields, USF);
    if (rc == 0)
        return;
    if (rc != rt::err::NoRecord) {
        s.stop(::UserFields);
        return;
    }
    model::putDefaultTitles(USF);
    if (::UserFields.add() == 0)
        ++s.out.added;
}

// The files of a point, open for the time of the seeding.
class OpenFiles {
public:
    explicit OpenFiles(std::vector<rt::RelationManager *> files) : files_(std::move(files))
    {
        for (rt::RelationManager *rm : files_)
            rm->open();
    }
    ~OpenFiles()
    {
        for (rt::RelationManager *rm : files_)
            rm->close();
    }

private:
    std::vector<rt::RelationManager *> files_;
};

}  // namespace

Outcome seed(Point point, int disableAutoBuild)
{
    Seeder s;
    if (disableAutoBuild == 1)
        return s.out;
    const bool all = disableAutoBuild == 0;
    switch (point) {
    case Point::HomeFiles:
        if (all) {
            OpenFiles open({Relate::Category, Relate::Manufacturers});
            manufacturers(s);
            categories(s, true);
        }
        break;
    case Point::StandardFiles:
        if (all) {
            OpenFiles open({Relate::Conditions, Relate::QORSubject, Relate::Vendors});
            conditions(s);
            vendors(s);
            subjects(s);
        }
        break;
    case Point::LocationFiles: {
        // Only the value 1 keeps a client without titles from getting the default ones.
        OpenFiles open({Relate::Location, Relate::UserFields});
        if (all)
            rooms(s);
        userFields(s);
        break;
    }
    case Point::Locations:
        if (all) {
            OpenFiles open({Relate::Location});
            rooms(s);
        }
        break;
    case Point::Categories:
        if (all) {
            OpenFiles open({Relate::Category});
            categories(s, false);
        }
        break;
    case Point::Conditions:
        if (all) {
            OpenFiles open({Relate::Conditions});
            conditions(s);
        }
        break;
    case Point::Manufacturers:
        if (all) {
            OpenFiles open({Relate::Manufacturers});
            manufacturers(s);
        }
        break;
    case Point::Vendors:
        if (all) {
            OpenFiles open({Relate::Vendors});
            vendors(s);
        }
        break;
    }
    return s.out;
}

void restoreError(const Outcome &outcome)
{
    if (outcome.error == rt::err::DriverError)
        rt::setDriverError(outcome.driverText, std::atoi(outcome.driverCode.c_str()));
    else
        rt::setError(outcome.error);
}

}  // namespace seeding
