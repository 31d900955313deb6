#include "model/dictionary.h"

#include <initializer_list>

using rt::FieldDef;
using rt::KeyDef;
using rt::KeyPart;
using rt::TableDef;

#define DICT_ENTRY(off, name, kind, n, p) RT_FIELD_ENTRY(CurrentRecord, off, name, kind, n, p)
#define DICT_CHECK(off, name, kind, n, p) RT_CHECK_OFFSET(CurrentRecord, off, name, kind, n, p)

// One namespace per record type: its field table, and a compile-time check of every offset and
// of the record size against the declared layout.
#define DICT_LAYOUT(ns, Struct, LIST, size)                                          \
    namespace ns {                                                                   \
    using CurrentRecord = Struct;                                                    \
    LIST(DICT_CHECK)                                                                 \
    static_assert(sizeof(Struct) == (size), #Struct " does not have its declared size"); \
    const std::vector<FieldDef> fields{LIST(DICT_ENTRY)};                            \
    }

DICT_LAYOUT(cat, CategoryRecord, DICT_CATEGORY, 80)
DICT_LAYOUT(typ, TypeRecord, DICT_TYPE, 100)
DICT_LAYOUT(mas, MasterInventoryRecord, DICT_MASTERINVENTORY, 1363)
DICT_LAYOUT(lct, LocationRecord, DICT_LOCATION, 80)
DICT_LAYOUT(box, BoxNumberRecord, DICT_BOXNUMBER, 100)
DICT_LAYOUT(hei, HeirsRecord, DICT_HEIRS, 145)
DICT_LAYOUT(con, ConditionsRecord, DICT_CONDITIONS, 14)
DICT_LAYOUT(man, ManufacturersRecord, DICT_MANUFACTURERS, 140)
DICT_LAYOUT(ven, VendorsRecord, DICT_VENDORS, 140)
DICT_LAYOUT(qos, QORSubjectRecord, DICT_QORSUBJECT, 30)
DICT_LAYOUT(usf, UserFieldsRecord, DICT_USERFIELDS, 80)
DICT_LAYOUT(imp, ImportFieldsRecord, DICT_IMPORTFIELDS, 87)
DICT_LAYOUT(crs, CustomReportSetupsRecord, DICT_CUSTOMREPORTSETUPS, 290)
DICT_LAYOUT(qoc, QORClientsRecord, DICT_QORCLIENTS, 341)
DICT_LAYOUT(msy, MainSystemFileRecord, DICT_MAINSYSTEMFILE, 1696)
DICT_LAYOUT(csf, ClientSystemFileRecord, DICT_CLIENTSYSTEMFILE, 637)
DICT_LAYOUT(sec, SecondaryResidenceRecord, DICT_SECONDARYRESIDENCE, 210)
DICT_LAYOUT(ias, ImportASCIITabRecord, DICT_IMPORTASCIITAB, 1000)

namespace {

int fieldOf(const std::vector<FieldDef> &fields, const char *name)
{
    for (std::size_t i = 0; i < fields.size(); ++i)
        if (rt::equalNoCase(fields[i].name, name))
            return static_cast<int>(i);
    return -1;  // a misspelt component fails the dictionary test at once
}

// A key from field names; a name starting with '-' is a descending component.
KeyDef key(const std::vector<FieldDef> &fields, const char *name, std::initializer_list<const char *> parts,
           bool unique, const char *description = "", bool autoNumber = false)
{
    KeyDef k;
    k.name = name;
    for (const char *p : parts) {
        bool desc = p[0] == '-';
        k.parts.push_back(KeyPart{fieldOf(fields, desc ? p + 1 : p), desc});
    }
    k.unique = unique;
    k.autoNumber = autoNumber;
    k.description = description;
    return k;
}

TableDef table(const char *label, const char *prefix, std::uint32_t size, const std::vector<FieldDef> &fields,
               std::vector<KeyDef> keys, int version, const char *disk, const char *memo = nullptr,
               std::uint32_t memoMax = 0, rt::Driver driver = rt::Driver::TopSpeed)
{
    TableDef t;
    t.label = label;
    t.prefix = prefix;
    t.driver = driver;
    t.recordSize = size;
    t.fields = fields;
    t.keys = std::move(keys);
    t.memoName = memo;
    t.memoMax = memoMax;
    t.version = version;
    t.diskName = disk;
    return t;
}

std::vector<KeyDef> masterKeys()
{
    const auto &f = mas::fields;
    return {key(f, "ASSETKEY", {"ASSETNUMBER"}, true, "Asset", true),
            key(f, "CATEGORYKEY", {"CATEGORY", "TYPE"}, false),
            key(f, "LOCATIONKEY", {"LOCATION", "BOXNUMBER"}, false),
            key(f, "DESCRIPTIONKEY", {"DESCRIPTION"}, false),
            key(f, "STATUSKEY", {"STATUS", "CATEGORY", "TYPE"}, false),
            key(f, "HEIRSKEY", {"HEIR", "CATEGORY", "TYPE"}, false)};
}

}  // namespace

namespace dict {

const TableDef CategoryDef =
    table("Category", "CAT", 80, cat::fields, {key(cat::fields, "CATEGORYKEY", {"CATEGORY"}, true, "Category")}, 0,
          "qorcat.tps");
const TableDef TypeDef = table("Type", "TYP", 100, typ::fields,
                               {key(typ::fields, "CATEGORYTYPEKEY", {"CATEGORY", "TYPE"}, true, "Type")}, 1,
                               "qortyp.tps");
const TableDef MasterInventoryDef =
    table("MasterInventory", "MAS", 1363, mas::fields, masterKeys(), 10, "qormas.tps", "MEMO", 32000);
const TableDef MasterInventoryTempDef =
    table("MasterInventoryTemp", "MAST", 1363, mas::fields, masterKeys(), 10, "master.tps", "MEMO", 32000);
const TableDef LocationDef =
    table("Location", "LCT", 80, lct::fields, {key(lct::fields, "LOCATIONKEY", {"LOCATION"}, true, "Location")}, 0,
          "qorloc.tps");
const TableDef BoxNumberDef = table("BoxNumber", "BOX", 100, box::fields,
                                    {key(box::fields, "BOXKEY", {"LOCATION", "BOXNUMBER"}, true, "Box")}, 0,
                                    "qorbox.tps");
const TableDef HeirsDef =
    table("Heirs", "HEI", 145, hei::fields, {key(hei::fields, "NAMEKEY", {"NAME"}, true, "Name")}, 0, "qorhrs.tps");
const TableDef ConditionsDef = table("Conditions", "CON", 14, con::fields,
                                     {key(con::fields, "DISPLAYKEY", {"DISPLAYORDER"}, false)}, 0, "qorcdn.tps");
const TableDef ManufacturersDef =
    table("Manufacturers", "MAN", 140, man::fields,
          {key(man::fields, "MANUFACTURERKEY", {"MANUFACTURER"}, true, "Manufacturer")}, 0, "qormfg.tps");
const TableDef VendorsDef = table("Vendors", "VEN", 140, ven::fields,
                                  {key(ven::fields, "VENDORKEY", {"VENDOR"}, true, "Vendor")}, 0, "qorven.tps");
const TableDef QORSubjectDef =
    table("QORSubject", "QOS", 30, qos::fields,
          {key(qos::fields, "SUBJECTKEY", {"SUBJECT"}, true, "Book/Album/Movie Subject")}, 0, "qorsubj.tps");
const TableDef UserFieldsDef = table("UserFields", "USF", 80, usf::fields, {}, 0, "qorufd.tps");
const TableDef ImportFieldsDef =
    table("ImportFields", "IMP", 87, imp::fields,
          {key(imp::fields, "FIELDNUMBERKEY", {"FIELDNUMBER"}, true, "Field Number")}, 0, "qorimf.tps");
const TableDef CustomReportSetupsDef =
    table("CustomReportSetups", "CRS", 290, crs::fields,
          {key(crs::fields, "REPORTNAMEKEY", {"REPORTNAME"}, true, "Report Name")}, 0, "qorcrsup.tps");
const TableDef QORClientsDef = table("QORClients", "QOC", 341, qoc::fields,
                                     {key(qoc::fields, "IDCODEKEY", {"IDCODE"}, true, "ID Code"),
                                      key(qoc::fields, "LASTNAMEKEY", {"LASTNAME", "FIRSTNAME"}, false),
                                      key(qoc::fields, "ADDRESSKEY", {"ADDRESS1"}, false),
                                      key(qoc::fields, "HOMEPHONEKEY", {"HOMEPHONE"}, false),
                                      key(qoc::fields, "DATEUPDATEKEY", {"-DATELASTUPDATE"}, false)},
                                     2, "qorclnt.tps", "NOTES", 64000);
const TableDef MainSystemFileDef = table("MainSystemFile", "MSY", 1696, msy::fields, {}, 13, "mainsys.tps");
const TableDef ClientSystemFileDef = table("ClientSystemFile", "CSF", 637, csf::fields, {}, 13, "clntsys.tps");
const TableDef SecondaryResidenceDef =
    table("SecondaryResidence", "SEC", 210, sec::fields,
          {key(sec::fields, "RESIDENCEKEY", {"RESIDENCENAME"}, true)}, 0, "secres.tps");
const TableDef ImportASCIITabDef =
    table("ImportASCIITab", "IAS", 1000, ias::fields, {}, 0, "qorimp.tps", nullptr, 0, rt::Driver::Ascii);

const std::vector<const TableDef *> &allTables()
{
    static const std::vector<const TableDef *> t{
        &CategoryDef,        &TypeDef,          &MasterInventoryDef, &MasterInventoryTempDef, &LocationDef,
        &BoxNumberDef,       &HeirsDef,         &ConditionsDef,      &ManufacturersDef,       &VendorsDef,
        &QORSubjectDef,      &UserFieldsDef,    &ImportFieldsDef,    &CustomReportSetupsDef,  &QORClientsDef,
        &MainSystemFileDef,  &ClientSystemFileDef, &SecondaryResidenceDef, &ImportASCIITabDef};
    return t;
}

const TableDef *tableByLabel(std::string_view label)
{
    for (const TableDef *t : allTables())
        if (rt::equalNoCase(t->label, label))
            return t;
    return nullptr;
}

const std::vector<Relation> &relations()
{
    static const std::vector<Relation> r{
        {&CategoryDef, CategoryDef.fieldIndex("CATEGORY"), &TypeDef, TypeDef.fieldIndex("CATEGORY"),
         "CATEGORYTYPEKEY"},
        {&LocationDef, LocationDef.fieldIndex("LOCATION"), &BoxNumberDef, BoxNumberDef.fieldIndex("LOCATION"),
         "BOXKEY"}};
    return r;
}

}  // namespace dict

CategoryRecord CAT;
TypeRecord TYP;
MasterInventoryBuffer MAS;
MasterInventoryBuffer MAST;
LocationRecord LCT;
BoxNumberRecord BOX;
HeirsRecord HEI;
ConditionsRecord CON;
ManufacturersRecord MAN;
VendorsRecord VEN;
QORSubjectRecord QOS;
UserFieldsRecord USF;
ImportFieldsRecord IMP;
CustomReportSetupsRecord CRS;
QORClientsBuffer QOC;
MainSystemFileRecord MSY;
ClientSystemFileRecord CSF;
SecondaryResidenceRecord SEC;
ImportASCIITabRecord IAS;

rt::RecordFile Category(dict::CategoryDef, &CAT);
rt::RecordFile Type(dict::TypeDef, &TYP);
rt::RecordFile MasterInventory(dict::MasterInventoryDef, static_cast<MasterInventoryRecord *>(&MAS), &MAS.MEMO);
rt::RecordFile MasterInventoryTemp(dict::MasterInventoryTempDef, static_cast<MasterInventoryRecord *>(&MAST),
                                   &MAST.MEMO);
rt::RecordFile Location(dict::LocationDef, &LCT);
rt::RecordFile BoxNumber(dict::BoxNumberDef, &BOX);
rt::RecordFile Heirs(dict::HeirsDef, &HEI);
rt::RecordFile Conditions(dict::ConditionsDef, &CON);
rt::RecordFile Manufacturers(dict::ManufacturersDef, &MAN);
rt::RecordFile Vendors(dict::VendorsDef, &VEN);
rt::RecordFile QORSubject(dict::QORSubjectDef, &QOS);
rt::RecordFile UserFields(dict::UserFieldsDef, &USF);
rt::RecordFile ImportFields(dict::ImportFieldsDef, &IMP);
rt::RecordFile CustomReportSetups(dict::CustomReportSetupsDef, &CRS);
rt::RecordFile QORClients(dict::QORClientsDef, static_cast<QORClientsRecord *>(&QOC), &QOC.NOTES);
rt::RecordFile MainSystemFile(dict::MainSystemFileDef, &MSY);
rt::RecordFile ClientSystemFile(dict::ClientSystemFileDef, &CSF);
rt::RecordFile SecondaryResidence(dict::SecondaryResidenceDef, &SEC);
rt::AsciiFile ImportASCIITab(IAS.FIELD.data, sizeof(IAS.FIELD.data));

// Files named by a name variable start blank; the two in the program folder have constant names.
namespace {
const bool constantNames = (MainSystemFile.name = "mainsys.tps", SecondaryResidence.name = "secres.tps", true);
}

namespace dict {

const std::vector<rt::RecordFile *> &allFiles()
{
    static const std::vector<rt::RecordFile *> f{
        &::Category,     &::Type,      &::MasterInventory,    &::MasterInventoryTemp, &::Location,
        &::BoxNumber,    &::Heirs,     &::Conditions,         &::Manufacturers,       &::Vendors,
        &::QORSubject,   &::UserFields, &::ImportFields,      &::CustomReportSetups,  &::QORClients,
        &::MainSystemFile, &::ClientSystemFile, &::SecondaryResidence};
    return f;
}

rt::RecordFile *fileByLabel(std::string_view label)
{
    for (rt::RecordFile *f : allFiles())
        if (rt::equalNoCase(f->def().label, label))
            return f;
    return nullptr;
}

void resetGlobals()
{
    for (rt::RecordFile *f : allFiles()) {
        bool constant = f == &::MainSystemFile || f == &::SecondaryResidence;
        f->name = constant ? f->def().diskName : "";
        rt::clearRecord(f->def(), f->record());
        if (f->memo())
            f->memo()->clear();
    }
    ImportASCIITab.name.clear();
    rt::clearRecord(ImportASCIITabDef, &IAS);
}

}  // namespace dict
