// The data dictionary of the professional program: every record type with its layout, keys,
// memo, structure version and disk name; the one shared record buffer and record file of each;
// and the two declared relations.
#pragma once

#include <cstddef>
#include <string>

#include "runtime/ascii_file.h"
#include "runtime/record.h"
#include "runtime/record_file.h"

// Field lists: X(offset, NAME, KIND, n, p).
#define DICT_CATEGORY(X)              \
    X(0, CATEGORY, STRING, 20, 0)     \
    X(20, DESCRIPTION, STRING, 60, 0)

#define DICT_TYPE(X)                  \
    X(0, CATEGORY, STRING, 20, 0)     \
    X(20, TYPE, STRING, 20, 0)        \
    X(40, DESCRIPTION, STRING, 60, 0)

#define DICT_MASTERINVENTORY(X)                \
    X(0, ASSETNUMBER, LONG, 4, 0)              \
    X(4, STATUS, STRING, 4, 0)                 \
    X(8, SERIALNUMBER, STRING, 20, 0)          \
    X(28, MODELNUMBER, STRING, 20, 0)          \
    X(48, DESCRIPTION, STRING, 60, 0)          \
    X(108, MANUFACTURER, STRING, 20, 0)        \
    X(128, CATEGORY, STRING, 20, 0)            \
    X(148, TYPE, STRING, 20, 0)                \
    X(168, LOCATION, STRING, 20, 0)            \
    X(188, BOXNUMBER, STRING, 20, 0)           \
    X(208, COLOR, STRING, 20, 0)               \
    X(228, CONDITION, STRING, 10, 0)           \
    X(238, QUANTITY, LONG, 4, 0)               \
    X(242, DATEPURCHASED, LONG, 4, 0)          \
    X(246, PURCHASEDFROM, STRING, 20, 0)       \
    X(266, HOWPURCHASED, STRING, 11, 0)        \
    X(277, ORIGINALCOST, DEC, 7, 2)            \
    X(281, REPLACEMENTCOST, DEC, 7, 2)         \
    X(285, MSRP, DEC, 7, 2)                    \
    X(289, MARKETVALUE, DEC, 7, 2)             \
    X(293, DATEENTERED, LONG, 4, 0)            \
    X(297, DATESOLDDISPOSED, LONG, 4, 0)       \
    X(301, HOWDISPOSED, STRING, 40, 0)         \
    X(341, ENGRAVED, BYTE, 1, 0)               \
    X(342, HEIR, STRING, 40, 0)                \
    X(382, WARRANTY, BYTE, 1, 0)               \
    X(383, WARRANTYEXPIRATION, LONG, 4, 0)     \
    X(387, INSURED, BYTE, 1, 0)                \
    X(388, BUSINESSUSE, BYTE, 1, 0)            \
    X(389, APPRAISED, BYTE, 1, 0)              \
    X(390, APPRAISALDATE, LONG, 4, 0)          \
    X(394, APPRAISEDVALUE, DEC, 9, 2)          \
    X(399, APPRAISER, STRING, 25, 0)           \
    X(424, ASKINGPRICE, DEC, 7, 2)             \
    X(428, PRICESOLD, DEC, 7, 2)               \
    X(432, CARATWEIGHT, DEC, 5, 2)             \
    X(435, TOTALWEIGHT, DEC, 5, 2)             \
    X(438, FAMILYHEIRLOOM, BYTE, 1, 0)         \
    X(439, ARTIST, STRING, 30, 0)              \
    X(469, SIGNED, BYTE, 1, 0)                 \
    X(470, YEARORIGIN, LONG, 4, 0)             \
    X(474, LIMITEDEDITION, BYTE, 1, 0)         \
    X(475, EDITIONNUMBER, STRING, 20, 0)       \
    X(495, TOTALNUMBER, LONG, 4, 0)            \
    X(499, BORROWED, BYTE, 1, 0)               \
    X(500, LENTTO, STRING, 25, 0)              \
    X(525, DATELENT, LONG, 4, 0)               \
    X(529, DATERETURN, LONG, 4, 0)             \
    X(533, STARARTISTAUTHOR, STRING, 40, 0)    \
    X(573, COSTARARTISTAUTHOR, STRING, 40, 0)  \
    X(613, SUBJECT, STRING, 30, 0)             \
    X(643, USERFIELD1, STRING, 30, 0)          \
    X(673, USERFIELD2, STRING, 30, 0)          \
    X(703, USERFIELD3, STRING, 30, 0)          \
    X(733, USERFIELD4, STRING, 30, 0)          \
    X(763, IMAGE, STRING, 120, 0)              \
    X(883, IMAGE2, STRING, 120, 0)             \
    X(1003, IMAGE3, STRING, 120, 0)            \
    X(1123, RECEIPTIMAGE, STRING, 120, 0)      \
    X(1243, WARRANTYIMAGE, STRING, 120, 0)

