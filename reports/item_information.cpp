// "Complete Item Information": everything known of the item in the shared record buffer, every
// field and switch, the user fields under the client's own titles, the memo, and the two item
// pictures, the receipt and the warranty each fitted into a square with the path of its file.
#include <QString>

#include "model/dictionary.h"
#include "model/user_fields.h"
#include "reports/item_reports.h"
#include "reports/reports.h"
#include "runtime/gui.h"
#include "runtime/image.h"
#include "runtime/text.h"

namespace reports {

using namespace kit;

namespace {

// One label and the field beside it; a label of "USF:..." is a user field's title.
struct Cell {
    const char *label = nullptr;
    const char *field = nullptr;
    const char *picture = nullptr;
};
// A line of the detail band: one cell across, or two side by side.
struct Line {
    Cell left, right;
};

const std::vector<Line> &detailLines()
{
    static const std::vector<Line> lines = {
        {{"Asset number:", "MAS:ASSETNUMBER", "@n_7"}, {"Manufacturer:", "MAS:MANUFACTURER", "@s20"}},
        {{"Status:", "MAS:STATUS", "@s4"}, {"Category:", "MAS:CATEGORY", "@s20"}},
        {{"Serial number:", "MAS:SERIALNUMBER", "@s20"}, {"Type:", "MAS:TYPE", "@s20"}},
        {{"Model number:", "MAS:MODELNUMBER", "@s20"}, {"Location:", "MAS:LOCATION", "@s20"}},
        {{"Color:", "MAS:COLOR", "@s20"}, {"Box number:", "MAS:BOXNUMBER", "@s20"}},
        {{"Condition:", "MAS:CONDITION", "@s10"}, {"Date purchased:", "MAS:DATEPURCHASED", "@d1b"}},
        {{"Quantity:", "MAS:QUANTITY", kQuantityPicture}, {"Purchased from:", "MAS:PURCHASEDFROM", "@s20"}},
        {{"Original cost:", "MAS:ORIGINALCOST", "@n-10.2b"}, {"How purchased:", "MAS:HOWPURCHASED", "@s11"}},
        {{"Replacement cost:", "MAS:REPLACEMENTCOST", "@n-10.2b"}, {"Date entered:", "MAS:DATEENTERED", "@d1b"}},
        {{"Market value:", "MAS:MARKETVALUE", "@n-10.2b"}, {}},
    };
    return lines;
}

const std::vector<Line> &moreLines()
{
    static const std::vector<Line> lines = {
        {{"Heir:", "MAS:HEIR", "@s20"}, {"Appraisal date:", "MAS:APPRAISALDATE", "@d1b"}},
        {{"Appraised value:", "MAS:APPRAISEDVALUE", "@n-13.2b"},
         {"Warranty expiration:", "MAS:WARRANTYEXPIRATION", "@d1b"}},
        {{"Appraiser:", "MAS:APPRAISER", "@s25"}, {"Asking price:", "MAS:ASKINGPRICE", "@n-10.2b"}},
        {{"Subject:", "MAS:SUBJECT", "@s30"}, {}},
        {{"USF:TITLEUSERFIELD1", "MAS:USERFIELD1", "@s30"}, {"USF:TITLEUSERFIELD2", "MAS:USERFIELD2", "@s30"}},
        {{"USF:TITLEUSERFIELD3", "MAS:USERFIELD3", "@s30"}, {"USF:TITLEUSERFIELD4", "MAS:USERFIELD4", "@s30"}},
        {{"Carat wt.", "MAS:CARATWEIGHT", "@n-7.2"}, {"Total wt.", "MAS:TOTALWEIGHT", "@n-7.2"}},
        {{"Star/Artist/Author:", "MAS:STARARTISTAUTHOR", "@s40"}, {}},
        {{"CoStar/Artist/Author:", "MAS:COSTARARTISTAUTHOR", "@s40"}, {}},
        {{"Artist:", "MAS:ARTIST", "@s30"}, {"Year of origin:", "MAS:YEARORIGIN", "@n-11"}},
        {{"Edition number:", "MAS:EDITIONNUMBER", "@s20"}, {"Total pieces:", "MAS:TOTALNUMBER", kQuantityPicture}},
        {{"Price sold:", "MAS:PRICESOLD", "@n-10.2b"}, {"MSRP:", "MAS:MSRP", "@n-10.2b"}},
    };
    return lines;
}

struct Check {
    const char *label, *field;
};
const Check kChecks[] = {{"Engraved", "MAS:ENGRAVED"},         {"Appraised", "MAS:APPRAISED"},
                         {"Warranty", "MAS:WARRANTY"},         {"Insured", "MAS:INSURED"},
                         {"Business Use", "MAS:BUSINESSUSE"},  {"Family Heirloom", "MAS:FAMILYHEIRLOOM"},
                         {"Signed", "MAS:SIGNED"},             {"Limited Edition", "MAS:LIMITEDEDITION"}};

struct PictureBand {
    const char *band, *label, *field, *picture;
};
const PictureBand kPictures[] = {{"picture 1", "Path to image 1:", "MAS:IMAGE", "@s60"},
                                 {"picture 2", "Path to image 2:", "MAS:IMAGE2", "@s120"},
                                 {"receipt", "Path to receipt:", "MAS:RECEIPTIMAGE", "@s60"},
                                 {"warranty", "Path to warranty:", "MAS:WARRANTYIMAGE", "@s60"}};

constexpr int kWidth = 7500;
constexpr int kLine = 190;
constexpr int kLabelWidth = 1550;
constexpr int kHalf = 3800;
// The square every picture is fitted into, and where it starts under its path line.
constexpr int kPictureSide = 4000;
constexpr int kPictureTop = 230;

void addCell(Band &b, const Cell &c, int x, int y, int valueWidth)
{
    if (!c.field)
        return;
    if (std::string_view(c.label).rfind("USF:", 0) == 0)
        b.controls.push_back(field(c.label, x, y, kLabelWidth, "@s20"));
    else
        b.controls.push_back(text(x, y, kLabelWidth, c.label));
    b.controls.push_back(field(c.field, x + kLabelWidth, y, valueWidth, c.picture));
}

int addLines(Band &b, const std::vector<Line> &lines, int y)
{
    for (const Line &l : lines) {
        const bool across = !l.right.field;
        addCell(b, l.left, 0, y, across ? kWidth - kLabelWidth : kHalf - kLabelWidth - 50);
        addCell(b, l.right, kHalf, y, kWidth - kHalf - kLabelWidth);
        y += kLine;
    }
    return y;
}

Band detailBand()
{
    Band b;
    b.name = "detail";
    int y = 60;
    addCell(b, {"Description:", "MAS:DESCRIPTION", "@s60"}, 0, y, kWidth - kLabelWidth);
    y = addLines(b, detailLines(), y + kLine + 60);
    y += 60;
    for (std::size_t i = 0; i < std::size(kChecks); ++i) {
        Control c;
        c.kind = ControlKind::Check;
        c.name = kChecks[i].field;
        c.text = kChecks[i].label;
        c.x = static_cast<int>(i % 4) * (kWidth / 4);
        c.y = y + static_cast<int>(i / 4) * kLine;
        c.w = kWidth / 4 - 50;
        c.h = 130;
        b.controls.push_back(c);
    }
    y += 2 * kLine + 60;
    y = addLines(b, moreLines(), y);
    b.height = y + 100;
    return b;
}

Values detailValues(const void *record)
{
    Values v;
    auto add = [&](const Cell &c) {
        if (!c.field)
            return;
        v.set(c.field, fieldValue(dict::MasterInventoryDef, record, c.field, c.picture));
        if (std::string_view(c.label).rfind("USF:", 0) == 0)
            v.set(c.label, fieldValue(dict::UserFieldsDef, &USF, c.label));
    };
    add({"Description:", "MAS:DESCRIPTION", "@s60"});
    for (const auto *lines : {&detailLines(), &moreLines()})
        for (const Line &l : *lines) {
            add(l.left);
            add(l.right);
        }
    for (const Check &c : kChecks)
        v.set(c.field, fieldValue(dict::MasterInventoryDef, record, c.field));
    return v;
}

}  // namespace

ReportLayout itemInformationLayout()
{
    ReportLayout l;
    // No column headings: the rule closes the heading lines.
    HeadingForm form;
    form.ruleY = 800;
    form.height = 830;
    l.header = pageHeading(kWidth, "Complete Item Information", {}, form);
    l.footer = itemPageFooter(kWidth);
    l.page = itemPage(false, l.header.height);

    Band memo;
    memo.name = "memo";
    memo.height = 460;
    memo.controls = {text(0, 60, 3000, "Memos or notes on file:", kBold), block("MAS:MEMO", 0, 260, kWidth)};

    std::vector<Band> pictures;
    for (const PictureBand &p : kPictures) {
        Band b;
        b.name = p.band;
        b.controls = {text(0, 60, kLabelWidth, p.label, kBold), field(p.field, kLabelWidth, 60, kWidth - kLabelWidth, p.picture)};
        Control pic;
        pic.kind = ControlKind::Picture;
        pic.name = std::string(p.field) + " picture";
        pic.x = 0, pic.y = kPictureTop, pic.w = kPictureSide, pic.h = kPictureSide;
        b.controls.push_back(pic);
        b.height = kPictureTop + kPictureSide + 120;
        pictures.push_back(b);
    }

    Band end;
    end.name = "end of report";
    end.height = 500;
    end.controls = {text(0, 200, kWidth, "* * *   End Of Report   * * *", kBold, 1000, Align::Center)};

    l.bands = {detailBand(), memo};
    for (const Band &b : pictures)
        l.bands.push_back(b);
    l.bands.push_back(end);
    return l;
}

ReportSpec itemInformationSpec()
{
    ReportSpec s;
    s.printItem = [](const rt::ViewRow &row, ReportRun &run) {
        run.print("detail", detailValues(row.record.data()));
        if (!rt::trim(row.memo).empty())
            run.print("memo", Values{{"MAS:MEMO", Value::of(row.memo)}});
        for (const PictureBand &p : kPictures) {
            const std::string path = rt::clip(fieldValue(dict::MasterInventoryDef, row.record.data(), p.field).text);
            if (path.empty())
                continue;
            // The band prints whenever there is a path; a picture without a valid size leaves
            // its area empty, and the band is as high as the picture it shows.
            Band b = *run.writer().layout().band(p.band);
            Control &pic = b.controls.back();
            const std::string file = reportPicturePath(path);
            if (std::optional<QSize> fit = fitToSquare(rt::pictureSize(QString::fromStdString(file)), kPictureSide)) {
                pic.w = fit->width();
                pic.h = fit->height();
            } else {
                pic.visible = false;
                pic.h = 0;
            }
            b.height = kPictureTop + pic.h + 120;
            run.writer().print(b, Values{{p.field, Value::of(path)}, {pic.name, Value::of(file)}});
        }
    };
    s.end = [](ReportRun &run) { run.print("end of report"); };
    return s;
}

ReportDefinition itemInformationDefinition(std::int32_t assetNumber)
{
    ReportDefinition d;
    d.title = "Complete Item Information";
    d.files = {&Category, &QORClients, &MainSystemFile, &MasterInventory, &SecondaryResidence, &UserFields};
    d.primary = &MasterInventory;
    d.primaryLabel = "MasterInventory";
    HeadingSource client = clientHeading();
    d.heading = [client](Heading &h) {
        if (!client(h))
            return false;
        // The client's titles of the user fields, as the edition keeps them; none read leaves
        // them blank.
        rt::clearRecord(dict::UserFieldsDef, &USF);
        const model::UserFieldTitles titles = reportUserFieldTitles();
        USF.TITLEUSERFIELD1 = titles[0];
        USF.TITLEUSERFIELD2 = titles[1];
        USF.TITLEUSERFIELD3 = titles[2];
        USF.TITLEUSERFIELD4 = titles[3];
        return true;
    };
    d.view = [assetNumber] {
        return rt::View(MasterInventory, dict::MasterInventoryDef.key("ASSETKEY"),
                        {rt::Condition::equals(dict::MasterInventoryDef, "ASSETNUMBER", std::int64_t{assetNumber})});
    };
    d.anyStatus = true;
    d.layout = [](const RunChoices &) { return itemInformationLayout(); };
    d.spec = [](const RunChoices &) { return itemInformationSpec(); };
    return d;
}

}  // namespace reports
