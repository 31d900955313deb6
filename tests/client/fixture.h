// A client folder as the professional program stages it: the client system record, the copy of
// the items under its copy layout, the look-up files and the pictures under their "Pic" names.
#pragma once

#include <QImage>
#include <QString>
#include <map>
#include <string>
#include <vector>

#include "model/dictionary.h"

namespace testing_support {

struct FixtureItem {
    int asset;
    const char *status, *category, *location, *description;
    int quantity;
    std::int64_t marketCents;
    const char *heir = "";
    std::vector<const char *> pictures = {};  // image, image 2, receipt, warranty names
};

// The items of the standard fixture: every status, three categories, three rooms, an heir,
// a quantity of 0 and one item with four pictures (asset 1).
const std::vector<FixtureItem> &fixtureItems();

class ClientFolder {
public:
    // A fresh folder under the system's temporary folder, filled with the standard fixture.
    ClientFolder();
    explicit ClientFolder(bool fill);
    ~ClientFolder();
    const std::string &path() const { return path_; }
    std::string file(const std::string &name) const { return path_ + "/" + name; }

    void writeClientSystem(int records = 1);
    void writeItems(const std::vector<FixtureItem> &items);
    void writeLookups();
    void writePicture(const std::string &name, int width, int height) const;

    // Every file of the folder with a checksum of its bytes.
    std::map<std::string, std::string> listing() const;

private:
    std::string path_;
};

}  // namespace testing_support