#define DICT_LOCATION(X)              \
    X(0, LOCATION, STRING, 20, 0)     \
    X(20, DESCRIPTION, STRING, 60, 0)

#define DICT_BOXNUMBER(X)             \
    X(0, LOCATION, STRING, 20, 0)     \
    X(20, BOXNUMBER, STRING, 20, 0)   \
    X(40, DESCRIPTION, STRING, 60, 0)

#define DICT_HEIRS(X)                  \
    X(0, NAME, STRING, 40, 0)          \
    X(40, ADDRESS1, STRING, 40, 0)     \
    X(80, ADDRESS2, STRING, 40, 0)     \
    X(120, RELATIONSHIP, STRING, 25, 0)

#define DICT_CONDITIONS(X)          \
    X(0, DISPLAYORDER, LONG, 4, 0)  \
    X(4, CONDITION, STRING, 10, 0)

#define DICT_MANUFACTURERS(X)          \
    X(0, MANUFACTURER, STRING, 20, 0)  \
    X(20, ADDRESS1, STRING, 40, 0)     \
    X(60, ADDRESS2, STRING, 40, 0)     \
    X(100, PHONE, STRING, 10, 0)       \
    X(110, CONTACT, STRING, 30, 0)

#define DICT_VENDORS(X)               \
    X(0, VENDOR, STRING, 20, 0)       \
    X(20, ADDRESS1, STRING, 40, 0)    \
    X(60, ADDRESS2, STRING, 40, 0)    \
    X(100, PHONE, STRING, 10, 0)      \
    X(110, CONTACT, STRING, 30, 0)

#define DICT_QORSUBJECT(X) X(0, SUBJECT, STRING, 30, 0)

#define DICT_USERFIELDS(X)                  \
    X(0, TITLEUSERFIELD1, STRING, 20, 0)    \
    X(20, TITLEUSERFIELD2, STRING, 20, 0)   \
    X(40, TITLEUSERFIELD3, STRING, 20, 0)   \
    X(60, TITLEUSERFIELD4, STRING, 20, 0)

#define DICT_IMPORTFIELDS(X)             \
    X(0, FIELDNUMBER, BYTE, 1, 0)        \
    X(1, FIELDCONTENTS, STRING, 60, 0)   \
    X(61, LINKTOFIELD, BYTE, 1, 0)       \
    X(62, LINKTONAME, STRING, 25, 0)

#define DICT_CUSTOMREPORTSETUPS(X)     \
    X(0, REPORTNAME, STRING, 40, 0)    \
    X(40, ORIENTATION, STRING, 10, 0)  \
    X(50, FIELD1, STRING, 20, 0)       \
    X(70, FIELD2, STRING, 20, 0)       \
    X(90, FIELD3, STRING, 20, 0)       \
    X(110, FIELD4, STRING, 20, 0)      \
    X(130, FIELD5, STRING, 20, 0)      \
    X(150, FIELD6, STRING, 20, 0)      \
    X(170, FIELD7, STRING, 20, 0)      \
    X(190, FIELD8, STRING, 20, 0)      \
    X(210, FIELD9, STRING, 20, 0)      \
    X(230, FIELD10, STRING, 20, 0)     \
    X(250, FIELD11, STRING, 20, 0)     \
    X(270, FIELD12, STRING, 20, 0)

