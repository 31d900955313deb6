#include "tests/client/fixture.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <cstdlib>

#include "runtime/record_file.h"

namespace testing_support {

const std::vector<FixtureItem> &fixtureItems()
{
    static const std::vector<FixtureItem> items{
        {1, "Have", "Holiday Decor", "Garage", "Wreath", 3, 1999, "Anna Lind",
         {"Pic00001.jpg", "Pic00002.jpg", "Pic00003.jpg", "Pic00004.jpg"}},
        {2, "Sell", "Holiday Decor", "Cellar", "Lights", 2, 1000},
        {3, "Want", "Holiday Decor", "Garage", "Tree stand", 1, 5000, "Bo Lind"},
        {4, "Sold", "Kitchen", "Kitchen", "Mixer", 1, 20000},
        {5, "Info", "Kitchen", "Kitchen", "Toaster", 1, 3000},
        {6, "Have", "Kitchen", "Cellar", "Pots", 0, 99999},
        {7, "Have", "Art", "Garage", "Print", 1, 25000, "Anna Lind"},
    };
    return items;
}

ClientFolder::ClientFolder() : ClientFolder(true) {}

ClientFolder::ClientFolder(bool fill)
{
    QString tmpl = QDir::tempPath() + "/orvane-client-XXXXXX";
    QByteArray t = tmpl.toLocal8Bit();
    path_ = ::mkdtemp(t.data());
    if (fill) {
        writeClientSystem();
        writeItems(fixtureItems());
        writeLookups();
        writePicture("Pic00001.jpg", 300, 150);
        writePicture("Pic00002.jpg", 400, 400);
        writePicture("Pic00003.jpg", 100, 200);
        writePicture("Pic00004.jpg", 1000, 100);
    }
}

ClientFolder::~ClientFolder() { QDir(QString::fromStdString(path_)).removeRecursively(); }

namespace {
template <typename Record>
void writeRecords(const rt::TableDef &def, const std::string &path, const std::vector<Record> &records,
                  std::string *memo = nullptr)
{
    Record r{};
    rt::RecordFile f(def, &r, memo);
    f.name = path;
    f.create();
    f.open(rt::mode::ReadWriteDenyNone);
    for (const Record &each : records) {
        r = each;
        f.add();
    }
    f.close();
}
}  // namespace

void ClientFolder::writeClientSystem(int records)
{
    std::vector<ClientSystemFileRecord> rows;
    for (int i = 0; i < records; ++i) {
        ClientSystemFileRecord c;
        rt::clearRecord(dict::ClientSystemFileDef, &c);
        c.NAME = i == 0 ? "Vera Holm Inventories" : "Second Producer";
        c.ADDRESS = "12 Harbour Street";
        c.CSZ = "Lund, SK 22100";
        c.PHONE = "555 0101";
        c.EMAILADDRESS = "vera@example.com";
        c.LASTNAME = "Lind";
        c.FIRSTNAME = "Anna";
        c.TITLEUSERFIELD1 = "Insurer";
        c.TITLEUSERFIELD2 = "Policy";
        c.TITLEUSERFIELD3 = "Shelf";
        c.TITLEUSERFIELD4 = "Colour code";
        rows.push_back(c);
    }
    writeRecords(dict::ClientSystemFileDef, file("clntsys.tps"), rows);
}

void ClientFolder::writeItems(const std::vector<FixtureItem> &items)
{
    MasterInventoryBuffer m;
    rt::RecordFile f(dict::MasterInventoryTempDef, static_cast<MasterInventoryRecord *>(&m), &m.MEMO);
    f.name = file("master.tps");
    f.create();
    f.open(rt::mode::ReadWriteDenyNone);
    for (const FixtureItem &i : items) {
        rt::clearRecord(dict::MasterInventoryTempDef, static_cast<MasterInventoryRecord *>(&m));
        m.ASSETNUMBER = i.asset;
        m.STATUS = i.status;
        m.CATEGORY = i.category;
        m.LOCATION = i.location;
        m.DESCRIPTION = i.description;
        m.QUANTITY = i.quantity;
        m.MARKETVALUE.setCents(i.marketCents);
        m.HEIR = i.heir;
        m.MANUFACTURER = "Acme";
        m.USERFIELD1 = "Mutual";
        m.APPRAISED = 1;
        m.APPRAISER = "J. Berg";
        m.APPRAISEDVALUE.setCents(12345);
        m.HOWPURCHASED = "Gift";
        m.INSURED = 1;
        m.YEARORIGIN = 1962;
        m.MEMO = std::string("Memo of ") + i.description;
        rt::FixedString<120> *paths[] = {&m.IMAGE, &m.IMAGE2, &m.RECEIPTIMAGE, &m.WARRANTYIMAGE};
        for (std::size_t p = 0; p < i.pictures.size() && p < 4; ++p)
            *paths[p] = i.pictures[p];
        f.add();
    }
    f.close();
}

void ClientFolder::writeLookups()
{
    std::vector<CategoryRecord> cats;
    for (const char *c : {"Holiday Decor", "Kitchen", "Art"}) {
        CategoryRecord r;
        rt::clearRecord(dict::CategoryDef, &r);
        r.CATEGORY = c;
        r.DESCRIPTION = std::string(c) + " things";
        cats.push_back(r);
    }
    writeRecords(dict::CategoryDef, file("qorcat.tps"), cats);
    std::vector<LocationRecord> locs;
    for (const char *c : {"Garage", "Cellar", "Kitchen"}) {
        LocationRecord r;
        rt::clearRecord(dict::LocationDef, &r);
        r.LOCATION = c;
        locs.push_back(r);
    }
    writeRecords(dict::LocationDef, file("qorloc.tps"), locs);
    writeRecords(dict::BoxNumberDef, file("qorbox.tps"), std::vector<BoxNumberRecord>{});
    HeirsRecord h;
    rt::clearRecord(dict::HeirsDef, &h);
    h.NAME = "Anna Lind";
    writeRecords(dict::HeirsDef, file("qorhrs.tps"), std::vector<HeirsRecord>{h});
}

void ClientFolder::writePicture(const std::string &name, int width, int height) const
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(QColor(40 + width % 200, 120, 200 - height % 150));
    image.save(QString::fromStdString(file(name)), "JPG");
}

std::map<std::string, std::string> ClientFolder::listing() const
{
    std::map<std::string, std::string> out;
    QDir dir(QString::fromStdString(path_));
    for (const QString &name : dir.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        QFile f(dir.filePath(name));
        f.open(QIODevice::ReadOnly);
        out[name.toStdString()] = QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256).toHex().toStdString();
    }
    return out;
}

}  // namespace testing_support
