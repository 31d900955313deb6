// The columns of the heir, manufacturer and vendor lists, shared by the tables' own browses and
// the item forms' look-ups.
#pragma once

#include "runtime/browse_setup.h"

namespace tables::columns {

inline const rt::ColumnSet heirs{{"Name", "NAME", "@s40", 80},
                                 {"Address 1", "ADDRESS1", "@s40", 80},
                                 {"Address 2", "ADDRESS2", "@s40", 80},
                                 {"Relationship", "RELATIONSHIP", "@s25", 80}};

inline const rt::ColumnSet manufacturers{{"Manufacturer", "MANUFACTURER", "@s20", 73},
                                         {"Address 1", "ADDRESS1", "@s40", 80},
                                         {"Address 2", "ADDRESS2", "@s40", 80},
                                         {"Phone", "PHONE", rt::PhonePicture, 52},
                                         {"Contact", "CONTACT", "@s30", 80}};

inline const rt::ColumnSet vendors{{"Vendor", "VENDOR", "@s20", 80},
                                   {"Address 1", "ADDRESS1", "@s40", 80},
                                   {"Address 2", "ADDRESS2", "@s40", 80},
                                   {"Phone", "PHONE", rt::PhonePicture, 64},
                                   {"Contact", "CONTACT", "@s30", 80}};

}  // namespace tables::columns