#define DICT_QORCLIENTS(X)               \
    X(0, IDCODE, STRING, 8, 0)           \
    X(8, LASTNAME, STRING, 25, 0)        \
    X(33, FIRSTNAME, STRING, 20, 0)      \
    X(53, ADDRESS1, STRING, 40, 0)       \
    X(93, ADDRESS2, STRING, 40, 0)       \
    X(133, ADDRESS3, STRING, 40, 0)      \
    X(173, CSZ, STRING, 40, 0)           \
    X(213, HOMEPHONE, STRING, 10, 0)     \
    X(223, WORKPHONE, STRING, 10, 0)     \
    X(233, WORKEXT, STRING, 20, 0)       \
    X(253, CELLPHONE, STRING, 10, 0)     \
    X(263, FAX, STRING, 10, 0)           \
    X(273, EMAIL, STRING, 60, 0)         \
    X(333, DATELASTUPDATE, LONG, 4, 0)   \
    X(337, DATEENTERED, LONG, 4, 0)

// The settings record holds 19 path fields between the backup and the CD path that nothing
// uses; they stay blank and keep MSY:PATHTOCD at its place.
#define DICT_MAINSYSTEMFILE(X)                     \
    X(0, NAME, STRING, 40, 0)                      \
    X(40, ADDRESS, STRING, 40, 0)                  \
    X(80, CSZ, STRING, 40, 0)                      \
    X(120, PHONE, STRING, 50, 0)                   \
    X(170, EMAILADDRESS, STRING, 50, 0)            \
    X(220, PRINTADDRESSLINE, BYTE, 1, 0)           \
    X(221, PRINTPHONELINE, BYTE, 1, 0)             \
    X(222, PRINTEMAILADDRESSLINE, BYTE, 1, 0)      \
    X(223, USEMEMORYWIZARD, BYTE, 1, 0)            \
    X(224, AUTOADD, STRING, 6, 0)                  \
    X(230, PATHPRIMARYRESIDENCE, STRING, 60, 0)    \
    X(290, ACTIVERESIDENCE, STRING, 9, 0)          \
    X(299, SECONDARYRESIDENCE, STRING, 20, 0)      \
    X(319, USEPASSWORD, BYTE, 1, 0)                \
    X(320, PASSWORD, STRING, 12, 0)                \
    X(332, REPORTFORMAT, STRING, 9, 0)             \
    X(341, DEFAULTDOTMATRIXPRINTER, STRING, 10, 0) \
    X(351, DEFAULTLASERPRINTER, STRING, 10, 0)     \
    X(361, FONTSIZE, BYTE, 1, 0)                   \
    X(362, FONT, STRING, 30, 0)                    \
    X(392, LABELSIZE, STRING, 30, 0)               \
    X(422, HOMEAREACODE, STRING, 3, 0)             \
    X(425, DISABLEAUTOBUILD, BYTE, 1, 0)           \
    X(426, SHOWTIPSATSTARTUP, BYTE, 1, 0)          \
    X(427, LASTTIP, LONG, 4, 0)                    \
    X(431, TIMEZONE, LONG, 4, 0)                   \
    X(435, REMINDBACKUP, BYTE, 1, 0)               \
    X(436, PATHTOBACKUP, STRING, 60, 0)            \
    X(496, PATHSPARE01, STRING, 60, 0)             \
    X(556, PATHSPARE02, STRING, 60, 0)             \
    X(616, PATHSPARE03, STRING, 60, 0)             \
    X(676, PATHSPARE04, STRING, 60, 0)             \
    X(736, PATHSPARE05, STRING, 60, 0)             \
    X(796, PATHSPARE06, STRING, 60, 0)             \
    X(856, PATHSPARE07, STRING, 60, 0)             \
    X(916, PATHSPARE08, STRING, 60, 0)             \
    X(976, PATHSPARE09, STRING, 60, 0)             \
    X(1036, PATHSPARE10, STRING, 60, 0)            \
    X(1096, PATHSPARE11, STRING, 60, 0)            \
    X(1156, PATHSPARE12, STRING, 60, 0)            \
    X(1216, PATHSPARE13, STRING, 60, 0)            \
    X(1276, PATHSPARE14, STRING, 60, 0)            \
    X(1336, PATHSPARE15, STRING, 60, 0)            \
    X(1396, PATHSPARE16, STRING, 60, 0)            \
    X(1456, PATHSPARE17, STRING, 60, 0)            \
    X(1516, PATHSPARE18, STRING, 60, 0)            \
    X(1576, PATHSPARE19, STRING, 60, 0)            \
    X(1636, PATHTOCD, STRING, 60, 0)

