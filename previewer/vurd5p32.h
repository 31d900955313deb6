// The previewer module VURD5P32: the four entry points the professional program binds by name
// when it starts, each a thin forward to the previewer library. Both the module and the
// program that loads it include this header, so the two agree on every argument.
//
// Across the boundary:
// - a preview queue is a `std::vector<std::string> *` (the page files' full paths, in page
//   order) passed as a `void *`; it stays the report's, the entries may change its contents;
// - the report is a `previewer::PreviewReport *` passed as a `void *`;
// - texts are NUL-terminated UTF-8; a null pointer is an empty text.
// Both sides are built together with the same compiler and standard library, so the handles
// point at the very objects the report owns.
#pragma once

#include <cstdint>

// The file the program loads from its own folder.
#define VURD5P32_FILE_NAME "VURD5P32.so"

extern "C" {

// Shows the queue's pages; 1: print (the queue holds the pages still to print, the report its
// copies), 2: nothing to print.
typedef std::uint8_t (*PrintPreviewEntry)(void *queue, std::int16_t zoomPercent, std::uint8_t builtInIniName,
                                          void *report, std::uint8_t helpContextSwitch,
                                          std::uint8_t helpFileSwitch, std::uint8_t textOutputSwitch,
                                          std::int32_t linesPerPage, std::uint8_t textOutputSwitch2,
                                          std::uint8_t options, const char *helpContext, const char *helpFile,
                                          const char *textFile, const char *iniFile);

// With the total switch set, writes the page count over the first "?PP?" of every page; the
// further arguments are taken for the callers' sake and change nothing. Without it, nothing.
typedef void (*AssignPageOfPagesEntry)(void *queue, std::uint8_t totalSwitch, std::uint8_t tokenLength,
                                       std::uint8_t flag1, std::uint8_t flag2, std::int32_t pageNumber,
                                       std::uint8_t flag3, const char *replacement, const char *token);

// Repeats the queue for the copies the current printer cannot make (or for collated sets).
// When the queue grew, it must go to the printer with a copy count of 1.
typedef void (*HandleCopiesEntry)(void *queue, std::int16_t copies);

// 1 when the current printer supports the setting, 0 when not, -1 for a code it cannot answer.
typedef std::int16_t (*SupportedEntry)(std::int32_t code);

std::uint8_t PRINTPREVIEW(void *queue, std::int16_t zoomPercent, std::uint8_t builtInIniName, void *report,
                          std::uint8_t helpContextSwitch, std::uint8_t helpFileSwitch,
                          std::uint8_t textOutputSwitch, std::int32_t linesPerPage,
                          std::uint8_t textOutputSwitch2, std::uint8_t options, const char *helpContext,
                          const char *helpFile, const char *textFile, const char *iniFile);
void ASSGNPGOFPG(void *queue, std::uint8_t totalSwitch, std::uint8_t tokenLength, std::uint8_t flag1,
                 std::uint8_t flag2, std::int32_t pageNumber, std::uint8_t flag3, const char *replacement,
                 const char *token);
void HANDLECOPIES(void *queue, std::int16_t copies);
std::int16_t SUPPORTED(std::int32_t code);

}  // extern "C"
