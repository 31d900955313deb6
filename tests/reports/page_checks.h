// What every printed page of every report must be, read from its items and rows: each page
// holds a band besides its heading and footer, and each text stands whole inside its box,
// legible and apart from the text beside it. Shared by both programs' report tests.
#pragma once

#include <gtest/gtest.h>

#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "previewer/page_render.h"
#include "reports/engine.h"
#include "runtime/text.h"

namespace page_checks {

// A memo of about `length` characters, in words: the memos the reports print over pages.
inline std::string longMemo(std::size_t length)
{
    const char *words[] = {"Bought", "at", "the", "estate", "sale", "of", "the", "Holmberg", "family;", "the",
                           "appraisal", "of", "2019", "names", "its", "maker,", "its", "provenance", "and",
                           "every", "repair", "made", "to", "it", "since."};
    std::string memo;
    for (std::size_t k = 0; memo.size() < length; ++k)
        memo += std::string(memo.empty() ? "" : " ") + words[k % std::size(words)];
    return memo;
}

// The pages (numbered from 1) on which no band but the heading and the footer printed a text.
inline std::vector<int> pagesWithoutABand(const std::vector<reports::ReportRow> &rows, int pages)
{
    std::vector<bool> held(static_cast<std::size_t>(pages) + 1, false);
    for (const reports::ReportRow &row : rows)
        if (row.band != "page heading" && row.band != "page footer" && row.page >= 1 && row.page <= pages)
            for (const reports::RowText &t : row.texts)
                if (!rt::trim(t.text).empty())
                    held[static_cast<std::size_t>(row.page)] = true;
    std::vector<int> out;
    for (int p = 1; p <= pages; ++p)
        if (!held[static_cast<std::size_t>(p)])
            out.push_back(p);
    return out;
}

inline bool isBody(const reports::ReportRow &row) { return row.band != "page heading" && row.band != "page footer"; }

// The pages (numbered from 1) whose last band is a group header: its items start the next page
// under no heading.
inline std::vector<int> pagesEndingWithAGroupHeader(const std::vector<reports::ReportRow> &rows)
{
    std::vector<int> out;
    const reports::ReportRow *last = nullptr;
    for (const reports::ReportRow &row : rows) {
        if (!isBody(row))
            continue;
        if (last && last->page != row.page && last->band == "group header")
            out.push_back(last->page);
        last = &row;
    }
    if (last && last->band == "group header")
        out.push_back(last->page);
    return out;
}

// An item's line (a list's "detail", a catalog's "item"), and the bands that go with it: the
// catalog's lines of fields, the memo and the picture bands.
inline bool isItemLine(const std::string &band) { return band == "detail" || band == "item"; }
inline bool isPictureBand(const std::string &band)
{
    return band == "picture" || band == "pictures" || band == "receipt and warranty";
}

// What an item's bands made of the page breaks, for the checks below.
struct ItemPaging {
    // "<item>: <band> on page <n>, its line on page <m>": a page that begins with a memo, the
    // first picture band or a line of fields of an item whose line is on an earlier page,
    // unless it is the rest of a memo that began under its line and runs on over the page.
    std::vector<std::string> away;
    int memosRunOver = 0;          // memos that began under their line and went on over the page
    int itemsWithMemoAndPicture = 0;
};

inline ItemPaging itemPaging(const std::vector<reports::ReportRow> &rows)
{
    ItemPaging out;
    const reports::ReportRow *line = nullptr, *previous = nullptr;
    bool pictured = false, memo = false;
    for (const reports::ReportRow &row : rows) {
        if (!isBody(row))
            continue;
        const bool beginsPage = !previous || previous->page != row.page;
        if (isItemLine(row.band)) {
            line = &row;
            pictured = memo = false;
        } else if (line) {
            const bool firstPicture = isPictureBand(row.band) && !pictured;
            const bool checked = row.band == "memo" || row.band == "detail line" || firstPicture;
            // The rest of a memo that ran on over the page: the page before ends with it (a memo
            // that began a page of its own is counted there).
            const bool runOn = row.band == "memo" && previous->band == "memo" && memo;
            if (checked && beginsPage && row.page > line->page && !runOn) {
                std::string name = line->text("MAS:DESCRIPTION");
                for (const reports::RowText &t : line->texts)
                    if (name.empty() && !rt::trim(t.text).empty())
                        name = t.text;
                out.away.push_back("\"" + rt::trim(name) + "\": " + row.band + " on page " + std::to_string(row.page) +
                                   ", its line on page " + std::to_string(line->page));
            }
            if (row.band == "memo") {
                if (memo && previous->band == "memo" && row.page != previous->page)
                    ++out.memosRunOver;
                memo = true;
            }
            if (isPictureBand(row.band)) {
                if (!pictured && memo)
                    ++out.itemsWithMemoAndPicture;
                pictured = true;
            }
        }
        previous = &row;
    }
    return out;
}

inline bool isNumber(const std::string &s)
{
    return s.find_first_of("0123456789") != std::string::npos && s.find_first_not_of("0123456789,.-$() ") == std::string::npos;
}

// Where a text's letters stand across the page.
inline std::pair<double, double> ink(const previewer::TextItem &t)
{
    const double w = previewer::textWidth(t);
    const double from = t.align == previewer::Align::Right    ? t.x + t.w - w
                        : t.align == previewer::Align::Center ? t.x + (t.w - w) / 2
                                                              : t.x;
    return {from, from + w};
}

// Every text of the page inside its box, no word below the smallest legible size (numbers
// shrink further, whole), and no two texts of a line closer than half the gap a field keeps.
// Counts the words printed smaller than 10 points in `shrunk`.
inline void expectTextsFitTheirColumns(const previewer::Page &page, const std::string &where, int *shrunk = nullptr)
{
    std::vector<const previewer::TextItem *> texts;
    for (const previewer::Item &item : page.items)
        if (const auto *t = std::get_if<previewer::TextItem>(&item); t && !rt::trim(t->text).empty())
            texts.push_back(t);
    for (std::size_t i = 0; i < texts.size(); ++i) {
        const previewer::TextItem &t = *texts[i];
        const auto [from, to] = ink(t);
        if (t.w > 0) {
            EXPECT_LE(to - from, t.w + 1) << where << "\"" << t.text << "\" leaves its box of " << t.w;
        }
        if (!isNumber(t.text)) {
            EXPECT_GE(t.size, reports::kSmallestText) << where << "\"" << t.text << "\"";
            if (shrunk)
                *shrunk += t.size < 1000;
        }
        for (std::size_t j = i + 1; j < texts.size(); ++j) {
            const previewer::TextItem &o = *texts[j];
            if (o.y >= t.y + t.h || t.y >= o.y + o.h)
                continue;
            const auto [oFrom, oTo] = ink(o);
            EXPECT_TRUE(to + reports::kTextGap / 2 <= oFrom || oTo + reports::kTextGap / 2 <= from)
                << where << "\"" << t.text << "\" and \"" << o.text << "\" run together";
        }
    }
}

// The page footer (everything at or under `footerTop`) is one box at `x` (from the paper's
// edge), `w` wide and 408 high, and no rule; in it the phone line over the e-mail line, each
// centred in the box.
inline void expectFooterBox(const previewer::Page &page, int footerTop, int x, int w, const std::string &phone,
                            const std::string &email, const std::string &where)
{
    std::vector<const previewer::BoxItem *> boxes;
    const previewer::TextItem *phoneText = nullptr, *emailText = nullptr;
    for (const previewer::Item &item : page.items) {
        if (const auto *b = std::get_if<previewer::BoxItem>(&item); b && b->y >= footerTop)
            boxes.push_back(b);
        if (const auto *l = std::get_if<previewer::LineItem>(&item); l && l->y1 >= footerTop)
            ADD_FAILURE() << where << "a rule in the footer at " << l->x1 << "," << l->y1;
        if (const auto *t = std::get_if<previewer::TextItem>(&item); t && t->y >= footerTop) {
            if (t->text == phone)
                phoneText = t;
            else if (t->text == email)
                emailText = t;
            else
                ADD_FAILURE() << where << "\"" << t->text << "\" in the footer";
        }
    }
    ASSERT_EQ(boxes.size(), 1u) << where << "boxes in the footer";
    const previewer::BoxItem &box = *boxes.front();
    EXPECT_EQ(box.x, x) << where;
    EXPECT_EQ(box.w, w) << where;
    EXPECT_EQ(box.h, 408) << where;
    ASSERT_NE(phoneText, nullptr) << where << "no phone line";
    ASSERT_NE(emailText, nullptr) << where << "no e-mail line";
    EXPECT_LT(phoneText->y + phoneText->h / 2, emailText->y) << where << "the phone line stands over the e-mail line";
    for (const previewer::TextItem *t : {phoneText, emailText}) {
        EXPECT_EQ(t->align, previewer::Align::Center) << where << t->text;
        EXPECT_NEAR(2 * t->x + t->w, 2 * box.x + box.w, 2) << where << t->text << " centred in the box";
        EXPECT_GE(t->y, box.y) << where << t->text;
        EXPECT_LE(t->y + t->h, box.y + box.h) << where << t->text;
        const auto [from, to] = ink(*t);
        EXPECT_TRUE(from >= box.x && to <= box.x + box.w) << where << t->text << " inside the box";
    }
}

}  // namespace page_checks
