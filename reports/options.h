// A report's inputs. An options window keeps its choices in a struct of its own and starts its
// report with a copy of them: the report's factory in the report table takes them as values, so
// two options windows open at once never change each other's choices, and a later change in a
// window never reaches a run under way. A report procedure started by name (the registry's door,
// as the program's own menus and other procedures call it) takes its inputs from the globals the
// caller set: they are read there once, as it starts, and nowhere else.
#pragma once

#include <cstdint>
#include <string>

namespace reports {

// The choices of the catalog's options window.
struct CatalogOptions {
    std::string order = "Description";  // "Category", "Location" or "Description"
    std::string category, location;     // blank: no limit
    bool limitByDate = false;
    std::int32_t startDate = 0;
    bool newPageEveryItem = false;
    bool includePictures = true;
};

// The choices of the custom report's options window: the definition by name, its order and its
// limits (blank: none).
struct CustomOptions {
    std::string reportName;
    std::string order = "Asset";  // "Asset", "Description", "Location" or "Category"
    std::string category, type, location, box;
    bool memos = false, pictures = false, newPage = false;
};

// The choices of the client list's options window.
struct ClientListOptions {
    bool includeAddress = false;
    bool includeMemos = false;
    bool limitEmail = false;
    std::int32_t clientDate = 0;
};

// What a report of the table is made from; each report reads only its own.
struct ReportInputs {
    bool wide = false;  // the wide layout of a pair, else the portrait one
    CatalogOptions catalog;
    CustomOptions custom;
    ClientListOptions clientList;
    std::int32_t assetNumber = 0;  // the item of "Complete Item Information"
    int copies = 1;                // of a blank data-input form
};

// The inputs of a report procedure started by name, as its caller left them: the options in the
// report globals, the item in the shared item buffer.
ReportInputs inputsFromGlobals(bool wide);

}  // namespace reports