#define DICT_CLIENTSYSTEMFILE(X)                 \
    X(0, NAME, STRING, 40, 0)                    \
    X(40, ADDRESS, STRING, 40, 0)                \
    X(80, CSZ, STRING, 40, 0)                    \
    X(120, PHONE, STRING, 50, 0)                 \
    X(170, EMAILADDRESS, STRING, 50, 0)          \
    X(220, PRINTADDRESSLINE, BYTE, 1, 0)         \
    X(221, PRINTPHONELINE, BYTE, 1, 0)           \
    X(222, PRINTEMAILADDRESSLINE, BYTE, 1, 0)    \
    X(223, REPORTFORMAT, STRING, 9, 0)           \
    X(232, LASTNAME, STRING, 25, 0)              \
    X(257, FIRSTNAME, STRING, 20, 0)             \
    X(277, ADDRESS1, STRING, 40, 0)              \
    X(317, ADDRESS2, STRING, 40, 0)              \
    X(357, ADDRESS3, STRING, 40, 0)              \
    X(397, CLIENTCSZ, STRING, 40, 0)             \
    X(437, HOMEPHONE, STRING, 10, 0)             \
    X(447, WORKPHONE, STRING, 10, 0)             \
    X(457, WORKEXT, STRING, 20, 0)               \
    X(477, CELLPHONE, STRING, 10, 0)             \
    X(487, FAX, STRING, 10, 0)                   \
    X(497, EMAIL, STRING, 60, 0)                 \
    X(557, TITLEUSERFIELD1, STRING, 20, 0)       \
    X(577, TITLEUSERFIELD2, STRING, 20, 0)       \
    X(597, TITLEUSERFIELD3, STRING, 20, 0)       \
    X(617, TITLEUSERFIELD4, STRING, 20, 0)

#define DICT_SECONDARYRESIDENCE(X)                 \
    X(0, RESIDENCENAME, STRING, 20, 0)             \
    X(20, ADDRESS, STRING, 40, 0)                  \
    X(60, CSZ, STRING, 40, 0)                      \
    X(100, PHONE, STRING, 50, 0)                   \
    X(150, PATHSECONDARYRESIDENCE, STRING, 60, 0)

#define DICT_IMPORTASCIITAB(X) X(0, FIELD, STRING, 1000, 0)

#define DICT_RECORD_STRUCT(Name, LIST) \
    struct Name##Record {              \
        LIST(RT_DECLARE_FIELD)         \
    };

