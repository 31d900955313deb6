// The item lists an appraiser, an estate lawyer and a removal firm ask for: the appraised items
// by category, the items promised to each heir, the contents of one box, and the items with a
// picture, a receipt or a warranty. Each is one definition per pair (portrait and wide), run by
// either program through the report frame.
#pragma once

#include <QSize>
#include <optional>

#include "reports/frame.h"

namespace reports {

// "Appraised Items Report": the appraised items by category ("count", "value").
ReportDefinition appraisedDefinition(bool wide);
// "Inheritance Report": the items with an heir, one heir to a page ("count", "value").
ReportDefinition inheritanceDefinition(bool wide);
// "Box Packing List": the items of the box chosen in GetLocationBox ("count", "value").
ReportDefinition packingListDefinition(bool wide);

// The three lists of attached files: one design, three members.
enum class FileList { Picture, Receipt, Warranty };
ReportDefinition fileListDefinition(FileList member, bool wide);
// The box a list's picture is fitted into: the picture band's free height under the picture.
QSize fileListPictureBox(bool wide);
// A picture of `natural` size fitted into `box`, proportions kept (enlarged or reduced);
// nothing when the size is not valid (a missing, unreadable or empty picture).
std::optional<QSize> fitIntoBox(QSize natural, QSize box);

}  // namespace reports
