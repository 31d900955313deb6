// The titles of a client's four user fields: the first record of the user-field file, or the
// default titles for a client that has none yet. The item forms, the title form, the seeding and
// the reports read them here.
#pragma once

#include <array>
#include <string>

struct UserFieldsRecord;
namespace rt {
class RecordFile;
}

namespace model {

using UserFieldTitles = std::array<std::string, 4>;

// Reads the titles record into `into` from the open file: into the file's own buffer when
// `into` is that buffer; into a copy of its own otherwise, the shared buffer left as it was.
// Returns 0, 33 when the file holds no record yet, or the driver's error.
int readTitlesRecord(rt::RecordFile &file, UserFieldsRecord &into);
// Puts the default titles into a record.
void putDefaultTitles(UserFieldsRecord &record);
UserFieldTitles titlesOf(const UserFieldsRecord &record);

}  // namespace model
