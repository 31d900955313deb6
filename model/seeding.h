// The seeding of the default rows. Every seeding point puts back the default rows that are
// missing from its tables and leaves the rows that are there alone, descriptions included; it
// never changes or deletes a row.
#pragma once

#include <string>

namespace seeding {

enum class Point {
    HomeFiles,      // program start, first: manufacturers, then categories with their types
    StandardFiles,  // program start, second: conditions, vendors, subjects
    LocationFiles,  // a client's home-inventory menu: rooms, then the user-field titles
    Locations,      // the location browse: rooms
    Categories,     // the category browse: categories and types, less the library categories
    Conditions,     // the conditions browse
    Manufacturers,  // the manufacturers browse
    Vendors,        // the vendors browse
};

struct Outcome {
    int added = 0;
    // The error of a look-up that failed for another reason than "not found": it stopped the
    // point. The label names the file, the driver's text and code go with error 90.
    int error = 0;
    std::string label;
    std::string driverText;
    std::string driverCode;
};

// Seeds the point's tables as the settings flag MSY:DISABLEAUTOBUILD says: 1 seeds nothing; 0
// seeds everything; any other value seeds only the user-field titles of the client's menu. The
// file names must be set (the per-client ones pointing at the active client). The files are
// opened through their relation managers for the time of the seeding.
Outcome seed(Point point, int disableAutoBuild);

// Makes the error of an outcome the runtime's current error again, for its message.
void restoreError(const Outcome &outcome);

}  // namespace seeding
