#include "model/user_fields.h"

#include "model/dictionary.h"
#include "runtime/errors.h"
#include "model/default_rows.h"

namespace model {

int readTitlesRecord(rt::RecordFile &file, UserFieldsRecord &into)
{
    auto *shared = static_cast<UserFieldsRecord *>(file.record());
    const UserFieldsRecord kept = *shared;
    rt::clearRecord(dict::UserFieldsDef, shared);
    int rc = file.setFileOrder();
    if (rc == 0)
        rc = file.next();
    if (&into != shared) {
        into = rc == 0 ? *shared : kept;
        if (rc != 0)
            rt::clearRecord(dict::UserFieldsDef, &into);
        *shared = kept;
    }
    rt::setError(rc);
    return rc;
}

void putDefaultTitles(UserFieldsRecord &record)
{
    auto titles = defaults::userFieldTitles();
    record.TITLEUSERFIELD1 = titles[0];
    record.TITLEUSERFIELD2 = titles[1];
    record.TITLEUSERFIELD3 = titles[2];
    record.TITLEUSERFIELD4 = titles[3];
}

UserFieldTitles titlesOf(const UserFieldsRecord &record)
{
    return {record.TITLEUSERFIELD1.str(), record.TITLEUSERFIELD2.str(), record.TITLEUSERFIELD3.str(),
            record.TITLEUSERFIELD4.str()};
}

}  // namespace model
