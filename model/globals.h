// The program's globals: one instance shared by every window.
#pragma once

#include "runtime/values.h"

struct GlobalVariables {
    rt::Byte Request = 0;       // 1 insert, 2 change, 3 delete, 4 select
    rt::Byte Response = 0;      // 1 completed, 2 cancelled
    rt::Byte VCRRequest = 0;

    rt::Byte ClientSelected = 0;
    rt::FixedString<8> ActiveClientID;
    rt::FixedString<60> ActiveClientText;
    rt::Byte PasswordOK = 0;

    rt::Byte DatePicked = 0;
    rt::Long SelectedDate;

    rt::FixedString<20> MenuSelect;
    rt::FixedString<20> MenuCategory;
    rt::FixedString<20> LastLocation;
    rt::FixedString<20> Category;
    rt::FixedString<20> Location;
    rt::FixedString<20> BoxNumber;
    rt::Byte SelectionCancelled = 0;
    rt::Byte SelectionPreset = 0;

    // The options a report procedure started by name takes from its caller, read once as it
    // starts (an options window hands its own choices to its report directly).
    rt::FixedString<20> ReportOrder;
    rt::Byte IncludePictures = 0;
    rt::Byte IncludeMemos = 0;
    rt::Byte NewPageEveryItem = 0;
    // The copies of a blank data-input form.
    rt::Byte FormCopies = 0;

    // The import wizard's settings, which the import process reads.
    rt::FixedString<25> ImportFormat;
    rt::FixedString<80> ImportFileName;
    rt::Byte ImportHeader = 0;          // "First Record Is Header"
    rt::Byte ImportUppercase = 0;       // "Force Uppercase"
    rt::Byte ImportDeleteQuotes = 0;    // "Delete Quotes"
    rt::Byte ImportTest = 0;            // "Test Import"
    rt::Long ImportTestRecords;         // "Records To Import:"

    // The custom report's options for a report procedure started by name, read once as it
    // starts.
    rt::FixedString<40> CustomReportName;
    rt::FixedString<25> LimitCategory;
    rt::FixedString<25> LimitType;
    rt::FixedString<25> LimitLocation;
    rt::FixedString<25> LimitBoxNumber;

    // The catalog's limit to items entered on or after a start date.
    rt::Byte LimitByDate = 0;
    rt::Long StartDate;

    // The client program's: the report format of the run and the outcome of the last read of
    // the client system record (1 failed).
    rt::FixedString<9> ReportFormat;
    rt::Byte ClientFileError = 0;
};

extern GlobalVariables Glo;

// Blank every string global and zero every number, as at program start.
void resetProgramGlobals();
