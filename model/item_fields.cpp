#include "model/item_fields.h"

namespace model {

namespace {

using K = ItemFieldKind;
using V = ColumnValue;

constexpr const char *kPlain = "@n-_14";  // a plain number: no grouping
// The money columns print every value of their field's range: the extended values and the
// appraised value (a DEC(9,2)) through the totals' picture, the others (DEC(7,2)) through "n9.2".
constexpr const char *kMoney = "@n9.2";
constexpr const char *kDate = "@d1b";
constexpr const char *kText = "@s50";
constexpr const char *kCatalogMoney = "@n$-14.2";
constexpr const char *kCatalogWeight = "@n-10.2";

std::vector<ItemField> build()
{
    return {
        {.field = "ASSETNUMBER", .kind = K::Number, .tip = "Asset number", .label = "Asset #: ", .labelPicture = "@n07",
         .column = "Asset", .header = "Asset", .tenths = 5, .picture = kPlain},
        {.field = "SERIALNUMBER", .tip = "Serial number", .label = "Serial #: ", .column = "Serial #",
         .header = "Serial #", .tenths = 13, .picture = kText},
        {.field = "MODELNUMBER", .tip = "Model Number", .label = "Model #: ", .column = "Model #", .header = "Model #",
         .tenths = 13, .picture = kText},
        {.field = "MANUFACTURER", .tip = "Manufacturer of the item", .label = "MFG: ", .column = "MFG",
         .header = "MFG", .tenths = 13, .picture = kText},
        {.field = "TYPE", .tip = "Type of item", .label = "Type: ", .column = "Type", .header = "Type", .tenths = 13,
         .picture = kText},
        {.field = "BOXNUMBER", .tip = "Box number", .label = "Box #: ", .column = "Box #", .header = "Box #",
         .tenths = 13, .picture = kText},
        {.field = "COLOR", .tip = "Color of this item", .label = "Color: ", .column = "Color", .header = "Color",
         .tenths = 13, .picture = kText},
        {.field = "CONDITION", .tip = "Condition of this item", .label = "Condition: ", .column = "Condition",
         .header = "Condition", .tenths = 7, .picture = kText},
        {.field = "SUBJECT", .tip = "Subject", .label = "Subject: ", .column = "Subject", .header = "Subject",
         .tenths = 13, .picture = kText},
        {.field = "STARARTISTAUTHOR", .tip = "Star/Artist/Author", .label = "Star/Artist/Author: ", .column = "Star",
         .header = "Star", .tenths = 25, .picture = kText},
        {.field = "COSTARARTISTAUTHOR", .tip = "CoStar/Artist/Author", .label = "CoStar/Artist/Author: ",
         .column = "Co-Star", .header = "C0-Star", .tenths = 25, .picture = kText},
        {.field = "DATEPURCHASED", .kind = K::Date, .tip = "Date item was purchased", .label = "Date Purchased: ",
         .labelPicture = "@d1", .column = "Date Purchased", .header = "Purch", .tenths = 7, .picture = kDate},
        {.field = "PURCHASEDFROM", .tip = "Vendor item was purchased from", .label = "Purchased From: ",
         .column = "Purchased From", .header = "Vendor", .tenths = 13, .picture = kText},
        {.field = "HOWPURCHASED", .tip = "How was this item purchased?", .label = "How Purchased: ",
         .column = "Pay Method", .header = "Pay Meth", .tenths = 7, .picture = kText},
        {.field = "QUANTITY", .kind = K::Number, .tip = "Quantity of this item", .label = "Quantity: ",
         .labelPicture = kQuantityPicture, .column = "Quantity", .header = "Qty", .tenths = 5, .picture = kPlain,
         .total = "quantity", .totalOfCell = true},
        {.field = "ORIGINALCOST", .kind = K::Number, .tip = "Original cost of this item", .label = "Cost: ",
         .labelPicture = kCatalogMoney, .column = "Orig Cost", .header = "Orig Cost", .tenths = 7, .picture = kMoney,
         .total = "cost"},
        {.field = "ORIGINALCOST", .kind = K::Number, .column = "Extended Cost", .header = "Ext Cost", .tenths = 7,
         .picture = kTotalPicture, .value = V::Extended, .total = "extended cost"},
        {.field = "REPLACEMENTCOST", .kind = K::Number, .tip = "Replacement cost of this item",
         .label = "Replacement Cost: ", .labelPicture = kCatalogMoney, .column = "Rplc Cost", .header = "Rplc Cost",
         .tenths = 7, .picture = kMoney, .total = "replacement cost"},
        {.field = "MSRP", .kind = K::Number, .tip = "Manufacturers Suggested Retail Price", .label = "MSRP: ",
         .labelPicture = kCatalogMoney, .column = "MSRP", .header = "MSRP", .tenths = 7, .picture = kMoney},
        {.field = "MARKETVALUE", .kind = K::Number, .tip = "Current market value of this item",
         .label = "Market Value: ", .labelPicture = kCatalogMoney, .column = "Market Value", .header = "MV",
         .tenths = 7, .picture = kMoney, .total = "market value"},
        {.field = "MARKETVALUE", .kind = K::Number, .column = "Extended MV", .header = "Ext MV", .tenths = 7,
         .picture = kTotalPicture, .value = V::Extended, .total = "extended market value"},
        {.field = "CARATWEIGHT", .kind = K::Number, .tip = "Main stone carat weight", .label = "Carat Weight: ",
         .labelPicture = kCatalogWeight, .column = "Carat WT", .header = "CT", .tenths = 7, .picture = kMoney},
        {.field = "TOTALWEIGHT", .kind = K::Number, .label = "Total Weight: ", .labelPicture = kCatalogWeight,
         .column = "Tot WT", .header = "Tot WT", .tenths = 7, .picture = kMoney},
        {.field = "INSURED", .kind = K::Flag, .tip = "Is this item insured under a separate policy?",
         .label = "Insured: Yes", .column = "Insured", .header = "Ins", .tenths = 5},
        {.field = "BUSINESSUSE", .kind = K::Flag, .tip = "Is this item used for business?",
         .label = "Business Use: Yes", .column = "Bus Use", .header = "B Use", .tenths = 5},
        {.field = "APPRAISED", .kind = K::Flag, .tip = "Has this item been appraised?", .label = "Appraised: Yes",
         .column = "Appraised", .header = "Appr", .tenths = 5},
        {.field = "APPRAISALDATE", .kind = K::Date, .tip = "Appraisal date", .label = "Appraisal Date: ",
         .labelPicture = "@d1", .column = "App Date", .header = "App Date", .tenths = 7, .picture = kDate},
        {.field = "APPRAISEDVALUE", .kind = K::Number, .tip = "Appraised value", .label = "Appraised Value: ",
         .labelPicture = "@n$-16.2", .column = "App Value", .header = "App Val", .tenths = 7,
         .picture = kTotalPicture},
        {.field = "APPRAISER", .tip = "Appraised by whom?", .label = "Appraiser: ", .column = "Appraiser",
         .header = "Appraiser", .tenths = 13, .picture = kText},
        {.field = "FAMILYHEIRLOOM", .kind = K::Flag, .tip = "Is this item a family heirloom?",
         .label = "Family Heirloom: Yes", .column = "Fam Heir", .header = "F Heir", .tenths = 5},
        {.field = "ENGRAVED", .kind = K::Flag, .tip = "Is this item engraved?", .label = "Engraved: Yes",
         .column = "Engraved", .header = "Engr", .tenths = 5},
        {.field = "HEIR", .tip = "Heir for this item", .label = "Heir: ", .column = "Heir", .header = "Heir",
         .tenths = 25, .picture = kText},
        {.field = "ARTIST", .tip = "Name of artist", .label = "Artist: ", .column = "Artist", .header = "Artist",
         .tenths = 20, .picture = kText},
        {.field = "SIGNED", .kind = K::Flag, .tip = "Is this an original signed piece?", .label = "Signed: Yes",
         .column = "Signed", .header = "Signed", .tenths = 5},
        {.field = "YEARORIGIN", .kind = K::Number, .tip = "Year of orgin", .label = "Year Orgin: ",
         .labelPicture = "@n-11", .column = "Yr Org", .header = "Yr Org", .tenths = 6, .picture = "@n4"},
        {.field = "LIMITEDEDITION", .kind = K::Flag, .tip = "Is this item a limited edition?",
         .label = "Limited Edition: Yes", .column = "Limited Edition", .header = "LE", .tenths = 5},
        {.field = "EDITIONNUMBER", .tip = "Edition number for your piece", .label = "Edition #: ",
         .column = "Edition Number", .header = "Ed #", .tenths = 9, .picture = kText},
        {.field = "TOTALNUMBER", .kind = K::Number, .tip = "Total number of pieces in this edition",
         .label = "Total Made: ", .labelPicture = kQuantityPicture, .column = "Quantity Made", .header = "Made",
         .tenths = 5, .picture = kPlain},
        {.field = "WARRANTY", .kind = K::Flag, .tip = "Does this item have a warranty?", .label = "Warranty: Yes",
         .column = "Warranty", .header = "War", .tenths = 5},
        {.field = "WARRANTYEXPIRATION", .kind = K::Date, .tip = "Warranty expiration date", .label = "Warranty Exp: ",
         .labelPicture = "@d1", .column = "Warranty Expir", .header = "War Exp", .tenths = 7, .picture = kDate},
        {.field = "USERFIELD1", .kind = K::User, .tip = "User defined field # 1", .user = 1},
        {.field = "USERFIELD2", .kind = K::User, .tip = "User defined field # 2", .user = 2},
        {.field = "USERFIELD3", .kind = K::User, .tip = "User defined field # 3", .user = 3},
        {.field = "USERFIELD4", .kind = K::User, .tip = "User defined field # 4", .user = 4},
        // Not in the catalog's lines: the description, category and location lead its items.
        {.field = "DESCRIPTION", .tip = "Description of item", .column = "Description Long", .header = "Description",
         .tenths = 32, .picture = kText},
        {.field = "DESCRIPTION", .column = "Description Short", .header = "Description", .tenths = 13,
         .picture = "@s20", .value = V::Cut, .cut = 20, .totalOfCell = true},
        {.field = "CATEGORY", .tip = "Category of item", .column = "Category", .header = "Category", .tenths = 13,
         .picture = kText},
        {.field = "LOCATION", .tip = "Location of item", .column = "Location", .header = "Location", .tenths = 13,
         .picture = kText},
        {.field = "DATEENTERED", .kind = K::Date, .tip = "Date entered into computer", .column = "Date Entered",
         .header = "Enter", .tenths = 7, .picture = kDate},
        {.field = "IMAGE", .tip = "Path and filename of image"},
        {.field = "IMAGE2", .tip = "Path and filename of image"},
        {.field = "RECEIPTIMAGE", .tip = "Path and filename of receipt"},
        {.field = "WARRANTYIMAGE", .tip = "Path and filename of warranty"},
    };
}

}  // namespace

const std::vector<ItemField> &itemFields()
{
    static const std::vector<ItemField> fields = build();
    return fields;
}

const ItemField *itemField(std::string_view field)
{
    for (const ItemField &f : itemFields())
        if (field == f.field)
            return &f;
    return nullptr;
}

const char *itemFieldTip(std::string_view field)
{
    const ItemField *f = itemField(field);
    return f ? f->tip : nullptr;
}

}  // namespace model
