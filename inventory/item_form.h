// The item form in its three variants (all items, one category, one location).
#pragma once

#include <QString>
#include <functional>
#include <string>

#include "model/item_rules.h"
#include "model/edition.h"

class QWidget;

namespace inventory {

// Runs the item form for a request (insert, change, delete) on the caller's thread and returns
// the response. `word` is the category or location of the browse the form serves (unused by
// the all-items variant): the form primes and limits itself by it, never by a shared global.
// The edition gives the settings and the user-field titles.
int runItemForm(Variant variant, const std::string &word, int request, const model::Edition &edition = model::edition());

// The file dialog of the picture buttons: the chosen path, or an empty one when cancelled.
using PictureChooser =
    std::function<QString(QWidget *owner, const QString &title, const QString &filter, const QString &start)>;
// Replaces the dialog (tests answer it); returns the one replaced.
PictureChooser setPictureChooser(PictureChooser chooser);

// The procedure name (and window-position section) of each variant's form.
const char *itemFormName(Variant variant);

}  // namespace inventory