DICT_RECORD_STRUCT(Category, DICT_CATEGORY)
DICT_RECORD_STRUCT(Type, DICT_TYPE)
DICT_RECORD_STRUCT(MasterInventory, DICT_MASTERINVENTORY)
DICT_RECORD_STRUCT(Location, DICT_LOCATION)
DICT_RECORD_STRUCT(BoxNumber, DICT_BOXNUMBER)
DICT_RECORD_STRUCT(Heirs, DICT_HEIRS)
DICT_RECORD_STRUCT(Conditions, DICT_CONDITIONS)
DICT_RECORD_STRUCT(Manufacturers, DICT_MANUFACTURERS)
DICT_RECORD_STRUCT(Vendors, DICT_VENDORS)
DICT_RECORD_STRUCT(QORSubject, DICT_QORSUBJECT)
DICT_RECORD_STRUCT(UserFields, DICT_USERFIELDS)
DICT_RECORD_STRUCT(ImportFields, DICT_IMPORTFIELDS)
DICT_RECORD_STRUCT(CustomReportSetups, DICT_CUSTOMREPORTSETUPS)
DICT_RECORD_STRUCT(QORClients, DICT_QORCLIENTS)
DICT_RECORD_STRUCT(MainSystemFile, DICT_MAINSYSTEMFILE)
DICT_RECORD_STRUCT(ClientSystemFile, DICT_CLIENTSYSTEMFILE)
DICT_RECORD_STRUCT(SecondaryResidence, DICT_SECONDARYRESIDENCE)
DICT_RECORD_STRUCT(ImportASCIITab, DICT_IMPORTASCIITAB)

// The client CD's copy of the items has the layout of the items themselves.
using MasterInventoryTempRecord = MasterInventoryRecord;

// Record buffers with a memo carry it beside the fixed record.
struct MasterInventoryBuffer : MasterInventoryRecord {
    std::string MEMO;
};
struct QORClientsBuffer : QORClientsRecord {
    std::string NOTES;
};

namespace dict {

// The record types, in the order the dictionary declares them.
extern const rt::TableDef CategoryDef, TypeDef, MasterInventoryDef, MasterInventoryTempDef, LocationDef,
    BoxNumberDef, HeirsDef, ConditionsDef, ManufacturersDef, VendorsDef, QORSubjectDef, UserFieldsDef,
    ImportFieldsDef, CustomReportSetupsDef, QORClientsDef, MainSystemFileDef, ClientSystemFileDef,
    SecondaryResidenceDef, ImportASCIITabDef;

// Every record type (19), in declaration order.
const std::vector<const rt::TableDef *> &allTables();
const rt::TableDef *tableByLabel(std::string_view label);

// A declared one-to-many relation: a change of the parent's link value is carried into every
// child; a parent with children cannot be deleted.
struct Relation {
    const rt::TableDef *parent;
    int parentField;
    const rt::TableDef *child;
    int childField;
    const char *childKey;
};
const std::vector<Relation> &relations();

}  // namespace dict

// The shared record buffers, one per record type.
extern CategoryRecord CAT;
extern TypeRecord TYP;
extern MasterInventoryBuffer MAS;
extern MasterInventoryBuffer MAST;
extern LocationRecord LCT;
extern BoxNumberRecord BOX;
extern HeirsRecord HEI;
extern ConditionsRecord CON;
extern ManufacturersRecord MAN;
extern VendorsRecord VEN;
extern QORSubjectRecord QOS;
extern UserFieldsRecord USF;
extern ImportFieldsRecord IMP;
extern CustomReportSetupsRecord CRS;
extern QORClientsBuffer QOC;
extern MainSystemFileRecord MSY;
extern ClientSystemFileRecord CSF;
extern SecondaryResidenceRecord SEC;
extern ImportASCIITabRecord IAS;

// The record files. Each file's `name` is its name variable (blank until the program sets
// it) or its constant bare name.
extern rt::RecordFile Category, Type, MasterInventory, MasterInventoryTemp, Location, BoxNumber, Heirs, Conditions,
    Manufacturers, Vendors, QORSubject, UserFields, ImportFields, CustomReportSetups, QORClients, MainSystemFile,
    ClientSystemFile, SecondaryResidence;
extern rt::AsciiFile ImportASCIITab;

namespace dict {
// The record file of a label (every type but the import source), or nullptr.
rt::RecordFile *fileByLabel(std::string_view label);
// All record files of the indexed driver, in declaration order.
const std::vector<rt::RecordFile *> &allFiles();
// Blank every name variable and clear every record buffer, as at program start.
void resetGlobals();
}  // namespace dict
